#pragma once
// Button icons from skin images, drawn at whatever size the button asks for. A picture is
// enlarged smoothly when a scaled window asks for more than its pixels (Qt's own icons
// never enlarge, so they would stay at their 96-DPI size), and a scalable file (".svg") is
// drawn afresh at each size, so it stays sharp.

#include <QIcon>
#include <QString>

namespace dz::ui {

// Images of a button's states, as files under the skin folder (empty: none).
struct SkinIconFiles {
    QString normal;    // unchecked
    QString selected;  // checked; the normal image when empty
    QString disabled;  // while disabled; generated from the others when empty
};

// A null icon when none of the files can be read.
[[nodiscard]] QIcon SkinIcon(const SkinIconFiles& files);
[[nodiscard]] QIcon SkinIcon(const QString& file);

}  // namespace dz::ui
