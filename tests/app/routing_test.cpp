#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/route_dispatch.h"
#include "app/routing.h"

namespace dz::app {
namespace {

struct Case {
    const char* type;
    const char* name;
    std::vector<RouteHit> hits;
};

using A = Action;

// One row per behaviour of the tables: whole names (any case), prefixes with their number,
// the four case-sensitive names, names without '_', non-numeric tails, order of rows.
const std::vector<Case> kCases = {
    // Whole names, compared ignoring case.
    {"click", "closebtn", {{A::CloseBtn}}},
    {"click", "CloseBtn", {{A::CloseBtn}}},
    {"click", "nodevice_ok_btn", {{A::NoDeviceOk}}},
    {"click", "control_light_status", {{A::ToggleLightStatus}}},
    {"click", "minbtn", {{A::SysCommand, 0, 0}}},
    {"click", "maxbtn", {{A::SysCommand, 0, 1}}},
    {"click", "RESTOREBTN", {{A::SysCommand, 0, 2}}},
    {"click", "skinbtn", {{A::OpenSkinWindow}}},
    {"click", "setbtn", {{A::OpenSettingsBeside}}},
    {"click", "default_btn", {{A::DefaultBtn}}},
    {"click", "device_reset_btn", {{A::DeviceResetBtn}}},
    {"click", "key_butt_keydefalut", {{A::KeyDefault}}},
    {"click", "key_butt_prosave", {{A::KeyWrite}}},
    {"click", "macro_btn_deleteall", {{A::MacroMoveOrDelete, 0, 4}}},
    {"click", "macro_btn_down", {{A::MacroMoveDown}}},
    {"click", "macro_btn_insert", {{A::OpenMacroActionMenu}}},
    {"click", "custom_bright_color_btn", {{A::FillCustomColour, 0, 1}}},
    {"click", "custom_off_color_btn", {{A::FillCustomColour, 0, 0}}},
    {"click", "close_bkcolor_btn", {{A::AudioBackgroundOff}}},
    {"click", "deng_same_mode", {{A::SameModeAllDevices}}},
    {"click", "device_select_next", {{A::DeviceNext}}},
    // Prefixes: the part up to the last '_' equals the row's prefix; the number follows.
    {"click", "key_12", {{A::KeyButton, 12}}},
    {"click", "KEY_7", {{A::KeyButton, 7}}},
    {"click", "color_option_3", {{A::LightPresetColour, 3}}},
    {"click", "DPI_color_option_2", {{A::DpiColourDialog, 2}}},
    {"click", "audiocolor_option_0", {{A::AudioPresetColour, 0}}},
    {"click", "windowdeviceset_1", {{A::WindowsDeviceSettings, 1}}},
    // "key_butt_keysave" splits to "key_butt_", not "key_": a whole name, no key button.
    {"click", "key_butt_keysave", {{A::KeyApply}}},
    // Non-numeric tails give number 0.
    {"click", "key_abc", {{A::KeyButton, 0}}},
    {"click", "key_", {{A::KeyButton, 0}}},
    // Names without '_' that are no whole name: nothing.
    {"click", "okbutton", {}},
    {"click", "key", {}},
    // A prefix is not a starts-with test.
    {"click", "mykey_3", {}},
    // The four case-sensitive names.
    {"click", "macro_inset_moveleftkey_btn", {{A::MacroInsertCursorMove, 0, 0}}},
    {"click", "macro_inset_moverightkey_btn", {{A::MacroInsertCursorMove, 0, 1}}},
    {"click", "macro_inset_moveupkey_btn", {{A::MacroInsertCursorMove, 0, 2}}},
    {"click", "macro_inset_movedownkey_btn", {{A::MacroInsertCursorMove, 0, 3}}},
    {"click", "Macro_inset_moveleftkey_btn", {}},
    {"click", "macro_inset_MOVEDOWNKEY_btn", {}},
    // Select routing.
    {"selectchanged", "DPI_enable_check_4", {{A::DpiEnable, 4}}},
    {"selectchanged", "dpi_select_check_1", {{A::DpiSelect, 1}}},
    {"selectchanged", "polling_rate_option_2", {{A::PollingRate, 2}}},
    {"selectchanged", "6533_eq_option_5", {{A::EqPreset, 5}}},
    {"selectchanged", "key_ComBox_check_3", {{A::KeyComboModifier, 3}}},
    {"selectchanged", "6flag_option", {{A::LockFlag, 0, 2}}},
    {"selectchanged", "device_select", {{A::DeviceSelected, 0, 1}}},
    {"selectchanged", "Virtual7.1_Op_tab", {{A::FeatureTab, 0, 7}}},
    {"selectchanged", "audio_FgColor_check", {{A::AudioOption, 0, 2}}},
    {"selectchanged", "key_3", {}},  // a key family is a click family only
    // Value and drag routing.
    {"valuechanged", "DPI_slider_2", {{A::DpiSlider, 2}}},
    {"valuechanged", "6533_eq_hz_slider_9", {{A::EqBand, 9}}},
    {"valuechanged", "deng_light_slider", {{A::LightBrightness}}},
    {"valuechanged", "B_light_slider", {{A::AudioRgbSlider, 0, 2}}},
    {"movevaluechanged", "rodav_DPI_slider_3", {{A::RodavDpiDrag, 3}}},
    {"movevaluechanged", "DPI_slider_3", {{A::DpiDrag, 3}}},
    {"movevaluechanged", "deng_light_slider", {}},
    // Item routing: the chain, then the key panel refresh.
    {"itemselect", "device_profile_combo", {{A::ProfileComboTimer}}},
    {"itemselect", "light_combo_ZZCCmodeSelect", {{A::LightModeCombo, 0, 2}}},
    {"itemselect", "keyset_function_combo", {{A::KeyFunctionCombo}, {A::KeyPanelRefresh}}},
    {"itemselect", "keyset_macro_over_combo", {{A::KeyMacroOverCombo}, {A::KeyPanelRefresh}}},
    {"itemselect", "keyset_media_combo", {{A::KeyPanelRefresh}}},
    // Colour and focus routing.
    {"colorchanged", "deng_audioColor_Pallet", {{A::AudioPalette}}},
    {"killfocus", "rodav_DPI_edit_1", {{A::RodavDpiEdit, 1}}},
    {"killfocus", "DPI_edit_1", {{A::DpiEdit, 1}}},
    {"killfocus", "keyset_keyboard_text_edit", {{A::HookRequest, 0, 0}}},
    {"killfocus", "bullet_delay_eidt", {{A::ShootEdit, 0, 2}}},
    {"killfocus", "keyset_macro_cycle_edit", {{A::KeyPanelRefresh}}},
    // By type.
    {"windowinit", "anything", {{A::WindowInit}}},
    {"windowsize", "root", {{A::RootSized}}},
    {"windowsize", "other", {}},
    {"click_select_end", "device_key_light", {{A::BandSelectEnd, 0, 0}}},
    {"click_select_end", "mouse_device_key_light", {{A::BandSelectEnd, 0, 1}}},
    {"click_select_end", "SelectPanel", {{A::BandSelectEnd, 0, kBandSelectShownPicture}}},
    {"msenter", "closebtn", {}},
    {"textchanged", "key_1", {}},
    {"timer", "closebtn", {}},
};

TEST(Routing, TablesByCase) {
    for (const Case& c : kCases) {
        const RouteResult r = RouteNotification(c.type, c.name);
        EXPECT_EQ(r.hits, c.hits) << c.type << " " << c.name << " -> "
                                  << (r.hits.empty() ? "nothing" : ActionName(r.hits[0].action));
    }
}

TEST(Routing, LoggingAndToolkitPassThroughByType) {
    EXPECT_FALSE(RouteNotification("timer", "x").log);
    EXPECT_TRUE(RouteNotification("click", "x").log);
    for (const char* t : {"click_wpremove", "click_wpedit"}) {
        EXPECT_FALSE(RouteNotification(t, "pic").pass_to_toolkit) << t;
        EXPECT_TRUE(RouteNotification(t, "pic").hits.empty());
    }
    for (const char* t : {"click_wpadd", "click_wpselect", "click", "msleave"})
        EXPECT_TRUE(RouteNotification(t, "pic").pass_to_toolkit) << t;
}

TEST(Routing, HooksAndMenuCommands) {
    EXPECT_EQ(RouteMenuHook("macro_action"), (RouteHit{A::OpenMacroActionMenu}));
    EXPECT_FALSE(RouteMenuHook("macro_actions"));
    EXPECT_EQ(RouteSetFocusHook("keyset_keyboard_text_edit"), (RouteHit{A::HookRequest, 0, 1}));
    EXPECT_FALSE(RouteSetFocusHook("keyset_mousefire_num_edit"));

    const std::vector<std::pair<const char*, RouteHit>> menu = {
        {"exit", {A::MenuExit}},
        {"about_menu", {A::MenuAbout}},
        {"setwnd_menu", {A::MenuSettingsCentred}},
        {"redio_previous_record_time", {A::MacroRecordOption, 0, 0}},
        {"redio_later_ignore_time", {A::MacroRecordOption, 0, 5}},
        {"macro_action_edit", {A::MacroActionEdit}},
        {"left_down", {A::MacroInsertMouseEvent, 0, 0}},
        {"middle_click", {A::MacroInsertMouseEvent, 0, 5}},
        {"back_up", {A::MacroInsertMouseEvent, 0, 13}},
    };
    for (const auto& [item, hit] : menu) EXPECT_EQ(RouteMenuCommand(item), hit) << item;
    EXPECT_FALSE(RouteMenuCommand("quit"));
}

// Dispatch reaches the panel of the current page, and nothing without a page.
struct RecordingKeys : KeyAssignmentPanel {
    std::vector<std::string> calls;
    void OnKeyButton(int n) override { calls.push_back("key " + std::to_string(n)); }
    void OnWriteKeyAssignments() override { calls.emplace_back("write"); }
};
struct RecordingMouse : MouseSettings {
    std::vector<int> polling;
    void OnPollingRate(int n) override { polling.push_back(n); }
};
struct RecordingKeyboard : KeyboardSettings {
    std::vector<int> polling;
    void OnPollingRate(int n) override { polling.push_back(n); }
};
struct RecordingMacros : MacroEditor {
    std::vector<std::pair<int, int>> mouse_events;
    int moved_down = 0;
    void OnInsertMouseEvent(int b, int k) override { mouse_events.emplace_back(b, k); }
    void OnMoveDown() override { ++moved_down; }
};
struct FakePage : DevicePage {
    int kind = 0;
    RecordingKeys keys;
    RecordingMouse mouse;
    RecordingKeyboard keyboard;
    RecordingMacros macros;
    int KindIndex() const override { return kind; }
    KeyAssignmentPanel* KeyAssignment() override { return &keys; }
    MouseSettings* Mouse() override { return &mouse; }
    KeyboardSettings* Keyboard() override { return &keyboard; }
    MacroEditor* Macros() override { return &macros; }
};
struct FakeShell : ShellHandlers {
    DevicePage* page = nullptr;
    std::vector<int> syscommands;
    int exits = 0;
    int recording_syncs = 0;
    DevicePage* CurrentDevicePage() override { return page; }
    void OnMacroRecording() override { ++recording_syncs; }
    void OnSysCommand(int which) override { syscommands.push_back(which); }
    void OnExit() override { ++exits; }
};

void Route(const char* type, const char* name, ShellHandlers& shell) {
    for (const RouteHit& h : RouteNotification(type, name).hits) Dispatch(h, shell);
}

TEST(RouteDispatch, PanelsOfTheCurrentPage) {
    FakeShell shell;
    FakePage page;
    Route("click", "key_5", shell);  // no page: nothing, no crash
    shell.page = &page;
    Route("click", "key_5", shell);
    Route("click", "macro_btn_down", shell);
    // The macro editor has the device write the macros and keys itself: the key
    // assignment panel's write is not run as well.
    EXPECT_EQ(page.keys.calls, (std::vector<std::string>{"key 5"}));
    EXPECT_EQ(page.macros.moved_down, 1);
    Dispatch(*RouteMenuCommand("forward_click"), shell);
    EXPECT_EQ(page.macros.mouse_events, (std::vector<std::pair<int, int>>{{3, 2}}));
    Route("click", "maxbtn", shell);
    Dispatch(*RouteMenuCommand("EXIT"), shell);
    EXPECT_EQ(shell.syscommands, std::vector<int>{1});
    EXPECT_EQ(shell.exits, 1);
}

TEST(RouteDispatch, RecordingTriggersLetTheShellFollowWithTheHook) {
    FakeShell shell;
    FakePage page;
    shell.page = &page;
    Route("click", "macro_btn_starredio", shell);
    Route("click", "macro_btn_stopredio", shell);
    Dispatch(*RouteMenuCommand("redio_later_constant_time"), shell);
    Dispatch(*RouteMenuCommand("macro_action_edit"), shell);
    EXPECT_EQ(shell.recording_syncs, 4);
    Route("click", "macro_btn_save", shell);
    Dispatch(*RouteMenuCommand("left_click"), shell);
    EXPECT_EQ(shell.recording_syncs, 4);
    EXPECT_TRUE(page.keys.calls.empty());
}

TEST(RouteDispatch, PollingRateGoesByTheDevicesKind) {
    FakeShell shell;
    FakePage page;
    shell.page = &page;
    page.kind = 0;  // mouse
    Route("selectchanged", "polling_rate_option_3", shell);
    page.kind = 1;  // keyboard
    Route("selectchanged", "polling_rate_option_1", shell);
    page.kind = 2;  // mousepad: neither
    Route("selectchanged", "polling_rate_option_2", shell);
    EXPECT_EQ(page.mouse.polling, std::vector<int>{3});
    EXPECT_EQ(page.keyboard.polling, std::vector<int>{1});
}

}  // namespace
}  // namespace dz::app
