#pragma once
// dozadirctl profile ... and dozadirctl macro ...: the profile and macro stores of a device
// kind, in the same user data folder as the application.

#include <string>
#include <vector>

#include "commands.h"

namespace dz::ctl {

// `args` after the word "profile" / "macro".
int ProfileCommand(Context& ctx, const std::vector<std::string>& args);
int MacroCommand(Context& ctx, const std::vector<std::string>& args);

// Usage lines of both, for the help text.
extern const char* const kStoreUsage;

}  // namespace dz::ctl
