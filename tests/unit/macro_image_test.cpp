#include "models/macro_image.h"

#include <gtest/gtest.h>

#include <vector>

namespace dz {
namespace {

std::vector<MacroEvent> Events(size_t n) {
    std::vector<MacroEvent> events;
    for (size_t i = 0; i < n; ++i)
        events.push_back({kMacroEventKey, static_cast<int>(4 + i), i % 2 ? "up" : "down", "300"});
    return events;
}

uint16_t At16(const std::vector<uint8_t>& image, size_t at) {
    return static_cast<uint16_t>(image[at] | image[at + 1] << 8);
}

TEST(MacroImage, LayoutOfThreeMacros) {
    const std::vector<std::vector<MacroEvent>> macros{Events(10), Events(0), Events(4)};
    const std::vector<uint8_t> image = BuildMacroImage(macros);
    ASSERT_EQ(image.size(), 90u) << "16 + 3 x 6 + 14 x 4";
    const std::vector<size_t> counts{10, 0, 4};
    EXPECT_EQ(MacroImageSize(counts), 90u);
    EXPECT_EQ(At16(image, 0), 0x55AA);
    EXPECT_EQ(At16(image, 2), 90);
    EXPECT_EQ(At16(image, 4), 3);
    for (size_t i = 6; i < 16; ++i) EXPECT_EQ(image[i], 0) << "reserved byte " << i;
    // Entries follow the offset table directly, one after the other.
    EXPECT_EQ(At16(image, 16), 22);
    EXPECT_EQ(At16(image, 18), 22 + 4 + 40);
    EXPECT_EQ(At16(image, 20), 66 + 4);
    EXPECT_EQ(At16(image, 22), 10) << "event count";
    EXPECT_EQ(At16(image, 24), 0) << "reserved";
    EXPECT_EQ(At16(image, 66), 0);
    EXPECT_EQ(At16(image, 70), 4);
    // The events in their device form, in file order.
    const MacroEventCode first = ToDeviceCode(macros[0][0]);
    EXPECT_EQ((std::vector<uint8_t>{image.begin() + 26, image.begin() + 30}),
              (std::vector<uint8_t>{first.begin(), first.end()}));
    const MacroEventCode last = ToDeviceCode(macros[2][3]);
    EXPECT_EQ((std::vector<uint8_t>{image.end() - 4, image.end()}),
              (std::vector<uint8_t>{last.begin(), last.end()}));
}

TEST(MacroImage, AnEmptyListIsTheHeaderAlone) {
    const std::vector<uint8_t> image = BuildMacroImage({});
    ASSERT_EQ(image.size(), 16u);
    EXPECT_EQ(At16(image, 2), 16);
    EXPECT_EQ(At16(image, 4), 0);
}

TEST(MacroImage, Shortage) {
    struct Case {
        size_t size, capacity;
        int shortage;
    };
    const Case cases[] = {
        {1280, 1280, 0},  // exactly full is sent
        {1282, 1280, 1},  // 2 bytes over
        {1284, 1280, 2},  // 4 bytes over
        {1287, 1280, 2},
        {1288, 1280, 3},
        {16, 0, 5},       // no memory at all
        {0, 0, 0},
    };
    for (const Case& c : cases)
        EXPECT_EQ(MacroShortage(c.size, c.capacity), c.shortage) << c.size << "/" << c.capacity;
}

constexpr KeyFunctionCode Macro(uint8_t n, uint8_t mode = 0) {
    return {kKeyTypeMacro, n, mode};
}

TEST(DeviceMacroNumbers, RenumberedInOrderOfFirstUse) {
    const KeyFunctionCode a_key{kKeyTypeKeyboard, 0, 4};
    const KeyFunctionCode repeat{kKeyTypeMacroRepeat, 2, 9};
    const std::vector<KeyFunctionCode> keys{a_key, Macro(5), repeat, Macro(5, 3), Macro(7)};
    std::vector<int> in_use;
    std::vector<KeyFunctionCode> sent;
    for (const KeyFunctionCode& k : keys) sent.push_back(DeviceKeyCode(k, a_key, 7, in_use));
    EXPECT_EQ(in_use, (std::vector<int>{5, 2}));
    EXPECT_EQ(sent[0], a_key) << "other codes go as they are";
    EXPECT_EQ(sent[1], Macro(0));
    EXPECT_EQ(sent[2], (KeyFunctionCode{kKeyTypeMacroRepeat, 1, 9})) << "repeat count kept";
    EXPECT_EQ(sent[3], Macro(0, 3)) << "two keys on one macro carry the same number";
    EXPECT_EQ(sent[4], a_key) << "a macro number equal to the count: the default code";
    EXPECT_EQ(MacrosInUse(keys, 7), in_use);
    EXPECT_TRUE(MacrosInUse(keys, 0).empty());
}

}  // namespace
}  // namespace dz
