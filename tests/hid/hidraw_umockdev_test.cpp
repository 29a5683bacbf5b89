// The real hidraw backend (libudev enumeration, sysfs descriptor, open/poll/read/
// write/flock on the node, the udev monitor) under HidInterface and the scanner, against
// nodes emulated with umockdev and answered by the emulator's device models. Runs inside
// umockdev-wrapper.

#include <gtest/gtest.h>
#include <linux/capability.h>
#include <sys/stat.h>
#include <sys/syscall.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>
#include <thread>

#include "device/command_channel.h"
#include "device/device_scanner.h"
#include "device/hid_interface.h"
#include "emulated_hidraw.h"
#include "sim/model_tables.h"
#include "sim/report_descriptors.h"
#include "sim/sim_device.h"
#include "support/scan_recorder.h"

namespace dz {
namespace {

using test::Bytes;
using test::EmulatedHidraw;
using test::EmulatedUsbDevice;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kCommandPath = "hidraw:/dev/hidraw0#vid_320f&pid_505b&mi_01&col04";
constexpr const char* kNotifyPath = "hidraw:/dev/hidraw0#vid_320f&pid_505b&mi_01&col03";
constexpr const char* kHeadsetPath = "hidraw:/dev/hidraw1#vid_0c76&pid_1630&mi_03";

// A command packet as the host sends it: id 4, checksum over bytes 3..63.
Bytes CommandPacket(uint8_t code, uint8_t length = 0, uint16_t offset = 0) {
    Bytes p(64, 0);
    p[0] = 0x04;
    p[3] = code;
    p[4] = length;
    p[5] = static_cast<uint8_t>(offset & 0xFF);
    p[6] = static_cast<uint8_t>(offset >> 8);
    unsigned sum = 0;
    for (size_t i = 3; i < 64; ++i) sum += p[i];
    p[1] = static_cast<uint8_t>(sum & 0xFF);
    p[2] = static_cast<uint8_t>((sum >> 8) & 0xFF);
    return p;
}

struct Exchange {
    int written = 0;
    int read = 0;
    Bytes answer = Bytes(64, 0);
};

Exchange Send(HidInterface& hid, const Bytes& packet) {
    Exchange e;
    size_t put = 0;
    e.written = hid.Write(packet.data(), packet.size(), &put, 1000);
    size_t got = 0;
    if (e.written == 1) e.read = hid.Read(e.answer.data(), e.answer.size(), &got, 1000);
    e.answer.resize(got);
    return e;
}

template <typename Pred>
bool WaitFor(Pred pred) {
    const auto end = Clock::now() + 5s;
    while (!pred()) {
        if (Clock::now() > end) return false;
        std::this_thread::sleep_for(1ms);
    }
    return true;
}

// The keyboard on its cable: the vendor interface at /dev/hidraw0, the boot keyboard
// interface at /dev/hidraw2; the headset, when added, at /dev/hidraw1.
class HidrawUmockdevTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* preload = std::getenv("LD_PRELOAD");
        ASSERT_TRUE(preload != nullptr && std::strstr(preload, "umockdev") != nullptr)
            << "run this test under umockdev-wrapper";
        testbed_ = umockdev_testbed_new();
        keyboard_ =
            std::make_unique<sim::SimDevice>(sim::ModelTableFor(sim::DeviceKind::kKeyboard));
        keyboard_->SetPlugged(sim::Link::kCable, true);
        const sim::ModelTable& t = keyboard_->Model().Table();
        keyboard_usb_ = std::make_unique<EmulatedUsbDevice>(testbed_, 1, t.vendor_id,
                                                            t.cable_product_id, t.cable_bcd);
        const auto nodes = keyboard_->Nodes(sim::Link::kCable);
        ASSERT_EQ(nodes.size(), 2u);
        vendor_ = std::make_unique<EmulatedHidraw>(testbed_, *keyboard_usb_, 0, nodes[1],
                                                   *keyboard_, sim::Link::kCable);
        boot_ = std::make_unique<EmulatedHidraw>(testbed_, *keyboard_usb_, 2, nodes[0], *keyboard_,
                                                 sim::Link::kCable);
    }

    void TearDown() override {
        headset_node_.reset();
        vendor_.reset();
        boot_.reset();
        if (testbed_ != nullptr) g_object_unref(testbed_);
    }

    void AddHeadset() {
        headset_ = std::make_unique<sim::SimDevice>(sim::ModelTableFor(sim::DeviceKind::kHeadset));
        headset_->SetPlugged(sim::Link::kCable, true);
        const sim::ModelTable& t = headset_->Model().Table();
        headset_usb_ = std::make_unique<EmulatedUsbDevice>(testbed_, 2, t.vendor_id,
                                                           t.cable_product_id, t.cable_bcd);
        headset_node_ = std::make_unique<EmulatedHidraw>(testbed_, *headset_usb_, 1,
                                                         headset_->Nodes(sim::Link::kCable)[0],
                                                         *headset_, sim::Link::kCable);
    }

    void UnplugKeyboard() {
        vendor_->Unplug();
        boot_->Unplug();
        keyboard_usb_->Remove();
        keyboard_->SetPlugged(sim::Link::kCable, false);
    }

    UMockdevTestbed* testbed_ = nullptr;
    std::unique_ptr<sim::SimDevice> keyboard_;
    std::unique_ptr<EmulatedUsbDevice> keyboard_usb_;
    std::unique_ptr<EmulatedHidraw> vendor_;
    std::unique_ptr<EmulatedHidraw> boot_;
    std::unique_ptr<sim::SimDevice> headset_;
    std::unique_ptr<EmulatedUsbDevice> headset_usb_;
    std::unique_ptr<EmulatedHidraw> headset_node_;
};

std::vector<std::string> SortedPaths(HidInterface& hid) {
    std::vector<std::string> out;
    while (const char* p = hid.NextPath()) out.emplace_back(p);
    std::sort(out.begin(), out.end());
    return out;
}

TEST_F(HidrawUmockdevTest, EnumerationListsEachCollectionWithTheUsbIds) {
    AddHeadset();
    HidInterface hid;
    ASSERT_EQ(hid.Enumerate(), 1);
    EXPECT_EQ(SortedPaths(hid), (std::vector<std::string>{
                                    "hidraw:/dev/hidraw0#vid_320f&pid_505b&mi_01&col01",
                                    "hidraw:/dev/hidraw0#vid_320f&pid_505b&mi_01&col02",
                                    "hidraw:/dev/hidraw0#vid_320f&pid_505b&mi_01&col03",
                                    "hidraw:/dev/hidraw0#vid_320f&pid_505b&mi_01&col04",
                                    "hidraw:/dev/hidraw1#vid_0c76&pid_1630&mi_03",
                                    "hidraw:/dev/hidraw2#vid_320f&pid_505b&mi_00",
                                }));

    ASSERT_EQ(hid.Open(kCommandPath, true, true, true, false), 1)
        << static_cast<int>(hid.LastOpenError());
    EXPECT_EQ(hid.VendorId(), 0x320F);
    EXPECT_EQ(hid.ProductId(), 0x505B);
    EXPECT_EQ(hid.VersionNumber(), keyboard_->Model().Table().cable_bcd);  // bcdDevice
    EXPECT_NE(hid.VersionNumber(), 0);
    EXPECT_EQ(hid.UsagePage(), 0xFF1C);
    EXPECT_EQ(hid.Usage(), 0x92);
    EXPECT_EQ(hid.InputReportLength(), 64);
    EXPECT_EQ(hid.OutputReportLength(), 64);
    EXPECT_EQ(hid.InterfaceNumber(), 1);
    EXPECT_EQ(hid.CollectionNumber(), 4);

    HidInterface headset;
    ASSERT_EQ(headset.Open(kHeadsetPath, true, true, true, false), 1);
    EXPECT_EQ(headset.VersionNumber(), headset_->Model().Table().cable_bcd);
    EXPECT_EQ(headset.UsagePage(), 0x000C);
    EXPECT_EQ(headset.CollectionNumber(), 0);
}

TEST_F(HidrawUmockdevTest, CommandExchangesRoundTripThroughTheFirmwareModel) {
    HidInterface hid;
    ASSERT_EQ(hid.Open(kCommandPath, true, true, true, false), 1);

    const Exchange info = Send(hid, CommandPacket(0x03, 34));  // read the information block
    ASSERT_EQ(info.written, 1);
    ASSERT_EQ(info.read, 1);
    ASSERT_EQ(info.answer.size(), 64u);
    EXPECT_EQ(info.answer[0], 0x04);
    EXPECT_EQ(info.answer[3], 0x03);
    EXPECT_EQ(info.answer[7], 0x00);
    const auto block = keyboard_->Model().InfoBlock();
    EXPECT_TRUE(std::equal(block.begin(), block.end(), info.answer.begin() + 8));

    const Exchange begin = Send(hid, CommandPacket(0x01));
    ASSERT_EQ(begin.read, 1);
    EXPECT_EQ(begin.answer[3], 0x01);
    EXPECT_EQ(begin.answer[7], 0x00);
    EXPECT_TRUE(keyboard_->Model().InConfiguration());

    Bytes bad = CommandPacket(0x02);
    bad[1] ^= 0xFF;  // a checksum the device refuses
    const Exchange refused = Send(hid, bad);
    ASSERT_EQ(refused.read, 1);
    EXPECT_EQ(refused.answer[7], 0xFF);
    EXPECT_TRUE(keyboard_->Model().InConfiguration());

    // Each write reached the device as one whole report.
    EXPECT_EQ(vendor_->Written(),
              (std::vector<Bytes>{CommandPacket(0x03, 34), CommandPacket(0x01), bad}));
}

TEST_F(HidrawUmockdevTest, ReportsStaySeparateAndGoToTheirCollection) {
    HidInterface notify;
    ASSERT_EQ(notify.Open(kNotifyPath, true, true, true, false), 1);
    // Queued back to back: a notification, a command-collection report, another
    // notification (profile changes pressed on the device).
    auto first = keyboard_->PressProfile(1);
    ASSERT_TRUE(first.has_value());
    vendor_->Deliver(*first);
    Bytes command(64, 0x77);
    command[0] = 0x04;
    vendor_->Deliver({sim::Link::kCable, sim::kVendorInterface, command});
    auto second = keyboard_->PressProfile(2);
    ASSERT_TRUE(second.has_value());
    vendor_->Deliver(*second);

    uint8_t buf[64] = {};
    size_t got = 0;
    ASSERT_EQ(notify.Read(buf, sizeof buf, &got, 1000), 1);
    EXPECT_EQ(got, 3u);
    notify.UnpackInputReport(buf, got);
    EXPECT_EQ(notify.FirstInputUsage(), 0x1001);
    // The command report is not the consumer collection's: it is dropped on the way.
    ASSERT_EQ(notify.Read(buf, sizeof buf, &got, 1000), 1);
    EXPECT_EQ(got, 3u);
    notify.UnpackInputReport(buf, got);
    EXPECT_EQ(notify.FirstInputUsage(), 0x1002);
    EXPECT_EQ(notify.Read(buf, sizeof buf, &got, 100), 0);
}

TEST_F(HidrawUmockdevTest, SilentNodeTimesOutAndCloseEndsAnUnboundedRead) {
    HidInterface hid;
    ASSERT_EQ(hid.Open(kCommandPath, true, true, true, false), 1);
    uint8_t buf[64];
    size_t got = 0;
    const auto start = Clock::now();
    EXPECT_EQ(hid.Read(buf, sizeof buf, &got, 200), 0);
    EXPECT_GE(Clock::now() - start, 200ms);

    auto reader = std::async(std::launch::async, [&] {
        uint8_t b[64];
        size_t n = 0;
        return hid.Read(b, sizeof b, &n, kInfiniteTimeout);
    });
    std::this_thread::sleep_for(50ms);
    hid.Close();
    ASSERT_EQ(reader.wait_for(5s), std::future_status::ready) << "read still waiting";
    EXPECT_EQ(reader.get(), 0);
}

TEST_F(HidrawUmockdevTest, UnplugEndsAWaitingReadAndTheNextOpenFails) {
    HidInterface hid;
    ASSERT_EQ(hid.Open(kCommandPath, true, true, true, false), 1);
    auto reader = std::async(std::launch::async, [&] {
        uint8_t b[64];
        size_t n = 0;
        return hid.Read(b, sizeof b, &n, kInfiniteTimeout);
    });
    std::this_thread::sleep_for(50ms);
    UnplugKeyboard();
    ASSERT_EQ(reader.wait_for(5s), std::future_status::ready) << "read still waiting";
    EXPECT_EQ(reader.get(), 0);

    // Everything on the stale descriptor fails at once rather than waiting.
    uint8_t buf[64];
    size_t got = 0;
    const Bytes packet = CommandPacket(0x01);
    EXPECT_EQ(hid.Write(packet.data(), packet.size(), &got, 1000), 0);
    EXPECT_EQ(hid.Read(buf, sizeof buf, &got, kInfiniteTimeout), 0);

    HidInterface again;
    EXPECT_EQ(again.Open(kCommandPath, true, true, true, false), 0);
    EXPECT_EQ(again.LastOpenError(), hid::OpenError::kNotFound);
    ASSERT_EQ(again.Enumerate(), 1);
    EXPECT_EQ(again.NextPath(), nullptr);
}

TEST_F(HidrawUmockdevTest, ExclusiveOpenKeepsOtherOpenersOut) {
    HidInterface first;
    HidInterface second;
    ASSERT_EQ(first.Open(kCommandPath, true, true, true, false), 1);
    ASSERT_EQ(second.Open(kNotifyPath, true, true, true, false), 1);  // shared with shared
    HidInterface exclusive;
    EXPECT_EQ(exclusive.Open(kCommandPath, true, true, true, true), 0);
    EXPECT_EQ(exclusive.LastOpenError(), hid::OpenError::kBusy);
    first.Close();
    second.Close();

    ASSERT_EQ(exclusive.Open(kCommandPath, true, true, true, true), 1);
    EXPECT_EQ(first.Open(kNotifyPath, true, true, true, false), 0);
    EXPECT_EQ(first.LastOpenError(), hid::OpenError::kBusy);
    exclusive.Close();
    EXPECT_EQ(first.Open(kNotifyPath, true, true, true, false), 1);
}

TEST_F(HidrawUmockdevTest, OpenHonoursAccessAndRefusesOtherFiles) {
    HidInterface reader;
    ASSERT_EQ(reader.Open(kCommandPath, true, false, true, false), 1);
    const Bytes packet = CommandPacket(0x01);
    size_t put = 0;
    EXPECT_EQ(reader.Write(packet.data(), packet.size(), &put, 1000), 0);
    EXPECT_TRUE(vendor_->Written().empty());

    // Neither access: enough for the attributes, as the scanner needs.
    HidInterface probe;
    ASSERT_EQ(probe.Open(kCommandPath, false, false, true, false), 1);
    EXPECT_EQ(probe.ProductId(), 0x505B);

    HidInterface other;
    EXPECT_EQ(other.Open("hidraw:/etc/passwd#vid_0000&pid_0000&mi_00", true, true, true, false), 0);
    EXPECT_EQ(other.LastOpenError(), hid::OpenError::kNotFound);
    EXPECT_EQ(
        other.Open("hidraw:/dev/hidraw9#vid_320f&pid_505b&mi_01&col04", true, true, true, false),
        0);
    EXPECT_EQ(other.LastOpenError(), hid::OpenError::kNotFound);
    // The node exists but holds another interface than the path names.
    EXPECT_EQ(
        other.Open("hidraw:/dev/hidraw2#vid_320f&pid_505b&mi_01&col04", true, true, true, false),
        0);
    EXPECT_EQ(other.LastOpenError(), hid::OpenError::kNotFound);
}

// The command exchange on real hidraw reads: an answer that comes after the first read's
// time-out is taken by the second, and an answer the device sent twice is not taken for
// the next packet's.
TEST_F(HidrawUmockdevTest, CommandExchangesTakeLateAnswersAndLeaveStaleOnesBehind) {
    const Bytes a(8, 0xA1), b(8, 0xB2);
    ASSERT_TRUE(keyboard_->Model().WriteSettingsBytes(40, a));
    ASSERT_TRUE(keyboard_->Model().WriteSettingsBytes(80, b));
    CommandChannel channel;
    ASSERT_EQ(channel.CableInterface().Open(kCommandPath, true, true, true, false), 1);
    channel.SetMode(kModeCable);
    channel.SetOpen(true);
    ASSERT_TRUE(keyboard_->ArmFault(sim::FaultKind::kLateAnswer, 1, 1200ms));
    Bytes data(8, 0);
    ASSERT_EQ(channel.ReadSettings(40, data), kCmdOk);
    EXPECT_EQ(data, a);

    // The emulated node queues both answers at once, so the copy waits by the time the
    // first is read.
    ASSERT_TRUE(keyboard_->ArmFault(sim::FaultKind::kDoubleAnswer, 1));
    ASSERT_EQ(channel.ReadSettings(40, data), kCmdOk);
    ASSERT_EQ(channel.ReadSettings(80, data), kCmdOk);
    EXPECT_EQ(data, b);
    channel.SetOpen(false);
    channel.CableInterface().Close();
}

TEST_F(HidrawUmockdevTest, HeadsetTakesItsLedReportAndAnswersCommands) {
    AddHeadset();
    HidInterface hid;
    ASSERT_EQ(hid.Open(kHeadsetPath, true, true, true, false), 1);
    Bytes led(17, 0);
    led[0] = sim::kHeadsetLedReportId;
    led[1] = 0x22;  // target
    led[2] = 0xAA;  // first block of the first colour channel
    for (size_t i = 4; i < 11; ++i) led[i] = static_cast<uint8_t>(0x10 * (i - 3));
    EXPECT_EQ(hid.SetOutputReport(led.data(), led.size()), 1);
    ASSERT_TRUE(WaitFor([&] { return headset_->Model().LedReportsAccepted() == 1; }));
    const auto leds = headset_->Model().HeadsetLeds(0x22);
    ASSERT_FALSE(leds.empty());
    EXPECT_EQ(leds[0][0], 0x10);
    EXPECT_EQ(headset_node_->Written(), std::vector<Bytes>{led});

    const Exchange info = Send(hid, CommandPacket(0x03, 34));
    ASSERT_EQ(info.read, 1);
    EXPECT_EQ(info.answer[3], 0x03);
    EXPECT_EQ(info.answer[7], 0x00);
}

// The scanner over hidraw. umockdev sends "add" for a device it creates and nothing when
// it removes one; a monitor that has seen no event yet is not trusted, so a scanner
// started after the fixture's nodes were made polls until an event arrives.
class HidrawScannerTest : public HidrawUmockdevTest {
  protected:
    void TearDown() override {
        scanner_.Stop();
        HidrawUmockdevTest::TearDown();
    }
    DeviceSlotList slots_;
    test::ScanRecorder events_;
    DeviceScanner scanner_{slots_, events_};
};

TEST_F(HidrawScannerTest, WithoutUdevEventsNodesAreFoundAndLostByPolling) {
    scanner_.Start();
    ASSERT_TRUE(events_.WaitArrived({0, 1}));
    EXPECT_EQ(slots_.Slot(0).path, kCommandPath);
    EXPECT_EQ(slots_.Slot(1).path, kNotifyPath);
    UnplugKeyboard();  // no event: only the presence check can notice
    EXPECT_TRUE(events_.WaitRemoved({0, 1}));
    EXPECT_TRUE(slots_.IsFree(0));
}

TEST_F(HidrawScannerTest, OnceUdevEventsArriveARemovalIsFoundFromThemAlone) {
    scanner_.Start();
    ASSERT_TRUE(events_.WaitArrived({0, 1}));
    AddHeadset();  // its "add" event: from now on events are trusted
    ASSERT_TRUE(events_.WaitArrived({10}));
    // Gone without an event: nothing polls and nothing opens the bound nodes again, so
    // it stays bound, where polling would have unbound it within a pass.
    UnplugKeyboard();
    std::this_thread::sleep_for(3 * DeviceScanner::kPassInterval);
    EXPECT_FALSE(slots_.IsFree(0));
    // The next event lists the nodes again: the keyboard's are missing.
    headset_node_->SendEvent("change");
    EXPECT_TRUE(events_.WaitRemoved({0, 1}));
    EXPECT_FALSE(slots_.IsFree(10));
}

// The calling thread, and the threads it starts, lose the capabilities that let root open
// any file, so that a node's mode refuses root too; restored at the end.
class WithoutFileAccessOverride {
  public:
    WithoutFileAccessOverride() {
        if (syscall(SYS_capget, &header_, saved_) != 0) return;
        __user_cap_data_struct reduced[2] = {saved_[0], saved_[1]};
        reduced[0].effective &= ~((1u << CAP_DAC_OVERRIDE) | (1u << CAP_DAC_READ_SEARCH));
        dropped_ = syscall(SYS_capset, &header_, reduced) == 0;
    }
    ~WithoutFileAccessOverride() {
        if (dropped_) (void)syscall(SYS_capset, &header_, saved_);
    }
    WithoutFileAccessOverride(const WithoutFileAccessOverride&) = delete;
    WithoutFileAccessOverride& operator=(const WithoutFileAccessOverride&) = delete;
    [[nodiscard]] bool Dropped() const { return dropped_ || geteuid() != 0; }

  private:
    __user_cap_header_struct header_{_LINUX_CAPABILITY_VERSION_3, 0};
    __user_cap_data_struct saved_[2]{};
    bool dropped_ = false;
};

TEST_F(HidrawUmockdevTest, ANodeThisUserMayNotOpenIsToldOnceAndBoundWhenAllowed) {
    const std::string node = vendor_->NodeFile();
    ASSERT_EQ(::chmod(node.c_str(), 0), 0);
    {
        WithoutFileAccessOverride no_override;
        ASSERT_TRUE(no_override.Dropped());
        HidInterface probe;
        EXPECT_EQ(probe.Open(kCommandPath, true, false, true, false), 0);
        EXPECT_EQ(probe.LastOpenError(), hid::OpenError::kAccessDenied);

        DeviceSlotList slots;
        test::ScanRecorder events;
        DeviceScanner scanner(slots, events);
        scanner.Start();
        ASSERT_TRUE(events.WaitDenied(2));
        EXPECT_EQ(events.Denied(), (std::vector<std::string>{kNotifyPath, kCommandPath}));
        EXPECT_TRUE(slots.IsFree(0));
        // The rule installed and applied: the mode changes, no node comes or goes.
        ASSERT_EQ(::chmod(node.c_str(), 0666), 0);
        EXPECT_TRUE(events.WaitArrived({0, 1}));
        scanner.Stop();
        EXPECT_EQ(events.Denied().size(), 2u);
    }
}

}  // namespace
}  // namespace dz
