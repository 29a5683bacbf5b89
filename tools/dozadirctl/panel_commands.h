#pragma once
// dozadirctl lighting KIND and key KIND POSITION FUNCTION: the lighting panel's and the key
// assignment panel's changes to the selected profile, written to the device.

#include <string>
#include <vector>

#include "commands.h"
#include "device_commands.h"
#include "models/light_edit.h"

namespace dz::ctl {

// `receiver`: the receiver only; else the cable, or the receiver when there is no cable.
int KeyboardLightingCommand(Context& ctx, const std::vector<std::string>& args, bool receiver);
int MouseLightingCommand(Context& ctx, const std::vector<std::string>& args, bool receiver);
int KeyboardKeyCommand(Context& ctx, const std::vector<std::string>& args, bool receiver);
int MouseKeyCommand(Context& ctx, const std::vector<std::string>& args, bool receiver);

// For same-mode, over the same code as the lighting command, for the keyboard (kind code 0)
// or the mouse (1): the selected profile's lighting record, and a record given to the
// connected device (cable, else receiver) and its selected profile.
bool ReadPanelKindLighting(Context& ctx, int kind_code, LightBytes& record, std::string& profile,
                           int& status);
KindLightingWrite WritePanelKindLighting(Context& ctx, int kind_code, const RecordOf& record_of);

extern const char* const kLightingUsage;
extern const char* const kKeyUsage;

}  // namespace dz::ctl
