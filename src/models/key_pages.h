#pragma once
// The two directions between a key function code and the function pages of the key
// assignment panel: building a code from what a page chose, and reading a code back into
// the page and values to show. Plain functions, so that the panel and macro recording
// share them and they are tested without a window.

#include <cstdint>

#include "models/key_codes.h"

namespace dz {

// Function pages; the values are the panel's page numbers.
enum class KeyFunctionPage : int {
    kNone = -1,  // the code has no page (the editing area is hidden)
    kDefault = 0,
    kMouseButton = 1,
    kMouseSwing = 2,
    kMouseWheel = 3,
    kDpi = 4,
    kRapidFire = 5,
    kKeyboard = 6,
    kMedia = 7,
    kSystem = 8,
    kMacro = 9,
    kGun = 10,
    kCombo = 11,
};

// Modifier choices of the keyboard page's option group.
inline constexpr int kModifierNone = 0;
inline constexpr int kModifierCtrl = 1;
inline constexpr int kModifierShift = 2;
inline constexpr int kModifierAlt = 3;
inline constexpr int kModifierWin = 4;

// Whether a device of `device_type` offers `page`: a keyboard (types 1 and 9) has no DPI
// keys and no gun keys; every other page, and every page of a mouse, is offered.
[[nodiscard]] bool KeyPageOffered(KeyFunctionPage page, int device_type);

// Index of the repeat entry in the macro mode list (entries 0..3 are play modes).
inline constexpr int kMacroModeRepeat = 4;

// What the selected page holds. Only the fields of `page` are used; a row of -1 means
// nothing is selected.
struct KeyPageInput {
    KeyFunctionPage page = KeyFunctionPage::kDefault;
    int list_row = -1;  // mouse button, DPI, media, system and combo pages
    // Swing and wheel pages. direction 0 = first, 1 = second.
    int delay = 0;
    int speed = 0;
    int count = 0;
    int direction = 0;
    // Rapid-fire page.
    int interval = 0;
    int clicks = 0;
    // Keyboard page: the modifier choice (kModifier*) and the captured key's usage id
    // (0 when no key was captured).
    int modifier = kModifierNone;
    uint8_t key_usage = 0;
    // Macro page.
    int macro_row = -1;
    int macro_count = 0;  // number of macros in the list
    int macro_mode = 0;   // 0..3 play mode, kMacroModeRepeat for repeat
    int repeat_count = 0;
    // Gun page.
    int gun_row = -1;
};

// The code a page produces. `current` is the key's code before the edit (kept where the
// page selects nothing usable), `default_code` the key's factory code (default page and
// pages the panel does not have).
[[nodiscard]] KeyFunctionCode BuildKeyFunctionCode(const KeyPageInput& input,
                                                   KeyFunctionCode current,
                                                   KeyFunctionCode default_code);

// What the panel shows for a code.
struct KeyPageView {
    KeyFunctionPage page = KeyFunctionPage::kNone;
    int list_row = -1;  // mouse button, DPI, media, system, combo: matching row or -1
    int delay = 0;      // swing and wheel
    int speed = 0;
    int count = 0;
    int direction = 0;
    int interval = 0;  // rapid fire
    int clicks = 0;
    int modifier = kModifierNone;  // keyboard page
    int key_row = -1;              // keyboard page: key name table row, or -1 for an empty key
    int macro_row = -1;            // macro page: -1 when the macro is not in the list
    int macro_mode = -1;           // macro page: mode list entry, -1 for none
    int repeat_count = 0;
    bool show_repeat = false;  // the repeat-count field is shown
    int gun_row = -1;
    // The code after reading: equal to the input unless reading reset a keyboard code
    // (unknown key, or a modifier combination no single option stands for).
    KeyFunctionCode code;
};

// Chooses the page and the values to show for `code`; `macro_count` is the number of
// macros in the list.
[[nodiscard]] KeyPageView ReadBackKeyFunctionCode(KeyFunctionCode code,
                                                  KeyFunctionCode default_code, int macro_count);

}  // namespace dz
