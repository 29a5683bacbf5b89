#pragma once
// Rules for the names the program stores: display names of profiles and macros (compared
// ignoring case, refused when blank) and identifiers that become file names (a Guid, a
// profile UUID), which must never lead out of their folder.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace dz {

// Equal ignoring case, comparing the UTF-8 texts character by character.
[[nodiscard]] bool SameNameIgnoringCase(std::string_view a, std::string_view b);

// Empty, or nothing but white space.
[[nodiscard]] bool IsBlankName(std::string_view name);

// A name that can stand as one file name inside a folder: not empty, not "." or "..", no
// '/', '\' or NUL. Identifiers read from files are checked with it before they become
// part of a path.
[[nodiscard]] bool IsPlainFileName(std::string_view name);

// folder / (identifier + extension), or nothing when the identifier is not a plain file
// name.
[[nodiscard]] std::optional<std::filesystem::path> FileInFolder(const std::filesystem::path& folder,
                                                                std::string_view identifier,
                                                                std::string_view extension);

}  // namespace dz
