#pragma once
// One running instance per user session. With a session bus the instance holds the bus
// name derived from the application title; without one it holds an exclusive lock on a
// file in the runtime folder, and the messaging features are off (one debug line says so).
// The guard is held until it is destroyed, so a start during shut-down is still second.

#include <QDBusConnection>
#include <QString>

namespace dz::ipc {

enum class InstanceRole {
    kFirst,        // this process is the instance
    kSecond,       // another process is; tell it to show itself and end
    kUnavailable,  // neither the bus nor the lock file could decide (runs as first)
};

class SingleInstance {
  public:
    // `bus` is the session bus (or a disconnected one to force the lock file);
    // `lock_folder` empty means $XDG_RUNTIME_DIR, else the temporary folder.
    SingleInstance(QString app_title, QDBusConnection bus, QString lock_folder = {});
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    [[nodiscard]] InstanceRole Acquire();
    // True when the decision was made by the lock file (no session bus).
    [[nodiscard]] bool UsesLockFile() const { return lock_fd_ >= 0 || lock_used_; }
    [[nodiscard]] QString LockFilePath() const;

  private:
    QString title_;
    QDBusConnection bus_;
    QString lock_folder_;
    QString bus_name_;
    bool owns_name_ = false;
    int lock_fd_ = -1;
    bool lock_used_ = false;
};

}  // namespace dz::ipc
