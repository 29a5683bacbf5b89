#pragma once
// A kind's macros in a test's user data folder: "macro.config" and one ".mac" file per
// macro, each with as many key events as asked.

#include <filesystem>
#include <string>
#include <vector>

#include <json/value.h>

#include "macro/macro_event.h"
#include "support/temp_folder.h"

namespace dz::test {

// Key presses and releases of usage 4 + `tag`, 300 ms apart.
inline std::vector<MacroEvent> KeyEvents(size_t n, int tag = 0) {
    std::vector<MacroEvent> events;
    for (size_t i = 0; i < n; ++i)
        events.push_back({kMacroEventKey, 4 + tag, i % 2 ? "up" : "down", "300"});
    return events;
}

inline void WriteMacroFile(const std::filesystem::path& folder, const std::string& guid,
                           const std::vector<MacroEvent>& events) {
    Json::Value file;
    file["Events"] = Json::Value(Json::arrayValue);
    for (const MacroEvent& e : events) file["Events"].append(EventToJson(e));
    WriteJson(folder / (guid + ".mac"), file);
}

// Macro i is "macro_<i+1>" with KeyEvents(event_counts[i], i).
inline void WriteMacroList(const std::filesystem::path& folder,
                           const std::vector<size_t>& event_counts) {
    Json::Value list;
    list["MacroInfo"] = Json::Value(Json::arrayValue);
    for (size_t i = 0; i < event_counts.size(); ++i) {
        const std::string guid = "2024_01_01_00_00_00_" + std::to_string(100 + i);
        Json::Value entry;
        entry["MacroName"] = "macro_" + std::to_string(i + 1);
        entry["Guid"] = guid;
        list["MacroInfo"].append(entry);
        WriteMacroFile(folder, guid, KeyEvents(event_counts[i], static_cast<int>(i)));
    }
    WriteJson(folder / "macro.config", list);
}

}  // namespace dz::test
