#pragma once
// What the computer plays, read from the monitor of the sound server's default output:
// mono 16-bit samples at 44100 Hz in blocks of 500 (one sample packet, 11.3 ms), each turned
// into a 32-bit value of the packet scale (the 16-bit sample divided by 8, so full scale is
// +-4096; see README). The server mixes the channels down and resamples.

#include <array>
#include <cstdint>
#include <string>

struct pa_simple;

namespace dz::audio_record {

inline constexpr int kSampleRate = 44100;
inline constexpr size_t kPacketSamples = 500;
inline constexpr int kScaleDivisor = 8;

using SamplePacket = std::array<int32_t, kPacketSamples>;

// 16-bit samples into packet values.
void ScaleSamples(const int16_t* in, SamplePacket& out);

class PulseCapture {
  public:
    PulseCapture() = default;
    ~PulseCapture();
    PulseCapture(const PulseCapture&) = delete;
    PulseCapture& operator=(const PulseCapture&) = delete;

    // Connects to the server ($PULSE_SERVER or the session's) and opens the record stream
    // on the default output's monitor. False with the server's reason in Error().
    [[nodiscard]] bool Open(const std::string& client_name);
    // Blocks until the next 500 samples are there. False when the server went away.
    [[nodiscard]] bool Read(SamplePacket& packet);
    // Drops what the server has buffered, so the next packet is the sound of now.
    void Flush();
    [[nodiscard]] const std::string& Error() const { return error_; }

  private:
    pa_simple* stream_ = nullptr;
    std::string error_;
};

}  // namespace dz::audio_record
