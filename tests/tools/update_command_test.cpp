// dozadirctl update: the settings window's check in the foreground, against the emulator's
// devices and the test update server.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include <json/value.h>

#include "cli.h"
#include "profile/json_file.h"
#include "support/ctl_run.h"
#include "support/temp_folder.h"
#include "support/test_http_server.h"
#include "update/update_check.h"

namespace dz::ctl {
namespace {

using test::RunCtl;
using Result = test::CtlResult;


Json::Value Answer(const std::string& body) {
    Json::Value a;
    a["status"] = 200;
    a["body"] = body;
    return a;
}

class UpdateCommandTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ::setenv("DOZADIR_NO_HIDRAW", "1", 1);
        ::unsetenv("DOZADIR_SIMULATE");
        ::unsetenv("DOZADIR_UPDATE_SERVER");
        ::setenv("DOZADIR_DATA_HOME", home_.path().c_str(), 1);
        ::setenv("DOZADIR_CONFIG_HOME", home_.path().c_str(), 1);
    }
    void TearDown() override {
        ::unsetenv("DOZADIR_DATA_HOME");
        ::unsetenv("DOZADIR_CONFIG_HOME");
    }
    test::TempFolder home_;
};

TEST_F(UpdateCommandTest, EveryConnectedItemIsAskedAndPrinted) {
    Json::Value s;
    s["routes"]["/api/updates"]["by_key"]["RODAV_1_ZA20R01O_MS_1"] =
        Answer(R"({"name":"Mouse fw","version":"fff","path":"/m.bin"})");
    s["routes"]["/api/updates"]["by_key"]["RODAV_0_ALL_AP_1"] =
        Answer(R"({"name":"App","version":"1","version_name":"0.0.1"})");
    test::TestHttpServer server(s);
    ASSERT_TRUE(server.Running());
    const Result r = RunCtl({"--simulate", "--json", "update", "--server", server.BaseUrl()});
    ASSERT_EQ(r.code, 0) << r.err;
    const Json::Value out = ParseJsonText(r.out);
    ASSERT_TRUE(out.isObject()) << r.out;
    EXPECT_EQ(out["windowStatus"].asInt(), update::kWindowHaveUpdate);
    const Json::Value& items = out["items"];
    // Mouse, keyboard and the third selector item (the mousepad) have firmware; then the program.
    ASSERT_EQ(items.size(), 4u) << r.out;
    EXPECT_EQ(items[0]["name"].asString(), "Mouse fw");
    EXPECT_EQ(items[0]["offered"].asString(), "Vfff");
    EXPECT_EQ(items[0]["statusText"].asString(), "update available");
    EXPECT_EQ(items[1]["name"].asString(), "KB");  // 404: not answered, shown as installed
    EXPECT_TRUE(items[1].isMember("error"));
    EXPECT_EQ(items[3]["name"].asString(), "App");
    EXPECT_EQ(items[3]["status"].asInt(), 7);
    EXPECT_EQ(out["failures"].asInt(), 2);

    // What went over the wire: one POST per item, each with the device's own version.
    const auto requests = server.Requests();
    ASSERT_EQ(requests.size(), 4u);
    const std::string mouse_version = items[0]["current"].asString().substr(1);  // "V0120"
    const std::string expected_version = mouse_version.substr(mouse_version.find_first_not_of('0'));
    EXPECT_EQ(requests[0].body,
              "app_key=RODAV_1_ZA20R01O_MS_1&version=" + expected_version + std::string(1, '\0'));
    EXPECT_EQ(requests[3].body,
              "app_key=RODAV_0_ALL_AP_1&version=" + std::to_string(update::InstalledAppVersion()) +
                  std::string(1, '\0'));
    // The check's date is kept as the window keeps it.
    EXPECT_EQ(update::ReadLastCheckDate(update::LastCheckFile()), update::TodayText());

    // The same as text, one line per item.
    const Result text = RunCtl({"--simulate", "update", "--server=" + server.BaseUrl()});
    EXPECT_EQ(text.code, 0);
    EXPECT_NE(text.out.find("Mouse fw"), std::string::npos);
    EXPECT_NE(text.out.find("update available"), std::string::npos);
    EXPECT_NE(text.out.find("(not answered: the update server answered HTTP 404)"),
              std::string::npos)
        << text.out;
}

TEST_F(UpdateCommandTest, NoServerNoDevicesAndWrongWords) {
    const std::string down = "http://127.0.0.1:" + std::to_string(test::FreePort()) + "/api/";
    // Without devices only the program itself is asked.
    const Result r = RunCtl({"--json", "update", "--server", down});
    EXPECT_EQ(r.code, kExitNoServer);
    const Json::Value out = ParseJsonText(r.out);
    ASSERT_EQ(out["items"].size(), 1u);
    EXPECT_EQ(out["items"][0]["name"].asString(), "AP");
    EXPECT_EQ(out["windowStatus"].asInt(), update::kWindowNoServer);
    EXPECT_NE(r.err.find("did not answer"), std::string::npos);
    // The address from the environment when none is given.
    ::setenv("DOZADIR_UPDATE_SERVER", down.c_str(), 1);
    EXPECT_EQ(RunCtl({"update"}).code, kExitNoServer);
    ::unsetenv("DOZADIR_UPDATE_SERVER");
    EXPECT_EQ(RunCtl({"update", "now"}).code, kExitUsage);
    EXPECT_EQ(RunCtl({"update", "--server="}).code, kExitUsage);
}

}  // namespace
}  // namespace dz::ctl
