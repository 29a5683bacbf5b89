#include "models/mouse_settings_page.h"

#include <algorithm>

#include "models/mouse_stages.h"

namespace dz {
namespace {

void Put16(MousePageBytes& page, size_t at, int value) {
    page[at] = static_cast<uint8_t>(value & 0xFF);
    page[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

uint8_t InRangeOrZero(int value, int count) {
    return static_cast<uint8_t>(value >= 0 && value < count ? value : 0);
}

}  // namespace

uint8_t MouseModeCode(int mode_index, std::span<const EffectListEntry> modes) {
    const int index = mode_index >= kFirstUserLightEffect || mode_index < 0 ? 0 : mode_index;
    return static_cast<uint8_t>(EffectCodeOfIndex(modes, index).value_or(index));
}

int MouseModeIndexOfCode(uint8_t code, std::span<const EffectListEntry> modes) {
    return EffectIndexOfCode(modes, code).value_or(code);
}

MousePageBytes EncodeMouseSettingsPage(const MouseSettingsInput& in) {
    MousePageBytes page{};
    for (size_t i = 0; i < in.stages.size() && i < static_cast<size_t>(kMousePageStages); ++i) {
        const auto bytes = in.stages[i].Bytes();
        std::copy(bytes.begin(), bytes.end(), page.begin() + kPageStages + kDpiStageRecordSize * i);
    }
    const LightInfoRecord& l = in.light;
    page[kPageMode] = MouseModeCode(l.mode, in.modes);
    page[kPageBrightness] = l.brightness;
    page[kPageSpeed] =
        static_cast<uint8_t>(kMaxStoredSpeed - std::min<int>(l.speed, kMaxStoredSpeed));
    page[kPageDirection] = l.direction;
    page[kPageMulticolour] = l.multicolor;
    page[kPageRed] = l.red;
    page[kPageRed + 1] = l.green;
    page[kPageRed + 2] = l.blue;
    page[kPageReportRate] = static_cast<uint8_t>(ShownReportRate(in.report_rate));
    page[kPageCurrentStage] = InRangeOrZero(in.current_stage, kMousePageStages);
    page[kPageProfile] = in.byte0;
    page[kPageByte59] = in.byte59;
    Put16(page, kPageScreenWidth, in.screen_width);
    Put16(page, kPageScreenHeight, in.screen_height);
    if (const CorrectionPreset* c = SelectedCorrection(in.corrections)) {
        page[kPageCorrectMinSq] = c->min_square;
        page[kPageCorrectPixThresh] = c->pixel_threshold;
    }
    return page;
}

DpiStageRecord StageFromBytes(std::span<const uint8_t, kDpiStageRecordSize> b) {
    DpiStageRecord r;
    r.active = b[0];
    r.xy = b[1];
    r.dpi_x = static_cast<uint16_t>(b[2] | (b[3] << 8));
    r.dpi_y = static_cast<uint16_t>(b[4] | (b[5] << 8));
    r.red = b[6];
    r.green = b[7];
    r.blue = b[8];
    return r;
}

MouseSettingsPage DecodeMouseSettingsPage(std::span<const uint8_t> bytes) {
    std::array<uint8_t, kMousePageReadSize> b{};
    std::copy_n(bytes.begin(), std::min(bytes.size(), b.size()), b.begin());
    MouseSettingsPage p;
    p.profile = b[kPageProfile];
    p.mode_code = b[kPageMode];
    p.brightness = b[kPageBrightness];
    p.speed = static_cast<uint8_t>(
        b[kPageSpeed] <= kMaxStoredSpeed ? kMaxStoredSpeed - b[kPageSpeed] : 0);
    p.direction = b[kPageDirection];
    p.multicolour = b[kPageMulticolour];
    p.red = b[kPageRed];
    p.green = b[kPageRed + 1];
    p.blue = b[kPageRed + 2];
    p.report_rate = b[kPageReportRate];
    p.current_stage = b[kPageCurrentStage];
    for (size_t i = 0; i < p.stages.size(); ++i)
        p.stages[i] = StageFromBytes(std::span<const uint8_t, kDpiStageRecordSize>(
            b.data() + kPageStages + kDpiStageRecordSize * i, kDpiStageRecordSize));
    p.byte59 = b[kPageByte59];
    p.screen_width = static_cast<uint16_t>(b[kPageScreenWidth] | (b[kPageScreenWidth + 1] << 8));
    p.screen_height = static_cast<uint16_t>(b[kPageScreenHeight] | (b[kPageScreenHeight + 1] << 8));
    p.correct_min_sq = b[kPageCorrectMinSq];
    p.correct_pix_thresh = b[kPageCorrectPixThresh];
    return p;
}

const CorrectionPreset* SelectedCorrection(std::span<const CorrectionPreset> presets) {
    for (const CorrectionPreset& p : presets)
        if (p.selected != 0) return &p;
    return nullptr;
}

}  // namespace dz
