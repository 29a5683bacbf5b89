// dozadirctl preview keyboard: the selected profile's lighting with options in its place, K
// steps of the effect, in a private user data folder with the installed default data.
#include <gtest/gtest.h>

#include <sstream>

#include "cli.h"
#include "device/device_table.h"
#include "device/lighting/lighting_tables.h"
#include "preview_commands.h"
#include "profile/json_file.h"
#include "profile/profile_store.h"
#include "support/ctl_run.h"
#include "support/temp_folder.h"

namespace dz {
namespace {

namespace fs = std::filesystem;

using test::RunCtl;
using Result = test::CtlResult;

using Light = std::array<int, 4>;

class PreviewCommandTest : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("DOZADIR_DATA_HOME", home_.path().c_str(), 1); }
    void TearDown() override { ::unsetenv("DOZADIR_DATA_HOME"); }

    static Result Run(const std::vector<std::string>& args) { return RunCtl(args); }
    // The lights of a --json preview.
    static std::vector<Light> Lights(std::vector<std::string> options) {
        std::vector<std::string> args = {"--json", "preview", "keyboard"};
        args.insert(args.end(), options.begin(), options.end());
        const Result r = Run(args);
        EXPECT_EQ(r.code, ctl::kExitOk) << r.err;
        const Json::Value v = ParseJsonText(r.out);
        std::vector<Light> lights;
        for (const Json::Value& l : v["lights"])
            lights.push_back({l[0].asInt(), l[1].asInt(), l[2].asInt(), l[3].asInt()});
        return lights;
    }
    static Light Wheel(size_t index, int alpha) {
        const lighting::Rgb c = lighting::kColourWheel[index];
        return {c.red, c.green, c.blue, alpha};
    }
    fs::path Folder() const { return home_.path() / "Dozadir Keyboard" / "keyboard"; }
    // The selected profile's device section, edited and written back.
    template <class Edit>
    void EditProfile(Edit edit) {
        ASSERT_EQ(Run({"profile", "list", "keyboard"}).code, 0);
        ProfileStore store(Folder(), "", TYPE_KEYBOARD);
        store.Initialise();
        const fs::path file = store.GetProfilePath(store.GetSelectedIndex());
        Json::Value root = ReadJsonFile(file);
        edit(root["Device"][0]);
        ASSERT_TRUE(TryWriteJsonFile(file, root));
    }

    test::TempFolder home_;
};

TEST_F(PreviewCommandTest, TheDefaultProfilesWaveAfterOneStep) {
    // The default profile: the wave, brightness 4, multicolour, forward.
    const std::vector<Light> lights = Lights({});
    ASSERT_EQ(lights.size(), 170u);
    EXPECT_EQ(lights[120], Wheel(2, 205));  // column 0: L + 1
    EXPECT_EQ(lights[0], Wheel(16, 205));   // column 2
    EXPECT_EQ(lights[150], (Light{0, 0, 0, 0}));
    EXPECT_EQ(Lights({"--steps", "4"})[120], Wheel(5, 205));
    EXPECT_EQ(Lights({"--steps", "0"})[120], (Light{0, 0, 0, 0}));
}

TEST_F(PreviewCommandTest, OptionsTakeThePlaceOfTheProfilesSettings) {
    for (const Light& l : Lights({"--effect", "17", "--sub-mode", "2"}))
        EXPECT_EQ(l, Wheel(70, 205));
    for (const Light& l : Lights({"--effect", "17", "--sub-mode", "7", "--brightness", "5"}))
        EXPECT_EQ(l, Wheel(174, 255));
    for (const Light& l : Lights({"--effect", "6", "--multicolour", "0", "--colour", "0A141E"}))
        EXPECT_EQ(l, (Light{10, 20, 30, 205}));
    // Backward: L goes 0 -> 191 and column 0 shows W[0].
    EXPECT_EQ(Lights({"--direction", "0"})[120], Wheel(0, 205));
}

TEST_F(PreviewCommandTest, TheProfilesOwnSettingsAndColourGroupsAreUsed) {
    EditProfile([](Json::Value& device) {
        device["LightInfo"]["SelectItem"] = 6;
        device["LightInfo"]["MultiColor"] = 0;
        device["LightInfo"]["Light"] = 3;
        device["LightInfo"]["Red"] = 1;
        device["LightInfo"]["Green"] = 2;
        device["LightInfo"]["Blue"] = 3;
        Json::Value& colour = device["CustomLightMode"]["LightColorInfo"][0][5];
        colour["Red"] = 40;
        colour["Green"] = 50;
        colour["Blue"] = 60;
        colour["Alpha"] = 255;
    });
    EXPECT_EQ(Lights({})[77], (Light{1, 2, 3, 150}));
    const std::vector<Light> custom = Lights({"--effect", "20"});
    EXPECT_EQ(custom[5], (Light{40, 50, 60, 150}));
    EXPECT_EQ(custom[6], (Light{0, 0, 0, 150}));
}

TEST_F(PreviewCommandTest, ACustomEffectPlaysItsFileAndTheLightListOverrides) {
    ASSERT_EQ(Run({"profile", "list", "keyboard"}).code, 0);
    Json::Value list;
    list["LightInfo"][0][0]["LightName"] = "mine";
    list["LightInfo"][0][0]["Guid"] = "mine";
    ASSERT_TRUE(TryWriteJsonFile(Folder() / "rodav_light.config", list));
    Json::Value effect;
    effect["LEDEffectList"][0]["LEDREGMode"] = 1;  // static, T[4] = 7 passes
    effect["LEDEffectList"][0]["LEDBrightness"] = 5;
    effect["LEDEffectList"][0]["LEDSpeed"] = 4;
    effect["LEDEffectList"][0]["red"] = 200;
    effect["LEDEffectList"][0]["Time"] = 100000;
    ASSERT_TRUE(TryWriteJsonFile(Folder() / "mine.light", effect));
    EditProfile([](Json::Value& device) {
        device["LightList"][0] = Json::Value();    // not valid: overrides nothing
        device["LightList"][1]["LEDREGMode"] = 4;  // off
    });
    EXPECT_EQ(Lights({"--effect", "0", "--steps", "6"})[0], (Light{0, 0, 0, 0}));
    const std::vector<Light> lights = Lights({"--effect", "0", "--steps", "7"});
    EXPECT_EQ(lights[0], (Light{200, 0, 0, 255}));
    EXPECT_EQ(lights[1], (Light{0, 0, 0, 0}));
    EXPECT_EQ(lights[169], (Light{200, 0, 0, 255}));
}

TEST_F(PreviewCommandTest, ASeedRepeatsTheRandomChoices) {
    const std::vector<std::string> twinkle = {"--effect", "10", "--steps", "5", "--seed", "9"};
    const std::vector<Light> first = Lights(twinkle);
    EXPECT_EQ(Lights(twinkle), first);
    int lit = 0;
    for (const Light& l : first) lit += l[3] != 0;
    EXPECT_GT(lit, 5);
    EXPECT_NE(Lights({"--effect", "10", "--steps", "5", "--seed", "10"}), first);
}

TEST_F(PreviewCommandTest, PlainOutputHasALinePerLightAndBadOptionsAreRefused) {
    const Result r = Run({"preview", "keyboard", "--effect", "28"});
    ASSERT_EQ(r.code, 0) << r.err;
    EXPECT_NE(r.out.find("light 0: 0 0 0 0\n"), std::string::npos);
    EXPECT_NE(r.out.find("light 169: 0 0 0 0\n"), std::string::npos);
    EXPECT_EQ(r.out.find("\x1b["), std::string::npos);  // no picture when not a terminal

    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    const Case refused[] = {
        {{"preview", "keyboard", "--speed", "5"}, "--speed 5"},
        {{"preview", "keyboard", "--brightness", "x"}, "--brightness x"},
        {{"preview", "keyboard", "--colour", "12345"}, "RRGGBB"},
        {{"preview", "keyboard", "--steps"}, "needs a value"},
        {{"preview", "keyboard", "--frames", "2"}, "unknown option --frames"},
        {{"preview", "lamp"}, "unknown command or wrong arguments: preview"},
    };
    for (const Case& c : refused) {
        const Result bad = Run(c.args);
        EXPECT_EQ(bad.code, ctl::kExitUsage) << c.says;
        EXPECT_NE(bad.err.find(c.says), std::string::npos) << bad.err;
    }
}

TEST(KeyboardPicture, LightsSitWhereTheMatrixHasThem) {
    lighting::LedArray leds(170);
    (void)leds.Set(120, {255, 0, 0, 255});  // column 0, row 1
    (void)leds.Set(0, {0, 0, 255, 128});    // column 2, row 0
    (void)leds.Set(140, {0, 255, 0, 255});  // not in the matrix
    std::ostringstream out;
    ctl::WriteKeyboardPicture(out, leds);
    std::vector<std::string> rows;
    std::istringstream in(out.str());
    for (std::string line; std::getline(in, line);) rows.push_back(line);
    ASSERT_EQ(rows.size(), 7u);
    EXPECT_EQ(rows[0].rfind("      \x1b[48;2;0;0;127m  \x1b[0m ", 0), 0u);
    EXPECT_EQ(rows[1].rfind("\x1b[48;2;254;0;0m  \x1b[0m ", 0), 0u);
    EXPECT_NE(rows[6].find("\x1b[48;2;0;254;0m"), std::string::npos);
}

}  // namespace
}  // namespace dz
