#include "device/interface_scan.h"

#include "device/hid_interface.h"

namespace dz {

ScanPass BindPresentInterfaces(DeviceSlotList& slots, const BoundCallback& on_bound) {
    HidInterface lister;
    const bool listed = lister.Enumerate() == 1;
    std::vector<std::string> paths;
    while (const char* p = lister.NextPath()) paths.emplace_back(p);
    lister.ReleaseList();
    ScanPass pass = BindInterfaces(slots, paths, on_bound);
    pass.listed = listed;
    return pass;
}

ScanPass BindInterfaces(DeviceSlotList& slots, const std::vector<std::string>& paths,
                        const BoundCallback& on_bound, const RejectedCallback& on_rejected) {
    ScanPass pass;
    pass.listed = true;
    for (const std::string& path : paths) {
        if (slots.FindBoundSlot(path) >= 0) continue;
        if (!slots.IsCandidate(PathVendorId(path), PathProductId(path),
                               PathInterfaceNumber(path), PathCollectionNumber(path))) {
            continue;
        }
        HidInterface probe;
        if (probe.Open(path, true, false, true, false) != 1) {
            pass.unopened.push_back({path, probe.LastOpenError()});
            continue;
        }
        SupportedDeviceRecord record;
        record.vendor_id = probe.VendorId();
        record.product_id = probe.ProductId();
        record.interface_number = PathInterfaceNumber(path);
        record.collection = PathCollectionNumber(path);
        record.usage_page = probe.UsagePage();
        record.usage = probe.Usage();
        record.path = path;
        const uint16_t version = probe.VersionNumber();
        probe.Close();
        const int slot = slots.Match(record);
        if (slot < 0) {
            if (on_rejected) on_rejected(path);
            continue;
        }
        pass.bound.push_back({slot, slots.Slot(slot), version});
        if (on_bound) on_bound(pass.bound.back());
    }
    return pass;
}

}  // namespace dz
