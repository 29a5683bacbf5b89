// The mousepad's and the headset's lighting page against the emulator, packet by packet: the
// working page and its wire form, the page read back for every profile, a closed channel,
// the faults, and the headset's LED output reports byte for byte.
#include <gtest/gtest.h>

#include "models/headset_leds.h"
#include "models/lighting_page.h"
#include "models/channel_rig.h"
#include "sim/model_tables.h"

namespace dz {
namespace {

using sim::DeviceKind;
using sim::FaultKind;

// The pad's standard modes as "default_light.json" gives them, with codes that differ from
// the positions so that a mix-up shows.
std::vector<EffectListEntry> Modes() {
    std::vector<EffectListEntry> m;
    for (int i = 0; i < 9; ++i) m.push_back({"m" + std::to_string(i), true, 0x20 + i});
    return m;
}

LightingPageBytes Working(uint8_t mode, uint8_t speed) {
    LightingPageBytes w{};
    w[kLpMode] = mode;
    w[kLpBrightness] = 3;
    w[kLpSpeed] = speed;
    w[4] = 0x44;
    w[kLpMulticolour] = 1;
    w[kLpRed] = 10;
    w[kLpGreen] = 20;
    w[kLpBlue] = 30;
    for (size_t i = 9; i < w.size(); ++i) w[i] = static_cast<uint8_t>(0x90 + i);
    return w;
}

TEST(LightingPageEncoding, TheWireFormOfTheWorkingPage) {
    struct Case {
        uint8_t mode, speed, code, wire_speed;
    } cases[] = {
        {0, 4, 0x20, 0}, {3, 0, 0x23, 4}, {8, 2, 0x28, 2},
        {9, 1, 0x20, 3},   // a user light effect goes as standard mode 0
        {40, 9, 0x20, 0},  // beyond everything; a speed above 4 counts as 4
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.mode));
        const LightingPageBytes working = Working(c.mode, c.speed);
        const LightingPageBytes wire = EncodeLightingPage(working, Modes());
        EXPECT_EQ(wire[kLpMode], c.code);
        EXPECT_EQ(wire[kLpSpeed], c.wire_speed);
        for (size_t i : {size_t{0}, size_t{2}, size_t{4}, size_t{5}, size_t{6}, size_t{20}})
            EXPECT_EQ(wire[i], working[i]) << "byte " << i << " goes as it is";
    }
    // A list shorter than the index: mode 0's code; no list at all: 0.
    const std::vector<EffectListEntry> all = Modes();
    const std::vector<EffectListEntry> two(all.begin(), all.begin() + 2);
    EXPECT_EQ(EncodeLightingPage(Working(5, 0), two)[kLpMode], 0x20);
    EXPECT_EQ(EncodeLightingPage(Working(5, 0), {})[kLpMode], 0);
}

TEST(LightingPageEncoding, ReadingBackTurnsCodesIntoPositions) {
    std::array<uint8_t, kLightingPageReadSize> read{};
    read[kLpMode] = 0x26;
    read[kLpSpeed] = 1;
    read[9] = 0x77;
    LightingPageBytes w = DecodeLightingPage(read, 2, Modes());
    EXPECT_EQ(w[kLpProfile], 2);
    EXPECT_EQ(w[kLpMode], 6);
    EXPECT_EQ(w[kLpSpeed], 3);
    EXPECT_EQ(w[9], 0x77);
    // An unknown code stays as it is; zeros look up code 0 like any other (none here).
    read[kLpMode] = 0x55;
    EXPECT_EQ(DecodeLightingPage(read, 0, Modes())[kLpMode], 0x55);
    read.fill(0);
    w = DecodeLightingPage(read, 1, Modes());
    EXPECT_EQ(w[kLpMode], 0);
    EXPECT_EQ(w[kLpSpeed], 4);
}

class LightingPageIo : public test::ChannelRig {};

TEST_F(LightingPageIo, WritingMode9ToProfile0SendsStandardMode0Twice) {
    Open(DeviceKind::kMousepad);
    const LightingPageBytes working = Working(9, 1);
    const LightingPageBytes wire = EncodeLightingPage(working, Modes());
    ASSERT_TRUE(WriteLightingPage(channel_, 0, wire).Ok());
    ASSERT_TRUE(WriteLightingPage(channel_, 0, EncodeLightingPage(working, Modes())).Ok());
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{0x01, 0x06, 0x02, 0x01, 0x06, 0x02}));
    const std::vector<uint8_t> sent = DataOf(0x06);
    ASSERT_EQ(sent.size(), 2 * kLightingPageSize);
    EXPECT_EQ(std::vector<uint8_t>(sent.begin(), sent.begin() + 21),
              std::vector<uint8_t>(sent.begin() + 21, sent.end()))
        << "the working page keeps the index: the same page twice";
    EXPECT_EQ(sent[kLpMode], 0x20);
    const auto stored = emu_.Model(DeviceKind::kMousepad).ProfileSettings(0);
    EXPECT_EQ(std::vector<uint8_t>(stored.begin(), stored.begin() + 21),
              std::vector<uint8_t>(wire.begin(), wire.end()));
}

TEST_F(LightingPageIo, EveryProfileReadsBackWhatWasWrittenToIt) {
    for (DeviceKind kind : {DeviceKind::kMousepad, DeviceKind::kHeadset}) {
        SCOPED_TRACE(sim::KindName(kind));
        CloseCommandPaths(channel_);
        Open(kind);
        const int profiles = sim::ModelTableFor(kind).profiles;
        for (int p = 0; p < profiles; ++p) {
            LightingPageBytes wire = EncodeLightingPage(Working(static_cast<uint8_t>(p + 1), 2), Modes());
            wire[kLpProfile] = static_cast<uint8_t>(p);
            wire[12] = static_cast<uint8_t>(0xA0 + p);
            ASSERT_TRUE(WriteLightingPage(channel_, p, wire).Ok());
            const auto stored = emu_.Model(kind).ProfileSettings(p);
            EXPECT_EQ(std::vector<uint8_t>(stored.begin(), stored.begin() + 21),
                      std::vector<uint8_t>(wire.begin(), wire.end()))
                << "profile " << p << " lands in the device's own page";
        }
        for (int p = 0; p < profiles; ++p) {
            const LightingPageRead read = ReadLightingPage(channel_, p);
            ASSERT_EQ(read.page_result, kCmdOk);
            const LightingPageBytes back = DecodeLightingPage(read.bytes, p, Modes());
            EXPECT_EQ(back[kLpMode], p + 1) << "profile " << p;
            EXPECT_EQ(back[kLpSpeed], 2);
            EXPECT_EQ(back[12], 0xA0 + p) << "profile " << p << " is its own page";
        }
    }
}

TEST_F(LightingPageIo, TheCurrentProfileAndItsPage) {
    Open(DeviceKind::kMousepad);
    LightingPageBytes wire = EncodeLightingPage(Working(7, 3), Modes());
    wire[kLpProfile] = 2;
    ASSERT_TRUE(WriteLightingPage(channel_, 2, wire).Ok());
    // Byte 0 of the area says which profile the pad uses.
    ASSERT_TRUE(emu_.Model(DeviceKind::kMousepad).WriteSettingsBytes(0, std::vector<uint8_t>{2}));
    emu_.Traffic().Clear();
    const LightingPageRead read = ReadCurrentLightingPage(channel_, 0);
    EXPECT_EQ(read.profile, 2);
    EXPECT_EQ(Commands(), (std::vector<uint8_t>{0x05, 0x05}));
    const auto& sent = Sent(Node(kind_, link_));
    ASSERT_EQ(sent.size(), 2u);
    EXPECT_EQ(sent[1].bytes[4], kLightingPageReadSize);
    EXPECT_EQ(sent[1].bytes[5] | sent[1].bytes[6] << 8, 2 * 64) << "read where it was written";
    EXPECT_EQ(DecodeLightingPage(read.bytes, read.profile, Modes())[kLpMode], 7);
}

TEST_F(LightingPageIo, AClosedChannelReadsNothingAndKeepsTheProfile) {
    Open(DeviceKind::kMousepad);
    CloseCommandPaths(channel_);
    emu_.Traffic().Clear();
    const LightingPageRead read = ReadCurrentLightingPage(channel_, 2);
    EXPECT_TRUE(Sent().empty());
    EXPECT_EQ(read.profile, 2);
    const LightingPageBytes w = DecodeLightingPage(read.bytes, read.profile, Modes());
    LightingPageBytes expected{};
    expected[kLpProfile] = 2;
    expected[kLpSpeed] = 4;
    EXPECT_EQ(w, expected);
    // A write on a closed channel sends no BEGIN and reports that nothing was exchanged.
    EXPECT_FALSE(WriteLightingPage(channel_, 0, LightingPageBytes{}).Ok());
    EXPECT_TRUE(Sent().empty());
}

// Each fault at each packet: the transfer says so, and the next one works.
TEST_F(LightingPageIo, EveryFaultAtEveryPacket) {
    channel_.SetTimeouts(30, 30);
    struct Op {
        const char* name;
        int packets;
        std::function<bool(CommandChannel&)> run;
    };
    const std::vector<Op> ops = {
        {"page write", 3,
         [](CommandChannel& c) { return WriteLightingPage(c, 0, LightingPageBytes{}).Ok(); }},
        {"page read", 2,
         [](CommandChannel& c) {
             const LightingPageRead r = ReadCurrentLightingPage(c, 0);
             return r.profile_result == kCmdOk && r.page_result == kCmdOk;
         }},
    };
    for (DeviceKind kind : {DeviceKind::kMousepad, DeviceKind::kHeadset}) {
        CloseCommandPaths(channel_);
        Open(kind);
        for (const Op& op : ops)
            for (FaultKind fault : {FaultKind::kStatusFF, FaultKind::kStatusFE,
                                    FaultKind::kNoAnswer, FaultKind::kWrongCode,
                                    FaultKind::kDisconnect, FaultKind::kDoubleAnswer})
                for (int k = 1; k <= op.packets; ++k) {
                    SCOPED_TRACE(std::string(sim::KindName(kind)) + " " + op.name + " " +
                                 sim::FaultName(fault) + " at " + std::to_string(k));
                    ASSERT_TRUE(emu_.ArmFault(kind, fault, k));
                    const bool ok = op.run(channel_);
                    emu_.ClearFaults(kind);
                    EXPECT_EQ(ok, fault == FaultKind::kDoubleAnswer);
                    CloseCommandPaths(channel_);
                    Open(kind);
                    EXPECT_TRUE(op.run(channel_)) << "the next one works";
                }
    }
}

TEST_F(LightingPageIo, TheHeadsetsLedReportsByteForByte) {
    Open(DeviceKind::kHeadset);
    lighting::LedArray leds(13);
    for (size_t i = 0; i < 13; ++i)
        ASSERT_TRUE(leds.Set(i, {static_cast<uint8_t>(10 * i), static_cast<uint8_t>(255 - i),
                                 static_cast<uint8_t>(i), static_cast<uint8_t>(i == 3 ? 128 : 255)}));
    const HeadsetLedReports reports = BuildHeadsetLedReports(leds);
    // Red of LEDs 0..6 to 0x22: 10 i × 255 / 256, LED 3 at half.
    EXPECT_EQ(reports[0], (HeadsetLedReport{0xFF, 0x22, 0xAA, 0, 0, 9, 19, 15, 39, 49, 59, 0, 0,
                                            0, 0, 0, 0}));
    // Red of LEDs 7..12: six values, byte 10 stays 0.
    EXPECT_EQ(reports[1], (HeadsetLedReport{0xFF, 0x22, 0xAD, 0, 69, 79, 89, 99, 109, 119, 0, 0,
                                            0, 0, 0, 0, 0}));
    // Green is limited to 247: 255 × 255 / 256 = 254 becomes 247.
    EXPECT_EQ(reports[4], (HeadsetLedReport{0xFF, 0x22, 0xAB, 0, 247, 247, 247, 126, 247, 247,
                                            247, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(reports[11], (HeadsetLedReport{0xFF, 0x44, 0xAF, 0, 6, 7, 8, 9, 10, 11, 0, 0, 0, 0,
                                             0, 0, 0}));
    const std::pair<uint8_t, uint8_t> order[12] = {
        {0x22, 0xAA}, {0x22, 0xAD}, {0x44, 0xAA}, {0x44, 0xAD}, {0x22, 0xAB}, {0x22, 0xAE},
        {0x44, 0xAB}, {0x44, 0xAE}, {0x22, 0xAC}, {0x22, 0xAF}, {0x44, 0xAC}, {0x44, 0xAF}};
    for (size_t n = 0; n < 12; ++n) {
        EXPECT_EQ(reports[n][1], order[n].first) << n;
        EXPECT_EQ(reports[n][2], order[n].second) << n;
    }
    // Sent: the headset takes all twelve and shows the colours on both targets.
    ASSERT_EQ(SendHeadsetLedReports(channel_, reports), 1);
    const sim::FirmwareModel& model = emu_.Model(DeviceKind::kHeadset);
    EXPECT_EQ(model.LedReportsAccepted(), 12u);
    for (uint8_t target : {uint8_t{0x22}, uint8_t{0x44}}) {
        const auto shown = model.HeadsetLeds(target);
        ASSERT_EQ(shown.size(), 13u);
        EXPECT_EQ(shown[3][0], 15);
        EXPECT_EQ(shown[12][1], 242);
        EXPECT_EQ(shown[12][2], 11);
    }
    EXPECT_TRUE(Sent().empty()) << "no command packet";
    CloseCommandPaths(channel_);
    EXPECT_EQ(SendHeadsetLedReports(channel_, reports), 0);
}

TEST_F(LightingPageIo, TheHeadsetsPowerBytes) {
    Open(DeviceKind::kHeadset);
    const PowerRead read = ReadPowerBytes(channel_);
    ASSERT_EQ(read.result, kCmdOk);
    EXPECT_EQ(Commands(), std::vector<uint8_t>{0x1A});
    EXPECT_EQ(read.bytes[0], 100);
    EXPECT_EQ(read.bytes[3], 0) << "over the cable";
}

}  // namespace
}  // namespace dz
