#pragma once
// Timers per control and id. A control that is a TimerReceiver handles its own ticks;
// others (and a control that declines) are reported through the fire callback, which the
// window turns into a "timer" notification with wParam = id. A null control is the window.

#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSet>
#include <QWidget>
#include <functional>
#include <map>
#include <utility>

namespace dz::ui {

class TimerReceiver {
  public:
    virtual ~TimerReceiver() = default;
    // True when the tick was handled and needs no notification.
    virtual bool OnControlTimer(int id) = 0;
};

class ControlTimers : public QObject {
  public:
    using Fire = std::function<void(QWidget* control, int id)>;
    explicit ControlTimers(Fire fire, QObject* parent = nullptr);

    // Starts (or restarts with the new period) timer id of control.
    bool SetTimer(QWidget* control, int id, int ms);
    void KillTimer(QWidget* control, int id);
    void KillTimers(QWidget* control);
    [[nodiscard]] bool IsActive(const QWidget* control, int id) const;
    // The period of a running timer in milliseconds, or -1 when it is not running.
    [[nodiscard]] int Interval(const QWidget* control, int id) const;

  protected:
    void timerEvent(QTimerEvent* event) override;

  private:
    struct Entry {
        QPointer<QWidget> control;
        const QWidget* key;
        int id;
        int ms;
    };
    using Key = std::pair<const QWidget*, int>;

    Fire fire_;
    QHash<int, Entry> byQtId_;
    std::map<Key, int> byKey_;
    QSet<const QWidget*> watched_;
};

}  // namespace dz::ui
