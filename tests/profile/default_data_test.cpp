// The shipped default data: complete device sections that the profile data reads back,
// and effect lists that the device pages can use.

#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "device/device_table.h"
#include "models/key_tables.h"
#include "platform/paths/paths.h"
#include "profile/device_profiledata.h"
#include "profile/json_file.h"

namespace dz {
namespace {

namespace fs = std::filesystem;

class DefaultDataTest : public ::testing::Test {
  protected:
    void SetUp() override {
        const char* data = std::getenv("DZ_TEST_SOURCE_DATA");
        ASSERT_NE(data, nullptr);
        ::setenv("DOZADIR_PROGRAM_DATA", data, 1);
    }
    void TearDown() override { ::unsetenv("DOZADIR_PROGRAM_DATA"); }

    static Json::Value Section(std::string_view kind) {
        return ReadJsonFile(paths::DefaultDataFile(kind))["Device"][0];
    }
};

KeyFunctionCode CodeOfKey(const std::string& name) {
    for (const KeyNameRow& row : KeyNameTable()) {
        if (row.name == "keyboard_key_" + name) return row.code;
    }
    ADD_FAILURE() << "no key " << name;
    return {};
}

TEST_F(DefaultDataTest, EveryKindHasACompleteDeviceSection) {
    for (const DeviceKindRecord& kind : kDeviceKinds) {
        SCOPED_TRACE(kind.kind_name);
        const Json::Value section = Section(kind.kind_name);
        ASSERT_TRUE(section.isObject());
        for (const char* key : {"LightInfo", "AudioLightInfo"}) {
            EXPECT_TRUE(section[key].isObject()) << key;
        }
        EXPECT_TRUE(section["LightList"].isArray());
        // The profile data reads it as a profile.
        CBasicProfiledata data;
        data.SetDefaultPath(paths::DefaultDataFile(kind.kind_name));
        ASSERT_FALSE(data.LoadDeviceSection({}).isNull());
        EXPECT_LE(data.ReadLightInfo().brightness, 5);
        EXPECT_LE(data.ReadLightInfo().speed, 4);
        EXPECT_EQ(data.ReadAudioLightInfo().color_type, 1);
    }
}

TEST_F(DefaultDataTest, KeyboardKeysHaveTheirPositionDefaults) {
    // Position -> key name (empty: the code given beside it).
    std::vector<std::string> names = {"Esc"};
    for (int i = 1; i <= 12; ++i) names.push_back("F" + std::to_string(i));
    for (const char* n : {"Print Scr", "Scroll Lock", "Pause", "GM", "", "", "", "", "`"}) {
        names.push_back(n);
    }
    for (const char* n :
         {"1",         "2",       "3",      "4",     "5",         "6",      "7",      "8",
          "9",         "0",       "-",      "=",     "BackSpace", "Insert", "Home",   "Page Up",
          "Num Lock",  "Num /",   "Num *",  "Num -", "Tab",       "Q",      "W",      "E",
          "R",         "T",       "Y",      "U",     "I",         "O",      "P",      "[",
          "]",         "xiegang", "Delete", "End",   "Page Down", "Num 7",  "Num 8",  "Num 9",
          "K42",       "Caplk",   "A",      "S",     "D",         "F",      "G",      "H",
          "J",         "K",       "L",      ";",     "'",         "Enter",  "Num 4",  "Num 5",
          "Num 6",     "K132",    "K131",   "K151",  "K150",      "K133",   "LShift", "Z",
          "X",         "C",       "V",      "B",     "N",         "M",      "<",      ".",
          "/",         "RShift",  "Up",     "Num 1", "Num 2",     "Num 3",  "K56",    "K14",
          "K45",       "K107",    "",       "LCtrl", "LWin",      "LAlt",   "Space",  "RAlt",
          "FN",        "App",     "RCtrl",  "Left",  "Down",      "Right",  "Num 0",  "Decimal",
          "Num Enter", "Num +",   "M1",     "M2",    "M3",        "M4",     "M5",     "RWin"}) {
        names.push_back(n);
    }
    ASSERT_EQ(names.size(), 126u);

    CKeyboardProfiledata data;
    data.SetDefaultPath(paths::DefaultDataFile("keyboard"));
    data.LoadDeviceSection({});
    const auto keys = data.GetKeyList();
    ASSERT_EQ(keys.size(), 126u);
    for (size_t p = 0; p < keys.size(); ++p) {
        SCOPED_TRACE(p);
        KeyFunctionCode expected{0x20, 0, 0};
        if (p == 17) expected = {0xA0, 0x24, 0x00};
        if (!names[p].empty()) expected = CodeOfKey(names[p]);
        EXPECT_EQ(keys[p].default_code, expected);
        EXPECT_EQ(keys[p].current, expected);
    }
    EXPECT_EQ(data.GetSystemStages()[0], PackHalves(20, 1));
}

TEST_F(DefaultDataTest, MouseButtonsStagesAndCorrection) {
    const KeyFunctionCode buttons[] = {{0x10, 0x01, 0x00}, {0x10, 0x02, 0x00}, {0x10, 0x04, 0x00},
                                       {0x10, 0x10, 0x00}, {0x10, 0x08, 0x00}, {0x13, 0x01, 0x00},
                                       {0x13, 0x02, 0x00}, {0x13, 0x03, 0x00}, {0xA0, 0x1B, 0x00},
                                       {0x16, 0x90, 0x01}, {0x14, 0x78, 0x02}};
    CMouseProfiledata data;
    data.SetDefaultPath(paths::DefaultDataFile("mouse"));
    data.LoadDeviceSection({});
    const auto keys = data.GetKeyList();
    ASSERT_EQ(keys.size(), std::size(buttons));
    for (size_t i = 0; i < keys.size(); ++i) EXPECT_EQ(keys[i].default_code, buttons[i]) << i;
    EXPECT_EQ(data.GetDpiStages().size(), 5u);
    const auto presets = data.GetCorrectionPresets();
    ASSERT_FALSE(presets.empty());
    EXPECT_EQ(
        std::count_if(presets.begin(), presets.end(), [](const auto& p) { return p.selected; }), 1);
    EXPECT_LE(HighHalf(data.GetSystemValues()[2]), 4);
}

TEST_F(DefaultDataTest, HeadsetPresetsAndSettings) {
    CDo6533Profiledata data;
    data.SetDefaultPath(paths::DefaultDataFile("HD"));
    data.LoadDeviceSection({});
    EXPECT_EQ(data.GetEqBands(1), (std::vector<int>{7, 11, 2, -3, -1, 4, 9, 12, 9, 5}));
    EXPECT_EQ(data.GetEqBands(12), (std::vector<int>{2, 1, -2, -4, -8, 4, 12, 16, 18, 15}));
    EXPECT_EQ(data.GetEqBands(5), std::vector<int>(10, 0));
    const HeadsetSystemValues values = data.GetSystemSetStages();
    EXPECT_GE(values[2], 1);
    EXPECT_LE(values[2], 13);
    EXPECT_TRUE(data.GetCustomEqNames().empty());
}

TEST_F(DefaultDataTest, EffectListsOfTheFourKinds) {
    const Json::Value lights = ReadJsonFile(paths::DefaultLightFile());
    const Json::Value& modes = lights["DefaultLightName"];
    const Json::Value& areas = lights["AreaLightName"];
    ASSERT_EQ(modes.size(), 4u);
    ASSERT_EQ(areas.size(), 4u);
    // By kind code: keyboard 31 effects, mouse 10 modes, mousepad and headset 9.
    const unsigned counts[] = {31, 10, 9, 9};
    for (unsigned kind = 0; kind < 4; ++kind) {
        SCOPED_TRACE(kind);
        ASSERT_EQ(modes[kind].size(), counts[kind]);
        for (const Json::Value& mode : modes[kind]) {
            const std::string name = mode["LightName"].asString();
            EXPECT_TRUE(name.ends_with("_text")) << name;
            EXPECT_TRUE(mode["visible"].isBool());
            EXPECT_TRUE(mode["value"].isInt());
        }
        EXPECT_FALSE(areas[kind].empty());
        for (const Json::Value& area : areas[kind]) {
            EXPECT_TRUE(area["LightName"].asString().ends_with("_text"));
        }
    }
    // The host-driven keyboard effects carry the codes the keyboard expects.
    EXPECT_EQ(modes[0][29]["value"], 0x1D);
    EXPECT_EQ(modes[0][30]["value"], 0x1E);
    EXPECT_FALSE(modes[0][0]["visible"].asBool());  // index 0 plays custom effects
    EXPECT_TRUE(modes[0][20]["visible"].asBool());
}

}  // namespace
}  // namespace dz
