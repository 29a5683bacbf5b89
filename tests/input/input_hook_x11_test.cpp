// The input hook on a real X server (Xvfb): keys and buttons injected with XTest reach the
// hook's window as the registered messages of its mode with the system's records, the
// keyboard is taken from another client while the hook runs (the lock keys keep their
// effect), and the grab ends on stop, on destruction and from a signal handler.

#include <linux/input-event-codes.h>

#include <gtest/gtest.h>
#include <QCoreApplication>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/input/device_hook.h"
#include "platform/input/signal_release.h"
#include "platform/input/x11_input.h"
#include "platform/ipc/registered_messages.h"
#include "support/qt_wait.h"
#include "support/x11_input.h"

namespace dz::input {
namespace {

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "input_hook_x11_test";
    static char* argv[] = {name, nullptr};
    static auto* app = new QCoreApplication(argc, argv);
    return *app;
}

struct Seen {
    std::string name;
    uint32_t number = 0;
    int mode = 0;
    uint32_t wparam = 0;
    std::optional<KeyHookRecord> key;
    std::optional<MouseHookRecord> mouse;
};

class RecordingWindow : public HookWindow {
  public:
    void OnHookMessage(const HookMessage& m) override {
        Seen s{std::string(m.name), m.number, m.mode, m.wparam, {}, {}};
        if (m.key != nullptr) s.key = *m.key;
        if (m.mouse != nullptr) s.mouse = *m.mouse;
        seen.push_back(s);
        if (on_message) on_message(m);
    }
    uint64_t GrabWindow() const override { return grab_window; }

    std::vector<Seen> seen;
    uint64_t grab_window = 0;
    std::function<void(const HookMessage&)> on_message;
};

class InputHookX11 : public ::testing::Test {
  protected:
    void SetUp() override {
        (void)App();
        ASSERT_TRUE(injector_.Ok()) << "no X display";
        auto backend = X11Input::Open();
        ASSERT_NE(backend, nullptr);
        hook_ = std::make_unique<CDeviceHook>(std::move(backend), InputCoverage::kDesktop);
    }

    // Waits until `count` messages have arrived (and a moment for any that should not).
    bool WaitFor(size_t count) {
        return test::WaitUntil([&] { return window_.seen.size() >= count; });
    }
    // Lets pending events arrive: a marker key is tapped and waited for.
    void Settle() {
        const size_t before = window_.seen.size();
        injector_.Tap(KEY_F24);
        ASSERT_TRUE(test::WaitUntil([&] {
            for (size_t i = before; i < window_.seen.size(); ++i)
                if (window_.seen[i].key && window_.seen[i].wparam == kWmKeyUp) return true;
            return false;
        }));
    }

    test::XInjector injector_;
    RecordingWindow window_;
    std::unique_ptr<CDeviceHook> hook_;
};

TEST_F(InputHookX11, KeysArriveAsTheCaptureMessageWithScanCodes) {
    ASSERT_EQ(hook_->StartHook(kHookModeSingleKey, &window_, true, false), 1);
    struct Case {
        uint16_t linux_code;
        uint32_t scan;
        bool extended;
        uint32_t vk;
    };
    // Keys that share a scan code are told apart by the flag.
    const Case cases[] = {
        {KEY_A, 0x1E, false, 'A'},         {KEY_ENTER, 0x1C, false, 0x0D},
        {KEY_KPENTER, 0x1C, true, 0x0D},   {KEY_LEFTCTRL, 0x1D, false, 0xA2},
        {KEY_RIGHTCTRL, 0x1D, true, 0xA3}, {KEY_RIGHTSHIFT, 0x36, true, 0xA1},
        {KEY_HOME, 0x47, true, 0x24},      {KEY_KP7, 0x47, false, 0x67},
        {KEY_F12, 0x58, false, 0x7B},      {KEY_LEFTMETA, 0x5B, true, 0x5B},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.linux_code);
        window_.seen.clear();
        injector_.Tap(c.linux_code);
        ASSERT_TRUE(WaitFor(2));
        ASSERT_EQ(window_.seen.size(), 2u);
        const Seen& down = window_.seen[0];
        const Seen& up = window_.seen[1];
        EXPECT_EQ(down.name, "WM_HOOK_KEY_SINGLEKEY_MSG");
        EXPECT_EQ(down.number, ipc::RegisterMessage("WM_HOOK_KEY_SINGLEKEY_MSG"));
        EXPECT_EQ(down.mode, kHookModeSingleKey);
        EXPECT_EQ(down.wparam, kWmKeyDown);
        EXPECT_EQ(up.wparam, kWmKeyUp);
        ASSERT_TRUE(down.key && up.key);
        EXPECT_EQ(down.key->scan_code, c.scan);
        EXPECT_EQ(down.key->Extended(), c.extended);
        EXPECT_EQ(down.key->vk_code, c.vk);
        EXPECT_EQ(down.key->flags & kKeyFlagUp, 0u);
        EXPECT_NE(up.key->flags & kKeyFlagUp, 0u);
        EXPECT_FALSE(down.mouse);
    }
}

TEST_F(InputHookX11, AltMakesSystemKeysAndTheModeNamesTheMessage) {
    const struct {
        int mode;
        const char* name;
    } modes[] = {{kHookModeAppend, "WM_HOOK_KEY_KBMACRO_MSG"},
                 {kHookModeBefore, "WM_HOOK_KEY_KBMACROPREVIOUS_MSG"},
                 {kHookModeAfter, "WM_HOOK_KEY_KBMACROLATER_MSG"},
                 {kHookModeReplace, "WM_HOOK_KEY_KBMACROSINGLE_MSG"}};
    for (const auto& m : modes) {
        // A new start replaces the mode.
        ASSERT_EQ(hook_->StartHook(m.mode, &window_, true, true), 1);
        window_.seen.clear();
        injector_.Tap(KEY_B);
        ASSERT_TRUE(WaitFor(2));
        EXPECT_EQ(window_.seen[0].name, m.name);
        EXPECT_EQ(window_.seen[0].mode, m.mode);
    }
    window_.seen.clear();
    injector_.Key(KEY_LEFTALT, true);
    injector_.Tap(KEY_TAB);
    injector_.Key(KEY_LEFTALT, false);
    ASSERT_TRUE(WaitFor(4));
    EXPECT_EQ(window_.seen[0].wparam, kWmSysKeyDown);
    EXPECT_EQ(window_.seen[1].wparam, kWmSysKeyDown);
    EXPECT_NE(window_.seen[1].key->flags & kKeyFlagAltDown, 0u);
    EXPECT_EQ(window_.seen[2].wparam, kWmSysKeyUp);
    EXPECT_EQ(window_.seen[3].wparam, kWmSysKeyUp);
    window_.seen.clear();
    injector_.Tap(KEY_TAB);
    ASSERT_TRUE(WaitFor(2));
    EXPECT_EQ(window_.seen[0].wparam, kWmKeyDown);
}

TEST_F(InputHookX11, AnotherProgramDoesNotSeeTheKeysButTheLockKeysKeepTheirEffect) {
    test::XWitness witness;
    ASSERT_TRUE(witness.Ok());
    injector_.Tap(KEY_A);
    witness.Pump();
    ASSERT_EQ(witness.key_presses, 1) << "the witness gets keys without the hook";
    witness.Reset();
    const unsigned caps_before = witness.LockedModifiers() & LockMask;

    ASSERT_EQ(hook_->StartHook(kHookModeAppend, &window_, true, true), 1);
    EXPECT_TRUE(hook_->KeyboardGrabbed());
    EXPECT_FALSE(injector_.KeyboardFree());
    injector_.Tap(KEY_A);
    injector_.Tap(KEY_CAPSLOCK);
    Settle();
    witness.Pump();
    EXPECT_EQ(witness.key_presses, 0);
    // Caps Lock was reported and still toggled the lock.
    EXPECT_EQ(window_.seen[2].key->scan_code, 0x3Au);
    EXPECT_NE(witness.LockedModifiers() & LockMask, caps_before);

    hook_->StopHook();
    EXPECT_FALSE(hook_->KeyboardGrabbed());
    EXPECT_TRUE(injector_.KeyboardFree());
    witness.Focus();
    injector_.Tap(KEY_A);
    injector_.Tap(KEY_CAPSLOCK);  // the lock as it was
    witness.Pump();
    EXPECT_EQ(witness.key_presses, 2);
}

TEST_F(InputHookX11, GrabbingOntoTheFocusedWindowLeavesItTheFocus) {
    test::XWitness witness;
    ASSERT_TRUE(witness.Ok());
    window_.grab_window = witness.Id();
    ASSERT_EQ(hook_->StartHook(kHookModeSingleKey, &window_, true, false), 1);
    ASSERT_TRUE(hook_->KeyboardGrabbed());
    injector_.Tap(KEY_C);
    Settle();
    witness.Pump();
    EXPECT_TRUE(witness.has_focus);
    EXPECT_EQ(witness.key_presses, 0) << "the keys go to the hook, not to the window";
    hook_->StopHook();

    // For comparison: the whole screen's grab takes the focus away for its duration.
    window_.grab_window = 0;
    ASSERT_EQ(hook_->StartHook(kHookModeSingleKey, &window_, true, false), 1);
    Settle();
    witness.Pump();
    EXPECT_FALSE(witness.has_focus);
}

TEST_F(InputHookX11, ButtonsArriveWithPositionAndXButton) {
    ASSERT_EQ(hook_->StartHook(kHookModeAppend, &window_, true, true), 1);
    injector_.MoveTo(123, 45);
    struct Case {
        unsigned button;
        uint32_t down;
        uint32_t up;  // 0: reported once
        uint32_t xbutton;
    };
    const Case cases[] = {
        {1, kWmLButtonDown, kWmLButtonUp, 0},
        {2, kWmMButtonDown, kWmMButtonUp, 0},
        {3, kWmRButtonDown, kWmRButtonUp, 0},
        {8, kWmXButtonDown, kWmXButtonUp, kXButtonBack},
        {9, kWmXButtonDown, kWmXButtonUp, kXButtonForward},
        {4, kWmMouseWheel, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.button);
        window_.seen.clear();
        injector_.Click(c.button);
        Settle();
        ASSERT_GE(window_.seen.size(), 1u);
        const Seen& down = window_.seen[0];
        EXPECT_EQ(down.name, "WM_HOOK_KEY_MSMACRO_MSG");
        EXPECT_EQ(down.wparam, c.down);
        ASSERT_TRUE(down.mouse);
        EXPECT_TRUE(down.mouse->HasPosition());
        EXPECT_EQ(down.mouse->x, 123);
        EXPECT_EQ(down.mouse->y, 45);
        if (c.button == 4) {
            EXPECT_EQ(static_cast<int16_t>(down.mouse->mouse_data >> 16), kWheelDelta);
            EXPECT_TRUE(window_.seen[1].key) << "a wheel notch is reported once";
        } else {
            EXPECT_EQ(down.mouse->XButton(), c.xbutton);
            EXPECT_EQ(window_.seen[1].wparam, c.up);
        }
    }
}

TEST_F(InputHookX11, TheCaptureModeSendsNoMouseMessages) {
    ASSERT_EQ(hook_->StartHook(kHookModeSingleKey, &window_, true, true), 1);
    injector_.Click(1);
    Settle();
    for (const Seen& s : window_.seen) EXPECT_FALSE(s.mouse) << s.name;
}

TEST_F(InputHookX11, NothingArrivesAfterStopOrWithoutTheKeyboardHook) {
    ASSERT_EQ(hook_->StartHook(kHookModeAppend, &window_, true, true), 1);
    // Stopping from inside a message drops what is queued behind it.
    window_.on_message = [this](const HookMessage&) { hook_->StopHook(); };
    injector_.Tap(KEY_D);
    injector_.Tap(KEY_E);
    ASSERT_TRUE(WaitFor(1));
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_EQ(window_.seen.size(), 1u);
    window_.on_message = {};

    // Mouse hook alone: buttons arrive, keys do not and the keyboard stays free.
    window_.seen.clear();
    ASSERT_EQ(hook_->StartHook(kHookModeAppend, &window_, false, true), 1);
    EXPECT_TRUE(injector_.KeyboardFree());
    injector_.Tap(KEY_D);
    injector_.Click(3);
    ASSERT_TRUE(WaitFor(2));
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    for (const Seen& s : window_.seen) EXPECT_TRUE(s.mouse);
}

TEST_F(InputHookX11, DestroyingTheHookReleasesTheKeyboard) {
    ASSERT_EQ(hook_->StartHook(kHookModeAppend, &window_, true, true), 1);
    ASSERT_FALSE(injector_.KeyboardFree());
    hook_.reset();
    EXPECT_TRUE(injector_.KeyboardFree());
}

TEST_F(InputHookX11, TheSignalReleaseFreesTheKeyboardAndTheHookGoesOn) {
    ASSERT_EQ(hook_->StartHook(kHookModeAppend, &window_, true, true), 1);
    ASSERT_FALSE(injector_.KeyboardFree());
    ReleaseInputGrabsFromSignal();
    // The server drops the grab as soon as it sees the connection close.
    EXPECT_TRUE(test::WaitUntil([&] { return injector_.KeyboardFree(); }));
    // Raw events still come (they have their own connection) and nothing ends the program.
    window_.seen.clear();
    injector_.Tap(KEY_G);
    ASSERT_TRUE(WaitFor(2));
    EXPECT_TRUE(test::WaitUntil([&] { return !hook_->KeyboardGrabbed(); }));
    hook_->StopHook();
    // A later start grabs again.
    ASSERT_EQ(hook_->StartHook(kHookModeAppend, &window_, true, true), 1);
    EXPECT_FALSE(injector_.KeyboardFree());
    hook_->StopHook();
    EXPECT_TRUE(injector_.KeyboardFree());
}

TEST_F(InputHookX11, AGrabThatAnotherClientHoldsIsTakenWhenItEnds) {
    test::XInjector other;
    ASSERT_EQ(XGrabKeyboard(other.Raw(), DefaultRootWindow(other.Raw()), False, GrabModeAsync,
                            GrabModeAsync, CurrentTime),
              GrabSuccess);
    XSync(other.Raw(), False);
    // The hook is installed; the grab follows once the other one ends (a closing menu).
    ASSERT_EQ(hook_->StartHook(kHookModeAppend, &window_, true, true), 1);
    EXPECT_FALSE(hook_->KeyboardGrabbed());
    XUngrabKeyboard(other.Raw(), CurrentTime);
    XSync(other.Raw(), False);
    EXPECT_TRUE(test::WaitUntil([&] { return hook_->KeyboardGrabbed(); }));
    EXPECT_FALSE(injector_.KeyboardFree());
}

TEST(InputHookWithoutSource, StartAnswersZero) {
    RecordingWindow window;
    CDeviceHook hook(nullptr, InputCoverage::kDesktop);
    EXPECT_EQ(hook.Coverage(), InputCoverage::kNone);
    EXPECT_EQ(hook.StartHook(kHookModeAppend, &window, true, true), 0);
    EXPECT_FALSE(hook.KeyboardHooked());
    EXPECT_EQ(hook.StartHook(kHookModeAppend, &window, false, true), 1);
    hook.StopHook();
}

}  // namespace
}  // namespace dz::input
