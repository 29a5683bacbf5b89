#include "device/lighting/effect_steps.h"

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

namespace dz::lighting {
namespace {

constexpr size_t kLights = 170;

// The light that every step paints identically; checks that all of them agree.
LedRecord Uniform(const LedArray& leds) {
    const LedRecord first = leds.Get(0);
    for (size_t i = 1; i < leds.Size(); ++i) {
        EXPECT_EQ(leds.Get(i), first) << "light " << i << " differs from light 0";
    }
    return first;
}

struct Frame {
    uint8_t level;
    uint8_t colour_index;
    LedRecord led;
};

class EffectTest : public ::testing::Test {
  protected:
    EffectSettings settings;
    EffectCounters counters;
    LedArray leds{kLights};

    // Runs `step` once per expected frame and compares the counters and the lights.
    void ExpectFrames(const std::function<void()>& step, const std::vector<Frame>& frames) {
        for (size_t n = 0; n < frames.size(); ++n) {
            step();
            const Frame& f = frames[n];
            const LedRecord got = Uniform(leds);
            EXPECT_EQ(counters.level, f.level) << "step " << n;
            EXPECT_EQ(counters.colour_index, f.colour_index) << "step " << n;
            EXPECT_EQ(got, f.led) << "step " << n << ": " << int{got.red} << "," << int{got.green}
                                  << "," << int{got.blue} << " a " << int{got.alpha};
        }
    }
};

TEST_F(EffectTest, BreathWheelFixedColourFollowsTheCurveOverItsTop) {
    settings = {
        .brightness = 5, .speed = 0, .direction = 1, .multicolour = 0, .colour = {10, 20, 30}};
    counters.level = 61;
    // alpha = curve * 255 / 256: 248 -> 247, 255 -> 254, 241 -> 240.
    ExpectFrames([&] { EffectBreathWheel(settings, counters, leds); },
                 {{62, 0, {10, 20, 30, 247}},
                  {63, 0, {10, 20, 30, 254}},
                  {64, 0, {10, 20, 30, 254}},
                  {65, 0, {10, 20, 30, 247}},
                  {66, 0, {10, 20, 30, 240}}});
}

TEST_F(EffectTest, BreathWheelForwardWrapAdvancesTheColourAndReturnsAfter192) {
    settings = {.brightness = 4, .speed = 0, .direction = 1, .multicolour = 1, .colour = {}};
    counters.level = 126;
    counters.colour_index = 176;
    ExpectFrames([&] { EffectBreathWheel(settings, counters, leds); },
                 {{127, 176, {255, 0, 69, 0}},
                  {0, 192, {255, 1, 0, 0}},    // 192 does not exceed 192: kept
                  {1, 192, {255, 1, 0, 0}},    // curve 1 * 205 / 256 = 0
                  {2, 192, {255, 1, 0, 1}}});  // curve 2 * 205 / 256 = 1
    counters.level = 127;
    ExpectFrames([&] { EffectBreathWheel(settings, counters, leds); },
                 {{0, 0, {255, 1, 0, 0}}, {1, 0, {255, 1, 0, 0}}});
    counters.level = 39;
    counters.colour_index = 16;  // wheel 16: (255, 81, 0); curve 40 = 114 -> 114 * 205 / 256
    ExpectFrames([&] { EffectBreathWheel(settings, counters, leds); },
                 {{40, 16, {255, 81, 0, 91}}});
}

TEST_F(EffectTest, BreathWheelBackwardContinuesAt127AndAdvancesOnReachingZero) {
    settings = {.brightness = 5, .speed = 0, .direction = 0, .multicolour = 1, .colour = {}};
    counters.level = 2;
    counters.colour_index = 32;
    ExpectFrames([&] { EffectBreathWheel(settings, counters, leds); },
                 {{1, 32, {248, 255, 0, 0}},
                  {0, 48, {69, 255, 0, 0}},
                  {127, 48, {69, 255, 0, 0}},
                  {126, 48, {69, 255, 0, 0}},
                  {125, 48, {69, 255, 0, 1}}});  // curve 125 = 2 -> 2 * 255 / 256 = 1
}

TEST_F(EffectTest, BreathFourCyclesTheFourColours) {
    settings = {.brightness = 5, .speed = 0, .direction = 1, .multicolour = 0, .colour = {}};
    counters.level = 126;
    counters.colour_index = 2;
    ExpectFrames([&] { EffectBreathFour(settings, counters, leds); },
                 {{127, 2, {255, 255, 255, 0}}, {0, 3, {255, 0, 0, 0}}, {1, 3, {255, 0, 0, 0}}});
    counters.level = 127;
    ExpectFrames([&] { EffectBreathFour(settings, counters, leds); }, {{0, 0, {0, 255, 180, 0}}});
    counters.level = 62;
    ExpectFrames([&] { EffectBreathFour(settings, counters, leds); },
                 {{63, 0, {0, 255, 180, 254}}});
}

TEST_F(EffectTest, BreathFourStartsOverWhenAnotherEffectLeftALargeIndex) {
    settings = {.brightness = 5, .speed = 0, .direction = 1, .multicolour = 0, .colour = {}};
    counters.level = 62;
    counters.colour_index = 176;  // as the breathing wheel leaves it
    ExpectFrames([&] { EffectBreathFour(settings, counters, leds); },
                 {{63, 0, {0, 255, 180, 254}}});
}

TEST_F(EffectTest, StaticPaintsTheFixedColourAtTheBrightness) {
    settings = {.brightness = 2, .speed = 3, .direction = 1, .multicolour = 1, .colour = {1, 2, 3}};
    counters.level = 77;
    counters.colour_index = 9;
    ExpectFrames([&] { EffectStatic(settings, leds); }, {{77, 9, {1, 2, 3, 110}}});
}

TEST_F(EffectTest, WheelRunsThrough192ColoursBothWays) {
    settings = {.brightness = 3, .speed = 0, .direction = 1, .multicolour = 0, .colour = {}};
    counters.level = 190;
    ExpectFrames([&] { EffectWheel(settings, counters, leds); },
                 {{191, 0, {255, 0, 0, 150}}, {0, 0, {255, 1, 0, 150}}, {1, 0, {255, 3, 0, 150}}});
    settings.direction = 0;
    ExpectFrames(
        [&] { EffectWheel(settings, counters, leds); },
        {{0, 0, {255, 1, 0, 150}}, {191, 0, {255, 0, 0, 150}}, {190, 0, {255, 0, 2, 150}}});
}

TEST_F(EffectTest, BlinkWheelTogglesEachHalfPeriodAndAdvancesTheColour) {
    settings = {.brightness = 5, .speed = 4, .direction = 1, .multicolour = 1, .colour = {}};
    counters.level = 176;
    const LedRecord dark{};
    uint64_t now = 0;
    auto step = [&] { EffectBlinkWheel(settings, counters, leds, now); };
    struct At {
        uint64_t ms;
        bool on;
        Frame frame;
    } script[] = {
        {1000, false, {176, 0, dark}},
        {1400, true, {0, 0, {255, 1, 0, 255}}},  // 176 + 16 reaches 192: back to 0
        {2799, true, {0, 0, {255, 1, 0, 255}}},
        {2800, false, {16, 0, dark}},
        {4199, false, {16, 0, dark}},
        {4200, true, {32, 0, {248, 255, 0, 255}}},
    };
    for (const auto& at : script) {
        now = at.ms;
        ExpectFrames(step, {at.frame});
        EXPECT_EQ(counters.on, at.on) << at.ms;
    }
    EXPECT_EQ(counters.last_toggle_ms, 4200u);
}

TEST_F(EffectTest, BlinkHalfPeriodPerSpeed) {
    const uint64_t period[] = {5600, 4600, 3600, 2600, 1400};
    for (uint8_t s = 0; s < 5; ++s) {
        settings = {
            .brightness = 5, .speed = s, .direction = 1, .multicolour = 0, .colour = {7, 7, 7}};
        counters = {.level = 0, .colour_index = 0, .on = false, .last_toggle_ms = 10000};
        EffectBlinkWheel(settings, counters, leds, 10000 + period[s] - 1);
        EXPECT_FALSE(counters.on) << "speed " << int{s};
        EXPECT_EQ(leds.Get(0), LedRecord{}) << "speed " << int{s};
        EffectBlinkWheel(settings, counters, leds, 10000 + period[s]);
        EXPECT_TRUE(counters.on) << "speed " << int{s};
        EXPECT_EQ(leds.Get(0), (LedRecord{7, 7, 7, 255})) << "speed " << int{s};
    }
}

TEST_F(EffectTest, BlinkFourTogglesThroughTheFourColours) {
    settings = {.brightness = 1, .speed = 4, .direction = 1, .multicolour = 1, .colour = {}};
    counters.level = 3;
    const uint64_t times[] = {1400, 2800, 4200, 5600};
    const Frame frames[] = {
        {0, 0, {0, 255, 180, 55}}, {1, 0, {}}, {2, 0, {255, 255, 255, 55}}, {3, 0, {}}};
    for (size_t i = 0; i < 4; ++i) {
        ExpectFrames([&] { EffectBlinkFour(settings, counters, leds, times[i]); }, {frames[i]});
    }
    counters.level = 100;  // left by another effect
    counters.on = false;
    ExpectFrames([&] { EffectBlinkFour(settings, counters, leds, 7000); },
                 {{1, 0, {0, 255, 0, 55}}});
}

TEST_F(EffectTest, OffDarkensEveryLight) {
    leds.Fill({1, 2, 3, 4});
    EffectOff(leds);
    for (size_t i = 0; i < kLights; ++i) EXPECT_EQ(leds.GetPacked(i), 0u) << i;
}

TEST_F(EffectTest, BrightnessZeroLightsNothingInAnyEffect) {
    settings = {.brightness = 0, .speed = 4, .direction = 1, .multicolour = 1, .colour = {9, 9, 9}};
    const std::pair<const char*, std::function<void(uint64_t)>> effects[] = {
        {"breath wheel", [&](uint64_t) { EffectBreathWheel(settings, counters, leds); }},
        {"breath four", [&](uint64_t) { EffectBreathFour(settings, counters, leds); }},
        {"static", [&](uint64_t) { EffectStatic(settings, leds); }},
        {"wheel", [&](uint64_t) { EffectWheel(settings, counters, leds); }},
        {"blink wheel", [&](uint64_t t) { EffectBlinkWheel(settings, counters, leds, t); }},
        {"blink four", [&](uint64_t t) { EffectBlinkFour(settings, counters, leds, t); }},
    };
    for (const auto& [name, step] : effects) {
        counters = {.level = 60, .colour_index = 0, .on = false, .last_toggle_ms = 0};
        for (uint64_t n = 0; n < 8; ++n) {
            step(n * 1400);
            for (size_t i = 0; i < kLights; ++i)
                ASSERT_EQ(leds.Get(i).alpha, 0) << name << " step " << n << " light " << i;
        }
    }
}

TEST_F(EffectTest, OutOfRangeLevelsFromAProfileAreClamped) {
    settings = {
        .brightness = 9, .speed = 200, .direction = 1, .multicolour = 0, .colour = {4, 5, 6}};
    EffectStatic(settings, leds);
    EXPECT_EQ(leds.Get(0), (LedRecord{4, 5, 6, 255}));
    EffectBlinkWheel(settings, counters, leds, 1400);  // speed taken as 4
    EXPECT_TRUE(counters.on);
}

TEST_F(EffectTest, PaintsOnlyTheLightsOfTheArray) {
    LedArray small(15);
    settings = {.brightness = 5, .speed = 0, .direction = 1, .multicolour = 0, .colour = {1, 1, 1}};
    EffectStatic(settings, small);
    EXPECT_EQ(small.Get(14), (LedRecord{1, 1, 1, 255}));
    EXPECT_EQ(small.GetPacked(15), 0u);
}

// The UI thread reads the array while the lighting thread steps: each light it sees
// is a whole record of some step, never a mix of two.
TEST_F(EffectTest, AReaderOnAnotherThreadSeesWholeRecords) {
    settings = {.brightness = 5, .speed = 0, .direction = 1, .multicolour = 0, .colour = {}};
    std::atomic<bool> done{false};
    std::thread lighting([&] {
        for (int n = 0; n < 2000; ++n) EffectWheel(settings, counters, leds);
        done = true;
    });
    size_t torn = 0;
    while (!done) {
        for (size_t i = 0; i < kLights; ++i) {
            const LedRecord r = leds.Get(i);
            if (r == LedRecord{}) continue;  // before the first step
            bool whole = r.alpha == 255;
            bool found = false;
            for (size_t k = 0; k < 192 && whole && !found; ++k) {
                const Rgb& w = kColourWheel[k];
                found = w.red == r.red && w.green == r.green && w.blue == r.blue;
            }
            if (!whole || !found) ++torn;
        }
    }
    lighting.join();
    EXPECT_EQ(torn, 0u);
}

}  // namespace
}  // namespace dz::lighting
