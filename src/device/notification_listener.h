#pragma once
// The listener on one notification path (cable or receiver) of a device: a thread that
// reads the device's notification reports and hands each report's usage to the owner.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string_view>
#include <thread>

#include "device/hid_interface.h"

namespace dz {

class NotificationListener {
  public:
    // Runs on the listener thread. The owner posts to its UI thread from here (a timer
    // start, a model update); it must not touch widgets and must not call Stop,
    // Reopen or the destructor of this listener. A slow handler delays Stop.
    using Handler = std::function<void(uint16_t usage)>;

    // How long Stop waits before it says in the debug output that the thread is late.
    static constexpr std::chrono::milliseconds kStopBound{500};
    // Pause after a failed read (device gone, interface closed) before the next one, so
    // that a dead path does not spin; ended at once by Stop or Open.
    static constexpr std::chrono::milliseconds kReadFailurePause{50};

    // `hid` and `interface_lock` are the path's notification interface and its lock
    // (the owner's notification channel); both outlive the listener.
    NotificationListener(HidInterface& hid, std::mutex& interface_lock, Handler handler);
    ~NotificationListener();  // Stop()
    NotificationListener(const NotificationListener&) = delete;
    NotificationListener& operator=(const NotificationListener&) = delete;

    // Under the interface lock: close the interface, open `path` read+write, not
    // exclusive, and set the listener-open flag on success; then start the thread if
    // it is not running. A failed open leaves the flag clear and the thread idle.
    // On a running listener the interface is replaced in place (a waiting read ends).
    // 1/0.
    int Open(std::string_view path);
    // Stops a running listener first, then Open.
    int Reopen(std::string_view path);
    // Signals the thread, closes the interface under its lock (which ends a waiting
    // read), clears the flag and joins. Every wait of the thread is interruptible, so
    // the join ends as soon as a running handler returns; when that takes longer than
    // kStopBound a debug line says so and Stop keeps waiting, because the thread must
    // have ended before the interface is reused or destroyed.
    void Stop();

    // The listener-open flag of the path.
    [[nodiscard]] bool IsOpen() const { return open_.load(); }
    [[nodiscard]] bool IsRunning() const { return running_.load(); }
    // The thread is (about to be) waiting for a report.
    [[nodiscard]] bool IsReading() const { return reading_.load(); }

  private:
    void Run();
    int OpenLocked(std::string_view path);
    void StopLocked();

    HidInterface& hid_;
    std::mutex& interface_lock_;
    const Handler handler_;

    std::mutex control_;  // one Open/Reopen/Stop at a time
    std::thread thread_;
    std::atomic<bool> open_{false};
    std::atomic<bool> stop_{false};
    std::atomic<bool> running_{false};
    std::atomic<bool> reading_{false};
    std::mutex wake_mutex_;
    std::condition_variable wake_;
    // Guarded by wake_mutex_.
    bool finished_ = false;
    uint64_t opens_ = 0;  // ends the pause after a failed read
    std::condition_variable finished_cv_;
};

}  // namespace dz
