#include "platform/input/x11_input.h"

#include <X11/Xlib.h>
#include <X11/extensions/XInput2.h>

#include <algorithm>
#include <mutex>
#include <vector>

#include "platform/input/key_translation.h"
#include "platform/input/signal_release.h"
#include "platform/log/debug_log.h"

namespace dz::input {
namespace {

// A connection of ours that broke (the server went, or a signal shut it down) is marked
// dead and dropped afterwards; Xlib's default would end the program. Other connections of
// the process keep the handler they had.
std::mutex g_own_lock;
std::vector<Display*> g_own_displays;
XIOErrorHandler g_previous_io_handler = nullptr;

int OnIoError(Display* display) {
    {
        const std::lock_guard<std::mutex> lock(g_own_lock);
        for (Display* own : g_own_displays)
            if (own == display) return 0;  // its exit handler marks it dead
    }
    return g_previous_io_handler != nullptr ? g_previous_io_handler(display) : 0;
}

void MarkDead(Display* /*display*/, void* flag) {
    *static_cast<bool*>(flag) = true;
}

void AdoptDisplay(Display* display, bool* dead_flag) {
    static std::once_flag once;
    std::call_once(once, [] { g_previous_io_handler = XSetIOErrorHandler(OnIoError); });
    XSetIOErrorExitHandler(display, MarkDead, dead_flag);
    const std::lock_guard<std::mutex> lock(g_own_lock);
    g_own_displays.push_back(display);
}

void CloseOwnDisplay(Display* display) {
    {
        const std::lock_guard<std::mutex> lock(g_own_lock);
        std::erase(g_own_displays, display);
    }
    XCloseDisplay(display);
}

// Errors of the requests below (a grab window that went away) are answered by the
// reply codes; without this the default handler would end the program.
int g_last_error = 0;
int NoteError(Display* /*display*/, XErrorEvent* error) {
    g_last_error = error->error_code;
    return 0;
}
class ErrorTrap {
  public:
    explicit ErrorTrap(Display* display) : display_(display) {
        g_last_error = 0;
        previous_ = XSetErrorHandler(NoteError);
    }
    ~ErrorTrap() {
        XSync(display_, False);
        XSetErrorHandler(previous_);
    }
    ErrorTrap(const ErrorTrap&) = delete;
    ErrorTrap& operator=(const ErrorTrap&) = delete;

  private:
    Display* display_;
    XErrorHandler previous_;
};

bool HasXwaylandExtension(Display* display) {
    int opcode = 0, event = 0, error = 0;
    return XQueryExtension(display, "XWAYLAND", &opcode, &event, &error) != 0;
}

}  // namespace

std::unique_ptr<X11Input> X11Input::Open(const std::string& display_name) {
    Display* events = XOpenDisplay(display_name.empty() ? nullptr : display_name.c_str());
    if (events == nullptr) {
        log::DebugLine("input: no X display");
        return nullptr;
    }
    int opcode = 0, event = 0, error = 0;
    int major = 2, minor = 2;
    if (!XQueryExtension(events, "XInputExtension", &opcode, &event, &error) ||
        XIQueryVersion(events, &major, &minor) != Success || major < 2 ||
        (major == 2 && minor < 2)) {
        log::DebugLine("input: the X server has no XInput 2.2");
        XCloseDisplay(events);
        return nullptr;
    }
    return std::unique_ptr<X11Input>(new X11Input(events, opcode, display_name));
}

X11Input::X11Input(Display* events, int xi_opcode, std::string display_name)
    : events_(events), xi_opcode_(xi_opcode), display_name_(std::move(display_name)) {
    AdoptDisplay(events_, &events_dead_);
    xwayland_ = HasXwaylandExtension(events_);
    events_notifier_ =
        std::make_unique<QSocketNotifier>(ConnectionNumber(events_), QSocketNotifier::Read);
    QObject::connect(events_notifier_.get(), &QSocketNotifier::activated, this,
                     [this] { DrainEvents(); });
    grab_retry_.setInterval(10);
    QObject::connect(&grab_retry_, &QTimer::timeout, this, [this] {
        if (TryGrab() || --grab_tries_left_ <= 0) {
            grab_retry_.stop();
            if (!grabbed_) log::DebugLine("input: the keyboard stays with another program's grab");
        }
    });
}

X11Input::~X11Input() {
    *alive_ = false;
    grab_retry_.stop();
    CloseGrabConnection();
    events_notifier_.reset();
    if (!events_dead_) {
        key_sink_ = {};
        button_sink_ = {};
        SelectRawEvents();
    }
    CloseOwnDisplay(events_);
}

void X11Input::SelectRawEvents() {
    if (events_dead_) return;
    unsigned char mask[XIMaskLen(XI_LASTEVENT)] = {};
    if (key_sink_) {
        XISetMask(mask, XI_RawKeyPress);
        XISetMask(mask, XI_RawKeyRelease);
    }
    if (button_sink_) {
        XISetMask(mask, XI_RawButtonPress);
        XISetMask(mask, XI_RawButtonRelease);
    }
    XIEventMask em{XIAllMasterDevices, static_cast<int>(sizeof(mask)), mask};
    XISelectEvents(events_, DefaultRootWindow(events_), &em, 1);
    // The server takes the selection before anything else of ours: events are not read
    // from before it.
    XSync(events_, False);
    // XSync may have read events into Xlib's queue, where the notifier does not see them.
    QTimer::singleShot(0, this, [this] { DrainEvents(); });
}

bool X11Input::StartKeys(std::function<void(const RawKeyEvent&)> sink, bool grab,
                         uint64_t grab_window) {
    if (events_dead_ || !sink) return false;
    StopKeys();
    key_sink_ = std::move(sink);
    SelectRawEvents();
    if (!grab) return true;
    grab_ = XOpenDisplay(display_name_.empty() ? nullptr : display_name_.c_str());
    if (grab_ == nullptr) {
        log::DebugLine("input: no connection for the keyboard grab");
        key_sink_ = {};
        SelectRawEvents();
        return false;
    }
    grab_dead_ = false;
    AdoptDisplay(grab_, &grab_dead_);
    grab_fd_ = ConnectionNumber(grab_);
    RegisterGrabConnection(grab_fd_);
    grab_notifier_ = std::make_unique<QSocketNotifier>(grab_fd_, QSocketNotifier::Read);
    QObject::connect(grab_notifier_.get(), &QSocketNotifier::activated, this,
                     [this] { DrainGrab(); });
    grab_window_ = grab_window;
    if (!TryGrab()) {
        // Typically a popup menu of ours whose grab ends in a moment.
        grab_tries_left_ = kGrabRetryMs / grab_retry_.interval();
        grab_retry_.start();
    }
    return true;
}

bool X11Input::TryGrab() {
    if (grab_ == nullptr || grab_dead_) return false;
    Window window = DefaultRootWindow(grab_);
    if (grab_window_ != 0) {
        ErrorTrap trap(grab_);
        XWindowAttributes attributes{};
        if (XGetWindowAttributes(grab_, static_cast<Window>(grab_window_), &attributes) != 0 &&
            attributes.map_state == IsViewable) {
            window = static_cast<Window>(grab_window_);
        }
    }
    int status = GrabNotViewable;
    {
        ErrorTrap trap(grab_);
        status = XGrabKeyboard(grab_, window, False, GrabModeAsync, GrabModeAsync, CurrentTime);
    }
    grabbed_ = status == GrabSuccess && !grab_dead_;
    if (!grabbed_) log::DebugLineF("input: keyboard grab refused (%d)", status);
    return grabbed_;
}

void X11Input::Ungrab() {
    grab_retry_.stop();
    if (grab_ != nullptr && grabbed_ && !grab_dead_) {
        XUngrabKeyboard(grab_, CurrentTime);
        XSync(grab_, False);
    }
    grabbed_ = false;
}

void X11Input::CloseGrabConnection() {
    Ungrab();
    grab_notifier_.reset();
    if (grab_ != nullptr) {
        // After a signal shut the socket down the connection is dead: closing it only frees.
        if (!UnregisterGrabConnection(grab_fd_)) grab_dead_ = true;
        CloseOwnDisplay(grab_);
    }
    grab_ = nullptr;
    grab_fd_ = -1;
}

void X11Input::StopKeys() {
    CloseGrabConnection();
    if (!key_sink_) return;
    key_sink_ = {};
    SelectRawEvents();
}

bool X11Input::StartButtons(std::function<void(const RawButtonEvent&)> sink) {
    if (events_dead_ || !sink) return false;
    button_sink_ = std::move(sink);
    SelectRawEvents();
    return true;
}

void X11Input::StopButtons() {
    if (!button_sink_) return;
    button_sink_ = {};
    SelectRawEvents();
}

void X11Input::DrainGrab() {
    while (grab_ != nullptr && !grab_dead_ && XPending(grab_) > 0) {
        XEvent event;
        XNextEvent(grab_, &event);
    }
    if (grab_dead_ && grab_notifier_) {
        // The grab ended with its connection (a signal, or the server going).
        log::DebugLine("input: the keyboard grab's connection closed");
        grabbed_ = false;
        grab_notifier_->setEnabled(false);
    }
}

void X11Input::DrainEvents() {
    const std::shared_ptr<bool> alive = alive_;
    while (*alive && !events_dead_ && XPending(events_) > 0) {
        XEvent event;
        XNextEvent(events_, &event);
        XGenericEventCookie* cookie = &event.xcookie;
        if (cookie->type != GenericEvent || cookie->extension != xi_opcode_ ||
            !XGetEventData(events_, cookie)) {
            continue;
        }
        const auto* raw = static_cast<const XIRawEvent*>(cookie->data);
        const int type = cookie->evtype;
        const int detail = raw->detail;
        const auto time = static_cast<uint32_t>(raw->time);
        XFreeEventData(events_, cookie);
        const bool press = type == XI_RawKeyPress || type == XI_RawButtonPress;
        if ((type == XI_RawKeyPress || type == XI_RawKeyRelease) && key_sink_) {
            if (detail < kXKeycodeOffset) continue;
            RawKeyEvent key;
            key.linux_code = static_cast<uint16_t>(detail - kXKeycodeOffset);
            key.press = press;
            key.time = time;
            key_sink_(key);
            continue;
        }
        if ((type == XI_RawButtonPress || type == XI_RawButtonRelease) && button_sink_) {
            RawButtonEvent button;
            button.button = detail;
            button.press = press;
            button.time = time;
            // Raw events carry no position: the pointer has not moved in the moment since.
            Window root = 0, child = 0;
            int root_x = 0, root_y = 0, win_x = 0, win_y = 0;
            unsigned int state = 0;
            if (XQueryPointer(events_, DefaultRootWindow(events_), &root, &child, &root_x, &root_y,
                              &win_x, &win_y, &state)) {
                button.has_position = true;
                button.x = root_x;
                button.y = root_y;
            }
            if (button_sink_) button_sink_(button);
        }
    }
    if (events_dead_ && events_notifier_) {
        log::DebugLine("input: the X connection closed");
        events_notifier_->setEnabled(false);
        key_sink_ = {};
        button_sink_ = {};
    }
}

}  // namespace dz::input
