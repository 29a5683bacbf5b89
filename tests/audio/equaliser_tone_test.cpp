// The equaliser measured through a real sound server (private, the headset a float null
// sink): ten tones, one at each band's centre, are played into the headset's equaliser and
// recorded from the headset sink's monitor; the level of each tone is read with a DFT over
// a stretch of the steady part whose length holds a whole number of periods of every tone.
// A band set alone changes its centre's level by its gain, within 1 dB, over the whole
// range the library takes (-48 to +24 dB). With neighbours set too, the bands' filters
// multiply: a centre's level is then its own gain plus what the neighbours' skirts add
// there, which the multi-band case states and checks.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <complex>
#include <cstdio>
#include <cstring>
#include <numbers>
#include <optional>
#include <vector>

#include "platform/audio/conf_lib.h"
#include "support/pulse_server.h"
#include "support/pulse_tone.h"

namespace dz::audio {
namespace {

constexpr int kRate = 44100;
constexpr int kBands = 10;
constexpr double kToneSeconds = 1.5;
// 0.64 s holds 20 periods of 31.25 Hz and so a whole number of every octave above it.
constexpr size_t kAnalysed = static_cast<size_t>(kRate * 0.64);
constexpr double kToneAmplitude = 0.02;

double Centre(int band) {
    return 31.25 * std::pow(2.0, band);
}

int WriteInt(AudioDeviceDescriptor d, const std::wstring& name, int value) {
    alignas(4) uint8_t buffer[kPropertyBufferSize]{};
    std::memcpy(buffer, &value, 4);
    void* v = buffer;
    return PropertyControl(d, name.c_str(), &v, nullptr, 1);
}

using Levels = std::array<double, kBands>;  // dB per band centre
using EqGains = std::array<int, kBands>;

// One play and record: the level of each centre's tone, or nothing when the recording has
// no steady stretch long enough (a stream that started late).
std::optional<Levels> MeasureOnce() {
    std::vector<float> tone(static_cast<size_t>(kRate * kToneSeconds));
    for (size_t i = 0; i < tone.size(); ++i) {
        double x = 0;
        for (int b = 0; b < kBands; ++b)
            x += std::sin(2 * std::numbers::pi * Centre(b) * static_cast<double>(i) / kRate);
        tone[i] = static_cast<float>(kToneAmplitude * x);
    }
    const std::optional<std::vector<float>> recorded =
        test::PlayAndRecord(kEqualiserSink, "hs_sink.monitor", tone, kRate);
    if (!recorded) return std::nullopt;
    if (recorded->size() < kAnalysed + kRate / 5) {
        std::fprintf(stderr, "measure: only %zu frames of tone\n", recorded->size());
        return std::nullopt;
    }
    // The middle of it: away from the filters' onset and from the end.
    const size_t start = (recorded->size() - kAnalysed) / 2;
    Levels levels{};
    for (int b = 0; b < kBands; ++b) {
        std::complex<double> sum = 0;
        const double w = 2 * std::numbers::pi * Centre(b) / kRate;
        for (size_t i = 0; i < kAnalysed; ++i)
            sum += static_cast<double>((*recorded)[start + i]) *
                   std::polar(1.0, -w * static_cast<double>(i));
        const double amplitude = 2 * std::abs(sum) / static_cast<double>(kAnalysed);
        levels[static_cast<size_t>(b)] = 20 * std::log10(std::max(amplitude, 1e-12));
    }
    return levels;
}

std::optional<Levels> Measure() {
    for (int attempt = 0; attempt < 5; ++attempt)
        if (auto levels = MeasureOnce()) return levels;
    return std::nullopt;
}

// What chained peaking filters of one octave give at `hz` (the audio-EQ cookbook's, the
// plugin's design), in dB: the sum of each band's response there.
double ChainResponseDb(const EqGains& gains, double hz) {
    double db = 0;
    for (int b = 0; b < kBands; ++b) {
        const double w0 = 2 * std::numbers::pi * Centre(b) / kRate;
        const double a = std::pow(10.0, gains[static_cast<size_t>(b)] / 40.0);
        const double alpha = std::sin(w0) * std::sinh(std::log(2.0) / 2 * w0 / std::sin(w0));
        const std::complex<double> z = std::polar(1.0, -2 * std::numbers::pi * hz / kRate);
        const std::complex<double> num = (1 + alpha * a) - 2 * std::cos(w0) * z + (1 - alpha * a) * z * z;
        const std::complex<double> den = (1 + alpha / a) - 2 * std::cos(w0) * z + (1 - alpha / a) * z * z;
        db += 20 * std::log10(std::abs(num / den));
    }
    return db;
}

class EqualiserTone : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server_.Start({"load-module module-null-sink sink_name=hs_sink rate=44100 "
                                   "format=float32le channels=2 "
                                   "sink_properties='device.vendor.id=0c76 "
                                   "device.product.id=1630'"}))
            << server_.Error();
        ASSERT_EQ(ConfLibInit(), 0);
        ASSERT_EQ(CreateDeviceList(), 0);
        ASSERT_EQ(GetDeviceById(kOutputList, 0, &out_), 0);
        ASSERT_EQ(WriteInt(out_, L"Enable_EQ_GFX", 1), 0);
        ASSERT_TRUE(SetGains({})) << "flat, whatever an earlier test left";
        const std::optional<Levels> flat = Measure();
        ASSERT_TRUE(flat) << "no steady recording of the tones";
        flat_ = *flat;
        for (double db : flat_) ASSERT_GT(db, 20 * std::log10(kToneAmplitude) - 6) << "the tones came through";
    }
    void TearDown() override { (void)ConfLibUnInit(); }

    // The ten bands set in one group; false when the library refused.
    bool SetGains(const EqGains& gains) {
        bool ok = BeginPropertyGroup() == 0;
        for (int b = 0; b < kBands; ++b)
            ok = WriteInt(out_, L"EQ_Slider" + std::to_wstring(b + 1), gains[static_cast<size_t>(b)]) == 0 && ok;
        return EndPropertyGroup() == 0 && ok;
    }

    test::PulseServer server_;
    AudioDeviceDescriptor out_;
    Levels flat_{};
};

TEST_F(EqualiserTone, ABandAloneGivesItsCentreItsGainOverTheWholeRange) {
    struct Case {
        int band;  // 0-based
        int gain;
    } cases[] = {
        {5, 24},  {5, -48}, {5, 6},   {5, -12},  // 1 kHz: the extremes and between
        {0, 12},  {0, -24},                      // 31.25 Hz, the lowest band
        {2, -6},  {3, 18},                       // 125 and 250 Hz
        {7, -30},                                // 4 kHz
        {9, 24},  {9, -48},                      // 16 kHz, the highest band, near Nyquist
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("band " + std::to_string(c.band + 1) + " at " + std::to_string(c.gain) + " dB");
        EqGains gains{};
        gains[static_cast<size_t>(c.band)] = c.gain;
        ASSERT_TRUE(SetGains(gains));
        const std::optional<Levels> got = Measure();
        ASSERT_TRUE(got);
        const double change = (*got)[static_cast<size_t>(c.band)] - flat_[static_cast<size_t>(c.band)];
        std::printf("band %2d (%7.2f Hz) at %+3d dB: measured %+7.2f dB\n", c.band + 1,
                    Centre(c.band), c.gain, change);
        EXPECT_NEAR(change, c.gain, 1.0);
        // The other centres get the band's skirt (wide at large gains: a cut of 48 dB still
        // takes about 15 dB two octaves away), as one peaking filter gives it.
        for (int other = 0; other < kBands; ++other)
            EXPECT_NEAR((*got)[static_cast<size_t>(other)] - flat_[static_cast<size_t>(other)],
                        ChainResponseDb(gains, Centre(other)), 1.0)
                << "band " << other + 1;
    }
}

// A preset with large steps between neighbours (preset 6 of the panel): each centre gets its
// own gain plus its neighbours' skirts, so a centre between two high neighbours comes out
// above its own gain. The measured level matches the chain's response within 1 dB; how far
// that is from the gains asked for is printed.
TEST_F(EqualiserTone, APresetsCentresAreTheChainsResponse) {
    const EqGains preset{7, 14, -13, -6, -1, 8, 13, 7, 2, 6};
    ASSERT_TRUE(SetGains(preset));
    const std::optional<Levels> got = Measure();
    ASSERT_TRUE(got);
    for (int b = 0; b < kBands; ++b) {
        const double change = (*got)[static_cast<size_t>(b)] - flat_[static_cast<size_t>(b)];
        const double chain = ChainResponseDb(preset, Centre(b));
        std::printf("band %2d asked %+3d dB: measured %+7.2f dB, chain %+7.2f dB\n", b + 1,
                    preset[static_cast<size_t>(b)], change, chain);
        EXPECT_NEAR(change, chain, 1.0) << "band " << b + 1;
    }
}

}  // namespace
}  // namespace dz::audio
