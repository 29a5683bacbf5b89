#pragma once
// The profiles of one device kind: the list file "ProfileList.ini" (JSON) naming them in
// display order and remembering the selected one, and one profile file per profile named
// after its UUID. Every operation re-reads the list file before it changes it and writes
// it back at once. The profile bar of a device page is a thin layer over this class: it
// mirrors Profiles() in its combo box and maps the results to its message boxes.

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <json/value.h>

#include "profile/json_file.h"

namespace dz {

inline constexpr int kMaxProfiles = 50;  // the limit of "add"
inline constexpr std::string_view kProfileListFileName = "ProfileList.ini";
inline constexpr std::string_view kProfileFileExtension = ".Json";

struct ProfileEntry {
    std::string name;  // UTF-8, unique ignoring case
    std::string uuid;  // a timestamp name; the profile file is uuid + ".Json"
};

enum class ProfileResult {
    kDone,
    kLimitReached,  // add: 50 profiles already
    kNoSelection,   // no profile is selected, or the index is outside the list
    kLastProfile,   // delete: the last profile cannot be deleted
    kNameTaken,     // rename: another profile has the name (ignoring case)
    kNameBlank,     // rename: the name is empty or white space
    kNotAProfile,   // import: not a profile file (unreadable, or without the two name keys)
    kFileError,     // a file could not be read or written; nothing was changed
};

[[nodiscard]] const char* ProfileResultText(ProfileResult result);

struct ProfileChange {
    ProfileResult result = ProfileResult::kDone;
    int index = -1;    // the new or newly selected profile
    std::string name;  // its name
};

class ProfileStore {
  public:
    // `device_type` is the page's device type code (TYPE_*): a headset keeps its own
    // equaliser presets through a reset.
    ProfileStore(std::filesystem::path user_folder, std::filesystem::path default_data_file,
                 int device_type);

    // Reads the list file; a missing or unreadable one, or one without profiles, is
    // replaced by a list holding "profile1", whose file is a copy of the default data file.
    // Then selects "profileselect" (clamped into the list).
    void Initialise();

    [[nodiscard]] const std::vector<ProfileEntry>& Profiles() const { return entries_; }
    [[nodiscard]] int GetSelectedIndex() const { return selected_; }
    [[nodiscard]] std::string GetCurrentUUID() const { return current_uuid_; }
    // The selection recorded in the list file ("profileselect"); "add" moves it to the new
    // profile while the displayed selection stays.
    [[nodiscard]] int RecordedSelection() const { return recorded_select_; }

    // Selects the profile and records it in the list file.
    [[nodiscard]] ProfileResult SelectProfile(int index);

    [[nodiscard]] ProfileChange AddProfile();
    [[nodiscard]] ProfileChange CopyProfile();
    // The name is the file title of `source`; the file's "Device" array is taken unchanged,
    // under a new UUID.
    [[nodiscard]] ProfileChange ImportProfile(const std::filesystem::path& source);
    [[nodiscard]] ProfileResult ExportProfile(const std::filesystem::path& destination);
    // The selected profile takes the default data again (a headset keeps
    // "CustomEQNameInfo" and "CustomEQHzValueInfo").
    [[nodiscard]] ProfileResult ResetProfile();
    // Removes the selected profile and its file; the one before it becomes selected.
    [[nodiscard]] ProfileChange DeleteProfile();
    [[nodiscard]] ProfileResult RenameProfile(std::string_view name);

    // Re-reads the list file.
    [[nodiscard]] int GetProfileCount();
    // user folder + UUID + ".Json" of profile `index` as last read; empty outside the list.
    [[nodiscard]] std::filesystem::path GetProfilePath(int index) const;
    // Every profile file but the selected one, in list order.
    [[nodiscard]] std::vector<std::filesystem::path> OtherProfilePaths() const;
    [[nodiscard]] std::filesystem::path ListFilePath() const;
    [[nodiscard]] const std::filesystem::path& UserFolder() const { return folder_; }

    // The result codes of renaming as the main window expects them: 1 done, 0 name taken,
    // 2 name blank.
    [[nodiscard]] static int RenameResultCode(ProfileResult result);

  private:
    void Reload();
    [[nodiscard]] bool WriteList();
    // A timestamp UUID that neither the list nor `also` nor a file in the folder has.
    [[nodiscard]] std::string NewUuid(const std::vector<ProfileEntry>& also = {}) const;
    [[nodiscard]] bool NameTaken(std::string_view name, int skip = -1) const;
    // Writes `document` as the profile file of `uuid` with the two name keys.
    [[nodiscard]] bool WriteProfileFile(Json::Value document, const ProfileEntry& entry) const;
    // Appends an entry whose file holds `document`; undone when the list cannot be written.
    ProfileChange AppendProfile(const std::string& name, const Json::Value& document,
                                bool record_selection);
    [[nodiscard]] bool HasSelection() const;
    // The selected profile's file; one that is there but cannot be read is reported.
    [[nodiscard]] JsonFileRead ReadSelectedProfile() const;

    std::filesystem::path folder_;
    std::filesystem::path default_data_file_;
    int device_type_ = 0;
    Json::Value list_tree_;
    std::vector<ProfileEntry> entries_;
    int selected_ = -1;
    int recorded_select_ = 0;
    std::string current_uuid_;
};

}  // namespace dz
