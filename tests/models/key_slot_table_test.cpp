// The key table a keyboard or mouse is given and the key-list rules they share, on slot maps
// of both shapes (the keyboard's 255 and the mouse's 170 for a key the device lacks).
#include "models/key_slot_table.h"

#include <gtest/gtest.h>

#include <vector>

#include "models/key_codes.h"

namespace dz {
namespace {

constexpr KeyFunctionCode kA{kKeyTypeKeyboard, 0, 0x04};
constexpr KeyFunctionCode kB{kKeyTypeKeyboard, 0, 0x05};
constexpr KeyFunctionCode kLeft{kKeyTypeMouseButton, kMouseButtonLeft, 0};

constexpr KeyFunctionCode Macro(uint8_t n, uint8_t mode = 0) {
    return {kKeyTypeMacro, n, mode};
}
constexpr KeyFunctionCode Repeat(uint8_t n, uint8_t count) {
    return {kKeyTypeMacroRepeat, n, count};
}

KeyAssignmentEntry Key(KeyFunctionCode current, KeyFunctionCode default_code) {
    return {0, current, 0, default_code};
}

KeyFunctionCode SlotCode(const std::vector<uint8_t>& table, int slot) {
    const size_t at = static_cast<size_t>(slot) * 3;
    return {table[at], table[at + 1], table[at + 2]};
}

// Keys 0..3 in slots 5, 2, (none), 0 of a 6-slot device whose own table is filled with a
// code the host never writes.
struct Fixture {
    KeySlotMap map{{5, 2, 0xFF, 0}, 0xFF};
    std::vector<uint8_t> device = std::vector<uint8_t>(6 * 3, 0xEE);
};

TEST(KeySlotTable, MacrosAreRenumberedInTheOrderOfFirstUse) {
    Fixture f;
    // Position order: macro 5 first, then macro 2; the mode and repeat count stay.
    const std::vector<KeyAssignmentEntry> keys{Key(Macro(5, 2), kA), Key(Repeat(2, 9), kB),
                                               Key(kA, kA), Key(Macro(5, 1), kA)};
    const std::vector<uint8_t> table = BuildDeviceKeyTable(f.device, keys, f.map, 6);
    EXPECT_EQ(SlotCode(table, 5), Macro(0, 2));
    EXPECT_EQ(SlotCode(table, 2), Repeat(1, 9));
    EXPECT_EQ(SlotCode(table, 0), Macro(0, 1)) << "the same macro, the same number";
    EXPECT_EQ(DeviceMacroList(keys, f.map, 6), (std::vector<int>{5, 2}));
}

TEST(KeySlotTable, WhatTheKeysDoNotReachKeepsTheDevicesCodes) {
    Fixture f;
    // Key 2 has no slot: neither written nor collected, even though it plays a macro.
    const std::vector<KeyAssignmentEntry> keys{Key(kB, kA), Key(kA, kA), Key(Macro(3), kA)};
    const std::vector<uint8_t> table = BuildDeviceKeyTable(f.device, keys, f.map, 6);
    EXPECT_EQ(SlotCode(table, 5), kB);
    EXPECT_EQ(SlotCode(table, 2), kA);
    for (int slot : {0, 1, 3, 4})
        EXPECT_EQ(SlotCode(table, slot), (KeyFunctionCode{0xEE, 0xEE, 0xEE}))
            << "slot " << slot << ": no key of the list, or key 3 beyond the list";
    EXPECT_TRUE(DeviceMacroList(keys, f.map, 6).empty());
}

TEST(KeySlotTable, AMacroAtOrBeyondTheCountIsWrittenWithTheDefaultCode) {
    Fixture f;
    const std::vector<KeyAssignmentEntry> keys{Key(Macro(3), kA), Key(Repeat(4, 2), kB),
                                               Key(kA, kA), Key(Macro(2), kB)};
    const std::vector<uint8_t> table = BuildDeviceKeyTable(f.device, keys, f.map, 3);
    EXPECT_EQ(SlotCode(table, 5), kA) << "macro 3 of 3 does not exist";
    EXPECT_EQ(SlotCode(table, 2), kB);
    EXPECT_EQ(SlotCode(table, 0), Macro(0)) << "the first macro that exists is 0";
    EXPECT_EQ(DeviceMacroList(keys, f.map, 3), (std::vector<int>{2}));
}

TEST(KeySlotTable, MouseShapedMapWithAbsentButtons) {
    // Eleven buttons, button 3 absent (170); a device of 16 slots.
    KeySlotMap map{{0, 1, 2, 170, 3, 5, 6, 7, 8, 9, 10}, 170};
    std::vector<uint8_t> device(16 * 3, 0);
    std::vector<KeyAssignmentEntry> keys(11, Key(kLeft, kLeft));
    keys[3] = Key(Macro(1), kLeft);  // absent: not collected, so macro 4 below becomes 0
    keys[4] = Key(Macro(4), kLeft);
    keys[7] = Key(Macro(4, 3), kLeft);
    const std::vector<uint8_t> table = BuildDeviceKeyTable(device, keys, map, 5);
    EXPECT_EQ(SlotCode(table, 3), Macro(0));
    EXPECT_EQ(SlotCode(table, 7), Macro(0, 3));
    EXPECT_EQ(DeviceMacroList(keys, map, 5), (std::vector<int>{4}));
    EXPECT_EQ(SlotCode(table, 11), (KeyFunctionCode{0, 0, 0}));
}

TEST(KeySlotTable, ASlotBeyondTheTableIsSkippedButKeepsTheNumbering) {
    // Key 0's slot is beyond a 2-slot table: not written, but its macro keeps the place the
    // macro list gives it, so the image's entries and the keys agree.
    KeySlotMap map{{7, 1}, 0xFF};
    const std::vector<uint8_t> device(2 * 3, 0);
    const std::vector<KeyAssignmentEntry> keys{Key(Macro(4), kA), Key(Macro(1), kA)};
    const std::vector<uint8_t> table = BuildDeviceKeyTable(device, keys, map, 5);
    ASSERT_EQ(table.size(), 6u);
    EXPECT_EQ(SlotCode(table, 1), Macro(1));
    EXPECT_EQ(DeviceMacroList(keys, map, 5), (std::vector<int>{4, 1}));
}

TEST(KeySlotTable, ResettingMacroKeysBeyondTheCount) {
    std::vector<KeyAssignmentEntry> keys{Key(Macro(0), kA), Key(Macro(2), kA),
                                         Key(Repeat(5, 1), kB), Key(kB, kA)};
    EXPECT_TRUE(ResetMacroKeysBeyond(keys, 2));
    EXPECT_EQ(keys[0].current, Macro(0));
    EXPECT_EQ(keys[1].current, kA);
    EXPECT_EQ(keys[2].current, kB);
    EXPECT_EQ(keys[3].current, kB) << "only macro codes change";
    EXPECT_FALSE(ResetMacroKeysBeyond(keys, 2)) << "nothing left to change";
    EXPECT_FALSE(ResetMacroKeysBeyond(keys, 1)) << "macro 0 of 1 exists";
    EXPECT_TRUE(ResetMacroKeysBeyond(keys, 0));
    EXPECT_EQ(keys[0].current, kA);
}

}  // namespace
}  // namespace dz
