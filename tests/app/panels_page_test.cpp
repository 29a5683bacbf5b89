// The key assignment and lighting panels in the real main window (Qt's offscreen platform)
// on the real page skins, with the emulated keyboard, mouse, mousepad and headset. Every
// action is made as a user makes it (a click, a choice in a list, leaving an edit), so the
// notifications go through the real routing to the panels and the device objects.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDBusConnection>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <QStackedWidget>
#include <QTimer>
#include <thread>

#include "app/app_setup.h"
#include "app/device_area.h"
#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "models/keyboard_device.h"
#include "models/keyboard_layout.h"
#include "models/mouse_device.h"
#include "panels/device_option_ui.h"
#include "panels/key_set_control_ui.h"
#include "panels/light_control_ui.h"
#include "platform/hid/hid_backend.h"
#include "platform/input/hook_records.h"
#include "profile/json_file.h"
#include "sim/emulator.h"
#include "support/macro_files.h"
#include "support/no_bus.h"
#include "support/qt_app.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"
#include "ui/control_ops.h"
#include "ui/resource_manager.h"
#include "ui/widgets/color_palette.h"

namespace dz {
namespace {

namespace fs = std::filesystem;
using panels::CKeySetControlUI;
using panels::CLightControlUI;
using sim::DeviceKind;
using test::WaitUntil;

QApplication& App() {
    return test::TestApplication();
}

using test::NoBus;

// The text of the next message box, answered with its confirm button once it runs.
class BoxAnswer {
  public:
    BoxAnswer() {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<app::CMsgWnd*>(w);
                if (box == nullptr || !box->isVisible() || !box->IsModalRunning()) continue;
                text = ui::Text(box->FindControl(QStringLiteral("MessageText")));
                ++boxes;
                if (auto* ok = qobject_cast<QAbstractButton*>(
                        box->FindControl(QStringLiteral("confirm_btn"))))
                    ok->click();
            }
        });
        poll_.start(5);
    }
    QString text;
    int boxes = 0;

  private:
    QTimer poll_;
};

class PanelsPageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        ::setenv("DOZADIR_DATA_HOME", home_.path().c_str(), 1);
        app::SetupResources(app::ProgramFolder());
    }
    void TearDown() override {
        if (wnd_) wnd_->OnExit();
        wnd_.reset();
        if (emulator_) {
            size_t from_ui = 0;
            for (const sim::TrafficEntry& e : emulator_->Traffic().Entries())
                from_ui += e.direction == sim::Direction::kOut && e.writer == ui_thread_;
            EXPECT_EQ(from_ui, 0u) << "reports written on the UI thread";
            hid::BackendRegistry::Instance().Remove(emulator_->Backend().get());
        }
        emulator_.reset();
        ::unsetenv("DOZADIR_DATA_HOME");
    }
    // The window with the four devices, each read once.
    void Start() {
        sim::EmulatorConfig config;
        config.keyboard = config.mouse = config.mousepad = config.headset = true;
        emulator_ = std::make_unique<sim::Emulator>(config);
        emulator_->SetLatency(std::chrono::microseconds(0));
        hid::BackendRegistry::Instance().Add(emulator_->Backend());
        wnd_ = std::make_unique<app::CMainWnd>(NoBus(), NoBus());
        ASSERT_TRUE(wnd_->Create());
        wnd_->show();
        ASSERT_TRUE(WaitUntil(
            [&] {
                auto* k = qobject_cast<CRezazodaKeyboardDevice*>(Device(kKindKeyboard));
                auto* m = qobject_cast<CRezazodaMouseDevice*>(Device(kKindMouse));
                return k != nullptr && k->TablesRead() && m != nullptr && m->SyncsDone() > 0 &&
                       Device(kKindMousePad) != nullptr && Device(kKindHeadset) != nullptr;
            },
            15000))
            << "the devices' first reads";
        ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en")));
        Settle();
        emulator_->Traffic().Clear();
    }
    CRezazodaUSBDevice* Device(int kind) {
        const auto& list = wnd_->Devices().DevicesOfKind(kind);
        return list.empty() ? nullptr : list.front();
    }
    // Makes the device's page the current one, as its selector item does.
    CRezazodaUSBDevice* Show(int kind) {
        CRezazodaUSBDevice* d = Device(kind);
        app::DeviceArea& area = wnd_->Devices();
        for (int i = 0; i < area.ItemCount(); ++i)
            if (area.Item(i) != nullptr &&
                area.Item(i)->GetDevice() == static_cast<SelectorDevice*>(d))
                area.ShowItem(i, true, true);
        QCoreApplication::processEvents();
        EXPECT_EQ(wnd_->CurrentDevicePage(), d);
        return d;
    }
    template <class W = QWidget>
    W* On(int kind, const char* name) {
        W* w = Device(kind)->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    template <class P>
    P* PanelOf(int kind) {
        for (QWidget* w : Device(kind)->findChildren<QWidget*>())
            if (auto* p = qobject_cast<P*>(w)) return p;
        return nullptr;
    }
    void Settle() {
        for (int i = 0; i < 3; ++i) {
            for (int kind : {kKindMouse, kKindKeyboard, kKindMousePad, kKindHeadset})
                if (CRezazodaUSBDevice* d = Device(kind)) d->Worker().WaitIdle();
            QCoreApplication::processEvents();
        }
    }
    // Writes of `command` to the device: a transfer in several packets counts once (its
    // first packet is at offset 0 of profile 0).
    size_t Writes(DeviceKind kind, uint8_t command) {
        size_t n = 0;
        const std::string node = emulator_->CommandNode(kind);
        for (const sim::TrafficEntry& e : emulator_->Traffic().Entries())
            n += e.direction == sim::Direction::kOut && e.node == node && e.bytes.size() > 6 &&
                 e.bytes[3] == command && e.bytes[5] == 0 && e.bytes[6] == 0;
        return n;
    }
    // A user typing into an edit and leaving it.
    void Type(QLineEdit* edit, const QString& text) {
        edit->setText(text);
        QFocusEvent out(QEvent::FocusOut);
        QCoreApplication::sendEvent(edit, &out);
        Settle();
    }
    // The key function page `page` chosen in the list.
    void ChoosePage(int kind, KeyFunctionPage page) {
        auto* combo = On<QComboBox>(kind, "keyset_function_combo");
        for (int i = 0; i < combo->count(); ++i)
            if (combo->itemData(i).toString().toInt() == static_cast<int>(page))
                combo->setCurrentIndex(i);
        Settle();
    }
    void OpenKeyTab(int kind) {
        On<QAbstractButton>(kind, "key_Op_tab")->click();
        Settle();
    }
    void ClickKey(int kind, int n) {
        On<QAbstractButton>(kind, ("key_" + std::to_string(n)).c_str())->click();
        Settle();
    }
    Json::Value Section(int kind) { return ReadJsonFile(Device(kind)->ProfileFile())["Device"][0]; }
    // A key press as the input hook reports it during a key capture.
    void HookKey(uint32_t scan, bool extended) {
        input::KeyHookRecord key;
        key.scan_code = scan;
        key.flags = extended ? input::kKeyFlagExtended : 0;
        input::HookMessage m;
        m.name = "WM_HOOK_KEY_SINGLEKEY_MSG";
        m.mode = input::kHookModeSingleKey;
        m.wparam = input::kWmKeyDown;
        m.key = &key;
        wnd_->OnHookMessage(m);
        Settle();
    }
    // The enabled groups by mode, as the layout tables give them: C7, CL, CP, L, S, FX as
    // six '1' or '0', and whether the same-mode button is shown.
    struct ModeGroups {
        int mode;
        const char* groups;
        bool same;
    };
    void ExpectLayout(int kind, CLightControlUI* panel, std::initializer_list<ModeGroups> rows) {
        const char* names[] = {"deng_7color_check", "deng_color_layout", "colorpallet_layout",
                               "deng_light_layout", "deng_speed_layout", "deng_fx_layout"};
        for (const ModeGroups& row : rows) {
            panel->ShowMode(row.mode);
            for (int g = 0; g < 6; ++g)
                EXPECT_EQ(On(kind, names[g])->isEnabled(), row.groups[g] == '1')
                    << "kind " << kind << " mode " << row.mode << " " << names[g];
            EXPECT_EQ(ui::IsVisible(On(kind, "deng_same_mode")), row.same)
                << "kind " << kind << " mode " << row.mode;
            EXPECT_TRUE(On(kind, "lighteffect_layout")->isEnabled());
        }
    }
    static int KeyboardPositionOf(KeyFunctionCode code) {
        const auto codes = KeyboardPositionCodes();
        for (size_t p = 0; p < codes.size(); ++p)
            if (codes[p] == code) return static_cast<int>(p);
        return -1;
    }

    test::TempFolder home_;
    std::unique_ptr<sim::Emulator> emulator_;
    std::unique_ptr<app::CMainWnd> wnd_;
    const std::thread::id ui_thread_ = std::this_thread::get_id();
};

// ---- Key assignment panel ----------------------------------------------------------------

TEST_F(PanelsPageTest, AKeyboardOffersNeitherTheDpiNorTheGunPageAndAMouseDoes) {
    Start();
    for (int kind : {kKindKeyboard, kKindMouse}) {
        QWidget* combo = On(kind, "keyset_function_combo");
        ASSERT_EQ(ui::Count(combo), 12);
        for (int i = 0; i < 12; ++i) {
            const int page = ui::ItemData(combo, i).toInt();
            EXPECT_EQ(page, i) << "each item carries its page number";
            const bool offered = kind == kKindMouse || (page != 4 && page != 10);
            EXPECT_EQ(ui::IsItemVisible(combo, i), offered) << "kind " << kind << " page " << page;
        }
    }
    // The wheel and the keys pass over the hidden items as well.
    Show(kKindKeyboard);
    auto* combo = On<QComboBox>(kKindKeyboard, "keyset_function_combo");
    combo->setCurrentIndex(3);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Down, Qt::NoModifier);
    QCoreApplication::sendEvent(combo, &down);
    EXPECT_EQ(combo->currentIndex(), 5) << "from the wheel page to rapid fire, not to DPI";
}

TEST_F(PanelsPageTest, AClickOnAKeyOfTheKeyPageOpensThePanelWithTheKeysFunction) {
    Start();
    Show(kKindKeyboard);
    const int a = KeyboardPositionOf({kKeyTypeKeyboard, 0, 0x04});
    // On the lighting page a click opens nothing.
    ClickKey(kKindKeyboard, a);
    EXPECT_EQ(PanelOf<CKeySetControlUI>(kKindKeyboard)->CurrentEntry().key, -1);
    OpenKeyTab(kKindKeyboard);
    ClickKey(kKindKeyboard, a);
    auto* panel = PanelOf<CKeySetControlUI>(kKindKeyboard);
    EXPECT_EQ(panel->CurrentEntry().key, a);
    EXPECT_TRUE(On(kKindKeyboard, "KeySetControlItem")->isVisible());
    EXPECT_TRUE(On(kKindKeyboard, "keyset_layout")->isVisible());
    EXPECT_EQ(ui::Text(On(kKindKeyboard, "keyset_key_name_label")), QStringLiteral("A"));
    EXPECT_EQ(ui::CurSel(On(kKindKeyboard, "function_switch_tablayout")), 0) << "default page";
}

TEST_F(PanelsPageTest, TheFifthMacroModeShowsTheRepeatAreaAndBuildsARepeatedMacro) {
    test::WriteMacroList(home_.path() / "Dozadir Keyboard" / "keyboard", {2, 2});
    Start();
    Show(kKindKeyboard);
    Device(kKindKeyboard)->RefreshPage();
    OpenKeyTab(kKindKeyboard);
    const int a = KeyboardPositionOf({kKeyTypeKeyboard, 0, 0x04});
    ClickKey(kKindKeyboard, a);
    ChoosePage(kKindKeyboard, KeyFunctionPage::kMacro);
    EXPECT_EQ(ui::CurSel(On(kKindKeyboard, "function_switch_tablayout")), 9);
    On<QComboBox>(kKindKeyboard, "keyset_macro_combo")->setCurrentIndex(1);
    auto* mode = On<QComboBox>(kKindKeyboard, "keyset_macro_over_combo");
    QWidget* repeat_area = On(kKindKeyboard, "keyset_macro_cycle_layout");
    mode->setCurrentIndex(4);
    Settle();
    EXPECT_TRUE(repeat_area->isVisible());
    Type(On<QLineEdit>(kKindKeyboard, "keyset_macro_cycle_edit"), QStringLiteral("7"));
    auto* keyboard = qobject_cast<CRezazodaKeyboardDevice*>(Device(kKindKeyboard));
    EXPECT_EQ(keyboard->Keys()[static_cast<size_t>(a)].current,
              (KeyFunctionCode{kKeyTypeMacroRepeat, 1, 7}));
    mode->setCurrentIndex(2);
    Settle();
    EXPECT_FALSE(repeat_area->isVisible());
    EXPECT_EQ(keyboard->Keys()[static_cast<size_t>(a)].current,
              (KeyFunctionCode{kKeyTypeMacro, 1, 2}));
    EXPECT_TRUE(On(kKindKeyboard, "key_butt_prosave")->isEnabled());
    // Cancel shows the current function again and turns the buttons off.
    On<QAbstractButton>(kKindKeyboard, "key_butt_keycancel")->click();
    Settle();
    EXPECT_FALSE(On(kKindKeyboard, "key_butt_prosave")->isEnabled());
    EXPECT_EQ(mode->currentIndex(), 2);
    // Default shows the factory function without storing it.
    On<QAbstractButton>(kKindKeyboard, "key_butt_keydefalut")->click();
    Settle();
    EXPECT_EQ(ui::CurSel(On(kKindKeyboard, "function_switch_tablayout")), 0);
    EXPECT_EQ(keyboard->Keys()[static_cast<size_t>(a)].current,
              (KeyFunctionCode{kKeyTypeMacro, 1, 2}));
    On<QAbstractButton>(kKindKeyboard, "key_butt_keysave")->click();
    Settle();
    EXPECT_EQ(keyboard->Keys()[static_cast<size_t>(a)].current,
              KeyboardPositionCodes()[static_cast<size_t>(a)]);
}

TEST_F(PanelsPageTest, AMacroBeyondTheListShowsNoMacroAndLeavesTheCodeAsItIs) {
    test::WriteMacroList(home_.path() / "Dozadir Keyboard" / "keyboard", {2});
    Start();
    Show(kKindKeyboard);
    auto* panel = PanelOf<CKeySetControlUI>(kKindKeyboard);
    Device(kKindKeyboard)->RefreshPage();
    panel->ShowEntry(3, {kKeyTypeMacro, 5, 1}, {kKeyTypeKeyboard, 0, 0x04});
    EXPECT_EQ(panel->ShownPage(), KeyFunctionPage::kMacro);
    EXPECT_EQ(ui::CurSel(On(kKindKeyboard, "keyset_macro_combo")), -1);
    EXPECT_EQ(panel->BuildCode().current, (KeyFunctionCode{kKeyTypeMacro, 5, 1}));
}

TEST_F(PanelsPageTest, ACapturedRightCtrlAloneBuildsTheCtrlModifierAndNoKey) {
    Start();
    Show(kKindKeyboard);
    OpenKeyTab(kKindKeyboard);
    const int a = KeyboardPositionOf({kKeyTypeKeyboard, 0, 0x05});
    ClickKey(kKindKeyboard, a);
    ChoosePage(kKindKeyboard, KeyFunctionPage::kKeyboard);
    auto* keyboard = qobject_cast<CRezazodaKeyboardDevice*>(Device(kKindKeyboard));
    auto* text = On<QLineEdit>(kKindKeyboard, "keyset_keyboard_text_edit");
    EXPECT_TRUE(text->isReadOnly());
    HookKey(0x7F, false);  // not in the capture list: nothing changes
    EXPECT_FALSE(ui::IsSelected(On(kKindKeyboard, "key_ComBox_check_1")));
    HookKey(0x1D, true);  // right Ctrl
    EXPECT_TRUE(ui::IsSelected(On(kKindKeyboard, "key_ComBox_check_1")));
    EXPECT_TRUE(text->text().isEmpty());
    EXPECT_EQ(keyboard->Keys()[static_cast<size_t>(a)].current,
              (KeyFunctionCode{kKeyTypeKeyboard, 0x01, 0x00}));
    HookKey(0x1E, false);  // A
    EXPECT_EQ(text->text(), QStringLiteral("A"));
    EXPECT_EQ(keyboard->Keys()[static_cast<size_t>(a)].current,
              (KeyFunctionCode{kKeyTypeKeyboard, 0x01, 0x04}));
    // "None" as a user chooses it, then the numeric keypad's Enter (extended, like the
    // main Enter but told apart).
    On<QAbstractButton>(kKindKeyboard, "key_ComBox_check_0")->click();
    HookKey(0x1C, true);
    EXPECT_EQ(text->text(), QStringLiteral("Num Enter"));
    EXPECT_EQ(keyboard->Keys()[static_cast<size_t>(a)].current,
              (KeyFunctionCode{kKeyTypeKeyboard, 0, 0x58}));
}

TEST_F(PanelsPageTest, AMouseDefaultOfItsOwnHasNoPageAndHidesTheEditingArea) {
    Start();
    auto* mouse = qobject_cast<CRezazodaMouseDevice*>(Show(kKindMouse));
    const fs::path file = mouse->ProfileFile();
    Json::Value profile = ReadJsonFile(file);
    profile["Device"][0]["KeyList"][3]["Assignment"] = KeyCodeToProfileInt({0x16, 0x90, 0x01});
    ASSERT_TRUE(TryWriteJsonFile(file, profile));
    ASSERT_EQ(mouse->LoadProfile(), 1u);
    OpenKeyTab(kKindMouse);
    ClickKey(kKindMouse, 3);
    EXPECT_EQ(PanelOf<CKeySetControlUI>(kKindMouse)->CurrentEntry().key, 3);
    EXPECT_TRUE(On(kKindMouse, "KeySetControlItem")->isVisible());
    EXPECT_FALSE(On(kKindMouse, "keyset_layout")->isVisible());
    // Another button brings the area back.
    ClickKey(kKindMouse, 1);
    EXPECT_TRUE(On(kKindMouse, "keyset_layout")->isVisible());
}

TEST_F(PanelsPageTest, TheMouseKeepsItsLastLeftButton) {
    Start();
    Show(kKindMouse);
    OpenKeyTab(kKindMouse);
    {
        BoxAnswer box;
        ClickKey(kKindMouse, 0);
        ASSERT_TRUE(WaitUntil([&] { return box.boxes == 1; }));
        EXPECT_EQ(box.text, ui::ResourceManager::Instance().Text(QStringLiteral("message_text_6")));
    }
    EXPECT_FALSE(On(kKindMouse, "KeySetControlItem")->isVisible()) << "the panel stays shut";
    // With a second left button the first may be given another function.
    ClickKey(kKindMouse, 4);
    ChoosePage(kKindMouse, KeyFunctionPage::kMouseButton);
    On<QComboBox>(kKindMouse, "keyset_mousekey_combo")->setCurrentIndex(0);
    Settle();
    auto* mouse = qobject_cast<CRezazodaMouseDevice*>(Device(kKindMouse));
    ASSERT_EQ(mouse->Keys()[4].current, (KeyFunctionCode{kKeyTypeMouseButton, 1, 0}));
    ClickKey(kKindMouse, 0);
    EXPECT_EQ(PanelOf<CKeySetControlUI>(kKindMouse)->CurrentEntry().key, 0);
}

TEST_F(PanelsPageTest, WritingKeysWhoseMacrosDoNotFitTellsTheShortageAndRestoresTheDefault) {
    test::WriteMacroList(home_.path() / "Dozadir Keyboard" / "keyboard", {70000});
    Start();
    Show(kKindKeyboard);
    Device(kKindKeyboard)->RefreshPage();
    OpenKeyTab(kKindKeyboard);
    const int a = KeyboardPositionOf({kKeyTypeKeyboard, 0, 0x04});
    ClickKey(kKindKeyboard, a);
    ChoosePage(kKindKeyboard, KeyFunctionPage::kMacro);
    On<QComboBox>(kKindKeyboard, "keyset_macro_combo")->setCurrentIndex(0);
    On<QComboBox>(kKindKeyboard, "keyset_macro_over_combo")->setCurrentIndex(0);
    Settle();
    BoxAnswer box;
    On<QAbstractButton>(kKindKeyboard, "key_butt_prosave")->click();
    ASSERT_TRUE(WaitUntil([&] { return box.boxes == 1; }));
    Settle();
    const int shortage = (16 + 6 + 280000 - 4096) / 4 + 1;
    EXPECT_EQ(box.text, QStringLiteral("The macros do not fit the device's memory: %1 events too "
                                       "many. Shorten or remove some macros.")
                            .arg(shortage));
    const KeyFunctionCode factory = KeyboardPositionCodes()[static_cast<size_t>(a)];
    auto* keyboard = qobject_cast<CRezazodaKeyboardDevice*>(Device(kKindKeyboard));
    EXPECT_EQ(keyboard->Keys()[static_cast<size_t>(a)].current, factory);
    EXPECT_EQ(Section(kKindKeyboard)["KeyList"][a]["Assignment"].asInt(),
              KeyCodeToProfileInt(factory));
    EXPECT_GT(Writes(DeviceKind::kKeyboard, CMD_WRITE_KEYMAP), 0u);
    EXPECT_EQ(Writes(DeviceKind::kKeyboard, CMD_WRITE_MACROS), 0u);
    EXPECT_FALSE(On(kKindKeyboard, "key_butt_prosave")->isEnabled());
}

// ---- Lighting panel ----------------------------------------------------------------------

TEST_F(PanelsPageTest, ColourEditsAreReadAsNumbersInRangeAndShowWhatWasStored) {
    Start();
    Show(kKindKeyboard);
    auto* g = On<QLineEdit>(kKindKeyboard, "deng_edit_G");
    Type(g, QStringLiteral("300"));
    EXPECT_EQ(g->text(), QStringLiteral("255"));
    EXPECT_EQ(Section(kKindKeyboard)["LightInfo"]["Green"].asInt(), 255);
    EXPECT_EQ(Section(kKindKeyboard)["LightInfo"]["MultiColor"].asInt(), 0);
    EXPECT_FALSE(ui::IsSelected(On(kKindKeyboard, "deng_7color_check")));
    EXPECT_EQ(qGreen(ui::SelectColor(On(kKindKeyboard, "deng_Color_Pallet"))), 255);
    EXPECT_EQ(ui::Text(On(kKindKeyboard, "deng_edit_hex")), QStringLiteral("#FFFF00"));
    Type(g, QString());
    EXPECT_EQ(g->text(), QStringLiteral("0"));
    EXPECT_EQ(Section(kKindKeyboard)["LightInfo"]["Green"].asInt(), 0);
    for (const char* text : {"-1", "12abc"}) Type(g, QString::fromLatin1(text));
    EXPECT_EQ(g->text(), QStringLiteral("12"));
    EXPECT_EQ(Section(kKindKeyboard)["LightInfo"]["Green"].asInt(), 12);
    EXPECT_EQ(Writes(DeviceKind::kKeyboard, CMD_WRITE_SETTINGS), 3u)
        << "300, empty and 12abc; -1 read as 0 changed nothing";
    // The hex edit beside them takes a whole colour.
    Type(On<QLineEdit>(kKindKeyboard, "deng_edit_hex"), QStringLiteral("#102030"));
    EXPECT_EQ(Section(kKindKeyboard)["LightInfo"]["Red"].asInt(), 0x10);
    EXPECT_EQ(Section(kKindKeyboard)["LightInfo"]["Blue"].asInt(), 0x30);
    EXPECT_EQ(g->text(), QStringLiteral("32"));
    Type(On<QLineEdit>(kKindKeyboard, "deng_edit_hex"), QStringLiteral("#12345"));
    EXPECT_EQ(ui::Text(On(kKindKeyboard, "deng_edit_hex")), QStringLiteral("#102030"))
        << "a text that is no colour shows the colour there is";
}

TEST_F(PanelsPageTest, APaletteOrPresetColourSwitchesMulticolourOff) {
    Start();
    Show(kKindMouse);
    ASSERT_EQ(Section(kKindMouse)["LightInfo"]["MultiColor"].asInt(), 1);
    ASSERT_TRUE(ui::IsSelected(On(kKindMouse, "deng_7color_check")));
    ui::SetSelectColor(On(kKindMouse, "deng_Color_Pallet"), qRgb(0, 128, 255), true);
    Settle();
    EXPECT_EQ(Section(kKindMouse)["LightInfo"]["MultiColor"].asInt(), 0);
    EXPECT_EQ(Section(kKindMouse)["LightInfo"]["Blue"].asInt(), 255);
    EXPECT_EQ(ui::Text(On(kKindMouse, "deng_edit_G")), QStringLiteral("128"));
    EXPECT_FALSE(ui::IsSelected(On(kKindMouse, "deng_7color_check")));
    EXPECT_EQ(Writes(DeviceKind::kMouse, CMD_WRITE_SETTINGS), 1u);

    On<QAbstractButton>(kKindMouse, "deng_7color_check")->click();
    Settle();
    EXPECT_EQ(Section(kKindMouse)["LightInfo"]["MultiColor"].asInt(), 1);
    On<QAbstractButton>(kKindMouse, "color_option_3")->click();  // green
    Settle();
    EXPECT_EQ(Section(kKindMouse)["LightInfo"]["MultiColor"].asInt(), 0);
    EXPECT_EQ(Section(kKindMouse)["LightInfo"]["Green"].asInt(), 255);
    EXPECT_EQ(Section(kKindMouse)["LightInfo"]["Red"].asInt(), 0);
}

TEST_F(PanelsPageTest, TheSlidersAndTheDirectionGoToTheRecord) {
    Start();
    Show(kKindMousePad);
    auto* brightness = On<QSlider>(kKindMousePad, "deng_light_slider");
    EXPECT_EQ(brightness->maximum(), 4);
    EXPECT_EQ(On<QSlider>(kKindKeyboard, "deng_light_slider")->maximum(), 5);
    brightness->setValue(1);
    Settle();
    EXPECT_EQ(Section(kKindMousePad)["LightInfo"]["Light"].asInt(), 1);
    On<QSlider>(kKindMousePad, "deng_speed_slider")->setValue(0);
    Settle();
    EXPECT_EQ(Section(kKindMousePad)["LightInfo"]["Speed"].asInt(), 0);
    On<QAbstractButton>(kKindMousePad, "deng_FXR_check")->click();
    Settle();
    EXPECT_EQ(Section(kKindMousePad)["LightInfo"]["Fx"].asInt(), 0);
    EXPECT_FALSE(ui::IsSelected(On(kKindMousePad, "deng_FXL_check")));
    On<QAbstractButton>(kKindMousePad, "deng_FXL_check")->click();
    Settle();
    EXPECT_EQ(Section(kKindMousePad)["LightInfo"]["Fx"].asInt(), 1);
}

TEST_F(PanelsPageTest, EachKindLaysItsPanelOutByMode) {
    Start();
    auto* mouse = PanelOf<CLightControlUI>(kKindMouse);
    ASSERT_TRUE(mouse->MultiDevice()) << "four devices are present";
    ExpectLayout(kKindMouse, mouse,
                 {{0, "111111", false},
                  {1, "000110", true},
                  {2, "111110", true},
                  {3, "011100", true},
                  {4, "111110", true},
                  {5, "111111", false},
                  {6, "111110", true},
                  {7, "000110", false},
                  {8, "000110", false},
                  {9, "000000", true},
                  {10, "000000", false}});
    for (int kind : {kKindMousePad, kKindHeadset})
        ExpectLayout(kind, PanelOf<CLightControlUI>(kind),
                     {{0, "111111", false},
                      {1, "000110", true},
                      {2, "111110", true},
                      {3, "011100", true},
                      {4, "111110", true},
                      {5, "000000", false},
                      {8, "000000", true}});
    auto* keyboard = PanelOf<CLightControlUI>(kKindKeyboard);
    ExpectLayout(kKindKeyboard, keyboard,
                 {{0, "000000", false},
                  {1, "111111", false},
                  {3, "111111", false},
                  {4, "000110", true},
                  {6, "111100", true},
                  {12, "000111", false},
                  {16, "111100", false},
                  {17, "000110", false},
                  {18, "000101", false},
                  {20, "011100", false},
                  {28, "000000", true},
                  {29, "111101", false},
                  {30, "000100", false},
                  {31, "000000", false}});
    // The keyboard's own groups and direction texts.
    const auto text = [&](const char* name) { return ui::Text(On(kKindKeyboard, name)); };
    keyboard->ShowMode(3);
    EXPECT_EQ(text("deng_FXL_check"), QStringLiteral("Clockwise"));
    EXPECT_EQ(text("deng_FXR_check"), QStringLiteral("Anticlockwise"));
    keyboard->ShowMode(17);
    EXPECT_TRUE(ui::IsVisible(On(kKindKeyboard, "light_combo_ZZCCmodeSelectLayout")));
    EXPECT_FALSE(ui::IsVisible(On(kKindKeyboard, "deng_speed_layout")));
    EXPECT_FALSE(On(kKindKeyboard, "light_color_layout")->isEnabled());
    keyboard->ShowMode(20);
    EXPECT_TRUE(ui::IsVisible(On(kKindKeyboard, "lightcustom_layout")));
    EXPECT_FALSE(ui::IsVisible(On(kKindKeyboard, "light_combo_ZZCCmodeSelectLayout")));
    keyboard->ShowMode(29);
    EXPECT_TRUE(ui::IsVisible(On(kKindKeyboard, "light_combo_AudiomodeSelectLayout")));
    EXPECT_EQ(ui::CurSel(On(kKindKeyboard, "light_color_tablayout")), 1);
    keyboard->ShowMode(1);
    EXPECT_EQ(ui::CurSel(On(kKindKeyboard, "light_color_tablayout")), 0);
    EXPECT_EQ(text("deng_FXL_check"), QStringLiteral("Right to left"));
    EXPECT_TRUE(ui::IsVisible(On(kKindKeyboard, "deng_speed_layout")));
    EXPECT_FALSE(ui::IsVisible(On(kKindKeyboard, "lightcustom_layout")));
}

TEST_F(PanelsPageTest, WithOneDeviceTheSameModeButtonStaysHiddenInEveryMode) {
    Start();
    for (int kind : {kKindKeyboard, kKindMouse, kKindMousePad, kKindHeadset}) {
        auto* panel = PanelOf<CLightControlUI>(kind);
        panel->SetMultiDevice(false);
        for (int mode = 0; mode < 32; ++mode) {
            panel->ShowMode(mode);
            EXPECT_FALSE(ui::IsVisible(On(kind, "deng_same_mode"))) << kind << " " << mode;
        }
        panel->SetMultiDevice(true);
    }
    // The main window tells the panels when the number of devices changes.
    ASSERT_TRUE(emulator_->Unplug(DeviceKind::kMouse, sim::Link::kCable));
    ASSERT_TRUE(emulator_->Unplug(DeviceKind::kMousepad, sim::Link::kCable));
    ASSERT_TRUE(emulator_->Unplug(DeviceKind::kHeadset, sim::Link::kCable));
    ASSERT_TRUE(
        WaitUntil([&] { return !PanelOf<CLightControlUI>(kKindKeyboard)->MultiDevice(); }, 5000));
}

TEST_F(PanelsPageTest, AHiddenModeStaysInTheComboAndStrangeRecordsAreShownSafely) {
    Start();
    auto* panel = PanelOf<CLightControlUI>(kKindKeyboard);
    auto* combo = On<QComboBox>(kKindKeyboard, "light_combo_modeSelect");
    ASSERT_EQ(combo->count(), 31);
    EXPECT_FALSE(ui::IsItemVisible(combo, 0)) << "\"visible\": false in the default data";
    EXPECT_FALSE(ui::IsItemVisible(combo, 19));
    EXPECT_TRUE(ui::IsItemVisible(combo, 1));
    EXPECT_EQ(combo->itemText(1), QStringLiteral("Wave"));
    panel->ShowMode(0);
    EXPECT_EQ(combo->currentIndex(), 0) << "a record may still show it";

    // A mode beyond the list, brightness 9, speed 200: nothing chosen, the sliders at
    // their ends, every group off.
    LightRecord r{};
    r[0] = 40;
    r[1] = 9;
    r[2] = 200;
    panel->ShowLightRecord(r);
    EXPECT_EQ(combo->currentIndex(), -1);
    EXPECT_EQ(On<QSlider>(kKindKeyboard, "deng_light_slider")->value(), 5);
    EXPECT_EQ(On<QSlider>(kKindKeyboard, "deng_speed_slider")->value(), 4);
    EXPECT_FALSE(On(kKindKeyboard, "deng_light_layout")->isEnabled());
    EXPECT_EQ(panel->GetMode(), -1);
}

TEST_F(PanelsPageTest, ChoosingAModeWritesItAndLaysThePanelOut) {
    Start();
    Show(kKindMouse);
    On<QComboBox>(kKindMouse, "light_combo_modeSelect")->setCurrentIndex(3);
    Settle();
    EXPECT_EQ(Section(kKindMouse)["LightInfo"]["SelectItem"].asInt(), 3);
    EXPECT_EQ(Writes(DeviceKind::kMouse, CMD_WRITE_SETTINGS), 1u);
    // Mode 3: no multicolour, speed or direction; colour and brightness stay.
    EXPECT_FALSE(On(kKindMouse, "deng_7color_check")->isEnabled());
    EXPECT_FALSE(On(kKindMouse, "deng_speed_layout")->isEnabled());
    EXPECT_FALSE(On(kKindMouse, "deng_fx_layout")->isEnabled());
    EXPECT_TRUE(On(kKindMouse, "deng_color_layout")->isEnabled());
    EXPECT_TRUE(On(kKindMouse, "colorpallet_layout")->isEnabled());
    EXPECT_TRUE(On(kKindMouse, "deng_light_layout")->isEnabled());
}

TEST_F(PanelsPageTest, TheAudioSubPanelShowsAndReadsItsRecord) {
    Start();
    auto* panel = PanelOf<CLightControlUI>(kKindKeyboard);
    CLightControlUI::AudioLight a;
    a.mode = 2;
    a.background = {1, 2, 3};
    a.foreground = {200, 100, 50};
    a.multicolour = true;
    a.edit = 0;
    ASSERT_TRUE(panel->SetAudioLightInfo(a));
    EXPECT_TRUE(ui::IsSelected(On(kKindKeyboard, "audio_BkColor_check")));
    EXPECT_FALSE(ui::IsSelected(On(kKindKeyboard, "audio_FgColor_check")));
    EXPECT_FALSE(On(kKindKeyboard, "deng_7audiocolor_check")->isEnabled());
    EXPECT_EQ(ui::Text(On(kKindKeyboard, "deng_audioedit_B")), QStringLiteral("3"));
    EXPECT_EQ(ui::BkColor(On(kKindKeyboard, "deng_audiocolordp_btn")), qRgba(1, 2, 3, 255));
    a.edit = 1;
    ASSERT_TRUE(panel->SetAudioLightInfo(a));
    EXPECT_TRUE(On(kKindKeyboard, "deng_7audiocolor_check")->isEnabled());
    EXPECT_TRUE(ui::IsSelected(On(kKindKeyboard, "deng_7audiocolor_check")));
    EXPECT_EQ(ui::Text(On(kKindKeyboard, "deng_audioedit_R")), QStringLiteral("200"));
    // Reading back: the background option chosen after editing the foreground.
    ui::SetSelected(On(kKindKeyboard, "audio_BkColor_check"), true);
    ui::SetBkColor(On(kKindKeyboard, "deng_audiocolordp_btn"), qRgba(9, 8, 7, 255));
    const auto read = panel->GetAudioLightInfo(true);
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->edit, 0);
    EXPECT_EQ(read->background, (std::array<uint8_t, 3>{9, 8, 7}));
    EXPECT_EQ(read->foreground, (std::array<uint8_t, 3>{200, 100, 50}));
    // The device object's three words come back the same.
    EXPECT_EQ(CLightControlUI::AudioOfWords(CLightControlUI::AudioWords(*read)), *read);
    // Audio mode 3 switches both colour groups off.
    a.mode = 3;
    ASSERT_TRUE(panel->SetAudioLightInfo(a));
    EXPECT_FALSE(On(kKindKeyboard, "light_audiocolor_layout")->isEnabled());
    EXPECT_FALSE(On(kKindKeyboard, "audiocolorpallet_layout")->isEnabled());
}

TEST(PanelsBare, TheAudioOperationsStopWhenAControlIsMissing) {
    App();
    // A panel whose skin has only the lighting controls and the audio mode list.
    CLightControlUI panel;
    (new QComboBox(&panel))->setObjectName(QStringLiteral("light_combo_modeSelect"));
    (new QComboBox(&panel))->setObjectName(QStringLiteral("light_combo_audiomodeSelect"));
    EXPECT_FALSE(panel.SetAudioLightInfo({}));
    EXPECT_FALSE(panel.GetAudioLightInfo(false).has_value());
    EXPECT_FALSE(panel.GetLightAudioColor().has_value());
    EXPECT_FALSE(panel.AudioLightWords().has_value());
    // The other operations skip what is missing.
    panel.ShowLightRecord(LightRecord{});
    panel.OnEditRgb(1);
    EXPECT_EQ(panel.GetPaletteColour(), qRgba(0, 0, 0, 255));
    EXPECT_EQ(panel.GetSwatchColour(0), 0u);
}

}  // namespace
}  // namespace dz
