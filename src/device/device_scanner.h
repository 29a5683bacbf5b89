#pragma once
// The scanner thread: binds supported interfaces as they appear and unbinds them when
// they go, telling its owner synchronously about each. Passes run every 100 ms; a udev
// or emulator change wakes the thread at once.

#include <chrono>
#include <condition_variable>
#include <memory>
#include <mutex>
#include <thread>

#include "device/device_table.h"

namespace dz {

namespace hid {
class HidrawMonitor;
}

class DeviceScanner {
public:
    // Called on the scanner thread; each call returns once the owner has handled it
    // (the main window's "sent" MSG_DEVICE_ARRIVED / MSG_DEVICE_REMOVED).
    class Events {
    public:
        virtual ~Events() = default;
        virtual void DeviceArrived(int slot) = 0;
        virtual void DeviceRemoved(int slot) = 0;
        // Once, after the first pass that enumerated the interfaces.
        virtual void FirstPassDone() = 0;
    };

    static constexpr std::chrono::milliseconds kPassInterval{100};

    DeviceScanner(DeviceSlotList& slots, Events& events,
                  std::chrono::milliseconds interval = kPassInterval);
    ~DeviceScanner();
    DeviceScanner(const DeviceScanner&) = delete;
    DeviceScanner& operator=(const DeviceScanner&) = delete;

    void Start();
    // Runs the passes on the calling thread until Stop() is called from another one (for
    // an owner that keeps its own worker threads).
    void RunHere();
    // Ends the thread within one pass; safe to call twice.
    void Stop();
    // Runs the next pass now.
    void Wake();

private:
    void Run();
    void Pass();
    void AttachWakeSources();
    void DetachWakeSources();

    DeviceSlotList& slots_;
    Events& events_;
    const std::chrono::milliseconds interval_;
    std::mutex mutex_;
    std::condition_variable cv_;
    bool stop_ = false;
    bool wake_ = false;
    bool first_pass_done_ = false;
    int listener_id_ = 0;
    std::unique_ptr<hid::HidrawMonitor> monitor_;
    std::thread thread_;
};

}  // namespace dz
