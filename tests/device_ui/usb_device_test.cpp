// The device base object on a small page built in code, offscreen, with the emulator behind
// its channel: binding of key and light buttons, the function page switches, the light frame
// on buttons and on the wire, host lighting, and notifications reaching the selector item.
#include "device/usb_device.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QStackedWidget>

#include "device/command_path.h"
#include "device/emulated_device.h"
#include "models/keyboard_device.h"
#include "models/mouse_device.h"
#include "panels/device_option_ui.h"
#include "support/qt_app.h"
#include "support/qt_wait.h"
#include "ui/control_ops.h"
#include "ui/widgets/device_key_button.h"
#include "ui/window_base.h"

namespace dz {
namespace {

using sim::DeviceKind;
using sim::Link;

QApplication& App() {
    return test::TestApplication();
}

class PageWindow : public ui::WindowBase {
  public:
    PageWindow() : ui::WindowBase(QStringLiteral("NO_SKIN"), QStringLiteral("TEST_WND")) {}
};

ui::DeviceKeyButton* AddButton(QWidget* panel, const QString& name, const QString& user_data) {
    auto* b = new ui::DeviceKeyButton(panel);
    b->setObjectName(name);
    if (!user_data.isEmpty()) ui::SetUserData(b, user_data);
    return b;
}

class UsbDeviceTest : public test::EmulatedDeviceTest {
  protected:
    void SetUp() override {
        App();
        EmulatedDeviceTest::SetUp();
        window_ = std::make_unique<PageWindow>();
        window_->resize(400, 300);
    }
    void TearDown() override {
        window_.reset();
        EmulatedDeviceTest::TearDown();
    }
    // A page with a SelectPanel of `buttons` (name, user data) and the two switches.
    template <class Device>
    Device* MakePage(const std::vector<std::pair<QString, QString>>& buttons, int keys, int lights,
                     bool with_panel = true) {
        auto* device = new Device(window_.get());
        device->setObjectName(QStringLiteral("page"));
        if (with_panel) {
            auto* panel = new QWidget(device);
            panel->setObjectName(QStringLiteral("SelectPanel"));
            for (const auto& [name, data] : buttons) AddButton(panel, name, data);
        }
        for (auto [name, pages] :
             {std::pair{"device_function_switch", 4}, std::pair{"device_key_function_switch", 3}}) {
            auto* stack = new QStackedWidget(device);
            stack->setObjectName(QString::fromLatin1(name));
            for (int i = 0; i < pages; ++i) stack->addWidget(new QWidget(stack));
        }
        device->SetPageSkin(QStringLiteral("XML\\DeviceXml\\test.xml"));
        device->SetKeyCount(keys);
        device->SetLightCount(lights);
        device->BindPage();
        window_->show();
        return device;
    }
    std::unique_ptr<PageWindow> window_;
};

TEST_F(UsbDeviceTest, BindingTakesKeyAndLightNumbersBelowTheCounts) {
    auto* d = MakePage<CRezazodaKeyboardDevice>({{"key_0", "light_0"},
                                                 {"KEY_5", "LIGHT_7"},
                                                 {"key_200", "light_200"},
                                                 {"key", "light"},
                                                 {"logo", "light_3"},
                                                 {"key_9", ""}},
                                                170, 170);
    EXPECT_EQ(ui::Name(d->KeyButton(0)), "key_0");
    EXPECT_EQ(ui::Name(d->KeyButton(5)), "KEY_5") << "prefixes compare ignoring case";
    EXPECT_EQ(ui::Name(d->KeyButton(9)), "key_9");
    EXPECT_EQ(ui::Name(d->LightButton(7)), "KEY_5");
    EXPECT_EQ(ui::Name(d->LightButton(3)), "logo") << "a light needs no key name";
    EXPECT_EQ(d->KeyButton(200), nullptr);
    EXPECT_EQ(d->LightButton(200), nullptr);
    int bound_keys = 0;
    for (int i = 0; i < d->KeyCount(); ++i) bound_keys += d->KeyButton(i) != nullptr;
    EXPECT_EQ(bound_keys, 3) << "key_200 and a name without a number bind nothing";
    auto* light = qobject_cast<ui::DeviceKeyButton*>(d->LightButton(0));
    ASSERT_NE(light, nullptr);
    EXPECT_EQ(light->LightColor(), 0xFFFFFFFFu) << "a bound light starts white at alpha 255";
}

TEST_F(UsbDeviceTest, APageWithoutSelectPanelOrSkinBindsNothing) {
    auto* d = MakePage<CRezazodaKeyboardDevice>({}, 170, 170, false);
    EXPECT_EQ(d->KeyCount(), 170) << "the arrays stay, with empty references";
    for (int i = 0; i < d->KeyCount(); ++i) ASSERT_EQ(d->KeyButton(i), nullptr);
    auto* bare = new CRezazodaKeyboardDevice(window_.get());
    bare->SetKeyCount(10);
    bare->SetLightCount(10);
    bare->BindPage();  // no page skin: both counts become 0
    EXPECT_EQ(bare->KeyCount(), 0);
    EXPECT_EQ(bare->LightCount(), 0);
}

TEST_F(UsbDeviceTest, FunctionPageSwitchesFollowThePageTypeAndDeviceType) {
    auto* d = MakePage<CRezazodaKeyboardDevice>({}, 0, 0);
    d->SetInterfaceRecord(SupportedDeviceRow(0));  // keyboard, type 1
    QWidget* f = d->findChild<QWidget*>(QStringLiteral("device_function_switch"));
    QWidget* k = d->findChild<QWidget*>(QStringLiteral("device_key_function_switch"));
    struct C {
        int type, function_page, key_page;
    };
    for (const C& c : std::vector<C>{
             {2, 0, 1}, {3, 1, 1}, {4, 3, 1}, {7, 0, 2}, {5, 2, 2}, {1, 0, 0}, {8, 1, 0}}) {
        d->SetFunctionPage(c.type);
        EXPECT_EQ(d->GetFunctionPage(), c.type);
        EXPECT_EQ(ui::CurSel(f), c.function_page) << "type " << c.type;
        EXPECT_EQ(ui::CurSel(k), c.key_page) << "type " << c.type;
    }
    d->SetInterfaceRecord(SupportedDeviceRow(8));  // mousepad, type 3: page 4 is not its own
    d->SetFunctionPage(4);
    EXPECT_EQ(ui::CurSel(f), 0);
    EXPECT_EQ(ui::CurSel(k), 2);
}

TEST_F(UsbDeviceTest, LightFrameIsShownOnTheButtonsAndStreamedScaledByAlpha) {
    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kCable));
    // The base object streams every light (the keyboard's own frame is its model's).
    auto* d = MakePage<CRezazodaUSBDevice>({{"key_5", "light_5"}}, 170, 126);
    ASSERT_EQ(OpenCommandPath(d->Channel(), CommandPath(DeviceKind::kKeyboard), false), 1);
    d->SetLedColour(5, lighting::PackLed({200, 100, 50, 128}));
    d->PushLightFrame();
    auto* button = qobject_cast<ui::DeviceKeyButton*>(d->LightButton(5));
    EXPECT_EQ(button->LightColor(), qRgba(200, 100, 50, 128));
    const sim::FirmwareModel& model = emu_.Model(DeviceKind::kKeyboard);
    ASSERT_TRUE(test::WaitUntil([&] { return !model.LastLightFrame().empty(); }, 3000));
    const std::vector<uint8_t> frame = model.LastLightFrame();
    ASSERT_EQ(frame.size(), 126u * 3);
    EXPECT_EQ(frame[15], 100);  // 200 * 128 / 256
    EXPECT_EQ(frame[16], 50);
    EXPECT_EQ(frame[17], 25);
    EXPECT_EQ(frame[0], 0);

    // With host lighting off nothing is shown or streamed.
    d->SetHostLighting(false);
    const uint64_t handed_over = d->Stream().SubmittedCount();
    d->SetLedColour(5, lighting::PackLed({10, 10, 10, 255}));
    d->PushLightFrame();
    EXPECT_EQ(button->LightColor(), qRgba(200, 100, 50, 128));
    EXPECT_EQ(d->Stream().SubmittedCount(), handed_over) << "no frame goes to the stream";
}

// Its frame bytes stay 0: light_frame_test covers the frame itself.
TEST_F(UsbDeviceTest, Light170IsShownOnItsButton) {
    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kCable));
    auto* d = MakePage<CRezazodaKeyboardDevice>({{"edge", "light_170"}}, 170, 171);
    d->SetLedColour(170, lighting::PackLed({1, 2, 3, 255}));
    d->PushLightFrame();
    auto* button = qobject_cast<ui::DeviceKeyButton*>(d->LightButton(170));
    ASSERT_NE(button, nullptr);
    EXPECT_EQ(button->LightColor(), qRgba(1, 2, 3, 255));
}

TEST_F(UsbDeviceTest, NoLightFrameGoesThroughTheReceiver) {
    ASSERT_TRUE(emu_.Plug(DeviceKind::kMouse, Link::kReceiver));
    auto* d = MakePage<CRezazodaMouseDevice>({{"key_0", "light_0"}}, 11, 15);
    ASSERT_EQ(OpenCommandPath(d->Channel(), CommandPath(DeviceKind::kMouse, Link::kReceiver), true),
              1);
    auto* button = qobject_cast<ui::DeviceKeyButton*>(d->LightButton(0));
    for (int i = 0; i < 5; ++i) {
        d->SetLedColour(0, lighting::PackLed({static_cast<uint8_t>(i), 0, 0, 255}));
        // The buttons take a new picture once per refresh of the screen.
        EXPECT_TRUE(test::WaitUntil(
            [&] {
                d->PushLightFrame();
                return button->LightColor() == qRgba(i, 0, 0, 255);
            },
            3000))
            << "the preview still follows";
    }
    // Frames are handed to the stream synchronously: none was, so none can follow.
    EXPECT_EQ(d->Stream().SubmittedCount(), 0u);
    EXPECT_EQ(CountCommand(Sent(), CMD_LIGHT_FRAME), 0u);
}

TEST_F(UsbDeviceTest, HostLightingIsSentToACabledKeyboardOnly) {
    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kCable));
    ASSERT_TRUE(emu_.Plug(DeviceKind::kMouse, Link::kCable));
    auto* keyboard = MakePage<CRezazodaKeyboardDevice>({}, 0, 0);
    auto* mouse = MakePage<CRezazodaMouseDevice>({}, 0, 0);
    keyboard->SetInterfaceRecord(SupportedDeviceRow(0));
    mouse->SetInterfaceRecord(SupportedDeviceRow(4));
    ASSERT_EQ(OpenCommandPath(keyboard->Channel(), CommandPath(DeviceKind::kKeyboard), false), 1);
    ASSERT_EQ(OpenCommandPath(mouse->Channel(), CommandPath(DeviceKind::kMouse), false), 1);
    mouse->SetHostLighting(true);
    EXPECT_EQ(CountCommand(Sent(Node(DeviceKind::kMouse)), CMD_HOST_LIGHTING), 0u);
    keyboard->SetHostLighting(false);
    EXPECT_EQ(CountCommand(Sent(Node(DeviceKind::kKeyboard)), CMD_HOST_LIGHTING), 0u);
    keyboard->SetHostLighting(true);
    EXPECT_TRUE(keyboard->HostLighting()) << "at once, while the worker sends";
    keyboard->Worker().WaitIdle();
    mouse->Worker().WaitIdle();
    EXPECT_EQ(CountCommand(Sent(Node(DeviceKind::kMouse)), CMD_HOST_LIGHTING), 0u);
    EXPECT_EQ(CountCommand(Sent(Node(DeviceKind::kKeyboard)), CMD_HOST_LIGHTING), 1u);
    EXPECT_TRUE(keyboard->HostLighting());
}

TEST_F(UsbDeviceTest, NotificationsStartTheResyncTimerAndMarkTheProfileList) {
    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kCable));
    auto* d = MakePage<CRezazodaKeyboardDevice>({}, 0, 0);
    auto* item = new panels::CDeviceOptionUI(window_.get());
    d->BindSelector(item, nullptr);
    d->OpenListener(0, NotifyPath(DeviceKind::kKeyboard));
    ASSERT_TRUE(d->ListenerOpen(0));

    ASSERT_TRUE(emu_.PressRaw(DeviceKind::kKeyboard, kUsageResync));
    ASSERT_TRUE(
        dz::test::WaitUntil([&] { return window_->IsTimerActive(item, kTimerResync); }, 3000));
    window_->KillTimer(item, kTimerResync);

    ProfileListChangedFlag().store(false);
    ASSERT_TRUE(emu_.PressRaw(DeviceKind::kKeyboard, kUsageProfileListChanged));
    ASSERT_TRUE(dz::test::WaitUntil([&] { return ProfileListChangedFlag().load(); }, 3000));
    EXPECT_TRUE(
        dz::test::WaitUntil([&] { return window_->IsTimerActive(item, kTimerResync); }, 3000));

    d->StopListener(0);
    EXPECT_FALSE(d->ListenerOpen(0));
}

TEST_F(UsbDeviceTest, AReReadNotificationMakesTheDeviceReadItselfAgain) {
    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kCable));
    auto* d = MakePage<CRezazodaKeyboardDevice>({}, 0, 0);
    auto* item = new panels::CDeviceOptionUI(window_.get());
    item->SetDevice(d);
    d->BindSelector(item, nullptr);
    ASSERT_EQ(OpenCommandPath(d->Channel(), CommandPath(DeviceKind::kKeyboard), false), 1);
    d->OpenListener(0, NotifyPath(DeviceKind::kKeyboard));
    emu_.Traffic().Clear();
    ASSERT_TRUE(emu_.PressRaw(DeviceKind::kKeyboard, kUsageResync));
    // Timer 1002 runs Resync 50 ms later: the keyboard's settings are read again.
    EXPECT_TRUE(dz::test::WaitUntil(
        [&] { return CountCommand(Sent(Node(DeviceKind::kKeyboard)), CMD_READ_SETTINGS) > 0; },
        3000));
}

// A still picture goes to the device at the selector's still pace. A moved one goes at
// once from the lighting step that made it, whatever the selector's timer does, and
// whether or not the page is shown; the page takes it at the screen's pace, and not at all
// while hidden.
TEST_F(UsbDeviceTest, ThePictureGoesToTheDeviceFromTheStepThatMadeIt) {
    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kCable));
    // The base object streams every frame (the keyboard only some: keyboard_device_test),
    // here all 126 lights of the emulated keyboard's frame.
    auto* d = MakePage<CRezazodaUSBDevice>({{"key_0", "light_0"}}, 1, 126);
    auto* item = new panels::CDeviceOptionUI(window_.get());
    item->SetDevice(d);
    d->BindSelector(item, nullptr);
    ASSERT_EQ(OpenCommandPath(d->Channel(), CommandPath(DeviceKind::kKeyboard), false), 1);
    d->PushLightFrame();
    EXPECT_EQ(d->FrameInterval(), kFrameIntervalStillMs) << "nothing moved since the frame";
    const sim::FirmwareModel& model = emu_.Model(DeviceKind::kKeyboard);
    const auto red_of_light_0 = [&] {
        const std::vector<uint8_t> frame = model.LastLightFrame();
        return frame.empty() ? -1 : int{frame[0]};
    };

    // The base program shows the settings' colour: a step for each new setting.
    window_->SetTimer(item, kTimerLightFrame, kFrameIntervalStillMs);
    d->StartLightingThread(std::chrono::milliseconds(20));
    for (const bool shown : {true, false}) {
        window_->setVisible(shown);
        const uint8_t red = shown ? 0x40 : 0x80;
        d->SetLightInfo(4u << 8, uint32_t{red} << 8, 0, 0);  // brightness 4, the colour red
        ASSERT_TRUE(test::WaitUntil([&] { return d->Leds().Get(0).red == red; }, 3000));
        const int alpha = d->Leds().Get(0).alpha;
        EXPECT_TRUE(test::WaitUntil([&] { return red_of_light_0() == red * alpha / 256; }, 3000))
            << "shown " << shown << ", alpha " << alpha;
        // Shown, the page asked for the picture through the UI thread; hidden, nothing
        // but the step itself sent it.
        QCoreApplication::processEvents();
        if (shown) {
            EXPECT_LT(window_->TimerInterval(item, kTimerLightFrame), kFrameIntervalStillMs);
        } else {
            EXPECT_EQ(window_->TimerInterval(item, kTimerLightFrame), kFrameIntervalStillMs);
            EXPECT_EQ(d->FrameInterval(), kFrameIntervalStillMs) << "hidden: no picture due";
        }
        window_->SetTimer(item, kTimerLightFrame, kFrameIntervalStillMs);
    }
    d->StopLightingThread();

    // A painted picture: the next one only a refresh of the screen later.
    window_->show();
    d->SetLedColour(0, lighting::PackLed({9, 9, 9, 255}));
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            d->PushLightFrame();
            return qobject_cast<ui::DeviceKeyButton*>(d->LightButton(0))->LightColor() ==
                   qRgba(9, 9, 9, 255);
        },
        3000));
    d->SetLedColour(0, lighting::PackLed({8, 8, 8, 255}));
    EXPECT_GT(d->FrameInterval(), kFrameIntervalMovingMs) << "just painted";
    EXPECT_LT(d->FrameInterval(), kFrameIntervalStillMs);

    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kReceiver));
    ASSERT_EQ(
        OpenCommandPath(d->Channel(), CommandPath(DeviceKind::kKeyboard, Link::kReceiver), true),
        1);
    d->SetLedColour(0, lighting::PackLed({1, 1, 1, 255}));
    EXPECT_EQ(d->FrameInterval(), kFrameIntervalStillMs) << "through the receiver always";
}

// A model's own lighting program: steps counted, every light set; it animates.
class CountingProgram : public LightingProgram {
  public:
    CountingProgram(lighting::LedArray& leds, std::atomic<int>& steps)
        : leds_(leds), steps_(steps) {}
    bool Step() override {
        const int n = ++steps_;
        leds_.Fill({static_cast<uint8_t>(n), 0, 0, 255});
        return true;
    }

  private:
    lighting::LedArray& leds_;
    std::atomic<int>& steps_;
};

class ProgrammedDevice : public CRezazodaUSBDevice {
  public:
    ProgrammedDevice(QWidget* parent, std::atomic<int>& steps) : CRezazodaUSBDevice(parent) {
        SetLightingProgram(std::make_unique<CountingProgram>(Leds(), steps));
    }
    // As every model: the threads stop before the derived part goes.
    ~ProgrammedDevice() override { Shutdown(); }
    // State of the derived part, gone before the base destructor runs.
    std::vector<int> own_state = std::vector<int>(64, 7);
};

// The lighting thread runs the model's program beside the UI thread's frames, and the
// object goes while it runs: the thread is stopped before anything it uses is destroyed.
TEST_F(UsbDeviceTest, TheLightingProgramRunsBesideTheFramesAndStopsWithTheObject) {
    std::atomic<int> steps{0};
    auto* d = new ProgrammedDevice(window_.get(), steps);
    d->setObjectName(QStringLiteral("page"));
    auto* panel = new QWidget(d);
    panel->setObjectName(QStringLiteral("SelectPanel"));
    AddButton(panel, QStringLiteral("key_0"), QStringLiteral("light_0"));
    d->SetPageSkin(QStringLiteral("XML\\DeviceXml\\test.xml"));
    d->SetKeyCount(1);
    d->SetLightCount(4);
    d->BindPage();
    window_->show();
    d->StartLightingThread(std::chrono::milliseconds(1));
    ASSERT_TRUE(d->LightingThreadRunning());
    auto* button = qobject_cast<ui::DeviceKeyButton*>(d->LightButton(0));
    // The buttons show the program's lights (after a refresh of the screen).
    ASSERT_TRUE(test::WaitUntil(
        [&] {
            d->SetLightInfo(0x01020304, 0x05060708, 0, 0);  // wakes the thread
            d->PushLightFrame();
            QCoreApplication::processEvents();
            return steps.load() > 20 && qAlpha(button->LightColor()) == 255;
        },
        3000));
    delete d;
    const int after = steps.load();
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(steps.load(), after) << "no step after the object went";
}

// A device that never answers: the worker waits in an exchange. Destroying the object ends
// that wait and drops what was queued behind it.
TEST_F(UsbDeviceTest, DestroyingTheObjectEndsTheWorkersWaitAndDropsQueuedWork) {
    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kCable));
    for (int packet = 1; packet <= 10; ++packet)
        ASSERT_TRUE(emu_.ArmFault(DeviceKind::kKeyboard, sim::FaultKind::kNoAnswer, packet));
    auto* d = MakePage<CRezazodaKeyboardDevice>({}, 0, 0);
    ASSERT_EQ(OpenCommandPath(d->Channel(), CommandPath(DeviceKind::kKeyboard), false), 1);
    d->SetInterfaceRecord(SupportedDeviceRow(0));
    d->FirstSync();            // the first read: waits for an answer
    d->SetHostLighting(true);  // queued behind it
    ASSERT_TRUE(test::WaitUntil([&] { return CountCommand(Sent(), CMD_BEGIN) > 0; }, 3000));
    EXPECT_EQ(d->Worker().Pending(), 2u);
    delete d;
    EXPECT_EQ(CountCommand(Sent(), CMD_HOST_LIGHTING), 0u) << "dropped with the object";
}

}  // namespace
}  // namespace dz
