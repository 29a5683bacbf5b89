#pragma once
// A bus connection that never connects: a window made with it has no session bus, as on a
// machine without one, and cannot meet another test's names.

#include <QDBusConnection>
#include <QString>

namespace dz::test {

inline QDBusConnection NoBus() {
    return QDBusConnection::connectToBus(QStringLiteral("unix:path=/nonexistent/none"),
                                         QStringLiteral("none"));
}

}  // namespace dz::test
