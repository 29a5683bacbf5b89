#include "device/lighting/lighting_tables.h"

#include <algorithm>

namespace dz::lighting {

uint8_t BrightnessAlpha(uint8_t level) {
    return kBrightnessTable[std::min<size_t>(level, kBrightnessTable.size() - 1)];
}

uint32_t BlinkHalfPeriodMs(uint8_t speed) {
    return kBlinkHalfPeriod[std::min<size_t>(speed, kBlinkHalfPeriod.size() - 1)] * kBlinkUnitMs;
}

uint8_t CyclicStep(bool forward, int limit, uint8_t value, uint8_t amount) {
    if (forward) {
        const int next = value + amount;
        return static_cast<uint8_t>(next >= limit ? 0 : next);
    }
    const int next = value - amount;
    return static_cast<uint8_t>(next < 0 || next >= limit ? limit - amount : next);
}

}  // namespace dz::lighting
