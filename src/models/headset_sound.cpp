#include "models/headset_sound.h"

#include <algorithm>
#include <cctype>

namespace dz {
namespace {

constexpr int kMicParam = -1;
constexpr int kMonitorParam = 0;

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

std::vector<int> Row(const EqGains& g) {
    return {g.begin(), g.end()};
}

}  // namespace

EqGains HeadsetSound::StoredGains(CDo6533Profiledata& profile, bool custom, int index) {
    const std::vector<int> stored = custom ? profile.GetCustomEqBands(index) : profile.GetEqBands(index);
    EqGains g{};
    for (size_t i = 0; i < g.size() && i < stored.size(); ++i) g[i] = stored[i];
    return g;
}

void HeadsetSound::Load(CDo6533Profiledata& profile) {
    values_ = profile.GetSystemSetStages();
    names_ = profile.GetCustomEqNames();
    if (names_.size() > static_cast<size_t>(kMaxCustomEqs)) names_.resize(kMaxCustomEqs);
    if (values_[kCustomEqSelect] < 0 || values_[kCustomEqSelect] >= static_cast<int>(names_.size()))
        values_[kCustomEqSelect] = 0;
    gains_ = values_[kEqType] == kCustomEqType ? StoredGains(profile, true, values_[kCustomEqSelect])
                                               : StoredGains(profile, false, values_[kEqType]);
}

SoundWork HeadsetSound::PresetWork(CDo6533Profiledata& profile, int preset) {
    if (preset == kCustomEqType) {
        values_[kEqType] = kCustomEqType;
        StoreValues(profile);
        return [](HeadsetAudio&) { return 0; };
    }
    if (preset < 1 || preset > kEqPresetCount) return {};
    gains_ = EqPresets()[static_cast<size_t>(preset - 1)];
    values_[kEqType] = preset;
    StoreValues(profile);
    profile.SetEqBands(preset, Row(gains_));
    return [gains = gains_](HeadsetAudio& audio) { return audio.ApplyGains(gains); };
}

SoundWork HeadsetSound::CustomWork(CDo6533Profiledata& profile, int k) {
    if (k < 0 || k >= static_cast<int>(names_.size())) return {};
    gains_ = StoredGains(profile, true, k);
    values_[kCustomEqSelect] = k;
    StoreValues(profile);
    return [gains = gains_](HeadsetAudio& audio) { return audio.ApplyGains(gains); };
}

SoundWork HeadsetSound::BandWork(int band, int gain, bool* switched) {
    if (band < 0 || band >= kEqBands) return {};
    const bool to_custom = values_[kEqType] != kCustomEqType;
    if (to_custom) values_[kEqType] = kCustomEqType;
    if (switched != nullptr) *switched = to_custom;
    gains_[static_cast<size_t>(band)] = gain;
    return [band, gain](HeadsetAudio& audio) { return audio.SetBand(band, gain); };
}

SoundWork HeadsetSound::LevelWork(bool monitor, int level) {
    if (level < 0 || level > 100) return {};
    return [monitor, level](HeadsetAudio& audio) {
        const int param = monitor ? kMonitorParam : kMicParam;
        const int r = audio.WriteFloat(false, monitor ? L"AAVolumeScalarControl" : L"VolumeScalarControl",
                                       static_cast<float>(level) / 100.0f, &param);
        if (r == 0) (void)audio.Read(false, monitor ? L"AAVolumeControl" : L"VolumeControl", &param);
        return r;
    };
}

void HeadsetSound::StoreLevel(CDo6533Profiledata& profile, bool monitor, int level) {
    values_[monitor ? kMonitorValue : kMicInValue] = level;
    StoreValues(profile);
}

SoundWork HeadsetSound::SwitchWork(bool monitor, bool on) {
    return [monitor, on](HeadsetAudio& audio) {
        return audio.WriteInt(false, monitor ? L"AAMuteControl" : L"MuteControl", on ? 0 : 1);
    };
}

void HeadsetSound::StoreSwitch(CDo6533Profiledata& profile, bool monitor, bool on) {
    values_[monitor ? kMonitorSelect : kMicInSelect] = on ? 1 : 0;
    StoreValues(profile);
}

SoundWork HeadsetSound::VoiceEnabledWork(CDo6533Profiledata& profile, bool on) {
    values_[kMagicEnable] = on ? 1 : 0;
    StoreValues(profile);
    return [on](HeadsetAudio& audio) {
        const int r = audio.WriteInt(false, L"Enable_MAGICVOICE", on ? 1 : 0);
        if (on) (void)audio.WriteInt(false, L"Enable_MICECHO", 0);
        return r;
    };
}

SoundWork HeadsetSound::VoiceWork(CDo6533Profiledata& profile, int n) {
    if (n < 1 || n > 4) return {};
    values_[kMagicType] = n;
    StoreValues(profile);
    return [n](HeadsetAudio& audio) { return audio.WriteInt(false, L"MagicVoice_Selection", n - 1); };
}

SoundWork HeadsetSound::ReapplyWork() const {
    return [v = values_, gains = gains_](HeadsetAudio& audio) {
        int failed = 0;
        for (const bool monitor : {false, true}) {
            if (LevelWork(monitor, v[monitor ? kMonitorValue : kMicInValue])(audio) != 0) ++failed;
            if (SwitchWork(monitor, v[monitor ? kMonitorSelect : kMicInSelect] != 0)(audio) != 0)
                ++failed;
        }
        if (audio.ApplyGains(gains) != 0) ++failed;
        return failed == 0 ? 0 : -1;
    };
}

bool HeadsetSound::ApplyPreset(HeadsetAudio& audio, CDo6533Profiledata& profile, int preset) {
    const SoundWork work = PresetWork(profile, preset);
    if (work) (void)work(audio);
    return static_cast<bool>(work);
}

bool HeadsetSound::ApplyCustom(HeadsetAudio& audio, CDo6533Profiledata& profile, int k) {
    const SoundWork work = CustomWork(profile, k);
    if (work) (void)work(audio);
    return static_cast<bool>(work);
}

bool HeadsetSound::SetBand(HeadsetAudio& audio, int band, int gain) {
    bool switched = false;
    if (const SoundWork work = BandWork(band, gain, &switched)) (void)work(audio);
    return switched;
}

bool HeadsetSound::SetLevel(HeadsetAudio& audio, CDo6533Profiledata& profile, bool monitor,
                            int level) {
    const SoundWork work = LevelWork(monitor, level);
    if (!work || work(audio) != 0) return false;
    StoreLevel(profile, monitor, level);
    return true;
}

bool HeadsetSound::SetSwitch(HeadsetAudio& audio, CDo6533Profiledata& profile, bool monitor,
                             bool on) {
    if (SwitchWork(monitor, on)(audio) != 0) return false;
    StoreSwitch(profile, monitor, on);
    return true;
}

void HeadsetSound::SetVoiceEnabled(HeadsetAudio& audio, CDo6533Profiledata& profile, bool on) {
    (void)VoiceEnabledWork(profile, on)(audio);
}

bool HeadsetSound::SelectVoice(HeadsetAudio& audio, CDo6533Profiledata& profile, int n) {
    const SoundWork work = VoiceWork(profile, n);
    if (work) (void)work(audio);
    return static_cast<bool>(work);
}

int HeadsetSound::FindCustom(const std::string& name) const {
    for (size_t i = 0; i < names_.size(); ++i)
        if (SameIgnoringCase(names_[i], name)) return static_cast<int>(i);
    return -1;
}

int HeadsetSound::AddCustom(CDo6533Profiledata& profile, const std::string& name,
                            const EqGains& gains) {
    if (name.empty() || names_.size() >= static_cast<size_t>(kMaxCustomEqs)) return -1;
    if (FindCustom(name) >= 0) return 0;
    names_.push_back(name);
    gains_ = gains;
    const int k = static_cast<int>(names_.size()) - 1;
    values_[kCustomEqSelect] = k;
    StoreValues(profile);
    profile.SetCustomEqBands(k, Row(gains_));
    profile.SetCustomEqNames(names_);
    return 1;
}

bool HeadsetSound::OverwriteCustom(CDo6533Profiledata& profile, int k, const EqGains& gains) {
    if (k < 0 || k >= static_cast<int>(names_.size())) return false;
    gains_ = gains;
    values_[kCustomEqSelect] = k;
    StoreValues(profile);
    profile.SetCustomEqBands(k, Row(gains_));
    return true;
}

bool HeadsetSound::DeleteCustom(HeadsetAudio& audio, CDo6533Profiledata& profile, int k) {
    const SoundWork work = DeleteWork(profile, k);
    if (work) (void)work(audio);
    return static_cast<bool>(work);
}

SoundWork HeadsetSound::DeleteWork(CDo6533Profiledata& profile, int k) {
    if (k < 0 || k >= static_cast<int>(names_.size())) return {};
    // The stored gains move up with their names, so that each name keeps its own.
    std::vector<EqGains> kept;
    for (int i = 0; i < static_cast<int>(names_.size()); ++i)
        if (i != k) kept.push_back(StoredGains(profile, true, i));
    names_.erase(names_.begin() + k);
    for (size_t i = 0; i < kept.size(); ++i)
        profile.SetCustomEqBands(static_cast<int>(i), Row(kept[i]));
    if (names_.empty()) {
        values_[kEqType] = 1;
        gains_ = StoredGains(profile, false, 1);
    } else {
        values_[kCustomEqSelect] = 0;
        gains_ = kept.front();
    }
    StoreValues(profile);
    profile.SetCustomEqNames(names_);
    // What is shown is what the headset plays.
    return [gains = gains_](HeadsetAudio& audio) { return audio.ApplyGains(gains); };
}

}  // namespace dz
