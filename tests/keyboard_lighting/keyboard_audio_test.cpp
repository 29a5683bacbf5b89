// The audio-reactive effect's seven modes, fed band values whose bars are worked out from
// H(v) = 600 - 600 v / 2000: background blue, foreground red, full brightness.

#include <gtest/gtest.h>

#include "effects_fixture.h"

namespace dz::keyboard_lighting {
namespace {

using lighting::LedRecord;

constexpr LedRecord kBackground{0, 0, 255, 255};
constexpr LedRecord kLit{255, 0, 0, 254};  // 255 * 255 / 256

class AudioTest : public EffectsTest {
  protected:
    void StartAudio(uint8_t mode) {
        KeyboardLightingSettings s;
        s.effect = kAudioEffect;
        s.base.brightness = 5;
        s.base.direction = 1;
        s.audio_mode = mode;
        s.background = {0, 0, 255};
        s.foreground = {255, 0, 0};
        Start(s);
    }
    void Feed(int32_t value) {
        for (auto& band : inputs.spectrum) band.store(value);
    }
    uint8_t At(int c, int r) const {
        return kLedMatrix[static_cast<size_t>(c)][static_cast<size_t>(r)];
    }
};

TEST(AudioHeights, TruncatedTowardsZeroAndClampedForLoudBands) {
    EXPECT_EQ(AudioHeight(0), 600);
    EXPECT_EQ(AudioHeight(1), 600);
    EXPECT_EQ(AudioHeight(334), 500);
    EXPECT_EQ(AudioHeight(2000), 0);
    EXPECT_EQ(AudioHeight(4000), -600);
    EXPECT_EQ(AudioHeight(-1000), 900);
    EXPECT_EQ(AudioHeightClamped(4000), 500);
    EXPECT_EQ(AudioHeightClamped(2000), 0);
    // No overflow at the ends of the 32-bit range.
    EXPECT_EQ(AudioHeight(INT32_MAX), 600 - int64_t{INT32_MAX} * 600 / 2000);
}

TEST_F(AudioTest, SpectrumColumnsLightFromTheTopRowByTheBand) {
    struct Case {
        int32_t band;
        int first_lit_row;  // 6: none
    };
    for (const Case c : {Case{0, 6}, Case{2000, 1}, Case{4000, 0}}) {
        StartAudio(0);
        Feed(c.band);
        Steps(1);
        for (int col = 0; col < kColumns; ++col) {
            for (int r = 0; r < kRows; ++r) {
                const uint8_t x = At(col, r);
                if (x == kNoLight) continue;
                EXPECT_LIGHT(x, r >= c.first_lit_row ? kLit : kBackground)
                    << " band " << c.band << " row " << r;
            }
        }
    }
}

TEST_F(AudioTest, TheStepTakesTheSpectrumSoTheNextOneSeesSilence) {
    StartAudio(0);
    Feed(2000);
    Steps(1);
    for (const auto& band : inputs.spectrum) EXPECT_EQ(band.load(), 0);
    Steps(1);
    // Row 1 decays (the row above it is dark): 255 -> 210 in the bit-driven variant; the rows
    // under a bright light hold.
    EXPECT_EQ(Level(22), 210);
    EXPECT_LIGHT(22, (LedRecord{255, 0, 0, 209}));
    EXPECT_EQ(Level(43), 255);
    EXPECT_LIGHT(43, kLit);
    EXPECT_LIGHT(0, kBackground);
}

TEST_F(AudioTest, CentreBarsGrowFromBothSides) {
    StartAudio(1);
    Feed(0);
    Steps(1);
    for (size_t x = 0; x < 132; ++x) ASSERT_EQ(leds.Get(x), kBackground) << x;
    // Bands at 2000: a = e = 2, so columns 2..8 and 9..19 light.
    StartAudio(1);
    Feed(2000);
    Steps(1);
    EXPECT_LIGHT(At(1, 1), kBackground);
    EXPECT_LIGHT(At(2, 1), kLit);
    EXPECT_LIGHT(At(19, 1), kLit);
    EXPECT_LIGHT(At(20, 1), kBackground);
}

TEST_F(AudioTest, BeatBurstsSpreadFromAMarkedLight) {
    StartAudio(2);
    fx.MarkLight(kBeatLight);
    const uint8_t before = fx.State().colour_index[0];
    Steps(1);
    EXPECT_EQ(Level(51), 210);
    EXPECT_LIGHT(51, (LedRecord{255, 0, 0, 209}));
    EXPECT_LIGHT(50, kBackground);
    EXPECT_EQ(fx.State().colour_index[0], before + 9);
}

TEST_F(AudioTest, RingsLightWhenLoudAndFadeWhenQuiet) {
    StartAudio(3);
    Feed(2000);  // H' = 0: g = 0, every ring lights with the wheel
    Steps(1);
    EXPECT_EQ(L(), 0);
    EXPECT_LIGHT(51, WheelAt(9, 254));
    EXPECT_LIGHT(118, WheelAt(108, 254));  // ring 11: 9 * 12
    Steps(1);                              // silence: g = 20, every ring fades and keeps its colour
    EXPECT_EQ(Level(51), 215);             // decay variant 0
    EXPECT_LIGHT(51, WheelAt(9, 214));
}

TEST_F(AudioTest, DropsFallFromEveryColumnOnce) {
    StartAudio(4);
    Feed(4000);
    Steps(1);  // every row lights (levels), drawn from the levels before
    for (int r = 0; r < kRows; ++r) EXPECT_EQ(Level(At(5, r)), 255) << r;
    EXPECT_LIGHT(At(5, 0), kBackground);
    Steps(1);
    EXPECT_EQ(Level(At(5, 0)), 210);
    EXPECT_LIGHT(At(5, 0), (LedRecord{255, 0, 0, 209}));
    EXPECT_LIGHT(At(5, 1), kLit);
}

TEST_F(AudioTest, GroupBarsAbove2000AreTheBarOf334) {
    const auto run = [this](int32_t bands_0_1) {
        StartAudio(5);
        Feed(0);
        inputs.spectrum[0].store(bands_0_1);
        Steps(1);
        std::array<LedRecord, kLightCount> out{};
        for (size_t x = 0; x < kLightCount; ++x) out[x] = leds.Get(x);
        return out;
    };
    const auto at_334 = run(3 * 334);
    EXPECT_EQ(run(3 * 2500), at_334);
    EXPECT_EQ(at_334[124], kLit);         // row 5 bar: t = 0, column 0 only
    EXPECT_EQ(at_334[105], kBackground);  // column 1
    const auto at_2000 = run(3 * 2000);   // t = 20
    EXPECT_EQ(at_2000[105], kLit);
    EXPECT_EQ(at_2000[117], kBackground);  // column 21
}

TEST_F(AudioTest, AlternatingBarsInSilenceLightTheFirstColumnOfOddRows) {
    StartAudio(6);
    Steps(1);
    for (const size_t x : {120, 122, 124}) EXPECT_LIGHT(x, kLit);
    for (const size_t x : {121, 123, 21}) EXPECT_LIGHT(x, kBackground);
}

TEST_F(AudioTest, AnotherAudioModeDrawsNothing) {
    StartAudio(7);
    leds.Fill({1, 2, 3, 4});
    Feed(4000);
    Steps(1);
    EXPECT_LIGHT(0, (LedRecord{1, 2, 3, 4}));
}

}  // namespace
}  // namespace dz::keyboard_lighting
