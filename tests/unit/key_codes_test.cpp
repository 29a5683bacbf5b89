#include "models/key_codes.h"

#include <gtest/gtest.h>

#include <array>
#include <vector>

namespace dz {
namespace {

TEST(KeyFunctionCode, ProfileIntegerForm) {
    struct Case {
        KeyFunctionCode code;
        int32_t stored;
    };
    const Case cases[] = {
        {{kKeyTypeMouseButton, kMouseButtonRight, 0}, 16 * 65536 + 2 * 256},
        {{1, 2, 3}, 1 * 65536 + 2 * 256 + 3},
        {{kKeyTypeKeyboard, 0, 0x04}, 0x200004},
        {{kKeyTypeOnboardMacro, 0xA2, 5}, 0xD0A205},
        {{0xFF, 0xFF, 0xFF}, 0xFFFFFF},
        {{0, 0, 0}, 0},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(KeyCodeToProfileInt(c.code), c.stored);
        EXPECT_EQ(KeyCodeFromProfileInt(c.stored), c.code) << std::hex << c.stored;
    }
}

TEST(KeyFunctionCode, HandEditedProfileIntegersKeepTheirLowThreeBytes) {
    EXPECT_EQ(KeyCodeFromProfileInt(0x7F100200), (KeyFunctionCode{0x10, 0x02, 0x00}));
    EXPECT_EQ(KeyCodeFromProfileInt(-1), (KeyFunctionCode{0xFF, 0xFF, 0xFF}));
    EXPECT_EQ(KeyCodeFromProfileInt(int64_t{1} << 40 | 0x300192),
              (KeyFunctionCode{0x30, 0x01, 0x92}));
}

TEST(KeyFunctionCode, ConsumerUsageIsLowByteFirst) {
    const KeyFunctionCode code = ConsumerKeyCode(0x0192);
    EXPECT_EQ(code, (KeyFunctionCode{kKeyTypeConsumer, 0x92, 0x01}));
    EXPECT_EQ(ConsumerUsage(code), 0x0192);
}

TEST(KeyFunctionCode, DeviceKeyTableIsThreeBytesPerSlotInOrder) {
    const std::vector<KeyFunctionCode> codes = {
        {0x10, 0x01, 0x00}, {0x20, 0x02, 0x04}, {0x30, 0xE9, 0x00}};
    const std::vector<uint8_t> bytes = EncodeKeyTable(codes);
    EXPECT_EQ(bytes, (std::vector<uint8_t>{0x10, 0x01, 0x00, 0x20, 0x02, 0x04, 0x30, 0xE9, 0x00}));
    EXPECT_EQ(DecodeKeyTable(bytes), codes);

    // A trailing partial entry (a short read) is not turned into a key.
    std::vector<uint8_t> short_read = bytes;
    short_read.push_back(0x40);
    short_read.push_back(0x01);
    EXPECT_EQ(DecodeKeyTable(short_read), codes);
    EXPECT_TRUE(DecodeKeyTable({}).empty());

    // The keyboard's 170 key slots fit the device table.
    EXPECT_LE(EncodeKeyTable(std::vector<KeyFunctionCode>(170)).size(), kMaxKeyTableBytes);
}

}  // namespace
}  // namespace dz
