// Playback of custom light effects: the passes worked out from the clock, each style's
// picture, the step times, and when the playback says the picture changes next.
#include "device/lighting/custom_playback.h"

#include <gtest/gtest.h>

namespace dz::lighting {
namespace {

PlaybackStep Step(uint8_t mode, uint8_t speed, int32_t time_ms, Rgb colour = {10, 20, 30},
                  uint8_t multicolour = 0, uint8_t brightness = 5) {
    PlaybackStep s;
    s.mode = mode;
    s.brightness = brightness;
    s.speed = speed;
    s.multicolour = multicolour;
    s.colour = colour;
    s.time_ms = time_ms;
    return s;
}

class PlaybackTest : public ::testing::Test {
  protected:
    PlaybackShared shared_;
    CustomPlayback playback_{shared_};
    LedArray leds_{15};
};

TEST_F(PlaybackTest, NoStepsShowEveryLightOff) {
    leds_.Fill({1, 2, 3, 4});
    EXPECT_EQ(playback_.Advance(1000, 0, leds_), std::nullopt);
    for (size_t i = 0; i < leds_.Size(); ++i) ASSERT_EQ(leds_.Get(i), LedRecord{});
}

TEST_F(PlaybackTest, AStepWithTimeZeroEndsInThePassAfterTheClockMovedOn) {
    playback_.SetSteps({Step(kPlaybackStatic, 0, 0), Step(kPlaybackStatic, 0, 500, {1, 1, 1})});
    (void)playback_.Advance(1000, 0, leds_);
    EXPECT_EQ(playback_.StepIndex(), 0u) << "the clock has not moved on since the start";
    (void)playback_.Advance(1001, 0, leds_);
    EXPECT_EQ(playback_.StepIndex(), 1u);
    EXPECT_EQ(leds_.Get(3), (LedRecord{1, 1, 1, 255}));
    (void)playback_.Advance(1501, 0, leds_);
    EXPECT_EQ(playback_.StepIndex(), 1u) << "500 ms have passed, not more";
    const auto next = playback_.Advance(1502, 0, leds_);
    EXPECT_EQ(playback_.StepIndex(), 0u) << "after the last step the first again";
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(*next, std::chrono::milliseconds(1)) << "a step of time 0 ends with the next pass";
}

TEST_F(PlaybackTest, BreathingAdvancesItsPhaseOnceAPeriodOfPasses) {
    // Speed 4: a phase step every 7 passes of a millisecond.
    playback_.SetSteps({Step(kPlaybackBreathing, 4, 100000)});
    (void)playback_.Advance(0, 0, leds_);
    (void)playback_.Advance(70, 0, leds_);
    EXPECT_EQ(shared_.Snapshot().phase, 10) << "71 passes: 10 whole periods";
    EXPECT_EQ(shared_.Snapshot().passes, 1);
    EXPECT_EQ(leds_.Get(0).alpha, kBreathingCurve[10] * 255 / 256);
    const auto next = playback_.Advance(71, 0, leds_);
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(*next, std::chrono::milliseconds(5)) << "7 passes a period, 2 of them gone";
}

TEST_F(PlaybackTest, AMulticolourBreathingStepBreathesInTheWheelsFirstColour) {
    playback_.SetSteps({Step(kPlaybackBreathing, 4, 100000, {9, 9, 9}, 1)});
    (void)playback_.Advance(0, 0, leds_);
    const LedRecord r = leds_.Get(7);
    EXPECT_EQ((Rgb{r.red, r.green, r.blue}), (Rgb{255, 1, 0}));
}

TEST_F(PlaybackTest, BlinkFollowsTheDevicesSpeedAndStaysDarkWhileOff) {
    playback_.SetSteps({Step(kPlaybackBlink, 0, 100000, {50, 60, 70})});
    (void)playback_.Advance(10000, 4, leds_);  // the first pass finds the toggle due
    EXPECT_TRUE(shared_.Snapshot().blink_on);
    EXPECT_EQ(leds_.Get(0), (LedRecord{50, 60, 70, 255}));
    const auto next = playback_.Advance(10001, 4, leds_);
    ASSERT_TRUE(next.has_value());
    EXPECT_EQ(*next, std::chrono::milliseconds(1000))
        << "speed 4 toggles after 1400 ms; the playback looks again within a second";
    (void)playback_.Advance(11400, 4, leds_);
    EXPECT_FALSE(shared_.Snapshot().blink_on);
    EXPECT_EQ(leds_.Get(0), LedRecord{});
}

TEST_F(PlaybackTest, AWheelSpreadsTheColoursOverTheLights) {
    playback_.SetSteps({Step(kPlaybackWheel, 4, 100000, {}, 1)});
    (void)playback_.Advance(0, 0, leds_);  // phase 0, direction 0: starts at 1
    for (size_t i = 0; i < 3; ++i) {
        const Rgb want = kColourWheel[(1 + 12 * i) % 192];
        const LedRecord r = leds_.Get(i);
        EXPECT_EQ((Rgb{r.red, r.green, r.blue}), want) << "light " << i;
    }
    // Without multicolour the step's colour rides the wave curve.
    playback_.SetSteps({Step(kPlaybackWheel, 4, 100000, {100, 0, 0}, 0, 5)});
    (void)playback_.Advance(1, 0, leds_);
    EXPECT_EQ(leds_.Get(0).alpha, 255 * kWaveCurve[13] / 256);
}

TEST_F(PlaybackTest, TwoDevicesShareTheProgramsCounters) {
    CustomPlayback other(shared_);
    LedArray other_leds(15);
    playback_.SetSteps({Step(kPlaybackBreathing, 4, 100000)});
    other.SetSteps({Step(kPlaybackBreathing, 4, 100000)});
    (void)playback_.Advance(0, 0, leds_);
    (void)other.Advance(0, 0, other_leds);
    EXPECT_EQ(shared_.Snapshot().passes, 2) << "each device's pass counts";
}

}  // namespace
}  // namespace dz::lighting
