#include "app/skin_choice.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <system_error>

#include "app/ini_file.h"
#include "platform/log/debug_log.h"
#include "platform/paths/paths.h"
#include "profile/atomic_file.h"

namespace dz::app {
namespace {

constexpr std::string_view kSection = "SKINIMAGE";
// Larger files are not ours; they are neither read nor replaced.
constexpr std::uintmax_t kMaxIniBytes = 1u << 20;

// The file's text; nothing when it is there but cannot be used.
std::optional<std::string> ReadIni(const std::filesystem::path& file) {
    std::error_code ec;
    if (!std::filesystem::exists(file, ec)) return std::string();
    if (!std::filesystem::is_regular_file(file, ec) ||
        std::filesystem::file_size(file, ec) > kMaxIniBytes || ec)
        return std::nullopt;
    std::ifstream in(file, std::ios::binary);
    if (!in) return std::nullopt;
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

std::filesystem::path MainIniFile() {
    return paths::ProductConfigFolder() / "main.ini";
}

bool StoreSkinChoice(const std::filesystem::path& file, const SkinChoice& choice, bool reset) {
    const std::optional<std::string> text = ReadIni(file);
    if (!text) {
        log::DebugLineF("%s is not readable: the background choice is not stored", file.c_str());
        return false;
    }
    IniFile ini = IniFile::Parse(*text);
    bool ok = true;
    if (reset) {
        ok = ini.Set(kSection, "FLAGS", "0") && ini.Set(kSection, "IMAGE", kDefaultBackground);
    } else if (choice.colour_mode) {
        char colour[16];
        std::snprintf(colour, sizeof colour, "#%08X", static_cast<unsigned>(choice.colour));
        ok = ini.Set(kSection, "FLAGS", "2") && ini.Set(kSection, "COLOR", colour);
    } else {
        ok = ini.Set(kSection, "FLAGS", "1") && ini.Set(kSection, "IMAGE", choice.image);
    }
    if (!ok) return false;
    if (!paths::EnsureFolder(file.parent_path())) return false;
    return ReplaceFileAtomically(file, ini.Text());
}

std::optional<SkinChoice> StoredSkinChoice(const std::filesystem::path& file) {
    const std::optional<std::string> text = ReadIni(file);
    if (!text || text->empty()) return std::nullopt;
    const IniFile ini = IniFile::Parse(*text);
    const std::optional<std::string> flags = ini.Get(kSection, "FLAGS");
    if (!flags) return std::nullopt;
    SkinChoice choice;
    if (*flags == "1") {
        const std::optional<std::string> image = ini.Get(kSection, "IMAGE");
        if (!image || image->empty()) return std::nullopt;
        choice.image = *image;
        return choice;
    }
    if (*flags == "2") {
        const std::optional<std::string> colour = ini.Get(kSection, "COLOR");
        if (!colour || colour->size() != 9 || (*colour)[0] != '#') return std::nullopt;
        char* end = nullptr;
        const unsigned long value = std::strtoul(colour->c_str() + 1, &end, 16);
        if (end != colour->c_str() + 9) return std::nullopt;
        choice.colour_mode = true;
        choice.colour = static_cast<uint32_t>(value);
        return choice;
    }
    return std::nullopt;
}

}  // namespace dz::app
