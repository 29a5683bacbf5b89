#pragma once
// The mouse's DPI stages as the page and dozadirctl edit them: one set of rules, so that
// a change made on the command line is the change the page would have made.
//
// The page has five rows. A row whose stage the profile lacks shows as a disabled stage
// at position 0 in black (the device gets zeros for it too); editing such a row first
// grows the list to it with zero stages.

#include <array>
#include <cstddef>
#include <span>
#include <vector>

#include "models/mouse_dpi.h"
#include "profile/device_profiledata.h"

namespace dz {

inline constexpr int kDpiRows = 5;

struct MouseStages {
    std::vector<DpiStageRecord> stages;
    int current = 0;  // the current stage; may be outside 0..4 in a damaged profile
};

// Stage n of the list, or a zero stage when the list lacks it.
[[nodiscard]] DpiStageRecord StageOrZero(const std::vector<DpiStageRecord>& stages, int n);
// Grows the list with zero stages so that stage n exists (n below 0 does nothing).
void EnsureStage(std::vector<DpiStageRecord>& stages, int n);

// Whether the user may switch enable check n: never for the current stage, and never for
// the only enabled stage left (the last enabled stage cannot be switched off).
[[nodiscard]] std::array<bool, kDpiRows> EnableChecksUsable(const MouseStages& s);

// What a change asks, and why it was refused.
enum class StageEdit {
    kDone,
    kNoSuchRow,      // n outside 0..4
    kLastEnabled,    // switching off the only enabled stage
    kCurrentStage,   // switching off the current stage
    kStageDisabled,  // making a disabled stage the current one
};
[[nodiscard]] const char* StageEditText(StageEdit result);

// The page's enable check n: byte 0 of stage n := on. Refuses what the page's disabled
// checks do not let the user do.
StageEdit SetStageEnabled(MouseStages& s, int n, bool on);
// The page's select check n: n becomes the current stage and every row's X position is
// taken from its slider (`slider_positions`), which grows the list to five stages.
StageEdit SelectStage(MouseStages& s, int n, std::span<const int, kDpiRows> slider_positions);
// The page's slider n released at position q (or an edit that gave q).
StageEdit SetStageX(MouseStages& s, int n, int q);
StageEdit SetStageColour(MouseStages& s, int n, uint8_t red, uint8_t green, uint8_t blue);

// Where the sliders of the page stand once the stages are shown: each stage's X, held to
// the slider's range 0..highest of `scale`.
[[nodiscard]] std::array<int, kDpiRows> SliderPositions(const MouseStages& s,
                                                        const DpiScale& scale);

// The report-rate option the page selects for an index: 0..4, anything else shows 0.
[[nodiscard]] int ShownReportRate(int index);
inline constexpr int kReportRateOptions = 5;

}  // namespace dz
