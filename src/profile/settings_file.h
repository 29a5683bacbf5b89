#pragma once
// The user's configuration file "settings.config" in the per-user settings folder: what the
// program would otherwise keep in the registry (the language) and the settings a user may
// set by hand (the update server). A JSON object, one member per setting.

#include <filesystem>
#include <string_view>

#include <json/value.h>

namespace dz {

inline constexpr std::string_view kSettingsFileName = "settings.config";

// ProductConfigFolder() / "settings.config".
[[nodiscard]] std::filesystem::path SettingsFile();

// The member `key` of the file; null when the file, the member or the object is missing.
[[nodiscard]] Json::Value ReadSetting(std::string_view key);
// Sets one member and replaces the file atomically, keeping every other member. The folder
// is made when missing. False (with a debug line) when the file could not be written, or
// when it is there but could not be read (it is then left as it is).
[[nodiscard]] bool WriteSetting(std::string_view key, const Json::Value& value);

}  // namespace dz
