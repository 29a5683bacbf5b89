// The real hidraw backend (libudev enumeration, sysfs descriptor, open/poll/read/
// write/flock on the node) under HidInterface, against nodes emulated with umockdev.
// Runs inside umockdev-wrapper.

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdlib>
#include <cstring>
#include <future>
#include <thread>

#include "device/hid_interface.h"
#include "emulated_hidraw.h"
#include "sim/report_descriptors.h"

namespace dz {
namespace {

using test::Bytes;
using test::EmulatedHidraw;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kCommandPath = "hidraw:/dev/hidraw0#vid_320f&pid_505b&mi_01&col04";
constexpr const char* kNotifyPath = "hidraw:/dev/hidraw0#vid_320f&pid_505b&mi_01&col03";
constexpr const char* kHeadsetPath = "hidraw:/dev/hidraw1#vid_0c76&pid_1630&mi_03";

Bytes CommandPacket(uint8_t code) {
    Bytes p(64, 0);
    p[0] = 0x04;
    p[3] = code;
    p[4] = 3;  // data length
    p[8] = 0x10;
    p[9] = 0x20;
    p[10] = 0x30;
    return p;
}

class HidrawUmockdevTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* preload = std::getenv("LD_PRELOAD");
        ASSERT_TRUE(preload != nullptr && std::strstr(preload, "umockdev") != nullptr)
            << "run this test under umockdev-wrapper";
        testbed_ = umockdev_testbed_new();
        keyboard_ = std::make_unique<EmulatedHidraw>(
            testbed_,
            EmulatedHidraw::Spec{0, 0x320F, 0x505B, 0x0102, 1, sim::VendorInterfaceDescriptor()},
            test::EchoCommand);
    }
    void TearDown() override {
        headset_.reset();
        keyboard_.reset();
        if (testbed_ != nullptr) g_object_unref(testbed_);
    }
    void AddHeadset() {
        headset_ = std::make_unique<EmulatedHidraw>(
            testbed_,
            EmulatedHidraw::Spec{1, 0x0C76, 0x1630, 0x0200, 3, sim::HeadsetInterfaceDescriptor()},
            nullptr);
    }

    UMockdevTestbed* testbed_ = nullptr;
    std::unique_ptr<EmulatedHidraw> keyboard_;
    std::unique_ptr<EmulatedHidraw> headset_;
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
                                }));

    ASSERT_EQ(hid.Open(kCommandPath, true, true, true, false), 1)
        << static_cast<int>(hid.LastOpenError());
    EXPECT_EQ(hid.VendorId(), 0x320F);
    EXPECT_EQ(hid.ProductId(), 0x505B);
    EXPECT_EQ(hid.VersionNumber(), 0x0102);  // bcdDevice
    EXPECT_EQ(hid.UsagePage(), 0xFF1C);
    EXPECT_EQ(hid.Usage(), 0x92);
    EXPECT_EQ(hid.InputReportLength(), 64);
    EXPECT_EQ(hid.OutputReportLength(), 64);
    EXPECT_EQ(hid.InterfaceNumber(), 1);
    EXPECT_EQ(hid.CollectionNumber(), 4);

    HidInterface headset;
    ASSERT_EQ(headset.Open(kHeadsetPath, true, true, true, false), 1);
    EXPECT_EQ(headset.VersionNumber(), 0x0200);
    EXPECT_EQ(headset.UsagePage(), 0x000C);
    EXPECT_EQ(headset.CollectionNumber(), 0);
}

TEST_F(HidrawUmockdevTest, CommandExchangeRoundTrips) {
    HidInterface hid;
    ASSERT_EQ(hid.Open(kCommandPath, true, true, true, false), 1);
    for (uint8_t code : {0x01, 0x03, 0x1A}) {
        SCOPED_TRACE(code);
        const Bytes packet = CommandPacket(code);
        size_t put = 0;
        ASSERT_EQ(hid.Write(packet.data(), packet.size(), &put, 1000), 1);
        EXPECT_EQ(put, 64u);
        uint8_t answer[64] = {};
        size_t got = 0;
        ASSERT_EQ(hid.Read(answer, sizeof answer, &got, 1000), 1);
        EXPECT_EQ(got, 64u);
        EXPECT_EQ(answer[0], 0x04);
        EXPECT_EQ(answer[3], code);
        EXPECT_EQ(answer[4], 3);
        EXPECT_EQ(answer[7], 0x00);
        EXPECT_EQ(answer[8], 0xEF);  // the device's answer, not the packet
        EXPECT_EQ(answer[10], 0xCF);
    }
    // Each write reached the device as one whole report.
    const auto written = keyboard_->Written();
    ASSERT_EQ(written.size(), 3u);
    EXPECT_EQ(written[1], CommandPacket(0x03));
}

TEST_F(HidrawUmockdevTest, ReportsStaySeparateAndGoToTheirCollection) {
    HidInterface notify;
    ASSERT_EQ(notify.Open(kNotifyPath, true, true, true, false), 1);
    // Two reports queued back to back: a notification and a command answer.
    keyboard_->SendInput(Bytes{0x03, 0x01, 0x04});
    Bytes answer(64, 0x77);
    answer[0] = 0x04;
    keyboard_->SendInput(answer);

    uint8_t buf[64] = {};
    size_t got = 0;
    ASSERT_EQ(notify.Read(buf, sizeof buf, &got, 1000), 1);
    EXPECT_EQ(got, 3u);
    notify.UnpackInputReport(buf, got);
    EXPECT_EQ(notify.FirstInputUsage(), 0x0401);
    // The command answer is not the consumer collection's: it is dropped.
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
    keyboard_->Unplug();
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
    EXPECT_TRUE(keyboard_->Written().empty());

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
}

}  // namespace
}  // namespace dz
