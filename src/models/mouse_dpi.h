#pragma once
// The DPI scale of the mouse's sensor: a DPI stage holds a slider position, the page shows
// the DPI figure of that position. Normally figure = position × step + lowest; sensor
// 0x3325 has a second slope, 200 DPI per position above position 48.

#include <cstdint>
#include <string_view>

#include "profile/text_util.h"  // ParseDecimal

namespace dz {

inline constexpr uint16_t kTwoSlopeSensor = 0x3325;
inline constexpr int kTwoSlopeBreak = 48;  // the last position on the first slope
inline constexpr int kSecondSlopeDpi = 200;

struct DpiScale {
    uint16_t sensor = 0;
    uint8_t step = 0;      // DPI per position
    uint16_t highest = 0;  // highest slider position
    uint16_t lowest = 0;   // DPI of position 0

    // A scale the page can work with: a step and a range. A block of zeros, or a damaged
    // one, is not.
    [[nodiscard]] constexpr bool Usable() const { return step > 0 && highest > 0; }
    [[nodiscard]] constexpr bool TwoSlope() const { return sensor == kTwoSlopeSensor; }

    // The DPI figure of slider position `q` (any position, also one beyond the range).
    [[nodiscard]] int64_t Figure(int64_t q) const;
    // The figure of the highest position: what the DPI edit may hold at most.
    [[nodiscard]] int64_t HighestFigure() const { return Figure(highest); }
    // The position of a DPI figure, rounded down: a figure below the lowest DPI is raised to
    // it, one above the highest figure gives the highest position. On the second slope the
    // figure is rounded down to the 200-DPI grid.
    [[nodiscard]] int PositionOf(int64_t figure) const;
    // The position of a typed figure: empty text counts as 0, text is read as a decimal
    // integer up to its first non-digit (no digits: 0), a number too large for any figure
    // saturates.
    [[nodiscard]] int PositionOfText(std::string_view text) const;

    friend constexpr bool operator==(const DpiScale&, const DpiScale&) = default;
};

// The scale the page uses until the mouse has told its own (or when what it told cannot be
// used): the common sensor, step 50 from 100 DPI up to 16000 DPI.
inline constexpr DpiScale kFallbackDpiScale{0, 50, 318, 100};

}  // namespace dz
