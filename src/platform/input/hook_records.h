#pragma once
// What the input hook reports, in the form the macro recording and the key capture expect
// of a system-wide keyboard hook and mouse hook: the window message of the event, the
// keyboard record (virtual-key code, set-1 scan code, flags with the extended-key bit) or
// the mouse record (cursor position, the X-button number in the high word of the mouse
// data), and the registered message that carries them for each hook mode.
//
// Header only: the device faces take these records without linking the input layer.

#include <array>
#include <cstdint>
#include <string_view>

namespace dz::input {

// Window messages of input events (wParam of every hook message).
inline constexpr uint32_t kWmKeyDown = 0x0100;
inline constexpr uint32_t kWmKeyUp = 0x0101;
inline constexpr uint32_t kWmSysKeyDown = 0x0104;
inline constexpr uint32_t kWmSysKeyUp = 0x0105;
inline constexpr uint32_t kWmLButtonDown = 0x0201;
inline constexpr uint32_t kWmLButtonUp = 0x0202;
inline constexpr uint32_t kWmRButtonDown = 0x0204;
inline constexpr uint32_t kWmRButtonUp = 0x0205;
inline constexpr uint32_t kWmMButtonDown = 0x0207;
inline constexpr uint32_t kWmMButtonUp = 0x0208;
inline constexpr uint32_t kWmMouseWheel = 0x020A;
inline constexpr uint32_t kWmXButtonDown = 0x020B;
inline constexpr uint32_t kWmXButtonUp = 0x020C;
inline constexpr uint32_t kWmMouseHWheel = 0x020E;

// X-button numbers in the high word of MouseHookRecord::mouse_data.
inline constexpr uint32_t kXButtonBack = 1;
inline constexpr uint32_t kXButtonForward = 2;
// One notch of the wheel, in the high word (signed) for the wheel messages.
inline constexpr int kWheelDelta = 120;

// KeyHookRecord::flags.
inline constexpr uint32_t kKeyFlagExtended = 0x01;
inline constexpr uint32_t kKeyFlagAltDown = 0x20;
inline constexpr uint32_t kKeyFlagUp = 0x80;
// MouseHookRecord::flags: the position is unknown (a backend that cannot see the pointer).
inline constexpr uint32_t kMouseFlagNoPosition = 0x100;

struct KeyHookRecord {
    uint32_t vk_code = 0;    // virtual-key code; 0xFF when the key has none
    uint32_t scan_code = 0;  // set-1 scan code without the 0xE0 prefix
    uint32_t flags = 0;      // kKeyFlag*
    uint32_t time = 0;       // event time in milliseconds, as the input system stamps it
    [[nodiscard]] bool Extended() const { return (flags & kKeyFlagExtended) != 0; }
};

struct MouseHookRecord {
    int32_t x = 0;  // cursor position on the screen, in the screen's own pixels
    int32_t y = 0;
    uint32_t mouse_data = 0;  // high word: X button number, or the wheel delta
    uint32_t flags = 0;       // kMouseFlag*
    uint32_t time = 0;
    [[nodiscard]] uint32_t XButton() const { return (mouse_data >> 16) & 0xFFFF; }
    [[nodiscard]] bool HasPosition() const { return (flags & kMouseFlagNoPosition) == 0; }
};

// Hook modes: what the hook is started for, and so which message it sends.
inline constexpr int kHookModeSingleKey = 1;  // one-key capture of the key assignment panel
inline constexpr int kHookModeAppend = 4;     // recording: append
inline constexpr int kHookModeBefore = 8;     // recording: insert before the selected row
inline constexpr int kHookModeAfter = 16;     // recording: insert after the selected row
inline constexpr int kHookModeReplace = 32;   // recording: replace the selected row's key

struct HookMessageName {
    int mode;
    std::string_view keyboard;  // sent by the keyboard hook
    std::string_view mouse;     // sent by the mouse hook; empty: none in that mode
};

inline constexpr std::array<HookMessageName, 5> kHookMessageNames{{
    {kHookModeSingleKey, "WM_HOOK_KEY_SINGLEKEY_MSG", {}},
    {kHookModeAppend, "WM_HOOK_KEY_KBMACRO_MSG", "WM_HOOK_KEY_MSMACRO_MSG"},
    {kHookModeBefore, "WM_HOOK_KEY_KBMACROPREVIOUS_MSG", "WM_HOOK_KEY_MSMACROPREVIOUS_MSG"},
    {kHookModeAfter, "WM_HOOK_KEY_KBMACROLATER_MSG", "WM_HOOK_KEY_MSMACROLATER_MSG"},
    {kHookModeReplace, "WM_HOOK_KEY_KBMACROSINGLE_MSG", "WM_HOOK_KEY_MSMACROSINGLE_MSG"},
}};

// The names of a mode, or null for a mode that sends nothing.
[[nodiscard]] constexpr const HookMessageName* FindHookMessageName(int mode) {
    for (const HookMessageName& row : kHookMessageNames)
        if (row.mode == mode) return &row;
    return nullptr;
}

// How much of the user's input the hook can see.
enum class InputCoverage {
    kDesktop,     // every key and button, whichever program has the focus
    kOwnWindows,  // only while a window of this program has the focus (X11 under Wayland)
    kNone,        // nothing: no X11 display and no readable keyboard node
};

// One hook message as it reaches the window: the registered number and name of the
// message, the mode it was sent in, the event's window message, and the record (one of the
// two is set), valid while the call runs.
struct HookMessage {
    uint32_t number = 0;
    std::string_view name;
    int mode = 0;
    uint32_t wparam = 0;
    const KeyHookRecord* key = nullptr;
    const MouseHookRecord* mouse = nullptr;

    [[nodiscard]] bool IsKeyPress() const {
        return wparam == kWmKeyDown || wparam == kWmSysKeyDown;
    }
};

// The window the hook reports to.
class HookWindow {
  public:
    virtual ~HookWindow() = default;
    // Runs on the UI thread for every event while the hook is started for this window.
    virtual void OnHookMessage(const HookMessage& message) = 0;
    // The native window the keyboard grab is placed on; 0 for the root window. Grabbing
    // onto the window that has the focus leaves the focus where it is (a grab elsewhere
    // takes it away from the window for the grab's duration).
    [[nodiscard]] virtual uint64_t GrabWindow() const { return 0; }
};

}  // namespace dz::input
