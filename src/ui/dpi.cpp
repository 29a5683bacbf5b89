#include "ui/dpi.h"

#include <cmath>

#include "platform/log/debug_log.h"

namespace dz::ui {

bool IsAcceptedDpi(int dpi) {
    switch (dpi) {
        case 48:
        case 72:
        case 96:
        case 120:
        case 144:
        case 168:
        case 192:
            return true;
        default:
            return false;
    }
}

int CheckedDpi(int dpi, const QString& windowTag) {
    if (IsAcceptedDpi(dpi)) return dpi;
    log::DebugLineF("%s DPI SET ERROR", qUtf8Printable(windowTag));
    return kDefaultDpi;
}

int ScalePx(int px, int dpi) {
    return static_cast<int>(std::lround(px * ScaleOf(dpi)));
}

}  // namespace dz::ui
