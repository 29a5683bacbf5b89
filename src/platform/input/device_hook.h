#pragma once
// CDeviceHook: the input hook of the program, owned by the main window. StartHook installs
// the keyboard hook (every key reported; the keyboard taken from the other programs, the
// lock keys keeping their effect) and the mouse hook (buttons reported, the pointer left
// free) for one mode and one window; each event then reaches that window on the UI thread
// as the registered message of the mode (hook_records.h), with the record the system's
// hook would give. StopHook removes both and releases the keyboard; so does destruction.
//
// A one-key capture: StartHook(kHookModeSingleKey, window, true, false), then the
// window's OnHookMessage gets "WM_HOOK_KEY_SINGLEKEY_MSG" for every press and release
// (message.key set) until StopHook.

#include <cstdint>
#include <memory>

#include "platform/input/hook_records.h"
#include "platform/input/input_backend.h"

namespace dz::input {

class CDeviceHook {
  public:
    // Reads from `backend`, whose coverage is `coverage`; without a backend every
    // StartHook answers 0.
    CDeviceHook(std::unique_ptr<InputBackend> backend, InputCoverage coverage);
    ~CDeviceHook();
    CDeviceHook(const CDeviceHook&) = delete;
    CDeviceHook& operator=(const CDeviceHook&) = delete;

    // Removes a keyboard hook that is installed; installs the keyboard hook when asked
    // (0, with nothing installed, when it cannot be), the mouse hook when asked; stores mode
    // and window. 1 when done. A mode without messages (not 1, 4, 8, 16 or 32) installs the
    // hooks but sends nothing.
    int StartHook(int mode, HookWindow* window, bool keyboard_hook, bool library_hook);
    // Removes both hooks and releases the keyboard.
    void StopHook();

    [[nodiscard]] int Mode() const { return mode_; }
    [[nodiscard]] HookWindow* Window() const { return window_; }
    [[nodiscard]] bool KeyboardHooked() const { return keyboard_on_; }
    [[nodiscard]] bool MouseHooked() const { return mouse_on_; }
    [[nodiscard]] bool KeyboardGrabbed() const;
    [[nodiscard]] InputCoverage Coverage() const { return coverage_; }
    [[nodiscard]] const InputBackend* Backend() const { return backend_.get(); }

  private:
    void OnKey(const RawKeyEvent& event);
    void OnButton(const RawButtonEvent& event);
    void Deliver(std::string_view name, uint32_t wparam, const KeyHookRecord* key,
                 const MouseHookRecord* mouse);

    std::unique_ptr<InputBackend> backend_;
    InputCoverage coverage_;
    int mode_ = 0;
    HookWindow* window_ = nullptr;
    bool keyboard_on_ = false;
    bool mouse_on_ = false;
    // Alt held: the hook reports the system-key messages then.
    bool left_alt_ = false;
    bool right_alt_ = false;
};

}  // namespace dz::input
