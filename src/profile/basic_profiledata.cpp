#include "profile/basic_profiledata.h"

#include <system_error>

#include "platform/paths/paths.h"
#include "profile/json_file.h"
#include "profile/stored_names.h"

namespace dz {
namespace fs = std::filesystem;
namespace {

uint8_t ByteOf(const Json::Value& object, std::string_view key) {
    return static_cast<uint8_t>(JsonInt(object, key) & 0xFF);
}
uint8_t FlagOf(const Json::Value& object, std::string_view key) {
    return JsonBool(object, key) ? 1 : 0;
}

// The device section `index` of a parsed profile or default data file; null when it is
// missing or not an object (a hand-edited number there is as unusable as nothing).
Json::Value DeviceSectionOf(const Json::Value& file, int index) {
    const Json::Value& section =
        JsonElement(JsonMember(file, "Device"), static_cast<size_t>(index));
    return section.isObject() ? section : Json::Value();
}

std::vector<KeyAssignmentEntry> ReadKeyList(const Json::Value& root) {
    std::vector<KeyAssignmentEntry> entries;
    const Json::Value& list = JsonMember(root, "KeyList");
    if (!list.isArray()) return entries;
    entries.reserve(list.size());
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        const Json::Value& element = list[i];
        KeyAssignmentEntry entry;
        entry.index = static_cast<uint16_t>(i);
        entry.default_index = static_cast<uint16_t>(i);
        entry.current = KeyCodeFromProfileInt(JsonInt(element, "Assignment"));
        entry.default_code = KeyCodeFromProfileInt(JsonInt(element, "DefaultAssignment"));
        entries.push_back(entry);
    }
    return entries;
}

void WriteKeyList(Json::Value& root, const std::vector<KeyAssignmentEntry>& entries) {
    Json::Value& list = JsonMemberForWrite(root, "KeyList");
    for (size_t i = 0; i < entries.size(); ++i) {
        JsonMemberForWrite(JsonElementForWrite(list, i), "Assignment") =
            KeyCodeToProfileInt(entries[i].current);
    }
}

}  // namespace

bool CBasicProfiledata::Save() {
    return SaveDeviceSection(root_, profile_path_);
}

bool CBasicProfiledata::SaveDeviceSection(const Json::Value& value, const fs::path& path) {
    if (path.empty()) return false;
    // A file that is there but could not be read is not overwritten with what little is
    // known of it (its other members, the other device sections).
    const JsonFileRead current = ReadJsonFileChecked(path);
    Json::Value file = current.value;
    JsonElementForWrite(JsonMemberForWrite(file, "Device"), static_cast<size_t>(device_index_)) =
        value;
    return TryReplaceUserJsonFile(path, file, current);
}

bool CBasicProfiledata::SaveSecond(const fs::path& path) {
    return SaveDeviceSection(second_root_, path);
}

bool CBasicProfiledata::WriteWholeFile(const Json::Value& value, const fs::path& path) {
    return TryWriteJsonFile(path, value);
}

void CBasicProfiledata::SetProfilePath(const fs::path& path) {
    if (!path.empty()) profile_path_ = path;
}

void CBasicProfiledata::SetDefaultPath(const fs::path& path) {
    if (!path.empty()) default_path_ = path;
}

Json::Value CBasicProfiledata::LoadSection(const fs::path& path, Json::Value& target) {
    const JsonFileRead current = ReadJsonFileChecked(path);
    target = DeviceSectionOf(current.value, device_index_);
    if (!target.isNull()) return target;
    target = DeviceSectionOf(ReadJsonFile(default_path_), device_index_);
    // Re-seed a missing or damaged file (the damaged content is kept beside it). A file that
    // could not be read is left as it is: the defaults then hold in memory only. With no
    // default data there is nothing to put in, and the file is left as it is too.
    if (!target.isNull() && !path.empty()) {
        Json::Value file = current.value;
        JsonElementForWrite(JsonMemberForWrite(file, "Device"),
                            static_cast<size_t>(device_index_)) = target;
        (void)TryReplaceUserJsonFile(path, file, current);
    }
    return target;
}

Json::Value CBasicProfiledata::LoadDeviceSection(const fs::path& path) {
    return LoadSection(path, root_);
}

Json::Value CBasicProfiledata::LoadSecondSection(const fs::path& path) {
    return LoadSection(path, second_root_);
}

Json::Value CBasicProfiledata::LoadLightList(const fs::path& path) {
    light_list_tree_ = ReadJsonFile(path);
    return light_list_tree_;
}

LightInfoRecord CBasicProfiledata::ReadLightInfo() {
    LightInfoRecord record;
    const Json::Value& info = JsonMember(root_, "LightInfo");
    if (info.isObject()) {
        record.mode = ByteOf(info, "SelectItem");
        record.brightness = ByteOf(info, "Light");
        record.speed = ByteOf(info, "Speed");
        record.direction = ByteOf(info, "Fx");
        record.multicolor = FlagOf(info, "MultiColor");
        record.red = ByteOf(info, "Red");
        record.green = ByteOf(info, "Green");
        record.blue = ByteOf(info, "Blue");
        record.device_mode = ByteOf(info, "ZZCCLedMode");
        record.custom_group = ByteOf(info, "CustomGroup");
        record.old_mode = ByteOf(info, "OldLedmode");
    }
    light_info_ = record;
    return record;
}

void CBasicProfiledata::WriteLightInfo(const LightInfoRecord& record) {
    light_info_ = record;
    Json::Value info(Json::objectValue);
    info["SelectItem"] = record.mode;
    info["Light"] = record.brightness;
    info["Speed"] = record.speed;
    info["Fx"] = record.direction;
    info["MultiColor"] = record.multicolor;
    info["Red"] = record.red;
    info["Green"] = record.green;
    info["Blue"] = record.blue;
    info["ZZCCLedMode"] = record.device_mode;
    info["CustomGroup"] = record.custom_group;
    info["OldLedmode"] = record.old_mode;
    JsonMemberForWrite(root_, "LightInfo") = info;
}

AudioLightInfoRecord CBasicProfiledata::ReadAudioLightInfo() {
    AudioLightInfoRecord record;
    const Json::Value& info = JsonMember(root_, "AudioLightInfo");
    if (info.isObject()) {
        record.audio_mode = ByteOf(info, "AudioMode");
        record.bk_red = ByteOf(info, "BkColorR");
        record.bk_green = ByteOf(info, "BkColorG");
        record.bk_blue = ByteOf(info, "BkColorB");
        record.fg_red = ByteOf(info, "FgColorR");
        record.fg_green = ByteOf(info, "FgColorG");
        record.fg_blue = ByteOf(info, "FgColorB");
        record.seven_color = FlagOf(info, "7ColorFlags");
        // The stored colour-type value is not used: a stored record always has one.
        record.color_type = 1;
    }
    audio_light_info_ = record;
    return record;
}

void CBasicProfiledata::WriteAudioLightInfo(const AudioLightInfoRecord& record) {
    audio_light_info_ = record;
    Json::Value info(Json::objectValue);
    info["AudioMode"] = record.audio_mode;
    info["BkColorR"] = record.bk_red;
    info["BkColorG"] = record.bk_green;
    info["BkColorB"] = record.bk_blue;
    info["FgColorR"] = record.fg_red;
    info["FgColorG"] = record.fg_green;
    info["FgColorB"] = record.fg_blue;
    info["7ColorFlags"] = record.seven_color;
    info["ColorTypeFlags"] = record.color_type;
    JsonMemberForWrite(root_, "AudioLightInfo") = info;
}

std::vector<LightInfoRecord> CBasicProfiledata::GetLightList() {
    const Json::Value& list = JsonMember(root_, "LightList");
    std::vector<LightInfoRecord> records;
    if (list.isArray()) {
        records.resize(list.size());
        for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
            const Json::Value& element = list[i];
            LightInfoRecord& record = records[i];
            if (element.isNull()) continue;  // valid 0, colours 0
            record.valid = 1;
            record.mode = ByteOf(element, "LEDREGMode");
            record.brightness = ByteOf(element, "LEDBrightness");
            record.speed = ByteOf(element, "LEDSpeed");
            record.direction = FlagOf(element, "LEDDirection");
            record.multicolor = FlagOf(element, "LEDMultiColor");
            record.red = ByteOf(element, "red");
            record.green = ByteOf(element, "green");
            record.blue = ByteOf(element, "blue");
        }
    }
    light_list_ = records;
    return records;
}

std::vector<KeyAssignmentEntry> CBasicProfiledata::GetKeyList() {
    key_list_ = ReadKeyList(root_);
    return key_list_;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyAssignmentEntry>& entries) {
    key_list_ = entries;
    WriteKeyList(root_, entries);
}

std::vector<KeyAssignmentEntry> CBasicProfiledata::GetSecondKeyList() {
    second_key_list_ = ReadKeyList(second_root_);
    return second_key_list_;
}

void CBasicProfiledata::SetSecondKeyList(const std::vector<KeyAssignmentEntry>& entries) {
    second_key_list_ = entries;
    WriteKeyList(second_root_, entries);
}

fs::path CBasicProfiledata::EffectFilePath() const {
    return EffectFilePathAt(light_info_.mode);
}

fs::path CBasicProfiledata::EffectFilePathAt(int index) const {
    if (index < 0) return {};
    const Json::Value& entry = JsonElement(
        JsonElement(JsonMember(light_list_tree_, "LightInfo"), static_cast<size_t>(kind_code_)),
        static_cast<size_t>(index));
    const std::string guid = JsonString(entry, "Guid");
    // The name comes from a file: it may only name a file inside the folders searched.
    std::vector<fs::path> folders;
    if (!light_list_path_.empty()) folders.push_back(light_list_path_.parent_path());
    folders.push_back(program_folder_.empty() ? paths::ProgramDataFolder() : program_folder_);
    for (const fs::path& folder : folders) {
        const auto file = FileInFolder(folder, guid, ".light");
        if (!file) return {};
        std::error_code ec;
        if (fs::is_regular_file(*file, ec)) return *file;
    }
    return {};
}

std::vector<LedEffectStep> CBasicProfiledata::GetEffectSteps() {
    return GetEffectStepsAt(light_info_.mode);
}

std::vector<LedEffectStep> CBasicProfiledata::GetEffectStepsAt(int index) {
    std::vector<LedEffectStep> steps;
    if (!light_list_tree_.isNull()) {
        const fs::path file = EffectFilePathAt(index);
        const Json::Value effect = file.empty() ? Json::Value() : ReadJsonFile(file);
        const Json::Value& list = JsonMember(effect, "LEDEffectList");
        for (size_t i = 0; i < JsonSize(list) && list.isArray(); ++i) {
            const Json::Value& element = list[static_cast<Json::ArrayIndex>(i)];
            LedEffectStep step;
            step.mode = ByteOf(element, "LEDREGMode");
            step.brightness = ByteOf(element, "LEDBrightness");
            step.speed = ByteOf(element, "LEDSpeed");
            step.direction = ByteOf(element, "LEDDirection");
            step.multicolor = ByteOf(element, "LEDMultiColor");
            step.red = ByteOf(element, "red");
            step.green = ByteOf(element, "green");
            step.blue = ByteOf(element, "blue");
            step.time = JsonInt(element, "Time");
            step.cycle = JsonInt(element, "Cyle");
            steps.push_back(step);
        }
    }
    effect_steps_ = steps;
    return steps;
}

}  // namespace dz
