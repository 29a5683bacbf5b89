#pragma once
// The mouse's shooting patterns: four pattern files "ShootData_0.Shoot" to
// "ShootData_3.Shoot" in the mouse's data folder (default copies of the same names in the
// program's DefaultData), each 30 bullets of six macro events, and the image of all four
// that the mouse keeps. The panel of the mouse page and dozadirctl edit them through these
// functions only.
//
// Bullet b owns the events 6b to 6b + 5 of "Events":
//   6b      "down" button 1, delay 10, type 1     the shot: left button pressed
//   6b + 1  "up"   button 1, delay 0,  type 1     and released
//   6b + 2  "down" left / "up" right, x, delay 5, type 4
//   6b + 3  "down" up / "up" down, y, the bullet's delay, type 5
//   6b + 4  as 6b + 2 with distance 0 and delay 0
//   6b + 5  as 6b + 3 with distance 0 and delay 0

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include <json/value.h>

#include "macro/macro_event.h"
#include "profile/json_file.h"

namespace dz {

inline constexpr int kShootPatternCount = 4;
inline constexpr int kShootBullets = 30;
inline constexpr int kShootEventsPerBullet = 6;
inline constexpr int kShootPatternEvents = kShootBullets * kShootEventsPerBullet;

// "ShootData_" n ".Shoot".
[[nodiscard]] std::string ShootFileName(int gun);

// One bullet as the panel edits it. Distances and the delay keep whatever integer the file
// or the user gave; the mouse gets the low byte of a distance and 16 bits of the delay.
struct ShootBullet {
    bool left = false;  // horizontal move to the left (else to the right)
    int x = 0;
    bool up = false;  // vertical move upward (else downward)
    int y = 0;
    int delay = 0;  // milliseconds before the vertical move
    friend bool operator==(const ShootBullet&, const ShootBullet&) = default;
};

// The bullet `b` of a pattern file's tree; what the file lacks reads as 0, right and down.
[[nodiscard]] ShootBullet BulletOf(const Json::Value& file, int b);
// All 30 bullets.
[[nodiscard]] std::vector<ShootBullet> BulletsOf(const Json::Value& file);
// Writes the six events of bullet `b` into the tree (a tree that is no object becomes one;
// "Events" grows with nulls up to the bullet; other members are kept).
void PutBullet(Json::Value& file, int b, const ShootBullet& bullet);
// The six events of a bullet.
[[nodiscard]] std::vector<MacroEvent> BulletEvents(const ShootBullet& bullet);

// What the mouse gets for a pattern file: its events in order, at most kShootPatternEvents
// (later ones belong to no bullet); an entry that is not an event object (null, a number,
// ...) becomes the event its place has in a bullet that does not move, so the bullets
// after it keep their places. A file without events gives an entry without events.
[[nodiscard]] std::vector<MacroEvent> PatternEvents(const Json::Value& file);

// The image of the folder's four files; a missing or unreadable file is an entry without
// events.
[[nodiscard]] std::vector<uint8_t> BuildShootImage(const std::filesystem::path& folder);

// ---- The files -----------------------------------------------------------------------------

struct ShootFolders {
    std::filesystem::path data;      // the mouse's data folder: the working files
    std::filesystem::path defaults;  // DefaultData: the default copies
    [[nodiscard]] std::filesystem::path File(int gun) const { return data / ShootFileName(gun); }
    [[nodiscard]] std::filesystem::path DefaultFile(int gun) const {
        return defaults / ShootFileName(gun);
    }
};

// Whether `gun` is 0 to 3.
[[nodiscard]] constexpr bool IsShootGun(int gun) {
    return gun >= 0 && gun < kShootPatternCount;
}

// Every working file that cannot be read as JSON takes its default copy (a damaged one is
// kept beside it first; an unreadable one is left alone). The guns that were reset.
std::vector<int> EnsureShootFiles(const ShootFolders& folders);
// The working file of `gun` read as a tree (null when it cannot be read as JSON).
[[nodiscard]] Json::Value ReadShootFile(const ShootFolders& folders, int gun);
// Bullet `b` of `gun` written into its working file. False when the file is there but
// cannot be read, or the new file cannot be written (the old one then stays).
[[nodiscard]] bool SaveShootBullet(const ShootFolders& folders, int gun, int b,
                                   const ShootBullet& bullet);
// The default copy of `gun` over its working file.
[[nodiscard]] FileCopyResult ResetShootGun(const ShootFolders& folders, int gun);
// A chosen file over the working file of `gun`; the source must hold a JSON object.
[[nodiscard]] FileCopyResult ImportShootGun(const ShootFolders& folders, int gun,
                                            const std::filesystem::path& from);
// The working file of `gun` to a chosen path.
[[nodiscard]] FileCopyResult ExportShootGun(const ShootFolders& folders, int gun,
                                            const std::filesystem::path& to);

}  // namespace dz
