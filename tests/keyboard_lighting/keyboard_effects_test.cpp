// The built-in effects step by step, with the expected lights worked out by hand from the
// tables: the restart and start actions, the waves, rings, snake, sweep, twinkle, intro and
// the bouncing effects.

#include <gtest/gtest.h>

#include "effects_fixture.h"

namespace dz::keyboard_lighting {
namespace {

using lighting::LedRecord;

constexpr LedRecord kDark{};

// ---- Restart and start actions ---------------------------------------------------------

TEST(ColourIndexSpread, ThirtyThreeApartWithinTheWheel) {
    struct Case {
        size_t light;
        uint8_t index;
    };
    for (const Case c : {Case{0, 33}, Case{4, 165}, Case{5, 6}, Case{63, 192}, Case{169, 42}})
        EXPECT_EQ(SpreadColourIndex(c.light), c.index) << "light " << c.light;
}

TEST_F(EffectsTest, StartActionsSpreadTheColoursOrSeedTheirOwnState) {
    Start(1);
    EXPECT_EQ(fx.State().colour_index[4], 165);
    EXPECT_EQ(fx.State().colour_index[63], 192);
    EXPECT_TRUE(fx.State().maps.Empty());

    // 13 and 16 seed one column of all four wave maps and keep their colour indexes.
    Start(13);
    EXPECT_EQ(fx.State().colour_index[4], 0);
    for (const auto* map :
         {&fx.State().maps.ul, &fx.State().maps.ur, &fx.State().maps.dr, &fx.State().maps.dl}) {
        EXPECT_EQ((*map)[9], 0x40);
    }
    Start(16);
    EXPECT_EQ(fx.State().maps.ul[1], 0x01);
    EXPECT_EQ(fx.State().maps.dl[1], 0x01);
    EXPECT_EQ(fx.State().maps.ul[9], 0);  // the restart cleared 13's seed

    // 15: level from the phase table, colour index 7 per wave column.
    Start(15);
    EXPECT_EQ(Level(0), 100);  // wave column 2, row 1: phase entry 13
    EXPECT_EQ(fx.State().colour_index[0], 14);
    EXPECT_EQ(Level(105), 72);  // column 0, row 6: entry 6
    EXPECT_EQ(Level(109), 60);  // in columns 9 and 10: the later one, entry 66
    EXPECT_EQ(fx.State().colour_index[109], 70);

    // 22: the pulse phase falls by 35 per row from 192 - 8c, wrapping by 193.
    Start(22);
    EXPECT_EQ(fx.State().pulse_phase[105], 140);  // 192 - 7 * 35 + 193
    EXPECT_EQ(fx.State().pulse_phase[0], 106);    // column 2: 176 - 2 * 35
    EXPECT_EQ(fx.State().colour_index[0], 14);
}

TEST_F(EffectsTest, RestartClearsTheStateButApplyingKeepsItExceptL) {
    Start(11);
    Steps(3);
    EXPECT_EQ(fx.State().colour_index[0], 36);
    // ApplyLighting of the same effect: no restart, only L.
    fx.State().counters.level = 9;
    fx.FinishApply();
    EXPECT_EQ(L(), 0);
    EXPECT_EQ(fx.State().colour_index[0], 36);
    // The sweep starts every colour index at 0 on each apply.
    Start(24);
    fx.State().colour_index[7] = 40;
    fx.FinishApply();
    EXPECT_EQ(fx.State().colour_index[7], 0);
    // Audio mode 4's column flags all start set.
    fx.RestartEffect();
    for (const int32_t flag : fx.State().column_flags) EXPECT_NE(flag, 0);
}

// ---- Waves ------------------------------------------------------------------------------------

TEST_F(EffectsTest, ColumnWaveMovesTheWheelSevenPerColumn) {
    Start(1);
    Steps(1);
    EXPECT_EQ(L(), 1);
    // k = L + 1 = 2 for column 0, then 7 more per column.
    for (const size_t x : {120, 121, 122, 123, 124}) EXPECT_LIGHT(x, (LedRecord{255, 5, 0, 255}));
    EXPECT_LIGHT(21, (LedRecord{255, 32, 0, 255}));    // W[9]
    EXPECT_LIGHT(131, (LedRecord{213, 0, 255, 255}));  // column 22: W[156]
    EXPECT_LIGHT(140, kDark);                          // not in the matrix
    Steps(1);
    EXPECT_LIGHT(120, (LedRecord{255, 7, 0, 255}));  // W[3]
}

TEST_F(EffectsTest, ColumnWaveBackwardWrapsAndWithoutMulticolourFollowsTheWaveCurve) {
    Start(1, true, 0);
    Steps(1);
    EXPECT_EQ(L(), 191);
    EXPECT_LIGHT(120, (LedRecord{255, 1, 0, 255}));  // k = 192 -> 0
    EXPECT_LIGHT(21, (LedRecord{255, 22, 0, 255}));  // W[7]

    Start(1, false, 1, {10, 20, 30});
    Steps(1);
    EXPECT_LIGHT(120, (LedRecord{10, 20, 30, 26}));  // 255 * V[2] / 256, V[2] = 27
    EXPECT_LIGHT(21, (LedRecord{10, 20, 30, 48}));   // V[9] = 49
    EXPECT_LIGHT(11, (LedRecord{10, 20, 30, 32}));   // column 14: k = 100 - 96 = 4, V[4] = 33
}

TEST_F(EffectsTest, RowWaveAndFixedWheelColour) {
    Start(12);
    Steps(1);
    EXPECT_LIGHT(0, (LedRecord{255, 5, 0, 255}));     // row 0: W[2]
    EXPECT_LIGHT(21, (LedRecord{255, 188, 0, 255}));  // row 1: W[26]
    EXPECT_LIGHT(124, (LedRecord{0, 12, 255, 255}));  // row 5: W[122]

    struct Case {
        uint8_t sub_mode;
        size_t wheel;
    };
    for (const Case c : {Case{0, 174}, Case{1, 25}, Case{2, 70}, Case{3, 95}, Case{7, 174}}) {
        KeyboardLightingSettings s = Start(17);
        s.sub_mode = c.sub_mode;
        fx.SetSettings(s);
        Steps(1);
        for (const size_t x : {0, 77, 169}) EXPECT_LIGHT(x, WheelAt(c.wheel, 255));
    }
    EXPECT_EQ(WheelAt(70, 0), (LedRecord{0, 255, 18, 0}));
    EXPECT_EQ(WheelAt(174, 0), (LedRecord{255, 0, 85, 0}));
}

// ---- Rings --------------------------------------------------------------------------------------

TEST_F(EffectsTest, RingWaveGivesEachRingTheNextWheelColour) {
    Start(18);
    Steps(1);
    EXPECT_LIGHT(51, WheelAt(8, 255));  // ring 0: k = 1 + 7
    for (const size_t x : {30, 50, 71, 72, 52, 31}) EXPECT_LIGHT(x, WheelAt(15, 255));
    for (const size_t x : {118, 119, 41}) EXPECT_LIGHT(x, WheelAt(85, 255));  // ring 11
    EXPECT_LIGHT(16, kDark);                                                  // in no ring
    Steps(1);
    EXPECT_LIGHT(51, WheelAt(9, 255));
    EXPECT_EQ(WheelAt(85, 0), (LedRecord{0, 255, 129, 0}));
}

TEST_F(EffectsTest, RingColoursStandStill) {
    Start(6);
    Steps(1);
    EXPECT_LIGHT(51, WheelAt(138, 255));
    EXPECT_LIGHT(118, WheelAt(6, 255));
    EXPECT_LIGHT(16, kDark);
    EXPECT_TRUE(fx.Still());
    Start(6, false);
    Steps(1);
    EXPECT_LIGHT(16, (LedRecord{10, 20, 30, 255}));
}

// ---- Snake --------------------------------------------------------------------------------------

TEST_F(EffectsTest, SnakeWalksThePathAndFadesBehind) {
    Start(21, false);
    Steps(1);
    EXPECT_EQ(L(), 1);
    EXPECT_EQ(Level(0), 214);  // 254 - 40
    Steps(1);
    EXPECT_EQ(Level(1), 214);
    EXPECT_EQ(Level(0), 174);
    EXPECT_LIGHT(0, (LedRecord{10, 20, 30, 173}));  // 255 * 174 / 256
    // A dash on the path lights nothing.
    fx.State().counters.level = 66;
    fx.State().level.fill(0);
    Steps(1);
    EXPECT_EQ(L(), 67);
    EXPECT_TRUE(std::all_of(fx.State().level.begin(), fx.State().level.end(),
                            [](uint8_t v) { return v == 0; }));
}

TEST_F(EffectsTest, SnakeAtBothEndsInBothDirections) {
    Start(21, false, 1);
    fx.State().counters.level = 169;
    Steps(1);  // lights entry 169: light 0
    EXPECT_EQ(L(), 170);
    EXPECT_EQ(Level(0), 214);
    Steps(1);  // only L goes back
    EXPECT_EQ(L(), 0);
    EXPECT_EQ(Level(0), 174);

    Start(21, false, 0);
    Steps(1);  // from 0 only L goes to 170
    EXPECT_EQ(L(), 170);
    EXPECT_EQ(Level(0), 0);
    Steps(1);  // entry 170: light 0
    EXPECT_EQ(L(), 169);
    EXPECT_EQ(Level(0), 214);
}

// ---- Sweep --------------------------------------------------------------------------------------

TEST_F(EffectsTest, SweepWalksTheWheelByThreeAndStopsAtW255) {
    Start(24);
    // Light 16 is in no frame: its colour index goes 3, 6, ... 255 and stays.
    for (int n = 1; n <= 90; ++n) {
        Steps(1);
        const size_t expected = static_cast<size_t>(std::min(3 * n, 255));
        ASSERT_EQ(fx.State().colour_index[16], expected) << "step " << n;
        ASSERT_EQ(leds.Get(16), WheelAt(expected, 255)) << "step " << n;
    }
    EXPECT_EQ(leds.Get(16), (LedRecord{0, 255, 0, 255}));
}

TEST_F(EffectsTest, SweepLightsOneFrameAndFadesIt) {
    Start(24, false);
    Steps(1);
    EXPECT_EQ(L(), 1);  // frame 1: 0 26 27 50 51
    for (const size_t x : {0, 26, 27, 50, 51}) {
        EXPECT_EQ(Level(x), 250) << x;
        EXPECT_LIGHT(x, (LedRecord{10, 20, 30, 249}));
    }
    EXPECT_EQ(Level(25), 0);
    Steps(1);  // frame 2: 27 28 50 51
    EXPECT_EQ(Level(0), 245);
    EXPECT_EQ(Level(28), 250);
    EXPECT_EQ(Level(27), 250);
}

// ---- Twinkle
// --------------------------------------------------------------------------------------

TEST_F(EffectsTest, TwinkleLightsSixChosenKeysAWheelColourEach) {
    Start(10);
    // The same generator, seeded alike, says which keys the step picks.
    EffectRandom oracle(kSeed);
    std::array<int, kLightCount> index{};
    index.fill(-1);
    for (int n = 0; n < 6; ++n) {
        const uint8_t x = kKeyOrder[kTwinkleList[oracle.Below(104)]];
        if (x != kNoLight) index[x] = static_cast<int>(oracle.Below(192));
    }
    Steps(1);
    int lit = 0;
    for (size_t x = 0; x < kLightCount; ++x) {
        if (index[x] < 0) {
            EXPECT_EQ(Level(x), 0) << x;
            EXPECT_EQ(leds.Get(x).alpha, 0) << x;
            continue;
        }
        ++lit;
        EXPECT_EQ(Level(x), 215) << x;  // 255 - 40
        EXPECT_LIGHT(x, WheelAt(static_cast<size_t>(index[x]), 214));
    }
    EXPECT_GT(lit, 0);
    Steps(1);
    for (size_t x = 0; x < kLightCount; ++x)
        if (index[x] >= 0 && Level(x) != 255) {
            EXPECT_GE(Level(x), 175) << x;
        }
}

// ---- Intro --------------------------------------------------------------------------------------

TEST_F(EffectsTest, IntroRunsItsStagesInOrder) {
    Start(14, false);
    Steps(1);  // row 0 of the six-light table
    EXPECT_EQ(Level(0), 215);
    EXPECT_EQ(Level(118), 215);
    Steps(1);
    EXPECT_EQ(Level(1), 215);
    EXPECT_EQ(Level(0), 175);
    Steps(18);  // the 20 rows
    EXPECT_EQ(fx.State().stage, 1);
    EXPECT_EQ(L(), 0);
    EXPECT_EQ(Level(31), 215);  // row 19: 31 94
    Steps(1);                   // pair row 0
    EXPECT_EQ(Level(30), 215);
    Steps(30);  // pair rows 1..30 (mod 16); light 72 was lit last by row 28
    EXPECT_EQ(L(), 31);
    EXPECT_EQ(Level(72), 135);
    // Light 72 fades 95, 65, 35, 25, 17, 9, 8 .. 0 while the stage waits for it.
    Steps(15);
    EXPECT_EQ(fx.State().stage, 1);
    EXPECT_EQ(Level(72), 0);
    Steps(1);
    EXPECT_EQ(fx.State().stage, 2);
    EXPECT_EQ(L(), 0);
    Steps(1);  // light 52 marked: column 11, row 2
    EXPECT_EQ(fx.State().stage, 3);
    EXPECT_EQ(fx.State().maps.ul[11], 0x04);
    EXPECT_EQ(fx.State().maps.dr[11], 0x04);
    Steps(1);  // the wave lights 52
    EXPECT_EQ(Level(52), 215);
    // The burst reaches light 124 (column 0, row 5), then the sequence starts again once it
    // has faded.
    int steps = 0;
    while (fx.State().stage == 3 && steps < 40) Steps(1), ++steps;
    EXPECT_EQ(fx.State().stage, 4);
    EXPECT_NE(Level(124), 0);
    steps = 0;
    while (fx.State().stage == 4 && steps < 40) Steps(1), ++steps;
    EXPECT_EQ(fx.State().stage, 0);
    EXPECT_EQ(L(), 0);
}

// ---- Bouncing
// ------------------------------------------------------------------------------------

TEST_F(EffectsTest, BouncingDiagonalsGrowFromColumnOne) {
    Start(16, false);
    Steps(1);  // the seed at (1, 0) holds no light; it spreads
    EXPECT_EQ(fx.State().maps.ul[0], 0x01);
    EXPECT_EQ(fx.State().maps.dl[1], 0x02);
    EXPECT_EQ(fx.State().maps.ur[2], 0x01);
    EXPECT_EQ(fx.State().maps.dr[1], 0x02);
    Steps(1);  // (1, 1) and (2, 0): lights 21 and 0
    EXPECT_EQ(Level(21), 215);
    EXPECT_EQ(Level(0), 215);
    Steps(1);  // (0, 1), (1, 2), (2, 1), (3, 0): lights 120, 42, 22, 1
    for (const size_t x : {42, 22, 1}) EXPECT_EQ(Level(x), 215) << x;
    EXPECT_EQ(Level(21), 175);
    EXPECT_EQ(Level(0), 175);
    // 120 is not in the key order: lit, never faded or drawn.
    EXPECT_EQ(Level(120), 255);
    EXPECT_LIGHT(120, kDark);
    EXPECT_LIGHT(42, (LedRecord{10, 20, 30, 214}));
}

TEST_F(EffectsTest, BouncingCrossMovesOnEverySecondStep) {
    Start(13, false);
    Steps(4);  // the seed in bits 6 only: nothing lit yet
    EXPECT_EQ(fx.State().maps.Column(9), 0xA0);
    for (size_t x = 0; x < kLightCount; ++x) ASSERT_EQ(Level(x), 0) << x;
    Steps(1);  // (9, 5): light 129
    EXPECT_EQ(Level(129), 215);
    Steps(2);  // (8, 5), (9, 4), (10, 5): lights 128, 91, 109
    for (const size_t x : {128, 91, 109}) EXPECT_EQ(Level(x), 215) << x;
    EXPECT_EQ(Level(129), 135);
}

// ---- The other steps --------------------------------------------------------------------------

TEST_F(EffectsTest, PerLightCycleAndPulseAndRandomBreathing) {
    Start(11);
    Steps(1);
    EXPECT_LIGHT(0, WheelAt(34, 255));
    EXPECT_LIGHT(63, WheelAt(0, 255));  // 192 + 1 wraps

    Start(22, false);
    Steps(1);  // light 105's phase 140 -> 141: P[141] = 0
    EXPECT_EQ(fx.State().pulse_phase[105], 141);
    EXPECT_EQ(leds.Get(105).alpha, 0);
    fx.State().pulse_phase[0] = 23;
    Steps(1);
    EXPECT_LIGHT(0, (LedRecord{10, 20, 30, 254}));  // P[24] = 255

    Start(15, false);
    Steps(1);
    EXPECT_EQ(Level(0), 102);                     // 100 + 2
    EXPECT_LIGHT(0, (LedRecord{10, 20, 30, 0}));  // P[102] = 0
    EXPECT_EQ(Level(62), 2);                      // in the key order, not in the wave table
}

TEST_F(EffectsTest, CustomColoursAndHostColourTakeTheirInputsAtTheBrightness) {
    KeyboardLightingSettings s = Start(20);
    s.base.brightness = 3;
    fx.SetSettings(s);
    inputs.custom_colours[7].store(lighting::PackLed({1, 2, 3, 99}));
    Steps(1);
    EXPECT_LIGHT(7, (LedRecord{1, 2, 3, 150}));
    EXPECT_LIGHT(8, (LedRecord{0, 0, 0, 150}));
    EXPECT_TRUE(fx.Still());

    s = Start(30);
    inputs.host_colour[0].store(0x1234);
    inputs.host_colour[1].store(0x56);
    inputs.host_colour[2].store(-1);
    Steps(1);
    EXPECT_LIGHT(100, (LedRecord{0x34, 0x56, 0xFF, 255}));
}

TEST_F(EffectsTest, BrightnessZeroLightsNothing) {
    for (int effect = 1; effect <= 30; ++effect) {
        if (effect == 19) continue;
        KeyboardLightingSettings s = Start(effect);
        s.base.brightness = 0;
        fx.SetSettings(s);
        Steps(3);
        for (size_t x = 0; x < kLightCount; ++x)
            ASSERT_EQ(leds.Get(x).alpha, 0) << "effect " << effect << " light " << x;
    }
}

TEST_F(EffectsTest, StillEffectsAreTheOnesThatCannotChange) {
    for (const int effect : {6, 7, 8, 9, 17, 20, 25, 28, 30}) {
        Start(effect);
        Steps(2);
        EXPECT_TRUE(fx.Still()) << effect;
    }
    for (const int effect :
         {1, 2, 3, 4, 5, 10, 11, 12, 13, 14, 15, 16, 18, 21, 22, 23, 24, 26, 27, 29}) {
        Start(effect);
        Steps(2);
        EXPECT_FALSE(fx.Still()) << effect;
    }
    // A burst in progress moves.
    Start(9);
    fx.MarkLight(51);
    EXPECT_FALSE(fx.Still());
}

}  // namespace
}  // namespace dz::keyboard_lighting
