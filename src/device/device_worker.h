#pragma once
// The device I/O of one device object, away from the UI thread. An exchange can wait up to
// 5 s for a device behind its receiver (and a link check after a switch up to 25 times);
// the window must never wait for that. Tasks run one at a time, in the order they were
// queued, so the order of a device's operations is kept; the thread starts with the first
// task and sleeps while there is nothing to do.

#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>

namespace dz {

class DeviceWorker {
  public:
    using Task = std::function<void()>;

    DeviceWorker() = default;
    ~DeviceWorker();  // Stop()
    DeviceWorker(const DeviceWorker&) = delete;
    DeviceWorker& operator=(const DeviceWorker&) = delete;

    // Queues `task`; ignored once stopped.
    void Post(Task task);
    // Drops the tasks not started yet and waits for the running one, which the owner has
    // made end soon (by closing the interfaces it waits on). Stays stopped.
    void Stop();

    // True on the worker's own thread.
    [[nodiscard]] bool OnWorkerThread() const;
    // Tasks queued and not finished yet (for tests and benchmarks).
    [[nodiscard]] size_t Pending() const;
    // Waits until every task queued so far has finished (for tests and dozadirctl).
    void WaitIdle();

  private:
    void Run();

    mutable std::mutex mutex_;
    std::condition_variable wake_;
    std::condition_variable idle_;
    std::deque<Task> tasks_;
    size_t running_ = 0;
    bool stop_ = false;
    std::thread thread_;
    std::thread::id thread_id_;
};

}  // namespace dz
