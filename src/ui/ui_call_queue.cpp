#include "ui/ui_call_queue.h"

#include <sys/eventfd.h>
#include <unistd.h>

#include <QPointer>
#include <QSocketNotifier>
#include <cstdint>

#include "platform/log/debug_log.h"

namespace dz::ui {

UiCallQueue::UiCallQueue() : wake_fd_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {
    if (wake_fd_ < 0) {
        log::DebugLine("ui call queue: no eventfd; calls from workers are dropped");
        return;
    }
    notifier_ = new QSocketNotifier(wake_fd_, QSocketNotifier::Read, this);
    connect(notifier_, &QSocketNotifier::activated, this, &UiCallQueue::Drain);
}

UiCallQueue::~UiCallQueue() {
    delete notifier_;
    if (wake_fd_ >= 0) ::close(wake_fd_);
}

void UiCallQueue::Post(std::function<void()> call) {
    if (wake_fd_ < 0) return;
    bool wake = false;
    {
        std::lock_guard lock(mutex_);
        wake = calls_.empty();
        calls_.push_back(std::move(call));
    }
    // One wake-up drains every call queued until the drain ends.
    if (wake) {
        const uint64_t one = 1;
        (void)!::write(wake_fd_, &one, sizeof one);
    }
}

void UiCallQueue::Drain() {
    uint64_t count = 0;
    (void)!::read(wake_fd_, &count, sizeof count);
    // One at a time: a call may post more, or end the queue's owner (the rest then goes
    // with the queue).
    QPointer<UiCallQueue> self(this);
    for (;;) {
        std::function<void()> call;
        {
            std::lock_guard lock(mutex_);
            if (calls_.empty()) return;
            call = std::move(calls_.front());
            calls_.pop_front();
        }
        call();
        if (self == nullptr) return;
    }
}

}  // namespace dz::ui
