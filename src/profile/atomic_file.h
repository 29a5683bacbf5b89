#pragma once
// Replacing a file so that a crash, a full disk or a failed write never leaves it half
// written: the new contents go to a temporary file in the same folder, are flushed to disk,
// and the temporary is renamed over the target.

#include <filesystem>
#include <string_view>

namespace dz {

// True when `path` now holds `contents`. On failure the old file is untouched, the
// temporary is removed and a debug line names the path and the error. The new file keeps
// the permission bits of the file it replaces.
[[nodiscard]] bool ReplaceFileAtomically(const std::filesystem::path& path,
                                         std::string_view contents);

}  // namespace dz
