#include "models/key_function_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <vector>

#include "models/key_pages.h"
#include "models/key_tables.h"

namespace dz {
namespace {

constexpr std::string_view kKeyNamePrefix = "keyboard_key_";

std::string Lower(std::string_view text) {
    std::string s(text);
    for (char& c : s) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return s;
}

// Without case, blanks, '_' and '-' ("Volume Up", "volume_up", "volume-up" alike).
std::string Folded(std::string_view text) {
    std::string s;
    for (const char c : text) {
        if (c == ' ' || c == '_' || c == '-') continue;
        s += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    }
    return s;
}

std::string_view WithoutPrefix(std::string_view name) {
    if (name.substr(0, kKeyNamePrefix.size()) == kKeyNamePrefix)
        name.remove_prefix(kKeyNamePrefix.size());
    return name;
}

// The key name row `word` names: first by the name as it is (so that "-" and "=" stay
// themselves), then folded.
int FindKeyName(std::string_view word) {
    const auto table = KeyNameTable();
    const std::string plain = Lower(WithoutPrefix(word));
    for (size_t i = 0; i < table.size(); ++i)
        if (Lower(WithoutPrefix(table[i].name)) == plain) return static_cast<int>(i);
    const std::string folded = Folded(WithoutPrefix(word));
    if (folded.empty()) return -1;
    for (size_t i = 0; i < table.size(); ++i)
        if (Folded(WithoutPrefix(table[i].name)) == folded) return static_cast<int>(i);
    return -1;
}

std::optional<int> Number(std::string_view text, int low, int high) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (error != std::errc() || end != text.data() + text.size() || value < low || value > high)
        return std::nullopt;
    return value;
}

std::optional<KeyFunctionCode> RawCode(std::string_view word) {
    if (word.substr(0, 2) == "0x" || word.substr(0, 2) == "0X") word.remove_prefix(2);
    if (word.size() != 6) return std::nullopt;
    if (!std::all_of(word.begin(), word.end(),
                     [](char c) { return std::isxdigit(static_cast<unsigned char>(c)); }))
        return std::nullopt;
    unsigned value = 0;
    (void)std::from_chars(word.data(), word.data() + word.size(), value, 16);
    return KeyCodeFromProfileInt(value);
}

std::vector<std::string_view> SplitAt(std::string_view text, char c) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (size_t i = 0; i <= text.size(); ++i) {
        if (i == text.size() || text[i] == c) {
            parts.push_back(text.substr(start, i - start));
            start = i + 1;
        }
    }
    return parts;
}

struct Named {
    const char* word;
    KeyFunctionPage page;
    int row;
};
constexpr Named kNamedFunctions[] = {
    {"left", KeyFunctionPage::kMouseButton, 0},  {"middle", KeyFunctionPage::kMouseButton, 1},
    {"right", KeyFunctionPage::kMouseButton, 2}, {"forward", KeyFunctionPage::kMouseButton, 3},
    {"back", KeyFunctionPage::kMouseButton, 4},  {"dpi-up", KeyFunctionPage::kDpi, 0},
    {"dpi-down", KeyFunctionPage::kDpi, 1},      {"dpi-cycle", KeyFunctionPage::kDpi, 2},
};

constexpr const char* kModifierWords[] = {"ctrl", "shift", "alt", "win"};

struct Parsed {
    std::optional<KeyPageInput> input;    // a page's choice
    std::optional<KeyFunctionCode> code;  // or a code as it is
    std::string error;
};

Parsed Fail(std::string error) {
    Parsed p;
    p.error = std::move(error);
    return p;
}

Parsed Page(KeyPageInput in) {
    Parsed p;
    p.input = in;
    return p;
}

Parsed ParseMacro(std::string_view rest, std::span<const std::string> macro_names) {
    const std::vector<std::string_view> parts = SplitAt(rest, ':');
    KeyPageInput in;
    in.page = KeyFunctionPage::kMacro;
    in.macro_count = static_cast<int>(macro_names.size());
    const std::string_view name = parts[0];
    for (size_t i = 0; i < macro_names.size() && in.macro_row < 0; ++i)
        if (macro_names[i] == name) in.macro_row = static_cast<int>(i);
    for (size_t i = 0; i < macro_names.size() && in.macro_row < 0; ++i)
        if (Lower(macro_names[i]) == Lower(name)) in.macro_row = static_cast<int>(i);
    if (in.macro_row < 0) return Fail("the kind has no macro \"" + std::string(name) + "\"");
    for (size_t i = 1; i < parts.size(); ++i) {
        const std::string_view p = parts[i];
        if (p.substr(0, 7) == "repeat=") {
            const auto n = Number(p.substr(7), 0, 255);
            if (!n) return Fail("repeat= takes 0 to 255");
            in.macro_mode = kMacroModeRepeat;
            in.repeat_count = *n;
        } else if (p.substr(0, 5) == "mode=") {
            const auto n = Number(p.substr(5), 0, kMacroModeRepeat - 1);
            if (!n) return Fail("mode= takes 0 to 3");
            in.macro_mode = *n;
        } else {
            return Fail("a macro takes :mode=M or :repeat=N, not \"" + std::string(p) + "\"");
        }
    }
    return Page(in);
}

Parsed ParseWord(std::string_view word, std::span<const std::string> macro_names) {
    const std::string lower = Lower(word);
    if (lower == "default") return Page({.page = KeyFunctionPage::kDefault});
    for (const Named& n : kNamedFunctions)
        if (lower == n.word) return Page({.page = n.page, .list_row = n.row});
    if (lower.rfind("macro:", 0) == 0) return ParseMacro(word.substr(6), macro_names);
    if (lower.rfind("wheel-up:", 0) == 0 || lower.rfind("wheel-down:", 0) == 0) {
        const bool down = lower[6] == 'd';
        const auto n = Number(word.substr(down ? 11 : 9), 1, 127);
        if (!n) return Fail("wheel steps are 1 to 127");
        return Page({.page = KeyFunctionPage::kMouseWheel, .count = *n, .direction = down});
    }
    if (lower.rfind("fire:", 0) == 0) {
        const std::vector<std::string_view> parts = SplitAt(word.substr(5), ':');
        const auto interval = parts.size() == 2 ? Number(parts[0], 0, 255) : std::nullopt;
        const auto clicks = parts.size() == 2 ? Number(parts[1], 0, 255) : std::nullopt;
        if (!interval || !clicks) return Fail("fire takes INTERVAL:CLICKS, each 0 to 255");
        return Page(
            {.page = KeyFunctionPage::kRapidFire, .interval = *interval, .clicks = *clicks});
    }
    if (lower.rfind("gun:", 0) == 0) {
        const auto n = Number(word.substr(4), 0, 255);
        if (!n) return Fail("gun takes an entry number");
        return Page({.page = KeyFunctionPage::kGun, .gun_row = *n});
    }
    if (const size_t plus = word.find('+'); plus != std::string_view::npos && plus > 0) {
        const std::string modifier = Lower(word.substr(0, plus));
        const auto* m = std::find(std::begin(kModifierWords), std::end(kModifierWords), modifier);
        if (m != std::end(kModifierWords)) {
            const int row = FindKeyName(word.substr(plus + 1));
            const auto table = KeyNameTable();
            if (row < static_cast<int>(kModifierRowCount) ||
                table[static_cast<size_t>(row)].code.type != kKeyTypeKeyboard ||
                table[static_cast<size_t>(row)].code.first != 0)
                return Fail("\"" + std::string(word.substr(plus + 1)) +
                            "\" is not a key a modifier can go with");
            return Page({.page = KeyFunctionPage::kKeyboard,
                         .modifier = static_cast<int>(m - std::begin(kModifierWords)) + 1,
                         .key_usage = table[static_cast<size_t>(row)].code.second});
        }
    }
    if (const int row = FindKeyName(word); row >= 0) {
        Parsed p;
        p.code = KeyNameTable()[static_cast<size_t>(row)].code;
        return p;
    }
    if (const auto raw = RawCode(word)) {
        Parsed p;
        p.code = *raw;
        return p;
    }
    return Fail("\"" + std::string(word) + "\" is no key name, function or code");
}

}  // namespace

KeyFunctionWord ParseKeyFunction(std::string_view word, int device_type,
                                 std::span<const std::string> macro_names, KeyFunctionCode current,
                                 KeyFunctionCode default_code) {
    KeyFunctionWord result;
    const Parsed parsed = ParseWord(word, macro_names);
    if (parsed.code) {
        result.code = parsed.code;
        return result;
    }
    if (!parsed.input) {
        result.error = parsed.error;
        return result;
    }
    if (!KeyPageOffered(parsed.input->page, device_type)) {
        result.error = "a keyboard has no " +
                       std::string(parsed.input->page == KeyFunctionPage::kDpi ? "DPI" : "gun") +
                       " keys";
        return result;
    }
    result.code = BuildKeyFunctionCode(*parsed.input, current, default_code);
    return result;
}

}  // namespace dz
