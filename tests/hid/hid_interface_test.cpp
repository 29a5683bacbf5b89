#include "device/hid_interface.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <future>
#include <thread>

#include "fake_backend.h"
#include "platform/log/debug_log.h"
#include "sim/report_descriptors.h"

namespace dz {
namespace {

using Bytes = std::vector<uint8_t>;
using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

constexpr const char* kCommandPath = "fake:kb#vid_320f&pid_505b&mi_01&col04";
constexpr const char* kNotifyPath = "fake:kb#vid_320f&pid_505b&mi_01&col03";
constexpr const char* kHeadsetPath = "fake:hs#vid_0c76&pid_1630&mi_03";
constexpr const char* kBootPath = "fake:boot#vid_320f&pid_505b&mi_00";

Bytes Report(uint8_t id, size_t length, uint8_t fill = 0) {
    Bytes r(length, fill);
    r[0] = id;
    return r;
}

// Registers a fake backend for the test's lifetime (hidraw is off: DOZADIR_NO_HIDRAW=1).
class HidInterfaceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        backend_ = std::make_shared<test::FakeBackend>();
        hid::BackendRegistry::Instance().Add(backend_);
    }
    void TearDown() override { hid::BackendRegistry::Instance().Remove(backend_.get()); }

    std::shared_ptr<test::FakeNode> AddKeyboard() {
        return backend_->AddNode("kb", 0x320F, 0x505B, 1, sim::VendorInterfaceDescriptor(), 0x0102);
    }
    std::shared_ptr<test::FakeNode> AddHeadset() {
        return backend_->AddNode("hs", 0x0C76, 0x1630, 3, sim::HeadsetInterfaceDescriptor());
    }

    std::shared_ptr<test::FakeBackend> backend_;
};

std::vector<std::string> AllPaths(HidInterface& hid) {
    std::vector<std::string> out;
    while (const char* p = hid.NextPath()) out.emplace_back(p);
    return out;
}

TEST_F(HidInterfaceTest, EnumerateListsEveryCollectionAndSkipsBrokenDescriptors) {
    AddKeyboard();
    AddHeadset();
    const Bytes broken = {0x05, 0x01, 0xA1, 0x01};  // collection never closed
    backend_->AddNode("bad", 0x320F, 0x1004, 1, broken);

    std::vector<std::string> lines;
    log::SetSink([&](std::string_view l) { lines.emplace_back(l); });
    HidInterface hid;
    EXPECT_EQ(hid.Enumerate(), 1);
    log::SetSink({});

    EXPECT_EQ(AllPaths(hid), (std::vector<std::string>{
                                 "fake:kb#vid_320f&pid_505b&mi_01&col01",
                                 "fake:kb#vid_320f&pid_505b&mi_01&col02",
                                 "fake:kb#vid_320f&pid_505b&mi_01&col03",
                                 "fake:kb#vid_320f&pid_505b&mi_01&col04",
                                 "fake:hs#vid_0c76&pid_1630&mi_03",
                             }));
    EXPECT_EQ(hid.NextPath(), nullptr);
    ASSERT_EQ(lines.size(), 1u);
    EXPECT_NE(lines[0].find("fake:bad"), std::string::npos) << lines[0];

    // Enumerating again starts the list over.
    EXPECT_EQ(hid.Enumerate(), 1);
    ASSERT_NE(hid.NextPath(), nullptr);
    hid.ReleaseList();
    EXPECT_EQ(hid.NextPath(), nullptr);
}

TEST_F(HidInterfaceTest, EnumerateWithoutNodesIsAnEmptySuccess) {
    HidInterface hid;
    EXPECT_EQ(hid.Enumerate(), 1);
    EXPECT_EQ(hid.NextPath(), nullptr);
}

TEST_F(HidInterfaceTest, OpenFillsAttributesCapsAndNumbers) {
    AddKeyboard();
    HidInterface hid;
    ASSERT_EQ(hid.Open(kCommandPath, true, true, true, false), 1);
    EXPECT_TRUE(hid.IsOpen());
    EXPECT_EQ(hid.VendorId(), 0x320F);
    EXPECT_EQ(hid.ProductId(), 0x505B);
    EXPECT_EQ(hid.VersionNumber(), 0x0102);
    EXPECT_EQ(hid.UsagePage(), 0xFF1C);
    EXPECT_EQ(hid.Usage(), 0x92);
    EXPECT_EQ(hid.InputReportLength(), 64);
    EXPECT_EQ(hid.OutputReportLength(), 64);
    EXPECT_EQ(hid.FeatureReportLength(), 0);
    EXPECT_EQ(hid.InterfaceNumber(), 1);
    EXPECT_EQ(hid.CollectionNumber(), 4);
    EXPECT_EQ(hid.Path(), kCommandPath);
    ASSERT_NE(hid.InputReportBuffer(), nullptr);
    EXPECT_EQ(hid.InputReportBuffer()[63], 0);
    EXPECT_EQ(hid.LastOpenError(), hid::OpenError::kNone);

    ASSERT_EQ(hid.Open(kNotifyPath, true, true, true, false), 1);  // reopen closes first
    EXPECT_EQ(hid.UsagePage(), 0x000C);
    EXPECT_EQ(hid.InputReportLength(), 3);
    hid.Close();
    EXPECT_FALSE(hid.IsOpen());
    EXPECT_EQ(hid.InputReportBuffer(), nullptr);
    hid.Close();  // closing twice is harmless
}

TEST_F(HidInterfaceTest, OpenFailuresKeepTheReason) {
    AddKeyboard();
    backend_->AddNode("bad", 0x320F, 0x1004, 1, Bytes{0xC0});
    struct Case {
        const char* path;
        hid::OpenError error;
    };
    const Case cases[] = {
        {"nosuch:kb#vid_320f&pid_505b&mi_01&col04", hid::OpenError::kNotFound},
        {"no-scheme-or-ids", hid::OpenError::kNotFound},
        {"fake:gone#vid_320f&pid_505b&mi_01&col04", hid::OpenError::kNotFound},
        // The node now holds another device than the path names.
        {"fake:kb#vid_320f&pid_221c&mi_01&col04", hid::OpenError::kNotFound},
        {"fake:kb#vid_320f&pid_505b&mi_01&col05", hid::OpenError::kNotFound},
        {"fake:kb#vid_320f&pid_505b&mi_01", hid::OpenError::kNotFound},  // four collections
        {"fake:bad#vid_320f&pid_1004&mi_01", hid::OpenError::kFailed},
    };
    HidInterface hid;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.path);
        EXPECT_EQ(hid.Open(c.path, true, true, true, false), 0);
        EXPECT_FALSE(hid.IsOpen());
        EXPECT_EQ(hid.LastOpenError(), c.error);
    }
    backend_->FailOpensWith(hid::OpenError::kAccessDenied);
    EXPECT_EQ(hid.Open(kCommandPath, true, true, true, false), 0);
    EXPECT_EQ(hid.LastOpenError(), hid::OpenError::kAccessDenied);
}

TEST_F(HidInterfaceTest, EachCollectionReadsOnlyItsOwnReports) {
    auto node = AddKeyboard();
    HidInterface command;
    HidInterface notify;
    ASSERT_EQ(command.Open(kCommandPath, true, true, true, false), 1);
    ASSERT_EQ(notify.Open(kNotifyPath, true, true, true, false), 1);

    node->Send(Bytes{0x03, 0x01, 0x04});
    node->Send(Report(0x01, 17));
    node->Send(Report(0x04, 64, 0xAB));

    uint8_t buf[64] = {};
    size_t got = 0;
    ASSERT_EQ(command.Read(buf, sizeof buf, &got, 1000), 1);
    EXPECT_EQ(got, 64u);
    EXPECT_EQ(buf[0], 0x04);
    EXPECT_EQ(buf[63], 0xAB);

    ASSERT_EQ(notify.Read(buf, sizeof buf, &got, 1000), 1);
    EXPECT_EQ(buf[0], 0x03);
    EXPECT_EQ(buf[1], 0x01);
    EXPECT_EQ(buf[2], 0x04);
    EXPECT_EQ(got, 3u);
    // The keyboard and command reports went by; nothing more is for this collection.
    EXPECT_EQ(notify.Read(buf, sizeof buf, &got, 50), 0);
    EXPECT_EQ(got, 0u);
}

TEST_F(HidInterfaceTest, ShortReportsArePaddedToTheInputLength) {
    auto node = AddHeadset();
    HidInterface hid;
    ASSERT_EQ(hid.Open(kHeadsetPath, true, true, true, false), 1);
    node->Send(Bytes{0x01, 0x02});  // a media key: two bytes of a 64-byte collection
    uint8_t buf[64];
    std::fill(std::begin(buf), std::end(buf), 0xEE);
    size_t got = 0;
    ASSERT_EQ(hid.Read(buf, sizeof buf, &got, 1000), 1);
    EXPECT_EQ(got, 64u);
    EXPECT_EQ(buf[1], 0x02);
    EXPECT_EQ(buf[2], 0x00);
    EXPECT_EQ(buf[63], 0x00);
}

TEST_F(HidInterfaceTest, NodesWithoutReportIdsGetTheZeroIdByte) {
    auto node = backend_->AddNode("boot", 0x320F, 0x505B, 0, sim::BootKeyboardDescriptor());
    HidInterface hid;
    ASSERT_EQ(hid.Open(kBootPath, true, true, true, false), 1);
    EXPECT_EQ(hid.InputReportLength(), 9);
    node->Send(Bytes{0x02, 0x00, 0x04, 0, 0, 0, 0, 0});  // as hidraw gives it: no id
    uint8_t buf[9] = {};
    size_t got = 0;
    ASSERT_EQ(hid.Read(buf, sizeof buf, &got, 1000), 1);
    EXPECT_EQ(got, 9u);
    EXPECT_EQ(buf[0], 0x00);
    EXPECT_EQ(buf[1], 0x02);
    EXPECT_EQ(buf[3], 0x04);
    hid.UnpackInputReport(buf, got);
    ASSERT_FALSE(hid.InputUsageData().empty());
    EXPECT_EQ(hid.InputUsageData()[0].usages, (std::vector<uint16_t>{0xE1, 0}));
}

TEST_F(HidInterfaceTest, ReadTimesOutWithoutReturningEarlyAcrossForeignReports) {
    auto node = AddKeyboard();
    HidInterface hid;
    ASSERT_EQ(hid.Open(kCommandPath, true, true, true, false), 1);

    uint8_t buf[64];
    size_t got = 0;
    auto start = Clock::now();
    EXPECT_EQ(hid.Read(buf, sizeof buf, &got, 200), 0);
    EXPECT_GE(Clock::now() - start, 200ms);

    // Reports of another collection keep arriving: they neither end the wait nor
    // restart it (the feeder goes on far longer than the time-out).
    std::atomic<bool> stop{false};
    std::thread feeder([&] {
        const auto end = Clock::now() + 3s;
        while (!stop && Clock::now() < end) {
            node->Send(Bytes{0x03, 0x01, 0x04});
            std::this_thread::sleep_for(10ms);
        }
    });
    start = Clock::now();
    EXPECT_EQ(hid.Read(buf, sizeof buf, &got, 200), 0);
    const auto waited = Clock::now() - start;
    stop = true;
    feeder.join();
    EXPECT_GE(waited, 200ms);
    EXPECT_LT(waited, 2500ms);

    // Nothing is left outstanding: the next report is read normally.
    node->Send(Report(0x04, 64, 0x11));
    EXPECT_EQ(hid.Read(buf, sizeof buf, &got, 1000), 1);
    EXPECT_EQ(buf[1], 0x11);
}

// What the command channel relies on to take stale answers off before it writes.
TEST_F(HidInterfaceTest, AReadWithTimeOutZeroTakesWhatIsQueuedBehindOtherCollections) {
    auto node = AddKeyboard();
    HidInterface hid;
    ASSERT_EQ(hid.Open(kCommandPath, true, true, true, false), 1);
    node->Send(Bytes{0x03, 0x01, 0x04});
    node->Send(Report(0x01, 17));
    node->Send(Report(0x04, 64, 0x21));
    node->Send(Bytes{0x03, 0x02, 0x04});
    node->Send(Report(0x04, 64, 0x22));

    uint8_t buf[64];
    size_t got = 0;
    ASSERT_EQ(hid.Read(buf, sizeof buf, &got, 0), 1);
    EXPECT_EQ(buf[1], 0x21);
    ASSERT_EQ(hid.Read(buf, sizeof buf, &got, 0), 1);
    EXPECT_EQ(buf[1], 0x22);
    EXPECT_EQ(hid.Read(buf, sizeof buf, &got, 0), 0) << "nothing more is queued";
}

TEST_F(HidInterfaceTest, CloseFromAnotherThreadEndsAnUnboundedRead) {
    auto node = AddKeyboard();
    HidInterface hid;
    ASSERT_EQ(hid.Open(kNotifyPath, true, true, true, false), 1);
    std::atomic<bool> started{false};
    auto reader = std::async(std::launch::async, [&] {
        uint8_t buf[64];
        size_t got = 0;
        started = true;
        return hid.Read(buf, sizeof buf, &got, kInfiniteTimeout);
    });
    while (!started) std::this_thread::sleep_for(1ms);
    std::this_thread::sleep_for(50ms);
    hid.Close();
    ASSERT_EQ(reader.wait_for(5s), std::future_status::ready) << "read still waiting";
    EXPECT_EQ(reader.get(), 0);
    // The connection is released once the read has let go of it.
    EXPECT_EQ(node->OpenCount(), 0u);
}

TEST_F(HidInterfaceTest, RemovalEndsAWaitingReadAndLaterOpensFail) {
    auto node = AddKeyboard();
    HidInterface hid;
    ASSERT_EQ(hid.Open(kCommandPath, true, true, true, false), 1);
    auto reader = std::async(std::launch::async, [&] {
        uint8_t buf[64];
        size_t got = 0;
        return hid.Read(buf, sizeof buf, &got, kInfiniteTimeout);
    });
    std::this_thread::sleep_for(20ms);
    node->Remove();
    ASSERT_EQ(reader.wait_for(5s), std::future_status::ready);
    EXPECT_EQ(reader.get(), 0);
    uint8_t packet[64] = {0x04};
    size_t put = 0;
    EXPECT_EQ(hid.Write(packet, sizeof packet, &put, 1000), 0);
    HidInterface again;
    EXPECT_EQ(again.Open(kCommandPath, true, true, true, false), 0);
    EXPECT_EQ(again.LastOpenError(), hid::OpenError::kNotFound);
}

TEST_F(HidInterfaceTest, WritesGoOutOnlyAsThisCollectionsOutputReports) {
    auto node = AddKeyboard();
    HidInterface command;
    ASSERT_EQ(command.Open(kCommandPath, true, true, true, false), 1);
    const Bytes packet = Report(0x04, 64, 0x5A);
    size_t put = 0;
    EXPECT_EQ(command.Write(packet.data(), packet.size(), &put, 1000), 1);
    EXPECT_EQ(put, 64u);
    const Bytes foreign = Report(0x01, 2);  // the keyboard LED report of col01
    EXPECT_EQ(command.Write(foreign.data(), foreign.size(), &put, 1000), 0);
    EXPECT_EQ(put, 0u);
    const Bytes too_long = Report(0x04, 65);
    EXPECT_EQ(command.Write(too_long.data(), too_long.size(), &put, 1000), 0);

    HidInterface notify;  // the consumer collection has no output report at all
    ASSERT_EQ(notify.Open(kNotifyPath, true, true, true, false), 1);
    EXPECT_EQ(notify.Write(packet.data(), packet.size(), &put, 1000), 0);
    EXPECT_EQ(node->Written(), std::vector<Bytes>{packet});
}

TEST_F(HidInterfaceTest, AnswerSurvivesAQueueFullOfOtherCollectionsReports) {
    auto node = AddKeyboard();
    HidInterface command;
    ASSERT_EQ(command.Open(kCommandPath, true, true, true, false), 1);
    // While the command interface sits idle, an earlier answer and then a burst of
    // keyboard reports fill its queue.
    node->Send(Report(0x04, 64, 0xAA));
    for (size_t i = 1; i < test::FakeNode::kQueueLimit; ++i) node->Send(Report(0x01, 17));

    const Bytes packet = Report(0x04, 64);
    size_t put = 0;
    ASSERT_EQ(command.Write(packet.data(), packet.size(), &put, 1000), 1);
    node->Send(Report(0x04, 64, 0x55));  // the device answers

    uint8_t buf[64];
    size_t got = 0;
    ASSERT_EQ(command.Read(buf, sizeof buf, &got, 1000), 1);
    EXPECT_EQ(buf[1], 0xAA);  // the earlier report of this collection is not lost
    ASSERT_EQ(command.Read(buf, sizeof buf, &got, 1000), 1);
    EXPECT_EQ(buf[1], 0x55);
}

TEST_F(HidInterfaceTest, SetOutputReportSendsTheHeadsetLedReport) {
    auto node = AddHeadset();
    HidInterface hid;
    ASSERT_EQ(hid.Open(kHeadsetPath, true, true, true, false), 1);
    Bytes led = Report(sim::kHeadsetLedReportId, 17);
    for (size_t i = 1; i < led.size(); ++i) led[i] = static_cast<uint8_t>(i);
    EXPECT_EQ(hid.SetOutputReport(led.data(), led.size()), 1);
    EXPECT_EQ(node->Written(), std::vector<Bytes>{led});
    const Bytes not_output = Report(0x01, 2);  // an input-only id of the headset
    EXPECT_EQ(hid.SetOutputReport(not_output.data(), not_output.size()), 0);
}

TEST_F(HidInterfaceTest, UnpackGivesTheNotificationUsage) {
    auto node = AddKeyboard();
    HidInterface hid;
    ASSERT_EQ(hid.Open(kNotifyPath, true, true, true, false), 1);
    ASSERT_EQ(hid.InputUsageData().size(), 1u);
    EXPECT_FALSE(hid.InputUsageData()[0].set);

    node->Send(Bytes{0x03, 0x01, 0x04});
    uint8_t buf[64];
    size_t got = 0;
    ASSERT_EQ(hid.Read(buf, sizeof buf, &got, 1000), 1);
    hid.UnpackInputReport(buf, got);
    const HidUsageData& item = hid.InputUsageData()[0];
    EXPECT_TRUE(item.set);
    EXPECT_TRUE(item.is_button);
    EXPECT_EQ(item.report_id, 3);
    EXPECT_EQ(item.usage_page, 0x0C);
    EXPECT_EQ(item.usage_capacity, 1u);
    EXPECT_EQ(item.usages, std::vector<uint16_t>{0x0401});
    EXPECT_EQ(item.status, 0);
    EXPECT_EQ(hid.FirstInputUsage(), 0x0401);

    // A report of another id leaves the item as it was.
    const Bytes other = {0x04, 0x10, 0x11};
    hid.UnpackInputReport(other.data(), other.size());
    EXPECT_EQ(hid.FirstInputUsage(), 0x0401);
    // The idle report clears the list: it ends with the 0 usage.
    const Bytes idle = {0x03, 0x00, 0x00};
    hid.UnpackInputReport(idle.data(), idle.size());
    EXPECT_EQ(hid.InputUsageData()[0].usages, std::vector<uint16_t>{0});
    EXPECT_EQ(hid.FirstInputUsage(), 0);
}

TEST_F(HidInterfaceTest, UnpackValueItemsAndMediaKeys) {
    AddHeadset();
    HidInterface hid;
    ASSERT_EQ(hid.Open(kHeadsetPath, true, true, true, false), 1);
    const auto& items = hid.InputUsageData();
    // Three media-key buttons, then the command value usage.
    ASSERT_EQ(items.size(), 4u);
    EXPECT_TRUE(items[0].is_button);
    EXPECT_EQ(items[0].usage_min, 0xE9);
    EXPECT_EQ(items[0].usage_capacity, 3u);
    EXPECT_FALSE(items[3].is_button);
    EXPECT_EQ(items[3].usage, 0x01);

    Bytes keys(64, 0);
    keys[0] = 0x01;
    keys[1] = 0x06;  // 0xEA and 0xE2
    hid.UnpackInputReport(keys.data(), keys.size());
    EXPECT_EQ(items[0].usages, (std::vector<uint16_t>{0}));  // 0xE9 is not on
    EXPECT_EQ(items[1].usages, (std::vector<uint16_t>{0xEA, 0}));
    EXPECT_EQ(items[2].usages, (std::vector<uint16_t>{0xE2, 0}));
    EXPECT_FALSE(items[3].set);

    Bytes command = Report(0x04, 64);
    command[1] = 0xC8;
    hid.UnpackInputReport(command.data(), command.size());
    EXPECT_TRUE(items[3].set);
    EXPECT_EQ(items[3].raw_value, 0xC8);
    EXPECT_EQ(items[3].scaled_value, 0xC8);
}

// Run under ThreadSanitizer: a reader, a writer and a closer on one interface.
TEST_F(HidInterfaceTest, ConcurrentReadWriteAndCloseAreRaceFree) {
    auto node = AddKeyboard();
    for (int round = 0; round < 20; ++round) {
        HidInterface hid;
        ASSERT_EQ(hid.Open(kCommandPath, true, true, true, false), 1);
        std::atomic<int> reads{0};
        std::thread reader([&] {
            uint8_t buf[64];
            size_t got = 0;
            while (hid.Read(buf, sizeof buf, &got, kInfiniteTimeout) == 1) {
                ++reads;
                hid.UnpackInputReport(buf, got);
            }
        });
        std::thread writer([&] {
            const Bytes packet = Report(0x04, 64);
            size_t put = 0;
            while (hid.Write(packet.data(), packet.size(), &put, 100) == 1) {
                node->Send(Report(0x04, 64, 1));
                std::this_thread::yield();
            }
        });
        std::this_thread::sleep_for(5ms);
        (void)hid.FirstInputUsage();
        (void)hid.InputReportLength();
        hid.Close();
        reader.join();
        writer.join();
        EXPECT_FALSE(hid.IsOpen());
    }
    EXPECT_EQ(node->OpenCount(), 0u);
}

}  // namespace
}  // namespace dz
