#pragma once
// dozadirctl: the command-line client. Kept as a function so tests run it in-process
// against the emulator as well as through the binary.

#include <iosfwd>
#include <string>
#include <vector>

namespace dz::ctl {

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitDeviceError = 2;  // a device did not answer as it should
inline constexpr int kExitNoDevice = 3;     // no supported device present
inline constexpr int kExitNoAccess = 4;     // supported devices present but not openable
inline constexpr int kExitRefused = 5;      // a profile or macro operation was refused
inline constexpr int kExitFileError = 6;    // a profile or macro file could not be used
inline constexpr int kExitNoServer = 7;     // no update query was answered

// `args` without the program name.
int Run(const std::vector<std::string>& args, std::ostream& out, std::ostream& err);

}  // namespace dz::ctl
