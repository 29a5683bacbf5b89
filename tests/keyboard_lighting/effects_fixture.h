#pragma once
// A keyboard effect engine over its own LED array, inputs and generator, and the settings
// the tests start it with.

#include <gtest/gtest.h>

#include <string>

#include "models/keyboard_lighting/keyboard_effects.h"

namespace dz::keyboard_lighting {

inline std::string Text(const lighting::LedRecord& r) {
    return "(" + std::to_string(r.red) + ", " + std::to_string(r.green) + ", " +
           std::to_string(r.blue) + ", a " + std::to_string(r.alpha) + ")";
}

inline lighting::LedRecord WheelAt(size_t index, uint8_t alpha) {
    const lighting::Rgb c = lighting::kColourWheel[index];
    return {c.red, c.green, c.blue, alpha};
}

class EffectsTest : public ::testing::Test {
  protected:
    static constexpr uint64_t kSeed = 7;

    lighting::LedArray leds{kLightCount};
    EffectInputs inputs;
    EffectRandom random{kSeed};
    KeyboardEffects fx{leds, inputs, random};

    // Settings of `effect` at full brightness, forward, as ApplyLighting would start it.
    KeyboardLightingSettings Start(int effect, bool multicolour = true, uint8_t direction = 1,
                                   lighting::Rgb colour = {10, 20, 30}) {
        KeyboardLightingSettings s;
        s.effect = static_cast<uint8_t>(effect);
        s.base.brightness = 5;
        s.base.speed = 2;
        s.base.direction = direction;
        s.base.multicolour = multicolour ? 1 : 0;
        s.base.colour = colour;
        Start(s);
        return s;
    }
    void Start(const KeyboardLightingSettings& s) {
        fx.SetSettings(s);
        fx.RestartEffect();
        fx.StartAction(s.effect);
        fx.FinishApply();
    }
    void Steps(int n, uint64_t now_ms = 1'000'000) {
        for (int i = 0; i < n; ++i) fx.Step(now_ms);
    }
    uint8_t Level(size_t light) const { return fx.State().level[light]; }
    uint8_t L() const { return fx.State().counters.level; }
};

// Compares a light with the expected record, naming it.
#define EXPECT_LIGHT(light, expected)                                                    \
    EXPECT_EQ(leds.Get(light), (expected))                                               \
        << "light " << (light) << ": " << ::dz::keyboard_lighting::Text(leds.Get(light)) \
        << " expected " << ::dz::keyboard_lighting::Text(expected)

}  // namespace dz::keyboard_lighting
