#include "profile/device_profiledata.h"

#include "profile/json_file.h"

namespace dz {
namespace {

uint8_t LowByte(int value) {
    return static_cast<uint8_t>(value & 0xFF);
}

// Reads pairs of keys of a fixed object into words (low key, high key per word).
template <size_t N>
StageWords ReadWords(const Json::Value& object, const std::array<const char*, N>& keys) {
    StageWords words{};
    for (size_t w = 0; w < words.size() && 2 * w + 1 < N; ++w) {
        words[w] = PackHalves(JsonInt(object, keys[2 * w]), JsonInt(object, keys[2 * w + 1]));
    }
    return words;
}

constexpr std::array<const char*, 6> kKeyboardStageKeys{"Repeat",      "RepeatDelay", "Key6Flag",
                                                        "PollingRate", "WFlag",       "WinFlag"};
constexpr std::array<const char*, 6> kMouseSystemKeys{
    "DoubleClickTime", "MouseSpeed", "PointerPrecision", "ScorllPage", "WheelScorlllinse", ""};
constexpr std::array<const char*, 8> kHeadsetKeys{
    "MagicEnable", "MagicType",  "EqType",           "CustomEqSeletIndex",
    "MicInSelect", "MicInValue", "MicMoniterSelect", "MicMoniterValue"};

// Ten gains of one band row; a missing row (or none at all) is filled with zeros.
std::vector<int> ReadBandRow(Json::Value& table, size_t row) {
    std::vector<int> gains;
    gains.reserve(kEqBandCount);
    const bool missing = JsonElement(table, row).isNull();
    for (size_t band = 0; band < kEqBandCount; ++band) {
        if (missing) {
            JsonMemberForWrite(JsonElementForWrite(JsonElementForWrite(table, row), band),
                               "value") = 0;
            gains.push_back(0);
        } else {
            gains.push_back(JsonInt(JsonElement(JsonElement(table, row), band), "value"));
        }
    }
    return gains;
}

void WriteBandRow(Json::Value& table, size_t row, const std::vector<int>& gains) {
    Json::Value& bands = JsonElementForWrite(table, row);
    for (size_t band = 0; band < kEqBandCount; ++band) {
        JsonMemberForWrite(JsonElementForWrite(bands, band), "value") =
            band < gains.size() ? gains[band] : 0;
    }
}

}  // namespace

// ---- Keyboard ----------------------------------------------------------------------------

StageWords CKeyboardProfiledata::GetSystemStages() {
    const Json::Value& stages = JsonMember(ProfileRoot(), "SystemStages");
    system_stages_ = stages.isObject() ? ReadWords(stages, kKeyboardStageKeys) : StageWords{};
    return system_stages_;
}

void CKeyboardProfiledata::SetSystemStages(const StageWords& words) {
    system_stages_ = words;
    Json::Value& stages = JsonMemberForWrite(MutableRoot(), "SystemStages");
    for (size_t w = 0; w < words.size(); ++w) {
        JsonMemberForWrite(stages, kKeyboardStageKeys[2 * w]) = LowHalf(words[w]);
        JsonMemberForWrite(stages, kKeyboardStageKeys[2 * w + 1]) = HighHalf(words[w]);
    }
}

std::vector<KeyColor> CKeyboardProfiledata::GetCustomColors(int group, int count) {
    std::vector<KeyColor> colors;
    if (group < 0 || count <= 0) {
        custom_colors_ = colors;
        return colors;
    }
    Json::Value& groups =
        JsonMemberForWrite(JsonMemberForWrite(MutableRoot(), "CustomLightMode"), "LightColorInfo");
    Json::Value& keys = JsonElementForWrite(groups, static_cast<size_t>(group));
    colors.reserve(static_cast<size_t>(count));
    for (size_t i = 0; i < static_cast<size_t>(count); ++i) {
        const Json::Value& element = JsonElement(keys, i);
        if (element.isNull()) {
            Json::Value& slot = JsonElementForWrite(keys, i);
            slot = Json::Value(Json::objectValue);
            slot["Red"] = 0;
            slot["Green"] = 0;
            slot["Blue"] = 0;
            slot["Alpha"] = 0;
            colors.push_back({});
        } else {
            colors.push_back({LowByte(JsonInt(element, "Red")), LowByte(JsonInt(element, "Green")),
                              LowByte(JsonInt(element, "Blue")),
                              LowByte(JsonInt(element, "Alpha"))});
        }
    }
    custom_colors_ = colors;
    return colors;
}

void CKeyboardProfiledata::SetCustomColors(const std::vector<KeyColor>& colors, int group) {
    custom_colors_ = colors;
    if (group < 0) return;
    Json::Value& keys = JsonElementForWrite(
        JsonMemberForWrite(JsonMemberForWrite(MutableRoot(), "CustomLightMode"), "LightColorInfo"),
        static_cast<size_t>(group));
    for (size_t i = 0; i < colors.size(); ++i) {
        Json::Value& slot = JsonElementForWrite(keys, i);
        JsonMemberForWrite(slot, "Red") = colors[i].red;
        JsonMemberForWrite(slot, "Green") = colors[i].green;
        JsonMemberForWrite(slot, "Blue") = colors[i].blue;
        JsonMemberForWrite(slot, "Alpha") = colors[i].alpha;
    }
}

int CKeyboardProfiledata::GetCustomGroupIndex() {
    custom_group_index_ =
        JsonInt(JsonMember(ProfileRoot(), "CustomLightMode"), "CustomLightModeGroupIndex");
    return custom_group_index_;
}

void CKeyboardProfiledata::SetCustomGroupIndex(int index) {
    custom_group_index_ = index;
    JsonMemberForWrite(JsonMemberForWrite(MutableRoot(), "CustomLightMode"),
                       "CustomLightModeGroupIndex") = index;
}

// ---- Mouse -------------------------------------------------------------------------------

std::vector<DpiStageRecord> CMouseProfiledata::GetDpiStages() {
    const Json::Value& section = JsonMember(ProfileRoot(), "DPIStages");
    if (section.isObject()) {
        current_stage_ = JsonInt(section, "StageActive");
        const Json::Value& list = JsonMember(section, "StageDPIs");
        for (size_t i = 0; list.isArray() && i < list.size(); ++i) {
            const Json::Value& element = JsonElement(list, i);
            DpiStageRecord stage;
            stage.active = LowByte(JsonInt(element, "StageActive"));
            stage.xy = LowByte(JsonInt(element, "StageXY"));
            stage.dpi_x = static_cast<uint16_t>(JsonInt(element, "StageDPIX") & 0xFFFF);
            stage.dpi_y = static_cast<uint16_t>(JsonInt(element, "StageDPIY") & 0xFFFF);
            stage.red = LowByte(JsonInt(element, "StageColorR"));
            stage.green = LowByte(JsonInt(element, "StageColorG"));
            stage.blue = LowByte(JsonInt(element, "StageColorB"));
            if (i < dpi_stages_.size()) {
                dpi_stages_[i] = stage;
            } else {
                dpi_stages_.push_back(stage);
            }
        }
    }
    return dpi_stages_;
}

void CMouseProfiledata::SetDpiStages(const std::vector<DpiStageRecord>& stages) {
    dpi_stages_ = stages;
    Json::Value& list =
        JsonMemberForWrite(JsonMemberForWrite(MutableRoot(), "DPIStages"), "StageDPIs");
    for (size_t i = 0; i < stages.size(); ++i) {
        Json::Value& slot = JsonElementForWrite(list, i);
        JsonMemberForWrite(slot, "StageActive") = stages[i].active;
        JsonMemberForWrite(slot, "StageXY") = stages[i].xy;
        JsonMemberForWrite(slot, "StageDPIX") = stages[i].dpi_x;
        JsonMemberForWrite(slot, "StageDPIY") = stages[i].dpi_y;
        JsonMemberForWrite(slot, "StageColorR") = stages[i].red;
        JsonMemberForWrite(slot, "StageColorG") = stages[i].green;
        JsonMemberForWrite(slot, "StageColorB") = stages[i].blue;
    }
}

void CMouseProfiledata::SetCurrentStage(int stage) {
    current_stage_ = stage;
    JsonMemberForWrite(JsonMemberForWrite(MutableRoot(), "DPIStages"), "StageActive") = stage;
}

StageWords CMouseProfiledata::GetSystemValues() {
    StageWords words{};
    const Json::Value& system = JsonMember(ProfileRoot(), "SystemStages");
    if (system.isObject()) {
        words = ReadWords(system, kMouseSystemKeys);
        int report_rate = 0;
        const Json::Value& report = JsonMember(ProfileRoot(), "ReportStages");
        if (report.isObject()) report_rate = JsonInt(report, "StageActive");
        words[2] = PackHalves(JsonInt(system, "WheelScorlllinse"), report_rate);
    }
    system_values_ = words;
    return words;
}

void CMouseProfiledata::SetSystemValues(const StageWords& words) {
    system_values_ = words;
    Json::Value& system = JsonMemberForWrite(MutableRoot(), "SystemStages");
    JsonMemberForWrite(system, "DoubleClickTime") = LowHalf(words[0]);
    JsonMemberForWrite(system, "MouseSpeed") = HighHalf(words[0]);
    JsonMemberForWrite(system, "PointerPrecision") = LowHalf(words[1]);
    JsonMemberForWrite(system, "ScorllPage") = HighHalf(words[1]);
    JsonMemberForWrite(system, "WheelScorlllinse") = LowHalf(words[2]);
    JsonMemberForWrite(JsonMemberForWrite(MutableRoot(), "ReportStages"), "StageActive") =
        HighHalf(words[2]);
}

std::vector<CorrectionPreset> CMouseProfiledata::GetCorrectionPresets() {
    std::vector<CorrectionPreset> presets;
    const Json::Value& list = JsonMember(ProfileRoot(), "CorrectInfo");
    for (size_t i = 0; list.isArray() && i < list.size(); ++i) {
        const Json::Value& element = JsonElement(list, i);
        presets.push_back({LowByte(JsonInt(element, "CorrectPixThresh")),
                           LowByte(JsonInt(element, "CorrectMinSq")),
                           LowByte(JsonInt(element, "CorrectSelect")),
                           JsonString(element, "CorrectName")});
    }
    correction_presets_ = presets;
    return presets;
}

// ---- Headset -----------------------------------------------------------------------------

std::optional<int> EqPresetRow(int preset) {
    const auto p = static_cast<unsigned>(preset);
    if (p == static_cast<unsigned>(kCustomEqPreset)) return std::nullopt;
    if (p == 0 || p > static_cast<unsigned>(kCustomEqPreset)) return 1;
    return preset;
}

HeadsetSystemValues CDo6533Profiledata::GetSystemSetStages() {
    HeadsetSystemValues values{};
    const Json::Value& stages = JsonMember(ProfileRoot(), "SystemSetStages");
    if (stages.isObject()) {
        for (size_t i = 0; i < values.size(); ++i) values[i] = JsonInt(stages, kHeadsetKeys[i]);
    }
    system_values_ = values;
    return values;
}

void CDo6533Profiledata::SetSystemSetStages(const HeadsetSystemValues& values) {
    system_values_ = values;
    Json::Value& stages = JsonMemberForWrite(MutableRoot(), "SystemSetStages");
    for (size_t i = 0; i < values.size(); ++i) {
        JsonMemberForWrite(stages, kHeadsetKeys[i]) = values[i];
    }
}

std::vector<int> CDo6533Profiledata::GetEqBands(int preset) {
    const auto row = EqPresetRow(preset);
    if (!row) {
        bands_.clear();
        return bands_;
    }
    bands_ =
        ReadBandRow(JsonMemberForWrite(MutableRoot(), "EQHzValueInfo"), static_cast<size_t>(*row));
    return bands_;
}

void CDo6533Profiledata::SetEqBands(int preset, const std::vector<int>& gains) {
    const auto row = EqPresetRow(preset);
    if (!row) return;
    WriteBandRow(JsonMemberForWrite(MutableRoot(), "EQHzValueInfo"), static_cast<size_t>(*row),
                 gains);
}

std::vector<std::string> CDo6533Profiledata::GetCustomEqNames() {
    std::vector<std::string> names;
    const Json::Value& list = JsonMember(ProfileRoot(), "CustomEQNameInfo");
    for (size_t i = 0; list.isArray() && i < list.size(); ++i) {
        names.push_back(JsonString(JsonElement(list, i), "Name"));
    }
    return names;
}

void CDo6533Profiledata::SetCustomEqNames(const std::vector<std::string>& names) {
    Json::Value list(Json::arrayValue);
    for (const std::string& name : names) {
        Json::Value element(Json::objectValue);
        element["Name"] = name;
        list.append(element);
    }
    JsonMemberForWrite(MutableRoot(), "CustomEQNameInfo") = list;
}

std::vector<int> CDo6533Profiledata::GetCustomEqBands(int index) {
    if (index < 0) {
        bands_.clear();
        return bands_;
    }
    bands_ = ReadBandRow(JsonMemberForWrite(MutableRoot(), "CustomEQHzValueInfo"),
                         static_cast<size_t>(index));
    return bands_;
}

void CDo6533Profiledata::SetCustomEqBands(int index, const std::vector<int>& gains) {
    if (index < 0) return;
    WriteBandRow(JsonMemberForWrite(MutableRoot(), "CustomEQHzValueInfo"),
                 static_cast<size_t>(index), gains);
}

}  // namespace dz
