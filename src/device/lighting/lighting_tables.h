#pragma once
// The tables every lighting effect draws from, and the cyclic counter step.

#include <array>
#include <cstddef>
#include <cstdint>

namespace dz::lighting {

struct Rgb {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

inline constexpr int kBrightnessLevels = 6;  // 0..5
inline constexpr int kSpeedLevels = 5;       // 0..4
inline constexpr size_t kBreathingSteps = 128;
inline constexpr size_t kWheelColours = 192;    // distinct colours of the wheel
inline constexpr size_t kWheelTableSize = 256;  // so that any byte is an index
inline constexpr size_t kFourColourCount = 4;
inline constexpr uint32_t kBlinkUnitMs = 200;

inline constexpr std::array<uint8_t, kBrightnessLevels> kBrightnessTable = {0,   55,  110,
                                                                            150, 205, 255};

namespace detail {

inline constexpr std::array<uint8_t, 64> kBreathRise = {
    0,   1,   2,   3,   4,   5,   6,   7,   8,   9,   10,  12,  14,  16,  18,  20,
    22,  24,  27,  30,  33,  36,  39,  42,  45,  49,  53,  57,  61,  65,  69,  73,
    77,  81,  85,  89,  94,  99,  104, 109, 114, 119, 124, 129, 134, 140, 146, 152,
    158, 164, 170, 176, 182, 188, 194, 200, 206, 213, 220, 227, 234, 241, 248, 255};
inline constexpr std::array<uint8_t, 32> kWheelRise = {
    1,  3,  5,  7,   10,  14,  18,  22,  26,  32,  38,  44,  50,  57,  65,  73,
    81, 89, 99, 109, 119, 129, 140, 152, 164, 176, 188, 200, 213, 227, 241, 255};
inline constexpr std::array<uint8_t, 32> kWheelFall = {
    248, 234, 220, 206, 194, 182, 170, 158, 146, 134, 124, 114, 104, 94, 85, 77,
    69,  61,  53,  47,  41,  35,  29,  24,  20,  16,  12,  8,   6,   4,  2,  0};

constexpr std::array<uint8_t, kBreathingSteps> BuildBreathing() {
    std::array<uint8_t, kBreathingSteps> t{};
    for (size_t i = 0; i < kBreathRise.size(); ++i) {
        t[i] = kBreathRise[i];
        t[kBreathingSteps - 1 - i] = kBreathRise[i];
    }
    return t;
}

// Six segments of 32: red to yellow, to green, to cyan, to blue, to magenta, to red.
constexpr std::array<Rgb, kWheelTableSize> BuildWheel() {
    std::array<Rgb, kWheelTableSize> t{};
    for (size_t j = 0; j < 32; ++j) {
        const uint8_t u = kWheelRise[j], d = kWheelFall[j];
        t[j] = {255, u, 0};
        t[32 + j] = {d, 255, 0};
        t[64 + j] = {0, 255, u};
        t[96 + j] = {0, d, 255};
        t[128 + j] = {u, 0, 255};
        t[160 + j] = {255, 0, d};
    }
    for (size_t i = kWheelColours; i < kWheelTableSize; ++i) t[i] = t[i - kWheelColours];
    return t;
}

}  // namespace detail

inline constexpr std::array<uint8_t, kBreathingSteps> kBreathingCurve = detail::BuildBreathing();
// The wave curve: the middle 96 entries of the breathing curve (22 rising to 255 and falling
// back to 22), for effects that run a wave over groups of lights.
inline constexpr size_t kWaveSteps = 96;
inline constexpr size_t kWaveCurveStart = 16;
inline constexpr std::array<uint8_t, kWaveSteps> kWaveCurve = [] {
    std::array<uint8_t, kWaveSteps> t{};
    for (size_t k = 0; k < kWaveSteps; ++k) t[k] = kBreathingCurve[kWaveCurveStart + k];
    return t;
}();
inline constexpr std::array<Rgb, kWheelTableSize> kColourWheel = detail::BuildWheel();
inline constexpr std::array<Rgb, kFourColourCount> kFourColours = {
    Rgb{0, 255, 180}, Rgb{0, 255, 0}, Rgb{255, 255, 255}, Rgb{255, 0, 0}};
// Half-period of blinking per speed level, in units of kBlinkUnitMs.
inline constexpr std::array<uint8_t, kSpeedLevels> kBlinkHalfPeriod = {28, 23, 18, 13, 7};

// Alpha of a brightness level; a level above the table (from a damaged profile) is
// taken as the brightest.
[[nodiscard]] uint8_t BrightnessAlpha(uint8_t level);
// Blink half-period of a speed level in milliseconds; levels above 4 count as 4.
[[nodiscard]] uint32_t BlinkHalfPeriodMs(uint8_t speed);

// One step of a counter that cycles through 0..limit-1: forward it adds `amount` and
// starts again at 0 when it reaches `limit`; backward it subtracts `amount` and
// starts again at limit - amount when it would go below 0. A value already at or
// past the limit (left there by an effect with a longer cycle) starts the cycle
// again in the same way, so the result always indexes a table of `limit` entries.
[[nodiscard]] uint8_t CyclicStep(bool forward, int limit, uint8_t value, uint8_t amount);

}  // namespace dz::lighting
