#pragma once
// The udev rule that lets the logged-in user open the supported devices, made from the
// supported-interface table in this one place: `dozadirctl udev-rule` prints it, the copy
// in data/udev/ is installed (a test keeps the two equal), and the window and dozadirctl
// name the same commands when a device cannot be opened.

#include <string>

namespace dz {

inline constexpr const char* kUdevRuleName = "70-dozadir.rules";

// Access (uaccess) to the hidraw nodes of exactly the USB interfaces of the table's rows,
// matched by vendor and product id on the USB device and by interface number on its USB
// interface; a device's other interfaces (the keyboard's typing interface) stay closed.
[[nodiscard]] std::string UdevRuleText();

// The commands that install the rule and have udev apply it to the nodes present, one a
// line, without a final line break.
[[nodiscard]] std::string UdevRuleInstallCommands();

}  // namespace dz
