#include "profile/stored_names.h"

#include <cwctype>

#include "profile/text_util.h"

namespace dz {

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    const std::wstring wa = Utf8ToWide(a);
    const std::wstring wb = Utf8ToWide(b);
    if (wa.size() != wb.size()) return false;
    for (size_t i = 0; i < wa.size(); ++i) {
        if (std::towlower(static_cast<wint_t>(wa[i])) !=
            std::towlower(static_cast<wint_t>(wb[i]))) {
            return false;
        }
    }
    return true;
}

bool IsBlankName(std::string_view name) {
    for (const char c : name) {
        if (c != ' ' && c != '\t' && c != '\r' && c != '\n' && c != '\v' && c != '\f') return false;
    }
    return true;
}

bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name == "." || name == "..") return false;
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

std::optional<std::filesystem::path> FileInFolder(const std::filesystem::path& folder,
                                                  std::string_view identifier,
                                                  std::string_view extension) {
    if (!IsPlainFileName(identifier)) return std::nullopt;
    std::string name(identifier);
    name += extension;
    return folder / name;
}

}  // namespace dz
