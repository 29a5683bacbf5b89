// dozadirctl sync keyboard and apply keyboard against an emulated keyboard the test holds:
// what the commands print is what the keyboard holds, and what apply writes is there after.
#include <gtest/gtest.h>

#include <sstream>

#include "cli.h"
#include "device/command_packet.h"
#include "models/keyboard_layout.h"
#include "models/keyboard_settings.h"
#include "models/macro_image.h"
#include "platform/hid/hid_backend.h"
#include "platform/paths/paths.h"
#include "profile/json_file.h"
#include "sim/emulator.h"
#include "support/ctl_run.h"
#include "support/macro_files.h"
#include "support/temp_folder.h"

namespace dz {
namespace {

using sim::DeviceKind;
using sim::Link;

using test::RunCtl;
using Result = test::CtlResult;

class KeyboardCtlTest : public ::testing::Test {
  protected:
    void SetUp() override {
        setenv("DOZADIR_NO_HIDRAW", "1", 1);
        unsetenv("DOZADIR_SIMULATE");
        setenv("DOZADIR_DATA_HOME", home_.path().c_str(), 1);
        setenv("DOZADIR_PROGRAM_DATA", DOZADIR_SOURCE_DATA_DIR, 1);
        emu_.SetLatency(std::chrono::microseconds(0));
        hid::BackendRegistry::Instance().Add(emu_.Backend());
    }
    void TearDown() override { hid::BackendRegistry::Instance().Remove(emu_.Backend().get()); }

    static Result Ctl(const std::vector<std::string>& args) { return RunCtl(args); }
    static Json::Value Parsed(const Result& r) { return ParseJsonText(r.out); }
    std::filesystem::path Folder() const { return home_.path() / "Dozadir Keyboard" / "keyboard"; }
    sim::FirmwareModel& Model() { return emu_.Model(DeviceKind::kKeyboard); }
    // The profile list's first profile file, made by a first listing.
    std::filesystem::path FirstProfile() {
        const Result r = Ctl({"--json", "profile", "list", "keyboard"});
        EXPECT_EQ(r.code, 0) << r.err;
        return Parsed(r)["profiles"][0]["file"].asString();
    }
    void EditSection(const std::filesystem::path& file,
                     const std::function<void(Json::Value&)>& edit) {
        Json::Value doc = ReadJsonFile(file);
        edit(doc["Device"][0]);
        test::WriteJson(file, doc);
    }
    KeyFunctionCode DeviceKey(int position) {
        const auto c = Model().KeySlot(sim::KeyboardSlotOfPosition(position));
        return {c[0], c[1], c[2]};
    }

    test::TempFolder home_;
    sim::Emulator emu_{sim::EmulatorConfig{}};
};

TEST_F(KeyboardCtlTest, SyncPrintsTheFirstReadAsTheKeyboardHoldsIt) {
    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kCable));
    ASSERT_TRUE(Model().SetCurrentProfile(2));
    ASSERT_TRUE(Model().SetKeySlot(sim::KeyboardSlotOfPosition(7), {0x20, 0, 0x04}));
    const Result r = Ctl({"--json", "sync", "keyboard"});
    ASSERT_EQ(r.code, ctl::kExitOk) << r.err;
    const Json::Value v = Parsed(r);
    EXPECT_EQ(v["keySlots"].asInt(), 170);
    EXPECT_EQ(v["macroBytes"].asInt(), 4096);
    EXPECT_EQ(v["info"].size(), 34u);
    EXPECT_EQ(v["positions"].size(), 125u);
    ASSERT_EQ(v["positionsWithoutSlot"].size(), 1u) << "position 7's key was reassigned";
    EXPECT_EQ(v["positionsWithoutSlot"][0].asInt(), 7);
    EXPECT_EQ(v["positions"][0]["slot"].asInt(), sim::KeyboardSlotOfPosition(0));
    const Json::Value s = v["settings"];
    EXPECT_EQ(s["profile"].asInt(), 2);
    EXPECT_EQ(s["offset"].asInt(), 50);
    EXPECT_EQ(s["effect"].asInt(), 1);
    EXPECT_EQ(s["speed"].asInt(), 2);
    EXPECT_EQ(s["colour"][2].asInt(), 0xFF) << "profile 2 is blue";
    EXPECT_EQ(s["pollingRate"].asInt(), 3);
    EXPECT_EQ(v["power"][0].asInt(), 85);
    EXPECT_FALSE(v["receiver"].asBool());

    const Result text = Ctl({"sync", "keyboard"});
    ASSERT_EQ(text.code, 0);
    EXPECT_NE(text.out.find("without a slot: 7\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("settings block of profile 2 (offset 50)"), std::string::npos);
}

TEST_F(KeyboardCtlTest, SyncThroughTheReceiverAndWithoutAKeyboard) {
    Result r = Ctl({"sync", "keyboard"});
    EXPECT_EQ(r.code, ctl::kExitNoDevice);
    EXPECT_NE(r.err.find("no keyboard is connected"), std::string::npos) << r.err;
    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kReceiver));
    r = Ctl({"--json", "sync", "keyboard"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_TRUE(Parsed(r)["receiver"].asBool()) << "the receiver when there is no cable";
    EXPECT_EQ(Parsed(r)["power"][3].asInt(), 1);
    EXPECT_EQ(Ctl({"sync", "keyboard-rx"}).code, 0);
    emu_.SetLinked(DeviceKind::kKeyboard, false);
    r = Ctl({"sync", "keyboard"});
    EXPECT_EQ(r.code, ctl::kExitDeviceError) << "the keyboard behind the receiver does not answer";
}

TEST_F(KeyboardCtlTest, ApplyWritesMacrosKeyMapAndSettingsAsTheWindowDoes) {
    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kCable));
    const std::filesystem::path profile = FirstProfile();
    test::WriteMacroList(Folder(), {2, 3, 1, 1, 1, 5});
    EditSection(profile, [](Json::Value& d) {
        d["KeyList"][0]["Assignment"] = KeyCodeToProfileInt({kKeyTypeMacro, 5, 0});
        d["KeyList"][1]["Assignment"] = KeyCodeToProfileInt({kKeyTypeMacro, 2, 0});
        d["KeyList"][2]["Assignment"] = KeyCodeToProfileInt({kKeyTypeMacro, 6, 0});
        d["LightInfo"]["SelectItem"] = 29;
        d["SystemStages"]["WinFlag"] = 1;
        d["SystemStages"]["PollingRate"] = 2;
    });
    const Result r = Ctl({"--json", "apply", "keyboard"});
    ASSERT_EQ(r.code, ctl::kExitOk) << r.err << r.out;
    const Json::Value v = Parsed(r);
    EXPECT_EQ(v["macros"]["macros"], test::J("[5, 2]"));
    EXPECT_EQ(v["macros"]["answer"].asInt(), 0);
    EXPECT_EQ(v["keyMap"]["bytes"].asInt(), 510);
    EXPECT_TRUE(v["settings"]["ok"].asBool());

    EXPECT_EQ(DeviceKey(0), (KeyFunctionCode{kKeyTypeMacro, 0, 0}));
    EXPECT_EQ(DeviceKey(1), (KeyFunctionCode{kKeyTypeMacro, 1, 0}));
    EXPECT_EQ(DeviceKey(2), KeyboardPositionCodes()[2]);
    const std::vector<uint8_t> memory = Model().MacroMemory();
    EXPECT_EQ(memory[4], 2);
    EXPECT_EQ(memory[2] | memory[3] << 8, 16 + 12 + 4 * (5 + 1));
    const std::vector<uint8_t> block = Model().ProfileSettings(0);
    EXPECT_EQ(block[kKbEffect], kHostDrivenEffect);
    EXPECT_EQ(block[kKbWinFlag], 1);
    EXPECT_EQ(block[kKbPollingRate], 2);

    // The profile file keeps the macro list's numbers.
    EXPECT_EQ(ReadJsonFile(profile)["Device"][0]["KeyList"][0]["Assignment"].asInt(),
              KeyCodeToProfileInt({kKeyTypeMacro, 5, 0}));
}

TEST_F(KeyboardCtlTest, MacrosThatDoNotFitEndWithExitCode2AndTheRestIsWritten) {
    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kCable));
    const std::filesystem::path profile = FirstProfile();
    test::WriteMacroList(Folder(), {1100});
    EditSection(profile, [](Json::Value& d) {
        d["KeyList"][0]["Assignment"] = KeyCodeToProfileInt({kKeyTypeMacro, 0, 0});
        d["SystemStages"]["Key6Flag"] = 1;
    });
    const std::vector<uint8_t> before = Model().MacroMemory();
    const Result r = Ctl({"apply", "keyboard"});
    EXPECT_EQ(r.code, ctl::kExitDeviceError);
    const int shortage = (16 + 6 + 4400 - 4096) / 4 + 1;
    EXPECT_NE(r.err.find(std::to_string(shortage) + " events too many"), std::string::npos)
        << r.err;
    EXPECT_EQ(Model().MacroMemory(), before);
    EXPECT_EQ(Model().ProfileSettings(0)[kKbKey6Flag], 1) << "the settings still go";
    EXPECT_EQ(DeviceKey(0), (KeyFunctionCode{kKeyTypeMacro, 0, 0})) << "the key map still goes";
}

TEST_F(KeyboardCtlTest, ApplyTakesAProfileByName) {
    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kCable));
    (void)FirstProfile();
    ASSERT_EQ(Ctl({"profile", "add", "keyboard"}).code, 0);
    const Json::Value list = Parsed(Ctl({"--json", "profile", "list", "keyboard"}));
    const std::filesystem::path second = list["profiles"][1]["file"].asString();
    EditSection(second, [](Json::Value& d) { d["LightInfo"]["Red"] = 0x42; });
    ASSERT_EQ(Ctl({"apply", "keyboard", "profile2"}).code, 0);
    EXPECT_EQ(Model().ProfileSettings(0)[kKbRed], 0x42);
    EXPECT_EQ(Ctl({"apply", "keyboard", "nonesuch"}).code, ctl::kExitRefused);
}

// With DOZADIR_DEBUG=1 the binary prints every packet and answer.
TEST_F(KeyboardCtlTest, TheBinaryPrintsThePacketTracesWithDebugOutputOn) {
    const std::string command = "DOZADIR_DEBUG=1 DOZADIR_DATA_HOME='" + home_.path().string() +
                                "' " DOZADIRCTL_BIN " --simulate=keyboard sync keyboard 2>&1";
    FILE* p = popen(command.c_str(), "r");
    ASSERT_NE(p, nullptr);
    std::string text;
    char buf[4096];
    for (size_t n; (n = fread(buf, 1, sizeof buf, p)) > 0;) text.append(buf, n);
    EXPECT_EQ(pclose(p), 0) << text;
    EXPECT_NE(text.find("命令"), std::string::npos);
    EXPECT_NE(text.find("返回"), std::string::npos);
    // A BEGIN packet: report id 4, checksum 0x0001, command 1.
    EXPECT_NE(text.find("04 01 00 01"), std::string::npos);
    EXPECT_NE(text.find("settings block of profile 0"), std::string::npos);
}

}  // namespace
}  // namespace dz
