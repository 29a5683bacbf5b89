#include "device/interface_scan.h"

#include "device/hid_interface.h"

namespace dz {

ScanPass BindPresentInterfaces(DeviceSlotList& slots) {
    ScanPass pass;
    HidInterface lister;
    pass.listed = lister.Enumerate() == 1;
    while (const char* p = lister.NextPath()) {
        const std::string path = p;
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
        if (slot >= 0) pass.bound.push_back({slot, slots.Slot(slot), version});
    }
    lister.ReleaseList();
    return pass;
}

}  // namespace dz
