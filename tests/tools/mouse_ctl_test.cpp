// dozadirctl's mouse commands in-process, against an emulator the test keeps (listed beside
// hidraw), so that what they wrote is looked at in its memory and traffic.
#include <gtest/gtest.h>
#include <json/json.h>

#include <sstream>

#include "cli.h"
#include "macro/macro_event.h"
#include "models/mouse_shoot.h"
#include "models/mouse_stages.h"
#include "platform/hid/hid_backend.h"
#include "platform/paths/paths.h"
#include "profile/json_file.h"
#include "sim/emulator.h"
#include "support/emulated_ctl.h"
#include "support/temp_folder.h"

namespace dz {
namespace {

using sim::DeviceKind;
using sim::Link;

using Result = test::CtlJsonResult;

class MouseCtlTest : public test::EmulatedCtlTest {
  protected:
    MouseCtlTest() : EmulatedCtlTest(Devices()) {}
    static sim::EmulatorConfig Devices() {
        sim::EmulatorConfig c;
        c.mouse = true;
        c.mouse_receiver = true;
        return c;
    }
    sim::FirmwareModel& Model() { return emu_.Model(DeviceKind::kMouse); }
    std::filesystem::path Folder() const { return paths::KindDataFolder("mouse"); }
    Json::Value ProfileSection() {
        std::error_code ec;
        if (!std::filesystem::is_directory(Folder(), ec)) return {};
        for (const auto& e : std::filesystem::directory_iterator(Folder()))
            if (e.path().extension() == ".Json") return ReadJsonFile(e.path())["Device"][0];
        return {};
    }
};

TEST_F(MouseCtlTest, SyncPrintsWhatTheOpeningReadFound) {
    ASSERT_TRUE(Model().SetCurrentProfile(2));
    ASSERT_TRUE(Model().SetKeySlot(9, {0x20, 0, 4}));
    const Result r = Ctl({"sync", "mouse"});
    ASSERT_EQ(r.code, ctl::kExitOk) << r.err;
    const Json::Value& v = r.json;
    EXPECT_FALSE(v["receiver"].asBool());
    EXPECT_EQ(v["sensor"].asString(), "3389");
    EXPECT_EQ(v["dpiStep"].asInt(), 50);
    EXPECT_EQ(v["highestPosition"].asInt(), 319);
    EXPECT_EQ(v["lowestDpi"].asInt(), 100);
    EXPECT_EQ(v["keySlots"].asInt(), 16);
    EXPECT_EQ(v["buttonSlots"][3].asInt(), 4);
    EXPECT_TRUE(v["buttonSlots"][9].isNull()) << "the button the mouse does not have";
    const Json::Value& s = v["settings"];
    EXPECT_EQ(s["profile"].asInt(), 2);
    EXPECT_EQ(s["stages"][2]["dpiX"].asInt(), 1600);
    EXPECT_TRUE(s["stages"][4]["enabled"].asBool());
    EXPECT_EQ(s["reportRate"].asInt(), 3);
    EXPECT_EQ(v["power"][0].asInt(), 72);

    const Result rx = Ctl({"sync", "mouse-rx"});
    ASSERT_EQ(rx.code, ctl::kExitOk) << rx.err;
    EXPECT_TRUE(rx.json["receiver"].asBool());
    EXPECT_EQ(rx.json["power"][3].asInt(), 1);
}

TEST_F(MouseCtlTest, SyncThroughAReceiverThatLostTheMouseFails) {
    emu_.Unplug(DeviceKind::kMouse, Link::kCable);
    emu_.SetLinked(DeviceKind::kMouse, false);
    const Result r = Ctl({"sync", "mouse"});
    EXPECT_EQ(r.code, ctl::kExitDeviceError);
    EXPECT_FALSE(r.json["read"]["ok"].asBool());
    EXPECT_EQ(Ctl({"sync", "mouse", "extra"}).code, ctl::kExitUsage);
}

TEST_F(MouseCtlTest, DpiEditsTheStagesAsThePageDoesAndWritesThePage) {
    const Result r = Ctl({"dpi", "mouse", "--stage", "2", "--dpi", "2049", "--current", "2",
                          "--report-rate", "4", "--disable", "0"});
    ASSERT_EQ(r.code, ctl::kExitOk) << r.err;
    EXPECT_EQ(r.json["stages"][2]["x"].asInt(), 38) << "2049 rounds down to 2000";
    EXPECT_TRUE(r.json["stages"][2]["current"].asBool());
    EXPECT_FALSE(r.json["stages"][0]["enabled"].asBool());
    const Json::Value section = ProfileSection();
    EXPECT_EQ(section["DPIStages"]["StageActive"].asInt(), 2);
    EXPECT_EQ(section["DPIStages"]["StageDPIs"][2]["StageDPIX"].asInt(), 38);
    EXPECT_EQ(section["ReportStages"]["StageActive"].asInt(), 4);
    const auto page = Model().ProfileSettings(0);
    EXPECT_EQ(page[11], 4);
    EXPECT_EQ(page[12], 2);
    EXPECT_EQ(page[14], 0) << "stage 0 off";
    EXPECT_EQ(page[14 + 18 + 2], 38);
    EXPECT_EQ(page[60] | page[61] << 8, 1920) << "the screen size the mouse had stays";
}

TEST_F(MouseCtlTest, DpiRefusesWhatThePageDoesNotLetTheUserDo) {
    ASSERT_EQ(Ctl({"dpi", "mouse"}).code, ctl::kExitOk);  // makes the profile
    struct Case {
        std::vector<std::string> args;
        int code;
    };
    for (const Case& c : std::vector<Case>{
             {{"--disable", "1"}, ctl::kExitRefused},  // the current stage
             {{"--disable", "0", "--disable", "2", "--disable", "3", "--disable", "4"},
              ctl::kExitOk},
             {{"--current", "0"}, ctl::kExitRefused},  // 0 is off now
             {{"--disable", "7"}, ctl::kExitUsage},
             {{"--report-rate", "7"}, ctl::kExitUsage},
             {{"--stage"}, ctl::kExitUsage},
             {{"--speed", "3"}, ctl::kExitUsage},
         }) {
        std::vector<std::string> args{"dpi", "mouse"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const std::string before = ProfileSection().toStyledString();
        const Result r = Ctl(args);
        EXPECT_EQ(r.code, c.code) << c.args[0] << ": " << r.err;
        if (c.code != ctl::kExitOk) {
            EXPECT_EQ(ProfileSection().toStyledString(), before) << "nothing was changed";
        }
    }
    // Only stage 1 is left: it is the last enabled and the current one.
    const Result last = Ctl({"dpi", "mouse", "--enable", "3", "--current", "3", "--disable", "1"});
    ASSERT_EQ(last.code, ctl::kExitOk) << last.err;
    const Result refused = Ctl({"dpi", "mouse", "--disable", "3"});
    EXPECT_EQ(refused.code, ctl::kExitRefused);
    EXPECT_NE(refused.err.find("cannot be switched off"), std::string::npos) << refused.err;
}

TEST_F(MouseCtlTest, ApplyWritesThePageTheMacrosTheMapAndThePatterns) {
    // A macro on the forward button, of 3 events.
    (void)paths::EnsureFolder(Folder());
    Json::Value list;
    list["MacroInfo"][0]["MacroName"] = "m";
    list["MacroInfo"][0]["Guid"] = "g";
    ASSERT_TRUE(TryWriteJsonFile(Folder() / "macro.config", list));
    ASSERT_TRUE(SaveEvents(Folder() / "g.mac", "m", "g",
                           {{10, 4, "down", "5"}, {10, 4, "up", "5"}, {10, 5, "down", "5"}}));
    ASSERT_EQ(Ctl({"dpi", "mouse"}).code, ctl::kExitOk);  // makes the profile
    Json::Value file;
    std::filesystem::path profile;
    for (const auto& e : std::filesystem::directory_iterator(Folder()))
        if (e.path().extension() == ".Json") profile = e.path();
    file = ReadJsonFile(profile);
    file["Device"][0]["KeyList"][3]["Assignment"] = 0x700000;
    ASSERT_TRUE(TryWriteJsonFile(profile, file));

    const Result r = Ctl({"apply", "mouse-rx"});
    ASSERT_EQ(r.code, ctl::kExitOk) << r.err << r.out;
    EXPECT_TRUE(r.json["settings"]["ok"].asBool());
    EXPECT_EQ(r.json["macros"]["imageBytes"].asInt(), 16 + 6 + 12);
    EXPECT_EQ(Model().KeySlot(4), (sim::KeyCode{0x70, 0, 0})) << "forward's slot";
    const auto memory = Model().MacroMemory();
    EXPECT_EQ(memory[4], 1) << "one macro";
    const auto shoot = Model().ShootImage();
    EXPECT_EQ(shoot[0] | shoot[1] << 8, 0x55AA);
    EXPECT_EQ(shoot[4], 4) << "four patterns, missing ones without events";
}

TEST_F(MouseCtlTest, ApplyOfMacrosThatDoNotFitSaysBy) {
    (void)paths::EnsureFolder(Folder());
    Json::Value list;
    list["MacroInfo"][0]["MacroName"] = "big";
    list["MacroInfo"][0]["Guid"] = "big";
    ASSERT_TRUE(TryWriteJsonFile(Folder() / "macro.config", list));
    std::vector<MacroEvent> events(508, MacroEvent{10, 4, "down", "5"});  // 2054 bytes
    ASSERT_TRUE(SaveEvents(Folder() / "big.mac", "big", "big", events));
    ASSERT_EQ(Ctl({"dpi", "mouse"}).code, ctl::kExitOk);
    std::filesystem::path profile;
    for (const auto& e : std::filesystem::directory_iterator(Folder()))
        if (e.path().extension() == ".Json") profile = e.path();
    Json::Value file = ReadJsonFile(profile);
    file["Device"][0]["KeyList"][4]["Assignment"] = 0x700001;
    ASSERT_TRUE(TryWriteJsonFile(profile, file));
    const Result r = Ctl({"apply", "mouse"});
    EXPECT_EQ(r.code, ctl::kExitDeviceError);
    EXPECT_EQ(r.json["macros"]["answer"].asInt(), 2) << "6 bytes over: (6 / 4) + 1";
    EXPECT_NE(r.err.find("do not fit"), std::string::npos) << r.err;
}

TEST_F(MouseCtlTest, PreviewRunsTheMousesLightingWithoutADevice) {
    emu_.Unplug(DeviceKind::kMouse, Link::kCable);
    emu_.Unplug(DeviceKind::kMouse, Link::kReceiver);
    const Result r = Ctl({"preview", "mouse", "--mode", "0", "--multicolour", "1", "--brightness",
                          "5", "--speed", "4", "--steps", "3"});
    ASSERT_EQ(r.code, ctl::kExitOk) << r.err;
    ASSERT_EQ(r.json["frames"].size(), 3u);
    EXPECT_EQ(r.json["frames"][1]["ms"].asInt(), 14) << "speed 4: 7 counts of 2 ms";
    EXPECT_EQ(r.json["frames"][0]["leds"].size(), 15u);
    EXPECT_EQ(r.json["frames"][0]["leds"][0].asString(), r.json["frames"][0]["leds"][13].asString())
        << "LEDs 0 and 13 are one group";
    const Result still = Ctl({"preview", "mouse", "--mode", "3", "--colour", "102030"});
    ASSERT_EQ(still.code, ctl::kExitOk);
    EXPECT_TRUE(still.json["still"].asBool());
    EXPECT_EQ(still.json["frames"][0]["leds"][7].asString().substr(0, 6), "102030");
    EXPECT_EQ(Ctl({"preview", "mouse", "--colour", "red"}).code, ctl::kExitUsage);
}

// ---- shoot mouse ------------------------------------------------------------------------------

TEST_F(MouseCtlTest, ShootShowsAndChangesABulletAsThePanelDoes) {
    const Result shown = Ctl({"shoot", "mouse", "show", "2"});
    ASSERT_EQ(shown.code, ctl::kExitOk) << shown.err;
    EXPECT_NE(shown.err.find("gun 2: the pattern file took its default copy"), std::string::npos)
        << "a new folder takes the default copies, as the page's opening does";
    const std::filesystem::path file = Folder() / ShootFileName(2);
    const std::vector<ShootBullet> bullets = BulletsOf(ReadJsonFile(file));
    ASSERT_EQ(shown.json["bullets"].size(), 30u);
    EXPECT_EQ(shown.json["events"].asInt(), 180);
    for (Json::ArrayIndex b = 0; b < 30; ++b) {
        const Json::Value& v = shown.json["bullets"][b];
        EXPECT_EQ(v["bullet"].asInt(), int(b) + 1);
        EXPECT_EQ((ShootBullet{v["left"].asBool(), v["x"].asInt(), v["up"].asBool(), v["y"].asInt(),
                               v["delay"].asInt()}),
                  bullets[b])
            << b;
    }

    const Result set =
        Ctl({"shoot", "mouse", "set", "2", "5", "--x", "12", "--left", "--delay", "90"});
    ASSERT_EQ(set.code, ctl::kExitOk) << set.err;
    ShootBullet want = bullets[4];
    want.x = 12;
    want.left = true;
    want.delay = 90;
    const Json::Value after = ReadJsonFile(file);
    EXPECT_EQ(BulletOf(after, 4), want);
    for (int b = 0; b < 30; ++b)
        if (b != 4) {
            EXPECT_EQ(BulletOf(after, b), bullets[size_t(b)]) << b;
        }

    const std::string kept = test::ReadText(file);
    for (const std::vector<std::string>& bad :
         {std::vector<std::string>{"shoot", "mouse", "set", "2", "5", "--x", "300"},
          {"shoot", "mouse", "set", "2", "31"},
          {"shoot", "mouse", "show", "4"},
          {"shoot", "mouse", "show"},
          {"shoot", "mouse", "import", "1"},
          {"shoot", "mouse", "aim", "1"}}) {
        EXPECT_EQ(Ctl(bad).code, ctl::kExitUsage) << bad.back();
    }
    EXPECT_EQ(test::ReadText(file), kept) << "refused changes leave the file";

    // "apply mouse" sends the patterns as they are now.
    ASSERT_EQ(Ctl({"apply", "mouse"}).code, ctl::kExitOk);
    const std::vector<uint8_t> image = BuildShootImage(Folder());
    const auto memory = Model().ShootImage();
    ASSERT_GE(memory.size(), image.size());
    EXPECT_TRUE(std::equal(image.begin(), image.end(), memory.begin()));
}

TEST_F(MouseCtlTest, ShootImportExportAndResetAreCopiesThatNeverDamageThePattern) {
    ASSERT_EQ(Ctl({"shoot", "mouse", "show", "0"}).code, ctl::kExitOk);
    const std::filesystem::path file = Folder() / ShootFileName(0);
    const std::string original = test::ReadText(file);
    const std::string pattern = "{ \"Events\": [], \"by\": \"hand\" }\r\n";
    test::WriteText(home_ / "good.shoot", pattern);
    test::WriteText(home_ / "bad.shoot", "text");
    struct Case {
        std::vector<std::string> args;
        int code;
        std::string after;
    };
    const std::string good = (home_ / "good.shoot").string();
    const std::vector<Case> cases = {
        {{"import", "0", (home_ / "bad.shoot").string()}, ctl::kExitRefused, original},
        {{"import", "0", (home_ / "gone.shoot").string()}, ctl::kExitFileError, original},
        {{"import", "0", good}, ctl::kExitOk, pattern},
        {{"reset", "0"}, ctl::kExitOk, original},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args{"shoot", "mouse"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Result r = Ctl(args);
        EXPECT_EQ(r.code, c.code) << c.args[0] << " " << c.args.back() << ": " << r.err;
        EXPECT_EQ(test::ReadText(file), c.after) << c.args[0] << " " << c.args.back();
    }
    const Result exported = Ctl({"shoot", "mouse", "export", "0", (home_ / "out.shoot").string()});
    ASSERT_EQ(exported.code, ctl::kExitOk) << exported.err;
    EXPECT_EQ(test::ReadText(home_ / "out.shoot"), original);
}

}  // namespace
}  // namespace dz
