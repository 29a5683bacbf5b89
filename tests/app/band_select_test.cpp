// The end of a band selection on the real device pictures (Qt's offscreen platform, the
// real skins, the emulated devices): a band drawn with the pointer on the mouse's picture
// over every light gives the mouse its profile's lighting again, on the page and in the
// mouse; a band that misses a light, or any band on the keyboard's picture, changes nothing.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QDBusConnection>
#include <QMouseEvent>

#include "app/app_setup.h"
#include "app/device_area.h"
#include "app/main_wnd.h"
#include "device/device_table.h"
#include "device/usb_device.h"
#include "models/keyboard_device.h"
#include "models/keyboard_settings.h"
#include "models/mouse_device.h"
#include "models/mouse_settings_page.h"
#include "platform/hid/hid_backend.h"
#include "sim/emulator.h"
#include "support/no_bus.h"
#include "support/qt_app.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"
#include "ui/widgets/device_key_button.h"
#include "ui/widgets/select_panel.h"

namespace dz {
namespace {

using sim::DeviceKind;
using test::WaitUntil;

QApplication& App() {
    return test::TestApplication();
}

using test::NoBus;

void Mouse(QWidget* w, QEvent::Type type, QPoint at, Qt::MouseButton button,
           Qt::MouseButtons held) {
    QMouseEvent e{type, QPointF(at), QPointF(w->mapToGlobal(at)), button, held, {}};
    QApplication::sendEvent(w, &e);
}
// A band drawn with the left button from `from` to `to`.
void Band(QWidget* picture, QPoint from, QPoint to) {
    Mouse(picture, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    Mouse(picture, QEvent::MouseMove, (from + to) / 2, Qt::NoButton, Qt::LeftButton);
    Mouse(picture, QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    Mouse(picture, QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
}

class BandSelectTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        ::setenv("DOZADIR_DATA_HOME", home_.path().c_str(), 1);
        ::setenv("DOZADIR_AUDIO_RECORD", "/bin/true", 1);
        app::SetupResources(app::ProgramFolder());
    }
    void TearDown() override {
        if (wnd_) wnd_->OnExit();
        wnd_.reset();
        if (emulator_) hid::BackendRegistry::Instance().Remove(emulator_->Backend().get());
        emulator_.reset();
        ::unsetenv("DOZADIR_DATA_HOME");
        ::unsetenv("DOZADIR_AUDIO_RECORD");
    }
    // The window with one emulated device of `kind`, its page shown and synchronised.
    void Start(int kind) {
        sim::EmulatorConfig config;
        config.keyboard = kind == kKindKeyboard;
        config.mouse = kind == kKindMouse;
        emulator_ = std::make_unique<sim::Emulator>(config);
        emulator_->SetLatency(std::chrono::microseconds(0));
        hid::BackendRegistry::Instance().Add(emulator_->Backend());
        wnd_ = std::make_unique<app::CMainWnd>(NoBus(), NoBus());
        ASSERT_TRUE(wnd_->Create());
        wnd_->show();
        ASSERT_TRUE(WaitUntil(
            [&] {
                const auto& list = wnd_->Devices().DevicesOfKind(kind);
                device_ = list.empty() ? nullptr : list.front();
                auto* mouse = qobject_cast<CRezazodaMouseDevice*>(device_);
                auto* keyboard = qobject_cast<CRezazodaKeyboardDevice*>(device_);
                const bool synced = (mouse != nullptr && mouse->SyncsDone() > 0) ||
                                    (keyboard != nullptr && keyboard->TablesRead());
                return synced && wnd_->CurrentDevicePage() == static_cast<DevicePage*>(device_);
            },
            15000));
        picture_ = device_->findChild<ui::SelectPanel*>(QStringLiteral("SelectPanel"));
        ASSERT_NE(picture_, nullptr);
        Settle();
    }
    void Settle() {
        for (int i = 0; i < 3; ++i) {
            device_->Worker().WaitIdle();
            QCoreApplication::processEvents();
        }
    }
    uint8_t MouseModeCode() {
        const auto bytes = emulator_->Model(DeviceKind::kMouse).ProfileSettings(0);
        MousePageBytes page{};
        std::copy_n(bytes.begin(), std::min(bytes.size(), page.size()), page.begin());
        return DecodeMouseSettingsPage(page).mode_code;
    }
    int ShownMode() {
        auto* combo = device_->findChild<QComboBox*>(QStringLiteral("light_combo_modeSelect"));
        return combo != nullptr ? combo->currentIndex() : -2;
    }

    test::TempFolder home_;
    std::unique_ptr<sim::Emulator> emulator_;
    std::unique_ptr<app::CMainWnd> wnd_;
    CRezazodaUSBDevice* device_ = nullptr;
    ui::SelectPanel* picture_ = nullptr;
};

TEST_F(BandSelectTest, OnTheMousePictureABandOverEveryLightTakesTheProfilesLightingAgain) {
    Start(kKindMouse);
    ASSERT_GT(device_->LightCount(), 0);
    const LightRecord saved = device_->GetLightRecord();
    // The mouse takes its lighting in its settings page, as the lighting panel writes it.
    auto write = [&] {
        (void)device_->ApplyLighting();
        (void)device_->WriteSystemSettings(0, 0, 1, 1920, 1080);
        Settle();
    };
    write();
    const uint8_t saved_code = MouseModeCode();
    // The page and the mouse on another effect that the profile does not hold.
    LightRecord edited = saved;
    edited[0] = saved[0] == 3 ? 1 : 3;
    device_->SetLightRecord(edited);
    device_->RefreshPage();
    write();
    ASSERT_NE(MouseModeCode(), saved_code);
    const uint8_t edited_code = MouseModeCode();

    // A band that meets no light: nothing.
    QWidget* light = device_->LightButton(0);
    ASSERT_NE(light, nullptr);
    const QRect lit = light->geometry();
    const QPoint corner =
        lit.left() > 10 ? QPoint(1, 1) : QPoint(picture_->width() - 2, picture_->height() - 2);
    Band(picture_, corner, corner + (lit.left() > 10 ? QPoint(4, 4) : QPoint(-4, -4)));
    Settle();
    EXPECT_FALSE(qobject_cast<ui::DeviceKeyButton*>(light)->SelectedByBand());
    EXPECT_EQ(device_->GetLightRecord(), edited);
    EXPECT_EQ(MouseModeCode(), edited_code);

    // Over the whole picture: every light is in it.
    Band(picture_, QPoint(0, 0), QPoint(picture_->width() - 1, picture_->height() - 1));
    Settle();
    EXPECT_TRUE(qobject_cast<ui::DeviceKeyButton*>(light)->SelectedByBand());
    EXPECT_EQ(device_->GetLightRecord(), saved);
    EXPECT_EQ(ShownMode(), saved[0]);
    EXPECT_TRUE(WaitUntil([&] { return MouseModeCode() == saved_code; }, 3000));
}

TEST_F(BandSelectTest, OnTheKeyboardPictureNothingPersists) {
    Start(kKindKeyboard);
    const LightRecord saved = device_->GetLightRecord();
    LightRecord edited = saved;
    edited[0] = saved[0] == 6 ? 5 : 6;
    device_->SetLightRecord(edited);
    Settle();
    const auto block = emulator_->Model(DeviceKind::kKeyboard).ProfileSettings(0);
    Band(picture_, QPoint(0, 0), QPoint(picture_->width() - 1, picture_->height() - 1));
    Settle();
    int selected = 0;
    for (auto* key : device_->findChildren<ui::DeviceKeyButton*>())
        selected += key->SelectedByBand();
    EXPECT_GT(selected, 10) << "the band took the keys";
    EXPECT_EQ(device_->GetLightRecord(), edited);
    EXPECT_EQ(emulator_->Model(DeviceKind::kKeyboard).ProfileSettings(0), block);
}

}  // namespace
}  // namespace dz
