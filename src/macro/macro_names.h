#pragma once
// The names the macro editor and recording give to events: the key table (the key name
// table of the key function codes, 142 rows) and the mouse table (15 rows).

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "macro/macro_event.h"
#include "models/key_tables.h"

namespace dz {

struct MacroMouseRow {
    uint16_t message;       // window message of the button or movement
    uint8_t function_type;  // 0x10 button, 0x15 movement, 0x12 pointer
    uint8_t mask;           // button mask
    uint8_t event_code;     // device byte 2 of the event: type, bit 7 for a press
    std::string_view name;  // language text identifier
};

inline constexpr size_t kMacroMouseRowCount = 15;
// Rows 0..9 are the buttons (press and release of left, right, middle, forward, back),
// 10..13 the movements, 14 the pointer.
inline constexpr size_t kMacroMouseButtonRows = 10;

[[nodiscard]] std::span<const MacroMouseRow, kMacroMouseRowCount> MacroMouseTable();
// The key table of macros: the key name table.
[[nodiscard]] std::span<const KeyNameRow, kKeyNameCount> MacroKeyTable();

// The language text identifier naming an event: keys by modifier bit or usage id, buttons
// by mask, movements by event code. Empty when no row matches.
[[nodiscard]] std::string_view MacroEventName(const MacroEvent& event);

}  // namespace dz
