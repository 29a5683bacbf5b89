// dozadirctl in-process and as the installed binary, against the emulator.
#include <gtest/gtest.h>
#include <json/json.h>

#include <array>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <map>
#include <vector>

#include <sys/wait.h>

#include "support/ctl_run.h"
#include "cli.h"
#include "device/udev_rule.h"
#include "platform/hid/hid_backend.h"
#include "sim/report_descriptors.h"

namespace {

using dz::test::RunCtl;
using Result = dz::test::CtlResult;


// Runs a shell command and captures what it writes to standard output.
Result Shell(const std::string& command) {
    Result r{0, {}, {}};
    FILE* p = popen(command.c_str(), "r");
    if (!p) return {-1, {}, {}};
    std::array<char, 4096> buf;
    size_t n;
    while ((n = fread(buf.data(), 1, buf.size(), p)) > 0) r.out.append(buf.data(), n);
    const int status = pclose(p);
    r.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    return r;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream s(text);
    for (std::string l; std::getline(s, l);) out.push_back(l);
    return out;
}

class CtlTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("DOZADIR_NO_HIDRAW", "1", 1); unsetenv("DOZADIR_SIMULATE"); }
};

TEST_F(CtlTest, SimulatedDevicesAreBoundToTheirSlots) {
    const Result r = RunCtl({"--simulate", "--json", "list"});
    ASSERT_EQ(r.code, dz::ctl::kExitOk) << r.err;
    Json::Value list;
    std::istringstream in(r.out);
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &list, nullptr)) << r.out;
    std::map<int, std::pair<std::string, std::string>> slots;
    for (const auto& e : list) slots[e["slot"].asInt()] = {e["type"].asString(), e["role"].asString()};
    const std::map<int, std::pair<std::string, std::string>> expected{
        {0, {"keyboard", "command"}}, {1, {"keyboard", "notify"}},  {4, {"mouse", "command"}},
        {5, {"mouse", "notify"}},     {6, {"mouse-rx", "command"}}, {7, {"mouse-rx", "notify"}},
        {8, {"mousepad", "command"}}, {9, {"mousepad", "notify"}},  {10, {"headset", "command"}},
    };
    EXPECT_EQ(slots, expected);
    for (const auto& e : list) {
        EXPECT_EQ(e["firmware"].asString().substr(0, 1), "V");
        EXPECT_NE(e["path"].asString().find("vid_"), std::string::npos);
    }
}

TEST_F(CtlTest, ListTableNamesEveryBoundInterface) {
    const Result r = RunCtl({"--simulate=keyboard,headset", "list"});
    ASSERT_EQ(r.code, dz::ctl::kExitOk) << r.err;
    const auto lines = Lines(r.out);
    ASSERT_EQ(lines.size(), 4u) << r.out;  // header, keyboard command and notify, headset
    EXPECT_NE(lines[1].find("320f:505b"), std::string::npos);
    EXPECT_NE(lines[1].find("ff1c/0092"), std::string::npos);
    EXPECT_NE(lines[3].find("0c76:1630"), std::string::npos);
}

TEST_F(CtlTest, InfoReadsTheInformationBlock) {
    const Result r = RunCtl({"--simulate", "--json", "info", "mouse-rx"});
    ASSERT_EQ(r.code, dz::ctl::kExitOk) << r.err;
    Json::Value list;
    std::istringstream in(r.out);
    ASSERT_TRUE(Json::parseFromStream(Json::CharReaderBuilder(), in, &list, nullptr));
    ASSERT_EQ(list.size(), 1u);
    EXPECT_EQ(list[0]["slot"].asInt(), 6);
    EXPECT_EQ(list[0]["info"].size(), 34u);
    EXPECT_GT(list[0]["keySlots"].asInt(), 0);
}

TEST_F(CtlTest, UsageErrorsAndMissingDevicesHaveTheirExitCodes) {
    struct Case {
        std::vector<std::string> args;
        int code;
        const char* message;
    };
    const Case cases[] = {
        {{}, dz::ctl::kExitUsage, "Usage"},
        {{"frobnicate"}, dz::ctl::kExitUsage, "unknown command"},
        {{"--bogus", "list"}, dz::ctl::kExitUsage, "unknown option"},
        {{"--simulate=toaster", "list"}, dz::ctl::kExitUsage, "toaster"},
        {{"--simulate", "info", "99"}, dz::ctl::kExitUsage, "unknown device"},
        {{"list"}, dz::ctl::kExitNoDevice, "no supported device"},
        {{"info"}, dz::ctl::kExitNoDevice, "no supported device"},
        {{"--simulate=keyboard", "info", "headset"}, dz::ctl::kExitNoDevice, "no headset"},
    };
    for (const auto& c : cases) {
        const Result r = RunCtl(c.args);
        EXPECT_EQ(r.code, c.code) << r.err;
        EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
    }
}

// A backend whose keyboard node exists but refuses to open, as hidraw does without
// the udev rule.
class DeniedBackend : public dz::hid::HidBackend {
public:
    std::string_view Scheme() const override { return "denied"; }
    bool Enumerate(std::vector<dz::hid::HidNodeInfo>& out) override {
        const auto d = dz::sim::VendorInterfaceDescriptor();
        out.push_back({"kbd", 0x320F, 0x505B, 0x0100, 1, {d.begin(), d.end()}, {}});
        return true;
    }
    std::unique_ptr<dz::hid::HidConnection> Open(std::string_view, const dz::hid::OpenFlags&,
                                                 dz::hid::HidNodeInfo&,
                                                 dz::hid::OpenError& error) override {
        error = dz::hid::OpenError::kAccessDenied;
        return nullptr;
    }
};

TEST_F(CtlTest, UnopenableDevicesNameTheUdevRule) {
    auto backend = std::make_shared<DeniedBackend>();
    dz::hid::BackendRegistry::Instance().Add(backend);
    const Result r = RunCtl({"list"});
    dz::hid::BackendRegistry::Instance().Remove(backend.get());
    EXPECT_EQ(r.code, dz::ctl::kExitNoAccess);
    EXPECT_NE(r.err.find("permission denied"), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("70-dozadir.rules"), std::string::npos) << r.err;
}

TEST_F(CtlTest, InstalledUdevRuleIsTheOneMadeFromTheTable) {
    std::ifstream f(DOZADIR_SOURCE_DATA_DIR "/udev/70-dozadir.rules");
    std::stringstream s;
    s << f.rdbuf();
    EXPECT_EQ(s.str(), dz::UdevRuleText());
    EXPECT_NE(s.str().find("ATTRS{idProduct}==\"221d\""), std::string::npos);
}

// The binary as a person runs it: the traces of the information block's exchanges.
TEST_F(CtlTest, DebugTraceShowsTheExactPackets) {
    struct Case {
        const char* device;
        std::vector<std::string> packet_lines;  // first line of each "命令" dump
    };
    const Case cases[] = {
        {"keyboard", {"04 25 00 03   22 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  "
                      "00 00 00 00  00 00 00 00  00 00 00 00"}},
        {"mouse-rx",
         {"04 1b 00 03   18 00 00 00   00 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  "
          "00 00 00 00  00 00 00 00",
          "04 25 00 03   0a 18 00 00   00 00 00 00   00 00 00 00  00 00 00 00  00 00 00 00  "
          "00 00 00 00  00 00 00 00"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.device);
        const Result r = Shell(std::string("DOZADIR_NO_HIDRAW=1 DOZADIR_DEBUG=1 ") +
                               DOZADIRCTL_BIN + " --simulate info " + c.device + " 2>&1 >/dev/null");
        ASSERT_EQ(r.code, 0) << r.out;
        const auto lines = Lines(r.out);
        std::vector<std::string> packets;
        size_t answers = 0;
        for (size_t i = 0; i < lines.size(); ++i) {
            if (lines[i] == "命令" && i + 2 < lines.size()) packets.push_back(lines[i + 1]);
            if (lines[i] == "返回") ++answers;
        }
        EXPECT_EQ(packets, c.packet_lines) << r.out;
        EXPECT_EQ(answers, c.packet_lines.size());
    }
}

// Builds without Qt keep the command; it says why it cannot work instead of being unknown.
TEST_F(CtlTest, SimCommandIsInTheHelpOfEveryBuild) {
    const Result help = RunCtl({"--help"});
    ASSERT_EQ(help.code, dz::ctl::kExitOk);
    for (const char* line : {"sim status", "sim plug KIND [LINK]", "sim cable KIND",
                             "sim receiver KIND", "sim link KIND on|off", "sim press KIND raw USAGE",
                             "sim fault KIND FAULT AT"})
        EXPECT_NE(help.out.find(line), std::string::npos) << line;
#ifdef DOZADIR_CTL_NO_SIM_BUS
    const Result r = RunCtl({"sim", "status"});
    EXPECT_EQ(r.code, dz::ctl::kExitUsage);
    EXPECT_EQ(r.err, "dozadirctl: sim: this dozadirctl was built without D-Bus support\n");
#endif
}

}  // namespace
