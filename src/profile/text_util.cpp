#include "profile/text_util.h"

#include <langinfo.h>

#include <cctype>
#include <charconv>
#include <climits>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <cwchar>
#include <limits>
#include <mutex>

namespace dz {
namespace {

using Millis = std::chrono::time_point<std::chrono::system_clock, std::chrono::milliseconds>;

constexpr char32_t kReplacement = 0xFFFD;

void AppendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out.push_back(static_cast<char>(cp));
    } else if (cp < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
    }
}

void AppendWide(std::wstring& out, char32_t cp) {
    if constexpr (sizeof(wchar_t) >= 4) {
        out.push_back(static_cast<wchar_t>(cp));
    } else if (cp < 0x10000) {
        out.push_back(static_cast<wchar_t>(cp));
    } else {
        cp -= 0x10000;
        out.push_back(static_cast<wchar_t>(0xD800 + (cp >> 10)));
        out.push_back(static_cast<wchar_t>(0xDC00 + (cp & 0x3FF)));
    }
}

bool IsSurrogate(char32_t cp) {
    return cp >= 0xD800 && cp <= 0xDFFF;
}

std::string WideToLocaleMultibyte(std::wstring_view text) {
    const char* codeset = nl_langinfo(CODESET);
    if (codeset != nullptr &&
        (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0)) {
        return WideToUtf8(text);
    }
    std::string out;
    std::mbstate_t state{};
    char buffer[MB_LEN_MAX];
    for (const wchar_t c : text) {
        const size_t n = std::wcrtomb(buffer, c, &state);
        if (n == static_cast<size_t>(-1)) {
            out.push_back('?');
            state = std::mbstate_t{};
        } else {
            out.append(buffer, n);
        }
    }
    return out;
}

template <typename Char>
std::basic_string<Char> FileTitleOf(std::basic_string_view<Char> path) {
    constexpr Char kSeparators[] = {static_cast<Char>('/'), static_cast<Char>('\\')};
    const size_t slash = path.find_last_of(kSeparators, path.npos, 2);
    std::basic_string_view<Char> name = slash == path.npos ? path : path.substr(slash + 1);
    const size_t dot = name.rfind(static_cast<Char>('.'));
    if (dot != name.npos && dot > 0) name = name.substr(0, dot);
    return std::basic_string<Char>(name);
}

}  // namespace

std::string FormatTimestampName(const TimestampParts& p) {
    char buffer[96];
    std::snprintf(buffer, sizeof buffer, "%d_%02d_%02d_%02d_%02d_%02d_%03d", p.year, p.month, p.day,
                  p.hour, p.minute, p.second, p.millisecond);
    return buffer;
}

TimestampParts LocalTimestampParts(std::chrono::system_clock::time_point when) {
    const auto millis = std::chrono::floor<std::chrono::milliseconds>(when);
    const auto seconds = std::chrono::floor<std::chrono::seconds>(millis);
    const std::time_t t = std::chrono::system_clock::to_time_t(seconds);
    std::tm tm{};
    localtime_r(&t, &tm);
    TimestampParts parts;
    parts.year = tm.tm_year + 1900;
    parts.month = tm.tm_mon + 1;
    parts.day = tm.tm_mday;
    parts.hour = tm.tm_hour;
    parts.minute = tm.tm_min;
    parts.second = tm.tm_sec;
    parts.millisecond = static_cast<int>((millis - seconds).count());
    return parts;
}

std::string MakeTimestampName(std::chrono::system_clock::time_point when) {
    return FormatTimestampName(LocalTimestampParts(when));
}

std::string MakeTimestampName() {
    static std::mutex mutex;
    static Millis last{};
    Millis now = std::chrono::floor<std::chrono::milliseconds>(std::chrono::system_clock::now());
    {
        std::lock_guard lock(mutex);
        if (now <= last) now = last + std::chrono::milliseconds(1);
        last = now;
    }
    return MakeTimestampName(now);
}

std::string WideToUtf8(std::wstring_view text) {
    std::string out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        char32_t cp = static_cast<char32_t>(text[i]);
        if constexpr (sizeof(wchar_t) < 4) cp &= 0xFFFF;
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size()) {
            // A UTF-16 pair, as wide text taken over from elsewhere may hold.
            const char32_t low = static_cast<char32_t>(text[i + 1]);
            if (low >= 0xDC00 && low <= 0xDFFF) {
                cp = 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00);
                ++i;
            }
        }
        if (IsSurrogate(cp) || cp > 0x10FFFF) cp = kReplacement;
        AppendUtf8(out, cp);
    }
    return out;
}

std::wstring Utf8ToWide(std::string_view text) {
    std::wstring out;
    out.reserve(text.size());
    size_t i = 0;
    while (i < text.size()) {
        const auto b0 = static_cast<unsigned char>(text[i]);
        if (b0 < 0x80) {
            AppendWide(out, b0);
            ++i;
            continue;
        }
        int extra = 0;
        char32_t cp = 0;
        unsigned char low = 0x80;
        unsigned char high = 0xBF;
        if (b0 >= 0xC2 && b0 <= 0xDF) {
            extra = 1;
            cp = b0 & 0x1F;
        } else if (b0 >= 0xE0 && b0 <= 0xEF) {
            extra = 2;
            cp = b0 & 0x0F;
            if (b0 == 0xE0) low = 0xA0;   // no overlong forms
            if (b0 == 0xED) high = 0x9F;  // no surrogates
        } else if (b0 >= 0xF0 && b0 <= 0xF4) {
            extra = 3;
            cp = b0 & 0x07;
            if (b0 == 0xF0) low = 0x90;
            if (b0 == 0xF4) high = 0x8F;  // nothing beyond U+10FFFF
        } else {
            AppendWide(out, kReplacement);
            ++i;
            continue;
        }
        // A broken sequence is replaced as a whole up to the first byte that does not fit,
        // which starts the next character.
        size_t j = i + 1;
        bool complete = true;
        for (int k = 0; k < extra; ++k, ++j) {
            if (j >= text.size()) {
                complete = false;
                break;
            }
            const auto b = static_cast<unsigned char>(text[j]);
            if (b < low || b > high) {
                complete = false;
                break;
            }
            cp = (cp << 6) | (b & 0x3F);
            low = 0x80;
            high = 0xBF;
        }
        AppendWide(out, complete ? cp : kReplacement);
        i = j;
    }
    return out;
}

std::string WideToAnsi(std::wstring_view text) {
    return WideToLocaleMultibyte(text);
}

std::string WideToOem(std::wstring_view text) {
    return WideToLocaleMultibyte(text);
}

std::string Hex8(uint32_t value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "%08X", static_cast<unsigned>(value));
    return buffer;
}

std::string FileTitle(std::string_view path) {
    return FileTitleOf(path);
}

std::wstring FileTitle(std::wstring_view path) {
    return FileTitleOf(path);
}

std::string RemoveChar(std::string_view text, char c) {
    std::string out;
    out.reserve(text.size());
    for (const char ch : text) {
        if (ch != c) out.push_back(ch);
    }
    return out;
}

std::optional<IndexedName> SplitIndexedName(std::string_view name) {
    const size_t underscore = name.rfind('_');
    if (underscore == name.npos) return std::nullopt;
    IndexedName result;
    result.prefix = std::string(name.substr(0, underscore + 1));
    const std::string_view tail = name.substr(underscore + 1);
    bool digits = !tail.empty();
    for (const char ch : tail) {
        if (ch < '0' || ch > '9') {
            digits = false;
            break;
        }
    }
    if (digits) {
        int number = 0;
        const auto [end, error] = std::from_chars(tail.data(), tail.data() + tail.size(), number);
        if (error == std::errc() && end == tail.data() + tail.size()) {
            result.number = number;
            result.numeric = true;
        }
    }
    return result;
}

int64_t ParseDecimal(std::string_view text) {
    size_t i = 0;
    while (i < text.size() && std::isspace(static_cast<unsigned char>(text[i]))) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '-' || text[i] == '+')) negative = text[i++] == '-';
    constexpr int64_t kMax = std::numeric_limits<int64_t>::max();
    int64_t value = 0;
    for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i) {
        const int digit = text[i] - '0';
        if (value > (kMax - digit) / 10) {
            value = kMax;
            break;
        }
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

}  // namespace dz
