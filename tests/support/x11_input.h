#pragma once
// Real input on the test's X server: keys and buttons injected through XTest (they take
// the same path as a keyboard's and a mouse's), and a witness: another X client whose
// window has the focus and counts the key events that reach it.

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>

#include <cstdint>

namespace dz::test {

class XInjector {
  public:
    XInjector() : display_(XOpenDisplay(nullptr)) {}
    ~XInjector() {
        if (display_ != nullptr) XCloseDisplay(display_);
    }
    XInjector(const XInjector&) = delete;
    XInjector& operator=(const XInjector&) = delete;

    [[nodiscard]] bool Ok() const { return display_ != nullptr; }
    // `linux_code`: an evdev key code (the X keycode less 8).
    void Key(uint16_t linux_code, bool press) {
        XTestFakeKeyEvent(display_, linux_code + 8u, press ? True : False, 0);
        XSync(display_, False);
    }
    void Tap(uint16_t linux_code) {
        Key(linux_code, true);
        Key(linux_code, false);
    }
    void Button(unsigned button, bool press) {
        XTestFakeButtonEvent(display_, button, press ? True : False, 0);
        XSync(display_, False);
    }
    void Click(unsigned button) {
        Button(button, true);
        Button(button, false);
    }
    void MoveTo(int x, int y) {
        XTestFakeMotionEvent(display_, -1, x, y, 0);
        XSync(display_, False);
    }
    // Whether another client could take the keyboard now (it gives it back at once).
    [[nodiscard]] bool KeyboardFree() {
        const int status = XGrabKeyboard(display_, DefaultRootWindow(display_), False,
                                         GrabModeAsync, GrabModeAsync, CurrentTime);
        if (status == GrabSuccess) XUngrabKeyboard(display_, CurrentTime);
        XSync(display_, False);
        return status == GrabSuccess;
    }
    [[nodiscard]] Display* Raw() const { return display_; }

  private:
    Display* display_;
};

// A window of another program that has the keyboard focus.
class XWitness {
  public:
    XWitness() : display_(XOpenDisplay(nullptr)) {
        if (display_ == nullptr) return;
        window_ = XCreateSimpleWindow(display_, DefaultRootWindow(display_), 0, 0, 64, 64, 0, 0, 0);
        XSelectInput(display_, window_, KeyPressMask | KeyReleaseMask | FocusChangeMask);
        XMapWindow(display_, window_);
        XSync(display_, False);
        // Mapping is asynchronous without a window manager: wait until it is viewable.
        for (int i = 0; i < 200; ++i) {
            XWindowAttributes a{};
            XGetWindowAttributes(display_, window_, &a);
            if (a.map_state == IsViewable) break;
            XSync(display_, False);
        }
        Focus();
    }
    ~XWitness() {
        if (display_ == nullptr) return;
        XDestroyWindow(display_, window_);
        XCloseDisplay(display_);
    }
    XWitness(const XWitness&) = delete;
    XWitness& operator=(const XWitness&) = delete;

    void Focus() {
        XSetInputFocus(display_, window_, RevertToPointerRoot, CurrentTime);
        XSync(display_, False);
        Pump();
        Reset();
    }
    // Reads what has arrived.
    void Pump() {
        XSync(display_, False);
        while (XPending(display_) > 0) {
            XEvent e;
            XNextEvent(display_, &e);
            if (e.type == KeyPress) ++key_presses;
            if (e.type == KeyRelease) ++key_releases;
            if (e.type == KeyPress) last_keycode = e.xkey.keycode;
            if (e.type == FocusOut) has_focus = false;
            if (e.type == FocusIn) has_focus = true;
        }
    }
    void Reset() {
        key_presses = key_releases = 0;
        has_focus = true;
    }
    // The locked modifiers (Caps Lock is LockMask, Num Lock usually Mod2).
    [[nodiscard]] unsigned LockedModifiers() {
        XkbStateRec state{};
        XkbGetState(display_, XkbUseCoreKbd, &state);
        return state.locked_mods;
    }
    [[nodiscard]] Window Id() const { return window_; }
    [[nodiscard]] bool Ok() const { return display_ != nullptr; }

    int key_presses = 0;
    int key_releases = 0;
    // The last focus event left the window with the focus (a grab onto the focused window
    // gives a focus-out at once followed by a focus-in; toolkits keep their focus then).
    bool has_focus = true;
    unsigned last_keycode = 0;

  private:
    Display* display_;
    Window window_ = 0;
};

}  // namespace dz::test
