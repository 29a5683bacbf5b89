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

// Whether `name` is the name of a temporary file of ReplaceFileAtomically; `writer` is then
// the process id of the process that made it.
[[nodiscard]] bool IsReplacementTemporary(std::string_view name, long* writer = nullptr);

// Removes the temporaries that saves interrupted by a crash or a power cut left in `folder`
// (not below it). Meant for the start, before this process saves anything. A temporary of
// another running process may be a save in progress and is kept unless it is older than any
// save takes. Returns how many were removed.
int RemoveInterruptedSaves(const std::filesystem::path& folder);

}  // namespace dz
