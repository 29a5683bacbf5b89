#include "update/package_download.h"

#include <curl/curl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <memory>
#include <system_error>

#include "platform/log/debug_log.h"
#include "platform/paths/paths.h"

namespace dz::update {
namespace fs = std::filesystem;
namespace {

struct UrlHandle {
    CURLU* h = curl_url();
    ~UrlHandle() { curl_url_cleanup(h); }
};

std::string Part(CURLU* h, CURLUPart part) {
    char* value = nullptr;
    if (curl_url_get(h, part, &value, 0) != CURLUE_OK || value == nullptr) return {};
    std::string out(value);
    curl_free(value);
    return out;
}

struct FileCloser {
    void operator()(std::FILE* f) const {
        if (f != nullptr) std::fclose(f);
    }
};

}  // namespace

std::string PackageUrl(std::string_view base_url, std::string_view path) {
    if (path.empty()) return {};
    UrlHandle url;
    if (url.h == nullptr) return {};
    const std::string base(base_url);
    const std::string p(path);
    // A relative path resolves against the base; an absolute address replaces it.
    if (!base.empty()) (void)curl_url_set(url.h, CURLUPART_URL, base.c_str(), 0);
    if (curl_url_set(url.h, CURLUPART_URL, p.c_str(), 0) != CURLUE_OK) return {};
    const std::string scheme = Part(url.h, CURLUPART_SCHEME);
    if (scheme != "http" && scheme != "https") return {};
    return Part(url.h, CURLUPART_URL);
}

DownloadOutcome DownloadPackage(HttpClient& client, const std::string& url, const fs::path& folder,
                                const std::string& file_name,
                                const std::function<void(int percent)>& progress) {
    DownloadOutcome out;
    out.file = folder / file_name;
    if (url.empty()) {
        out.error = "no download address";
        return out;
    }
    if (!paths::EnsureFolder(folder)) {
        out.error = "the folder " + folder.string() + " cannot be made";
        return out;
    }
    const fs::path part = folder / (file_name + ".part");
    for (int attempt = 0; attempt < 2; ++attempt) {
        std::error_code ec;
        int64_t offset =
            fs::is_regular_file(part, ec) ? static_cast<int64_t>(fs::file_size(part, ec)) : 0;
        if (ec) offset = 0;
        std::unique_ptr<std::FILE, FileCloser> file;
        int64_t expected = -1;
        int64_t written = 0;
        bool restart = false;
        std::string failure;

        FetchRequest request;
        request.url = url;
        request.offset = static_cast<uint64_t>(offset);
        request.on_head = [&](long status, int64_t length, int64_t range_start, int64_t total) {
            const char* mode = "wb";
            if (status == 206 && offset > 0) {
                if (range_start != offset) {
                    restart = true;  // not the rest we asked for: start again
                    return false;
                }
                mode = "ab";
                expected = total >= 0 ? total : (length >= 0 ? offset + length : -1);
            } else if (status == 416 && offset > 0) {
                restart = true;  // the kept part no longer fits the package
                return false;
            } else if (status >= 200 && status <= 299 && status != 206) {
                offset = 0;
                expected = length;
            } else {
                failure = "the server answered HTTP " + std::to_string(status);
                return false;
            }
            if (expected > kMaxPackageBytes) {
                failure = "the package is larger than 1 GiB";
                return false;
            }
            file.reset(std::fopen(part.c_str(), mode));
            if (!file) {
                failure = part.string() + ": " + std::strerror(errno);
                return false;
            }
            return true;
        };
        request.on_data = [&](const char* data, size_t size) {
            const int64_t total = offset + written + static_cast<int64_t>(size);
            if ((expected >= 0 && total > expected) || total > kMaxPackageBytes) {
                failure = "the server sent more than it announced";
                return false;
            }
            if (std::fwrite(data, 1, size, file.get()) != size) {
                failure = part.string() + ": " + std::strerror(errno);
                return false;
            }
            written += static_cast<int64_t>(size);
            return true;
        };
        request.on_progress = [&](int64_t, int64_t) {
            if (progress && expected > 0)
                progress(static_cast<int>((offset + written) * 100 / expected));
        };
        const TransferOutcome outcome = client.Fetch(request);
        bool flushed = true;
        if (file) {
            flushed = std::fflush(file.get()) == 0 && ::fsync(::fileno(file.get())) == 0;
            file.reset();
        }
        if (restart && attempt == 0) {
            fs::remove(part, ec);
            continue;
        }
        if (!failure.empty()) {
            out.error = failure;
            if (expected >= 0 && offset + written > expected) fs::remove(part, ec);
            return out;
        }
        if (!outcome.reached) {
            out.error = outcome.error_text;  // the part stays for the next attempt
            return out;
        }
        if (!flushed) {
            out.error = part.string() + ": not written to disk";
            return out;
        }
        const int64_t size = fs::is_regular_file(part, ec)
                                 ? static_cast<int64_t>(fs::file_size(part, ec))
                                 : (written == 0 ? -1 : 0);
        if (size < 0) {
            // An empty package: nothing came and nothing was opened.
            out.error = "the server sent no package";
            return out;
        }
        if (expected >= 0 && size != expected) {
            out.error = "the package has " + std::to_string(size) +
                        " bytes, the server announced " + std::to_string(expected);
            if (size > expected) fs::remove(part, ec);
            return out;
        }
        fs::rename(part, out.file, ec);
        if (ec) {
            out.error = out.file.string() + ": " + ec.message();
            return out;
        }
        out.ok = true;
        out.size = size;
        if (progress) progress(100);
        log::DebugLineF("update package saved as %s (%lld bytes)", out.file.c_str(),
                        static_cast<long long>(size));
        return out;
    }
    out.error = "the server did not send the package from its start";
    return out;
}

}  // namespace dz::update
