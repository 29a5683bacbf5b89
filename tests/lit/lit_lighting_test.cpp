// The pad's and the headset's lighting program step by step, on a clock of the test's own:
// the colour wave with each device's spread, the two ripples started by the marquee seed,
// the headset's missing pair members, the user light effects and the light list's overrides.
#include "models/lit_lighting.h"

#include <gtest/gtest.h>

#include <atomic>

namespace dz {
namespace {

using lighting::kColourWheel;
using lighting::kWaveCurve;
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

uint8_t DecayedIntensityOf(uint8_t v) {
    return lighting::DecayedIntensity(v, 6);
}

struct Rig {
    explicit Rig(const LitLightingTable& table, LitShared& shared)
        : leds(static_cast<size_t>(table.leds)), program(table, shared, leds, channel, &TestClock) {
        channel.SetOpen(true);
        shared.playback.Reset();
    }
    void Set(uint8_t mode, uint8_t multicolour, uint8_t direction = 1, uint8_t speed = 2,
             Rgb colour = {200, 100, 50}) {
        program.SetLightWords(Word0(mode, 5, speed, direction), Word1(multicolour, colour));
        program.RequestModeRestart();
    }
    Rgb ColourOf(int led) const {
        const LedRecord r = leds.Get(static_cast<size_t>(led));
        return {r.red, r.green, r.blue};
    }
    uint8_t AlphaOf(int led) const { return leds.Get(static_cast<size_t>(led)).alpha; }

    lighting::LedArray leds;
    CommandChannel channel;
    LitLightingProgram program;
};

TEST(LitLighting, TheColourWaveSpreadsByDevice) {
    struct Case {
        const char* name;
        const LitLightingTable& table;
        LitShared& shared;
        int wheel_spread;
        int mono_offset, mono_spread, mono_p;  // p after one forward step without multicolour
    } cases[] = {
        {"pad", MousepadLightingTable(), MousepadLightingShared(), 7, 1, 7, 1},
        {"headset", HeadsetLightingTable(), HeadsetLightingShared(), 16, 0, 10, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Rig rig(c.table, c.shared);
        rig.Set(kLitWave, 1);
        ASSERT_TRUE(rig.program.Step());
        for (int i = 0; i < c.table.leds; ++i) {
            EXPECT_EQ(rig.ColourOf(i), kColourWheel[(1 + 1 + c.wheel_spread * i) % 192]) << i;
            EXPECT_EQ(rig.AlphaOf(i), 255);
        }
        Rig mono(c.table, c.shared);
        mono.Set(kLitWave, 0);
        ASSERT_TRUE(mono.program.Step());
        for (int i = 0; i < c.table.leds; ++i) {
            EXPECT_EQ(mono.ColourOf(i), (Rgb{200, 100, 50}));
            EXPECT_EQ(mono.AlphaOf(i),
                      255 * kWaveCurve[(c.mono_p + c.mono_offset + c.mono_spread * i) % 96] / 256)
                << i;
        }
    }
}

// The index of the brightest of the first `count` intensities (-1 when all are 0).
int Brightest(const LitLightingProgram& program, int count) {
    int best = -1;
    for (int i = 0; i < count; ++i) {
        const uint8_t v = program.Ripple().intensity[static_cast<size_t>(i)];
        if (v > 0 && (best < 0 || v > program.Ripple().intensity[static_cast<size_t>(best)]))
            best = i;
    }
    return best;
}

TEST(LitLighting, TheLedRippleStartsWithItsModeAndCrossesThePad) {
    // The mode's seed is one mark in the marquee; every second step it lights the LED of its
    // place and moves on one place: forward from LED 0 to LED 14, then the 8 empty places.
    Rig rig(MousepadLightingTable(), MousepadLightingShared());
    rig.Set(kLitRipple, 0);
    ASSERT_TRUE(rig.program.Step());
    EXPECT_EQ(Brightest(rig.program, 15), -1) << "dark until the first trigger";
    for (int k = 1; k <= 15; ++k) {
        ASSERT_TRUE(rig.program.Step());
        EXPECT_EQ(Brightest(rig.program, 15), k - 1) << "trigger " << k;
        EXPECT_GT(rig.AlphaOf(k - 1), 0);
        EXPECT_EQ(rig.ColourOf(k - 1), (Rgb{200, 100, 50}));
        ASSERT_TRUE(rig.program.Step());
    }
    // After 23 moves the mark is back at place 0 and the ripple comes again.
    for (int s = 0; s < 2 * 8 - 1; ++s) ASSERT_TRUE(rig.program.Step());
    EXPECT_EQ(rig.program.Ripple().marquee[0], 1);
    for (int s = 0; s < 2; ++s) ASSERT_TRUE(rig.program.Step());
    EXPECT_EQ(rig.program.Ripple().intensity[0], DecayedIntensityOf(255));

    // Backward the mark wraps to the end at once and runs from LED 14 down.
    Rig back(MousepadLightingTable(), MousepadLightingShared());
    back.Set(kLitRipple, 0, /*direction=*/0);
    for (int s = 0; s < 2; ++s) ASSERT_TRUE(back.program.Step());
    EXPECT_EQ(back.program.Ripple().marquee[22], 1);
    for (int s = 0; s < 2 * 9; ++s) ASSERT_TRUE(back.program.Step());
    EXPECT_EQ(Brightest(back.program, 15), 14);
    for (int s = 0; s < 2; ++s) ASSERT_TRUE(back.program.Step());
    EXPECT_EQ(Brightest(back.program, 15), 13);
}

TEST(LitLighting, ThePairRippleLightsBothLedsOfAPair) {
    // Forward the mark moves to lower places over the first 8: pair 0, one empty place, then
    // pairs 6, 5, ... 1.
    Rig pad(MousepadLightingTable(), MousepadLightingShared());
    pad.Set(kLitPairRipple, 1);
    for (int s = 0; s < 2; ++s) ASSERT_TRUE(pad.program.Step());
    EXPECT_EQ(Brightest(pad.program, 7), 0);
    EXPECT_GT(pad.AlphaOf(1), 0);
    EXPECT_EQ(pad.leds.Get(1), pad.leds.Get(14)) << "both LEDs of pair 0, same colour and level";
    EXPECT_EQ(pad.AlphaOf(0), 0) << "LED 0 is in no pair";
    EXPECT_EQ(pad.program.Ripple().marquee[7], 1);
    for (int s = 0; s < 4; ++s) ASSERT_TRUE(pad.program.Step());
    EXPECT_EQ(Brightest(pad.program, 7), 6);
    EXPECT_GT(pad.AlphaOf(7), 0);
    EXPECT_EQ(pad.leds.Get(7), pad.leds.Get(8));

    // The headset lacks LEDs 13 and 14: its pair 0 lights LED 1 alone.
    Rig headset(HeadsetLightingTable(), HeadsetLightingShared());
    headset.Set(kLitPairRipple, 0);
    for (int s = 0; s < 2; ++s) ASSERT_TRUE(headset.program.Step());
    EXPECT_GT(headset.AlphaOf(1), 0);
    EXPECT_EQ(headset.AlphaOf(12), 0) << "LED 12 is pair 2's, not lit yet";
}

TEST(LitLighting, TheSpeedSetsTheStepsPace) {
    Rig rig(MousepadLightingTable(), MousepadLightingShared());
    for (uint8_t speed = 0; speed <= 5; ++speed) {
        rig.Set(kLitWave, 1, 1, speed);
        ASSERT_TRUE(rig.program.Step());
        const int expected[] = {28, 23, 18, 13, 7, 7};
        EXPECT_EQ(rig.program.NextStepIn(std::chrono::milliseconds(1)).count(), expected[speed]);
    }
    rig.Set(kLitStatic, 0);
    EXPECT_FALSE(rig.program.Step()) << "a static colour stands still";
    rig.channel.SetOpen(false);
    rig.Set(kLitWave, 1);
    EXPECT_FALSE(rig.program.Step()) << "without the device nothing moves";
}

TEST(LitLighting, UserEffectsPlayInModes5And9Up) {
    for (uint8_t mode : {uint8_t{kLitCustom}, uint8_t{9}, uint8_t{12}}) {
        SCOPED_TRACE(int(mode));
        Rig rig(MousepadLightingTable(), MousepadLightingShared());
        rig.program.SetUserEffect({{lighting::kPlaybackStatic, 5, 0, 0, 0, {1, 2, 3}, 1000}});
        rig.Set(mode, 0);
        EXPECT_TRUE(rig.program.Step());
        EXPECT_EQ(rig.ColourOf(4), (Rgb{1, 2, 3}));
        rig.program.SetUserEffect({});
        EXPECT_FALSE(rig.program.Step());
        EXPECT_EQ(rig.AlphaOf(4), 0) << "an effect without steps turns the LEDs off";
    }
}

TEST(LitLighting, TheLightListOverridesItsLeds) {
    Rig rig(MousepadLightingTable(), MousepadLightingShared());
    LightInfoRecord entry;
    entry.mode = 1;  // static
    entry.brightness = 5;
    entry.red = 9;
    entry.green = 8;
    entry.blue = 7;
    entry.valid = 1;
    const std::vector<LightInfoRecord> list{LightInfoRecord{}, entry};
    rig.program.SetLightList(list);
    rig.Set(kLitOff, 0);
    (void)rig.program.Step();
    EXPECT_EQ(rig.ColourOf(1), (Rgb{9, 8, 7}));
    EXPECT_EQ(rig.AlphaOf(1), 255);
    EXPECT_EQ(rig.AlphaOf(2), 0) << "the others show the mode";
}

}  // namespace
}  // namespace dz
