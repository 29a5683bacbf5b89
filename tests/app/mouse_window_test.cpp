// The mouse page in the main window on a real X server (run under xvfb-run and
// dbus-run-session), with the emulator in the process, worked with the pointer as a user
// works it: a DPI slider dragged and let go writes the settings page, and with the cable
// pulled the page goes on working through the receiver.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QDBusConnection>
#include <QMouseEvent>
#include <QSlider>
#include <QStyle>
#include <QStyleOptionSlider>
#include <QTest>
#include <thread>

#include "app/app_setup.h"
#include "app/device_area.h"
#include "app/layout_rules.h"
#include "app/main_wnd.h"
#include "device/device_table.h"
#include "models/mouse_device.h"
#include "platform/hid/hid_backend.h"
#include "sim/emulator.h"
#include "support/qt_app.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"

namespace dz {
namespace {

using sim::DeviceKind;
using sim::Link;
using test::WaitUntil;

QApplication& App() {
    return test::TestApplication();
}

class MouseWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run under xvfb-run";
        qputenv("XDG_DATA_HOME", data_.path().c_str());
        app::SetupResources(app::ProgramFolder());
        sim::EmulatorConfig config;
        config.mouse = true;
        config.mouse_receiver = true;
        emulator_ = std::make_unique<sim::Emulator>(config);
        hid::BackendRegistry::Instance().Add(emulator_->Backend());
        wnd_ = std::make_unique<app::CMainWnd>(QDBusConnection::sessionBus(),
                                               QDBusConnection::systemBus());
        wnd_->resize(app::kMainWindowWidth, app::kMainWindowHeight);
        ASSERT_TRUE(wnd_->Create());
        wnd_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(wnd_.get()));
        ASSERT_TRUE(
            WaitUntil([&] { return Mouse() != nullptr && Mouse()->SyncsDone() > 0; }, 15000));
        // The pointer tab shows the DPI stages.
        auto* tab = wnd_->findChild<QAbstractButton*>(QStringLiteral("cursor_Op_tab"));
        ASSERT_NE(tab, nullptr);
        QTest::mouseClick(tab, Qt::LeftButton);
        ASSERT_TRUE(WaitUntil([&] { return Slider(2)->isVisible(); }));
    }
    void TearDown() override {
        if (wnd_) wnd_->OnExit();
        wnd_.reset();
        // The window never talked to the mouse itself.
        size_t from_ui = 0;
        for (const sim::TrafficEntry& e : emulator_->Traffic().Entries())
            from_ui += e.direction == sim::Direction::kOut && e.writer == ui_thread_;
        EXPECT_EQ(from_ui, 0u) << "reports written on the UI thread";
        hid::BackendRegistry::Instance().Remove(emulator_->Backend().get());
        emulator_.reset();
    }
    CRezazodaMouseDevice* Mouse() {
        const auto& list = wnd_->Devices().DevicesOfKind(kKindMouse);
        return list.empty() ? nullptr : qobject_cast<CRezazodaMouseDevice*>(list.front());
    }
    QSlider* Slider(int n) {
        return Mouse()->findChild<QSlider*>(QStringLiteral("DPI_slider_%1").arg(n));
    }
    // The settings pages written on `link`'s node since the traffic was cleared: the data of
    // the packets of one write put together.
    std::vector<std::vector<uint8_t>> PagesWritten(Link link) {
        std::vector<std::vector<uint8_t>> pages;
        for (const auto& e :
             emulator_->Traffic().EntriesFor(emulator_->CommandNode(DeviceKind::kMouse, link))) {
            if (e.direction != sim::Direction::kOut || e.bytes.size() < 8 || e.bytes[0] != 4 ||
                e.bytes[3] != CMD_WRITE_SETTINGS)
                continue;
            const size_t offset = e.bytes[5] | e.bytes[6] << 8;
            if (offset == 0) pages.emplace_back();
            if (pages.empty()) continue;
            pages.back().insert(pages.back().end(), e.bytes.begin() + 8,
                                e.bytes.begin() + 8 + e.bytes[4]);
        }
        return pages;
    }

    test::TempFolder data_;
    std::unique_ptr<sim::Emulator> emulator_;
    std::unique_ptr<app::CMainWnd> wnd_;
    const std::thread::id ui_thread_ = std::this_thread::get_id();
};

TEST_F(MouseWindowTest, DraggingADpiSliderWritesTheSettingsPage) {
    QSlider* slider = Slider(2);
    const int before = slider->value();
    QStyleOptionSlider option;
    option.initFrom(slider);
    option.orientation = slider->orientation();
    option.minimum = slider->minimum();
    option.maximum = slider->maximum();
    option.sliderPosition = slider->sliderPosition();
    option.sliderValue = slider->value();
    const QRect handle = slider->style()->subControlRect(QStyle::CC_Slider, &option,
                                                         QStyle::SC_SliderHandle, slider);
    emulator_->Traffic().Clear();
    const int writes = Mouse()->SettingsWritesDone();
    const QPoint from = handle.center();
    const QPoint to = from + QPoint(slider->width() / 4, 0);
    // The events a pointer makes: press on the handle, move with the button held, let go.
    auto send = [slider](QEvent::Type type, QPoint at, Qt::MouseButton button,
                         Qt::MouseButtons held) {
        QMouseEvent e(type, QPointF(at), slider->mapToGlobal(QPointF(at)), button, held,
                      Qt::NoModifier);
        QApplication::sendEvent(slider, &e);
    };
    send(QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::LeftButton);
    send(QEvent::MouseMove, to, Qt::NoButton, Qt::LeftButton);
    const int dragged = slider->sliderPosition();
    EXPECT_EQ(
        Mouse()->findChild<QWidget*>(QStringLiteral("DPI_edit_2"))->property("text").toString(),
        QString::number(dragged * 50 + 100))
        << "the figure follows the handle while it is held";
    EXPECT_TRUE(PagesWritten(Link::kCable).empty()) << "nothing is written while dragging";
    send(QEvent::MouseButtonRelease, to, Qt::LeftButton, Qt::NoButton);
    const int after = slider->value();
    ASSERT_GT(after, before) << "the handle moved right";
    ASSERT_TRUE(WaitUntil([&] { return Mouse()->SettingsWritesDone() > writes; }, 5000));
    const auto pages = PagesWritten(Link::kCable);
    ASSERT_EQ(pages.size(), 1u) << "one write, when the slider was let go";
    ASSERT_EQ(pages[0].size(), 66u);
    EXPECT_EQ(pages[0][14 + 18 + 2] | pages[0][14 + 18 + 3] << 8, after) << "stage 2's X";
    EXPECT_EQ(
        Mouse()->findChild<QWidget*>(QStringLiteral("DPI_edit_2"))->property("text").toString(),
        QString::number(after * 50 + 100));
}

TEST_F(MouseWindowTest, WithTheCablePulledThePageWorksThroughTheReceiver) {
    ASSERT_FALSE(Mouse()->Channel().IsReceiverMode());
    ASSERT_TRUE(emulator_->Unplug(DeviceKind::kMouse, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return Mouse()->Channel().IsReceiverMode(); }, 10000));
    emulator_->Traffic().Clear();
    const int writes = Mouse()->SettingsWritesDone();
    auto* select = Mouse()->findChild<QAbstractButton*>(QStringLiteral("DPI_select_check_4"));
    QTest::mouseClick(select, Qt::LeftButton);
    ASSERT_TRUE(WaitUntil([&] { return Mouse()->SettingsWritesDone() > writes; }, 10000));
    const auto pages = PagesWritten(Link::kReceiver);
    ASSERT_EQ(pages.size(), 1u);
    EXPECT_EQ(pages[0][12], 4) << "the current stage";
    ASSERT_TRUE(WaitUntil(
        [&] { return emulator_->Model(DeviceKind::kMouse).CurrentDpiStage() == 4; }, 5000));
    EXPECT_TRUE(PagesWritten(Link::kCable).empty());
}

}  // namespace
}  // namespace dz
