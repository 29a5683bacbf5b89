#include "platform/ipc/single_instance.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QDir>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <utility>

#include "platform/ipc/bus_names.h"
#include "platform/log/debug_log.h"

namespace dz::ipc {

SingleInstance::SingleInstance(QString app_title, QDBusConnection bus, QString lock_folder)
    : title_(std::move(app_title)),
      bus_(std::move(bus)),
      lock_folder_(std::move(lock_folder)),
      bus_name_(BusNameForWindow(title_)) {}

SingleInstance::~SingleInstance() {
    if (owns_name_) bus_.unregisterService(bus_name_);
    if (lock_fd_ >= 0) ::close(lock_fd_);  // closing drops the lock
}

QString SingleInstance::LockFilePath() const {
    QString folder = lock_folder_;
    if (folder.isEmpty()) folder = QString::fromLocal8Bit(qgetenv("XDG_RUNTIME_DIR"));
    if (folder.isEmpty()) folder = QDir::tempPath();
    return QDir(folder).filePath(title_ + QStringLiteral(".lock"));
}

InstanceRole SingleInstance::Acquire() {
    if (bus_.isConnected()) {
        const QDBusReply<QDBusConnectionInterface::RegisterServiceReply> reply =
            bus_.interface()->registerService(bus_name_, QDBusConnectionInterface::DontQueueService,
                                              QDBusConnectionInterface::DontAllowReplacement);
        if (reply.isValid()) {
            if (reply.value() == QDBusConnectionInterface::ServiceRegistered) {
                owns_name_ = true;
                return InstanceRole::kFirst;
            }
            return InstanceRole::kSecond;
        }
        log::DebugLineF("IPC: cannot request %s: %s", bus_name_.toUtf8().constData(),
                        reply.error().message().toUtf8().constData());
    }
    log::DebugLine("IPC: no session bus; single instance by lock file, messaging features off");
    lock_used_ = true;
    const QByteArray path = LockFilePath().toLocal8Bit();
    const int fd = ::open(path.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd < 0) {
        log::DebugLineF("IPC: cannot open lock file %s: %s", path.constData(),
                        std::strerror(errno));
        return InstanceRole::kUnavailable;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        const int err = errno;
        ::close(fd);
        if (err == EWOULDBLOCK) return InstanceRole::kSecond;
        log::DebugLineF("IPC: cannot lock %s: %s", path.constData(), std::strerror(err));
        return InstanceRole::kUnavailable;
    }
    lock_fd_ = fd;
    return InstanceRole::kFirst;
}

}  // namespace dz::ipc
