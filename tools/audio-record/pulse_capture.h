#pragma once
// What the computer plays, read from the monitor of the sound server's default output:
// mono 16-bit samples at 44100 Hz in blocks of 500 (one sample packet, 11.3 ms), each turned
// into a 32-bit value of the packet scale (the 16-bit sample divided by 8, so full scale is
// +-4096; see README). The server mixes the channels down and resamples.
//
// libpulse's asynchronous API on a main loop of our own, run by the capture thread, which
// also sends the packets: one thread that wakes when the server hands data over (the simple
// API's reader and its loop thread both woke, several times a packet).

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <string>

struct pa_context;
struct pa_mainloop;
struct pa_stream;

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
    // on the default output's monitor, waiting until both are ready. False with the
    // server's reason in Error().
    [[nodiscard]] bool Open(const std::string& client_name);
    // Runs the loop on the calling thread, handing over every 500 samples as they are
    // complete, until Stop() (true) or until the server goes away (false, Error() says why).
    // Only one thread at a time may be in Open or Run.
    [[nodiscard]] bool Run(const std::function<void(const SamplePacket&)>& packet);
    // Any thread: Run returns soon after.
    void Stop();
    // Any thread: what the server and the loop hold so far is dropped, so that the next
    // packet is the sound of now.
    void Flush();
    [[nodiscard]] const std::string& Error() const { return error_; }

  private:
    static void OnContextState(pa_context* context, void* self);
    static void OnStreamState(pa_stream* stream, void* self);
    static void OnReadable(pa_stream* stream, size_t bytes, void* self);
    // Iterates the loop until `done` holds or the connection failed.
    bool IterateUntil(const std::function<bool()>& done);
    void Take(const uint8_t* bytes, size_t size);  // null bytes: a hole, taken as silence
    bool Failed(const char* what);

    pa_mainloop* loop_ = nullptr;
    pa_context* context_ = nullptr;
    pa_stream* stream_ = nullptr;
    bool failed_ = false;
    std::string error_;
    std::atomic<bool> stop_{false};
    std::atomic<bool> flush_{false};
    // The packet being filled, as the server's bytes.
    std::array<uint8_t, kPacketSamples * sizeof(int16_t)> pending_{};
    size_t filled_ = 0;
    const std::function<void(const SamplePacket&)>* deliver_ = nullptr;
};

}  // namespace dz::audio_record
