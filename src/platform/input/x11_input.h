#pragma once
// The X11 source of the input hook: XInput 2 raw key and button events of every device,
// read on the root window of the display, and the keyboard grab.
//
// Two connections: raw events reach every client that asks for them on the root window
// except the one that holds a grab, so the grab lives on a connection of its own, made for
// the grab and closed with it. While it is held no other program gets key events; the
// lock keys keep their effect, because the server keeps their state whoever gets the
// events. The grab's connection is registered for ReleaseInputGrabsFromSignal.
//
// Both connections are read on the thread that opened them, through its event loop.

#include <QObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QTimer>
#include <memory>
#include <string>

#include "platform/input/input_backend.h"

using XDisplay = struct _XDisplay;

namespace dz::input {

class X11Input : public QObject, public InputBackend {
  public:
    // Connects to `display_name` (empty: $DISPLAY). Null, with one log line, when there is
    // no X server or it lacks XInput 2.2.
    [[nodiscard]] static std::unique_ptr<X11Input> Open(const std::string& display_name = {});
    ~X11Input() override;
    X11Input(const X11Input&) = delete;
    X11Input& operator=(const X11Input&) = delete;

    [[nodiscard]] bool StartKeys(std::function<void(const RawKeyEvent&)> sink, bool grab,
                                 uint64_t grab_window) override;
    void StopKeys() override;
    [[nodiscard]] bool StartButtons(std::function<void(const RawButtonEvent&)> sink) override;
    void StopButtons() override;
    [[nodiscard]] bool KeysStarted() const override { return static_cast<bool>(key_sink_); }
    [[nodiscard]] bool KeyboardGrabbed() const override { return grabbed_; }
    [[nodiscard]] std::string Name() const override { return "X11"; }

    // Whether the display is an Xwayland server, which sees the input of its own windows
    // only.
    [[nodiscard]] bool IsXwayland() const { return xwayland_; }
    // How long a grab that another client's grab refuses is tried again before recording
    // goes on without it.
    static constexpr int kGrabRetryMs = 1000;

  private:
    X11Input(XDisplay* events, int xi_opcode, std::string display_name);
    // Asks the root window for the raw events of what is started.
    void SelectRawEvents();
    // Reads and hands out every event the events connection has.
    void DrainEvents();
    // Discards what the grab's connection receives (the grabbed keys, focus events).
    void DrainGrab();
    // One attempt to grab; false when another client's grab is in the way.
    bool TryGrab();
    void Ungrab();
    void CloseGrabConnection();

    XDisplay* events_ = nullptr;
    int xi_opcode_ = 0;
    std::string display_name_;
    bool xwayland_ = false;
    bool events_dead_ = false;
    std::unique_ptr<QSocketNotifier> events_notifier_;

    std::function<void(const RawKeyEvent&)> key_sink_;
    std::function<void(const RawButtonEvent&)> button_sink_;

    XDisplay* grab_ = nullptr;
    int grab_fd_ = -1;
    bool grab_dead_ = false;
    bool grabbed_ = false;
    uint64_t grab_window_ = 0;
    std::unique_ptr<QSocketNotifier> grab_notifier_;
    QTimer grab_retry_;
    int grab_tries_left_ = 0;
    // Set while DrainEvents hands out events: a sink may stop the source or end it.
    std::shared_ptr<bool> alive_ = std::make_shared<bool>(true);
};

}  // namespace dz::input
