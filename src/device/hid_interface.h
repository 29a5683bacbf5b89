#pragma once
// One HID interface: one top-level collection of one USB interface, reached through
// a backend (hidraw or the emulator). Reads and writes are bounded by a time-out and
// ended at once by Close() from another thread.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hid/hid_backend.h"
#include "platform/hid/report_descriptor.h"

namespace dz {

inline constexpr int kInfiniteTimeout = -1;

// Numbers parsed as hexadecimal after "vid_", "pid_", "&mi_" and "&col" (case-insensitive);
// 0 when the marker is absent.
[[nodiscard]] uint16_t PathVendorId(std::string_view path);
[[nodiscard]] uint16_t PathProductId(std::string_view path);
[[nodiscard]] uint16_t PathInterfaceNumber(std::string_view path);
[[nodiscard]] uint16_t PathCollectionNumber(std::string_view path);

// Builds "<scheme>:<node>#vid_xxxx&pid_xxxx&mi_xx[&colxx]"; collection 0 leaves "&col" out.
[[nodiscard]] std::string MakeInterfacePath(std::string_view scheme, std::string_view node,
                                            uint16_t vendor_id, uint16_t product_id,
                                            int interface_number, int collection);

// The interface paths of one node, one per top-level collection of its descriptor (numbered
// from 1 in descriptor order; a single collection gets no "&col"). False, with `error`,
// when the descriptor cannot be parsed.
[[nodiscard]] bool NodeInterfacePaths(std::string_view scheme, const hid::HidNodeInfo& node,
                                      std::vector<std::string>& out, std::string& error);

// One unpacked input item: a button item (usage list) or a value item.
struct HidUsageData {
    bool is_button = false;
    uint8_t report_id = 0;
    uint16_t usage_page = 0;
    uint16_t usage_min = 0;
    uint16_t usage_max = 0;
    std::vector<uint16_t> usages;  // button items: usages that are on, 0-terminated when short
    uint32_t usage_capacity = 0;   // button items: the longest list the page allows
    uint16_t usage = 0;            // value items
    int32_t raw_value = 0;
    int32_t scaled_value = 0;
    bool set = false;
    int status = 0;
};

class HidInterface {
public:
    HidInterface();
    ~HidInterface();
    HidInterface(const HidInterface&) = delete;
    HidInterface& operator=(const HidInterface&) = delete;

    // Rebuilds the list of interface paths of every registered backend. 1/0.
    int Enumerate();
    // Next path of the list, or nullptr when exhausted; owned by this object.
    const char* NextPath();
    void ReleaseList();

    int Open(std::string_view path, bool read, bool write, bool overlapped, bool exclusive);
    void Close();
    [[nodiscard]] bool IsOpen() const;

    // 1 for a report of this interface's collection, 0 on time-out, abort or failure.
    int Read(uint8_t* buffer, size_t length, size_t* bytes_read, int timeout_ms);
    int Write(const uint8_t* buffer, size_t length, size_t* bytes_written, int timeout_ms);
    // A short output report such as the headset's LED report (report id first). 1/0.
    int SetOutputReport(const uint8_t* buffer, size_t length);

    void UnpackInputReport(const uint8_t* report, size_t length);
    // Valid until the next Unpack, Open or Close; use it on the thread that unpacks.
    [[nodiscard]] const std::vector<HidUsageData>& InputUsageData() const;
    // The first usage in the list of the first input item (0 when there is none), as
    // a copy that is safe to take while another thread closes the interface.
    [[nodiscard]] uint16_t FirstInputUsage() const;

    [[nodiscard]] uint16_t VendorId() const;
    [[nodiscard]] uint16_t ProductId() const;
    [[nodiscard]] uint16_t VersionNumber() const;
    [[nodiscard]] uint16_t UsagePage() const;
    [[nodiscard]] uint16_t Usage() const;
    [[nodiscard]] uint16_t InputReportLength() const;
    [[nodiscard]] uint16_t OutputReportLength() const;
    [[nodiscard]] uint16_t FeatureReportLength() const;
    [[nodiscard]] uint8_t* InputReportBuffer();
    [[nodiscard]] int InterfaceNumber() const;
    [[nodiscard]] int CollectionNumber() const;
    [[nodiscard]] const std::string& Path() const;
    // Why the last Open failed (kNone after a success).
    [[nodiscard]] hid::OpenError LastOpenError() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace dz
