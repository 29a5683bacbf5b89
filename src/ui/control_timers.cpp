#include "ui/control_timers.h"

#include <QTimerEvent>

namespace dz::ui {

ControlTimers::ControlTimers(Fire fire, QObject* parent)
    : QObject(parent), fire_(std::move(fire)) {}

bool ControlTimers::SetTimer(QWidget* control, int id, int ms) {
    if (ms < 0) return false;
    KillTimer(control, id);
    const int qtId = startTimer(ms);
    if (qtId == 0) return false;
    byQtId_.insert(qtId, Entry{control, control, id, ms});
    byKey_[{control, id}] = qtId;
    if (control && !watched_.contains(control)) {
        // A destroyed control takes its timers with it.
        watched_.insert(control);
        connect(control, &QObject::destroyed, this, [this, control] {
            watched_.remove(control);
            KillTimers(control);
        });
    }
    return true;
}

void ControlTimers::KillTimer(QWidget* control, int id) {
    const auto it = byKey_.find({control, id});
    if (it == byKey_.end()) return;
    killTimer(it->second);
    byQtId_.remove(it->second);
    byKey_.erase(it);
}

void ControlTimers::KillTimers(QWidget* control) {
    for (auto it = byKey_.begin(); it != byKey_.end();) {
        if (it->first.first == control) {
            killTimer(it->second);
            byQtId_.remove(it->second);
            it = byKey_.erase(it);
        } else {
            ++it;
        }
    }
}

bool ControlTimers::IsActive(const QWidget* control, int id) const {
    return byKey_.count({control, id}) != 0;
}

int ControlTimers::Interval(const QWidget* control, int id) const {
    const auto it = byKey_.find({control, id});
    return it == byKey_.end() ? -1 : byQtId_.value(it->second).ms;
}

void ControlTimers::timerEvent(QTimerEvent* event) {
    const auto it = byQtId_.constFind(event->timerId());
    if (it == byQtId_.constEnd()) return;
    const Entry entry = *it;
    if (entry.key != nullptr && entry.control.isNull()) {
        KillTimers(const_cast<QWidget*>(entry.key));
        return;
    }
    if (auto* receiver = dynamic_cast<TimerReceiver*>(entry.control.data())) {
        if (receiver->OnControlTimer(entry.id)) return;
    }
    if (fire_) fire_(entry.control.data(), entry.id);
}

}  // namespace dz::ui
