#include "device/light_stream_thread.h"

#include <pthread.h>

namespace dz {

LightStreamThread::LightStreamThread(CommandChannel& channel, NowFn now)
    : now_(std::move(now)), streamer_(channel, now_) {}

LightStreamThread::~LightStreamThread() {
    Stop();
}

void LightStreamThread::Submit(const LightFrameBytes& frame, int light_count) {
    {
        std::lock_guard lock(mutex_);
        if (stop_) return;
        ++submitted_;
        // Only when no newer frame waits: the newest frame always wins.
        if (!has_pending_ && light_count == last_sent_count_ && frame == last_sent_ &&
            now_() - last_sent_at_ < kRepeatInterval) {
            ++repeats_skipped_;
            return;
        }
        if (has_pending_) ++replaced_;
        pending_ = frame;
        pending_count_ = light_count;
        has_pending_ = true;
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
        // Inside the pause after a failed frame the thread sleeps on its own; the newest
        // frame waits for it without waking it 200 times a second.
        if (now_() < paused_until_) return;
    }
    wake_.notify_one();
}

void LightStreamThread::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        has_pending_ = false;
    }
    wake_.notify_all();
    if (thread_.joinable()) thread_.join();
}

uint64_t LightStreamThread::SubmittedCount() const {
    std::lock_guard lock(mutex_);
    return submitted_;
}

uint64_t LightStreamThread::StreamedCount() const {
    std::lock_guard lock(mutex_);
    return streamed_;
}

uint64_t LightStreamThread::RepeatsSkipped() const {
    std::lock_guard lock(mutex_);
    return repeats_skipped_;
}

uint64_t LightStreamThread::ReplacedCount() const {
    std::lock_guard lock(mutex_);
    return replaced_;
}

uint64_t LightStreamThread::TakenCount() const {
    std::lock_guard lock(mutex_);
    return taken_;
}

uint64_t LightStreamThread::DroppedCount() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

bool LightStreamThread::Idle() const {
    std::lock_guard lock(mutex_);
    return !has_pending_ && taken_ + replaced_ + repeats_skipped_ == submitted_;
}

void LightStreamThread::Run() {
    pthread_setname_np(pthread_self(), "light stream");
    LightFrameBytes frame{};
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || has_pending_; });
        if (stop_) return;
        if (now_() < paused_until_) {
            wake_.wait_until(lock, paused_until_, [this] { return stop_; });
            continue;
        }
        frame = pending_;
        const int count = pending_count_;
        has_pending_ = false;
        lock.unlock();
        const FrameOutcome outcome = streamer_.Stream(frame, count);
        lock.lock();
        ++taken_;
        if (outcome == FrameOutcome::kDropped) ++dropped_;
        if (outcome == FrameOutcome::kFailed)
            paused_until_ = now_() + LightFrameStreamer::kFailurePause;
        if (outcome == FrameOutcome::kStreamed) {
            ++streamed_;
            last_sent_ = frame;
            last_sent_count_ = count;
            last_sent_at_ = now_();
        }
    }
}

}  // namespace dz
