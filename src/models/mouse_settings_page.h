#pragma once
// The mouse's settings page: one 128-byte page per on-device profile, of which the host
// writes the first 66 bytes and reads the first 71. It carries the lighting, the report
// rate, the current DPI stage, the five DPI stages, the screen size and the line
// correction. Byte 0 of the settings area (the start of page 0) is the profile the mouse
// is using.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "models/panel_lists.h"
#include "profile/device_profiledata.h"
#include "profile/profile_records.h"

namespace dz {

inline constexpr size_t kMousePageStride = 128;
inline constexpr size_t kMousePageWriteSize = 66;
inline constexpr size_t kMousePageReadSize = 71;
inline constexpr size_t kDpiStageRecordSize = 9;
inline constexpr int kMousePageStages = 5;
// Mode indexes from here on are the user's light effects, which the mouse cannot run: it is
// given standard mode 0 for them.
inline constexpr int kFirstUserLightEffect = 10;
inline constexpr int kMaxStoredSpeed = 4;

// Page offsets.
inline constexpr size_t kPageProfile = 0;
inline constexpr size_t kPageMode = 1;
inline constexpr size_t kPageBrightness = 2;
inline constexpr size_t kPageSpeed = 3;  // 4 - the stored speed
inline constexpr size_t kPageDirection = 4;
inline constexpr size_t kPageMulticolour = 5;
inline constexpr size_t kPageRed = 6;
inline constexpr size_t kPageReportRate = 11;
inline constexpr size_t kPageCurrentStage = 12;
inline constexpr size_t kPageStages = 14;
inline constexpr size_t kPageByte59 = 59;
inline constexpr size_t kPageScreenWidth = 60;
inline constexpr size_t kPageScreenHeight = 62;
inline constexpr size_t kPageCorrectMinSq = 64;
inline constexpr size_t kPageCorrectPixThresh = 65;

using MousePageBytes = std::array<uint8_t, kMousePageWriteSize>;

// What one page is made of, taken from the profile and the caller.
struct MouseSettingsInput {
    LightInfoRecord light;               // bytes 0..7 of the light record are used
    std::vector<EffectListEntry> modes;  // the standard modes with their device codes
    int report_rate = 0;                 // report-rate option index
    int current_stage = 0;
    std::vector<DpiStageRecord> stages;
    std::vector<CorrectionPreset> corrections;
    uint8_t byte0 = 0;
    uint8_t byte59 = 1;
    int screen_width = 0;
    int screen_height = 0;
};

// The device code of a light record's mode: a user light effect becomes standard mode 0,
// and a mode the list has no code for is sent as its own index.
[[nodiscard]] uint8_t MouseModeCode(int mode_index, std::span<const EffectListEntry> modes);
// The position of a device code among the standard modes' codes; a code that none has
// stays as it is.
[[nodiscard]] int MouseModeIndexOfCode(uint8_t code, std::span<const EffectListEntry> modes);

// The first 66 bytes of a page. Stages the list lacks are zero; a report-rate index or a
// current stage outside 0..4 is written as 0, as the page shows it; a stored speed above 4
// counts as 4.
[[nodiscard]] MousePageBytes EncodeMouseSettingsPage(const MouseSettingsInput& in);

// A page read back (71 bytes; a shorter input reads as zeros beyond its end).
struct MouseSettingsPage {
    uint8_t profile = 0;
    uint8_t mode_code = 0;
    uint8_t brightness = 0;
    uint8_t speed = 0;  // stored form: 4 - the page's byte, 0 when the byte is above 4
    uint8_t direction = 0;
    uint8_t multicolour = 0;
    uint8_t red = 0, green = 0, blue = 0;
    uint8_t report_rate = 0;
    uint8_t current_stage = 0;
    std::array<DpiStageRecord, kMousePageStages> stages{};
    uint8_t byte59 = 0;
    uint16_t screen_width = 0;
    uint16_t screen_height = 0;
    uint8_t correct_min_sq = 0;
    uint8_t correct_pix_thresh = 0;
};
[[nodiscard]] MouseSettingsPage DecodeMouseSettingsPage(std::span<const uint8_t> bytes);

[[nodiscard]] DpiStageRecord StageFromBytes(std::span<const uint8_t, kDpiStageRecordSize> b);
// The selected line correction: the first preset whose selection flag is set, or none.
[[nodiscard]] const CorrectionPreset* SelectedCorrection(std::span<const CorrectionPreset> presets);

// The report-rate index held in MouseSystemValues (word 2, bits 16 to 23).
[[nodiscard]] constexpr int ReportRateOf(const StageWords& words) {
    return static_cast<int>((words[2] >> 16) & 0xFF);
}
[[nodiscard]] constexpr StageWords WithReportRate(StageWords words, int index) {
    words[2] = (words[2] & 0xFF00FFFFu) | ((static_cast<uint32_t>(index) & 0xFF) << 16);
    return words;
}

}  // namespace dz
