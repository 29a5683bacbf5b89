#include "app/language_table.h"

#include <json/value.h>

#include <algorithm>
#include <cctype>

#include "platform/paths/paths.h"
#include "profile/json_file.h"
#include "profile/settings_file.h"

namespace dz::app {
namespace {

std::string Lower(std::string_view s) {
    std::string out(s);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}

// A language file is named, never reached through a path.
bool IsPlainFileName(std::string_view name) {
    if (name.empty() || name.front() == '.') return false;
    return name.find_first_of(std::string_view("/\\\0", 3)) == std::string_view::npos;
}

// The ISO language a "Language_name" stands for.
std::string IsoLanguageOf(std::string_view name) {
    const std::string n = Lower(name);
    if (n == "cn" || n == "tw" || n == "tc" || n == "zh") return "zh";
    return n;
}

}  // namespace

std::filesystem::path LanguageTableFile() {
    return paths::DefaultDataFolder() / "Language.config";
}

std::vector<LanguageEntry> ReadLanguageTable(const std::filesystem::path& file) {
    std::vector<LanguageEntry> table;
    const Json::Value root = ReadJsonFile(file);
    const Json::Value& list = JsonMember(root, "Language");
    if (!list.isArray()) return table;
    for (size_t i = 0; i < JsonSize(list); ++i) {
        const Json::Value& e = JsonElement(list, i);
        LanguageEntry entry;
        entry.id = JsonInt(e, "Language_ID");
        entry.name = JsonString(e, "Language_name");
        entry.file = JsonString(e, "Language_file");
        if (!IsPlainFileName(entry.file)) entry.file.clear();
        entry.text_id = JsonString(e, "Language_text");
        table.push_back(std::move(entry));
    }
    return table;
}

std::optional<int> StoredLanguageId() {
    const Json::Value v = ReadSetting(kLanguageSetting);
    if (!v.isIntegral()) return std::nullopt;
    return JsonAsInt(v);
}

bool StoreLanguageId(int id) {
    return WriteSetting(kLanguageSetting, Json::Value(id));
}

int IndexOfLanguageId(const std::vector<LanguageEntry>& table, int id) {
    for (size_t i = 0; i < table.size(); ++i)
        if (table[i].id == id) return static_cast<int>(i);
    return 0;
}

int IndexForLocale(const std::vector<LanguageEntry>& table, std::string_view locale) {
    const size_t end = locale.find_first_of("_.@-");
    const std::string language = Lower(locale.substr(0, end));
    int english = -1;
    for (size_t i = 0; i < table.size(); ++i) {
        const std::string iso = IsoLanguageOf(table[i].name);
        if (!language.empty() && iso == language) return static_cast<int>(i);
        if (iso == "en" && english < 0) english = static_cast<int>(i);
    }
    return english >= 0 ? english : 0;
}

int StartLanguageIndex(const std::vector<LanguageEntry>& table, std::optional<int> stored_id,
                       std::string_view locale) {
    if (stored_id) return IndexOfLanguageId(table, *stored_id);
    return IndexForLocale(table, locale);
}

std::string_view FontFaceFor(int index) {
    switch (index) {
        case 0: return "汉仪菱心体简";
        case 2: return "Noto Sans CJK TC Regular";
        case 15: return "Noto Sans Thai";
        default: return "Verdana Unicode MS";
    }
}

std::optional<std::string_view> FontRebuildFace(int current, int next) {
    if (next == 0 || next == 2 || next == 15) return FontFaceFor(next);
    if (current == 15 || current == 2 || current == 0 || current == -1) return FontFaceFor(next);
    return std::nullopt;
}

std::string FontconfigLanguage(std::string_view language_name) {
    const std::string n = Lower(language_name);
    if (n == "cn" || n == "zh") return "zh-cn";
    if (n == "tw" || n == "tc") return "zh-tw";
    return n;
}

}  // namespace dz::app
