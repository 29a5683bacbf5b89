// Shooting-pattern files of any content: reading their bullets, the events the mouse gets,
// the image of them and a bullet written into them must neither crash nor throw, and the
// image stays within what its header can describe.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "models/macro_image.h"
#include "models/mouse_shoot.h"
#include "profile/json_file.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const Json::Value file =
        dz::ParseJsonText(std::string_view(reinterpret_cast<const char*>(data), size));
    (void)dz::BulletsOf(file);
    const std::vector<dz::MacroEvent> events = dz::PatternEvents(file);
    if (events.size() > static_cast<size_t>(dz::kShootPatternEvents)) abort();
    const std::vector<std::vector<dz::MacroEvent>> four(4, events);
    if (dz::BuildMacroImage(four).size() > 0xFFFF) abort();
    Json::Value copy = file;
    dz::PutBullet(copy, size % dz::kShootBullets, dz::BulletOf(file, 0));
    if (!copy.isObject() || !copy["Events"].isArray()) abort();
    return 0;
}
