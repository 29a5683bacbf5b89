#include "profile/json_file.h"

#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "platform/log/debug_log.h"
#include "profile/atomic_file.h"
#include "profile/file_report.h"
#include "support/temp_folder.h"

namespace dz {
namespace {

namespace fs = std::filesystem;

class TempDir {
  public:
    TempDir() {
        std::string pattern = (fs::temp_directory_path() / "dz-json-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        path_ = pattern;
    }
    ~TempDir() {
        std::error_code ec;
        fs::remove_all(path_, ec);
    }
    const fs::path& path() const { return path_; }
    fs::path operator/(const std::string& name) const { return path_ / name; }

    // Every entry of the folder, hidden ones included.
    std::vector<std::string> Entries() const {
        std::vector<std::string> names;
        for (const auto& entry : fs::directory_iterator(path_)) {
            names.push_back(entry.path().filename().string());
        }
        std::sort(names.begin(), names.end());
        return names;
    }

  private:
    fs::path path_;
};

class LogCapture {
  public:
    LogCapture() {
        previous_ = log::SetSink([this](std::string_view line) { lines.emplace_back(line); });
    }
    ~LogCapture() { log::SetSink(std::move(previous_)); }
    bool Contains(std::string_view needle) const {
        for (const auto& line : lines) {
            if (line.find(needle) != std::string::npos) return true;
        }
        return false;
    }
    std::vector<std::string> lines;

  private:
    log::Sink previous_;
};

void WriteBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << bytes;
}

std::string ReadBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

std::string Repeat(const std::string& s, int n) {
    std::string out;
    for (int i = 0; i < n; ++i) out += s;
    return out;
}

std::string NestedArrays(int depth) {
    return Repeat("[", depth) + Repeat("]", depth);
}

// ---- Reading -----------------------------------------------------------------------------

TEST(ReadJsonFile, UnusableFilesReadAsNull) {
    struct Case {
        const char* what;
        std::string bytes;
    };
    const Case cases[] = {
        {"empty", ""},
        {"truncated", "{\"Device\": [ {\"KeyList\": [1, 2"},
        {"truncated string", "{\"profilename\": \"abc"},
        {"not JSON", "hello world"},
        {"binary", std::string("\x00\xff\x01\x02", 4)},
        {"only a comment", "// nothing here\n"},
        {"10,000 open arrays", Repeat("[", 10000)},
        {"10,000 nested arrays", NestedArrays(10000)},
        {"10,000 nested objects", Repeat("{\"a\":", 10000) + "1" + Repeat("}", 10000)},
        {"one level too deep", NestedArrays(kJsonMaxDepth + 1)},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const fs::path path = dir / "file.Json";
        WriteBytes(path, c.bytes);
        EXPECT_TRUE(ReadJsonFile(path).isNull()) << c.what;
        EXPECT_TRUE(ParseJsonText(c.bytes).isNull()) << c.what;
    }
}

TEST(ReadJsonFile, AcceptedTexts) {
    struct Case {
        const char* what;
        std::string bytes;
        std::function<bool(const Json::Value&)> check;
    };
    const Case cases[] = {
        {"comments", "// header\n{ /* inline */ \"a\": 1, // tail\n \"b\": [true] }\n",
         [](const Json::Value& v) { return JsonInt(v, "a") == 1 && v["b"][0].asBool(); }},
        {"byte order mark", "\xEF\xBB\xBF{\"a\": 2}",
         [](const Json::Value& v) { return JsonInt(v, "a") == 2; }},
        {"text after the value", "{\"a\": 3} trailing",
         [](const Json::Value& v) { return JsonInt(v, "a") == 3; }},
        {"UTF-8 strings", "{\"profilename\": \"\xE9\x85\x8D\xE7\xBD\xAE 1\"}",
         [](const Json::Value& v) {
             return JsonString(v, "profilename") == "\xE9\x85\x8D\xE7\xBD\xAE 1";
         }},
        {"deepest allowed nesting", NestedArrays(kJsonMaxDepth),
         [](const Json::Value& v) { return v.isArray() && v[0].isArray(); }},
        {"wrong-typed members", "{\"Device\": \"oops\", \"KeyList\": {\"0\": 1}}",
         [](const Json::Value& v) { return v.isObject() && v["Device"].isString(); }},
    };
    TempDir dir;
    for (const auto& c : cases) {
        const fs::path path = dir / "file.Json";
        WriteBytes(path, c.bytes);
        const Json::Value value = ReadJsonFile(path);
        EXPECT_FALSE(value.isNull()) << c.what;
        EXPECT_TRUE(c.check(value)) << c.what;
    }
}

TEST(ReadJsonFile, MissingFileLogsTheErrorAndThePath) {
    TempDir dir;
    const fs::path path = dir / "missing.Json";
    LogCapture log;
    EXPECT_TRUE(ReadJsonFile(path).isNull());
    ASSERT_EQ(log.lines.size(), 2u);
    EXPECT_EQ(log.lines[0], "readjsonFile 错误吗：：" + std::to_string(ENOENT));
    EXPECT_EQ(log.lines[1], path.string());
}

TEST(ReadJsonFile, ReadableFileLogsOnlyTheErrorLine) {
    TempDir dir;
    WriteBytes(dir / "a.Json", "{}");
    LogCapture log;
    EXPECT_TRUE(ReadJsonFile(dir / "a.Json").isObject());
    EXPECT_EQ(log.lines, std::vector<std::string>{"readjsonFile 错误吗：：0"});
}

TEST(ReadJsonFile, NonRegularFilesReadAsNullWithoutBlocking) {
    TempDir dir;
    fs::create_directory(dir / "folder.Json");
    EXPECT_TRUE(ReadJsonFile(dir / "folder.Json").isNull());
    // Nobody writes into the FIFO: a blocking open would hang the test.
    ASSERT_EQ(::mkfifo((dir / "fifo.Json").c_str(), 0600), 0);
    EXPECT_TRUE(ReadJsonFile(dir / "fifo.Json").isNull());
}

TEST(ReadJsonFile, OversizedFileIsNotRead) {
    TempDir dir;
    const fs::path path = dir / "huge.Json";
    WriteBytes(path, "[1]");
    fs::resize_file(path, kJsonMaxFileSize + 1);  // sparse: no disk space used
    LogCapture log;
    EXPECT_TRUE(ReadJsonFile(path).isNull());
    EXPECT_TRUE(log.Contains("larger than"));
    fs::resize_file(path, 3);
    EXPECT_EQ(ReadJsonFile(path), ParseJsonText("[1]"));
}

// ---- Typed readers -----------------------------------------------------------------------

TEST(JsonReaders, WrongTypesReadAsZeroFalseOrEmpty) {
    const Json::Value v = ParseJsonText(R"({
        "int": 5, "neg": -3, "zero": 0, "string": "12", "true": true, "false": false,
        "real": 2.9, "negreal": -2.9, "huge": 1e300, "uint": 4294967295, "big": 3000000000,
        "intmin": -2147483648, "intmax": 2147483647, "array": [7], "object": {"x": 1},
        "null": null })");
    ASSERT_TRUE(v.isObject());
    struct Case {
        const char* key;
        int as_int;
        bool as_bool;
        std::string as_string;
    };
    const Case cases[] = {
        {"int", 5, true, ""},          {"neg", -3, true, ""},     {"zero", 0, false, ""},
        {"string", 0, false, "12"},    {"true", 1, true, ""},     {"false", 0, false, ""},
        {"real", 2, true, ""},         {"negreal", -2, true, ""}, {"huge", 0, true, ""},
        {"uint", 0, true, ""},         {"big", 0, true, ""},      {"intmin", INT_MIN, true, ""},
        {"intmax", INT_MAX, true, ""}, {"array", 0, false, ""},   {"object", 0, false, ""},
        {"null", 0, false, ""},        {"absent", 0, false, ""},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(JsonInt(v, c.key), c.as_int) << c.key;
        EXPECT_EQ(JsonBool(v, c.key), c.as_bool) << c.key;
        EXPECT_EQ(JsonString(v, c.key), c.as_string) << c.key;
    }
    EXPECT_FALSE(v.isMember("absent"));  // reading does not insert
}

TEST(JsonReaders, MemberAndElementOfTheWrongKind) {
    const Json::Value v = ParseJsonText(R"({"list": [1, "two", [3]], "text": "abc"})");
    const Json::Value& list = JsonMember(v, "list");
    EXPECT_EQ(JsonSize(list), 3u);
    EXPECT_EQ(JsonAsInt(JsonElement(list, 0)), 1);
    EXPECT_EQ(JsonAsString(JsonElement(list, 1)), "two");
    EXPECT_TRUE(JsonElement(list, 3).isNull());
    EXPECT_TRUE(JsonElement(list, static_cast<size_t>(1) << 40).isNull());
    EXPECT_TRUE(JsonElement(v, 0).isNull());      // an object is not an array
    EXPECT_TRUE(JsonMember(list, "x").isNull());  // an array is not an object
    EXPECT_TRUE(JsonMember(JsonMember(v, "text"), "x").isNull());
    EXPECT_TRUE(JsonMember(JsonElement(list, 2), "").isNull());
    EXPECT_EQ(JsonSize(JsonMember(v, "text")), 0u);
    EXPECT_EQ(JsonInt(JsonElement(JsonMember(v, "nothing"), 4), "deeper"), 0);
}

TEST(JsonReaders, WritingThroughWrongTypedValues) {
    Json::Value root = ParseJsonText(R"({"Device": "oops", "profilename": "p1"})");
    // t["Device"][0] = section, on a file whose "Device" is a string.
    JsonElementForWrite(JsonMemberForWrite(root, "Device"), 0) = Json::Value(7);
    EXPECT_EQ(root["Device"][0].asInt(), 7);
    EXPECT_EQ(JsonString(root, "profilename"), "p1");

    Json::Value scalar(3);
    JsonMemberForWrite(scalar, "a") = 1;
    EXPECT_EQ(JsonInt(scalar, "a"), 1);

    Json::Value null_value;
    JsonElementForWrite(null_value, 2) = "x";
    EXPECT_EQ(JsonSize(null_value), 3u);
}

// ---- Writing -----------------------------------------------------------------------------

TEST(WriteJsonFile, StyledLayout) {
    Json::Value v(Json::objectValue);
    v["a"] = 1;
    v["b"].append(1);
    v["b"].append(2);
    v["c"]["d"] = "x";
    v["e"] = Json::Value(Json::arrayValue);
    const std::string expected =
        "{\n"
        "   \"a\" : 1,\n"
        "   \"b\" : [ 1, 2 ],\n"
        "   \"c\" : {\n"
        "      \"d\" : \"x\"\n"
        "   },\n"
        "   \"e\" : []\n"
        "}\n";
    EXPECT_EQ(StyledJsonText(v), expected);

    TempDir dir;
    EXPECT_EQ(WriteJsonFile(dir / "a.Json", v), 0);
    EXPECT_EQ(ReadBytes(dir / "a.Json"), expected);  // LF only
}

TEST(WriteJsonFile, ReplacesTheFileAndLeavesNoTemporary) {
    TempDir dir;
    const fs::path path = dir / "2024_03_07_09_05_01_042.Json";
    Json::Value first;
    first["profilename"] = "first";
    ASSERT_TRUE(TryWriteJsonFile(path, first));
    ::chmod(path.c_str(), 0640);

    Json::Value second;
    second["profilename"] = "second";
    second["Device"].append(Json::Value(Json::objectValue));
    ASSERT_TRUE(TryWriteJsonFile(path, second));
    EXPECT_EQ(ReadJsonFile(path), second);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{path.filename().string()});

    struct stat info {};
    ASSERT_EQ(::stat(path.c_str(), &info), 0);
    EXPECT_EQ(info.st_mode & 0777, 0640u);  // the replaced file's permissions are kept
}

TEST(WriteJsonFile, RelativePathWritesIntoTheCurrentFolder) {
    TempDir dir;
    const fs::path old_cwd = fs::current_path();
    fs::current_path(dir.path());
    const bool ok = TryWriteJsonFile("relative.Json", Json::Value(5));
    fs::current_path(old_cwd);
    EXPECT_TRUE(ok);
    EXPECT_EQ(ReadJsonFile(dir / "relative.Json"), Json::Value(5));
}

TEST(WriteJsonFile, FailedRenameKeepsTheTargetAndRemovesTheTemporary) {
    TempDir dir;
    // A folder in the target's place: the temporary is written, the rename over it fails.
    fs::create_directory(dir / "target.Json");
    WriteBytes(dir / "target.Json" / "inside", "keep");
    LogCapture log;
    EXPECT_FALSE(TryWriteJsonFile(dir / "target.Json", Json::Value(1)));
    EXPECT_EQ(WriteJsonFile(dir / "target.Json", Json::Value(1)), 0);
    EXPECT_TRUE(log.Contains("renaming failed"));
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"target.Json"});
    EXPECT_EQ(ReadBytes(dir / "target.Json" / "inside"), "keep");
}

TEST(WriteJsonFile, MissingFolderOrNameFails) {
    TempDir dir;
    LogCapture log;
    EXPECT_FALSE(TryWriteJsonFile(dir / "no such folder" / "a.Json", Json::Value(1)));
    EXPECT_TRUE(log.Contains("creating the temporary file failed"));
    EXPECT_FALSE(TryWriteJsonFile(dir.path() / "", Json::Value(1)));
    EXPECT_TRUE(dir.Entries().empty());
}

// Runs `body` in a child process and returns its exit status (-1 when it did not exit).
int RunInChild(const std::function<int()>& body) {
    const pid_t pid = ::fork();
    if (pid == 0) ::_exit(body());
    int status = 0;
    if (pid < 0 || ::waitpid(pid, &status, 0) != pid || !WIFEXITED(status)) return -1;
    return WEXITSTATUS(status);
}

TEST(WriteJsonFile, FullDiskKeepsTheOldFile) {
    TempDir dir;
    const fs::path path = dir / "profile.Json";
    Json::Value old_value;
    old_value["profilename"] = "old";
    ASSERT_TRUE(TryWriteJsonFile(path, old_value));

    Json::Value big(Json::arrayValue);
    for (int i = 0; i < 2000; ++i) big.append("a string long enough to pass the file size limit");
    // The file size limit makes the write fail part-way, as a full disk would.
    const int status = RunInChild([&] {
        ::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{4096, 4096};
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) return 2;
        return TryWriteJsonFile(path, big) ? 1 : 0;
    });
    EXPECT_EQ(status, 0);
    EXPECT_EQ(ReadJsonFile(path), old_value);
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"profile.Json"});
}

TEST(WriteJsonFile, KilledWhileSavingNeverLeavesABrokenFile) {
    TempDir dir;
    const fs::path path = dir / "profile.Json";
    // Two values of quite different sizes, so a torn write could not pass for either.
    Json::Value small;
    small["profilename"] = "small";
    Json::Value large;
    large["profilename"] = "large";
    for (int i = 0; i < 3000; ++i) large["Device"][0]["KeyList"][i]["Assignment"] = i * 257;
    ASSERT_TRUE(TryWriteJsonFile(path, small));

    std::mt19937 random(12345);
    std::uniform_int_distribution<int> delay_us(0, 20000);
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    int kills = 0;
    while (kills < 40 && std::chrono::steady_clock::now() < deadline) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            for (int i = 0;; ++i) (void)TryWriteJsonFile(path, i % 2 == 0 ? large : small);
        }
        ::usleep(static_cast<useconds_t>(delay_us(random)));
        ::kill(pid, SIGKILL);
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        ASSERT_TRUE(WIFSIGNALED(status));
        ++kills;

        const Json::Value now = ReadJsonFile(path);
        ASSERT_TRUE(now == small || now == large) << "after kill " << kills;
        // A kill between creating and renaming the temporary leaves it behind; it is
        // hidden, never taken for the file, and cleared away by the next start.
        const size_t leftovers = dir.Entries().size() - 1;
        for (const auto& name : dir.Entries()) {
            if (name != "profile.Json") {
                EXPECT_TRUE(IsReplacementTemporary(name)) << name;
            }
        }
        EXPECT_EQ(RemoveInterruptedSaves(dir.path()), static_cast<int>(leftovers));
        ASSERT_EQ(dir.Entries(), std::vector<std::string>{"profile.Json"});
    }
    EXPECT_GE(kills, 10);
}

TEST(RemoveInterruptedSaves, RemovesTemporariesOfNoSaveInProgress) {
    TempDir dir;
    pid_t dead = ::fork();
    ASSERT_GE(dead, 0);
    if (dead == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(dead, nullptr, 0), dead);
    const std::string own = std::to_string(::getpid());
    const std::string dead_pid = std::to_string(dead);
    struct Case {
        std::string name;
        bool removed;
    };
    const std::vector<Case> cases = {
        {".profile.Json." + dead_pid + ".0.tmp", true},  // its writer is gone
        {".ProfileList.ini." + own + ".7.tmp", true},    // an earlier run with our number
        {".macro.config.1.3.tmp", false},                // a running process may be saving
        {".old.Json.1.4.tmp", true},                     // ... but not for this long
        {"profile.Json.1.0.tmp", false},                 // not hidden: not ours
        {".profile.Json.x.0.tmp", false},                // no process number
        {".profile.Json.1.0.temp", false},
        {"2024_03_07.Json", false},
    };
    for (const Case& c : cases) WriteBytes(dir / c.name, "{}");
    fs::last_write_time(dir / ".old.Json.1.4.tmp",
                        fs::file_time_type::clock::now() - std::chrono::hours(1));
    fs::create_directory(dir / ".folder.Json.1.0.tmp.d");
    WriteBytes(dir / ".folder.Json.1.0.tmp.d" / (".inner.Json." + dead_pid + ".0.tmp"), "{}");

    EXPECT_EQ(RemoveInterruptedSaves(dir.path()), 3);
    for (const Case& c : cases) EXPECT_EQ(!fs::exists(dir / c.name), c.removed) << c.name;
    EXPECT_TRUE(fs::exists(dir / ".folder.Json.1.0.tmp.d")) << "only files of the folder itself";
    EXPECT_EQ(RemoveInterruptedSaves(dir / "missing"), 0);
}

// ---- Files the program keeps for the user -------------------------------------------------

using test::ReportCapture;

// Files named like the broken copies of `name` in `dir`.
std::vector<std::string> BrokenCopies(const TempDir& dir, const std::string& name) {
    std::vector<std::string> copies;
    for (const auto& entry : dir.Entries()) {
        if (entry.starts_with(name + std::string(kBrokenCopyInfix))) copies.push_back(entry);
    }
    return copies;
}

TEST(ReadJsonFileChecked, TellsMissingDamagedAndUnreadableApart) {
    TempDir dir;
    WriteBytes(dir / "ok.Json", R"({"a": 1})");
    WriteBytes(dir / "empty.Json", "");
    WriteBytes(dir / "text.Json", "{\"a\": ");
    WriteBytes(dir / "deep.Json", NestedArrays(kJsonMaxDepth + 1));
    fs::create_directory(dir / "folder.Json");
    WriteBytes(dir / "huge.Json", "{}");
    fs::resize_file(dir / "huge.Json", kJsonMaxFileSize + 1);
    struct Case {
        const char* name;
        JsonFileState state;
        int error;
    };
    for (const Case& c : std::vector<Case>{
             {"ok.Json", JsonFileState::kParsed, 0},
             {"missing.Json", JsonFileState::kMissing, ENOENT},
             {"empty.Json", JsonFileState::kNotJson, 0},
             {"text.Json", JsonFileState::kNotJson, 0},
             {"deep.Json", JsonFileState::kNotJson, 0},
             {"folder.Json", JsonFileState::kUnreadable, EISDIR},
             {"huge.Json", JsonFileState::kUnreadable, EFBIG},
             {"missing/inner.Json", JsonFileState::kMissing, ENOENT},
         }) {
        const JsonFileRead read = ReadJsonFileChecked(dir / c.name);
        EXPECT_EQ(read.state, c.state) << c.name;
        EXPECT_EQ(read.error, c.error) << c.name;
        EXPECT_EQ(read.value.isNull(), c.state != JsonFileState::kParsed) << c.name;
        EXPECT_EQ(ReadJsonFile(dir / c.name), read.value) << "the plain reader agrees";
    }
    EXPECT_EQ(ReadFailureText(ReadJsonFileChecked(dir / "huge.Json")), "larger than 64 MiB");
}

TEST(ReadJsonFileChecked, TooManyOpenFilesIsUnreadableNotMissing) {
    TempDir dir;
    WriteBytes(dir / "profile.Json", R"({"a": 1})");
    const int status = RunInChild([&] {
        const rlimit limit{3, 3};  // the three standard streams fill it
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) return 2;
        const JsonFileRead read = ReadJsonFileChecked(dir / "profile.Json");
        return read.state == JsonFileState::kUnreadable && read.error == EMFILE ? 0 : 1;
    });
    EXPECT_EQ(status, 0);
}

TEST(TryReplaceUserJsonFile, NeverWritesOverAFileItCouldNotRead) {
    TempDir dir;
    const fs::path path = dir / "profile.Json";
    WriteBytes(path, R"({"profilename": "mine"})");
    fs::resize_file(path, kJsonMaxFileSize + 1);
    ReportCapture capture;
    Json::Value value;
    value["profilename"] = "new";
    EXPECT_FALSE(TryReplaceUserJsonFile(path, value));
    EXPECT_FALSE(TryReplaceUserJsonFile(path, value));
    EXPECT_EQ(fs::file_size(path), kJsonMaxFileSize + 1);
    std::string start(23, '\0');
    std::ifstream(path, std::ios::binary).read(start.data(), 23);
    EXPECT_EQ(start, R"({"profilename": "mine"})");
    EXPECT_EQ(dir.Entries(), std::vector<std::string>{"profile.Json"});
    ASSERT_EQ(capture.reports.size(), 1u) << "once per file and problem, not per save";
    EXPECT_EQ(capture.reports[0].file, path);
    EXPECT_EQ(capture.reports[0].problem, FileProblem::kLeftAsItIs);
    EXPECT_EQ(capture.reports[0].reason, "larger than 64 MiB");
}

TEST(TryReplaceUserJsonFile, KeepsADamagedFileBesideItselfFirst) {
    struct Case {
        const char* what;
        std::string old_text;
        bool kept;
    };
    for (const Case& c : std::vector<Case>{
             {"not JSON", "{\"profilename\": \"mi", true},
             {"not an object", "[1, 2, 3]", true},
             {"empty: nothing to keep", "", false},
             {"an object", R"({"profilename": "mine"})", false},
         }) {
        SCOPED_TRACE(c.what);
        TempDir dir;
        const fs::path path = dir / "profile.Json";
        WriteBytes(path, c.old_text);
        ReportCapture capture;
        Json::Value value;
        value["profilename"] = "new";
        ASSERT_TRUE(TryReplaceUserJsonFile(path, value));
        EXPECT_EQ(ReadJsonFile(path), value);
        const std::vector<std::string> copies = BrokenCopies(dir, "profile.Json");
        ASSERT_EQ(copies.size(), c.kept ? 1u : 0u);
        EXPECT_EQ(dir.Entries().size(), 1u + copies.size()) << "no temporary left";
        if (!c.kept) {
            EXPECT_TRUE(capture.reports.empty());
            continue;
        }
        EXPECT_EQ(ReadBytes(dir / copies[0]), c.old_text);
        // The stamp is a timestamp name: 2024_03_07_09_05_01_042.
        const std::string stamp = copies[0].substr(copies[0].rfind('-') + 1);
        EXPECT_EQ(stamp.size(), 23u) << stamp;
        EXPECT_EQ(std::count(stamp.begin(), stamp.end(), '_'), 6) << stamp;
        ASSERT_EQ(capture.reports.size(), 1u);
        EXPECT_EQ(capture.reports[0].problem, FileProblem::kReplacedBroken);
        EXPECT_EQ(capture.reports[0].kept, dir / copies[0]);
    }
}

TEST(TryReplaceUserJsonFile, AMissingFileIsWrittenSilently) {
    TempDir dir;
    ReportCapture capture;
    ASSERT_TRUE(TryReplaceUserJsonFile(dir / "new.Json", ParseJsonText(R"({"a": 1})")));
    EXPECT_EQ(ReadJsonFile(dir / "new.Json"), ParseJsonText(R"({"a": 1})"));
    EXPECT_TRUE(capture.reports.empty());
}

TEST(TryReplaceUserJsonFile, EachDamageKeepsItsOwnCopy) {
    TempDir dir;
    const fs::path path = dir / "macro.config";
    ReportCapture capture;
    for (const char* text : {"first {", "second {"}) {
        WriteBytes(path, text);
        ASSERT_TRUE(TryReplaceUserJsonFile(path, ParseJsonText("{}")));
    }
    const std::vector<std::string> copies = BrokenCopies(dir, "macro.config");
    ASSERT_EQ(copies.size(), 2u);
    std::vector<std::string> kept = {ReadBytes(dir / copies[0]), ReadBytes(dir / copies[1])};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(kept, (std::vector<std::string>{"first {", "second {"}));
    EXPECT_EQ(capture.reports.size(), 1u) << "the second damage of the file in one run is not told";
}

}  // namespace
}  // namespace dz
