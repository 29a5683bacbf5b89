#include "macro/macro_store.h"

#include <sys/stat.h>

#include <gtest/gtest.h>

#include <set>

#include "macro/macro_event.h"
#include "profile/file_report.h"
#include "profile/json_file.h"
#include "support/temp_folder.h"

namespace dz {
namespace {

namespace fs = std::filesystem;
using test::J;

class MacroStoreTest : public ::testing::Test {
  protected:
    void SetUp() override { fs::create_directories(folder_); }

    std::vector<std::string> Names() const {
        std::vector<std::string> names;
        const Json::Value list = ReadJsonFile(folder_ / "macro.config");
        for (const auto& m : list["MacroInfo"]) {
            names.push_back(m["MacroName"].asString());
        }
        return names;
    }

    test::TempFolder dir_;
    fs::path folder_ = dir_ / "data/keyboard";
    MacroStore store_{folder_};
};

TEST_F(MacroStoreTest, CreateNumbersNewMacros) {
    store_.Load();
    EXPECT_TRUE(store_.Macros().empty());
    for (const char* expected : {"macro_1", "macro_2", "macro_3"}) {
        const MacroChange change = store_.CreateMacro();
        ASSERT_EQ(change.result, MacroResult::kDone);
        EXPECT_EQ(change.name, expected);
    }
    EXPECT_EQ(Names(), (std::vector<std::string>{"macro_1", "macro_2", "macro_3"}));
    // No macro file until the first save.
    EXPECT_FALSE(fs::exists(store_.MacroFilePath(0)));
    EXPECT_EQ(store_.MacroFilePath(0).parent_path(), folder_);
    EXPECT_TRUE(LoadEvents(store_.MacroFilePath(0)).empty());

    ASSERT_EQ(store_.RenameMacro(0, "Fire"), MacroResult::kDone);
    EXPECT_EQ(store_.CreateMacro().name, "macro_1");
}

TEST_F(MacroStoreTest, RenameResults) {
    for (int i = 0; i < 3; ++i) ASSERT_EQ(store_.CreateMacro().result, MacroResult::kDone);
    const std::pair<const char*, MacroResult> cases[] = {
        {"MACRO_1", MacroResult::kNameTaken},
        {"Macro_2", MacroResult::kNameTaken},  // its own name counts too
        {" \t ", MacroResult::kNameBlank},
        {"Jump", MacroResult::kDone},
    };
    for (const auto& [name, result] : cases) EXPECT_EQ(store_.RenameMacro(1, name), result) << name;
    EXPECT_EQ(Names(), (std::vector<std::string>{"macro_1", "Jump", "macro_3"}));
    EXPECT_EQ(store_.RenameMacro(3, "x"), MacroResult::kNoSelection);
    EXPECT_EQ(store_.RenameMacro(-1, "x"), MacroResult::kNoSelection);
}

TEST_F(MacroStoreTest, CreateAndImportStopAtFifty) {
    for (int i = 0; i < kMaxMacros; ++i) ASSERT_EQ(store_.CreateMacro().result, MacroResult::kDone);
    const std::string before = test::ReadText(store_.ListFilePath());
    test::WriteText(dir_ / "x.mac", "{}");
    EXPECT_EQ(store_.CreateMacro().result, MacroResult::kLimitReached);
    EXPECT_EQ(store_.ImportMacro(dir_ / "x.mac").result, MacroResult::kLimitReached);
    EXPECT_EQ(test::ReadText(store_.ListFilePath()), before);
}

TEST_F(MacroStoreTest, ImportCopiesTheFileUnderANewGuid) {
    const fs::path source = dir_ / "downloads/Combo.mac";
    const std::string bytes =
        "{\"MacroName\": \"Inner\", \"Guid\": \"../../escape\",\r\n"
        " \"Events\": [{\"Type\": 10, \"Button\": 4, \"Action\": \"down\","
        " \"Delay\": \"5\"}]}\n";
    test::WriteText(source, bytes);
    const MacroChange first = store_.ImportMacro(source);
    const MacroChange second = store_.ImportMacro(source);
    ASSERT_EQ(first.result, MacroResult::kDone);
    ASSERT_EQ(second.result, MacroResult::kDone);
    EXPECT_EQ(first.name, "Combo");
    EXPECT_EQ(second.name, "Combo_2");
    EXPECT_EQ(store_.ImportMacro(source).name, "Combo_3");
    EXPECT_NE(store_.Macros()[0].guid, store_.Macros()[1].guid);
    for (int i = 0; i < 2; ++i) {
        EXPECT_EQ(test::ReadText(store_.MacroFilePath(i)), bytes);
        EXPECT_EQ(store_.MacroFilePath(i).parent_path(), folder_);
    }
    EXPECT_EQ(LoadEvents(store_.MacroFilePath(0)).size(), 1u);
    // Nothing besides the list and the three copies was written anywhere.
    EXPECT_EQ(test::TreeOf(dir_ / "data").size(), 1u + 1u + 3u);
    EXPECT_FALSE(fs::exists(dir_ / "escape.mac"));

    EXPECT_EQ(store_.ImportMacro(dir_ / "missing.mac").result, MacroResult::kFileError);
}

TEST_F(MacroStoreTest, ExportCopiesBytes) {
    ASSERT_EQ(store_.CreateMacro().result, MacroResult::kDone);
    EXPECT_EQ(store_.ExportMacro(0, dir_ / "out.mac"), MacroResult::kFileError);  // not saved yet
    ASSERT_TRUE(SaveEvents(store_.MacroFilePath(0), "macro_1", store_.Macros()[0].guid,
                           {{10, 4, "down", "1"}}));
    ASSERT_EQ(store_.ExportMacro(0, dir_ / "out.mac"), MacroResult::kDone);
    EXPECT_EQ(test::ReadText(dir_ / "out.mac"), test::ReadText(store_.MacroFilePath(0)));
    EXPECT_EQ(store_.ExportMacro(1, dir_ / "out2.mac"), MacroResult::kNoSelection);
}

TEST_F(MacroStoreTest, GuidsThatLeaveTheFolderNameNoFile) {
    test::WriteText(folder_ / "macro.config", R"({"MacroInfo": [
        {"MacroName": "a", "Guid": "../outside"}, {"MacroName": "b", "Guid": "/etc/passwd"},
        {"MacroName": "c", "Guid": ".."}]})");
    test::WriteText(dir_ / "data/outside.mac", "{}");
    store_.Load();
    ASSERT_EQ(store_.Macros().size(), 3u);
    for (int i = 0; i < 3; ++i) EXPECT_TRUE(store_.MacroFilePath(i).empty()) << i;
    EXPECT_EQ(store_.ExportMacro(0, dir_ / "out.mac"), MacroResult::kFileError);
    EXPECT_EQ(store_.DeleteMacro(0, {}).result, MacroResult::kDone);
    EXPECT_TRUE(fs::exists(dir_ / "data/outside.mac"));
    EXPECT_EQ(Names(), (std::vector<std::string>{"b", "c"}));
}

TEST_F(MacroStoreTest, ListsOfPadAndHeadsetAreReadOnly) {
    EXPECT_EQ(MacroStore::ListFileNameForKind("keyboard"), "macro.config");
    EXPECT_EQ(MacroStore::ListFileNameForKind("mouse"), "macro.config");
    EXPECT_EQ(MacroStore::ListFileNameForKind("MousePad"), "rodav_macro.config");
    EXPECT_EQ(MacroStore::ListFileNameForKind("HD"), "rodav_macro.config");
    test::WriteText(folder_ / "rodav_macro.config", R"({"MacroInfo": [{"MacroName": "m",
        "Guid": "g"}]})");
    MacroStore pad(folder_, "rodav_macro.config", false);
    pad.Load();
    ASSERT_EQ(pad.Macros().size(), 1u);
    EXPECT_EQ(pad.CreateMacro().result, MacroResult::kReadOnly);
    EXPECT_EQ(pad.RenameMacro(0, "x"), MacroResult::kReadOnly);
    EXPECT_EQ(pad.DeleteMacro(0, {}).result, MacroResult::kReadOnly);
    EXPECT_EQ(pad.Macros().size(), 1u);
}

// ---- Lists copied or edited by hand, files that cannot be read ----------------------------

// A list naming one Guid twice (macro.config copied from another machine, or edited): the
// later entry gets a Guid and a file of its own, so that deleting either keeps the other.
TEST_F(MacroStoreTest, AGuidListedTwiceGetsItsOwnCopyOnLoad) {
    test::WriteText(folder_ / "macro.config", R"({"MacroInfo": [
        {"MacroName": "a", "Guid": "g1"}, {"MacroName": "b", "Guid": "g1"},
        {"MacroName": "c", "Guid": "g2"}, {"MacroName": "d", "Guid": "g1"},
        {"MacroName": "e", "Guid": "g3"}, {"MacroName": "f", "Guid": "g3"}]})");
    test::WriteText(folder_ / "g1.mac", R"({"Events": [{"Type": 10, "Button": 4}]})");
    test::WriteText(folder_ / "g2.mac", R"({"Events": []})");
    store_.Load();
    const std::vector<MacroEntry>& macros = store_.Macros();
    ASSERT_EQ(macros.size(), 6u);
    EXPECT_EQ(macros[0].guid, "g1");
    EXPECT_EQ(macros[2].guid, "g2");
    EXPECT_EQ(macros[4].guid, "g3");
    std::set<std::string> guids;
    for (const MacroEntry& m : macros) guids.insert(m.guid);
    EXPECT_EQ(guids.size(), 6u) << "every entry has its own Guid";
    for (int i : {1, 3}) {
        EXPECT_EQ(test::ReadText(store_.MacroFilePath(i)), test::ReadText(folder_ / "g1.mac"));
    }
    EXPECT_FALSE(fs::exists(store_.MacroFilePath(5))) << "g3 has no file: nothing to copy";
    // Recorded in the list, in the same order.
    MacroStore again(folder_);
    again.Load();
    EXPECT_EQ(again.Macros(), macros);
    EXPECT_EQ(Names(), (std::vector<std::string>{"a", "b", "c", "d", "e", "f"}));

    ASSERT_EQ(store_.DeleteMacro(0, {}).result, MacroResult::kDone);
    EXPECT_FALSE(fs::exists(folder_ / "g1.mac"));
    EXPECT_EQ(LoadEvents(store_.MacroFilePath(0)).size(), 1u) << "b keeps its events";
    EXPECT_EQ(LoadEvents(store_.MacroFilePath(2)).size(), 1u) << "d keeps its events";
}

// When no copy can be made the entries stay shared, and deleting one keeps the file.
TEST_F(MacroStoreTest, AFileStillNamedByAnotherEntryIsNeverDeleted) {
    test::WriteText(folder_ / "macro.config", R"({"MacroInfo": [
        {"MacroName": "a", "Guid": "g1"}, {"MacroName": "b", "Guid": "g1"}]})");
    // Not a regular file: it cannot be copied, but it can be removed.
    ASSERT_EQ(::mkfifo((folder_ / "g1.mac").c_str(), 0600), 0);
    store_.Load();
    ASSERT_EQ(store_.Macros()[1].guid, "g1");
    ASSERT_EQ(store_.DeleteMacro(0, {}).result, MacroResult::kDone);
    EXPECT_TRUE(fs::exists(folder_ / "g1.mac"));
    EXPECT_EQ(Names(), std::vector<std::string>{"b"});
}

TEST_F(MacroStoreTest, AListThatCannotBeReadIsLeftAsItIs) {
    ASSERT_EQ(store_.CreateMacro().result, MacroResult::kDone);
    const std::string text = test::ReadText(folder_ / "macro.config");
    fs::resize_file(folder_ / "macro.config", kJsonMaxFileSize + 1);
    test::ReportCapture reports;
    MacroStore fresh(folder_);  // a start that never read the list
    fresh.Load();
    EXPECT_EQ(fresh.CreateMacro().result, MacroResult::kFileError);
    EXPECT_EQ(fresh.DeleteMacro(0, {}).result, MacroResult::kNoSelection);
    EXPECT_EQ(store_.RenameMacro(0, "kept"), MacroResult::kFileError) << "nor from what it read";
    EXPECT_EQ(fs::file_size(folder_ / "macro.config"), kJsonMaxFileSize + 1);
    fs::resize_file(folder_ / "macro.config", text.size());
    EXPECT_EQ(test::ReadText(folder_ / "macro.config"), text);
    ASSERT_EQ(reports.reports.size(), 1u);
    EXPECT_EQ(reports.reports[0].problem, FileProblem::kLeftAsItIs);
}

TEST_F(MacroStoreTest, ADamagedListIsKeptBesideTheNewOne) {
    const std::string damaged = R"({"MacroInfo": [{"MacroName": "a", "Gu)";
    test::WriteText(folder_ / "macro.config", damaged);
    test::ReportCapture reports;
    store_.Load();
    ASSERT_EQ(store_.CreateMacro().result, MacroResult::kDone);
    EXPECT_EQ(Names(), std::vector<std::string>{"macro_1"});
    ASSERT_EQ(reports.reports.size(), 1u);
    EXPECT_EQ(reports.reports[0].problem, FileProblem::kReplacedBroken);
    EXPECT_EQ(reports.reports[0].kept.parent_path(), folder_);
    EXPECT_TRUE(reports.reports[0].kept.filename().string().starts_with("macro.config.broken-"));
    EXPECT_EQ(test::ReadText(reports.reports[0].kept), damaged);
}

TEST_F(MacroStoreTest, SavingEventsNeverReplacesAMacroFileThatCannotBeRead) {
    const fs::path file = folder_ / "g.mac";
    test::WriteText(file, R"({"Events": [{"Type": 10}]})");
    fs::resize_file(file, kJsonMaxFileSize + 1);
    test::ReportCapture reports;
    EXPECT_TRUE(LoadEvents(file).empty());
    EXPECT_FALSE(SaveEvents(file, "m", "g", {}));
    EXPECT_EQ(fs::file_size(file), kJsonMaxFileSize + 1);
    EXPECT_EQ(reports.reports.size(), 1u);

    // A damaged one is kept beside the saved one.
    test::WriteText(file, "{\"Events\": [");
    ASSERT_TRUE(SaveEvents(file, "m", "g", {{10, 4, "down", "1"}}));
    EXPECT_EQ(LoadEvents(file).size(), 1u);
    ASSERT_EQ(reports.reports.size(), 2u);
    EXPECT_EQ(test::ReadText(reports.reports[1].kept), "{\"Events\": [");
}

// ---- Deleting and renumbering ---------------------------------------------------------------

constexpr int kKeyA = 0x200004;
constexpr int kKeyB = 0x200005;
constexpr int kKeyC = 0x200006;

int PlayMacro(int index) {
    return 0x700000 | (index << 8);
}

// Key list A, B, C with the given current functions and A, B, C as defaults.
Json::Value ProfileWithKeys(int a, int b, int c) {
    Json::Value profile;
    profile["profilename"] = "p";
    Json::Value& keys = profile["Device"][0]["KeyList"];
    const int current[] = {a, b, c};
    const int defaults[] = {kKeyA, kKeyB, kKeyC};
    for (int i = 0; i < 3; ++i) {
        keys[i]["Assignment"] = current[i];
        keys[i]["DefaultAssignment"] = defaults[i];
    }
    return profile;
}

class MacroDeleteTest : public MacroStoreTest {
  protected:
    void SetUp() override {
        MacroStoreTest::SetUp();
        for (int i = 0; i < 5; ++i) {
            ASSERT_EQ(store_.CreateMacro().result, MacroResult::kDone);
            ASSERT_TRUE(SaveEvents(store_.MacroFilePath(i), store_.Macros()[i].name,
                                   store_.Macros()[i].guid, {{10, 4, "down", "1"}}));
        }
        // Key A plays macro 2, key B macro 4 (repeat form), key C stays a key.
        test::WriteJson(current_, ProfileWithKeys(PlayMacro(2), 0x710400 | 3, kKeyC));
        test::WriteJson(other_, ProfileWithKeys(PlayMacro(4), PlayMacro(2), PlayMacro(1)));
        test::WriteJson(plain_, ProfileWithKeys(kKeyA, kKeyB, 0x100100));
        plain_text_ = test::ReadText(plain_);
        profile_.SetProfilePath(current_);
        profile_.LoadDeviceSection(current_);
    }

    MacroDeleteContext Context(std::vector<MacroConfirmation>* asked, bool first, bool second) {
        MacroDeleteContext context;
        context.confirm = [=](MacroConfirmation q) {
            asked->push_back(q);
            return q == MacroConfirmation::kDeleteMacro ? first : second;
        };
        context.current = &profile_;
        context.other_profiles = {other_, plain_};
        return context;
    }

    static std::vector<int> Assignments(const fs::path& path) {
        std::vector<int> out;
        const Json::Value file = ReadJsonFile(path);
        for (const auto& key : file["Device"][0]["KeyList"]) {
            out.push_back(key["Assignment"].asInt());
        }
        return out;
    }

    fs::path current_ = folder_ / "current.Json";
    fs::path other_ = folder_ / "other.Json";
    fs::path plain_ = folder_ / "plain.Json";
    std::string plain_text_;
    CBasicProfiledata profile_;
};

TEST_F(MacroDeleteTest, DeletingRenumbersKeysInEveryProfile) {
    std::vector<MacroConfirmation> asked;
    const fs::path removed_file = store_.MacroFilePath(2);
    const std::string removed_guid = store_.Macros()[2].guid;
    const MacroDeleteResult result = store_.DeleteMacro(2, Context(&asked, true, true));
    ASSERT_EQ(result.result, MacroResult::kDone);
    EXPECT_EQ(asked, (std::vector<MacroConfirmation>{MacroConfirmation::kDeleteMacro,
                                                     MacroConfirmation::kDeleteMacroInUse}));
    EXPECT_TRUE(result.current_keys_changed);
    EXPECT_EQ(result.rewritten_profiles, std::vector<fs::path>{other_});

    // Current profile: A plays the removed macro and gets its default; B moves 4 -> 3.
    EXPECT_EQ(Assignments(current_), (std::vector<int>{kKeyA, 0x710300 | 3, kKeyC}));
    const auto keys = profile_.GetKeyList();
    EXPECT_EQ(keys[0].current, KeyCodeFromProfileInt(kKeyA));
    // Another profile: 4 -> 3, 2 -> default, 1 stays.
    EXPECT_EQ(Assignments(other_), (std::vector<int>{PlayMacro(3), kKeyB, PlayMacro(1)}));
    EXPECT_EQ(ReadJsonFile(other_)["profilename"], "p");
    // A profile without macro keys is not written.
    EXPECT_EQ(test::ReadText(plain_), plain_text_);

    EXPECT_FALSE(fs::exists(removed_file));
    EXPECT_EQ(Names(), (std::vector<std::string>{"macro_1", "macro_2", "macro_4", "macro_5"}));
    for (const auto& m : store_.Macros()) EXPECT_NE(m.guid, removed_guid);
}

TEST_F(MacroDeleteTest, DecliningEitherConfirmationChangesNothing) {
    const auto snapshot = [&] {
        std::vector<std::string> texts;
        for (const auto& name : test::TreeOf(folder_))
            texts.push_back(name + test::ReadText(folder_ / name));
        return texts;
    };
    const auto before = snapshot();
    for (const auto& [first, second] : {std::pair{false, true}, std::pair{true, false}}) {
        std::vector<MacroConfirmation> asked;
        EXPECT_EQ(store_.DeleteMacro(2, Context(&asked, first, second)).result,
                  MacroResult::kDeclined);
        EXPECT_EQ(asked.size(), first ? 2u : 1u);
        EXPECT_EQ(snapshot(), before);
    }
}

TEST_F(MacroDeleteTest, AMacroNotInUseIsDeletedAfterOneConfirmation) {
    std::vector<MacroConfirmation> asked;
    const MacroDeleteResult result = store_.DeleteMacro(0, Context(&asked, true, false));
    ASSERT_EQ(result.result, MacroResult::kDone);
    EXPECT_EQ(asked.size(), 1u);
    // Every later macro moved down by one in both profiles with macro keys.
    EXPECT_EQ(Assignments(current_), (std::vector<int>{PlayMacro(1), 0x710300 | 3, kKeyC}));
    EXPECT_EQ(Assignments(other_), (std::vector<int>{PlayMacro(3), PlayMacro(1), PlayMacro(0)}));
    EXPECT_EQ(test::ReadText(plain_), plain_text_);
}

TEST(RenumberMacroKeys, OnlyMacroFunctionsChange) {
    std::vector<KeyAssignmentEntry> keys(4);
    keys[0].current = {0x70, 3, 1};
    keys[0].default_code = {0x20, 0, 4};
    keys[1].current = {0x71, 5, 9};
    keys[2].current = {0x72, 5, 0};  // a gun pattern, not a macro
    keys[3].current = {0x70, 2, 0};
    EXPECT_TRUE(RenumberMacroKeys(keys, 3));
    EXPECT_EQ(keys[0].current, (KeyFunctionCode{0x20, 0, 4}));
    EXPECT_EQ(keys[1].current, (KeyFunctionCode{0x71, 4, 9}));
    EXPECT_EQ(keys[2].current, (KeyFunctionCode{0x72, 5, 0}));
    EXPECT_EQ(keys[3].current, (KeyFunctionCode{0x70, 2, 0}));
    EXPECT_FALSE(RenumberMacroKeys(keys, 7));
}

}  // namespace
}  // namespace dz
