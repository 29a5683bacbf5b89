#include "models/panel_lists.h"

#include "profile/json_file.h"

namespace dz {

void ReadPanelLists(const PanelListFiles& files, int kind_code, PanelLists& lists) {
    const size_t kind = kind_code < 0 ? 0 : static_cast<size_t>(kind_code);

    lists.macro_names.clear();
    const Json::Value macro_file = ReadJsonFile(files.macro_list);
    const Json::Value& macros = JsonMember(macro_file, "MacroInfo");
    for (size_t i = 0; i < JsonSize(macros); ++i)
        lists.macro_names.push_back(JsonString(JsonElement(macros, i), "MacroName"));

    const Json::Value defaults = ReadJsonFile(files.default_light);
    const Json::Value& effects = JsonElement(JsonMember(defaults, "DefaultLightName"), kind);
    if (effects.isArray()) {
        lists.effects.clear();
        for (size_t j = 0; j < effects.size(); ++j) {
            const Json::Value& e = JsonElement(effects, j);
            lists.effects.push_back(
                {JsonString(e, "LightName"), JsonBool(e, "visible"), JsonInt(e, "value")});
        }
    }
    const Json::Value& areas = JsonElement(JsonMember(defaults, "AreaLightName"), kind);
    if (areas.isArray()) {
        lists.areas.clear();
        for (size_t j = 0; j < areas.size(); ++j)
            lists.areas.push_back(JsonString(JsonElement(areas, j), "LightName"));
    }

    lists.custom_effects.clear();
    const Json::Value light_list = ReadJsonFile(files.light_list);
    const Json::Value& custom = JsonElement(JsonMember(light_list, "LightInfo"), kind);
    for (size_t j = 0; j < JsonSize(custom); ++j)
        lists.custom_effects.push_back(JsonString(JsonElement(custom, j), "LightName"));
}

std::optional<int> EffectIndexOfCode(std::span<const EffectListEntry> effects, int code) {
    for (size_t i = 0; i < effects.size(); ++i)
        if (effects[i].code == code) return static_cast<int>(i);
    return std::nullopt;
}

std::optional<int> EffectCodeOfIndex(std::span<const EffectListEntry> effects, int index) {
    if (index < 0 || static_cast<size_t>(index) >= effects.size()) return std::nullopt;
    return effects[static_cast<size_t>(index)].code;
}

}  // namespace dz
