#pragma once
// The macros of one device kind: the list file "macro.config" naming them in list order
// (a key plays a macro by its position in this list) and one ".mac" file per macro, named
// after its Guid. The macro editor is a thin layer over this class: it mirrors Macros() in
// its list, passes its selected row, answers the confirmations and shows the results.

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include <json/value.h>

#include "profile/basic_profiledata.h"

namespace dz {

inline constexpr int kMaxMacros = 50;
inline constexpr std::string_view kMacroFileExtension = ".mac";

struct MacroEntry {
    std::string name;  // "MacroName", UTF-8, unique ignoring case
    std::string guid;  // "Guid", a timestamp name; the file is guid + ".mac"
    friend bool operator==(const MacroEntry&, const MacroEntry&) = default;
};

enum class MacroResult {
    kDone,
    kLimitReached,  // create, import: 50 macros already
    kNoSelection,   // no macro at that index
    kNameBlank,     // rename: the name is empty or white space
    kNameTaken,     // rename: a macro (the renamed one included) has the name
    kDeclined,      // delete: a confirmation was declined; nothing changed
    kReadOnly,      // the list is one the program only reads
    kFileError,     // a file could not be read or written
};

[[nodiscard]] const char* MacroResultText(MacroResult result);

struct MacroChange {
    MacroResult result = MacroResult::kDone;
    int index = -1;
    std::string name;
};

// The questions of a deletion, in the order they are asked.
enum class MacroConfirmation {
    kDeleteMacro,       // "message_text_4": delete the macro?
    kDeleteMacroInUse,  // "message_text_2": keys of the current profile play it; delete anyway?
};

struct MacroDeleteContext {
    // Answers a confirmation; true to go on. An empty function answers yes.
    std::function<bool(MacroConfirmation)> confirm;
    // The device's profile data with the current profile loaded; its key list is renumbered
    // and saved, and its second root is used for the other profiles. May be null for a kind
    // without keys.
    CBasicProfiledata* current = nullptr;
    // Every other profile file of the kind, in list order (ProfileStore::OtherProfilePaths).
    std::vector<std::filesystem::path> other_profiles;
};

struct MacroDeleteResult {
    MacroResult result = MacroResult::kDone;
    bool current_keys_changed = false;  // the device must refresh its key labels and tables
    std::vector<std::filesystem::path> rewritten_profiles;
};

// After removing macro `removed`: keys playing it get their default function back, keys
// playing a later macro move down by one. True when anything changed.
bool RenumberMacroKeys(std::vector<KeyAssignmentEntry>& keys, int removed);
// A key function that plays macro `index`.
[[nodiscard]] bool PlaysMacro(const KeyAssignmentEntry& key, int index);

class MacroStore {
  public:
    // "macro.config" for the keyboard and the mouse; the mousepad and headset only read
    // "rodav_macro.config".
    [[nodiscard]] static std::string ListFileNameForKind(std::string_view kind_name);
    [[nodiscard]] static bool IsListWritableForKind(std::string_view kind_name);

    MacroStore(std::filesystem::path folder, std::string list_file_name = "macro.config",
               bool writable = true);

    // Reads the list file; a missing one is an empty list. An entry whose Guid an earlier
    // entry has gets a fresh Guid and its own copy of the macro file (the list is rewritten).
    void Load();
    [[nodiscard]] const std::vector<MacroEntry>& Macros() const { return entries_; }
    [[nodiscard]] std::filesystem::path ListFilePath() const;
    // folder + Guid + ".mac"; empty outside the list or when the Guid is not a plain file name.
    [[nodiscard]] std::filesystem::path MacroFilePath(int index) const;

    // A new macro "macro_%d" without a file (the first save creates it).
    [[nodiscard]] MacroChange CreateMacro();
    // A new macro named after the file title ("%s_%d" while taken) whose file is a byte
    // copy of `source`.
    [[nodiscard]] MacroChange ImportMacro(const std::filesystem::path& source);
    [[nodiscard]] MacroResult ExportMacro(int index, const std::filesystem::path& destination);
    [[nodiscard]] MacroResult RenameMacro(int index, std::string_view name);
    [[nodiscard]] MacroDeleteResult DeleteMacro(int index, const MacroDeleteContext& context);

  private:
    [[nodiscard]] bool WriteList();
    [[nodiscard]] bool NameTaken(std::string_view name) const;
    // A timestamp Guid that neither the list nor `also` nor a file in the folder has.
    [[nodiscard]] std::string NewGuid(const std::vector<MacroEntry>& also = {}) const;
    // Gives every entry whose Guid an earlier entry has a fresh Guid and a copy of the file,
    // and records them in the list.
    void SeparateSharedFiles();
    MacroChange Append(const std::string& name, const std::string& guid);

    std::filesystem::path folder_;
    std::string list_file_name_;
    bool writable_ = true;
    Json::Value list_tree_;
    std::vector<MacroEntry> entries_;
};

}  // namespace dz
