#include "models/headset_leds.h"

#include <algorithm>

namespace dz {
namespace {

constexpr uint8_t kReportNumber = 0xFF;
constexpr size_t kFirstHalf = 7;  // LEDs 0..6; 7..12 follow

struct ReportPlace {
    uint8_t target;
    uint8_t block;
    int colour;  // 0 red, 1 green, 2 blue
    bool second_half;
};

constexpr std::array<ReportPlace, kHeadsetLedReports> kOrder{{
    {0x22, 0xAA, 0, false},
    {0x22, 0xAD, 0, true},
    {0x44, 0xAA, 0, false},
    {0x44, 0xAD, 0, true},
    {0x22, 0xAB, 1, false},
    {0x22, 0xAE, 1, true},
    {0x44, 0xAB, 1, false},
    {0x44, 0xAE, 1, true},
    {0x22, 0xAC, 2, false},
    {0x22, 0xAF, 2, true},
    {0x44, 0xAC, 2, false},
    {0x44, 0xAF, 2, true},
}};

uint8_t Scaled(uint8_t value, uint8_t alpha) {
    return static_cast<uint8_t>(std::min<int>(value * alpha / 256, kHeadsetLedLimit));
}

}  // namespace

HeadsetLedReports BuildHeadsetLedReports(const lighting::LedArray& leds) {
    std::array<std::array<uint8_t, kHeadsetLeds>, 3> colours{};
    for (size_t i = 0; i < static_cast<size_t>(kHeadsetLeds); ++i) {
        const lighting::LedRecord r = leds.Get(i);
        colours[0][i] = Scaled(r.red, r.alpha);
        colours[1][i] = Scaled(r.green, r.alpha);
        colours[2][i] = Scaled(r.blue, r.alpha);
    }
    HeadsetLedReports reports{};
    for (size_t n = 0; n < kOrder.size(); ++n) {
        const ReportPlace& place = kOrder[n];
        HeadsetLedReport& report = reports[n];
        report[0] = kReportNumber;
        report[1] = place.target;
        report[2] = place.block;
        const size_t from = place.second_half ? kFirstHalf : 0;
        const size_t to = place.second_half ? static_cast<size_t>(kHeadsetLeds) : kFirstHalf;
        for (size_t i = from; i < to; ++i)
            report[4 + i - from] = colours[static_cast<size_t>(place.colour)][i];
    }
    return reports;
}

int SendHeadsetLedReports(CommandChannel& channel, const HeadsetLedReports& reports) {
    if (!channel.IsOpen()) return 0;
    HidInterface& hid = channel.CableInterface();
    for (const HeadsetLedReport& report : reports)
        if (hid.SetOutputReport(report.data(), report.size()) != 1) return 0;
    return 1;
}

}  // namespace dz
