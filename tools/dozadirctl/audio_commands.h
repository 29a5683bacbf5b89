#pragma once
// dozadirctl audio-style ...: the four audio styles of "AudioFile.json" in the user data
// folder, read, edited and restored as the style window and "device_reset_btn" do.

#include <string>
#include <vector>

#include "commands.h"

namespace dz::ctl {

// `args` after the word "audio-style".
int AudioStyleCommand(Context& ctx, const std::vector<std::string>& args);

extern const char* const kAudioStyleUsage;

}  // namespace dz::ctl
