#include "profile/device_profiledata.h"

#include <gtest/gtest.h>

#include "profile/json_file.h"
#include "support/temp_folder.h"

namespace dz {
namespace {

namespace fs = std::filesystem;
using test::J;

// Loads `section` as the device section of a profile file into `data`.
template <typename Data>
class SectionFixture : public ::testing::Test {
  protected:
    void Load(const std::string& section) {
        Json::Value file;
        file["Device"][0] = J(section);
        test::WriteJson(profile_, file);
        data_.SetProfilePath(profile_);
        data_.LoadDeviceSection(profile_);
    }
    Json::Value Saved() {
        EXPECT_TRUE(data_.Save());
        return ReadJsonFile(profile_)["Device"][0];
    }

    test::TempFolder dir_;
    fs::path profile_ = dir_ / "p.Json";
    Data data_;
};

using KeyboardSection = SectionFixture<CKeyboardProfiledata>;
using MouseSection = SectionFixture<CMouseProfiledata>;
using HeadsetSection = SectionFixture<CDo6533Profiledata>;

TEST_F(KeyboardSection, SystemStagesPackTwoHalvesPerWord) {
    Load(R"({})");
    EXPECT_EQ(data_.GetSystemStages(), (StageWords{0, 0, 0}));

    Load(R"({"SystemStages": {"Keep": 1}})");
    data_.SetSystemStages({PackHalves(20, 500), PackHalves(1, 3), PackHalves(0, 1)});
    const Json::Value stages = Saved()["SystemStages"];
    EXPECT_EQ(stages, J(R"({"Keep": 1, "Repeat": 20, "RepeatDelay": 500, "Key6Flag": 1,
                            "PollingRate": 3, "WFlag": 0, "WinFlag": 1})"));
    Load(StyledJsonText(Saved()));
    EXPECT_EQ(data_.GetSystemStages()[0], 500u * 65536u + 20u);
    EXPECT_EQ(data_.GetSystemStages()[2], 65536u);

    // A value wider than 16 bits keeps its low half.
    Load(R"({"SystemStages": {"Repeat": 65537, "RepeatDelay": "x"}})");
    EXPECT_EQ(data_.GetSystemStages()[0], 1u);
}

TEST_F(KeyboardSection, MissingCustomGroupReadsAsZerosAndIsFilledIn) {
    Load(R"({"CustomLightMode": {"LightColorInfo": [[{"Red": 1, "Green": 2, "Blue": 3,
        "Alpha": 260}]]}})");
    const auto colors = data_.GetCustomColors(2, 104);
    ASSERT_EQ(colors.size(), 104u);
    for (const KeyColor& c : colors) EXPECT_EQ(c, KeyColor{});
    const Json::Value groups = Saved()["CustomLightMode"]["LightColorInfo"];
    ASSERT_EQ(groups[2].size(), 104u);
    EXPECT_EQ(groups[2][103], J(R"({"Red": 0, "Green": 0, "Blue": 0, "Alpha": 0})"));
    EXPECT_TRUE(groups[1].isNull());

    // An existing group: stored colours by low byte, missing keys filled in.
    const auto group0 = data_.GetCustomColors(0, 3);
    EXPECT_EQ(group0[0], (KeyColor{1, 2, 3, 4}));
    EXPECT_EQ(group0[2], KeyColor{});
    EXPECT_EQ(Saved()["CustomLightMode"]["LightColorInfo"][0].size(), 3u);
}

TEST_F(KeyboardSection, SetCustomColorsKeepsLaterKeysAndOtherGroups) {
    Load(R"({"CustomLightMode": {"CustomLightModeGroupIndex": 4, "LightColorInfo": [
        [{"Red": 9, "Green": 9, "Blue": 9, "Alpha": 9}],
        [{"Red": 1}, {"Red": 2}, {"Red": 3}]]}})");
    EXPECT_EQ(data_.GetCustomGroupIndex(), 4);
    data_.SetCustomColors({{10, 20, 30, 40}}, 1);
    data_.SetCustomGroupIndex(1);
    const Json::Value mode = Saved()["CustomLightMode"];
    EXPECT_EQ(mode["LightColorInfo"][1][0],
              J(R"({"Red": 10, "Green": 20, "Blue": 30, "Alpha": 40})"));
    EXPECT_EQ(mode["LightColorInfo"][1][2]["Red"], 3);
    EXPECT_EQ(mode["LightColorInfo"][0][0]["Red"], 9);
    EXPECT_EQ(mode["CustomLightModeGroupIndex"], 1);
}

std::string StagesJson(int count, int base) {
    Json::Value section;
    section["DPIStages"]["StageActive"] = 2;
    for (int i = 0; i < count; ++i) {
        Json::Value& s = section["DPIStages"]["StageDPIs"][i];
        s["StageActive"] = 1;
        s["StageXY"] = 0;
        s["StageDPIX"] = base + i;
        s["StageDPIY"] = 0x10000 + base + i;  // low 16 bits kept
        s["StageColorR"] = 256 + i;
        s["StageColorG"] = 2;
        s["StageColorB"] = 3;
    }
    return StyledJsonText(section);
}

TEST_F(MouseSection, DpiStagesOfAShorterProfileMergeIntoTheEarlierList) {
    Load(StagesJson(7, 100));
    auto stages = data_.GetDpiStages();
    ASSERT_EQ(stages.size(), 7u);
    EXPECT_EQ(stages[6], (DpiStageRecord{1, 0, 106, 106, 6, 2, 3}));
    EXPECT_EQ(data_.GetCurrentStage(), 2);

    Load(StagesJson(5, 500));
    stages = data_.GetDpiStages();
    ASSERT_EQ(stages.size(), 7u);
    EXPECT_EQ(stages[4].dpi_x, 504);
    EXPECT_EQ(stages[5].dpi_x, 105);  // kept from the earlier profile
    EXPECT_EQ(stages[6].dpi_x, 106);
    EXPECT_EQ(stages[0].Bytes(), (std::array<uint8_t, 9>{1, 0, 0xF4, 0x01, 0xF4, 0x01, 0, 2, 3}));
}

TEST_F(MouseSection, SettingStagesAndTheCurrentStage) {
    Load(R"({})");
    data_.SetDpiStages({{1, 1, 0x1234, 0x0102, 255, 0, 128}});
    data_.SetCurrentStage(3);
    EXPECT_EQ(data_.GetCurrentStage(), 3);
    EXPECT_EQ(Saved()["DPIStages"],
              J(R"({"StageActive": 3, "StageDPIs": [{"StageActive": 1, "StageXY": 1,
                    "StageDPIX": 4660, "StageDPIY": 258, "StageColorR": 255, "StageColorG": 0,
                    "StageColorB": 128}]})"));
}

TEST_F(MouseSection, SystemValuesNeedTheSystemStagesObject) {
    Load(R"({"ReportStages": {"StageActive": 3}})");
    EXPECT_EQ(data_.GetSystemValues(), (StageWords{0, 0, 0}));

    Load(R"({"SystemStages": {"DoubleClickTime": 500, "MouseSpeed": 10, "PointerPrecision": 1,
        "ScorllPage": 1, "WheelScorlllinse": 3}})");
    EXPECT_EQ(data_.GetSystemValues(),
              (StageWords{PackHalves(500, 10), PackHalves(1, 1), PackHalves(3, 0)}));

    Load(R"({"SystemStages": {"WheelScorlllinse": 3}, "ReportStages": {"StageActive": 4}})");
    EXPECT_EQ(data_.GetSystemValues()[2], PackHalves(3, 4));

    data_.SetSystemValues({PackHalves(400, 12), PackHalves(0, 1), PackHalves(5, 2)});
    const Json::Value saved = Saved();
    EXPECT_EQ(saved["SystemStages"], J(R"({"DoubleClickTime": 400, "MouseSpeed": 12,
        "PointerPrecision": 0, "ScorllPage": 1, "WheelScorlllinse": 5})"));
    EXPECT_EQ(saved["ReportStages"]["StageActive"], 2);
}

TEST_F(MouseSection, CorrectionPresets) {
    Load(R"({})");
    EXPECT_TRUE(data_.GetCorrectionPresets().empty());
    Load(R"({"CorrectInfo": [{"CorrectPixThresh": 4, "CorrectMinSq": 264, "CorrectSelect": 1,
        "CorrectName": "Läge"}, {"CorrectName": 5}]})");
    const auto presets = data_.GetCorrectionPresets();
    ASSERT_EQ(presets.size(), 2u);
    EXPECT_EQ(presets[0].pixel_threshold, 4);
    EXPECT_EQ(presets[0].min_square, 8);
    EXPECT_EQ(presets[0].selected, 1);
    EXPECT_EQ(presets[0].name, "Läge");
    EXPECT_EQ(presets[1].name, "");
}

TEST(EqPresetRow, RowOfEachPreset) {
    const std::pair<int, std::optional<int>> cases[] = {
        {0, 1}, {1, 1}, {5, 5}, {12, 12}, {13, std::nullopt}, {14, 1}, {20, 1}, {-1, 1}};
    for (const auto& [preset, row] : cases) EXPECT_EQ(EqPresetRow(preset), row) << preset;
}

TEST_F(HeadsetSection, EqBandsOfPresetRows) {
    Load(R"({"EQHzValueInfo": [[], [{"value": 7}, {"value": 11}, {"value": 2}, {"value": -3},
        {"value": -1}, {"value": 4}, {"value": 9}, {"value": 12}, {"value": 9}, {"value": 5}]]})");
    const std::vector<int> preset1{7, 11, 2, -3, -1, 4, 9, 12, 9, 5};
    EXPECT_EQ(data_.GetEqBands(0), preset1);
    EXPECT_EQ(data_.GetEqBands(20), preset1);
    EXPECT_TRUE(data_.GetEqBands(13).empty());

    // A missing row reads as ten zeros that the next save writes.
    EXPECT_EQ(data_.GetEqBands(4), std::vector<int>(10, 0));
    EXPECT_EQ(Saved()["EQHzValueInfo"][4].size(), 10u);

    const Json::Value before = data_.ProfileRoot();
    data_.SetEqBands(13, preset1);
    EXPECT_EQ(data_.ProfileRoot(), before);

    data_.SetEqBands(3, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11});
    EXPECT_EQ(data_.GetEqBands(3), (std::vector<int>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10}));
    data_.SetEqBands(2, {1, 2});  // fewer gains: the rest are written as 0
    EXPECT_EQ(data_.GetEqBands(2), (std::vector<int>{1, 2, 0, 0, 0, 0, 0, 0, 0, 0}));
}

TEST_F(HeadsetSection, CustomEqualisers) {
    Load(R"({"CustomEQNameInfo": [{"Name": "a"}, {"Name": "b"}, {"Name": "c"}]})");
    EXPECT_EQ(data_.GetCustomEqNames(), (std::vector<std::string>{"a", "b", "c"}));
    data_.SetCustomEqNames({"Film", "Ünï"});
    EXPECT_EQ(Saved()["CustomEQNameInfo"], J(R"([{"Name": "Film"}, {"Name": "Ünï"}])"));
    EXPECT_EQ(data_.GetCustomEqNames(), (std::vector<std::string>{"Film", "Ünï"}));

    EXPECT_EQ(data_.GetCustomEqBands(1), std::vector<int>(10, 0));
    data_.SetCustomEqBands(1, {-5, 5, -5, 5, -5, 5, -5, 5, -5, 5});
    EXPECT_EQ(Saved()["CustomEQHzValueInfo"][1][9]["value"], 5);
    EXPECT_EQ(data_.GetCustomEqBands(1)[0], -5);
}

TEST_F(HeadsetSection, SystemSetStages) {
    Load(R"({})");
    EXPECT_EQ(data_.GetSystemSetStages(), HeadsetSystemValues{});
    data_.SetSystemSetStages({1, 2, 13, 1, 1, 80, 0, 50});
    EXPECT_EQ(Saved()["SystemSetStages"],
              J(R"({"MagicEnable": 1, "MagicType": 2, "EqType": 13, "CustomEqSeletIndex": 1,
                    "MicInSelect": 1, "MicInValue": 80, "MicMoniterSelect": 0,
                    "MicMoniterValue": 50})"));
    Load(StyledJsonText(Saved()));
    EXPECT_EQ(data_.GetSystemSetStages(), (HeadsetSystemValues{1, 2, 13, 1, 1, 80, 0, 50}));
}

// Hand-edited device sections with members of the wrong type never make a getter or
// setter throw.
TEST(DeviceSections, WrongTypesNeverThrow) {
    test::TempFolder dir;
    for (const char* wrong : {R"("text")", "[1, [2]]", "17", "false", R"({"x": "y"})"}) {
        SCOPED_TRACE(wrong);
        std::string section = "{";
        for (const char* key :
             {"SystemStages", "CustomLightMode", "DPIStages", "ReportStages", "CorrectInfo",
              "SystemSetStages", "EQHzValueInfo", "CustomEQNameInfo", "CustomEQHzValueInfo"}) {
            section += std::string("\"") + key + "\": " + wrong + ",";
        }
        section += R"("End": 0})";
        Json::Value file;
        file["Device"][0] = J(section);
        test::WriteJson(dir / "p.Json", file);
        CKeyboardProfiledata keyboard;
        CMouseProfiledata mouse;
        CDo6533Profiledata headset;
        EXPECT_NO_THROW({
            keyboard.LoadDeviceSection(dir / "p.Json");
            EXPECT_EQ(keyboard.GetSystemStages(), StageWords{});
            (void)keyboard.GetCustomColors(1, 3);
            keyboard.SetCustomColors({{1, 2, 3, 4}}, 0);
            (void)keyboard.GetCustomGroupIndex();
            keyboard.SetSystemStages({1, 2, 3});
            mouse.LoadDeviceSection(dir / "p.Json");
            (void)mouse.GetDpiStages();
            (void)mouse.GetSystemValues();
            (void)mouse.GetCorrectionPresets();
            mouse.SetDpiStages({DpiStageRecord{}});
            mouse.SetCurrentStage(1);
            mouse.SetSystemValues({1, 2, 3});
            headset.LoadDeviceSection(dir / "p.Json");
            EXPECT_EQ(headset.GetSystemSetStages(), HeadsetSystemValues{});
            EXPECT_EQ(headset.GetEqBands(2).size(), 10u);
            (void)headset.GetCustomEqNames();
            EXPECT_EQ(headset.GetCustomEqBands(0).size(), 10u);
            headset.SetEqBands(3, {1});
            headset.SetCustomEqBands(2, {1});
            headset.SetCustomEqNames({"n"});
        });
    }
}

}  // namespace
}  // namespace dz
