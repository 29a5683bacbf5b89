#include "profile/stored_names.h"

#include <cwctype>
#include <locale>

#include "profile/text_util.h"

namespace dz {
namespace {

// Case folding that knows letters beyond ASCII, whatever locale the process runs in.
wchar_t FoldCase(wchar_t c) {
    static const std::ctype<wchar_t>* const facet = []() -> const std::ctype<wchar_t>* {
        try {
            static const std::locale utf8("C.UTF-8");
            return &std::use_facet<std::ctype<wchar_t>>(utf8);
        } catch (const std::exception&) {
            return nullptr;
        }
    }();
    return facet != nullptr ? facet->tolower(c)
                            : static_cast<wchar_t>(std::towlower(static_cast<wint_t>(c)));
}

}  // namespace

bool SameNameIgnoringCase(std::string_view a, std::string_view b) {
    const std::wstring wa = Utf8ToWide(a);
    const std::wstring wb = Utf8ToWide(b);
    if (wa.size() != wb.size()) return false;
    for (size_t i = 0; i < wa.size(); ++i) {
        if (FoldCase(wa[i]) != FoldCase(wb[i])) return false;
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
