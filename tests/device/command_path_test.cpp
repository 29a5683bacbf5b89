// Binding the command channel to a device's paths against the emulator: where the
// packets go and with which payload size after opening, switching and closing.
#include "device/command_path.h"

#include <gtest/gtest.h>

#include <array>

#include "device/emulated_device.h"

namespace dz {
namespace {

using sim::DeviceKind;
using sim::Link;

class CommandPathTest : public test::EmulatedDeviceTest {
  protected:
    void TearDown() override {
        CloseCommandPaths(channel_);
        EmulatedDeviceTest::TearDown();
    }
    // ReadInfo's packets (one per payload-sized chunk of 34 bytes) on `node`.
    size_t ReadInfoPacketsOn(const std::string& node) {
        emu_.Traffic().Clear();
        std::array<uint8_t, kDeviceInfoSize> info{};
        EXPECT_EQ(channel_.ReadInfo(info), kCmdOk);
        const size_t on_node = CountCommand(Sent(node), CMD_READ_INFO);
        EXPECT_EQ(CountCommand(Sent(), CMD_READ_INFO), on_node) << "no packet elsewhere";
        return on_node;
    }

    CommandChannel channel_;
    const std::string cable_ = CommandPath(DeviceKind::kMouse, Link::kCable);
    const std::string receiver_ = CommandPath(DeviceKind::kMouse, Link::kReceiver);
};

TEST_F(CommandPathTest, OpeningSetsTheModeAndPayloadOfThePath) {
    struct Case {
        Link link;
        bool receiver;
        uint16_t payload;
        size_t packets;
    };
    for (const auto& c : {Case{Link::kCable, false, kCablePayload, 1},
                          Case{Link::kReceiver, true, kReceiverPayload, 2}}) {
        SCOPED_TRACE(sim::LinkName(c.link));
        ASSERT_EQ(OpenCommandPath(channel_, CommandPath(DeviceKind::kMouse, c.link), c.receiver),
                  1);
        EXPECT_TRUE(channel_.IsOpen());
        EXPECT_EQ(channel_.IsReceiverMode(), c.receiver);
        EXPECT_EQ(channel_.PayloadSize(), c.payload);
        EXPECT_EQ(ReadInfoPacketsOn(Node(DeviceKind::kMouse, c.link)), c.packets);
        CloseCommandPaths(channel_);
    }
}

TEST_F(CommandPathTest, AFailedOpenLeavesTheChannelClosed) {
    ASSERT_TRUE(emu_.Unplug(DeviceKind::kMouse, Link::kReceiver));
    EXPECT_EQ(OpenCommandPath(channel_, receiver_, true), 0);
    EXPECT_FALSE(channel_.IsOpen());
    EXPECT_EQ(channel_.Begin(), kCmdNoExchange);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(CommandPathTest, ClosingClearsTheFlagAndClosesBothInterfaces) {
    ASSERT_EQ(OpenCommandPath(channel_, cable_, false), 1);
    ASSERT_EQ(SwitchCommandPath(channel_, cable_, receiver_), kModeReceiver);  // both open now
    CloseCommandPaths(channel_);
    EXPECT_FALSE(channel_.IsOpen());
    EXPECT_FALSE(channel_.CableInterface().IsOpen());
    EXPECT_FALSE(channel_.ReceiverInterface().IsOpen());
    EXPECT_EQ(emu_.Transport().OpenConnections(Node(DeviceKind::kMouse, Link::kCable)), 0u);
    EXPECT_EQ(emu_.Transport().OpenConnections(Node(DeviceKind::kMouse, Link::kReceiver)), 0u);
    emu_.Traffic().Clear();
    EXPECT_EQ(channel_.Begin(), kCmdNoExchange);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(CommandPathTest, SwitchingMovesTheTrafficCableReceiverCable) {
    ASSERT_EQ(OpenCommandPath(channel_, cable_, false), 1);
    EXPECT_EQ(ReadInfoPacketsOn(Node(DeviceKind::kMouse, Link::kCable)), 1u);

    ASSERT_EQ(SwitchCommandPath(channel_, cable_, receiver_), kModeReceiver);
    EXPECT_TRUE(channel_.IsOpen());
    EXPECT_TRUE(channel_.IsReceiverMode());
    EXPECT_EQ(channel_.PayloadSize(), kReceiverPayload);
    EXPECT_EQ(ReadInfoPacketsOn(Node(DeviceKind::kMouse, Link::kReceiver)), 2u);
    EXPECT_TRUE(channel_.LinkQuery());

    ASSERT_EQ(SwitchCommandPath(channel_, cable_, receiver_), kModeCable);
    EXPECT_FALSE(channel_.IsReceiverMode());
    EXPECT_EQ(channel_.PayloadSize(), kCablePayload);
    EXPECT_EQ(ReadInfoPacketsOn(Node(DeviceKind::kMouse, Link::kCable)), 1u);
}

TEST_F(CommandPathTest, ACableThatWillNotOpenLeavesTheDeviceOnItsReceiver) {
    ASSERT_EQ(OpenCommandPath(channel_, receiver_, true), 1);
    const std::string gone = MakeInterfacePath("sim", "nowhere/1", 0x320F, 0x221C, 1, 4);
    EXPECT_EQ(SwitchCommandPath(channel_, gone, receiver_), 0);
    EXPECT_TRUE(channel_.IsOpen());
    EXPECT_TRUE(channel_.IsReceiverMode());
    EXPECT_EQ(ReadInfoPacketsOn(Node(DeviceKind::kMouse, Link::kReceiver)), 2u);
}

TEST_F(CommandPathTest, AReceiverThatWillNotOpenLeavesTheChannelClosed) {
    ASSERT_EQ(OpenCommandPath(channel_, cable_, false), 1);
    ASSERT_TRUE(emu_.Unplug(DeviceKind::kMouse, Link::kReceiver));
    ASSERT_TRUE(emu_.Unplug(DeviceKind::kMouse, Link::kCable));
    EXPECT_EQ(SwitchCommandPath(channel_, cable_, receiver_), 0);
    EXPECT_FALSE(channel_.IsOpen());
    EXPECT_FALSE(channel_.IsReceiverMode()) << "mode unchanged";
    emu_.Traffic().Clear();
    EXPECT_EQ(channel_.Begin(), kCmdNoExchange);
    EXPECT_TRUE(Sent().empty());
}

}  // namespace
}  // namespace dz
