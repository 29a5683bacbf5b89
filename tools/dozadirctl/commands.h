#pragma once

#include <iosfwd>
#include <optional>
#include <string>

namespace dz::ctl {

struct Context {
    std::ostream& out;
    std::ostream& err;
    bool json = false;
};

int ListCommand(Context& ctx);
// `device`: a slot number or a type word ("keyboard", "mouse-rx", ...); none = every
// bound command interface.
int InfoCommand(Context& ctx, const std::optional<std::string>& device);

}  // namespace dz::ctl
