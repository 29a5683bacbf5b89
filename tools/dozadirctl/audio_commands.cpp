// dozadirctl audio-style: the audio styles without the window. The file is the window's
// (AudioStyleFile: seeded from the default file when the user's is missing or damaged, its
// other members kept on a save); an edit is what the accepted style window stores.

#include "audio_commands.h"

#include <json/value.h>

#include <cctype>
#include <optional>
#include <ostream>

#include "cli.h"
#include "panels/audio/audio_styles.h"
#include "platform/paths/paths.h"
#include "store_kinds.h"

namespace dz::ctl {

const char* const kAudioStyleUsage =
    "  audio-style [list]  the audio styles of AudioFile.json (the keyboard's music lighting):\n"
    "                 the style in use, and each style's name and colour (0..9 a channel)\n"
    "  audio-style show STYLE   one style (STYLE: 1..4 or its name)\n"
    "  audio-style set STYLE [--name TEXT] [--red R] [--green G] [--blue B] [--use]\n"
    "                 change a style as the style window does (channels 0..9, an empty\n"
    "                 name becomes the style's default name; --use makes it the style in\n"
    "                 use) and save the styles. A running window keeps the styles it read\n"
    "                 at start and sends its own colour to the capture program\n"
    "  audio-style defaults     the default styles over the user's (as the reset button)\n";

namespace {

constexpr const char* kWhat = "audio-style";

panels::AudioStyleFile StyleFile() {
    return panels::AudioStyleFile(paths::ProductDataFolder() / panels::kAudioFileName,
                                  paths::DefaultDataFolder() / panels::kAudioFileName);
}

// STYLE as an index 0..3: a number 1..4, or a style's name (case ignored).
std::optional<int> FindStyle(const panels::AudioStyleRecord& r, const std::string& word) {
    for (int i = 0; i < 4; ++i)
        if (word == std::to_string(i + 1)) return i;
    auto lower = [](std::string t) {
        for (char& ch : t) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
        return t;
    };
    for (int i = 0; i < 4; ++i)
        if (!r.names[size_t(i)].empty() && lower(r.names[size_t(i)]) == lower(word)) return i;
    return std::nullopt;
}

Json::Value StyleJson(const panels::AudioStyleRecord& r, int i) {
    Json::Value v(Json::objectValue);
    v["style"] = i + 1;
    v["name"] = r.names[size_t(i)];
    v["red"] = r.colours[size_t(i)][0];
    v["green"] = r.colours[size_t(i)][1];
    v["blue"] = r.colours[size_t(i)][2];
    v["inUse"] = r.style == i;
    return v;
}

void PrintStyle(std::ostream& out, const panels::AudioStyleRecord& r, int i) {
    const auto& c = r.colours[size_t(i)];
    out << i + 1 << " " << (r.names[size_t(i)].empty() ? "(no name)" : r.names[size_t(i)])
        << ": red " << int(c[0]) << ", green " << int(c[1]) << ", blue " << int(c[2])
        << (r.style == i ? " (in use)" : "") << "\n";
}

int PrintStyles(Context& ctx, const panels::AudioStyleFile& file) {
    const panels::AudioStyleRecord& r = file.Current();
    const bool in_range = r.style >= 0 && r.style < 4;
    if (ctx.json) {
        Json::Value v(Json::objectValue);
        v["file"] = file.UserFile().string();
        v["inUse"] = in_range ? r.style + 1 : 0;
        v["styles"] = Json::Value(Json::arrayValue);
        for (int i = 0; i < 4; ++i) v["styles"].append(StyleJson(r, i));
        PrintJson(ctx.out, v);
        return kExitOk;
    }
    ctx.out << "style in use: ";
    if (in_range)
        ctx.out << r.style + 1 << "\n";
    else
        ctx.out << "none (the file holds " << r.style << ")\n";
    for (int i = 0; i < 4; ++i) PrintStyle(ctx.out, r, i);
    return kExitOk;
}

int Set(Context& ctx, panels::AudioStyleFile& file, const std::vector<std::string>& args) {
    if (args.size() < 2) return Fail(ctx, kWhat, "set wants STYLE", kExitUsage);
    // The style window starts from what the file's "Device" holds.
    panels::AudioStyleRecord r = file.ReadDevice();
    const std::optional<int> style = FindStyle(r, args[1]);
    if (!style)
        return Fail(ctx, kWhat, "no style \"" + args[1] + "\" (1..4 or a name)", kExitUsage);
    const size_t s = static_cast<size_t>(*style);
    for (size_t i = 2; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (option == "--use") {
            r.style = *style;
            continue;
        }
        if (i + 1 >= args.size())
            return Fail(ctx, kWhat, "\"" + option + "\" wants a value", kExitUsage);
        const std::string& value = args[++i];
        if (option == "--name") {
            r.names[s] = value.empty() ? panels::DefaultStyleNames()[s] : value;
            continue;
        }
        const int channel = option == "--red"     ? 0
                            : option == "--green" ? 1
                            : option == "--blue"  ? 2
                                                  : -1;
        if (channel < 0) return Fail(ctx, kWhat, "unknown option \"" + option + "\"", kExitUsage);
        const bool digit =
            value.size() == 1 && value[0] >= '0' && value[0] - '0' <= panels::kStyleColourMaximum;
        if (!digit)
            return Fail(ctx, kWhat, option + " takes 0..9, not \"" + value + "\"", kExitUsage);
        r.colours[s][size_t(channel)] = static_cast<uint8_t>(value[0] - '0');
    }
    if (!file.Save(r)) return Fail(ctx, kWhat, "the styles could not be saved", kExitFileError);
    if (ctx.json) {
        PrintJson(ctx.out, StyleJson(file.Current(), *style));
    } else {
        PrintStyle(ctx.out, file.Current(), *style);
    }
    return kExitOk;
}

}  // namespace

int AudioStyleCommand(Context& ctx, const std::vector<std::string>& args) {
    const FileReportsToStream reports(ctx.err);
    panels::AudioStyleFile file = StyleFile();
    (void)file.Load();
    const std::string verb = args.empty() ? "list" : args[0];
    if (verb == "list" && args.size() <= 1) return PrintStyles(ctx, file);
    if (verb == "show" && args.size() == 2) {
        const std::optional<int> style = FindStyle(file.Current(), args[1]);
        if (!style)
            return Fail(ctx, kWhat, "no style \"" + args[1] + "\" (1..4 or a name)", kExitUsage);
        if (ctx.json)
            PrintJson(ctx.out, StyleJson(file.Current(), *style));
        else
            PrintStyle(ctx.out, file.Current(), *style);
        return kExitOk;
    }
    if (verb == "set") return Set(ctx, file, args);
    if (verb == "defaults" && args.size() == 1) {
        (void)file.RestoreDefaults();
        return PrintStyles(ctx, file);
    }
    return Fail(ctx, kWhat, "unknown or incomplete: audio-style " + verb, kExitUsage);
}

}  // namespace dz::ctl
