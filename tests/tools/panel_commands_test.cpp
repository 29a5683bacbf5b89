// dozadirctl lighting and key in-process, against an emulated keyboard and mouse the test
// keeps: what they store in the selected profile and what reaches the device.
#include <gtest/gtest.h>
#include <json/json.h>

#include <sstream>

#include "cli.h"
#include "models/key_codes.h"
#include "models/keyboard_layout.h"
#include "models/keyboard_settings.h"
#include "models/mouse_settings_page.h"
#include "platform/hid/hid_backend.h"
#include "platform/paths/paths.h"
#include "profile/json_file.h"
#include "sim/emulator.h"
#include "sim/model_tables.h"
#include "support/emulated_ctl.h"
#include "support/macro_files.h"
#include "support/temp_folder.h"

namespace dz {
namespace {

using sim::DeviceKind;

using Result = test::CtlJsonResult;

class PanelCommandsTest : public test::EmulatedCtlTest {
  protected:
    PanelCommandsTest() : EmulatedCtlTest(Devices()) {}
    static sim::EmulatorConfig Devices() {
        sim::EmulatorConfig c;
        c.keyboard = true;
        c.mouse = true;
        return c;
    }
    static std::filesystem::path Folder(const char* kind) { return paths::KindDataFolder(kind); }
    // The kind's selected profile's device section (the kind keeps one profile here).
    static Json::Value Section(const char* kind) {
        std::error_code ec;
        if (!std::filesystem::is_directory(Folder(kind), ec)) return {};
        for (const auto& e : std::filesystem::directory_iterator(Folder(kind)))
            if (e.path().extension() == ".Json") return ReadJsonFile(e.path())["Device"][0];
        return {};
    }
    static int PositionOf(KeyFunctionCode code) {
        const auto codes = KeyboardPositionCodes();
        for (size_t p = 0; p < codes.size(); ++p)
            if (codes[p] == code) return static_cast<int>(p);
        return -1;
    }
    KeyFunctionCode KeyboardKey(int position) {
        const auto s =
            emu_.Model(DeviceKind::kKeyboard).KeySlot(sim::KeyboardSlotOfPosition(position));
        return {s[0], s[1], s[2]};
    }
};

TEST_F(PanelCommandsTest, LightingChangesTheRecordAsThePanelDoesAndWritesIt) {
    // Out of range values are kept within the keyboard's ranges; the colour switches
    // multicolour off even after it was asked for.
    const Result r = Ctl({"lighting", "keyboard", "--effect", "6", "--brightness", "9", "--speed",
                          "200", "--direction", "0", "--multicolour", "1", "--colour", "#00ff80"});
    ASSERT_EQ(r.code, ctl::kExitOk) << r.err;
    EXPECT_EQ(r.json["brightness"].asInt(), 5);
    EXPECT_EQ(r.json["speed"].asInt(), 4);
    EXPECT_EQ(r.json["multicolour"].asInt(), 0);
    EXPECT_EQ(r.json["colour"].asString(), "#00FF80");
    const Json::Value light = Section("keyboard")["LightInfo"];
    EXPECT_EQ(light["SelectItem"].asInt(), 6);
    EXPECT_EQ(light["Light"].asInt(), 5);
    EXPECT_EQ(light["Green"].asInt(), 255);
    const auto block = emu_.Model(DeviceKind::kKeyboard).ProfileSettings(0);
    EXPECT_EQ(block[kKbEffect], 6);
    EXPECT_EQ(block[kKbBrightness], 5);
    EXPECT_EQ(block[kKbDirection], 0);
    EXPECT_EQ(block[kKbRed + 1], 255);
    EXPECT_EQ(block[kKbRed + 2], 0x80);

    // Multicolour on after the colour, in the order given.
    const Result again = Ctl({"lighting", "keyboard", "--colour", "102030", "--multicolour", "1"});
    ASSERT_EQ(again.code, ctl::kExitOk) << again.err;
    EXPECT_EQ(Section("keyboard")["LightInfo"]["MultiColor"].asInt(), 1);
}

TEST_F(PanelCommandsTest, TheMouseTakesItsLightingInItsSettingsPage) {
    const Result r =
        Ctl({"lighting", "mouse", "--effect", "3", "--brightness", "9", "--colour", "ff0000"});
    ASSERT_EQ(r.code, ctl::kExitOk) << r.err;
    EXPECT_EQ(r.json["brightness"].asInt(), 4) << "the mouse's brightness runs to 4";
    EXPECT_EQ(Section("mouse")["LightInfo"]["SelectItem"].asInt(), 3);
    const auto bytes = emu_.Model(DeviceKind::kMouse).ProfileSettings(0);
    MousePageBytes page{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), page.size()), page.begin());
    const MouseSettingsPage decoded = DecodeMouseSettingsPage(page);
    EXPECT_EQ(decoded.brightness, 4);
    EXPECT_EQ(decoded.red, 255);
    EXPECT_EQ(decoded.green, 0);
}

TEST_F(PanelCommandsTest, BadLightingArgumentsChangeNothing) {
    // Without options the profile's lighting is written as it is.
    ASSERT_EQ(Ctl({"lighting", "keyboard"}).code, ctl::kExitOk);
    const Json::Value before = Section("keyboard")["LightInfo"];
    ASSERT_FALSE(before.isNull());
    struct Case {
        std::vector<std::string> args;
    };
    const Case cases[] = {
        {{"--effect", "99"}},    {{"--effect", "no-such-effect"}},
        {{"--colour", "12345"}}, {{"--brightness", "12abc"}},
        {{"--direction", "2"}},  {{"--speed"}},
        {{"--hue", "3"}},
    };
    for (const Case& c : cases) {
        std::vector<std::string> args = {"lighting", "keyboard"};
        args.insert(args.end(), c.args.begin(), c.args.end());
        const Result r = Ctl(args);
        EXPECT_EQ(r.code, ctl::kExitUsage) << c.args[0];
        EXPECT_FALSE(r.err.empty()) << c.args[0];
    }
    EXPECT_EQ(Section("keyboard")["LightInfo"], before);
}

TEST_F(PanelCommandsTest, AKeyGivenAFunctionIsStoredAndWrittenToTheKeyMap) {
    const int a = PositionOf({kKeyTypeKeyboard, 0, 0x04});
    ASSERT_GE(a, 0);
    const Result r = Ctl({"key", "keyboard", std::to_string(a), "Volume Up"});
    ASSERT_EQ(r.code, ctl::kExitOk) << r.err;
    EXPECT_EQ(r.json["code"].asString(), "30E900");
    EXPECT_TRUE(r.json["keyMap"]["ok"].asBool());
    EXPECT_EQ(KeyboardKey(a), (KeyFunctionCode{kKeyTypeConsumer, 0xE9, 0}));
    EXPECT_EQ(Section("keyboard")["KeyList"][a]["Assignment"].asInt(),
              KeyCodeToProfileInt({kKeyTypeConsumer, 0xE9, 0}));

    // A macro: the keyboard numbers the macros its keys play from 0.
    test::WriteMacroList(Folder("keyboard"), {2, 4});
    const Result m = Ctl({"key", "keyboard", std::to_string(a), "macro:macro_2:repeat=3"});
    ASSERT_EQ(m.code, ctl::kExitOk) << m.err;
    EXPECT_EQ(m.json["code"].asString(), "710103") << "macro 1 of the list";
    EXPECT_EQ(KeyboardKey(a), (KeyFunctionCode{kKeyTypeMacroRepeat, 0, 3}))
        << "the only macro in use is the keyboard's macro 0";

    // Back to the factory function.
    ASSERT_EQ(Ctl({"key", "keyboard", std::to_string(a), "default"}).code, ctl::kExitOk);
    EXPECT_EQ(KeyboardKey(a), (KeyFunctionCode{kKeyTypeKeyboard, 0, 0x04}));
}

TEST_F(PanelCommandsTest, MacrosThatDoNotFitGiveTheKeyItsDefaultBack) {
    test::WriteMacroList(Folder("keyboard"), {70000});
    const int a = PositionOf({kKeyTypeKeyboard, 0, 0x04});
    const Result r = Ctl({"key", "keyboard", std::to_string(a), "macro:macro_1"});
    EXPECT_EQ(r.code, ctl::kExitDeviceError);
    EXPECT_GT(r.json["macroAnswer"].asInt(), 0) << "the shortage in events";
    EXPECT_NE(r.err.find("too many"), std::string::npos) << r.err;
    EXPECT_EQ(r.json["code"].asString(), "200004");
    EXPECT_EQ(Section("keyboard")["KeyList"][a]["Assignment"].asInt(),
              KeyCodeToProfileInt({kKeyTypeKeyboard, 0, 0x04}));
    EXPECT_EQ(KeyboardKey(a), (KeyFunctionCode{kKeyTypeKeyboard, 0, 0x04}));
}

TEST_F(PanelCommandsTest, KeyWordsThatTheKindRefusesAreToldAndChangeNothing) {
    const int a = PositionOf({kKeyTypeKeyboard, 0, 0x04});
    struct Case {
        std::vector<std::string> args;
        int code;
    };
    const Case cases[] = {
        {{"key", "keyboard", std::to_string(a), "dpi-up"}, ctl::kExitUsage},  // no DPI keys
        {{"key", "keyboard", std::to_string(a), "gun:1"}, ctl::kExitUsage},
        {{"key", "keyboard", std::to_string(a), "macro:none"}, ctl::kExitUsage},
        {{"key", "keyboard", std::to_string(a), "no-such-key"}, ctl::kExitUsage},
        {{"key", "keyboard", "999", "A"}, ctl::kExitRefused},
        {{"key", "keyboard", "x", "A"}, ctl::kExitUsage},
        {{"key", "keyboard", std::to_string(a)}, ctl::kExitUsage},
        // The mouse's button 0 is its only left button.
        {{"key", "mouse", "0", "right"}, ctl::kExitRefused},
    };
    for (const Case& c : cases) {
        const Result r = Ctl(c.args);
        EXPECT_EQ(r.code, c.code) << c.args.back();
        EXPECT_FALSE(r.err.empty()) << c.args.back();
    }
    EXPECT_EQ(KeyboardKey(a), (KeyFunctionCode{kKeyTypeKeyboard, 0, 0x04}));
    // Another mouse button may take the left click, and then button 0 may give it away.
    ASSERT_EQ(Ctl({"key", "mouse", "1", "left"}).code, ctl::kExitOk);
    const Result r = Ctl({"key", "mouse", "0", "right"});
    EXPECT_EQ(r.code, ctl::kExitOk) << r.err;
    EXPECT_EQ(Section("mouse")["KeyList"][0]["Assignment"].asInt(),
              KeyCodeToProfileInt({kKeyTypeMouseButton, kMouseButtonRight, 0}));
}

}  // namespace
}  // namespace dz
