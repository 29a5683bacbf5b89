#include "panels/register_panels.h"

#include "panels/key_set_control_ui.h"
#include "panels/light_control_ui.h"

namespace dz::panels {

void RegisterPanelControls() {
    RegisterLightControl();
    RegisterKeySetControl();
}

}  // namespace dz::panels
