// Where the mouse's button map holds each logical button.
#include "models/mouse_buttons.h"

#include <gtest/gtest.h>

#include <vector>

namespace dz {
namespace {

std::vector<uint8_t> Map(const std::vector<KeyFunctionCode>& slots) {
    return EncodeKeyTable(slots);
}

TEST(MouseButtons, SlotsFollowTheFactoryFunctions) {
    const auto d = DefaultButtonCodes();
    // The emulated mouse's order: back before forward, five empty slots after.
    std::vector<KeyFunctionCode> slots{d[0], d[1], d[2], d[4], d[3], d[5],
                                       d[6], d[7], d[8], d[9], d[10]};
    slots.resize(16);
    const ButtonSlotMap m = BuildButtonSlotMap(Map(slots), 16);
    EXPECT_EQ(m, (ButtonSlotMap{0, 1, 2, 4, 3, 5, 6, 7, 8, 9, 10}));
}

TEST(MouseButtons, AMissingFunctionMakesTheButtonAbsent) {
    const auto d = DefaultButtonCodes();
    std::vector<KeyFunctionCode> slots(d.begin(), d.end());
    slots[9] = {0x20, 0x00, 0x04};  // the slot of button 9 holds something else
    slots.push_back(d[2]);          // a second middle button: the first slot counts
    const auto bytes = Map(slots);
    ButtonSlotMap m = BuildButtonSlotMap(bytes, 12);
    EXPECT_EQ(m[9], kNoButtonSlot);
    EXPECT_EQ(m[2], 2);
    EXPECT_EQ(m[10], 10);

    // Only the first key-count slots are looked at.
    m = BuildButtonSlotMap(bytes, 5);
    EXPECT_EQ(m[4], 4);
    EXPECT_EQ(m[5], kNoButtonSlot);
    EXPECT_EQ(BuildButtonSlotMap(bytes, 0), NoButtonSlots());
    EXPECT_EQ(BuildButtonSlotMap({}, 200), NoButtonSlots()) << "a count beyond the map";
}

TEST(MouseButtons, OnlyTheLastButtonThatClicksLeftKeepsItsFunction) {
    constexpr KeyFunctionCode kLeft{kKeyTypeMouseButton, kMouseButtonLeft, 0};
    constexpr KeyFunctionCode kRight{kKeyTypeMouseButton, kMouseButtonRight, 0};
    constexpr KeyFunctionCode kLeftAndRight{kKeyTypeMouseButton, 0x03, 0};
    constexpr KeyFunctionCode kKeyA{kKeyTypeKeyboard, 0, 0x04};
    const std::vector<KeyFunctionCode> one{kLeft, kRight, kKeyA};
    EXPECT_TRUE(IsLastLeftButton(one, 0));
    EXPECT_FALSE(IsLastLeftButton(one, 1)) << "a button that does not click left";
    EXPECT_FALSE(IsLastLeftButton(one, 3)) << "beyond the list";
    EXPECT_FALSE(IsLastLeftButton(one, -1));
    const std::vector<KeyFunctionCode> two{kLeft, kRight, kLeft};
    EXPECT_FALSE(IsLastLeftButton(two, 0)) << "another button still clicks left";
    // A button that clicks left together with another button counts as a left button.
    const std::vector<KeyFunctionCode> combined{kLeftAndRight, kKeyA};
    EXPECT_TRUE(IsLastLeftButton(combined, 0));
    const std::vector<KeyFunctionCode> both{kLeftAndRight, kLeft};
    EXPECT_FALSE(IsLastLeftButton(both, 1));
}

}  // namespace
}  // namespace dz
