#include "models/headset_audio.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/audio/conf_lib.h"

namespace dz {
namespace {

constexpr uint32_t kMagicFeatureBit = 0x20000;
constexpr int kFeatureFields = 7;

// A whole decimal integer, or nothing.
std::optional<long> Decimal(const std::string& text) {
    if (text.empty()) return std::nullopt;
    char* end = nullptr;
    const long v = std::strtol(text.c_str(), &end, 10);
    if (end == text.c_str() || *end != 0) return std::nullopt;
    return v;
}

// A level read as a fraction, on 0..100. Rounded, not truncated: a level written as 29 is
// 0.29 in the server's own resolution, which truncation would read back as 28.
int LevelOf(const std::string& fraction) {
    return static_cast<int>(std::clamp(std::lround(std::atof(fraction.c_str()) * 100), 0L, 100L));
}

}  // namespace

const std::array<EqGains, kEqPresetCount>& EqPresets() {
    static const std::array<EqGains, kEqPresetCount> presets{{
        {7, 11, 2, -3, -1, 4, 9, 12, 9, 5},
        {7, 11, 6, -3, -11, -1, 6, 13, 6, 13},
        {10, 4, 0, -3, -4, -3, -2, -1, 0, 0},
        {2, 1, -2, -3, -5, -7, 0, 4, 9, 8},
        {0, 0, 0, 0, 0, 0, 0, 0, 0, 0},
        {7, 14, -13, -6, -1, 8, 13, 7, 2, 6},
        {14, 10, 4, 0, -4, -3, -1, 1, 2, 3},
        {2, 1, -2, -3, -5, -1, 7, 11, 15, 13},
        {8, 2, -4, -8, 1, 3, 8, 11, 14, 16},
        {-3, 4, 10, 0, -11, 3, 9, 13, 6, 0},
        {18, 14, 8, 2, -3, -6, -1, 2, 5, 6},
        {2, 1, -2, -4, -8, 4, 12, 16, 18, 15},
    }};
    return presets;
}

int HeadsetAudio::WriteInt(bool output, const wchar_t* name, int value, const int* param,
                           size_t param_bytes) {
    write_value_.fill(0);
    std::memcpy(write_value_.data(), &value, sizeof value);
    void* v = write_value_.data();
    void* p = write_param_.data();
    if (param != nullptr) {
        write_param_.fill(0);
        std::memcpy(write_param_.data(), param, param_bytes);
    }
    return library_.PropertyControl(output ? output_ : input_, name, &v,
                                    param != nullptr ? &p : nullptr, 1);
}

int HeadsetAudio::WriteFloat(bool output, const wchar_t* name, float value, const int* param) {
    write_value_.fill(0);
    std::memcpy(write_value_.data(), &value, sizeof value);
    void* v = write_value_.data();
    void* p = write_param_.data();
    if (param != nullptr) {
        write_param_.fill(0);
        std::memcpy(write_param_.data(), param, sizeof *param);
    }
    return library_.PropertyControl(output ? output_ : input_, name, &v,
                                    param != nullptr ? &p : nullptr, 1);
}

std::optional<std::string> HeadsetAudio::Read(bool output, const wchar_t* name, const int* param,
                                              size_t param_bytes) {
    read_value_.fill(0);
    void* v = read_value_.data();
    void* p = read_param_.data();
    if (param != nullptr) {
        read_param_.fill(0);
        std::memcpy(read_param_.data(), param, param_bytes);
    }
    if (library_.PropertyControl(output ? output_ : input_, name, &v,
                                 param != nullptr ? &p : nullptr, 0) != 0)
        return std::nullopt;
    read_value_.back() = 0;  // the answer is text; never read beyond the buffer
    return std::string(reinterpret_cast<const char*>(read_value_.data()));
}

bool HeadsetAudio::ReadFeatures(bool output, std::array<int, 3>& words) {
    const std::optional<std::string> answer = Read(output, L"GetSupportFeature");
    std::vector<std::string> fields;
    if (answer) {
        size_t from = 0;
        for (;;) {
            const size_t comma = answer->find(',', from);
            fields.push_back(answer->substr(from, comma - from));
            if (comma == std::string::npos) break;
            from = comma + 1;
        }
    }
    if (fields.size() < kFeatureFields) return false;
    // A field that is not a number counts as 0 rather than as something it is not.
    for (const auto& [word, field] : {std::pair{0, 0}, std::pair{1, 4}, std::pair{2, 6}})
        words[static_cast<size_t>(word)] =
            static_cast<int>(Decimal(fields[static_cast<size_t>(field)]).value_or(0));
    return true;
}

std::vector<std::string> HeadsetAudio::InitAudio(HeadsetSystemValues& values) {
    std::vector<std::string> messages;
    if (library_.ConfLibInit() != 0) messages.emplace_back("ConfLibInit called failed!");
    (void)library_.CreateDeviceList();
    uint32_t count = 0;
    if (library_.GetDeviceCount(0, &count) != 0 || count == 0) {
        has_output_ = false;
        return messages;
    }
    // Output: type 1, then 12, 7 and 4, each present (state 1), in index order.
    bool found = false;
    for (const uint32_t type : {1u, 12u, 7u, 4u}) {
        for (uint32_t i = 0; i < count && !found; ++i) {
            AudioDescriptor d;
            if (library_.GetDeviceById(0, static_cast<int>(i), &d) != 0) continue;
            if (d.words[1] == type && d.words[3] == 1) {
                output_ = d;
                found = true;
            }
        }
        if (found) break;
    }
    has_output_ = true;
    uint32_t inputs = 0;
    if (library_.GetDeviceCount(1, &inputs) == 0)
        for (uint32_t i = 0; i < inputs; ++i) {
            AudioDescriptor d;
            if (library_.GetDeviceById(1, static_cast<int>(i), &d) == 0 && d.words[1] == 2) {
                input_ = d;
                break;
            }
        }
    const bool input_ok = ReadFeatures(false, input_features_);
    const bool output_ok = ReadFeatures(true, output_features_);
    if (!input_ok) messages.emplace_back("UpdateAPOAvailable failed!");
    if (!output_ok) messages.emplace_back("UpdateAPOAvailable failed!");
    EnsureAudioDefaults();
    ReadAudioState(values);
    return messages;
}

void HeadsetAudio::EnsureAudioDefaults() {
    if (!has_output_) return;
    auto ensure = [this](bool output, const wchar_t* name, const int* param = nullptr,
                         size_t bytes = 4) {
        if (!Read(output, name, param, bytes)) (void)WriteInt(output, name, 0, param, bytes);
    };
    const int surround[3] = {4, -1, 0};
    const int minus_one = -1, zero = 0;
    ensure(true, L"VirtualSurroundEffectControl", surround, sizeof surround);
    ensure(false, L"Enable_ENC_LFX");
    ensure(false, L"VolumeControl", &minus_one);
    ensure(true, L"Enable_EQ_GFX");
    for (int b = 1; b <= kEqBands; ++b)
        ensure(true, (L"EQ_Slider" + std::to_wstring(b)).c_str());
    ensure(true, L"Enable_RFX_GFX");
    ensure(true, L"RFX_ENVIRONMENT");
    ensure(true, L"RFX_ROOMSIZE");
    ensure(false, L"MuteControl");
    ensure(false, L"VolumeScalarControl", &minus_one);
    ensure(false, L"AAVolumeControl", &zero);
    ensure(false, L"AAMuteControl");
    ensure(false, L"AAVolumeScalarControl", &zero);
    ensure(false, L"Enable_MAGICVOICE");
    ensure(false, L"MagicVoice_Selection");
}

void HeadsetAudio::ReadAudioState(HeadsetSystemValues& values) {
    if (!has_output_) return;
    const int minus_one = -1, zero = 0;
    (void)Read(false, L"GetMaxVol");
    (void)Read(false, L"GetMinVol");
    (void)Read(false, L"GetVolStep");
    (void)Read(false, L"VolumeControl", &minus_one);
    if (const auto mute = Read(false, L"MuteControl"))
        values[kMicInSelect] = Decimal(*mute).value_or(1) == 0 ? 1 : 0;
    if (const auto level = Read(false, L"VolumeScalarControl", &minus_one))
        values[kMicInValue] = LevelOf(*level);
    if (Read(false, L"GetAAMaxVol")) {
        (void)Read(false, L"GetAAMinVol");
        (void)Read(false, L"GetAAVolStep");
        (void)Read(false, L"AAVolumeControl", &zero);
        if (const auto mute = Read(false, L"AAMuteControl"))
            values[kMonitorSelect] = Decimal(*mute).value_or(1) == 0 ? 1 : 0;
        if (const auto level = Read(false, L"AAVolumeScalarControl", &zero))
            values[kMonitorValue] = LevelOf(*level);
        for (int b = 1; b <= kEqBands; ++b)
            (void)Read(true, (L"EQ_Slider" + std::to_wstring(b)).c_str());
    }
    if ((static_cast<uint32_t>(input_features_[0]) & kMagicFeatureBit) != 0)
        if (const auto on = Read(false, L"Enable_MAGICVOICE"))
            if (const auto v = Decimal(*on)) values[kMagicEnable] = static_cast<int>(*v);
    if (const auto selection = Read(false, L"MagicVoice_Selection"))
        if (const auto v = Decimal(*selection); v && *v >= 0 && *v <= 3)
            values[kMagicType] = static_cast<int>(*v) + 1;
}

int HeadsetAudio::ApplyGains(const EqGains& gains) {
    (void)library_.BeginPropertyGroup();
    int failed = WriteInt(true, L"Enable_EQ_GFX", 1) != 0 ? 1 : 0;
    for (int b = 0; b < kEqBands; ++b)
        if (SetBand(b, gains[static_cast<size_t>(b)]) != 0) ++failed;
    if (library_.EndPropertyGroup() != 0) ++failed;
    return failed == 0 ? 0 : -1;
}

int HeadsetAudio::SetBand(int band, int gain) {
    if (band < 0 || band >= kEqBands) return -1;
    return WriteInt(true, (L"EQ_Slider" + std::to_wstring(band + 1)).c_str(), gain);
}

// ---- Over the sound server ------------------------------------------------------------------

namespace {
audio::AudioDeviceDescriptor Of(const AudioDescriptor& d) {
    audio::AudioDeviceDescriptor out;
    std::memcpy(out.words, d.words, sizeof out.words);
    return out;
}
}  // namespace

int SoundServerLibrary::ConfLibInit() {
    return audio::ConfLibInit();
}
int SoundServerLibrary::CreateDeviceList() {
    return audio::CreateDeviceList();
}
int SoundServerLibrary::GetDeviceCount(int list, uint32_t* count) {
    return audio::GetDeviceCount(list, count);
}
int SoundServerLibrary::GetDeviceById(int list, int index, AudioDescriptor* d) {
    audio::AudioDeviceDescriptor got;
    const int r = audio::GetDeviceById(list, index, &got);
    if (r == 0 && d != nullptr) std::memcpy(d->words, got.words, sizeof d->words);
    return r;
}
int SoundServerLibrary::PropertyControl(AudioDescriptor d, const wchar_t* name, void** value,
                                        void** param, int write) {
    return audio::PropertyControl(Of(d), name, value, param, write);
}

std::string SoundServerLibrary::Missing() {
    return audio::MissingFeatures();
}
int SoundServerLibrary::BeginPropertyGroup() {
    return audio::BeginPropertyGroup();
}
int SoundServerLibrary::EndPropertyGroup() {
    return audio::EndPropertyGroup();
}

}  // namespace dz
