#pragma once
// The shown text of a widget, whatever its kind (label, button, edit, group, combo, window).

#include <QString>
#include <QWidget>

namespace dz::ui {

[[nodiscard]] QString ShownText(const QWidget* w);
// Sets the shown text without raising a "textchanged" notification.
void SetShownText(QWidget* w, const QString& text);

}  // namespace dz::ui
