#pragma once
// Commands run against emulated devices: the emulator the only backend (hidraw left out,
// no simulate option from outside), the user's files in a folder of the test's own, and
// dozadirctl run with --json inside the test's process.

#include <gtest/gtest.h>
#include <json/json.h>

#include <chrono>
#include <cstdlib>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "cli.h"  // tools/dozadirctl
#include "platform/hid/hid_backend.h"
#include "sim/emulator.h"
#include "support/temp_folder.h"

namespace dz::test {

struct CtlJsonResult {
    int code = 0;
    std::string out;
    std::string err;
    Json::Value json;  // what it printed, parsed
};

// `args` run as `dozadirctl --json args...`.
inline CtlJsonResult RunCtlJson(std::vector<std::string> args) {
    args.insert(args.begin(), "--json");
    std::ostringstream out, err;
    CtlJsonResult r;
    r.code = ctl::Run(args, out, err);
    r.out = out.str();
    r.err = err.str();
    std::istringstream in(r.out);
    (void)Json::parseFromStream(Json::CharReaderBuilder(), in, &r.json, nullptr);
    return r;
}

class EmulatedCtlTest : public ::testing::Test {
  protected:
    explicit EmulatedCtlTest(const sim::EmulatorConfig& devices) : emu_(devices) {}

    void SetUp() override {
        ::setenv("DOZADIR_NO_HIDRAW", "1", 1);
        ::unsetenv("DOZADIR_SIMULATE");
        ::setenv("DOZADIR_DATA_HOME", home_.path().c_str(), 1);
        emu_.SetLatency(std::chrono::microseconds(0));
        hid::BackendRegistry::Instance().Add(emu_.Backend());
    }
    void TearDown() override {
        hid::BackendRegistry::Instance().Remove(emu_.Backend().get());
        ::unsetenv("DOZADIR_DATA_HOME");
    }
    static CtlJsonResult Ctl(std::vector<std::string> args) { return RunCtlJson(std::move(args)); }

    TempFolder home_;
    sim::Emulator emu_;
};

}  // namespace dz::test
