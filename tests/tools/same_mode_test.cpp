// dozadirctl same-mode in-process, against the four emulated devices the test keeps: the
// kind's effect in every device's own mode, the shared settings, what each profile keeps and
// what reaches the devices.
#include <gtest/gtest.h>
#include <json/json.h>

#include <sstream>

#include "cli.h"
#include "models/keyboard_settings.h"
#include "models/mouse_settings_page.h"
#include "platform/hid/hid_backend.h"
#include "platform/paths/paths.h"
#include "profile/json_file.h"
#include "sim/emulator.h"
#include "support/emulated_ctl.h"
#include "support/temp_folder.h"

namespace dz {
namespace {

using sim::DeviceKind;

using Result = test::CtlJsonResult;

class SameModeCommandTest : public test::EmulatedCtlTest {
  protected:
    SameModeCommandTest() : EmulatedCtlTest(Devices()) {}
    static sim::EmulatorConfig Devices() {
        sim::EmulatorConfig c;
        c.keyboard = true;
        c.mouse = true;
        c.mousepad = true;
        c.headset = true;
        return c;
    }
    // The lighting record of the kind's selected (only) profile.
    static Json::Value Light(const char* kind) {
        std::error_code ec;
        const auto folder = paths::KindDataFolder(kind);
        if (!std::filesystem::is_directory(folder, ec)) return {};
        for (const auto& e : std::filesystem::directory_iterator(folder))
            if (e.path().extension() == ".Json")
                return ReadJsonFile(e.path())["Device"][0]["LightInfo"];
        return {};
    }
    static const Json::Value* Device(const Result& r, const char* kind) {
        for (const Json::Value& d : r.json["devices"])
            if (d["kind"].asString() == kind) return &d;
        return nullptr;
    }
};

TEST_F(SameModeCommandTest, TheKeyboardsBreathingGoesToEveryDeviceInItsOwnMode) {
    ASSERT_EQ(Ctl({"lighting", "keyboard", "--effect", "5", "--brightness", "3", "--speed", "1",
                   "--colour", "10ff80"})
                  .code,
              ctl::kExitOk);
    const Result r = Ctl({"same-mode", "keyboard"});
    ASSERT_EQ(r.code, ctl::kExitOk) << r.err;
    EXPECT_EQ(r.json["type"].asString(), "breathing");
    struct Want {
        const char* kind;    // as the command names it
        const char* folder;  // its profiles' folder
        int mode;
    };
    for (const Want& w : {Want{"keyboard", "keyboard", 5}, Want{"mouse", "mouse", 2},
                          Want{"mousepad", "MousePad", 2}, Want{"headset", "HD", 2}}) {
        const Json::Value* d = Device(r, w.kind);
        ASSERT_NE(d, nullptr) << w.kind;
        EXPECT_TRUE((*d)["connected"].asBool()) << w.kind;
        EXPECT_TRUE((*d)["write"]["ok"].asBool()) << w.kind;
        const Json::Value light = Light(w.folder);
        EXPECT_EQ(light["SelectItem"].asInt(), w.mode) << w.kind;
        EXPECT_EQ(light["Light"].asInt(), 3) << w.kind;
        EXPECT_EQ(light["Speed"].asInt(), 1) << w.kind;
        EXPECT_EQ(light["Red"].asInt(), 0x10) << w.kind;
        EXPECT_EQ(light["Green"].asInt(), 0xff) << w.kind;
        EXPECT_EQ(light["Blue"].asInt(), 0x80) << w.kind;
    }
    // What the devices hold: the keyboard's settings block, the mouse's page, and the lit
    // devices' lighting pages as they read back.
    const auto block = emu_.Model(DeviceKind::kKeyboard).ProfileSettings(0);
    EXPECT_EQ(block[kKbEffect], 5);
    EXPECT_EQ(block[kKbBrightness], 3);
    const auto bytes = emu_.Model(DeviceKind::kMouse).ProfileSettings(0);
    MousePageBytes page{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), page.size()), page.begin());
    const MouseSettingsPage mouse = DecodeMouseSettingsPage(page);
    EXPECT_EQ(mouse.brightness, 3);
    EXPECT_EQ(mouse.green, 0xff);
    for (const char* lit : {"mousepad", "headset"}) {
        const Result s = Ctl({"sync", lit});
        ASSERT_EQ(s.code, ctl::kExitOk) << s.err;
        EXPECT_EQ(s.json["settings"]["mode"].asInt(), 2) << lit;
        EXPECT_EQ(s.json["settings"]["brightness"].asInt(), 3) << lit;
        EXPECT_EQ(s.json["settings"]["colour"].asString(), "10ff80") << lit;
    }
}

TEST_F(SameModeCommandTest, EachTypeTakesTheModeOfEveryKindAndAModeWithoutOneChangesNothing) {
    // The mouse's off (9) is the keyboard's 28 and the lit devices' 8.
    ASSERT_EQ(Ctl({"lighting", "mouse", "--effect", "9"}).code, ctl::kExitOk);
    Result r = Ctl({"same-mode", "mouse", "--to", "keyboard,mousepad,headset"});
    ASSERT_EQ(r.code, ctl::kExitOk) << r.err;
    EXPECT_EQ(r.json["type"].asString(), "off");
    EXPECT_EQ(Device(r, "mouse"), nullptr) << "not taking part";
    EXPECT_EQ(Light("keyboard")["SelectItem"].asInt(), 28);
    EXPECT_EQ(Light("MousePad")["SelectItem"].asInt(), 8);
    EXPECT_EQ(Light("HD")["SelectItem"].asInt(), 8);

    // The keyboard's effect 7 has no counterpart: nothing is written or saved.
    ASSERT_EQ(Ctl({"lighting", "keyboard", "--effect", "7"}).code, ctl::kExitOk);
    const Json::Value pad_before = Light("MousePad");
    const auto mouse_before = emu_.Model(DeviceKind::kMouse).ProfileSettings(0);
    r = Ctl({"same-mode", "keyboard"});
    EXPECT_EQ(r.code, ctl::kExitRefused);
    EXPECT_NE(r.err.find("no same-mode counterpart"), std::string::npos) << r.err;
    EXPECT_EQ(Light("MousePad"), pad_before);
    EXPECT_EQ(emu_.Model(DeviceKind::kMouse).ProfileSettings(0), mouse_before);
}

TEST_F(SameModeCommandTest, KindsWithoutADeviceAreSkippedAndBadKindsAreRefused) {
    ASSERT_EQ(Ctl({"lighting", "keyboard", "--effect", "6"}).code, ctl::kExitOk);
    ASSERT_TRUE(emu_.Unplug(DeviceKind::kMousepad, sim::Link::kCable));
    const Json::Value pad_before = Light("MousePad");
    Result r = Ctl({"same-mode", "keyboard", "--to", "mousepad,headset"});
    ASSERT_EQ(r.code, ctl::kExitOk) << r.err;
    ASSERT_NE(Device(r, "mousepad"), nullptr);
    EXPECT_FALSE((*Device(r, "mousepad"))["connected"].asBool());
    EXPECT_EQ(Light("MousePad"), pad_before) << "a device that is not there keeps its profile";
    EXPECT_EQ(Light("HD")["SelectItem"].asInt(), 3) << "steady";

    r = Ctl({"same-mode", "keyboard", "--to", "mousepad"});
    EXPECT_EQ(r.code, ctl::kExitNoDevice);
    EXPECT_EQ(Ctl({"same-mode", "keyboard", "--to", "mouse,lamp"}).code, ctl::kExitUsage);
    EXPECT_EQ(Ctl({"same-mode", "keyboard", "--to"}).code, ctl::kExitUsage);
}

}  // namespace
}  // namespace dz
