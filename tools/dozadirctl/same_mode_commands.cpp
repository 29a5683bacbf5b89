// dozadirctl same-mode: the records are the window's (SameModeRecord), the reads and writes
// those of the lighting and apply commands. The window then drives the effect itself on
// every device at once; a command that ends cannot, so here each device runs the effect in
// its own mode.

#include "same_mode_commands.h"

#include <json/value.h>

#include <array>
#include <optional>
#include <ostream>
#include <sstream>

#include "cli.h"
#include "device/device_table.h"
#include "device_commands.h"
#include "lit_commands.h"
#include "models/same_mode.h"
#include "panel_commands.h"
#include "store_kinds.h"

namespace dz::ctl {

const char* const kSameModeUsage =
    "  same-mode keyboard|mouse|mousepad|headset [--to KINDS]\n"
    "                 as the same-mode button on that kind's page: the selected profile's\n"
    "                 breathing, steady, flashing, colour-cycle or off effect, brightness,\n"
    "                 speed, direction, multicolour and colour go to every connected device\n"
    "                 of KINDS (a comma list of the four words; default all), each in its\n"
    "                 kind's mode, written and saved in its selected profile. Exit code 5\n"
    "                 when the effect has no same-mode counterpart, 3 when none is connected\n";

namespace {

struct SameKind {
    const char* word;
    int kind_index;  // kKind*
    int kind_code;   // 0 keyboard, 1 mouse, 2 mousepad, 3 headset
};

// In the order the window gives them their records.
constexpr std::array<SameKind, 4> kKinds = {{{"keyboard", kKindKeyboard, 0},
                                             {"mouse", kKindMouse, 1},
                                             {"mousepad", kKindMousePad, 2},
                                             {"headset", kKindHeadset, 3}}};

constexpr const char* kTypeNames[kSyncTypeCount] = {"breathing", "steady", "flashing",
                                                    "colour cycle", "off"};

bool ReadKind(Context& ctx, const SameKind& k, LightBytes& record, std::string& profile,
              int& status) {
    return k.kind_code < 2 ? ReadPanelKindLighting(ctx, k.kind_code, record, profile, status)
                           : ReadLitKindLighting(ctx, k.kind_code, record, profile, status);
}

KindLightingWrite WriteKind(Context& ctx, const SameKind& k, const RecordOf& record_of) {
    return k.kind_code < 2 ? WritePanelKindLighting(ctx, k.kind_code, record_of)
                           : WriteLitKindLighting(ctx, k.kind_code, record_of);
}

// "--to keyboard,mouse": which kinds take part; nothing on a word that names none.
std::optional<std::array<bool, 4>> Targets(const std::string& list) {
    std::array<bool, 4> on{};
    std::stringstream words(list);
    for (std::string w; std::getline(words, w, ',');) {
        bool found = false;
        for (size_t i = 0; i < kKinds.size(); ++i) {
            if (w == kKinds[i].word) on[i] = found = true;
        }
        if (!found) return std::nullopt;
    }
    return on;
}

int SameMode(Context& ctx, const SameKind& from, const std::vector<std::string>& args) {
    const std::string what = std::string("same-mode ") + from.word;
    std::array<bool, 4> taking_part{true, true, true, true};
    for (size_t i = 0; i < args.size(); ++i) {
        if (args[i] != "--to" || i + 1 >= args.size())
            return Fail(ctx, what, "takes only --to KINDS", kExitUsage);
        const auto targets = Targets(args[++i]);
        if (!targets)
            return Fail(ctx, what, "--to takes a comma list of keyboard, mouse, mousepad, headset",
                        kExitUsage);
        taking_part = *targets;
    }
    const FileReportsToStream reports(ctx.err);
    LightBytes shared{};
    std::string from_profile;
    int status = kExitOk;
    if (!ReadKind(ctx, from, shared, from_profile, status)) return status;
    const std::optional<SyncType> type = SyncTypeOfMode(from.kind_index, shared[kLightByteMode]);
    if (!type)
        return Fail(ctx, what,
                    "effect " + std::to_string(shared[kLightByteMode]) + " of the profile " +
                        from_profile + " has no same-mode counterpart; nothing changed",
                    kExitRefused);

    Json::Value v(Json::objectValue);
    v["from"] = from.word;
    v["profile"] = from_profile;
    v["type"] = kTypeNames[static_cast<int>(*type)];
    v["devices"] = Json::Value(Json::arrayValue);
    std::ostringstream text;
    text << "same mode: " << kTypeNames[static_cast<int>(*type)] << " from the " << from.word
         << " profile " << from_profile << "\n";
    int connected = 0;
    bool all_done = true;
    for (size_t i = 0; i < kKinds.size(); ++i) {
        if (!taking_part[i]) continue;
        const SameKind& k = kKinds[i];
        // A kind without a device is not an error: the window skips closed devices too.
        std::ostringstream open_err;
        Context quiet{ctx.out, open_err, ctx.json};
        const KindLightingWrite w = WriteKind(quiet, k, [&](const LightBytes& own) {
            return SameModeRecord(shared, own, k.kind_index, *type);
        });
        Json::Value d(Json::objectValue);
        d["kind"] = k.word;
        d["connected"] = w.connected;
        if (!w.connected) {
            text << k.word << ": not connected\n";
            v["devices"].append(d);
            continue;
        }
        ctx.err << open_err.str();
        ++connected;
        all_done = all_done && w.status == kExitOk;
        d["profile"] = w.profile;
        d["effect"] = w.record[kLightByteMode];
        d["record"] = ByteArray(w.record);
        d["write"] = TransferJson(w.written);
        d["saved"] = w.saved;
        v["devices"].append(d);
        text << k.word << ": effect " << int(w.record[kLightByteMode]) << ", profile " << w.profile
             << (w.saved ? "" : " (not saved)") << ", written: " << TransferText(w.written) << "\n";
    }
    if (ctx.json)
        PrintJson(ctx.out, v);
    else
        ctx.out << text.str();
    if (connected == 0) {
        ctx.err << "dozadirctl: " << what << ": no device of the kinds taking part is connected"
                << " (try --simulate)\n";
        return kExitNoDevice;
    }
    return all_done ? kExitOk : kExitDeviceError;
}

}  // namespace

int SameModeKeyboardCommand(Context& ctx, const std::vector<std::string>& args) {
    return SameMode(ctx, kKinds[0], args);
}
int SameModeMouseCommand(Context& ctx, const std::vector<std::string>& args) {
    return SameMode(ctx, kKinds[1], args);
}
int SameModeMousepadCommand(Context& ctx, const std::vector<std::string>& args) {
    return SameMode(ctx, kKinds[2], args);
}
int SameModeHeadsetCommand(Context& ctx, const std::vector<std::string>& args) {
    return SameMode(ctx, kKinds[3], args);
}

}  // namespace dz::ctl
