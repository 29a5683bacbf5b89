#include "ui/message_port.h"

#include <QCoreApplication>
#include <QEvent>
#include <QObject>
#include <condition_variable>
#include <vector>

namespace dz::ui {

// The answer a blocked sender waits for.
struct MessagePort::Reply {
    std::mutex mutex;
    std::condition_variable cv;
    bool done = false;
    qintptr result = 0;

    void Complete(qintptr r) {
        {
            std::lock_guard lock(mutex);
            if (done) return;
            done = true;
            result = r;
        }
        cv.notify_all();
    }
    qintptr Wait() {
        std::unique_lock lock(mutex);
        cv.wait(lock, [this] { return done; });
        return result;
    }
};

namespace {

const QEvent::Type kMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class MessageEvent : public QEvent {
  public:
    MessageEvent(unsigned m, qintptr w, qintptr l, std::shared_ptr<MessagePort::Reply> r)
        : QEvent(kMessageEvent), msg(m), wParam(w), lParam(l), reply(std::move(r)) {}
    // A message dropped unhandled (its window closed) still releases its sender.
    ~MessageEvent() override {
        if (reply) reply->Complete(0);
    }

    unsigned msg;
    qintptr wParam;
    qintptr lParam;
    std::shared_ptr<MessagePort::Reply> reply;
};

}  // namespace

class MessagePort::Receiver : public QObject {
  public:
    explicit Receiver(MessageHandler* handler) : handler_(handler) {}

  protected:
    void customEvent(QEvent* event) override {
        if (event->type() != kMessageEvent) return;
        auto* m = static_cast<MessageEvent*>(event);
        ++busy;
        const qintptr r = (*handler_)(m->msg, m->wParam, m->lParam);
        --busy;
        if (m->reply) m->reply->Complete(r);
    }

  public:
    int busy = 0;  // inside the handler: the handler may close the port

  private:
    MessageHandler* handler_;
};

MessagePort::MessagePort(MessageHandler handler)
    : uiThread_(std::this_thread::get_id()), handler_(std::move(handler)) {
    receiver_ = new Receiver(&handler_);
}

MessagePort::~MessagePort() {
    Close();
}

bool MessagePort::IsOpen() const {
    std::lock_guard lock(mutex_);
    return open_;
}

bool MessagePort::Post(unsigned msg, qintptr wParam, qintptr lParam) {
    std::lock_guard lock(mutex_);
    if (!open_) return false;
    // Under the lock, so that Close cannot delete the receiver meanwhile.
    QCoreApplication::postEvent(receiver_, new MessageEvent(msg, wParam, lParam, nullptr));
    return true;
}

qintptr MessagePort::Send(unsigned msg, qintptr wParam, qintptr lParam) {
    if (std::this_thread::get_id() == uiThread_) {
        if (!IsOpen()) return 0;
        return handler_(msg, wParam, lParam);
    }
    auto reply = std::make_shared<Reply>();
    {
        std::lock_guard lock(mutex_);
        if (!open_) return 0;
        QCoreApplication::postEvent(receiver_, new MessageEvent(msg, wParam, lParam, reply));
    }
    return reply->Wait();
}

void MessagePort::Close() {
    Receiver* receiver = nullptr;
    {
        std::lock_guard lock(mutex_);
        if (!open_) return;
        open_ = false;
        receiver = receiver_;
        receiver_ = nullptr;
    }
    // Dropping the queued messages releases the senders waiting for them.
    QCoreApplication::removePostedEvents(receiver, kMessageEvent);
    if (receiver->busy > 0) {
        receiver->deleteLater();
    } else {
        delete receiver;
    }
}

}  // namespace dz::ui
