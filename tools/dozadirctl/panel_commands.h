#pragma once
// dozadirctl lighting KIND and key KIND POSITION FUNCTION: the lighting panel's and the key
// assignment panel's changes to the selected profile, written to the device.

#include <string>
#include <vector>

#include "commands.h"

namespace dz::ctl {

int KeyboardLightingCommand(Context& ctx, const std::vector<std::string>& args);
int KeyboardReceiverLightingCommand(Context& ctx, const std::vector<std::string>& args);
int MouseLightingCommand(Context& ctx, const std::vector<std::string>& args);
int MouseReceiverLightingCommand(Context& ctx, const std::vector<std::string>& args);
int KeyboardKeyCommand(Context& ctx, const std::vector<std::string>& args);
int KeyboardReceiverKeyCommand(Context& ctx, const std::vector<std::string>& args);
int MouseKeyCommand(Context& ctx, const std::vector<std::string>& args);
int MouseReceiverKeyCommand(Context& ctx, const std::vector<std::string>& args);

extern const char* const kLightingUsage;
extern const char* const kKeyUsage;

}  // namespace dz::ctl
