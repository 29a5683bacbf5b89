#include "device/lighting/reactive.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace dz::lighting {
namespace {

// Decays light 5 from 255 until it stays dark, one intensity per step.
std::vector<int> DecaySequence(int variant) {
    ReactiveBuffers r;
    r.intensity[5] = 255;
    std::vector<int> seq{255};
    for (int n = 0; n < 300 && r.intensity[5] != 0; ++n) {
        ReactiveDecay(r, 5, variant);
        seq.push_back(r.intensity[5]);
    }
    return seq;
}

TEST(ReactiveDecay, WholeSequencesPerVariant) {
    EXPECT_EQ(DecaySequence(0), (std::vector<int>{255, 215, 175, 135, 95, 65, 35, 20, 12, 11, 10,
                                                  9,   8,   7,   6,   5,  4,  3,  2,  1,  0}));
    // Other variants take 10 instead of 15 from 32..63.
    EXPECT_EQ(DecaySequence(5), (std::vector<int>{255, 215, 175, 135, 95, 65, 35, 25, 17, 9, 8, 7,
                                                  6, 5, 4, 3, 2, 1, 0}));
    // The audio variant steps by the bits: 255 (b7) 210 (b7) 165 (b7) 120 (b4) 75 (b6)
    // 40 (b5) 5 (none).
    EXPECT_EQ(DecaySequence(29), (std::vector<int>{255, 210, 165, 120, 75, 40, 5, 4, 3, 2, 1, 0}));
}

TEST(ReactiveDecay, SingleSteps) {
    struct Case {
        int variant;
        uint8_t from, to;
    } cases[] = {
        {0, 128, 88},
        {0, 127, 97},
        {0, 64, 34},
        {0, 63, 48},
        {0, 32, 17},
        {0, 31, 23},
        {0, 17, 9},
        {0, 16, 15},
        {0, 1, 0},
        {7, 63, 53},
        {7, 32, 22},
        {-1, 40, 30},
        {29, 0x90, 0x90 - 45},
        {29, 0x60, 0x60 - 35},
        {29, 0x0F, 0x0E},
        // Bit-driven steps larger than the intensity end at dark, not wrapped to bright.
        {29, 16, 0},
        {29, 20, 0},
        {29, 32, 0},
        {29, 48, 3},
        {29, 64, 29},
    };
    for (const auto& c : cases) {
        ReactiveBuffers r;
        r.intensity[169] = c.from;
        ReactiveDecay(r, 169, c.variant);
        EXPECT_EQ(r.intensity[169], c.to) << "variant " << c.variant << " from " << int{c.from};
    }
}

TEST(ReactiveDecay, DarkStaysDarkAndOtherLightsAreUntouched) {
    for (int variant : {0, 5, 21, 29, -3}) {
        ReactiveBuffers r;
        r.intensity[4] = 200;
        ReactiveDecay(r, 3, variant);
        EXPECT_EQ(r.intensity[3], 0) << variant;
        EXPECT_EQ(r.intensity[4], 200) << variant;
    }
    ReactiveBuffers r;
    r.intensity.fill(100);
    ReactiveDecay(r, kReactiveLights, 0);  // not a light: nothing changes
    ReactiveDecay(r, 100000, 0);
    for (uint8_t v : r.intensity) EXPECT_EQ(v, 100);
}

TEST(ReactiveTrigger, LightsTheLightsOfTheFirstNineMarqueePlaces) {
    ReactiveBuffers r;
    r.marquee[0] = 1;
    r.marquee[8] = 7;
    r.marquee[9] = 1;  // beyond the places that trigger
    r.marquee[22] = 1;
    r.intensity[3] = 40;
    r.intensity[9] = 12;
    ReactiveTrigger(r);
    for (size_t i = 0; i < kReactiveLights; ++i) {
        const int expected = (i == 0 || i == 8) ? 255 : i == 3 ? 40 : i == 9 ? 12 : 0;
        EXPECT_EQ(r.intensity[i], expected) << i;
    }
}

TEST(ReactiveRotate, MovesTheMarqueeOnePlaceAndWraps) {
    ReactiveBuffers r;
    std::iota(r.marquee.begin(), r.marquee.end(), uint8_t{1});  // 1..23
    ReactiveRotate(r, true);
    EXPECT_EQ(r.marquee[0], 23);
    EXPECT_EQ(r.marquee[1], 1);
    EXPECT_EQ(r.marquee[22], 22);
    ReactiveRotate(r, false);
    ReactiveRotate(r, false);
    EXPECT_EQ(r.marquee[0], 2);
    EXPECT_EQ(r.marquee[21], 23);
    EXPECT_EQ(r.marquee[22], 1);

    // A single 1 goes round all 23 places and comes back.
    ReactiveBuffers one;
    one.marquee[0] = 1;
    for (size_t n = 1; n <= kMarqueeSize; ++n) {
        ReactiveRotate(one, true);
        const size_t at = n % kMarqueeSize;
        EXPECT_EQ(one.marquee[at], 1) << n;
        EXPECT_EQ(std::accumulate(one.marquee.begin(), one.marquee.end(), 0), 1) << n;
    }
}

TEST(ReactiveClear, ZeroesBothBuffers) {
    ReactiveBuffers r;
    r.intensity.fill(9);
    r.marquee.fill(3);
    ReactiveClear(r);
    for (uint8_t v : r.intensity) EXPECT_EQ(v, 0);
    for (uint8_t v : r.marquee) EXPECT_EQ(v, 0);
}

// The mouse's group ripple in miniature: the single marquee 1 lights group 0, which
// then fades while the 1 moves on, and re-lights when the 1 comes round again.
TEST(Reactive, TriggerRotateDecayTogether) {
    ReactiveBuffers r;
    r.marquee[0] = 1;
    std::vector<int> group0;
    for (int n = 0; n < 25; ++n) {
        ReactiveTrigger(r);
        ReactiveRotate(r, true);
        ReactiveDecay(r, 0, 5);
        group0.push_back(r.intensity[0]);
    }
    const std::vector<int> expected = {215, 175, 135, 95, 65, 35, 25, 17, 9, 8, 7,   6,  5,
                                       4,   3,   2,   1,  0,  0,  0,  0,  0, 0, 215, 175};
    EXPECT_EQ(group0, expected);
}

}  // namespace
}  // namespace dz::lighting
