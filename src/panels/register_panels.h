#pragma once
// Registers the feature panels of the device pages with the control factory: the lighting
// panel ("LightControl", "CLightControlUI") and the key assignment panel ("KeySetControl",
// "CKeySetControlUI").

namespace dz::panels {

void RegisterPanelControls();

}  // namespace dz::panels
