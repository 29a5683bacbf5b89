#pragma once
// Small text helpers shared by the file, profile and routing code: timestamp names,
// conversions between UTF-8, wide and the locale's encoding, and name splitting.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dz {

// ---- Timestamp names (profile UUIDs, macro Guids) ----------------------------------------

struct TimestampParts {
    int year = 0;
    int month = 0;  // 1..12
    int day = 0;
    int hour = 0;
    int minute = 0;
    int second = 0;
    int millisecond = 0;
};

// "%d_%02d_%02d_%02d_%02d_%02d_%03d", e.g. 2024_03_07_09_05_01_042.
[[nodiscard]] std::string FormatTimestampName(const TimestampParts& parts);
// `when` in local time.
[[nodiscard]] TimestampParts LocalTimestampParts(std::chrono::system_clock::time_point when);
[[nodiscard]] std::string MakeTimestampName(std::chrono::system_clock::time_point when);
// The current local time. Within one process each call stamps a later millisecond than the
// call before (moving on by 1 ms when the clock has not), so that names made in quick
// succession never collide.
[[nodiscard]] std::string MakeTimestampName();

// ---- Encodings ---------------------------------------------------------------------------
// Wide strings hold UTF-32 on Linux. Invalid input (malformed UTF-8, lone surrogates, code
// points beyond U+10FFFF) becomes U+FFFD; embedded NULs are kept.

[[nodiscard]] std::string WideToUtf8(std::wstring_view text);
[[nodiscard]] std::wstring Utf8ToWide(std::string_view text);

// The "ANSI" and "OEM" code pages of the system are, on Linux, both the multibyte encoding
// of the current locale (LC_CTYPE), which is UTF-8 in practice. Characters the locale
// cannot encode become '?'.
[[nodiscard]] std::string WideToAnsi(std::wstring_view text);
[[nodiscard]] std::string WideToOem(std::wstring_view text);

// ---- Names and paths ---------------------------------------------------------------------

// Eight upper-case hexadecimal digits, e.g. 0000ABCD.
[[nodiscard]] std::string Hex8(uint32_t value);

// File name without folder and extension; '/' and '\' both separate folders. A leading dot
// does not start an extension (".config" stays ".config").
[[nodiscard]] std::string FileTitle(std::string_view path);
[[nodiscard]] std::wstring FileTitle(std::wstring_view path);

// A typed decimal integer, read as the system reads edit texts: optional blanks and sign,
// then digits (anything after them is ignored); saturates at the int64 range; no digits
// reads 0.
[[nodiscard]] int64_t ParseDecimal(std::string_view text);

// `text` without any occurrence of `c`.
[[nodiscard]] std::string RemoveChar(std::string_view text, char c);

// A control name split at its last '_': "key_12" -> prefix "key_", number 12.
struct IndexedName {
    std::string prefix;    // up to and including the last '_'
    int number = 0;        // the decimal tail; 0 when the tail is not a decimal number
    bool numeric = false;  // the tail was a decimal number (digits only, fits in an int)
};

// Nothing when the name has no '_'. A tail that is not a decimal number still yields the
// prefix, with number 0, as the routing of numbered control families expects.
[[nodiscard]] std::optional<IndexedName> SplitIndexedName(std::string_view name);

}  // namespace dz
