#include "profile/profile_store.h"

#include "profile/profile_bar_model.h"

#include <gtest/gtest.h>

#include <cctype>
#include <functional>

#include "device/device_table.h"
#include "profile/file_report.h"
#include "profile/json_file.h"
#include "support/temp_folder.h"

namespace dz {
namespace {

namespace fs = std::filesystem;
using test::J;

const char* kDefaults = R"({"Device": [{"LightInfo": {"SelectItem": 1},
    "CustomEQNameInfo": [{"Name": "factory"}]}]})";

// "%d_%02d_%02d_%02d_%02d_%02d_%03d" with a four-digit year.
bool IsTimestampName(const std::string& text) {
    const std::string shape = "dddd_dd_dd_dd_dd_dd_ddd";
    if (text.size() != shape.size()) return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        if (shape[i] == 'd' ? !std::isdigit(static_cast<unsigned char>(text[i])) : text[i] != '_') {
            return false;
        }
    }
    return true;
}

class ProfileStoreTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::WriteText(default_file_, kDefaults);
        fs::create_directories(folder_);
    }

    ProfileStore& Store(int type = TYPE_KEYBOARD) {
        store_ = std::make_unique<ProfileStore>(folder_, default_file_, type);
        store_->Initialise();
        return *store_;
    }

    Json::Value List() const { return ReadJsonFile(folder_ / "ProfileList.ini"); }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        const Json::Value list = List();
        for (const auto& p : list["profilelist"]) names.push_back(p["profilename"].asString());
        return names;
    }

    // A list file with these names (UUIDs u0, u1, ...) and profile files for them.
    void WriteList(const std::vector<std::string>& names, int select = 0) {
        test::WriteProfileList(folder_, names, J(kDefaults), select);
    }

    test::TempFolder dir_;
    fs::path folder_ = dir_ / "data/Dozadir Keyboard/keyboard";
    fs::path default_file_ = dir_ / "program/DefaultData/keyboard.Json";
    std::unique_ptr<ProfileStore> store_;
};

TEST_F(ProfileStoreTest, FirstStartCreatesProfile1FromTheDefaultData) {
    fs::remove_all(folder_);  // not even the folder exists yet
    ProfileStore& store = Store();
    const Json::Value list = List();
    ASSERT_EQ(list["profilelist"].size(), 1u);
    const Json::Value& first = list["profilelist"][0];
    EXPECT_EQ(first["profilename"], "profile1");
    const std::string uuid = first["profileUUID"].asString();
    EXPECT_TRUE(IsTimestampName(uuid)) << uuid;
    EXPECT_EQ(first["profileislink"], 0);
    EXPECT_EQ(first["profilelinkmame"], "");
    EXPECT_EQ(list["profileselect"], 0);

    Json::Value expected = J(kDefaults);
    expected["profilename"] = "profile1";
    expected["profileUUID"] = uuid;
    EXPECT_EQ(ReadJsonFile(folder_ / (uuid + ".Json")), expected);
    EXPECT_EQ(store.GetSelectedIndex(), 0);
    EXPECT_EQ(store.GetCurrentUUID(), uuid);
    EXPECT_EQ(store.GetProfilePath(0), folder_ / (uuid + ".Json"));
}

TEST_F(ProfileStoreTest, UnusableListFilesAreReplacedByProfile1) {
    struct Case {
        const char* text;
        bool kept;  // the old text stays beside the list as a broken copy
    };
    for (const Case& c : std::vector<Case>{{"", false},
                                           {"[1, 2]", true},
                                           {R"({"profilelist": []})", false},
                                           {R"({"profilelist": 3})", false},
                                           {"{\"profilelist\": [{\"profilename\"", true}}) {
        SCOPED_TRACE(c.text);
        fs::remove_all(folder_);
        test::WriteText(folder_ / "ProfileList.ini", c.text);
        Store();
        EXPECT_EQ(Names(), std::vector<std::string>{"profile1"});
        std::vector<std::string> kept;
        for (const std::string& name : test::TreeOf(folder_)) {
            if (name.starts_with("ProfileList.ini.broken-")) {
                kept.push_back(test::ReadText(folder_ / name));
            }
        }
        EXPECT_EQ(kept, c.kept ? std::vector<std::string>{c.text} : std::vector<std::string>{});
    }
}

// A list that is there but cannot be read is never replaced by a fresh one: every profile
// it names would be lost.
TEST_F(ProfileStoreTest, AListThatCannotBeReadIsLeftAsItIs) {
    WriteList({"a", "b"});
    const std::string text = test::ReadText(folder_ / "ProfileList.ini");
    fs::resize_file(folder_ / "ProfileList.ini", kJsonMaxFileSize + 1);
    test::ReportCapture reports;
    ProfileStore& store = Store();
    EXPECT_EQ(store.AddProfile().result, ProfileResult::kFileError);
    EXPECT_EQ(fs::file_size(folder_ / "ProfileList.ini"), kJsonMaxFileSize + 1);
    fs::resize_file(folder_ / "ProfileList.ini", text.size());
    EXPECT_EQ(test::ReadText(folder_ / "ProfileList.ini"), text);
    ASSERT_FALSE(reports.reports.empty());
    EXPECT_EQ(reports.reports[0].file, folder_ / "ProfileList.ini");
    EXPECT_EQ(reports.reports[0].problem, FileProblem::kLeftAsItIs);
}

// Operations that read the selected profile and write it back refuse, changing nothing,
// while it cannot be read.
TEST_F(ProfileStoreTest, AProfileThatCannotBeReadIsNeverRewritten) {
    struct Case {
        const char* what;
        int type;
        std::function<ProfileResult(ProfileStore&)> operation;
    };
    const std::vector<Case> cases = {
        {"rename", TYPE_KEYBOARD, [](ProfileStore& s) { return s.RenameProfile("new name"); }},
        {"copy", TYPE_KEYBOARD, [](ProfileStore& s) { return s.CopyProfile().result; }},
        {"reset of a headset", TYPE_HEADSET, [](ProfileStore& s) { return s.ResetProfile(); }},
        {"reset", TYPE_KEYBOARD, [](ProfileStore& s) { return s.ResetProfile(); }},
        {"export", TYPE_KEYBOARD,
         [this](ProfileStore& s) { return s.ExportProfile(dir_ / "out.json"); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        fs::remove_all(folder_);
        WriteList({"a", "b"});
        const std::string text = test::ReadText(folder_ / "u0.Json");
        const std::set<std::string> files = test::TreeOf(folder_);
        fs::resize_file(folder_ / "u0.Json", kJsonMaxFileSize + 1);
        test::ReportCapture reports;
        ProfileStore& store = Store(c.type);
        EXPECT_EQ(c.operation(store), ProfileResult::kFileError);
        EXPECT_EQ(fs::file_size(folder_ / "u0.Json"), kJsonMaxFileSize + 1);
        fs::resize_file(folder_ / "u0.Json", text.size());
        EXPECT_EQ(test::ReadText(folder_ / "u0.Json"), text);
        EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b"}));
        EXPECT_EQ(test::TreeOf(folder_), files) << "no file made, none removed";
        ASSERT_EQ(reports.reports.size(), 1u);
        EXPECT_EQ(reports.reports[0].file, folder_ / "u0.Json");
    }
}

TEST_F(ProfileStoreTest, SelectionOutsideTheListIsClamped) {
    const std::pair<int, int> cases[] = {{1, 1}, {7, 2}, {-3, 0}};
    for (const auto& [recorded, expected] : cases) {
        WriteList({"a", "b", "c"}, recorded);
        ProfileStore& store = Store();
        EXPECT_EQ(store.GetSelectedIndex(), expected) << recorded;
        EXPECT_EQ(store.GetCurrentUUID(), "u" + std::to_string(expected));
        EXPECT_EQ(List()["profileselect"], expected);
    }
    EXPECT_EQ(store_->SelectProfile(3), ProfileResult::kNoSelection);
    EXPECT_EQ(store_->SelectProfile(-1), ProfileResult::kNoSelection);
    EXPECT_EQ(store_->SelectProfile(0), ProfileResult::kDone);
    EXPECT_EQ(List()["profileselect"], 0);
}

TEST_F(ProfileStoreTest, UuidsThatWouldLeaveTheFolderAreReplaced) {
    Json::Value list = J(R"({"profilelist": [
        {"profilename": "a", "profileUUID": "../../outside"},
        {"profilename": "b", "profileUUID": "sub/x"},
        {"profilename": "c", "profileUUID": ".."},
        {"profilename": "d", "profileUUID": ""},
        {"profilename": "e", "profileUUID": "ok"},
        {"profilename": "f", "profileUUID": "ok"}], "profileselect": 0})");
    test::WriteJson(folder_ / "ProfileList.ini", list);
    ProfileStore& store = Store();
    ASSERT_EQ(store.Profiles().size(), 6u);
    std::set<std::string> uuids;
    for (int i = 0; i < 6; ++i) {
        const fs::path path = store.GetProfilePath(i);
        EXPECT_EQ(path.parent_path(), folder_) << i;
        uuids.insert(store.Profiles()[static_cast<size_t>(i)].uuid);
    }
    EXPECT_EQ(uuids.size(), 6u);
    EXPECT_EQ(store.Profiles()[4].uuid, "ok");
    EXPECT_EQ(List()["profilelist"][0]["profileUUID"], store.Profiles()[0].uuid);
    // Deleting such a profile removes nothing outside.
    test::WriteText(dir_ / "data/outside.Json", "{}");
    ASSERT_EQ(store.DeleteProfile().result, ProfileResult::kDone);
    EXPECT_TRUE(fs::exists(dir_ / "data/outside.Json"));
}

TEST_F(ProfileStoreTest, AddTakesTheSmallestFreeNumber) {
    struct Case {
        std::vector<std::string> names;
        const char* expected;
    };
    const Case cases[] = {
        {{"profile1", "PROFILE2"}, "profile3"},
        {{"profile2"}, "profile1"},
        {{"Profile1", "profile3"}, "profile2"},
    };
    for (const Case& c : cases) {
        WriteList(c.names);
        ProfileStore& store = Store();
        const ProfileChange change = store.AddProfile();
        ASSERT_EQ(change.result, ProfileResult::kDone);
        EXPECT_EQ(change.name, c.expected);
        EXPECT_EQ(change.index, static_cast<int>(c.names.size()));
        EXPECT_EQ(Names().back(), c.expected);
        // The list records the new profile as selected; the shown selection stays.
        EXPECT_EQ(List()["profileselect"], change.index);
        EXPECT_EQ(store.GetSelectedIndex(), 0);
        const Json::Value file = ReadJsonFile(store.GetProfilePath(change.index));
        EXPECT_EQ(file["profilename"], c.expected);
        EXPECT_EQ(file["Device"], J(kDefaults)["Device"]);
    }
}

TEST_F(ProfileStoreTest, AddStopsAtFiftyProfiles) {
    std::vector<std::string> names;
    for (int i = 0; i < kMaxProfiles; ++i) names.push_back("p" + std::to_string(i));
    WriteList(names);
    ProfileStore& store = Store();
    const std::string before = test::ReadText(folder_ / "ProfileList.ini");
    EXPECT_EQ(store.AddProfile().result, ProfileResult::kLimitReached);
    EXPECT_EQ(test::ReadText(folder_ / "ProfileList.ini"), before);
    EXPECT_EQ(test::TreeOf(folder_).size(), 51u);
    // Copy and import have no limit.
    EXPECT_EQ(store.CopyProfile().result, ProfileResult::kDone);
}

TEST_F(ProfileStoreTest, CopyAppendsCopyUntilTheNameIsFree) {
    WriteList({"A", "a COPY", "B"});
    ProfileStore& store = Store();
    const ProfileChange change = store.CopyProfile();
    ASSERT_EQ(change.result, ProfileResult::kDone);
    EXPECT_EQ(change.name, "A copy copy");
    EXPECT_EQ(Names(), (std::vector<std::string>{"A", "a COPY", "B", "A copy copy"}));
    EXPECT_EQ(List()["profileselect"], 0);
    const Json::Value file = ReadJsonFile(store.GetProfilePath(3));
    EXPECT_EQ(file["Device"][0]["Marker"], 0);  // the selected profile's section
    EXPECT_EQ(file["profilename"], "A copy copy");
    EXPECT_EQ(file["profileUUID"], store.Profiles()[3].uuid);
    EXPECT_NE(store.Profiles()[3].uuid, "u0");
}

TEST_F(ProfileStoreTest, ImportNamesByFileTitleWithCounters) {
    WriteList({"Game", "game(1)"});
    ProfileStore& store = Store();
    const fs::path source = dir_ / "downloads/Game.json";
    test::WriteText(source, R"({"profilename": "Inner", "profileUUID": "2020_01_01_00_00_00_000",
        "Device": [{"Imported": true}], "Extra": 5})");
    const ProfileChange change = store.ImportProfile(source);
    ASSERT_EQ(change.result, ProfileResult::kDone);
    EXPECT_EQ(change.name, "Game(1)(2)");
    const Json::Value file = ReadJsonFile(store.GetProfilePath(2));
    EXPECT_EQ(file["Device"], J(R"([{"Imported": true}])"));
    EXPECT_EQ(file["Extra"], 5);
    EXPECT_EQ(file["profilename"], "Game(1)(2)");
    EXPECT_EQ(file["profileUUID"], store.Profiles()[2].uuid);
    EXPECT_NE(store.Profiles()[2].uuid, "2020_01_01_00_00_00_000");
}

TEST_F(ProfileStoreTest, ImportRefusesFilesThatAreNotProfiles) {
    WriteList({"a"});
    ProfileStore& store = Store();
    const std::set<std::string> before = test::TreeOf(folder_);
    const std::pair<const char*, const char*> cases[] = {
        {"missing", nullptr},
        {"not JSON", "xyz"},
        {"no UUID", R"({"profilename": "x", "Device": []})"},
        {"no name", R"({"profileUUID": "x", "Device": []})"},
        {"an array", R"([{"profilename": "x", "profileUUID": "y"}])"},
    };
    for (const auto& [what, text] : cases) {
        SCOPED_TRACE(what);
        const fs::path source = dir_ / "in.json";
        fs::remove(source);
        if (text != nullptr) test::WriteText(source, text);
        EXPECT_EQ(store.ImportProfile(source).result, ProfileResult::kNotAProfile);
        EXPECT_EQ(test::TreeOf(folder_), before);
    }
}

TEST_F(ProfileStoreTest, ImportedNamesNeverWriteOutsideTheFolder) {
    WriteList({"a"});
    ProfileStore& store = Store();
    const std::set<std::string> outside_before = test::TreeOf(dir_ / "data");
    const char* inner = R"({"profilename": "../../../escape", "profileUUID": "../../escape",
                           "Device": [{"x": 1}]})";
    for (const char* file_name : {"evil.json", "...json", "..json"}) {
        SCOPED_TRACE(file_name);
        const fs::path source = dir_ / "in" / file_name;
        test::WriteText(source, inner);
        const ProfileChange change = store.ImportProfile(source);
        ASSERT_EQ(change.result, ProfileResult::kDone);
        EXPECT_EQ(store.GetProfilePath(change.index).parent_path(), folder_);
    }
    // The only new files are the three profile files inside the kind's folder.
    std::set<std::string> outside_after = test::TreeOf(dir_ / "data");
    std::vector<std::string> added;
    for (const auto& name : outside_after) {
        if (!outside_before.count(name)) added.push_back(name);
    }
    ASSERT_EQ(added.size(), 3u);
    for (const auto& name : added) {
        EXPECT_EQ(fs::path(name).parent_path(), fs::path("Dozadir Keyboard/keyboard")) << name;
    }
    EXPECT_FALSE(fs::exists(dir_ / "escape.Json"));
    EXPECT_FALSE(fs::exists(dir_ / "data/escape.Json"));
}

TEST_F(ProfileStoreTest, ExportWritesTheSelectedProfile) {
    WriteList({"a", "b"}, 1);
    ProfileStore& store = Store();
    const fs::path out = dir_ / "export/b.json";
    fs::create_directories(out.parent_path());
    ASSERT_EQ(store.ExportProfile(out), ProfileResult::kDone);
    EXPECT_EQ(ReadJsonFile(out), ReadJsonFile(folder_ / "u1.Json"));
    // Exported files import again.
    EXPECT_EQ(store.ImportProfile(out).name, "b(1)");
    EXPECT_EQ(store.ExportProfile(dir_ / "no/such/folder/x.json"), ProfileResult::kFileError);
}

TEST_F(ProfileStoreTest, DeleteSelectsTheProfileBefore) {
    struct Case {
        int selected;
        int recorded;
        std::vector<std::string> left;
    };
    const Case cases[] = {
        {0, 0, {"b", "c"}},
        {2, 1, {"a", "b"}},
        {1, 0, {"a", "c"}},
    };
    for (const Case& c : cases) {
        WriteList({"a", "b", "c"}, c.selected);
        ProfileStore& store = Store();
        const ProfileChange change = store.DeleteProfile();
        ASSERT_EQ(change.result, ProfileResult::kDone);
        EXPECT_EQ(List()["profileselect"], c.recorded);
        EXPECT_EQ(Names(), c.left);
        EXPECT_FALSE(fs::exists(folder_ / ("u" + std::to_string(c.selected) + ".Json")));
        EXPECT_EQ(store.GetSelectedIndex(), c.recorded);
        EXPECT_EQ(store.GetCurrentUUID(), store.Profiles()[static_cast<size_t>(c.recorded)].uuid);
    }
    WriteList({"only"});
    ProfileStore& store = Store();
    EXPECT_EQ(store.DeleteProfile().result, ProfileResult::kLastProfile);
    EXPECT_EQ(Names(), std::vector<std::string>{"only"});
    EXPECT_TRUE(fs::exists(folder_ / "u0.Json"));
}

TEST_F(ProfileStoreTest, RenameResults) {
    struct Case {
        const char* name;
        ProfileResult result;
        int code;
    };
    const Case cases[] = {
        {"  ", ProfileResult::kNameBlank, 2},    {"", ProfileResult::kNameBlank, 2},
        {"OTHER", ProfileResult::kNameTaken, 0}, {"MINE", ProfileResult::kDone, 1},
        {"Fresh name", ProfileResult::kDone, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        WriteList({"mine", "other"});
        ProfileStore& store = Store();
        const ProfileResult result = store.RenameProfile(c.name);
        EXPECT_EQ(result, c.result);
        EXPECT_EQ(ProfileStore::RenameResultCode(result), c.code);
        const std::string expected = c.result == ProfileResult::kDone ? c.name : "mine";
        EXPECT_EQ(Names()[0], expected);
        EXPECT_EQ(ReadJsonFile(folder_ / "u0.Json")["profilename"], expected);
        EXPECT_EQ(ReadJsonFile(folder_ / "u0.Json")["Device"][0]["Marker"], 0);
    }
}

TEST_F(ProfileStoreTest, ResetOfAHeadsetKeepsItsOwnEqualisers) {
    for (const int type : {TYPE_HEADSET, TYPE_KEYBOARD}) {
        SCOPED_TRACE(type);
        WriteList({"a", "b"}, 1);
        Json::Value profile = ReadJsonFile(folder_ / "u1.Json");
        profile["Device"][0]["LightInfo"]["SelectItem"] = 9;
        profile["Device"][0]["CustomEQNameInfo"] = J(R"([{"Name": "Mine"}])");
        profile["Device"][0]["CustomEQHzValueInfo"] = J(R"([[{"value": 3}]])");
        test::WriteJson(folder_ / "u1.Json", profile);

        ProfileStore& store = Store(type);
        ASSERT_EQ(store.ResetProfile(), ProfileResult::kDone);
        const Json::Value reset = ReadJsonFile(folder_ / "u1.Json");
        EXPECT_EQ(reset["profilename"], "b");
        EXPECT_EQ(reset["profileUUID"], "u1");
        EXPECT_EQ(reset["Device"][0]["LightInfo"], J(R"({"SelectItem": 1})"));
        EXPECT_FALSE(reset["Device"][0].isMember("Marker"));
        if (type == TYPE_HEADSET) {
            EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"], J(R"([{"Name": "Mine"}])"));
            EXPECT_EQ(reset["Device"][0]["CustomEQHzValueInfo"], J(R"([[{"value": 3}]])"));
        } else {
            EXPECT_EQ(reset["Device"][0]["CustomEQNameInfo"], J(R"([{"Name": "factory"}])"));
            EXPECT_FALSE(reset["Device"][0].isMember("CustomEQHzValueInfo"));
        }
    }
}

TEST_F(ProfileStoreTest, ADamagedListFileLosesNoProfiles) {
    WriteList({"a", "b", "c"});
    ProfileStore& store = Store();
    test::WriteText(folder_ / "ProfileList.ini", "{\"profilelist\": [");
    ASSERT_EQ(store.AddProfile().result, ProfileResult::kDone);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c", "profile1"}));
}

TEST_F(ProfileStoreTest, QuickAddsGetDistinctUuidsAndOthersAreListed) {
    WriteList({"a"});
    ProfileStore& store = Store();
    for (int i = 0; i < 20; ++i) ASSERT_EQ(store.AddProfile().result, ProfileResult::kDone);
    std::set<std::string> uuids;
    for (const auto& entry : store.Profiles()) uuids.insert(entry.uuid);
    EXPECT_EQ(uuids.size(), 21u);
    EXPECT_EQ(store.GetProfileCount(), 21);
    ASSERT_EQ(store.SelectProfile(3), ProfileResult::kDone);
    const auto others = store.OtherProfilePaths();
    ASSERT_EQ(others.size(), 20u);
    EXPECT_EQ(others[0], store.GetProfilePath(0));
    EXPECT_EQ(others[3], store.GetProfilePath(4));
}

}  // namespace
}  // namespace dz

namespace dz {
namespace {

TEST(ProfileBarModel, OperationTabsByDeviceType) {
    EXPECT_EQ(OperationTabNumber("deng_Op_tab"), 1);
    EXPECT_EQ(OperationTabNumber("Virtual7.1_Op_tab"), 8);
    EXPECT_EQ(OperationTabNumber("key_"), 0);
    const auto names = [](int type) {
        std::vector<std::pair<std::string, bool>> out;
        for (const TabVisibility& t : OperationTabVisibility(type))
            out.emplace_back(t.tab, t.visible);
        return out;
    };
    using V = std::vector<std::pair<std::string, bool>>;
    EXPECT_EQ(names(TYPE_KEYBOARD), (V{{"cursor_Op_tab", false}}));
    EXPECT_TRUE(names(TYPE_MOUSE).empty());
    EXPECT_TRUE(names(TYPE_MOUSE_RX).empty());
    EXPECT_TRUE(names(TYPE_KEYBOARD_RX).empty());
    EXPECT_EQ(names(TYPE_MOUSEPAD).size(), 4u);
    const V headset = names(TYPE_HEADSET);
    ASSERT_EQ(headset.size(), 7u);
    EXPECT_EQ(std::count_if(headset.begin(), headset.end(), [](auto& t) { return t.second; }), 3);
    EXPECT_EQ(RenameMessageKey(ProfileResult::kNameTaken), "message_text_5");
    EXPECT_EQ(RenameMessageKey(ProfileResult::kNameBlank), "message_text_25");
    EXPECT_EQ(RenameMessageKey(ProfileResult::kDone), "");
}

}  // namespace
}  // namespace dz
