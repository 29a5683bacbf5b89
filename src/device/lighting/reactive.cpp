#include "device/lighting/reactive.h"

#include <algorithm>

namespace dz::lighting {
namespace {

int DecayAmount(uint8_t v, int variant) {
    if (variant == kAudioDecayVariant) {
        if (v & 0x90) return 45;  // bit 7 or bit 4
        if (v & 0x60) return 35;  // bit 5 or bit 6
        return 1;
    }
    if (v >= 128) return 40;
    if (v >= 64) return 30;
    if (v >= 32) return variant == 0 ? 15 : 10;
    if (v >= 17) return 8;
    return 1;
}

}  // namespace

uint8_t DecayedIntensity(uint8_t value, int variant) {
    if (value == 0) return 0;
    // The bit-driven steps can be larger than a small intensity (16 - 45); stop at
    // dark instead of wrapping round to bright.
    return static_cast<uint8_t>(std::max(0, value - DecayAmount(value, variant)));
}

void ReactiveDecay(ReactiveBuffers& r, size_t led, int variant) {
    if (led >= r.intensity.size()) return;
    r.intensity[led] = DecayedIntensity(r.intensity[led], variant);
}

void ReactiveTrigger(ReactiveBuffers& r) {
    for (size_t i = 0; i < kMarqueeTriggers; ++i)
        if (r.marquee[i] != 0) r.intensity[i] = 255;
}

void ReactiveRotate(ReactiveBuffers& r, bool forward) {
    if (forward)
        std::rotate(r.marquee.rbegin(), r.marquee.rbegin() + 1, r.marquee.rend());
    else
        std::rotate(r.marquee.begin(), r.marquee.begin() + 1, r.marquee.end());
}

void ReactiveClear(ReactiveBuffers& r) {
    r.intensity.fill(0);
    r.marquee.fill(0);
}

}  // namespace dz::lighting
