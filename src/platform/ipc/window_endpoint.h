#pragma once
// The session-bus face of one addressable window: it owns the window's bus name and
// takes Post (queued to the window's thread), Send (answered with the handler's result)
// and CopyData (a block of bytes with a 64-bit tag). A broadcast is the D-Bus signal
// "Broadcast" of the same interface, seen by every process that subscribes.
//
// Message names travel as text. Names arriving from other processes must already be
// registered in this process (RegisterMessage); others are dropped with a debug line.

#include <QByteArray>
#include <QDBusConnection>
#include <QDBusContext>
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>
#include <optional>

namespace dz::ipc {

struct BusMessage {
    uint32_t number = 0;  // the registered number of `name`
    QString name;
    int64_t wparam = 0;
    int64_t lparam = 0;
    // The unique bus name of the connection that sent it (empty when it came from this
    // process): the window that stands behind a handle given with a message.
    QString sender;
};

class WindowEndpoint : public QObject, protected QDBusContext {
    Q_OBJECT
    Q_CLASSINFO("D-Bus Interface", "org.dozadir.Keyboard.Window")

  public:
    using PostHandler = std::function<void(const BusMessage&)>;
    using SendHandler = std::function<int64_t(const BusMessage&)>;
    // sender: the unique bus name of the calling connection.
    using CopyDataHandler =
        std::function<void(const QString& sender, int64_t data_tag, const QByteArray& bytes)>;

    WindowEndpoint(QString window_name, QDBusConnection bus, QObject* parent = nullptr);
    ~WindowEndpoint() override;

    // Claims the window's bus name and exports the object. False (with a debug line) when
    // the bus is not connected or another process owns the name.
    [[nodiscard]] bool Open();
    [[nodiscard]] bool IsOpen() const { return open_; }
    [[nodiscard]] const QString& BusName() const { return bus_name_; }
    [[nodiscard]] QDBusConnection& Bus() { return bus_; }

    void SetPostHandler(PostHandler h) { on_post_ = std::move(h); }
    void SetSendHandler(SendHandler h) { on_send_ = std::move(h); }
    void SetCopyDataHandler(CopyDataHandler h) { on_copy_data_ = std::move(h); }

    // Emits the broadcast signal. False when the endpoint is not open.
    [[nodiscard]] bool SendBroadcast(const QString& name, int64_t wparam, int64_t lparam);

    // D-Bus methods.
  public slots:
    Q_SCRIPTABLE void Post(const QString& name, qint64 wparam, qint64 lparam);
    Q_SCRIPTABLE qint64 Send(const QString& name, qint64 wparam, qint64 lparam);
    Q_SCRIPTABLE void CopyData(qint64 data_tag, const QByteArray& bytes);

  signals:
    Q_SCRIPTABLE void Broadcast(const QString& name, qint64 wparam, qint64 lparam);

  private:
    [[nodiscard]] std::optional<BusMessage> Accept(const QString& name, qint64 w, qint64 l,
                                                   const char* how) const;

    QString window_name_;
    QString bus_name_;
    QDBusConnection bus_;
    bool open_ = false;
    PostHandler on_post_;
    SendHandler on_send_;
    CopyDataHandler on_copy_data_;
};

// Receives the broadcasts of every process on `bus`; the handler runs on the thread of
// `context`. Answers false when the bus is not connected.
class BroadcastListener : public QObject {
    Q_OBJECT
  public:
    using Handler = std::function<void(const BusMessage&)>;
    BroadcastListener(QDBusConnection bus, Handler handler, QObject* parent = nullptr);
    [[nodiscard]] bool Start();

  private slots:
    void OnBroadcast(const QString& name, qint64 wparam, qint64 lparam);

  private:
    QDBusConnection bus_;
    Handler handler_;
};

// Client side, the counterparts of finding a window and posting, sending or copying data
// to it. Each answers false / nothing when no process owns the window's name.
[[nodiscard]] bool WindowExists(const QDBusConnection& bus, const QString& window_name);
[[nodiscard]] bool PostToWindow(const QDBusConnection& bus, const QString& window_name,
                                const QString& message, int64_t wparam, int64_t lparam);
[[nodiscard]] std::optional<int64_t> SendToWindow(const QDBusConnection& bus,
                                                  const QString& window_name,
                                                  const QString& message, int64_t wparam,
                                                  int64_t lparam, int timeout_ms = 5000);
[[nodiscard]] bool CopyDataToWindow(const QDBusConnection& bus, const QString& window_name,
                                    int64_t data_tag, const QByteArray& bytes);
// The same to the window object of a bus name already known (a unique name taken from a
// message), without asking the bus first: for a steady stream of packets.
[[nodiscard]] bool CopyDataToService(const QDBusConnection& bus, const QString& service,
                                     int64_t data_tag, const QByteArray& bytes);

}  // namespace dz::ipc
