#pragma once
// Downloading an update package into the user's cache folder. The bytes go to
// "<file>.part" first, so an interrupted download resumes where it stopped (a range
// request) and a file under the final name is always complete. The size the server
// announces is checked. Nothing downloaded is ever run.

#include <cstdint>
#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

#include "update/http_client.h"

namespace dz::update {

// Larger packages are refused: no update package is this large.
inline constexpr int64_t kMaxPackageBytes = int64_t{1} << 30;

// The package's address: `path` as the server gave it, absolute ("https://...") or relative
// to the query's address. Empty when it is neither an http(s) address nor a relative path
// (a "file:" address, an empty path).
[[nodiscard]] std::string PackageUrl(std::string_view base_url, std::string_view path);

struct DownloadOutcome {
    bool ok = false;
    std::string error;  // why not, for the log and dozadirctl
    std::filesystem::path file;
    int64_t size = 0;
};

// Downloads `url` to folder / file_name (the folder is made when missing). `progress` is
// told the percentage (0..100) as bytes come, when the size is known.
[[nodiscard]] DownloadOutcome DownloadPackage(HttpClient& client, const std::string& url,
                                              const std::filesystem::path& folder,
                                              const std::string& file_name,
                                              const std::function<void(int percent)>& progress);

}  // namespace dz::update
