// The mouse's transfers against the emulator, packet by packet: the opening read, the page
// read back, the settings page, the shooting patterns and the power bytes, on the cable and
// through the receiver, and what each answers when the device misbehaves.
#include "models/mouse_io.h"

#include <gtest/gtest.h>

#include <chrono>
#include <numeric>

#include "device/command_path.h"
#include "device/emulated_device.h"
#include "macro/macro_event.h"
#include "models/macro_image.h"
#include "models/macro_upload.h"
#include "models/mouse_shoot.h"
#include "sim/model_tables.h"
#include "support/temp_folder.h"

namespace dz {
namespace {

using sim::DeviceKind;
using sim::FaultKind;
using sim::Link;

struct Pkt {
    uint8_t command;
    uint8_t length;
    uint16_t offset;
    friend bool operator==(const Pkt&, const Pkt&) = default;
};
std::ostream& operator<<(std::ostream& o, const Pkt& p) {
    return o << "{0x" << std::hex << int(p.command) << std::dec << ", " << int(p.length) << " @"
             << p.offset << "}";
}

class MouseIoTest : public test::EmulatedDeviceTest {
  protected:
    void TearDown() override {
        CloseCommandPaths(channel_);
        EmulatedDeviceTest::TearDown();
    }
    void Open(Link link) {
        ASSERT_TRUE(emu_.Plug(DeviceKind::kMouse, link));
        ASSERT_EQ(OpenCommandPath(channel_, CommandPath(DeviceKind::kMouse, link),
                                  link == Link::kReceiver),
                  1);
        emu_.Traffic().Clear();
    }
    std::vector<Pkt> Packets() const {
        std::vector<Pkt> out;
        for (const auto& e : Sent())
            out.push_back({e.bytes[3], e.bytes[4], uint16_t(e.bytes[5] | (e.bytes[6] << 8))});
        return out;
    }
    sim::FirmwareModel& Model() { return emu_.Model(DeviceKind::kMouse); }

    CommandChannel channel_;
};

TEST_F(MouseIoTest, TheOpeningReadOverTheCable) {
    Open(Link::kCable);
    const MouseTables t = ReadMouseTables(channel_);
    ASSERT_EQ(t.transfer.result, kCmdOk);
    EXPECT_EQ(Packets(),
              (std::vector<Pkt>{{0x01, 0, 0}, {0x03, 34, 0}, {0x07, 48, 0}, {0x02, 0, 0}}));
    EXPECT_EQ(t.info, Model().InfoBlock());
    EXPECT_EQ(t.key_count, 16);
    EXPECT_EQ(channel_.KeyTableSize(), 48) << "the map transfers carry key count × 3 bytes";
    const auto map = Model().KeyMap();
    EXPECT_TRUE(std::equal(map.begin(), map.end(), t.button_map.begin()));
    EXPECT_EQ(t.button_slots, (ButtonSlotMap{0, 1, 2, 4, 3, 5, 6, 7, 8, 9, 10}));
    EXPECT_FALSE(Model().InConfiguration()) << "the transfer is closed";
}

TEST_F(MouseIoTest, TheOpeningReadThroughTheReceiverAsksForTheLinkFirst) {
    Open(Link::kReceiver);
    const MouseTables t = ReadMouseTables(channel_);
    ASSERT_EQ(t.transfer.result, kCmdOk);
    EXPECT_EQ(Packets(), (std::vector<Pkt>{{0xAA, 0, 0},
                                           {0x01, 0, 0},
                                           {0x03, 24, 0},
                                           {0x03, 10, 24},
                                           {0x07, 24, 0},
                                           {0x07, 24, 24},
                                           {0x02, 0, 0}}));

    emu_.SetLinked(DeviceKind::kMouse, false);
    emu_.Traffic().Clear();
    const MouseTables unlinked = ReadMouseTables(channel_);
    EXPECT_EQ(unlinked.transfer.result, kCmdNoExchange);
    EXPECT_FALSE(unlinked.info_read);
    EXPECT_EQ(Packets(), (std::vector<Pkt>{{0xAA, 0, 0}})) << "nothing but the link query";
}

TEST_F(MouseIoTest, AButtonMapWithoutAFactoryFunctionLeavesThatButtonAbsent) {
    Open(Link::kCable);
    ASSERT_TRUE(Model().SetKeySlot(9, {0x20, 0x00, 0x04}));  // button 9's slot holds "A"
    const MouseTables t = ReadMouseTables(channel_);
    ASSERT_EQ(t.transfer.result, kCmdOk);
    EXPECT_EQ(t.button_slots[9], kNoButtonSlot);
    EXPECT_EQ(t.button_slots[10], 10);
}

TEST_F(MouseIoTest, AKeyCountWhoseMapWouldExceed512BytesStopsBeforeTheMap) {
    Open(Link::kCable);
    auto info = Model().InfoBlock();
    info[kMouseInfoKeySlots] = 171;  // 513 bytes
    Model().SetInfoBlock(info);
    const MouseTables t = ReadMouseTables(channel_);
    EXPECT_NE(t.transfer.result, kCmdOk);
    EXPECT_TRUE(t.info_read);
    EXPECT_EQ(t.button_slots, NoButtonSlots());
    EXPECT_EQ(CountCommand(Sent(), 0x07), 0u);
    EXPECT_EQ(Packets().back(), (Pkt{0x02, 0, 0})) << "the mouse is not left in a transfer";
    EXPECT_EQ(channel_.KeyTableSize(), 512) << "a refused size leaves the channel's";
}

TEST_F(MouseIoTest, TheCurrentProfilesPageIsReadAfterTheProfileNumber) {
    Open(Link::kCable);
    ASSERT_TRUE(Model().SetCurrentProfile(3));
    const MousePageRead r = ReadCurrentMousePage(channel_);
    ASSERT_EQ(r.result, kCmdOk);
    EXPECT_EQ(r.profile, 3);
    EXPECT_EQ(Packets(), (std::vector<Pkt>{{0x05, 1, 0}, {0x05, 56, 384}, {0x05, 15, 440}}));
    const auto page = Model().ProfileSettings(3);
    EXPECT_TRUE(std::equal(r.page.begin(), r.page.end(), page.begin()));
}

TEST_F(MouseIoTest, ASettingsPageIsWrittenAtItsProfileBetweenBeginAndEnd) {
    for (Link link : {Link::kCable, Link::kReceiver}) {
        SCOPED_TRACE(sim::LinkName(link));
        CloseCommandPaths(channel_);
        Open(link);
        MousePageBytes page{};
        std::iota(page.begin(), page.end(), uint8_t{1});
        page[0] = 0;  // the profile in use
        const auto before = Model().SettingsArea();
        const DeviceTransfer t = WriteMouseSettingsPage(channel_, 0, page);
        EXPECT_TRUE(t.Ok());
        const std::vector<Pkt> want =
            link == Link::kCable
                ? std::vector<Pkt>{{0x01, 0, 0}, {0x06, 56, 0}, {0x06, 10, 56}, {0x02, 0, 0}}
                : std::vector<Pkt>{{0xAA, 0, 0},   {0x01, 0, 0},   {0x06, 24, 0},
                                   {0x06, 24, 24}, {0x06, 18, 48}, {0x02, 0, 0}};
        EXPECT_EQ(Packets(), want);
        const auto after = Model().SettingsArea();
        EXPECT_TRUE(std::equal(page.begin(), page.end(), after.begin()));
        EXPECT_TRUE(std::equal(after.begin() + 66, after.end(), before.begin() + 66))
            << "bytes 66 and on stay as they were";
    }
}

TEST_F(MouseIoTest, ShootingPatternsGoIn56ByteChunksEvenThroughTheReceiver) {
    test::TempFolder folder;
    std::vector<MacroEvent> bullet;
    for (int i = 0; i < 30 * 6; ++i)
        bullet.push_back(
            {i % 2 == 0 ? 1 : 4, i % 7, i % 3 == 0 ? "down" : "up", std::to_string(i)});
    ASSERT_TRUE(SaveEvents(folder / ShootFileName(0), "gun 0", "g0", bullet));
    ASSERT_TRUE(
        SaveEvents(folder / ShootFileName(2), "gun 2", "g2", {bullet.begin(), bullet.begin() + 6}));
    // gun 1's file is missing and gun 3's is not JSON: entries without events
    {
        std::ofstream broken(folder / ShootFileName(3));
        broken << "{ not json";
    }
    const std::vector<uint8_t> image = BuildShootImage(folder.path());
    const std::vector<std::vector<MacroEvent>> entries{
        bullet, {}, {bullet.begin(), bullet.begin() + 6}, {}};
    EXPECT_EQ(image, BuildMacroImage(entries));
    EXPECT_EQ(image.size(), 16u + 6 * 4 + 4 * (180 + 6));

    Open(Link::kReceiver);
    const DeviceTransfer t = WriteShootImage(channel_, image);
    EXPECT_TRUE(t.Ok());
    std::vector<Pkt> want{{0xAA, 0, 0}, {0x01, 0, 0}};
    for (size_t at = 0; at < image.size(); at += 56)
        want.push_back({0x17, uint8_t(std::min<size_t>(56, image.size() - at)), uint16_t(at)});
    want.push_back({0x02, 0, 0});
    EXPECT_EQ(Packets(), want);
    const auto memory = Model().ShootImage();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), memory.begin()));

    emu_.Traffic().Clear();
    const std::vector<uint8_t> huge(0x10000, 0);
    EXPECT_FALSE(WriteShootImage(channel_, huge).Ok());
    EXPECT_TRUE(Packets().empty()) << "an image its header cannot describe is not sent";
}

TEST_F(MouseIoTest, PowerBytesSayWhichPathTheyCameOn) {
    Open(Link::kReceiver);
    MousePowerRead r = ReadMousePower(channel_);
    ASSERT_EQ(r.result, kCmdOk);
    EXPECT_EQ(r.bytes[0], 72);
    EXPECT_EQ(r.bytes[3], 1);
    CloseCommandPaths(channel_);
    Open(Link::kCable);
    r = ReadMousePower(channel_);
    ASSERT_EQ(r.result, kCmdOk);
    EXPECT_EQ(r.bytes[3], 0);
    EXPECT_EQ(r.bytes[1], 1) << "charging on its cable";
}

TEST_F(MouseIoTest, AClosedChannelSendsNothing) {
    Open(Link::kCable);
    CloseCommandPaths(channel_);
    emu_.Traffic().Clear();
    EXPECT_EQ(ReadMouseTables(channel_).transfer.result, kCmdNoExchange);
    EXPECT_EQ(ReadCurrentMousePage(channel_).result, kCmdNoExchange);
    EXPECT_EQ(WriteMouseSettingsPage(channel_, 0, {}).result, kCmdNoExchange);
    EXPECT_EQ(WriteShootImage(channel_, std::vector<uint8_t>(20)).result, kCmdNoExchange);
    EXPECT_EQ(ReadMousePower(channel_).result, kCmdNoExchange);
    EXPECT_TRUE(Sent().empty());
}

// ---- Faults ----------------------------------------------------------------------------

// Every transfer with a fault at each of its packets: it ends within the time-outs of its
// packets, answers what the rules say, and the next one works again.
struct Operation {
    const char* name;
    int packets_cable;
    int packets_receiver;
    // Runs the transfer; true when it reported success.
    std::function<bool(CommandChannel&)> run;
};

std::vector<Operation> Operations() {
    return {
        {"opening read", 4, 7, [](CommandChannel& c) { return ReadMouseTables(c).transfer.Ok(); }},
        {"page read", 3, 5,
         [](CommandChannel& c) { return ReadCurrentMousePage(c).result == kCmdOk; }},
        {"settings page", 4, 6,
         [](CommandChannel& c) { return WriteMouseSettingsPage(c, 0, MousePageBytes{}).Ok(); }},
        {"shooting patterns", 3, 4,
         [](CommandChannel& c) { return WriteShootImage(c, std::vector<uint8_t>(40, 7)).Ok(); }},
        // The shared transfers with the mouse's reachability rule.
        {"button map", 4, 7,
         [](CommandChannel& c) {
             return WriteKeyTable(c, 0, std::vector<uint8_t>(48, 0x10), kMouseReachable).Ok();
         }},
        {"macros", 4, 8,
         [](CommandChannel& c) {
             MacroUpload upload;
             upload.list = MacroUpload::List::kRead;
             upload.entries = {{{10, 4, "down", "5"}, {10, 4, "up", "5"}}};  // 30 bytes
             const MacroWriteOutcome o = WriteMacroUpload(c, upload, kMouseReachable);
             return o.answer == kMacrosWritten && o.transfer.Ok();
         }},
    };
}

// A silent mouse costs two reads of this per packet here, not of 1 s (cable) or 5 s
// (receiver), so that every fault goes at every packet; the channel's own tests measure the
// real time-outs.
constexpr int kShortTimeoutMs = 30;

class MouseFaultTest : public MouseIoTest {
  protected:
    void SetUp() override {
        MouseIoTest::SetUp();
        channel_.SetTimeouts(kShortTimeoutMs, kShortTimeoutMs);
    }
    // Runs `op` with `fault` at packet `k`; answers the time it took.
    std::chrono::milliseconds Run(const Operation& op, FaultKind fault, int k, bool& ok) {
        EXPECT_TRUE(emu_.ArmFault(DeviceKind::kMouse, fault, k));
        const auto start = std::chrono::steady_clock::now();
        ok = op.run(channel_);
        const auto took = std::chrono::steady_clock::now() - start;
        emu_.ClearFaults(DeviceKind::kMouse);
        return std::chrono::duration_cast<std::chrono::milliseconds>(took);
    }
    // The device is as it was: plugged and linked, the channel open.
    void Restore(Link link) {
        CloseCommandPaths(channel_);
        emu_.SetLinked(DeviceKind::kMouse, true);
        Open(link);
    }
};

TEST_F(MouseFaultTest, EveryFaultAtEveryPacketOfEveryTransfer) {
    for (Link link : {Link::kCable, Link::kReceiver}) {
        Restore(link);
        for (const Operation& op : Operations()) {
            const int packets = link == Link::kCable ? op.packets_cable : op.packets_receiver;
            for (FaultKind fault :
                 {FaultKind::kStatusFF, FaultKind::kStatusFE, FaultKind::kDisconnect,
                  FaultKind::kNoAnswer, FaultKind::kWrongCode, FaultKind::kDoubleAnswer,
                  FaultKind::kLinkLost}) {
                for (int k = 1; k <= packets; ++k) {
                    SCOPED_TRACE(std::string(op.name) + " over the " + sim::LinkName(link) + ", " +
                                 sim::FaultName(fault) + " at packet " + std::to_string(k));
                    bool ok = false;
                    const auto took = Run(op, fault, k, ok);
                    // A lost device answers at once (unplugged, or 0xAA from the receiver);
                    // a silent one costs the two reads of one packet.
                    EXPECT_LT(took, std::chrono::milliseconds(500));
                    const bool harmless = fault == FaultKind::kDoubleAnswer ||
                                          (fault == FaultKind::kLinkLost && link == Link::kCable);
                    EXPECT_EQ(ok, harmless);
                    Restore(link);
                    EXPECT_TRUE(op.run(channel_)) << "the next transfer works again";
                }
            }
        }
    }
}

TEST_F(MouseFaultTest, AnAnswerThatNeverComesCostsTheTimeOutsOfOnePacket) {
    // One packet waits two reads; the rest of the transfer goes on or stops as the rules say.
    struct Case {
        Link link;
        int op;
        FaultKind fault;
        int k;
    };
    const auto ops = Operations();
    for (const Case& c : std::vector<Case>{
             {Link::kCable, 0, FaultKind::kNoAnswer, 2},  // the information block
             {Link::kCable, 2, FaultKind::kNoAnswer, 4},  // the closing command
             {Link::kCable, 1, FaultKind::kWrongCode, 1},
             {Link::kReceiver, 2, FaultKind::kNoAnswer, 3},  // a settings chunk
         }) {
        const Operation& op = ops[static_cast<size_t>(c.op)];
        SCOPED_TRACE(std::string(op.name) + " " + sim::FaultName(c.fault));
        Restore(c.link);
        bool ok = true;
        const auto took = Run(op, c.fault, c.k, ok);
        EXPECT_FALSE(ok);
        EXPECT_GE(took, std::chrono::milliseconds(kShortTimeoutMs)) << "it waited";
        EXPECT_LT(took, std::chrono::milliseconds(2 * kShortTimeoutMs + 1000));
        Restore(c.link);
        EXPECT_TRUE(op.run(channel_));
    }
}

}  // namespace
}  // namespace dz
