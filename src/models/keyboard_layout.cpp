#include "models/keyboard_layout.h"

#include <algorithm>
#include <string_view>

#include "models/key_tables.h"

namespace dz {
namespace {

// The key name of each position; an empty name stands for a position whose code follows.
struct PositionRow {
    std::string_view name;
    KeyFunctionCode code;
};

constexpr KeyFunctionCode kNoKey{kKeyTypeKeyboard, 0, 0};

// clang-format off
constexpr std::array<PositionRow, kKeyboardPositions> kPositions{{
    {"keyboard_key_Esc", {}}, {"keyboard_key_F1", {}}, {"keyboard_key_F2", {}},
    {"keyboard_key_F3", {}}, {"keyboard_key_F4", {}}, {"keyboard_key_F5", {}},
    {"keyboard_key_F6", {}}, {"keyboard_key_F7", {}}, {"keyboard_key_F8", {}},
    {"keyboard_key_F9", {}}, {"keyboard_key_F10", {}}, {"keyboard_key_F11", {}},
    {"keyboard_key_F12", {}},                                              // 0..12
    {"keyboard_key_Print Scr", {}}, {"keyboard_key_Scroll Lock", {}},
    {"keyboard_key_Pause", {}}, {"keyboard_key_GM", {}},                   // 13..16
    {{}, {kKeyTypeKeyboardFunction, 0x24, 0x00}},                          // 17
    {{}, kNoKey}, {{}, kNoKey}, {{}, kNoKey},                              // 18..20
    {"keyboard_key_`", {}}, {"keyboard_key_1", {}}, {"keyboard_key_2", {}},
    {"keyboard_key_3", {}}, {"keyboard_key_4", {}}, {"keyboard_key_5", {}},
    {"keyboard_key_6", {}}, {"keyboard_key_7", {}}, {"keyboard_key_8", {}},
    {"keyboard_key_9", {}}, {"keyboard_key_0", {}}, {"keyboard_key_-", {}},
    {"keyboard_key_=", {}}, {"keyboard_key_BackSpace", {}},                // 21..34
    {"keyboard_key_Insert", {}}, {"keyboard_key_Home", {}}, {"keyboard_key_Page Up", {}},
    {"keyboard_key_Num Lock", {}}, {"keyboard_key_Num /", {}}, {"keyboard_key_Num *", {}},
    {"keyboard_key_Num -", {}},                                            // 35..41
    {"keyboard_key_Tab", {}}, {"keyboard_key_Q", {}}, {"keyboard_key_W", {}},
    {"keyboard_key_E", {}}, {"keyboard_key_R", {}}, {"keyboard_key_T", {}},
    {"keyboard_key_Y", {}}, {"keyboard_key_U", {}}, {"keyboard_key_I", {}},
    {"keyboard_key_O", {}}, {"keyboard_key_P", {}}, {"keyboard_key_[", {}},
    {"keyboard_key_]", {}}, {"keyboard_key_xiegang", {}},                  // 42..55
    {"keyboard_key_Delete", {}}, {"keyboard_key_End", {}}, {"keyboard_key_Page Down", {}},
    {"keyboard_key_Num 7", {}}, {"keyboard_key_Num 8", {}}, {"keyboard_key_Num 9", {}},
    {"keyboard_key_K42", {}},                                              // 56..62
    {"keyboard_key_Caplk", {}}, {"keyboard_key_A", {}}, {"keyboard_key_S", {}},
    {"keyboard_key_D", {}}, {"keyboard_key_F", {}}, {"keyboard_key_G", {}},
    {"keyboard_key_H", {}}, {"keyboard_key_J", {}}, {"keyboard_key_K", {}},
    {"keyboard_key_L", {}}, {"keyboard_key_;", {}}, {"keyboard_key_'", {}},
    {"keyboard_key_Enter", {}},                                            // 63..75
    {"keyboard_key_Num 4", {}}, {"keyboard_key_Num 5", {}}, {"keyboard_key_Num 6", {}},
    {"keyboard_key_K132", {}}, {"keyboard_key_K131", {}}, {"keyboard_key_K151", {}},
    {"keyboard_key_K150", {}}, {"keyboard_key_K133", {}},                  // 76..83
    {"keyboard_key_LShift", {}}, {"keyboard_key_Z", {}}, {"keyboard_key_X", {}},
    {"keyboard_key_C", {}}, {"keyboard_key_V", {}}, {"keyboard_key_B", {}},
    {"keyboard_key_N", {}}, {"keyboard_key_M", {}}, {"keyboard_key_<", {}},
    {"keyboard_key_.", {}}, {"keyboard_key_/", {}}, {"keyboard_key_RShift", {}},
    {"keyboard_key_Up", {}},                                               // 84..96
    {"keyboard_key_Num 1", {}}, {"keyboard_key_Num 2", {}}, {"keyboard_key_Num 3", {}},
    {"keyboard_key_K56", {}}, {"keyboard_key_K14", {}}, {"keyboard_key_K45", {}},
    {"keyboard_key_K107", {}},                                             // 97..103
    {{}, kNoKey},                                                          // 104
    {"keyboard_key_LCtrl", {}}, {"keyboard_key_LWin", {}}, {"keyboard_key_LAlt", {}},
    {"keyboard_key_Space", {}}, {"keyboard_key_RAlt", {}}, {"keyboard_key_FN", {}},
    {"keyboard_key_App", {}}, {"keyboard_key_RCtrl", {}},                  // 105..112
    {"keyboard_key_Left", {}}, {"keyboard_key_Down", {}}, {"keyboard_key_Right", {}},
    {"keyboard_key_Num 0", {}}, {"keyboard_key_Decimal", {}}, {"keyboard_key_Num Enter", {}},
    {"keyboard_key_Num +", {}},                                            // 113..119
    {"keyboard_key_M1", {}}, {"keyboard_key_M2", {}}, {"keyboard_key_M3", {}},
    {"keyboard_key_M4", {}}, {"keyboard_key_M5", {}},                      // 120..124
    {"keyboard_key_RWin", {}},                                             // 125
}};
// clang-format on

std::array<KeyFunctionCode, kKeyboardPositions> BuildPositionCodes() {
    std::array<KeyFunctionCode, kKeyboardPositions> codes{};
    const auto names = KeyNameTable();
    for (size_t p = 0; p < kPositions.size(); ++p) {
        const PositionRow& row = kPositions[p];
        if (row.name.empty()) {
            codes[p] = row.code;
            continue;
        }
        const auto found = std::find_if(names.begin(), names.end(),
                                        [&](const KeyNameRow& r) { return r.name == row.name; });
        codes[p] = found != names.end() ? found->code : KeyFunctionCode{};
    }
    return codes;
}

}  // namespace

std::span<const KeyFunctionCode, kKeyboardPositions> KeyboardPositionCodes() {
    static const std::array<KeyFunctionCode, kKeyboardPositions> codes = BuildPositionCodes();
    return codes;
}

KeySlotMap KeyboardMaps::SlotMap() const {
    return {std::vector<uint8_t>(slot.begin(), slot.end()), kKeyboardNoSlot};
}

int KeyboardMaps::PositionCount() const {
    return static_cast<int>(
        std::count_if(slot.begin(), slot.end(), [](uint8_t s) { return s != kKeyboardNoSlot; }));
}

KeyboardMaps BuildKeyboardMaps(std::span<const uint8_t> key_table,
                               std::span<const uint8_t> led_table,
                               std::span<const KeyFunctionCode> last_written) {
    KeyboardMaps maps;
    const size_t slots = std::min<size_t>(key_table.size() / kKeyTableEntrySize, kKeyboardNoSlot);
    std::vector<bool> taken(slots, false);
    const auto take = [&](size_t p, KeyFunctionCode wanted) {
        for (size_t k = 0; k < slots; ++k) {
            const size_t at = k * kKeyTableEntrySize;
            const KeyFunctionCode code{key_table[at], key_table[at + 1], key_table[at + 2]};
            if (taken[k] || code != wanted) continue;
            taken[k] = true;
            maps.slot[p] = static_cast<uint8_t>(k);
            if (k < led_table.size()) maps.led[p] = led_table[k];
            return;
        }
    };
    const auto codes = KeyboardPositionCodes();
    for (size_t p = 0; p < codes.size(); ++p) take(p, codes[p]);
    // Only a code that tells one slot: held by exactly one slot and no position's default
    // (otherwise the slot could be another key's, and writing it would change that key).
    const auto unambiguous = [&](KeyFunctionCode wanted) {
        if (std::find(codes.begin(), codes.end(), wanted) != codes.end()) return false;
        int holders = 0;
        for (size_t k = 0; k < slots; ++k) {
            const size_t at = k * kKeyTableEntrySize;
            holders +=
                KeyFunctionCode{key_table[at], key_table[at + 1], key_table[at + 2]} == wanted;
        }
        return holders == 1;
    };
    for (size_t p = 0; p < codes.size() && p < last_written.size(); ++p) {
        if (maps.slot[p] == kKeyboardNoSlot && unambiguous(last_written[p]))
            take(p, last_written[p]);
    }
    return maps;
}

}  // namespace dz
