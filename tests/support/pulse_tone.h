#pragma once
// Sound through a test's private server: `samples` (mono float at `rate`) played into
// `sink` while `source` is recorded, until the sound has come and gone (a quarter second
// of silence after it), at most six seconds. Answers the recording's stretch from its
// first to its last sample that is not silence; nothing (and why, on stderr) when nothing
// was heard. With `in_advance` the whole sound is in the server before it plays, so that a
// busy machine cannot put a gap into it; the sink then plays it in blocks of half its
// length. Without, it is played with 40 ms in the server, as a microphone delivers sound.
#include <atomic>
#include <optional>
#include <string>
#include <thread>
#include <vector>

struct pa_simple;

namespace dz::test {

std::optional<std::vector<float>> PlayAndRecord(const char* sink, const char* source,
                                                const std::vector<float>& samples, int rate,
                                                bool in_advance = true);

// Keeps a sink of a test's server playing in real time, as a sound card does. A fresh null
// sink with no one asking for a short latency renders seconds of silence ahead, and a
// stream that comes later is heard only after that stretch: up to two seconds after the
// server started. This reader on the sink's monitor asks for 10 ms; Start() returns once
// its first data has come (from then on the sink is at most 10 ms ahead) and the reader
// keeps draining until it is destroyed.
class LiveOutput {
  public:
    explicit LiveOutput(std::string sink) : sink_(std::move(sink)) {}
    ~LiveOutput();
    LiveOutput(const LiveOutput&) = delete;
    LiveOutput& operator=(const LiveOutput&) = delete;
    // False (and why, on stderr) when the monitor could not be read.
    bool Start();

  private:
    std::string sink_;
    pa_simple* stream_ = nullptr;
    std::thread reader_;
    std::atomic<bool> stop_{false};
};

}  // namespace dz::test
