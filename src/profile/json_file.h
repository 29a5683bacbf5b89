#pragma once
// Reading and writing the program's JSON files, and reading values out of a tree that
// may have been edited by hand. Nothing here throws: a file that cannot be used reads as
// null, and a value of the wrong type reads as 0, false or the empty string.

#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

#include <json/value.h>

namespace dz {

// Deepest nesting of values a file may have, counting every array, object and the scalar
// inside: 256 nested empty arrays parse, 256 nested objects around a number do not. The
// program's own files nest a few levels; the bound keeps the recursive parser (and the
// recursive copy and destruction of what it built) far from the end of any thread's stack.
inline constexpr int kJsonMaxDepth = 256;
// Larger files are not read: they are not the program's, and reading them would only
// exhaust memory.
inline constexpr size_t kJsonMaxFileSize = 64u << 20;

// Parses JSON text, accepting /* */ and // comments (they are kept with the values) and a
// leading UTF-8 byte order mark. Null when the text is empty, does not parse, or nests
// deeper than kJsonMaxDepth. What follows the first complete value is ignored.
[[nodiscard]] Json::Value ParseJsonText(std::string_view text);

// What reading a file found. Callers that only read treat everything but kParsed as null;
// callers that rewrite the file need the difference: a file that is missing or does not
// parse may be replaced, one that is there but could not be read must be left alone.
enum class JsonFileState {
    kParsed,      // read whole and parsed
    kMissing,     // nothing at the path
    kNotJson,     // read whole, but empty, not JSON, or nested deeper than kJsonMaxDepth
    kUnreadable,  // there, but not read: permissions, too many open files, an I/O error, not a
                  // regular file, or larger than kJsonMaxFileSize
};

struct JsonFileRead {
    Json::Value value;  // null unless kParsed
    JsonFileState state = JsonFileState::kMissing;
    int error = 0;  // kUnreadable: errno (EFBIG over the size limit, EISDIR for a non-file)
    [[nodiscard]] bool Parsed() const { return state == JsonFileState::kParsed; }
};

// Reads and parses the whole file, telling why when it yields nothing.
[[nodiscard]] JsonFileRead ReadJsonFileChecked(const std::filesystem::path& path);

// The whole file parsed, or null when it cannot be opened, is empty, cannot be read whole,
// or does not parse.
[[nodiscard]] Json::Value ReadJsonFile(const std::filesystem::path& path);

// Why a kUnreadable read failed, as a short English phrase ("Permission denied", "larger
// than 64 MiB").
[[nodiscard]] std::string ReadFailureText(const JsonFileRead& read);

// The value as styled text: three-space indentation, one member per line, LF line ends.
[[nodiscard]] std::string StyledJsonText(const Json::Value& value);

// Replaces the file with the styled text of `value`, atomically: the text goes to a
// temporary file in the same folder, is flushed to disk and renamed over the target, so
// the target is always either the old or the new file. On failure the old file stays, the
// temporary is removed and a debug line says why.
[[nodiscard]] bool TryWriteJsonFile(const std::filesystem::path& path, const Json::Value& value);

// The same for callers that do not look at the outcome: the result is always 0.
int WriteJsonFile(const std::filesystem::path& path, const Json::Value& value);

// ---- Files the program keeps for the user ------------------------------------------------
// Profiles, profile and macro lists and macro files are read, changed and written back. A
// failed read must never turn into a write that destroys what the user had, so these are
// replaced only through the functions below (each reports what it refused or kept through
// ReportFileProblem, file_report.h):
// - a file that is there but could not be read is left as it is and the write fails;
// - a file that holds no JSON object (does not parse, or is none of the program's
//   documents) is first kept beside itself as "<name>.broken-<timestamp>"; when that copy
//   cannot be made, the write fails;
// - a missing file is simply written.

// `current` is what reading `path` found just before; callers that have read the file
// anyway pass it, the others let the function read it.
[[nodiscard]] bool TryReplaceUserJsonFile(const std::filesystem::path& path,
                                          const Json::Value& value, const JsonFileRead& current);
[[nodiscard]] bool TryReplaceUserJsonFile(const std::filesystem::path& path,
                                          const Json::Value& value);
// The kept copy of a damaged file is named "<name>" kBrokenCopyInfix MakeTimestampName().
inline constexpr std::string_view kBrokenCopyInfix = ".broken-";

// ---- Byte copies ------------------------------------------------------------------------
// Importing, exporting and resetting files the user keeps are copies of a file's bytes: the
// target is replaced atomically and only once the whole source has been read, so a source
// that cannot be read leaves the target as it was.
enum class FileCopyResult {
    kDone,
    kSourceMissing,     // nothing at the source path
    kSourceUnreadable,  // there, but not read whole (or larger than kJsonMaxFileSize)
    kSourceNotJson,     // a JSON object was required and the source holds none
    kTargetKept,        // the target could not be read or its damaged content not kept
    kWriteFailed,       // the new file could not be written; the old one stays
};
[[nodiscard]] const char* FileCopyResultText(FileCopyResult result);

// Copies `from` over `to`, a file the program keeps for the user, with the care of
// TryReplaceUserJsonFile for what `to` holds. With `require_json_object` a source that is
// not a JSON object (not one of the program's documents) is refused.
[[nodiscard]] FileCopyResult CopyIntoUserFile(const std::filesystem::path& from,
                                              const std::filesystem::path& to,
                                              bool require_json_object);
// Copies `from` to a place the user chose (an export): `to` is replaced whatever it held.
[[nodiscard]] FileCopyResult CopyFileAtomically(const std::filesystem::path& from,
                                                const std::filesystem::path& to);

// ---- Typed readers ----------------------------------------------------------------------
// None of them inserts into the tree or throws.

// The member `key` of an object; a null value when `object` is not an object or lacks it.
[[nodiscard]] const Json::Value& JsonMember(const Json::Value& object, std::string_view key);
// Element `index` of an array; a null value when `array` is not an array or is too short.
[[nodiscard]] const Json::Value& JsonElement(const Json::Value& array, size_t index);
// Number of elements of an array or members of an object; 0 for anything else.
[[nodiscard]] size_t JsonSize(const Json::Value& value);

// Integers as they are, reals truncated, booleans as 0 or 1; 0 for anything else,
// including numbers outside the int range and strings.
[[nodiscard]] int JsonAsInt(const Json::Value& value);
// Booleans as they are, numbers as "not zero"; false for anything else.
[[nodiscard]] bool JsonAsBool(const Json::Value& value);
// Strings as they are; empty for anything else.
[[nodiscard]] std::string JsonAsString(const Json::Value& value);

[[nodiscard]] int JsonInt(const Json::Value& object, std::string_view key);
[[nodiscard]] bool JsonBool(const Json::Value& object, std::string_view key);
[[nodiscard]] std::string JsonString(const Json::Value& object, std::string_view key);

// ---- Writing into a tree ----------------------------------------------------------------
// jsoncpp throws when a member or element is assigned in a value of another type. These
// turn a value that is neither null nor of the needed kind into an empty object or array
// first (what a hand-edited file held there was unusable anyway) and return the slot.

[[nodiscard]] Json::Value& JsonMemberForWrite(Json::Value& object, std::string_view key);
[[nodiscard]] Json::Value& JsonElementForWrite(Json::Value& array, size_t index);

}  // namespace dz
