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

bool HeadsetSound::ApplyPreset(HeadsetAudio& audio, CDo6533Profiledata& profile, int preset) {
    if (preset == kCustomEqType) {
        values_[kEqType] = kCustomEqType;
        StoreValues(profile);
        return true;
    }
    if (preset < 1 || preset > kEqPresetCount) return false;
    gains_ = EqPresets()[static_cast<size_t>(preset - 1)];
    audio.ApplyGains(gains_);
    values_[kEqType] = preset;
    StoreValues(profile);
    profile.SetEqBands(preset, Row(gains_));
    return true;
}

bool HeadsetSound::ApplyCustom(HeadsetAudio& audio, CDo6533Profiledata& profile, int k) {
    if (k < 0 || k >= static_cast<int>(names_.size())) return false;
    gains_ = StoredGains(profile, true, k);
    audio.ApplyGains(gains_);
    values_[kCustomEqSelect] = k;
    StoreValues(profile);
    return true;
}

bool HeadsetSound::SetBand(HeadsetAudio& audio, int band, int gain) {
    if (band < 0 || band >= kEqBands) return false;
    const bool switched = values_[kEqType] != kCustomEqType;
    if (switched) values_[kEqType] = kCustomEqType;
    gains_[static_cast<size_t>(band)] = gain;
    (void)audio.SetBand(band, gain);
    return switched;
}

bool HeadsetSound::SetLevel(HeadsetAudio& audio, CDo6533Profiledata& profile, bool monitor,
                            int level) {
    if (level < 0 || level > 100) return false;
    const int param = monitor ? kMonitorParam : kMicParam;
    if (audio.WriteFloat(false, monitor ? L"AAVolumeScalarControl" : L"VolumeScalarControl",
                         static_cast<float>(level) / 100.0f, &param) != 0)
        return false;
    (void)audio.Read(false, monitor ? L"AAVolumeControl" : L"VolumeControl", &param);
    values_[monitor ? kMonitorValue : kMicInValue] = level;
    StoreValues(profile);
    return true;
}

bool HeadsetSound::SetSwitch(HeadsetAudio& audio, CDo6533Profiledata& profile, bool monitor,
                             bool on) {
    if (audio.WriteInt(false, monitor ? L"AAMuteControl" : L"MuteControl", on ? 0 : 1) != 0)
        return false;
    values_[monitor ? kMonitorSelect : kMicInSelect] = on ? 1 : 0;
    StoreValues(profile);
    return true;
}

void HeadsetSound::SetVoiceEnabled(HeadsetAudio& audio, CDo6533Profiledata& profile, bool on) {
    (void)audio.WriteInt(false, L"Enable_MAGICVOICE", on ? 1 : 0);
    if (on) (void)audio.WriteInt(false, L"Enable_MICECHO", 0);
    values_[kMagicEnable] = on ? 1 : 0;
    StoreValues(profile);
}

bool HeadsetSound::SelectVoice(HeadsetAudio& audio, CDo6533Profiledata& profile, int n) {
    if (n < 1 || n > 4) return false;
    (void)audio.WriteInt(false, L"MagicVoice_Selection", n - 1);
    values_[kMagicType] = n;
    StoreValues(profile);
    return true;
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
    if (k < 0 || k >= static_cast<int>(names_.size())) return false;
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
    audio.ApplyGains(gains_);
    return true;
}

}  // namespace dz
