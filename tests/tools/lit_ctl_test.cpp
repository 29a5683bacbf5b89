// dozadirctl's mousepad and headset commands in-process: sync, apply and preview against an
// emulator the test keeps, and the headset's sound commands against a private sound server
// whose null sink and remapped source carry the headset's USB ids.
#include <gtest/gtest.h>
#include <json/json.h>

#include <sstream>

#include "cli.h"
#include "platform/audio/conf_lib.h"
#include "platform/hid/hid_backend.h"
#include "profile/json_file.h"
#include "sim/emulator.h"
#include "support/emulated_ctl.h"
#include "support/pulse_server.h"
#include "support/temp_folder.h"

namespace dz {
namespace {

using sim::DeviceKind;

using Result = test::CtlJsonResult;

constexpr const char* kProps = "'device.vendor.id=0c76 device.product.id=1630'";

class LitCtlTest : public test::EmulatedCtlTest {
  protected:
    LitCtlTest() : EmulatedCtlTest(Devices()) {}
    static sim::EmulatorConfig Devices() {
        sim::EmulatorConfig c;
        c.mousepad = true;
        c.headset = true;
        return c;
    }
    void TearDown() override {
        (void)audio::ConfLibUnInit();
        EmulatedCtlTest::TearDown();
    }
    void StartServer() {
        ASSERT_TRUE(server_.Start({
            std::string("load-module module-null-sink sink_name=hs_sink sink_properties=") + kProps,
            std::string("load-module module-remap-source master=hs_sink.monitor "
                        "source_name=hs_mic source_properties=") + kProps,
        })) << server_.Error();
    }

    test::PulseServer server_;
};

TEST_F(LitCtlTest, SyncApplyAndPreviewOfThePadAndTheHeadset) {
    Result r = Ctl({"sync", "mousepad"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.json["settings"]["profile"].asInt(), 0);
    EXPECT_EQ(r.json["settings"]["bytes"].size(), 21u);
    r = Ctl({"apply", "mousepad"});
    ASSERT_EQ(r.code, 0) << r.err;
    const auto page = emu_.Model(DeviceKind::kMousepad).ProfileSettings(0);
    for (size_t i = 0; i < 21; ++i)
        EXPECT_EQ(page[i], r.json["settings"]["bytes"][static_cast<int>(i)].asInt()) << i;
    r = Ctl({"sync", "headset"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.json["power"][0].asInt(), 100);
    r = Ctl({"preview", "headset", "--mode", "3", "--steps", "1", "--colour", "102030",
             "--brightness", "5"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.json["frames"][0]["leds"].size(), 13u);
    EXPECT_EQ(r.json["frames"][0]["leds"][0].asString(), "102030ff");
    ASSERT_EQ(r.json["ledReports"].size(), 12u);
    EXPECT_EQ(r.json["ledReports"][0][4].asInt(), 0x10 * 255 / 256);
    EXPECT_EQ(Ctl({"preview", "mousepad", "--mode", "x"}).code, ctl::kExitUsage);
}

TEST_F(LitCtlTest, TheHeadsetsSoundThroughTheSoundServer) {
    StartServer();
    Result r = Ctl({"headset", "eq", "3"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.json["EqType"].asInt(), 3);
    EXPECT_NE(server_.Pactl("list short modules").find("dozadir.eq.gains=10,4,0,-3,-4,-3,-2,-1,0,0"),
              std::string::npos);
    r = Ctl({"headset", "eq", "band", "2", "9"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.json["EqType"].asInt(), 13);
    EXPECT_NE(server_.Pactl("list short modules").find("dozadir.eq.gains=10,4,9,-3"), std::string::npos);
    r = Ctl({"headset", "mic", "35"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(server_.Pactl("get-source-volume hs_mic").find("35%"), std::string::npos);
    ASSERT_EQ(Ctl({"headset", "mic", "off"}).code, 0);
    EXPECT_NE(server_.Pactl("get-source-mute hs_mic").find("yes"), std::string::npos);
    ASSERT_EQ(Ctl({"headset", "monitor", "on"}).code, 0);
    EXPECT_NE(server_.Pactl("list short modules").find("module-loopback"), std::string::npos);
    r = Ctl({"headset", "voice", "2"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.json["MagicEnable"].asInt(), 1);
    EXPECT_EQ(r.json["MagicType"].asInt(), 2);
    EXPECT_NE(server_.Pactl("list short modules").find("label=dozadir_voice control=2"),
              std::string::npos) << server_.Pactl("list short modules");
    // Each command is a new process: it takes over the voice changer the last one left
    // (its start-up defaults do not switch it off), changes its voice, and switches it off.
    ASSERT_EQ(Ctl({"headset", "eq", "4"}).code, 0);
    std::string modules = server_.Pactl("list short modules");
    EXPECT_NE(modules.find("label=dozadir_voice control=2"), std::string::npos) << modules;
    ASSERT_EQ(Ctl({"headset", "voice", "4"}).code, 0);
    modules = server_.Pactl("list short modules");
    EXPECT_NE(modules.find("label=dozadir_voice control=4"), std::string::npos) << modules;
    EXPECT_EQ(modules.find("label=dozadir_voice"), modules.rfind("label=dozadir_voice")) << modules;
    r = Ctl({"headset", "voice", "off"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_EQ(r.json["MagicEnable"].asInt(), 0);
    EXPECT_EQ(server_.Pactl("list short modules").find("dozadir_voice"), std::string::npos);
    EXPECT_EQ(Ctl({"headset", "eq", "custom", "nothing"}).code, ctl::kExitRefused);
    EXPECT_EQ(Ctl({"headset", "mic", "101"}).code, ctl::kExitUsage);
}

TEST_F(LitCtlTest, WithoutASoundServerTheSettingIsStoredAndTheAnswerSaysSo) {
    ::setenv("PULSE_SERVER", "unix:/nonexistent/dz-none", 1);
    const Result r = Ctl({"headset", "eq", "7"});
    EXPECT_EQ(r.code, ctl::kExitDeviceError);
    EXPECT_FALSE(r.json["applied"].asBool());
    EXPECT_EQ(r.json["EqType"].asInt(), 7) << "stored in the profile all the same";
    EXPECT_NE(r.err.find("no sound server"), std::string::npos) << r.err;
}

}  // namespace
}  // namespace dz
