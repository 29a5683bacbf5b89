// The key assignment and lighting panels in the main window on a real X server (run under
// xvfb-run and dbus-run-session), with the four emulated devices in the process: worked
// with the pointer, and a key captured through the window's own input hook from a key
// press injected with XTest.
#include <gtest/gtest.h>
#include <linux/input-event-codes.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDBusConnection>
#include <QLabel>
#include <QLineEdit>
#include <QTest>
#include <thread>

#include "app/app_setup.h"
#include "app/device_area.h"
#include "app/layout_rules.h"
#include "app/main_wnd.h"
#include "device/command_packet.h"
#include "device/device_table.h"
#include "models/key_codes.h"
#include "models/key_pages.h"
#include "models/keyboard_device.h"
#include "models/keyboard_layout.h"
#include "models/keyboard_settings.h"
#include "models/mouse_device.h"
#include "models/mouse_settings_page.h"
#include "models/panel_lists.h"
#include "panels/device_option_ui.h"
#include "platform/hid/hid_backend.h"
#include "platform/input/device_hook.h"
#include "platform/paths/paths.h"
#include "profile/json_file.h"
#include "sim/emulator.h"
#include "sim/model_tables.h"
#include "support/qt_app.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"
#include "ui/control_ops.h"
#include "ui/resource_manager.h"
// Last: the X headers define words (None, KeyPress, ...) that Qt uses as names.
#include "support/x11_input.h"

namespace dz {
namespace {

using sim::DeviceKind;
using test::WaitUntil;

constexpr KeyFunctionCode kVolumeUp{kKeyTypeConsumer, 0xE9, 0x00};
constexpr int kMediaVolumeUpRow = 6;

class PanelsWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::TestApplication();
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run under xvfb-run";
        qputenv("XDG_DATA_HOME", data_.path().c_str());
        app::SetupResources(app::ProgramFolder());
        sim::EmulatorConfig config;
        config.keyboard = config.mouse = config.mousepad = config.headset = true;
        emulator_ = std::make_unique<sim::Emulator>(config);
        emulator_->SetLatency(std::chrono::microseconds(0));
        hid::BackendRegistry::Instance().Add(emulator_->Backend());
        wnd_ = std::make_unique<app::CMainWnd>(QDBusConnection::sessionBus(),
                                               QDBusConnection::systemBus());
        wnd_->resize(app::kMainWindowWidth, app::kMainWindowHeight);
        ASSERT_TRUE(wnd_->Create());
        wnd_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(wnd_.get()));
        ASSERT_TRUE(WaitUntil(
            [&] {
                return Keyboard() != nullptr && Keyboard()->TablesRead() && Mouse() != nullptr &&
                       Mouse()->SyncsDone() > 0 && Device(kKindMousePad) != nullptr &&
                       Device(kKindHeadset) != nullptr;
            },
            15000))
            << "the devices' first reads";
        ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en")));
        Settle();
        emulator_->Traffic().Clear();
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
    }

    CRezazodaUSBDevice* Device(int kind) {
        const auto& list = wnd_->Devices().DevicesOfKind(kind);
        return list.empty() ? nullptr : list.front();
    }
    CRezazodaKeyboardDevice* Keyboard() {
        return qobject_cast<CRezazodaKeyboardDevice*>(Device(kKindKeyboard));
    }
    CRezazodaMouseDevice* Mouse() {
        return qobject_cast<CRezazodaMouseDevice*>(Device(kKindMouse));
    }
    void Show(int kind) {
        CRezazodaUSBDevice* d = Device(kind);
        app::DeviceArea& area = wnd_->Devices();
        for (int i = 0; i < area.ItemCount(); ++i)
            if (area.Item(i) != nullptr &&
                area.Item(i)->GetDevice() == static_cast<SelectorDevice*>(d))
                area.ShowItem(i, true, true);
        Settle();
        ASSERT_EQ(wnd_->CurrentDevicePage(), d);
    }
    template <class W = QWidget>
    W* On(int kind, const char* name) {
        W* w = Device(kind)->findChild<W*>(QString::fromLatin1(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void Settle() {
        for (int i = 0; i < 3; ++i) {
            for (int kind : {kKindMouse, kKindKeyboard, kKindMousePad, kKindHeadset})
                if (CRezazodaUSBDevice* d = Device(kind)) d->Worker().WaitIdle();
            QCoreApplication::processEvents();
        }
    }
    // A click of the pointer on a shown control.
    void Click(QWidget* w) {
        ASSERT_NE(w, nullptr);
        ASSERT_TRUE(w->isVisible()) << w->objectName().toStdString();
        QTest::mouseClick(w, Qt::LeftButton, Qt::NoModifier, w->rect().center());
        Settle();
    }
    // A list item chosen with the keyboard in the focused list (the list pops nothing up).
    void Choose(QComboBox* combo, int row) {
        ASSERT_NE(combo, nullptr);
        combo->setFocus(Qt::OtherFocusReason);
        while (combo->currentIndex() > row) QTest::keyClick(combo, Qt::Key_Up);
        while (combo->currentIndex() < row) QTest::keyClick(combo, Qt::Key_Down);
        ASSERT_EQ(combo->currentIndex(), row) << combo->objectName().toStdString();
        Settle();
    }
    void ChoosePage(int kind, KeyFunctionPage page) {
        auto* combo = On<QComboBox>(kind, "keyset_function_combo");
        for (int i = 0; i < combo->count(); ++i)
            if (combo->itemData(i).toString().toInt() == static_cast<int>(page)) Choose(combo, i);
    }
    void OpenKey(int position) {
        Click(On(kKindKeyboard, "key_Op_tab"));
        Click(On(kKindKeyboard, ("key_" + std::to_string(position)).c_str()));
    }
    static int PositionOf(KeyFunctionCode code) {
        const auto codes = KeyboardPositionCodes();
        for (size_t p = 0; p < codes.size(); ++p)
            if (codes[p] == code) return static_cast<int>(p);
        return -1;
    }
    KeyFunctionCode KeyboardCode(int position) {
        const auto slot =
            emulator_->Model(DeviceKind::kKeyboard).KeySlot(sim::KeyboardSlotOfPosition(position));
        return {slot[0], slot[1], slot[2]};
    }
    size_t Writes(DeviceKind kind, uint8_t command) {
        size_t n = 0;
        const std::string node = emulator_->CommandNode(kind);
        for (const sim::TrafficEntry& e : emulator_->Traffic().Entries())
            n += e.direction == sim::Direction::kOut && e.node == node && e.bytes.size() > 3 &&
                 e.bytes[3] == command;
        return n;
    }
    Json::Value Section(int kind) { return ReadJsonFile(Device(kind)->ProfileFile())["Device"][0]; }

    test::TempFolder data_;
    std::unique_ptr<sim::Emulator> emulator_;
    std::unique_ptr<app::CMainWnd> wnd_;
    const std::thread::id ui_thread_ = std::this_thread::get_id();
};

TEST_F(PanelsWindowTest, AKeyClickedGivenAMediaFunctionAndWrittenReachesTheKeyboard) {
    Show(kKindKeyboard);
    const int a = PositionOf({kKeyTypeKeyboard, 0, 0x04});
    ASSERT_GE(a, 0);
    OpenKey(a);
    ASSERT_TRUE(On(kKindKeyboard, "keyset_layout")->isVisible());
    ChoosePage(kKindKeyboard, KeyFunctionPage::kMedia);
    Choose(On<QComboBox>(kKindKeyboard, "keyset_media_combo"), kMediaVolumeUpRow);
    EXPECT_EQ(Writes(DeviceKind::kKeyboard, CMD_WRITE_KEYMAP), 0u)
        << "the key map waits for the write button";
    Click(On(kKindKeyboard, "key_butt_prosave"));
    EXPECT_GT(Writes(DeviceKind::kKeyboard, CMD_WRITE_KEYMAP), 0u);
    EXPECT_EQ(KeyboardCode(a), kVolumeUp);
    EXPECT_EQ(Section(kKindKeyboard)["KeyList"][a]["Assignment"].asInt(),
              KeyCodeToProfileInt(kVolumeUp));
    EXPECT_FALSE(On(kKindKeyboard, "key_butt_prosave")->isEnabled());
}

TEST_F(PanelsWindowTest, AModeChosenOnEachPageIsStoredAndWrittenWhereTheDeviceTakesIt) {
    // The keyboard: its settings block carries the effect's code.
    Show(kKindKeyboard);
    Choose(On<QComboBox>(kKindKeyboard, "light_combo_modeSelect"), 6);
    EXPECT_EQ(Section(kKindKeyboard)["LightInfo"]["SelectItem"].asInt(), 6);
    EXPECT_GT(Writes(DeviceKind::kKeyboard, CMD_WRITE_SETTINGS), 0u);
    EXPECT_EQ(emulator_->Model(DeviceKind::kKeyboard).ProfileSettings(0)[kKbEffect], 6)
        << "effect 6 has code 6";

    // The mouse: its settings page.
    Show(kKindMouse);
    Choose(On<QComboBox>(kKindMouse, "light_combo_modeSelect"), 3);
    EXPECT_EQ(Section(kKindMouse)["LightInfo"]["SelectItem"].asInt(), 3);
    EXPECT_GT(Writes(DeviceKind::kMouse, CMD_WRITE_SETTINGS), 0u);
    PanelLists mouse_lists;
    ReadPanelLists({{}, paths::DefaultLightFile(), {}}, 1, mouse_lists);
    ASSERT_GT(mouse_lists.effects.size(), 3u);
    const auto bytes = emulator_->Model(DeviceKind::kMouse).ProfileSettings(0);
    MousePageBytes page{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), page.size()), page.begin());
    EXPECT_EQ(DecodeMouseSettingsPage(page).mode_code, mouse_lists.effects[3].code);
    EXPECT_FALSE(On(kKindMouse, "deng_speed_layout")->isEnabled()) << "mode 3 has no speed";

    // The mousepad and the headset keep the mode in their profiles; their devices take no
    // lighting settings from this version yet.
    for (int kind : {kKindMousePad, kKindHeadset}) {
        Show(kind);
        Choose(On<QComboBox>(kind, "light_combo_modeSelect"), 2);
        EXPECT_EQ(Section(kind)["LightInfo"]["SelectItem"].asInt(), 2) << "kind " << kind;
        EXPECT_EQ(Device(kind)->GetLightRecord()[0], 2) << "kind " << kind;
    }
}

TEST_F(PanelsWindowTest, AKeyPressedOnTheXServerIsCapturedIntoTheKeyboardPage) {
    test::XInjector injector;
    ASSERT_TRUE(injector.Ok());
    if (wnd_->Hook().Coverage() == input::InputCoverage::kNone)
        GTEST_SKIP() << "the X server has no input extension";
    Show(kKindKeyboard);
    const int b = PositionOf({kKeyTypeKeyboard, 0, 0x05});
    OpenKey(b);
    ChoosePage(kKindKeyboard, KeyFunctionPage::kKeyboard);
    auto* text = On<QLineEdit>(kKindKeyboard, "keyset_keyboard_text_edit");
    EXPECT_FALSE(On(kKindKeyboard, "keyset_capture_note")->isVisible())
        << "an X11 session captures keys";
    wnd_->activateWindow();
    Click(text);
    ASSERT_TRUE(WaitUntil([&] {
        return wnd_->Hook().Mode() == input::kHookModeSingleKey && wnd_->Hook().KeyboardHooked();
    })) << "the edit's focus starts the capture";
    EXPECT_TRUE(wnd_->Hook().KeyboardGrabbed()) << "the key goes nowhere else";

    const auto key_of = [&] { return Keyboard()->Keys()[static_cast<size_t>(b)].current; };
    injector.Tap(KEY_F5);
    ASSERT_TRUE(WaitUntil([&] { return text->text() == QStringLiteral("F5"); }))
        << text->text().toStdString();
    EXPECT_EQ(key_of(), (KeyFunctionCode{kKeyTypeKeyboard, 0, 0x3E}));
    EXPECT_TRUE(ui::IsSelected(On(kKindKeyboard, "key_ComBox_check_0")));
    // The right Ctrl alone: the Ctrl choice, no key.
    injector.Tap(KEY_RIGHTCTRL);
    ASSERT_TRUE(WaitUntil([&] { return key_of() == KeyFunctionCode{kKeyTypeKeyboard, 0x01, 0}; }));
    EXPECT_TRUE(text->text().isEmpty());
    EXPECT_TRUE(ui::IsSelected(On(kKindKeyboard, "key_ComBox_check_1")));
    EXPECT_EQ(Keyboard()->KeyCodes()[static_cast<size_t>(b)],
              KeyCodeToProfileInt({kKeyTypeKeyboard, 0x01, 0}))
        << "a captured key is saved into the key list";

    // Cancel leaves the edit and ends the capture (the button, switched off, does not hand
    // the focus back to the edit): a key pressed then changes nothing.
    Click(On(kKindKeyboard, "key_butt_keycancel"));
    EXPECT_NE(QApplication::focusWidget(), text);
    ASSERT_TRUE(WaitUntil([&] { return !wnd_->Hook().KeyboardHooked(); }));
    EXPECT_FALSE(wnd_->Hook().KeyboardGrabbed());
    injector.Tap(KEY_G);
    Settle();
    EXPECT_NE(text->text(), QStringLiteral("G"));
}

// Both panels on the keyboard's and the mouse's pages in both languages: every text shown is
// a text of the language, none a bare identifier. With DOZADIR_SHOT_DIR set the pages are
// saved there as pictures.
TEST_F(PanelsWindowTest, BothPanelsShowTheirTextsOnTheKeyboardAndMousePagesInBothLanguages) {
    const QString shots = qEnvironmentVariable("DOZADIR_SHOT_DIR");
    const auto expect_texts = [](QWidget* panel, const std::string& where) {
        ASSERT_NE(panel, nullptr);
        ASSERT_TRUE(panel->isVisible()) << where;
        const auto untranslated = [](const QString& t) {
            return t.endsWith(QLatin1String("_text")) || t.startsWith(QLatin1String("keyset_")) ||
                   t.startsWith(QLatin1String("light_")) || t.startsWith(QLatin1String("deng_"));
        };
        size_t texts = 0;
        for (QWidget* w : panel->findChildren<QWidget*>()) {
            if (!w->isVisibleTo(panel)) continue;
            QStringList shown;
            if (auto* l = qobject_cast<QLabel*>(w)) shown << l->text();
            if (auto* b = qobject_cast<QAbstractButton*>(w)) shown << b->text();
            if (auto* c = qobject_cast<QComboBox*>(w))
                for (int i = 0; i < c->count(); ++i) shown << c->itemText(i);
            for (const QString& t : shown) {
                texts += !t.isEmpty();
                EXPECT_FALSE(untranslated(t)) << where << ": " << w->objectName().toStdString()
                                              << " shows " << t.toStdString();
            }
        }
        EXPECT_GT(texts, 10u) << where;
    };
    const auto save = [&](int kind, const QString& name) {
        if (shots.isEmpty()) return;
        Settle();
        EXPECT_TRUE(wnd_->grab().save(shots + QLatin1Char('/') + name + QStringLiteral(".png")));
        (void)kind;
    };
    for (const char* language : {"lan_en", "lan_cn"}) {
        ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QString::fromLatin1(language)));
        Settle();
        const QString lang = QString::fromLatin1(language).mid(4);
        for (int kind : {kKindKeyboard, kKindMouse}) {
            const QString page =
                kind == kKindKeyboard ? QStringLiteral("keyboard") : QStringLiteral("mouse");
            const std::string where = page.toStdString() + " " + language;
            Show(kind);
            Click(On(kind, "deng_Op_tab"));
            expect_texts(On(kind, "LightControlItem"), where + " lighting");
            save(kind, page + QStringLiteral("_lighting_") + lang);
            Click(On(kind, "key_Op_tab"));
            // A key with a function page of its own: the keyboard's A, the mouse's button 1.
            const int key = kind == kKindKeyboard ? PositionOf({kKeyTypeKeyboard, 0, 0x04}) : 1;
            Click(On(kind, ("key_" + std::to_string(key)).c_str()));
            ChoosePage(kind, KeyFunctionPage::kMacro);
            expect_texts(On(kind, "KeySetControlItem"), where + " keys");
            save(kind, page + QStringLiteral("_keys_") + lang);
            Click(On(kind, "key_butt_keycancel"));
        }
    }
}

}  // namespace
}  // namespace dz
