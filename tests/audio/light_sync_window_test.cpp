// Synchronised lighting in the main window (run under xvfb-run and dbus-run-session) with
// an emulated keyboard and mouse in the process: "deng_same_mode" on the keyboard's page
// makes both show the same colour at the same time, a mode without a synchronised type
// does nothing, "off" keeps the devices flagged and black, and unplugging every flagged
// device idles the thread while a device plugged in again starts unflagged.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnection>

#include "app/app_setup.h"
#include "app/layout_rules.h"
#include "app/main_wnd.h"
#include "models/keyboard_device.h"
#include "models/mouse_device.h"
#include "platform/hid/hid_backend.h"
#include "sim/emulator.h"
#include "support/qt_app.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"
#include "ui/control_ops.h"
#include "ui/window_base.h"
#include "device/lighting/lighting_tables.h"
#include <set>

namespace dz::app {
namespace {

using sim::DeviceKind;
using sim::Link;
using test::WaitUntil;

class LightSyncWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::TestApplication();
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run under xvfb-run";
        qputenv("XDG_DATA_HOME", data_.path().c_str());
        // No capture program in these tests.
        qputenv("DOZADIR_AUDIO_RECORD", "/bin/true");
        SetupResources(ProgramFolder());
        emulator_ = std::make_unique<sim::Emulator>(sim::EmulatorConfig{});
        emulator_->SetLatency(std::chrono::microseconds(0));
        hid::BackendRegistry::Instance().Add(emulator_->Backend());
        wnd_ =
            std::make_unique<CMainWnd>(QDBusConnection::sessionBus(), QDBusConnection::systemBus());
        wnd_->resize(kMainWindowWidth, kMainWindowHeight);
        ASSERT_TRUE(wnd_->Create());
        wnd_->show();
        ASSERT_TRUE(emulator_->Plug(DeviceKind::kKeyboard, Link::kCable));
        ASSERT_TRUE(emulator_->Plug(DeviceKind::kMouse, Link::kCable));
        ASSERT_TRUE(WaitUntil(
            [&] {
                auto* k = qobject_cast<CRezazodaKeyboardDevice*>(Keyboard());
                return k != nullptr && k->TablesRead() && Mouse() != nullptr &&
                       Mouse()->ChannelOpen();
            },
            5000));
        // The keyboard's page is the current one.
        for (int i = 0; i < 4 && wnd_->CurrentDevicePage() != Keyboard(); ++i) wnd_->OnDeviceStep(1);
        ASSERT_EQ(wnd_->CurrentDevicePage(), Keyboard());
    }
    void TearDown() override {
        if (wnd_) wnd_->OnExit();
        wnd_.reset();
        hid::BackendRegistry::Instance().Remove(emulator_->Backend().get());
        emulator_.reset();
        qunsetenv("DOZADIR_AUDIO_RECORD");
    }
    CRezazodaUSBDevice* Of(int kind) {
        const auto& list = wnd_->Devices().DevicesOfKind(kind);
        return list.empty() ? nullptr : list.front();
    }
    CRezazodaUSBDevice* Keyboard() { return Of(kKindKeyboard); }
    CRezazodaUSBDevice* Mouse() { return Of(kKindMouse); }
    // The keyboard's lighting record with mode `mode`, then the click on "deng_same_mode".
    void SameModeFromKeyboard(uint8_t mode, std::array<uint8_t, 3> rgb, uint8_t speed = 4) {
        LightRecord r = Keyboard()->GetLightRecord();
        r[0] = mode;
        r[1] = 5;
        r[2] = speed;
        r[3] = 1;
        r[4] = 0;
        r[5] = rgb[0];
        r[6] = rgb[1];
        r[7] = rgb[2];
        Keyboard()->SetLightRecord(r);
        Keyboard()->Lighting()->ShowLightRecord(r);
        auto* button = Keyboard()->findChild<QAbstractButton*>(QStringLiteral("deng_same_mode"));
        ASSERT_NE(button, nullptr);
        // The click as the toolkit reports it, also where the mode's layout hides the button.
        ui::RaiseNotify(button, QStringLiteral("click"));
    }
    // Every light of the device shows `word`.
    static bool AllLights(CRezazodaUSBDevice* d, uint32_t word) {
        const auto& leds = d->Leds();
        if (leds.Size() == 0) return false;
        for (size_t i = 0; i < leds.Size(); ++i)
            if (leds.GetPacked(i) != word) return false;
        return true;
    }

    test::TempFolder data_;
    std::unique_ptr<sim::Emulator> emulator_;
    std::unique_ptr<CMainWnd> wnd_;
};

TEST_F(LightSyncWindowTest, SteadyFromTheKeyboardShowsItsColourOnBothDevices) {
    SameModeFromKeyboard(6, {10, 200, 30});
    EXPECT_FALSE(Keyboard()->findChild<QWidget*>(QStringLiteral("deng_same_mode"))->isHidden())
        << "offered with two devices";
    EXPECT_TRUE(Keyboard()->LightSync());
    EXPECT_TRUE(Mouse()->LightSync());
    EXPECT_EQ(Mouse()->GetLightRecord()[0], 3) << "the mouse's steady mode";
    const uint32_t word = SyncWord(10, 200, 30, lighting::BrightnessAlpha(5));
    EXPECT_TRUE(WaitUntil([&] { return AllLights(Keyboard(), word) && AllLights(Mouse(), word); }))
        << std::hex << Keyboard()->Leds().GetPacked(0) << " " << Mouse()->Leds().GetPacked(0);
    // The mouse takes the colour in its frames (its lights scaled by their alpha).
    const uint8_t alpha = static_cast<uint8_t>(word >> 24);
    EXPECT_TRUE(WaitUntil([&] {
        const std::vector<uint8_t> frame = emulator_->Model(DeviceKind::kMouse).LastLightFrame();
        return frame.size() >= 3 && frame[0] == 10 * alpha / 256 && frame[1] == 200 * alpha / 256 &&
               frame[2] == 30 * alpha / 256;
    }));
}

TEST_F(LightSyncWindowTest, AColourCycleShowsTheSameColourOnBothAtEachStep) {
    SameModeFromKeyboard(4, {0, 0, 0});
    ASSERT_TRUE(WaitUntil([&] { return wnd_->LightSync().Steps() > 5; }));
    // Whenever the keyboard's lights stood still while the mouse's were read, both show one
    // word; the words move on from step to step.
    int compared = 0;
    std::set<uint32_t> seen;
    ASSERT_TRUE(WaitUntil(
        [&] {
            const uint32_t k1 = Keyboard()->Leds().GetPacked(0);
            const uint32_t m = Mouse()->Leds().GetPacked(0);
            const bool k_all = AllLights(Keyboard(), k1), m_all = AllLights(Mouse(), m);
            const uint32_t k2 = Keyboard()->Leds().GetPacked(0);
            if (k1 == k2 && k_all && m_all) {
                EXPECT_EQ(m, k1);
                ++compared;
                seen.insert(k1);
            }
            return compared >= 20 && seen.size() >= 3;
        },
        5000));
}

TEST_F(LightSyncWindowTest, AModeWithoutSynchronisedTypeChangesNothing) {
    const LightRecord mouse_before = Mouse()->GetLightRecord();
    SameModeFromKeyboard(7, {1, 2, 3});
    EXPECT_FALSE(Keyboard()->LightSync());
    EXPECT_FALSE(Mouse()->LightSync());
    EXPECT_EQ(Mouse()->GetLightRecord(), mouse_before);
}

TEST_F(LightSyncWindowTest, OffKeepsTheDevicesFlaggedAndSendsBlack) {
    SameModeFromKeyboard(6, {255, 255, 255});
    ASSERT_TRUE(WaitUntil([&] { return Mouse()->Leds().GetPacked(0) != 0; }));
    SameModeFromKeyboard(28, {255, 255, 255});
    EXPECT_TRUE(Keyboard()->LightSync());
    EXPECT_TRUE(Mouse()->LightSync());
    EXPECT_EQ(Mouse()->GetLightRecord()[0], 9);
    const uint64_t steps = wnd_->LightSync().Steps();
    EXPECT_TRUE(WaitUntil([&] {
        return wnd_->LightSync().Steps() > steps + 3 && AllLights(Keyboard(), 0) &&
               AllLights(Mouse(), 0);
    }));
}

TEST_F(LightSyncWindowTest, EditingTheLightingOnAPageEndsItsPart) {
    SameModeFromKeyboard(6, {10, 20, 30});
    ASSERT_TRUE(Keyboard()->LightSync());
    auto* speed = Keyboard()->findChild<QWidget*>(QStringLiteral("deng_speed_slider"));
    ASSERT_NE(speed, nullptr);
    ui::RaiseNotify(speed, QStringLiteral("valuechanged"));
    EXPECT_FALSE(Keyboard()->LightSync());
    EXPECT_TRUE(Mouse()->LightSync());
}

TEST_F(LightSyncWindowTest, UnpluggingEveryFlaggedDeviceIdlesAndANewOneStartsUnflagged) {
    SameModeFromKeyboard(6, {10, 20, 30});
    ASSERT_TRUE(WaitUntil([&] { return wnd_->LightSync().Steps() > 2; }));
    ASSERT_TRUE(emulator_->Unplug(DeviceKind::kKeyboard, Link::kCable));
    ASSERT_TRUE(emulator_->Unplug(DeviceKind::kMouse, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return !Keyboard()->ChannelOpen() && !Mouse()->ChannelOpen(); }));
    const uint64_t idle = wnd_->LightSync().IdleRounds();
    ASSERT_TRUE(WaitUntil([&] { return wnd_->LightSync().IdleRounds() > idle; }, 3000));
    const uint64_t steps = wnd_->LightSync().Steps();
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kMouse, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return Mouse()->ChannelOpen(); }, 5000));
    EXPECT_FALSE(Mouse()->LightSync());
    const uint64_t idle_now = wnd_->LightSync().IdleRounds();
    ASSERT_TRUE(WaitUntil([&] { return wnd_->LightSync().IdleRounds() > idle_now; }, 3000));
    EXPECT_EQ(wnd_->LightSync().Steps(), steps) << "no steps without a flagged device";
}

TEST_F(LightSyncWindowTest, ADeviceUnpluggedWhileOthersStayComesBackUnflagged) {
    // With a third device the others stay several, so only the removal clears the flag.
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kMousepad, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return Of(kKindMousePad) && Of(kKindMousePad)->ChannelOpen(); }, 5000));
    SameModeFromKeyboard(6, {10, 20, 30});
    ASSERT_TRUE(Mouse()->LightSync());
    ASSERT_TRUE(emulator_->Unplug(DeviceKind::kMouse, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return !Mouse()->ChannelOpen(); }));
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kMouse, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return Mouse()->ChannelOpen(); }, 5000));
    EXPECT_FALSE(Mouse()->LightSync());
    EXPECT_TRUE(Keyboard()->LightSync());
    EXPECT_TRUE(Of(kKindMousePad)->LightSync());
}

}  // namespace
}  // namespace dz::app
