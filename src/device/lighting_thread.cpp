#include "device/lighting_thread.h"

#include <pthread.h>

#include "platform/log/debug_log.h"

namespace dz {

LightingThread::~LightingThread() {
    Stop();
}

void LightingThread::Start(LightingProgram& program, std::chrono::milliseconds interval,
                           std::string name) {
    std::lock_guard lock(mutex_);
    if (thread_.joinable()) return;
    stop_ = false;
    wake_ = false;
    thread_ = std::thread(
        [this, &program, interval, name = std::move(name)] { Loop(program, interval, name); });
}

bool LightingThread::Running() const {
    std::lock_guard lock(mutex_);
    return thread_.joinable();
}

void LightingThread::Wake() {
    {
        std::lock_guard lock(mutex_);
        wake_ = true;
    }
    cv_.notify_all();
}

void LightingThread::Loop(LightingProgram& program, std::chrono::milliseconds interval,
                          const std::string& name) {
    pthread_setname_np(pthread_self(), name.substr(0, 15).c_str());
    auto next = std::chrono::steady_clock::now();
    std::unique_lock lock(mutex_);
    while (!stop_) {
        wake_ = false;
        lock.unlock();
        const bool animating = program.Step();
        animating_.store(animating, std::memory_order_relaxed);
        const auto delay = animating ? program.NextStepIn(interval) : interval;
        lock.lock();
        const auto woken = [this] { return stop_ || wake_; };
        if (animating) {
            // Deadlines, not sleeps: the same steps at the same times, however long one took.
            const auto wanted = program.NextDeadline();
            next = wanted ? *wanted : next + delay;
            const auto now = std::chrono::steady_clock::now();
            if (next < now) next = now;
            cv_.wait_until(lock, next, woken);
        } else {
            cv_.wait(lock, woken);
            next = std::chrono::steady_clock::now();
        }
    }
    lock.unlock();
    if (const char* line = program.EndLine()) log::DebugLine(line);
}

void LightingThread::Stop() {
    std::thread thread;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        thread = std::move(thread_);
    }
    cv_.notify_all();
    if (!thread.joinable()) return;
    animating_.store(false, std::memory_order_relaxed);
    // A step never waits on anything, so the join is prompt; a thread is never ended by
    // force (it could hold a lock), so a late one is only reported.
    const auto start = std::chrono::steady_clock::now();
    thread.join();
    log::DebugLine(std::chrono::steady_clock::now() - start > kStopBound
                       ? "线程退出：：对象处于非激发状态，超时"
                       : "线程退出：：对象处于激发状态");
}

}  // namespace dz
