// dozadirctl audio-style: the audio styles of "AudioFile.json" in a private user data folder,
// seeded from the shipped default file.
#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include "cli.h"
#include "profile/json_file.h"
#include "support/ctl_run.h"
#include "support/temp_folder.h"

namespace dz {
namespace {

namespace fs = std::filesystem;

using test::RunCtl;
using Result = test::CtlResult;

class AudioStyleCommandTest : public test::PrivateHomeCtlTest {
  protected:
    fs::path UserFile() const { return home_.path() / "Dozadir Keyboard" / "AudioFile.json"; }
    Json::Value Info() const { return ReadJsonFile(UserFile())["Device"]["AudioLightInfo"]; }
};

TEST_F(AudioStyleCommandTest, ListSeedsTheUserFileFromTheDefaultAndShowsTheFourStyles) {
    ASSERT_FALSE(fs::exists(UserFile()));
    const Json::Value v = RunJson({"audio-style", "list"});
    EXPECT_TRUE(fs::exists(UserFile()));
    EXPECT_EQ(v["inUse"].asInt(), 1);
    ASSERT_EQ(v["styles"].size(), 4u);
    EXPECT_EQ(v["styles"][1]["name"].asString(), "第二组");
    EXPECT_EQ(v["styles"][1]["green"].asInt(), 9);
    EXPECT_EQ(v["styles"][1]["blue"].asInt(), 4);
    EXPECT_TRUE(v["styles"][0]["inUse"].asBool());
    EXPECT_FALSE(v["styles"][1]["inUse"].asBool());

    const Result text = Run({"audio-style"});
    EXPECT_EQ(text.code, ctl::kExitOk);
    EXPECT_NE(text.out.find("style in use: 1"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("2 第二组: red 0, green 9, blue 4"), std::string::npos) << text.out;
}

TEST_F(AudioStyleCommandTest, SetChangesOneStyleAsTheStyleWindowAndKeepsTheFilesOtherMembers) {
    ASSERT_EQ(Run({"audio-style", "list"}).code, ctl::kExitOk);
    Json::Value file = ReadJsonFile(UserFile());
    file["Mine"] = 7;
    file["Device"]["Other"] = "kept";
    ASSERT_TRUE(TryWriteJsonFile(UserFile(), file));

    const Json::Value v =
        RunJson({"audio-style", "set", "2", "--red", "9", "--blue", "0", "--name", "", "--use"});
    EXPECT_EQ(v["style"].asInt(), 2);
    EXPECT_EQ(v["name"].asString(), "第二组") << "an empty name is the default one";
    const Json::Value info = Info();
    EXPECT_EQ(info["nAudioStyle"].asInt(), 1);
    EXPECT_EQ(info["nStyleR1"].asInt(), 9);
    EXPECT_EQ(info["nStyleG1"].asInt(), 9);
    EXPECT_EQ(info["nStyleB1"].asInt(), 0);
    EXPECT_EQ(info["nStyleR0"].asInt(), 9) << "other styles unchanged";
    EXPECT_EQ(ReadJsonFile(UserFile())["Mine"].asInt(), 7);
    EXPECT_EQ(ReadJsonFile(UserFile())["Device"]["Other"].asString(), "kept");

    // By name, ignoring case.
    ASSERT_EQ(Run({"audio-style", "set", "4", "--name", "Party"}).code, ctl::kExitOk);
    const Json::Value party = RunJson({"audio-style", "show", "PARTY"});
    EXPECT_EQ(party["style"].asInt(), 4);
    EXPECT_EQ(Info()["nStyleName4"].asString(), "Party");
}

TEST_F(AudioStyleCommandTest, BadArgumentsChangeNothing) {
    ASSERT_EQ(Run({"audio-style", "list"}).code, ctl::kExitOk);
    const Json::Value before = ReadJsonFile(UserFile());
    struct Case {
        std::vector<std::string> args;
        const char* says;
    };
    for (const Case& c : {Case{{"audio-style", "set", "5", "--red", "1"}, "no style \"5\""},
                          Case{{"audio-style", "set", "0", "--red", "1"}, "no style \"0\""},
                          Case{{"audio-style", "set", "1", "--red", "10"}, "takes 0..9"},
                          Case{{"audio-style", "set", "1", "--green", "-1"}, "takes 0..9"},
                          Case{{"audio-style", "set", "1", "--blue"}, "wants a value"},
                          Case{{"audio-style", "set", "1", "--alpha", "3"}, "unknown option"},
                          Case{{"audio-style", "show", "nobody"}, "no style"},
                          Case{{"audio-style", "remove", "1"}, "unknown"}}) {
        const Result r = Run(c.args);
        EXPECT_EQ(r.code, ctl::kExitUsage) << c.args[2];
        EXPECT_NE(r.err.find(c.says), std::string::npos) << r.err;
    }
    EXPECT_EQ(ReadJsonFile(UserFile()), before);
}

TEST_F(AudioStyleCommandTest, DefaultsPutTheShippedStylesBackAndADamagedFileIsReseeded) {
    ASSERT_EQ(Run({"audio-style", "set", "1", "--red", "0", "--use"}).code, ctl::kExitOk);
    ASSERT_EQ(Info()["nStyleR0"].asInt(), 0);
    const Json::Value v = RunJson({"audio-style", "defaults"});
    EXPECT_EQ(v["styles"][0]["red"].asInt(), 9);
    EXPECT_EQ(Info()["nStyleR0"].asInt(), 9);

    {
        std::ofstream broken(UserFile(), std::ios::trunc);
        broken << "{ not json";
    }
    const Json::Value reseeded = RunJson({"audio-style", "show", "3"});
    EXPECT_EQ(reseeded["name"].asString(), "第三组");
    EXPECT_EQ(Info()["nStyleB2"].asInt(), 9);
}

}  // namespace
}  // namespace dz
