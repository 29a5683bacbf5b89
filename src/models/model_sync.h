#pragma once
// What the four models share on the first synchronisation until each has its own: read
// the information block from a bound device and start the lighting thread.

#include "device/command_channel.h"

namespace dz {

class CRezazodaUSBDevice;

// The lighting thread's step interval: the effects' time base.
inline constexpr int kLightingStepMs = 20;

// Reads the information block, loads the current profile, shows it and starts the
// lighting thread.
void RunFirstSync(CRezazodaUSBDevice& device);
// The profile file, default data file and light list of the device's kind and profile.
void SetProfilePathsOf(CRezazodaUSBDevice& device);
// Loads the current profile's device section (re-seeded from the default data when the file
// is unusable) and takes its lighting settings. 1 when a profile is selected, else 0.
uint32_t LoadCurrentProfile(CRezazodaUSBDevice& device);
// The profile's lighting record becomes the lighting state the effects read.
uint32_t TakeLightingSettings(CRezazodaUSBDevice& device);
void SaveCurrentProfile(CRezazodaUSBDevice& device);
// Through the receiver: the receiver's answer to the link query; over a cable: linked.
[[nodiscard]] bool LinkedThroughReceiver(CommandChannel& channel);

// Registers the four device object classes with the control factory.
void RegisterDeviceControls();

}  // namespace dz
