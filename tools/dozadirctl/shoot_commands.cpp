// dozadirctl shoot mouse show|set|import|export|reset.

#include "shoot_commands.h"

#include <json/value.h>

#include <optional>
#include <ostream>

#include "cli.h"
#include "models/mouse_shoot.h"
#include "platform/paths/paths.h"
#include "store_kinds.h"

namespace dz::ctl {

const char* const kShootMouseUsage =
    "  shoot mouse show|reset GUN\n"
    "  shoot mouse import|export GUN FILE\n"
    "  shoot mouse set GUN BULLET [--x N] [--left|--right] [--y N] [--up|--down]\n"
    "                 [--delay MS]\n"
    "                 the shooting pattern of gun GUN (0 to 3) in the mouse's data folder,\n"
    "                 as the mouse page edits it: show its 30 bullets, reset it to its\n"
    "                 default copy, copy FILE over it or it to FILE, or change bullet BULLET\n"
    "                 (1 to 30) in its file; a file that cannot be read as JSON takes its\n"
    "                 default copy first, as when the page opens. \"apply mouse\" sends the\n"
    "                 four patterns. Exit code 6 when a file cannot be used, 5 when FILE is\n"
    "                 not a pattern\n";

namespace {

std::optional<int> Number(const std::string& word, int low, int high) {
    if (word.empty() || word.size() > 6 || word.find_first_not_of("0123456789") != word.npos)
        return std::nullopt;
    const int v = std::stoi(word);
    if (v < low || v > high) return std::nullopt;
    return v;
}

ShootFolders MouseFolders() {
    const std::filesystem::path data = paths::KindDataFolder("mouse");
    (void)paths::EnsureFolder(data);
    return {data, paths::DefaultDataFolder()};
}

Json::Value BulletJson(int b, const ShootBullet& bullet) {
    Json::Value v(Json::objectValue);
    v["bullet"] = b + 1;
    v["x"] = bullet.x;
    v["left"] = bullet.left;
    v["y"] = bullet.y;
    v["up"] = bullet.up;
    v["delay"] = bullet.delay;
    return v;
}

void PrintBulletText(std::ostream& o, int b, const ShootBullet& bullet) {
    o << "  bullet " << (b + 1 < 10 ? " " : "") << b + 1 << ": " << bullet.x << " to the "
      << (bullet.left ? "left" : "right") << ", " << bullet.y << " " << (bullet.up ? "up" : "down")
      << ", after " << bullet.delay << " ms\n";
}

int Show(Context& ctx, const ShootFolders& folders, int gun) {
    const Json::Value file = ReadShootFile(folders, gun);
    const std::vector<ShootBullet> bullets = BulletsOf(file);
    const size_t events = JsonSize(JsonMember(file, "Events"));
    if (ctx.json) {
        Json::Value v(Json::objectValue);
        v["gun"] = gun;
        v["file"] = folders.File(gun).string();
        v["events"] = static_cast<Json::UInt64>(events);
        Json::Value list(Json::arrayValue);
        for (int b = 0; b < kShootBullets; ++b)
            list.append(BulletJson(b, bullets[static_cast<size_t>(b)]));
        v["bullets"] = list;
        PrintJson(ctx.out, v);
    } else {
        ctx.out << "gun " << gun << ": " << folders.File(gun).string() << " (" << events
                << " events)\n";
        for (int b = 0; b < kShootBullets; ++b)
            PrintBulletText(ctx.out, b, bullets[static_cast<size_t>(b)]);
    }
    return kExitOk;
}

int CopyDone(Context& ctx, const char* what, FileCopyResult r, const std::string& detail) {
    if (r == FileCopyResult::kDone) {
        if (ctx.json) {
            Json::Value v(Json::objectValue);
            v["done"] = what;
            v["file"] = detail;
            PrintJson(ctx.out, v);
        } else {
            ctx.out << what << ": " << detail << "\n";
        }
        return kExitOk;
    }
    return Fail(ctx, std::string("shoot mouse ") + what, FileCopyResultText(r),
                r == FileCopyResult::kSourceNotJson ? kExitRefused : kExitFileError);
}

int Set(Context& ctx, const ShootFolders& folders, int gun, const std::vector<std::string>& args) {
    const std::optional<int> b = args.size() > 2 ? Number(args[2], 1, kShootBullets) : std::nullopt;
    if (!b) return Fail(ctx, "shoot mouse set", "give a bullet from 1 to 30", kExitUsage);
    const int bullet_index = *b - 1;
    ShootBullet bullet = BulletOf(ReadShootFile(folders, gun), bullet_index);
    for (size_t i = 3; i < args.size(); ++i) {
        const std::string& a = args[i];
        auto value = [&](int high) -> std::optional<int> {
            if (i + 1 >= args.size()) return std::nullopt;
            return Number(args[++i], 0, high);
        };
        std::optional<int> v;
        if (a == "--left" || a == "--right") {
            bullet.left = a == "--left";
            continue;
        }
        if (a == "--up" || a == "--down") {
            bullet.up = a == "--up";
            continue;
        }
        if (a == "--x" && (v = value(255))) {
            bullet.x = *v;
        } else if (a == "--y" && (v = value(255))) {
            bullet.y = *v;
        } else if (a == "--delay" && (v = value(65535))) {
            bullet.delay = *v;
        } else {
            return Fail(ctx, "shoot mouse set",
                        "unknown or out-of-range option " + a +
                            " (--x and --y 0 to 255, --delay 0 to 65535)",
                        kExitUsage);
        }
    }
    if (!SaveShootBullet(folders, gun, bullet_index, bullet))
        return Fail(ctx, "shoot mouse set", folders.File(gun).string() + " could not be written",
                    kExitFileError);
    if (ctx.json) {
        PrintJson(ctx.out, BulletJson(bullet_index, bullet));
    } else {
        ctx.out << "gun " << gun << ":\n";
        PrintBulletText(ctx.out, bullet_index, bullet);
    }
    return kExitOk;
}

}  // namespace

int ShootMouseCommand(Context& ctx, const std::vector<std::string>& args) {
    if (args.size() < 2)
        return Fail(ctx, "shoot mouse",
                    "give an operation and a gun\n" + std::string(kShootMouseUsage), kExitUsage);
    const std::string& op = args[0];
    const std::optional<int> gun = Number(args[1], 0, kShootPatternCount - 1);
    if (!gun) return Fail(ctx, "shoot mouse", "the gun is 0, 1, 2 or 3", kExitUsage);
    const bool takes_file = op == "import" || op == "export";
    if (op != "set" && args.size() != (takes_file ? 3u : 2u))
        return Fail(ctx, "shoot mouse " + op, "wrong arguments\n" + std::string(kShootMouseUsage),
                    kExitUsage);
    const FileReportsToStream reports(ctx.err);
    const ShootFolders folders = MouseFolders();
    // The files as the page finds them when it opens.
    for (const int reset : EnsureShootFiles(folders))
        ctx.err << "dozadirctl: gun " << reset << ": the pattern file took its default copy\n";
    if (op == "show") return Show(ctx, folders, *gun);
    if (op == "set") return Set(ctx, folders, *gun, args);
    if (op == "reset")
        return CopyDone(ctx, "reset", ResetShootGun(folders, *gun), folders.File(*gun).string());
    if (op == "import")
        return CopyDone(ctx, "import", ImportShootGun(folders, *gun, args[2]),
                        folders.File(*gun).string());
    if (op == "export")
        return CopyDone(ctx, "export", ExportShootGun(folders, *gun, args[2]), args[2]);
    return Fail(ctx, "shoot mouse", "unknown operation " + op + "\n" + kShootMouseUsage,
                kExitUsage);
}

}  // namespace dz::ctl
