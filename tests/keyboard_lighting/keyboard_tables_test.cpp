// The geometry and curves as the effects rely on them: every light where the tables say,
// no index beyond a table, and the step rates by effect and speed.

#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "models/keyboard_lighting/keyboard_light_tables.h"

namespace dz::keyboard_lighting {
namespace {

TEST(KeyboardTables, TheMatrixHoldsLights0To131OnceEach) {
    std::multiset<int> seen;
    for (const Column& column : kLedMatrix)
        for (const uint8_t x : column)
            if (x != kNoLight) seen.insert(x);
    EXPECT_EQ(seen.size(), 132u);
    for (int x = 0; x < 132; ++x) EXPECT_EQ(seen.count(x), 1u) << "light " << x;
    // Row 0 has no light in columns 0, 1 and 19..22.
    for (const int c : {0, 1, 19, 20, 21, 22})
        EXPECT_EQ(kLedMatrix[static_cast<size_t>(c)][0], kNoLight) << "column " << c;
}

TEST(KeyboardTables, TheKeyOrderHas107KeysThenDashes) {
    std::set<int> keys;
    for (size_t i = 0; i < kKeyOrderSize; ++i) {
        const uint8_t x = kKeyOrder[i];
        if (i < 107) {
            EXPECT_LT(x, 126) << "place " << i;
            keys.insert(x);
        } else {
            EXPECT_EQ(x, kNoLight) << "place " << i;
        }
    }
    EXPECT_EQ(keys.size(), 107u);
    // The key positions the walk leaves out.
    for (const int x :
         {16, 17, 18, 19, 20, 79, 80, 81, 82, 83, 100, 101, 103, 104, 120, 121, 122, 123, 124}) {
        EXPECT_FALSE(kInKeyOrder[static_cast<size_t>(x)]) << "light " << x;
    }
    EXPECT_TRUE(kInKeyOrder[51]);
    EXPECT_FALSE(kInKeyOrder[kNoLight]);
}

TEST(KeyboardTables, RingSnakeSweepTwinkleAndIntroStayInsideTheLights) {
    size_t ring_lights = 0;
    for (const Ring& ring : kRings) {
        for (const uint8_t x : ring) {
            if (x == kNoLight) continue;
            ++ring_lights;
            EXPECT_TRUE(kInKeyOrder[x]) << "ring light " << int{x};
        }
    }
    EXPECT_EQ(ring_lights, 107u);
    EXPECT_EQ(kRings[0][0], 51);

    EXPECT_EQ(kSnakePath[0], 0);
    EXPECT_EQ(kSnakePath[16], 17);  // 16 is left out
    EXPECT_EQ(kSnakePath[66], kNoLight);
    EXPECT_EQ(kSnakePath[80], kNoLight);
    EXPECT_EQ(kSnakePath[109], 105);
    for (size_t i = 110; i < 126; ++i) EXPECT_EQ(kSnakePath[i], kNoLight) << i;
    for (size_t i = 126; i < kSnakePathSize; ++i) EXPECT_EQ(kSnakePath[i], 0) << i;

    for (const SweepFrame& frame : kSweepFrames) {
        EXPECT_NE(frame[0], kNoLight);
        for (const uint8_t x : frame) EXPECT_TRUE(x == kNoLight || x < 126);
    }
    EXPECT_EQ(kSweepFrames[51][8], 120);

    for (const uint8_t place : kTwinkleList) EXPECT_LT(place, kKeyOrderSize);
    EXPECT_EQ(kTwinkleList[0], 88);
    EXPECT_EQ(kTwinkleList[kTwinkleListSize - 1], 45);

    EXPECT_EQ(kSixLightRows[10][5], kNoCell);
    EXPECT_EQ(kSixLightRows[16], (IntroRow{71, 33, 71, 52, 52, 71}));
    EXPECT_EQ(kPairRows[15], (PairRow{72, 53}));
}

TEST(KeyboardTables, EveryWaveCellWithALightHasItsPhaseEntry) {
    for (int c = 0; c < kColumns; ++c)
        for (int r = 0; r < kWaveRows; ++r)
            if (kWaveTable[static_cast<size_t>(c)][static_cast<size_t>(r)] != kNoCell) {
                EXPECT_LT(static_cast<size_t>(6 * c + r), kPhaseTableSize) << c << "," << r;
            }
    EXPECT_EQ(kPhaseTable[0], 72);
    EXPECT_EQ(kPhaseTable[kPhaseTableSize - 1], 32);
    EXPECT_EQ(kWaveTable[20][0], 125);
    EXPECT_EQ(kWaveTable[0][6], 105);
}

TEST(KeyboardTables, WaveAndPulseCurves) {
    EXPECT_EQ(kWaveCurve[0], 22);
    EXPECT_EQ(kWaveCurve[2], 27);
    EXPECT_EQ(kWaveCurve[47], 255);
    EXPECT_EQ(kWaveCurve[48], 255);
    for (size_t k = 0; k < kWaveCurveSize; ++k)
        EXPECT_EQ(kWaveCurve[k], kWaveCurve[kWaveCurveSize - 1 - k]) << k;
    EXPECT_EQ(kPulseCurve[0], 0);
    EXPECT_EQ(kPulseCurve[24], 255);
    EXPECT_EQ(kPulseCurve[25], 248);
    EXPECT_EQ(kPulseCurve[87], 1);
    for (size_t k = 88; k < kPulseCurveSize; ++k) EXPECT_EQ(kPulseCurve[k], 0) << k;
}

TEST(KeyboardTables, SpeedThresholdsByEffectAndSpeed) {
    struct Case {
        int effect;
        std::array<int, 5> by_speed;
    };
    const Case cases[] = {
        {1, {10, 8, 5, 3, 1}}, {24, {10, 8, 5, 3, 1}}, {16, {3, 3, 3, 3, 3}},
        {18, {3, 3, 3, 3, 3}}, {29, {2, 2, 2, 2, 2}},  {30, {1, 0, 0, 0, 0}},
    };
    for (const Case& c : cases)
        for (uint8_t s = 0; s < 5; ++s)
            EXPECT_EQ(SpeedThreshold(c.effect, s), c.by_speed[s])
                << c.effect << " speed " << int{s};
    // A speed level beyond the table (a damaged profile) counts as the fastest.
    EXPECT_EQ(SpeedThreshold(1, 9), 1);
    EXPECT_EQ(StepPeriod(9), 7);
}

}  // namespace
}  // namespace dz::keyboard_lighting
