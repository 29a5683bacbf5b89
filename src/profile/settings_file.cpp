#include "profile/settings_file.h"

#include "platform/log/debug_log.h"
#include "platform/paths/paths.h"
#include "profile/json_file.h"

namespace dz {

std::filesystem::path SettingsFile() {
    return paths::ProductConfigFolder() / std::string(kSettingsFileName);
}

Json::Value ReadSetting(std::string_view key) {
    return JsonMember(ReadJsonFile(SettingsFile()), key);
}

bool WriteSetting(std::string_view key, const Json::Value& value) {
    const std::filesystem::path file = SettingsFile();
    const JsonFileRead read = ReadJsonFileChecked(file);
    if (read.state == JsonFileState::kUnreadable) {
        log::DebugLineF("%s not readable (%s): setting not stored", file.c_str(),
                        ReadFailureText(read).c_str());
        return false;
    }
    if (!paths::EnsureFolder(file.parent_path())) return false;
    Json::Value root =
        read.Parsed() && read.value.isObject() ? read.value : Json::Value(Json::objectValue);
    JsonMemberForWrite(root, key) = value;
    return TryWriteJsonFile(file, root);
}

}  // namespace dz
