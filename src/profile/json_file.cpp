#include "profile/json_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdint>
#include <memory>

#include <json/reader.h>
#include <json/writer.h>

#include "platform/log/debug_log.h"
#include "profile/atomic_file.h"

namespace dz {
namespace {

// The whole file, or empty when it cannot be opened as a regular file, is too large, or
// yields fewer bytes than its size. `open_error` is errno of a failed open, else 0.
std::string ReadWholeFile(const std::filesystem::path& path, int& open_error) {
    open_error = 0;
    // Non-blocking, so that a FIFO in place of a file cannot stall the caller.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        open_error = errno;
        return {};
    }
    std::string text;
    struct stat info {};
    const bool regular = ::fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    const bool too_large = regular && static_cast<uint64_t>(info.st_size) > kJsonMaxFileSize;
    if (too_large) {
        log::DebugLineF("readjsonFile %s: larger than %zu bytes", path.c_str(), kJsonMaxFileSize);
    }
    if (regular && !too_large && info.st_size > 0) {
        text.resize(static_cast<size_t>(info.st_size));
        size_t done = 0;
        while (done < text.size()) {
            const ssize_t n = ::read(fd, text.data() + done, text.size() - done);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) break;
            done += static_cast<size_t>(n);
        }
        if (done < text.size()) text.clear();
    }
    ::close(fd);
    return text;
}

const char* KeyBegin(std::string_view key) {
    return key.empty() ? "" : key.data();
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

Json::Value ReadJsonFile(const std::filesystem::path& path) {
    int open_error = 0;
    const std::string text = ReadWholeFile(path, open_error);
    log::DebugLineF("readjsonFile 错误吗：：%d", open_error);
    if (text.empty()) {
        log::DebugLine(path.string());
        return {};
    }
    return ParseJsonText(text);
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
