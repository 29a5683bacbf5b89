// The simulated transport: faults, plugging, aborts, latency and the traffic record.

#include <gtest/gtest.h>

#include <algorithm>
#include <future>
#include <thread>

#include "sim_test_util.h"

namespace dz::sim::test {
namespace {

using namespace std::chrono_literals;

// A write of one settings byte that a fault may or may not let through.
const Bytes kSettingsWrite = Cmd(0x06, 1, 130, {0x5A});

uint8_t SettingsByte130(Emulator& emu) {
    return emu.Model(DeviceKind::kMouse).SettingsArea()[130];
}

TEST_F(EmulatorTest, StatusFaultsAnswerTheirStatusAtTheArmedPacketOnly) {
    struct Case {
        FaultKind fault;
        uint8_t status;
    } cases[] = {{FaultKind::kStatusFF, 0xFF}, {FaultKind::kStatusFE, 0xFE}};
    Host host = Connect(DeviceKind::kMouse);
    for (const auto& c : cases) {
        const uint8_t before = SettingsByte130(emu);
        ASSERT_TRUE(emu.ArmFault(DeviceKind::kMouse, c.fault, 2));
        auto first = host.Exchange(Cmd(0x01));
        auto second = host.Exchange(kSettingsWrite);
        auto third = host.Exchange(Cmd(0x02));
        ASSERT_TRUE(first && second && third) << FaultName(c.fault);
        EXPECT_EQ((*first)[7], 0);
        EXPECT_EQ((*second)[3], 0x06);
        EXPECT_EQ((*second)[7], c.status) << FaultName(c.fault);
        EXPECT_TRUE(ChecksumOk(*second));
        EXPECT_EQ((*third)[7], 0);
        // A refused packet is not executed.
        EXPECT_EQ(SettingsByte130(emu), before) << FaultName(c.fault);
    }
}

TEST_F(EmulatorTest, NoAnswerFaultLetsTheReadTimeOut) {
    Host host = Connect(DeviceKind::kMouse);
    const uint8_t before = SettingsByte130(emu);
    ASSERT_TRUE(emu.ArmFault(DeviceKind::kMouse, FaultKind::kNoAnswer, 1));
    ASSERT_EQ(host.Write(kSettingsWrite), hid::IoResult::kOk);
    hid::IoResult result;
    EXPECT_FALSE(host.Read(50, &result));
    EXPECT_EQ(result, hid::IoResult::kTimeout);
    EXPECT_EQ(SettingsByte130(emu), before);
    // The next packet is answered again.
    auto r = host.Exchange(kSettingsWrite);
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[7], 0);
    EXPECT_EQ(SettingsByte130(emu), 0x5A);
}

TEST_F(EmulatorTest, WrongCodeFaultNamesAnotherCommand) {
    Host host = Connect(DeviceKind::kMouse);
    ASSERT_TRUE(emu.ArmFault(DeviceKind::kMouse, FaultKind::kWrongCode, 1));
    auto r = host.Exchange(kSettingsWrite);
    ASSERT_TRUE(r);
    EXPECT_NE((*r)[3], 0x06);
    EXPECT_NE((*r)[3], 0xAA);
    EXPECT_TRUE(ChecksumOk(*r));
    // Only one answer comes: a host that reads again times out.
    hid::IoResult result;
    EXPECT_FALSE(host.Read(20, &result));
    EXPECT_EQ(result, hid::IoResult::kTimeout);
    // The device did execute it.
    EXPECT_EQ(SettingsByte130(emu), 0x5A);
}

TEST_F(EmulatorTest, WrongCodeFaultNeverLooksLikeNotLinked) {
    Host rx = Connect(DeviceKind::kMouse, Link::kReceiver);
    ASSERT_TRUE(emu.ArmFault(DeviceKind::kMouse, FaultKind::kWrongCode, 1));
    Bytes packet = Cmd(0xA9);  // the code before 0xAA
    auto r = rx.Exchange(packet);
    ASSERT_TRUE(r);
    EXPECT_NE((*r)[3], 0xAA);
    EXPECT_NE((*r)[3], 0xA9);
}

// The answer is executed at once but arrives only after the delay; what the device says
// next waits behind it, as the device answers in order.
TEST_F(EmulatorTest, LateAnswerFaultHoldsTheAnswerBackAndWhatFollowsBehindIt) {
    Host host = Connect(DeviceKind::kMouse);
    EXPECT_FALSE(emu.ArmFault(DeviceKind::kMouse, FaultKind::kLateAnswer, 1))
        << "a late answer needs its delay";
    ASSERT_TRUE(emu.ArmFault(DeviceKind::kMouse, FaultKind::kLateAnswer, 1, 200ms));
    const auto start = std::chrono::steady_clock::now();
    ASSERT_EQ(host.Write(kSettingsWrite), hid::IoResult::kOk);
    EXPECT_EQ(SettingsByte130(emu), 0x5A) << "executed at once";
    hid::IoResult result;
    EXPECT_FALSE(host.Read(50, &result));
    EXPECT_EQ(result, hid::IoResult::kTimeout);
    ASSERT_EQ(host.Write(Cmd(0x01)), hid::IoResult::kOk);
    auto late = host.Read(5000);
    ASSERT_TRUE(late);
    EXPECT_GE(std::chrono::steady_clock::now() - start, 200ms);
    EXPECT_EQ((*late)[3], 0x06);
    auto next = host.Read(5000);
    ASSERT_TRUE(next);
    EXPECT_EQ((*next)[3], 0x01) << "the next answer came after the late one";
    bool noted = false;
    for (const auto& e : emu.Traffic().Entries())
        noted = noted || e.note.find("late answer (200 ms)") != std::string::npos;
    EXPECT_TRUE(noted) << emu.Traffic().Format();
}

TEST_F(EmulatorTest, FaultsAtOnePacketActTogether) {
    struct Case {
        std::vector<FaultKind> faults;
        std::vector<std::pair<uint8_t, uint8_t>> answers;  // command byte, status byte
    };
    const Case cases[] = {
        {{FaultKind::kDoubleAnswer}, {{0x06, 0x00}, {0x06, 0x00}}},
        {{FaultKind::kWrongCode, FaultKind::kDoubleAnswer}, {{0x07, 0x00}, {0x06, 0x00}}},
        {{FaultKind::kStatusFE, FaultKind::kDoubleAnswer}, {{0x06, 0xFE}, {0x06, 0xFE}}},
        {{FaultKind::kNoAnswer, FaultKind::kDoubleAnswer}, {}},
    };
    Host host = Connect(DeviceKind::kMouse);
    for (const Case& c : cases) {
        SCOPED_TRACE(FaultName(c.faults.front()) + std::string(" + ") + FaultName(c.faults.back()));
        for (FaultKind f : c.faults) ASSERT_TRUE(emu.ArmFault(DeviceKind::kMouse, f, 1));
        ASSERT_EQ(host.Write(kSettingsWrite), hid::IoResult::kOk);
        for (const auto& [command, status] : c.answers) {
            auto r = host.Read(1000);
            ASSERT_TRUE(r);
            EXPECT_EQ((*r)[3], command);
            EXPECT_EQ((*r)[7], status);
            EXPECT_TRUE(ChecksumOk(*r));
        }
        hid::IoResult result;
        EXPECT_FALSE(host.Read(20, &result)) << "no further answer";
        EXPECT_EQ(emu.Device(DeviceKind::kMouse).ArmedFaults(), 0u);
    }
}

TEST_F(EmulatorTest, DisconnectFaultUnplugsThePathThatCarriedThePacket) {
    Host cable = Connect(DeviceKind::kMouse, Link::kCable);
    Host listener = Connect(DeviceKind::kMouse, Link::kCable);
    Host rx = Connect(DeviceKind::kMouse, Link::kReceiver);
    ASSERT_TRUE(emu.ArmFault(DeviceKind::kMouse, FaultKind::kDisconnect, 2));
    ASSERT_TRUE(cable.Exchange(Cmd(0x01)));
    (void)listener.Read(1000);  // the BEGIN answer
    EXPECT_EQ(cable.Write(kSettingsWrite), hid::IoResult::kFailed);
    hid::IoResult result;
    EXPECT_FALSE(listener.Read(5000, &result));
    EXPECT_EQ(result, hid::IoResult::kFailed);
    EXPECT_FALSE(emu.Plugged(DeviceKind::kMouse, Link::kCable));
    EXPECT_FALSE(emu.Transport().HasNode("mouse/1"));
    EXPECT_FALSE(emu.Transport().HasNode("mouse/0"));
    // The receiver stays, and reaches the device.
    auto r = rx.Exchange(Cmd(0x03, 24, 0));
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[7], 0);
}

TEST_F(EmulatorTest, FaultsCountPacketsOfAllPathsFromArming) {
    Host cable = Connect(DeviceKind::kMouse, Link::kCable);
    Host rx = Connect(DeviceKind::kMouse, Link::kReceiver);
    ASSERT_TRUE(cable.Exchange(Cmd(0x01)));  // before arming: not counted
    EXPECT_FALSE(emu.ArmFault(DeviceKind::kMouse, FaultKind::kStatusFF, 0));
    ASSERT_TRUE(emu.ArmFault(DeviceKind::kMouse, FaultKind::kStatusFF, 3));
    auto a = rx.Exchange(Cmd(0xAA));
    auto b = cable.Exchange(Cmd(0x01));
    auto c = rx.Exchange(Cmd(0x01));
    auto d = cable.Exchange(Cmd(0x01));
    ASSERT_TRUE(a && b && c && d);
    EXPECT_EQ((*a)[7], 0);
    EXPECT_EQ((*b)[7], 0);
    EXPECT_EQ((*c)[7], 0xFF);
    EXPECT_EQ((*d)[7], 0);
    EXPECT_EQ(emu.Device(DeviceKind::kMouse).ArmedFaults(), 0u);

    ASSERT_TRUE(emu.ArmFault(DeviceKind::kMouse, FaultKind::kStatusFE, 1));
    emu.ClearFaults(DeviceKind::kMouse);
    auto e = cable.Exchange(Cmd(0x01));
    ASSERT_TRUE(e);
    EXPECT_EQ((*e)[7], 0);
}

TEST_F(EmulatorTest, UnplugEndsAWaitingReadAtOnce) {
    Host listener = Connect(DeviceKind::kKeyboard);
    ASSERT_TRUE(listener.Open());
    auto waiting = std::async(std::launch::async, [&] {
        hid::IoResult result = hid::IoResult::kOk;
        (void)listener.Read(-1, &result);
        return result;
    });
    // Let the reader block; it must be woken by the unplug (it has no time-out).
    ASSERT_EQ(waiting.wait_for(50ms), std::future_status::timeout);
    ASSERT_TRUE(emu.Unplug(DeviceKind::kKeyboard, Link::kCable));
    if (waiting.wait_for(10s) != std::future_status::ready) {
        listener.Conn().Abort();  // release the reader so that the test can end
        FAIL() << "the read still waits after the unplug";
    }
    EXPECT_EQ(waiting.get(), hid::IoResult::kFailed);
    // Every later call fails, the node is no longer listed and cannot be opened.
    EXPECT_EQ(listener.Write(Cmd(0x01)), hid::IoResult::kFailed);
    std::vector<hid::HidNodeInfo> nodes;
    ASSERT_TRUE(emu.Backend()->Enumerate(nodes));
    EXPECT_TRUE(std::none_of(nodes.begin(), nodes.end(),
                             [](const auto& n) { return n.node.rfind("keyboard/", 0) == 0; }));
    Host again(*emu.Backend(), "keyboard/1");
    EXPECT_FALSE(again.Open());
    EXPECT_EQ(again.Error(), hid::OpenError::kNotFound);

    // Plugged again: a new connection works, the old one stays dead.
    ASSERT_TRUE(emu.Plug(DeviceKind::kKeyboard, Link::kCable));
    Host fresh(*emu.Backend(), "keyboard/1");
    ASSERT_TRUE(fresh.Open());
    EXPECT_TRUE(fresh.Exchange(Cmd(0x01)));
    EXPECT_EQ(listener.Write(Cmd(0x01)), hid::IoResult::kFailed);
}

TEST_F(EmulatorTest, AbortWakesAWaitingReadAndFailsEveryLaterCall) {
    Host host = Connect(DeviceKind::kMouse);
    auto waiting = std::async(std::launch::async, [&] {
        hid::IoResult result = hid::IoResult::kOk;
        (void)host.Read(-1, &result);
        return result;
    });
    ASSERT_EQ(waiting.wait_for(50ms), std::future_status::timeout);
    host.Conn().Abort();
    if (waiting.wait_for(10s) != std::future_status::ready) {
        emu.Unplug(DeviceKind::kMouse, Link::kCable);  // release the reader
        FAIL() << "the read still waits after Abort";
    }
    EXPECT_EQ(waiting.get(), hid::IoResult::kAborted);
    EXPECT_EQ(host.Write(Cmd(0x01)), hid::IoResult::kAborted);
    hid::IoResult result;
    EXPECT_FALSE(host.Read(0, &result));
    EXPECT_EQ(result, hid::IoResult::kAborted);
    // Other connections of the node are not affected.
    Host other = Connect(DeviceKind::kMouse);
    EXPECT_TRUE(other.Exchange(Cmd(0x01)));
}

TEST_F(EmulatorTest, AbortEndsAWriteWaitingOutItsLatency) {
    emu.SetLatency(10s);
    Host host = Connect(DeviceKind::kMouse);
    auto writing = std::async(std::launch::async, [&] { return host.Write(Cmd(0x01), -1); });
    ASSERT_EQ(writing.wait_for(50ms), std::future_status::timeout);
    host.Conn().Abort();
    if (writing.wait_for(10s) != std::future_status::ready) {
        emu.Unplug(DeviceKind::kMouse, Link::kCable);  // release the writer
        FAIL() << "the write still waits after Abort";
    }
    EXPECT_EQ(writing.get(), hid::IoResult::kAborted);
    EXPECT_EQ(emu.Model(DeviceKind::kMouse).BeginCount(), 0u);
}

TEST(SimNodesTest, DefaultSetListsOneNodePerInterface) {
    Emulator emu;
    std::vector<hid::HidNodeInfo> nodes;
    ASSERT_TRUE(emu.Backend()->Enumerate(nodes));
    std::vector<std::string> ids;
    for (const auto& n : nodes) ids.push_back(n.node);
    std::sort(ids.begin(), ids.end());
    const std::vector<std::string> expected = {
        "headset/3", "keyboard/0", "keyboard/1", "mouse-receiver/0", "mouse-receiver/1",
        "mouse/0",   "mouse/1",    "mousepad/0", "mousepad/1"};
    EXPECT_EQ(ids, expected);
    EXPECT_EQ(emu.Backend()->Scheme(), "sim");
    for (const auto& n : nodes) {
        EXPECT_FALSE(n.report_descriptor.empty()) << n.node;
        if (n.node == "headset/3") {
            EXPECT_EQ(n.vendor_id, 0x0C76);
            EXPECT_EQ(n.product_id, 0x1630);
            EXPECT_EQ(n.interface_number, 3);
        }
    }
}

TEST_F(EmulatorTest, ExclusiveOpenKeepsOthersOut) {
    hid::HidNodeInfo info;
    hid::OpenError error;
    hid::OpenFlags exclusive;
    exclusive.exclusive = true;
    auto first = emu.Backend()->Open("mouse/1", exclusive, info, error);
    ASSERT_TRUE(first);
    EXPECT_FALSE(emu.Backend()->Open("mouse/1", hid::OpenFlags{}, info, error));
    EXPECT_EQ(error, hid::OpenError::kBusy);
    first.reset();
    EXPECT_TRUE(emu.Backend()->Open("mouse/1", hid::OpenFlags{}, info, error));
}

TEST_F(EmulatorTest, EachReportTakesOneLatencyOnItsNode) {
    emu.SetLatency(200ms);
    EXPECT_EQ(emu.RoundTrip(), 400ms);
    Host host = Connect(DeviceKind::kMouse);
    emu.Traffic().Clear();
    ASSERT_EQ(host.Write(Cmd(0x01)), hid::IoResult::kOk);
    // The answer is on its way, not there yet.
    hid::IoResult result;
    EXPECT_FALSE(host.Read(0, &result));
    EXPECT_EQ(result, hid::IoResult::kTimeout);
    EXPECT_TRUE(host.Read(5000));
    // Two notifications sent at once leave one latency apart.
    ASSERT_TRUE(emu.PressRaw(DeviceKind::kMouse, 0x0401));
    ASSERT_TRUE(emu.PressRaw(DeviceKind::kMouse, 0x0401));
    const auto entries = emu.Traffic().Entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_GE(entries[1].time - entries[0].time, 200ms);
    EXPECT_GE(entries[3].time - entries[2].time, 200ms);
}

TEST_F(EmulatorTest, TrafficRecordHoldsBothDirectionsInOrder) {
    Host host = Connect(DeviceKind::kMouse, Link::kReceiver);
    Host second = Connect(DeviceKind::kMouse, Link::kReceiver);
    emu.Traffic().Clear();
    const Bytes packet = Cmd(0x03, 24, 0);
    auto r = host.Exchange(packet);
    ASSERT_TRUE(r);
    ASSERT_TRUE(emu.PressRaw(DeviceKind::kMouse, 0x0403));  // cable carries it: another node

    const auto entries = emu.Traffic().Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0].node, "mouse-receiver/1");
    EXPECT_EQ(entries[0].direction, Direction::kOut);
    EXPECT_EQ(entries[0].bytes, packet);
    EXPECT_EQ(entries[1].node, "mouse-receiver/1");
    EXPECT_EQ(entries[1].direction, Direction::kIn);
    EXPECT_EQ(entries[1].bytes, *r);
    EXPECT_EQ(entries[1].receivers, 2u);
    EXPECT_LE(entries[0].time, entries[1].time);
    EXPECT_EQ(entries[2].node, "mouse/1");
    EXPECT_EQ(entries[2].bytes, (Bytes{3, 0x03, 0x04}));
    EXPECT_EQ(entries[2].receivers, 0u);
    EXPECT_EQ(emu.Traffic().EntriesFor("mouse/1").size(), 1u);

    const std::string text = emu.Traffic().Format();
    EXPECT_NE(text.find("mouse-receiver/1"), std::string::npos) << text;
    EXPECT_NE(text.find("READ_INFO"), std::string::npos) << text;
    EXPECT_NE(text.find("notification 0403"), std::string::npos) << text;
    EXPECT_NE(text.find("04 "), std::string::npos) << text;

    emu.Traffic().Clear();
    EXPECT_EQ(emu.Traffic().Size(), 0u);
}

TEST_F(EmulatorTest, TrafficRecordNotesFaultsAndUnlinkedAnswers) {
    Host rx = Connect(DeviceKind::kMouse, Link::kReceiver);
    emu.Traffic().Clear();
    ASSERT_TRUE(emu.ArmFault(DeviceKind::kMouse, FaultKind::kStatusFE, 1));
    ASSERT_TRUE(rx.Exchange(Cmd(0x01)));
    emu.SetLinked(DeviceKind::kMouse, false);
    ASSERT_TRUE(rx.Exchange(Cmd(0x01)));
    const auto entries = emu.Traffic().Entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0].note, "fault: status 0xFE");
    EXPECT_EQ(entries[2].note, "receiver: device not linked");
}

TEST(SimTrafficTest, FullRecordDropsTheOldestEntries) {
    TrafficRecord record(3);
    for (uint8_t i = 0; i < 5; ++i)
        record.Add({std::chrono::microseconds(i), "n", Direction::kOut, {i}, 0, {}});
    const auto entries = record.Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries.front().bytes, Bytes{2});
    EXPECT_EQ(record.Dropped(), 2u);
}

TEST_F(EmulatorTest, UnreadConnectionsKeepAtMostSixtyFourReports) {
    Host listener = Connect(DeviceKind::kMouse);
    for (int i = 0; i < 70; ++i)
        ASSERT_TRUE(emu.PressRaw(DeviceKind::kMouse, static_cast<uint16_t>(0x0500 + i)));
    int got = 0;
    uint16_t last = 0;
    while (auto r = listener.Read(0)) {
        ++got;
        last = static_cast<uint16_t>((*r)[1] | ((*r)[2] << 8));
    }
    EXPECT_EQ(got, 64);
    EXPECT_EQ(last, 0x0500 + 63);  // newer reports were dropped, as hidraw does
}

TEST_F(EmulatorTest, ControlsAreSafeWhileTheHostTalks) {
    // Runs under ThreadSanitizer in the sanitizer build: a host thread exchanging
    // packets while another thread plugs, links and presses.
    std::atomic<bool> stop{false};
    std::thread host_thread([&] {
        while (!stop) {
            Host host(*emu.Backend(), emu.CommandNode(DeviceKind::kMouse, Link::kReceiver));
            if (!host.Open()) continue;
            for (int i = 0; i < 20 && !stop; ++i) (void)host.Exchange(Cmd(0x03, 24, 0), 50);
        }
    });
    for (int i = 0; i < 50; ++i) {
        emu.SetLinked(DeviceKind::kMouse, i % 2 == 0);
        (void)emu.PressProfile(DeviceKind::kMouse, i % 5);
        (void)emu.ArmFault(DeviceKind::kMouse, FaultKind::kStatusFE, 2);
        if (i % 10 == 0) {
            (void)emu.Unplug(DeviceKind::kMouse, Link::kReceiver);
            (void)emu.Plug(DeviceKind::kMouse, Link::kReceiver);
        }
        (void)emu.Model(DeviceKind::kMouse).SettingsArea();
        std::this_thread::sleep_for(1ms);
    }
    stop = true;
    host_thread.join();
    EXPECT_EQ(emu.Model(DeviceKind::kMouse).CurrentProfile(), 49 % 5);
}

}  // namespace
}  // namespace dz::sim::test
