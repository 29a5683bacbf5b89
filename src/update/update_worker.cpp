#include "update/update_worker.h"

#include <condition_variable>
#include <mutex>

#include "platform/log/debug_log.h"
#include "ui/ui_call_queue.h"

namespace dz::update {

struct UpdateWorker::Shared {
    explicit Shared(HttpSettings settings, ui::UiCallQueue* q)
        : client(std::move(settings)), queue(q) {}
    HttpClient client;
    std::atomic<bool> stop{false};
    std::mutex mutex;
    std::condition_variable ended_cv;
    bool ended = false;
    ui::UiCallQueue* queue;  // null once the worker no longer takes calls; under mutex
};

UpdateWorker::UpdateWorker(ui::UiCallQueue& queue) : queue_(queue) {}

UpdateWorker::~UpdateWorker() {
    (void)Stop();
}

void UpdateWorker::Start(HttpSettings settings, Body body) {
    (void)Stop();
    shared_ = std::make_shared<Shared>(std::move(settings), &queue_);
    thread_ = std::thread([shared = shared_, body = std::move(body)] {
        const Post post = [shared](std::function<void()> call) {
            std::lock_guard lock(shared->mutex);
            if (shared->queue != nullptr) shared->queue->Post(std::move(call));
        };
        body(shared->client, shared->stop, post);
        std::lock_guard lock(shared->mutex);
        shared->ended = true;
        shared->ended_cv.notify_all();
    });
}

bool UpdateWorker::Stop(std::chrono::milliseconds wait) {
    if (!shared_) return true;
    shared_->stop.store(true);
    shared_->client.Cancel();
    bool ended = false;
    {
        std::unique_lock lock(shared_->mutex);
        ended = shared_->ended_cv.wait_for(lock, wait, [this] { return shared_->ended; });
        shared_->queue = nullptr;  // nothing more reaches the window
    }
    if (ended) {
        thread_.join();
    } else {
        log::DebugLine("update worker did not end within its wait: left to end on its own");
        thread_.detach();
    }
    shared_.reset();
    return ended;
}

bool UpdateWorker::Running() const {
    if (!shared_) return false;
    std::lock_guard lock(shared_->mutex);
    return !shared_->ended;
}

}  // namespace dz::update
