#include "device/device_table.h"

namespace dz {
namespace {

// The six values the full match compares: ids, interface, collection, usage page, usage.
bool SameOpenedInterface(const SupportedDeviceFields& a, const SupportedDeviceFields& b) {
    return a.vendor_id == b.vendor_id && a.product_id == b.product_id &&
           a.interface_number == b.interface_number && a.collection == b.collection &&
           a.usage_page == b.usage_page && a.usage == b.usage;
}

bool SamePathNumbers(const SupportedDeviceFields& a, uint16_t vendor_id, uint16_t product_id,
                     uint16_t interface_number, uint16_t collection) {
    return a.vendor_id == vendor_id && a.product_id == product_id &&
           a.interface_number == interface_number && a.collection == collection;
}

bool SlotFree(const SupportedDeviceRecord& slot) {
    return slot.connected == 0 && slot.path.empty();
}

}  // namespace

bool SameInterface(const SupportedDeviceFields& a, const SupportedDeviceFields& b) {
    return SameOpenedInterface(a, b) && a.type == b.type && a.role == b.role;
}

SupportedDeviceRecord SupportedDeviceRow(size_t index) {
    if (index >= kSupportedDevices.size()) return {};
    return SupportedDeviceRecord{kSupportedDevices[index], {}};
}

int FindSupportedRecord(uint16_t vendor_id, uint16_t product_id, uint16_t type, uint16_t role) {
    for (size_t i = 0; i < kSupportedDevices.size(); ++i) {
        const auto& row = kSupportedDevices[i];
        if (row.vendor_id == vendor_id && row.product_id == product_id && row.type == type &&
            row.role == role) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

int FindDeviceKind(int32_t vendor_id, int32_t product_id, int32_t type, int32_t variant) {
    if (type == TYPE_MOUSE_RX) {
        // The receiver mouse shares the wired mouse's kind: look it up with its partner's ids.
        for (const auto& row : kSupportedDevices) {
            if (row.vendor_id == vendor_id && row.product_id == product_id &&
                row.type == TYPE_MOUSE_RX) {
                if (row.has_partner != 0 && row.partner < kSupportedDevices.size()) {
                    vendor_id = kSupportedDevices[row.partner].vendor_id;
                    product_id = kSupportedDevices[row.partner].product_id;
                }
                break;
            }
        }
        type = TYPE_MOUSE;
    }
    for (size_t i = 0; i < kDeviceKinds.size(); ++i) {
        const auto& kind = kDeviceKinds[i];
        if (kind.vendor_id == vendor_id && kind.product_id == product_id && kind.type == type &&
            kind.variant == variant) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

DeviceSlotList::DeviceSlotList() {
    slots_.reserve(kSupportedDevices.size());
    for (const auto& row : kSupportedDevices) slots_.push_back(SupportedDeviceRecord{row, {}});
}

SupportedDeviceRecord DeviceSlotList::Slot(int index) const {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<size_t>(index) >= slots_.size()) return {};
    return slots_[static_cast<size_t>(index)];
}

bool DeviceSlotList::IsFree(int index) const {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<size_t>(index) >= slots_.size()) return false;
    return SlotFree(slots_[static_cast<size_t>(index)]);
}

bool DeviceSlotList::AnyFree() const {
    std::lock_guard lock(mutex_);
    for (const auto& slot : slots_) {
        if (SlotFree(slot)) return true;
    }
    return false;
}

bool DeviceSlotList::IsCandidate(uint16_t vendor_id, uint16_t product_id, uint16_t interface_number,
                                 uint16_t collection) const {
    // Slots are copies of the rows, so a free slot with these numbers implies the row.
    std::lock_guard lock(mutex_);
    for (const auto& slot : slots_) {
        if (SamePathNumbers(slot, vendor_id, product_id, interface_number, collection) &&
            SlotFree(slot)) {
            return true;
        }
    }
    return false;
}

int DeviceSlotList::Match(SupportedDeviceRecord& record) {
    // A bound slot without a path could never be found again for removal.
    if (record.path.empty()) return -1;
    const SupportedDeviceFields* row = nullptr;
    for (const auto& candidate : kSupportedDevices) {
        if (SameOpenedInterface(candidate, record)) {
            row = &candidate;
            break;
        }
    }
    if (row == nullptr) return -1;
    record.type = row->type;
    record.role = row->role;

    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < slots_.size(); ++i) {
        auto& slot = slots_[i];
        if (SameOpenedInterface(slot, record) && SlotFree(slot)) {
            slot.connected = 1;
            slot.path = record.path;
            return static_cast<int>(i);
        }
    }
    return -1;
}

bool DeviceSlotList::Unbind(int index) {
    std::lock_guard lock(mutex_);
    if (index < 0 || static_cast<size_t>(index) >= slots_.size()) return false;
    auto& slot = slots_[static_cast<size_t>(index)];
    slot.connected = 0;
    slot.path.clear();
    return true;
}

int DeviceSlotList::FindBoundSlot(std::string_view path) const {
    if (path.empty()) return -1;
    std::lock_guard lock(mutex_);
    for (size_t i = 0; i < slots_.size(); ++i) {
        if (slots_[i].connected != 0 && slots_[i].path == path) return static_cast<int>(i);
    }
    return -1;
}

}  // namespace dz
