#include "app/worker_table.h"

#include "platform/log/debug_log.h"

namespace dz::app {

void StopEvent::Set() {
    std::stop_source source;
    {
        std::lock_guard guard(lock_);
        set_ = true;
        source = source_;
    }
    changed_.notify_all();
    // Outside the lock: stop callbacks run here, and one may read the event.
    source.request_stop();
}

void StopEvent::Reset() {
    std::lock_guard guard(lock_);
    set_ = false;
    if (source_.stop_requested()) source_ = std::stop_source{};
}

std::stop_token StopEvent::Token() const {
    std::lock_guard guard(lock_);
    return source_.get_token();
}

bool StopEvent::IsSet() const {
    std::lock_guard guard(lock_);
    return set_;
}

bool StopEvent::WaitFor(std::chrono::milliseconds timeout) const {
    std::unique_lock guard(lock_);
    return changed_.wait_for(guard, timeout, [this] { return set_; });
}

WorkerTable::WorkerTable() {
    for (auto& s : slots_) s = std::make_unique<Slot>();
}

WorkerTable::~WorkerTable() {
    StopAll();
}

bool WorkerTable::Start(size_t slot, Body body) {
    if (slot >= kWorkerSlotCount || !body) return false;
    Slot& s = *slots_[slot];
    if (s.thread.joinable()) return false;
    s.stop.Reset();
    {
        std::lock_guard guard(s.lock);
        s.done = false;
    }
    s.thread = std::thread([&s, slot, body = std::move(body)] {
        body(s.stop);
        log::DebugLineF("工作线程 %zu 结束", slot);
        {
            std::lock_guard guard(s.lock);
            s.done = true;
        }
        s.done_cv.notify_all();
    });
    return true;
}

bool WorkerTable::Running(size_t slot) const {
    if (slot >= kWorkerSlotCount) return false;
    Slot& s = *slots_[slot];
    std::lock_guard guard(s.lock);
    return s.thread.joinable() && !s.done;
}

StopReport WorkerTable::StopAll(std::chrono::milliseconds wait) {
    for (auto& s : slots_) s->stop.Set();
    StopReport report;
    for (size_t i = 0; i < kWorkerSlotCount; ++i) {
        Slot& s = *slots_[i];
        if (!s.thread.joinable()) continue;
        bool in_time;
        {
            std::unique_lock guard(s.lock);
            in_time = s.done_cv.wait_for(guard, wait, [&s] { return s.done; });
        }
        if (!in_time) {
            log::DebugLineF("worker %zu did not stop within %lld ms; waiting for it", i,
                            static_cast<long long>(wait.count()));
            report.late_slots.push_back(i);
        }
        s.thread.join();
        ++report.joined;
    }
    return report;
}

}  // namespace dz::app
