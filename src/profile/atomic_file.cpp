#include "profile/atomic_file.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/log/debug_log.h"

namespace dz {
namespace {

// Leaves room in the temporary's name for the suffix within the 255-byte name limit.
constexpr size_t kMaxBaseInTempName = 200;
constexpr std::string_view kTempSuffix = ".tmp";
// A save writes a few kilobytes and flushes them: a temporary this old belongs to no save in
// progress, whoever made it.
constexpr auto kAbandonedAfter = std::chrono::minutes(10);

bool AllDigits(std::string_view s) {
    return !s.empty() && s.size() <= 18 && s.find_first_not_of("0123456789") == s.npos;
}

bool ProcessRunning(long pid) {
    if (pid <= 0) return false;
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

bool WriteAll(int fd, std::string_view data) {
    while (!data.empty()) {
        const ssize_t n = ::write(fd, data.data(), data.size());
        if (n < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        data.remove_prefix(static_cast<size_t>(n));
    }
    return true;
}

// Makes the rename itself durable. A failure here does not undo the replacement.
void SyncFolder(const std::filesystem::path& folder) {
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    if (::fsync(fd) != 0) {
        log::DebugLineF("fsync of folder %s failed: %s", folder.c_str(), std::strerror(errno));
    }
    ::close(fd);
}

int CreateTemporary(const std::filesystem::path& folder, const std::string& base,
                    std::filesystem::path& temp) {
    static std::atomic<unsigned> counter{0};
    const std::string stem =
        "." + base.substr(0, kMaxBaseInTempName) + "." + std::to_string(::getpid()) + ".";
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = folder / (stem + std::to_string(counter++) + std::string(kTempSuffix));
        const int fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

void LogFailure(const std::filesystem::path& path, const char* step, int error) {
    log::DebugLineF("WriteJsonFile %s: %s failed: %s", path.c_str(), step, std::strerror(error));
}

}  // namespace

bool ReplaceFileAtomically(const std::filesystem::path& path, std::string_view contents) {
    const std::string base = path.filename().string();
    if (base.empty() || base == "." || base == "..") {
        LogFailure(path, "naming the file", EINVAL);
        return false;
    }
    std::filesystem::path folder = path.parent_path();
    if (folder.empty()) folder = ".";

    std::filesystem::path temp;
    const int fd = CreateTemporary(folder, base, temp);
    if (fd < 0) {
        LogFailure(path, "creating the temporary file", errno);
        return false;
    }
    struct stat old_file {};
    if (::stat(path.c_str(), &old_file) == 0 && S_ISREG(old_file.st_mode)) {
        (void)::fchmod(fd, old_file.st_mode & 07777);
    }

    const char* step = nullptr;
    int error = 0;
    if (!WriteAll(fd, contents)) {
        step = "writing";
        error = errno;
    } else if (::fsync(fd) != 0) {
        step = "flushing";
        error = errno;
    }
    if (::close(fd) != 0 && step == nullptr) {
        step = "closing";
        error = errno;
    }
    if (step == nullptr && ::rename(temp.c_str(), path.c_str()) != 0) {
        step = "renaming";
        error = errno;
    }
    if (step != nullptr) {
        ::unlink(temp.c_str());
        LogFailure(path, step, error);
        return false;
    }
    SyncFolder(folder);
    return true;
}

bool IsReplacementTemporary(std::string_view name, long* writer) {
    // "." base "." pid "." counter ".tmp"
    if (name.size() < 1 + 1 + 1 + 1 + 1 + 1 + kTempSuffix.size() || name.front() != '.' ||
        !name.ends_with(kTempSuffix)) {
        return false;
    }
    std::string_view rest = name.substr(1, name.size() - 1 - kTempSuffix.size());
    const size_t counter_dot = rest.rfind('.');
    if (counter_dot == rest.npos || !AllDigits(rest.substr(counter_dot + 1))) return false;
    rest = rest.substr(0, counter_dot);
    const size_t pid_dot = rest.rfind('.');
    if (pid_dot == rest.npos || pid_dot == 0 || !AllDigits(rest.substr(pid_dot + 1))) {
        return false;
    }
    if (writer != nullptr) *writer = std::stol(std::string(rest.substr(pid_dot + 1)));
    return true;
}

int RemoveInterruptedSaves(const std::filesystem::path& folder) {
    namespace fs = std::filesystem;
    int removed = 0;
    std::error_code ec;
    fs::directory_iterator it(folder, ec);
    if (ec) return 0;
    const auto now = fs::file_time_type::clock::now();
    for (const fs::directory_entry& entry : it) {
        long writer = 0;
        const std::string name = entry.path().filename().string();
        if (!IsReplacementTemporary(name, &writer) || !entry.is_regular_file(ec)) continue;
        const auto written = entry.last_write_time(ec);
        const bool old = !ec && now - written > kAbandonedAfter;
        // Our own number comes from an earlier run whose process had it: nothing of this
        // process is being saved while it starts.
        const bool live_writer = writer != ::getpid() && ProcessRunning(writer);
        if (live_writer && !old) continue;
        if (fs::remove(entry.path(), ec)) {
            log::DebugLineF("removed %s, left by an interrupted save", entry.path().c_str());
            ++removed;
        }
    }
    return removed;
}

}  // namespace dz
