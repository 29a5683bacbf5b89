#include "models/key_slot_table.h"

#include "models/macro_image.h"

namespace dz {

int KeySlotMap::SlotOf(size_t key) const {
    if (key >= slot_of_key.size() || slot_of_key[key] == absent) return -1;
    return slot_of_key[key];
}

std::vector<int> DeviceMacroList(std::span<const KeyAssignmentEntry> keys, const KeySlotMap& map,
                                 int macro_count) {
    std::vector<KeyFunctionCode> present;
    for (size_t key = 0; key < keys.size(); ++key) {
        if (map.SlotOf(key) >= 0) present.push_back(keys[key].current);
    }
    return MacrosInUse(present, macro_count);
}

std::vector<uint8_t> BuildDeviceKeyTable(std::span<const uint8_t> device_table,
                                         std::span<const KeyAssignmentEntry> keys,
                                         const KeySlotMap& map, int macro_count) {
    std::vector<uint8_t> table(device_table.begin(), device_table.end());
    const size_t slot_count = table.size() / kKeyTableEntrySize;
    std::vector<int> in_use;
    for (size_t key = 0; key < keys.size(); ++key) {
        const int slot = map.SlotOf(key);
        if (slot < 0) continue;
        // Numbered before the bounds check, so the numbering stays that of DeviceMacroList.
        const KeyFunctionCode code =
            DeviceKeyCode(keys[key].current, keys[key].default_code, macro_count, in_use);
        if (static_cast<size_t>(slot) >= slot_count) continue;
        const size_t at = static_cast<size_t>(slot) * kKeyTableEntrySize;
        table[at] = code.type;
        table[at + 1] = code.first;
        table[at + 2] = code.second;
    }
    return table;
}

bool ResetMacroKeysBeyond(std::vector<KeyAssignmentEntry>& keys, int macro_count) {
    bool changed = false;
    for (KeyAssignmentEntry& key : keys) {
        if (IsMacroCode(key.current) && key.current.first >= macro_count &&
            key.current != key.default_code) {
            key.current = key.default_code;
            changed = true;
        }
    }
    return changed;
}

}  // namespace dz
