#pragma once
// A source of the computer's own key and button events for the input hook: the X11 raw
// events of every device, or the keyboards' evdev nodes. Events are delivered on the
// thread that started the backend (the UI thread, through its event loop).

#include <cstdint>
#include <functional>
#include <string>

namespace dz::input {

struct RawKeyEvent {
    uint16_t linux_code = 0;  // evdev key code (an X keycode less 8)
    bool press = false;
    uint32_t time = 0;  // milliseconds, in the source's own clock
};

struct RawButtonEvent {
    // X button numbering: 1 left, 2 middle, 3 right, 4/5 wheel up/down, 6/7 wheel left/right,
    // 8 back, 9 forward.
    int button = 0;
    bool press = false;
    bool has_position = false;
    int x = 0;  // screen pixels, when has_position
    int y = 0;
    uint32_t time = 0;
};

struct InputSink {
    std::function<void(const RawKeyEvent&)> key;
    std::function<void(const RawButtonEvent&)> button;
};

class InputBackend {
  public:
    virtual ~InputBackend() = default;

    // Starts delivering key events; with `grab` the keyboard is taken from the other
    // programs until StopKeys (onto `grab_window`, a native window id, or the whole screen
    // for 0), except what keeps the lock keys' effect. False when nothing was started.
    [[nodiscard]] virtual bool StartKeys(std::function<void(const RawKeyEvent&)> sink, bool grab,
                                         uint64_t grab_window) = 0;
    virtual void StopKeys() = 0;
    // Starts delivering button events (the pointer is never grabbed).
    [[nodiscard]] virtual bool StartButtons(std::function<void(const RawButtonEvent&)> sink) = 0;
    virtual void StopButtons() = 0;

    [[nodiscard]] virtual bool KeysStarted() const = 0;
    [[nodiscard]] virtual bool KeyboardGrabbed() const = 0;
    [[nodiscard]] virtual std::string Name() const = 0;
};

}  // namespace dz::input
