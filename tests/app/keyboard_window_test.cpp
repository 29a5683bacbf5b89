// The keyboard's page in the main window on a real X server (run under xvfb-run and
// dbus-run-session) with the emulated keyboard in the process: its system controls used as
// a user uses them write the keyboard's settings block, its power indicator shows the
// keyboard's battery, its profile button moves the page's profile display, and the window's
// "default" and "reset" buttons restore the keyboard for real.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnection>
#include <QLabel>
#include <QSlider>
#include <QTest>
#include <QTimer>
#include <thread>

#include "app/app_setup.h"
#include "app/device_area.h"
#include "app/layout_rules.h"
#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "device/hid_interface.h"
#include "models/keyboard_device.h"
#include "models/keyboard_settings.h"
#include "panels/device_option_ui.h"
#include "platform/hid/hid_backend.h"
#include "platform/paths/paths.h"
#include "profile/json_file.h"
#include "sim/emulator.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"
#include "ui/control_ops.h"

namespace dz::app {
namespace {

using sim::DeviceKind;
using sim::Link;
using test::WaitUntil;

QApplication& App() {
    static int argc = 1;
    static char name[] = "keyboard_window_test";
    static char* argv[] = {name, nullptr};
    static QApplication* app = [] {
        auto* a = new QApplication(argc, argv);
        QApplication::setQuitOnLastWindowClosed(false);
        return a;
    }();
    return *app;
}

constexpr int kKeyboardKind = 1;

class KeyboardWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run under xvfb-run";
        qputenv("XDG_DATA_HOME", data_.path().c_str());
        SetupResources(ProgramFolder());
        emulator_ = std::make_unique<sim::Emulator>(sim::EmulatorConfig{});
        emulator_->SetLatency(std::chrono::microseconds(0));
        hid::BackendRegistry::Instance().Add(emulator_->Backend());
        wnd_ =
            std::make_unique<CMainWnd>(QDBusConnection::sessionBus(), QDBusConnection::systemBus());
        wnd_->resize(kMainWindowWidth, kMainWindowHeight);
        ASSERT_TRUE(wnd_->Create());
        wnd_->show();
        ASSERT_TRUE(WaitUntil([&] { return wnd_->isVisible(); }));
        ASSERT_TRUE(emulator_->Plug(DeviceKind::kKeyboard, Link::kCable));
        ASSERT_TRUE(
            WaitUntil([&] { return Keyboard() != nullptr && Keyboard()->TablesRead(); }, 5000))
            << "the keyboard's first read";
    }
    void TearDown() override {
        if (wnd_) wnd_->OnExit();
        wnd_.reset();
        if (emulator_) {
            size_t from_ui = 0;
            for (const sim::TrafficEntry& e : emulator_->Traffic().Entries())
                from_ui += e.direction == sim::Direction::kOut && e.writer == ui_thread_;
            EXPECT_EQ(from_ui, 0u) << "reports written on the UI thread";
        }
        hid::BackendRegistry::Instance().Remove(emulator_->Backend().get());
        emulator_.reset();
    }

    CRezazodaKeyboardDevice* Keyboard() {
        const auto& list = wnd_->Devices().DevicesOfKind(kKeyboardKind);
        return list.empty() ? nullptr : qobject_cast<CRezazodaKeyboardDevice*>(list.front());
    }
    template <class T>
    T* Find(const char* name) {
        return Keyboard()->findChild<T*>(QString::fromLatin1(name));
    }
    size_t Written(uint8_t command) {
        size_t n = 0;
        for (const sim::TrafficEntry& e : emulator_->Traffic().Entries())
            n += e.direction == sim::Direction::kOut && e.bytes.size() > 3 && e.bytes[0] == 4 &&
                 e.bytes[3] == command;
        return n;
    }
    Json::Value Section() { return ReadJsonFile(Keyboard()->ProfileFile())["Device"][0]; }
    // The keyboard's own "System" tab, as the user opens it.
    void OpenSystemTab() {
        Keyboard()->OnFeatureTab(3);
        QCoreApplication::processEvents();
    }
    sim::FirmwareModel& Model() { return emulator_->Model(DeviceKind::kKeyboard); }
    // Answers the next message box with its confirm button, once it runs.
    static void ConfirmNextBox() {
        auto* poll = new QTimer(qApp);
        QObject::connect(poll, &QTimer::timeout, [poll] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<CMsgWnd*>(w);
                if (box == nullptr || !box->isVisible() || !box->IsModalRunning()) continue;
                poll->stop();
                poll->deleteLater();
                if (auto* ok = qobject_cast<QAbstractButton*>(box->FindControl("confirm_btn")))
                    ok->click();
                return;
            }
        });
        poll->start(5);
    }

    test::TempFolder data_;
    std::unique_ptr<sim::Emulator> emulator_;
    std::unique_ptr<CMainWnd> wnd_;
    const std::thread::id ui_thread_ = std::this_thread::get_id();
};

TEST_F(KeyboardWindowTest, TheRepeatRateAndTheOptionsOfThePageWriteTheSettingsBlock) {
    OpenSystemTab();
    auto* slider = Find<QSlider>("repeat_rate_slider");
    ASSERT_NE(slider, nullptr);
    ASSERT_TRUE(slider->isVisible());
    emulator_->Traffic().Clear();
    const int before = slider->value();
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);  // one step, as the arrow key moves it
    ASSERT_TRUE(WaitUntil([&] { return Written(CMD_END) > 0; }));
    EXPECT_EQ(Section()["SystemStages"]["Repeat"].asInt(), before + 1);
    EXPECT_EQ(Written(CMD_BEGIN), 1u);
    EXPECT_EQ(Written(CMD_WRITE_SETTINGS), 1u);

    // The report rate: a click on its option; the option it leaves changes nothing.
    auto* rate = Find<QAbstractButton>("polling_rate_option_2");
    QTest::mouseClick(rate, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return Model().ProfileSettings(0)[kKbPollingRate] == 2; }));
    EXPECT_EQ(Section()["SystemStages"]["PollingRate"].asInt(), 2);
    auto* lock = Find<QAbstractButton>("winlockflag_option");
    QTest::mouseClick(lock, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return Model().ProfileSettings(0)[kKbWinFlag] == 1; }));
    auto* delay = Find<QAbstractButton>("repeat_delay_check_3");
    QTest::mouseClick(delay, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return Section()["SystemStages"]["RepeatDelay"].asInt() == 3; }));
    EXPECT_TRUE(Find<QLabel>("repeat_delay_time_label1")->text().endsWith("1000ms"));
}

TEST_F(KeyboardWindowTest, ThePowerIndicatorShowsTheKeyboardsBattery) {
    Model().SetPowerBytes(std::vector<uint8_t>{64});
    Keyboard()->ReadPowerStatus();  // the indicator's timer polls every 5 s
    QWidget* value = wnd_->FindControl(QStringLiteral("device_power_value"));
    ASSERT_NE(value, nullptr);
    ASSERT_TRUE(WaitUntil([&] {
        for (auto* label : wnd_->findChildren<QLabel*>(QStringLiteral("device_power_value")))
            if (label->isVisible() && label->text() == QLatin1String("64%")) return true;
        return false;
    })) << "the keyboard's battery on its shown power indicator";
}

TEST_F(KeyboardWindowTest, TheKeyboardsProfileButtonMovesThePagesProfileDisplay) {
    auto* label = Find<QLabel>("keyboard_onboard_profile_label");
    ASSERT_NE(label, nullptr);
    EXPECT_TRUE(label->isVisible());
    EXPECT_TRUE(label->text().contains("1")) << label->text().toStdString();
    ASSERT_TRUE(emulator_->PressProfile(DeviceKind::kKeyboard, 2));
    ASSERT_TRUE(WaitUntil([&] { return label->text().contains("3"); }))
        << label->text().toStdString();
    EXPECT_EQ(Keyboard()->DeviceProfile(), 2);
}

TEST_F(KeyboardWindowTest, DefaultAndResetRestoreTheKeyboardForReal) {
    // The user's changes: a lock flag and the repeat rate.
    OpenSystemTab();
    QTest::mouseClick(Find<QAbstractButton>("6flag_option"), Qt::LeftButton);
    Find<QSlider>("repeat_rate_slider")->setValue(77);
    ASSERT_TRUE(WaitUntil([&] { return Model().ProfileSettings(0)[kKbKey6Flag] == 1; }));
    ASSERT_EQ(Section()["SystemStages"]["Repeat"].asInt(), 77);

    // "default_btn": the confirmation answered yes, then the defaults go to the keyboard.
    const Json::Value defaults = ReadJsonFile(paths::DefaultDataFile("keyboard"))["Device"][0];
    emulator_->Traffic().Clear();
    ConfirmNextBox();
    wnd_->OnDefaultBtn();
    ASSERT_TRUE(WaitUntil([&] { return Model().ProfileSettings(0)[kKbKey6Flag] == 0; }));
    EXPECT_EQ(Section()["SystemStages"], defaults["SystemStages"]);
    ASSERT_TRUE(WaitUntil([&] { return Written(CMD_WRITE_KEYMAP) > 0; })) << "the key map too";
    EXPECT_EQ(ui::Value(Find<QWidget>("repeat_rate_slider")),
              defaults["SystemStages"]["Repeat"].asInt());

    // "device_reset_btn": the profile reset, and everything written again.
    QTest::mouseClick(Find<QAbstractButton>("winlockflag_option"), Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return Model().ProfileSettings(0)[kKbWinFlag] == 1; }));
    emulator_->Traffic().Clear();
    ConfirmNextBox();
    wnd_->OnDeviceResetBtn();
    ASSERT_TRUE(WaitUntil([&] { return Model().ProfileSettings(0)[kKbWinFlag] == 0; }));
    ASSERT_TRUE(WaitUntil([&] { return Written(CMD_WRITE_KEYMAP) > 0; }));
    EXPECT_EQ(Section()["SystemStages"], defaults["SystemStages"]);
    EXPECT_GT(Written(CMD_READ_INFO), 1u) << "the macros' and the key map's information block";
    EXPECT_FALSE(ui::IsSelected(Find<QWidget>("winlockflag_option")));
}

}  // namespace
}  // namespace dz::app
