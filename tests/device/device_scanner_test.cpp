// The scanner thread against the emulator: devices coming and going are bound and
// unbound and reported to the owner, in the slots of the supported-device table.
#include "device/device_scanner.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <future>
#include <mutex>
#include <set>
#include <stop_token>
#include <string>
#include <thread>
#include <vector>

#include "hid/fake_backend.h"
#include "sim/emulator.h"
#include "sim/model_tables.h"
#include "sim/report_descriptors.h"
#include "support/scan_recorder.h"

namespace dz {
namespace {

using namespace std::chrono_literals;
using sim::DeviceKind;
using sim::Link;
using Recorder = test::ScanRecorder;

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

TEST_F(ScannerTest, IdlePassesOpenNothingYetRemovalIsSeen) {
    scanner_.Start();
    ASSERT_TRUE(events_.WaitArrived({0, 1, 4, 5, 6, 7, 8, 9, 10}));
    const size_t opens = emu_.Transport().OpenCount();
    // Three pass intervals with nothing told: no listing needs an open, and no bound
    // interface is opened again to see whether it is still there.
    std::this_thread::sleep_for(3 * DeviceScanner::kPassInterval);
    EXPECT_EQ(emu_.Transport().OpenCount(), opens);
    ASSERT_TRUE(emu_.Unplug(DeviceKind::kMousepad, Link::kCable));
    EXPECT_TRUE(events_.WaitRemoved({8, 9}));
    EXPECT_EQ(emu_.Transport().OpenCount(), opens);
}

TEST_F(ScannerTest, ANodeReplacedUnderItsOwnNameIsRemovedAndBoundAgain) {
    scanner_.Start();
    ASSERT_TRUE(events_.WaitArrived({10}));
    // The headset's node comes back at once under the same name: the path is the same,
    // the node is not, and the device object must open the new one.
    const std::string node = emu_.NodeId(DeviceKind::kHeadset, Link::kCable, 3);
    sim::SimDevice& headset = emu_.Device(DeviceKind::kHeadset);
    for (auto info : headset.Nodes(Link::kCable)) {
        ASSERT_EQ(info.node, node);
        emu_.Transport().AddNode(info, [&headset](std::span<const uint8_t> r) {
            return headset.HandleOutput(Link::kCable, 3, r);
        });
    }
    EXPECT_TRUE(events_.WaitRemoved({10}));
    EXPECT_TRUE(events_.WaitArrived({10, 10}));
}

// The emulator's transport under another scheme that tells its changes, for cases the
// emulator does not offer: nodes that refuse to open.
class TellingBackend final : public hid::HidBackend {
  public:
    explicit TellingBackend(std::shared_ptr<test::FakeBackend> inner) : inner_(std::move(inner)) {}
    [[nodiscard]] std::string_view Scheme() const override { return inner_->Scheme(); }
    bool Enumerate(std::vector<hid::HidNodeInfo>& out) override { return inner_->Enumerate(out); }
    std::unique_ptr<hid::HidConnection> Open(std::string_view node, const hid::OpenFlags& flags,
                                             hid::HidNodeInfo& info,
                                             hid::OpenError& error) override {
        return inner_->Open(node, flags, info, error);
    }
    [[nodiscard]] bool ReportsChanges() const override { return true; }

  private:
    std::shared_ptr<test::FakeBackend> inner_;
};

// A keyboard cable whose vendor node exists in a backend of its own.
class RefusedNodeTest : public ::testing::Test {
  protected:
    void SetUp() override {
        fake_ = std::make_shared<test::FakeBackend>();
        fake_->AddNode("kbd", 0x320F, 0x505B, 1, sim::VendorInterfaceDescriptor());
    }
    void TearDown() override {
        scanner_.Stop();
        if (registered_) hid::BackendRegistry::Instance().Remove(registered_.get());
    }
    void Register(std::shared_ptr<hid::HidBackend> backend) {
        registered_ = std::move(backend);
        hid::BackendRegistry::Instance().Add(registered_);
    }

    std::shared_ptr<test::FakeBackend> fake_;
    std::shared_ptr<hid::HidBackend> registered_;
    DeviceSlotList slots_;
    Recorder events_;
    DeviceScanner scanner_{slots_, events_};
};

TEST_F(RefusedNodeTest, PermissionRefusalIsToldOncePerInterface) {
    Register(fake_);
    fake_->FailOpensWith(hid::OpenError::kAccessDenied);
    scanner_.Start();
    // Both collections of the table (command and notification) are refused.
    ASSERT_TRUE(events_.WaitDenied(2));
    EXPECT_EQ(events_.Denied(), (std::vector<std::string>{
                                    "fake:kbd#vid_320f&pid_505b&mi_01&col03",
                                    "fake:kbd#vid_320f&pid_505b&mi_01&col04",
                                }));
    EXPECT_TRUE(events_.Arrived().empty());
    // Refused on every later pass too, and still told only once.
    std::this_thread::sleep_for(DeviceScanner::kAccessReportDelay +
                                3 * DeviceScanner::kPassInterval);
    EXPECT_EQ(events_.Denied().size(), 2u);
}

TEST_F(RefusedNodeTest, ANodeInUseIsNotTakenForMissingPermission) {
    Register(fake_);
    fake_->FailOpensWith(hid::OpenError::kBusy);
    scanner_.Start();
    ASSERT_TRUE(events_.WaitFirstPass());
    std::this_thread::sleep_for(DeviceScanner::kAccessReportDelay +
                                3 * DeviceScanner::kPassInterval);
    EXPECT_TRUE(events_.Denied().empty());
}

TEST_F(RefusedNodeTest, ARefusedNodeIsTriedAgainThoughNoChangeIsTold) {
    // A backend that tells its changes gives no notice when a refusal ends (an access
    // list changed when the session became the active one); the scanner keeps trying.
    Register(std::make_shared<TellingBackend>(fake_));
    fake_->FailOpensWith(hid::OpenError::kAccessDenied);
    scanner_.Start();
    ASSERT_TRUE(events_.WaitFirstPass());
    fake_->FailOpensWith(hid::OpenError::kNone);
    EXPECT_TRUE(events_.WaitArrived({0, 1}));
}

TEST(ScannerStop, AStopRequestEndsEveryWait) {
    // One run sleeps until a change (the emulator tells them all), the other between
    // passes an hour apart (a backend that cannot tell its changes is polled); neither may
    // need anything but the stop request to end.
    struct Case {
        const char* name;
        bool polled;
    };
    for (const Case c : {Case{"until a change", false}, Case{"between passes", true}}) {
        sim::Emulator emu(sim::EmulatorConfig::Default());
        hid::BackendRegistry::Instance().Add(emu.Backend());
        auto fake = std::make_shared<test::FakeBackend>();
        if (c.polled) hid::BackendRegistry::Instance().Add(fake);
        DeviceSlotList slots;
        Recorder events;
        DeviceScanner scanner(slots, events, std::chrono::hours(1));
        std::stop_source stop;
        auto run = std::async(std::launch::async, [&] { scanner.RunHere(stop.get_token()); });
        ASSERT_TRUE(events.WaitArrived({0, 10})) << c.name;
        std::this_thread::sleep_for(50ms);  // into its wait
        stop.request_stop();
        EXPECT_EQ(run.wait_for(5s), std::future_status::ready) << c.name;
        run.wait();
        hid::BackendRegistry::Instance().Remove(fake.get());
        hid::BackendRegistry::Instance().Remove(emu.Backend().get());
    }
}

}  // namespace
}  // namespace dz
