#include "models/key_words.h"

#include <cstdio>

#include "models/key_tables.h"

namespace dz {
namespace {

AssignmentWord Id(std::string_view id) {
    return {std::string(id), true};
}

AssignmentWord Hex(KeyFunctionCode code) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%02X%02X%02X", code.type, code.first, code.second);
    return {text, false};
}

// The key name table row with exactly this code, or -1.
int FindNamedCode(KeyFunctionCode code) {
    const auto table = KeyNameTable();
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].code == code) return static_cast<int>(i);
    return -1;
}

struct ButtonBit {
    uint8_t bit;
    const char* text;
};
constexpr ButtonBit kButtonBits[] = {
    {kMouseButtonLeft, "mouse_left_text"},       {kMouseButtonRight, "mouse_right_text"},
    {kMouseButtonMiddle, "mouse_middle_text"},   {kMouseButtonBack, "mouse_back_text"},
    {kMouseButtonForward, "mouse_forward_text"},
};

}  // namespace

std::vector<AssignmentWord> AssignmentWords(KeyFunctionCode code,
                                            std::span<const std::string> macro_names) {
    std::vector<AssignmentWord> words;
    switch (code.type) {
        case 0:
            return {Id("close_text")};
        case kKeyTypeMouseButton:
            for (const ButtonBit& b : kButtonBits)
                if (code.first & b.bit) words.push_back(Id(b.text));
            if (words.empty()) words.push_back(Id("close_text"));
            return words;
        case kKeyTypeMouseSwing:
            return {Id("key_swing_text")};
        case kKeyTypeMouseWheel:
            return {Id((code.second & 0x80) != 0 ? "key_wheel_down_text" : "key_wheel_up_text")};
        case kKeyTypeDpi:
            if (code.first >= 1 && code.first <= 3)
                return {Id("key_dpi_" + std::to_string(code.first) + "_text")};
            return {Hex(code)};
        case kKeyTypeRapidFire:
            return {Id("key_rapid_fire_text")};
        case kKeyTypeMouseFunction:
            return {Id("key_mouse_function_text")};
        case kKeyTypeKeyboard: {
            const auto table = KeyNameTable();
            for (size_t r = 0; r < kModifierRowCount; ++r)
                if (code.first & table[r].code.first) words.push_back(Id(table[r].name));
            if (code.second != 0) {
                const int row = FindKeyByUsage(code.second);
                words.push_back(row >= 0 ? Id(table[static_cast<size_t>(row)].name) : Hex(code));
            }
            if (words.empty()) words.push_back(Id("close_text"));
            return words;
        }
        case kKeyTypeMacro:
        case kKeyTypeMacroRepeat:
            if (code.first < macro_names.size()) return {{macro_names[code.first], false}};
            return {Id("key_macro_missing_text")};
        case kKeyTypeGun:
            return {Id("key_gun_text")};
        default:
            break;
    }
    // Consumer, system, keyboard functions and the onboard macro keys are rows of the key
    // name table.
    const int row = FindNamedCode(code);
    if (row >= 0) return {Id(KeyNameTable()[static_cast<size_t>(row)].name)};
    return {Hex(code)};
}

}  // namespace dz
