// The mouse's lighting program step by step, on a clock of the test's own: the wave over the
// seven LED groups, the ripple with its marquee, the reactive fade with its presses, the
// user light effects, and how long the thread may sleep after each step.
#include "models/mouse_lighting.h"

#include <gtest/gtest.h>

#include <atomic>

namespace dz {
namespace {

using lighting::kColourWheel;
using lighting::LedRecord;
using lighting::Rgb;

std::atomic<uint64_t> g_now{100000};
uint64_t TestClock() {
    return g_now.load();
}

uint32_t Word0(uint8_t mode, uint8_t brightness, uint8_t speed, uint8_t direction) {
    return mode | brightness << 8 | speed << 16 | static_cast<uint32_t>(direction) << 24;
}
uint32_t Word1(uint8_t multicolour, Rgb c) {
    return multicolour | c.red << 8 | c.green << 16 | static_cast<uint32_t>(c.blue) << 24;
}

class MouseLightingTest : public ::testing::Test {
  protected:
    void SetUp() override {
        channel_.SetOpen(true);
        MousePlaybackShared().Reset();
    }
    void Set(uint8_t mode, uint8_t multicolour, uint8_t direction = 1, uint8_t speed = 2,
             uint8_t brightness = 5, Rgb colour = {200, 100, 50}) {
        program_.SetLightWords(Word0(mode, brightness, speed, direction),
                               Word1(multicolour, colour));
    }
    Rgb ColourOf(int led) const {
        const LedRecord r = leds_.Get(static_cast<size_t>(led));
        return {r.red, r.green, r.blue};
    }
    uint8_t AlphaOf(int led) const { return leds_.Get(static_cast<size_t>(led)).alpha; }

    lighting::LedArray leds_{kMouseLeds};
    CommandChannel channel_;
    MouseLightingProgram program_{leds_, channel_, &TestClock};
};

TEST_F(MouseLightingTest, TheWaveRunsOverTheSevenGroups) {
    Set(kMouseWave, 1);
    ASSERT_TRUE(program_.Step());
    // p = 1 after the first forward step: group g shows wheel[(2 + 7 g) mod 192].
    for (int g = 0; g < kMouseLedGroups; ++g) {
        for (int led : MouseLedGroups()[static_cast<size_t>(g)]) {
            if (led < 0) continue;
            EXPECT_EQ(ColourOf(led), kColourWheel[(2 + 7 * g) % 192])
                << "group " << g << " led " << led;
            EXPECT_EQ(AlphaOf(led), 255);
        }
    }
    // Without multicolour the fixed colour rides the wave curve.
    Set(kMouseWave, 0, /*direction=*/0, 2, 5, {10, 20, 30});
    ASSERT_TRUE(program_.Step());  // backward from 1: p = 0
    EXPECT_EQ(ColourOf(6), (Rgb{10, 20, 30}));
    EXPECT_EQ(AlphaOf(0), 255 * lighting::kWaveCurve[1] / 256);
    EXPECT_EQ(AlphaOf(14), 255 * lighting::kWaveCurve[1 + 42] / 256) << "group 6";
}

TEST_F(MouseLightingTest, TheRippleTravelsFromGroupToGroup) {
    Set(kMouseRipple, 0);
    program_.RequestModeRestart();  // the mode was chosen: the marquee starts at place 0
    ASSERT_TRUE(program_.Step());
    EXPECT_EQ(AlphaOf(0), 255 * 215 / 256) << "group 0 lit, then faded once";
    EXPECT_EQ(AlphaOf(1), 0);
    ASSERT_TRUE(program_.Step());
    EXPECT_EQ(AlphaOf(0), 255 * 175 / 256);
    EXPECT_EQ(AlphaOf(12), 255 * 215 / 256) << "group 1 now";
    EXPECT_EQ(ColourOf(12), (Rgb{200, 100, 50}));
    for (int i = 0; i < 22; ++i) ASSERT_TRUE(program_.Step());
    EXPECT_EQ(AlphaOf(0), 255 * 215 / 256) << "23 places later the marquee comes round again";
}

TEST_F(MouseLightingTest, APressRestartsTheReactiveFadeFromFull) {
    Set(kMouseReactive, 0);
    EXPECT_FALSE(program_.Step()) << "no press yet: nothing moves";
    EXPECT_EQ(AlphaOf(3), 0);
    program_.Press();
    ASSERT_TRUE(program_.Step());
    for (int led = 0; led < kMouseLeds; ++led) ASSERT_EQ(AlphaOf(led), 255 * 255 / 256) << led;
    ASSERT_TRUE(program_.Step());
    EXPECT_EQ(AlphaOf(9), 255 * 240 / 256);
    for (int i = 0; i < 16; ++i) (void)program_.Step();  // 240 down to 0 by 15
    EXPECT_EQ(AlphaOf(9), 0);
    EXPECT_FALSE(program_.Step()) << "faded out: the thread sleeps until the next press";

    Set(kMouseReactive, 1);
    program_.Press();
    ASSERT_TRUE(program_.Step());
    bool wheel = false;
    for (size_t k = 0; k < 192; ++k) wheel = wheel || kColourWheel[k] == ColourOf(4);
    EXPECT_TRUE(wheel) << "with multicolour a wheel colour drawn at the press";

    // A press in another mode does not light the fade later.
    Set(kMouseStatic, 0);
    program_.Press();
    (void)program_.Step();
    Set(kMouseReactive, 0);
    for (int i = 0; i < 20; ++i) (void)program_.Step();
    EXPECT_FALSE(program_.Step());
}

TEST_F(MouseLightingTest, TheStepsComeAsOftenAsTheSpeedSays) {
    Set(kMouseWheel, 1, 1, /*speed=*/0);
    ASSERT_TRUE(program_.Step());
    EXPECT_EQ(program_.NextStepIn(std::chrono::milliseconds(2)), std::chrono::milliseconds(56));
    Set(kMouseWheel, 1, 1, /*speed=*/4);
    ASSERT_TRUE(program_.Step());
    EXPECT_EQ(program_.NextStepIn(std::chrono::milliseconds(2)), std::chrono::milliseconds(14));
    Set(kMouseWheel, 1, 1, /*speed=*/9);
    ASSERT_TRUE(program_.Step());
    EXPECT_EQ(program_.NextStepIn(std::chrono::milliseconds(2)), std::chrono::milliseconds(14));
    Set(kMouseStatic, 0);
    EXPECT_FALSE(program_.Step()) << "a still picture waits for the next change";
    EXPECT_EQ(ColourOf(5), (Rgb{200, 100, 50}));
    Set(kMouseOff, 0);
    EXPECT_FALSE(program_.Step());
    EXPECT_EQ(leds_.Get(5), LedRecord{});
}

TEST_F(MouseLightingTest, UserLightEffectsPlayTheirSteps) {
    Set(kMouseFirstUserEffect, 0, 1, 4);
    EXPECT_FALSE(program_.Step()) << "an effect without steps: every LED off";
    EXPECT_EQ(leds_.Get(2), LedRecord{});
    lighting::PlaybackStep s;
    s.mode = lighting::kPlaybackStatic;
    s.brightness = 3;
    s.colour = {1, 2, 3};
    s.time_ms = 1000;
    program_.SetUserEffect({s});
    ASSERT_TRUE(program_.Step());
    EXPECT_EQ(leds_.Get(14), (LedRecord{1, 2, 3, 150}));
    EXPECT_LE(program_.NextStepIn(std::chrono::milliseconds(2)), std::chrono::milliseconds(1000));
}

TEST_F(MouseLightingTest, WithoutTheMouseNothingMoves) {
    Set(kMouseWave, 1);
    channel_.SetOpen(false);
    EXPECT_FALSE(program_.Step());
    EXPECT_EQ(leds_.Get(0), LedRecord{});
}

}  // namespace
}  // namespace dz
