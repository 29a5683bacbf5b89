#include "models/mouse_dpi.h"

#include <algorithm>
#include <cctype>
#include <limits>

namespace dz {

int64_t DpiScale::Figure(int64_t q) const {
    if (TwoSlope() && q > kTwoSlopeBreak)
        return int64_t{step} * kTwoSlopeBreak + (q - kTwoSlopeBreak) * kSecondSlopeDpi + lowest;
    return q * step + lowest;
}

int DpiScale::PositionOf(int64_t figure) const {
    // A step of 0 gives every position the lowest figure: position 0 stands for all.
    if (step == 0) return 0;
    const int64_t v =
        std::clamp<int64_t>(figure, lowest, std::max<int64_t>(lowest, HighestFigure()));
    int64_t q = 0;
    const int64_t second_slope_from = Figure(kTwoSlopeBreak);
    if (TwoSlope() && v > second_slope_from) {
        q = kTwoSlopeBreak + (v - second_slope_from) / kSecondSlopeDpi;
    } else {
        q = (v - lowest) / step;
    }
    return static_cast<int>(std::clamp<int64_t>(q, 0, highest));
}

int DpiScale::PositionOfText(std::string_view text) const {
    return PositionOf(ParseDecimal(text));
}

}  // namespace dz
