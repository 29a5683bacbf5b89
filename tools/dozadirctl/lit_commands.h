#pragma once
// dozadirctl sync, apply and preview for the mousepad and the headset: their lighting page
// read back, a profile's lighting written as the window writes it, and the preview of their
// LEDs, on the same transfers and lighting program as the window.

#include <string>
#include <vector>

#include "commands.h"

namespace dz::ctl {

int MousepadSyncCommand(Context& ctx, const std::vector<std::string>& args);
int HeadsetSyncCommand(Context& ctx, const std::vector<std::string>& args);
int MousepadApplyCommand(Context& ctx, const std::vector<std::string>& args);
int HeadsetApplyCommand(Context& ctx, const std::vector<std::string>& args);
// No device is needed: the preview is computed.
int MousepadPreviewCommand(Context& ctx, const std::vector<std::string>& args);
int HeadsetPreviewCommand(Context& ctx, const std::vector<std::string>& args);

extern const char* const kLitSyncUsage;
extern const char* const kLitApplyUsage;
extern const char* const kLitPreviewUsage;

}  // namespace dz::ctl
