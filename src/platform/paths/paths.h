#pragma once
// The folders of the program. Per-user data lives under $XDG_DATA_HOME (or ~/.local/share),
// settings under $XDG_CONFIG_HOME (or ~/.config), each in a folder named after the product;
// read-only data (DefaultData, skins, language files) in the program folder.
//
// Environment overrides, for tests and for running from unusual places:
//   DOZADIR_DATA_HOME     replaces $XDG_DATA_HOME
//   DOZADIR_CONFIG_HOME   replaces $XDG_CONFIG_HOME
//   DOZADIR_CACHE_HOME    replaces $XDG_CACHE_HOME
//   DOZADIR_PROGRAM_DATA  is the program folder itself

#include <filesystem>
#include <string_view>

namespace dz::paths {

inline constexpr std::string_view kProductFolderName = "Dozadir Keyboard";

// The per-user product folder (the "local application-data folder" of the program).
[[nodiscard]] std::filesystem::path ProductDataFolder();
// The per-user settings folder (what the program keeps in the registry and main.ini).
[[nodiscard]] std::filesystem::path ProductConfigFolder();
// The per-user cache folder (downloaded update packages): $XDG_CACHE_HOME (or ~/.cache)
// and the product's name.
[[nodiscard]] std::filesystem::path ProductCacheFolder();
// The product folder + kind name ("keyboard", "mouse", "MousePad", "HD"): profiles, macros
// and list files of one device kind. Not created here.
[[nodiscard]] std::filesystem::path KindDataFolder(std::string_view kind_name);

// Creates the folder and its parents when missing. False (with a debug line) when it cannot
// be created or a non-folder is in the way.
[[nodiscard]] bool EnsureFolder(const std::filesystem::path& folder);

// The program folder: DefaultData, skins and language files lie inside it.
[[nodiscard]] std::filesystem::path ProgramDataFolder();
[[nodiscard]] std::filesystem::path DefaultDataFolder();
// DefaultData + kind name + ".Json".
[[nodiscard]] std::filesystem::path DefaultDataFile(std::string_view kind_name);
// DefaultData + "default_light.json".
[[nodiscard]] std::filesystem::path DefaultLightFile();

// The headset's sound plugins (LADSPA shared objects the sound server loads): the build
// tree's while the program runs from there, else the ones installed beside the program.
// DOZADIR_EQ_PLUGIN, when set, names the equaliser's file.
[[nodiscard]] std::filesystem::path EqualiserPluginFile();
[[nodiscard]] std::filesystem::path VoicePluginFile();

}  // namespace dz::paths
