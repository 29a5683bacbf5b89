#include "models/key_tables.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

namespace dz {
namespace {

const KeyNameRow& Row(size_t i) {
    return KeyNameTable()[i];
}

TEST(KeyNameTable, Sizes) {
    EXPECT_EQ(KeyNameTable().size(), 142u);
    EXPECT_EQ(CaptureKeyTable().size(), 113u);
    EXPECT_EQ(MouseButtonList().size(), 5u);
    EXPECT_EQ(DpiFunctionList().size(), 3u);
    EXPECT_EQ(MediaKeyList().size(), 18u);
    EXPECT_EQ(SystemKeyList().size(), 3u);
    EXPECT_EQ(ComboShortcutList().size(), 11u);
}

TEST(KeyNameTable, SpotCheckedRows) {
    struct Case {
        size_t row;
        const char* name;
        uint16_t vk;
        KeyFunctionCode code;
    };
    const Case cases[] = {
        {0, "keyboard_key_LCtrl", 162, {0x20, 0x01, 0}},
        {3, "keyboard_key_LWin", 91, {0x20, 0x08, 0}},
        {4, "keyboard_key_RCtrl", 163, {0x20, 0x10, 0}},
        {7, "keyboard_key_RWin", 92, {0x20, 0x80, 0}},
        {44, "keyboard_key_Enter", 13, {0x20, 0, 0x28}},
        {45, "keyboard_key_Esc", 27, {0x20, 0, 0x29}},
        {48, "keyboard_key_Space", 32, {0x20, 0, 0x2C}},
        {53, "keyboard_key_xiegang", 220, {0x20, 0, 0x31}},
        {54, "keyboard_key_;", 186, {0x20, 0, 0x33}},
        {57, "keyboard_key_<", 188, {0x20, 0, 0x36}},
        {60, "keyboard_key_Caplk", 20, {0x20, 0, 0x39}},
        {73, "keyboard_key_Print Scr", 44, {0x20, 0, 0x46}},
        {75, "keyboard_key_Pause", 19, {0x20, 0, 0x48}},
        {78, "keyboard_key_Page Up", 33, {0x20, 0, 0x4B}},
        {85, "keyboard_key_Up", 38, {0x20, 0, 0x52}},
        {86, "keyboard_key_Num Lock", 144, {0x20, 0, 0x53}},
        {91, "keyboard_key_Num Enter", 257, {0x20, 0, 0x58}},
        {101, "keyboard_key_Num 0", 96, {0x20, 0, 0x62}},
        {102, "keyboard_key_Decimal", 110, {0x20, 0, 0x63}},
        {103, "keyboard_key_App", 93, {0x20, 0, 0x65}},
        {104, "keyboard_key_K45", 226, {0x20, 0, 0x64}},
        {106, "keyboard_key_K14", 255, {0x20, 0, 0x89}},
        {112, "keyboard_key_K151", 255, {0x20, 0, 0x90}},
        {113, "keyboard_key_K42", 191, {0x20, 0, 0x32}},
        {114, "keyboard_key_Launch App2", 183, {0x30, 0x92, 0x01}},
        {116, "keyboard_key_Media Play Pause", 179, {0x30, 0xCD, 0x00}},
        {130, "wed_stop", 169, {0x30, 0x26, 0x02}},
        {131, "keyboard_key_Launch Media Select", 181, {0x30, 0x83, 0x01}},
        {132, "keyboard_key_Power", 259, {0x40, 0x01, 0}},
        {134, "keyboard_key_Wakeup", 261, {0x40, 0x04, 0}},
        {135, "keyboard_key_M1", 0, {0xD0, 0xA2, 1}},
        {139, "keyboard_key_M5", 0, {0xD0, 0xA2, 5}},
        {140, "keyboard_key_FN", 0, {0xA0, 0x01, 0}},
        {141, "keyboard_key_GM", 0, {0xA0, 0x1B, 0}},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(Row(c.row).name, c.name) << c.row;
        EXPECT_EQ(Row(c.row).virtual_key, c.vk) << c.row;
        EXPECT_EQ(Row(c.row).code, c.code) << c.row;
    }
}

// The runs of keys whose codes follow a rule are checked by the rule, row by row.
TEST(KeyNameTable, RegularRunsFollowTheirRule) {
    for (int i = 0; i < 26; ++i) {  // letters
        const auto& row = Row(8 + static_cast<size_t>(i));
        EXPECT_EQ(row.name, std::string("keyboard_key_") + static_cast<char>('A' + i));
        EXPECT_EQ(row.virtual_key, 'A' + i);
        EXPECT_EQ(row.code, (KeyFunctionCode{0x20, 0, static_cast<uint8_t>(0x04 + i)}));
    }
    for (int i = 0; i < 10; ++i) {  // 1..9 then 0
        const auto& row = Row(34 + static_cast<size_t>(i));
        const char digit = i < 9 ? static_cast<char>('1' + i) : '0';
        EXPECT_EQ(row.name, std::string("keyboard_key_") + digit);
        EXPECT_EQ(row.virtual_key, digit);
        EXPECT_EQ(row.code, (KeyFunctionCode{0x20, 0, static_cast<uint8_t>(0x1E + i)}));
    }
    for (int n = 1; n <= 12; ++n) {  // F1..F12
        const auto& row = Row(60 + static_cast<size_t>(n));
        EXPECT_EQ(row.name, "keyboard_key_F" + std::to_string(n));
        EXPECT_EQ(row.virtual_key, 111 + n);
        EXPECT_EQ(row.code, (KeyFunctionCode{0x20, 0, static_cast<uint8_t>(0x39 + n)}));
    }
    for (int n = 1; n <= 9; ++n) {  // Num 1..9
        const auto& row = Row(91 + static_cast<size_t>(n));
        EXPECT_EQ(row.name, "keyboard_key_Num " + std::to_string(n));
        EXPECT_EQ(row.virtual_key, 96 + n);
        EXPECT_EQ(row.code, (KeyFunctionCode{0x20, 0, static_cast<uint8_t>(0x58 + n)}));
    }
    // Rows 44..91 carry the usages 0x28..0x58 in order, with 0x32 (the non-US hash key,
    // row 113) left out.
    uint8_t usage = 0x28;
    for (size_t r = 44; r <= 91; ++r, ++usage) {
        if (usage == 0x32) ++usage;
        EXPECT_EQ(Row(r).code, (KeyFunctionCode{0x20, 0, usage})) << r;
    }
}

TEST(KeyNameTable, NamesAndPlainKeyUsagesAreUnique) {
    std::set<std::string_view> names;
    std::set<uint8_t> usages;
    for (size_t i = 0; i < KeyNameTable().size(); ++i) {
        EXPECT_TRUE(names.insert(Row(i).name).second) << Row(i).name;
        const auto& code = Row(i).code;
        if (code.type == kKeyTypeKeyboard && code.first == 0) {
            EXPECT_TRUE(usages.insert(code.second).second) << i;
            EXPECT_EQ(FindKeyByUsage(code.second), static_cast<int>(i));
        }
    }
    EXPECT_EQ(usages.size(), 106u);  // rows 8..113
    EXPECT_EQ(FindKeyByUsage(0), -1);
    EXPECT_EQ(FindKeyByUsage(0x70), -1);
}

TEST(CaptureList, ExtendedFlagsAreExactlyTheE0Keys) {
    const std::set<size_t> extended = {3,  4,  5,  6,  7,  73, 76, 77, 78, 79,
                                       80, 81, 82, 83, 84, 85, 86, 87, 91, 103};
    for (size_t i = 0; i < CaptureKeyTable().size(); ++i) {
        EXPECT_EQ(CaptureKeyTable()[i].extended, extended.count(i) == 1) << Row(i).name;
    }
}

TEST(CaptureList, KeysSharingAScanCodeAreToldApart) {
    struct Case {
        uint16_t scan;
        bool extended;
        const char* name;
    };
    const Case cases[] = {
        {0x1C, false, "keyboard_key_Enter"},    {0x1C, true, "keyboard_key_Num Enter"},
        {0x1D, false, "keyboard_key_LCtrl"},    {0x1D, true, "keyboard_key_RCtrl"},
        {0x38, false, "keyboard_key_LAlt"},     {0x38, true, "keyboard_key_RAlt"},
        {0x47, true, "keyboard_key_Home"},      {0x47, false, "keyboard_key_Num 7"},
        {0x53, true, "keyboard_key_Delete"},    {0x53, false, "keyboard_key_Decimal"},
        {0x37, true, "keyboard_key_Print Scr"}, {0x37, false, "keyboard_key_Num *"},
        {0x45, false, "keyboard_key_Pause"},    {0x45, true, "keyboard_key_Num Lock"},
        {0x35, false, "keyboard_key_/"},        {0x35, true, "keyboard_key_Num /"},
        {0x1E, false, "keyboard_key_A"},        {0x58, false, "keyboard_key_F12"},
        {0x56, false, "keyboard_key_K45"},      {0xF2, false, "keyboard_key_K151"},
    };
    for (const auto& c : cases) {
        const int row = FindCaptureKey(c.scan, c.extended);
        ASSERT_GE(row, 0) << c.name;
        EXPECT_EQ(Row(static_cast<size_t>(row)).name, c.name);
    }
    EXPECT_EQ(FindCaptureKey(0x1E, true), -1);
    EXPECT_EQ(FindCaptureKey(0x00, false), -1);
}

TEST(CaptureList, EveryRowIsFoundByItsOwnScanCode) {
    for (size_t i = 0; i < CaptureKeyTable().size(); ++i) {
        const auto& key = CaptureKeyTable()[i];
        EXPECT_EQ(FindCaptureKey(key.scan_code, key.extended), static_cast<int>(i)) << Row(i).name;
    }
}

TEST(PanelLists, ModifierChoices) {
    const int expected[] = {1, 2, 3, 4, 1, 2, 3, 4};
    for (int r = 0; r < 8; ++r) {
        EXPECT_EQ(ModifierChoiceOfRow(r), expected[r]) << r;
        EXPECT_EQ(FindModifierRow(Row(static_cast<size_t>(r)).code.first), r);
    }
    EXPECT_EQ(ModifierChoiceOfRow(8), 0);
    EXPECT_EQ(ModifierChoiceOfRow(-1), 0);
    EXPECT_EQ(FindModifierRow(0x03), -1);
    EXPECT_EQ(FindModifierRow(0x00), -1);
}

TEST(PanelLists, Contents) {
    const uint8_t buttons[] = {kMouseButtonLeft, kMouseButtonMiddle, kMouseButtonRight,
                               kMouseButtonForward, kMouseButtonBack};
    for (size_t i = 0; i < 5; ++i) {
        EXPECT_EQ(MouseButtonList()[i], (KeyFunctionCode{0x10, buttons[i], 0}));
    }
    EXPECT_EQ(DpiFunctionList()[2], (KeyFunctionCode{0x13, 3, 0}));
    EXPECT_EQ(SystemKeyList()[1], (KeyFunctionCode{0x40, 0x02, 0}));
    EXPECT_EQ(MediaKeyList()[0], ConsumerKeyCode(0x0183));
    EXPECT_EQ(MediaKeyList()[17], ConsumerKeyCode(0x018A));
    EXPECT_EQ(ComboShortcutList()[0], (KeyFunctionCode{0x20, 0x10, 0x12}));   // Ctrl+O
    EXPECT_EQ(ComboShortcutList()[10], (KeyFunctionCode{0x20, 0x10, 0x2E}));  // Ctrl+=

    // The media list offers exactly the consumer keys of the name table.
    std::set<uint16_t> table_usages, list_usages;
    for (const auto& row : KeyNameTable()) {
        if (row.code.type == kKeyTypeConsumer) table_usages.insert(ConsumerUsage(row.code));
    }
    for (const auto& code : MediaKeyList()) list_usages.insert(ConsumerUsage(code));
    EXPECT_EQ(list_usages, table_usages);
    EXPECT_EQ(list_usages.size(), 18u);
}

TEST(PanelLists, FindListRowComparesBothParameters) {
    EXPECT_EQ(FindListRow(MouseButtonList(), {0x10, 0x02, 0}), 2);
    EXPECT_EQ(FindListRow(MouseButtonList(), {0x10, 0x02, 1}), -1);
    EXPECT_EQ(FindListRow(MediaKeyList(), ConsumerKeyCode(0x00E9)), 6);
    EXPECT_EQ(FindListRow(MediaKeyList(), ConsumerKeyCode(0x00E8)), -1);
}

}  // namespace
}  // namespace dz
