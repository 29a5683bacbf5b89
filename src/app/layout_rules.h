#pragma once
// Pure rules of the main window's layout and of the DPI values windows accept.

#include <string_view>

namespace dz::app {

// The DPI the main window is laid out at on a monitor of this size: 144 on a monitor
// wider than 1500 and higher than 960, otherwise 96.
[[nodiscard]] constexpr int LayoutDpiForMonitor(int width, int height) {
    return (width > 1500 && height > 960) ? 144 : 96;
}

// Base size of the main window before DPI scaling, and the size of the DPI layout pass.
inline constexpr int kMainWindowWidth = 800;
inline constexpr int kMainWindowHeight = 572;
inline constexpr int kLayoutWidth = 1000;
inline constexpr int kLayoutHeight = 640;

}  // namespace dz::app
