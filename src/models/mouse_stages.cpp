#include "models/mouse_stages.h"

#include <algorithm>

namespace dz {
namespace {

bool RowOk(int n) {
    return n >= 0 && n < kDpiRows;
}

}  // namespace

DpiStageRecord StageOrZero(const std::vector<DpiStageRecord>& stages, int n) {
    if (n < 0 || static_cast<size_t>(n) >= stages.size()) return {};
    return stages[static_cast<size_t>(n)];
}

void EnsureStage(std::vector<DpiStageRecord>& stages, int n) {
    if (n >= 0 && stages.size() <= static_cast<size_t>(n))
        stages.resize(static_cast<size_t>(n) + 1);
}

std::array<bool, kDpiRows> EnableChecksUsable(const MouseStages& s) {
    int enabled = 0;
    for (int n = 0; n < kDpiRows; ++n) enabled += StageOrZero(s.stages, n).active != 0;
    std::array<bool, kDpiRows> usable{};
    for (int n = 0; n < kDpiRows; ++n) {
        const bool last_one = enabled == 1 && StageOrZero(s.stages, n).active != 0;
        usable[static_cast<size_t>(n)] = n != s.current && !last_one;
    }
    return usable;
}

const char* StageEditText(StageEdit result) {
    switch (result) {
        case StageEdit::kDone:
            return "done";
        case StageEdit::kNoSuchRow:
            return "there is no such stage (0 to 4)";
        case StageEdit::kLastEnabled:
            return "the last enabled stage cannot be switched off";
        case StageEdit::kCurrentStage:
            return "the current stage cannot be switched off";
        case StageEdit::kStageDisabled:
            return "a disabled stage cannot be the current stage";
    }
    return "?";
}

StageEdit SetStageEnabled(MouseStages& s, int n, bool on) {
    if (!RowOk(n)) return StageEdit::kNoSuchRow;
    if (!on && StageOrZero(s.stages, n).active != 0) {
        if (n == s.current) return StageEdit::kCurrentStage;
        if (!EnableChecksUsable(s)[static_cast<size_t>(n)]) return StageEdit::kLastEnabled;
    }
    EnsureStage(s.stages, n);
    s.stages[static_cast<size_t>(n)].active = on ? 1 : 0;
    return StageEdit::kDone;
}

StageEdit SelectStage(MouseStages& s, int n, std::span<const int, kDpiRows> slider_positions) {
    if (!RowOk(n)) return StageEdit::kNoSuchRow;
    if (StageOrZero(s.stages, n).active == 0) return StageEdit::kStageDisabled;
    s.current = n;
    EnsureStage(s.stages, kDpiRows - 1);
    for (int k = 0; k < kDpiRows; ++k) {
        s.stages[static_cast<size_t>(k)].dpi_x =
            static_cast<uint16_t>(std::clamp(slider_positions[static_cast<size_t>(k)], 0, 0xFFFF));
    }
    return StageEdit::kDone;
}

StageEdit SetStageX(MouseStages& s, int n, int q) {
    if (!RowOk(n)) return StageEdit::kNoSuchRow;
    EnsureStage(s.stages, n);
    s.stages[static_cast<size_t>(n)].dpi_x = static_cast<uint16_t>(std::clamp(q, 0, 0xFFFF));
    return StageEdit::kDone;
}

StageEdit SetStageColour(MouseStages& s, int n, uint8_t red, uint8_t green, uint8_t blue) {
    if (!RowOk(n)) return StageEdit::kNoSuchRow;
    EnsureStage(s.stages, n);
    DpiStageRecord& r = s.stages[static_cast<size_t>(n)];
    r.red = red;
    r.green = green;
    r.blue = blue;
    return StageEdit::kDone;
}

std::array<int, kDpiRows> SliderPositions(const MouseStages& s, const DpiScale& scale) {
    std::array<int, kDpiRows> q{};
    for (int n = 0; n < kDpiRows; ++n)
        q[static_cast<size_t>(n)] =
            std::clamp<int>(StageOrZero(s.stages, n).dpi_x, 0, scale.highest);
    return q;
}

int ShownReportRate(int index) {
    return index >= 0 && index < kReportRateOptions ? index : 0;
}

}  // namespace dz
