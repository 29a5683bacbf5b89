#pragma once
// The response of the ten-band equaliser: one peaking filter per octave band (31 Hz to
// 16 kHz, a bandwidth of one octave), the decibels of all ten summed. The sound panel draws
// it over the bands as the sliders move. Qt-free.

#include <array>

namespace dz::panels {

inline constexpr std::array<double, 10> kEqBandHz = {31.25, 62.5, 125, 250, 500,
                                                     1000,  2000, 4000, 8000, 16000};

// The gain in dB at `hz` of the bands' gains (dB), at a sample rate of 48 kHz.
[[nodiscard]] double EqResponseDb(const std::array<int, 10>& gains, double hz);

}  // namespace dz::panels
