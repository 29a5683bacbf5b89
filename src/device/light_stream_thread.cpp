#include "device/light_stream_thread.h"

namespace dz {

LightStreamThread::LightStreamThread(CommandChannel& channel) : streamer_(channel) {}

LightStreamThread::~LightStreamThread() {
    Stop();
}

void LightStreamThread::Submit(const LightFrameBytes& frame, int light_count) {
    {
        std::lock_guard lock(mutex_);
        if (stop_) return;
        if (has_pending_) ++replaced_;
        pending_ = frame;
        pending_count_ = light_count;
        has_pending_ = true;
        if (!thread_.joinable()) thread_ = std::thread([this] { Run(); });
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

uint64_t LightStreamThread::StreamedCount() const {
    std::lock_guard lock(mutex_);
    return streamed_;
}

uint64_t LightStreamThread::ReplacedCount() const {
    std::lock_guard lock(mutex_);
    return replaced_;
}

void LightStreamThread::Run() {
    LightFrameBytes frame{};
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || has_pending_; });
        if (stop_) return;
        frame = pending_;
        const int count = pending_count_;
        has_pending_ = false;
        lock.unlock();
        const FrameOutcome outcome = streamer_.Stream(frame, count);
        lock.lock();
        if (outcome == FrameOutcome::kStreamed) ++streamed_;
    }
}

}  // namespace dz
