#include "panels/audio/audio_styles.h"

#include <algorithm>
#include <cstring>

#include "profile/json_file.h"

namespace dz::panels {
namespace {

constexpr const char* kInfo = "AudioLightInfo";
constexpr const char kChannels[] = {'R', 'G', 'B'};

std::string NameKey(int n) {
    return "nStyleName" + std::to_string(n + 1);
}
std::string ColourKey(int style, int channel) {
    return std::string("nStyle") + kChannels[channel] + std::to_string(style);
}
uint8_t ColourByte(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

}  // namespace

const std::array<const char*, 4>& DefaultStyleNames() {
    static const std::array<const char*, 4> names{"第一组", "第二组", "第三组", "第四组"};
    return names;
}

AudioStyleRecord ReadAudioStyles(const Json::Value& device) {
    AudioStyleRecord r;
    const Json::Value& info = JsonMember(device, kInfo);
    if (!info.isObject()) return r;
    r.style = JsonInt(info, "nAudioStyle");
    for (int n = 0; n < 4; ++n) r.names[n] = JsonString(info, NameKey(n));
    for (int s = 0; s < 4; ++s)
        for (int c = 0; c < 3; ++c) r.colours[s][c] = ColourByte(JsonInt(info, ColourKey(s, c)));
    return r;
}

Json::Value AudioStylesJson(const AudioStyleRecord& record) {
    Json::Value info(Json::objectValue);
    info["nAudioStyle"] = record.style;
    for (int n = 0; n < 4; ++n) info[NameKey(n)] = record.names[n];
    for (int s = 0; s < 4; ++s)
        for (int c = 0; c < 3; ++c) info[ColourKey(s, c)] = int{record.colours[s][c]};
    return info;
}

std::array<uint8_t, 40> AudioColourBlock(const AudioStyleRecord& record) {
    const int style = record.style >= 0 && record.style < 4 ? record.style : 0;
    const auto& rgb = record.colours[style];
    const std::array<int32_t, 3> values{rgb[0], rgb[1] == 0 ? 1 : rgb[1], rgb[2]};
    std::array<uint8_t, 40> block{};
    std::memcpy(block.data(), values.data(), sizeof(values));
    return block;
}

AudioStyleFile::AudioStyleFile(std::filesystem::path user_file,
                               std::filesystem::path default_file)
    : user_file_(std::move(user_file)), default_file_(std::move(default_file)) {}

void AudioStyleFile::EnsureFolder() const {
    std::error_code ec;
    std::filesystem::create_directories(user_file_.parent_path(), ec);
}

void AudioStyleFile::SeedFromDefault() {
    EnsureFolder();
    const Json::Value seed = ReadJsonFile(default_file_);
    // The user's damaged file is kept beside it before the default replaces it.
    (void)TryReplaceUserJsonFile(user_file_, seed);
    device_ = JsonMember(seed, "Device");
}

const AudioStyleRecord& AudioStyleFile::Load() {
    device_ = JsonMember(ReadJsonFile(user_file_), "Device");
    if (!device_.isObject()) SeedFromDefault();
    current_ = ReadAudioStyles(device_);
    return current_;
}

const AudioStyleRecord& AudioStyleFile::RestoreDefaults() {
    SeedFromDefault();
    current_ = ReadAudioStyles(device_);
    return current_;
}

bool AudioStyleFile::Save(const AudioStyleRecord& record) {
    current_ = record;
    if (!device_.isObject()) device_ = Json::Value(Json::objectValue);
    device_[kInfo] = AudioStylesJson(record);
    Json::Value file = ReadJsonFile(user_file_);
    if (!file.isObject()) file = Json::Value(Json::objectValue);
    file["Device"] = device_;
    EnsureFolder();
    return TryReplaceUserJsonFile(user_file_, file);
}

}  // namespace dz::panels
