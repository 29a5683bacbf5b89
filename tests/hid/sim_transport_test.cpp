// HidInterface over the emulator's simulated transport: the paths it lists, a command
// exchange and a notification, so both sides of the node contract are seen to agree.

#include <gtest/gtest.h>

#include <algorithm>

#include "device/hid_interface.h"
#include "sim/emulator.h"

namespace dz {
namespace {

class SimTransportTest : public ::testing::Test {
  protected:
    void SetUp() override { hid::BackendRegistry::Instance().Add(emulator_.Backend()); }
    void TearDown() override { hid::BackendRegistry::Instance().Remove(emulator_.Backend().get()); }

    std::string CommandPath() const {
        return MakeInterfacePath("sim", emulator_.CommandNode(sim::DeviceKind::kKeyboard), 0x320F,
                                 0x505B, 1, 4);
    }

    sim::Emulator emulator_;
};

TEST_F(SimTransportTest, ListsTheKeyboardCollectionsAndExchangesACommand) {
    HidInterface list;
    ASSERT_EQ(list.Enumerate(), 1);
    std::vector<std::string> paths;
    while (const char* p = list.NextPath()) paths.emplace_back(p);
    EXPECT_NE(std::find(paths.begin(), paths.end(), CommandPath()), paths.end()) << CommandPath();

    HidInterface hid;
    ASSERT_EQ(hid.Open(CommandPath(), true, true, true, false), 1);
    EXPECT_EQ(hid.UsagePage(), 0xFF1C);
    EXPECT_EQ(hid.VersionNumber(), emulator_.Model(sim::DeviceKind::kKeyboard).Table().cable_bcd);
    std::vector<uint8_t> packet(64, 0);
    packet[0] = 0x04;
    packet[3] = 0x01;  // CMD_BEGIN; checksum of bytes 3..63 is 0x0001
    packet[1] = 0x01;
    size_t n = 0;
    ASSERT_EQ(hid.Write(packet.data(), packet.size(), &n, 1000), 1);
    uint8_t answer[64] = {};
    ASSERT_EQ(hid.Read(answer, sizeof answer, &n, 1000), 1);
    EXPECT_EQ(answer[3], 0x01);
    EXPECT_EQ(answer[7], 0x00);
}

TEST_F(SimTransportTest, NotificationReachesTheConsumerCollection) {
    std::string path = CommandPath();
    path.back() = '3';  // col03
    HidInterface notify;
    ASSERT_EQ(notify.Open(path, true, true, true, false), 1);
    ASSERT_TRUE(emulator_.PressProfile(sim::DeviceKind::kKeyboard, 2));
    uint8_t buf[64];
    size_t n = 0;
    ASSERT_EQ(notify.Read(buf, sizeof buf, &n, 1000), 1);
    notify.UnpackInputReport(buf, n);
    EXPECT_EQ(notify.FirstInputUsage(), 0x1002);
}

}  // namespace
}  // namespace dz
