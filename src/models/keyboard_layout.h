#pragma once
// The keyboard's 126 key positions (the page's key buttons 0..125) and how they are found in
// the keyboard's own tables: a position is known by the function code the keyboard gives it
// by default, so the slot holding that code in the key table read from the keyboard is the
// position's slot, and the LED table's byte for that slot is the position's light.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "models/key_codes.h"
#include "models/key_slot_table.h"

namespace dz {

inline constexpr int kKeyboardPositions = 126;
inline constexpr uint8_t kKeyboardNoSlot = 0xFF;  // a position (or light) the keyboard lacks
// The keyboard's Fn key.
inline constexpr int kKeyboardFnPosition = 110;

// The default code of every position, position order.
[[nodiscard]] std::span<const KeyFunctionCode, kKeyboardPositions> KeyboardPositionCodes();

struct KeyboardMaps {
    // For each position its key slot and its LED index, or kKeyboardNoSlot.
    std::array<uint8_t, kKeyboardPositions> slot;
    std::array<uint8_t, kKeyboardPositions> led;

    KeyboardMaps() {
        slot.fill(kKeyboardNoSlot);
        led.fill(kKeyboardNoSlot);
    }
    [[nodiscard]] KeySlotMap SlotMap() const;
    // Number of positions the keyboard has.
    [[nodiscard]] int PositionCount() const;
};

// The maps from the key table (3 bytes per slot) and the LED table (1 byte per slot) read
// from the keyboard. Each position takes the first slot, not taken by an earlier position,
// whose code is the position's default code: positions that share a default (18, 19, 20
// and 104 all default to "no key") each find a slot of their own.
//
// A key the host gave another function no longer holds its default code. `last_written`
// (when given, one code per position) is what the host gave each position the last time: a
// position its default does not find takes, in a second pass, the slot holding that code, so
// that an assigned key stays on the page after the keyboard is read again. Only a code that
// one slot alone holds, and that is no position's default, names the slot; a position given a
// code another key also has stays absent, as a slot chosen among them could be the other
// key's.
[[nodiscard]] KeyboardMaps BuildKeyboardMaps(std::span<const uint8_t> key_table,
                                             std::span<const uint8_t> led_table,
                                             std::span<const KeyFunctionCode> last_written = {});

}  // namespace dz
