// dozadirctl lighting KIND and key KIND: what the lighting panel and the key assignment
// panel do, without the window. The record and code edits are the panels' own
// (light_edit.h, key_function_text.h); the writes are the device objects' transfers.

#include "panel_commands.h"

#include <json/value.h>

#include <cstdio>
#include <optional>
#include <ostream>

#include "cli.h"
#include "device/device_table.h"
#include "device_commands.h"
#include "macro/macro_store.h"
#include "models/key_function_text.h"
#include "models/keyboard_io.h"
#include "models/light_edit.h"
#include "models/mouse_buttons.h"
#include "models/mouse_io.h"
#include "models/mouse_profile.h"
#include "models/panel_lists.h"
#include "mouse_commands.h"
#include "platform/paths/paths.h"
#include "profile/device_profiledata.h"
#include "profile/profile_store.h"
#include "profile/text_util.h"
#include "store_kinds.h"

namespace dz::ctl {

const char* const kLightingUsage =
    "  lighting keyboard|keyboard-rx|mouse|mouse-rx [--effect N|NAME] [--brightness B]\n"
    "           [--speed S] [--direction 1|0] [--multicolour 0|1] [--colour RRGGBB]\n"
    "                 change the selected profile's lighting as the lighting panel does (in\n"
    "                 the order given; a colour switches multicolour off; brightness and\n"
    "                 speed are kept within the kind's range), save the profile and write\n"
    "                 the lighting settings; prints the lighting\n";
const char* const kKeyUsage =
    "  key keyboard|keyboard-rx|mouse|mouse-rx POSITION FUNCTION\n"
    "                 give key or button POSITION a function as the key assignment panel\n"
    "                 does, save the profile and write the macros and the key map. FUNCTION:\n"
    "                 a key name (A, F1, Volume Up, ctrl+C), left|middle|right|forward|back,\n"
    "                 dpi-up|dpi-down|dpi-cycle, wheel-up:N, wheel-down:N,\n"
    "                 fire:INTERVAL:CLICKS, gun:N, macro:NAME[:mode=M|:repeat=N], default,\n"
    "                 or the code as six hex digits. Exit code 5 when the mouse's last left\n"
    "                 button would lose its left click, 2 when the macros do not fit (the\n"
    "                 key then gets its default function back)\n";

namespace {

constexpr int kKeyboardKindCode = 0;
constexpr int kMouseKindCode = 1;

struct PanelKind {
    const char* word;  // "keyboard", "mouse"
    int kind_code;
    uint16_t device_type;
    bool receiver_only;
};

// The kind's profile data, its selected profile loaded as the window loads it.
struct SelectedProfile {
    StoreKind kind;
    std::unique_ptr<ProfileStore> store;
    int index = -1;
    std::unique_ptr<CBasicProfiledata> data;
    [[nodiscard]] std::string Name() const {
        return store->Profiles()[static_cast<size_t>(index)].name;
    }
};

bool LoadSelected(Context& ctx, const std::string& what, const PanelKind& k, SelectedProfile& p,
                  int& status) {
    p.kind = *ParseStoreKind(k.word);
    p.store =
        std::make_unique<ProfileStore>(p.kind.folder, p.kind.default_data_file, p.kind.device_type);
    p.store->Initialise();
    p.index = p.store->GetSelectedIndex();
    if (p.index < 0 || static_cast<size_t>(p.index) >= p.store->Profiles().size()) {
        status = Fail(ctx, what, "the kind has no selected profile", kExitRefused);
        return false;
    }
    if (k.kind_code == kKeyboardKindCode)
        p.data = std::make_unique<CKeyboardProfiledata>();
    else
        p.data = std::make_unique<CMouseProfiledata>();
    p.data->SetDeviceIndex(0);
    p.data->SetKindCode(k.kind_code);
    p.data->SetDefaultPath(p.kind.default_data_file);
    p.data->SetProfilePath(p.store->GetProfilePath(p.index));
    (void)p.data->LoadDeviceSection(p.store->GetProfilePath(p.index));
    return true;
}

std::vector<EffectListEntry> Effects(int kind_code) {
    return BuiltInEffects(kind_code);
}

bool OpenDevice(Context& ctx, DeviceSession& session, const PanelKind& k, int& status) {
    const bool keyboard = k.kind_code == kKeyboardKindCode;
    if (k.receiver_only)
        return session.Open(ctx, {keyboard ? TYPE_KEYBOARD_RX : TYPE_MOUSE_RX},
                            keyboard ? "keyboard receiver" : "mouse receiver", status);
    if (keyboard) return session.Open(ctx, {TYPE_KEYBOARD, TYPE_KEYBOARD_RX}, "keyboard", status);
    return session.Open(ctx, {TYPE_MOUSE, TYPE_MOUSE_RX}, "mouse", status);
}

std::string ColourText(const LightBytes& b) {
    return HexColourText(b[kLightByteRed], b[kLightByteRed + 1], b[kLightByteRed + 2]);
}

std::optional<int> WholeNumber(const std::string& text) {
    if (text.empty() || text.size() > 6 ||
        text.find_first_not_of("0123456789", text[0] == '-' ? 1 : 0) != text.npos || text == "-")
        return std::nullopt;
    return static_cast<int>(ParseDecimal(text));
}

// The lighting settings of the profile's record, as the device object writes them.
DeviceTransfer WriteLighting(CommandChannel& channel, const PanelKind& k, SelectedProfile& p,
                             const std::vector<EffectListEntry>& effects) {
    const LightInfoRecord& light = p.data->CurrentLightInfo();
    if (k.kind_code == kKeyboardKindCode) {
        auto& keyboard = static_cast<CKeyboardProfiledata&>(*p.data);
        const KeyboardSystemSettings system =
            KeyboardSystemSettings::FromWords(keyboard.GetSystemStages());
        return WriteKeyboardSettings(channel, 0, EncodeKeyboardSettings(light, system, effects, 0));
    }
    auto& mouse = static_cast<CMouseProfiledata&>(*p.data);
    const MouseProfileSections sections = ReadMouseProfileSections(mouse);
    const auto [width, height] = MouseScreen(channel);
    return WriteMouseSettingsPage(channel, 0, MouseSettingsPageOf(sections, effects, width, height));
}

// ---- lighting ---------------------------------------------------------------------------

int Lighting(Context& ctx, const std::vector<std::string>& args, const PanelKind& k) {
    const std::string what = std::string("lighting ") + k.word;
    const int light_kind = k.kind_code == kKeyboardKindCode ? kLightKindKeyboard : kLightKindMouse;
    const std::vector<EffectListEntry> effects = Effects(k.kind_code);
    const FileReportsToStream reports(ctx.err);
    SelectedProfile p;
    int status = kExitOk;
    if (!LoadSelected(ctx, what, k, p, status)) return status;
    LightBytes record = p.data->ReadLightInfo().Bytes();

    // The edits in the order given, each as the panel's control makes it.
    for (size_t i = 0; i < args.size(); ++i) {
        const std::string& option = args[i];
        if (i + 1 >= args.size())
            return Fail(ctx, what, "\"" + option + "\" wants a value", kExitUsage);
        const std::string& value = args[++i];
        if (option == "--effect") {
            const int mode = FindLightMode(effects, value);
            if (mode < 0)
                return Fail(ctx, what, "no effect \"" + value + "\" in the " + k.word + "'s list",
                            kExitUsage);
            record = WithMode(record, mode);
            continue;
        }
        if (option == "--colour") {
            const auto rgb = ParseHexColour(value);
            if (!rgb)
                return Fail(ctx, what, "--colour takes RRGGBB, not \"" + value + "\"", kExitUsage);
            record = WithColour(record, (*rgb)[0], (*rgb)[1], (*rgb)[2]);
            continue;
        }
        const std::optional<int> n = WholeNumber(value);
        if (!n)
            return Fail(ctx, what, option + " takes a number, not \"" + value + "\"", kExitUsage);
        if (option == "--brightness") {
            record = WithBrightness(record, *n, light_kind);
        } else if (option == "--speed") {
            record = WithSpeed(record, *n, light_kind);
        } else if (option == "--direction" && (*n == 0 || *n == 1)) {
            record = WithDirection(record, *n == 1);
        } else if (option == "--multicolour" && (*n == 0 || *n == 1)) {
            record = WithMulticolour(record, *n == 1);
        } else {
            return Fail(ctx, what, "unknown option or value \"" + option + " " + value + "\"",
                        kExitUsage);
        }
    }

    // As the panel's actions: the record into the profile, saved, then written.
    p.data->WriteLightInfo(LightInfoRecord::FromBytes(record));
    if (!p.data->Save()) return Fail(ctx, what, "the profile could not be saved", kExitFileError);

    DeviceSession session;
    if (!OpenDevice(ctx, session, k, status)) {
        ctx.err << "dozadirctl: " << what << ": the profile " << p.Name()
                << " keeps the lighting; it was not written\n";
        return status;
    }
    const DeviceTransfer written = WriteLighting(session.Channel(), k, p, effects);

    const size_t mode = record[kLightByteMode];
    Json::Value v(Json::objectValue);
    v["profile"] = p.Name();
    v["effect"] = static_cast<int>(mode);
    v["effectName"] = mode < effects.size() ? effects[mode].name : std::string();
    v["brightness"] = record[kLightByteBrightness];
    v["speed"] = record[kLightByteSpeed];
    v["direction"] = record[kLightByteDirection];
    v["multicolour"] = record[kLightByteMulticolour];
    v["colour"] = ColourText(record);
    v["record"] = ByteArray(record);
    v["write"] = TransferJson(written);
    if (ctx.json) {
        PrintJson(ctx.out, v);
    } else {
        ctx.out << "profile " << p.Name() << ": effect " << mode << " "
                << v["effectName"].asString() << ", brightness "
                << int(record[kLightByteBrightness]) << ", speed " << int(record[kLightByteSpeed])
                << ", direction " << int(record[kLightByteDirection]) << ", multicolour "
                << int(record[kLightByteMulticolour]) << ", colour " << ColourText(record) << "\n"
                << "lighting settings: " << TransferText(written) << "\n";
    }
    return written.Ok() ? kExitOk : kExitDeviceError;
}

// ---- key --------------------------------------------------------------------------------

std::string CodeText(KeyFunctionCode c) {
    char text[8];
    std::snprintf(text, sizeof text, "%02X%02X%02X", c.type, c.first, c.second);
    return text;
}

// What went to the device: the macros, then the key map.
struct KeyWrite {
    MacroWriteOutcome macros;
    DeviceTransfer key_map;
    size_t key_map_bytes = 0;
};

// The key table for `keys` as the device object builds it, the macros first; a shortage
// hands the key at `entry` its default back before the table is built again.
KeyWrite WriteKeys(CommandChannel& channel, const PanelKind& k, SelectedProfile& p,
                   const std::vector<KeyAssignmentEntry>& before,
                   std::vector<KeyAssignmentEntry>& keys, size_t entry) {
    KeyWrite out;
    const std::filesystem::path& folder = p.kind.folder;
    if (k.kind_code == kKeyboardKindCode) {
        auto& keyboard = static_cast<CKeyboardProfiledata&>(*p.data);
        // The keyboard's table holds what the profile gave its keys before this change.
        KeyboardTablesRead tables = ReadKeyboardTables(channel);
        RemapKeyboard(tables.tables, before, folder);
        const KeyboardSystemSettings system =
            KeyboardSystemSettings::FromWords(keyboard.GetSystemStages());
        const std::vector<EffectListEntry> effects = Effects(k.kind_code);
        auto build = [&] {
            return BuildKeyboardProfileWrite(keys, keyboard.CurrentLightInfo(), system,
                                             tables.tables, folder, effects);
        };
        KeyboardProfileWrite write = build();
        out.macros = WriteMacroUpload(channel, write.macros, ChannelOpenRule);
        if (out.macros.answer > 0) {
            keys[entry].current = keys[entry].default_code;
            write = build();
        }
        out.key_map = WriteKeyTable(channel, 0, write.key_table, ChannelOpenRule);
        out.key_map_bytes = write.key_table.size();
        return out;
    }
    auto& mouse = static_cast<CMouseProfiledata&>(*p.data);
    MouseProfileSections sections = ReadMouseProfileSections(mouse);
    const MouseTables tables = ReadMouseTables(channel);
    const std::vector<EffectListEntry> effects = Effects(k.kind_code);
    auto build = [&] {
        sections.keys = keys;
        return BuildMouseProfileWrite(sections, tables, folder, effects, 0, 0);
    };
    MouseProfileWrite write = build();
    out.macros = WriteMacroUpload(channel, write.macros, kMouseReachable);
    if (out.macros.answer > 0) {
        keys[entry].current = keys[entry].default_code;
        write = build();
    }
    out.key_map = WriteKeyTable(channel, 0, write.button_map, kMouseReachable);
    out.key_map_bytes = write.button_map.size();
    return out;
}

int Key(Context& ctx, const std::vector<std::string>& args, const PanelKind& k) {
    const std::string what = std::string("key ") + k.word;
    if (args.size() != 2) return Fail(ctx, what, "wants POSITION and FUNCTION", kExitUsage);
    const std::optional<int> position = WholeNumber(args[0]);
    if (!position || *position < 0)
        return Fail(ctx, what, "POSITION is a key or button number, not \"" + args[0] + "\"",
                    kExitUsage);
    const FileReportsToStream reports(ctx.err);
    SelectedProfile p;
    int status = kExitOk;
    if (!LoadSelected(ctx, what, k, p, status)) return status;
    const std::vector<KeyAssignmentEntry> before = p.data->GetKeyList();
    std::vector<KeyAssignmentEntry> keys = before;
    size_t entry = keys.size();
    for (size_t i = 0; i < keys.size(); ++i)
        if (keys[i].index == *position) entry = i;
    if (entry == keys.size())
        return Fail(ctx, what, "the profile " + p.Name() + " has no key " + args[0], kExitRefused);

    MacroStore macros(p.kind.folder, MacroStore::ListFileNameForKind(p.kind.kind_name), false);
    macros.Load();
    std::vector<std::string> macro_names;
    for (const MacroEntry& m : macros.Macros()) macro_names.push_back(m.name);
    const KeyFunctionWord parsed = ParseKeyFunction(args[1], k.device_type, macro_names,
                                                    keys[entry].current, keys[entry].default_code);
    if (!parsed.code) return Fail(ctx, what, parsed.error, kExitUsage);

    if (k.kind_code == kMouseKindCode) {
        // The panel does not open on the mouse's last left button unless it stays one.
        std::vector<KeyFunctionCode> codes;
        for (const KeyAssignmentEntry& e : keys) {
            if (e.index >= codes.size()) codes.resize(e.index + 1u);
            codes[e.index] = e.current;
        }
        const bool stays_left = parsed.code->type == kKeyTypeMouseButton &&
                                (parsed.code->first & kMouseButtonLeft) != 0;
        if (!stays_left && IsLastLeftButton(codes, *position))
            return Fail(ctx, what, "at least one button must keep the left-click function",
                        kExitRefused);
    }

    keys[entry].current = *parsed.code;
    p.data->SetKeyList(keys);
    if (!p.data->Save()) return Fail(ctx, what, "the profile could not be saved", kExitFileError);

    DeviceSession session;
    if (!OpenDevice(ctx, session, k, status)) {
        ctx.err << "dozadirctl: " << what << ": the profile " << p.Name()
                << " keeps the function; it was not written\n";
        return status;
    }
    const KeyWrite written = WriteKeys(session.Channel(), k, p, before, keys, entry);
    const bool short_of_memory = written.macros.answer > 0;
    if (short_of_memory) {
        p.data->SetKeyList(keys);
        if (!p.data->Save())
            return Fail(ctx, what, "the profile could not be saved", kExitFileError);
    }

    const KeyFunctionCode code = keys[entry].current;
    Json::Value v(Json::objectValue);
    v["profile"] = p.Name();
    v["position"] = *position;
    v["code"] = CodeText(code);
    v["defaultCode"] = CodeText(keys[entry].default_code);
    v["macroAnswer"] = written.macros.answer;
    v["macros"] = TransferJson(written.macros.transfer);
    Json::Value key_map = TransferJson(written.key_map);
    key_map["bytes"] = static_cast<Json::UInt64>(written.key_map_bytes);
    v["keyMap"] = key_map;
    if (ctx.json) {
        PrintJson(ctx.out, v);
    } else {
        ctx.out << "profile " << p.Name() << ": key " << *position << " = " << CodeText(code)
                << "\n"
                << "macros: " << TransferText(written.macros.transfer) << "\n"
                << "key map: " << written.key_map_bytes
                << " bytes: " << TransferText(written.key_map) << "\n";
    }
    if (short_of_memory) {
        ctx.err << "dozadirctl: " << what
                << ": the macros do not fit the device's memory: " << written.macros.answer
                << " events too many; the key has its default function again\n";
        return kExitDeviceError;
    }
    if (written.macros.answer < 0) {
        ctx.err << "dozadirctl: " << what << ": the macros could not be written to the device\n";
        return kExitDeviceError;
    }
    return written.key_map.Ok() ? kExitOk : kExitDeviceError;
}

constexpr PanelKind kKeyboard{"keyboard", kKeyboardKindCode, TYPE_KEYBOARD, false};
constexpr PanelKind kKeyboardRx{"keyboard", kKeyboardKindCode, TYPE_KEYBOARD_RX, true};
constexpr PanelKind kMouse{"mouse", kMouseKindCode, TYPE_MOUSE, false};
constexpr PanelKind kMouseRx{"mouse", kMouseKindCode, TYPE_MOUSE_RX, true};

}  // namespace

bool ReadPanelKindLighting(Context& ctx, int kind_code, LightBytes& record, std::string& profile,
                           int& status) {
    const PanelKind& k = kind_code == kKeyboardKindCode ? kKeyboard : kMouse;
    SelectedProfile p;
    if (!LoadSelected(ctx, std::string("same-mode ") + k.word, k, p, status)) return false;
    record = p.data->ReadLightInfo().Bytes();
    profile = p.Name();
    return true;
}

KindLightingWrite WritePanelKindLighting(Context& ctx, int kind_code, const RecordOf& record_of) {
    const PanelKind& k = kind_code == kKeyboardKindCode ? kKeyboard : kMouse;
    KindLightingWrite out;
    DeviceSession session;
    if (!OpenDevice(ctx, session, k, out.status)) return out;
    out.connected = true;
    SelectedProfile p;
    if (!LoadSelected(ctx, std::string("same-mode ") + k.word, k, p, out.status)) return out;
    out.profile = p.Name();
    out.record = record_of(p.data->ReadLightInfo().Bytes());
    // As the window: the record shown and written, then the profile saved.
    p.data->WriteLightInfo(LightInfoRecord::FromBytes(out.record));
    out.written = WriteLighting(session.Channel(), k, p, Effects(k.kind_code));
    out.saved = p.data->Save();
    out.status = !out.saved ? kExitFileError : out.written.Ok() ? kExitOk : kExitDeviceError;
    return out;
}

int KeyboardLightingCommand(Context& ctx, const std::vector<std::string>& args, bool receiver) {
    return Lighting(ctx, args, receiver ? kKeyboardRx : kKeyboard);
}
int MouseLightingCommand(Context& ctx, const std::vector<std::string>& args, bool receiver) {
    return Lighting(ctx, args, receiver ? kMouseRx : kMouse);
}
int KeyboardKeyCommand(Context& ctx, const std::vector<std::string>& args, bool receiver) {
    return Key(ctx, args, receiver ? kKeyboardRx : kKeyboard);
}
int MouseKeyCommand(Context& ctx, const std::vector<std::string>& args, bool receiver) {
    return Key(ctx, args, receiver ? kMouseRx : kMouse);
}

}  // namespace dz::ctl
