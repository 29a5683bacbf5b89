#pragma once
// Streams a device's light frames from a thread of their own. The frame timer on the UI
// thread only builds the frame and hands it over: a frame of ten packets takes some 20 ms
// on a full-speed device polled at 1 kHz, which the UI thread must not wait for every
// 5 ms. A frame handed over while the previous one is still on its way replaces the one
// waiting (the newest frame wins; the stream drops what the link cannot carry). A frame
// equal to the last one sent goes out again only after kRepeatInterval: a still picture
// is not re-sent 200 times a second, yet the device keeps hearing from the host. A frame
// the channel dropped (busy with a command) was not sent, so the next hand-over of the
// same picture is not taken for a repeat.

#include <condition_variable>
#include <mutex>
#include <thread>

#include "device/light_frame.h"

namespace dz {

class LightStreamThread {
  public:
    using Clock = LightFrameStreamer::Clock;
    using NowFn = LightFrameStreamer::NowFn;
    static constexpr std::chrono::milliseconds kRepeatInterval{500};

    explicit LightStreamThread(CommandChannel& channel, NowFn now = &Clock::now);
    ~LightStreamThread();
    LightStreamThread(const LightStreamThread&) = delete;
    LightStreamThread& operator=(const LightStreamThread&) = delete;

    // Queues `frame` (light_count lights) for the stream; starts the thread on first use.
    void Submit(const LightFrameBytes& frame, int light_count);
    // Ends the thread after the frame on its way; one waiting is dropped.
    void Stop();

    // Frames handed over, frames sent, frames replaced before they were sent, repeats of
    // the last frame left out, frames the thread took up (whatever became of them) and
    // frames the channel dropped because it was busy (for benchmarks and tests).
    [[nodiscard]] uint64_t SubmittedCount() const;
    [[nodiscard]] uint64_t StreamedCount() const;
    [[nodiscard]] uint64_t ReplacedCount() const;
    [[nodiscard]] uint64_t RepeatsSkipped() const;
    [[nodiscard]] uint64_t TakenCount() const;
    [[nodiscard]] uint64_t DroppedCount() const;
    // No frame waits and none is on its way: every frame handed over is accounted for.
    [[nodiscard]] bool Idle() const;

  private:
    void Run();

    NowFn now_;
    LightFrameStreamer streamer_;  // the stream thread only
    mutable std::mutex mutex_;
    LightFrameBytes last_sent_{};
    int last_sent_count_ = -1;
    Clock::time_point last_sent_at_{};
    uint64_t repeats_skipped_ = 0;
    Clock::time_point paused_until_{};  // after a failed frame
    std::condition_variable wake_;
    LightFrameBytes pending_{};
    int pending_count_ = 0;
    bool has_pending_ = false;
    bool stop_ = false;
    uint64_t submitted_ = 0;
    uint64_t streamed_ = 0;
    uint64_t replaced_ = 0;
    uint64_t taken_ = 0;
    uint64_t dropped_ = 0;
    std::thread thread_;
};

}  // namespace dz
