#pragma once
// One pass over the HID interfaces present: every candidate path is opened read-only,
// matched in full against the supported-device table and bound to a free slot. The
// scanner thread and the command-line tool both run this pass.

#include <cstdint>
#include <string>
#include <vector>

#include "device/device_table.h"
#include "platform/hid/hid_backend.h"

namespace dz {

struct BoundInterface {
    int slot = -1;
    SupportedDeviceRecord record;  // type and role copied from the table, path bound
    uint16_t version = 0;          // firmware version: the interface's bcdDevice
};

// A path of a supported device that could not be opened, and why.
struct UnopenedInterface {
    std::string path;
    hid::OpenError error = hid::OpenError::kFailed;
};

struct ScanPass {
    bool listed = false;  // enumeration succeeded
    std::vector<BoundInterface> bound;
    std::vector<UnopenedInterface> unopened;
};

// Binds every present interface that matches a free slot of `slots`.
[[nodiscard]] ScanPass BindPresentInterfaces(DeviceSlotList& slots);

}  // namespace dz
