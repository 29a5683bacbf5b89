#include "platform/hid/report_descriptor.h"

#include <gtest/gtest.h>

#include <vector>

#include "sim/report_descriptors.h"

namespace dz::hid {
namespace {

using Bytes = std::vector<uint8_t>;
constexpr size_t kIn = 0;
constexpr size_t kOut = 1;
constexpr size_t kFeat = 2;

ReportDescriptor MustParse(std::span<const uint8_t> bytes) {
    ReportDescriptor d;
    std::string error;
    EXPECT_TRUE(ParseReportDescriptor(bytes, d, error)) << error;
    return d;
}

TEST(ReportDescriptorTest, VendorInterfaceHasFourCollectionsWithTheirReports) {
    const ReportDescriptor d = MustParse(sim::VendorInterfaceDescriptor());
    ASSERT_EQ(d.collections.size(), 4u);
    EXPECT_TRUE(d.uses_report_ids);
    struct Expected {
        uint16_t page, usage;
        uint8_t id;
        uint16_t in, out, feat;
    };
    const Expected expected[] = {
        {0x0001, 0x06, 1, 17, 2, 0},
        {0x0001, 0x80, 2, 2, 0, 0},
        {0x000C, 0x01, 3, 3, 0, 0},
        {0xFF1C, 0x92, 4, 64, 64, 0},
    };
    for (size_t i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        const TopLevelCollection& c = d.collections[i];
        EXPECT_EQ(c.usage_page, expected[i].page);
        EXPECT_EQ(c.usage, expected[i].usage);
        EXPECT_EQ(c.report_ids, std::vector<uint8_t>{expected[i].id});
        EXPECT_EQ(c.InputReportLength(), expected[i].in);
        EXPECT_EQ(c.OutputReportLength(), expected[i].out);
        EXPECT_EQ(c.FeatureReportLength(), expected[i].feat);
        EXPECT_TRUE(c.HasReportId(ReportKind::kInput, expected[i].id));
    }
    EXPECT_EQ(d.max_report_length[kIn], 64);
    EXPECT_EQ(d.max_report_length[kOut], 64);
}

TEST(ReportDescriptorTest, VendorInterfaceCapabilities) {
    const ReportDescriptor d = MustParse(sim::VendorInterfaceDescriptor());
    // Keyboard: modifier bitmap, then a 120-key bitmap; LEDs on output.
    const auto& kb = d.collections[0];
    ASSERT_EQ(kb.button_caps[kIn].size(), 2u);
    const HidCap& mods = kb.button_caps[kIn][0];
    EXPECT_EQ(mods.report_id, 1);
    EXPECT_EQ(mods.usage_page, 0x07);
    EXPECT_TRUE(mods.is_range);
    EXPECT_EQ(mods.usage_min, 0xE0);
    EXPECT_EQ(mods.usage_max, 0xE7);
    EXPECT_EQ(mods.bit_offset, 0u);
    EXPECT_EQ(mods.bit_size, 1);
    EXPECT_EQ(mods.report_count, 8);
    EXPECT_FALSE(mods.is_array);
    const HidCap& keys = kb.button_caps[kIn][1];
    EXPECT_EQ(keys.usage_min, 0x00);
    EXPECT_EQ(keys.usage_max, 0x77);
    EXPECT_EQ(keys.bit_offset, 8u);
    EXPECT_EQ(keys.report_count, 120);
    ASSERT_EQ(kb.button_caps[kOut].size(), 1u);
    EXPECT_EQ(kb.button_caps[kOut][0].usage_page, 0x08);
    EXPECT_TRUE(kb.value_caps[kIn].empty());

    // Consumer: one 16-bit array slot over usages 0..0x3FFF.
    const auto& consumer = d.collections[2];
    ASSERT_EQ(consumer.button_caps[kIn].size(), 1u);
    const HidCap& slot = consumer.button_caps[kIn][0];
    EXPECT_TRUE(slot.is_array);
    EXPECT_EQ(slot.usage_page, 0x0C);
    EXPECT_EQ(slot.usage_min, 0x0000);
    EXPECT_EQ(slot.usage_max, 0x3FFF);
    EXPECT_EQ(slot.bit_size, 16);
    EXPECT_EQ(slot.report_count, 1);
    EXPECT_EQ(slot.logical_min, 0);
    EXPECT_EQ(slot.logical_max, 0x3FFF);

    // Vendor: one 63-byte value array each way; the 2-byte maximum 0x00FF stays 255.
    const auto& vendor = d.collections[3];
    ASSERT_EQ(vendor.value_caps[kIn].size(), 1u);
    ASSERT_EQ(vendor.value_caps[kOut].size(), 1u);
    const HidCap& in = vendor.value_caps[kIn][0];
    EXPECT_EQ(in.usage_page, 0xFF1C);
    EXPECT_FALSE(in.is_range);
    EXPECT_EQ(in.usage_min, 0x01);
    EXPECT_EQ(in.bit_size, 8);
    EXPECT_EQ(in.report_count, 63);
    EXPECT_EQ(in.logical_max, 255);
    EXPECT_EQ(vendor.value_caps[kOut][0].usage_min, 0x02);
    EXPECT_TRUE(vendor.button_caps[kIn].empty());
}

TEST(ReportDescriptorTest, HeadsetIsOneCollectionWithThreeReportIds) {
    const ReportDescriptor d = MustParse(sim::HeadsetInterfaceDescriptor());
    ASSERT_EQ(d.collections.size(), 1u);
    const auto& c = d.collections[0];
    EXPECT_EQ(c.usage_page, 0x000C);
    EXPECT_EQ(c.usage, 0x01);
    EXPECT_EQ(c.report_ids, (std::vector<uint8_t>{1, 4, 0xFF}));
    EXPECT_EQ(c.report_ids_by_kind[kIn], (std::vector<uint8_t>{1, 4}));
    EXPECT_EQ(c.report_ids_by_kind[kOut], (std::vector<uint8_t>{4, 0xFF}));
    EXPECT_EQ(c.InputReportLength(), 64);
    EXPECT_EQ(c.OutputReportLength(), 64);
    // Three single media-key usages, one bit each, in descriptor order.
    ASSERT_EQ(c.button_caps[kIn].size(), 3u);
    const uint16_t usages[] = {0xE9, 0xEA, 0xE2};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_FALSE(c.button_caps[kIn][i].is_range);
        EXPECT_EQ(c.button_caps[kIn][i].usage_min, usages[i]);
        EXPECT_EQ(c.button_caps[kIn][i].bit_offset, i);
        EXPECT_EQ(c.button_caps[kIn][i].report_count, 1);
    }
    // The LED report: id 0xFF, 16 bytes, on the vendor page set before it.
    ASSERT_EQ(c.value_caps[kOut].size(), 2u);
    const HidCap& led = c.value_caps[kOut][1];
    EXPECT_EQ(led.report_id, 0xFF);
    EXPECT_EQ(led.usage_page, 0xFF1C);
    EXPECT_EQ(led.usage_min, 0x03);
    EXPECT_EQ(led.report_count, 16);
}

TEST(ReportDescriptorTest, BootDevicesWithoutReportIdsCountTheZeroIdByte) {
    const ReportDescriptor kb = MustParse(sim::BootKeyboardDescriptor());
    ASSERT_EQ(kb.collections.size(), 1u);
    EXPECT_FALSE(kb.uses_report_ids);
    EXPECT_EQ(kb.collections[0].report_ids, std::vector<uint8_t>{0});
    EXPECT_EQ(kb.collections[0].InputReportLength(), 9);
    EXPECT_EQ(kb.collections[0].OutputReportLength(), 2);
    EXPECT_EQ(kb.collections[0].FeatureReportLength(), 0);

    const ReportDescriptor mouse = MustParse(sim::BootMouseDescriptor());
    ASSERT_EQ(mouse.collections.size(), 1u);  // the pointer collection is nested
    const auto& m = mouse.collections[0];
    EXPECT_EQ(m.usage_page, 0x01);
    EXPECT_EQ(m.usage, 0x02);
    EXPECT_EQ(m.InputReportLength(), 7);
    ASSERT_EQ(m.value_caps[kIn].size(), 3u);  // X, Y, wheel
    EXPECT_EQ(m.value_caps[kIn][0].usage_min, 0x30);
    EXPECT_EQ(m.value_caps[kIn][0].bit_offset, 8u);
    EXPECT_EQ(m.value_caps[kIn][1].usage_min, 0x31);
    EXPECT_EQ(m.value_caps[kIn][1].bit_offset, 24u);
    EXPECT_EQ(m.value_caps[kIn][0].logical_min, -32767);
    EXPECT_EQ(m.value_caps[kIn][2].usage_min, 0x38);
    EXPECT_EQ(m.value_caps[kIn][2].logical_min, -127);
    EXPECT_EQ(m.value_caps[kIn][2].logical_max, 127);
}

TEST(ReportDescriptorTest, UnpackConsumerArrayGivesTheNotificationUsage) {
    const ReportDescriptor d = MustParse(sim::VendorInterfaceDescriptor());
    const auto& consumer = d.collections[2];
    std::vector<uint16_t> usages;
    const Bytes report = {0x03, 0x01, 0x04};
    EXPECT_EQ(GetUsages(consumer, ReportKind::kInput, 0x0C, report, usages), HidStatus::kSuccess);
    EXPECT_EQ(usages, std::vector<uint16_t>{0x0401});
    EXPECT_EQ(CapUsages(consumer.button_caps[kIn][0], report, usages), HidStatus::kSuccess);
    EXPECT_EQ(usages, std::vector<uint16_t>{0x0401});
    // The idle value selects nothing.
    EXPECT_EQ(GetUsages(consumer, ReportKind::kInput, 0x0C, Bytes{0x03, 0, 0}, usages),
              HidStatus::kSuccess);
    EXPECT_TRUE(usages.empty());
    EXPECT_EQ(MaxUsageListLength(consumer, ReportKind::kInput, 0x0C), 1u);
}

TEST(ReportDescriptorTest, UnpackKeyboardBitmapsAndArrays) {
    const ReportDescriptor d = MustParse(sim::VendorInterfaceDescriptor());
    const auto& kb = d.collections[0];
    Bytes report(17, 0);
    report[0] = 1;
    report[1] = 0x02;   // left shift (0xE1)
    report[2] = 0x10;   // key bitmap bit 4: usage 0x04
    report[16] = 0x80;  // bit 119: usage 0x77
    std::vector<uint16_t> usages;
    EXPECT_EQ(GetUsages(kb, ReportKind::kInput, 0x07, report, usages), HidStatus::kSuccess);
    EXPECT_EQ(usages, (std::vector<uint16_t>{0xE1, 0x04, 0x77}));
    EXPECT_EQ(GetUsages(kb, ReportKind::kInput, 0x07, report, usages, 2),
              HidStatus::kBufferTooSmall);
    EXPECT_EQ(usages, (std::vector<uint16_t>{0xE1, 0x04}));
    EXPECT_EQ(CapUsages(kb.button_caps[kIn][1], report, usages), HidStatus::kSuccess);
    EXPECT_EQ(usages, (std::vector<uint16_t>{0x04, 0x77}));
    EXPECT_EQ(MaxUsageListLength(kb, ReportKind::kInput, 0x07), 128u);

    const ReportDescriptor boot = MustParse(sim::BootKeyboardDescriptor());
    const Bytes boot_report = {0x00, 0x01, 0x00, 0x04, 0x05, 0, 0, 0, 0};
    EXPECT_EQ(GetUsages(boot.collections[0], ReportKind::kInput, 0x07, boot_report, usages),
              HidStatus::kSuccess);
    EXPECT_EQ(usages, (std::vector<uint16_t>{0xE0, 0x04, 0x05}));
    EXPECT_EQ(MaxUsageListLength(boot.collections[0], ReportKind::kInput, 0x07), 14u);
}

TEST(ReportDescriptorTest, UnpackSignedValuesAndButtons) {
    const ReportDescriptor d = MustParse(sim::BootMouseDescriptor());
    const auto& m = d.collections[0];
    // Buttons 1 and 3, X = -5, Y = 300, wheel = -1.
    const Bytes report = {0x00, 0x05, 0xFB, 0xFF, 0x2C, 0x01, 0xFF};
    std::vector<uint16_t> buttons;
    EXPECT_EQ(GetUsages(m, ReportKind::kInput, 0x09, report, buttons), HidStatus::kSuccess);
    EXPECT_EQ(buttons, (std::vector<uint16_t>{1, 3}));
    uint32_t raw = 0;
    int32_t scaled = 0;
    EXPECT_EQ(GetUsageValue(m, ReportKind::kInput, 0x01, 0x30, report, raw), HidStatus::kSuccess);
    EXPECT_EQ(raw, 0xFFFBu);
    EXPECT_EQ(GetScaledUsageValue(m, ReportKind::kInput, 0x01, 0x30, report, scaled),
              HidStatus::kSuccess);
    EXPECT_EQ(scaled, -5);
    EXPECT_EQ(GetScaledUsageValue(m, ReportKind::kInput, 0x01, 0x31, report, scaled),
              HidStatus::kSuccess);
    EXPECT_EQ(scaled, 300);
    EXPECT_EQ(GetUsageValue(m, ReportKind::kInput, 0x01, 0x38, report, raw), HidStatus::kSuccess);
    EXPECT_EQ(raw, 0xFFu);
    EXPECT_EQ(GetScaledUsageValue(m, ReportKind::kInput, 0x01, 0x38, report, scaled),
              HidStatus::kSuccess);
    EXPECT_EQ(scaled, -1);
}

TEST(ReportDescriptorTest, ScaledValueUsesThePhysicalRange) {
    // Logical 0..255 mapped to physical 0..1000, one 8-bit value (usage 0x32).
    const Bytes desc = {0x05, 0x01, 0x09, 0x05, 0xA1, 0x01, 0x09, 0x32, 0x15,
                        0x00, 0x26, 0xFF, 0x00, 0x35, 0x00, 0x46, 0xE8, 0x03,
                        0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0xC0};
    const ReportDescriptor d = MustParse(desc);
    int32_t scaled = 0;
    EXPECT_EQ(GetScaledUsageValue(d.collections[0], ReportKind::kInput, 0x01, 0x32, Bytes{0x00, 51},
                                  scaled),
              HidStatus::kSuccess);
    EXPECT_EQ(scaled, 200);
    EXPECT_EQ(GetScaledUsageValue(d.collections[0], ReportKind::kInput, 0x01, 0x32,
                                  Bytes{0x00, 255}, scaled),
              HidStatus::kSuccess);
    EXPECT_EQ(scaled, 1000);
}

TEST(ReportDescriptorTest, DecodersRejectWrongIdsUsagesAndShortReports) {
    const ReportDescriptor d = MustParse(sim::VendorInterfaceDescriptor());
    const auto& vendor = d.collections[3];
    Bytes report(64, 0);
    report[0] = 4;
    report[1] = 0x5A;
    uint32_t raw = 0;
    EXPECT_EQ(GetUsageValue(vendor, ReportKind::kInput, 0xFF1C, 0x01, report, raw),
              HidStatus::kSuccess);
    EXPECT_EQ(raw, 0x5Au);  // the first element of the value array
    EXPECT_EQ(GetUsageValue(vendor, ReportKind::kInput, 0xFF1C, 0x07, report, raw),
              HidStatus::kUsageNotFound);
    Bytes wrong_id = report;
    wrong_id[0] = 3;
    EXPECT_EQ(GetUsageValue(vendor, ReportKind::kInput, 0xFF1C, 0x01, wrong_id, raw),
              HidStatus::kIncompatibleReportId);
    EXPECT_EQ(GetUsageValue(vendor, ReportKind::kInput, 0xFF1C, 0x01, Bytes{4}, raw),
              HidStatus::kInvalidReportLength);

    const auto& kb = d.collections[0];
    std::vector<uint16_t> usages;
    EXPECT_EQ(GetUsages(kb, ReportKind::kInput, 0x07, Bytes{1, 0, 0}, usages),
              HidStatus::kInvalidReportLength);
    EXPECT_EQ(GetUsages(kb, ReportKind::kInput, 0x0C, Bytes(17, 1), usages),
              HidStatus::kUsageNotFound);
    Bytes other(17, 0);
    other[0] = 2;
    EXPECT_EQ(GetUsages(kb, ReportKind::kInput, 0x07, other, usages),
              HidStatus::kIncompatibleReportId);
    EXPECT_EQ(CapUsages(kb.button_caps[kIn][0], other, usages), HidStatus::kIncompatibleReportId);
}

TEST(ReportDescriptorTest, GlobalStackLongItemsDelimitersAndExtendedUsages) {
    const Bytes desc = {
        0x05, 0x01, 0x09, 0x04, 0xA1, 0x01,              // Generic Desktop / Joystick
        0x85, 0x07, 0x75, 0x08, 0x95, 0x01,              // id 7, 8 bits x 1
        0xA4,                                            // push
        0x85, 0x08, 0x75, 0x10,                          //   id 8, 16 bits
        0x09, 0x30, 0x81, 0x02,                          //   X in report 8
        0xB4,                                            // pop: id 7, 8 bits again
        0xFE, 0x02, 0x10, 0xAA, 0xBB,                    // long item, skipped whole
        0xA9, 0x01, 0x09, 0x31, 0x09, 0x32, 0xA9, 0x00,  // delimiter set: Y (Z is an alias)
        0x81, 0x02,                                      // Y in report 7
        0x0B, 0x01, 0x00, 0x0C, 0x00,                    // extended usage: Consumer / 0x01
        0x81, 0x02,                                      // in report 7
        0xC0,
    };
    const ReportDescriptor d = MustParse(desc);
    ASSERT_EQ(d.collections.size(), 1u);
    const auto& c = d.collections[0];
    EXPECT_EQ(c.report_ids, (std::vector<uint8_t>{7, 8}));
    ASSERT_EQ(c.value_caps[kIn].size(), 3u);
    EXPECT_EQ(c.value_caps[kIn][0].report_id, 8);
    EXPECT_EQ(c.value_caps[kIn][0].bit_size, 16);
    EXPECT_EQ(c.value_caps[kIn][1].report_id, 7);
    EXPECT_EQ(c.value_caps[kIn][1].bit_size, 8);
    EXPECT_EQ(c.value_caps[kIn][1].usage_min, 0x31);
    EXPECT_EQ(c.value_caps[kIn][2].usage_page, 0x0C);
    EXPECT_EQ(c.value_caps[kIn][2].usage_min, 0x01);
    EXPECT_EQ(c.value_caps[kIn][2].bit_offset, 8u);
    EXPECT_EQ(c.InputReportLength(), 3);  // id 7: two bytes; id 8: two bytes
}

struct Malformed {
    const char* name;
    Bytes bytes;
};

Bytes Repeat(Bytes head, const Bytes& unit, size_t times, const Bytes& tail) {
    for (size_t i = 0; i < times; ++i) head.insert(head.end(), unit.begin(), unit.end());
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

TEST(ReportDescriptorTest, MalformedDescriptorsAreRejectedWithAReason) {
    const Bytes open = {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01};
    const Malformed cases[] = {
        {"empty", {}},
        {"truncated item data", {0x05, 0x01, 0x09, 0x06, 0xA1, 0x01, 0x26, 0xFF}},
        {"truncated long item", {0x05, 0x01, 0xA1, 0x01, 0xC0, 0xFE, 0x08, 0x00, 0x01}},
        {"collection not closed", open},
        {"end without collection", {0xC0}},
        {"data outside a collection", {0x09, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02}},
        {"no collection", {0x05, 0x01, 0x75, 0x08}},
        {"report too long",
         Repeat(open, {0x09, 0x01, 0x75, 0x20, 0x96, 0xFF, 0xFF, 0x81, 0x02}, 1, {0xC0})},
        {"report size too large", Repeat(open, {0x76, 0x00, 0x10}, 1, {0xC0})},
        {"report count too large", Repeat(open, {0x97, 0x00, 0x00, 0x01, 0x00}, 1, {0xC0})},
        {"push overflow", Repeat(open, {0xA4}, 9, {0xC0})},
        {"pop without push", Repeat(open, {0xB4}, 1, {0xC0})},
        {"report id 0", Repeat(open, {0x85, 0x00}, 1, {0xC0})},
        {"nested too deep", Repeat({}, {0xA1, 0x01}, 33, Bytes(33, 0xC0))},
        {"data before the first report id",
         Repeat(open, {0x09, 0x01, 0x75, 0x08, 0x95, 0x01, 0x81, 0x02, 0x85, 0x01, 0x81, 0x02}, 1,
                {0xC0})},
        {"usage range reversed", Repeat(open, {0x19, 0x05, 0x29, 0x01}, 1, {0xC0})},
        {"too many usages", Repeat(open, {0x09, 0x01}, 1025, {0x81, 0x02, 0xC0})},
        {"nested delimiter", Repeat(open, {0xA9, 0x01, 0xA9, 0x01}, 1, {0xC0})},
        {"delimiter left open", Repeat(open, {0xA9, 0x01, 0x09, 0x01, 0x81, 0x02}, 1, {0xC0})},
    };
    for (const Malformed& m : cases) {
        SCOPED_TRACE(m.name);
        ReportDescriptor d;
        d.collections.resize(2);  // must be cleared on failure
        std::string error;
        EXPECT_FALSE(ParseReportDescriptor(m.bytes, d, error));
        EXPECT_FALSE(error.empty());
        EXPECT_TRUE(d.collections.empty());
    }
}

// A prefix of a valid descriptor parses exactly when it ends on an item boundary
// outside every collection, after at least one complete top-level collection; no
// prefix may crash or read past its end.
TEST(ReportDescriptorTest, PrefixesParseOnlyOutsideCollections) {
    const auto full = sim::VendorInterfaceDescriptor();
    std::vector<size_t> complete(full.size() + 1, 0);  // collections done; 0 = must fail
    int depth = 0;
    size_t done = 0;
    for (size_t i = 0; i < full.size();) {
        const uint8_t prefix = full[i];
        size_t size = prefix & 3;
        if (size == 3) size = 4;
        if (prefix == 0xA1) ++depth;
        if (prefix == 0xC0 && --depth == 0) ++done;
        i += 1 + size;
        if (depth == 0) complete[i] = done;
    }
    ASSERT_EQ(done, 4u);
    for (size_t n = 0; n <= full.size(); ++n) {
        ReportDescriptor d;
        std::string error;
        const bool ok = ParseReportDescriptor(full.first(n), d, error);
        EXPECT_EQ(ok, complete[n] > 0) << "prefix " << n << ": " << error;
        if (ok) {
            EXPECT_EQ(d.collections.size(), complete[n]);
        }
    }
}

// Single-byte corruptions of the real descriptors either parse or are rejected, and
// whatever parses can be used to decode a report without reading out of bounds.
TEST(ReportDescriptorTest, CorruptedDescriptorsNeverBreakTheDecoders) {
    const std::span<const uint8_t> sources[] = {
        sim::VendorInterfaceDescriptor(), sim::HeadsetInterfaceDescriptor(),
        sim::BootKeyboardDescriptor(), sim::BootMouseDescriptor()};
    const uint8_t values[] = {0x00, 0x01, 0x7F, 0x80, 0xFE, 0xFF};
    size_t parsed = 0;
    size_t rejected = 0;
    for (const auto& src : sources) {
        for (size_t pos = 0; pos < src.size(); ++pos) {
            for (uint8_t v : values) {
                Bytes bytes(src.begin(), src.end());
                bytes[pos] = v;
                ReportDescriptor d;
                std::string error;
                if (!ParseReportDescriptor(bytes, d, error)) {
                    ++rejected;
                    EXPECT_FALSE(error.empty());
                    continue;
                }
                ++parsed;
                for (const auto& c : d.collections) {
                    for (uint8_t id : c.report_ids) {
                        Bytes report(c.InputReportLength() > 0 ? c.InputReportLength() : 1, 0xFF);
                        report[0] = id;
                        std::vector<uint16_t> usages;
                        for (const auto& cap : c.button_caps[kIn]) {
                            (void)GetUsages(c, ReportKind::kInput, cap.usage_page, report, usages);
                            (void)CapUsages(cap, report, usages);
                        }
                        for (const auto& cap : c.value_caps[kIn]) {
                            uint32_t raw = 0;
                            int32_t scaled = 0;
                            (void)GetUsageValue(c, ReportKind::kInput, cap.usage_page,
                                                cap.usage_min, report, raw);
                            (void)GetScaledUsageValue(c, ReportKind::kInput, cap.usage_page,
                                                      cap.usage_max, report, scaled);
                        }
                    }
                }
            }
        }
    }
    // Both outcomes occur, so the sweep exercised the parser's checks and the decoders.
    EXPECT_GT(parsed, 0u);
    EXPECT_GT(rejected, 0u);
}

}  // namespace
}  // namespace dz::hid
