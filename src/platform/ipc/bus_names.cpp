#include "platform/ipc/bus_names.h"

namespace dz::ipc {

QString BusNameForWindow(const QString& window_name) {
    QString element;
    element.reserve(window_name.size() + 1);
    for (const QChar c : window_name) {
        const bool keep = (c >= u'a' && c <= u'z') || (c >= u'A' && c <= u'Z') ||
                          (c >= u'0' && c <= u'9') || c == u'_';
        element.append(keep ? c : QChar(u'_'));
    }
    if (element.isEmpty() || element.front().isDigit()) element.prepend(u'_');
    return QString::fromLatin1(kBusNamePrefix) + element;
}

}  // namespace dz::ipc
