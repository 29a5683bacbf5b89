#include "device/device_table.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

namespace dz {
namespace {

// ---- The constant tables -----------------------------------------------------------------

TEST(DeviceTables, PartnersPointAtTheOtherPathOfTheSameRole) {
    for (size_t i = 0; i < kSupportedDevices.size(); ++i) {
        const auto& row = kSupportedDevices[i];
        EXPECT_EQ(row.connected, 0) << i;
        if (row.has_partner == 0) continue;
        ASSERT_LT(row.partner, kSupportedDevices.size()) << i;
        const auto& partner = kSupportedDevices[row.partner];
        EXPECT_EQ(partner.partner, i) << i;
        EXPECT_EQ(partner.role, row.role) << i;
        EXPECT_EQ(partner.vendor_id, row.vendor_id) << i;
        EXPECT_NE(partner.product_id, row.product_id) << i;
    }
}

TEST(DeviceTables, EveryKindIsRepresentedByACommandRow) {
    const char* names[] = {"mouse", "keyboard", "MousePad", "HD"};
    const int codes[] = {1, 0, 2, 3};
    for (size_t k = 0; k < kDeviceKinds.size(); ++k) {
        const auto& kind = kDeviceKinds[k];
        EXPECT_EQ(kind.kind_name, names[k]);
        EXPECT_EQ(kind.kind_code, codes[k]);
        EXPECT_GE(FindSupportedRecord(static_cast<uint16_t>(kind.vendor_id),
                                      static_cast<uint16_t>(kind.product_id),
                                      static_cast<uint16_t>(kind.type), ROLE_COMMAND),
                  0)
            << k;
    }
    EXPECT_EQ(kDeviceKinds[0].selector_skin, "XML\\CustomControlXML\\DeviceOption.xml");
    EXPECT_EQ(kDevicePages[1].page_skin, "XML\\DeviceXml\\keyboarddevice.xml");
    EXPECT_EQ(kDevicePages[1].light_count, 170);
    EXPECT_EQ(kDevicePages[0].power_flag, 1);
    EXPECT_EQ(kDevicePages[1].power_flag, 1) << "the keyboard shows its battery too";
    EXPECT_EQ(kDevicePages[3].page_skin, "XML\\DeviceXml\\do6533device.xml");
    EXPECT_EQ(kUpdateModels[3].model, "ALL");
    EXPECT_EQ(kUpdateModels[3].version, "V1.0.0.0");
    EXPECT_EQ(kUpdateModels[2].update_kind, 2);
}

TEST(DeviceTables, FindSupportedRecord) {
    struct Case {
        uint16_t vid, pid, type, role;
        int expected;
    };
    const Case cases[] = {
        {0x320F, 0x505B, TYPE_KEYBOARD, ROLE_COMMAND, 0},
        {0x320F, 0x505B, TYPE_KEYBOARD, ROLE_NOTIFY, 1},
        {0x320F, 0x5001, TYPE_KEYBOARD_RX, ROLE_COMMAND, 2},
        {0x320F, 0x221D, TYPE_MOUSE_RX, ROLE_NOTIFY, 7},
        {0x320F, 0x1004, TYPE_MOUSEPAD, ROLE_COMMAND, 8},
        {0x0C76, 0x1630, TYPE_HEADSET, ROLE_COMMAND, 10},
        {0x0C76, 0x1630, TYPE_HEADSET, ROLE_NOTIFY, -1},  // the headset has no notify row
        {0x320F, 0x505B, TYPE_KEYBOARD_RX, ROLE_COMMAND, -1},
        {0x320F, 0x221C, TYPE_MOUSE_RX, ROLE_COMMAND, -1},
        {0x1234, 0x505B, TYPE_KEYBOARD, ROLE_COMMAND, -1},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindSupportedRecord(c.vid, c.pid, c.type, c.role), c.expected)
            << std::hex << c.pid << " type " << c.type << " role " << c.role;
    }
}

TEST(DeviceTables, FindDeviceKind) {
    struct Case {
        int32_t vid, pid, type, variant;
        int expected;
    };
    const Case cases[] = {
        {0x320F, 0x221C, TYPE_MOUSE, 0, kKindMouse},
        {0x320F, 0x221D, TYPE_MOUSE_RX, 0, kKindMouse},  // through partner row 4
        {0x320F, 0x505B, TYPE_KEYBOARD, 0, kKindKeyboard},
        {0x320F, 0x1004, TYPE_MOUSEPAD, 0, kKindMousePad},
        {0x0C76, 0x1630, TYPE_HEADSET, 0, kKindHeadset},
        // The keyboard receiver has no kind of its own: it uses the page built at start-up.
        {0x320F, 0x5001, TYPE_KEYBOARD_RX, 0, -1},
        {0x320F, 0x221D, TYPE_MOUSE, 0, -1},
        {0x320F, 0x221C, TYPE_MOUSE, 1, -1},
        {0x320F, 0x1004, TYPE_MOUSE_RX, 0, -1},  // no receiver row for this product
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FindDeviceKind(c.vid, c.pid, c.type, c.variant), c.expected)
            << std::hex << c.pid << " type " << c.type << " variant " << c.variant;
    }
}

TEST(DeviceTables, SameInterfaceComparesTheEightIdentifyingFields) {
    const SupportedDeviceRecord base = SupportedDeviceRow(4);
    EXPECT_TRUE(SameInterface(base, base));

    struct Change {
        const char* what;
        void (*apply)(SupportedDeviceRecord&);
        bool same;
    };
    const Change changes[] = {
        {"vendor", [](SupportedDeviceRecord& r) { r.vendor_id++; }, false},
        {"product", [](SupportedDeviceRecord& r) { r.product_id++; }, false},
        {"interface", [](SupportedDeviceRecord& r) { r.interface_number++; }, false},
        {"collection", [](SupportedDeviceRecord& r) { r.collection++; }, false},
        {"type", [](SupportedDeviceRecord& r) { r.type = TYPE_MOUSE_RX; }, false},
        {"role", [](SupportedDeviceRecord& r) { r.role = ROLE_NOTIFY; }, false},
        {"usage page", [](SupportedDeviceRecord& r) { r.usage_page = 1; }, false},
        {"usage", [](SupportedDeviceRecord& r) { r.usage = 6; }, false},
        {"connected", [](SupportedDeviceRecord& r) { r.connected = 1; }, true},
        {"has partner", [](SupportedDeviceRecord& r) { r.has_partner = 0; }, true},
        {"partner", [](SupportedDeviceRecord& r) { r.partner = 9; }, true},
        {"path", [](SupportedDeviceRecord& r) { r.path = "x"; }, true},
    };
    for (const auto& change : changes) {
        SupportedDeviceRecord other = base;
        change.apply(other);
        EXPECT_EQ(SameInterface(base, other), change.same) << change.what;
    }
}

// ---- Run-time slots ----------------------------------------------------------------------

// An opened interface as the scanner describes it to the full match.
SupportedDeviceRecord Opened(uint16_t vid, uint16_t pid, uint16_t mi, uint16_t col,
                             uint16_t usage_page, uint16_t usage, std::string path) {
    SupportedDeviceRecord r;
    r.vendor_id = vid;
    r.product_id = pid;
    r.interface_number = mi;
    r.collection = col;
    r.usage_page = usage_page;
    r.usage = usage;
    r.path = std::move(path);
    return r;
}

TEST(DeviceSlots, StartAsFreeCopiesOfTheTable) {
    DeviceSlotList slots;
    ASSERT_EQ(slots.size(), kSupportedDeviceCount);
    for (int i = 0; i < static_cast<int>(slots.size()); ++i) {
        EXPECT_TRUE(slots.IsFree(i));
        EXPECT_TRUE(SameInterface(slots.Slot(i), kSupportedDevices[static_cast<size_t>(i)]));
    }
    EXPECT_FALSE(slots.IsFree(-1));
    EXPECT_FALSE(slots.IsFree(11));
    EXPECT_EQ(slots.Slot(11).vendor_id, 0);
}

TEST(DeviceSlots, CandidateTestOnPathNumbers) {
    struct Case {
        const char* what;
        uint16_t vid, pid, mi, col;
        bool expected;
    };
    const Case cases[] = {
        {"keyboard command", 0x320F, 0x505B, 1, 4, true},
        {"keyboard notify", 0x320F, 0x505B, 1, 3, true},
        {"keyboard's ordinary keyboard collection", 0x320F, 0x505B, 1, 1, false},
        {"keyboard path without &col", 0x320F, 0x505B, 1, 0, false},
        {"boot interface", 0x320F, 0x505B, 0, 0, false},
        {"headset without &col", 0x0C76, 0x1630, 3, 0, true},
        {"headset with a collection", 0x0C76, 0x1630, 3, 1, false},
        {"headset other interface", 0x0C76, 0x1630, 0, 0, false},
        {"mouse receiver command", 0x320F, 0x221D, 1, 4, true},
        {"unknown product", 0x320F, 0x9999, 1, 4, false},
    };
    DeviceSlotList slots;
    for (const auto& c : cases) {
        EXPECT_EQ(slots.IsCandidate(c.vid, c.pid, c.mi, c.col), c.expected) << c.what;
    }
}

TEST(DeviceSlots, FullMatchBindsTheSlotAndCopiesTypeAndRole) {
    DeviceSlotList slots;
    auto record =
        Opened(0x320F, 0x221D, 1, 3, 0x000C, 0x01, "sim:mrx#vid_320f&pid_221d&mi_01&col03");
    record.type = 99;  // whatever the caller had: the row's type and role win
    record.role = 42;
    EXPECT_EQ(slots.Match(record), 7);
    EXPECT_EQ(record.type, TYPE_MOUSE_RX);
    EXPECT_EQ(record.role, ROLE_NOTIFY);

    const auto slot = slots.Slot(7);
    EXPECT_EQ(slot.connected, 1);
    EXPECT_EQ(slot.path, record.path);
    EXPECT_FALSE(slots.IsFree(7));
    EXPECT_EQ(slots.FindBoundSlot(record.path), 7);
    EXPECT_FALSE(slots.IsCandidate(0x320F, 0x221D, 1, 3));
}

TEST(DeviceSlots, MatchingNumbersWithAnotherUsageAreRejectedByTheFullMatch) {
    DeviceSlotList slots;
    // A firmware that put its keyboard collection where the command collection belongs:
    // the path numbers pass, the opened interface's usage does not.
    ASSERT_TRUE(slots.IsCandidate(0x320F, 0x505B, 1, 4));
    auto keyboard = Opened(0x320F, 0x505B, 1, 4, 0x0001, 0x06, "p#vid_320f&pid_505b&mi_01&col04");
    EXPECT_EQ(slots.Match(keyboard), -1);
    EXPECT_EQ(keyboard.type, 0);  // nothing copied
    EXPECT_TRUE(slots.IsFree(0));

    auto headset_col = Opened(0x0C76, 0x1630, 3, 0, 0xFF1C, 0x92, "p#vid_0c76&pid_1630&mi_03");
    EXPECT_EQ(slots.Match(headset_col), -1);
    EXPECT_TRUE(slots.IsFree(10));
}

TEST(DeviceSlots, ASecondIdenticalDeviceFindsNoFreeSlot) {
    DeviceSlotList slots;
    auto first = Opened(0x320F, 0x505B, 1, 4, 0xFF1C, 0x92, "p#first&mi_01&col04");
    auto second = Opened(0x320F, 0x505B, 1, 4, 0xFF1C, 0x92, "p#second&mi_01&col04");
    ASSERT_EQ(slots.Match(first), 0);

    EXPECT_FALSE(slots.IsCandidate(0x320F, 0x505B, 1, 4));
    EXPECT_EQ(slots.Match(second), -1);
    EXPECT_EQ(slots.Slot(0).path, first.path);

    // Once the first is gone, the second takes its place.
    ASSERT_EQ(slots.FindBoundSlot(first.path), 0);
    EXPECT_TRUE(slots.Unbind(0));
    EXPECT_TRUE(slots.IsFree(0));
    EXPECT_EQ(slots.FindBoundSlot(first.path), -1);
    EXPECT_EQ(slots.Match(second), 0);
    EXPECT_EQ(slots.Slot(0).path, second.path);
}

TEST(DeviceSlots, RefusesAnEmptyPathAndBadIndexes) {
    DeviceSlotList slots;
    auto no_path = Opened(0x320F, 0x1004, 1, 4, 0xFF1C, 0x92, "");
    EXPECT_EQ(slots.Match(no_path), -1);
    EXPECT_TRUE(slots.IsFree(8));
    EXPECT_FALSE(slots.Unbind(-1));
    EXPECT_FALSE(slots.Unbind(11));
    EXPECT_EQ(slots.FindBoundSlot(""), -1);
}

// The interfaces the device emulator presents for its default set: per device, the boot
// interface 0 (keyboards and mice), interface 1 with col01 keyboard, col02 system control,
// col03 consumer and col04 vendor command collection, and the headset's single interface 3.
struct EmulatedInterface {
    std::string device;
    uint16_t vid, pid, mi, col, usage_page, usage;
};

std::vector<EmulatedInterface> DefaultEmulatedSet() {
    std::vector<EmulatedInterface> list;
    const struct {
        const char* name;
        uint16_t pid;
        uint16_t boot_usage;  // 0: no boot interface
    } devices[] = {{"keyboard", 0x505B, 0x06},
                   {"keyboard receiver", 0x5001, 0x06},
                   {"mouse", 0x221C, 0x02},
                   {"mouse receiver", 0x221D, 0x02},
                   {"mousepad", 0x1004, 0}};
    for (const auto& d : devices) {
        if (d.boot_usage != 0) list.push_back({d.name, 0x320F, d.pid, 0, 0, 0x0001, d.boot_usage});
        list.push_back({d.name, 0x320F, d.pid, 1, 1, 0x0001, 0x06});
        list.push_back({d.name, 0x320F, d.pid, 1, 2, 0x0001, 0x80});
        list.push_back({d.name, 0x320F, d.pid, 1, 3, 0x000C, 0x01});
        list.push_back({d.name, 0x320F, d.pid, 1, 4, 0xFF1C, 0x92});
    }
    list.push_back({"headset", 0x0C76, 0x1630, 3, 0, 0x000C, 0x01});
    return list;
}

// One scanner pass: candidate test, then the full match of each opened interface.
std::map<std::string, std::set<int>> BindAll(DeviceSlotList& slots) {
    std::map<std::string, std::set<int>> bound;
    int n = 0;
    for (const auto& itf : DefaultEmulatedSet()) {
        if (!slots.IsCandidate(itf.vid, itf.pid, itf.mi, itf.col)) continue;
        auto record = Opened(itf.vid, itf.pid, itf.mi, itf.col, itf.usage_page, itf.usage,
                             "sim:" + std::to_string(n++));
        const int slot = slots.Match(record);
        if (slot >= 0) bound[itf.device].insert(slot);
    }
    return bound;
}

TEST(DeviceSlots, DefaultEmulatedSetBindsEverySlotOnce) {
    DeviceSlotList slots;
    const auto bound = BindAll(slots);
    const std::map<std::string, std::set<int>> expected = {
        {"keyboard", {0, 1}},       {"keyboard receiver", {2, 3}}, {"mouse", {4, 5}},
        {"mouse receiver", {6, 7}}, {"mousepad", {8, 9}},          {"headset", {10}},
    };
    EXPECT_EQ(bound, expected);
    EXPECT_FALSE(slots.AnyFree());

    // A second pass finds nothing new.
    EXPECT_TRUE(BindAll(slots).empty());
}

}  // namespace
}  // namespace dz
