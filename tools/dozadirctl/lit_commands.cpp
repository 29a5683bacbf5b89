// dozadirctl sync / apply / preview mousepad|headset.

#include "lit_commands.h"

#include <json/value.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <optional>
#include <ostream>

#include "cli.h"
#include "device/device_table.h"
#include "device_commands.h"
#include "models/headset_leds.h"
#include "models/lighting_page.h"
#include "models/lit_lighting.h"
#include "models/panel_lists.h"
#include "platform/paths/paths.h"
#include "profile/basic_profiledata.h"
#include "profile/profile_store.h"
#include "store_kinds.h"

namespace dz::ctl {

const char* const kLitSyncUsage =
    "  sync mousepad|headset\n"
    "                 the opening read (information block), the profile in use and its\n"
    "                 lighting page decoded; the headset's power bytes\n";
const char* const kLitApplyUsage =
    "  apply mousepad|headset [PROFILE]\n"
    "                 write a profile's lighting (by name or index; the selected one by\n"
    "                 default) to the device's page 0 as the window writes it\n";
const char* const kLitPreviewUsage =
    "  preview mousepad|headset [--mode N] [--brightness N] [--speed N] [--direction N]\n"
    "                [--multicolour 0|1] [--colour RRGGBB] [--steps N]\n"
    "                 the lighting preview on the device's LEDs (15 or 13), step by step, for\n"
    "                 the selected profile's lighting or the values given; for the headset\n"
    "                 also the LED output reports of the last step; no device is needed\n";

namespace {

struct LitKind {
    const char* word;  // "mousepad" / "headset"
    uint16_t type;
    int kind_code;
    const LitLightingTable& (*table)();
    LitShared& (*shared)();
};

const LitKind kPad{"mousepad", TYPE_MOUSEPAD, 2, &MousepadLightingTable, &MousepadLightingShared};
const LitKind kHeadset{"headset", TYPE_HEADSET, 3, &HeadsetLightingTable, &HeadsetLightingShared};

std::vector<EffectListEntry> Modes(const LitKind& k) {
    return BuiltInEffects(k.kind_code);
}

std::string Hex(uint8_t r, uint8_t g, uint8_t b) {
    char text[8];
    std::snprintf(text, sizeof text, "%02x%02x%02x", r, g, b);
    return text;
}

Json::Value PageJson(const LightingPageBytes& working, const std::vector<EffectListEntry>& modes,
                     uint8_t code) {
    Json::Value s(Json::objectValue);
    s["profile"] = working[kLpProfile];
    s["modeCode"] = code;
    s["mode"] = working[kLpMode];
    if (working[kLpMode] < modes.size()) s["modeName"] = modes[working[kLpMode]].name;
    s["brightness"] = working[kLpBrightness];
    s["speed"] = working[kLpSpeed];
    s["multicolour"] = working[kLpMulticolour];
    s["colour"] = Hex(working[kLpRed], working[kLpGreen], working[kLpBlue]);
    return s;
}

// The kind's selected profile (or the one named), its light record.
struct LoadedProfile {
    std::unique_ptr<ProfileStore> store;
    int index = -1;
    CBasicProfiledata data;
    [[nodiscard]] std::string Name() const {
        return store->Profiles()[static_cast<size_t>(index)].name;
    }
};

bool LoadProfile(Context& ctx, const LitKind& k, const std::string& what,
                 const std::optional<std::string>& name, LoadedProfile& p, int& status) {
    const std::optional<StoreKind> kind = ParseStoreKind(k.word);
    if (!kind) {
        status = Fail(ctx, what, "no profiles of this kind", kExitUsage);
        return false;
    }
    p.store = std::make_unique<ProfileStore>(kind->folder, kind->default_data_file,
                                             kind->device_type);
    p.store->Initialise();
    std::vector<std::string> names;
    for (const ProfileEntry& e : p.store->Profiles()) names.push_back(e.name);
    p.index = name ? FindItem(names, *name) : p.store->GetSelectedIndex();
    if (p.index < 0) {
        status = Fail(ctx, what, "no profile " + name.value_or(""), kExitRefused);
        return false;
    }
    p.data.SetDeviceIndex(0);
    p.data.SetKindCode(k.kind_code);
    p.data.SetDefaultPath(kind->default_data_file);
    p.data.SetProfilePath(p.store->GetProfilePath(p.index));
    (void)p.data.LoadDeviceSection(p.store->GetProfilePath(p.index));
    (void)p.data.ReadLightInfo();
    (void)p.data.LoadLightList(kind->folder / "rodav_light.config");
    return true;
}

// The profile's lighting into the device's page 0 (bytes 4 and 9 to 20 go back as the
// device holds them).
DeviceTransfer WriteLitLighting(CommandChannel& channel, const LitKind& k, const LoadedProfile& p,
                                LightingPageBytes& wire) {
    const std::vector<EffectListEntry> modes = Modes(k);
    const LightingPageRead held = ReadLightingPage(channel, 0);
    LightingPageBytes working = DecodeLightingPage(held.bytes, 0, modes);
    FillLightingPage(working, p.data.CurrentLightInfo());
    wire = EncodeLightingPage(working, modes);
    return WriteLightingPage(channel, 0, wire);
}

int Sync(Context& ctx, const LitKind& k, const std::vector<std::string>& args) {
    const std::string what = std::string("sync ") + k.word;
    if (!args.empty()) return Fail(ctx, what, "takes no arguments", kExitUsage);
    DeviceSession session;
    int status = kExitOk;
    if (!session.Open(ctx, {k.type}, k.word, status)) return status;
    CommandChannel& channel = session.Channel();
    const std::vector<EffectListEntry> modes = Modes(k);

    DeviceInfoBlock info{};
    const int begun = channel.Begin();
    const int info_read = channel.ReadInfo(info);
    const int ended = channel.End();
    const LightingPageRead page = ReadCurrentLightingPage(channel, 0);
    const LightingPageBytes working = DecodeLightingPage(page.bytes, page.profile, modes);
    PowerRead power;
    if (k.type == TYPE_HEADSET) power = ReadPowerBytes(channel);

    Json::Value v(Json::objectValue);
    v["path"] = session.Bound().record.path;
    v["read"] = TransferJson({begun != kCmdOk ? begun : info_read != kCmdOk ? info_read : ended,
                              begun != kCmdOk       ? uint8_t{CMD_BEGIN}
                              : info_read != kCmdOk ? uint8_t{CMD_READ_INFO}
                              : ended != kCmdOk     ? uint8_t{CMD_END}
                                                    : uint8_t{0}});
    if (info_read == kCmdOk) v["info"] = ByteArray(info);
    v["pageRead"] = TransferJson({page.page_result, page.page_result == kCmdOk
                                                        ? uint8_t{0}
                                                        : uint8_t{CMD_READ_SETTINGS}});
    if (page.page_result == kCmdOk) {
        Json::Value s = PageJson(working, modes, page.bytes[kLpMode]);
        s["bytes"] = ByteArray(std::span<const uint8_t>(page.bytes).first(kLightingPageSize));
        v["settings"] = s;
    }
    if (k.type == TYPE_HEADSET) {
        v["powerRead"] = TransferJson(
            {power.result, power.result == kCmdOk ? uint8_t{0} : uint8_t{CMD_READ_POWER}});
        if (power.result == kCmdOk) v["power"] = ByteArray(power.bytes);
    }
    if (ctx.json) {
        PrintJson(ctx.out, v);
    } else {
        std::ostream& o = ctx.out;
        o << k.word << " " << session.Bound().record.path << "\n";
        o << "opening read: " << v["read"]["text"].asString() << "\n";
        if (info_read == kCmdOk) o << "information block: " << HexBytes(info) << "\n";
        if (page.page_result == kCmdOk) {
            const Json::Value& s = v["settings"];
            o << "current profile " << page.profile << ", lighting page: "
              << HexBytes(std::span<const uint8_t>(page.bytes).first(kLightingPageSize)) << "\n"
              << "  mode " << s["mode"].asInt() << " " << s["modeName"].asString() << " (code "
              << s["modeCode"].asInt() << "), brightness " << s["brightness"].asInt()
              << ", speed " << s["speed"].asInt() << ", multicolour " << s["multicolour"].asInt()
              << ", colour " << s["colour"].asString() << "\n";
        } else {
            o << "lighting page: " << v["pageRead"]["text"].asString() << "\n";
        }
        if (k.type == TYPE_HEADSET)
            o << "power: "
              << (power.result == kCmdOk ? HexBytes(power.bytes)
                                         : v["powerRead"]["text"].asString())
              << "\n";
    }
    return info_read == kCmdOk && page.page_result == kCmdOk ? kExitOk : kExitDeviceError;
}

int Apply(Context& ctx, const LitKind& k, const std::vector<std::string>& args) {
    const std::string what = std::string("apply ") + k.word;
    if (args.size() > 1) return Fail(ctx, what, "takes at most one profile", kExitUsage);
    const FileReportsToStream reports(ctx.err);
    LoadedProfile p;
    int status = kExitOk;
    if (!LoadProfile(ctx, k, what, args.empty() ? std::nullopt : std::optional(args[0]), p, status))
        return status;
    DeviceSession session;
    if (!session.Open(ctx, {k.type}, k.word, status)) return status;
    LightingPageBytes wire{};
    const DeviceTransfer written = WriteLitLighting(session.Channel(), k, p, wire);
    if (ctx.json) {
        Json::Value v(Json::objectValue);
        v["profile"] = p.Name();
        v["file"] = p.store->GetProfilePath(p.index).string();
        Json::Value s = TransferJson(written);
        s["bytes"] = ByteArray(wire);
        v["settings"] = s;
        PrintJson(ctx.out, v);
    } else {
        ctx.out << "profile " << p.Name() << " to the " << k.word << "\n"
                << "lighting page: " << HexBytes(wire) << ": " << TransferText(written) << "\n";
    }
    if (!written.Ok())
        return Fail(ctx, what, std::string("the page was not taken: ") + TransferText(written),
                    kExitDeviceError);
    return kExitOk;
}

std::atomic<uint64_t> g_preview_ms{0};
uint64_t PreviewClock() {
    return g_preview_ms.load();
}

std::string LedHex(const lighting::LedRecord& r) {
    char text[10];
    std::snprintf(text, sizeof text, "%02x%02x%02x%02x", r.red, r.green, r.blue, r.alpha);
    return text;
}

int Preview(Context& ctx, const LitKind& k, const std::vector<std::string>& args) {
    const std::string what = std::string("preview ") + k.word;
    const FileReportsToStream reports(ctx.err);
    LoadedProfile p;
    int status = kExitOk;
    LightInfoRecord light;
    if (LoadProfile(ctx, k, what, std::nullopt, p, status)) light = p.data.CurrentLightInfo();
    int steps = 10;
    for (size_t i = 0; i < args.size(); ++i) {
        if (i + 1 >= args.size())
            return Fail(ctx, what, "\"" + args[i] + "\" needs a value", kExitUsage);
        const std::string& o = args[i];
        const std::string& value = args[++i];
        if (o == "--colour") {
            unsigned r = 0, g = 0, b = 0;
            if (value.size() != 6 || std::sscanf(value.c_str(), "%2x%2x%2x", &r, &g, &b) != 3)
                return Fail(ctx, what, "--colour takes RRGGBB, not \"" + value + "\"", kExitUsage);
            light.red = static_cast<uint8_t>(r);
            light.green = static_cast<uint8_t>(g);
            light.blue = static_cast<uint8_t>(b);
            continue;
        }
        if (value.empty() || value.size() > 4 || value.find_first_not_of("0123456789") != value.npos ||
            std::stoi(value) > 1000)
            return Fail(ctx, what, o + " takes a small number, not \"" + value + "\"", kExitUsage);
        const int n = std::stoi(value);
        if (o != "--steps" && n > 255)
            return Fail(ctx, what, o + " takes 0 to 255", kExitUsage);
        if (o == "--mode")
            light.mode = static_cast<uint8_t>(n);
        else if (o == "--brightness")
            light.brightness = static_cast<uint8_t>(n);
        else if (o == "--speed")
            light.speed = static_cast<uint8_t>(n);
        else if (o == "--direction")
            light.direction = static_cast<uint8_t>(n);
        else if (o == "--multicolour")
            light.multicolor = static_cast<uint8_t>(n != 0);
        else if (o == "--steps")
            steps = std::clamp(n, 1, 1000);
        else
            return Fail(ctx, what, "unknown option \"" + o + "\"", kExitUsage);
    }
    const LitLightingTable& table = k.table();
    lighting::LedArray leds(static_cast<size_t>(table.leds));
    CommandChannel present;
    present.SetOpen(true);
    LitLightingProgram program(table, k.shared(), leds, present, &PreviewClock);
    const auto b = light.Bytes();
    program.SetLightWords(b[0] | b[1] << 8 | b[2] << 16 | static_cast<uint32_t>(b[3]) << 24,
                          b[4] | b[5] << 8 | b[6] << 16 | static_cast<uint32_t>(b[7]) << 24);
    program.RequestModeRestart();
    if (p.store && light.mode >= kLitFirstUserEffect) {
        std::vector<lighting::PlaybackStep> effect;
        for (const LedEffectStep& s : p.data.GetEffectStepsAt(light.mode - kLitFirstUserEffect))
            effect.push_back(
                {s.mode, s.brightness, s.speed, s.direction, s.multicolor, {s.red, s.green, s.blue}, s.time});
        program.SetUserEffect(std::move(effect));
    }
    if (p.store) program.SetLightList(p.data.GetLightList());

    Json::Value frames(Json::arrayValue);
    g_preview_ms = 0;
    bool still = false;
    for (int i = 0; i < steps && !still; ++i) {
        still = !program.Step();
        Json::Value f(Json::objectValue);
        f["ms"] = static_cast<Json::UInt64>(g_preview_ms.load());
        Json::Value l(Json::arrayValue);
        for (size_t n = 0; n < leds.Size(); ++n) l.append(LedHex(leds.Get(n)));
        f["leds"] = l;
        frames.append(f);
        g_preview_ms += static_cast<uint64_t>(program.NextStepIn(std::chrono::milliseconds(1)).count());
    }
    Json::Value v(Json::objectValue);
    if (p.store) v["profile"] = p.Name();
    v["mode"] = light.mode;
    v["still"] = still;
    v["frames"] = frames;
    if (k.type == TYPE_HEADSET) {
        Json::Value out(Json::arrayValue);
        for (const HeadsetLedReport& r : BuildHeadsetLedReports(leds)) out.append(ByteArray(r));
        v["ledReports"] = out;
    }
    if (ctx.json) {
        PrintJson(ctx.out, v);
        return kExitOk;
    }
    ctx.out << k.word << " lighting, mode " << int(light.mode) << ", brightness "
            << int(light.brightness) << ", speed " << int(light.speed)
            << (still ? " (a still picture)" : "") << "; each LED as RRGGBBAA\n";
    for (const Json::Value& f : frames) {
        ctx.out << f["ms"].asUInt64() << " ms:";
        for (const Json::Value& l : f["leds"]) ctx.out << " " << l.asString();
        ctx.out << "\n";
    }
    if (k.type == TYPE_HEADSET)
        for (const HeadsetLedReport& r : BuildHeadsetLedReports(leds))
            ctx.out << "LED report: " << HexBytes(r) << "\n";
    return kExitOk;
}

}  // namespace

int MousepadSyncCommand(Context& ctx, const std::vector<std::string>& args) {
    return Sync(ctx, kPad, args);
}
int HeadsetSyncCommand(Context& ctx, const std::vector<std::string>& args) {
    return Sync(ctx, kHeadset, args);
}
bool ReadLitKindLighting(Context& ctx, int kind_code, LightBytes& record, std::string& profile,
                         int& status) {
    const LitKind& k = kind_code == kHeadset.kind_code ? kHeadset : kPad;
    LoadedProfile p;
    if (!LoadProfile(ctx, k, std::string("same-mode ") + k.word, std::nullopt, p, status))
        return false;
    record = p.data.CurrentLightInfo().Bytes();
    profile = p.Name();
    return true;
}

KindLightingWrite WriteLitKindLighting(Context& ctx, int kind_code, const RecordOf& record_of) {
    const LitKind& k = kind_code == kHeadset.kind_code ? kHeadset : kPad;
    KindLightingWrite out;
    DeviceSession session;
    if (!session.Open(ctx, {k.type}, k.word, out.status)) return out;
    out.connected = true;
    LoadedProfile p;
    if (!LoadProfile(ctx, k, std::string("same-mode ") + k.word, std::nullopt, p, out.status))
        return out;
    out.profile = p.Name();
    out.record = record_of(p.data.CurrentLightInfo().Bytes());
    p.data.WriteLightInfo(LightInfoRecord::FromBytes(out.record));
    LightingPageBytes wire{};
    out.written = WriteLitLighting(session.Channel(), k, p, wire);
    out.saved = p.data.Save();
    out.status = !out.saved ? kExitFileError : out.written.Ok() ? kExitOk : kExitDeviceError;
    return out;
}

int MousepadApplyCommand(Context& ctx, const std::vector<std::string>& args) {
    return Apply(ctx, kPad, args);
}
int HeadsetApplyCommand(Context& ctx, const std::vector<std::string>& args) {
    return Apply(ctx, kHeadset, args);
}
int MousepadPreviewCommand(Context& ctx, const std::vector<std::string>& args) {
    return Preview(ctx, kPad, args);
}
int HeadsetPreviewCommand(Context& ctx, const std::vector<std::string>& args) {
    return Preview(ctx, kHeadset, args);
}

}  // namespace dz::ctl
