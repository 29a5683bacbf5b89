#pragma once
// The keyboard's lighting geometry and curves, declared once as data: the LED matrix, the
// key order, the rings, the wave and phase tables, the snake path, the sweep frames, the
// twinkle list, the intro tables, the wave and pulse curves, and the step rates. The colour
// wheel, the breathing curve and the brightness table are the shared ones of
// device/lighting/lighting_tables.h.

#include <array>
#include <cstddef>
#include <cstdint>
#include <initializer_list>

#include "device/lighting/lighting_tables.h"

namespace dz::keyboard_lighting {

inline constexpr size_t kLightCount = 170;
// "No light" in the matrix, key order, ring, snake and sweep tables.
inline constexpr uint8_t kNoLight = 170;
// "No light" in the wave and intro tables.
inline constexpr uint8_t kNoCell = 255;

inline constexpr int kColumns = 23;
inline constexpr int kRows = 6;
inline constexpr int kWaveRows = 7;
inline constexpr size_t kKeyOrderSize = 126;
inline constexpr size_t kRingCount = 12;
inline constexpr size_t kRingSize = 12;
inline constexpr size_t kPhaseTableSize = 138;
inline constexpr size_t kSnakePathSize = 171;
inline constexpr size_t kSweepFrameCount = 52;
inline constexpr size_t kSweepFrameSize = 12;
inline constexpr size_t kTwinkleListSize = 104;
inline constexpr size_t kSixLightRowCount = 20;
inline constexpr size_t kPairRowCount = 16;
inline constexpr size_t kWaveCurveSize = 96;
inline constexpr size_t kPulseCurveSize = 192;

using Column = std::array<uint8_t, kRows>;
using Ring = std::array<uint8_t, kRingSize>;
using WaveColumn = std::array<uint8_t, kWaveRows>;
using SweepFrame = std::array<uint8_t, kSweepFrameSize>;
using IntroRow = std::array<uint8_t, 6>;
using PairRow = std::array<uint8_t, 2>;

namespace detail {

// `lights` first, then "no light" up to N.
template <size_t N>
constexpr std::array<uint8_t, N> Padded(std::initializer_list<uint8_t> lights) {
    std::array<uint8_t, N> a{};
    a.fill(kNoLight);
    size_t i = 0;
    for (const uint8_t x : lights) a[i++] = x;
    return a;
}

constexpr std::array<uint8_t, kSnakePathSize> SnakePath(std::initializer_list<uint8_t> lights) {
    std::array<uint8_t, kSnakePathSize> a = Padded<kSnakePathSize>(lights);
    for (size_t i = 126; i < kSnakePathSize; ++i) a[i] = 0;
    return a;
}

}  // namespace detail

// clang-format off
// Column c: the lights of rows 0..5, row 0 at the top.
inline constexpr std::array<Column, kColumns> kLedMatrix = {{
    {kNoLight, 120, 121, 122, 123, 124},
    {kNoLight, 21, 42, 63, 84, 105},
    {0, 22, 43, 64, 102, 106},
    {1, 23, 44, 65, 85, 20},
    {2, 24, 45, 66, 86, 107},
    {3, 25, 46, 67, 87, 126},
    {4, 26, 47, 68, 88, 127},
    {18, 27, 48, 69, 89, 108},
    {5, 28, 49, 70, 90, 128},
    {6, 29, 50, 71, 91, 129},
    {7, 30, 51, 72, 92, 109},
    {8, 31, 52, 73, 93, 125},
    {9, 32, 53, 74, 94, 110},
    {10, 33, 54, 62, 100, 111},
    {11, 34, 55, 75, 19, 130},
    {12, 101, 103, 79, 95, 112},
    {13, 35, 56, 82, 80, 113},
    {14, 36, 57, 83, 96, 114},
    {15, 37, 58, 17, 81, 115},
    {kNoLight, 38, 59, 76, 97, 116},
    {kNoLight, 39, 60, 77, 98, 104},
    {kNoLight, 40, 61, 78, 99, 117},
    {kNoLight, 41, 16, 119, 118, 131},
}};

// The lights in the order the key-order effects walk them; the last 19 places are empty.
inline constexpr std::array<uint8_t, kKeyOrderSize> kKeyOrder = detail::Padded<kKeyOrderSize>({
    15, 14, 13, 12, 11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0, 21, 42, 63, 84, 105, 106, 107, 108, 109,
    125, 110, 111, 112, 113, 114, 115, 116, 117, 118, 119, 41, 40, 39, 38, 37, 36, 35, 34, 33, 32,
    31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 43, 64, 102, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94, 95,
    96, 97, 98, 99, 78, 61, 60, 59, 58, 57, 56, 55, 54, 53, 52, 51, 50, 49, 48, 47, 46, 45, 44, 65,
    66, 67, 68, 69, 70, 71, 72, 73, 74, 62, 75, 76, 77,
});

// From the centre outwards.
inline constexpr std::array<Ring, kRingCount> kRings = {
    detail::Padded<kRingSize>({51}),
    detail::Padded<kRingSize>({30, 50, 71, 72, 52, 31}),
    detail::Padded<kRingSize>({8, 29, 49, 70, 91, 92, 93, 73, 53, 32}),
    detail::Padded<kRingSize>({7, 28, 48, 69, 90, 109, 94, 74, 54, 33, 9, 62}),
    detail::Padded<kRingSize>({6, 27, 47, 68, 89, 110, 95, 75, 55, 34, 10, 11}),
    detail::Padded<kRingSize>({5, 26, 46, 67, 88, 108, 111, 112, 56, 35, 12, 125}),
    detail::Padded<kRingSize>({4, 25, 45, 66, 87, 113, 96, 57, 36, 13}),
    detail::Padded<kRingSize>({3, 24, 44, 65, 86, 114, 115, 58, 37, 15, 14}),
    detail::Padded<kRingSize>({2, 23, 43, 64, 85, 107, 97, 76, 59, 38}),
    detail::Padded<kRingSize>({1, 22, 42, 63, 84, 106, 116, 98, 77, 60, 39, 102}),
    detail::Padded<kRingSize>({0, 21, 105, 117, 99, 78, 61, 40}),
    detail::Padded<kRingSize>({118, 119, 41}),
};

// Column c: the lights of rows 0..6.
inline constexpr std::array<WaveColumn, kColumns> kWaveTable = {{
    {kNoCell, kNoCell, kNoCell, kNoCell, kNoCell, kNoCell, 105},
    {kNoCell, kNoCell, 21, 42, 63, 84, 106},
    {kNoCell, 0, 22, 43, 64, 85, 107},
    {kNoCell, 1, 23, 44, 65, 86, kNoCell},
    {kNoCell, 2, 24, 45, 66, 87, kNoCell},
    {kNoCell, 3, 25, 46, 67, 88, kNoCell},
    {kNoCell, 4, 26, 47, 68, 89, 108},
    {kNoCell, kNoCell, 27, 48, 69, 90, kNoCell},
    {kNoCell, 5, 28, 49, 70, 91, kNoCell},
    {kNoCell, 6, 29, 50, 71, 92, 109},
    {kNoCell, 7, 30, 51, 72, 93, 109},
    {kNoCell, 8, 31, 52, 73, 94, 110},
    {kNoCell, 9, 32, 53, 74, kNoCell, 111},
    {kNoCell, 10, 33, 54, 75, kNoCell, kNoCell},
    {kNoCell, 11, 34, 55, kNoCell, 95, 112},
    {kNoCell, 12, 34, 55, kNoCell, 95, 112},
    {kNoCell, 13, 35, 56, kNoCell, kNoCell, 113},
    {kNoCell, 14, 36, 57, kNoCell, 96, 114},
    {kNoCell, 15, 37, 58, kNoCell, kNoCell, 115},
    {kNoCell, 17, 38, 59, 76, 97, 116},
    {125, 18, 39, 60, 77, 98, 116},
    {kNoCell, 19, 40, 61, 78, 99, 117},
    {kNoCell, 20, 41, kNoCell, 119, 118, kNoCell},
}};

// Entry 6c + r for wave-table column c, row r: row 6 of a column reads row 0 of the next.
inline constexpr std::array<uint8_t, kPhaseTableSize> kPhaseTable = {
    72, 52, 32, 12, 182, 162, 72, 52, 32, 12, 182, 162, 120, 100, 80, 60, 40, 20, 92, 82, 72, 62,
    52, 42, 160, 140, 120, 100, 80, 60, 80, 70, 60, 50, 20, 10, 90, 30, 0, 160, 130, 100, 50, 30,
    10, 180, 160, 140, 32, 22, 12, 2, 182, 172, 120, 100, 80, 60, 40, 20, 20, 5, 185, 170, 155, 140,
    60, 35, 15, 180, 155, 130, 120, 110, 100, 90, 80, 70, 192, 162, 132, 102, 72, 32, 80, 70, 60,
    50, 20, 10, 100, 95, 90, 85, 80, 75, 90, 80, 70, 60, 50, 40, 140, 110, 80, 50, 20, 180, 70, 55,
    40, 25, 10, 190, 120, 100, 80, 60, 40, 20, 92, 82, 72, 62, 52, 42, 60, 50, 40, 30, 20, 10, 192,
    162, 132, 102, 72, 32,
};

// Entries 110..125 are empty, 126..170 all light 0.
inline constexpr std::array<uint8_t, kSnakePathSize> kSnakePath = detail::SnakePath({
    0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 17, 18, 19, 20, 41, 40, 39, 38, 37, 36,
    35, 34, 33, 32, 31, 30, 29, 28, 27, 26, 25, 24, 23, 22, 21, 42, 43, 44, 45, 46, 47, 48, 49, 50,
    51, 52, 53, 54, 55, 56, 57, 58, 59, 60, 61, 119, 78, 77, 76, 75, kNoLight, 74, 73, 72, 71, 70,
    69, 68, 67, 66, 65, 64, 63, 84, kNoLight, 85, 86, 87, 88, 89, 90, 91, 92, 93, 94, 95, 96, 97,
    98, 99, 118, 117, 116, 115, 114, 113, 112, 111, 110, 109, 108, 107, 106, 105,
});

inline constexpr std::array<SweepFrame, kSweepFrameCount> kSweepFrames = {
    detail::Padded<kSweepFrameSize>({25, 26, 50, 51}),
    detail::Padded<kSweepFrameSize>({0, 26, 27, 50, 51}),
    detail::Padded<kSweepFrameSize>({27, 28, 50, 51}),
    detail::Padded<kSweepFrameSize>({1, 27, 50, 51}),
    detail::Padded<kSweepFrameSize>({2, 27, 50, 51}),
    detail::Padded<kSweepFrameSize>({3, 28, 51}),
    detail::Padded<kSweepFrameSize>({4, 29, 51}),
    detail::Padded<kSweepFrameSize>({29, 51}),
    detail::Padded<kSweepFrameSize>({5, 29, 51}),
    detail::Padded<kSweepFrameSize>({6, 30, 51}),
    detail::Padded<kSweepFrameSize>({7, 30, 51}),
    detail::Padded<kSweepFrameSize>({8, 51}),
    detail::Padded<kSweepFrameSize>({31, 52}),
    detail::Padded<kSweepFrameSize>({9, 32, 52}),
    detail::Padded<kSweepFrameSize>({10, 32, 52}),
    detail::Padded<kSweepFrameSize>({11, 33, 52}),
    detail::Padded<kSweepFrameSize>({12, 34, 53, 52}),
    detail::Padded<kSweepFrameSize>({13, 34, 53, 52}),
    detail::Padded<kSweepFrameSize>({14, 34, 53, 52}),
    detail::Padded<kSweepFrameSize>({15, 35, 52}),
    detail::Padded<kSweepFrameSize>({36, 52}),
    detail::Padded<kSweepFrameSize>({37, 52}),
    detail::Padded<kSweepFrameSize>({38, 52}),
    detail::Padded<kSweepFrameSize>({39, 52}),
    detail::Padded<kSweepFrameSize>({41, 40, 38, 52, 54, 53, 55, 39}),
    detail::Padded<kSweepFrameSize>({119, 61, 60, 59, 58, 57, 56, 62, 54, 53, 52}),
    detail::Padded<kSweepFrameSize>({52, 53, 76, 78, 77, 54, 55}),
    detail::Padded<kSweepFrameSize>({73, 74, 75, 97, 98, 99, 118}),
    detail::Padded<kSweepFrameSize>({73, 74, 96, 117, 116}),
    detail::Padded<kSweepFrameSize>({73, 95, 96, 75, 116, 117}),
    detail::Padded<kSweepFrameSize>({73, 74, 95, 115, 116}),
    detail::Padded<kSweepFrameSize>({73, 95, 115, 114}),
    detail::Padded<kSweepFrameSize>({73, 95, 114, 113}),
    detail::Padded<kSweepFrameSize>({73, 95, 113}),
    detail::Padded<kSweepFrameSize>({73, 95, 112}),
    detail::Padded<kSweepFrameSize>({73, 94, 111}),
    detail::Padded<kSweepFrameSize>({73, 94, 125, 110}),
    detail::Padded<kSweepFrameSize>({73, 93, 109}),
    detail::Padded<kSweepFrameSize>({72, 92, 108}),
    detail::Padded<kSweepFrameSize>({72, 92, 108}),
    detail::Padded<kSweepFrameSize>({108, 91, 72}),
    detail::Padded<kSweepFrameSize>({108, 90, 91, 72}),
    detail::Padded<kSweepFrameSize>({108, 90, 71, 72}),
    detail::Padded<kSweepFrameSize>({108, 89, 90, 71, 72}),
    detail::Padded<kSweepFrameSize>({107, 88, 89, 71, 72}),
    detail::Padded<kSweepFrameSize>({106, 107, 87, 88, 89, 70, 71, 72}),
    detail::Padded<kSweepFrameSize>({105, 106, 87, 88, 70, 72}),
    detail::Padded<kSweepFrameSize>({124, 105, 86, 87, 88, 70, 71, 72}),
    detail::Padded<kSweepFrameSize>({123, 84, 85, 69, 70, 71, 72, 86, 102}),
    detail::Padded<kSweepFrameSize>({122, 63, 64, 65, 68, 66, 67, 50, 51}),
    detail::Padded<kSweepFrameSize>({121, 42, 43, 44, 45, 46, 47, 48, 49, 50, 51}),
    detail::Padded<kSweepFrameSize>({51, 21, 22, 23, 24, 48, 49, 50, 120}),
};

// Places in the key order list.
inline constexpr std::array<uint8_t, kTwinkleListSize> kTwinkleList = {
    88, 24, 101, 57, 16, 69, 35, 34, 36, 51, 78, 18, 12, 66, 97, 9, 33, 41, 55, 52, 48, 95, 77, 70,
    104, 10, 23, 39, 3, 102, 17, 65, 22, 105, 31, 4, 85, 76, 15, 60, 54, 21, 106, 83, 94, 6, 61, 49,
    20, 5, 14, 107, 68, 98, 71, 27, 81, 1, 0, 87, 46, 75, 37, 73, 32, 79, 8, 29, 72, 56, 44, 99, 13,
    47, 42, 93, 108, 91, 80, 86, 89, 43, 28, 58, 59, 109, 38, 53, 2, 62, 64, 90, 96, 74, 110, 92,
    40, 25, 26, 7, 30, 50, 84, 45,
};

// Effect 14, its first stage: one row per step.
inline constexpr std::array<IntroRow, kSixLightRowCount> kSixLightRows = {{
    {0, 118, kNoCell, kNoCell, kNoCell, kNoCell},
    {1, 117, kNoCell, kNoCell, kNoCell, kNoCell},
    {2, 116, kNoCell, kNoCell, kNoCell, kNoCell},
    {3, 115, 21, 118, kNoCell, kNoCell},
    {4, 114, 22, 99, kNoCell, kNoCell},
    {5, 113, 23, 98, kNoCell, kNoCell},
    {6, 112, 24, 97, 42, 119},
    {7, 111, 25, 96, 43, 78},
    {8, 125, 26, 95, 44, 77},
    {9, 109, 27, 94, 45, 76},
    {33, 92, 28, 93, 46, kNoCell},
    {54, 71, 29, 92, 47, 75},
    {74, 50, 30, 71, 48, 62},
    {94, 30, 31, 50, 49, 74},
    {93, 31, 52, 30, 50, 73},
    {92, 32, 72, 31, 51, 72},
    {71, 33, 71, 52, 52, 71},
    {50, 54, 50, 72, 53, kNoCell},
    {30, 74, kNoCell, kNoCell, kNoCell, kNoCell},
    {31, 94, kNoCell, kNoCell, kNoCell, kNoCell},
}};

// Effect 14, its second stage.
inline constexpr std::array<PairRow, kPairRowCount> kPairRows = {{
    {30, 94},
    {31, 93},
    {32, 92},
    {33, 71},
    {54, 50},
    {74, 30},
    {94, 31},
    {93, 32},
    {92, 33},
    {71, 54},
    {50, 74},
    {51, 73},
    {52, 72},
    {53, 51},
    {73, 52},
    {72, 53},
}};

// P: entries 89..191 are 0.
inline constexpr std::array<uint8_t, kPulseCurveSize> kPulseCurve = {
    0, 4, 8, 14, 22, 33, 45, 61, 77, 84, 100, 110, 120, 130, 140, 150, 158, 166, 175, 182, 191, 204,
    220, 234, 255, 248, 241, 234, 227, 220, 213, 206, 200, 194, 188, 182, 176, 170, 164, 158, 152,
    146, 140, 134, 129, 124, 119, 114, 109, 104, 99, 94, 89, 85, 81, 77, 73, 69, 65, 61, 57, 53, 49,
    45, 42, 39, 36, 33, 30, 27, 24, 22, 20, 18, 16, 14, 12, 10, 9, 8, 7, 6, 5, 4, 3, 2, 2, 1, 0,
};
// clang-format on

// T: the period of the custom and light-list steps by speed level, in passes or in units of
// 200 ms as each use says.
inline constexpr std::array<uint8_t, lighting::kSpeedLevels> kStepPeriod = {28, 23, 18, 13, 7};
// Ticks between two steps by speed level, for every effect but 16, 18, 29 and 30.
inline constexpr std::array<uint8_t, lighting::kSpeedLevels> kSpeedThresholds = {10, 8, 5, 3, 1};

namespace detail {

// V: the middle of the breathing curve, rising from 22 to 255 and falling back.
constexpr std::array<uint8_t, kWaveCurveSize> BuildWaveCurve() {
    std::array<uint8_t, kWaveCurveSize> v{};
    for (size_t k = 0; k < kWaveCurveSize / 2; ++k) {
        v[k] = lighting::kBreathingCurve[16 + k];
        v[kWaveCurveSize - 1 - k] = v[k];
    }
    return v;
}

constexpr std::array<bool, kLightCount + 1> BuildKeyOrderMembers() {
    std::array<bool, kLightCount + 1> in{};
    for (const uint8_t x : kKeyOrder) in[x] = x != kNoLight;
    return in;
}

}  // namespace detail

inline constexpr std::array<uint8_t, kWaveCurveSize> kWaveCurve = detail::BuildWaveCurve();
// Indexed by light (kNoLight included, as false).
inline constexpr std::array<bool, kLightCount + 1> kInKeyOrder = detail::BuildKeyOrderMembers();

// The ticks between two steps of `effect` at speed level `speed` (levels above 4 count as 4).
// 0 means every pass of the thread.
[[nodiscard]] constexpr int SpeedThreshold(int effect, uint8_t speed) {
    const size_t s = speed < lighting::kSpeedLevels ? speed : lighting::kSpeedLevels - 1;
    switch (effect) {
        case 16:
        case 18:
            return 3;
        case 29:
            return 2;
        case 30:
            return s == 0 ? 1 : 0;
        default:
            return kSpeedThresholds[s];
    }
}

// T of a speed level (levels above 4 count as 4).
[[nodiscard]] constexpr uint8_t StepPeriod(uint8_t speed) {
    return kStepPeriod[speed < lighting::kSpeedLevels ? speed : lighting::kSpeedLevels - 1];
}

}  // namespace dz::keyboard_lighting
