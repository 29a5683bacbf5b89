// The voice changer plugin run in this process by a small LADSPA host, as the sound server
// runs it: a 440 Hz tone comes out at the pitch each voice promises (the strongest
// frequency of the output, searched from 50 Hz to 2 kHz), the robot's carrier splits it in
// two, a control out of range is voice 1, a buffer shared by input and output works, and
// loud input stays within full scale.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "support/ladspa_host.h"
#include "support/tone_analysis.h"

namespace dz::audio {
namespace {

constexpr const char* kLabel = "dozadir_voice";
constexpr unsigned long kRate = 48000;
constexpr unsigned long kBlock = 480;
constexpr double kTone = 440.0;

std::vector<float> Tone(double hz, double amplitude, double seconds) {
    std::vector<float> v(static_cast<size_t>(seconds * kRate));
    for (size_t i = 0; i < v.size(); ++i)
        v[i] = static_cast<float>(
            amplitude * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / kRate));
    return v;
}

std::vector<float> Process(test::LadspaHost& host, const std::vector<float>& in) {
    std::vector<float> out(in.size());
    for (size_t at = 0; at < in.size(); at += kBlock) {
        const auto n = static_cast<unsigned long>(std::min<size_t>(kBlock, in.size() - at));
        host.Run({in.data() + at}, {out.data() + at}, n);
    }
    return out;
}

// Over the second half of `x`: the amplitude of `hz`, the strongest frequency, and the
// share of the power within `spread` (a fraction) of `hz`.
double Level(const std::vector<float>& x, double hz) {
    return test::ToneLevel(x, x.size() / 2, x.size() - x.size() / 2, hz, kRate);
}
double Strongest(const std::vector<float>& x) {
    return test::StrongestTone(x, x.size() / 2, x.size() - x.size() / 2, kRate, 50, 2000);
}
double Power(const std::vector<float>& x) {
    double p = 0;
    for (size_t i = x.size() / 2; i < x.size(); ++i) p += static_cast<double>(x[i]) * x[i];
    return p / static_cast<double>(x.size() - x.size() / 2);
}
double ShareNear(const std::vector<float>& x, double hz, double spread) {
    return test::PowerShare(x, x.size() / 2, x.size() - x.size() / 2, kRate, hz * (1 - spread),
                            hz * (1 + spread));
}

TEST(VoicePlugin, IsAMonoPluginWithOneControl) {
    test::LadspaHost host(DZ_VOICE_PLUGIN, kLabel, kRate);
    ASSERT_TRUE(host.Ready()) << DZ_VOICE_PLUGIN;
    EXPECT_EQ(host.Controls(), 1u);
    EXPECT_EQ(host.Inputs(), 1u);
    EXPECT_EQ(host.Outputs(), 1u);
}

TEST(VoicePlugin, EachPitchVoiceMovesTheToneByItsInterval) {
    struct Case {
        float voice;
        double expected_hz;
    } cases[] = {
        {1, kTone * std::pow(2.0, -5.0 / 12)},  // deeper: 329.6 Hz
        {2, kTone * std::pow(2.0, 5.0 / 12)},   // higher: 587.3 Hz
        {4, kTone / 2},                         // monster: an octave down
        {0, kTone * std::pow(2.0, -5.0 / 12)},  // out of range: voice 1
        {9, kTone * std::pow(2.0, -5.0 / 12)},
        {std::numeric_limits<float>::quiet_NaN(), kTone * std::pow(2.0, -5.0 / 12)},
    };
    const std::vector<float> in = Tone(kTone, 0.3, 1.0);
    for (const Case& c : cases) {
        SCOPED_TRACE("voice " + std::to_string(c.voice));
        test::LadspaHost host(DZ_VOICE_PLUGIN, kLabel, kRate);
        ASSERT_TRUE(host.Ready());
        host.SetControl(0, c.voice);
        const std::vector<float> out = Process(host, in);
        // The taps' cross-fade puts side lines around the new pitch (the window's rate
        // apart): the tone's power is around the new pitch, none is left at the old one.
        EXPECT_NEAR(Strongest(out), c.expected_hz, c.expected_hz * 0.03);
        EXPECT_GT(ShareNear(out, c.expected_hz, 0.1), 0.9);
        EXPECT_LT(ShareNear(out, kTone, 0.02), 0.01);
        // Not much quieter than what came in (a sine's power is half its amplitude squared).
        EXPECT_GT(Power(out), 0.5 * 0.3 * 0.3 / 2);
    }
}

TEST(VoicePlugin, TheRobotSplitsTheToneAroundItsCarrier) {
    test::LadspaHost host(DZ_VOICE_PLUGIN, kLabel, kRate);
    ASSERT_TRUE(host.Ready());
    host.SetControl(0, 3);
    const std::vector<float> out = Process(host, Tone(kTone, 0.3, 1.0));
    EXPECT_NEAR(Level(out, kTone - 50), 0.15, 0.01);
    EXPECT_NEAR(Level(out, kTone + 50), 0.15, 0.01);
    EXPECT_LT(Level(out, kTone), 0.003);
}

TEST(VoicePlugin, WorksInPlaceAndStaysWithinFullScale) {
    const std::vector<float> in = Tone(kTone, 1.5, 0.5);  // past full scale
    test::LadspaHost apart(DZ_VOICE_PLUGIN, kLabel, kRate);
    test::LadspaHost shared(DZ_VOICE_PLUGIN, kLabel, kRate);
    ASSERT_TRUE(apart.Ready() && shared.Ready());
    apart.SetControl(0, 2);
    shared.SetControl(0, 2);
    const std::vector<float> out = Process(apart, in);
    std::vector<float> buffer = in;
    for (size_t at = 0; at < buffer.size(); at += kBlock) {
        const auto n = static_cast<unsigned long>(std::min<size_t>(kBlock, buffer.size() - at));
        shared.Run({buffer.data() + at}, {buffer.data() + at}, n);
    }
    for (size_t i = 0; i < in.size(); ++i) {
        ASSERT_FLOAT_EQ(buffer[i], out[i]) << "sample " << i;
        ASSERT_LE(std::fabs(out[i]), 1.0f) << "sample " << i;
    }
}

TEST(VoicePlugin, ANewVoiceStartsFromSilenceNotFromTheOldOnesHistory) {
    test::LadspaHost host(DZ_VOICE_PLUGIN, kLabel, kRate);
    ASSERT_TRUE(host.Ready());
    host.SetControl(0, 1);
    (void)Process(host, Tone(kTone, 0.3, 0.2));
    host.SetControl(0, 4);
    const std::vector<float> out = Process(host, std::vector<float>(kRate / 10, 0.0f));
    for (float x : out) ASSERT_EQ(x, 0.0f);
}

}  // namespace
}  // namespace dz::audio
