#pragma once
// The scanner thread: binds supported interfaces as they appear and unbinds them when
// they go, telling its owner synchronously about each. While a backend cannot tell its
// changes (hidraw without a udev monitor) or an interface waits to be opened, a pass runs
// every 100 ms; otherwise the thread sleeps until a change is told or it is stopped, and
// a pass then costs no listing, no descriptor and no open of a bound interface.

#include <array>
#include <chrono>
#include <condition_variable>
#include <map>
#include <memory>
#include <mutex>
#include <set>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "device/device_table.h"
#include "device/interface_catalog.h"
#include "device/interface_scan.h"

namespace dz {

class DeviceScanner {
  public:
    // Called on the scanner thread.
    class Events {
      public:
        virtual ~Events() = default;
        // Each returns once the owner has handled it (the main window's "sent"
        // MSG_DEVICE_ARRIVED / MSG_DEVICE_REMOVED).
        virtual void DeviceArrived(int slot) = 0;
        virtual void DeviceRemoved(int slot) = 0;
        // Once, after the first pass that enumerated the interfaces.
        virtual void FirstPassDone() = 0;
        // A supported interface is present but this user may not open it (no udev rule).
        // Told once per appearance of the node, when the refusal has lasted
        // kAccessReportDelay, so that a node udev is still setting up is not taken for
        // one. Must not wait for the user: the scanner goes on meanwhile.
        virtual void AccessDenied(const std::string& path) = 0;
    };

    static constexpr std::chrono::milliseconds kPassInterval{100};
    static constexpr std::chrono::milliseconds kAccessReportDelay{1000};

    DeviceScanner(DeviceSlotList& slots, Events& events,
                  std::chrono::milliseconds interval = kPassInterval);
    ~DeviceScanner();
    DeviceScanner(const DeviceScanner&) = delete;
    DeviceScanner& operator=(const DeviceScanner&) = delete;

    // Runs the passes on a thread of its own until Stop().
    void Start();
    // Ends that thread; returns at once from a wait. Safe to call twice.
    void Stop();
    // Runs the passes on the calling thread until `stop` is requested (for an owner that
    // keeps its own worker threads and stop signals); a wait ends as soon as it is.
    void RunHere(std::stop_token stop);
    // Runs the next pass now.
    void Wake();

  private:
    void Run(const std::stop_token& stop);
    // One pass; answers whether the next one must come after the interval even if no
    // change is told.
    bool Pass();
    void NoteUnopened(const std::vector<UnopenedInterface>& unopened);
    [[nodiscard]] bool TakeChanged();

    DeviceSlotList& slots_;
    Events& events_;
    const std::chrono::milliseconds interval_;
    std::mutex mutex_;
    std::condition_variable_any cv_;
    bool changed_ = false;  // guarded by mutex_

    // Only the thread that runs the passes uses these.
    std::unique_ptr<InterfaceCatalog> catalog_;
    std::array<ListedNode, kSupportedDeviceCount> bound_nodes_{};
    bool first_pass_done_ = false;
    // Refused interfaces by path and node instance: since when, and those already told.
    std::map<std::string, std::chrono::steady_clock::time_point> denied_since_;
    std::set<std::string> denied_told_;

    std::jthread thread_;
};

}  // namespace dz
