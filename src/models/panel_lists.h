#pragma once
// The name lists a keyboard or mouse page offers (LoadPanelLists): the kind's macros from
// "macro.config", its built-in lighting effects and light areas from "default_light.json",
// and the custom effects of the light list file. The effect list is also the mapping between
// an effect's index (what profiles and the lighting panel hold) and its device code (what
// the device's settings carry).

#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace dz {

// One built-in effect: "LightName" (a language text key), "visible", "value" (device code).
struct EffectListEntry {
    std::string name;
    bool visible = false;
    int code = 0;
    friend bool operator==(const EffectListEntry&, const EffectListEntry&) = default;
};

struct PanelLists {
    std::vector<std::string> macro_names;     // "MacroInfo"[i]"MacroName"
    std::vector<EffectListEntry> effects;     // "DefaultLightName"[kind code]
    std::vector<std::string> areas;           // "AreaLightName"[kind code][j]"LightName"
    std::vector<std::string> custom_effects;  // light list "LightInfo"[kind code][j]"LightName"
};

struct PanelListFiles {
    std::filesystem::path macro_list;     // user data folder / "macro.config"
    std::filesystem::path default_light;  // default data folder / "default_light.json"
    std::filesystem::path light_list;     // user data folder / light-file prefix ".config"
};

// Reads the lists of kind `kind_code` into `lists`. The macro and custom effect lists are
// cleared first; a file or member that is missing leaves the effect and area lists as they
// were.
void ReadPanelLists(const PanelListFiles& files, int kind_code, PanelLists& lists);

// The index of the effect whose device code is `code`, or nothing when the list has none.
[[nodiscard]] std::optional<int> EffectIndexOfCode(std::span<const EffectListEntry> effects,
                                                   int code);
// The device code of effect `index`, or nothing when the list has no such entry.
[[nodiscard]] std::optional<int> EffectCodeOfIndex(std::span<const EffectListEntry> effects,
                                                   int index);

}  // namespace dz
