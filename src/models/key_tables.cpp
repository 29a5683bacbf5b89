#include "models/key_tables.h"

#include <array>

namespace dz {
namespace {

constexpr KeyFunctionCode Mod(uint8_t bit) {
    return {kKeyTypeKeyboard, bit, 0};
}
constexpr KeyFunctionCode Usage(uint8_t usage) {
    return {kKeyTypeKeyboard, 0, usage};
}

// Virtual-key 255: the key has no virtual-key code.
constexpr uint16_t kNoVirtualKey = 255;

// clang-format off
constexpr std::array<KeyNameRow, kKeyNameCount> kKeyNames{{
    // 0..7: modifiers alone
    {"keyboard_key_LCtrl", 162, Mod(kModifierLeftCtrl)},
    {"keyboard_key_LShift", 160, Mod(kModifierLeftShift)},
    {"keyboard_key_LAlt", 164, Mod(kModifierLeftAlt)},
    {"keyboard_key_LWin", 91, Mod(kModifierLeftGui)},
    {"keyboard_key_RCtrl", 163, Mod(kModifierRightCtrl)},
    {"keyboard_key_RShift", 161, Mod(kModifierRightShift)},
    {"keyboard_key_RAlt", 165, Mod(kModifierRightAlt)},
    {"keyboard_key_RWin", 92, Mod(kModifierRightGui)},
    // 8..33: letters, virtual keys 'A'..'Z'
    {"keyboard_key_A", 'A', Usage(0x04)}, {"keyboard_key_B", 'B', Usage(0x05)},
    {"keyboard_key_C", 'C', Usage(0x06)}, {"keyboard_key_D", 'D', Usage(0x07)},
    {"keyboard_key_E", 'E', Usage(0x08)}, {"keyboard_key_F", 'F', Usage(0x09)},
    {"keyboard_key_G", 'G', Usage(0x0A)}, {"keyboard_key_H", 'H', Usage(0x0B)},
    {"keyboard_key_I", 'I', Usage(0x0C)}, {"keyboard_key_J", 'J', Usage(0x0D)},
    {"keyboard_key_K", 'K', Usage(0x0E)}, {"keyboard_key_L", 'L', Usage(0x0F)},
    {"keyboard_key_M", 'M', Usage(0x10)}, {"keyboard_key_N", 'N', Usage(0x11)},
    {"keyboard_key_O", 'O', Usage(0x12)}, {"keyboard_key_P", 'P', Usage(0x13)},
    {"keyboard_key_Q", 'Q', Usage(0x14)}, {"keyboard_key_R", 'R', Usage(0x15)},
    {"keyboard_key_S", 'S', Usage(0x16)}, {"keyboard_key_T", 'T', Usage(0x17)},
    {"keyboard_key_U", 'U', Usage(0x18)}, {"keyboard_key_V", 'V', Usage(0x19)},
    {"keyboard_key_W", 'W', Usage(0x1A)}, {"keyboard_key_X", 'X', Usage(0x1B)},
    {"keyboard_key_Y", 'Y', Usage(0x1C)}, {"keyboard_key_Z", 'Z', Usage(0x1D)},
    // 34..43: digits, virtual keys '1'..'9', '0'
    {"keyboard_key_1", '1', Usage(0x1E)}, {"keyboard_key_2", '2', Usage(0x1F)},
    {"keyboard_key_3", '3', Usage(0x20)}, {"keyboard_key_4", '4', Usage(0x21)},
    {"keyboard_key_5", '5', Usage(0x22)}, {"keyboard_key_6", '6', Usage(0x23)},
    {"keyboard_key_7", '7', Usage(0x24)}, {"keyboard_key_8", '8', Usage(0x25)},
    {"keyboard_key_9", '9', Usage(0x26)}, {"keyboard_key_0", '0', Usage(0x27)},
    // 44..60
    {"keyboard_key_Enter", 13, Usage(0x28)},       // VK_RETURN
    {"keyboard_key_Esc", 27, Usage(0x29)},         // VK_ESCAPE
    {"keyboard_key_BackSpace", 8, Usage(0x2A)},    // VK_BACK
    {"keyboard_key_Tab", 9, Usage(0x2B)},          // VK_TAB
    {"keyboard_key_Space", 32, Usage(0x2C)},       // VK_SPACE
    {"keyboard_key_-", 189, Usage(0x2D)},          // VK_OEM_MINUS
    {"keyboard_key_=", 187, Usage(0x2E)},          // VK_OEM_PLUS
    {"keyboard_key_[", 219, Usage(0x2F)},          // VK_OEM_4
    {"keyboard_key_]", 221, Usage(0x30)},          // VK_OEM_6
    {"keyboard_key_xiegang", 220, Usage(0x31)},    // backslash, VK_OEM_5
    {"keyboard_key_;", 186, Usage(0x33)},          // VK_OEM_1
    {"keyboard_key_'", 222, Usage(0x34)},          // VK_OEM_7
    {"keyboard_key_`", 192, Usage(0x35)},          // VK_OEM_3
    {"keyboard_key_<", 188, Usage(0x36)},          // comma, VK_OEM_COMMA
    {"keyboard_key_.", 190, Usage(0x37)},          // VK_OEM_PERIOD
    {"keyboard_key_/", 191, Usage(0x38)},          // VK_OEM_2
    {"keyboard_key_Caplk", 20, Usage(0x39)},       // VK_CAPITAL
    // 61..72: F1..F12, VK_F1 (112)..VK_F12 (123)
    {"keyboard_key_F1", 112, Usage(0x3A)}, {"keyboard_key_F2", 113, Usage(0x3B)},
    {"keyboard_key_F3", 114, Usage(0x3C)}, {"keyboard_key_F4", 115, Usage(0x3D)},
    {"keyboard_key_F5", 116, Usage(0x3E)}, {"keyboard_key_F6", 117, Usage(0x3F)},
    {"keyboard_key_F7", 118, Usage(0x40)}, {"keyboard_key_F8", 119, Usage(0x41)},
    {"keyboard_key_F9", 120, Usage(0x42)}, {"keyboard_key_F10", 121, Usage(0x43)},
    {"keyboard_key_F11", 122, Usage(0x44)}, {"keyboard_key_F12", 123, Usage(0x45)},
    // 73..85
    {"keyboard_key_Print Scr", 44, Usage(0x46)},    // VK_SNAPSHOT
    {"keyboard_key_Scroll Lock", 145, Usage(0x47)}, // VK_SCROLL
    {"keyboard_key_Pause", 19, Usage(0x48)},        // VK_PAUSE
    {"keyboard_key_Insert", 45, Usage(0x49)},       // VK_INSERT
    {"keyboard_key_Home", 36, Usage(0x4A)},         // VK_HOME
    {"keyboard_key_Page Up", 33, Usage(0x4B)},      // VK_PRIOR
    {"keyboard_key_Delete", 46, Usage(0x4C)},       // VK_DELETE
    {"keyboard_key_End", 35, Usage(0x4D)},          // VK_END
    {"keyboard_key_Page Down", 34, Usage(0x4E)},    // VK_NEXT
    {"keyboard_key_Right", 39, Usage(0x4F)},        // VK_RIGHT
    {"keyboard_key_Left", 37, Usage(0x50)},         // VK_LEFT
    {"keyboard_key_Down", 40, Usage(0x51)},         // VK_DOWN
    {"keyboard_key_Up", 38, Usage(0x52)},           // VK_UP
    // 86..103: keypad; Num Enter has no virtual key of its own and is given 257
    {"keyboard_key_Num Lock", 144, Usage(0x53)},    // VK_NUMLOCK
    {"keyboard_key_Num /", 111, Usage(0x54)},       // VK_DIVIDE
    {"keyboard_key_Num *", 106, Usage(0x55)},       // VK_MULTIPLY
    {"keyboard_key_Num -", 109, Usage(0x56)},       // VK_SUBTRACT
    {"keyboard_key_Num +", 107, Usage(0x57)},       // VK_ADD
    {"keyboard_key_Num Enter", 257, Usage(0x58)},
    {"keyboard_key_Num 1", 97, Usage(0x59)}, {"keyboard_key_Num 2", 98, Usage(0x5A)},
    {"keyboard_key_Num 3", 99, Usage(0x5B)}, {"keyboard_key_Num 4", 100, Usage(0x5C)},
    {"keyboard_key_Num 5", 101, Usage(0x5D)}, {"keyboard_key_Num 6", 102, Usage(0x5E)},
    {"keyboard_key_Num 7", 103, Usage(0x5F)}, {"keyboard_key_Num 8", 104, Usage(0x60)},
    {"keyboard_key_Num 9", 105, Usage(0x61)},
    {"keyboard_key_Num 0", 96, Usage(0x62)},        // VK_NUMPAD0
    {"keyboard_key_Decimal", 110, Usage(0x63)},     // VK_DECIMAL
    {"keyboard_key_App", 93, Usage(0x65)},          // VK_APPS
    // 104..113: keys of international layouts
    {"keyboard_key_K45", 226, Usage(0x64)},
    {"keyboard_key_K56", 193, Usage(0x87)},
    {"keyboard_key_K14", kNoVirtualKey, Usage(0x89)},
    {"keyboard_key_K107", 194, Usage(0x85)},
    {"keyboard_key_K131", 235, Usage(0x8B)},
    {"keyboard_key_K132", kNoVirtualKey, Usage(0x8A)},
    {"keyboard_key_K133", kNoVirtualKey, Usage(0x88)},
    {"keyboard_key_K150", 233, Usage(0x91)},
    {"keyboard_key_K151", kNoVirtualKey, Usage(0x90)},
    {"keyboard_key_K42", 191, Usage(0x32)},
    // 114..131: consumer usages
    {"keyboard_key_Launch App2", 183, ConsumerKeyCode(0x0192)},
    {"keyboard_key_Browaer Home", 172, ConsumerKeyCode(0x0223)},
    {"keyboard_key_Media Play Pause", 179, ConsumerKeyCode(0x00CD)},
    {"keyboard_key_Browser Search", 170, ConsumerKeyCode(0x0221)},
    {"keyboard_key_Launch Mail", 180, ConsumerKeyCode(0x018A)},
    {"keyboard_key_Volume Up", 175, ConsumerKeyCode(0x00E9)},
    {"keyboard_key_Volume Mute", 173, ConsumerKeyCode(0x00E2)},
    {"keyboard_key_Media Stop", 178, ConsumerKeyCode(0x00B7)},
    {"keyboard_key_Volume Down", 174, ConsumerKeyCode(0x00EA)},
    {"keyboard_key_Browser Favorites", 171, ConsumerKeyCode(0x022A)},
    {"keyboard_key_Browser ForWard", 167, ConsumerKeyCode(0x0225)},
    {"keyboard_key_Browser Back", 166, ConsumerKeyCode(0x0224)},
    {"keyboard_key_Media Prev Track", 177, ConsumerKeyCode(0x00B6)},
    {"keyboard_key_Media Next Track", 176, ConsumerKeyCode(0x00B5)},
    {"keyboard_key_Computer", 182, ConsumerKeyCode(0x0194)},
    {"keyboard_key_Browser Refresh", 168, ConsumerKeyCode(0x0227)},
    {"wed_stop", 169, ConsumerKeyCode(0x0226)},
    {"keyboard_key_Launch Media Select", 181, ConsumerKeyCode(0x0183)},
    // 132..134: system control
    {"keyboard_key_Power", 259, {kKeyTypeSystem, 0x01, 0}},
    {"keyboard_key_Sleep", 260, {kKeyTypeSystem, 0x02, 0}},
    {"keyboard_key_Wakeup", 261, {kKeyTypeSystem, 0x04, 0}},
    // 135..139: onboard macro keys
    {"keyboard_key_M1", 0, {kKeyTypeOnboardMacro, 0xA2, 1}},
    {"keyboard_key_M2", 0, {kKeyTypeOnboardMacro, 0xA2, 2}},
    {"keyboard_key_M3", 0, {kKeyTypeOnboardMacro, 0xA2, 3}},
    {"keyboard_key_M4", 0, {kKeyTypeOnboardMacro, 0xA2, 4}},
    {"keyboard_key_M5", 0, {kKeyTypeOnboardMacro, 0xA2, 5}},
    // 140..141: keyboard functions
    {"keyboard_key_FN", 0, {kKeyTypeKeyboardFunction, 0x01, 0}},
    {"keyboard_key_GM", 0, {kKeyTypeKeyboardFunction, 0x1B, 0}},
}};

// Set-1 scan codes; extended = the E0-prefixed keys as the keyboard hook flags them.
// Entry i completes key name row i.
constexpr std::array<CaptureKeyRow, kCaptureKeyCount> kCaptureKeys{{
    // 0..7: LCtrl, LShift, LAlt, LWin, RCtrl, RShift, RAlt, RWin
    {0x1D, false}, {0x2A, false}, {0x38, false}, {0x5B, true},
    {0x1D, true}, {0x36, true}, {0x38, true}, {0x5C, true},
    // 8..33: A..Z
    {0x1E, false}, {0x30, false}, {0x2E, false}, {0x20, false}, {0x12, false}, {0x21, false},
    {0x22, false}, {0x23, false}, {0x17, false}, {0x24, false}, {0x25, false}, {0x26, false},
    {0x32, false}, {0x31, false}, {0x18, false}, {0x19, false}, {0x10, false}, {0x13, false},
    {0x1F, false}, {0x14, false}, {0x16, false}, {0x2F, false}, {0x11, false}, {0x2D, false},
    {0x15, false}, {0x2C, false},
    // 34..43: 1..9, 0
    {0x02, false}, {0x03, false}, {0x04, false}, {0x05, false}, {0x06, false},
    {0x07, false}, {0x08, false}, {0x09, false}, {0x0A, false}, {0x0B, false},
    // 44..60: Enter, Esc, BackSpace, Tab, Space, - = [ ] \ ; ' ` , . /, Caps Lock
    {0x1C, false}, {0x01, false}, {0x0E, false}, {0x0F, false}, {0x39, false},
    {0x0C, false}, {0x0D, false}, {0x1A, false}, {0x1B, false}, {0x2B, false},
    {0x27, false}, {0x28, false}, {0x29, false}, {0x33, false}, {0x34, false},
    {0x35, false}, {0x3A, false},
    // 61..72: F1..F12
    {0x3B, false}, {0x3C, false}, {0x3D, false}, {0x3E, false}, {0x3F, false}, {0x40, false},
    {0x41, false}, {0x42, false}, {0x43, false}, {0x44, false}, {0x57, false}, {0x58, false},
    // 73..85: Print Screen, Scroll Lock, Pause, Insert, Home, Page Up, Delete, End,
    // Page Down, Right, Left, Down, Up
    {0x37, true}, {0x46, false}, {0x45, false}, {0x52, true}, {0x47, true}, {0x49, true},
    {0x53, true}, {0x4F, true}, {0x51, true}, {0x4D, true}, {0x4B, true}, {0x50, true},
    {0x48, true},
    // 86..91: Num Lock, Num /, Num *, Num -, Num +, Num Enter
    {0x45, true}, {0x35, true}, {0x37, false}, {0x4A, false}, {0x4E, false}, {0x1C, true},
    // 92..103: Num 1..9, Num 0, Decimal, App
    {0x4F, false}, {0x50, false}, {0x51, false}, {0x4B, false}, {0x4C, false},
    {0x4D, false}, {0x47, false}, {0x48, false}, {0x49, false}, {0x52, false},
    {0x53, false}, {0x5D, true},
    // 104..112: K45, K56, K14, K107, K131, K132, K133, K150, K151
    {0x56, false}, {0x73, false}, {0x7D, false}, {0x7E, false}, {0x7B, false},
    {0x79, false}, {0x70, false}, {0xF1, false}, {0xF2, false},
}};

constexpr std::array<KeyFunctionCode, 5> kMouseButtons{{
    {kKeyTypeMouseButton, kMouseButtonLeft, 0},
    {kKeyTypeMouseButton, kMouseButtonMiddle, 0},
    {kKeyTypeMouseButton, kMouseButtonRight, 0},
    {kKeyTypeMouseButton, kMouseButtonForward, 0},
    {kKeyTypeMouseButton, kMouseButtonBack, 0},
}};

constexpr std::array<KeyFunctionCode, 3> kDpiFunctions{{
    {kKeyTypeDpi, 1, 0}, {kKeyTypeDpi, 2, 0}, {kKeyTypeDpi, 3, 0},
}};

constexpr std::array<KeyFunctionCode, 18> kMediaKeys{{
    ConsumerKeyCode(0x0183), ConsumerKeyCode(0x00CD), ConsumerKeyCode(0x00B7),
    ConsumerKeyCode(0x00B6), ConsumerKeyCode(0x00B5), ConsumerKeyCode(0x00EA),
    ConsumerKeyCode(0x00E9), ConsumerKeyCode(0x00E2), ConsumerKeyCode(0x0223),
    ConsumerKeyCode(0x0227), ConsumerKeyCode(0x0226), ConsumerKeyCode(0x0224),
    ConsumerKeyCode(0x0225), ConsumerKeyCode(0x022A), ConsumerKeyCode(0x0221),
    ConsumerKeyCode(0x0194), ConsumerKeyCode(0x0192), ConsumerKeyCode(0x018A),
}};

constexpr std::array<KeyFunctionCode, 3> kSystemKeys{{
    {kKeyTypeSystem, 0x01, 0}, {kKeyTypeSystem, 0x02, 0}, {kKeyTypeSystem, 0x04, 0},
}};

// Ctrl with O, N, Z, S, C, X, V, F, A, minus, equals.
constexpr std::array<KeyFunctionCode, 11> kComboShortcuts{{
    {kKeyTypeKeyboard, kModifierRightCtrl, 0x12}, {kKeyTypeKeyboard, kModifierRightCtrl, 0x11},
    {kKeyTypeKeyboard, kModifierRightCtrl, 0x1D}, {kKeyTypeKeyboard, kModifierRightCtrl, 0x16},
    {kKeyTypeKeyboard, kModifierRightCtrl, 0x06}, {kKeyTypeKeyboard, kModifierRightCtrl, 0x1B},
    {kKeyTypeKeyboard, kModifierRightCtrl, 0x19}, {kKeyTypeKeyboard, kModifierRightCtrl, 0x09},
    {kKeyTypeKeyboard, kModifierRightCtrl, 0x04}, {kKeyTypeKeyboard, kModifierRightCtrl, 0x2D},
    {kKeyTypeKeyboard, kModifierRightCtrl, 0x2E},
}};
// clang-format on

}  // namespace

std::span<const KeyNameRow, kKeyNameCount> KeyNameTable() {
    return kKeyNames;
}

std::span<const CaptureKeyRow, kCaptureKeyCount> CaptureKeyTable() {
    return kCaptureKeys;
}

int FindCaptureKey(uint16_t scan_code, bool extended) {
    for (size_t i = 0; i < kCaptureKeys.size(); ++i) {
        if (kCaptureKeys[i].scan_code == scan_code && kCaptureKeys[i].extended == extended) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int FindKeyByUsage(uint8_t usage) {
    if (usage == 0) return -1;
    for (size_t i = 0; i < kKeyNames.size(); ++i) {
        const auto& code = kKeyNames[i].code;
        if (code.type == kKeyTypeKeyboard && code.first == 0 && code.second == usage) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int ModifierChoiceOfRow(int row) {
    if (row < 0 || row >= static_cast<int>(kModifierRowCount)) return 0;
    return (row + 1) % 5 + (row + 1) / 5;
}

int FindModifierRow(uint8_t bits) {
    for (size_t i = 0; i < kModifierRowCount; ++i) {
        if (kKeyNames[i].code.first == bits) return static_cast<int>(i);
    }
    return -1;
}

std::span<const KeyFunctionCode> MouseButtonList() {
    return kMouseButtons;
}
std::span<const KeyFunctionCode> DpiFunctionList() {
    return kDpiFunctions;
}
std::span<const KeyFunctionCode> MediaKeyList() {
    return kMediaKeys;
}
std::span<const KeyFunctionCode> SystemKeyList() {
    return kSystemKeys;
}
std::span<const KeyFunctionCode> ComboShortcutList() {
    return kComboShortcuts;
}

int FindListRow(std::span<const KeyFunctionCode> list, KeyFunctionCode code) {
    for (size_t i = 0; i < list.size(); ++i) {
        if (list[i].first == code.first && list[i].second == code.second) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

}  // namespace dz
