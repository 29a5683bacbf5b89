#pragma once
// The device section of the profile currently selected for a device, held as a JSON tree
// with typed records taken out of it, and the device's file paths. Setters change only the
// tree; nothing reaches the disk until a save operation runs. Every reader treats a missing
// value, or one of the wrong type, as 0, false or empty.

#include <filesystem>
#include <string>
#include <vector>

#include <json/value.h>

#include "profile/profile_records.h"

namespace dz {

class CBasicProfiledata {
  public:
    CBasicProfiledata() = default;
    virtual ~CBasicProfiledata() = default;
    CBasicProfiledata(const CBasicProfiledata&) = delete;
    CBasicProfiledata& operator=(const CBasicProfiledata&) = delete;

    // ---- Save operations (virtual, in this order) ----------------------------------------
    // Writes the profile root into the profile file. True when the file was written.
    virtual bool Save();
    // Re-reads the file at `path`, puts `value` in as its device section and writes it back;
    // its other members are kept. False, leaving the file as it is, when it is there but
    // cannot be read.
    virtual bool SaveDeviceSection(const Json::Value& value, const std::filesystem::path& path);
    // The second root into the file at `path`.
    virtual bool SaveSecond(const std::filesystem::path& path);
    virtual bool WriteWholeFile(const Json::Value& value, const std::filesystem::path& path);

    // ---- Paths ----------------------------------------------------------------------------
    // An empty argument leaves the path as it was.
    void SetProfilePath(const std::filesystem::path& path);
    [[nodiscard]] const std::filesystem::path& GetProfilePath() const { return profile_path_; }
    void SetDefaultPath(const std::filesystem::path& path);
    [[nodiscard]] const std::filesystem::path& GetDefaultPath() const { return default_path_; }
    void SetLightListPath(const std::filesystem::path& path) { light_list_path_ = path; }
    [[nodiscard]] const std::filesystem::path& GetLightListPath() const { return light_list_path_; }
    // Where effect files are looked for after the light list's own folder; by default the
    // program folder.
    void SetProgramFolder(const std::filesystem::path& folder) { program_folder_ = folder; }
    // The element of the "Device" array of profile and default data files: 0 for every
    // kind, since each kind keeps its profiles in a folder of its own.
    void SetDeviceIndex(int index) { device_index_ = index < 0 ? 0 : index; }
    [[nodiscard]] int GetDeviceIndex() const { return device_index_; }
    // The kind code (keyboard 0, mouse 1, mousepad 2, headset 3): the kind's element of the
    // per-kind arrays of the light list file, where the custom effects are looked up.
    void SetKindCode(int code) { kind_code_ = code < 0 ? 0 : code; }
    [[nodiscard]] int GetKindCode() const { return kind_code_; }

    // ---- Loading --------------------------------------------------------------------------
    // The device section of the file at `path` becomes the profile root. When the file is
    // missing, not JSON or lacks the section, the section is taken from the default data
    // file and written into the file; the file's other members stay, and a file that did not
    // parse is kept beside it first. A file that is there but could not be read is not
    // touched (and reported): the root holds the default section until it can be read.
    Json::Value LoadDeviceSection(const std::filesystem::path& path);
    // The same into the second root (another profile, while macro keys are renumbered).
    Json::Value LoadSecondSection(const std::filesystem::path& path);
    Json::Value LoadLightList(const std::filesystem::path& path);

    [[nodiscard]] const Json::Value& ProfileRoot() const { return root_; }
    [[nodiscard]] const Json::Value& SecondRoot() const { return second_root_; }

    // ---- Records --------------------------------------------------------------------------
    LightInfoRecord ReadLightInfo();
    void WriteLightInfo(const LightInfoRecord& record);
    AudioLightInfoRecord ReadAudioLightInfo();
    void WriteAudioLightInfo(const AudioLightInfoRecord& record);
    [[nodiscard]] const LightInfoRecord& CurrentLightInfo() const { return light_info_; }

    // "LightList": one record per element; a null element gives a record with valid 0.
    std::vector<LightInfoRecord> GetLightList();

    std::vector<KeyAssignmentEntry> GetKeyList();
    // Rewrites "Assignment" of elements 0 .. entries.size() - 1; later elements and every
    // "DefaultAssignment" stay.
    void SetKeyList(const std::vector<KeyAssignmentEntry>& entries);
    std::vector<KeyAssignmentEntry> GetSecondKeyList();
    void SetSecondKeyList(const std::vector<KeyAssignmentEntry>& entries);

    // The steps of the custom effect selected by the current lighting record's mode byte,
    // from the effect file the light list names. Empty when the light list, the entry or the
    // file is missing, or when the entry's Guid is not a plain file name.
    std::vector<LedEffectStep> GetEffectSteps();
    // The effect file the current lighting record selects, or empty when there is none.
    [[nodiscard]] std::filesystem::path EffectFilePath() const;
    // The same for entry `entry` of the kind's custom effects (a model whose lighting list
    // numbers them after its standard modes).
    std::vector<LedEffectStep> GetEffectStepsAt(int entry);
    [[nodiscard]] std::filesystem::path EffectFilePathAt(int entry) const;

  protected:
    // Subclasses edit the same tree.
    Json::Value& MutableRoot() { return root_; }

  private:
    Json::Value LoadSection(const std::filesystem::path& path, Json::Value& target);

    std::filesystem::path profile_path_;
    std::filesystem::path default_path_;
    LightInfoRecord light_info_;
    AudioLightInfoRecord audio_light_info_;
    std::vector<LightInfoRecord> light_list_;
    Json::Value root_;
    Json::Value second_root_;
    std::filesystem::path light_list_path_;
    std::vector<LedEffectStep> effect_steps_;
    Json::Value light_list_tree_;
    std::vector<KeyAssignmentEntry> key_list_;
    std::vector<KeyAssignmentEntry> second_key_list_;
    int device_index_ = 0;
    int kind_code_ = 0;
    std::filesystem::path program_folder_;
};

}  // namespace dz
