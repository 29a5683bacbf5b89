#pragma once
// The languages the program ships: "Language.config" in DefaultData, the language stored
// for the user (the "LANGUAGE" setting, a Language_ID), the first start's choice by the
// desktop's locale, and which font face each language takes. No Qt.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace dz::app {

struct LanguageEntry {
    int id = 0;             // "Language_ID", what is stored
    std::string name;       // "Language_name" ("cn", "en"), given to the text table
    std::string file;       // "Language_file", in the language folder; empty when unusable
    std::string text_id;    // "Language_text", the entry's text in the settings window
};

inline constexpr std::string_view kLanguageSetting = "LANGUAGE";

// DefaultData / "Language.config".
[[nodiscard]] std::filesystem::path LanguageTableFile();

// The "Language" array of the file, in order; empty when the file is missing or not JSON.
// A "Language_file" that is not a plain name in the language folder (a folder separator,
// "..", a leading dot) reads as empty, so choosing that language leaves the texts as they are.
[[nodiscard]] std::vector<LanguageEntry> ReadLanguageTable(const std::filesystem::path& file);

// The stored Language_ID, when the settings file has one.
[[nodiscard]] std::optional<int> StoredLanguageId();
[[nodiscard]] bool StoreLanguageId(int id);

// Position of the first entry with this id; 0 when none has it.
[[nodiscard]] int IndexOfLanguageId(const std::vector<LanguageEntry>& table, int id);
// The entry for a locale name ("zh_CN.UTF-8", "en_GB", "de"): the one of its language,
// else English, else 0.
[[nodiscard]] int IndexForLocale(const std::vector<LanguageEntry>& table, std::string_view locale);
// The language to apply at start: the stored one (0 when the table lacks it); with nothing
// stored (the first start), the locale's.
[[nodiscard]] int StartLanguageIndex(const std::vector<LanguageEntry>& table,
                                     std::optional<int> stored_id, std::string_view locale);

// ---- Fonts -------------------------------------------------------------------------------
// The face of a language index: 0 "汉仪菱心体简", 2 "Noto Sans CJK TC Regular",
// 15 "Noto Sans Thai", any other "Verdana Unicode MS".
[[nodiscard]] std::string_view FontFaceFor(int index);
// The face the font set is rebuilt with when the language goes from `current` to `next`
// (current -1 before the first), or none when the fonts stay.
[[nodiscard]] std::optional<std::string_view> FontRebuildFace(int current, int next);
// The fontconfig language for a "Language_name": "cn" zh-cn, "tw" zh-tw, others as they are.
[[nodiscard]] std::string FontconfigLanguage(std::string_view language_name);

}  // namespace dz::app
