#include "profile/profile_store.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "device/device_table.h"
#include "platform/log/debug_log.h"
#include "platform/paths/paths.h"
#include "profile/file_report.h"
#include "profile/json_file.h"
#include "profile/stored_names.h"
#include "profile/text_util.h"

namespace dz {
namespace fs = std::filesystem;
namespace {

std::string Formatted(const char* format, const std::string& text) {
    std::string out = format;
    const size_t at = out.find("%s");
    if (at != std::string::npos) out.replace(at, 2, text);
    return out;
}

Json::Value ListElement(const ProfileEntry& entry) {
    Json::Value element(Json::objectValue);
    element["profilename"] = entry.name;
    element["profileUUID"] = entry.uuid;
    element["profileislink"] = 0;
    element["profilelinkmame"] = "";
    return element;
}

}  // namespace

const char* ProfileResultText(ProfileResult result) {
    switch (result) {
        case ProfileResult::kDone:
            return "done";
        case ProfileResult::kLimitReached:
            return "the kind already has the most profiles allowed (50)";
        case ProfileResult::kNoSelection:
            return "no such profile";
        case ProfileResult::kLastProfile:
            return "the last profile cannot be deleted";
        case ProfileResult::kNameTaken:
            return "another profile already has that name";
        case ProfileResult::kNameBlank:
            return "the name is blank";
        case ProfileResult::kNotAProfile:
            return "not a profile file";
        case ProfileResult::kFileError:
            return "a file could not be read or written";
    }
    return "unknown result";
}

ProfileStore::ProfileStore(fs::path user_folder, fs::path default_data_file, int device_type)
    : folder_(std::move(user_folder)),
      default_data_file_(std::move(default_data_file)),
      device_type_(device_type) {}

fs::path ProfileStore::ListFilePath() const {
    return folder_ / std::string(kProfileListFileName);
}

int ProfileStore::RenameResultCode(ProfileResult result) {
    switch (result) {
        case ProfileResult::kDone:
            return 1;
        case ProfileResult::kNameBlank:
            return 2;
        default:
            return 0;
    }
}

bool ProfileStore::HasSelection() const {
    return selected_ >= 0 && selected_ < static_cast<int>(entries_.size());
}

void ProfileStore::Reload() {
    Json::Value tree = ReadJsonFile(ListFilePath());
    const Json::Value& list = JsonMember(tree, "profilelist");
    // An unreadable list keeps what was read before, so that the next write restores it
    // instead of losing every profile but the new one.
    if (!list.isArray() || list.empty()) return;
    std::vector<ProfileEntry> entries;
    bool repaired = false;
    for (size_t i = 0; i < list.size(); ++i) {
        const Json::Value& element = JsonElement(list, i);
        ProfileEntry entry{JsonString(element, "profilename"), JsonString(element, "profileUUID")};
        // The UUID becomes a file name: one that could lead out of the folder (or is
        // missing) is read as missing, and the profile gets a fresh one. Its file is then
        // seeded from the default data on the next load.
        const bool duplicate = std::any_of(entries.begin(), entries.end(),
                                           [&](const auto& e) { return e.uuid == entry.uuid; });
        if (!IsPlainFileName(entry.uuid) || duplicate) {
            entry.uuid = NewUuid(entries);
            repaired = true;
        }
        entries.push_back(std::move(entry));
    }
    list_tree_ = std::move(tree);
    entries_ = std::move(entries);
    recorded_select_ = JsonInt(list_tree_, "profileselect");
    // The file may have been changed by another program (the command-line client): the
    // selection follows its profile, or stays within the list.
    if (selected_ >= 0) {
        const auto it = std::find_if(entries_.begin(), entries_.end(), [&](const ProfileEntry& e) {
            return e.uuid == current_uuid_;
        });
        selected_ = it != entries_.end()
                        ? static_cast<int>(it - entries_.begin())
                        : std::min(selected_, static_cast<int>(entries_.size()) - 1);
        current_uuid_ = entries_[static_cast<size_t>(selected_)].uuid;
    }
    if (repaired) {
        log::DebugLine("profile list: unusable profile UUIDs replaced");
        (void)WriteList();
    }
}

bool ProfileStore::WriteList() {
    Json::Value list(Json::arrayValue);
    for (const ProfileEntry& entry : entries_) list.append(ListElement(entry));
    if (!list_tree_.isObject()) list_tree_ = Json::Value(Json::objectValue);
    list_tree_["profilelist"] = list;
    list_tree_["profileselect"] = recorded_select_;
    if (!paths::EnsureFolder(folder_)) return false;
    return TryReplaceUserJsonFile(ListFilePath(), list_tree_);
}

std::string ProfileStore::NewUuid(const std::vector<ProfileEntry>& also) const {
    // Timestamps collide when two profiles are made within one millisecond, possibly by
    // two processes: never reuse a UUID that the list or the folder already has.
    for (;;) {
        std::string uuid = MakeTimestampName();
        const auto same = [&](const ProfileEntry& e) { return e.uuid == uuid; };
        const bool listed = std::any_of(entries_.begin(), entries_.end(), same) ||
                            std::any_of(also.begin(), also.end(), same);
        std::error_code ec;
        if (!listed && !fs::exists(folder_ / (uuid + std::string(kProfileFileExtension)), ec)) {
            return uuid;
        }
    }
}

bool ProfileStore::NameTaken(std::string_view name, int skip) const {
    for (size_t i = 0; i < entries_.size(); ++i) {
        if (static_cast<int>(i) == skip) continue;
        if (SameNameIgnoringCase(entries_[i].name, name)) return true;
    }
    return false;
}

bool ProfileStore::WriteProfileFile(Json::Value document, const ProfileEntry& entry) const {
    const auto path = FileInFolder(folder_, entry.uuid, kProfileFileExtension);
    if (!path) return false;
    if (!document.isObject()) document = Json::Value(Json::objectValue);
    document["profilename"] = entry.name;
    document["profileUUID"] = entry.uuid;
    if (!paths::EnsureFolder(folder_)) return false;
    return TryReplaceUserJsonFile(*path, document);
}

void ProfileStore::Initialise() {
    Reload();
    if (entries_.empty()) {
        ProfileEntry first{"profile1", NewUuid()};
        entries_ = {first};
        recorded_select_ = 0;
        if (!WriteProfileFile(ReadJsonFile(default_data_file_), first)) {
            log::DebugLine("profile list: cannot create the first profile file");
        }
        if (!WriteList()) log::DebugLine("profile list: cannot write the list file");
    }
    const int last = static_cast<int>(entries_.size()) - 1;
    (void)SelectProfile(std::clamp(recorded_select_, 0, last));
}

ProfileResult ProfileStore::SelectProfile(int index) {
    Reload();
    if (index < 0 || index >= static_cast<int>(entries_.size())) {
        return ProfileResult::kNoSelection;
    }
    selected_ = index;
    current_uuid_ = entries_[static_cast<size_t>(index)].uuid;
    recorded_select_ = index;
    return WriteList() ? ProfileResult::kDone : ProfileResult::kFileError;
}

ProfileChange ProfileStore::AppendProfile(const std::string& name, const Json::Value& document,
                                          bool record_selection) {
    ProfileEntry entry{name, NewUuid()};
    if (!WriteProfileFile(document, entry)) return {ProfileResult::kFileError, -1, name};
    const int previous_select = recorded_select_;
    entries_.push_back(entry);
    const int index = static_cast<int>(entries_.size()) - 1;
    if (record_selection) recorded_select_ = index;
    if (!WriteList()) {
        entries_.pop_back();
        recorded_select_ = previous_select;
        std::error_code ec;
        fs::remove(folder_ / (entry.uuid + std::string(kProfileFileExtension)), ec);
        return {ProfileResult::kFileError, -1, name};
    }
    return {ProfileResult::kDone, index, name};
}

ProfileChange ProfileStore::AddProfile() {
    Reload();
    if (static_cast<int>(entries_.size()) >= kMaxProfiles) {
        return {ProfileResult::kLimitReached, -1, {}};
    }
    std::string name;
    for (int n = 1;; ++n) {
        name = "profile" + std::to_string(n);
        if (!NameTaken(name)) break;
    }
    return AppendProfile(name, ReadJsonFile(default_data_file_), true);
}

ProfileChange ProfileStore::CopyProfile() {
    Reload();
    if (!HasSelection()) return {ProfileResult::kNoSelection, -1, {}};
    std::string name = Formatted("%s copy", entries_[static_cast<size_t>(selected_)].name);
    while (NameTaken(name)) name = Formatted("%s copy", name);
    const JsonFileRead source = ReadSelectedProfile();
    if (source.state == JsonFileState::kUnreadable) return {ProfileResult::kFileError, -1, {}};
    Json::Value document = source.value;
    // A source file that is gone copies as the defaults rather than as an empty profile.
    if (!document.isObject()) document = ReadJsonFile(default_data_file_);
    return AppendProfile(name, document, false);
}

ProfileChange ProfileStore::ImportProfile(const fs::path& source) {
    Reload();
    const Json::Value document = ReadJsonFile(source);
    if (!document.isObject() || !document.isMember("profilename") ||
        !document.isMember("profileUUID")) {
        return {ProfileResult::kNotAProfile, -1, {}};
    }
    // Only the file title names the profile; the names inside the file are replaced.
    std::string name = FileTitle(source.string());
    for (int counter = 1; NameTaken(name); ++counter) {
        name += "(" + std::to_string(counter) + ")";
    }
    return AppendProfile(name, document, false);
}

ProfileResult ProfileStore::ExportProfile(const fs::path& destination) {
    Reload();
    if (!HasSelection()) return ProfileResult::kNoSelection;
    const JsonFileRead document = ReadSelectedProfile();
    if (!document.Parsed()) return ProfileResult::kFileError;
    return TryWriteJsonFile(destination, document.value) ? ProfileResult::kDone
                                                         : ProfileResult::kFileError;
}

ProfileResult ProfileStore::ResetProfile() {
    Reload();
    if (!HasSelection()) return ProfileResult::kNoSelection;
    const ProfileEntry& entry = entries_[static_cast<size_t>(selected_)];
    Json::Value document = ReadJsonFile(default_data_file_);
    if (!document.isObject()) return ProfileResult::kFileError;
    if (device_type_ == TYPE_HEADSET) {
        // The user's own equaliser presets are not factory settings: they are not given up
        // because the file could not be read just now.
        const JsonFileRead current = ReadSelectedProfile();
        if (current.state == JsonFileState::kUnreadable) return ProfileResult::kFileError;
        const Json::Value& section = JsonElement(JsonMember(current.value, "Device"), 0);
        Json::Value& target = JsonElementForWrite(JsonMemberForWrite(document, "Device"), 0);
        for (const char* key : {"CustomEQNameInfo", "CustomEQHzValueInfo"}) {
            const Json::Value& kept = JsonMember(section, key);
            if (!kept.isNull()) JsonMemberForWrite(target, key) = kept;
        }
    }
    return WriteProfileFile(document, entry) ? ProfileResult::kDone : ProfileResult::kFileError;
}

ProfileChange ProfileStore::DeleteProfile() {
    Reload();
    if (!HasSelection()) return {ProfileResult::kNoSelection, -1, {}};
    if (entries_.size() <= 1) return {ProfileResult::kLastProfile, -1, {}};
    const int removed = selected_;
    const int next = removed == 0 ? 0 : removed - 1;
    const fs::path removed_file = GetProfilePath(removed);
    const std::vector<ProfileEntry> before = entries_;
    const int before_select = recorded_select_;
    entries_.erase(entries_.begin() + removed);
    recorded_select_ = next;
    if (!WriteList()) {
        entries_ = before;
        recorded_select_ = before_select;
        return {ProfileResult::kFileError, -1, {}};
    }
    std::error_code ec;
    fs::remove(removed_file, ec);
    // The profile shown before is gone: the one before it becomes current, so that the
    // device never saves into the deleted file again.
    selected_ = next;
    current_uuid_ = entries_[static_cast<size_t>(next)].uuid;
    return {ProfileResult::kDone, next, entries_[static_cast<size_t>(next)].name};
}

ProfileResult ProfileStore::RenameProfile(std::string_view name) {
    Reload();
    if (!HasSelection()) return ProfileResult::kNoSelection;
    if (IsBlankName(name)) return ProfileResult::kNameBlank;
    if (NameTaken(name, selected_)) return ProfileResult::kNameTaken;
    // Read first: a profile file that cannot be read now must not be rewritten as nothing
    // but its two names, and then the list keeps the old name too.
    const JsonFileRead document = ReadSelectedProfile();
    if (document.state == JsonFileState::kUnreadable) return ProfileResult::kFileError;
    ProfileEntry& entry = entries_[static_cast<size_t>(selected_)];
    const std::string old_name = entry.name;
    entry.name = std::string(name);
    if (!WriteList()) {
        entry.name = old_name;
        return ProfileResult::kFileError;
    }
    return WriteProfileFile(document.value, entry) ? ProfileResult::kDone
                                                   : ProfileResult::kFileError;
}

JsonFileRead ProfileStore::ReadSelectedProfile() const {
    const fs::path path = GetProfilePath(selected_);
    JsonFileRead read = ReadJsonFileChecked(path);
    if (read.state == JsonFileState::kUnreadable) {
        ReportFileProblem({path, FileProblem::kLeftAsItIs, ReadFailureText(read), {}});
    }
    return read;
}

int ProfileStore::GetProfileCount() {
    Reload();
    return static_cast<int>(entries_.size());
}

fs::path ProfileStore::GetProfilePath(int index) const {
    if (index < 0 || index >= static_cast<int>(entries_.size())) return {};
    return FileInFolder(folder_, entries_[static_cast<size_t>(index)].uuid, kProfileFileExtension)
        .value_or(fs::path());
}

std::vector<fs::path> ProfileStore::OtherProfilePaths() const {
    std::vector<fs::path> paths;
    for (int i = 0; i < static_cast<int>(entries_.size()); ++i) {
        if (i == selected_) continue;
        fs::path path = GetProfilePath(i);
        if (!path.empty()) paths.push_back(std::move(path));
    }
    return paths;
}

}  // namespace dz
