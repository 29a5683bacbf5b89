#include "record_program.h"

#include <QByteArray>
#include <QCoreApplication>
#include <QDBusConnectionInterface>
#include <QMetaObject>
#include <cstdio>
#include <cstring>

#include "platform/ipc/bus_names.h"
#include "platform/ipc/registered_messages.h"

namespace dz::audio_record {

QString PresenceName(const QString& title) {
    return ipc::BusNameForWindow(title + QStringLiteral("AudioRecord"));
}

QString WindowName(const QString& title) {
    return title + QStringLiteral("AUDIORECORD");
}

RecordProgram::RecordProgram(QDBusConnection bus, QString title, bool verbose)
    : bus_(std::move(bus)), title_(std::move(title)), verbose_(verbose) {
    (void)ipc::RegisterMessage(kCommandMessage);
    watcher_.setConnection(bus_);
    watcher_.setWatchMode(QDBusServiceWatcher::WatchForUnregistration);
    connect(&watcher_, &QDBusServiceWatcher::serviceUnregistered, this, [this](const QString&) {
        if (verbose_) std::fprintf(stderr, "dozadir-audio-record: the main window left\n");
        Quit(0);
    });
}

RecordProgram::~RecordProgram() {
    StopCapture();
    window_.reset();
    if (presence_held_) bus_.unregisterService(PresenceName(title_));
}

int RecordProgram::Start() {
    if (!bus_.isConnected()) {
        std::fprintf(stderr, "dozadir-audio-record: no session bus\n");
        return 2;
    }
    const auto reply = bus_.interface()->registerService(
        PresenceName(title_), QDBusConnectionInterface::DontQueueService,
        QDBusConnectionInterface::DontAllowReplacement);
    if (!reply.isValid() || reply.value() != QDBusConnectionInterface::ServiceRegistered) {
        std::fprintf(stderr, "dozadir-audio-record: another capture program runs\n");
        return 1;
    }
    presence_held_ = true;
    if (!capture_.Open("Dozadir Keyboard audio lighting")) {
        if (!quiet_without_server_)
            std::fprintf(stderr, "dozadir-audio-record: no sound server: %s\n",
                         capture_.Error().c_str());
        return 2;
    }
    window_ = std::make_unique<ipc::WindowEndpoint>(WindowName(title_), bus_);
    window_->SetSendHandler([this](const ipc::BusMessage& m) { return OnCommand(m); });
    window_->SetPostHandler([this](const ipc::BusMessage& m) { (void)OnCommand(m); });
    window_->SetCopyDataHandler(
        [this](const QString&, int64_t tag, const QByteArray& bytes) { OnColourBlock(tag, bytes); });
    if (!window_->Open()) {
        std::fprintf(stderr, "dozadir-audio-record: the window name is taken\n");
        return 1;
    }
    capture_thread_ = std::thread([this] { CaptureLoop(); });
    return 0;
}

int64_t RecordProgram::OnCommand(const ipc::BusMessage& m) {
    if (m.name != QLatin1String(kCommandMessage)) return 0;
    if (verbose_)
        std::fprintf(stderr, "dozadir-audio-record: command %lld (%lld)\n",
                     static_cast<long long>(m.wparam), static_cast<long long>(m.lparam));
    switch (m.wparam) {
        case 0: {
            std::lock_guard<std::mutex> hold(target_lock_);
            target_ = m.sender;
            watcher_.setWatchedServices(m.sender.isEmpty() ? QStringList{} : QStringList{m.sender});
            break;
        }
        case 3:
            capture_.Flush();
            break;
        case 1:
            sending_.store(true);
            break;
        case 2:
            sending_.store(false);
            break;
        case 4: {
            std::lock_guard<std::mutex> hold(target_lock_);
            target_.clear();
            watcher_.setWatchedServices({});
            break;
        }
        case 5:
            // After the answer has gone back to the main window.
            QMetaObject::invokeMethod(this, [this] { Quit(0); }, Qt::QueuedConnection);
            break;
        case 6:
        case 7:
        case 8:
            direct_colour_[size_t(m.wparam - 6)] = static_cast<int32_t>(m.lparam & 0xFF);
            SendColourPacket();
            break;
        default:
            break;
    }
    return 0;
}

void RecordProgram::OnColourBlock(int64_t tag, const QByteArray& bytes) {
    if (tag != kColourBlockTag || bytes.size() < 12) return;
    std::memcpy(style_colour_.data(), bytes.constData(), sizeof(style_colour_));
    if (verbose_)
        std::fprintf(stderr, "dozadir-audio-record: style colour %d %d %d\n", style_colour_[0],
                     style_colour_[1], style_colour_[2]);
}

void RecordProgram::SendColourPacket() {
    std::array<int32_t, 6> values{direct_colour_[0], direct_colour_[1], direct_colour_[2], 0, 0, 0};
    QString target;
    {
        std::lock_guard<std::mutex> hold(target_lock_);
        target = target_;
    }
    (void)ipc::CopyDataToService(
        bus_, target, kColourTag,
        QByteArray(reinterpret_cast<const char*>(values.data()), sizeof(values)));
}

void RecordProgram::CaptureLoop() {
    // The packets go out from the loop's own thread as each is complete.
    const bool stopped = capture_.Run([this](const SamplePacket& packet) {
        if (!sending_.load()) return;
        QString target;
        {
            std::lock_guard<std::mutex> hold(target_lock_);
            target = target_;
        }
        if (target.isEmpty() || !silence_.Pass(packet)) return;
        (void)ipc::CopyDataToService(
            bus_, target, kSampleTag,
            QByteArray(reinterpret_cast<const char*>(packet.data()), sizeof(packet)));
    });
    if (stopped) return;
    std::fprintf(stderr, "dozadir-audio-record: the sound server went away: %s\n",
                 capture_.Error().c_str());
    exit_code_.store(3);
    QMetaObject::invokeMethod(this, [this] { Quit(3); }, Qt::QueuedConnection);
}

void RecordProgram::StopCapture() {
    capture_.Stop();
    if (capture_thread_.joinable()) capture_thread_.join();
}

void RecordProgram::Quit(int code) {
    // The presence goes first, so that the application can start a new program at once.
    window_.reset();
    if (presence_held_) bus_.unregisterService(PresenceName(title_));
    presence_held_ = false;
    QCoreApplication::exit(code);
}

}  // namespace dz::audio_record
