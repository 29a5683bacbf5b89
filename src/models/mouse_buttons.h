#pragma once
// The mouse's logical buttons and where its button map holds them. The mouse has 11
// logical buttons (entry i of the profile's key list is button i); the device keeps them
// in key slots of its own order, found by each button's factory function.

#include <array>
#include <cstdint>
#include <span>

#include "models/key_codes.h"

namespace dz {

inline constexpr int kMouseButtons = 11;
// A logical button the mouse has no slot for: it is neither written nor collected.
inline constexpr uint8_t kNoButtonSlot = 170;

using ButtonSlotMap = std::array<uint8_t, kMouseButtons>;

// The factory function of each logical button (DEFAULT_BUTTON_CODES).
[[nodiscard]] std::span<const KeyFunctionCode, kMouseButtons> DefaultButtonCodes();

// For each logical button, the first of the first `key_count` slots of `button_map`
// (3 bytes per slot) that holds its factory function, or kNoButtonSlot.
[[nodiscard]] ButtonSlotMap BuildButtonSlotMap(std::span<const uint8_t> button_map, int key_count);

// Whether button `button` is the last of `codes` (the buttons' current functions) that
// clicks the left button: the mouse keeps one, so that button's function is not given away.
[[nodiscard]] bool IsLastLeftButton(std::span<const KeyFunctionCode> codes, int button);

// A map with every button absent (before the mouse was read).
[[nodiscard]] constexpr ButtonSlotMap NoButtonSlots() {
    ButtonSlotMap m{};
    m.fill(kNoButtonSlot);
    return m;
}

}  // namespace dz
