// Command packets against the firmware models, through connections of the
// simulated backend: the bytes a host sends and the bytes it gets back.

#include <gtest/gtest.h>

#include "sim/model_tables.h"
#include "sim_test_util.h"

namespace dz::sim::test {
namespace {

uint16_t Le16(const Bytes& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}

TEST(SimTablesTest, EveryKindsInfoBlockHoldsItsModelValues) {
    struct Case {
        DeviceKind kind;
        MouseSensor sensor;
        uint8_t slots, macro_units;
        uint16_t sensor_id;
        uint8_t dpi_step;
        uint16_t highest, lowest;
    } cases[] = {
        {DeviceKind::kKeyboard, MouseSensor::kStandard, 170, 32, 0, 0, 0, 0},
        {DeviceKind::kMouse, MouseSensor::kStandard, 16, 16, 0x3389, 50, 319, 100},
        {DeviceKind::kMouse, MouseSensor::k3325, 16, 16, 0x3325, 100, 74, 100},
        {DeviceKind::kMousepad, MouseSensor::kStandard, 0, 0, 0, 0, 0, 0},
        {DeviceKind::kHeadset, MouseSensor::kStandard, 0, 0, 0, 0, 0, 0},
    };
    for (const auto& c : cases) {
        EmulatorConfig config = EmulatorConfig::Default();
        config.mouse_sensor = c.sensor;
        Emulator emu(config);
        emu.SetLatency(std::chrono::microseconds(0));
        Host host(*emu.Backend(), emu.CommandNode(c.kind));
        ASSERT_TRUE(host.Open());
        auto info = host.ReadChunked(0x03, 0, 34);
        ASSERT_TRUE(info) << KindName(c.kind);
        EXPECT_EQ((*info)[5], c.slots) << KindName(c.kind);
        EXPECT_EQ((*info)[6], c.macro_units) << KindName(c.kind);
        if (c.kind == DeviceKind::kMouse) {
            EXPECT_EQ(Le16(*info, 9), c.sensor_id);
            EXPECT_EQ((*info)[11], c.dpi_step);
            EXPECT_EQ(Le16(*info, 12), c.highest);
            EXPECT_EQ(Le16(*info, 14), c.lowest);
        }
        // The node's bcdDevice is the firmware version the block starts with.
        EXPECT_EQ(Le16(*info, 0), host.Info().version) << KindName(c.kind);
    }
}

TEST_F(EmulatorTest, ResponseCarriesIdCommandStatusAndChecksum) {
    Host host = Connect(DeviceKind::kMouse);
    ASSERT_TRUE(host.Open());
    auto r = host.Exchange(Cmd(0x03, 34, 0));
    ASSERT_TRUE(r);
    EXPECT_EQ(r->size(), 64u);
    EXPECT_EQ((*r)[0], 4);
    EXPECT_EQ((*r)[3], 0x03);
    EXPECT_EQ((*r)[4], 34);
    EXPECT_EQ((*r)[7], 0);
    EXPECT_TRUE(ChecksumOk(*r));
    EXPECT_EQ((*r)[8 + 5], 16);  // key slots, from byte 8 on
}

TEST_F(EmulatorTest, InfoReadInReceiverChunksMatchesTheCableRead) {
    Host cable = Connect(DeviceKind::kMouse, Link::kCable);
    Host rx = Connect(DeviceKind::kMouse, Link::kReceiver);
    auto a = cable.ReadChunked(0x03, 0, 34, 56);
    auto b = rx.ReadChunked(0x03, 0, 34, 24);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(*a, *b);
    // Past the end of the block is an error.
    auto past = cable.Exchange(Cmd(0x03, 11, 24));
    ASSERT_TRUE(past);
    EXPECT_EQ((*past)[7], 0xFF);
}

TEST_F(EmulatorTest, BadRequestsAnswerStatusFFAndChangeNothing) {
    Host host = Connect(DeviceKind::kMouse);
    const Bytes before = emu.Model(DeviceKind::kMouse).SettingsArea();

    Bytes bad_sum = Cmd(0x06, 3, 200, {1, 2, 3});
    bad_sum[1] ^= 0x01;
    Bytes too_long = Cmd(0x06, 57, 200, Bytes(56, 7));
    struct Case {
        const char* what;
        Bytes packet;
    } cases[] = {
        {"bad checksum", bad_sum},
        {"unknown command", Cmd(0x42)},
        {"data length above 56", too_long},
        {"write past the settings area", Cmd(0x06, 4, 638, {1, 2, 3, 4})},
        {"current profile out of range", Cmd(0x06, 1, 0, {5})},
        {"command the mouse lacks (key colours)", Cmd(0x0B, 3, 0, {1, 2, 3})},
    };
    for (const auto& c : cases) {
        auto r = host.Exchange(c.packet);
        ASSERT_TRUE(r) << c.what;
        EXPECT_EQ((*r)[3], c.packet[3]) << c.what;
        EXPECT_EQ((*r)[7], 0xFF) << c.what;
        EXPECT_TRUE(ChecksumOk(*r)) << c.what;
    }
    EXPECT_EQ(emu.Model(DeviceKind::kMouse).SettingsArea(), before);
}

// Settings pages: where profile p's page lies and how long a host writes and reads it.
struct SettingsLayout {
    DeviceKind kind;
    int profiles;
    uint16_t stride;
    size_t write_len, read_len;
};

class SettingsPerProfile : public EmulatorTest,
                           public ::testing::WithParamInterface<SettingsLayout> {};

TEST_P(SettingsPerProfile, WriteThenReadBackEachProfile) {
    const SettingsLayout& l = GetParam();
    Host host = Connect(l.kind);
    ASSERT_TRUE(host.Open());
    for (int p = 0; p < l.profiles; ++p) {
        Bytes page(l.write_len);
        for (size_t i = 0; i < page.size(); ++i) page[i] = static_cast<uint8_t>(0x40 + p * 16 + i);
        page[0] = 0;  // byte 0 of page 0 is the current profile
        const uint16_t at = static_cast<uint16_t>(p * l.stride);
        ASSERT_EQ(host.WriteChunked(0x06, at, page), 0) << KindName(l.kind) << " profile " << p;
        auto back = host.ReadChunked(0x05, at, l.write_len);
        ASSERT_TRUE(back);
        EXPECT_EQ(*back, page) << KindName(l.kind) << " profile " << p;
        // The page as the host reads it back, and as the model keeps it.
        auto longer = host.ReadChunked(0x05, at, l.read_len);
        ASSERT_TRUE(longer) << "a read of " << l.read_len << " bytes fits";
        const Bytes kept = emu.Model(l.kind).ProfileSettings(p);
        EXPECT_TRUE(std::equal(page.begin(), page.end(), kept.begin()));
    }
    // Each write landed on its own page: profile 0 still holds what was written first.
    if (l.profiles > 1 && l.stride >= l.write_len) {
        auto first = host.ReadChunked(0x05, 1, 1);
        ASSERT_TRUE(first);
        EXPECT_EQ((*first)[0], 0x41);
    }
}

INSTANTIATE_TEST_SUITE_P(Kinds, SettingsPerProfile,
                         ::testing::Values(SettingsLayout{DeviceKind::kKeyboard, 5, 25, 26, 26},
                                           SettingsLayout{DeviceKind::kMouse, 5, 128, 66, 71},
                                           SettingsLayout{DeviceKind::kMousepad, 3, 64, 21, 26},
                                           SettingsLayout{DeviceKind::kHeadset, 1, 64, 21, 26}));

TEST_F(EmulatorTest, SeededProfilesDifferAndByteZeroIsTheCurrentProfile) {
    Host host = Connect(DeviceKind::kMouse);
    auto p0 = host.ReadChunked(0x05, 0, 71);
    auto p1 = host.ReadChunked(0x05, 128, 71);
    ASSERT_TRUE(p0 && p1);
    EXPECT_NE(*p0, *p1);
    EXPECT_EQ((*p0)[0], 0);
    // Five DPI stages, stage 0 enabled at 400 DPI (position (400 - 100) / 50).
    EXPECT_EQ((*p0)[14], 1);
    EXPECT_EQ(Le16(*p0, 16), 6);
    EXPECT_EQ((*p0)[59], 1);
    EXPECT_EQ(Le16(*p0, 60), 1920);

    ASSERT_TRUE(emu.PressProfile(DeviceKind::kMouse, 3));
    auto current = host.ReadChunked(0x05, 0, 1);
    ASSERT_TRUE(current);
    EXPECT_EQ((*current)[0], 3);
}

TEST_F(EmulatorTest, KeyboardKeyMapHoldsEachPositionsDefaultCode) {
    Host host = Connect(DeviceKind::kKeyboard);
    auto map = host.ReadChunked(0x07, 0, 170 * 3);
    ASSERT_TRUE(map);
    auto slot = [&](int s) { return KeyCode{(*map)[s * 3], (*map)[s * 3 + 1], (*map)[s * 3 + 2]}; };
    // Slot order is the scan matrix: Esc in slot 0, F1 in 3, Space (position 108) in 154.
    EXPECT_EQ(slot(0), (KeyCode{0x20, 0x00, 0x29}));
    EXPECT_EQ(slot(3), (KeyCode{0x20, 0x00, 0x3A}));
    EXPECT_EQ(slot(154), (KeyCode{0x20, 0x00, 0x2C}));
    EXPECT_EQ(slot(KeyboardSlotOfPosition(110)), (KeyCode{0xA0, 0x01, 0x00}));  // Fn
    EXPECT_EQ(slot(KeyboardSlotOfPosition(124)), (KeyCode{0xD0, 0xA2, 0x05}));  // M5
    EXPECT_EQ(slot(KeyboardSlotOfPosition(84)), (KeyCode{0x20, 0x02, 0x00}));   // LShift
    // Every position's code is in the map, and unused slots hold nothing.
    const auto& positions = KeyboardPositionCodes();
    ASSERT_EQ(positions.size(), 126u);
    for (int p = 0; p < 126; ++p) EXPECT_EQ(slot(KeyboardSlotOfPosition(p)), positions[p]) << p;
    int empty = 0;
    for (int s = 0; s < 170; ++s) empty += slot(s) == KeyCode{0, 0, 0};
    EXPECT_EQ(empty, 44);

    auto leds = host.ReadChunked(0x1B, 0, 170);
    ASSERT_TRUE(leds);
    EXPECT_EQ((*leds)[154], 108);  // Space's light
    EXPECT_EQ((*leds)[0], 0);
}

TEST_F(EmulatorTest, MouseKeyMapHoldsTheButtonDefaults) {
    Host host = Connect(DeviceKind::kMouse);
    auto map = host.ReadChunked(0x07, 0, 16 * 3);
    ASSERT_TRUE(map);
    const Bytes expected_head = {0x10, 0x01, 0x00, 0x10, 0x02, 0x00, 0x10, 0x04, 0x00,
                                 0x10, 0x08, 0x00, 0x10, 0x10, 0x00, 0x13, 0x01, 0x00};
    EXPECT_TRUE(std::equal(expected_head.begin(), expected_head.end(), map->begin()));
    // Logical buttons 8 to 10 in slots 8 to 10, then unused slots.
    EXPECT_EQ((*map)[8 * 3], 0xA0);
    EXPECT_EQ((*map)[9 * 3 + 1], 0x90);
    EXPECT_EQ((*map)[10 * 3 + 2], 0x02);
    EXPECT_EQ((*map)[11 * 3], 0x00);
    // The mouse has no LED map.
    auto leds = host.Exchange(Cmd(0x1B, 16, 0));
    ASSERT_TRUE(leds);
    EXPECT_EQ((*leds)[7], 0xFF);
}

TEST_F(EmulatorTest, KeyMapWriteIsKeptAndBoundedByTheSlotCount) {
    Host host = Connect(DeviceKind::kMouse);
    Bytes map(48, 0);
    map[0] = 0x20;
    map[2] = 0x04;  // slot 0: the A key
    map[3] = 0x70;  // slot 1: macro 0
    ASSERT_EQ(host.WriteChunked(0x09, 0, map), 0);
    EXPECT_EQ(emu.Model(DeviceKind::kMouse).KeyMap(), map);
    auto r = host.Exchange(Cmd(0x09, 3, 48, {1, 2, 3}));
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[7], 0xFF);
    // Mousepad and headset have no keys at all.
    Host pad = Connect(DeviceKind::kMousepad);
    auto none = pad.Exchange(Cmd(0x07, 3, 0));
    ASSERT_TRUE(none);
    EXPECT_EQ((*none)[7], 0xFF);
}

TEST_F(EmulatorTest, MacroMemoryTakesUpToItsCapacityAndRefusesMore) {
    struct Case {
        DeviceKind kind;
        size_t capacity;
    } cases[] = {{DeviceKind::kKeyboard, 4096}, {DeviceKind::kMouse, 2048}};
    for (const auto& c : cases) {
        Host host = Connect(c.kind);
        Bytes image(c.capacity);
        for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(i * 7 + 1);
        image[0] = 0xAA;
        image[1] = 0x55;
        ASSERT_EQ(host.WriteChunked(0x15, 0, image), 0) << KindName(c.kind);
        EXPECT_EQ(emu.Model(c.kind).MacroMemory(), image);
        // One byte over the capacity is refused, and nothing of that packet is kept.
        const uint16_t last = static_cast<uint16_t>(c.capacity - 1);
        auto r = host.Exchange(Cmd(0x15, 2, last, {0xEE, 0xEE}));
        ASSERT_TRUE(r);
        EXPECT_EQ((*r)[7], 0xFF) << KindName(c.kind);
        EXPECT_EQ(emu.Model(c.kind).MacroMemory()[last], image[last]);
    }
    Host pad = Connect(DeviceKind::kMousepad);
    auto r = pad.Exchange(Cmd(0x15, 4, 0, {0xAA, 0x55, 0, 0}));
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[7], 0xFF);
}

TEST_F(EmulatorTest, ShootImageOnlyOnTheMouse) {
    Host mouse = Connect(DeviceKind::kMouse);
    Bytes image(100);
    for (size_t i = 0; i < image.size(); ++i) image[i] = static_cast<uint8_t>(200 - i);
    ASSERT_EQ(mouse.WriteChunked(0x17, 0, image), 0);
    const Bytes kept = emu.Model(DeviceKind::kMouse).ShootImage();
    EXPECT_TRUE(std::equal(image.begin(), image.end(), kept.begin()));
    Host keyboard = Connect(DeviceKind::kKeyboard);
    EXPECT_EQ(keyboard.WriteChunked(0x17, 0, image), 0xFF);
}

TEST_F(EmulatorTest, KeyColourPagesAreAddressedByPageTimesPageSize) {
    Host host = Connect(DeviceKind::kKeyboard);
    Bytes colours(170 * 3);
    for (size_t i = 0; i < colours.size(); ++i) colours[i] = static_cast<uint8_t>(i);
    ASSERT_EQ(host.WriteChunked(0x0B, 2 * 512, colours), 0);
    auto back = host.ReadChunked(0x0A, 2 * 512, colours.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, colours);
    const Bytes page2 = emu.Model(DeviceKind::kKeyboard).KeyColourPage(2);
    EXPECT_TRUE(std::equal(colours.begin(), colours.end(), page2.begin()));
    EXPECT_EQ(emu.Model(DeviceKind::kKeyboard).KeyColourPage(1), Bytes(512, 0));
    auto past = host.Exchange(Cmd(0x0B, 3, 5 * 512, {1, 2, 3}));
    ASSERT_TRUE(past);
    EXPECT_EQ((*past)[7], 0xFF);
}

TEST_F(EmulatorTest, PowerBytesTellCableChargingAndTheWirelessPath) {
    Host cable = Connect(DeviceKind::kMouse, Link::kCable);
    Host rx = Connect(DeviceKind::kMouse, Link::kReceiver);
    auto by_cable = cable.ReadChunked(0x1A, 0, 6);
    auto by_rx = rx.ReadChunked(0x1A, 0, 6);
    ASSERT_TRUE(by_cable && by_rx);
    EXPECT_EQ((*by_cable)[0], 72);  // battery level
    EXPECT_EQ((*by_cable)[1], 1);   // charging on its cable
    EXPECT_EQ((*by_cable)[3], 0);
    EXPECT_EQ((*by_rx)[3], 1);
    ASSERT_TRUE(emu.Unplug(DeviceKind::kMouse, Link::kCable));
    auto unplugged = rx.ReadChunked(0x1A, 0, 6);
    ASSERT_TRUE(unplugged);
    EXPECT_EQ((*unplugged)[1], 0);

    const Bytes low = {15, 0, 0, 0, 1, 0};
    emu.Model(DeviceKind::kMouse).SetPowerBytes(low);
    auto after = rx.ReadChunked(0x1A, 0, 6);
    ASSERT_TRUE(after);
    EXPECT_EQ((*after)[0], 15);

    Host headset = Connect(DeviceKind::kHeadset);
    auto hs = headset.ReadChunked(0x1A, 0, 6);
    ASSERT_TRUE(hs);
    EXPECT_EQ((*hs)[0], 100);
}

TEST_F(EmulatorTest, LightFrameIsKeptWhenItsLastChunkArrives) {
    Host host = Connect(DeviceKind::kKeyboard);
    FirmwareModel& model = emu.Model(DeviceKind::kKeyboard);
    Bytes frame(378);
    for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint8_t>(i % 251);
    // All chunks but the last: no complete frame yet.
    Bytes head(frame.begin(), frame.begin() + 336);
    ASSERT_EQ(host.WriteChunked(0x12, 0, head), 0);
    EXPECT_EQ(model.LightFramesCompleted(), 0u);
    EXPECT_TRUE(model.LastLightFrame().empty());
    ASSERT_EQ(host.WriteChunked(0x12, 0, frame), 0);
    EXPECT_EQ(model.LightFramesCompleted(), 1u);
    EXPECT_EQ(model.LastLightFrame(), frame);
    // The next frame replaces it.
    Bytes next(378, 9);
    ASSERT_EQ(host.WriteChunked(0x12, 0, next), 0);
    EXPECT_EQ(model.LastLightFrame(), next);
    // A frame longer than the keyboard's lights (the 170-light page) is refused.
    EXPECT_EQ(host.WriteChunked(0x12, 0, Bytes(510, 1)), 0xFF);
    // The headset takes no light frames.
    Host headset = Connect(DeviceKind::kHeadset);
    EXPECT_EQ(headset.WriteChunked(0x12, 0, Bytes(39, 1)), 0xFF);
}

TEST_F(EmulatorTest, BeginEndAndHostLightingAreCounted) {
    Host host = Connect(DeviceKind::kKeyboard);
    FirmwareModel& model = emu.Model(DeviceKind::kKeyboard);
    EXPECT_FALSE(model.HostLighting());
    for (uint8_t code : {0x01, 0x1C, 0x02, 0x01}) {
        auto r = host.Exchange(Cmd(code));
        ASSERT_TRUE(r);
        EXPECT_EQ((*r)[7], 0);
    }
    EXPECT_EQ(model.BeginCount(), 2u);
    EXPECT_EQ(model.EndCount(), 1u);
    EXPECT_TRUE(model.InConfiguration());
    EXPECT_TRUE(model.HostLighting());
    EXPECT_EQ(model.HostLightingRequests(), 1u);
}

// The twelve LED reports a host sends to paint the headset: for each colour, the
// blocks of LEDs 0..6 and 7..12 for both targets.
std::vector<Bytes> HeadsetLedReports(const std::vector<Rgb>& leds) {
    std::vector<Bytes> out;
    const uint8_t blocks[3][2] = {{0xAA, 0xAD}, {0xAB, 0xAE}, {0xAC, 0xAF}};
    for (int channel = 0; channel < 3; ++channel) {
        for (uint8_t target : {0x22, 0x44}) {
            for (int half = 0; half < 2; ++half) {
                Bytes r(17, 0);
                r[0] = 0xFF;
                r[1] = target;
                r[2] = blocks[channel][half];
                const int first = half * 7, count = half ? 6 : 7;
                for (int i = 0; i < count; ++i) r[4 + i] = leds[first + i][channel];
                out.push_back(r);
            }
        }
    }
    return out;
}

TEST_F(EmulatorTest, HeadsetLedReportsPaintThirteenLedsPerTarget) {
    Host host = Connect(DeviceKind::kHeadset);
    ASSERT_TRUE(host.Open());
    std::vector<Rgb> leds(13);
    for (int i = 0; i < 13; ++i)
        leds[i] = {static_cast<uint8_t>(10 + i), static_cast<uint8_t>(100 + i),
                   static_cast<uint8_t>(200 + i)};
    for (const Bytes& r : HeadsetLedReports(leds)) ASSERT_EQ(host.Write(r), hid::IoResult::kOk);
    FirmwareModel& model = emu.Model(DeviceKind::kHeadset);
    EXPECT_EQ(model.HeadsetLeds(0x22), leds);
    EXPECT_EQ(model.HeadsetLeds(0x44), leds);
    EXPECT_EQ(model.LedReportsAccepted(), 12u);
    // A report for an unknown block paints nothing; a short one is refused.
    Bytes unknown(17, 0);
    unknown[0] = 0xFF;
    unknown[1] = 0x22;
    unknown[2] = 0xB0;
    unknown[4] = 1;
    EXPECT_EQ(host.Write(unknown), hid::IoResult::kOk);
    EXPECT_EQ(model.HeadsetLeds(0x22), leds);
    EXPECT_EQ(host.Write(Bytes(16, 0xFF)), hid::IoResult::kFailed);
    // LED reports get no answer.
    hid::IoResult result;
    EXPECT_FALSE(host.Read(0, &result));
    EXPECT_EQ(result, hid::IoResult::kTimeout);
}

TEST_F(EmulatorTest, CommandReportsMustBeWhole) {
    Host host = Connect(DeviceKind::kMouse);
    Bytes short_packet = Cmd(0x01);
    short_packet.resize(32);
    EXPECT_EQ(host.Write(short_packet), hid::IoResult::kFailed);
    EXPECT_EQ(emu.Model(DeviceKind::kMouse).BeginCount(), 0u);
}

}  // namespace
}  // namespace dz::sim::test

namespace dz::sim::test {
namespace {

TEST(SimFirmwareTest, ShortOrForeignPacketsGetAnErrorAnswer) {
    FirmwareModel model(ModelTableFor(DeviceKind::kMouse));
    const Bytes tiny = {4, 1};
    const wire::Packet a = model.HandleCommand(tiny, Link::kCable);
    EXPECT_EQ(a[0], 4);
    EXPECT_EQ(a[7], 0xFF);
    Bytes other_id = Cmd(0x01);
    other_id[0] = 3;
    EXPECT_EQ(model.HandleCommand(other_id, Link::kCable)[7], 0xFF);
    EXPECT_EQ(model.BeginCount(), 0u);
    EXPECT_EQ(model.HandleCommand(Cmd(0x01), Link::kCable)[7], 0);
    EXPECT_EQ(model.BeginCount(), 1u);
}

}  // namespace
}  // namespace dz::sim::test
