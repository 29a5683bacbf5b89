#pragma once
// One scale factor (dpi / 96) for everything a skin measures in pixels: the geometry of
// freely placed controls, minimum and maximum sizes, layout margins, spacing and fixed
// spacers, explicit fonts and icon sizes; and for the pixel lengths of the theme.
//
// A skin's values are its 96-DPI values. They are kept on each control when the skin is
// built (RecordSkinMeasures) and every scaling starts again from them, so going from one
// DPI to another and back never drifts. Controls made by code after the build carry no
// kept values and are left as they are.

#include <QString>
#include <QWidget>

namespace dz::ui {

// Keeps the 96-DPI measures of every control and layout of a freshly built subtree (the
// controls already kept are skipped). The subtree's own top control keeps its sizes but not
// its position, which belongs to whatever it is placed into.
void RecordSkinMeasures(QWidget* subtree);

// Sets every kept measure of the subtree to its 96-DPI value scaled to dpi. Child windows
// are not entered: each window has its own DPI value.
void ScaleSkin(QWidget* subtree, int dpi);

// The DPI value the subtree's controls were last scaled to (96 when never).
[[nodiscard]] int ScaledDpi(const QWidget* control);

// Style sheet text with every length in "px" scaled to dpi (a non-zero length stays at
// least 1px, so hairlines do not vanish at small values).
[[nodiscard]] QString ScaleStyleSheet(const QString& sheet, int dpi);

}  // namespace dz::ui
