#pragma once
// A window's private messages (number, wParam, lParam), safe to post or send from any
// thread. Posting queues the message to the UI thread. Sending from a worker blocks it until
// the UI thread has handled the message; sending on the UI thread calls the handler at once.
// Workers keep the port (shared) so that it outlives the window: once closed, posts fail
// and sends (also those already waiting) answer 0.

#include <QtGlobal>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

class QObject;

namespace dz::ui {

using MessageHandler = std::function<qintptr(unsigned msg, qintptr wParam, qintptr lParam)>;

class MessagePort {
  public:
    // Created on the UI thread, whose event loop runs the handler.
    explicit MessagePort(MessageHandler handler);
    ~MessagePort();
    MessagePort(const MessagePort&) = delete;
    MessagePort& operator=(const MessagePort&) = delete;

    [[nodiscard]] bool Post(unsigned msg, qintptr wParam = 0, qintptr lParam = 0);
    [[nodiscard]] qintptr Send(unsigned msg, qintptr wParam = 0, qintptr lParam = 0);
    // UI thread. Called before the UI thread waits for workers, so none stays blocked in Send.
    void Close();
    [[nodiscard]] bool IsOpen() const;

    struct Reply;

  private:
    class Receiver;

    mutable std::mutex mutex_;
    bool open_ = true;
    Receiver* receiver_ = nullptr;
    std::thread::id uiThread_;
    MessageHandler handler_;
};

}  // namespace dz::ui
