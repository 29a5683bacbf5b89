#pragma once
// The key table a keyboard or a mouse is given, and the rules on a key list that both share.
// The page numbers its keys (keyboard positions 0..125, mouse logical buttons 0..10); the
// device keeps one function code per key slot, in an order of its own. A slot map says which
// slot holds each page key, and the device's table as read from it is the start of every
// table written back: slots that hold no page key keep what the device has.

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "profile/profile_records.h"

namespace dz {

// The key slot of each page key, or `absent` for a key the device does not have (the
// keyboard marks them 255, the mouse 170).
struct KeySlotMap {
    std::vector<uint8_t> slot_of_key;
    uint8_t absent = 0xFF;

    // The slot of page key `key`; -1 when the device has no such key (absent, or beyond the
    // map).
    [[nodiscard]] int SlotOf(size_t key) const;
};

// The macros the device is given, in its numbering: the distinct macro numbers below
// `macro_count` that the keys the device has play, in the order the keys first use them
// (GetMacroList). Entry i of `keys` is page key i.
[[nodiscard]] std::vector<int> DeviceMacroList(std::span<const KeyAssignmentEntry> keys,
                                               const KeySlotMap& map, int macro_count);

// The table to write: `device_table` (3 bytes per slot, as read from the device) with each
// page key the device has in its slot: its current code, a macro renumbered to its place in
// DeviceMacroList, a macro at or beyond `macro_count` replaced by the key's default code.
// The key list itself keeps the numbers of "macro.config".
[[nodiscard]] std::vector<uint8_t> BuildDeviceKeyTable(std::span<const uint8_t> device_table,
                                                       std::span<const KeyAssignmentEntry> keys,
                                                       const KeySlotMap& map, int macro_count);

// After the macro list changed (CheckMacroKeys): every key that plays a macro at or beyond
// `macro_count` gets its default code back. True when anything changed.
bool ResetMacroKeysBeyond(std::vector<KeyAssignmentEntry>& keys, int macro_count);

}  // namespace dz
