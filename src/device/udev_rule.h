#pragma once

#include <string>

namespace dz::ctl {

// The udev rule giving the logged-in user access to every supported product's hidraw
// nodes, made from the supported-device table.
[[nodiscard]] std::string UdevRuleText();

inline constexpr const char* kUdevRuleName = "70-dozadir.rules";

}  // namespace dz::ctl
