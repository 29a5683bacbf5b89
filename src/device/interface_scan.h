#pragma once
// One pass over the HID interfaces present: every candidate path is opened read-only,
// matched in full against the supported-device table and bound to a free slot. The
// scanner thread and the command-line tool both run this pass.

#include <cstdint>
#include <functional>
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

// Binds every present interface that matches a free slot of `slots`. `on_bound`, when
// given, runs right after each binding, before the next interface is probed.
using BoundCallback = std::function<void(const BoundInterface&)>;
[[nodiscard]] ScanPass BindPresentInterfaces(DeviceSlotList& slots,
                                             const BoundCallback& on_bound = {});

// The same over a list of paths already made. `on_rejected`, when given, is told of each
// interface that opened but is not one of the table (its usages differ from the row's):
// the same node never will be.
using RejectedCallback = std::function<void(const std::string& path)>;
[[nodiscard]] ScanPass BindInterfaces(DeviceSlotList& slots, const std::vector<std::string>& paths,
                                      const BoundCallback& on_bound = {},
                                      const RejectedCallback& on_rejected = {});

}  // namespace dz
