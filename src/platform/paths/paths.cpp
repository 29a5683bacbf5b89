#include "platform/paths/paths.h"

#include <cstdlib>
#include <string>
#include <system_error>

#include "platform/log/debug_log.h"

namespace dz::paths {
namespace fs = std::filesystem;
namespace {

// An environment variable that is set and not empty.
const char* EnvValue(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0' ? value : nullptr;
}

fs::path HomeFolder() {
    if (const char* home = EnvValue("HOME")) return home;
    return fs::path("/tmp");
}

// XDG base folder: the override, the XDG variable when it is absolute, or ~/<fallback>.
fs::path BaseFolder(const char* override_name, const char* xdg_name, const char* fallback) {
    if (const char* value = EnvValue(override_name)) return value;
    if (const char* value = EnvValue(xdg_name)) {
        fs::path path(value);
        // Relative values are invalid by the XDG rules and must be ignored.
        if (path.is_absolute()) return path;
    }
    return HomeFolder() / fallback;
}

fs::path ExecutableFolder() {
    std::error_code ec;
    const fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? fs::path() : exe.parent_path();
}

// True when `path` lies inside `folder` (both made absolute and normal).
bool IsInside(const fs::path& path, const fs::path& folder) {
    if (path.empty() || folder.empty()) return false;
    const fs::path p = path.lexically_normal();
    const fs::path f = folder.lexically_normal();
    auto pi = p.begin();
    for (auto fi = f.begin(); fi != f.end(); ++fi, ++pi) {
        if (fi->empty()) continue;  // trailing separator
        if (pi == p.end() || *pi != *fi) return false;
    }
    return true;
}

}  // namespace

fs::path ProductDataFolder() {
    return BaseFolder("DOZADIR_DATA_HOME", "XDG_DATA_HOME", ".local/share") /
           std::string(kProductFolderName);
}

fs::path ProductConfigFolder() {
    return BaseFolder("DOZADIR_CONFIG_HOME", "XDG_CONFIG_HOME", ".config") /
           std::string(kProductFolderName);
}

fs::path ProductCacheFolder() {
    return BaseFolder("DOZADIR_CACHE_HOME", "XDG_CACHE_HOME", ".cache") /
           std::string(kProductFolderName);
}

fs::path KindDataFolder(std::string_view kind_name) {
    return ProductDataFolder() / std::string(kind_name);
}

bool EnsureFolder(const fs::path& folder) {
    std::error_code ec;
    if (fs::is_directory(folder, ec)) return true;
    fs::create_directories(folder, ec);
    if (ec || !fs::is_directory(folder)) {
        log::DebugLineF("cannot create folder %s: %s", folder.c_str(),
                        ec ? ec.message().c_str() : "not a folder");
        return false;
    }
    return true;
}

fs::path ProgramDataFolder() {
    if (const char* value = EnvValue("DOZADIR_PROGRAM_DATA")) return value;
    const fs::path exe_folder = ExecutableFolder();
    std::error_code ec;
    // A data/ folder beside the executable (a copied or unpacked build).
    if (!exe_folder.empty() && fs::is_directory(exe_folder / "data" / "DefaultData", ec)) {
        return exe_folder / "data";
    }
    // Built but not installed: the source tree's data/.
    if (IsInside(exe_folder, DZ_BUILD_TREE_DIR)) return DZ_SOURCE_DATA_DIR;
    // Installed: the data folder at its place relative to the program, so that an
    // installation unpacked under another root (a package's tree, a bundle) finds its own.
    if (!exe_folder.empty()) {
        const fs::path beside = (exe_folder / DZ_INSTALL_DATA_RELATIVE).lexically_normal();
        if (fs::is_directory(beside / "DefaultData", ec)) return beside;
    }
    return DZ_INSTALL_DATA_DIR;
}

fs::path DefaultDataFolder() {
    return ProgramDataFolder() / "DefaultData";
}

fs::path DefaultDataFile(std::string_view kind_name) {
    return DefaultDataFolder() / (std::string(kind_name) + ".Json");
}

fs::path DefaultLightFile() {
    return DefaultDataFolder() / "default_light.json";
}

namespace {
fs::path PluginFile(const char* name) {
    const fs::path exe_folder = ExecutableFolder();
    if (IsInside(exe_folder, DZ_BUILD_TREE_DIR)) return fs::path(DZ_BUILD_PLUGIN_DIR) / name;
    std::error_code ec;
    if (!exe_folder.empty()) {
        const fs::path beside =
            (exe_folder / DZ_INSTALL_PLUGIN_RELATIVE / name).lexically_normal();
        if (fs::exists(beside, ec)) return beside;
    }
    return fs::path(DZ_INSTALL_PLUGIN_DIR) / name;
}
}  // namespace

fs::path EqualiserPluginFile() {
    if (const char* value = EnvValue("DOZADIR_EQ_PLUGIN")) return value;
    return PluginFile("dozadir_octave_eq.so");
}

fs::path VoicePluginFile() {
    return PluginFile("dozadir_voice.so");
}

}  // namespace dz::paths
