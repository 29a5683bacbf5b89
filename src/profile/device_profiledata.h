#pragma once
// Device sections that only one kind of device has: keyboard system settings and per-key
// custom colours, mouse DPI stages, pointer values and correction presets, and headset
// sound settings with its equaliser presets. Getters read the profile root (the colour and
// band getters also fill missing entries with zeros, so the next save writes a complete
// structure); setters change the tree and the cached copy; `Save` persists.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "profile/basic_profiledata.h"

namespace dz {

// Three 32-bit words, each a low and a high 16-bit half.
using StageWords = std::array<uint32_t, 3>;

[[nodiscard]] constexpr uint32_t PackHalves(int low, int high) {
    return (static_cast<uint32_t>(low) & 0xFFFFu) | ((static_cast<uint32_t>(high) & 0xFFFFu) << 16);
}
[[nodiscard]] constexpr int LowHalf(uint32_t word) {
    return static_cast<int>(word & 0xFFFFu);
}
[[nodiscard]] constexpr int HighHalf(uint32_t word) {
    return static_cast<int>(word >> 16);
}

// One custom key colour: byte 0 red, 1 green, 2 blue, 3 alpha.
struct KeyColor {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;
    friend bool operator==(const KeyColor&, const KeyColor&) = default;
};

class CKeyboardProfiledata : public CBasicProfiledata {
  public:
    // Word 0: "Repeat" | "RepeatDelay" << 16; word 1: "Key6Flag" | "PollingRate" << 16;
    // word 2: "WFlag" | "WinFlag" << 16.
    StageWords GetSystemStages();
    void SetSystemStages(const StageWords& words);

    // `count` colours of custom group `group`; missing ones read as zero and are filled in.
    std::vector<KeyColor> GetCustomColors(int group, int count);
    void SetCustomColors(const std::vector<KeyColor>& colors, int group);
    int GetCustomGroupIndex();
    void SetCustomGroupIndex(int index);

  private:
    StageWords system_stages_{};
    std::vector<KeyColor> custom_colors_;
    int custom_group_index_ = 0;
};

// A DPI stage: 9 bytes on the device.
struct DpiStageRecord {
    uint8_t active = 0;  // "StageActive"
    uint8_t xy = 0;      // "StageXY"
    uint16_t dpi_x = 0;  // "StageDPIX"
    uint16_t dpi_y = 0;  // "StageDPIY"
    uint8_t red = 0;     // "StageColorR"
    uint8_t green = 0;   // "StageColorG"
    uint8_t blue = 0;    // "StageColorB"

    // The device form, DPI values little-endian.
    [[nodiscard]] std::array<uint8_t, 9> Bytes() const {
        return {active,
                xy,
                static_cast<uint8_t>(dpi_x & 0xFF),
                static_cast<uint8_t>(dpi_x >> 8),
                static_cast<uint8_t>(dpi_y & 0xFF),
                static_cast<uint8_t>(dpi_y >> 8),
                red,
                green,
                blue};
    }
    friend bool operator==(const DpiStageRecord&, const DpiStageRecord&) = default;
};

// A sensor correction preset of "CorrectInfo".
struct CorrectionPreset {
    uint8_t pixel_threshold = 0;  // "CorrectPixThresh"
    uint8_t min_square = 0;       // "CorrectMinSq"
    uint8_t selected = 0;         // "CorrectSelect"
    std::string name;             // "CorrectName", UTF-8
};

class CMouseProfiledata : public CBasicProfiledata {
  public:
    // Merges the profile's stages into the cached list: stage j replaces cached stage j or
    // is appended; cached stages beyond the profile's keep their values.
    std::vector<DpiStageRecord> GetDpiStages();
    void SetDpiStages(const std::vector<DpiStageRecord>& stages);
    // The index read by the last GetDpiStages or set by SetCurrentStage.
    [[nodiscard]] int GetCurrentStage() const { return current_stage_; }
    void SetCurrentStage(int stage);

    // Word 0: "DoubleClickTime" | "MouseSpeed" << 16; word 1: "PointerPrecision" |
    // "ScorllPage" << 16; word 2: "WheelScorlllinse" | "ReportStages"."StageActive" << 16.
    StageWords GetSystemValues();
    void SetSystemValues(const StageWords& words);

    std::vector<CorrectionPreset> GetCorrectionPresets();

  private:
    std::vector<DpiStageRecord> dpi_stages_;
    int current_stage_ = 0;
    StageWords system_values_{};
    std::vector<CorrectionPreset> correction_presets_;
};

inline constexpr int kEqBandCount = 10;
// The equaliser setting that selects a user preset instead of a built-in one.
inline constexpr int kCustomEqPreset = 13;

// "MagicEnable", "MagicType", "EqType", "CustomEqSeletIndex", "MicInSelect", "MicInValue",
// "MicMoniterSelect", "MicMoniterValue".
using HeadsetSystemValues = std::array<int32_t, 8>;

// Row of "EQHzValueInfo" for built-in preset `preset`: 1 for 0 and anything above 13
// (negative values too), the preset itself for 1..12, none for 13.
[[nodiscard]] std::optional<int> EqPresetRow(int preset);

class CDo6533Profiledata : public CBasicProfiledata {
  public:
    HeadsetSystemValues GetSystemSetStages();
    void SetSystemSetStages(const HeadsetSystemValues& values);

    // Ten gains of built-in preset `preset`; empty for the user-preset setting 13.
    std::vector<int> GetEqBands(int preset);
    // Writes ten gains (missing ones as 0); nothing for 13.
    void SetEqBands(int preset, const std::vector<int>& gains);

    std::vector<std::string> GetCustomEqNames();
    // Replaces the whole name list.
    void SetCustomEqNames(const std::vector<std::string>& names);
    std::vector<int> GetCustomEqBands(int index);
    void SetCustomEqBands(int index, const std::vector<int>& gains);

  private:
    HeadsetSystemValues system_values_{};
    std::vector<int> bands_;
};

}  // namespace dz
