#pragma once
// The user's choice of the main window's background, kept in "main.ini" (a true INI file in
// the per-user settings folder), section "SKINIMAGE": "FLAGS" "1" with "IMAGE" for an image
// (one of the skin window's or the user's own file), "0" after a reset; and, so that a
// colour is restored at the next start too, "2" with "COLOR" (#AARRGGBB). No Qt.

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace dz::app {

inline constexpr std::string_view kDefaultBackground = "common/background.png";

struct SkinChoice {
    bool colour_mode = false;
    uint32_t colour = 0;  // ARGB
    std::string image;    // a skin image name or a file path
};

// ProductConfigFolder() / "main.ini".
[[nodiscard]] std::filesystem::path MainIniFile();

// Writes the choice into main.ini, keeping everything else in it; `reset` writes FLAGS "0"
// with the default image. False when the file could not be written, is there but could not
// be read (then it is left alone), or the image name holds a line break.
bool StoreSkinChoice(const std::filesystem::path& file, const SkinChoice& choice, bool reset);
// The stored choice to restore: an image (FLAGS 1) or a colour (FLAGS 2); none after a reset,
// without a file, or when the file holds no such section (not INI at all, say).
[[nodiscard]] std::optional<SkinChoice> StoredSkinChoice(const std::filesystem::path& file);

}  // namespace dz::app
