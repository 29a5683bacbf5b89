#include "pulse_capture.h"

#include <pulse/error.h>
#include <pulse/simple.h>

namespace dz::audio_record {

void ScaleSamples(const int16_t* in, SamplePacket& out) {
    for (size_t i = 0; i < kPacketSamples; ++i) out[i] = int32_t{in[i]} / kScaleDivisor;
}

PulseCapture::~PulseCapture() {
    if (stream_ != nullptr) pa_simple_free(stream_);
}

bool PulseCapture::Open(const std::string& client_name) {
    const pa_sample_spec format{PA_SAMPLE_S16LE, kSampleRate, 1};
    // One packet per fragment: the server hands each block over as soon as it is full,
    // which keeps the light's delay to a packet or two.
    pa_buffer_attr attr{};
    attr.maxlength = static_cast<uint32_t>(-1);
    attr.fragsize = static_cast<uint32_t>(kPacketSamples * sizeof(int16_t));
    int err = 0;
    stream_ = pa_simple_new(nullptr, client_name.c_str(), PA_STREAM_RECORD, "@DEFAULT_MONITOR@",
                            "what the computer plays", &format, nullptr, &attr, &err);
    if (stream_ == nullptr) {
        error_ = pa_strerror(err);
        return false;
    }
    return true;
}

bool PulseCapture::Read(SamplePacket& packet) {
    std::array<int16_t, kPacketSamples> raw{};
    int err = 0;
    if (pa_simple_read(stream_, raw.data(), sizeof(raw), &err) < 0) {
        error_ = pa_strerror(err);
        return false;
    }
    ScaleSamples(raw.data(), packet);
    return true;
}

void PulseCapture::Flush() {
    int err = 0;
    (void)pa_simple_flush(stream_, &err);
}

}  // namespace dz::audio_record
