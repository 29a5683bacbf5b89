#pragma once
// The application's style sheet. It is written for 96 DPI and applied to the whole
// application; each window also carries its own copy, with the pixel lengths scaled to its
// DPI value (its own sheet wins over the application's for its controls and its menus).
// Set it before windows are made: a window takes its copy when it is built and when its
// DPI value changes.

#include <QString>

namespace dz::ui {

// Stores the sheet and applies it to the application. Images in url(...) are named
// relative to the skin folder (absolute paths and resources are kept).
void SetTheme(const QString& sheet);
[[nodiscard]] const QString& Theme();
// The sheet a window at dpi carries itself.
[[nodiscard]] QString WindowThemeFor(int dpi);

}  // namespace dz::ui
