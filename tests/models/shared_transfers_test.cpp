// The transfers the keyboard and the mouse share, byte for byte against the emulator: the
// key-table write and the macro upload, with their reachability rules, capacity check and
// failures.
#include <gtest/gtest.h>

#include "channel_rig.h"
#include "models/device_exchange.h"
#include "models/macro_image.h"
#include "models/macro_upload.h"

namespace dz {
namespace {

using sim::DeviceKind;
using sim::FaultKind;
using sim::Link;

class SharedTransfersTest : public test::ChannelRig {};

std::vector<uint8_t> KeyboardTable() {
    std::vector<uint8_t> table(170 * 3);
    for (size_t i = 0; i < table.size(); ++i) table[i] = static_cast<uint8_t>(i * 7);
    return table;
}

TEST_F(SharedTransfersTest, KeyTableGoesBetweenBeginAndEndAfterTheInformationBlock) {
    Open(DeviceKind::kKeyboard);
    const std::vector<uint8_t> table = KeyboardTable();
    DeviceInfoBlock info{};
    const DeviceTransfer t = WriteKeyTable(channel_, 0, table, ChannelOpenRule, &info);
    EXPECT_TRUE(t.Ok());
    EXPECT_EQ(info[kInfoKeySlots], 170);
    std::vector<uint8_t> expected{CMD_READ_INFO, CMD_BEGIN};
    expected.insert(expected.end(), 10, CMD_WRITE_KEYMAP);  // 510 bytes, 56 a packet
    expected.push_back(CMD_END);
    EXPECT_EQ(Commands(), expected);
    EXPECT_EQ(DataOf(CMD_WRITE_KEYMAP), table);
    EXPECT_EQ(emu_.Model(DeviceKind::kKeyboard).KeyMap(), table);
}

TEST_F(SharedTransfersTest, KeyTableForAnotherPageOrOtherSlotsIsNotWritten) {
    Open(DeviceKind::kKeyboard);
    const std::vector<uint8_t> before = emu_.Model(DeviceKind::kKeyboard).KeyMap();
    // Page 1: the channel refuses the map; the exchange is still closed.
    DeviceTransfer t = WriteKeyTable(channel_, 1, KeyboardTable(), ChannelOpenRule);
    EXPECT_EQ(t.result, kCmdBadPage);
    EXPECT_EQ(t.failed_command, CMD_WRITE_KEYMAP);
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{CMD_READ_INFO, CMD_BEGIN, CMD_END}));

    // A table of other slots (or none: the keyboard's tables never read) is refused after
    // the block says how many slots the device has.
    for (const size_t size : {size_t{0}, size_t{126 * 3}}) {
        emu_.Traffic().Clear();
        t = WriteKeyTable(channel_, 0, std::vector<uint8_t>(size, 1), ChannelOpenRule);
        EXPECT_EQ(t.result, kCmdNoExchange) << size;
        EXPECT_NE(t.refused, nullptr);
        EXPECT_EQ(Commands(), (std::vector<uint8_t>{CMD_READ_INFO})) << size;
    }
    EXPECT_EQ(emu_.Model(DeviceKind::kKeyboard).KeyMap(), before);

    // A closed channel: nothing at all.
    channel_.SetOpen(false);
    emu_.Traffic().Clear();
    t = WriteKeyTable(channel_, 0, KeyboardTable(), ChannelOpenRule);
    EXPECT_EQ(t.result, kCmdNoExchange);
    EXPECT_TRUE(Commands().empty());
}

TEST_F(SharedTransfersTest, ThroughAReceiverTheLinkedRuleAsksTheLinkFirst) {
    Open(DeviceKind::kMouse, Link::kReceiver);
    std::vector<uint8_t> table = emu_.Model(DeviceKind::kMouse).KeyMap();
    table[0] = 0x13;
    EXPECT_TRUE(WriteKeyTable(channel_, 0, table, LinkedRule).Ok());
    EXPECT_EQ(Commands().front(), CMD_LINK_QUERY);
    EXPECT_EQ(emu_.Model(DeviceKind::kMouse).KeyMap(), table);

    emu_.SetLinked(DeviceKind::kMouse, false);
    emu_.Traffic().Clear();
    const DeviceTransfer t = WriteKeyTable(channel_, 0, table, LinkedRule);
    EXPECT_EQ(t.result, kCmdNoExchange);
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{CMD_LINK_QUERY})) << "nothing after the query";
}

TEST_F(SharedTransfersTest, ThreeMacrosOf10And0And4EventsAreA90ByteImage) {
    Open(DeviceKind::kKeyboard);
    WriteMacros({10, 0, 4});
    const std::vector<int> order{0, 1, 2};
    const MacroUpload upload = ReadMacroUpload(folder_.path(), order);
    ASSERT_EQ(upload.list, MacroUpload::List::kRead);
    EXPECT_EQ(upload.ImageSize(), 90u);
    const MacroWriteOutcome out = WriteMacroUpload(channel_, upload, ChannelOpenRule);
    EXPECT_EQ(out.answer, kMacrosWritten);
    EXPECT_TRUE(out.transfer.Ok());
    EXPECT_EQ(out.capacity, 32u * 128);
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{CMD_READ_INFO, CMD_BEGIN, CMD_WRITE_MACROS,
                                                CMD_WRITE_MACROS, CMD_END}));
    const std::vector<uint8_t> image = DataOf(CMD_WRITE_MACROS);
    EXPECT_EQ(image, BuildMacroImage(upload.entries));
    ASSERT_EQ(image.size(), 90u);
    const std::vector<uint8_t> memory = emu_.Model(DeviceKind::kKeyboard).MacroMemory();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), memory.begin()));
    // The image's events are the files' in the device form: macro 2's first event.
    const MacroEventCode first = ToDeviceCode(Events(1, 2)[0]);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), image.begin() + 16 + 6 + 4 + 40 + 4 + 4));
}

TEST_F(SharedTransfersTest, TheMacrosGoInTheOrderTheDeviceNumbersThem) {
    Open(DeviceKind::kKeyboard);
    WriteMacros({1, 2, 3});
    const std::vector<int> order{2, 0};
    const MacroUpload upload = ReadMacroUpload(folder_.path(), order);
    ASSERT_EQ(upload.entries.size(), 2u);
    EXPECT_EQ(upload.entries[0], Events(3, 2));
    EXPECT_EQ(upload.entries[1], Events(1, 0));
}

// The keyboard's 4096 bytes: 16 + 6 m + 4 e.
TEST_F(SharedTransfersTest, TheCapacityCheckCountsBytesAndAnswersTheShortageInEvents) {
    Open(DeviceKind::kKeyboard);
    struct Case {
        std::vector<size_t> events;
        int answer;
    };
    const Case cases[] = {
        {{1000, 17}, 0},  // 28 + 4068 = 4096: exactly full is sent
        {{1019}, 1},      // 4098: 2 bytes over
        {{1000, 18}, 2},  // 4100: 4 bytes over
        {{70000}, (16 + 6 + 280000 - 4096) / 4 + 1},
    };
    for (const Case& c : cases) {
        WriteMacros(c.events);
        std::vector<int> order;
        for (size_t i = 0; i < c.events.size(); ++i) order.push_back(static_cast<int>(i));
        emu_.Traffic().Clear();
        const MacroWriteOutcome out =
            WriteMacroUpload(channel_, ReadMacroUpload(folder_.path(), order), ChannelOpenRule);
        EXPECT_EQ(out.answer, c.answer) << out.image_size;
        EXPECT_EQ(CountCommand(Sent(), CMD_WRITE_MACROS) > 0, c.answer == 0) << out.image_size;
        EXPECT_EQ(CountCommand(Sent(), CMD_BEGIN) > 0, c.answer == 0)
            << "nothing when it does not fit";
    }
}

TEST_F(SharedTransfersTest, NothingToUploadAnswersZeroAndWritesNothing) {
    Open(DeviceKind::kKeyboard);
    const std::vector<uint8_t> before = emu_.Model(DeviceKind::kKeyboard).MacroMemory();
    const std::vector<int> one{0};
    // No list at all, a list that does not parse, no macro in use.
    MacroWriteOutcome out =
        WriteMacroUpload(channel_, ReadMacroUpload(folder_.path(), one), ChannelOpenRule);
    EXPECT_EQ(out.answer, kMacrosWritten);
    test::WriteText(folder_ / "macro.config", "{\"MacroInfo\": [");
    EXPECT_EQ(ReadMacroUpload(folder_.path(), one).list, MacroUpload::List::kUnreadable);
    EXPECT_EQ(CountMacros(folder_.path()), 0);
    WriteMacros({3});
    EXPECT_EQ(CountMacros(folder_.path()), 1);
    out = WriteMacroUpload(channel_, ReadMacroUpload(folder_.path(), {}), ChannelOpenRule);
    EXPECT_EQ(out.answer, kMacrosWritten);
    EXPECT_EQ(CountCommand(Sent(), CMD_WRITE_MACROS), 0u);
    EXPECT_EQ(CountCommand(Sent(), CMD_BEGIN), 0u);
    EXPECT_EQ(emu_.Model(DeviceKind::kKeyboard).MacroMemory(), before);

    // A closed channel reads and writes nothing.
    channel_.SetOpen(false);
    emu_.Traffic().Clear();
    out = WriteMacroUpload(channel_, ReadMacroUpload(folder_.path(), one), ChannelOpenRule);
    EXPECT_EQ(out.answer, kMacrosWritten);
    EXPECT_TRUE(Commands().empty());
}

TEST_F(SharedTransfersTest, MissingEmptyAndOutsideMacroFilesAreEntriesWithoutEvents) {
    Open(DeviceKind::kKeyboard);
    test::WriteJson(folder_ / "macro.config", test::J(R"({"MacroInfo": [
        {"MacroName": "gone", "Guid": "nowhere"},
        {"MacroName": "out", "Guid": "../outside"},
        {"MacroName": "empty", "Guid": "empty"},
        {"MacroName": "fine", "Guid": "fine"}]})"));
    test::WriteJson(folder_.path().parent_path() / "outside.mac",
                    test::J(R"({"Events": [{"Type": 10, "Button": 4, "Action": "down"}]})"));
    test::WriteText(folder_ / "empty.mac", "");
    WriteMacroFile("fine", Events(2));
    const std::vector<int> order{0, 1, 2, 3, 9};
    const MacroUpload upload = ReadMacroUpload(folder_.path(), order);
    ASSERT_EQ(upload.entries.size(), 5u);
    for (size_t i : {0, 1, 2, 4}) EXPECT_TRUE(upload.entries[i].empty()) << i;
    EXPECT_EQ(upload.entries[3].size(), 2u);
    EXPECT_EQ(WriteMacroUpload(channel_, upload, ChannelOpenRule).answer, kMacrosWritten);
    EXPECT_EQ(DataOf(CMD_WRITE_MACROS).size(), 16u + 5 * 6 + 8);
    std::filesystem::remove(folder_.path().parent_path() / "outside.mac");
}

TEST_F(SharedTransfersTest, AFailedPacketAnswersMinusOne) {
    Open(DeviceKind::kKeyboard);
    WriteMacros({100});
    const std::vector<int> order{0};
    const MacroUpload upload = ReadMacroUpload(folder_.path(), order);
    struct Case {
        FaultKind fault;
        int at;  // 1 info, 2 begin, 3.. the image, 10 end
        bool end_sent;
    };
    const Case cases[] = {
        {FaultKind::kStatusFF, 1, false},  {FaultKind::kStatusFE, 2, false},
        {FaultKind::kStatusFF, 4, true},   {FaultKind::kNoAnswer, 4, false},
        {FaultKind::kWrongCode, 3, false}, {FaultKind::kStatusFE, 11, true},
    };
    for (const Case& c : cases) {
        emu_.ClearFaults(DeviceKind::kKeyboard);
        ASSERT_TRUE(emu_.ArmFault(DeviceKind::kKeyboard, c.fault, c.at));
        emu_.Traffic().Clear();
        const MacroWriteOutcome out = WriteMacroUpload(channel_, upload, ChannelOpenRule);
        EXPECT_EQ(out.answer, kMacrosNotWritten) << sim::FaultName(c.fault) << " at " << c.at;
        EXPECT_EQ(CountCommand(Sent(), CMD_END) > 0, c.end_sent)
            << sim::FaultName(c.fault) << " at " << c.at;
    }
    // Unplugged in the middle: the rest is not sent.
    emu_.ClearFaults(DeviceKind::kKeyboard);
    ASSERT_TRUE(emu_.ArmFault(DeviceKind::kKeyboard, FaultKind::kDisconnect, 5));
    emu_.Traffic().Clear();
    EXPECT_EQ(WriteMacroUpload(channel_, upload, ChannelOpenRule).answer, kMacrosNotWritten);
    EXPECT_EQ(CountCommand(Sent(), CMD_END), 0u);
}

TEST_F(SharedTransfersTest, AMouseBehindItsReceiverWithoutLinkGetsNothing) {
    Open(DeviceKind::kMouse, Link::kReceiver);
    WriteMacros({4});
    const std::vector<int> order{0};
    const MacroUpload upload = ReadMacroUpload(folder_.path(), order);
    emu_.SetLinked(DeviceKind::kMouse, false);
    const MacroWriteOutcome out = WriteMacroUpload(channel_, upload, LinkedRule);
    EXPECT_EQ(out.answer, kMacrosWritten) << "unreachable before anything was read";
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{CMD_LINK_QUERY}));
    emu_.SetLinked(DeviceKind::kMouse, true);
    emu_.Traffic().Clear();
    EXPECT_EQ(WriteMacroUpload(channel_, upload, LinkedRule).answer, kMacrosWritten);
    EXPECT_EQ(CountCommand(Sent(), CMD_WRITE_MACROS), 2u) << "38 bytes, 24 a packet";
}

}  // namespace
}  // namespace dz
