#include "platform/ipc/window_endpoint.h"

#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QMetaObject>
#include <utility>

#include "platform/ipc/bus_names.h"
#include "platform/ipc/registered_messages.h"
#include "platform/log/debug_log.h"

namespace dz::ipc {

WindowEndpoint::WindowEndpoint(QString window_name, QDBusConnection bus, QObject* parent)
    : QObject(parent),
      window_name_(std::move(window_name)),
      bus_name_(BusNameForWindow(window_name_)),
      bus_(std::move(bus)) {}

WindowEndpoint::~WindowEndpoint() {
    if (!open_) return;
    bus_.unregisterObject(QString::fromLatin1(kWindowObjectPath));
    bus_.unregisterService(bus_name_);
}

bool WindowEndpoint::Open() {
    if (open_) return true;
    if (!bus_.isConnected()) {
        log::DebugLineF("IPC: no session bus; window \"%s\" is not reachable",
                        window_name_.toUtf8().constData());
        return false;
    }
    QDBusConnectionInterface* iface = bus_.interface();
    const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
        iface->registerService(bus_name_, QDBusConnectionInterface::DontQueueService,
                               QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        log::DebugLineF("IPC: bus name %s is owned by another process",
                        bus_name_.toUtf8().constData());
        return false;
    }
    if (!bus_.registerObject(
            QString::fromLatin1(kWindowObjectPath), this,
            QDBusConnection::ExportScriptableSlots | QDBusConnection::ExportScriptableSignals)) {
        log::DebugLineF("IPC: cannot export the window object of %s: %s",
                        bus_name_.toUtf8().constData(),
                        bus_.lastError().message().toUtf8().constData());
        bus_.unregisterService(bus_name_);
        return false;
    }
    open_ = true;
    return true;
}

std::optional<BusMessage> WindowEndpoint::Accept(const QString& name, qint64 w, qint64 l,
                                                 const char* how) const {
    const std::optional<uint32_t> number = FindRegisteredMessage(name.toStdString());
    if (!number) {
        log::DebugLineF("IPC: %s of unknown message \"%s\" to %s dropped", how,
                        name.toUtf8().constData(), window_name_.toUtf8().constData());
        return std::nullopt;
    }
    return BusMessage{*number, name, w, l, calledFromDBus() ? message().service() : QString()};
}

void WindowEndpoint::Post(const QString& name, qint64 wparam, qint64 lparam) {
    std::optional<BusMessage> m = Accept(name, wparam, lparam, "post");
    if (!m || !on_post_) return;
    // A post returns to the caller at once; the window handles it on a later turn.
    QMetaObject::invokeMethod(
        this,
        [this, msg = std::move(*m)] {
            if (on_post_) on_post_(msg);
        },
        Qt::QueuedConnection);
}

qint64 WindowEndpoint::Send(const QString& name, qint64 wparam, qint64 lparam) {
    std::optional<BusMessage> m = Accept(name, wparam, lparam, "send");
    if (!m || !on_send_) return 0;
    return on_send_(*m);
}

void WindowEndpoint::CopyData(qint64 data_tag, const QByteArray& bytes) {
    const QString sender = calledFromDBus() ? message().service() : QString();
    if (on_copy_data_) on_copy_data_(sender, data_tag, bytes);
}

bool WindowEndpoint::SendBroadcast(const QString& name, int64_t wparam, int64_t lparam) {
    if (!open_) return false;
    emit Broadcast(name, static_cast<qint64>(wparam), static_cast<qint64>(lparam));
    return true;
}

BroadcastListener::BroadcastListener(QDBusConnection bus, Handler handler, QObject* parent)
    : QObject(parent), bus_(std::move(bus)), handler_(std::move(handler)) {}

bool BroadcastListener::Start() {
    if (!bus_.isConnected()) return false;
    return bus_.connect(QString(), QString::fromLatin1(kWindowObjectPath),
                        QString::fromLatin1(kWindowInterface), QStringLiteral("Broadcast"), this,
                        SLOT(OnBroadcast(QString, qint64, qint64)));
}

void BroadcastListener::OnBroadcast(const QString& name, qint64 wparam, qint64 lparam) {
    const std::optional<uint32_t> number = FindRegisteredMessage(name.toStdString());
    if (!number || !handler_) return;
    handler_(BusMessage{*number, name, wparam, lparam, {}});
}

namespace {

QDBusMessage MakeCall(const QString& window_name, const char* method) {
    return QDBusMessage::createMethodCall(
        BusNameForWindow(window_name), QString::fromLatin1(kWindowObjectPath),
        QString::fromLatin1(kWindowInterface), QString::fromLatin1(method));
}

}  // namespace

bool WindowExists(const QDBusConnection& bus, const QString& window_name) {
    if (!bus.isConnected()) return false;
    const QDBusReply<bool> r = bus.interface()->isServiceRegistered(BusNameForWindow(window_name));
    return r.isValid() && r.value();
}

bool PostToWindow(const QDBusConnection& bus, const QString& window_name, const QString& message,
                  int64_t wparam, int64_t lparam) {
    if (!WindowExists(bus, window_name)) return false;
    QDBusMessage call = MakeCall(window_name, "Post");
    call << message << static_cast<qint64>(wparam) << static_cast<qint64>(lparam);
    call.setDelayedReply(false);
    return bus.send(call);
}

std::optional<int64_t> SendToWindow(const QDBusConnection& bus, const QString& window_name,
                                    const QString& message, int64_t wparam, int64_t lparam,
                                    int timeout_ms) {
    if (!WindowExists(bus, window_name)) return std::nullopt;
    QDBusMessage call = MakeCall(window_name, "Send");
    call << message << static_cast<qint64>(wparam) << static_cast<qint64>(lparam);
    const QDBusReply<qint64> r = bus.call(call, QDBus::Block, timeout_ms);
    if (!r.isValid()) {
        log::DebugLineF("IPC: send of \"%s\" to %s failed: %s", message.toUtf8().constData(),
                        window_name.toUtf8().constData(), r.error().message().toUtf8().constData());
        return std::nullopt;
    }
    return r.value();
}

bool CopyDataToWindow(const QDBusConnection& bus, const QString& window_name, int64_t data_tag,
                      const QByteArray& bytes) {
    if (!WindowExists(bus, window_name)) return false;
    return CopyDataToService(bus, BusNameForWindow(window_name), data_tag, bytes);
}

bool CopyDataToService(const QDBusConnection& bus, const QString& service, int64_t data_tag,
                       const QByteArray& bytes) {
    if (!bus.isConnected() || service.isEmpty()) return false;
    QDBusMessage call = QDBusMessage::createMethodCall(
        service, QString::fromLatin1(kWindowObjectPath), QString::fromLatin1(kWindowInterface),
        QStringLiteral("CopyData"));
    call << static_cast<qint64>(data_tag) << bytes;
    return bus.send(call);
}

}  // namespace dz::ipc
