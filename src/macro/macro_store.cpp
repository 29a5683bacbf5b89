#include "macro/macro_store.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <system_error>

#include "models/key_codes.h"
#include "platform/log/debug_log.h"
#include "platform/paths/paths.h"
#include "profile/atomic_file.h"
#include "profile/json_file.h"
#include "profile/stored_names.h"
#include "profile/text_util.h"

namespace dz {
namespace fs = std::filesystem;
namespace {

// The whole file, or false when it cannot be read or is larger than any macro file.
bool ReadWholeFile(const fs::path& path, std::string& contents) {
    std::error_code ec;
    const auto size = fs::file_size(path, ec);
    if (ec || size > kJsonMaxFileSize) return false;
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    contents.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return !in.bad();
}

}  // namespace

const char* MacroResultText(MacroResult result) {
    switch (result) {
        case MacroResult::kDone:
            return "done";
        case MacroResult::kLimitReached:
            return "the kind already has the most macros allowed (50)";
        case MacroResult::kNoSelection:
            return "no such macro";
        case MacroResult::kNameBlank:
            return "the name is blank";
        case MacroResult::kNameTaken:
            return "a macro already has that name";
        case MacroResult::kDeclined:
            return "not confirmed";
        case MacroResult::kReadOnly:
            return "the macro list of this kind is read only";
        case MacroResult::kFileError:
            return "a file could not be read or written";
    }
    return "unknown result";
}

bool PlaysMacro(const KeyAssignmentEntry& key, int index) {
    return (key.current.type == kKeyTypeMacro || key.current.type == kKeyTypeMacroRepeat) &&
           key.current.first == index;
}

bool RenumberMacroKeys(std::vector<KeyAssignmentEntry>& keys, int removed) {
    bool changed = false;
    for (KeyAssignmentEntry& key : keys) {
        if (key.current.type != kKeyTypeMacro && key.current.type != kKeyTypeMacroRepeat) continue;
        if (key.current.first == removed) {
            key.current = key.default_code;
            changed = true;
        } else if (key.current.first > removed) {
            --key.current.first;
            changed = true;
        }
    }
    return changed;
}

std::string MacroStore::ListFileNameForKind(std::string_view kind_name) {
    return IsListWritableForKind(kind_name) ? "macro.config" : "rodav_macro.config";
}

bool MacroStore::IsListWritableForKind(std::string_view kind_name) {
    return kind_name == "keyboard" || kind_name == "mouse";
}

MacroStore::MacroStore(fs::path folder, std::string list_file_name, bool writable)
    : folder_(std::move(folder)), list_file_name_(std::move(list_file_name)), writable_(writable) {}

fs::path MacroStore::ListFilePath() const {
    return folder_ / list_file_name_;
}

void MacroStore::Load() {
    const JsonFileRead read = ReadJsonFileChecked(ListFilePath());
    if (read.state == JsonFileState::kMissing) {
        list_tree_ = Json::Value();
        entries_.clear();
        return;
    }
    // A list that exists but cannot be used keeps what was read before; writing it back is
    // up to the file layer, which never writes over one it could not read and keeps a
    // damaged one beside itself first.
    if (!read.Parsed() || !read.value.isObject()) return;
    std::vector<MacroEntry> entries;
    const Json::Value& list = JsonMember(read.value, "MacroInfo");
    for (size_t i = 0; list.isArray() && i < list.size(); ++i) {
        const Json::Value& element = JsonElement(list, i);
        entries.push_back({JsonString(element, "MacroName"), JsonString(element, "Guid")});
    }
    list_tree_ = read.value;
    entries_ = std::move(entries);
    if (writable_) SeparateSharedFiles();
}

void MacroStore::SeparateSharedFiles() {
    // A copied or hand-edited list may name one Guid twice: both entries would play, save
    // and delete the same file. The later one gets a Guid and a file of its own.
    const std::vector<MacroEntry> before = entries_;
    std::vector<fs::path> made;
    for (size_t i = 0; i < entries_.size(); ++i) {
        MacroEntry& entry = entries_[i];
        if (!IsPlainFileName(entry.guid)) continue;
        const bool shared = std::any_of(entries_.begin(), entries_.begin() + static_cast<long>(i),
                                        [&](const MacroEntry& e) { return e.guid == entry.guid; });
        if (!shared) continue;
        const std::string guid = NewGuid(before);
        const fs::path source = folder_ / (entry.guid + std::string(kMacroFileExtension));
        const fs::path own = folder_ / (guid + std::string(kMacroFileExtension));
        std::error_code ec;
        if (fs::exists(source, ec)) {
            if (!fs::copy_file(source, own, fs::copy_options::none, ec)) {
                log::DebugLineF("macro list: no copy of %s for its second entry: %s",
                                source.c_str(), ec.message().c_str());
                continue;  // stays shared; deleting either entry keeps the file
            }
            made.push_back(own);
        }
        log::DebugLineF("macro list: entry %zu shared the Guid %s, now %s", i, entry.guid.c_str(),
                        guid.c_str());
        entry.guid = guid;
    }
    if (entries_ == before || WriteList()) return;
    // Not recorded: the next load makes the copies again, so these would be left over.
    std::error_code ec;
    for (const fs::path& file : made) fs::remove(file, ec);
    entries_ = before;
}

fs::path MacroStore::MacroFilePath(int index) const {
    if (index < 0 || index >= static_cast<int>(entries_.size())) return {};
    return FileInFolder(folder_, entries_[static_cast<size_t>(index)].guid, kMacroFileExtension)
        .value_or(fs::path());
}

bool MacroStore::WriteList() {
    Json::Value list(Json::arrayValue);
    for (const MacroEntry& entry : entries_) {
        Json::Value element(Json::objectValue);
        element["MacroName"] = entry.name;
        element["Guid"] = entry.guid;
        list.append(element);
    }
    if (!list_tree_.isObject()) list_tree_ = Json::Value(Json::objectValue);
    list_tree_["MacroInfo"] = list;
    if (!paths::EnsureFolder(folder_)) return false;
    return TryReplaceUserJsonFile(ListFilePath(), list_tree_);
}

bool MacroStore::NameTaken(std::string_view name) const {
    return std::any_of(entries_.begin(), entries_.end(),
                       [&](const MacroEntry& e) { return SameNameIgnoringCase(e.name, name); });
}

std::string MacroStore::NewGuid(const std::vector<MacroEntry>& also) const {
    // Never reuse a Guid the list or the folder has (two macros made in one millisecond).
    for (;;) {
        std::string guid = MakeTimestampName();
        const auto same = [&](const MacroEntry& e) { return e.guid == guid; };
        const bool listed = std::any_of(entries_.begin(), entries_.end(), same) ||
                            std::any_of(also.begin(), also.end(), same);
        std::error_code ec;
        if (!listed && !fs::exists(folder_ / (guid + std::string(kMacroFileExtension)), ec)) {
            return guid;
        }
    }
}

MacroChange MacroStore::Append(const std::string& name, const std::string& guid) {
    entries_.push_back({name, guid});
    if (!WriteList()) {
        entries_.pop_back();
        return {MacroResult::kFileError, -1, name};
    }
    return {MacroResult::kDone, static_cast<int>(entries_.size()) - 1, name};
}

MacroChange MacroStore::CreateMacro() {
    if (!writable_) return {MacroResult::kReadOnly, -1, {}};
    Load();
    if (static_cast<int>(entries_.size()) >= kMaxMacros)
        return {MacroResult::kLimitReached, -1, {}};
    std::string name;
    for (int n = 1;; ++n) {
        name = "macro_" + std::to_string(n);
        if (!NameTaken(name)) break;
    }
    return Append(name, NewGuid());
}

MacroChange MacroStore::ImportMacro(const fs::path& source) {
    if (!writable_) return {MacroResult::kReadOnly, -1, {}};
    Load();
    if (static_cast<int>(entries_.size()) >= kMaxMacros)
        return {MacroResult::kLimitReached, -1, {}};
    std::string contents;
    if (!ReadWholeFile(source, contents)) return {MacroResult::kFileError, -1, {}};
    // Only the file title names the macro; what the file says of its name and Guid is data.
    const std::string title = FileTitle(source.string());
    std::string name = title;
    for (int n = 2; NameTaken(name); ++n) name = title + "_" + std::to_string(n);
    const std::string guid = NewGuid();
    if (!paths::EnsureFolder(folder_) ||
        !ReplaceFileAtomically(folder_ / (guid + std::string(kMacroFileExtension)), contents)) {
        return {MacroResult::kFileError, -1, name};
    }
    MacroChange change = Append(name, guid);
    if (change.result != MacroResult::kDone) {
        std::error_code ec;
        fs::remove(folder_ / (guid + std::string(kMacroFileExtension)), ec);
    }
    return change;
}

MacroResult MacroStore::ExportMacro(int index, const fs::path& destination) {
    Load();
    const fs::path file = MacroFilePath(index);
    if (index < 0 || index >= static_cast<int>(entries_.size())) return MacroResult::kNoSelection;
    std::string contents;
    if (file.empty() || !ReadWholeFile(file, contents)) return MacroResult::kFileError;
    return ReplaceFileAtomically(destination, contents) ? MacroResult::kDone
                                                        : MacroResult::kFileError;
}

MacroResult MacroStore::RenameMacro(int index, std::string_view name) {
    if (!writable_) return MacroResult::kReadOnly;
    Load();
    if (index < 0 || index >= static_cast<int>(entries_.size())) return MacroResult::kNoSelection;
    if (IsBlankName(name)) return MacroResult::kNameBlank;
    if (NameTaken(name)) return MacroResult::kNameTaken;
    MacroEntry& entry = entries_[static_cast<size_t>(index)];
    const std::string old_name = entry.name;
    entry.name = std::string(name);
    if (!WriteList()) {
        entry.name = old_name;
        return MacroResult::kFileError;
    }
    return MacroResult::kDone;
}

MacroDeleteResult MacroStore::DeleteMacro(int index, const MacroDeleteContext& context) {
    MacroDeleteResult outcome;
    const auto confirmed = [&](MacroConfirmation question) {
        return !context.confirm || context.confirm(question);
    };
    if (!writable_) {
        outcome.result = MacroResult::kReadOnly;
        return outcome;
    }
    Load();
    if (!confirmed(MacroConfirmation::kDeleteMacro)) {
        outcome.result = MacroResult::kDeclined;
        return outcome;
    }
    if (index < 0 || index >= static_cast<int>(entries_.size())) {
        outcome.result = MacroResult::kNoSelection;
        return outcome;
    }
    std::vector<KeyAssignmentEntry> current_keys;
    if (context.current != nullptr) current_keys = context.current->GetKeyList();
    const bool in_use =
        std::any_of(current_keys.begin(), current_keys.end(),
                    [&](const KeyAssignmentEntry& k) { return PlaysMacro(k, index); });
    if (in_use && !confirmed(MacroConfirmation::kDeleteMacroInUse)) {
        outcome.result = MacroResult::kDeclined;
        return outcome;
    }

    // Other profiles of the kind: through the second root, so the device's own profile
    // root stays as it is. A profile without such keys is not written.
    CBasicProfiledata scratch;
    CBasicProfiledata& loader = context.current != nullptr ? *context.current : scratch;
    for (const fs::path& path : context.other_profiles) {
        loader.LoadSecondSection(path);
        std::vector<KeyAssignmentEntry> keys = loader.GetSecondKeyList();
        if (!RenumberMacroKeys(keys, index)) continue;
        loader.SetSecondKeyList(keys);
        if (loader.SaveSecond(path)) outcome.rewritten_profiles.push_back(path);
    }
    if (context.current != nullptr && RenumberMacroKeys(current_keys, index)) {
        context.current->SetKeyList(current_keys);
        // Saved at once, so that the current profile never refers to a macro by its old
        // number once the list has changed.
        (void)context.current->Save();
        outcome.current_keys_changed = true;
    }

    const fs::path file = MacroFilePath(index);
    entries_.erase(entries_.begin() + index);
    if (!WriteList()) {
        outcome.result = MacroResult::kFileError;
        return outcome;
    }
    // An entry that still names the same file (a Guid listed twice that could not be
    // separated) keeps it.
    const bool still_used = std::any_of(entries_.begin(), entries_.end(), [&](const MacroEntry& e) {
        return FileInFolder(folder_, e.guid, kMacroFileExtension) == file;
    });
    if (!file.empty() && !still_used) {
        std::error_code ec;
        fs::remove(file, ec);
    }
    return outcome;
}

}  // namespace dz
