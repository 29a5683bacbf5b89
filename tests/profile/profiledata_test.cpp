#include "profile/basic_profiledata.h"

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <random>

#include "profile/file_report.h"
#include "profile/json_file.h"
#include "support/temp_folder.h"

namespace dz {
namespace {

namespace fs = std::filesystem;
using test::J;
using test::TempFolder;

const char* kDefaultSection = R"({"LightInfo": {"SelectItem": 3, "Light": 4},
    "KeyList": [{"Assignment": 2097156, "DefaultAssignment": 2097156}]})";

class ProfileDataTest : public ::testing::Test {
  protected:
    void SetUp() override {
        Json::Value defaults;
        defaults["Device"][0] = J(kDefaultSection);
        test::WriteJson(default_file_, defaults);
        fs::create_directories(dir_ / "user");
        data_.SetDefaultPath(default_file_);
        data_.SetProgramFolder(dir_ / "program");
    }

    // A profile root given as JSON text, loaded the way a device loads its profile.
    void LoadRoot(const std::string& section) {
        Json::Value file;
        file["Device"][0] = J(section);
        test::WriteJson(profile_, file);
        data_.LoadDeviceSection(profile_);
    }

    TempFolder dir_;
    fs::path default_file_ = dir_ / "DefaultData/keyboard.Json";
    fs::path profile_ = dir_ / "user/p.Json";
    CBasicProfiledata data_;
};

// Files that cannot give a device section are re-seeded from the default data; whatever
// else a readable file held stays in it, and what did not parse is kept beside it.
TEST_F(ProfileDataTest, UnusableProfileFilesAreReseededKeepingOtherMembers) {
    struct Case {
        const char* what;
        const char* text;  // nullptr: no file
        bool keeps_names;
        bool keeps_copy;  // the old text as "p.Json.broken-<timestamp>"
    };
    const Case cases[] = {
        {"missing", nullptr, false, false},
        {"empty", "", false, false},
        {"truncated", R"({"Device": [{"LightInfo": {"Sel)", false, true},
        {"not JSON", "profile, but not JSON", false, true},
        {"not an object", R"([{"LightInfo": {}}])", false, true},
        {"Device array too short", R"({"Device": [], "profilename": "P", "profileUUID": "U"})",
         true, false},
        {"no Device member", R"({"profilename": "P", "profileUUID": "U"})", true, false},
        {"section of the wrong type", R"({"Device": [17], "profilename": "P", "profileUUID": "U"})",
         true, false},
        {"Device of the wrong type", R"({"Device": "x", "profilename": "P", "profileUUID": "U"})",
         true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(dir_ / "user");
        fs::create_directories(dir_ / "user");
        if (c.text != nullptr) test::WriteText(profile_, c.text);
        const Json::Value section = data_.LoadDeviceSection(profile_);
        EXPECT_EQ(section, J(kDefaultSection));
        EXPECT_EQ(data_.ProfileRoot(), J(kDefaultSection));
        const Json::Value file = ReadJsonFile(profile_);
        ASSERT_TRUE(file.isObject());
        EXPECT_EQ(file["Device"][0], J(kDefaultSection));
        EXPECT_EQ(file["Device"].size(), 1u);
        if (c.keeps_names) {
            EXPECT_EQ(file["profilename"], "P");
            EXPECT_EQ(file["profileUUID"], "U");
        }
        std::vector<std::string> kept;
        for (const std::string& name : test::TreeOf(dir_ / "user")) {
            if (name.starts_with("p.Json.broken-"))
                kept.push_back(test::ReadText(dir_ / "user" / name));
        }
        EXPECT_EQ(kept,
                  c.keeps_copy ? std::vector<std::string>{c.text} : std::vector<std::string>{});
        EXPECT_EQ(test::TreeOf(dir_ / "user").size(), 1u + kept.size()) << "nothing else";
    }
}

// A file that is there but could not be read may be a perfectly good profile: it is never
// re-seeded or saved over. The device works with the defaults meanwhile.
TEST_F(ProfileDataTest, AProfileThatCannotBeReadIsNeverWritten) {
    const std::string text =
        R"({"Device": [{"LightInfo": {"SelectItem": 9}}], "profilename": "A"})";
    test::WriteText(profile_, text);
    fs::resize_file(profile_, kJsonMaxFileSize + 1);  // sparse: over the size limit
    test::ReportCapture reports;
    data_.SetProfilePath(profile_);
    EXPECT_EQ(data_.LoadDeviceSection(profile_), J(kDefaultSection));
    EXPECT_EQ(data_.ReadLightInfo().mode, 3);
    LightInfoRecord record;
    record.mode = 5;
    data_.WriteLightInfo(record);
    EXPECT_FALSE(data_.Save());
    EXPECT_FALSE(data_.Save());
    EXPECT_FALSE(data_.SaveDeviceSection(data_.ProfileRoot(), profile_));
    EXPECT_EQ(fs::file_size(profile_), kJsonMaxFileSize + 1);
    fs::resize_file(profile_, text.size());
    EXPECT_EQ(test::ReadText(profile_), text) << "the file is as it was";
    EXPECT_EQ(test::TreeOf(dir_ / "user"), std::set<std::string>{"p.Json"});
    ASSERT_EQ(reports.reports.size(), 1u) << "one report, not one per save";
    EXPECT_EQ(reports.reports[0].file, profile_);
    EXPECT_EQ(reports.reports[0].problem, FileProblem::kLeftAsItIs);

    // Once it can be read again, it loads and saves as usual.
    EXPECT_EQ(data_.LoadDeviceSection(profile_)["LightInfo"]["SelectItem"], 9);
    EXPECT_TRUE(data_.Save());
}

TEST_F(ProfileDataTest, ASecondProfileThatCannotBeReadIsNeverWritten) {
    const fs::path other = dir_ / "user/other.Json";
    test::WriteText(other, R"({"Device": [{"KeyList": [{"Assignment": 7340288}]}]})");
    fs::resize_file(other, kJsonMaxFileSize + 1);
    test::ReportCapture reports;
    data_.LoadSecondSection(other);
    EXPECT_FALSE(data_.SaveSecond(other));
    EXPECT_EQ(fs::file_size(other), kJsonMaxFileSize + 1);
    EXPECT_EQ(reports.reports.size(), 1u);
}

TEST_F(ProfileDataTest, UsableProfileIsReadAndNotRewritten) {
    const std::string text =
        R"({"Device": [{"LightInfo": {"SelectItem": 9}}], "profilename": "A"})";
    test::WriteText(profile_, text);
    EXPECT_EQ(data_.LoadDeviceSection(profile_), J(R"({"LightInfo": {"SelectItem": 9}})"));
    EXPECT_EQ(test::ReadText(profile_), text);
}

TEST_F(ProfileDataTest, WithoutDefaultDataTheRootStaysNullAndNothingIsWritten) {
    fs::remove(default_file_);
    EXPECT_TRUE(data_.LoadDeviceSection(profile_).isNull());
    EXPECT_FALSE(fs::exists(profile_));
    EXPECT_EQ(data_.ReadLightInfo(), LightInfoRecord{});
    EXPECT_TRUE(data_.GetKeyList().empty());
    EXPECT_TRUE(data_.GetLightList().empty());
}

TEST_F(ProfileDataTest, SecondSectionIsLoadedBesideTheProfileRoot) {
    LoadRoot(R"({"LightInfo": {"SelectItem": 1}})");
    const fs::path other = dir_ / "user/other.Json";
    test::WriteText(other, R"({"Device": [{"KeyList": [{"Assignment": 7340288}]}]})");
    data_.LoadSecondSection(other);
    EXPECT_EQ(data_.ProfileRoot()["LightInfo"]["SelectItem"], 1);
    ASSERT_EQ(data_.GetSecondKeyList().size(), 1u);
    EXPECT_EQ(data_.GetSecondKeyList()[0].current, (KeyFunctionCode{0x70, 0x01, 0x00}));
    EXPECT_TRUE(data_.GetKeyList().empty());
}

TEST_F(ProfileDataTest, LightInfoReading) {
    struct Case {
        const char* section;
        LightInfoRecord expected;
    };
    LightInfoRecord only_mode;
    only_mode.mode = 7;
    LightInfoRecord full{7, 3, 2, 1, 1, 10, 20, 30, 0, 0, 0, 4, 5, 6};
    LightInfoRecord multicolour;
    multicolour.multicolor = 1;
    LightInfoRecord truncated;
    truncated.brightness = 44;  // 300 & 0xFF
    const Case cases[] = {
        {R"({})", {}},
        {R"({"LightInfo": {"SelectItem": 7}})", only_mode},
        {R"({"LightInfo": {"SelectItem": 7, "Light": 3, "Speed": 2, "Fx": 1, "MultiColor": 1,
            "Red": 10, "Green": 20, "Blue": 30, "ZZCCLedMode": 4, "CustomGroup": 5,
            "OldLedmode": 6}})",
         full},
        {R"({"LightInfo": {"MultiColor": 5}})", multicolour},
        {R"({"LightInfo": {"Light": 300}})", truncated},
        {R"({"LightInfo": {"SelectItem": "7", "Light": [1], "Speed": {"a": 1}, "Red": null}})", {}},
        {R"({"LightInfo": 12})", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.section);
        LoadRoot(c.section);
        EXPECT_EQ(data_.ReadLightInfo(), c.expected);
        EXPECT_EQ(data_.CurrentLightInfo(), c.expected);
    }
}

TEST_F(ProfileDataTest, WriteLightInfoReplacesTheObjectAndSaves) {
    LoadRoot(R"({"LightInfo": {"SelectItem": 1, "Stale": 5}, "Other": 1})");
    const LightInfoRecord record{7, 3, 2, 1, 1, 10, 20, 30, 8, 9, 1, 4, 5, 6};
    data_.WriteLightInfo(record);
    EXPECT_EQ(data_.ProfileRoot()["LightInfo"],
              J(R"({"SelectItem": 7, "Light": 3, "Speed": 2, "Fx": 1, "MultiColor": 1, "Red": 10,
                    "Green": 20, "Blue": 30, "ZZCCLedMode": 4, "CustomGroup": 5,
                    "OldLedmode": 6})"));
    // Nothing reaches the disk before a save.
    EXPECT_FALSE(ReadJsonFile(profile_)["Device"][0]["LightInfo"].isMember("Light"));
    data_.SetProfilePath(profile_);
    data_.SetProfilePath({});  // an empty path leaves the path as it was
    ASSERT_TRUE(data_.Save());
    CBasicProfiledata again;
    again.LoadDeviceSection(profile_);
    LightInfoRecord expected = record;
    expected.reserved8 = expected.reserved9 = expected.valid = 0;  // not stored
    EXPECT_EQ(again.ReadLightInfo(), expected);
    EXPECT_EQ(again.ProfileRoot()["Other"], 1);
}

TEST_F(ProfileDataTest, AudioLightInfo) {
    LoadRoot(R"({})");
    EXPECT_EQ(data_.ReadAudioLightInfo(), AudioLightInfoRecord{});

    LoadRoot(R"({"AudioLightInfo": {"AudioMode": 2, "BkColorR": 1, "BkColorG": 2,
        "BkColorB": 3, "FgColorR": 4, "FgColorG": 5, "FgColorB": 6, "7ColorFlags": 9,
        "ColorTypeFlags": 0}})");
    const AudioLightInfoRecord read = data_.ReadAudioLightInfo();
    EXPECT_EQ(read, (AudioLightInfoRecord{2, 1, 2, 3, 4, 5, 6, 1, 1}));

    data_.WriteAudioLightInfo({1, 9, 8, 7, 6, 5, 4, 0, 1});
    EXPECT_EQ(data_.ProfileRoot()["AudioLightInfo"],
              J(R"({"AudioMode": 1, "BkColorR": 9, "BkColorG": 8, "BkColorB": 7, "FgColorR": 6,
                    "FgColorG": 5, "FgColorB": 4, "7ColorFlags": 0, "ColorTypeFlags": 1})"));
}

TEST_F(ProfileDataTest, LightListMarksNullElementsInvalid) {
    LoadRoot(R"({"LightList": [
        {"LEDREGMode": 1, "LEDBrightness": 4, "LEDSpeed": 2, "LEDDirection": 7,
         "LEDMultiColor": 2, "red": 11, "green": 12, "blue": 13},
        null,
        {"LEDREGMode": "x"}]})");
    const auto list = data_.GetLightList();
    ASSERT_EQ(list.size(), 3u);
    EXPECT_EQ(list[0], (LightInfoRecord{1, 4, 2, 1, 1, 11, 12, 13, 0, 0, 1, 0, 0, 0}));
    EXPECT_EQ(list[1], LightInfoRecord{});
    EXPECT_EQ(list[2].valid, 1);
    EXPECT_EQ(list[2].mode, 0);

    LoadRoot(R"({"LightList": {"a": 1}})");
    EXPECT_TRUE(data_.GetLightList().empty());
}

TEST_F(ProfileDataTest, KeyListCodesRoundTrip) {
    LoadRoot(R"({"KeyList": [
        {"Assignment": 66051, "DefaultAssignment": 2097156},
        {"Assignment": 2097157, "DefaultAssignment": 2097157},
        {"Assignment": "text", "DefaultAssignment": 2097158},
        {"Assignment": 2097159, "DefaultAssignment": 2097159}]})");
    auto keys = data_.GetKeyList();
    ASSERT_EQ(keys.size(), 4u);
    EXPECT_EQ(keys[0].index, 0);
    EXPECT_EQ(keys[0].current, (KeyFunctionCode{1, 2, 3}));
    EXPECT_EQ(keys[0].default_code, (KeyFunctionCode{0x20, 0, 4}));
    EXPECT_EQ(keys[2].current, KeyFunctionCode{});
    EXPECT_EQ(keys[3].default_index, 3);

    // Fewer entries than the file has: the rest, and every default, stay.
    keys.resize(2);
    keys[1].current = {0x70, 2, 0};
    keys[1].default_code = {0x10, 1, 0};
    data_.SetKeyList(keys);
    const Json::Value& list = data_.ProfileRoot()["KeyList"];
    EXPECT_EQ(list[0]["Assignment"], 66051);
    EXPECT_EQ(list[1]["Assignment"], 0x700200);
    EXPECT_EQ(list[1]["DefaultAssignment"], 2097157);
    EXPECT_EQ(list[2]["Assignment"], "text");
    EXPECT_EQ(list[3]["Assignment"], 2097159);
}

TEST_F(ProfileDataTest, SaveDeviceSectionKeepsTheFileMembersAndWritesOnlyItsSection) {
    test::WriteText(profile_, R"({"Device": [{"a": 1}, {"b": 2}], "profilename": "N"})");
    CBasicProfiledata data;
    ASSERT_TRUE(data.SaveDeviceSection(J(R"({"c": 3})"), profile_));
    EXPECT_EQ(ReadJsonFile(profile_), J(R"({"Device": [{"c": 3}, {"b": 2}], "profilename": "N"})"));
    EXPECT_FALSE(data.Save());  // no profile path yet
    ASSERT_TRUE(data.WriteWholeFile(J(R"({"w": 1})"), profile_));
    EXPECT_EQ(ReadJsonFile(profile_), J(R"({"w": 1})"));
}

// ---- Custom effect steps -------------------------------------------------------------------

class EffectStepsTest : public ProfileDataTest {
  protected:
    void SetUp() override {
        ProfileDataTest::SetUp();
        test::WriteText(light_list_, R"({"LightInfo": [[
            {"LightName": "Mine", "Guid": "fx_user"},
            {"LightName": "Shipped", "Guid": "fx_program"},
            {"LightName": "Up", "Guid": "../escape"},
            {"LightName": "Down", "Guid": "sub/inner"},
            {"LightName": "Cwd", "Guid": "fx_cwd"},
            {"LightName": "Dots", "Guid": ".."}]]})");
        test::WriteText(dir_ / "user/fx_user.light", Steps(1000, 3));
        test::WriteText(dir_ / "program/fx_program.light", Steps(20, 1));
        // Files the names above would reach if they were taken as paths.
        test::WriteText(dir_ / "escape.light", Steps(1, 1));
        test::WriteText(dir_ / "user/sub/inner.light", Steps(1, 1));
        test::WriteText(dir_ / "cwd/fx_cwd.light", Steps(1, 1));
        data_.SetLightListPath(light_list_);
        data_.LoadLightList(light_list_);
    }

    static std::string Steps(int time, int cycle) {
        return R"({"LEDEffectList": [{"LEDREGMode": 1, "LEDBrightness": 2, "LEDSpeed": 3,
            "LEDDirection": 1, "LEDMultiColor": 0, "red": 511, "green": 6, "blue": 7, "Time": )" +
               std::to_string(time) + R"(, "Cyle": )" + std::to_string(cycle) + "}]}";
    }

    std::vector<LedEffectStep> StepsOfMode(int mode) {
        LightInfoRecord record;
        record.mode = static_cast<uint8_t>(mode);
        data_.WriteLightInfo(record);
        return data_.GetEffectSteps();
    }

    fs::path light_list_ = dir_ / "user/rodav_light.config";
};

TEST_F(EffectStepsTest, StepsComeFromTheUserFolderThenTheProgramFolder) {
    const auto user = StepsOfMode(0);
    ASSERT_EQ(user.size(), 1u);
    EXPECT_EQ(user[0], (LedEffectStep{1, 2, 3, 1, 0, 255, 6, 7, 1000, 3}));
    const auto shipped = StepsOfMode(1);
    ASSERT_EQ(shipped.size(), 1u);
    EXPECT_EQ(shipped[0].time, 20);
}

// The light list holds one array per kind, by kind code; the device index stays 0.
TEST_F(EffectStepsTest, TheKindCodePicksTheKindsArray) {
    test::WriteText(light_list_, R"({"LightInfo": [[{"Guid": "fx_user"}],
        [{"Guid": "fx_program"}]]})");
    data_.LoadLightList(light_list_);
    data_.SetKindCode(1);
    const auto steps = StepsOfMode(0);
    ASSERT_EQ(steps.size(), 1u);
    EXPECT_EQ(steps[0].time, 20) << "the mouse's first effect";
    EXPECT_EQ(data_.GetDeviceIndex(), 0);
    data_.SetKindCode(0);
    EXPECT_EQ(StepsOfMode(0)[0].time, 1000);
}

TEST_F(EffectStepsTest, NamesThatLeaveTheFolderOrAreMissingGiveNoSteps) {
    // The current folder is never searched.
    const fs::path previous = fs::current_path();
    fs::current_path(dir_ / "cwd");
    for (int mode : {2, 3, 4, 5, 6, 200}) {
        SCOPED_TRACE(mode);
        EXPECT_TRUE(StepsOfMode(mode).empty());
        EXPECT_TRUE(data_.EffectFilePath().empty());
    }
    fs::current_path(previous);

    data_.LoadLightList(dir_ / "missing.config");
    EXPECT_TRUE(StepsOfMode(0).empty());
}

// ---- Saving under kills ------------------------------------------------------------------

TEST_F(ProfileDataTest, KilledDuringConsecutiveSavesLeavesAParsableProfile) {
    LoadRoot(kDefaultSection);
    data_.SetProfilePath(profile_);
    std::mt19937 random(7);
    std::uniform_int_distribution<int> delay_us(0, 5000);
    int saved_by_child = 0;
    for (int run = 0; run < 12; ++run) {
        LoadRoot(kDefaultSection);  // SelectItem 3 again before each run
        // The child says when its first save is done: the kill then falls among its saves
        // however slowly it started (a sanitizer build on a busy machine).
        int started[2];
        ASSERT_EQ(::pipe(started), 0);
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            ::close(started[0]);
            for (int i = 0; i < 1000; ++i) {
                LightInfoRecord record;
                record.mode = static_cast<uint8_t>(i);
                data_.WriteLightInfo(record);
                (void)data_.Save();
                if (i == 0) (void)!::write(started[1], "s", 1);
            }
            ::_exit(0);
        }
        ::close(started[1]);
        char byte = 0;
        (void)!::read(started[0], &byte, 1);
        ::close(started[0]);
        ::usleep(static_cast<useconds_t>(delay_us(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        const Json::Value file = ReadJsonFile(profile_);
        ASSERT_TRUE(file["Device"][0]["LightInfo"].isObject()) << "run " << run;
        EXPECT_EQ(file["Device"][0]["KeyList"], J(kDefaultSection)["KeyList"]);
        if (file["Device"][0]["LightInfo"]["SelectItem"] != 3) ++saved_by_child;
    }
    // The kills fell while the child was saving, not before it started.
    EXPECT_GT(saved_by_child, 0);
}

// Hand-edited sections with members of every wrong type: no getter or setter throws, and
// the getters give zero values.
TEST_F(ProfileDataTest, WrongTypesNeverThrow) {
    for (const char* wrong : {R"("text")", "[1, 2]", "17", "true", "null", R"({"x": {}})"}) {
        SCOPED_TRACE(wrong);
        std::string section = "{";
        for (const char* key : {"LightInfo", "AudioLightInfo", "LightList", "KeyList"}) {
            section += std::string("\"") + key + "\": " + wrong + ",";
        }
        section += R"("End": 0})";
        LoadRoot(section);
        EXPECT_NO_THROW({
            (void)data_.ReadLightInfo();
            (void)data_.ReadAudioLightInfo();
            (void)data_.GetLightList();
            (void)data_.GetKeyList();
            (void)data_.GetEffectSteps();
            data_.WriteLightInfo({});
            data_.SetKeyList({KeyAssignmentEntry{}});
            (void)data_.Save();
        });
    }
}

}  // namespace
}  // namespace dz
