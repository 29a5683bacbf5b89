#include "device/device_worker.h"

#include <pthread.h>

#include "platform/log/debug_log.h"

namespace dz {

DeviceWorker::~DeviceWorker() {
    Stop();
}

void DeviceWorker::Post(Task task) {
    {
        std::lock_guard lock(mutex_);
        if (stop_) return;
        tasks_.push_back(std::move(task));
        if (!thread_.joinable()) {
            thread_ = std::thread([this] { Run(); });
            thread_id_ = thread_.get_id();
        }
    }
    wake_.notify_one();
}

void DeviceWorker::Stop() {
    std::thread thread;
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
        tasks_.clear();
        thread = std::move(thread_);
    }
    wake_.notify_all();
    idle_.notify_all();
    if (thread.joinable()) {
        thread.join();
        log::DebugLine("device worker ended");
    }
}

bool DeviceWorker::OnWorkerThread() const {
    std::lock_guard lock(mutex_);
    return thread_id_ == std::this_thread::get_id();
}

size_t DeviceWorker::Pending() const {
    std::lock_guard lock(mutex_);
    return tasks_.size() + running_;
}

void DeviceWorker::WaitIdle() {
    std::unique_lock lock(mutex_);
    idle_.wait(lock, [this] { return stop_ || (tasks_.empty() && running_ == 0); });
}

void DeviceWorker::Run() {
    pthread_setname_np(pthread_self(), "device io");
    std::unique_lock lock(mutex_);
    for (;;) {
        wake_.wait(lock, [this] { return stop_ || !tasks_.empty(); });
        if (stop_) break;
        Task task = std::move(tasks_.front());
        tasks_.pop_front();
        ++running_;
        lock.unlock();
        task();
        task = nullptr;  // what it holds goes before the idle check
        lock.lock();
        --running_;
        if (tasks_.empty() && running_ == 0) idle_.notify_all();
    }
}

}  // namespace dz
