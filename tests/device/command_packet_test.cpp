#include "device/command_packet.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace dz {
namespace {

TEST(CommandPacket, BeginPacketHasChecksumOne) {
    const Packet p = BuildPacket(CMD_BEGIN, 0);
    EXPECT_EQ(p[0], 4);
    EXPECT_EQ(p[1], 0x01);
    EXPECT_EQ(p[2], 0x00);
    EXPECT_EQ(p[3], CMD_BEGIN);
    for (size_t i = 4; i < kPacketSize; ++i) EXPECT_EQ(p[i], 0) << "byte " << i;
}

TEST(CommandPacket, FieldsAndChecksumOfADataPacket) {
    std::vector<uint8_t> data(60);
    std::iota(data.begin(), data.end(), uint8_t{200});  // wraps past 255
    const Packet p = BuildPacket(CMD_WRITE_SETTINGS, 0x1234, data);
    const PacketView v{p};
    EXPECT_EQ(v.Command(), CMD_WRITE_SETTINGS);
    EXPECT_EQ(v.Length(), 56);  // cut to the packet's room
    EXPECT_EQ(v.DataOffset(), 0x1234);
    EXPECT_EQ(p[5], 0x34);
    EXPECT_EQ(p[6], 0x12);
    EXPECT_EQ(p[7], 0);
    EXPECT_TRUE(std::equal(data.begin(), data.begin() + 56, v.Data().begin()));
    uint32_t sum = 0;
    for (size_t i = 3; i < 64; ++i) sum += p[i];
    EXPECT_EQ(v.Checksum(), sum & 0xFFFF);
    EXPECT_GT(sum, 0xFFu) << "the fixture must exercise the high checksum byte";
}

TEST(CommandPacket, ReadPacketAsksForItsLengthWithoutData) {
    const Packet p = BuildReadPacket(CMD_READ_INFO, 24, 10);
    const PacketView v{p};
    EXPECT_EQ(v.Length(), 10);
    EXPECT_EQ(v.DataOffset(), 24);
    for (size_t i = kOffData; i < kPacketSize; ++i) EXPECT_EQ(p[i], 0);
    EXPECT_EQ(v.Checksum(), CMD_READ_INFO + 10 + 24);
}

TEST(CommandPacket, StatusByteMapsToResult) {
    struct Case {
        uint8_t status;
        int result;
    };
    for (const Case c : {Case{0x00, kCmdOk}, Case{0x01, kCmdOk}, Case{0xFD, kCmdOk},
                         Case{0xFE, kCmdStatusFE}, Case{0xFF, kCmdStatusFF}}) {
        Packet r{};
        r[kOffStatus] = c.status;
        EXPECT_EQ(StatusResult(r), c.result) << "status " << int(c.status);
    }
}

TEST(CommandPacket, TraceLineGroupsBytesInFours) {
    std::array<uint8_t, 32> bytes{};
    std::iota(bytes.begin(), bytes.end(), uint8_t{0xA0});
    EXPECT_EQ(FormatTraceLine(bytes),
              "a0 a1 a2 a3   a4 a5 a6 a7   a8 a9 aa ab   ac ad ae af  "
              "b0 b1 b2 b3  b4 b5 b6 b7  b8 b9 ba bb  bc bd be bf");
}

}  // namespace
}  // namespace dz
