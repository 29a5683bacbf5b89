#pragma once
// Waits for a condition while the Qt event loop keeps running, bounded so that a
// missing event fails the test instead of hanging it.

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QEventLoop>

#include <functional>

namespace dz::test {

inline bool WaitUntil(const std::function<bool()>& done, int ms = 3000) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}

}  // namespace dz::test
