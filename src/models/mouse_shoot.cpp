#include "models/mouse_shoot.h"

#include <algorithm>

#include "models/macro_image.h"
#include "platform/log/debug_log.h"

namespace dz {
namespace {

constexpr int kShotButton = 1;  // the left button
constexpr int kShotPressDelay = 10;
constexpr int kHorizontalMoveDelay = 5;

// Where the bullet's events are in "Events".
size_t EventIndex(int b, int k) {
    return static_cast<size_t>(b) * kShootEventsPerBullet + static_cast<size_t>(k);
}

MacroEvent Event(int type, int button, bool down, int delay) {
    return {type, button, down ? "down" : "up", std::to_string(delay)};
}

// The file form keeps "Delay" an integer.
Json::Value EventJson(const MacroEvent& e) {
    Json::Value v(Json::objectValue);
    v["Action"] = e.IsPress() ? "down" : "up";
    v["Button"] = e.button;
    v["Delay"] = ParseDelay(e.delay);
    v["Type"] = e.type;
    return v;
}

const Json::Value& EventsOf(const Json::Value& file) {
    return JsonMember(file, "Events");
}

}  // namespace

std::string ShootFileName(int gun) {
    return "ShootData_" + std::to_string(gun) + ".Shoot";
}

std::vector<MacroEvent> BulletEvents(const ShootBullet& bullet) {
    return {Event(kMacroEventMouseButton, kShotButton, true, kShotPressDelay),
            Event(kMacroEventMouseButton, kShotButton, false, 0),
            Event(kMacroEventMoveX, bullet.x, bullet.left, kHorizontalMoveDelay),
            Event(kMacroEventMoveY, bullet.y, bullet.up, bullet.delay),
            Event(kMacroEventMoveX, 0, bullet.left, 0),
            Event(kMacroEventMoveY, 0, bullet.up, 0)};
}

ShootBullet BulletOf(const Json::Value& file, int b) {
    ShootBullet bullet;
    if (b < 0 || b >= kShootBullets) return bullet;
    const Json::Value& events = EventsOf(file);
    const MacroEvent horizontal = EventFromJson(JsonElement(events, EventIndex(b, 2)));
    const MacroEvent vertical = EventFromJson(JsonElement(events, EventIndex(b, 3)));
    bullet.left = horizontal.IsPress();
    bullet.x = horizontal.button;
    bullet.up = vertical.IsPress();
    bullet.y = vertical.button;
    bullet.delay = ParseDelay(vertical.delay);
    return bullet;
}

std::vector<ShootBullet> BulletsOf(const Json::Value& file) {
    std::vector<ShootBullet> bullets;
    for (int b = 0; b < kShootBullets; ++b) bullets.push_back(BulletOf(file, b));
    return bullets;
}

void PutBullet(Json::Value& file, int b, const ShootBullet& bullet) {
    if (b < 0 || b >= kShootBullets) return;
    Json::Value& events = JsonMemberForWrite(file, "Events");
    const std::vector<MacroEvent> six = BulletEvents(bullet);
    // From the last: the array grows once, with nulls before the bullet.
    for (int k = kShootEventsPerBullet - 1; k >= 0; --k)
        JsonElementForWrite(events, EventIndex(b, k)) = EventJson(six[static_cast<size_t>(k)]);
}

std::vector<MacroEvent> PatternEvents(const Json::Value& file) {
    const Json::Value& list = EventsOf(file);
    const size_t count = std::min(JsonSize(list), static_cast<size_t>(kShootPatternEvents));
    if (!list.isArray()) return {};
    static const std::vector<MacroEvent> still = BulletEvents({});
    std::vector<MacroEvent> events;
    events.reserve(count);
    for (size_t i = 0; i < count; ++i) {
        const Json::Value& element = JsonElement(list, i);
        events.push_back(element.isObject() ? EventFromJson(element)
                                            : still[i % kShootEventsPerBullet]);
    }
    return events;
}

std::vector<uint8_t> BuildShootImage(const std::filesystem::path& folder) {
    std::vector<std::vector<MacroEvent>> entries;
    for (int gun = 0; gun < kShootPatternCount; ++gun)
        entries.push_back(PatternEvents(ReadJsonFile(folder / ShootFileName(gun))));
    return BuildMacroImage(entries);
}

// ---- The files -----------------------------------------------------------------------------

std::vector<int> EnsureShootFiles(const ShootFolders& folders) {
    std::vector<int> reset;
    for (int gun = 0; gun < kShootPatternCount; ++gun) {
        const JsonFileRead read = ReadJsonFileChecked(folders.File(gun));
        if (read.Parsed() || read.state == JsonFileState::kUnreadable) continue;
        const FileCopyResult r = ResetShootGun(folders, gun);
        if (r == FileCopyResult::kDone) {
            reset.push_back(gun);
        } else {
            log::DebugLineF("shooting pattern %d: no default copy: %s", gun, FileCopyResultText(r));
        }
    }
    return reset;
}

Json::Value ReadShootFile(const ShootFolders& folders, int gun) {
    if (!IsShootGun(gun)) return {};
    return ReadJsonFile(folders.File(gun));
}

bool SaveShootBullet(const ShootFolders& folders, int gun, int b, const ShootBullet& bullet) {
    if (!IsShootGun(gun) || b < 0 || b >= kShootBullets) return false;
    const std::filesystem::path path = folders.File(gun);
    const JsonFileRead read = ReadJsonFileChecked(path);
    if (read.state == JsonFileState::kUnreadable) {
        // TryReplaceUserJsonFile reports it; the file is the user's and stays.
        return TryReplaceUserJsonFile(path, Json::Value(Json::objectValue), read);
    }
    Json::Value file =
        read.Parsed() && read.value.isObject() ? read.value : Json::Value(Json::objectValue);
    const Json::Value before = file;
    PutBullet(file, b, bullet);
    if (read.Parsed() && file == before) return true;  // the file holds this bullet already
    return TryReplaceUserJsonFile(path, file, read);
}

FileCopyResult ResetShootGun(const ShootFolders& folders, int gun) {
    if (!IsShootGun(gun)) return FileCopyResult::kSourceMissing;
    return CopyIntoUserFile(folders.DefaultFile(gun), folders.File(gun), true);
}

FileCopyResult ImportShootGun(const ShootFolders& folders, int gun,
                              const std::filesystem::path& from) {
    if (!IsShootGun(gun) || from.empty()) return FileCopyResult::kSourceMissing;
    return CopyIntoUserFile(from, folders.File(gun), true);
}

FileCopyResult ExportShootGun(const ShootFolders& folders, int gun,
                              const std::filesystem::path& to) {
    if (!IsShootGun(gun) || to.empty()) return FileCopyResult::kSourceMissing;
    return CopyFileAtomically(folders.File(gun), to);
}

}  // namespace dz
