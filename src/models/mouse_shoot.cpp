#include "models/mouse_shoot.h"

#include "macro/macro_event.h"
#include "models/macro_image.h"

namespace dz {

std::string ShootFileName(int gun) {
    return "ShootData_" + std::to_string(gun) + ".Shoot";
}

std::vector<uint8_t> BuildShootImage(const std::filesystem::path& folder) {
    std::vector<std::vector<MacroEvent>> entries;
    for (int gun = 0; gun < kShootPatternCount; ++gun)
        entries.push_back(LoadEvents(folder / ShootFileName(gun)));
    return BuildMacroImage(entries);
}

}  // namespace dz
