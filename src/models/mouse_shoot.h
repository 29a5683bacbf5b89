#pragma once
// The shooting-pattern image: the four pattern files "ShootData_0.Shoot" to
// "ShootData_3.Shoot" of the mouse's data folder as the four entries of a macro image.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

namespace dz {

inline constexpr int kShootPatternCount = 4;

// "ShootData_" n ".Shoot".
[[nodiscard]] std::string ShootFileName(int gun);
// The image of the four files; a missing or unreadable file is an entry without events.
[[nodiscard]] std::vector<uint8_t> BuildShootImage(const std::filesystem::path& folder);

}  // namespace dz
