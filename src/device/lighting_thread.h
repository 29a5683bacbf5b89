#pragma once
// A device's lighting thread and the program it runs. The program (one per model: the
// effect steps with their own state) is an object of its own rather than a virtual step
// of the device object, because the thread may still run while a device object is being
// destroyed: the owner stops the thread before the program goes, and nothing the thread
// touches belongs to a part of the object that is destroyed first.

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

namespace dz {

class LightingProgram {
  public:
    virtual ~LightingProgram() = default;
    // One step. False when the picture stays as it is until the next Wake (the thread
    // then sleeps until it comes).
    virtual bool Step() = 0;
    // How long after the step just made the next one is due; a program whose pace changes
    // with its settings says so here, otherwise the thread's interval holds.
    virtual std::chrono::milliseconds NextStepIn(std::chrono::milliseconds interval) {
        return interval;
    }
    // After a step that returned true: when the next one is due. None: one interval after
    // the last deadline. A program whose steps come at uneven times says when.
    [[nodiscard]] virtual std::optional<std::chrono::steady_clock::time_point> NextDeadline()
        const {
        return std::nullopt;
    }
    // The debug line the thread writes when it ends, or null.
    [[nodiscard]] virtual const char* EndLine() const { return nullptr; }
};

class LightingThread {
  public:
    // How long Stop waits before it says in the debug output that the thread is late.
    static constexpr std::chrono::milliseconds kStopBound{1000};

    LightingThread() = default;
    ~LightingThread();  // Stop()
    LightingThread(const LightingThread&) = delete;
    LightingThread& operator=(const LightingThread&) = delete;

    // Runs `program` every `interval` while it animates; nothing when running already.
    // The program must outlive the thread (Stop). `name` names the thread for the system's
    // tools (at most 15 characters are kept).
    void Start(LightingProgram& program, std::chrono::milliseconds interval,
               std::string name = "lighting");
    // A step now (the settings changed).
    void Wake();
    // Ends the thread after the step in progress; a step never waits on anything, so the
    // join is prompt.
    void Stop();
    [[nodiscard]] bool Running() const;
    // The last step said the picture moves on by itself (false before the first step).
    [[nodiscard]] bool Animating() const { return animating_.load(std::memory_order_relaxed); }

  private:
    void Loop(LightingProgram& program, std::chrono::milliseconds interval,
              const std::string& name);

    mutable std::mutex mutex_;
    std::condition_variable cv_;
    bool stop_ = false;
    bool wake_ = false;
    std::atomic<bool> animating_{false};
    std::thread thread_;
};

}  // namespace dz
