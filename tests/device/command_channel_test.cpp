// The command channel against the device emulator, over the same HidInterface the
// application uses: packet bytes, chunking, result codes, locks' effects and traces.
#include "device/command_channel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <future>
#include <memory>
#include <numeric>
#include <string>
#include <thread>
#include <vector>

#include "device/emulated_device.h"
#include "platform/log/debug_log.h"
#include "sim/emulator.h"

namespace dz {
namespace {

using sim::DeviceKind;
using sim::Direction;
using sim::FaultKind;
using sim::Link;

constexpr size_t kKeyboardFrame = 126 * 3;  // the emulated keyboard's whole light frame

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

    void Close() {
        channel_.SetOpen(false);
        channel_.CableInterface().Close();
        channel_.ReceiverInterface().Close();
    }

    // Another reader of a command collection: every reader gets every answer, so it
    // tells when answers have arrived on the channel's interface too.
    std::unique_ptr<HidInterface> Watch(DeviceKind kind, Link link) {
        auto watcher = std::make_unique<HidInterface>();
        EXPECT_EQ(watcher->Open(CommandPath(kind, link), true, false, true, false), 1);
        return watcher;
    }
    static bool Await(HidInterface& watcher, int answers) {
        Packet p{};
        for (int i = 0; i < answers; ++i)
            if (watcher.Read(p.data(), p.size(), nullptr, 5000) != 1) return false;
        return true;
    }

    // Two runs of the settings area that differ from each other.
    static constexpr uint16_t kOffsetA = 300;
    static constexpr uint16_t kOffsetB = 400;
    void SeedSettings(DeviceKind kind) {
        const std::vector<uint8_t> a(8, 0xA1), b(8, 0xB2);
        ASSERT_TRUE(emu_.Model(kind).WriteSettingsBytes(kOffsetA, a));
        ASSERT_TRUE(emu_.Model(kind).WriteSettingsBytes(kOffsetB, b));
    }
    std::vector<uint8_t> SettingsAt(DeviceKind kind, size_t offset, size_t n) const {
        const auto area = emu_.Model(kind).SettingsArea();
        return {area.begin() + long(offset), area.begin() + long(offset + n)};
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

size_t CountCommand(const std::vector<std::vector<uint8_t>>& packets, uint8_t command) {
    size_t n = 0;
    for (const auto& p : packets) n += p[3] == command;
    return n;
}

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

// Time-outs are behaviour: an exchange must give up after them, not before and not much
// later. Two multi-second waits in all, one per mode.

// Both reads of 1000 ms time out; the answer that comes after them stays on the interface
// and must not be taken as the answer to the next packet, although it names the same
// command.
TEST_F(ChannelTest, CableGivesUpAfterTwoReadsOf1000MsAndItsLateAnswerIsDiscarded) {
    OpenOn(DeviceKind::kMouse, Link::kCable);
    SeedSettings(DeviceKind::kMouse);
    const auto watcher = Watch(DeviceKind::kMouse, Link::kCable);
    ASSERT_TRUE(emu_.ArmFault(DeviceKind::kMouse, FaultKind::kLateAnswer, 1,
                              std::chrono::milliseconds(2500)));

    std::vector<uint8_t> first(8, 0);
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(channel_.ReadSettings(kOffsetA, first), kCmdNoExchange);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(2 * CommandChannel::kCableTimeoutMs));
    EXPECT_LT(elapsed, std::chrono::milliseconds(2 * CommandChannel::kCableTimeoutMs + 1000));
    EXPECT_FALSE(channel_.IsBusy());

    ASSERT_TRUE(Await(*watcher, 1)) << "the late answer is waiting now";

    std::vector<uint8_t> second(8, 0);
    ASSERT_EQ(channel_.ReadSettings(kOffsetB, second), kCmdOk);
    EXPECT_EQ(second, SettingsAt(DeviceKind::kMouse, kOffsetB, 8))
        << "the data of this packet, not of the one that timed out";
    EXPECT_EQ(SentPackets().size(), 2u);
}

// A wrong code and then nothing: the second read waits the whole 5000 ms.
TEST_F(ChannelTest, ReceiverReadsAgainForUpTo5000MsAfterAWrongCode) {
    OpenOn(DeviceKind::kMouse, Link::kReceiver);
    ASSERT_TRUE(emu_.ArmFault(DeviceKind::kMouse, FaultKind::kWrongCode, 1));
    const auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(channel_.Begin(), kCmdNoExchange);
    const auto elapsed = std::chrono::steady_clock::now() - start;
    EXPECT_GE(elapsed, std::chrono::milliseconds(CommandChannel::kReceiverTimeoutMs));
    EXPECT_LT(elapsed, std::chrono::milliseconds(CommandChannel::kReceiverTimeoutMs + 1000));
    EXPECT_EQ(SentPackets().size(), 1u) << "a packet is written once";
    EXPECT_EQ(channel_.Begin(), kCmdOk) << "the channel works again afterwards";
}

// The first read times out after 1000 ms; the second still takes the answer.
TEST_F(ChannelTest, AnAnswerBetweenOneAndTwoSecondsIsTaken) {
    OpenOn(DeviceKind::kMouse, Link::kCable);
    SeedSettings(DeviceKind::kMouse);
    ASSERT_TRUE(emu_.ArmFault(DeviceKind::kMouse, FaultKind::kLateAnswer, 1,
                              std::chrono::milliseconds(1400)));
    std::vector<uint8_t> data(8, 0);
    ASSERT_EQ(channel_.ReadSettings(kOffsetA, data), kCmdOk);
    EXPECT_EQ(data, SettingsAt(DeviceKind::kMouse, kOffsetA, 8));
    EXPECT_EQ(SentPackets().size(), 1u);
}

TEST_F(ChannelTest, AWrongCodeThenTheRightAnswerSucceeds) {
    for (const Link link : {Link::kCable, Link::kReceiver}) {
        SCOPED_TRACE(sim::LinkName(link));
        OpenOn(DeviceKind::kMouse, link);
        SeedSettings(DeviceKind::kMouse);
        // One stray answer naming another command, then the true one.
        ASSERT_TRUE(emu_.ArmFault(DeviceKind::kMouse, FaultKind::kWrongCode, 1));
        ASSERT_TRUE(emu_.ArmFault(DeviceKind::kMouse, FaultKind::kDoubleAnswer, 1));
        std::vector<uint8_t> data(8, 0);
        ASSERT_EQ(channel_.ReadSettings(kOffsetA, data), kCmdOk);
        EXPECT_EQ(data, SettingsAt(DeviceKind::kMouse, kOffsetA, 8));
        EXPECT_EQ(SentPackets().size(), 1u);
        Close();
    }
}

// A device that answers one packet twice leaves a stale answer behind: neither a command
// with the same code nor a light frame (which reads its answer without looking at the
// code) may take it as its own.
TEST_F(ChannelTest, AStaleAnswerIsNotTakenByTheNextExchange) {
    for (const Link link : {Link::kCable, Link::kReceiver}) {
        SCOPED_TRACE(sim::LinkName(link));
        OpenOn(DeviceKind::kMouse, link);
        SeedSettings(DeviceKind::kMouse);
        const auto watcher = Watch(DeviceKind::kMouse, link);
        ASSERT_TRUE(emu_.ArmFault(DeviceKind::kMouse, FaultKind::kDoubleAnswer, 1));
        std::vector<uint8_t> first(8, 0);
        ASSERT_EQ(channel_.ReadSettings(kOffsetA, first), kCmdOk);
        ASSERT_TRUE(Await(*watcher, 2)) << "the answer and its copy";
        std::vector<uint8_t> second(8, 0);
        ASSERT_EQ(channel_.ReadSettings(kOffsetB, second), kCmdOk);
        EXPECT_EQ(second, SettingsAt(DeviceKind::kMouse, kOffsetB, 8));
        Close();
    }
    OpenOn(DeviceKind::kKeyboard, Link::kCable);
    const auto watcher = Watch(DeviceKind::kKeyboard, Link::kCable);
    ASSERT_TRUE(emu_.ArmFault(DeviceKind::kKeyboard, FaultKind::kStatusFF, 1));
    ASSERT_TRUE(emu_.ArmFault(DeviceKind::kKeyboard, FaultKind::kDoubleAnswer, 1));
    EXPECT_EQ(channel_.Begin(), kCmdStatusFF);
    ASSERT_TRUE(Await(*watcher, 2));
    const std::vector<uint8_t> frame(kKeyboardFrame, 0x44);
    EXPECT_EQ(channel_.LightFrame(frame), kCmdOk) << "the frame read the refusal of BEGIN";
    EXPECT_EQ(emu_.Model(DeviceKind::kKeyboard).LastLightFrame(), frame);
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

// A command on its way (its answer held back) while a frame is handed to the channel.
TEST_F(ChannelTest, AFrameThatFindsTheChannelBusyIsLeftOutWhole) {
    OpenOn(DeviceKind::kKeyboard, Link::kCable);
    const std::vector<uint8_t> before(kKeyboardFrame, 0x11);
    ASSERT_EQ(channel_.LightFrame(before), kCmdOk);
    emu_.Traffic().Clear();

    ASSERT_TRUE(emu_.ArmFault(DeviceKind::kKeyboard, FaultKind::kLateAnswer, 1,
                              std::chrono::milliseconds(300)));
    auto command = std::async(std::launch::async, [&] { return channel_.Begin(); });
    ASSERT_TRUE(test::WaitUntil([&] { return channel_.IsBusy(); }));
    bool dropped = false;
    EXPECT_EQ(channel_.LightFrame(std::vector<uint8_t>(kKeyboardFrame, 0x22), &dropped), kCmdOk)
        << "a frame left out counts as sent";
    EXPECT_TRUE(dropped);
    EXPECT_EQ(command.get(), kCmdOk);
    EXPECT_EQ(CountCommand(SentPackets(), CMD_LIGHT_FRAME), 0u);
    EXPECT_EQ(emu_.Model(DeviceKind::kKeyboard).LastLightFrame(), before);
}

// Frames and commands from two threads, as the stream thread and the UI meet on a
// channel. The packets the device received are replayed through a fresh firmware model:
// every frame it completed must be one of the frames sent, never parts of two.
TEST_F(ChannelTest, FramesBesideCommandsNeverShowAFrameMadeOfTwo) {
    // A command burst lasts some milliseconds, so the frame thread meets it.
    emu_.SetLatency(std::chrono::microseconds(200));
    OpenOn(DeviceKind::kKeyboard, Link::kCable);
    std::atomic<bool> streaming{true};
    std::atomic<int> dropped_frames{0};
    std::thread frames([&] {
        for (int i = 1; streaming.load(); i = i % 250 + 1) {
            bool dropped = false;
            const int r =
                channel_.LightFrame(std::vector<uint8_t>(kKeyboardFrame, uint8_t(i)), &dropped);
            if (r != kCmdOk) {
                ADD_FAILURE() << "frame " << r;
                break;
            }
            dropped_frames += dropped;
            if (dropped) std::this_thread::yield();  // the commands have the link
        }
    });
    struct StopFrames {
        std::atomic<bool>& streaming;
        std::thread& frames;
        ~StopFrames() {
            streaming.store(false);
            if (frames.joinable()) frames.join();
        }
    } stop_frames{streaming, frames};

    // Bursts of commands, each after a frame got through, so that frames are both shown
    // and cut into.
    const std::vector<uint8_t> settings(20, 0);
    std::array<uint8_t, kDeviceInfoSize> info{};
    const sim::FirmwareModel& live = emu_.Model(DeviceKind::kKeyboard);
    for (int round = 0; round < 30; ++round) {
        const uint64_t shown = live.LightFramesCompleted();
        ASSERT_TRUE(test::WaitUntil([&] { return live.LightFramesCompleted() > shown; }));
        for (int i = 0; i < 20; ++i) {
            const int r =
                i % 2 == 0 ? channel_.WriteSettings(30, settings) : channel_.ReadInfo(info);
            ASSERT_EQ(r, kCmdOk) << "command " << i << " of round " << round;
        }
    }
    streaming.store(false);
    frames.join();
    ASSERT_GT(dropped_frames.load(), 0) << "frames and commands never met";
    ASSERT_EQ(emu_.Traffic().Dropped(), 0u) << "the record lost packets";

    sim::FirmwareModel device(sim::ModelTableFor(DeviceKind::kKeyboard));
    uint64_t completed = 0;
    size_t mixed = 0;
    for (const auto& packet : SentPackets()) {
        (void)device.HandleCommand(packet, Link::kCable);
        if (device.LightFramesCompleted() == completed) continue;
        completed = device.LightFramesCompleted();
        const std::vector<uint8_t> shown = device.LastLightFrame();
        mixed += std::count(shown.begin(), shown.end(), shown.front()) != long(shown.size());
    }
    EXPECT_GT(completed, 0u);
    EXPECT_EQ(mixed, 0u) << "of " << completed << " frames shown";
}

TEST_F(ChannelTest, PowerIsOnePacketAtTheGivenOffset) {
    OpenOn(DeviceKind::kMouse, Link::kCable);
    const std::vector<uint8_t> bytes = {72, 1, 0, 0, 0x5C, 0x6D};
    emu_.Model(DeviceKind::kMouse).SetPowerBytes(bytes);
    std::array<uint8_t, 2> power{};
    ASSERT_EQ(channel_.ReadPower(4, power), kCmdOk);
    const auto chunks = ChunksOf(SentPackets());
    ASSERT_EQ(chunks.size(), 1u);
    EXPECT_EQ(chunks[0].length, 2);
    EXPECT_EQ(chunks[0].offset, 4);
    EXPECT_EQ(power[0], 0x5C) << "the bytes from the offset";
    EXPECT_EQ(power[1], 0x6D);
}

// Transfers with a base offset: every chunk at base + position, over both payload sizes,
// and what is written is what the device holds and reads back.
TEST_F(ChannelTest, SettingsAndKeyColoursGoToTheirBaseOffset) {
    struct Case {
        const char* what;
        DeviceKind kind;
        Link link;
        bool key_colours;  // page 1 of 512 bytes; else the settings area from 200
        size_t length;
        std::vector<Chunk> chunks;
    };
    const Case cases[] = {
        {"settings at 200", DeviceKind::kMouse, Link::kCable, false, 70, {{56, 200}, {14, 256}}},
        {"settings at 200 through the receiver",
         DeviceKind::kMouse,
         Link::kReceiver,
         false,
         70,
         {{24, 200}, {24, 224}, {22, 248}}},
        {"key colours of page 1",
         DeviceKind::kKeyboard,
         Link::kCable,
         true,
         100,
         {{56, 512}, {44, 568}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        OpenOn(c.kind, c.link);
        std::vector<uint8_t> data(c.length);
        std::iota(data.begin(), data.end(), uint8_t{0x31});
        std::vector<uint8_t> back(c.length, 0);
        if (c.key_colours) {
            ASSERT_EQ(channel_.WriteKeyColors(1, 512, data), kCmdOk);
            ASSERT_EQ(channel_.ReadKeyColors(1, 512, back), kCmdOk);
        } else {
            ASSERT_EQ(channel_.WriteSettings(200, data), kCmdOk);
            ASSERT_EQ(channel_.ReadSettings(200, back), kCmdOk);
        }
        const std::vector<uint8_t> stored =
            c.key_colours ? emu_.Model(c.kind).KeyColourPage(1) : emu_.Model(c.kind).SettingsArea();
        const size_t from = c.key_colours ? 0 : 200;
        EXPECT_EQ(std::vector<uint8_t>(stored.begin() + long(from),
                                       stored.begin() + long(from + c.length)),
                  data)
            << "what the device holds";
        EXPECT_EQ(back, data);
        const auto chunks = ChunksOf(SentPackets());
        ASSERT_EQ(chunks.size(), 2 * c.chunks.size()) << "the write's chunks, then the read's";
        for (size_t i = 0; i < chunks.size(); ++i) {
            EXPECT_EQ(chunks[i].length, c.chunks[i % c.chunks.size()].length) << i;
            EXPECT_EQ(chunks[i].offset, c.chunks[i % c.chunks.size()].offset) << i;
        }
        Close();
    }
}

}  // namespace
}  // namespace dz
