#include "profile/json_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <memory>
#include <optional>

#include <json/reader.h>
#include <json/writer.h>

#include "platform/log/debug_log.h"
#include "profile/atomic_file.h"
#include "profile/file_report.h"
#include "profile/text_util.h"

namespace dz {
namespace {

// The whole file. `error` is 0 when it was read whole (an empty text is an empty file),
// else errno of what failed: ENOENT for a missing file, EFBIG over the size limit, EISDIR
// for something that is not a regular file, EIO for a short read.
std::string ReadWholeFile(const std::filesystem::path& path, int& error) {
    error = 0;
    // Non-blocking, so that a FIFO in place of a file cannot stall the caller.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        error = errno;
        return {};
    }
    std::string text;
    struct stat info {};
    if (::fstat(fd, &info) != 0) {
        error = errno;
    } else if (!S_ISREG(info.st_mode)) {
        error = EISDIR;
    } else if (static_cast<uint64_t>(info.st_size) > kJsonMaxFileSize) {
        log::DebugLineF("readjsonFile %s: larger than %zu bytes", path.c_str(), kJsonMaxFileSize);
        error = EFBIG;
    } else if (info.st_size > 0) {
        text.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) error = errno;
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        if (done < text.size()) {
            text.clear();
            if (error == 0) error = EIO;
        }
    }
    ::close(fd);
    return text;
}

bool IsJsonObject(const JsonFileRead& read) {
    return read.Parsed() && read.value.isObject();
}

const char* KeyBegin(std::string_view key) {
    return key.empty() ? "" : key.data();
}

// "<name>.broken-<timestamp>" beside `path` holding a copy of it; empty (with a debug line)
// when the copy could not be made.
std::filesystem::path KeepBrokenCopy(const std::filesystem::path& path) {
    namespace fs = std::filesystem;
    const std::string base = path.filename().string() + std::string(kBrokenCopyInfix);
    std::error_code ec;
    for (int attempt = 0; attempt < 100; ++attempt) {
        // MakeTimestampName moves on by a millisecond per call, so a taken name is not
        // offered twice.
        const fs::path copy = path.parent_path() / (base + MakeTimestampName());
        // Fails on an existing name rather than replacing an earlier copy.
        if (fs::copy_file(path, copy, fs::copy_options::none, ec)) return copy;
        if (ec != std::errc::file_exists) break;
    }
    log::DebugLineF("%s: no copy of the damaged file kept: %s", path.c_str(), ec.message().c_str());
    return {};
}

// True when `path` may now be replaced: it is missing, holds an object, or its damaged
// content is kept beside it.
bool PrepareToReplaceUserFile(const std::filesystem::path& path, const JsonFileRead& current) {
    switch (current.state) {
        case JsonFileState::kMissing:
            return true;
        case JsonFileState::kUnreadable:
            ReportFileProblem({path, FileProblem::kLeftAsItIs, ReadFailureText(current), {}});
            return false;
        case JsonFileState::kParsed:
            if (IsJsonObject(current)) return true;
            [[fallthrough]];  // none of the program's documents: as damaged as text
        case JsonFileState::kNotJson:
            break;
    }
    std::error_code ec;
    if (std::filesystem::file_size(path, ec) == 0 && !ec) return true;  // nothing to keep
    const std::filesystem::path kept = KeepBrokenCopy(path);
    if (kept.empty()) {
        ReportFileProblem({path,
                           FileProblem::kLeftAsItIs,
                           "damaged, and no copy of it could be kept beside it",
                           {}});
        return false;
    }
    ReportFileProblem({path, FileProblem::kReplacedBroken, {}, kept});
    return true;
}

}  // namespace

Json::Value ParseJsonText(std::string_view text) {
    if (text.empty()) return {};
    try {
        Json::CharReaderBuilder builder;
        builder["collectComments"] = true;
        builder["allowComments"] = true;
        builder["stackLimit"] = kJsonMaxDepth;
        builder["skipBom"] = true;  // files saved by some editors start with one
        const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
        Json::Value root;
        std::string errors;
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) return {};
        return root;
    } catch (...) {
        // The reader throws when the nesting exceeds the stack limit.
        return {};
    }
}

JsonFileRead ReadJsonFileChecked(const std::filesystem::path& path) {
    JsonFileRead read;
    const std::string text = ReadWholeFile(path, read.error);
    log::DebugLineF("readjsonFile 错误吗：：%d", read.error);
    if (read.error == ENOENT) {
        read.state = JsonFileState::kMissing;
    } else if (read.error != 0) {
        read.state = JsonFileState::kUnreadable;
    } else {
        read.value = ParseJsonText(text);
        read.state = read.value.isNull() ? JsonFileState::kNotJson : JsonFileState::kParsed;
    }
    if (text.empty()) log::DebugLine(path.string());
    return read;
}

Json::Value ReadJsonFile(const std::filesystem::path& path) {
    return ReadJsonFileChecked(path).value;
}

std::string ReadFailureText(const JsonFileRead& read) {
    switch (read.error) {
        case 0:
            return read.state == JsonFileState::kNotJson ? "not a JSON document" : "";
        case EFBIG:
            return "larger than " + std::to_string(kJsonMaxFileSize >> 20) + " MiB";
        case EISDIR:
            return "not a regular file";
        default:
            return std::strerror(read.error);
    }
}

std::string StyledJsonText(const Json::Value& value) {
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    // StyledWriter, not StreamWriterBuilder: its layout (three spaces, short arrays on one
    // line) is the one the program's files have always had.
    Json::StyledWriter writer;
#pragma GCC diagnostic pop
    return writer.write(value);
}

bool TryWriteJsonFile(const std::filesystem::path& path, const Json::Value& value) {
    std::string text;
    try {
        text = StyledJsonText(value);
    } catch (...) {
        log::DebugLineF("WriteJsonFile %s: formatting failed", path.c_str());
        return false;
    }
    return ReplaceFileAtomically(path, text);
}

int WriteJsonFile(const std::filesystem::path& path, const Json::Value& value) {
    (void)TryWriteJsonFile(path, value);  // failures are logged; callers keep their tree
    return 0;
}

bool TryReplaceUserJsonFile(const std::filesystem::path& path, const Json::Value& value,
                            const JsonFileRead& current) {
    return PrepareToReplaceUserFile(path, current) && TryWriteJsonFile(path, value);
}

bool TryReplaceUserJsonFile(const std::filesystem::path& path, const Json::Value& value) {
    return TryReplaceUserJsonFile(path, value, ReadJsonFileChecked(path));
}

const char* FileCopyResultText(FileCopyResult result) {
    switch (result) {
        case FileCopyResult::kDone:
            return "copied";
        case FileCopyResult::kSourceMissing:
            return "the source file is missing";
        case FileCopyResult::kSourceUnreadable:
            return "the source file could not be read";
        case FileCopyResult::kSourceNotJson:
            return "the source file holds no JSON document";
        case FileCopyResult::kTargetKept:
            return "the file it would replace could not be read and was left as it is";
        case FileCopyResult::kWriteFailed:
            return "the new file could not be written";
    }
    return "?";
}

namespace {

// The source's bytes, or the reason there are none.
std::optional<std::string> ReadCopySource(const std::filesystem::path& from,
                                          FileCopyResult& failure) {
    int error = 0;
    std::string bytes = ReadWholeFile(from, error);
    if (error == 0) return bytes;
    failure = error == ENOENT ? FileCopyResult::kSourceMissing : FileCopyResult::kSourceUnreadable;
    log::DebugLineF("copy from %s: %s", from.c_str(), std::strerror(error));
    return std::nullopt;
}

}  // namespace

FileCopyResult CopyIntoUserFile(const std::filesystem::path& from, const std::filesystem::path& to,
                                bool require_json_object) {
    FileCopyResult failure = FileCopyResult::kDone;
    const std::optional<std::string> bytes = ReadCopySource(from, failure);
    if (!bytes) return failure;
    if (require_json_object && !ParseJsonText(*bytes).isObject()) {
        log::DebugLineF("copy from %s: not a JSON object", from.c_str());
        return FileCopyResult::kSourceNotJson;
    }
    if (!PrepareToReplaceUserFile(to, ReadJsonFileChecked(to))) return FileCopyResult::kTargetKept;
    return ReplaceFileAtomically(to, *bytes) ? FileCopyResult::kDone
                                             : FileCopyResult::kWriteFailed;
}

FileCopyResult CopyFileAtomically(const std::filesystem::path& from,
                                  const std::filesystem::path& to) {
    FileCopyResult failure = FileCopyResult::kDone;
    const std::optional<std::string> bytes = ReadCopySource(from, failure);
    if (!bytes) return failure;
    return ReplaceFileAtomically(to, *bytes) ? FileCopyResult::kDone
                                             : FileCopyResult::kWriteFailed;
}

const Json::Value& JsonMember(const Json::Value& object, std::string_view key) {
    if (!object.isObject()) return Json::Value::nullSingleton();
    const char* begin = KeyBegin(key);
    const Json::Value* found = object.find(begin, begin + key.size());
    return found != nullptr ? *found : Json::Value::nullSingleton();
}

const Json::Value& JsonElement(const Json::Value& array, size_t index) {
    if (!array.isArray() || index >= array.size()) return Json::Value::nullSingleton();
    return array[static_cast<Json::ArrayIndex>(index)];
}

size_t JsonSize(const Json::Value& value) {
    return value.isArray() || value.isObject() ? value.size() : 0;
}

int JsonAsInt(const Json::Value& value) {
    switch (value.type()) {
        case Json::intValue: {
            const Json::LargestInt v = value.asLargestInt();
            return v >= INT_MIN && v <= INT_MAX ? static_cast<int>(v) : 0;
        }
        case Json::uintValue: {
            const Json::LargestUInt v = value.asLargestUInt();
            return v <= static_cast<Json::LargestUInt>(INT_MAX) ? static_cast<int>(v) : 0;
        }
        case Json::realValue: {
            const double v = value.asDouble();
            // Exclusive bounds: truncation of anything strictly inside fits in an int.
            if (!std::isfinite(v) || v <= double{INT_MIN} - 1.0 || v >= double{INT_MAX} + 1.0) {
                return 0;
            }
            return static_cast<int>(v);
        }
        case Json::booleanValue:
            return value.asBool() ? 1 : 0;
        default:
            return 0;
    }
}

bool JsonAsBool(const Json::Value& value) {
    switch (value.type()) {
        case Json::booleanValue:
            return value.asBool();
        case Json::intValue:
            return value.asLargestInt() != 0;
        case Json::uintValue:
            return value.asLargestUInt() != 0;
        case Json::realValue:
            return value.asDouble() != 0.0;
        default:
            return false;
    }
}

std::string JsonAsString(const Json::Value& value) {
    return value.isString() ? value.asString() : std::string();
}

int JsonInt(const Json::Value& object, std::string_view key) {
    return JsonAsInt(JsonMember(object, key));
}

bool JsonBool(const Json::Value& object, std::string_view key) {
    return JsonAsBool(JsonMember(object, key));
}

std::string JsonString(const Json::Value& object, std::string_view key) {
    return JsonAsString(JsonMember(object, key));
}

Json::Value& JsonMemberForWrite(Json::Value& object, std::string_view key) {
    if (!object.isObject()) object = Json::Value(Json::objectValue);
    return object[std::string(key)];
}

Json::Value& JsonElementForWrite(Json::Value& array, size_t index) {
    if (!array.isArray()) array = Json::Value(Json::arrayValue);
    return array[static_cast<Json::ArrayIndex>(index)];
}

}  // namespace dz
