#pragma once
// HID report descriptor parser: splits a descriptor into its top-level collections
// and describes every report field the way the rest of the system expects to see
// them (capabilities per report kind, report lengths including the report id byte),
// plus the decoders that pull usages and values out of a received report.
//
// Input comes from devices, so the parser is defensive: every item is bounds-checked,
// nesting, push/pop depth, usage lists and report sizes are capped, and anything
// malformed is rejected with a one-line reason instead of being half-understood.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace dz::hid {

enum class ReportKind : uint8_t { kInput = 0, kOutput = 1, kFeature = 2 };
inline constexpr size_t kReportKindCount = 3;

// Limits that keep parsing and decoding bounded whatever the device sends.
inline constexpr size_t kMaxDescriptorBytes = 65536;
inline constexpr size_t kMaxReportBytes = 16384;  // including the report id byte
inline constexpr size_t kMaxCollectionDepth = 32;
inline constexpr size_t kMaxGlobalStackDepth = 8;
inline constexpr size_t kMaxLocalUsages = 1024;  // usage items between two main items
inline constexpr size_t kMaxFields = 4096;       // main items carrying data, whole descriptor
inline constexpr uint32_t kMaxFieldBits = 256;   // one report size

// One usage or usage range of a field. `first_index` is the position of `usage_min`
// in the field's usage list (variable fields: the index of the first bit field that
// carries it; array fields: the array index, counted from the logical minimum).
struct UsageEntry {
    uint16_t usage_page = 0;
    uint16_t usage_min = 0;
    uint16_t usage_max = 0;
    uint32_t first_index = 0;
    uint32_t count = 0;  // variable fields: how many bit fields this entry covers
};

// One Input, Output or Feature main item.
struct ReportField {
    ReportKind kind = ReportKind::kInput;
    uint8_t report_id = 0;
    uint32_t bit_offset = 0;  // from the first data byte, i.e. after the report id byte
    uint16_t bit_size = 0;
    uint16_t report_count = 0;
    int32_t logical_min = 0;
    int32_t logical_max = 0;
    int32_t physical_min = 0;
    int32_t physical_max = 0;
    uint32_t unit = 0;
    int32_t unit_exponent = 0;
    uint32_t flags = 0;  // the main item's data bits (constant, variable, relative, ...)
    bool is_constant = false;
    bool is_array = false;
    bool is_button = false;  // arrays and 1-bit variable fields
    std::vector<UsageEntry> usages;
};

// One button or value capability, flattened from a field's usage entries.
struct HidCap {
    ReportKind kind = ReportKind::kInput;
    uint8_t report_id = 0;
    uint16_t usage_page = 0;
    bool is_range = false;
    uint16_t usage_min = 0;  // the usage when !is_range
    uint16_t usage_max = 0;
    uint32_t bit_offset = 0;  // first bit field of this capability, after the report id byte
    uint16_t bit_size = 0;
    uint16_t report_count = 0;
    int32_t logical_min = 0;
    int32_t logical_max = 0;
    int32_t physical_min = 0;
    int32_t physical_max = 0;
    bool is_array = false;
    bool is_absolute = true;
    bool is_constant = false;
    uint32_t array_index = 0;  // arrays: position of usage_min in the array's usage list
    size_t field = 0;          // index into TopLevelCollection::fields
};

struct TopLevelCollection {
    uint16_t usage_page = 0;
    uint16_t usage = 0;
    // Report ids used by this collection (0 alone when the descriptor uses none),
    // ascending, once each; and the ids per report kind.
    std::vector<uint8_t> report_ids;
    std::vector<uint8_t> report_ids_by_kind[kReportKindCount];
    // Longest report of each kind in bytes, the report id byte included (also when the
    // descriptor uses no report ids); 0 when the collection has no report of that kind.
    uint16_t report_length[kReportKindCount] = {0, 0, 0};
    std::vector<ReportField> fields;
    std::vector<HidCap> button_caps[kReportKindCount];
    std::vector<HidCap> value_caps[kReportKindCount];

    [[nodiscard]] uint16_t InputReportLength() const { return report_length[0]; }
    [[nodiscard]] uint16_t OutputReportLength() const { return report_length[1]; }
    [[nodiscard]] uint16_t FeatureReportLength() const { return report_length[2]; }
    [[nodiscard]] bool HasReportId(ReportKind kind, uint8_t id) const;
};

struct ReportDescriptor {
    std::vector<TopLevelCollection> collections;  // in descriptor order
    bool uses_report_ids = false;
    // Longest report of each kind over all collections, report id byte included.
    uint16_t max_report_length[kReportKindCount] = {0, 0, 0};
};

// Parses `bytes`. On failure returns false, leaves `out` empty and puts a short reason
// (with the byte offset where it applies) into `error`.
[[nodiscard]] bool ParseReportDescriptor(std::span<const uint8_t> bytes, ReportDescriptor& out,
                                         std::string& error);

// Results of the decoders; 0 is success.
enum class HidStatus : int {
    kSuccess = 0,
    kUsageNotFound = 1,
    kIncompatibleReportId = 2,
    kInvalidReportLength = 3,
    kBufferTooSmall = 4,
    kValueOutOfRange = 5,
    kBadLogPhyValues = 6,
    kNotValue = 7,  // the field is wider than 32 bits
};

// Usages that are on in `report` (report id byte first) for one button capability:
// set bits of a variable bitmap, or the usages that an array's values select.
[[nodiscard]] HidStatus CapUsages(const HidCap& cap, std::span<const uint8_t> report,
                                  std::vector<uint16_t>& usages);

// Usages on `usage_page` that are on in `report`, over every button field of `kind`
// with the report's id, in field order. At most `max_usages` are returned; when more
// are on, the result is kBufferTooSmall with the first `max_usages` kept.
[[nodiscard]] HidStatus GetUsages(const TopLevelCollection& tlc, ReportKind kind,
                                  uint16_t usage_page, std::span<const uint8_t> report,
                                  std::vector<uint16_t>& usages, size_t max_usages = SIZE_MAX);

// The bits of a value usage as they stand in the report (first element of a value
// array), and the same value scaled from the logical to the physical range.
[[nodiscard]] HidStatus GetUsageValue(const TopLevelCollection& tlc, ReportKind kind,
                                      uint16_t usage_page, uint16_t usage,
                                      std::span<const uint8_t> report, uint32_t& value);
[[nodiscard]] HidStatus GetScaledUsageValue(const TopLevelCollection& tlc, ReportKind kind,
                                            uint16_t usage_page, uint16_t usage,
                                            std::span<const uint8_t> report, int32_t& value);

// How many usages of `usage_page` reports of `kind` can have on at once.
[[nodiscard]] size_t MaxUsageListLength(const TopLevelCollection& tlc, ReportKind kind,
                                        uint16_t usage_page);

}  // namespace dz::hid
