#pragma once
// Starting with the session: an XDG autostart entry
// ($XDG_CONFIG_HOME/autostart/org.dozadir.Keyboard.desktop) that starts this program hidden in
// the tray ("--hidden"). Written by the settings window's choice, atomically. No Qt.

#include <filesystem>
#include <string>
#include <string_view>

namespace dz::app {

inline constexpr std::string_view kStartHiddenOption = "--hidden";

[[nodiscard]] std::filesystem::path AutostartFile();
// The entry's text for the program at `program` (quoted as desktop entries require).
[[nodiscard]] std::string AutostartEntry(std::string_view program);
// Writes (on) or removes (off) the entry. False when that failed.
bool SetAutostart(bool on, std::string_view program);
[[nodiscard]] bool AutostartEnabled();

}  // namespace dz::app
