#pragma once
// Suspend and resume as logind announces them (PrepareForSleep on the system bus).

#include <QDBusConnection>
#include <QObject>

namespace dz::ipc {

class SleepWatcher : public QObject {
    Q_OBJECT
  public:
    // `bus` is normally QDBusConnection::systemBus(); tests pass a private bus.
    explicit SleepWatcher(QDBusConnection bus, QObject* parent = nullptr);
    // False (with one debug line) when the bus is missing: suspend is then never seen.
    [[nodiscard]] bool Start();

  signals:
    void Suspending();
    void Resumed();

  private slots:
    void OnPrepareForSleep(bool going_to_sleep);

  private:
    QDBusConnection bus_;
};

}  // namespace dz::ipc
