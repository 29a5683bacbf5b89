// dozadirctl headset eq / mic / monitor / voice.

#include "headset_commands.h"

#include <json/value.h>

#include <optional>

#include "cli.h"
#include "models/headset_sound.h"
#include "platform/audio/conf_lib.h"
#include "profile/profile_store.h"
#include "store_kinds.h"

namespace dz::ctl {

const char* const kHeadsetSoundUsage =
    "  headset eq PRESET|custom NAME|band N GAIN\n"
    "                 equaliser preset 1 to 12, a saved custom equaliser by name, or band 0 to\n"
    "                 9 set to GAIN dB (-48 to 24), as the sound panel applies them\n"
    "  headset mic on|off|LEVEL      the microphone's switch or level (0 to 100)\n"
    "  headset monitor on|off|LEVEL  monitoring (hearing the microphone) likewise\n"
    "  headset voice off|1..4        the voice changer off, or on with voice N\n";

namespace {

constexpr int kHeadsetKindCode = 3;

std::optional<int> Number(const std::string& text, int lo, int hi) {
    if (text.empty() || text.size() > 4) return std::nullopt;
    size_t used = 0;
    int v = 0;
    try {
        v = std::stoi(text, &used);
    } catch (...) {
        return std::nullopt;
    }
    if (used != text.size() || v < lo || v > hi) return std::nullopt;
    return v;
}

// The selected headset profile, the sound over the sound server, and what the command did.
struct Session {
    std::unique_ptr<ProfileStore> store;
    int index = -1;
    CDo6533Profiledata profile;
    SoundServerLibrary library;
    std::unique_ptr<HeadsetAudio> audio;
    HeadsetSound sound;
};

bool Open(Context& ctx, const std::string& what, Session& s, int& status) {
    const std::optional<StoreKind> kind = ParseStoreKind("headset");
    s.store = std::make_unique<ProfileStore>(kind->folder, kind->default_data_file, kind->device_type);
    s.store->Initialise();
    s.index = s.store->GetSelectedIndex();
    if (s.index < 0) {
        status = Fail(ctx, what, "no headset profile", kExitRefused);
        return false;
    }
    s.profile.SetDeviceIndex(0);
    s.profile.SetKindCode(kHeadsetKindCode);
    s.profile.SetDefaultPath(kind->default_data_file);
    s.profile.SetProfilePath(s.store->GetProfilePath(s.index));
    (void)s.profile.LoadDeviceSection(s.store->GetProfilePath(s.index));
    s.sound.Load(s.profile);
    s.audio = std::make_unique<HeadsetAudio>(s.library);
    for (const std::string& m : s.audio->InitAudio(s.sound.Values())) ctx.err << "dozadirctl: " << m << "\n";
    std::string missing = s.library.Missing();
    if (missing.empty() && !s.audio->HasOutput()) missing = audio::kMissingHeadset;
    if (!missing.empty()) ctx.err << "dozadirctl: " << audio::MissingText(missing) << "\n";
    return true;
}

int Finish(Context& ctx, const std::string& what, Session& s, bool applied) {
    if (!s.profile.Save()) return Fail(ctx, what, "the profile could not be saved", kExitFileError);
    const HeadsetSystemValues& v = s.sound.Values();
    Json::Value out(Json::objectValue);
    out["profile"] = s.store->Profiles()[static_cast<size_t>(s.index)].name;
    out["applied"] = applied;
    static const char* const kKeys[] = {"MagicEnable", "MagicType", "EqType", "CustomEqSeletIndex",
                                        "MicInSelect", "MicInValue", "MicMoniterSelect",
                                        "MicMoniterValue"};
    for (size_t i = 0; i < v.size(); ++i) out[kKeys[i]] = v[i];
    Json::Value gains(Json::arrayValue);
    for (int g : s.sound.Gains()) gains.append(g);
    out["gains"] = gains;
    if (ctx.json) {
        PrintJson(ctx.out, out);
    } else {
        ctx.out << "profile " << out["profile"].asString() << (applied ? "" : " (stored, not applied)")
                << "\n  equaliser " << v[kEqType] << ", bands";
        for (int g : s.sound.Gains()) ctx.out << " " << g;
        ctx.out << "\n  microphone " << (v[kMicInSelect] ? "on" : "off") << " " << v[kMicInValue]
                << ", monitoring " << (v[kMonitorSelect] ? "on" : "off") << " " << v[kMonitorValue]
                << ", voice changer " << (v[kMagicEnable] ? "on" : "off") << " voice "
                << v[kMagicType] << "\n";
    }
    return applied ? kExitOk : kExitDeviceError;
}

}  // namespace

int HeadsetEqCommand(Context& ctx, const std::vector<std::string>& args) {
    const std::string what = "headset eq";
    std::optional<int> preset, band, gain;
    std::string custom;
    if (args.size() == 1) {
        preset = Number(args[0], 1, 12);
    } else if (args.size() == 2 && args[0] == "custom") {
        custom = args[1];
    } else if (args.size() == 3 && args[0] == "band") {
        band = Number(args[1], 0, 9);
        gain = Number(args[2], -48, 24);
    }
    if (!preset && custom.empty() && !(band && gain))
        return Fail(ctx, what, "takes PRESET (1 to 12), custom NAME or band N (0 to 9) GAIN (-48 to 24)",
                    kExitUsage);
    Session s;
    int status = kExitOk;
    if (!Open(ctx, what, s, status)) return status;
    bool applied = s.audio->HasOutput();
    if (preset) {
        (void)s.sound.ApplyPreset(*s.audio, s.profile, *preset);
    } else if (!custom.empty()) {
        const int k = s.sound.FindCustom(custom);
        if (k < 0) return Fail(ctx, what, "no custom equaliser \"" + custom + "\"", kExitRefused);
        (void)s.sound.ApplyPreset(*s.audio, s.profile, kCustomEqType);
        (void)s.sound.ApplyCustom(*s.audio, s.profile, k);
    } else {
        (void)s.sound.SetBand(*s.audio, *band, *gain);
        // From the command line the band is kept: the equaliser is then the custom one.
        s.profile.SetSystemSetStages(s.sound.Values());
        applied = applied && s.audio->Read(true, (L"EQ_Slider" + std::to_wstring(*band + 1)).c_str()) ==
                                 std::to_string(*gain);
    }
    return Finish(ctx, what, s, applied);
}

namespace {
int Level(Context& ctx, const std::vector<std::string>& args, bool monitor) {
    const std::string what = monitor ? "headset monitor" : "headset mic";
    if (args.size() != 1) return Fail(ctx, what, "takes on, off or a level 0 to 100", kExitUsage);
    const std::optional<int> level = Number(args[0], 0, 100);
    if (!level && args[0] != "on" && args[0] != "off")
        return Fail(ctx, what, "takes on, off or a level 0 to 100, not \"" + args[0] + "\"", kExitUsage);
    Session s;
    int status = kExitOk;
    if (!Open(ctx, what, s, status)) return status;
    const bool applied = level ? s.sound.SetLevel(*s.audio, s.profile, monitor, *level)
                               : s.sound.SetSwitch(*s.audio, s.profile, monitor, args[0] == "on");
    return Finish(ctx, what, s, applied);
}
}  // namespace

int HeadsetMicCommand(Context& ctx, const std::vector<std::string>& args) {
    return Level(ctx, args, false);
}
int HeadsetMonitorCommand(Context& ctx, const std::vector<std::string>& args) {
    return Level(ctx, args, true);
}

int HeadsetVoiceCommand(Context& ctx, const std::vector<std::string>& args) {
    const std::string what = "headset voice";
    const std::optional<int> n = args.size() == 1 ? Number(args[0], 1, 4) : std::nullopt;
    if (args.size() != 1 || (!n && args[0] != "off"))
        return Fail(ctx, what, "takes off or a voice 1 to 4", kExitUsage);
    Session s;
    int status = kExitOk;
    if (!Open(ctx, what, s, status)) return status;
    // The voice first: switched on, the voice changer starts with it (one load, not two).
    if (n) (void)s.sound.SelectVoice(*s.audio, s.profile, *n);
    s.sound.SetVoiceEnabled(*s.audio, s.profile, n.has_value());
    return Finish(ctx, what, s, s.audio->HasOutput());
}

}  // namespace dz::ctl
