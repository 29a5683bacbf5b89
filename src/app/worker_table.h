#pragma once
// The main window's worker slots: each slot has a manual-reset stop event and at most one
// thread. Threads end cooperatively: stopping signals every event, then waits for each
// thread; nothing is ever killed, so no lock is left held and no object is used after free.

#include <array>
#include <chrono>
#include <condition_variable>
#include <cstddef>
#include <functional>
#include <memory>
#include <mutex>
#include <stop_token>
#include <thread>
#include <vector>

namespace dz::app {

// A manual-reset event: once set it stays set until reset.
class StopEvent {
  public:
    void Set();
    void Reset();
    [[nodiscard]] bool IsSet() const;
    // Waits up to `timeout` for the event; true when it is set. A worker loop calls this
    // with its period in place of a sleep, so a stop is seen at once.
    [[nodiscard]] bool WaitFor(std::chrono::milliseconds timeout) const;
    // The event as a standard stop token, for a worker of a lower layer that waits on its
    // own condition variable (std::condition_variable_any ends such a wait when the event
    // is set). A token taken before a Reset stays stopped.
    [[nodiscard]] std::stop_token Token() const;

  private:
    mutable std::mutex lock_;
    mutable std::condition_variable changed_;
    bool set_ = false;
    std::stop_source source_;
};

inline constexpr size_t kWorkerSlotCount = 20;
inline constexpr size_t kSlotDeviceWatch = 0;
inline constexpr size_t kSlotAudioDaemon = 1;
inline constexpr size_t kSlotLightSync = 8;
inline constexpr std::chrono::milliseconds kWorkerStopWait{1000};

struct StopReport {
    size_t joined = 0;               // threads that ended
    std::vector<size_t> late_slots;  // slots whose thread needed longer than the wait
};

class WorkerTable {
  public:
    using Body = std::function<void(const StopEvent& stop)>;

    WorkerTable();
    ~WorkerTable();  // stops what still runs
    WorkerTable(const WorkerTable&) = delete;
    WorkerTable& operator=(const WorkerTable&) = delete;

    // Starts `body` in `slot`. False when the slot is out of range or already runs a thread.
    [[nodiscard]] bool Start(size_t slot, Body body);
    [[nodiscard]] bool Running(size_t slot) const;
    [[nodiscard]] const StopEvent& Event(size_t slot) const { return slots_[slot]->stop; }

    // Signals all 20 events, then waits up to `wait` for each thread in slot order. A thread
    // that overruns is logged and still joined (it must see its event sooner or later).
    StopReport StopAll(std::chrono::milliseconds wait = kWorkerStopWait);

  private:
    struct Slot {
        StopEvent stop;
        std::thread thread;
        std::mutex lock;
        std::condition_variable done_cv;
        bool done = true;
    };
    std::array<std::unique_ptr<Slot>, kWorkerSlotCount> slots_;
};

}  // namespace dz::app
