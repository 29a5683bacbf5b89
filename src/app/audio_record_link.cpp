#include "app/audio_record_link.h"

#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDBusReply>
#include <QDBusPendingCallWatcher>
#include <QDBusPendingReply>
#include <QProcess>

#include "app/app_messages.h"
#include "platform/ipc/bus_names.h"
#include "platform/ipc/window_endpoint.h"
#include "platform/log/debug_log.h"

namespace dz::app {
namespace {

constexpr int kCommandTimeoutMs = 1500;

QDBusMessage WindowCall(const QString& window, const char* method) {
    return QDBusMessage::createMethodCall(ipc::BusNameForWindow(window),
                                          QString::fromLatin1(ipc::kWindowObjectPath),
                                          QString::fromLatin1(ipc::kWindowInterface),
                                          QString::fromLatin1(method));
}

}  // namespace

AudioRecordLink::AudioRecordLink(Config config) : config_(std::move(config)) {
    (void)RegisterAppMessages();
}

QString AudioRecordLink::PresenceName() const {
    return ipc::BusNameForWindow(config_.title + QStringLiteral("AudioRecord"));
}

QString AudioRecordLink::WindowName() const {
    return config_.title + QStringLiteral("AUDIORECORD");
}

bool AudioRecordLink::PresenceHeld() const {
    if (!config_.bus.isConnected()) return false;
    const QDBusReply<bool> r = config_.bus.interface()->isServiceRegistered(PresenceName());
    return r.isValid() && r.value();
}

bool AudioRecordLink::Launch() {
    // Detached: the program outlives a crash of ours only until it sees our bus name go.
    const QStringList arguments = quiet_.load() ? QStringList{QStringLiteral("-q")} : QStringList{};
    if (QProcess::startDetached(config_.program, arguments)) {
        started_.store(true);
        return true;
    }
    log::DebugLineF("audio capture program %s not started", qUtf8Printable(config_.program));
    if (config_.launch_failed) config_.launch_failed();
    return false;
}

void AudioRecordLink::Command(int command, int64_t argument, bool wait) {
    QDBusMessage call = WindowCall(WindowName(), "Send");
    call << QString::fromUtf8(kAudioRecordCmdMsgName.data(), kAudioRecordCmdMsgName.size())
         << static_cast<qint64>(command) << static_cast<qint64>(argument);
    if (wait) {
        const QDBusMessage reply = config_.bus.call(call, QDBus::Block, kCommandTimeoutMs);
        if (reply.type() == QDBusMessage::ErrorMessage)
            log::DebugLineF("audio capture command %d: %s", command,
                            qUtf8Printable(reply.errorMessage()));
        return;
    }
    // One connection's messages reach a peer in the order they were sent, so commands
    // sent without waiting keep their order.
    (void)config_.bus.send(call);
}

void AudioRecordLink::Handshake() {
    const bool found = ipc::WindowExists(config_.bus, WindowName());
    window_known_.store(found);
    if (!found) return;
    // The handle stands for this window; the program answers the connection it came on.
    Command(0, QCoreApplication::applicationPid(), false);
    Command(3, 0, false);
    Command(1, 0, false);
}

void AudioRecordLink::StopProgram() {
    const bool found = ipc::WindowExists(config_.bus, WindowName());
    window_known_.store(found);
    if (!found) return;
    Command(2, 0, true);
    Command(4, 0, true);
    Command(5, 0, true);
}

void AudioRecordLink::SendCommand(int command, int64_t argument) {
    if (!window_known_.load()) return;
    Command(command, argument, false);
}

void AudioRecordLink::SendColourBlock(const std::array<uint8_t, 40>& block) {
    if (!window_known_.load()) return;
    QDBusMessage call = WindowCall(WindowName(), "CopyData");
    call << static_cast<qint64>(10)
         << QByteArray(reinterpret_cast<const char*>(block.data()),
                       static_cast<qsizetype>(block.size()));
    auto* watcher = new QDBusPendingCallWatcher(
        config_.bus.asyncCall(call, kColourBlockTimeoutMs), QCoreApplication::instance());
    QObject::connect(watcher, &QDBusPendingCallWatcher::finished, watcher,
                     [given_up = colour_blocks_given_up_](QDBusPendingCallWatcher* w) {
                         if (w->isError()) {
                             log::DebugLine("2222222222");
                             given_up->fetch_add(1);
                         }
                         w->deleteLater();
                     });
}

void AudioRecordLink::RunDaemon(const StopEvent& stop) {
    // The worker table resets the slot's event before the thread starts.
    for (;;) {
        // The round's second is spent waiting on the stop event, so a stop ends it at once.
        if (stop.WaitFor(std::chrono::milliseconds(1000))) break;
        if (PresenceHeld()) {
            quiet_ = false;
            continue;
        }
        // A program started before (the window's own start among them) and gone now ended:
        // without a sound server it said so, and the next starts need not say it again.
        if (started_.load()) quiet_ = true;
        relaunches_.fetch_add(1);
        if (!Launch()) continue;
        if (stop.WaitFor(std::chrono::milliseconds(500))) break;
        Handshake();
    }
    log::DebugLine("AudioDaemonThreadPrc stop");
}

}  // namespace dz::app
