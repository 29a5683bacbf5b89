#pragma once
// The vocabulary of the key assignment panel: the key name table (keyboard, consumer and
// system keys with their virtual-key codes), the capture list that recognises a pressed key
// by its scan code, and the lists of the panel's function pages.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "models/key_codes.h"

namespace dz {

struct KeyNameRow {
    std::string_view name;  // text key of the language files
    uint16_t virtual_key;   // Windows virtual-key code; 255 = none exists, 0 = not a key
    KeyFunctionCode code;
};

inline constexpr size_t kKeyNameCount = 142;
// Rows 0..7 are the modifiers (left Ctrl, Shift, Alt, GUI, then the right ones).
inline constexpr size_t kModifierRowCount = 8;

[[nodiscard]] std::span<const KeyNameRow, kKeyNameCount> KeyNameTable();

// A key as the keyboard hook reports it: set-1 scan code and extended-key flag.
struct CaptureKeyRow {
    uint16_t scan_code;
    bool extended;
};

// Capture list: key name rows 0..112, each completed with its scan code and extended flag.
inline constexpr size_t kCaptureKeyCount = 113;

[[nodiscard]] std::span<const CaptureKeyRow, kCaptureKeyCount> CaptureKeyTable();

// Key name row of a pressed key, or -1 when it is not in the capture list.
[[nodiscard]] int FindCaptureKey(uint16_t scan_code, bool extended);

// Key name row of a plain keyboard key (type 0x20, no modifier) with this usage id, or -1.
// Usage 0 means "no key" and finds nothing.
[[nodiscard]] int FindKeyByUsage(uint8_t usage);

// Modifier choice of the panel for modifier row 0..7: 1 Ctrl, 2 Shift, 3 Alt, 4 Win (left and
// right alike); 0 for any other row.
[[nodiscard]] int ModifierChoiceOfRow(int row);

// Modifier row whose single bit equals `bits` exactly, or -1 (several bits, or none).
[[nodiscard]] int FindModifierRow(uint8_t bits);

// Lists of the panel's pages; a row's position is the item index in the page's list.
[[nodiscard]] std::span<const KeyFunctionCode>
MouseButtonList();  // 5: left, middle, right, fwd, back
[[nodiscard]] std::span<const KeyFunctionCode> DpiFunctionList();    // 3
[[nodiscard]] std::span<const KeyFunctionCode> MediaKeyList();       // 18 consumer usages
[[nodiscard]] std::span<const KeyFunctionCode> SystemKeyList();      // 3: power, sleep, wake
[[nodiscard]] std::span<const KeyFunctionCode> ComboShortcutList();  // 11 Ctrl shortcuts

// Row of `list` whose first and second parameters equal the code's, or -1.
[[nodiscard]] int FindListRow(std::span<const KeyFunctionCode> list, KeyFunctionCode code);

}  // namespace dz
