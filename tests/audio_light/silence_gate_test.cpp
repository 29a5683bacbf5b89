// The capture program leaves out the rest of a silence (tools/audio-record/silence_gate.h):
// what the window's bands and the keyboard end up with is what every zero packet would
// have given them, from the loudest sound there can be, and sound after the silence goes
// out at once with the same bands.
#include "silence_gate.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "panels/audio/audio_bands.h"

namespace dz::audio_record {
namespace {

// Full scale, the sign flipping from sample to sample and from packet to packet: the
// largest differences, so the largest bands.
SamplePacket Loud(int n) {
    SamplePacket p{};
    for (size_t i = 0; i < p.size(); ++i) p[i] = ((i + static_cast<size_t>(n)) % 2 == 0) ? 4096 : -4096;
    return p;
}

struct Window {
    panels::AudioBands bands;
    panels::AudioBands::Block last_delivered{};
    void Take(const SamplePacket& p) {
        const auto* bytes = reinterpret_cast<const uint8_t*>(p.data());
        if (bands.OnSamplePacket({bytes, sizeof p}) == panels::AudioBands::Result::kDeliver)
            last_delivered = bands.DeliveryBlock();
    }
};

bool AllZero(const auto& values) {
    return std::all_of(values.begin(), values.end(), [](int32_t v) { return v == 0; });
}

TEST(SilenceGate, TheWindowEndsASilenceAsIfItHadHeardAllOfIt) {
    SilenceGate gate;
    Window gated, everything;
    std::vector<SamplePacket> sequence;
    for (int n = 0; n < 30; ++n) sequence.push_back(Loud(n));
    const size_t silence_from = sequence.size();
    sequence.insert(sequence.end(), 200, SamplePacket{});
    const size_t sound_again = sequence.size();
    for (int n = 0; n < 6; ++n) sequence.push_back(Loud(n));
    int passed_in_silence = 0;
    for (size_t k = 0; k < sequence.size(); ++k) {
        const bool passed = gate.Pass(sequence[k]);
        if (k < silence_from || k >= sound_again) {
            EXPECT_TRUE(passed) << "packet " << k << " has sound";
        } else if (passed) {
            ++passed_in_silence;
        }
        everything.Take(sequence[k]);
        if (passed) gated.Take(sequence[k]);
        if (k == sound_again - 1) {
            SCOPED_TRACE("at the end of the silence");
            EXPECT_TRUE(AllZero(gated.bands.Bands()));
            EXPECT_TRUE(AllZero(gated.last_delivered)) << "the keyboard was handed the silence";
            EXPECT_EQ(gated.bands.Bands(), everything.bands.Bands());
        }
        if (k >= sound_again) {
            EXPECT_EQ(gated.bands.Bands(), everything.bands.Bands()) << "packet " << k;
        }
    }
    EXPECT_EQ(passed_in_silence, SilenceGate::kTrailing);
}

TEST(SilenceGate, AQuietSoundIsNotSilence) {
    SilenceGate gate;
    SamplePacket whisper{};
    whisper[499] = 1;
    for (int n = 0; n < 100; ++n) ASSERT_TRUE(gate.Pass(whisper)) << n;
}

}  // namespace
}  // namespace dz::audio_record
