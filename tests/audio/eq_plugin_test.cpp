// The equaliser plugin itself, run in this process by a small LADSPA host as the sound
// server runs it: the two channels stay apart, controls beyond the range (or not numbers)
// are held to it, and the highest band still works where 16 kHz is past the rate's reach.
// Its gains through a real server are measured by equaliser_tone_test.
#include <gtest/gtest.h>

#include <cmath>
#include <complex>
#include <limits>
#include <numbers>
#include <vector>

#include "support/ladspa_host.h"

namespace dz::audio {
namespace {

constexpr const char* kLabel = "dozadir_octave_eq";
constexpr unsigned long kBlock = 512;

// The level change (dB) of a sine of `hz` through the plugin on the left channel, measured
// over the last 0.64 s of 1.5 s; the right channel's input is silence, its output returned
// in `right_peak`.
double GainDb(test::LadspaHost& host, double hz, unsigned long rate, double* right_peak = nullptr) {
    const size_t total = static_cast<size_t>(1.5 * static_cast<double>(rate));
    const size_t analysed = static_cast<size_t>(0.64 * static_cast<double>(rate));
    std::vector<float> in(total), silence(total, 0.0f), left(total), right(total);
    for (size_t i = 0; i < total; ++i)
        in[i] = static_cast<float>(0.01 * std::sin(2 * std::numbers::pi * hz * static_cast<double>(i) / rate));
    for (size_t at = 0; at < total; at += kBlock) {
        const unsigned long n = static_cast<unsigned long>(std::min<size_t>(kBlock, total - at));
        host.Run({in.data() + at, silence.data() + at}, {left.data() + at, right.data() + at}, n);
    }
    std::complex<double> got = 0, sent = 0;
    const double w = 2 * std::numbers::pi * hz / static_cast<double>(rate);
    for (size_t i = total - analysed; i < total; ++i) {
        const std::complex<double> e = std::polar(1.0, -w * static_cast<double>(i));
        got += static_cast<double>(left[i]) * e;
        sent += static_cast<double>(in[i]) * e;
    }
    if (right_peak != nullptr) {
        *right_peak = 0;
        for (float x : right) *right_peak = std::max(*right_peak, static_cast<double>(std::fabs(x)));
    }
    return 20 * std::log10(std::abs(got) / std::abs(sent));
}

TEST(EqPlugin, IsAStereoPluginWithTenControls) {
    test::LadspaHost host(DZ_EQ_PLUGIN, kLabel, 48000);
    ASSERT_TRUE(host.Ready()) << DZ_EQ_PLUGIN;
    EXPECT_EQ(host.Controls(), 10u);
    EXPECT_EQ(host.Inputs(), 2u);
    EXPECT_EQ(host.Outputs(), 2u);
}

TEST(EqPlugin, TheChannelsStayApart) {
    test::LadspaHost host(DZ_EQ_PLUGIN, kLabel, 48000);
    ASSERT_TRUE(host.Ready());
    host.SetControl(0, 12.0f);
    host.SetControl(5, -20.0f);
    double right = 1;
    EXPECT_NEAR(GainDb(host, 1000, 48000, &right), -20, 1.0);
    EXPECT_LT(right, 1e-12) << "the silent channel stays silent";
}

TEST(EqPlugin, ControlsBeyondTheRangeAreHeldToIt) {
    const struct {
        float control;
        double gain;
    } cases[] = {
        {60.0f, 24.0},
        {-100.0f, -48.0},
        {std::numeric_limits<float>::quiet_NaN(), 0.0},
        {std::numeric_limits<float>::infinity(), 0.0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.control);
        test::LadspaHost host(DZ_EQ_PLUGIN, kLabel, 48000);
        ASSERT_TRUE(host.Ready());
        host.SetControl(5, c.control);
        const double gain = GainDb(host, 1000, 48000);
        ASSERT_TRUE(std::isfinite(gain));
        EXPECT_NEAR(gain, c.gain, 0.5);
    }
}

// At 32 kHz, 16 kHz is the Nyquist frequency: the band sits just below it instead.
TEST(EqPlugin, TheHighestBandBelowTheRatesReach) {
    test::LadspaHost host(DZ_EQ_PLUGIN, kLabel, 32000);
    ASSERT_TRUE(host.Ready());
    host.SetControl(9, 24.0f);
    const double gain = GainDb(host, 0.45 * 32000, 32000);
    ASSERT_TRUE(std::isfinite(gain));
    EXPECT_NEAR(gain, 24, 1.0);
    // Near the Nyquist frequency the filter is wide (its bandwidth is kept in octaves): six
    // octaves below, +24 dB still adds about half a decibel.
    EXPECT_NEAR(GainDb(host, 250, 32000), 0, 1.0) << "far below it, all but untouched";
}

}  // namespace
}  // namespace dz::audio
