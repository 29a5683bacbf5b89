#pragma once
// What the four models share on the first synchronisation until each has its own: read
// the information block from a bound device and start the lighting thread.

#include "device/command_channel.h"

namespace dz {

class CRezazodaUSBDevice;

// The lighting thread's step interval: the effects' time base.
inline constexpr int kLightingStepMs = 20;

void RunFirstSync(CRezazodaUSBDevice& device);
// Through the receiver: the receiver's answer to the link query; over a cable: linked.
[[nodiscard]] bool LinkedThroughReceiver(CommandChannel& channel);

// Registers the four device object classes with the control factory.
void RegisterDeviceControls();

}  // namespace dz
