#include "device/lighting/effect_steps.h"

namespace dz::lighting {
namespace {

constexpr int kWheelAdvance = 16;

bool Forward(const EffectSettings& s) {
    return s.direction != 0;
}

Rgb WheelOrFixed(const EffectSettings& s, uint8_t index) {
    return s.multicolour ? kColourWheel[index] : s.colour;
}

void Paint(LedArray& leds, Rgb colour, uint8_t alpha) {
    leds.Fill({colour.red, colour.green, colour.blue, alpha});
}

uint8_t BreathAlpha(const EffectSettings& s, uint8_t level) {
    return static_cast<uint8_t>(kBreathingCurve[level] * BrightnessAlpha(s.brightness) / 256);
}

// The counters are shared with the other effects, so one switched to may find a
// colour index beyond its table; it starts that table again instead of reading past it.
uint8_t FourColourIndex(uint8_t index) {
    return index < kFourColourCount ? index : 0;
}

// True when the blink half-period has passed and the toggle flipped.
bool BlinkToggle(const EffectSettings& s, EffectCounters& c, uint64_t now_ms) {
    if (now_ms < c.last_toggle_ms || now_ms - c.last_toggle_ms < BlinkHalfPeriodMs(s.speed))
        return false;
    c.on = !c.on;
    c.last_toggle_ms = now_ms;
    return true;
}

}  // namespace

void EffectBreathWheel(const EffectSettings& s, EffectCounters& c, LedArray& leds) {
    c.level = CyclicStep(Forward(s), kBreathingSteps, c.level, 1);
    if (c.level == 0) {
        const int next = c.colour_index + kWheelAdvance;
        c.colour_index = static_cast<uint8_t>(next > static_cast<int>(kWheelColours) ? 0 : next);
    }
    Paint(leds, WheelOrFixed(s, c.colour_index), BreathAlpha(s, c.level));
}

void EffectBreathFour(const EffectSettings& s, EffectCounters& c, LedArray& leds) {
    c.colour_index = FourColourIndex(c.colour_index);
    c.level = CyclicStep(Forward(s), kBreathingSteps, c.level, 1);
    if (c.level == 0) c.colour_index = FourColourIndex(static_cast<uint8_t>(c.colour_index + 1));
    Paint(leds, kFourColours[c.colour_index], BreathAlpha(s, c.level));
}

void EffectStatic(const EffectSettings& s, LedArray& leds) {
    Paint(leds, s.colour, BrightnessAlpha(s.brightness));
}

void EffectWheel(const EffectSettings& s, EffectCounters& c, LedArray& leds) {
    c.level = CyclicStep(Forward(s), kWheelColours, c.level, 1);
    Paint(leds, kColourWheel[c.level], BrightnessAlpha(s.brightness));
}

void EffectBlinkWheel(const EffectSettings& s, EffectCounters& c, LedArray& leds, uint64_t now_ms) {
    if (BlinkToggle(s, c, now_ms)) {
        const int next = c.level + kWheelAdvance;
        c.level = static_cast<uint8_t>(next >= static_cast<int>(kWheelColours) ? 0 : next);
    }
    if (c.on)
        Paint(leds, WheelOrFixed(s, c.level), BrightnessAlpha(s.brightness));
    else
        EffectOff(leds);
}

void EffectBlinkFour(const EffectSettings& s, EffectCounters& c, LedArray& leds, uint64_t now_ms) {
    c.level = FourColourIndex(c.level);
    if (BlinkToggle(s, c, now_ms)) c.level = FourColourIndex(static_cast<uint8_t>(c.level + 1));
    if (c.on)
        Paint(leds, kFourColours[c.level], BrightnessAlpha(s.brightness));
    else
        EffectOff(leds);
}

void EffectOff(LedArray& leds) {
    leds.Fill({});
}

}  // namespace dz::lighting
