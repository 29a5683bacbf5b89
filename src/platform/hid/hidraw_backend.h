#pragma once
// The Linux hidraw backend: nodes are the /dev/hidrawN devices that libudev lists in
// the "hidraw" subsystem; ids, bcdDevice and interface number come from the USB
// parents, the report descriptor from the HID parent's sysfs attribute.
//
// I/O is non-blocking with poll() on the node and an eventfd that Abort() signals.
// Exclusive opens take flock(LOCK_EX | LOCK_NB) on the node and shared opens
// flock(LOCK_SH | LOCK_NB), so an exclusive holder keeps our other openers out (kBusy)
// and cannot be granted while one of them has the node open. flock is advisory: other
// programs that do not lock are not kept out; Linux has no mandatory share mode for
// character devices.

#include <memory>

#include "platform/hid/hid_backend.h"

namespace dz::hid {

inline constexpr std::string_view kHidrawScheme = "hidraw";

[[nodiscard]] std::shared_ptr<HidBackend> MakeHidrawBackend();

}  // namespace dz::hid
