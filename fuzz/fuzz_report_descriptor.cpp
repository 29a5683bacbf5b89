// Parses arbitrary bytes as a report descriptor. Whatever parses must describe
// reports that fit their declared lengths, and every decoder must work on a report of
// that length without reading out of bounds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/hid/report_descriptor.h"

namespace {

using namespace dz::hid;

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

void Exercise(const TopLevelCollection& c, std::span<const uint8_t> fill) {
    for (size_t k = 0; k < kReportKindCount; ++k) {
        const auto kind = static_cast<ReportKind>(k);
        const size_t length = c.report_length[k];
        Check(length <= kMaxReportBytes);
        for (const auto* caps : {&c.button_caps[k], &c.value_caps[k]}) {
            for (const HidCap& cap : *caps) {
                Check(cap.usage_min <= cap.usage_max);
                Check(c.HasReportId(kind, cap.report_id));
                const uint64_t end =
                    8 + uint64_t{cap.bit_offset} + uint64_t{cap.bit_size} * cap.report_count;
                Check(end <= uint64_t{length} * 8);
            }
        }
        if (length == 0) continue;
        for (uint8_t id : c.report_ids_by_kind[k]) {
            std::vector<uint8_t> report(length);
            for (size_t i = 0; i < length; ++i)
                report[i] = fill.empty() ? 0xFF : fill[i % fill.size()];
            report[0] = id;
            std::vector<uint16_t> usages;
            for (const HidCap& cap : c.button_caps[k]) {
                (void)CapUsages(cap, report, usages);
                (void)GetUsages(c, kind, cap.usage_page, report, usages, 64);
                (void)MaxUsageListLength(c, kind, cap.usage_page);
            }
            for (const HidCap& cap : c.value_caps[k]) {
                uint32_t raw = 0;
                int32_t scaled = 0;
                (void)GetUsageValue(c, kind, cap.usage_page, cap.usage_min, report, raw);
                (void)GetScaledUsageValue(c, kind, cap.usage_page, cap.usage_max, report, scaled);
            }
            // A report cut short must be refused, not read past.
            const std::span<const uint8_t> shorter(report.data(), report.size() / 2 + 1);
            for (const HidCap& cap : c.button_caps[k])
                (void)GetUsages(c, kind, cap.usage_page, shorter, usages);
        }
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    ReportDescriptor d;
    std::string error;
    const std::span<const uint8_t> bytes(data, size);
    if (!ParseReportDescriptor(bytes, d, error)) {
        Check(!error.empty() && d.collections.empty());
        return 0;
    }
    Check(!d.collections.empty());
    for (const TopLevelCollection& c : d.collections) Exercise(c, bytes);
    return 0;
}
