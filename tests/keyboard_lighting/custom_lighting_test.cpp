// Custom effect playback and the light-list overrides, pass by pass at chosen milliseconds.

#include <gtest/gtest.h>

#include "effects_fixture.h"
#include "models/keyboard_lighting/custom_playback.h"
#include "models/keyboard_lighting/light_list_overrides.h"

namespace dz::keyboard_lighting {
namespace {

using lighting::LedRecord;

constexpr uint64_t kT0 = 50'000;

LedEffectStep MakeStep(uint8_t mode, uint8_t speed, int32_t time, uint8_t multicolour = 0,
                       lighting::Rgb colour = {0, 0, 255}) {
    LedEffectStep s;
    s.mode = mode;
    s.brightness = 5;
    s.speed = speed;
    s.multicolor = multicolour;
    s.red = colour.red;
    s.green = colour.green;
    s.blue = colour.blue;
    s.time = time;
    return s;
}

class PlaybackTest : public ::testing::Test {
  protected:
    lighting::LedArray leds{kLightCount};
    PlaybackShared shared;
    CustomPlayback playback{shared};
};

TEST_F(PlaybackTest, NoStepsShowsEveryLightOff) {
    leds.Fill({9, 9, 9, 9});
    EXPECT_TRUE(playback.Pass(kT0, 2, leds));
    EXPECT_EQ(leds.Get(0), LedRecord{});
    EXPECT_EQ(leds.Get(169), LedRecord{});
    EXPECT_FALSE(playback.NextChange(kT0, 2).has_value());
}

TEST_F(PlaybackTest, AStepWithTimeZeroEndsOnceTheClockMovesOn) {
    playback.Replace({MakeStep(1, 4, 0), MakeStep(1, 4, 0), MakeStep(1, 4, 1000)});
    (void)playback.Pass(kT0, 2, leds);  // t0 taken now: no time has passed
    EXPECT_EQ(playback.Index(), 0u);
    (void)playback.Pass(kT0, 2, leds);  // the same millisecond again
    EXPECT_EQ(playback.Index(), 0u);
    (void)playback.Pass(kT0 + 1, 2, leds);
    EXPECT_EQ(playback.Index(), 1u);
    (void)playback.Pass(kT0 + 2, 2, leds);
    EXPECT_EQ(playback.Index(), 2u);
    // 1000 ms: more than that must pass.
    (void)playback.Pass(kT0 + 1002, 2, leds);
    EXPECT_EQ(playback.Index(), 2u);
    (void)playback.Pass(kT0 + 1003, 2, leds);
    EXPECT_EQ(playback.Index(), 0u);  // after the last step, the first
    // A new list starts at its first step.
    playback.Replace({MakeStep(1, 4, 0), MakeStep(1, 4, 0)});
    EXPECT_EQ(playback.Index(), 0u);
}

TEST_F(PlaybackTest, MulticolourBreathingBreathesInW0) {
    playback.Replace({MakeStep(0, 4, 100000, 1)});
    // T[4] = 7 passes per breathing step.
    for (int n = 0; n < 6; ++n) (void)playback.Pass(kT0 + static_cast<uint64_t>(n), 2, leds);
    EXPECT_EQ(leds.Get(0), LedRecord{});
    EXPECT_TRUE(playback.Pass(kT0 + 6, 2, leds));
    EXPECT_EQ(shared.phase.load(), 1);
    EXPECT_EQ(leds.Get(0), (LedRecord{255, 1, 0, 0}));  // B128[1] * 255 / 256 = 0
    for (int n = 7; n < 7 * 64; ++n) (void)playback.Pass(kT0 + static_cast<uint64_t>(n), 2, leds);
    EXPECT_EQ(shared.phase.load(), 64);
    EXPECT_EQ(leds.Get(77), (LedRecord{255, 1, 0, 254}));  // B128[64] = 255
    // The next change is due when the pass counter reaches 7 again.
    EXPECT_EQ(playback.NextChange(kT0 + 7 * 64 - 1, 2), kT0 + 7 * 64 - 1 + 7);
}

TEST_F(PlaybackTest, WheelStepsTwelveAlongTheLightsAndColourCycleByEffectOnesRate) {
    playback.Replace({MakeStep(4, 4, 100000, 1)});
    for (int n = 0; n < 7; ++n) (void)playback.Pass(kT0 + static_cast<uint64_t>(n), 2, leds);
    // P = 1; forward start index P + 1 = 2, then 12 per light.
    EXPECT_EQ(leds.Get(0), WheelAt(2, 255));
    EXPECT_EQ(leds.Get(1), WheelAt(14, 255));
    EXPECT_EQ(leds.Get(16), WheelAt(2 + 12 * 16 - 192, 255));

    // Without multicolour the wave curve from a start beyond its length.
    PlaybackShared other;
    CustomPlayback plain{other};
    LedEffectStep backward = MakeStep(4, 4, 100000, 0, {10, 20, 30});
    backward.direction = 1;
    plain.Replace({backward});
    for (int n = 0; n < 7; ++n) (void)plain.Pass(kT0 + static_cast<uint64_t>(n), 2, leds);
    // P = 1: start 191; first light (191 + 12) mod 96 = 11, V[11] = B128[27] = 57.
    EXPECT_EQ(leds.Get(0), (LedRecord{10, 20, 30, 56}));

    PlaybackShared third;
    CustomPlayback cycle{third};
    cycle.Replace({MakeStep(5, 4, 100000)});  // effect 1's threshold at speed 4: every pass
    (void)cycle.Pass(kT0, 2, leds);
    (void)cycle.Pass(kT0 + 1, 2, leds);
    EXPECT_EQ(third.phase.load(), 2);
    EXPECT_EQ(leds.Get(5), WheelAt(2, 255));
}

TEST_F(PlaybackTest, BlinkTogglesAtTheKeyboardsOwnSpeed) {
    playback.Replace({MakeStep(2, 4, 1'000'000, 0, {1, 2, 3})});
    (void)playback.Pass(kT0, 0, leds);  // the first pass toggles on (nothing toggled yet)
    EXPECT_EQ(leds.Get(0), (LedRecord{1, 2, 3, 255}));
    (void)playback.Pass(kT0 + 5599, 0, leds);  // speed 0: T[0] * 200 = 5600 ms
    EXPECT_EQ(leds.Get(0), (LedRecord{1, 2, 3, 255}));
    EXPECT_EQ(playback.NextChange(kT0 + 5599, 0), kT0 + 5600);
    (void)playback.Pass(kT0 + 5600, 0, leds);
    EXPECT_EQ(leds.Get(0), LedRecord{});
}

// ---- Light-list overrides -----------------------------------------------------------------------

LightInfoRecord Entry(uint8_t mode, uint8_t valid = 1, lighting::Rgb colour = {7, 8, 9}) {
    LightInfoRecord r;
    r.mode = mode;
    r.brightness = 5;
    r.speed = 4;
    r.red = colour.red;
    r.green = colour.green;
    r.blue = colour.blue;
    r.valid = valid;
    return r;
}

class OverridesTest : public ::testing::Test {
  protected:
    lighting::LedArray leds{kLightCount};
    OverrideShared shared;
    LightListOverrides overrides{shared};
};

TEST_F(OverridesTest, EachModeDrawsItsLightAndAnInvalidEntryNone) {
    const LedRecord effect{50, 60, 70, 80};
    leds.Fill(effect);
    overrides.Replace(std::vector<LightInfoRecord>{
        Entry(0, 0, {}),  // 0: not in the list file: overrides nothing
        Entry(1),         // 1: static
        Entry(4),         // 2: off
        Entry(2),         // 3: blink
        Entry(3),         // 4: colour cycle
        Entry(0),         // 5: breathing
        Entry(9),         // 6: no such mode
    });
    EXPECT_TRUE(overrides.Any());
    overrides.Apply(kT0, leds, true);
    EXPECT_EQ(leds.Get(0), effect);
    EXPECT_EQ(leds.Get(1), (LedRecord{7, 8, 9, 255}));
    EXPECT_EQ(leds.Get(2), LedRecord{});
    EXPECT_EQ(leds.Get(3), (LedRecord{7, 8, 9, 255}));  // toggled on at the first pass
    EXPECT_EQ(leds.Get(4), WheelAt(0, 255));
    EXPECT_EQ(leds.Get(5), (LedRecord{7, 8, 9, 7}));  // level 0 + 4 + 4: B128[8] = 8
    EXPECT_EQ(leds.Get(6), effect);
    EXPECT_EQ(leds.Get(7), effect);

    // Only invalid entries: nothing to apply.
    overrides.Replace(std::vector<LightInfoRecord>{Entry(0, 0, {}), Entry(0, 0, {})});
    EXPECT_FALSE(overrides.Any());
}

TEST_F(OverridesTest, BreathingCyclesTheWheelOncePerBreath) {
    LightInfoRecord e = Entry(0);
    e.multicolor = 1;
    overrides.Replace(std::vector<LightInfoRecord>{e});
    // Speed 4: the level rises by 8 a pass, 16 passes a breath.
    for (int n = 0; n < 15; ++n) overrides.Apply(kT0 + static_cast<uint64_t>(n), leds, true);
    EXPECT_EQ(shared.entries[0].level, 120);
    EXPECT_EQ(leds.Get(0), WheelAt(0, 6));  // B128[120] = 7, on the way down
    overrides.Apply(kT0 + 15, leds, true);
    EXPECT_EQ(shared.entries[0].level, 0);
    EXPECT_EQ(leds.Get(0), WheelAt(1, 0));
    // Past the end of the wheel the colour starts again at 0.
    shared.entries[0].colour_index = 191;
    for (int n = 0; n < 16; ++n) overrides.Apply(kT0 + 16 + static_cast<uint64_t>(n), leds, true);
    EXPECT_EQ(shared.entries[0].colour_index, 0);
}

TEST_F(OverridesTest, ColourCycleAndBlinkFollowTheirPeriods) {
    overrides.Replace(std::vector<LightInfoRecord>{Entry(3), Entry(2)});
    // T[4] = 7 passes a colour; 1400 ms a blink.
    for (int n = 0; n < 7; ++n) overrides.Apply(kT0 + static_cast<uint64_t>(n), leds, true);
    EXPECT_EQ(leds.Get(0), WheelAt(1, 255));
    EXPECT_EQ(overrides.NextChange(kT0 + 6), kT0 + 13);
    overrides.Apply(kT0 + 1399, leds, true);
    EXPECT_EQ(leds.Get(1), (LedRecord{7, 8, 9, 255}));
    overrides.Apply(kT0 + 1400, leds, true);
    EXPECT_EQ(leds.Get(1), LedRecord{});
    EXPECT_EQ(shared.entries[1].blink_colour, 28);

    // Applying again resets the state.
    overrides.Replace(std::vector<LightInfoRecord>{Entry(3), Entry(2)});
    EXPECT_EQ(shared.entries[0].counter, 0u);
    EXPECT_EQ(shared.entries[1].last_toggle_ms, 0u);
    EXPECT_FALSE(shared.entries[1].on);
}

TEST_F(OverridesTest, StateMovesOnWithoutDrawingAndEntriesBeyondTheLightsAreIgnored) {
    std::vector<LightInfoRecord> list(200, Entry(1));
    overrides.Replace(list);
    leds.Fill({1, 1, 1, 1});
    overrides.Apply(kT0, leds, false);
    EXPECT_EQ(leds.Get(0), (LedRecord{1, 1, 1, 1}));
    overrides.Apply(kT0 + 1, leds, true);
    EXPECT_EQ(leds.Get(169), (LedRecord{7, 8, 9, 255}));
}

}  // namespace
}  // namespace dz::keyboard_lighting
