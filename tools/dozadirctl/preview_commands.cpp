// dozadirctl preview keyboard: ApplyLighting of the selected profile with the options in place
// of its settings, then K steps of the effect as the lighting thread runs them.

#include "preview_commands.h"

#include <unistd.h>

#include <charconv>
#include <chrono>
#include <iostream>
#include <optional>

#include "cli.h"
#include "models/keyboard_lighting/keyboard_lighting_profile.h"
#include "models/keyboard_lighting/keyboard_lighting_program.h"
#include "profile/device_profiledata.h"
#include "profile/profile_store.h"
#include "store_kinds.h"

namespace dz::ctl {

const char* const kPreviewUsage =
    "  preview keyboard [--effect N] [--brightness B] [--speed S] [--direction D]\n"
    "          [--multicolour M] [--colour RRGGBB] [--sub-mode X] [--steps K] [--seed R]\n"
    "                 the selected profile's lighting with these settings in its place,\n"
    "                 after K steps of the effect (default 1), computed here as the window\n"
    "                 does, no device needed: every light's red, green, blue and alpha\n"
    "                 (--json: {\"lights\": [[r, g, b, a], ...]}), and in a terminal a\n"
    "                 picture of the lights; random choices follow --seed (default: clock)\n";

namespace {

using namespace keyboard_lighting;

// The passes start at a fixed millisecond, so that a seeded run gives the same lights.
constexpr uint64_t kPreviewStartMs = 10'000'000;
constexpr long kMaxSteps = 100'000;

struct PreviewOptions {
    std::optional<uint8_t> effect, brightness, speed, direction, multicolour, sub_mode;
    std::optional<lighting::Rgb> colour;
    long steps = 1;
    std::optional<uint64_t> seed;
};

bool ParseNumber(const std::string& text, long low, long high, long& value) {
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    return ec == std::errc() && ptr == end && value >= low && value <= high;
}

bool ParseColour(const std::string& text, lighting::Rgb& colour) {
    std::string hex = text;
    if (!hex.empty() && hex[0] == '#') hex.erase(0, 1);
    uint32_t value = 0;
    const char* end = hex.data() + hex.size();
    const auto [ptr, ec] = std::from_chars(hex.data(), end, value, 16);
    if (hex.size() != 6 || ec != std::errc() || ptr != end) return false;
    colour = {static_cast<uint8_t>(value >> 16), static_cast<uint8_t>(value >> 8),
              static_cast<uint8_t>(value)};
    return true;
}

// False, with the message written, on a word that is not an option or a bad value.
bool ParseOptions(Context& ctx, const std::vector<std::string>& args, PreviewOptions& o) {
    struct ByteOption {
        const char* name;
        std::optional<uint8_t> PreviewOptions::*field;
        long high;
    };
    static const ByteOption kBytes[] = {
        {"--effect", &PreviewOptions::effect, 255},
        {"--brightness", &PreviewOptions::brightness, 5},
        {"--speed", &PreviewOptions::speed, 4},
        {"--direction", &PreviewOptions::direction, 1},
        {"--multicolour", &PreviewOptions::multicolour, 1},
        {"--sub-mode", &PreviewOptions::sub_mode, 255},
    };
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& name = args[i];
        if (i + 1 >= args.size()) {
            ctx.err << "dozadirctl: preview: " << name << " needs a value\n";
            return false;
        }
        const std::string& value = args[++i];
        const auto bad = [&](const char* what) {
            ctx.err << "dozadirctl: preview: " << name << " " << value << ": " << what << "\n";
            return false;
        };
        bool known = false;
        for (const ByteOption& b : kBytes) {
            if (name != b.name) continue;
            known = true;
            long v = 0;
            if (!ParseNumber(value, 0, b.high, v))
                return bad(b.high == 1 ? "not 0 or 1" : "not a number in range");
            o.*b.field = static_cast<uint8_t>(v);
        }
        if (known) continue;
        if (name == "--colour" || name == "--color") {
            lighting::Rgb c;
            if (!ParseColour(value, c)) return bad("not six hexadecimal digits RRGGBB");
            o.colour = c;
        } else if (name == "--steps") {
            if (!ParseNumber(value, 0, kMaxSteps, o.steps)) return bad("not a number 0..100000");
        } else if (name == "--seed") {
            uint64_t seed = 0;
            const char* end = value.data() + value.size();
            const auto [ptr, ec] = std::from_chars(value.data(), end, seed);
            if (ec != std::errc() || ptr != end) return bad("not a number");
            o.seed = seed;
        } else {
            ctx.err << "dozadirctl: preview: unknown option " << name << "\n";
            return false;
        }
    }
    return true;
}

// Colour times alpha, as the light frame sends it.
uint8_t Shown(uint8_t colour, uint8_t alpha) {
    return static_cast<uint8_t>(colour * alpha / 256);
}

void Cell(std::ostream& out, const lighting::LedRecord& r) {
    out << "\x1b[48;2;" << int{Shown(r.red, r.alpha)} << ";" << int{Shown(r.green, r.alpha)} << ";"
        << int{Shown(r.blue, r.alpha)} << "m  \x1b[0m";
}

}  // namespace

void WriteKeyboardPicture(std::ostream& out, const lighting::LedArray& leds) {
    std::array<bool, kLightCount> in_matrix{};
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            const uint8_t x = kLedMatrix[static_cast<size_t>(c)][static_cast<size_t>(r)];
            if (x == kNoLight) {
                out << "   ";
                continue;
            }
            in_matrix[x] = true;
            Cell(out, leds.Get(x));
            out << " ";
        }
        out << "\n";
    }
    bool any = false;
    for (size_t x = 0; x < kLightCount; ++x) {
        if (in_matrix[x]) continue;
        Cell(out, leds.Get(x));
        any = true;
    }
    if (any) out << "\n";
}

int PreviewKeyboardCommand(Context& ctx, const std::vector<std::string>& args) {
    PreviewOptions options;
    if (!ParseOptions(ctx, args, options)) {
        ctx.err << "Usage:\n" << kPreviewUsage;
        return kExitUsage;
    }
    const std::optional<StoreKind> kind = ParseStoreKind("keyboard");
    FileReportsToStream reports(ctx.err);
    ProfileStore store(kind->folder, kind->default_data_file, kind->device_type);
    store.Initialise();
    const std::filesystem::path file = store.GetProfilePath(store.GetSelectedIndex());

    CKeyboardProfiledata profile;
    profile.SetDeviceIndex(0);
    profile.SetKindCode(0);
    profile.SetDefaultPath(kind->default_data_file);
    profile.SetProfilePath(file);
    profile.SetLightListPath(kind->folder / "rodav_light.config");
    (void)profile.LoadDeviceSection(file);
    LightInfoRecord light = profile.ReadLightInfo();
    if (options.effect) light.mode = *options.effect;
    if (options.brightness) light.brightness = *options.brightness;
    if (options.speed) light.speed = *options.speed;
    if (options.direction) light.direction = *options.direction;
    if (options.multicolour) light.multicolor = *options.multicolour;
    if (options.sub_mode) light.device_mode = *options.sub_mode;
    if (options.colour) {
        light.red = options.colour->red;
        light.green = options.colour->green;
        light.blue = options.colour->blue;
    }
    // In memory only: the effect steps follow the record's effect; nothing is saved.
    profile.WriteLightInfo(light);

    lighting::LedArray leds(kLightCount);
    KeyboardLightingShared shared;
    const uint64_t seed =
        options.seed
            ? *options.seed
            : static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    KeyboardLightingProgram program(
        leds, [] { return true; }, seed, shared);
    if (program.Apply(ReadLightingProfile(profile)) && light.mode == kCustomColourEffect)
        program.SetCustomColours(CustomGroupColours(profile, profile.GetCustomGroupIndex()));

    long steps = 0;
    for (uint64_t t = kPreviewStartMs; steps < options.steps; ++t) steps += program.RunUntil(t);

    if (ctx.json) {
        ctx.out << "{\"lights\": [\n";
        for (size_t x = 0; x < kLightCount; ++x) {
            const lighting::LedRecord r = leds.Get(x);
            ctx.out << "  [" << int{r.red} << ", " << int{r.green} << ", " << int{r.blue} << ", "
                    << int{r.alpha} << "]" << (x + 1 < kLightCount ? ",\n" : "\n");
        }
        ctx.out << "]}\n";
        return kExitOk;
    }
    for (size_t x = 0; x < kLightCount; ++x) {
        const lighting::LedRecord r = leds.Get(x);
        ctx.out << "light " << x << ": " << int{r.red} << " " << int{r.green} << " " << int{r.blue}
                << " " << int{r.alpha} << "\n";
    }
    if (&ctx.out == &std::cout && isatty(STDOUT_FILENO) == 1) WriteKeyboardPicture(ctx.out, leds);
    return kExitOk;
}

}  // namespace dz::ctl
