#pragma once
// The DPI value of a window, used as its UI scale factor (96 = 1.0).

#include <QString>

namespace dz::ui {

inline constexpr int kDefaultDpi = 96;

[[nodiscard]] bool IsAcceptedDpi(int dpi);
// The value itself when accepted (48, 72, 96, 120, 144, 168, 192); otherwise 96, after the
// debug line "<windowTag> DPI SET ERROR".
[[nodiscard]] int CheckedDpi(int dpi, const QString& windowTag);
[[nodiscard]] inline double ScaleOf(int dpi) {
    return dpi / static_cast<double>(kDefaultDpi);
}
// A length in pixels at 96 DPI, scaled to dpi (rounded).
[[nodiscard]] int ScalePx(int px, int dpi);

}  // namespace dz::ui
