#include "profile/atomic_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <string>

#include "platform/log/debug_log.h"

namespace dz {
namespace {

// Leaves room in the temporary's name for the suffix within the 255-byte name limit.
constexpr size_t kMaxBaseInTempName = 200;

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
        temp = folder / (stem + std::to_string(counter++) + ".tmp");
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

}  // namespace dz
