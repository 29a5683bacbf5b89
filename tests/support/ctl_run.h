#pragma once
// dozadirctl run inside the test's process, as the command line runs it, with what it
// printed on each stream.

#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>
#include <string>
#include <vector>

#include "cli.h"  // tools/dozadirctl
#include "profile/json_file.h"
#include "support/temp_folder.h"

namespace dz::test {

struct CtlResult {
    int code;
    std::string out;
    std::string err;
};

inline CtlResult RunCtl(const std::vector<std::string>& args) {
    std::ostringstream out, err;
    const int code = ctl::Run(args, out, err);
    return {code, out.str(), err.str()};
}

// Commands on the stores only (no device): the user's files in a folder of the test's own.
class PrivateHomeCtlTest : public ::testing::Test {
  protected:
    void SetUp() override { ::setenv("DOZADIR_DATA_HOME", home_.path().c_str(), 1); }
    void TearDown() override { ::unsetenv("DOZADIR_DATA_HOME"); }

    static CtlResult Run(const std::vector<std::string>& args) { return RunCtl(args); }
    // `dozadirctl --json args...`, which must succeed; what it printed, parsed.
    static Json::Value RunJson(std::vector<std::string> args) {
        args.insert(args.begin(), "--json");
        const CtlResult r = RunCtl(args);
        EXPECT_EQ(r.code, ctl::kExitOk) << r.err;
        return ParseJsonText(r.out);
    }

    TempFolder home_;
};

}  // namespace dz::test
