#include "platform/input/key_translation.h"

#include <linux/input-event-codes.h>

#include <array>

namespace dz::input {
namespace {

struct Row {
    uint16_t linux_code;
    uint16_t scan_code;
    bool extended;
    uint16_t vk_code;
};

constexpr uint16_t kNoVk = 0xFF;

// clang-format off
// The main block: a PC keyboard's set-1 scan code is the Linux code for codes 1 to 88,
// with the exceptions written out below it.
constexpr std::array kRows = std::to_array<Row>({
    {KEY_ESC, 0x01, false, 0x1B},
    {KEY_1, 0x02, false, '1'}, {KEY_2, 0x03, false, '2'}, {KEY_3, 0x04, false, '3'},
    {KEY_4, 0x05, false, '4'}, {KEY_5, 0x06, false, '5'}, {KEY_6, 0x07, false, '6'},
    {KEY_7, 0x08, false, '7'}, {KEY_8, 0x09, false, '8'}, {KEY_9, 0x0A, false, '9'},
    {KEY_0, 0x0B, false, '0'},
    {KEY_MINUS, 0x0C, false, 0xBD}, {KEY_EQUAL, 0x0D, false, 0xBB},
    {KEY_BACKSPACE, 0x0E, false, 0x08}, {KEY_TAB, 0x0F, false, 0x09},
    {KEY_Q, 0x10, false, 'Q'}, {KEY_W, 0x11, false, 'W'}, {KEY_E, 0x12, false, 'E'},
    {KEY_R, 0x13, false, 'R'}, {KEY_T, 0x14, false, 'T'}, {KEY_Y, 0x15, false, 'Y'},
    {KEY_U, 0x16, false, 'U'}, {KEY_I, 0x17, false, 'I'}, {KEY_O, 0x18, false, 'O'},
    {KEY_P, 0x19, false, 'P'},
    {KEY_LEFTBRACE, 0x1A, false, 0xDB}, {KEY_RIGHTBRACE, 0x1B, false, 0xDD},
    {KEY_ENTER, 0x1C, false, 0x0D}, {KEY_LEFTCTRL, 0x1D, false, 0xA2},
    {KEY_A, 0x1E, false, 'A'}, {KEY_S, 0x1F, false, 'S'}, {KEY_D, 0x20, false, 'D'},
    {KEY_F, 0x21, false, 'F'}, {KEY_G, 0x22, false, 'G'}, {KEY_H, 0x23, false, 'H'},
    {KEY_J, 0x24, false, 'J'}, {KEY_K, 0x25, false, 'K'}, {KEY_L, 0x26, false, 'L'},
    {KEY_SEMICOLON, 0x27, false, 0xBA}, {KEY_APOSTROPHE, 0x28, false, 0xDE},
    {KEY_GRAVE, 0x29, false, 0xC0}, {KEY_LEFTSHIFT, 0x2A, false, 0xA0},
    {KEY_BACKSLASH, 0x2B, false, 0xDC},
    {KEY_Z, 0x2C, false, 'Z'}, {KEY_X, 0x2D, false, 'X'}, {KEY_C, 0x2E, false, 'C'},
    {KEY_V, 0x2F, false, 'V'}, {KEY_B, 0x30, false, 'B'}, {KEY_N, 0x31, false, 'N'},
    {KEY_M, 0x32, false, 'M'},
    {KEY_COMMA, 0x33, false, 0xBC}, {KEY_DOT, 0x34, false, 0xBE}, {KEY_SLASH, 0x35, false, 0xBF},
    // The hook flags the right Shift as extended although the keyboard sends no 0xE0.
    {KEY_RIGHTSHIFT, 0x36, true, 0xA1},
    {KEY_KPASTERISK, 0x37, false, 0x6A}, {KEY_LEFTALT, 0x38, false, 0xA4},
    {KEY_SPACE, 0x39, false, 0x20}, {KEY_CAPSLOCK, 0x3A, false, 0x14},
    {KEY_F1, 0x3B, false, 0x70}, {KEY_F2, 0x3C, false, 0x71}, {KEY_F3, 0x3D, false, 0x72},
    {KEY_F4, 0x3E, false, 0x73}, {KEY_F5, 0x3F, false, 0x74}, {KEY_F6, 0x40, false, 0x75},
    {KEY_F7, 0x41, false, 0x76}, {KEY_F8, 0x42, false, 0x77}, {KEY_F9, 0x43, false, 0x78},
    {KEY_F10, 0x44, false, 0x79},
    // Num Lock and Pause share 0x45; the hook tells them apart by the extended flag.
    {KEY_NUMLOCK, 0x45, true, 0x90}, {KEY_SCROLLLOCK, 0x46, false, 0x91},
    {KEY_KP7, 0x47, false, 0x67}, {KEY_KP8, 0x48, false, 0x68}, {KEY_KP9, 0x49, false, 0x69},
    {KEY_KPMINUS, 0x4A, false, 0x6D},
    {KEY_KP4, 0x4B, false, 0x64}, {KEY_KP5, 0x4C, false, 0x65}, {KEY_KP6, 0x4D, false, 0x66},
    {KEY_KPPLUS, 0x4E, false, 0x6B},
    {KEY_KP1, 0x4F, false, 0x61}, {KEY_KP2, 0x50, false, 0x62}, {KEY_KP3, 0x51, false, 0x63},
    {KEY_KP0, 0x52, false, 0x60}, {KEY_KPDOT, 0x53, false, 0x6E},
    {KEY_102ND, 0x56, false, 0xE2},
    {KEY_F11, 0x57, false, 0x7A}, {KEY_F12, 0x58, false, 0x7B},
    // Keys of international layouts.
    {KEY_RO, 0x73, false, 0xC1},
    {KEY_HENKAN, 0x79, false, 0x1C},
    {KEY_KATAKANAHIRAGANA, 0x70, false, 0xF2},
    {KEY_MUHENKAN, 0x7B, false, 0x1D},
    {KEY_KPCOMMA, 0x7E, false, 0xC2},
    {KEY_HANGEUL, 0xF2, false, 0x15},
    {KEY_HANJA, 0xF1, false, 0x19},
    {KEY_YEN, 0x7D, false, kNoVk},
    // Keys the keyboard sends with the 0xE0 prefix.
    {KEY_KPENTER, 0x1C, true, 0x0D},
    {KEY_RIGHTCTRL, 0x1D, true, 0xA3},
    {KEY_KPSLASH, 0x35, true, 0x6F},
    {KEY_SYSRQ, 0x37, true, 0x2C},
    {KEY_RIGHTALT, 0x38, true, 0xA5},
    {KEY_HOME, 0x47, true, 0x24}, {KEY_UP, 0x48, true, 0x26}, {KEY_PAGEUP, 0x49, true, 0x21},
    {KEY_LEFT, 0x4B, true, 0x25}, {KEY_RIGHT, 0x4D, true, 0x27}, {KEY_END, 0x4F, true, 0x23},
    {KEY_DOWN, 0x50, true, 0x28}, {KEY_PAGEDOWN, 0x51, true, 0x22},
    {KEY_INSERT, 0x52, true, 0x2D}, {KEY_DELETE, 0x53, true, 0x2E},
    {KEY_LEFTMETA, 0x5B, true, 0x5B}, {KEY_RIGHTMETA, 0x5C, true, 0x5C},
    {KEY_COMPOSE, 0x5D, true, 0x5D},
    // Pause sends E1 1D 45; the hook reports 0x45 without the flag.
    {KEY_PAUSE, 0x45, false, 0x13},
    // Media and system keys.
    {KEY_MUTE, 0x20, true, 0xAD}, {KEY_VOLUMEDOWN, 0x2E, true, 0xAE},
    {KEY_VOLUMEUP, 0x30, true, 0xAF}, {KEY_NEXTSONG, 0x19, true, 0xB0},
    {KEY_PREVIOUSSONG, 0x10, true, 0xB1}, {KEY_STOPCD, 0x24, true, 0xB2},
    {KEY_PLAYPAUSE, 0x22, true, 0xB3},
    {KEY_POWER, 0x5E, true, kNoVk}, {KEY_SLEEP, 0x5F, true, 0x5F}, {KEY_WAKEUP, 0x63, true, kNoVk},
});
// clang-format on

}  // namespace

std::optional<HookKey> TranslateLinuxKey(uint16_t linux_code) {
    for (const Row& row : kRows) {
        if (row.linux_code == linux_code) return HookKey{row.vk_code, row.scan_code, row.extended};
    }
    return std::nullopt;
}

std::optional<uint16_t> LinuxKeyOfScanCode(uint16_t scan_code, bool extended) {
    for (const Row& row : kRows) {
        if (row.scan_code == scan_code && row.extended == extended) return row.linux_code;
    }
    return std::nullopt;
}

bool IsLockKey(uint16_t linux_code) {
    return linux_code == KEY_CAPSLOCK || linux_code == KEY_NUMLOCK || linux_code == KEY_SCROLLLOCK;
}

}  // namespace dz::input
