#pragma once
// Registers the headset's two sound panels with the control factory.

namespace dz::panels {

void RegisterHeadsetPanels();

}  // namespace dz::panels
