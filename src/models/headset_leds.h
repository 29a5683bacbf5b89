#pragma once
// The headset's LED output reports: the host paints the headset's 13 LEDs with twelve
// 17-byte reports (report number 0xFF), one per target (0x22, 0x44), colour and half of the
// LEDs. Qt-free.

#include <array>
#include <cstddef>
#include <cstdint>

#include "device/command_channel.h"
#include "device/lighting/led_array.h"

namespace dz {

inline constexpr size_t kHeadsetLedReportSize = 17;
inline constexpr size_t kHeadsetLedReports = 12;
inline constexpr int kHeadsetLeds = 13;
// The highest value a colour takes in a report.
inline constexpr uint8_t kHeadsetLedLimit = 247;

using HeadsetLedReport = std::array<uint8_t, kHeadsetLedReportSize>;
using HeadsetLedReports = std::array<HeadsetLedReport, kHeadsetLedReports>;

// The twelve reports of the LED array's colours, in the order they are sent: for red, then
// green, then blue: (0x22, LEDs 0..6), (0x22, LEDs 7..12), (0x44, 0..6), (0x44, 7..12). A
// colour is its byte × alpha / 256, limited to 247.
[[nodiscard]] HeadsetLedReports BuildHeadsetLedReports(const lighting::LedArray& leds);

// Sends them on the channel's cable interface as output reports; stops at the first that
// is not taken. 1 when all went, 0 otherwise (the headset is gone or busy).
int SendHeadsetLedReports(CommandChannel& channel, const HeadsetLedReports& reports);

}  // namespace dz
