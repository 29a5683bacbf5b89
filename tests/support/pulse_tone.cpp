#include "support/pulse_tone.h"

#include <pulse/error.h>
#include <pulse/simple.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <thread>

namespace dz::test {

std::optional<std::vector<float>> PlayAndRecord(const char* sink, const char* source,
                                                const std::vector<float>& samples, int rate,
                                                bool in_advance) {
    const pa_sample_spec format{PA_SAMPLE_FLOAT32LE, static_cast<uint32_t>(rate), 1};
    int error = 0;
    // Small buffers: the server's default ones hold seconds, and the test would wait for them.
    const auto bytes_50ms = static_cast<uint32_t>(rate / 20 * sizeof(float));
    const pa_buffer_attr record_buffer{static_cast<uint32_t>(-1), 0, 0, 0, bytes_50ms};
    const auto sound_bytes = static_cast<uint32_t>(samples.size() * sizeof(float));
    const auto bytes_40ms = static_cast<uint32_t>(rate / 25 * sizeof(float));
    const auto none = static_cast<uint32_t>(-1);
    const pa_buffer_attr play_buffer = in_advance
                                           ? pa_buffer_attr{none, sound_bytes, sound_bytes, none, 0}
                                           : pa_buffer_attr{none, bytes_40ms, none, none, 0};
    pa_simple* rec = pa_simple_new(nullptr, "dz test", PA_STREAM_RECORD, source, "measure", &format,
                                   nullptr, &record_buffer, &error);
    if (rec == nullptr) {
        std::fprintf(stderr, "record: no recording stream: %s\n", pa_strerror(error));
        return std::nullopt;
    }
    const auto loud = [](float x) { return std::fabs(x) > 1e-7f; };
    std::vector<float> recorded;
    std::thread reader([&] {
        std::vector<float> chunk(static_cast<size_t>(rate / 20));
        bool heard = false;
        int quiet = 0;
        while (recorded.size() < static_cast<size_t>(rate) * 6) {
            int read_error = 0;
            if (pa_simple_read(rec, chunk.data(), chunk.size() * sizeof(float), &read_error) < 0)
                break;
            recorded.insert(recorded.end(), chunk.begin(), chunk.end());
            if (std::any_of(chunk.begin(), chunk.end(), loud)) {
                heard = true;
                quiet = 0;
            } else if (heard && ++quiet >= 5) {
                break;
            }
        }
    });
    pa_simple* play = pa_simple_new(nullptr, "dz test", PA_STREAM_PLAYBACK, sink, "sound", &format,
                                    nullptr, &play_buffer, &error);
    if (play != nullptr)
        (void)pa_simple_write(play, samples.data(), samples.size() * sizeof(float), &error);
    else
        std::fprintf(stderr, "record: no playback stream into %s: %s\n", sink, pa_strerror(error));
    // Not drained: the recording waits for the sound (a drain waits for the sinks' whole
    // latency besides).
    reader.join();
    const bool played = play != nullptr;
    if (play != nullptr) pa_simple_free(play);
    pa_simple_free(rec);
    const auto first = std::find_if(recorded.begin(), recorded.end(), loud);
    const auto last = std::find_if(recorded.rbegin(), recorded.rend(), loud);
    if (first == recorded.end()) {
        std::fprintf(stderr, "record: nothing heard (%s)\n",
                     played ? "silence" : "no playback stream");
        return std::nullopt;
    }
    return std::vector<float>(first, last.base());
}

LiveOutput::~LiveOutput() {
    stop_.store(true);
    if (reader_.joinable()) reader_.join();
    if (stream_ != nullptr) pa_simple_free(stream_);
}

bool LiveOutput::Start() {
    constexpr uint32_t kRate = 44100;
    constexpr uint32_t kChunk = kRate / 100 * sizeof(int16_t);  // 10 ms, mono
    const pa_sample_spec format{PA_SAMPLE_S16LE, kRate, 1};
    const pa_buffer_attr buffer{static_cast<uint32_t>(-1), 0, 0, 0, kChunk};
    const std::string monitor = sink_ + ".monitor";
    int error = 0;
    stream_ = pa_simple_new(nullptr, "dz test", PA_STREAM_RECORD, monitor.c_str(), "live output",
                            &format, nullptr, &buffer, &error);
    if (stream_ == nullptr) {
        std::fprintf(stderr, "live output: no recording stream on %s: %s\n", monitor.c_str(),
                     pa_strerror(error));
        return false;
    }
    std::array<char, kChunk> chunk{};
    // Blocks until the sink has rendered past its head start.
    if (pa_simple_read(stream_, chunk.data(), chunk.size(), &error) < 0) {
        std::fprintf(stderr, "live output: %s gave nothing: %s\n", monitor.c_str(),
                     pa_strerror(error));
        return false;
    }
    reader_ = std::thread([this] {
        std::array<char, kChunk> drain{};
        int e = 0;
        while (!stop_.load() && pa_simple_read(stream_, drain.data(), drain.size(), &e) >= 0) {
        }
    });
    return true;
}

}  // namespace dz::test
