#pragma once
// Calls handed from worker threads to the UI thread. The calls wait in a queue of our own
// under a std::mutex, and an eventfd wakes the UI thread's event loop to run them: a
// worker never goes into Qt (whose event posting is not safe against an object that the
// UI thread is destroying, and whose locks, in code that is not instrumented, would hide
// the hand-off from ThreadSanitizer), and a burst of calls costs one wake-up.

#include <QObject>
#include <deque>
#include <functional>
#include <mutex>

class QSocketNotifier;

namespace dz::ui {

class UiCallQueue : public QObject {
    Q_OBJECT
  public:
    // Lives on the thread that makes it (the UI thread); calls run there, in order. Calls
    // still waiting when it goes are dropped.
    UiCallQueue();
    ~UiCallQueue() override;
    UiCallQueue(const UiCallQueue&) = delete;
    UiCallQueue& operator=(const UiCallQueue&) = delete;

    // From any thread.
    void Post(std::function<void()> call);

  private:
    void Drain();

    int wake_fd_ = -1;
    QSocketNotifier* notifier_ = nullptr;
    std::mutex mutex_;
    std::deque<std::function<void()>> calls_;
};

}  // namespace dz::ui
