#pragma once
// dozadirctl lighting KIND and key KIND POSITION FUNCTION: the lighting panel's and the key
// assignment panel's changes to the selected profile, written to the device.

#include <string>
#include <vector>

#include "commands.h"

namespace dz::ctl {

// `receiver`: the receiver only; else the cable, or the receiver when there is no cable.
int KeyboardLightingCommand(Context& ctx, const std::vector<std::string>& args, bool receiver);
int MouseLightingCommand(Context& ctx, const std::vector<std::string>& args, bool receiver);
int KeyboardKeyCommand(Context& ctx, const std::vector<std::string>& args, bool receiver);
int MouseKeyCommand(Context& ctx, const std::vector<std::string>& args, bool receiver);

extern const char* const kLightingUsage;
extern const char* const kKeyUsage;

}  // namespace dz::ctl
