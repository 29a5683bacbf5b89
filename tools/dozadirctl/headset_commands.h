#pragma once
// dozadirctl headset eq|mic|monitor|voice: the headset's sound settings as its sound panels
// change them (the same HeadsetSound operations over the sound server), on the selected
// profile, which is saved.

#include <string>
#include <vector>

#include "commands.h"

namespace dz::ctl {

int HeadsetEqCommand(Context& ctx, const std::vector<std::string>& args);
int HeadsetMicCommand(Context& ctx, const std::vector<std::string>& args);
int HeadsetMonitorCommand(Context& ctx, const std::vector<std::string>& args);
int HeadsetVoiceCommand(Context& ctx, const std::vector<std::string>& args);

extern const char* const kHeadsetSoundUsage;

}  // namespace dz::ctl
