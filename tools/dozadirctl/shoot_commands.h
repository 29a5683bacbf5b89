#pragma once
// dozadirctl shoot mouse ...: the mouse's four shooting patterns in its data folder, shown,
// edited, imported, exported and reset with the same rules as the mouse page's panel
// (models/mouse_shoot.h). No device is needed; "apply mouse" sends them.

#include <string>
#include <vector>

#include "commands.h"

namespace dz::ctl {

// `args` after the device word.
int ShootMouseCommand(Context& ctx, const std::vector<std::string>& args);

extern const char* const kShootMouseUsage;

}  // namespace dz::ctl
