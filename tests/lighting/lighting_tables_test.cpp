#include "device/lighting/lighting_tables.h"

#include <gtest/gtest.h>

#include "device/lighting/led_array.h"

#include <functional>
#include <vector>

namespace dz::lighting {
namespace {

TEST(LightingTables, BrightnessLevelsAndOutOfRangeLevels) {
    const uint8_t expected[] = {0, 55, 110, 150, 205, 255};
    for (uint8_t b = 0; b < 6; ++b) EXPECT_EQ(BrightnessAlpha(b), expected[b]) << int{b};
    EXPECT_EQ(BrightnessAlpha(6), 255);
    EXPECT_EQ(BrightnessAlpha(200), 255);
}

TEST(LightingTables, BreathingCurveRisesThenFallsBack) {
    struct Case {
        size_t index;
        uint8_t value;
    } cases[] = {{0, 0},    {10, 10},  {11, 12},  {18, 27},  {25, 49},  {36, 94},
                 {45, 140}, {57, 213}, {62, 248}, {63, 255}, {64, 255}, {65, 248},
                 {116, 12}, {117, 10}, {126, 1},  {127, 0}};
    for (const auto& c : cases) EXPECT_EQ(kBreathingCurve[c.index], c.value) << c.index;
    for (size_t i = 0; i < 64; ++i) EXPECT_EQ(kBreathingCurve[i], kBreathingCurve[127 - i]) << i;
}

TEST(LightingTables, ColourWheelSegmentsAndRepeatedTail) {
    struct Case {
        size_t index;
        Rgb colour;
    } cases[] = {
        {0, {255, 1, 0}},    {9, {255, 32, 0}},  {31, {255, 255, 0}},  {32, {248, 255, 0}},
        {63, {0, 255, 0}},   {64, {0, 255, 1}},  {95, {0, 255, 255}},  {96, {0, 248, 255}},
        {127, {0, 0, 255}},  {128, {1, 0, 255}}, {159, {255, 0, 255}}, {160, {255, 0, 248}},
        {176, {255, 0, 69}}, {191, {255, 0, 0}}, {192, {255, 1, 0}},   {224, {248, 255, 0}},
        {255, {0, 255, 0}},
    };
    for (const auto& c : cases) {
        const Rgb& got = kColourWheel[c.index];
        EXPECT_EQ(got, c.colour) << c.index << ": " << int{got.red} << "," << int{got.green} << ","
                                 << int{got.blue};
    }
    for (size_t i = 192; i < 256; ++i) EXPECT_EQ(kColourWheel[i], kColourWheel[i - 192]) << i;
}

TEST(LightingTables, FourColoursAndBlinkPeriods) {
    EXPECT_EQ(kFourColours[0], (Rgb{0, 255, 180}));
    EXPECT_EQ(kFourColours[1], (Rgb{0, 255, 0}));
    EXPECT_EQ(kFourColours[2], (Rgb{255, 255, 255}));
    EXPECT_EQ(kFourColours[3], (Rgb{255, 0, 0}));
    const uint32_t ms[] = {5600, 4600, 3600, 2600, 1400};
    for (uint8_t s = 0; s < 5; ++s) EXPECT_EQ(BlinkHalfPeriodMs(s), ms[s]) << int{s};
    EXPECT_EQ(BlinkHalfPeriodMs(9), 1400u);
}

TEST(LightingTables, CyclicStep) {
    struct Case {
        bool forward;
        int limit;
        uint8_t value, amount, result;
    } cases[] = {
        {true, 128, 126, 1, 127},
        {true, 128, 127, 1, 0},
        {false, 128, 1, 1, 0},
        {false, 128, 0, 1, 127},
        {true, 192, 191, 1, 0},
        {false, 192, 0, 1, 191},
        {true, 25, 24, 1, 0},
        {false, 8, 0, 1, 7},
        {true, 192, 160, 16, 176},
        {true, 192, 176, 16, 0},
        {false, 192, 10, 16, 176},
        {false, 192, 16, 16, 0},
        // A value left past the limit by a longer cycle starts this cycle again.
        {true, 128, 191, 1, 0},
        {false, 128, 191, 1, 127},
        {false, 128, 128, 1, 127},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(CyclicStep(c.forward, c.limit, c.value, c.amount), c.result)
            << (c.forward ? "forward " : "backward ") << c.limit << " " << int{c.value} << " "
            << int{c.amount};
    }
}

TEST(LedArray, PackedFormAndBounds) {
    EXPECT_EQ(PackLed({1, 2, 3, 4}), 0x04030201u);
    EXPECT_EQ(UnpackLed(0xFF102030u), (LedRecord{0x30, 0x20, 0x10, 0xFF}));

    LedArray leds(170);
    EXPECT_EQ(leds.Size(), 170u);
    EXPECT_TRUE(leds.Set(169, {9, 8, 7, 6}));
    EXPECT_EQ(leds.GetPacked(169), 0x06070809u);
    EXPECT_FALSE(leds.Set(170, {1, 1, 1, 1}));
    EXPECT_EQ(leds.GetPacked(170), 0u);
    leds.Fill({5, 5, 5, 5});
    EXPECT_EQ(leds.Get(0), (LedRecord{5, 5, 5, 5}));
    EXPECT_EQ(leds.GetPacked(170), 0u);  // Fill stays inside the array

    leds.Resize(500);  // cut to the capacity, all lights dark again
    EXPECT_EQ(leds.Size(), kMaxLights);
    EXPECT_EQ(leds.GetPacked(0), 0u);
    EXPECT_TRUE(leds.Set(kMaxLights - 1, {1, 2, 3, 4}));
    EXPECT_FALSE(leds.Set(kMaxLights, {1, 2, 3, 4}));
}

}  // namespace
}  // namespace dz::lighting

namespace dz::lighting {
namespace {

// The frame timer keeps its frame while the version stands: it must move on every change
// and on nothing else, or a still picture would be rebuilt (or a change missed).
TEST(LedArrayVersion, MovesOnEveryChangeAndOnlyThen) {
    LedArray leds(3);
    const LedRecord red{255, 0, 0, 255};
    uint64_t v = leds.Version();
    struct Step {
        const char* what;
        std::function<void()> act;
        bool changes;
    };
    const std::vector<Step> steps = {
        {"set a light", [&] { (void)leds.Set(1, red); }, true},
        {"set it again to the same", [&] { (void)leds.Set(1, red); }, false},
        {"set outside the array", [&] { (void)leds.Set(7, red); }, false},
        {"fill", [&] { leds.Fill(red); }, true},
        {"fill with the same", [&] { leds.Fill(red); }, false},
        {"packed change", [&] { (void)leds.SetPacked(0, 0x01020304u); }, true},
        {"resize", [&] { leds.Resize(3); }, true},
    };
    for (const Step& s : steps) {
        s.act();
        const uint64_t now = leds.Version();
        EXPECT_EQ(now != v, s.changes) << s.what;
        v = now;
    }
}

}  // namespace
}  // namespace dz::lighting
