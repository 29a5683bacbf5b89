#pragma once
// dozadirctl sync, apply and preview for the mousepad and the headset: their lighting page
// read back, a profile's lighting written as the window writes it, and the preview of their
// LEDs, on the same transfers and lighting program as the window.

#include <string>
#include <vector>

#include "commands.h"
#include "device_commands.h"
#include "models/light_edit.h"

namespace dz::ctl {

int MousepadSyncCommand(Context& ctx, const std::vector<std::string>& args);
int HeadsetSyncCommand(Context& ctx, const std::vector<std::string>& args);
int MousepadApplyCommand(Context& ctx, const std::vector<std::string>& args);
int HeadsetApplyCommand(Context& ctx, const std::vector<std::string>& args);
// No device is needed: the preview is computed.
int MousepadPreviewCommand(Context& ctx, const std::vector<std::string>& args);
int HeadsetPreviewCommand(Context& ctx, const std::vector<std::string>& args);

// For same-mode, over the same code as apply, for the mousepad (kind code 2) or the headset
// (3): the selected profile's lighting record, and a record given to the connected device
// and its selected profile.
bool ReadLitKindLighting(Context& ctx, int kind_code, LightBytes& record, std::string& profile,
                         int& status);
KindLightingWrite WriteLitKindLighting(Context& ctx, int kind_code, const RecordOf& record_of);

extern const char* const kLitSyncUsage;
extern const char* const kLitApplyUsage;
extern const char* const kLitPreviewUsage;

}  // namespace dz::ctl
