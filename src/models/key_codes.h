#pragma once
// The key function code: the three-byte assignment of a keyboard key or mouse button
// (type, first parameter, second parameter), and its two storage forms: the 24-bit
// integer of the profile files and the 3-byte entries of the device's key table.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace dz {

struct KeyFunctionCode {
    uint8_t type = 0;
    uint8_t first = 0;
    uint8_t second = 0;

    friend constexpr bool operator==(const KeyFunctionCode&, const KeyFunctionCode&) = default;
};

// Function types (byte 0).
inline constexpr uint8_t kKeyTypeMouseButton = 0x10;  // first: button bit
inline constexpr uint8_t kKeyTypeMouseSwing = 0x11;   // first: delay<<4|speed; second: count|dir<<7
inline constexpr uint8_t kKeyTypeMouseWheel = 0x12;   // first: delay<<4|speed; second: signed steps
inline constexpr uint8_t kKeyTypeDpi = 0x13;          // first: 1..3
inline constexpr uint8_t kKeyTypeRapidFire = 0x14;    // first: interval; second: clicks
inline constexpr uint8_t kKeyTypeMouseFunction = 0x16;     // found only as a default
inline constexpr uint8_t kKeyTypeKeyboard = 0x20;          // first: modifier bits; second: usage id
inline constexpr uint8_t kKeyTypeConsumer = 0x30;          // first: usage low byte; second: high
inline constexpr uint8_t kKeyTypeSystem = 0x40;            // first: 1 power, 2 sleep, 4 wake
inline constexpr uint8_t kKeyTypeMacro = 0x70;             // first: macro; second: play mode 0..3
inline constexpr uint8_t kKeyTypeMacroRepeat = 0x71;       // first: macro; second: repeat count
inline constexpr uint8_t kKeyTypeGun = 0x72;               // first: gun list entry
inline constexpr uint8_t kKeyTypeKeyboardFunction = 0xA0;  // first: 0x01 Fn, 0x1B game mode
inline constexpr uint8_t kKeyTypeCombo = 0xB0;             // combo-key marker, never produced
inline constexpr uint8_t kKeyTypeOnboardMacro = 0xD0;      // first 0xA2; second 1..5 (M1..M5)

// Mouse button bits (first parameter of kKeyTypeMouseButton).
inline constexpr uint8_t kMouseButtonLeft = 0x01;
inline constexpr uint8_t kMouseButtonRight = 0x02;
inline constexpr uint8_t kMouseButtonMiddle = 0x04;
inline constexpr uint8_t kMouseButtonBack = 0x08;
inline constexpr uint8_t kMouseButtonForward = 0x10;

// Modifier bits (first parameter of kKeyTypeKeyboard), as in the HID keyboard report.
inline constexpr uint8_t kModifierLeftCtrl = 0x01;
inline constexpr uint8_t kModifierLeftShift = 0x02;
inline constexpr uint8_t kModifierLeftAlt = 0x04;
inline constexpr uint8_t kModifierLeftGui = 0x08;
inline constexpr uint8_t kModifierRightCtrl = 0x10;
inline constexpr uint8_t kModifierRightShift = 0x20;
inline constexpr uint8_t kModifierRightAlt = 0x40;
inline constexpr uint8_t kModifierRightGui = 0x80;

// Consumer usage as a code: low byte first.
[[nodiscard]] constexpr KeyFunctionCode ConsumerKeyCode(uint16_t usage) {
    return {kKeyTypeConsumer, static_cast<uint8_t>(usage & 0xFF), static_cast<uint8_t>(usage >> 8)};
}
// The consumer usage held by a kKeyTypeConsumer code.
[[nodiscard]] constexpr uint16_t ConsumerUsage(KeyFunctionCode code) {
    return static_cast<uint16_t>(code.first | (code.second << 8));
}

// Profile form: type * 65536 + first * 256 + second.
[[nodiscard]] constexpr int32_t KeyCodeToProfileInt(KeyFunctionCode code) {
    return (int32_t{code.type} << 16) | (int32_t{code.first} << 8) | int32_t{code.second};
}
// Reads the three low bytes; higher bits of a hand-edited value are ignored.
[[nodiscard]] constexpr KeyFunctionCode KeyCodeFromProfileInt(int64_t value) {
    return {static_cast<uint8_t>((value >> 16) & 0xFF), static_cast<uint8_t>((value >> 8) & 0xFF),
            static_cast<uint8_t>(value & 0xFF)};
}

// Device key table: 3 bytes per key slot in slot order.
inline constexpr size_t kKeyTableEntrySize = 3;
inline constexpr size_t kMaxKeyTableBytes = 512;

[[nodiscard]] std::vector<uint8_t> EncodeKeyTable(std::span<const KeyFunctionCode> codes);
// Whole entries only; a trailing partial entry is ignored.
[[nodiscard]] std::vector<KeyFunctionCode> DecodeKeyTable(std::span<const uint8_t> bytes);

}  // namespace dz
