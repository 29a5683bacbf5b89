// The receiver path and the device notifications.

#include <gtest/gtest.h>

#include "sim_test_util.h"

namespace dz::sim::test {
namespace {

TEST_F(EmulatorTest, ReceiverNodesHaveTheirOwnIdentity) {
    Host cable = Connect(DeviceKind::kMouse, Link::kCable);
    Host rx = Connect(DeviceKind::kMouse, Link::kReceiver);
    ASSERT_TRUE(cable.Open() && rx.Open());
    EXPECT_EQ(cable.Info().product_id, 0x221C);
    EXPECT_EQ(rx.Info().product_id, 0x221D);
    EXPECT_EQ(rx.Info().vendor_id, 0x320F);
    EXPECT_EQ(rx.Info().interface_number, 1);
    EXPECT_NE(cable.Info().version, rx.Info().version);
    EXPECT_EQ(emu.CommandNode(DeviceKind::kMouse, Link::kReceiver), "mouse-receiver/1");
}

TEST_F(EmulatorTest, LinkQueryIsAnsweredByTheReceiver) {
    Host rx = Connect(DeviceKind::kMouse, Link::kReceiver);
    auto linked = rx.Exchange(Cmd(0xAA));
    ASSERT_TRUE(linked);
    EXPECT_EQ((*linked)[3], 0xAA);
    EXPECT_EQ((*linked)[7], 0);
    EXPECT_EQ((*linked)[8], 0xFF);

    emu.SetLinked(DeviceKind::kMouse, false);
    auto lost = rx.Exchange(Cmd(0xAA));
    ASSERT_TRUE(lost);
    EXPECT_EQ((*lost)[3], 0xAA);
    EXPECT_EQ((*lost)[8], 0x00);
    EXPECT_TRUE(ChecksumOk(*lost));
}

TEST_F(EmulatorTest, UnlinkedReceiverAnswersEveryCommandWithAA) {
    Host rx = Connect(DeviceKind::kMouse, Link::kReceiver);
    emu.SetLinked(DeviceKind::kMouse, false);
    const Bytes before = emu.Model(DeviceKind::kMouse).SettingsArea();
    for (const Bytes& packet : {Cmd(0x01), Cmd(0x03, 24, 0), Cmd(0x06, 2, 130, {9, 9})}) {
        auto r = rx.Exchange(packet);
        ASSERT_TRUE(r);
        EXPECT_EQ((*r)[3], 0xAA) << "command " << int(packet[3]);
        EXPECT_TRUE(ChecksumOk(*r));
    }
    EXPECT_EQ(emu.Model(DeviceKind::kMouse).SettingsArea(), before);
    EXPECT_EQ(emu.Model(DeviceKind::kMouse).BeginCount(), 0u);

    // Link found again: the same packets reach the device.
    emu.SetLinked(DeviceKind::kMouse, true);
    auto r = rx.Exchange(Cmd(0x03, 24, 0));
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[3], 0x03);
    EXPECT_EQ((*r)[8 + 5], 16);
}

TEST_F(EmulatorTest, CableAndReceiverReachOneModel) {
    Host cable = Connect(DeviceKind::kMouse, Link::kCable);
    Host rx = Connect(DeviceKind::kMouse, Link::kReceiver);
    const Bytes page = {0, 7, 4, 1, 0, 1, 0x11, 0x22, 0x33};
    ASSERT_EQ(rx.WriteChunked(0x06, 128, page, 24), 0);
    auto back = cable.ReadChunked(0x05, 128, page.size());
    ASSERT_TRUE(back);
    EXPECT_EQ(*back, page);
    // A bad checksum through the receiver is refused as over the cable.
    Bytes bad = Cmd(0x06, 1, 129, {0x55});
    bad[2] ^= 0x10;
    auto r = rx.Exchange(bad);
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[7], 0xFF);
    EXPECT_EQ(emu.Model(DeviceKind::kMouse).ProfileSettings(1)[1], 7);
}

TEST_F(EmulatorTest, KeyboardReceiverWhenPlugged) {
    EXPECT_FALSE(emu.Transport().HasNode("keyboard-receiver/1"));
    ASSERT_TRUE(emu.Plug(DeviceKind::kKeyboard, Link::kReceiver));
    Host rx = Connect(DeviceKind::kKeyboard, Link::kReceiver);
    ASSERT_TRUE(rx.Open());
    EXPECT_EQ(rx.Info().product_id, 0x5001);
    auto r = rx.Exchange(Cmd(0xAA));
    ASSERT_TRUE(r);
    EXPECT_EQ((*r)[8], 0xFF);
    // The mousepad and the headset have no receiver.
    EXPECT_FALSE(emu.Plug(DeviceKind::kMousepad, Link::kReceiver));
    EXPECT_FALSE(emu.Plug(DeviceKind::kHeadset, Link::kReceiver));
}

uint16_t Usage(const Bytes& r) {
    return static_cast<uint16_t>(r[1] | (r[2] << 8));
}

TEST_F(EmulatorTest, NotificationsReachEveryOpenConnectionOfTheNode) {
    Host listener = Connect(DeviceKind::kMouse);
    Host commands = Connect(DeviceKind::kMouse);
    Host other_device = Connect(DeviceKind::kKeyboard);
    ASSERT_TRUE(emu.PressProfile(DeviceKind::kMouse, 2));
    for (Host* h : {&listener, &commands}) {
        auto r = h->Read(1000);
        ASSERT_TRUE(r);
        EXPECT_EQ(*r, (Bytes{3, 0x02, 0x10}));
    }
    hid::IoResult result;
    EXPECT_FALSE(other_device.Read(0, &result));
    EXPECT_EQ(result, hid::IoResult::kTimeout);
    EXPECT_EQ(emu.Model(DeviceKind::kMouse).CurrentProfile(), 2);

    // The DPI stage of the current profile: profile 2 in the low, stage 3 in the high nibble.
    ASSERT_TRUE(emu.PressDpiStage(DeviceKind::kMouse, 3));
    auto r = listener.Read(1000);
    ASSERT_TRUE(r);
    EXPECT_EQ(Usage(*r), 0x1132);
    EXPECT_EQ(emu.Model(DeviceKind::kMouse).CurrentDpiStage(), 3);
    EXPECT_EQ(emu.Model(DeviceKind::kMouse).ProfileSettings(2)[12], 3);
    EXPECT_EQ(emu.Model(DeviceKind::kMouse).ProfileSettings(0)[12], 1);  // untouched
    auto page = commands.ReadChunked(0x05, 2 * 128 + 12, 1);
    ASSERT_TRUE(page);
    EXPECT_EQ((*page)[0], 3);
}

TEST_F(EmulatorTest, NotificationsTakeThePathThatCarriesTheDevice) {
    Host cable = Connect(DeviceKind::kMouse, Link::kCable);
    Host rx = Connect(DeviceKind::kMouse, Link::kReceiver);
    hid::IoResult result;
    // Cable and receiver both plugged: the cable carries it.
    ASSERT_TRUE(emu.PressRaw(DeviceKind::kMouse, 0x0401));
    auto by_cable = cable.Read(1000);
    ASSERT_TRUE(by_cable);
    EXPECT_EQ(Usage(*by_cable), 0x0401);
    EXPECT_FALSE(rx.Read(0, &result));

    ASSERT_TRUE(emu.Unplug(DeviceKind::kMouse, Link::kCable));
    ASSERT_TRUE(emu.PressRaw(DeviceKind::kMouse, 0x0402));
    auto by_rx = rx.Read(1000);
    ASSERT_TRUE(by_rx);
    EXPECT_EQ(Usage(*by_rx), 0x0402);
    // A button press is reported over the cable only.
    ASSERT_TRUE(emu.PressRaw(DeviceKind::kMouse, 0x0403));
    EXPECT_FALSE(rx.Read(20, &result));

    // Out of reach: the press still changes the device, nobody hears of it.
    emu.SetLinked(DeviceKind::kMouse, false);
    ASSERT_TRUE(emu.PressProfile(DeviceKind::kMouse, 4));
    EXPECT_FALSE(rx.Read(20, &result));
    EXPECT_EQ(result, hid::IoResult::kTimeout);
    EXPECT_EQ(emu.Model(DeviceKind::kMouse).CurrentProfile(), 4);
}

TEST_F(EmulatorTest, PressesOutOfRangeOrWithoutNotificationsAreRefused) {
    const Bytes before = emu.Model(DeviceKind::kMouse).SettingsArea();
    EXPECT_FALSE(emu.PressProfile(DeviceKind::kMouse, 5));
    EXPECT_FALSE(emu.PressDpiStage(DeviceKind::kMouse, 5));
    EXPECT_EQ(emu.Model(DeviceKind::kMouse).SettingsArea(), before);
    EXPECT_FALSE(emu.PressDpiStage(DeviceKind::kKeyboard, 1));
    EXPECT_FALSE(emu.PressRaw(DeviceKind::kHeadset, 0x0401));
    // The mousepad asks to be synchronised.
    Host pad = Connect(DeviceKind::kMousepad);
    ASSERT_TRUE(emu.PressRaw(DeviceKind::kMousepad, 0x0401));
    auto r = pad.Read(1000);
    ASSERT_TRUE(r);
    EXPECT_EQ(Usage(*r), 0x0401);
}

TEST_F(EmulatorTest, CommandAnswersAlsoReachTheListenersConnection) {
    // As on hidraw: the reader above keeps each collection's report ids apart.
    Host listener = Connect(DeviceKind::kKeyboard);
    Host commands = Connect(DeviceKind::kKeyboard);
    ASSERT_TRUE(commands.Exchange(Cmd(0x01)));
    auto seen = listener.Read(1000);
    ASSERT_TRUE(seen);
    EXPECT_EQ((*seen)[0], 4);
    EXPECT_EQ((*seen)[3], 0x01);
}

}  // namespace
}  // namespace dz::sim::test
