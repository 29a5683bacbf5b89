// dozadirctl profile ... and macro ...: the stores from the command line, in a private
// user data folder.
#include <gtest/gtest.h>

#include <sstream>

#include "cli.h"
#include "macro/macro_event.h"
#include "profile/file_report.h"
#include "profile/json_file.h"
#include "support/ctl_run.h"
#include "support/temp_folder.h"

namespace dz {
namespace {

namespace fs = std::filesystem;

using test::RunCtl;
using Result = test::CtlResult;

class StoreCommandsTest : public test::PrivateHomeCtlTest {
  protected:
    fs::path Folder(const char* kind) const { return home_.path() / "Dozadir Keyboard" / kind; }
};

TEST_F(StoreCommandsTest, ProfileOperations) {
    Json::Value list = RunJson({"profile", "list", "keyboard"});
    ASSERT_EQ(list["profiles"].size(), 1u);
    EXPECT_EQ(list["profiles"][0]["name"], "profile1");
    EXPECT_TRUE(fs::exists(list["profiles"][0]["file"].asString()));
    EXPECT_EQ(fs::path(list["profiles"][0]["file"].asString()).parent_path(), Folder("keyboard"));

    EXPECT_EQ(RunJson({"profile", "add", "keyboard"})["name"], "profile2");
    EXPECT_EQ(RunJson({"profile", "copy", "keyboard", "PROFILE1"})["name"], "profile1 copy");
    EXPECT_EQ(RunJson({"profile", "rename", "keyboard", "2", "Game"})["name"], "Game");
    EXPECT_EQ(RunJson({"profile", "select", "keyboard", "game"})["index"], 2);
    list = RunJson({"profile", "list", "keyboard"});
    EXPECT_EQ(list["selected"], 2);

    // Copying another profile leaves the selection where it was.
    EXPECT_EQ(RunJson({"profile", "copy", "keyboard", "profile2"})["name"], "profile2 copy");
    EXPECT_EQ(RunJson({"profile", "list", "keyboard"})["selected"], 2);

    const fs::path exported = home_ / "Game.json";
    ASSERT_EQ(Run({"profile", "export", "keyboard", "Game", exported.string()}).code, 0);
    EXPECT_EQ(RunJson({"profile", "import", "keyboard", exported.string()})["name"], "Game(1)");

    // A reset brings the default settings back.
    const fs::path game =
        RunJson({"profile", "list", "keyboard"})["profiles"][2]["file"].asString();
    Json::Value edited = ReadJsonFile(game);
    edited["Device"][0]["LightInfo"]["SelectItem"] = 28;
    ASSERT_TRUE(TryWriteJsonFile(game, edited));
    ASSERT_EQ(Run({"profile", "reset", "keyboard", "Game"}).code, 0);
    EXPECT_EQ(ReadJsonFile(game)["Device"][0]["LightInfo"]["SelectItem"], 1);

    const Json::Value deleted = RunJson({"profile", "delete", "keyboard", "Game"});
    EXPECT_EQ(deleted["deleted"], "Game");
    EXPECT_FALSE(fs::exists(game));
}

TEST_F(StoreCommandsTest, RefusedProfileOperationsExplainAndFail) {
    ASSERT_EQ(Run({"profile", "add", "mouse"}).code, 0);
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* message;
    };
    const Case cases[] = {
        {{"profile", "rename", "mouse", "profile1", "PROFILE2"}, ctl::kExitRefused, "already"},
        {{"profile", "rename", "mouse", "profile1", "  "}, ctl::kExitRefused, "blank"},
        {{"profile", "delete", "mouse", "nosuch"}, ctl::kExitRefused, "no profile nosuch"},
        {{"profile", "import", "mouse", (home_ / "missing.json").string()},
         ctl::kExitRefused,
         "not a profile"},
        {{"profile", "export", "mouse", "0", (home_ / "no/folder/x.json").string()},
         ctl::kExitFileError,
         "could not"},
        {{"profile", "list", "toaster"}, ctl::kExitUsage, "unknown kind"},
        {{"profile", "rename", "mouse", "profile1"}, ctl::kExitUsage, "wrong arguments"},
        {{"profile", "frobnicate", "mouse"}, ctl::kExitUsage, "wrong arguments"},
        {{"profile"}, ctl::kExitUsage, "give an operation"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.args.back());
        const Result r = Run(c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
    ASSERT_EQ(Run({"profile", "delete", "mouse", "profile2"}).code, 0);
    const Result last = Run({"profile", "delete", "mouse", "profile1"});
    EXPECT_EQ(last.code, ctl::kExitRefused);
    EXPECT_NE(last.err.find("last profile"), std::string::npos);

    for (int i = 0; i < 49; ++i) ASSERT_EQ(Run({"profile", "add", "mouse"}).code, 0);
    const Result full = Run({"profile", "add", "mouse"});
    EXPECT_EQ(full.code, ctl::kExitRefused);
    EXPECT_NE(full.err.find("50"), std::string::npos);
}

TEST_F(StoreCommandsTest, MacroOperationsAndDeletionAcrossProfiles) {
    for (int i = 0; i < 3; ++i) ASSERT_EQ(Run({"macro", "create", "keyboard"}).code, 0);
    EXPECT_EQ(RunJson({"macro", "rename", "keyboard", "macro_3", "Last"})["name"], "Last");
    const Result taken = Run({"macro", "rename", "keyboard", "Last", "MACRO_1"});
    EXPECT_EQ(taken.code, ctl::kExitRefused);

    // The selected profile plays macro 1 on its first key, another profile macro 2.
    ASSERT_EQ(Run({"profile", "add", "keyboard"}).code, 0);
    ASSERT_EQ(Run({"profile", "select", "keyboard", "profile1"}).code, 0);
    const Json::Value profiles = RunJson({"profile", "list", "keyboard"})["profiles"];
    const fs::path selected = profiles[0]["file"].asString();
    const fs::path other = profiles[1]["file"].asString();
    for (const auto& [path, macro] : {std::pair{selected, 1}, std::pair{other, 2}}) {
        Json::Value file = ReadJsonFile(path);
        file["Device"][0]["KeyList"][0]["Assignment"] = 0x700000 | (macro << 8);
        ASSERT_TRUE(TryWriteJsonFile(path, file));
    }
    const std::string before = test::ReadText(selected);
    const Result in_use = Run({"macro", "delete", "keyboard", "macro_2"});
    EXPECT_EQ(in_use.code, ctl::kExitRefused);
    EXPECT_NE(in_use.err.find("--force"), std::string::npos);
    EXPECT_EQ(test::ReadText(selected), before);
    EXPECT_EQ(RunJson({"macro", "list", "keyboard"})["macros"].size(), 3u);

    const Json::Value deleted = RunJson({"macro", "delete", "keyboard", "macro_2", "--force"});
    EXPECT_EQ(deleted["deleted"], "macro_2");
    EXPECT_TRUE(deleted["currentProfileChanged"].asBool());
    const int esc = ReadJsonFile(selected)["Device"][0]["KeyList"][0]["DefaultAssignment"].asInt();
    EXPECT_EQ(ReadJsonFile(selected)["Device"][0]["KeyList"][0]["Assignment"], esc);
    EXPECT_EQ(ReadJsonFile(other)["Device"][0]["KeyList"][0]["Assignment"], 0x700100);

    const fs::path out = home_ / "Last.mac";
    EXPECT_EQ(Run({"macro", "export", "keyboard", "Last", out.string()}).code,
              ctl::kExitFileError);  // never saved: no file yet
    test::WriteText(out, R"({"Events": []})");
    EXPECT_EQ(RunJson({"macro", "import", "keyboard", out.string()})["name"], "Last_2");
    EXPECT_EQ(Run({"macro", "create", "headset"}).code, ctl::kExitRefused);
    EXPECT_EQ(Run({"macro", "list", "keyboard", "--force"}).code, ctl::kExitUsage);
}

// Events written by hand land in the macro file as recording would give them; the rows come
// back as the editor shows them; a wrong word changes nothing.
TEST_F(StoreCommandsTest, HandWrittenEventsAndTheirRows) {
    ASSERT_EQ(Run({"macro", "create", "keyboard"}).code, 0);
    const Json::Value added =
        RunJson({"macro", "add-event", "keyboard", "macro_1", "down:LCtrl", "delay:15", "down:a",
                 "delay:120", "up:A", "up:lctrl", "click:back", "move:left:20", "move:down:255",
                 "delay:7", "down:Num Lock", "up:numlock"});
    const Json::Value& rows = added["rows"];
    ASSERT_EQ(rows.size(), 10u) << added.toStyledString();
    struct Row {
        const char* name;
        const char* action;
        int delay, type, button;
    };
    const Row expected[] = {
        {"LCtrl", "down", 15, 9, 1},
        {"A", "down", 120, 10, 4},
        {"A", "up", 0, 10, 4},
        {"LCtrl", "up", 0, 9, 1},
        {"back", "down", 0, 1, 8},
        {"back", "up", 0, 1, 8},
        {"move left", "20", 0, 4, 20},
        {"move down", "255", 7, 5, 255},
        {"Num Lock", "down", 0, 10, 0x53},
        {"Num Lock", "up", 0, 10, 0x53},
    };
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(rows[static_cast<int>(i)]["name"], expected[i].name);
        EXPECT_EQ(rows[static_cast<int>(i)]["action"], expected[i].action);
        EXPECT_EQ(rows[static_cast<int>(i)]["delay"], expected[i].delay);
        EXPECT_EQ(rows[static_cast<int>(i)]["type"], expected[i].type);
        EXPECT_EQ(rows[static_cast<int>(i)]["button"], expected[i].button);
    }
    // A move's direction is in its action: right is the release of the X movement.
    const fs::path file = Folder("keyboard") / (added["guid"].asString() + ".mac");
    const std::vector<MacroEvent> saved = LoadEvents(file);
    ASSERT_EQ(saved.size(), 10u);
    EXPECT_EQ(saved[6].action, "down");
    EXPECT_EQ(saved[7].action, "up");
    EXPECT_EQ(saved[0].delay, "15");
    EXPECT_EQ(RunJson({"macro", "show", "keyboard", "0"})["rows"], rows) << "show reads the same";
    const Result shown = Run({"macro", "show", "keyboard", "macro_1"});
    EXPECT_NE(shown.out.find("macro_1: 10 events"), std::string::npos) << shown.out;
    EXPECT_NE(shown.out.find("A               down     120 ms"), std::string::npos) << shown.out;

    // Appending goes on from the last event, whose delay a leading "delay:" sets.
    ASSERT_EQ(Run({"macro", "add-event", "keyboard", "macro_1", "delay:40", "click:left"}).code, 0);
    ASSERT_EQ(LoadEvents(file).size(), 12u);
    EXPECT_EQ(LoadEvents(file)[9].delay, "40");

    const std::string before = test::ReadText(file);
    for (const char* word : {"down:NoSuchKey", "click:A", "move:left:256", "move:sideways:3",
                             "delay:65536", "delay:-3", "delay:abc", "press:A", "down", ""}) {
        SCOPED_TRACE(word);
        const Result wrong = Run({"macro", "add-event", "keyboard", "macro_1", "down:B", word});
        EXPECT_EQ(wrong.code, ctl::kExitUsage);
        EXPECT_NE(wrong.err.find(word), std::string::npos) << wrong.err;
    }
    EXPECT_EQ(test::ReadText(file), before) << "nothing of a refused line is written";

    ASSERT_EQ(Run({"macro", "create", "mouse"}).code, 0);
    EXPECT_EQ(Run({"macro", "add-event", "mouse", "macro_1", "delay:5"}).code, ctl::kExitUsage)
        << "a delay needs an event before it";
    EXPECT_EQ(Run({"macro", "show", "mouse", "macro_9"}).code, ctl::kExitRefused);
    EXPECT_EQ(Run({"macro", "add-event", "mouse", "macro_1"}).code, ctl::kExitUsage);
}

// The 4000-event limit of a macro holds for hand-written events too.
TEST_F(StoreCommandsTest, HandWrittenEventsStopAtTheRowLimit) {
    ASSERT_EQ(Run({"macro", "create", "keyboard"}).code, 0);
    std::vector<std::string> args{"macro", "add-event", "keyboard", "macro_1"};
    for (int i = 0; i < 1000; ++i) args.push_back("click:left");
    ASSERT_EQ(Run(args).code, 0) << "2000";
    args.push_back("click:left");
    EXPECT_EQ(Run(args).code, ctl::kExitRefused) << "4002";
    EXPECT_EQ(RunJson({"macro", "list", "keyboard"})["macros"][0]["events"], 2000);
    args.resize(4 + 999);
    ASSERT_EQ(Run(args).code, 0) << "3998";
    EXPECT_EQ(Run({"macro", "add-event", "keyboard", "macro_1", "down:A", "up:A"}).code, 0);
    EXPECT_EQ(Run({"macro", "add-event", "keyboard", "macro_1", "down:A"}).code, ctl::kExitRefused);
    EXPECT_EQ(RunJson({"macro", "list", "keyboard"})["macros"][0]["events"], 4000);
}

// The command line tells which file it met and what it did with it.
TEST_F(StoreCommandsTest, FilesThatCannotBeUsedAreNamedOnTheErrorStream) {
    ForgetReportedFileProblems();
    const fs::path profile =
        RunJson({"profile", "list", "mouse"})["profiles"][0]["file"].asString();
    const std::string text = test::ReadText(profile);
    fs::resize_file(profile, kJsonMaxFileSize + 1);
    const Result refused = Run({"profile", "rename", "mouse", "profile1", "Game"});
    EXPECT_EQ(refused.code, ctl::kExitFileError);
    EXPECT_NE(
        refused.err.find(profile.string() + ": cannot be read (larger than 64 MiB); left as it is"),
        std::string::npos)
        << refused.err;
    fs::resize_file(profile, text.size());
    EXPECT_EQ(test::ReadText(profile), text);

    test::WriteText(Folder("mouse") / "macro.config", "{ damaged");
    const Result created = Run({"macro", "create", "mouse"});
    EXPECT_EQ(created.code, ctl::kExitOk);
    const size_t at =
        created.err.find("macro.config: damaged; replaced, its old content is kept in ");
    ASSERT_NE(at, std::string::npos) << created.err;
    EXPECT_NE(created.err.find(".broken-", at), std::string::npos);
}

}  // namespace
}  // namespace dz
