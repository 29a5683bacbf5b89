#include "app/routing.h"

#include <array>
#include <span>

#include "profile/text_util.h"

namespace dz::app {
namespace {

enum class Match { kWhole, kPrefix, kWholeExactCase };

struct Row {
    Match match;
    std::string_view name;
    Action action;
    int arg = 0;
};

using M = Match;
using A = Action;

// clang-format off
constexpr Row kClickRows[] = {
    {M::kWhole, "closebtn", A::CloseBtn},
    {M::kWhole, "nodevice_ok_btn", A::NoDeviceOk},
    {M::kWhole, "control_light_status", A::ToggleLightStatus},
    {M::kWhole, "minbtn", A::SysCommand, 0},
    {M::kWhole, "maxbtn", A::SysCommand, 1},
    {M::kWhole, "restorebtn", A::SysCommand, 2},
    {M::kWhole, "skinbtn", A::OpenSkinWindow},
    {M::kWhole, "setbtn", A::OpenSettingsBeside},
    {M::kPrefix, "key_", A::KeyButton},
    {M::kPrefix, "color_option_", A::LightPresetColour},
    {M::kPrefix, "audiocolor_option_", A::AudioPresetColour},
    {M::kPrefix, "windowdeviceset_", A::WindowsDeviceSettings},
    {M::kPrefix, "DPI_color_option_", A::DpiColourDialog},
    {M::kWhole, "default_btn", A::DefaultBtn},
    {M::kWhole, "device_reset_btn", A::DeviceResetBtn},
    {M::kWhole, "reset_repeat_btn", A::ResetRepeat},
    {M::kWhole, "device_add_btn", A::ProfileAdd},
    {M::kWhole, "device_sub_btn", A::ProfileDelete},
    {M::kWhole, "device_copy_btn", A::ProfileCopy},
    {M::kWhole, "device_profile_edit_save_btn", A::ProfileRename},
    {M::kWhole, "profile_fun_spread_btn", A::ProfileExpand},
    {M::kWhole, "device_import_btn", A::ProfileImport},
    {M::kWhole, "device_export_btn", A::ProfileExport},
    {M::kWhole, "key_butt_keysave", A::KeyApply},
    {M::kWhole, "key_butt_keydefalut", A::KeyDefault},
    {M::kWhole, "key_butt_keycancel", A::KeyCancel},
    {M::kWhole, "key_butt_prosave", A::KeyWrite},
    {M::kWhole, "macro_btn_starredio", A::MacroRecordStart},
    {M::kWhole, "macro_btn_stopredio", A::MacroRecordStop},
    {M::kWhole, "macro_btn_name_add", A::MacroNameAdd},
    {M::kWhole, "macro_btn_name_sub", A::MacroNameSub},
    {M::kWhole, "macro_btn_name_edit", A::MacroNameEdit},
    {M::kWhole, "macro_btn_save", A::MacroSave},
    {M::kWhole, "macro_btn_cancel", A::MacroCancel},
    {M::kWhole, "macro_btn_import", A::MacroImport},
    {M::kWhole, "macro_btn_export", A::MacroExport},
    {M::kWhole, "macro_btn_up", A::MacroMoveOrDelete, 0},
    {M::kWhole, "macro_btn_uptop", A::MacroMoveOrDelete, 1},
    {M::kWhole, "macro_btn_downbottom", A::MacroMoveOrDelete, 2},
    {M::kWhole, "macro_btn_delete", A::MacroMoveOrDelete, 3},
    {M::kWhole, "macro_btn_deleteall", A::MacroMoveOrDelete, 4},
    {M::kWhole, "macro_btn_down", A::MacroMoveDown},
    // The macro action menu from a button too, for a macro without rows.
    {M::kWhole, "macro_btn_insert", A::OpenMacroActionMenu},
    {M::kWhole, "shootdate_save_btn", A::ShootSave},
    {M::kWhole, "shootdate_reset_btn", A::ShootReset},
    {M::kWhole, "bullet_selected_prev", A::BulletPrev},
    {M::kWhole, "bullet_selected_next", A::BulletNext},
    {M::kWhole, "shootdate_import_btn", A::ShootImport},
    {M::kWhole, "shootdate_export_btn", A::ShootExport},
    {M::kWhole, "custom_bright_color_btn", A::FillCustomColour, 1},
    {M::kWhole, "custom_off_color_btn", A::FillCustomColour, 0},
    {M::kWhole, "deng_same_mode", A::SameModeAllDevices},
    {M::kWhole, "hs_EQ_btn_save", A::EqSave},
    {M::kWhole, "hs_EQ_btn_delete", A::EqDelete},
    {M::kWholeExactCase, "macro_inset_moveleftkey_btn", A::MacroInsertCursorMove, 0},
    {M::kWholeExactCase, "macro_inset_moverightkey_btn", A::MacroInsertCursorMove, 1},
    {M::kWholeExactCase, "macro_inset_moveupkey_btn", A::MacroInsertCursorMove, 2},
    {M::kWholeExactCase, "macro_inset_movedownkey_btn", A::MacroInsertCursorMove, 3},
    {M::kWhole, "device_select_prev", A::DevicePrev},
    {M::kWhole, "device_select_next", A::DeviceNext},
    {M::kWhole, "Close_bkColor_btn", A::AudioBackgroundOff},
    {M::kWhole, "music_setting_btn", A::AudioStyleWindow},
};

// Prefix rows first, then whole names.
constexpr Row kSelectRows[] = {
    {M::kPrefix, "DPI_enable_check_", A::DpiEnable},
    {M::kPrefix, "DPI_select_check_", A::DpiSelect},
    {M::kPrefix, "polling_rate_option_", A::PollingRate},
    {M::kPrefix, "repeat_delay_check_", A::RepeatDelay},
    {M::kPrefix, "mouse_device_seting_option_", A::MouseOption},
    {M::kPrefix, "shoot_gun_op_", A::GunOption},
    {M::kPrefix, "bullet_op_", A::BulletOption},
    {M::kPrefix, "magic_option_", A::VoiceEffect},
    {M::kPrefix, "6533_eq_option_", A::EqPreset},
    {M::kPrefix, "key_ComBox_check_", A::KeyComboModifier},
    {M::kWhole, "pointer_precision_check", A::MouseSystemOption, 0},
    {M::kWhole, "scrolls_page_check", A::MouseSystemOption, 1},
    {M::kWhole, "winlockflag_option", A::LockFlag, 0},
    {M::kWhole, "wflag_option", A::LockFlag, 1},
    {M::kWhole, "6flag_option", A::LockFlag, 2},
    {M::kWhole, "synchro_device_select", A::DeviceSelected, 0},
    {M::kWhole, "device_select", A::DeviceSelected, 1},
    {M::kWhole, "deng_Op_tab", A::FeatureTab, 0},
    {M::kWhole, "key_Op_tab", A::FeatureTab, 1},
    {M::kWhole, "macro_Op_tab", A::FeatureTab, 2},
    {M::kWhole, "system_Op_tab", A::FeatureTab, 3},
    {M::kWhole, "cursor_Op_tab", A::FeatureTab, 4},
    {M::kWhole, "6533_voice_Op_tab", A::FeatureTab, 5},
    {M::kWhole, "magic_Op_tab", A::FeatureTab, 6},
    {M::kWhole, "Virtual7.1_Op_tab", A::FeatureTab, 7},
    {M::kWhole, "deng_FXL_check", A::LightOption, 0},
    {M::kWhole, "deng_FXR_check", A::LightOption, 1},
    {M::kWhole, "deng_7color_check", A::LightOption, 2},
    {M::kWhole, "bullet_x_check", A::ShootAxis, 0},
    {M::kWhole, "bullet_y_check", A::ShootAxis, 1},
    {M::kWhole, "magic_enable_option", A::HeadsetSwitch, 0},
    {M::kWhole, "6533_MicIn_option", A::HeadsetSwitch, 1},
    {M::kWhole, "6533_MicMoniter_option", A::HeadsetSwitch, 2},
    {M::kWhole, "deng_7audiocolor_check", A::AudioOption, 0},
    {M::kWhole, "audio_BkColor_check", A::AudioOption, 1},
    {M::kWhole, "audio_FgColor_check", A::AudioOption, 2},
};

constexpr Row kValueRows[] = {
    {M::kPrefix, "DPI_slider_", A::DpiSlider},
    {M::kPrefix, "6533_eq_hz_slider_", A::EqBand},
    {M::kWhole, "pointer_speed_slider", A::MouseSystemSlider, 0},
    {M::kWhole, "scroll_speed_slider", A::MouseSystemSlider, 1},
    {M::kWhole, "double_click_slider", A::MouseSystemSlider, 2},
    {M::kWhole, "repeat_rate_slider", A::RepeatRate},
    {M::kWhole, "deng_light_slider", A::LightBrightness},
    {M::kWhole, "deng_speed_slider", A::LightSpeed},
    {M::kWhole, "6533_MicIn_slider", A::MicSlider, 0},
    {M::kWhole, "6533_MicMoniter_slider", A::MicSlider, 1},
    {M::kWhole, "R_light_slider", A::AudioRgbSlider, 0},
    {M::kWhole, "G_light_slider", A::AudioRgbSlider, 1},
    {M::kWhole, "B_light_slider", A::AudioRgbSlider, 2},
};

constexpr Row kDragRows[] = {
    {M::kPrefix, "rodav_DPI_slider_", A::RodavDpiDrag},
    {M::kPrefix, "DPI_slider_", A::DpiDrag},
};

constexpr Row kItemRows[] = {
    {M::kWhole, "device_profile_combo", A::ProfileComboTimer},
    {M::kWhole, "light_combo_modeSelect", A::LightModeCombo, 0},
    {M::kWhole, "light_combo_custommodeSelect", A::LightModeCombo, 1},
    {M::kWhole, "light_combo_ZZCCmodeSelect", A::LightModeCombo, 2},
    {M::kWhole, "keyset_function_combo", A::KeyFunctionCombo},
    {M::kWhole, "keyset_macro_over_combo", A::KeyMacroOverCombo},
    {M::kWhole, "macro_name_list", A::MacroNameList},
    {M::kWhole, "custom_eq_name_combo", A::CustomEqCombo},
    {M::kWhole, "light_combo_audiomodeSelect", A::AudioModeCombo},
};

// Combos whose selection also refreshes the key assignment panel, after the chain above.
constexpr Row kItemRefreshRows[] = {
    {M::kWhole, "keyset_function_combo", A::KeyPanelRefresh},
    {M::kWhole, "keyset_mousekey_combo", A::KeyPanelRefresh},
    {M::kWhole, "keyset_mouseswing_combo", A::KeyPanelRefresh},
    {M::kWhole, "keyset_mousewheel_combo", A::KeyPanelRefresh},
    {M::kWhole, "keyset_mousedpi_combo", A::KeyPanelRefresh},
    {M::kWhole, "keyset_media_combo", A::KeyPanelRefresh},
    {M::kWhole, "keyset_system_combo", A::KeyPanelRefresh},
    {M::kWhole, "keyset_macro_combo", A::KeyPanelRefresh},
    {M::kWhole, "keyset_macro_over_combo", A::KeyPanelRefresh},
    {M::kWhole, "keyset_gunkey_combo", A::KeyPanelRefresh},
    {M::kWhole, "keyset_combokey_combo", A::KeyPanelRefresh},
};

constexpr Row kColourRows[] = {
    {M::kWhole, "deng_Color_Pallet", A::LightPalette},
    {M::kWhole, "deng_audioColor_Pallet", A::AudioPalette},
};

constexpr Row kFocusRows[] = {
    {M::kPrefix, "rodav_DPI_edit_", A::RodavDpiEdit},
    {M::kPrefix, "DPI_edit_", A::DpiEdit},
    {M::kWhole, "deng_edit_R", A::LightEditRgb, 0},
    {M::kWhole, "deng_edit_G", A::LightEditRgb, 1},
    {M::kWhole, "deng_edit_B", A::LightEditRgb, 2},
    {M::kWhole, "deng_audioedit_R", A::AudioEditRgb, 0},
    {M::kWhole, "deng_audioedit_G", A::AudioEditRgb, 1},
    {M::kWhole, "deng_audioedit_B", A::AudioEditRgb, 2},
    {M::kWhole, "keyset_keyboard_text_edit", A::HookRequest, 0},
    {M::kWhole, "bullet_x_eidt", A::ShootEdit, 0},
    {M::kWhole, "bullet_y_eidt", A::ShootEdit, 1},
    {M::kWhole, "bullet_delay_eidt", A::ShootEdit, 2},
    {M::kWhole, "macro_delay", A::MacroDelay},
    {M::kWhole, "keyset_mouseswing_num_edit", A::KeyPanelRefresh},
    {M::kWhole, "keyset_mouseswing_delay_edit", A::KeyPanelRefresh},
    {M::kWhole, "keyset_mouseswing_speed_edit", A::KeyPanelRefresh},
    {M::kWhole, "keyset_mousewheel_num_edit", A::KeyPanelRefresh},
    {M::kWhole, "keyset_mousewheel_delay_edit", A::KeyPanelRefresh},
    {M::kWhole, "keyset_mousewheel_speed_edit", A::KeyPanelRefresh},
    {M::kWhole, "keyset_mousefire_interval_edit", A::KeyPanelRefresh},
    {M::kWhole, "keyset_mousefire_num_edit", A::KeyPanelRefresh},
    {M::kWhole, "keyset_macro_cycle_edit", A::KeyPanelRefresh},
};

constexpr Row kSelectEndRows[] = {
    {M::kWhole, "device_key_light", A::BandSelectEnd, 0},
    {M::kWhole, "mouse_device_key_light", A::BandSelectEnd, 1},
    // The device pages name their picture "SelectPanel" (the device object binds its keys
    // by that name): the picture of the page shown.
    {M::kWhole, "SelectPanel", A::BandSelectEnd, kBandSelectShownPicture},
};

constexpr Row kMenuRows[] = {
    {M::kWhole, "exit", A::MenuExit},
    {M::kWhole, "about_menu", A::MenuAbout},
    {M::kWhole, "setwnd_menu", A::MenuSettingsCentred},
    {M::kWhole, "redio_previous_record_time", A::MacroRecordOption, 0},
    {M::kWhole, "redio_previous_constant_time", A::MacroRecordOption, 1},
    {M::kWhole, "redio_previous_ignore_time", A::MacroRecordOption, 2},
    {M::kWhole, "redio_later_record_time", A::MacroRecordOption, 3},
    {M::kWhole, "redio_later_constant_time", A::MacroRecordOption, 4},
    {M::kWhole, "redio_later_ignore_time", A::MacroRecordOption, 5},
    {M::kWhole, "macro_action_edit", A::MacroActionEdit},
    // arg = button * 3 + (0 down, 1 up, 2 click); buttons left, middle, right, forward, back
    {M::kWhole, "left_down", A::MacroInsertMouseEvent, 0},
    {M::kWhole, "left_up", A::MacroInsertMouseEvent, 1},
    {M::kWhole, "left_click", A::MacroInsertMouseEvent, 2},
    {M::kWhole, "middle_down", A::MacroInsertMouseEvent, 3},
    {M::kWhole, "middle_up", A::MacroInsertMouseEvent, 4},
    {M::kWhole, "middle_click", A::MacroInsertMouseEvent, 5},
    {M::kWhole, "right_down", A::MacroInsertMouseEvent, 6},
    {M::kWhole, "right_up", A::MacroInsertMouseEvent, 7},
    {M::kWhole, "right_click", A::MacroInsertMouseEvent, 8},
    {M::kWhole, "forward_down", A::MacroInsertMouseEvent, 9},
    {M::kWhole, "forward_up", A::MacroInsertMouseEvent, 10},
    {M::kWhole, "forward_click", A::MacroInsertMouseEvent, 11},
    {M::kWhole, "back_down", A::MacroInsertMouseEvent, 12},
    {M::kWhole, "back_up", A::MacroInsertMouseEvent, 13},
    {M::kWhole, "back_click", A::MacroInsertMouseEvent, 14},
};
// clang-format on

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i) {
        auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? char(c - 'A' + 'a') : c; };
        if (lower(a[i]) != lower(b[i])) return false;
    }
    return true;
}

// First row of `rows` (in table order) that the name matches.
std::optional<RouteHit> FindRow(std::span<const Row> rows, std::string_view name) {
    const std::optional<IndexedName> split = SplitIndexedName(name);
    for (const Row& row : rows) {
        switch (row.match) {
            case M::kWhole:
                if (EqualIgnoringCase(row.name, name)) return RouteHit{row.action, 0, row.arg};
                break;
            case M::kWholeExactCase:
                if (row.name == name) return RouteHit{row.action, 0, row.arg};
                break;
            case M::kPrefix:
                if (split && EqualIgnoringCase(row.name, split->prefix))
                    return RouteHit{row.action, split->number, row.arg};
                break;
        }
    }
    return std::nullopt;
}

void AddFrom(RouteResult& r, std::span<const Row> rows, std::string_view name) {
    if (auto hit = FindRow(rows, name)) r.hits.push_back(*hit);
}

}  // namespace

std::string_view ActionName(Action a) {
    switch (a) {
#define DZ_ACTION_NAME(x) \
    case Action::x:       \
        return #x;
        DZ_ROUTE_ACTIONS(DZ_ACTION_NAME)
#undef DZ_ACTION_NAME
    }
    return "?";
}

RouteResult RouteNotification(std::string_view type, std::string_view sender) {
    RouteResult r;
    if (type == "timer") {
        r.log = false;
    } else if (type == "windowinit") {
        r.hits.push_back({Action::WindowInit});
    } else if (type == "windowsize") {
        if (EqualIgnoringCase(sender, "root")) r.hits.push_back({Action::RootSized});
    } else if (type == "colorchanged") {
        AddFrom(r, kColourRows, sender);
    } else if (type == "click") {
        AddFrom(r, kClickRows, sender);
    } else if (type == "selectchanged") {
        AddFrom(r, kSelectRows, sender);
    } else if (type == "valuechanged") {
        AddFrom(r, kValueRows, sender);
    } else if (type == "movevaluechanged") {
        AddFrom(r, kDragRows, sender);
    } else if (type == "itemselect") {
        AddFrom(r, kItemRows, sender);
        AddFrom(r, kItemRefreshRows, sender);
    } else if (type == "killfocus") {
        AddFrom(r, kFocusRows, sender);
    } else if (type == "click_select_end") {
        AddFrom(r, kSelectEndRows, sender);
    } else if (type == "click_wpremove" || type == "click_wpedit") {
        r.pass_to_toolkit = false;
    }
    // "msleave", "msenter", "itemclick", "textchanged", "click_wpadd", "click_wpselect" and
    // any other type: nothing beyond the toolkit's own handling.
    return r;
}

std::optional<RouteHit> RouteMenuHook(std::string_view sender) {
    if (EqualIgnoringCase(sender, "macro_action")) return RouteHit{Action::OpenMacroActionMenu};
    return std::nullopt;
}

std::optional<RouteHit> RouteSetFocusHook(std::string_view sender) {
    if (EqualIgnoringCase(sender, "keyset_keyboard_text_edit"))
        return RouteHit{Action::HookRequest, 0, 1};
    return std::nullopt;
}

std::optional<RouteHit> RouteMenuCommand(std::string_view item) {
    return FindRow(kMenuRows, item);
}

}  // namespace dz::app
