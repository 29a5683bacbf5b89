#pragma once
// dozadirctl sync keyboard and apply keyboard: the keyboard's first read and the apply step
// of a profile, on the same transfers and encodings as the window.

#include <string>
#include <vector>

#include "commands.h"

namespace dz::ctl {

// `args` after the device word. "keyboard" takes the cable, else the receiver;
// "keyboard-rx" the receiver only.
int KeyboardSyncCommand(Context& ctx, const std::vector<std::string>& args, bool receiver);
int KeyboardApplyCommand(Context& ctx, const std::vector<std::string>& args, bool receiver);

extern const char* const kKeyboardSyncUsage;
extern const char* const kKeyboardApplyUsage;

}  // namespace dz::ctl
