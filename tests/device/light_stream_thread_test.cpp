// The light stream's own thread against the emulator: the newest frame wins when frames
// come faster than the link carries them, nothing goes through a receiver, and stopping
// ends a stream that is on its way.
#include "device/light_stream_thread.h"

#include <gtest/gtest.h>

#include "device/command_path.h"
#include "device/emulated_device.h"

namespace dz {
namespace {

using sim::DeviceKind;
using sim::Link;

class LightStreamThreadTest : public test::EmulatedDeviceTest {
  protected:
    void Open(Link link) {
        ASSERT_EQ(OpenCommandPath(channel_, CommandPath(DeviceKind::kKeyboard, link),
                                  link == Link::kReceiver),
                  1);
    }
    static LightFrameBytes FrameOf(uint8_t value) {
        LightFrameBytes f{};
        f.fill(value);
        return f;
    }
    bool WaitFor(const std::function<bool()>& done) {
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (!done()) {
            if (std::chrono::steady_clock::now() > deadline) return false;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        return true;
    }
    CommandChannel channel_;
};

TEST_F(LightStreamThreadTest, FramesFasterThanTheLinkKeepOnlyTheNewest) {
    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kCable));
    Open(Link::kCable);
    // 1 ms per report: a 126-light frame of 7 packets takes 14 ms.
    emu_.SetLatency(std::chrono::microseconds(1000));
    constexpr int kLights = 126;
    LightStreamThread stream(channel_);
    for (int i = 1; i <= 50; ++i) stream.Submit(FrameOf(static_cast<uint8_t>(i)), kLights);
    const sim::FirmwareModel& model = emu_.Model(DeviceKind::kKeyboard);
    ASSERT_TRUE(WaitFor([&] {
        const std::vector<uint8_t> last = model.LastLightFrame();
        return !last.empty() && last.front() == 50;
    }));
    stream.Stop();
    EXPECT_GT(stream.ReplacedCount(), 0u)
        << "frames handed over faster than sent replace each other";
    EXPECT_LT(stream.StreamedCount(), 50u);
    EXPECT_EQ(stream.StreamedCount() + stream.ReplacedCount(), 50u)
        << "every frame is either sent or replaced by a newer one";
    const std::vector<uint8_t> last = model.LastLightFrame();
    ASSERT_EQ(last.size(), static_cast<size_t>(kLights * 3));
    for (uint8_t b : last) ASSERT_EQ(b, 50);
}

TEST_F(LightStreamThreadTest, NothingGoesThroughTheReceiver) {
    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kReceiver));
    Open(Link::kReceiver);
    LightStreamThread stream(channel_);
    stream.Submit(FrameOf(7), 126);
    stream.Submit(FrameOf(8), 126);
    // Every frame handed over was either replaced or taken up and done with.
    ASSERT_TRUE(WaitFor([&] { return stream.TakenCount() + stream.ReplacedCount() == 2; }));
    stream.Stop();
    EXPECT_EQ(stream.StreamedCount(), 0u);
    EXPECT_EQ(CountCommand(Sent(), CMD_LIGHT_FRAME), 0u);
}

// A frame the channel left out (a command was on its way) never reached the device, so
// handing the same picture over again sends it instead of skipping it as a repeat.
TEST_F(LightStreamThreadTest, AStillFrameLeftOutForACommandIsSentAtTheNextHandOver) {
    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kCable));
    Open(Link::kCable);
    const sim::FirmwareModel& model = emu_.Model(DeviceKind::kKeyboard);
    ASSERT_TRUE(emu_.ArmFault(DeviceKind::kKeyboard, sim::FaultKind::kLateAnswer, 1,
                              std::chrono::milliseconds(300)));
    std::thread command([&] { EXPECT_EQ(channel_.Begin(), kCmdOk); });
    ASSERT_TRUE(WaitFor([&] { return channel_.IsBusy(); }));
    LightStreamThread stream(channel_);
    stream.Submit(FrameOf(9), 126);
    ASSERT_TRUE(WaitFor([&] { return stream.TakenCount() == 1; }));
    EXPECT_EQ(stream.DroppedCount(), 1u);
    command.join();
    EXPECT_TRUE(model.LastLightFrame().empty()) << "nothing of it was shown";

    stream.Submit(FrameOf(9), 126);
    ASSERT_TRUE(WaitFor([&] { return stream.TakenCount() + stream.RepeatsSkipped() == 2; }));
    EXPECT_EQ(stream.RepeatsSkipped(), 0u);
    EXPECT_EQ(stream.StreamedCount(), 1u);
    EXPECT_EQ(model.LastLightFrame(), std::vector<uint8_t>(126 * 3, 9));
}

TEST_F(LightStreamThreadTest, StopEndsAStreamOnItsWayAndLaterFramesAreRefused) {
    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kCable));
    Open(Link::kCable);
    emu_.SetLatency(std::chrono::microseconds(2000));
    LightStreamThread stream(channel_);
    stream.Submit(FrameOf(1), 126);
    stream.Submit(FrameOf(2), 126);
    stream.Stop();  // returns after the frame on its way; the waiting one is dropped
    const size_t sent = CountCommand(Sent(), CMD_LIGHT_FRAME);
    EXPECT_LE(sent, 7u) << "at most the one frame that was on its way";
    stream.Submit(FrameOf(3), 126);
    std::this_thread::sleep_for(std::chrono::milliseconds(30));
    EXPECT_EQ(CountCommand(Sent(), CMD_LIGHT_FRAME), sent) << "a stopped stream takes no frame";
}

}  // namespace
}  // namespace dz
