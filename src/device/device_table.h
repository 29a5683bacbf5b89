#pragma once
// The fixed family of supported devices: which HID interfaces belong to it, which page
// and skins each device kind gets, and which models the update query reports on.
// Every product-id decision of the program is made from these tables.

#include <array>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace dz {

// Device type codes.
inline constexpr uint16_t TYPE_KEYBOARD = 1;
inline constexpr uint16_t TYPE_KEYBOARD_RX = 9;
inline constexpr uint16_t TYPE_MOUSE = 2;
inline constexpr uint16_t TYPE_MOUSE_RX = 6;
inline constexpr uint16_t TYPE_MOUSEPAD = 3;
inline constexpr uint16_t TYPE_HEADSET = 7;

// Interface roles.
inline constexpr uint16_t ROLE_COMMAND = 0;
inline constexpr uint16_t ROLE_NOTIFY = 255;

// The eleven numeric fields of a supported-interface row, in table order. Kept apart from
// the path so that the table itself can be a constant array.
struct SupportedDeviceFields {
    uint16_t vendor_id = 0;
    uint16_t product_id = 0;
    uint16_t interface_number = 0;  // the number after "&mi_" in the interface path
    uint16_t collection = 0;        // the number after "&col"; 0 when the path has none
    uint16_t type = 0;              // TYPE_*
    uint16_t role = 0;              // ROLE_*
    uint16_t connected = 0;         // 1 while an interface is bound to a run-time slot
    uint16_t usage_page = 0;
    uint16_t usage = 0;
    uint16_t has_partner = 0;  // 1 when the device also appears under a second product id
    uint16_t partner = 0;      // row of the partner's interface with the same role
};

// One supported-interface record: a table row, or a run-time slot with its bound path.
struct SupportedDeviceRecord : SupportedDeviceFields {
    std::string path;
};

// Same interface: vendor, product, interface, collection, type, role, usage page and usage
// are equal; connected, partner fields and path are not compared.
[[nodiscard]] bool SameInterface(const SupportedDeviceFields& a, const SupportedDeviceFields& b);

inline constexpr size_t kSupportedDeviceCount = 11;

// clang-format off
inline constexpr std::array<SupportedDeviceFields, kSupportedDeviceCount> kSupportedDevices{{
    // vid    pid     mi col type            role          conn page    usage partner
    {0x320F, 0x505B, 1, 4, TYPE_KEYBOARD,    ROLE_COMMAND, 0, 0xFF1C, 0x92, 1, 2},
    {0x320F, 0x505B, 1, 3, TYPE_KEYBOARD,    ROLE_NOTIFY,  0, 0x000C, 0x01, 1, 3},
    {0x320F, 0x5001, 1, 4, TYPE_KEYBOARD_RX, ROLE_COMMAND, 0, 0xFF1C, 0x92, 1, 0},
    {0x320F, 0x5001, 1, 3, TYPE_KEYBOARD_RX, ROLE_NOTIFY,  0, 0x000C, 0x01, 1, 1},
    {0x320F, 0x221C, 1, 4, TYPE_MOUSE,       ROLE_COMMAND, 0, 0xFF1C, 0x92, 1, 6},
    {0x320F, 0x221C, 1, 3, TYPE_MOUSE,       ROLE_NOTIFY,  0, 0x000C, 0x01, 1, 7},
    {0x320F, 0x221D, 1, 4, TYPE_MOUSE_RX,    ROLE_COMMAND, 0, 0xFF1C, 0x92, 1, 4},
    {0x320F, 0x221D, 1, 3, TYPE_MOUSE_RX,    ROLE_NOTIFY,  0, 0x000C, 0x01, 1, 5},
    {0x320F, 0x1004, 1, 4, TYPE_MOUSEPAD,    ROLE_COMMAND, 0, 0xFF1C, 0x92, 0, 0},
    {0x320F, 0x1004, 1, 3, TYPE_MOUSEPAD,    ROLE_NOTIFY,  0, 0x000C, 0x01, 0, 0},
    {0x0C76, 0x1630, 3, 0, TYPE_HEADSET,     ROLE_COMMAND, 0, 0x000C, 0x01, 0, 0},
}};
// clang-format on

// Row `index` as a record with an empty path.
[[nodiscard]] SupportedDeviceRecord SupportedDeviceRow(size_t index);

// Index of the first row equal in all four fields, or -1.
[[nodiscard]] int FindSupportedRecord(uint16_t vendor_id, uint16_t product_id, uint16_t type,
                                      uint16_t role);

// Selector entry, kind name and representative model of one device kind.
struct DeviceKindRecord {
    std::string_view selector_skin;
    std::string_view selector_tab_group;
    std::string_view power_tab_container;
    std::string_view kind_name;  // also the folder of the kind's stored profiles
    int32_t kind_code;
    int32_t vendor_id;
    int32_t product_id;
    int32_t type;
    int32_t variant;
};

inline constexpr size_t kDeviceKindCount = 4;

// Kind indexes.
inline constexpr int kKindMouse = 0;
inline constexpr int kKindKeyboard = 1;
inline constexpr int kKindMousePad = 2;
inline constexpr int kKindHeadset = 3;

// clang-format off
inline constexpr std::array<DeviceKindRecord, kDeviceKindCount> kDeviceKinds{{
    {"XML\\CustomControlXML\\DeviceOption.xml", "tab_header_device", "device_power_switch",
     "mouse", 1, 0x320F, 0x221C, TYPE_MOUSE, 0},
    {"XML\\CustomControlXML\\DeviceOption.xml", "tab_header_device", "device_power_switch",
     "keyboard", 0, 0x320F, 0x505B, TYPE_KEYBOARD, 0},
    {"XML\\CustomControlXML\\DeviceOption.xml", "tab_header_device", "device_power_switch",
     "MousePad", 2, 0x320F, 0x1004, TYPE_MOUSEPAD, 0},
    {"XML\\CustomControlXML\\DeviceOption.xml", "tab_header_device", "device_power_switch",
     "HD", 3, 0x0C76, 0x1630, TYPE_HEADSET, 0},
}};
// clang-format on

// Kind index of the first kind row equal in all four values, or -1. A mouse on its receiver
// is looked up as the wired mouse (its partner row's ids), so both share one page.
[[nodiscard]] int FindDeviceKind(int32_t vendor_id, int32_t product_id, int32_t type,
                                 int32_t variant);

// Device page of one kind (same index as kDeviceKinds).
struct DevicePageRecord {
    int32_t light_count;
    int32_t key_count;
    int32_t power_flag;       // 1 when the page shows battery and link state
    int32_t mouse_parameter;  // handed to a mouse device object only
    std::string_view page_skin;
    std::string_view light_file_prefix;
};

// clang-format off
inline constexpr std::array<DevicePageRecord, kDeviceKindCount> kDevicePages{{
    {15, 11, 1, -1, "XML\\DeviceXml\\mousedevice.xml", "rodav_light"},
    // The keyboard has a receiver and a battery as the mouse has: its page shows them.
    {170, 170, 1, -1, "XML\\DeviceXml\\keyboarddevice.xml", "rodav_light"},
    {15, 0, 0, -1, "XML\\DeviceXml\\mousepaddevice.xml", "rodav_light"},
    {13, 0, 0, -1, "XML\\DeviceXml\\do6533device.xml", "rodav_light"},
}};
// clang-format on

// One model or package the update query reports on. update_kind 0 is the application
// row (version shown from its text); any other kind is a firmware row.
struct UpdateModelRecord {
    int32_t update_kind;
    int32_t second_value;
    int32_t third_value;
    std::string_view company;
    std::string_view model;
    std::string_view type;
    std::string_view type_again;
    std::string_view version;
};

inline constexpr size_t kUpdateModelCount = 4;

// clang-format off
inline constexpr std::array<UpdateModelRecord, kUpdateModelCount> kUpdateModels{{
    {1, 1, 0, "RODAV", "ZA20R01O", "MS", "MS", ""},
    {1, 1, 0, "RODAV", "DA20Z02E", "KB", "KB", ""},
    {2, 1, 0, "RODAV", "DA20Z02E", "AP", "AP", ""},
    {0, 1, 0, "RODAV", "ALL", "AP", "AP", "V1.0.0.0"},
}};
// clang-format on

// The run-time device slots: one copy of each supported-interface row, slot index = row.
// The scanner binds and unbinds slots while the main window reads them, so every
// operation takes the list's lock and reads hand out copies.
class DeviceSlotList {
  public:
    DeviceSlotList();
    DeviceSlotList(const DeviceSlotList&) = delete;
    DeviceSlotList& operator=(const DeviceSlotList&) = delete;

    [[nodiscard]] size_t size() const { return kSupportedDeviceCount; }
    // Copy of slot `index`; a default record when the index is outside the list.
    [[nodiscard]] SupportedDeviceRecord Slot(int index) const;
    [[nodiscard]] bool IsFree(int index) const;
    // True when at least one slot is free (the scanner enumerates only then).
    [[nodiscard]] bool AnyFree() const;

    // Candidate test, before the interface is opened: some row has these four numbers
    // (parsed from the path by the caller) and some slot with the same four is free.
    [[nodiscard]] bool IsCandidate(uint16_t vendor_id, uint16_t product_id,
                                   uint16_t interface_number, uint16_t collection) const;

    // Full match, after the interface is opened. `record` holds vendor and product id,
    // interface, collection, usage page, usage and the interface path. When a row equals it
    // in those six, the row's type and role are copied into `record` and the first free slot
    // with the same six is bound (connected 1, the path). Returns the slot index, or -1 when
    // no row matches, no such slot is free, or the path is empty.
    [[nodiscard]] int Match(SupportedDeviceRecord& record);

    // Frees a slot (connected 0, empty path). False when the index is outside the list.
    bool Unbind(int index);
    // Index of the bound slot with this path, or -1.
    [[nodiscard]] int FindBoundSlot(std::string_view path) const;

  private:
    mutable std::mutex mutex_;
    std::vector<SupportedDeviceRecord> slots_;
};

}  // namespace dz
