#pragma once
// Report descriptors of the emulated devices' HID interfaces, byte for byte as the
// firmware would present them. The real hidraw tests serve these through umockdev.

#include <cstdint>
#include <span>

#include "device/command_packet.h"  // kCommandReportId

namespace dz::sim {

// Interface 0 of the keyboards: the boot keyboard, no report ids.
std::span<const uint8_t> BootKeyboardDescriptor();
// Interface 0 of the mice: the boot mouse, no report ids.
std::span<const uint8_t> BootMouseDescriptor();
// Interface 1 of keyboard, keyboard receiver, mouse, mouse receiver and mousepad:
// col01 keyboard (id 1), col02 system control (id 2), col03 consumer with the device
// notifications (id 3), col04 vendor command collection 0xFF1C/0x92 (id 4, 64 bytes).
std::span<const uint8_t> VendorInterfaceDescriptor();
// Interface 3 of the headset: one consumer collection holding media keys (id 1),
// the command reports (id 4, 64 bytes) and the 17-byte LED output report (id 0xFF).
std::span<const uint8_t> HeadsetInterfaceDescriptor();

inline constexpr uint8_t kNotifyReportId = 3;
inline constexpr uint8_t kHeadsetLedReportId = 0xFF;

}  // namespace dz::sim
