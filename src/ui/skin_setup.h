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
// The exclusive group of that name in the group scope of `anyControl` (its nearest ancestor
// made a scope) or else in its window, created on first use.
[[nodiscard]] QButtonGroup* OptionGroup(QWidget* anyControl, const QString& group);
// Makes `scope` own the option groups of the controls below it: a device page is built
// apart from the window and moved into it, and its options exclude only each other.
void MakeOptionGroupScope(QWidget* scope);

}  // namespace dz::ui
