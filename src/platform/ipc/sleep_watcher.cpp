#include "platform/ipc/sleep_watcher.h"

#include <utility>

#include "platform/log/debug_log.h"

namespace dz::ipc {

SleepWatcher::SleepWatcher(QDBusConnection bus, QObject* parent)
    : QObject(parent), bus_(std::move(bus)) {}

bool SleepWatcher::Start() {
    if (!bus_.isConnected() ||
        !bus_.connect(QStringLiteral("org.freedesktop.login1"),
                      QStringLiteral("/org/freedesktop/login1"),
                      QStringLiteral("org.freedesktop.login1.Manager"),
                      QStringLiteral("PrepareForSleep"), this, SLOT(OnPrepareForSleep(bool)))) {
        log::DebugLine("IPC: no system bus or logind; suspend and resume are not seen");
        return false;
    }
    return true;
}

void SleepWatcher::OnPrepareForSleep(bool going_to_sleep) {
    if (going_to_sleep) {
        emit Suspending();
    } else {
        emit Resumed();
    }
}

}  // namespace dz::ipc
