// The scanner thread against the emulator: devices coming and going are bound and
// unbound and reported to the owner, in the slots of the supported-device table.
#include "device/device_scanner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <vector>

#include "sim/emulator.h"
#include "sim/model_tables.h"

namespace dz {
namespace {

using namespace std::chrono_literals;
using sim::DeviceKind;
using sim::Link;

// Records what the scanner tells its owner.
class Recorder : public DeviceScanner::Events {
public:
    void DeviceArrived(int slot) override { Add(arrived_, slot); }
    void DeviceRemoved(int slot) override { Add(removed_, slot); }
    void AccessDenied(const std::string& path) override {
        std::lock_guard lock(mutex_);
        denied_.push_back(path);
    }
    void FirstPassDone() override {
        std::lock_guard lock(mutex_);
        ++first_passes_;
        cv_.notify_all();
    }

    // Waits (bounded, so a missing event fails instead of hanging) until each slot has
    // been reported at least as often as it stands in `slots`.
    bool WaitArrived(const std::multiset<int>& slots) { return Wait(arrived_, slots); }
    bool WaitRemoved(const std::multiset<int>& slots) { return Wait(removed_, slots); }
    std::multiset<int> Arrived() {
        std::lock_guard lock(mutex_);
        return arrived_;
    }
    int FirstPasses() {
        std::lock_guard lock(mutex_);
        return first_passes_;
    }

private:
    void Add(std::multiset<int>& to, int slot) {
        std::lock_guard lock(mutex_);
        to.insert(slot);
        cv_.notify_all();
    }
    bool Wait(std::multiset<int>& in, const std::multiset<int>& slots) {
        std::unique_lock lock(mutex_);
        return cv_.wait_for(lock, 5s, [&] {
            for (int s : slots)
                if (in.count(s) < slots.count(s)) return false;
            return true;
        });
    }

    std::mutex mutex_;
    std::condition_variable cv_;
    std::multiset<int> arrived_;
    std::multiset<int> removed_;
    int first_passes_ = 0;
    std::vector<std::string> denied_;
};

class ScannerTest : public ::testing::Test {
protected:
    void SetUp() override { hid::BackendRegistry::Instance().Add(emu_.Backend()); }
    void TearDown() override {
        scanner_.Stop();
        hid::BackendRegistry::Instance().Remove(emu_.Backend().get());
    }

    sim::Emulator emu_{sim::EmulatorConfig::Default()};
    DeviceSlotList slots_;
    Recorder events_;
    DeviceScanner scanner_{slots_, events_};
};

TEST_F(ScannerTest, PresentDevicesArriveInTheirSlotsOnce) {
    scanner_.Start();
    ASSERT_TRUE(events_.WaitArrived({0, 1, 4, 5, 6, 7, 8, 9, 10}));
    std::this_thread::sleep_for(300ms);  // a few more passes: nothing is bound twice
    EXPECT_EQ(events_.Arrived(), (std::multiset<int>{0, 1, 4, 5, 6, 7, 8, 9, 10}));
    EXPECT_EQ(events_.FirstPasses(), 1);
    EXPECT_EQ(slots_.Slot(6).type, TYPE_MOUSE_RX);
    EXPECT_NE(slots_.Slot(6).path.find("pid_221d"), std::string::npos);
}

TEST_F(ScannerTest, UnplugUnbindsAndPlugBindsAgain) {
    scanner_.Start();
    ASSERT_TRUE(events_.WaitArrived({4, 5}));
    ASSERT_TRUE(emu_.Unplug(DeviceKind::kMouse, Link::kCable));
    ASSERT_TRUE(events_.WaitRemoved({4, 5}));
    EXPECT_TRUE(slots_.IsFree(4));
    EXPECT_FALSE(slots_.IsFree(6)) << "the receiver stays bound";

    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kReceiver));
    EXPECT_TRUE(events_.WaitArrived({2, 3}));
    ASSERT_TRUE(emu_.Plug(DeviceKind::kMouse, Link::kCable));
    EXPECT_TRUE(events_.WaitArrived({4, 4, 5, 5}));
}

TEST_F(ScannerTest, ASecondIdenticalKeyboardFindsNoFreeSlot) {
    // Another keyboard of the same model, beside the emulator's own.
    sim::SimDevice second(sim::ModelTableFor(DeviceKind::kKeyboard));
    for (auto node : second.Nodes(Link::kCable)) {
        node.node = "second-" + node.node;
        const int iface = node.interface_number;
        emu_.Transport().AddNode(node, [&second, iface](std::span<const uint8_t> r) {
            return second.HandleOutput(Link::kCable, iface, r);
        });
    }
    scanner_.Start();
    ASSERT_TRUE(events_.WaitArrived({0, 1, 10}));
    std::this_thread::sleep_for(300ms);
    EXPECT_EQ(events_.Arrived().count(0), 1u);
    EXPECT_EQ(events_.Arrived().count(1), 1u);
    emu_.Transport().RemoveUsbDevice("second-keyboard");
}

TEST_F(ScannerTest, AChangeWakesTheScannerBeforeItsNextPass) {
    // With passes an hour apart, only the change notification can bring the device in.
    DeviceSlotList slots;
    Recorder events;
    DeviceScanner slow(slots, events, std::chrono::hours(1));
    ASSERT_TRUE(emu_.Unplug(DeviceKind::kHeadset, Link::kCable));
    slow.Start();
    ASSERT_TRUE(events.WaitArrived({0}));
    ASSERT_TRUE(emu_.Plug(DeviceKind::kHeadset, Link::kCable));
    EXPECT_TRUE(events.WaitArrived({10}));
    ASSERT_TRUE(emu_.Unplug(DeviceKind::kHeadset, Link::kCable));
    EXPECT_TRUE(events.WaitRemoved({10}));
    slow.Stop();  // ends at once although its pass is an hour away
}

}  // namespace
}  // namespace dz
