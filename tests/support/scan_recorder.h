#pragma once
// Records what a scanner tells its owner, with bounded waits (a missing event fails the
// test instead of hanging it).

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <string>
#include <vector>

#include "device/device_scanner.h"

namespace dz::test {

inline constexpr std::chrono::seconds kScanWait{5};

class ScanRecorder : public DeviceScanner::Events {
  public:
    void DeviceArrived(int slot) override { Add(arrived_, slot); }
    void DeviceRemoved(int slot) override { Add(removed_, slot); }
    void AccessDenied(const std::string& path) override {
        std::lock_guard lock(mutex_);
        denied_.push_back(path);
        cv_.notify_all();
    }
    void FirstPassDone() override {
        std::lock_guard lock(mutex_);
        ++first_passes_;
        cv_.notify_all();
    }

    // Waits (bounded, so a missing event fails instead of hanging) until each slot has
    // been reported at least as often as it stands in `slots`.
    bool WaitArrived(const std::multiset<int>& slots) { return Wait(arrived_, slots); }
    bool WaitRemoved(const std::multiset<int>& slots) { return Wait(removed_, slots); }
    std::multiset<int> Arrived() {
        std::lock_guard lock(mutex_);
        return arrived_;
    }
    int FirstPasses() {
        std::lock_guard lock(mutex_);
        return first_passes_;
    }
    bool WaitFirstPass() {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, kScanWait, [&] { return first_passes_ > 0; });
    }
    bool WaitDenied(size_t count) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, kScanWait, [&] { return denied_.size() >= count; });
    }
    std::vector<std::string> Denied() {
        std::lock_guard lock(mutex_);
        return denied_;
    }

  private:
    void Add(std::multiset<int>& to, int slot) {
        std::lock_guard lock(mutex_);
        to.insert(slot);
        cv_.notify_all();
    }
    bool Wait(std::multiset<int>& in, const std::multiset<int>& slots) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, kScanWait, [&] {
            for (int s : slots)
                if (in.count(s) < slots.count(s)) return false;
            return true;
        });
    }

    std::mutex mutex_;
    std::condition_variable cv_;
    std::multiset<int> arrived_;
    std::multiset<int> removed_;
    int first_passes_ = 0;
    std::vector<std::string> denied_;
};

}  // namespace dz::test
