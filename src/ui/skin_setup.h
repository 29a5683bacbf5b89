#pragma once
// Skin properties that stock Qt widgets do not know, applied once a subtree is built:
// "group" (options that exclude each other), edit "numberonly", "minvalue", "maxvalue",
// "maxchar", "bkcolor", "bkimage", button images "normalimage", "selectedimage",
// "disabledimage" and "foreimage", and resource-text mode ("resourcetext").

#include <QButtonGroup>
#include <QString>
#include <QWidget>

namespace dz::ui {

void ApplySkinAttributes(QWidget* root);
// The exclusive group of that name in the window of `anyControl`, created on first use.
[[nodiscard]] QButtonGroup* OptionGroup(QWidget* anyControl, const QString& group);

}  // namespace dz::ui
