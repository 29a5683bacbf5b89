#pragma once
// Registers the drawn custom widgets with the control factory, under the class names skins
// use ("CircleProgress", ...) and under their class names ("CCircleProgressUI", ...).

namespace dz::ui {

void RegisterCustomWidgets();

}  // namespace dz::ui
