#pragma once
// Streams a device's light frames from a thread of their own. The frame timer on the UI
// thread only builds the frame and hands it over: a frame of ten packets takes some 20 ms
// on a full-speed device polled at 1 kHz, which the UI thread must not wait for every
// 5 ms. A frame handed over while the previous one is still on its way replaces the one
// waiting (the newest frame wins; the stream drops what the link cannot carry).

#include <condition_variable>
#include <mutex>
#include <thread>

#include "device/light_frame.h"

namespace dz {

class LightStreamThread {
  public:
    explicit LightStreamThread(CommandChannel& channel);
    ~LightStreamThread();
    LightStreamThread(const LightStreamThread&) = delete;
    LightStreamThread& operator=(const LightStreamThread&) = delete;

    // Queues `frame` (light_count lights) for the stream; starts the thread on first use.
    void Submit(const LightFrameBytes& frame, int light_count);
    // Ends the thread after the frame on its way; one waiting is dropped.
    void Stop();

    // Frames sent, and frames replaced before they were sent (for benchmarks and tests).
    [[nodiscard]] uint64_t StreamedCount() const;
    [[nodiscard]] uint64_t ReplacedCount() const;

  private:
    void Run();

    LightFrameStreamer streamer_;  // the stream thread only
    mutable std::mutex mutex_;
    std::condition_variable wake_;
    LightFrameBytes pending_{};
    int pending_count_ = 0;
    bool has_pending_ = false;
    bool stop_ = false;
    uint64_t streamed_ = 0;
    uint64_t replaced_ = 0;
    std::thread thread_;
};

}  // namespace dz
