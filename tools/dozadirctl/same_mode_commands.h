#pragma once
// dozadirctl same-mode KIND: what "deng_same_mode" does on KIND's page, without the window:
// every connected device of the kinds taking part gets KIND's breathing, steady, flashing,
// colour-cycle or off effect in its own kind's mode, with KIND's brightness, speed,
// direction, multicolour and colour.

#include <string>
#include <vector>

#include "commands.h"

namespace dz::ctl {

int SameModeKeyboardCommand(Context& ctx, const std::vector<std::string>& args);
int SameModeMouseCommand(Context& ctx, const std::vector<std::string>& args);
int SameModeMousepadCommand(Context& ctx, const std::vector<std::string>& args);
int SameModeHeadsetCommand(Context& ctx, const std::vector<std::string>& args);

extern const char* const kSameModeUsage;

}  // namespace dz::ctl
