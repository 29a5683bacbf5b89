#include "app/ini_file.h"

#include <algorithm>
#include <cctype>

namespace dz::app {
namespace {

std::string_view Trim(std::string_view s) {
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.front()))) s.remove_prefix(1);
    while (!s.empty() && std::isspace(static_cast<unsigned char>(s.back()))) s.remove_suffix(1);
    return s;
}

bool SameNoCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

// The name of a "[name]" line, or nothing.
std::optional<std::string_view> SectionName(std::string_view line) {
    line = Trim(line);
    if (line.size() < 2 || line.front() != '[' || line.back() != ']') return std::nullopt;
    return Trim(line.substr(1, line.size() - 2));
}

}  // namespace

IniFile IniFile::Parse(std::string_view text) {
    IniFile ini;
    size_t start = 0;
    while (start < text.size()) {
        size_t end = text.find('\n', start);
        if (end == std::string_view::npos) end = text.size();
        std::string line(text.substr(start, end - start));
        if (!line.empty() && line.back() == '\r') line.pop_back();
        ini.lines_.push_back(std::move(line));
        start = end + 1;
    }
    return ini;
}

std::pair<int, int> IniFile::SectionBody(std::string_view section) const {
    int begin = -1;
    for (size_t i = 0; i < lines_.size(); ++i) {
        const auto name = SectionName(lines_[i]);
        if (!name) continue;
        if (begin >= 0) return {begin, static_cast<int>(i)};
        if (SameNoCase(*name, section)) begin = static_cast<int>(i) + 1;
    }
    return {begin, static_cast<int>(lines_.size())};
}

std::optional<std::string> IniFile::Get(std::string_view section, std::string_view key) const {
    const auto [begin, end] = SectionBody(section);
    if (begin < 0) return std::nullopt;
    for (int i = begin; i < end; ++i) {
        const std::string_view line = lines_[static_cast<size_t>(i)];
        const size_t eq = line.find('=');
        if (eq == std::string_view::npos) continue;
        if (SameNoCase(Trim(line.substr(0, eq)), key))
            return std::string(Trim(line.substr(eq + 1)));
    }
    return std::nullopt;
}

bool IniFile::Set(std::string_view section, std::string_view key, std::string_view value) {
    if (value.find_first_of("\r\n") != std::string_view::npos ||
        key.find_first_of("\r\n=") != std::string_view::npos)
        return false;
    const std::string line = std::string(key) + "=" + std::string(value);
    auto [begin, end] = SectionBody(section);
    if (begin < 0) {
        lines_.push_back("[" + std::string(section) + "]");
        lines_.push_back(line);
        return true;
    }
    int last_value = begin - 1;
    for (int i = begin; i < end; ++i) {
        std::string& l = lines_[static_cast<size_t>(i)];
        const size_t eq = l.find('=');
        if (eq == std::string::npos) continue;
        last_value = i;
        if (SameNoCase(Trim(std::string_view(l).substr(0, eq)), key)) {
            l = line;
            return true;
        }
    }
    lines_.insert(lines_.begin() + last_value + 1, line);
    return true;
}

std::string IniFile::Text() const {
    std::string out;
    for (const std::string& l : lines_) {
        out += l;
        out += '\n';
    }
    return out;
}

}  // namespace dz::app
