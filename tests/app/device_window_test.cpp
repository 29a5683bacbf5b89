// The main window on a real X server (run under xvfb-run and dbus-run-session) with the
// device emulator in the process: devices plugged, moved between cable and receiver,
// losing their link and unplugged, as a user would meet them in the device area.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QButtonGroup>
#include <QComboBox>
#include <QDBusConnection>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QStackedWidget>
#include <filesystem>
#include <algorithm>
#include <memory>
#include <thread>

#include "app/app_setup.h"
#include "app/device_area.h"
#include "app/layout_rules.h"
#include "app/main_wnd.h"
#include "device/device_table.h"
#include "device/hid_interface.h"
#include "device/usb_device.h"
#include "panels/device_option_ui.h"
#include "platform/hid/hid_backend.h"
#include "platform/log/debug_log.h"
#include "profile/device_profile_ui.h"
#include "sim/emulator.h"
#include "support/qt_app.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"
#include "ui/control_ops.h"
#include "ui/resource_manager.h"

namespace dz::app {
namespace {

using sim::DeviceKind;
using sim::Link;
using test::WaitUntil;

QApplication& App() {
    return test::TestApplication();
}

constexpr int kMouseKind = 0;
constexpr int kKeyboardKind = 1;

class DeviceWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run under xvfb-run";
        qputenv("XDG_DATA_HOME", data_.path().c_str());
        SetupResources(ProgramFolder());
        emulator_ = std::make_unique<sim::Emulator>(sim::EmulatorConfig{});
        hid::BackendRegistry::Instance().Add(emulator_->Backend());
        wnd_ =
            std::make_unique<CMainWnd>(QDBusConnection::sessionBus(), QDBusConnection::systemBus());
        wnd_->resize(kMainWindowWidth, kMainWindowHeight);
        ASSERT_TRUE(wnd_->Create());
        wnd_->show();
        ASSERT_TRUE(WaitUntil([&] { return wnd_->isVisible(); }));
    }
    void TearDown() override {
        if (wnd_) wnd_->OnExit();
        wnd_.reset();
        // Whatever the test did, the window never talked to a device itself: every
        // exchange ran on a device worker (or the light stream).
        if (emulator_) {
            size_t from_ui = 0;
            for (const sim::TrafficEntry& e : emulator_->Traffic().Entries())
                from_ui += e.direction == sim::Direction::kOut && e.writer == ui_thread_;
            EXPECT_EQ(from_ui, 0u) << "reports written on the UI thread";
        }
        hid::BackendRegistry::Instance().Remove(emulator_->Backend().get());
        emulator_.reset();
    }

    DeviceArea& Area() { return wnd_->Devices(); }
    int ItemOfKind(int kind) {
        for (int i = 0; i < Area().ItemCount(); ++i)
            if (Area().Item(i)->GetDevice() != nullptr &&
                Area().Item(i)->GetDevice()->DeviceKindIndex() == kind)
                return i;
        return -1;
    }
    bool Present(int kind) {
        const int i = ItemOfKind(kind);
        return i >= 0 && Area().Item(i)->IsPresent();
    }
    CRezazodaUSBDevice* DeviceOf(int kind) {
        const auto& list = Area().DevicesOfKind(kind);
        return list.empty() ? nullptr : list.front();
    }
    QWidget* ShownPage() {
        auto* pages = wnd_->FindControlAs<QStackedWidget>(QStringLiteral("device_switch"));
        return pages != nullptr ? pages->currentWidget() : nullptr;
    }
    int ShownPageIndex(const char* name) { return ui::CurSel(wnd_->FindControl(name)); }
    bool NoDeviceShown() { return ui::IsVisible(wnd_->FindControl("No_device_Link")); }

    test::TempFolder data_;
    std::unique_ptr<sim::Emulator> emulator_;
    std::unique_ptr<CMainWnd> wnd_;
    const std::thread::id ui_thread_ = std::this_thread::get_id();
};

TEST_F(DeviceWindowTest, KeyboardPlugShowsAndSelectsItsPage) {
    ASSERT_TRUE(WaitUntil([&] { return NoDeviceShown(); }));
    EXPECT_EQ(Area().ItemCount(), 2) << "mouse and keyboard pages are built at start-up";
    EXPECT_FALSE(Present(kKeyboardKind));

    QElapsedTimer clock;
    clock.start();
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kKeyboard, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return Present(kKeyboardKind); }));
    std::printf("keyboard item shown %lld ms after the plug\n",
                static_cast<long long>(clock.elapsed()));
    const int item = ItemOfKind(kKeyboardKind);
    EXPECT_EQ(Area().SelectedIndex(), item) << "the first device is selected";
    EXPECT_EQ(ShownPage(), DeviceOf(kKeyboardKind));
    EXPECT_FALSE(NoDeviceShown());
    EXPECT_TRUE(DeviceOf(kKeyboardKind)->Channel().IsOpen());
    EXPECT_FALSE(DeviceOf(kKeyboardKind)->Channel().IsReceiverMode());

    // The page's picture is bound: every key position and every light has its button.
    CRezazodaUSBDevice* keyboard = DeviceOf(kKeyboardKind);
    int keys = 0, lights = 0;
    for (int i = 0; i < keyboard->KeyCount(); ++i) keys += keyboard->KeyButton(i) != nullptr;
    for (int i = 0; i < keyboard->LightCount(); ++i) lights += keyboard->LightButton(i) != nullptr;
    EXPECT_EQ(keys, 126);
    ASSERT_EQ(lights, 170);
    EXPECT_TRUE(keyboard->LightButton(0)->isVisible());
}

TEST_F(DeviceWindowTest, MouseOnCableAndReceiverIsOneItemAndSwitchesToTheReceiver) {
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kKeyboard, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return Present(kKeyboardKind); }));
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kMouse, Link::kCable));
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kMouse, Link::kReceiver));
    ASSERT_TRUE(WaitUntil([&] { return Present(kMouseKind); }));
    // Both paths bound: the receiver's slots are taken, the mouse stays on its cable.
    ASSERT_TRUE(WaitUntil([&] { return wnd_->Slots().Slot(6).connected != 0; }));
    EXPECT_EQ(Area().DevicesOfKind(kMouseKind).size(), 1u);
    EXPECT_EQ(Area().ItemCount(), 2);
    CRezazodaUSBDevice* mouse = DeviceOf(kMouseKind);
    EXPECT_FALSE(mouse->Channel().IsReceiverMode());
    EXPECT_EQ(Area().SelectedIndex(), ItemOfKind(kKeyboardKind)) << "the mouse took no selection";

    // Pulling the cable moves the mouse onto its receiver; its item and page stay.
    Area().ShowItem(ItemOfKind(kMouseKind), true, true);
    QWidget* page = ShownPage();
    ASSERT_TRUE(emulator_->Unplug(DeviceKind::kMouse, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return mouse->Channel().IsReceiverMode(); }));
    EXPECT_TRUE(mouse->Channel().IsOpen());
    EXPECT_EQ(mouse->Channel().PayloadSize(), kReceiverPayload);
    EXPECT_TRUE(Present(kMouseKind));
    EXPECT_EQ(ShownPage(), page);
    EXPECT_EQ(Area().DevicesOfKind(kMouseKind).size(), 1u);

    // And back onto the cable when it returns.
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kMouse, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return !mouse->Channel().IsReceiverMode(); }));
    EXPECT_EQ(mouse->Channel().PayloadSize(), kCablePayload);
    EXPECT_TRUE(Present(kMouseKind));
}

// The mouse on its cable, its receiver's slot bound to a node that will not open; then the
// cable goes. The switch to the receiver fails and leaves the channel closed: the device
// is neither synchronised again nor watched on it.
TEST_F(DeviceWindowTest, AFailedSwitchToTheReceiverStartsNoTimerOnTheClosedChannel) {
    constexpr int kCableSlot = 4;
    constexpr int kReceiverSlot = 6;
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kMouse, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return Present(kMouseKind); }));
    CRezazodaUSBDevice* mouse = DeviceOf(kMouseKind);
    panels::CDeviceOptionUI* item = Area().Item(ItemOfKind(kMouseKind));
    ASSERT_TRUE(WaitUntil([&] {
        return !wnd_->IsTimerActive(item, panels::CDeviceOptionUI::kTimerStartUp);
    })) << "the first synchronisation has run";

    SupportedDeviceRecord receiver;
    static_cast<SupportedDeviceFields&>(receiver) = kSupportedDevices[kReceiverSlot];
    receiver.path = MakeInterfacePath("sim", "nowhere/1", 0x320F, 0x221D, 1, 4);
    ASSERT_EQ(wnd_->Slots().Match(receiver), kReceiverSlot);
    // All on this thread, as the scanner's messages are handled: its next ones wait.
    SupportedDeviceRecord cable = wnd_->Slots().Slot(kCableSlot);
    ASSERT_TRUE(wnd_->Slots().Unbind(kCableSlot));
    Area().OnDeviceRemoved(kCableSlot);
    EXPECT_FALSE(mouse->Channel().IsOpen());
    EXPECT_FALSE(wnd_->IsTimerActive(item, panels::CDeviceOptionUI::kTimerStartUp));
    EXPECT_FALSE(wnd_->IsTimerActive(item, panels::CDeviceOptionUI::kTimerLinkWatch));
    EXPECT_FALSE(Present(kMouseKind)) << "reachable on no path: shown as removed";

    // The cable comes back while the receiver's bad node is still bound: the mouse is on
    // its cable again, and shown.
    ASSERT_EQ(wnd_->Slots().Match(cable), kCableSlot);
    Area().OnDeviceArrived(kCableSlot);
    EXPECT_TRUE(mouse->Channel().IsOpen());
    EXPECT_FALSE(mouse->Channel().IsReceiverMode());
    EXPECT_TRUE(Present(kMouseKind));
    EXPECT_TRUE(wnd_->IsTimerActive(item, panels::CDeviceOptionUI::kTimerStartUp));
    ASSERT_TRUE(wnd_->Slots().Unbind(kReceiverSlot));
}

TEST_F(DeviceWindowTest, LostLinkHidesTheItemAndAFoundOneShowsItWithoutTheSelection) {
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kKeyboard, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return Present(kKeyboardKind); }));
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kMouse, Link::kReceiver));
    // A mouse on its receiver is shown by the link check of its first synchronisation.
    ASSERT_TRUE(WaitUntil([&] { return Present(kMouseKind); }, 5000));
    const int keyboard = ItemOfKind(kKeyboardKind);
    EXPECT_EQ(Area().SelectedIndex(), keyboard);

    emulator_->SetLinked(DeviceKind::kMouse, false);
    ASSERT_TRUE(WaitUntil([&] { return !Present(kMouseKind); }, 8000)) << "link watch every 3 s";
    EXPECT_EQ(Area().SelectedIndex(), keyboard);
    emulator_->SetLinked(DeviceKind::kMouse, true);
    ASSERT_TRUE(WaitUntil([&] { return Present(kMouseKind); }, 8000));
    EXPECT_EQ(Area().SelectedIndex(), keyboard) << "a found link does not steal the selection";
}

TEST_F(DeviceWindowTest, LosingTheSelectedLinkSelectsTheOtherDeviceAndLastOneShowsNoDevice) {
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kMouse, Link::kReceiver));
    ASSERT_TRUE(WaitUntil([&] { return Present(kMouseKind); }, 5000));
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kKeyboard, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return Present(kKeyboardKind); }));
    EXPECT_EQ(Area().SelectedIndex(), ItemOfKind(kMouseKind));

    emulator_->SetLinked(DeviceKind::kMouse, false);
    ASSERT_TRUE(WaitUntil([&] { return !Present(kMouseKind); }, 8000));
    EXPECT_EQ(Area().SelectedIndex(), ItemOfKind(kKeyboardKind));
    EXPECT_EQ(ShownPage(), DeviceOf(kKeyboardKind));

    ASSERT_TRUE(emulator_->Unplug(DeviceKind::kKeyboard, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return NoDeviceShown(); }));
    EXPECT_EQ(ShownPageIndex("device_switch"), 0);
    EXPECT_EQ(ShownPageIndex("device_power_switch"), 0);
    EXPECT_EQ(Area().PresentCount(), 0);
    EXPECT_FALSE(DeviceOf(kKeyboardKind)->Channel().IsOpen());
}

TEST_F(DeviceWindowTest, MousepadAndHeadsetPagesAreBuiltOnArrivalAndPreviousNextWalkTheItems) {
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kKeyboard, Link::kCable));
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kMousepad, Link::kCable));
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kHeadset, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return Present(2) && Present(3) && Present(kKeyboardKind); }));
    EXPECT_EQ(Area().ItemCount(), 4);
    const int first = Area().SelectedIndex();
    ASSERT_GE(first, 0);

    // Previous on the first visible item does nothing; next walks to the last and stops.
    std::vector<int> order;
    for (int i = 0; i < Area().ItemCount(); ++i)
        if (Area().Item(i)->IsPresent()) order.push_back(i);
    Area().ShowItem(order.front(), true, true);
    Area().Step(-1);
    EXPECT_EQ(Area().SelectedIndex(), order.front());
    for (size_t k = 1; k < order.size(); ++k) {
        Area().Step(+1);
        EXPECT_EQ(Area().SelectedIndex(), order[k]);
    }
    Area().Step(+1);
    EXPECT_EQ(Area().SelectedIndex(), order.back());
    Area().Step(-1);
    EXPECT_EQ(Area().SelectedIndex(), order[order.size() - 2]);

    // The headset's page re-used on a second arrival: no second page.
    ASSERT_TRUE(emulator_->Unplug(DeviceKind::kHeadset, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return !Present(3); }));
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kHeadset, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return Present(3); }));
    EXPECT_EQ(Area().DevicesOfKind(3).size(), 1u);
    EXPECT_EQ(Area().ItemCount(), 4);
}

TEST_F(DeviceWindowTest, EveryPageFitsTheLaidOutWindowAtItsDpi) {
    for (DeviceKind kind :
         {DeviceKind::kKeyboard, DeviceKind::kMouse, DeviceKind::kMousepad, DeviceKind::kHeadset})
        ASSERT_TRUE(emulator_->Plug(kind, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return Present(0) && Present(1) && Present(2) && Present(3); }));
    QWidget* key = DeviceOf(kKeyboardKind)->KeyButton(0);
    ASSERT_NE(key, nullptr);
    wnd_->SetDPIForAll(96);
    const QRect key_at96 = key->geometry();
    // This screen is 1920 x 1080: the layout pass takes DPI 144 and 1500 x 960.
    wnd_->DpiLayout();
    ASSERT_EQ(wnd_->GetDPI(), 144);
    ASSERT_TRUE(WaitUntil([&] { return wnd_->size() == QSize(1500, 960); }))
        << wnd_->width() << "x" << wnd_->height();
    EXPECT_EQ(key->geometry(), QRect(key_at96.topLeft() * 1.5, key_at96.size() * 1.5));
    struct C {
        int dpi;
        QSize laid_out;
    };
    for (C c : {C{144, {1500, 960}}, C{96, {1000, 640}}}) {
        wnd_->SetDPIForAll(c.dpi);
        // The tallest and widest page decides; each kind's page is in the same stack.
        const QSize need = wnd_->minimumSizeHint();
        EXPECT_LE(need.width(), c.laid_out.width()) << c.dpi;
        EXPECT_LE(need.height(), c.laid_out.height()) << c.dpi;
    }
}

TEST_F(DeviceWindowTest, ASecondIdenticalKeyboardIsIgnored) {
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kKeyboard, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return Present(kKeyboardKind); }));
    const std::string bound = wnd_->Slots().Slot(0).path;

    // Another desk of devices on its own transport: the same keyboard model again.
    sim::Emulator second(sim::EmulatorConfig{}, "sim2");
    hid::BackendRegistry::Instance().Add(second.Backend());
    ASSERT_TRUE(second.Plug(DeviceKind::kKeyboard, Link::kCable));
    // Let the scanner see it on a few passes, then check nothing changed.
    QElapsedTimer clock;
    clock.start();
    (void)WaitUntil([&] { return clock.elapsed() > 400; });
    EXPECT_EQ(wnd_->Slots().Slot(0).path, bound);
    EXPECT_EQ(Area().DevicesOfKind(kKeyboardKind).size(), 1u);
    EXPECT_EQ(Area().ItemCount(), 2);
    EXPECT_EQ(second.Traffic().Size(), 0u) << "no command went to the second keyboard";

    // Unplugging the first leaves the device area with no device, the second stays unbound
    // until a slot is free and then takes it.
    ASSERT_TRUE(emulator_->Unplug(DeviceKind::kKeyboard, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return wnd_->Slots().Slot(0).path.rfind("sim2:", 0) == 0; }));
    ASSERT_TRUE(WaitUntil([&] { return Present(kKeyboardKind); }));
    hid::BackendRegistry::Instance().Remove(second.Backend().get());
    ASSERT_TRUE(WaitUntil([&] { return !Present(kKeyboardKind); }));
}

// A mouse whose receiver is there but whose device never answers: every exchange waits
// out the receiver's 5 s. The window goes on as if nothing were asked meanwhile.
TEST_F(DeviceWindowTest, ADeviceThatNeverAnswersDoesNotHoldTheWindow) {
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kKeyboard, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return Present(kKeyboardKind); }));
    for (int packet = 1; packet <= 50; ++packet)
        ASSERT_TRUE(emulator_->ArmFault(DeviceKind::kMouse, sim::FaultKind::kNoAnswer, packet));
    const std::string receiver = emulator_->CommandNode(DeviceKind::kMouse, Link::kReceiver);
    auto asked = [&] {
        for (const sim::TrafficEntry& e : emulator_->Traffic().EntriesFor(receiver))
            if (e.direction == sim::Direction::kOut && e.bytes.size() > 3 &&
                e.bytes[3] == CMD_LINK_QUERY)
                return true;
        return false;
    };
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kMouse, Link::kReceiver));

    // From the plug on, while the first synchronisation asks the receiver and waits for
    // its answer, the user walks the device area; the longest stall of the event loop is
    // reported (bench/ measures it; here it only shows).
    QElapsedTimer clock;
    clock.start();
    qint64 last = 0;
    qint64 longest = 0;
    int step = 0;
    qint64 asked_at = -1;
    while (clock.elapsed() < 2500 && (asked_at < 0 || clock.elapsed() < asked_at + 1000)) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        const qint64 now = clock.elapsed();
        longest = std::max(longest, now - last);
        last = now;
        if (asked_at < 0 && asked()) asked_at = now;
        if (++step % 20 == 0) wnd_->OnDeviceStep(step % 40 == 0 ? 1 : -1);
    }
    std::printf("longest event-loop stall while the receiver was asked: %lld ms\n",
                static_cast<long long>(longest));
    ASSERT_GE(asked_at, 0) << "the first synchronisation asks the receiver";
    EXPECT_FALSE(Present(kMouseKind)) << "not shown before the receiver answers";
    EXPECT_TRUE(Present(kKeyboardKind));
    EXPECT_GT(DeviceOf(kMouseKind)->Worker().Pending(), 0u) << "the question is still open";
}

// A page is built apart and moved into the window: its options keep their groups, and the
// groups are the page's own.
TEST_F(DeviceWindowTest, OptionsOfAPageKeepExcludingEachOtherInTheWindow) {
    CRezazodaUSBDevice* keyboard = DeviceOf(kKeyboardKind);
    ASSERT_NE(keyboard, nullptr);
    auto option = [&](int n) {
        return keyboard->findChild<QAbstractButton*>(
            QStringLiteral("repeat_delay_check_%1").arg(n));
    };
    ASSERT_NE(option(0), nullptr);
    ASSERT_NE(option(3), nullptr);
    ASSERT_NE(option(0)->group(), nullptr) << "the group outlives the page's building";
    EXPECT_EQ(option(0)->group(), option(3)->group());
    EXPECT_EQ(option(0)->group()->parent(), keyboard) << "scoped to its page";
    ui::SetSelected(option(1), true);
    ui::SetSelected(option(3), true);
    EXPECT_FALSE(ui::IsSelected(option(1))) << "selecting one option deselects the other";
    EXPECT_TRUE(ui::IsSelected(option(3)));
}

size_t CountSent(const sim::TrafficRecord& record, uint8_t command) {
    size_t n = 0;
    for (const sim::TrafficEntry& e : record.Entries())
        n += e.direction == sim::Direction::kOut && e.bytes.size() > 3 && e.bytes[0] == 4 &&
             e.bytes[3] == command;
    return n;
}

TEST_F(DeviceWindowTest, AfterAResumeABoundDeviceIsSynchronisedAgain) {
    ASSERT_TRUE(emulator_->Plug(DeviceKind::kKeyboard, Link::kCable));
    ASSERT_TRUE(WaitUntil([&] { return CountSent(emulator_->Traffic(), CMD_READ_INFO) > 0; }));
    emulator_->Traffic().Clear();
    wnd_->OnSystemResumed();
    ASSERT_TRUE(WaitUntil([&] { return CountSent(emulator_->Traffic(), CMD_READ_INFO) > 0; }))
        << "the keyboard's information block is read again";
    EXPECT_TRUE(Present(kKeyboardKind));
    EXPECT_EQ(Area().DevicesOfKind(kKeyboardKind).size(), 1u);
}

// The profile bar on the keyboard's page, clicked as a user would: the combo and the
// files in the user data folder follow every operation.
class ProfileBarWindowTest : public DeviceWindowTest {
  protected:
    void SetUp() override {
        DeviceWindowTest::SetUp();
        ASSERT_TRUE(emulator_->Plug(DeviceKind::kKeyboard, Link::kCable));
        ASSERT_TRUE(WaitUntil([&] { return Present(kKeyboardKind); }));
        keyboard_ = DeviceOf(kKeyboardKind);
        bar_ = CDeviceProfileUI::Of(keyboard_);
        ASSERT_NE(bar_, nullptr);
        combo_ = keyboard_->findChild<QComboBox*>(QStringLiteral("device_profile_combo"));
        ASSERT_NE(combo_, nullptr);
    }
    void Click(const char* name) {
        auto* b = keyboard_->findChild<QAbstractButton*>(QString::fromLatin1(name));
        ASSERT_NE(b, nullptr) << name;
        b->click();
    }
    size_t ProfileFiles() const {
        size_t n = 0;
        for (const auto& e : std::filesystem::directory_iterator(Folder()))
            n += e.path().extension() == ".Json";
        return n;
    }
    std::filesystem::path Folder() const { return data_.path() / "Dozadir Keyboard" / "keyboard"; }
    std::string Uuid(int i) { return bar_->Store()->Profiles()[static_cast<size_t>(i)].uuid; }

    CRezazodaUSBDevice* keyboard_ = nullptr;
    CDeviceProfileUI* bar_ = nullptr;
    QComboBox* combo_ = nullptr;
};

TEST_F(ProfileBarWindowTest, AddCopyRenameAndDeleteChangeTheComboAndTheFiles) {
    EXPECT_TRUE(std::filesystem::exists(Folder() / "ProfileList.ini"));
    ASSERT_EQ(combo_->count(), 1);
    EXPECT_EQ(combo_->itemText(0), "profile1");
    EXPECT_EQ(keyboard_->ProfileName().toStdString(), Uuid(0)) << "the device works on it";
    EXPECT_EQ(ProfileFiles(), 1u);

    // A new profile is added to the list; the selection and the device stay.
    Click("device_add_btn");
    ASSERT_EQ(combo_->count(), 2);
    EXPECT_EQ(combo_->itemText(1), "profile2");
    EXPECT_EQ(combo_->currentText(), "profile1");
    EXPECT_EQ(keyboard_->ProfileName().toStdString(), Uuid(0));
    EXPECT_EQ(ProfileFiles(), 2u);

    Click("device_copy_btn");
    ASSERT_EQ(combo_->count(), 3);
    EXPECT_EQ(combo_->itemText(2), "profile1 copy");
    EXPECT_EQ(ProfileFiles(), 3u);

    auto* edit = keyboard_->findChild<QLineEdit*>(QStringLiteral("device_profile_name_edit"));
    ASSERT_NE(edit, nullptr);
    edit->setText(QStringLiteral("Game"));
    Click("device_profile_edit_save_btn");
    EXPECT_EQ(combo_->currentText(), "Game");
    QFile list(QString::fromStdString((Folder() / "ProfileList.ini").string()));
    ASSERT_TRUE(list.open(QIODevice::ReadOnly));
    EXPECT_TRUE(list.readAll().contains("\"Game\""));

    Click("device_sub_btn");
    EXPECT_EQ(combo_->count(), 2);
    EXPECT_EQ(ProfileFiles(), 2u);
    EXPECT_EQ(combo_->findText(QStringLiteral("Game")), -1);
    // The device moved onto the profile selected after the delete.
    EXPECT_EQ(keyboard_->ProfileName().toStdString(), Uuid(combo_->currentIndex()));
}

TEST_F(ProfileBarWindowTest, TwoPicksWithin400MsLoadOnlyTheLast) {
    Click("device_add_btn");
    Click("device_add_btn");
    ASSERT_EQ(combo_->count(), 3);
    std::vector<std::string> lines;
    const log::Sink old = log::SetSink([&lines](std::string_view l) { lines.emplace_back(l); });
    combo_->setCurrentIndex(0);  // user picks raise "itemselect"
    combo_->setCurrentIndex(1);
    const std::string last = Uuid(1);
    const bool switched =
        WaitUntil([&] { return keyboard_->ProfileName().toStdString() == last; }, 3000);
    log::SetSink(old);
    ASSERT_TRUE(switched);
    size_t loads = 0;
    for (const std::string& l : lines) {
        if (l.find("profile ") == 0 && l.find(" loaded") != std::string::npos) {
            ++loads;
            EXPECT_NE(l.find(last), std::string::npos) << l;
        }
    }
    EXPECT_EQ(loads, 1u) << "only the last pick is loaded";
}

}  // namespace
}  // namespace dz::app
