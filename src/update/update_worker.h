#pragma once
// A worker thread of the settings window: the update check or the downloads. It talks to
// the network through its own HttpClient, touches no widget, and hands its results to the
// UI thread as queued calls. Stopping sets its stop flag and cancels the running request
// (libcurl ends it at once), then waits at most 500 ms; the thread is never killed: one that
// has not ended by then is left to end on its own, holding only its own state, and what it
// still hands over is dropped.

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <thread>

#include "update/http_client.h"

namespace dz::ui {
class UiCallQueue;
}

namespace dz::update {

class UpdateWorker {
  public:
    // Runs `call` on the UI thread later (dropped once the worker is stopped).
    using Post = std::function<void(std::function<void()> call)>;
    using Body =
        std::function<void(HttpClient& client, const std::atomic<bool>& stop, const Post& post)>;

    explicit UpdateWorker(ui::UiCallQueue& queue);
    ~UpdateWorker();
    UpdateWorker(const UpdateWorker&) = delete;
    UpdateWorker& operator=(const UpdateWorker&) = delete;

    // Starts `body` on a new thread; one still running is stopped first.
    void Start(HttpSettings settings, Body body);
    // True when the thread had ended (or none ran) within `wait`.
    bool Stop(std::chrono::milliseconds wait = std::chrono::milliseconds(500));
    [[nodiscard]] bool Running() const;

  private:
    struct Shared;
    ui::UiCallQueue& queue_;
    std::shared_ptr<Shared> shared_;
    std::thread thread_;
};

}  // namespace dz::update
