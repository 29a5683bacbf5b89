#pragma once
// dozadirctl run inside the test's process, as the command line runs it, with what it
// printed on each stream.

#include <sstream>
#include <string>
#include <vector>

#include "cli.h"  // tools/dozadirctl

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

}  // namespace dz::test
