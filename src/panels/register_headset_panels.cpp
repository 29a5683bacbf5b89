#include "panels/register_headset_panels.h"

#include "panels/magic_control_ui.h"
#include "panels/voice6533_control_ui.h"

namespace dz::panels {

void RegisterHeadsetPanels() {
    RegisterVoice6533Control();
    RegisterMagicControl();
}

}  // namespace dz::panels
