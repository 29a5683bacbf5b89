#include "macro/macro_names.h"

namespace dz {
namespace {

// clang-format off
constexpr std::array<MacroMouseRow, kMacroMouseRowCount> kMouseRows{{
    {0x0201, 0x10, 1, 0x81, "mouse_key_left"},
    {0x0202, 0x10, 1, 0x01, "mouse_key_left"},
    {0x0204, 0x10, 2, 0x81, "mouse_key_right"},
    {0x0205, 0x10, 2, 0x01, "mouse_key_right"},
    {0x0207, 0x10, 4, 0x81, "mouse_key_middle"},
    {0x0208, 0x10, 4, 0x01, "mouse_key_middle"},
    {0x020B, 0x10, 16, 0x81, "mouse_key_forward"},
    {0x020C, 0x10, 16, 0x01, "mouse_key_forward"},
    {0x020B, 0x10, 8, 0x81, "mouse_key_back"},
    {0x020C, 0x10, 8, 0x01, "mouse_key_back"},
    {0x0004, 0x15, 0, 0x84, "mouse_move_to_left_text"},
    {0x0004, 0x15, 0, 0x04, "mouse_move_to_right_text"},
    {0x0005, 0x15, 0, 0x85, "mouse_move_to_up_text"},
    {0x0005, 0x15, 0, 0x05, "mouse_move_to_down_text"},
    {0x020A, 0x12, 0, 0, "mouse_cursor_text"},
}};
// clang-format on

}  // namespace

std::span<const MacroMouseRow, kMacroMouseRowCount> MacroMouseTable() {
    return kMouseRows;
}

std::span<const KeyNameRow, kKeyNameCount> MacroKeyTable() {
    return KeyNameTable();
}

std::string_view MacroEventName(const MacroEvent& event) {
    switch (event.type) {
        case kMacroEventModifier: {
            const int row = FindModifierRow(static_cast<uint8_t>(event.button & 0xFF));
            return row < 0 ? std::string_view() : KeyNameTable()[static_cast<size_t>(row)].name;
        }
        case kMacroEventKey: {
            const int row = FindKeyByUsage(static_cast<uint8_t>(event.button & 0xFF));
            return row < 0 ? std::string_view() : KeyNameTable()[static_cast<size_t>(row)].name;
        }
        case kMacroEventMouseButton:
            for (size_t i = 0; i < kMacroMouseButtonRows; ++i) {
                if (kMouseRows[i].mask == event.button) return kMouseRows[i].name;
            }
            return {};
        case kMacroEventMoveX:
        case kMacroEventMoveY: {
            const uint8_t code = ToDeviceCode(event)[2];
            for (size_t i = kMacroMouseButtonRows; i + 1 < kMacroMouseRowCount; ++i) {
                if (kMouseRows[i].event_code == code) return kMouseRows[i].name;
            }
            return {};
        }
        default:
            return {};
    }
}

}  // namespace dz
