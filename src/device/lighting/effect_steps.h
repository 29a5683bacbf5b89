#pragma once
// The base effect steps: each advances one effect by one step and paints every light
// of the array with the same colour and alpha. They allocate nothing and touch only
// the counters they are given and the LED array.

#include <cstdint>

#include "device/lighting/led_array.h"
#include "device/lighting/lighting_tables.h"

namespace dz::lighting {

// The lighting settings a step reads (taken from the device's light-info record).
struct EffectSettings {
    uint8_t brightness = 0;  // level 0..5
    uint8_t speed = 0;       // level 0..4
    uint8_t direction = 0;   // 0 backward, anything else forward
    uint8_t multicolour = 0;
    Rgb colour{};  // the fixed colour
};

// The settings held in the first two words of a light-info record: word 0 is mode,
// brightness, speed, direction (low byte first), word 1 multicolour, red, green, blue.
[[nodiscard]] inline EffectSettings SettingsOfLightWords(uint32_t w0, uint32_t w1) {
    EffectSettings s;
    s.brightness = static_cast<uint8_t>(w0 >> 8);
    s.speed = static_cast<uint8_t>(w0 >> 16);
    s.direction = static_cast<uint8_t>(w0 >> 24);
    s.multicolour = static_cast<uint8_t>(w1);
    s.colour = {static_cast<uint8_t>(w1 >> 8), static_cast<uint8_t>(w1 >> 16),
                static_cast<uint8_t>(w1 >> 24)};
    return s;
}

// The counters the steps share; only the lighting thread touches them.
struct EffectCounters {
    uint8_t level = 0;         // L
    uint8_t colour_index = 0;  // K
    bool on = false;           // T
    uint64_t last_toggle_ms = 0;
};

void EffectBreathWheel(const EffectSettings& s, EffectCounters& c, LedArray& leds);
void EffectBreathFour(const EffectSettings& s, EffectCounters& c, LedArray& leds);
void EffectStatic(const EffectSettings& s, LedArray& leds);
void EffectWheel(const EffectSettings& s, EffectCounters& c, LedArray& leds);
// `now_ms`: a monotonic millisecond clock.
void EffectBlinkWheel(const EffectSettings& s, EffectCounters& c, LedArray& leds, uint64_t now_ms);
void EffectBlinkFour(const EffectSettings& s, EffectCounters& c, LedArray& leds, uint64_t now_ms);
void EffectOff(LedArray& leds);

}  // namespace dz::lighting
