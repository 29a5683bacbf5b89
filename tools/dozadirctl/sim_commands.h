#pragma once
// dozadirctl sim ...: drives the emulator of a running "dozadir-keyboard --simulate"
// over the session bus (sim/bus/sim_bus_service.h). Without D-Bus support in the build
// the command exists and says so.

#include <string>
#include <vector>

#include "commands.h"

namespace dz::ctl {

// `args` after the word "sim".
int SimCommand(Context& ctx, const std::vector<std::string>& args);

// Usage lines, for the help text.
extern const char* const kSimUsage;

}  // namespace dz::ctl
