#pragma once
// dozadirctl update [--server URL]: the settings window's update check, in the foreground:
// the items of the connected devices and the application, one query each, each item
// printed with its name, installed version, offered version and status.

#include <string>
#include <vector>

#include "commands.h"

namespace dz::ctl {

// `args` after the word "update".
int UpdateCommand(Context& ctx, const std::vector<std::string>& args);

// Usage lines, for the help text.
extern const char* const kUpdateUsage;

}  // namespace dz::ctl
