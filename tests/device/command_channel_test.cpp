// The command channel against the device emulator, over the same HidInterface the
// application uses: packet bytes, chunking, result codes, locks' effects and traces.
#include "device/command_channel.h"

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>
#include <string>
#include <vector>

#include "platform/log/debug_log.h"
#include "sim/emulator.h"

namespace dz {
namespace {

using sim::DeviceKind;
using sim::Direction;
using sim::FaultKind;
using sim::Link;

class ChannelTest : public ::testing::Test {
protected:
    void SetUp() override {
        hid::BackendRegistry::Instance().Add(emu_.Backend());
        emu_.Traffic().Clear();
    }
    void TearDown() override {
        channel_.SetOpen(false);
        channel_.CableInterface().Close();
        channel_.ReceiverInterface().Close();
        hid::BackendRegistry::Instance().Remove(emu_.Backend().get());
        log::SetSink({});
    }

    static std::pair<uint16_t, uint16_t> Ids(DeviceKind kind, Link link) {
        switch (kind) {
            case DeviceKind::kKeyboard: return {0x320F, link == Link::kCable ? 0x505B : 0x5001};
            case DeviceKind::kMouse: return {0x320F, link == Link::kCable ? 0x221C : 0x221D};
            case DeviceKind::kMousepad: return {0x320F, 0x1004};
            case DeviceKind::kHeadset: return {0x0C76, 0x1630};
        }
        return {0, 0};
    }

    std::string CommandPath(DeviceKind kind, Link link) {
        const auto [vid, pid] = Ids(kind, link);
        const bool headset = kind == DeviceKind::kHeadset;
        return MakeInterfacePath("sim", emu_.CommandNode(kind, link), vid, pid, headset ? 3 : 1,
                                 headset ? 0 : 4);
    }

    // Opens the channel on the device's command path, as a device object does.
    void OpenOn(DeviceKind kind, Link link) {
        HidInterface& hid =
            link == Link::kReceiver ? channel_.ReceiverInterface() : channel_.CableInterface();
        ASSERT_EQ(hid.Open(CommandPath(kind, link), true, true, true, false), 1);
        channel_.SetMode(link == Link::kReceiver ? kModeReceiver : kModeCable);
        channel_.SetOpen(true);
        emu_.Traffic().Clear();
    }

    // Host-to-device command packets seen by the emulator, in order.
    std::vector<std::vector<uint8_t>> SentPackets() const {
        std::vector<std::vector<uint8_t>> out;
        for (const auto& e : emu_.Traffic().Entries())
            if (e.direction == Direction::kOut && !e.bytes.empty() && e.bytes[0] == 4)
                out.push_back(e.bytes);
        return out;
    }

    sim::Emulator emu_{sim::EmulatorConfig::Default()};
    CommandChannel channel_;
};

struct Chunk {
    uint8_t length;
    uint16_t offset;
};

std::vector<Chunk> ChunksOf(const std::vector<std::vector<uint8_t>>& packets) {
    std::vector<Chunk> out;
    for (const auto& p : packets) out.push_back({p[4], uint16_t(p[5] | (p[6] << 8))});
    return out;
}

TEST_F(ChannelTest, ReadInfoIsOnePacketOverTheCableAndTwoThroughTheReceiver) {
    struct Case {
        DeviceKind kind;
        Link link;
        std::vector<Chunk> chunks;
    };
    const Case cases[] = {
        {DeviceKind::kKeyboard, Link::kCable, {{34, 0}}},
        {DeviceKind::kMouse, Link::kCable, {{34, 0}}},
        {DeviceKind::kMouse, Link::kReceiver, {{24, 0}, {10, 24}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(sim::KindName(c.kind)) + " " + sim::LinkName(c.link));
        OpenOn(c.kind, c.link);
        std::array<uint8_t, kDeviceInfoSize> info{};
        ASSERT_EQ(channel_.ReadInfo(info), kCmdOk);
        const auto sent = SentPackets();
        const auto chunks = ChunksOf(sent);
        ASSERT_EQ(chunks.size(), c.chunks.size());
        for (size_t i = 0; i < chunks.size(); ++i) {
            EXPECT_EQ(sent[i][3], CMD_READ_INFO);
            EXPECT_EQ(chunks[i].length, c.chunks[i].length);
            EXPECT_EQ(chunks[i].offset, c.chunks[i].offset);
        }
        EXPECT_NE(info[5], 0) << "key-slot count of the model";
        channel_.SetOpen(false);
        channel_.CableInterface().Close();
        channel_.ReceiverInterface().Close();
    }
}

TEST_F(ChannelTest, EveryExchangeIsTracedWithThePacketAndTheAnswer) {
    std::vector<std::string> lines;
    log::SetSink([&](std::string_view l) { lines.emplace_back(l); });
    OpenOn(DeviceKind::kKeyboard, Link::kCable);
    ASSERT_EQ(channel_.Begin(), kCmdOk);
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_EQ(lines[0], "命令");
    EXPECT_EQ(lines[1].substr(0, 25), "04 01 00 01   00 00 00 00");
    EXPECT_EQ(lines[3], "返回");
    EXPECT_EQ(lines[4].substr(0, 3), "04 ") << lines[4];
    EXPECT_EQ(lines[4].substr(9, 2), "01") << "the answer repeats the command code";
}

TEST_F(ChannelTest, ClosedChannelAnswersZeroWithoutTouchingTheDevice) {
    OpenOn(DeviceKind::kKeyboard, Link::kCable);
    channel_.SetOpen(false);
    std::array<uint8_t, kDeviceInfoSize> info{};
    info.fill(0x5A);
    EXPECT_EQ(channel_.Begin(), kCmdNoExchange);
    EXPECT_EQ(channel_.ReadInfo(info), kCmdNoExchange);
    EXPECT_EQ(info[0], 0x5A) << "destination untouched";
    EXPECT_FALSE(channel_.IsBusy());
    EXPECT_TRUE(SentPackets().empty());
}

TEST_F(ChannelTest, TransfersAreCutIntoPayloadSizedChunks) {
    struct Case {
        Link link;
        size_t total;
        std::vector<Chunk> chunks;
    };
    const Case cases[] = {
        {Link::kCable, 56, {{56, 0}}},
        {Link::kCable, 57, {{56, 0}, {1, 56}}},
        {Link::kCable, 120, {{56, 0}, {56, 56}, {8, 112}}},
        {Link::kReceiver, 50, {{24, 0}, {24, 24}, {2, 48}}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.total) + " bytes " + sim::LinkName(c.link));
        OpenOn(DeviceKind::kMouse, c.link);
        std::vector<uint8_t> image(c.total);
        std::iota(image.begin(), image.end(), uint8_t{1});
        ASSERT_EQ(channel_.WriteMacros(image), kCmdOk);
        const auto sent = SentPackets();
        const auto chunks = ChunksOf(sent);
        ASSERT_EQ(chunks.size(), c.chunks.size());
        size_t pos = 0;
        for (size_t i = 0; i < chunks.size(); ++i) {
            EXPECT_EQ(sent[i][3], CMD_WRITE_MACROS);
            EXPECT_EQ(chunks[i].length, c.chunks[i].length);
            EXPECT_EQ(chunks[i].offset, c.chunks[i].offset);
            EXPECT_EQ(sent[i][8], image[pos]) << "chunk data starts at its offset";
            pos += chunks[i].length;
        }
        channel_.SetOpen(false);
        channel_.CableInterface().Close();
        channel_.ReceiverInterface().Close();
    }
}

TEST_F(ChannelTest, ShootingPatternsAlwaysUse56ByteChunks) {
    OpenOn(DeviceKind::kMouse, Link::kReceiver);
    std::vector<uint8_t> image(100, 7);
    ASSERT_EQ(channel_.WriteShoot(image), kCmdOk);
    const auto chunks = ChunksOf(SentPackets());
    ASSERT_EQ(chunks.size(), 2u);
    EXPECT_EQ(chunks[0].length, 56);
    EXPECT_EQ(chunks[1].length, 44);
    EXPECT_EQ(chunks[1].offset, 56);
}

TEST_F(ChannelTest, ErrorStatusEndsAChunkedWriteAtOnce) {
    struct Case {
        FaultKind fault;
        int result;
    };
    for (const auto c : {Case{FaultKind::kStatusFE, kCmdStatusFE},
                         Case{FaultKind::kStatusFF, kCmdStatusFF}}) {
        OpenOn(DeviceKind::kKeyboard, Link::kCable);
        ASSERT_TRUE(emu_.ArmFault(DeviceKind::kKeyboard, c.fault, 2));
        std::vector<uint8_t> image(56 * 4, 1);
        EXPECT_EQ(channel_.WriteMacros(image), c.result);
        EXPECT_EQ(SentPackets().size(), 2u) << "no packet after the failing one";
        emu_.ClearFaults(DeviceKind::kKeyboard);
    }
}

TEST_F(ChannelTest, ReadInfoLeavesTheDestinationUntouchedWhenAChunkFails) {
    OpenOn(DeviceKind::kMouse, Link::kReceiver);
    ASSERT_TRUE(emu_.ArmFault(DeviceKind::kMouse, FaultKind::kStatusFF, 2));
    std::array<uint8_t, kDeviceInfoSize> info{};
    info.fill(0x5A);
    EXPECT_EQ(channel_.ReadInfo(info), kCmdStatusFF);
    for (uint8_t b : info) EXPECT_EQ(b, 0x5A);
}

TEST_F(ChannelTest, SilentDeviceGivesZeroAfterTheTimeOut) {
    OpenOn(DeviceKind::kKeyboard, Link::kCable);
    ASSERT_TRUE(emu_.ArmFault(DeviceKind::kKeyboard, FaultKind::kNoAnswer, 1));
    EXPECT_EQ(channel_.Begin(), kCmdNoExchange);
    EXPECT_FALSE(channel_.IsBusy());
    // The channel works again afterwards.
    EXPECT_EQ(channel_.Begin(), kCmdOk);
}

TEST_F(ChannelTest, AnswerWithAnotherCommandCodeIsReadTwiceThenGivesUp) {
    OpenOn(DeviceKind::kKeyboard, Link::kCable);
    ASSERT_TRUE(emu_.ArmFault(DeviceKind::kKeyboard, FaultKind::kWrongCode, 1));
    // The first answer names another command; no second answer comes, so the second
    // read times out and the exchange reports no response.
    EXPECT_EQ(channel_.Begin(), kCmdNoExchange);
}

TEST_F(ChannelTest, UnplugInTheMiddleOfATransferFailsAtOnce) {
    OpenOn(DeviceKind::kKeyboard, Link::kCable);
    ASSERT_TRUE(emu_.ArmFault(DeviceKind::kKeyboard, FaultKind::kDisconnect, 3));
    std::vector<uint8_t> image(56 * 8, 1);
    const auto start = std::chrono::steady_clock::now();
    const int r = channel_.WriteMacros(image);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_TRUE(r == kCmdNotWritten || r == kCmdNoExchange) << r;
    EXPECT_EQ(SentPackets().size(), 3u);
    // Not a speed figure: the transfer must end on the unplug, not on a time-out.
    EXPECT_LT(elapsed, std::chrono::milliseconds(CommandChannel::kCableTimeoutMs));
    EXPECT_EQ(channel_.Begin(), kCmdNotWritten) << "the gone device takes no more packets";
}

TEST_F(ChannelTest, UnlinkedReceiverAnswersNotLinked) {
    OpenOn(DeviceKind::kMouse, Link::kReceiver);
    emu_.SetLinked(DeviceKind::kMouse, false);
    EXPECT_FALSE(channel_.LinkQuery());
    EXPECT_EQ(channel_.Begin(), kCmdNotLinked);
    emu_.SetLinked(DeviceKind::kMouse, true);
    emu_.Traffic().Clear();
    EXPECT_TRUE(channel_.LinkQuery());
    ASSERT_EQ(SentPackets().size(), 1u);
    EXPECT_EQ(SentPackets()[0][3], CMD_LINK_QUERY);
}

TEST_F(ChannelTest, LinkQueryOverTheCableSendsNothing) {
    OpenOn(DeviceKind::kMouse, Link::kCable);
    EXPECT_TRUE(channel_.LinkQuery());
    EXPECT_TRUE(SentPackets().empty());
}

TEST_F(ChannelTest, KeymapWriteRefusesOtherPagesBeforeSending) {
    OpenOn(DeviceKind::kKeyboard, Link::kCable);
    std::vector<uint8_t> map(channel_.KeyTableSize());
    EXPECT_EQ(channel_.WriteKeymap(1, map), kCmdBadPage);
    EXPECT_TRUE(SentPackets().empty());
}

TEST_F(ChannelTest, KeyTableSizeIsBoundedAndSizesTheKeymapTransfers) {
    EXPECT_EQ(channel_.SetKeyTableSize(513), 0);
    EXPECT_EQ(channel_.KeyTableSize(), 512);
    ASSERT_EQ(channel_.SetKeyTableSize(60), 1);
    OpenOn(DeviceKind::kKeyboard, Link::kCable);
    std::vector<uint8_t> map(512);
    ASSERT_EQ(channel_.ReadKeymap(map), kCmdOk);
    std::vector<uint8_t> leds(512);
    ASSERT_EQ(channel_.ReadLedmap(leds), kCmdOk);
    const auto chunks = ChunksOf(SentPackets());
    ASSERT_EQ(chunks.size(), 3u);
    EXPECT_EQ(chunks[0].length, 56);  // key map: 60 bytes
    EXPECT_EQ(chunks[1].length, 4);
    EXPECT_EQ(chunks[2].length, 20);  // LED map: 60 / 3 bytes
}

TEST_F(ChannelTest, LightFramesAreStreamedOverTheCableWithoutTrace) {
    std::vector<std::string> lines;
    log::SetSink([&](std::string_view l) { lines.emplace_back(l); });
    OpenOn(DeviceKind::kKeyboard, Link::kCable);
    std::vector<uint8_t> frame(378, 0x33);  // 126 positions
    ASSERT_EQ(channel_.LightFrame(frame), kCmdOk);
    const auto sent = SentPackets();
    EXPECT_EQ(sent.size(), 7u);
    EXPECT_EQ(emu_.Model(DeviceKind::kKeyboard).LastLightFrame(), frame);
    for (const auto& p : sent) EXPECT_EQ(p[3], CMD_LIGHT_FRAME);
    EXPECT_TRUE(lines.empty()) << lines.front();
}

TEST_F(ChannelTest, LightFramesAreDroppedInReceiverMode) {
    OpenOn(DeviceKind::kMouse, Link::kReceiver);
    std::vector<uint8_t> frame(45, 1);
    EXPECT_EQ(channel_.LightFrame(frame), kCmdOk);
    EXPECT_TRUE(SentPackets().empty());
}

TEST_F(ChannelTest, PowerIsOnePacketAtTheGivenOffset) {
    OpenOn(DeviceKind::kMouse, Link::kCable);
    std::array<uint8_t, 4> power{};
    ASSERT_EQ(channel_.ReadPower(0, power), kCmdOk);
    const auto chunks = ChunksOf(SentPackets());
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0].length, 4);
}

}  // namespace
}  // namespace dz
