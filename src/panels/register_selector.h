#pragma once
// Registers the selector item and the power indicator with the control factory, under the
// class names their skins use ("DeviceOption", "MpDevicePower") and under their class
// names ("CDeviceOptionUI", "CMpDevicePowerUI").

namespace dz::panels {

void RegisterSelectorControls();

}  // namespace dz::panels
