// The light frame: bytes and button colours from the LED array, the stream over the
// cable with its pause after a failure, the host-lighting flag, and configuration
// commands getting through while frames stream.
#include "device/light_frame.h"

#include <gtest/gtest.h>

#include <atomic>
#include <map>
#include <thread>
#include <vector>

#include "device/command_path.h"
#include "device/emulated_device.h"

namespace dz {
namespace {

using lighting::LedArray;
using lighting::LedRecord;
using sim::DeviceKind;
using sim::Link;
using std::chrono::milliseconds;

constexpr int kKeyboardLights = 126;

TEST(LightFrame, BytesAreScaledByAlphaAndButtonsGetThePackedColour) {
    struct Case {
        int light;
        LedRecord led;
        uint8_t bytes[3];
        uint32_t button;
    };
    const Case cases[] = {
        {0, {255, 255, 255, 255}, {254, 254, 254}, 0xFFFFFF},
        {1, {0x11, 0x22, 0x33, 0}, {0, 0, 0}, 0x223311},  // alpha 0: dark, colour kept
        {2, {200, 100, 50, 128}, {100, 50, 25}, 50u * 256 + 100u * 65536 + 200},
        {3, {1, 2, 3, 255}, {0, 1, 2}, 3u * 256 + 2u * 65536 + 1},
        {169, {10, 20, 30, 255}, {9, 19, 29}, 30u * 256 + 20u * 65536 + 10},
        {170, {90, 80, 70, 255}, {0, 0, 0}, 70u * 256 + 80u * 65536 + 90},  // shown only
    };
    LedArray leds(171);
    for (const auto& c : cases) leds.Set(static_cast<size_t>(c.light), c.led);

    LightFrameBytes frame;
    frame.fill(0xEE);  // every byte is rewritten
    std::map<int, std::pair<uint32_t, uint8_t>> painted;
    BuildLightFrame(
        leds, 171, [](int light) { return light != 3; },
        [&](int light, uint32_t colour, uint8_t alpha) {
            painted[light] = {colour, alpha};
        },
        frame);

    for (const auto& c : cases) {
        SCOPED_TRACE("light " + std::to_string(c.light));
        if (c.light < kUnstreamedLight) {
            const size_t at = static_cast<size_t>(c.light) * 3;
            EXPECT_EQ(frame[at], c.bytes[0]);
            EXPECT_EQ(frame[at + 1], c.bytes[1]);
            EXPECT_EQ(frame[at + 2], c.bytes[2]);
        }
        if (c.light == 3) {
            EXPECT_EQ(painted.count(3), 0u) << "invisible button";
        } else {
            ASSERT_EQ(painted.count(c.light), 1u);
            EXPECT_EQ(painted[c.light].first, c.button);
            EXPECT_EQ(painted[c.light].second, c.led.alpha);
        }
    }
    EXPECT_EQ(painted.size(), 170u) << "every visible light of the 171";
    EXPECT_EQ(frame[510], 0);
    EXPECT_EQ(frame[511], 0);
    EXPECT_EQ(frame[4 * 3], 0) << "an unlit light in between";
}

TEST(LightFrame, OnlyTheFirstLightCountLightsAreTaken) {
    LedArray leds(20);
    leds.Fill({100, 100, 100, 255});
    LightFrameBytes frame;
    int painted = 0;
    BuildLightFrame(
        leds, 5, [](int) { return true; }, [&](int, uint32_t, uint8_t) { ++painted; }, frame);
    EXPECT_EQ(painted, 5);
    EXPECT_EQ(frame[14], 99);
    EXPECT_EQ(frame[15], 0);
    // More lights than the array holds: only the array's.
    BuildLightFrame(leds, 400, {}, {}, frame);
    EXPECT_EQ(frame[59], 99);
    EXPECT_EQ(frame[60], 0);
}

class LightStreamTest : public test::EmulatedDeviceTest {
  protected:
    void TearDown() override {
        CloseCommandPaths(channel_);
        EmulatedDeviceTest::TearDown();
    }
    void OpenKeyboard() {
        ASSERT_EQ(OpenCommandPath(channel_, CommandPath(DeviceKind::kKeyboard), false), 1);
        emu_.Traffic().Clear();
    }
    static LightFrameBytes Frame(int lights, LedRecord led) {
        LedArray leds(static_cast<size_t>(lights));
        leds.Fill(led);
        LightFrameBytes frame;
        BuildLightFrame(leds, lights, {}, {}, frame);
        return frame;
    }

    CommandChannel channel_;
    // A clock the test moves, so the pause is checked without waiting for it.
    LightFrameStreamer::Clock::time_point now_{};
    LightFrameStreamer streamer_{channel_, [this] { return now_; }};
};

TEST_F(LightStreamTest, AFrameIsLightCountTimesThreeBytesOverTheCable) {
    OpenKeyboard();
    const LightFrameBytes frame = Frame(kKeyboardLights, {40, 80, 120, 255});
    EXPECT_EQ(streamer_.Stream(frame, kKeyboardLights), FrameOutcome::kStreamed);
    const auto sent = Sent();
    EXPECT_EQ(sent.size(), 7u);  // 378 bytes in 56-byte chunks
    EXPECT_EQ(CountCommand(sent, CMD_LIGHT_FRAME), sent.size());
    EXPECT_EQ(emu_.Model(DeviceKind::kKeyboard).LastLightFrame(),
              std::vector<uint8_t>(frame.begin(), frame.begin() + kKeyboardLights * 3));
}

TEST_F(LightStreamTest, NothingIsStreamedThroughAReceiver) {
    ASSERT_EQ(OpenCommandPath(channel_, CommandPath(DeviceKind::kMouse, Link::kReceiver), true), 1);
    emu_.Traffic().Clear();
    EXPECT_EQ(streamer_.Stream(Frame(15, {1, 2, 3, 255}), 15), FrameOutcome::kReceiverMode);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(LightStreamTest, AFailedFrameSkipsTheFramesOfTheNext200Ms) {
    OpenKeyboard();
    const LightFrameBytes frame = Frame(kKeyboardLights, {9, 9, 9, 255});
    ASSERT_TRUE(emu_.ArmFault(DeviceKind::kKeyboard, sim::FaultKind::kStatusFF, 1));
    EXPECT_EQ(streamer_.Stream(frame, kKeyboardLights), FrameOutcome::kFailed);
    EXPECT_EQ(streamer_.LastResult(), kCmdStatusFF);
    EXPECT_EQ(Sent().size(), 1u) << "the transfer ends at the failing packet";

    // The frame timer keeps firing; during the pause it returns at once, sending nothing.
    for (int ms : {0, 5, 100, 199}) {
        now_ = LightFrameStreamer::Clock::time_point{} + milliseconds(ms);
        EXPECT_EQ(streamer_.Stream(frame, kKeyboardLights), FrameOutcome::kPaused) << ms;
        EXPECT_TRUE(streamer_.InPause());
    }
    EXPECT_EQ(Sent().size(), 1u);

    now_ = LightFrameStreamer::Clock::time_point{} + milliseconds(200);
    EXPECT_FALSE(streamer_.InPause());
    EXPECT_EQ(streamer_.Stream(frame, kKeyboardLights), FrameOutcome::kStreamed);
    EXPECT_EQ(Sent().size(), 1u + 7u);
}

TEST_F(LightStreamTest, HostLightingIsSentOnlyToAKeyboardOnItsCable) {
    struct Case {
        int value;
        uint16_t device_type;
        size_t sent;
    };
    const Case cases[] = {
        {1, 1, 1}, {5, 1, 1}, {0, 1, 0}, {1, 2, 0}, {1, 9, 0}, {1, 3, 0},
    };
    OpenKeyboard();
    for (const auto& c : cases) {
        SCOPED_TRACE(std::to_string(c.value) + " on type " + std::to_string(c.device_type));
        emu_.Traffic().Clear();
        HostLightingFlag flag(channel_);
        EXPECT_TRUE(flag.IsSet()) << "set from the start";
        EXPECT_EQ(flag.Set(c.value, c.device_type), kCmdOk);
        EXPECT_EQ(flag.IsSet(), c.value != 0);
        const auto sent = Sent();
        EXPECT_EQ(sent.size(), c.sent);
        EXPECT_EQ(CountCommand(sent, CMD_HOST_LIGHTING), c.sent);
    }
}

// Frames go out from one thread on a 5 ms timer, as the selector's frame timer drives
// them, while another thread issues configuration commands. Counted on the emulator's
// record: each command's packets all go out, and no more than two frames begin between
// the command being issued and its completion.
TEST_F(LightStreamTest, ConfigurationCommandsGetThroughWhileFramesStream) {
    emu_.SetLatency(std::chrono::microseconds(200));  // a frame of 7 packets fits in 5 ms
    OpenKeyboard();
    std::vector<uint8_t> settings(120);
    ASSERT_EQ(channel_.ReadSettings(0, settings), kCmdOk);

    const LightFrameBytes frame = Frame(kKeyboardLights, {200, 10, 10, 255});
    std::atomic<bool> streaming{true};
    std::thread timer([&] {
        LightFrameStreamer streamer(channel_);
        auto next = std::chrono::steady_clock::now();
        while (streaming.load()) {
            (void)streamer.Stream(frame, kKeyboardLights);
            next += milliseconds(5);
            std::this_thread::sleep_until(next);
        }
    });

    auto frame_starts = [&] {
        std::vector<std::chrono::microseconds> starts;
        for (const auto& e : Sent())
            if (e.bytes[3] == CMD_LIGHT_FRAME && e.bytes[5] == 0 && e.bytes[6] == 0)
                starts.push_back(e.time);
        return starts;
    };
    ASSERT_TRUE(test::WaitUntil([&] { return frame_starts().size() >= 3; }));

    struct Issued {
        uint8_t command;
        size_t packets;
        std::chrono::microseconds issued, done;
    };
    std::vector<Issued> commands;
    auto since_epoch = [&] { return emu_.Traffic().Since(std::chrono::steady_clock::now()); };
    for (int i = 0; i < 8; ++i) {
        std::this_thread::sleep_for(milliseconds(3 + i));  // land at varying frame phases
        Issued c{};
        c.issued = since_epoch();
        if (i % 2 == 0) {
            c.command = CMD_WRITE_SETTINGS;
            c.packets = 3;
            EXPECT_EQ(channel_.WriteSettings(0, settings), kCmdOk);
        } else {
            c.command = CMD_READ_INFO;
            c.packets = 1;
            std::array<uint8_t, kDeviceInfoSize> info{};
            EXPECT_EQ(channel_.ReadInfo(info), kCmdOk);
        }
        c.done = since_epoch();
        commands.push_back(c);
    }
    ASSERT_TRUE(test::WaitUntil([&] {
        const auto starts = frame_starts();
        return !starts.empty() && starts.back() > commands.back().done;
    }));
    streaming.store(false);
    timer.join();

    const auto sent = Sent();
    const auto starts = frame_starts();
    ASSERT_LT(starts.front(), commands.front().issued) << "frames were streaming before";
    for (const auto& c : commands) {
        SCOPED_TRACE("command " + std::to_string(c.command) + " issued at " +
                     std::to_string(c.issued.count()) + " us");
        size_t packets = 0;
        for (const auto& e : sent)
            if (e.bytes[3] == c.command && e.time >= c.issued && e.time <= c.done) ++packets;
        EXPECT_EQ(packets, c.packets);
        size_t frames_begun = 0;
        for (auto t : starts) frames_begun += t >= c.issued && t <= c.done;
        EXPECT_LE(frames_begun, 2u);
    }
}

}  // namespace
}  // namespace dz
