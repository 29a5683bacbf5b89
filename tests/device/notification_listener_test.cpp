// The notification listener against the emulator: what the device reports reaches the
// owner in order, stopping ends a read that waits, and a closed listener hears nothing.
#include "device/notification_listener.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <mutex>
#include <thread>
#include <vector>

#include "device/command_channel.h"
#include "device/emulated_device.h"

namespace dz {
namespace {

using sim::DeviceKind;
using sim::Link;

// What the handler was given, on which thread.
class Heard {
  public:
    void Add(uint16_t usage) {
        std::lock_guard lock(mutex_);
        usages_.push_back(usage);
        threads_.push_back(std::this_thread::get_id());
        cv_.notify_all();
    }
    bool WaitFor(size_t count) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, std::chrono::seconds(10),
                            [&] { return usages_.size() >= count; });
    }
    std::vector<uint16_t> Usages() const {
        std::lock_guard lock(mutex_);
        return usages_;
    }
    std::vector<std::thread::id> Threads() const {
        std::lock_guard lock(mutex_);
        return threads_;
    }

  private:
    mutable std::mutex mutex_;
    std::condition_variable cv_;
    std::vector<uint16_t> usages_;
    std::vector<std::thread::id> threads_;
};

class ListenerTest : public test::EmulatedDeviceTest {
  protected:
    // The notification channel of a device object: only its interfaces and locks are used.
    CommandChannel notify_;
    Heard heard_;
    NotificationListener cable_{notify_.CableInterface(), notify_.IoLock(),
                                [this](uint16_t u) { heard_.Add(u); }};
    NotificationListener receiver_{notify_.ReceiverInterface(), notify_.ListenerLock(),
                                   [this](uint16_t u) { heard_.Add(u); }};

    // The notification the emulator sent last with `usage`, as the record has it.
    const sim::TrafficEntry* LastNotification(std::vector<sim::TrafficEntry>& entries,
                                              uint16_t usage) const {
        const sim::TrafficEntry* found = nullptr;
        for (const auto& e : entries)
            if (e.direction == sim::Direction::kIn && e.bytes.size() == 3 && e.bytes[0] == 3 &&
                (e.bytes[1] | e.bytes[2] << 8) == usage)
                found = &e;
        return found;
    }
};

TEST_F(ListenerTest, DeliversTheDevicesNotificationsInOrderOnItsOwnThread) {
    ASSERT_EQ(cable_.Open(NotifyPath(DeviceKind::kKeyboard)), 1);
    EXPECT_TRUE(cable_.IsOpen());
    EXPECT_TRUE(cable_.IsRunning());
    // Command answers arrive on the same node; they are not notifications.
    CommandChannel commands;
    ASSERT_EQ(
        commands.CableInterface().Open(CommandPath(DeviceKind::kKeyboard), true, true, true, false),
        1);
    commands.SetMode(kModeCable);
    commands.SetOpen(true);

    ASSERT_TRUE(emu_.PressRaw(DeviceKind::kKeyboard, 0x0401));
    ASSERT_EQ(commands.Begin(), kCmdOk);
    ASSERT_TRUE(emu_.PressRaw(DeviceKind::kKeyboard, 0x0402));
    ASSERT_EQ(commands.End(), kCmdOk);
    ASSERT_TRUE(emu_.PressProfile(DeviceKind::kKeyboard, 2));
    ASSERT_TRUE(heard_.WaitFor(3));
    EXPECT_EQ(heard_.Usages(), (std::vector<uint16_t>{0x0401, 0x0402, 0x1002}));
    for (auto id : heard_.Threads()) EXPECT_NE(id, std::this_thread::get_id());
    commands.SetOpen(false);
}

TEST_F(ListenerTest, OpenOnARunningListenerReplacesItsInterface) {
    ASSERT_EQ(cable_.Open(NotifyPath(DeviceKind::kKeyboard)), 1);
    ASSERT_EQ(cable_.Open(NotifyPath(DeviceKind::kKeyboard)), 1);
    // The first connection goes once the read that waited on it has let go of it.
    EXPECT_TRUE(test::WaitUntil(
        [&] { return emu_.Transport().OpenConnections(Node(DeviceKind::kKeyboard)) == 1; }));
    ASSERT_TRUE(emu_.PressRaw(DeviceKind::kKeyboard, 0x0401));
    ASSERT_TRUE(emu_.PressRaw(DeviceKind::kKeyboard, 0x0402));
    ASSERT_TRUE(heard_.WaitFor(2));
    EXPECT_EQ(heard_.Usages(), (std::vector<uint16_t>{0x0401, 0x0402})) << "each report once";
}

TEST_F(ListenerTest, StopEndsAReadThatIsWaiting) {
    ASSERT_EQ(cable_.Open(NotifyPath(DeviceKind::kKeyboard)), 1);
    ASSERT_TRUE(test::WaitUntil([&] { return cable_.IsReading(); }));
    cable_.Stop();  // returns only once the thread has ended
    EXPECT_FALSE(cable_.IsRunning());
    EXPECT_FALSE(cable_.IsOpen());
    EXPECT_FALSE(notify_.CableInterface().IsOpen());
    EXPECT_EQ(emu_.Transport().OpenConnections(Node(DeviceKind::kKeyboard)), 0u);
    // Stopping again, or a listener that never ran, is harmless.
    cable_.Stop();
    receiver_.Stop();
}

TEST_F(ListenerTest, UnplugEndsTheReadAndAReopenAfterReplugHearsAgain) {
    ASSERT_EQ(cable_.Open(NotifyPath(DeviceKind::kKeyboard)), 1);
    ASSERT_TRUE(test::WaitUntil([&] { return cable_.IsReading(); }));
    ASSERT_TRUE(emu_.Unplug(DeviceKind::kKeyboard, Link::kCable));
    // The read fails at once; the thread waits for Stop or a new Open.
    ASSERT_TRUE(test::WaitUntil([&] { return !cable_.IsReading(); }));
    cable_.Stop();
    EXPECT_FALSE(cable_.IsRunning());

    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kCable));
    ASSERT_EQ(cable_.Reopen(NotifyPath(DeviceKind::kKeyboard)), 1);
    ASSERT_TRUE(emu_.PressProfile(DeviceKind::kKeyboard, 1));
    ASSERT_TRUE(heard_.WaitFor(1));
    EXPECT_EQ(heard_.Usages(), (std::vector<uint16_t>{0x1001}));
}

TEST_F(ListenerTest, ReopenFollowsTheDeviceToItsReceiver) {
    ASSERT_EQ(cable_.Open(NotifyPath(DeviceKind::kMouse)), 1);
    ASSERT_TRUE(emu_.PressProfile(DeviceKind::kMouse, 1));
    ASSERT_TRUE(heard_.WaitFor(1));

    // The cable goes: the device now reports through its receiver.
    ASSERT_TRUE(emu_.Unplug(DeviceKind::kMouse, Link::kCable));
    ASSERT_EQ(cable_.Reopen(NotifyPath(DeviceKind::kMouse, Link::kReceiver)), 1);
    EXPECT_TRUE(cable_.IsOpen());
    ASSERT_TRUE(emu_.PressProfile(DeviceKind::kMouse, 3));
    ASSERT_TRUE(heard_.WaitFor(2));
    EXPECT_EQ(heard_.Usages(), (std::vector<uint16_t>{0x1001, 0x1003}));
    auto entries = emu_.Traffic().Entries();
    const sim::TrafficEntry* last = LastNotification(entries, 0x1003);
    ASSERT_NE(last, nullptr);
    EXPECT_EQ(last->node, Node(DeviceKind::kMouse, Link::kReceiver));
    EXPECT_EQ(last->receivers, 1u);
}

TEST_F(ListenerTest, NothingIsHeardWhileTheListenerIsClosed) {
    const std::string gone = MakeInterfacePath("sim", "nowhere/1", 0x320F, 0x505B, 1, 3);
    EXPECT_EQ(cable_.Open(gone), 0);
    EXPECT_FALSE(cable_.IsOpen());
    EXPECT_TRUE(cable_.IsRunning()) << "idle until opened";
    ASSERT_TRUE(emu_.PressRaw(DeviceKind::kKeyboard, 0x0401));

    // The idle thread picks up a later successful open.
    ASSERT_EQ(cable_.Open(NotifyPath(DeviceKind::kKeyboard)), 1);
    ASSERT_TRUE(emu_.PressRaw(DeviceKind::kKeyboard, 0x0402));
    ASSERT_TRUE(heard_.WaitFor(1));
    cable_.Stop();
    ASSERT_TRUE(emu_.PressRaw(DeviceKind::kKeyboard, 0x0403));
    EXPECT_EQ(heard_.Usages(), (std::vector<uint16_t>{0x0402}));

    // No connection was open to take the two presses before and after.
    auto entries = emu_.Traffic().Entries();
    for (uint16_t usage : {0x0401, 0x0403}) {
        const sim::TrafficEntry* e = LastNotification(entries, usage);
        ASSERT_NE(e, nullptr) << usage;
        EXPECT_EQ(e->receivers, 0u) << usage;
    }
}

TEST_F(ListenerTest, DestroyingAListenerStopsItsThreadAndClosesTheInterface) {
    {
        NotificationListener listener(notify_.CableInterface(), notify_.IoLock(),
                                      [this](uint16_t u) { heard_.Add(u); });
        ASSERT_EQ(listener.Open(NotifyPath(DeviceKind::kKeyboard)), 1);
        ASSERT_TRUE(test::WaitUntil([&] { return listener.IsReading(); }));
    }
    EXPECT_EQ(emu_.Transport().OpenConnections(Node(DeviceKind::kKeyboard)), 0u);
    EXPECT_FALSE(notify_.CableInterface().IsOpen());
}

}  // namespace
}  // namespace dz
