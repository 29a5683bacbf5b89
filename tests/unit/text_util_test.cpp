#include "profile/text_util.h"

#include <gtest/gtest.h>

#include <clocale>
#include <cstdlib>
#include <ctime>
#include <set>
#include <string>

namespace dz {
namespace {

using namespace std::chrono;

TEST(TimestampName, Format) {
    EXPECT_EQ(FormatTimestampName({2024, 3, 7, 9, 5, 1, 42}), "2024_03_07_09_05_01_042");
    EXPECT_EQ(FormatTimestampName({1999, 12, 31, 23, 59, 59, 999}), "1999_12_31_23_59_59_999");
    EXPECT_EQ(FormatTimestampName({2030, 1, 1, 0, 0, 0, 0}), "2030_01_01_00_00_00_000");
}

// Sets TZ for the lifetime of the object.
class ScopedTimeZone {
  public:
    explicit ScopedTimeZone(const char* tz) {
        if (const char* old = std::getenv("TZ")) old_ = old;
        ::setenv("TZ", tz, 1);
        ::tzset();
    }
    ~ScopedTimeZone() {
        if (old_.empty()) {
            ::unsetenv("TZ");
        } else {
            ::setenv("TZ", old_.c_str(), 1);
        }
        ::tzset();
    }

  private:
    std::string old_;
};

TEST(TimestampName, UsesLocalTime) {
    const system_clock::time_point when =
        sys_days{year{2024} / 3 / 7} + hours{9} + minutes{5} + seconds{1} + milliseconds{42};
    {
        ScopedTimeZone utc("UTC0");
        EXPECT_EQ(MakeTimestampName(when), "2024_03_07_09_05_01_042");
    }
    {
        ScopedTimeZone tokyo("JST-9");
        EXPECT_EQ(MakeTimestampName(when), "2024_03_07_18_05_01_042");
    }
    {
        ScopedTimeZone west("XST10");  // ten hours behind: the day before
        EXPECT_EQ(MakeTimestampName(when + microseconds{999}), "2024_03_06_23_05_01_042");
    }
}

// dddd_dd_dd_dd_dd_dd_ddd
bool HasTimestampShape(const std::string& name) {
    const std::string shape = "dddd_dd_dd_dd_dd_dd_ddd";
    if (name.size() != shape.size()) return false;
    for (size_t i = 0; i < shape.size(); ++i) {
        const bool digit = name[i] >= '0' && name[i] <= '9';
        if (shape[i] == 'd' ? !digit : name[i] != '_') return false;
    }
    return true;
}

TEST(TimestampName, NamesInQuickSuccessionNeverCollide) {
    std::set<std::string> names;
    std::string previous;
    for (int i = 0; i < 2000; ++i) {
        const std::string name = MakeTimestampName();
        ASSERT_TRUE(HasTimestampShape(name)) << name;
        EXPECT_GT(name, previous);
        names.insert(name);
        previous = name;
    }
    EXPECT_EQ(names.size(), 2000u);
}

TEST(Encodings, Utf8AndWideRoundTrip) {
    const std::wstring cases[] = {
        L"",
        L"profile1",
        L"Gr\u00FC\u00DFe",
        L"\u914D\u7F6E\u6587\u4EF6",
        L"\U0001F600 smile",
        std::wstring(L"a\0b", 3),
    };
    for (const auto& wide : cases) {
        const std::string utf8 = WideToUtf8(wide);
        EXPECT_EQ(Utf8ToWide(utf8), wide);
    }
    EXPECT_EQ(WideToUtf8(L"\u00E4"), "\xC3\xA4");
    EXPECT_EQ(WideToUtf8(L"\U0001F600"), "\xF0\x9F\x98\x80");
    EXPECT_EQ(WideToUtf8(std::wstring(L"a\0b", 3)).size(), 3u);
}

TEST(Encodings, InvalidUtf8BecomesReplacementCharacters) {
    struct Case {
        const char* what;
        std::string utf8;
        std::wstring wide;
    };
    const Case cases[] = {
        {"stray byte",
         "a\xFF"
         "b",
         L"a\uFFFDb"},
        {"lone continuation", "\x80", L"\uFFFD"},
        {"truncated at the end", "a\xC3", L"a\uFFFD"},
        {"truncated before ASCII",
         "\xE4\xB8"
         "a",
         L"\uFFFDa"},
        {"overlong slash", "\xC0\xAF", L"\uFFFD\uFFFD"},
        {"overlong three bytes", "\xE0\x80\x80", L"\uFFFD\uFFFD\uFFFD"},
        {"surrogate", "\xED\xA0\x80", L"\uFFFD\uFFFD\uFFFD"},
        {"beyond U+10FFFF", "\xF4\x90\x80\x80", L"\uFFFD\uFFFD\uFFFD\uFFFD"},
        {"valid after invalid", "\xFE\xC3\xA4", L"\uFFFD\u00E4"},
        {"largest", "\xF4\x8F\xBF\xBF", L"\U0010FFFF"},
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8ToWide(c.utf8), c.wide) << c.what;
}

TEST(Encodings, InvalidWideBecomesReplacementCharacters) {
    const std::string replacement = "\xEF\xBF\xBD";
    EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), replacement);
    EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0xDC00)) + L"x"), replacement + "x");
    EXPECT_EQ(WideToUtf8(std::wstring(1, static_cast<wchar_t>(0x110000))), replacement);
    // A UTF-16 pair carried in wide text is joined.
    const std::wstring pair = {static_cast<wchar_t>(0xD83D), static_cast<wchar_t>(0xDE00)};
    EXPECT_EQ(WideToUtf8(pair), "\xF0\x9F\x98\x80");
}

class ScopedCtype {
  public:
    explicit ScopedCtype(const char* name) : old_(std::setlocale(LC_CTYPE, nullptr)) {
        ok_ = std::setlocale(LC_CTYPE, name) != nullptr;
    }
    ~ScopedCtype() { std::setlocale(LC_CTYPE, old_.c_str()); }
    bool ok() const { return ok_; }

  private:
    std::string old_;
    bool ok_ = false;
};

TEST(Encodings, AnsiAndOemAreTheLocaleEncoding) {
    const std::wstring text = L"caf\u00E9 \u4E2D";
    {
        ScopedCtype utf8("C.UTF-8");
        ASSERT_TRUE(utf8.ok());
        EXPECT_EQ(WideToAnsi(text), WideToUtf8(text));
        EXPECT_EQ(WideToOem(text), WideToUtf8(text));
    }
    {
        ScopedCtype ascii("C");
        ASSERT_TRUE(ascii.ok());
        EXPECT_EQ(WideToAnsi(text), "caf? ?");
        EXPECT_EQ(WideToOem(L"plain"), "plain");
    }
}

TEST(TextHelpers, Hex8) {
    EXPECT_EQ(Hex8(0), "00000000");
    EXPECT_EQ(Hex8(0xABCD), "0000ABCD");
    EXPECT_EQ(Hex8(0xDEADBEEF), "DEADBEEF");
    EXPECT_EQ(Hex8(0xFFFFFFFF), "FFFFFFFF");
}

TEST(TextHelpers, FileTitle) {
    struct Case {
        const char* path;
        const char* title;
    };
    const Case cases[] = {
        {"C:\\Users\\u\\AppData\\Local\\Dozadir Keyboard\\mouse\\2024_03_07.Json", "2024_03_07"},
        {"/home/u/.local/share/profile.Json", "profile"},
        {"mixed/dir\\macro.mac", "macro"},
        {"archive.tar.gz", "archive.tar"},
        {"name", "name"},
        {"folder.d/name", "name"},
        {"a/.config", ".config"},
        {"trailing.", "trailing"},
        {"folder/", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(FileTitle(std::string_view(c.path)), c.title) << c.path;
        EXPECT_EQ(FileTitle(Utf8ToWide(c.path)), Utf8ToWide(c.title)) << c.path;
    }
    EXPECT_EQ(FileTitle(std::wstring_view(L"x/\u914D\u7F6E.Shoot")), L"\u914D\u7F6E");
}

TEST(TextHelpers, RemoveChar) {
    EXPECT_EQ(RemoveChar("V1.0.0.0", '.'), "V1000");
    EXPECT_EQ(RemoveChar("---", '-'), "");
    EXPECT_EQ(RemoveChar("", 'x'), "");
    EXPECT_EQ(RemoveChar("abc", 'x'), "abc");
}

TEST(TextHelpers, SplitIndexedName) {
    struct Case {
        const char* name;
        const char* prefix;
        int number;
        bool numeric;
    };
    const Case cases[] = {
        {"key_12", "key_", 12, true},
        {"DPI_slider_3", "DPI_slider_", 3, true},
        {"color_option_0", "color_option_", 0, true},
        {"_7", "_", 7, true},
        {"key_butt_keysave", "key_butt_", 0, false},
        {"key_", "key_", 0, false},
        {"key_-1", "key_", 0, false},
        {"key_12abc", "key_", 0, false},
        {"key_99999999999", "key_", 0, false},
        {"light_2147483647", "light_", 2147483647, true},
    };
    for (const auto& c : cases) {
        const auto split = SplitIndexedName(c.name);
        ASSERT_TRUE(split.has_value()) << c.name;
        EXPECT_EQ(split->prefix, c.prefix) << c.name;
        EXPECT_EQ(split->number, c.number) << c.name;
        EXPECT_EQ(split->numeric, c.numeric) << c.name;
    }
    EXPECT_FALSE(SplitIndexedName("closebtn").has_value());
    EXPECT_FALSE(SplitIndexedName("").has_value());
}

}  // namespace
}  // namespace dz
