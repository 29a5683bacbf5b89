#pragma once
// Linux input key codes (evdev, and X keycodes less 8) as the system's keyboard hook
// reports keys: the set-1 scan code with its extended-key flag and the virtual-key code.
// The scan codes are those a PC keyboard sends for the key; like the hook, the right Shift
// and Num Lock carry the extended flag, Pause does not.

#include <cstdint>
#include <optional>

namespace dz::input {

struct HookKey {
    uint16_t vk_code;    // 0xFF when the key has no virtual-key code
    uint16_t scan_code;  // set-1, without the 0xE0 prefix
    bool extended;
};

// The key of a Linux key code, or nothing for a code without a scan code (buttons,
// multimedia keys the hook never reported).
[[nodiscard]] std::optional<HookKey> TranslateLinuxKey(uint16_t linux_code);

// The Linux key code that translates to this scan code and flag, or nothing.
[[nodiscard]] std::optional<uint16_t> LinuxKeyOfScanCode(uint16_t scan_code, bool extended);

// Caps Lock, Num Lock and Scroll Lock: the keys whose effect survives the recording's grab.
[[nodiscard]] bool IsLockKey(uint16_t linux_code);

// X keycodes of the evdev-based keymaps (Xorg with evdev or libinput, Xwayland, Xvfb) are
// the Linux code plus 8.
inline constexpr int kXKeycodeOffset = 8;

}  // namespace dz::input
