// The voice changer heard through a real sound server (private): the headset's microphone
// is a source remapped from a null sink's monitor, so that a tone played into that sink is
// what the microphone hears. With the voice changer on, a program recording the default
// input gets the tone at the voice's pitch (from the moment it is switched on: the chain's
// null sink is made to start at its short latency); with it off, the tone as it was.
#include <gtest/gtest.h>
#include <pulse/simple.h>

#include <cmath>
#include <cstring>
#include <numbers>
#include <optional>
#include <string>
#include <vector>

#include "platform/audio/conf_lib.h"
#include "platform/audio/voice_chain.h"
#include "support/pulse_server.h"
#include "support/pulse_tone.h"
#include "support/tone_analysis.h"

namespace dz::audio {
namespace {

constexpr int kRate = 48000;
constexpr double kTone = 440.0;
constexpr const char* kProps = "'device.vendor.id=0c76 device.product.id=1630'";

int WriteInt(AudioDeviceDescriptor d, const wchar_t* name, int value) {
    alignas(4) uint8_t buffer[kPropertyBufferSize]{};
    std::memcpy(buffer, &value, 4);
    void* v = buffer;
    return PropertyControl(d, name, &v, nullptr, 1);
}

// The strongest frequency (50 Hz to 1.5 kHz) over half a second in the middle
// of a recording; nothing when the recording is too short.
std::optional<double> StrongestOfRecording(const char* source) {
    std::vector<float> tone(static_cast<size_t>(kRate * 1.0));
    for (size_t i = 0; i < tone.size(); ++i)
        tone[i] = static_cast<float>(
            0.2 * std::sin(2 * std::numbers::pi * kTone * static_cast<double>(i) / kRate));
    for (int attempt = 0; attempt < 5; ++attempt) {
        // Played as a microphone hears it, a little at a time.
        const auto recorded = test::PlayAndRecord("mic_feed", source, tone, kRate, false);
        const size_t count = kRate / 2;
        if (!recorded || recorded->size() < count + kRate / 5) continue;
        const size_t from = (recorded->size() - count) / 2;
        return test::StrongestTone(*recorded, from, count, kRate, 50, 1500);
    }
    return std::nullopt;
}

class VoiceTone : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(server_.Start({
            std::string("load-module module-null-sink sink_name=hs_sink sink_properties=") + kProps,
            "load-module module-null-sink sink_name=mic_feed rate=48000 channels=1",
            std::string(
                "load-module module-remap-source master=mic_feed.monitor source_name=hs_mic "
                "source_properties=") +
                kProps,
            "set-default-source hs_mic",
        })) << server_.Error();
        ASSERT_EQ(ConfLibInit(), 0);
        ASSERT_EQ(CreateDeviceList(), 0);
        ASSERT_EQ(GetDeviceById(kInputList, 0, &in_), 0);
    }
    void TearDown() override { (void)ConfLibUnInit(); }

    test::PulseServer server_;
    AudioDeviceDescriptor in_;
};

TEST_F(VoiceTone, TheDefaultInputCarriesTheVoiceWhileTheChangerIsOn) {
    const std::optional<double> plain = StrongestOfRecording(nullptr);
    ASSERT_TRUE(plain) << "no steady recording of the microphone";
    EXPECT_NEAR(*plain, kTone, 2) << "off: the microphone as it is";

    ASSERT_EQ(WriteInt(in_, L"MagicVoice_Selection", 1), 0);  // voice 2, higher
    ASSERT_EQ(WriteInt(in_, L"Enable_MAGICVOICE", 1), 0);
    const double higher = kTone * std::pow(2.0, 5.0 / 12);
    const std::optional<double> changed = StrongestOfRecording(nullptr);
    ASSERT_TRUE(changed) << "no steady recording of the voice changer";
    EXPECT_NEAR(*changed, higher, higher * 0.01) << server_.Pactl("list short modules");

    {
        // Another voice during a call: the call's recording goes on through the change, and
        // the new voice reaches it (and a recording that starts after it) at once. (With
        // nothing recording at all, the server's null sink may work up to two seconds
        // ahead for a moment, and a recording that starts right then hears the voice late.)
        const pa_sample_spec format{PA_SAMPLE_S16LE, kRate, 1};
        const pa_buffer_attr small{static_cast<uint32_t>(-1), 0, 0, 0, kRate / 10};
        pa_simple* call = pa_simple_new(nullptr, "dz test", PA_STREAM_RECORD, nullptr, "call",
                                        &format, nullptr, &small, nullptr);
        ASSERT_NE(call, nullptr);
        ASSERT_EQ(WriteInt(in_, L"MagicVoice_Selection", 3), 0);  // voice 4, an octave down
        pa_simple_free(call);
    }
    const std::optional<double> monster = StrongestOfRecording(kVoiceSource);
    ASSERT_TRUE(monster);
    EXPECT_NEAR(*monster, kTone / 2, kTone / 2 * 0.03);

    ASSERT_EQ(WriteInt(in_, L"Enable_MAGICVOICE", 0), 0);
    const std::optional<double> again = StrongestOfRecording(nullptr);
    ASSERT_TRUE(again);
    EXPECT_NEAR(*again, kTone, 2) << "off again";
}

}  // namespace
}  // namespace dz::audio
