// dozadirctl sync keyboard / apply keyboard.

#include "keyboard_commands.h"

#include <cstdio>
#include <initializer_list>
#include <ostream>
#include <sstream>

#include "cli.h"
#include "device/device_table.h"
#include "device_commands.h"
#include "models/keyboard_io.h"
#include "models/panel_lists.h"
#include "platform/paths/paths.h"
#include "profile/device_profiledata.h"
#include "profile/profile_store.h"
#include "store_kinds.h"

namespace dz::ctl {

const char* const kKeyboardSyncUsage =
    "  sync keyboard|keyboard-rx\n"
    "                 the keyboard's first read: information block, key slots, the map of\n"
    "                 its 126 positions (those without a slot listed), the current profile's\n"
    "                 settings block decoded, and the power bytes\n";
const char* const kKeyboardApplyUsage =
    "  apply keyboard|keyboard-rx [PROFILE]\n"
    "                 write a keyboard profile (by name or index; the selected one by\n"
    "                 default) as the window applies it: macros, key map, settings block;\n"
    "                 exit code 2 when the macros do not fit the keyboard's memory\n";

namespace {

constexpr int kKeyboardKindCode = 0;

// The keyboard's built-in effects, by index (default_light.json).
std::vector<EffectListEntry> KeyboardEffects() {
    return BuiltInEffects(kKeyboardKindCode);
}

// "status 0xFE at WRITE_KEYMAP" and the like; "ok" for success.
std::string TransferText(const DeviceTransfer& t) {
    if (t.Ok()) return t.refused != nullptr ? std::string("nothing written: ") + t.refused : "ok";
    if (t.refused != nullptr) return std::string("not written: ") + t.refused;
    std::string text = CommandResultText(t.result);
    if (const char* name = CommandName(t.failed_command)) text += std::string(" at ") + name;
    return text + " (" + std::to_string(t.result) + ")";
}

Json::Value TransferJson(const DeviceTransfer& t) {
    Json::Value v(Json::objectValue);
    v["result"] = t.result;
    v["ok"] = t.Ok();
    v["text"] = TransferText(t);
    return v;
}

bool OpenKeyboard(Context& ctx, DeviceSession& session, bool receiver_only, int& status) {
    if (receiver_only) return session.Open(ctx, {TYPE_KEYBOARD_RX}, "keyboard receiver", status);
    return session.Open(ctx, {TYPE_KEYBOARD, TYPE_KEYBOARD_RX}, "keyboard", status);
}

Json::Value SettingsJson(const KeyboardSettingsRead& s, int profile,
                         std::span<const EffectListEntry> effects) {
    Json::Value v(Json::objectValue);
    v["profile"] = profile;
    v["offset"] = KeyboardSettingsOffset(profile);
    v["bytes"] = ByteArray(s.block);
    v["effectCode"] = s.block[kKbEffect];
    if (s.effect) {
        v["effect"] = *s.effect;
        if (*s.effect >= 0 && static_cast<size_t>(*s.effect) < effects.size())
            v["effectName"] = effects[static_cast<size_t>(*s.effect)].name;
    } else {
        v["effect"] = Json::Value();  // the host drives it
    }
    v["hostDriven"] = !s.effect.has_value();
    v["brightness"] = s.brightness;
    v["speed"] = s.speed;
    v["direction"] = s.direction;
    v["multicolour"] = s.multicolour;
    v["colour"] = ByteArray(std::array<uint8_t, 3>{s.red, s.green, s.blue});
    v["deviceMode"] = s.device_mode;
    v["wFlag"] = s.wflag;
    v["key6Flag"] = s.key6;
    v["winFlag"] = s.winflag;
    v["pollingRate"] = s.polling_rate;
    v["colourPage"] = s.colour_page;
    return v;
}

// A keyboard profile as the window loads it.
struct LoadedProfile {
    std::string name;
    std::filesystem::path file;
    LightInfoRecord light;
    std::vector<KeyAssignmentEntry> keys;
    KeyboardSystemSettings system;
};

// The profile `word` names (by name or index), or the selected one; nothing when there is
// no such profile.
std::optional<LoadedProfile> LoadProfile(const StoreKind& kind, const std::string* word) {
    ProfileStore store(kind.folder, kind.default_data_file, kind.device_type);
    store.Initialise();
    std::vector<std::string> names;
    for (const ProfileEntry& e : store.Profiles()) names.push_back(e.name);
    const int index = word == nullptr ? store.GetSelectedIndex() : FindItem(names, *word);
    if (index < 0) return std::nullopt;
    LoadedProfile loaded;
    loaded.name = names[static_cast<size_t>(index)];
    loaded.file = store.GetProfilePath(index);
    CKeyboardProfiledata profile;
    profile.SetDeviceIndex(0);
    profile.SetKindCode(kKeyboardKindCode);
    profile.SetDefaultPath(kind.default_data_file);
    profile.SetProfilePath(loaded.file);
    (void)profile.LoadDeviceSection(loaded.file);
    loaded.light = profile.ReadLightInfo();
    loaded.keys = profile.GetKeyList();
    loaded.system = KeyboardSystemSettings::FromWords(profile.GetSystemStages());
    return loaded;
}

int Sync(Context& ctx, const std::vector<std::string>& args, bool receiver_only) {
    if (!args.empty()) {
        ctx.err << "dozadirctl: sync keyboard takes no arguments\n";
        return kExitUsage;
    }
    DeviceSession session;
    int status = kExitOk;
    if (!OpenKeyboard(ctx, session, receiver_only, status)) return status;
    CommandChannel& channel = session.Channel();
    const std::vector<EffectListEntry> effects = KeyboardEffects();

    // The same reads as the window's first synchronisation; keys the selected profile gave
    // other functions are found by those (when there is a profile list).
    KeyboardTablesRead tables = ReadKeyboardTables(channel);
    const std::optional<StoreKind> kind = ParseStoreKind("keyboard");
    if (std::filesystem::exists(kind->folder / "ProfileList.ini")) {
        const FileReportsToStream reports(ctx.err);
        if (const auto profile = LoadProfile(*kind, nullptr))
            RemapKeyboard(tables.tables, profile->keys, kind->folder);
    }
    KeyboardSettingsFetch settings;
    if (tables.transfer.Ok() || DeviceStillAnswers(tables.transfer.result))
        settings = ReadKeyboardSettings(channel);
    const KeyboardPowerRead power = ReadKeyboardPower(channel);
    const KeyboardMaps& maps = tables.tables.maps;
    const KeyboardSettingsRead decoded = DecodeKeyboardSettings(settings.block, effects);

    Json::Value v(Json::objectValue);
    v["path"] = session.Bound().record.path;
    v["receiver"] = session.ReceiverPath();
    v["read"] = TransferJson(tables.transfer);
    if (tables.info_read) {
        v["info"] = ByteArray(tables.tables.info);
        v["keySlots"] = tables.tables.KeySlots();
        v["macroBytes"] = tables.tables.info[kInfoMacroUnits] * static_cast<int>(kMacroMemoryUnit);
    }
    Json::Value positions(Json::arrayValue);
    Json::Value missing(Json::arrayValue);
    for (int p = 0; p < kKeyboardPositions; ++p) {
        const uint8_t slot = maps.slot[static_cast<size_t>(p)];
        if (slot == kKeyboardNoSlot) {
            missing.append(p);
            continue;
        }
        Json::Value e(Json::objectValue);
        e["position"] = p;
        e["slot"] = slot;
        const uint8_t led = maps.led[static_cast<size_t>(p)];
        e["led"] = led == kKeyboardNoSlot ? Json::Value() : Json::Value(led);
        positions.append(e);
    }
    v["positions"] = positions;
    v["positionsWithoutSlot"] = missing;
    v["settingsRead"] = TransferJson(settings.transfer);
    if (settings.transfer.Ok()) v["settings"] = SettingsJson(decoded, settings.profile, effects);
    v["powerRead"] = TransferJson(power.transfer);
    if (power.transfer.Ok()) v["power"] = ByteArray(power.bytes);

    if (ctx.json) {
        PrintJson(ctx.out, v);
    } else {
        std::ostream& o = ctx.out;
        o << "keyboard " << session.Bound().record.path
          << (session.ReceiverPath() ? " (receiver)" : " (cable)") << "\n";
        o << "first read: " << TransferText(tables.transfer) << "\n";
        if (tables.info_read) {
            o << "information block: " << HexBytes(tables.tables.info) << "\n"
              << "key slots: " << tables.tables.KeySlots()
              << ", macro memory: " << v["macroBytes"].asInt() << " bytes\n";
        }
        o << "positions: " << maps.PositionCount() << " of " << kKeyboardPositions
          << " have a slot\n";
        for (const Json::Value& e : positions) {
            o << "  " << e["position"].asInt() << ": slot " << e["slot"].asInt() << ", led "
              << (e["led"].isNull() ? std::string("none") : std::to_string(e["led"].asInt()))
              << "\n";
        }
        o << "without a slot:";
        if (missing.empty()) o << " none";
        for (const Json::Value& p : missing) o << " " << p.asInt();
        o << "\n";
        o << "settings read: " << TransferText(settings.transfer) << "\n";
        if (settings.transfer.Ok()) {
            const Json::Value s = v["settings"];
            o << "settings block of profile " << settings.profile << " (offset "
              << s["offset"].asInt() << "): " << HexBytes(decoded.block) << "\n"
              << "  effect: "
              << (decoded.effect
                      ? std::to_string(*decoded.effect) + " " + s["effectName"].asString()
                      : std::string("driven by the host"))
              << " (code " << int(decoded.block[kKbEffect]) << ")\n"
              << "  brightness " << int(decoded.brightness) << ", speed " << int(decoded.speed)
              << ", direction " << int(decoded.direction) << ", multicolour "
              << int(decoded.multicolour) << ", colour "
              << HexBytes(std::array<uint8_t, 3>{decoded.red, decoded.green, decoded.blue}) << "\n"
              << "  device mode " << int(decoded.device_mode) << ", W flag " << int(decoded.wflag)
              << ", 6-key flag " << int(decoded.key6) << ", Win lock " << int(decoded.winflag)
              << ", report rate " << int(decoded.polling_rate) << ", colour page "
              << int(decoded.colour_page) << "\n";
        }
        o << "power: " << (power.transfer.Ok() ? HexBytes(power.bytes) : TransferText(power.transfer))
          << "\n";
    }
    return tables.transfer.Ok() && tables.transfer.refused == nullptr ? kExitOk : kExitDeviceError;
}

int Apply(Context& ctx, const std::vector<std::string>& args, bool receiver_only) {
    if (args.size() > 1) {
        ctx.err << "dozadirctl: apply keyboard takes at most one profile\n";
        return kExitUsage;
    }
    const std::string what = "apply keyboard";
    const FileReportsToStream reports(ctx.err);
    const std::optional<StoreKind> kind = ParseStoreKind("keyboard");
    const std::optional<LoadedProfile> profile =
        LoadProfile(*kind, args.empty() ? nullptr : &args[0]);
    if (!profile) return Fail(ctx, what, "no profile " + args[0], kExitRefused);
    const std::vector<KeyAssignmentEntry>& keys = profile->keys;

    DeviceSession session;
    int status = kExitOk;
    if (!OpenKeyboard(ctx, session, receiver_only, status)) return status;
    CommandChannel& channel = session.Channel();
    // The key table starts from the keyboard's own; keys the profile gave other functions
    // are found by those.
    KeyboardTablesRead tables = ReadKeyboardTables(channel);
    RemapKeyboard(tables.tables, keys, kind->folder);
    const KeyboardProfileWrite write = BuildKeyboardProfileWrite(
        keys, profile->light, profile->system, tables.tables, kind->folder, KeyboardEffects());
    const KeyboardApplyResult result = ApplyKeyboardProfile(channel, write);

    const bool short_of_memory = result.macros.answer > 0;
    const bool failed = !tables.transfer.Ok() || result.macros.answer < 0 || !result.key_map.Ok() ||
                        !result.settings.Ok();
    const std::string& name = profile->name;
    if (ctx.json) {
        Json::Value v(Json::objectValue);
        v["profile"] = name;
        v["file"] = profile->file.string();
        v["read"] = TransferJson(tables.transfer);
        Json::Value macros(Json::objectValue);
        Json::Value list(Json::arrayValue);
        for (const int m : write.macro_list) list.append(m);
        macros["macros"] = list;
        macros["events"] = static_cast<Json::UInt64>(write.macros.EventCount());
        macros["imageBytes"] = static_cast<Json::UInt64>(write.macros.ImageSize());
        macros["capacity"] = static_cast<Json::UInt64>(result.macros.capacity);
        macros["answer"] = result.macros.answer;
        macros["transfer"] = TransferJson(result.macros.transfer);
        v["macros"] = macros;
        Json::Value key_map = TransferJson(result.key_map);
        key_map["bytes"] = static_cast<Json::UInt64>(write.key_table.size());
        v["keyMap"] = key_map;
        Json::Value settings = TransferJson(result.settings);
        settings["bytes"] = ByteArray(write.settings);
        v["settings"] = settings;
        PrintJson(ctx.out, v);
    } else {
        std::ostream& o = ctx.out;
        o << "profile " << name << " to the keyboard\n";
        if (!tables.transfer.Ok()) o << "first read: " << TransferText(tables.transfer) << "\n";
        o << "macros: " << write.macro_list.size() << " in use, " << write.macros.EventCount()
          << " events, " << write.macros.ImageSize() << " bytes of " << result.macros.capacity
          << ": " << TransferText(result.macros.transfer) << "\n";
        o << "key map: " << write.key_table.size() << " bytes: " << TransferText(result.key_map)
          << "\n";
        o << "settings block: " << HexBytes(write.settings) << ": " << TransferText(result.settings)
          << "\n";
    }
    if (short_of_memory) {
        ctx.err << "dozadirctl: " << what
                << ": the macros do not fit the keyboard's memory: " << result.macros.answer
                << " events too many (" << result.macros.image_size << " bytes for "
                << result.macros.capacity << "); they were not written\n";
        return kExitDeviceError;
    }
    if (failed) {
        ctx.err << "dozadirctl: " << what << ": the keyboard did not take everything\n";
        return kExitDeviceError;
    }
    return kExitOk;
}

}  // namespace

int KeyboardSyncCommand(Context& ctx, const std::vector<std::string>& args, bool receiver) {
    return Sync(ctx, args, receiver);
}
int KeyboardApplyCommand(Context& ctx, const std::vector<std::string>& args, bool receiver) {
    return Apply(ctx, args, receiver);
}

}  // namespace dz::ctl
