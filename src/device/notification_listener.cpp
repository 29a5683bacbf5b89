#include "device/notification_listener.h"

#include <pthread.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "platform/log/debug_log.h"

namespace dz {
namespace {

// Room for any notification report; the interface cuts a longer one to this.
constexpr size_t kMinReportRoom = 64;

}  // namespace

NotificationListener::NotificationListener(HidInterface& hid, std::mutex& interface_lock,
                                           Handler handler)
    : hid_(hid), interface_lock_(interface_lock), handler_(std::move(handler)) {}

NotificationListener::~NotificationListener() {
    Stop();
}

int NotificationListener::Open(std::string_view path) {
    std::lock_guard control(control_);
    return OpenLocked(path);
}

int NotificationListener::Reopen(std::string_view path) {
    std::lock_guard control(control_);
    StopLocked();
    return OpenLocked(path);
}

void NotificationListener::Stop() {
    std::lock_guard control(control_);
    StopLocked();
}

int NotificationListener::OpenLocked(std::string_view path) {
    int opened = 0;
    {
        std::lock_guard lock(interface_lock_);
        // Cleared first, so that a failed reopen leaves the thread idle rather than
        // reading from a closed interface.
        open_.store(false);
        hid_.Close();
        opened = hid_.Open(path, true, true, true, false);
        if (opened == 1) open_.store(true);
    }
    {
        std::lock_guard lock(wake_mutex_);
        ++opens_;
    }
    wake_.notify_all();
    if (!thread_.joinable()) {
        {
            std::lock_guard lock(wake_mutex_);
            finished_ = false;
        }
        stop_.store(false);
        running_.store(true);
        thread_ = std::thread(&NotificationListener::Run, this);
    }
    return opened;
}

void NotificationListener::StopLocked() {
    if (thread_.joinable() && thread_.get_id() == std::this_thread::get_id()) {
        // Joining itself would deadlock; the owner's contract forbids this call here.
        log::DebugLine("notification listener: Stop called from its own thread, ignored");
        return;
    }
    {
        std::lock_guard lock(wake_mutex_);
        stop_.store(true);
    }
    wake_.notify_all();
    {
        std::lock_guard lock(interface_lock_);
        hid_.Close();  // ends a read that is still waiting
        open_.store(false);
    }
    if (thread_.joinable()) {
        {
            std::unique_lock lock(wake_mutex_);
            if (!finished_cv_.wait_for(lock, kStopBound, [&] { return finished_; }))
                log::DebugLine("notification listener: thread still busy after 500 ms, waiting");
        }
        thread_.join();
    }
    running_.store(false);
    reading_.store(false);
}

void NotificationListener::Run() {
    pthread_setname_np(pthread_self(), "device notices");
    std::vector<uint8_t> report;
    uint64_t seen_opens = 0;
    {
        std::lock_guard lock(wake_mutex_);
        seen_opens = opens_;
    }
    while (!stop_.load()) {
        if (!open_.load()) {
            std::unique_lock lock(wake_mutex_);
            wake_.wait(lock, [&] { return stop_.load() || open_.load(); });
            seen_opens = opens_;
            continue;
        }
        report.assign(std::max<size_t>(hid_.InputReportLength(), kMinReportRoom), 0);
        size_t got = 0;
        reading_.store(true);
        const int read = hid_.Read(report.data(), report.size(), &got, kInfiniteTimeout);
        reading_.store(false);
        if (stop_.load()) break;
        if (read != 1 || got == 0) {
            // The path is gone or was closed under us: wait for a new Open or Stop.
            std::unique_lock lock(wake_mutex_);
            wake_.wait_for(lock, kReadFailurePause,
                           [&] { return stop_.load() || opens_ != seen_opens; });
            seen_opens = opens_;
            continue;
        }
        hid_.UnpackInputReport(report.data(), got);
        // 0: nothing is on (a release report); there is nothing to tell the owner.
        const uint16_t usage = hid_.FirstInputUsage();
        if (usage != 0 && handler_) handler_(usage);
    }
    {
        std::lock_guard lock(wake_mutex_);
        finished_ = true;
    }
    finished_cv_.notify_all();
}

}  // namespace dz
