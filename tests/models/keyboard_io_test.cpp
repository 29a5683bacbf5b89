// The keyboard's transfers byte for byte against the emulated keyboard: its first read in
// seven steps, the settings block of the current profile, the per-key colour page and the
// power bytes, on the cable and through the receiver, with the information blocks a
// firmware may report.
#include <gtest/gtest.h>

#include "channel_rig.h"
#include "models/keyboard_io.h"

namespace dz {
namespace {

using sim::DeviceKind;
using sim::FaultKind;
using sim::Link;

class KeyboardIoTest : public test::ChannelRig {
  protected:
    sim::FirmwareModel& Model() { return emu_.Model(DeviceKind::kKeyboard); }
    std::vector<uint16_t> Offsets(uint8_t command) const {
        std::vector<uint16_t> offsets;
        for (const auto& e : Sent(Node(kind_, link_)))
            if (e.bytes[3] == command)
                offsets.push_back(static_cast<uint16_t>(e.bytes[5] | e.bytes[6] << 8));
        return offsets;
    }
};

TEST_F(KeyboardIoTest, TheFirstReadInItsSevenSteps) {
    Open(DeviceKind::kKeyboard);
    const KeyboardTablesRead read = ReadKeyboardTables(channel_);
    ASSERT_TRUE(read.transfer.Ok());
    std::vector<uint8_t> expected{CMD_BEGIN, CMD_READ_INFO};
    expected.insert(expected.end(), 10, CMD_READ_KEYMAP);  // 510 bytes
    expected.insert(expected.end(), 4, CMD_READ_LEDMAP);   // 170 bytes
    expected.push_back(CMD_END);
    EXPECT_EQ(Commands(), expected);
    EXPECT_EQ(channel_.KeyTableSize(), 510);
    EXPECT_EQ(read.tables.KeySlots(), 170);
    EXPECT_EQ(read.tables.key_table, Model().KeyMap());
    EXPECT_EQ(read.tables.led_table, Model().LedMap());
    EXPECT_EQ(read.tables.maps.PositionCount(), kKeyboardPositions);
    EXPECT_EQ(read.tables.maps.slot[5], sim::KeyboardSlotOfPosition(5));
}

TEST_F(KeyboardIoTest, ThroughTheReceiverTheBlockTakesTwoPackets) {
    Open(DeviceKind::kKeyboard, Link::kReceiver);
    const KeyboardTablesRead read = ReadKeyboardTables(channel_);
    ASSERT_TRUE(read.transfer.Ok());
    EXPECT_EQ(CountCommand(Sent(), CMD_READ_INFO), 2u);
    EXPECT_EQ(Offsets(CMD_READ_INFO), (std::vector<uint16_t>{0, 24}));
    EXPECT_EQ(CountCommand(Sent(), CMD_READ_KEYMAP), 22u) << "510 bytes, 24 a packet";
    EXPECT_EQ(read.tables.maps.PositionCount(), kKeyboardPositions);
}

TEST_F(KeyboardIoTest, AKeySlotCountBeyond512BytesEndsTheReadBeforeTheTables) {
    Open(DeviceKind::kKeyboard);
    std::array<uint8_t, 34> info = Model().InfoBlock();
    info[kInfoKeySlots] = 171;  // 513 bytes
    Model().SetInfoBlock(info);
    const KeyboardTablesRead read = ReadKeyboardTables(channel_);
    EXPECT_TRUE(read.info_read);
    EXPECT_NE(read.transfer.refused, nullptr);
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{CMD_BEGIN, CMD_READ_INFO, CMD_END}))
        << "the exchange is closed, no table is asked for";
    EXPECT_EQ(channel_.KeyTableSize(), 512) << "the size stays";
    EXPECT_TRUE(read.tables.key_table.empty());
    EXPECT_EQ(read.tables.maps.PositionCount(), 0);
}

TEST_F(KeyboardIoTest, AnInformationBlockOfZerosReadsNoTables) {
    Open(DeviceKind::kKeyboard);
    Model().SetInfoBlock({});
    const KeyboardTablesRead read = ReadKeyboardTables(channel_);
    EXPECT_TRUE(read.transfer.Ok());
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{CMD_BEGIN, CMD_READ_INFO, CMD_END}));
    EXPECT_EQ(read.tables.maps.PositionCount(), 0);
}

TEST_F(KeyboardIoTest, AFailedTableReadLeavesNoMaps) {
    Open(DeviceKind::kKeyboard);
    ASSERT_TRUE(emu_.ArmFault(DeviceKind::kKeyboard, FaultKind::kStatusFE, 8));  // a key packet
    const KeyboardTablesRead read = ReadKeyboardTables(channel_);
    EXPECT_EQ(read.transfer.result, kCmdStatusFE);
    EXPECT_EQ(read.transfer.failed_command, CMD_READ_KEYMAP);
    EXPECT_EQ(Commands().back(), CMD_END) << "the keyboard answered: the exchange is closed";
    EXPECT_TRUE(read.tables.key_table.empty());
    EXPECT_EQ(read.tables.maps.PositionCount(), 0);
    channel_.SetOpen(false);
    emu_.Traffic().Clear();
    EXPECT_EQ(ReadKeyboardTables(channel_).transfer.result, kCmdNoExchange);
    EXPECT_TRUE(Commands().empty()) << "nothing while the channel is closed";
}

TEST_F(KeyboardIoTest, TheSettingsBlockOfTheCurrentProfile) {
    Open(DeviceKind::kKeyboard);
    ASSERT_TRUE(Model().SetCurrentProfile(2));
    KeyboardSettingsFetch fetch = ReadKeyboardSettings(channel_);
    ASSERT_TRUE(fetch.transfer.Ok());
    EXPECT_EQ(fetch.profile, 2);
    EXPECT_EQ(Offsets(CMD_READ_SETTINGS), (std::vector<uint16_t>{0, 50}));
    const std::vector<uint8_t> page = Model().ProfileSettings(2);
    EXPECT_TRUE(std::equal(fetch.block.begin(), fetch.block.end(), page.begin()));

    ASSERT_TRUE(Model().SetCurrentProfile(0));
    emu_.Traffic().Clear();
    fetch = ReadKeyboardSettings(channel_);
    EXPECT_EQ(Offsets(CMD_READ_SETTINGS), (std::vector<uint16_t>{0, 0}));
    EXPECT_EQ(fetch.block[0], 0) << "at offset 0 byte 0 is the profile number itself";
}

TEST_F(KeyboardIoTest, AWrittenBlockIsReadBack) {
    Open(DeviceKind::kKeyboard);
    KeyboardSettingsBlock block{};
    for (size_t i = 1; i < block.size(); ++i) block[i] = static_cast<uint8_t>(0x40 + i);
    const DeviceTransfer t = WriteKeyboardSettings(channel_, 0, block);
    ASSERT_TRUE(t.Ok());
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{CMD_BEGIN, CMD_WRITE_SETTINGS, CMD_END}));
    EXPECT_EQ(DataOf(CMD_WRITE_SETTINGS), std::vector<uint8_t>(block.begin(), block.end()));
    const KeyboardSettingsFetch fetch = ReadKeyboardSettings(channel_);
    EXPECT_EQ(fetch.block, block);
    EXPECT_EQ(Model().CurrentProfile(), 0);
}

TEST_F(KeyboardIoTest, ColourPagesAreWrittenAtTheirPageAndReadBack) {
    Open(DeviceKind::kKeyboard);
    std::vector<uint8_t> colours(510);
    for (size_t i = 0; i < colours.size(); ++i) colours[i] = static_cast<uint8_t>(i * 3);
    ASSERT_TRUE(WriteKeyboardColours(channel_, 2, colours).Ok());
    EXPECT_EQ(Offsets(CMD_WRITE_KEYCOLORS).front(), 1024);
    const std::vector<uint8_t> page = Model().KeyColourPage(2);
    EXPECT_TRUE(std::equal(colours.begin(), colours.end(), page.begin()));
    ASSERT_TRUE(WriteKeyboardColours(channel_, 0, colours).Ok());
    const KeyboardColoursRead read = ReadKeyboardColours(channel_, 510);
    ASSERT_TRUE(read.transfer.Ok());
    EXPECT_TRUE(std::equal(colours.begin(), colours.end(), read.page.begin()));
    EXPECT_EQ(read.page[510], 0);
}

TEST_F(KeyboardIoTest, PowerBytesSayWhichPath) {
    Open(DeviceKind::kKeyboard);
    KeyboardPowerRead read = ReadKeyboardPower(channel_);
    ASSERT_TRUE(read.transfer.Ok());
    EXPECT_EQ(read.bytes[0], 85);
    EXPECT_EQ(read.bytes[3], 0);
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{CMD_READ_POWER})) << "no link query on the cable";
}

TEST_F(KeyboardIoTest, PowerThroughTheReceiverAsksTheLinkFirst) {
    Open(DeviceKind::kKeyboard, Link::kReceiver);
    KeyboardPowerRead read = ReadKeyboardPower(channel_);
    ASSERT_TRUE(read.transfer.Ok());
    EXPECT_EQ(read.bytes[3], 1);
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{CMD_LINK_QUERY, CMD_READ_POWER}));
    emu_.SetLinked(DeviceKind::kKeyboard, false);
    emu_.Traffic().Clear();
    read = ReadKeyboardPower(channel_);
    EXPECT_FALSE(read.transfer.Ok());
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{CMD_LINK_QUERY}));
}

}  // namespace
}  // namespace dz
