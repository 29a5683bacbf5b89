#include "models/mouse_performance.h"

#include <QAbstractSlider>
#include <algorithm>

#include "device/colour_request.h"
#include "models/mouse_settings_page.h"
#include "platform/log/debug_log.h"
#include "ui/control_ops.h"

namespace dz {
namespace {

QWidget* Find(QWidget* page, const QString& name) {
    return page == nullptr ? nullptr : page->findChild<QWidget*>(name);
}

QString Numbered(const char* prefix, int n) {
    return QString::fromLatin1(prefix) + QString::number(n);
}

bool RowOk(int n) {
    return n >= 0 && n < kDpiRows;
}

QRgb StageColour(const DpiStageRecord& s) {
    return qRgba(s.red, s.green, s.blue, 255);
}

}  // namespace

void MousePerformance::Bind(QWidget* page) {
    page_ = page;
    for (int n = 0; n < kDpiRows; ++n) {
        Row& r = rows_[static_cast<size_t>(n)];
        r.layout = Find(page, Numbered("DPI_layout_", n));
        r.enable = Find(page, Numbered("DPI_enable_check_", n));
        r.select = Find(page, Numbered("DPI_select_check_", n));
        r.slider = Find(page, Numbered("DPI_slider_", n));
        r.edit = Find(page, Numbered("DPI_edit_", n));
        r.colour = Find(page, Numbered("DPI_color_option_", n));
        rodav_sliders_[static_cast<size_t>(n)] = Find(page, Numbered("rodav_DPI_slider_", n));
        rodav_edits_[static_cast<size_t>(n)] = Find(page, Numbered("rodav_DPI_edit_", n));
    }
    for (int n = 0; n < kReportRateOptions; ++n)
        polling_[static_cast<size_t>(n)] = Find(page, Numbered("polling_rate_option_", n));
    for (int n = 0; n < 2; ++n)
        mouse_options_[static_cast<size_t>(n)] =
            Find(page, Numbered("mouse_device_seting_option_", n));
    pointer_speed_ = Find(page, QStringLiteral("pointer_speed_slider"));
    pointer_precision_ = Find(page, QStringLiteral("pointer_precision_check"));
    scroll_speed_ = Find(page, QStringLiteral("scroll_speed_slider"));
    scrolls_page_ = Find(page, QStringLiteral("scrolls_page_check"));
    double_click_ = Find(page, QStringLiteral("double_click_slider"));
}

void MousePerformance::ApplyScale() {
    const DpiScale& scale = host_.Scale();
    const int top_figure = static_cast<int>(std::min<int64_t>(scale.HighestFigure(), INT32_MAX));
    for (const Row& r : rows_) {
        ui::SetMinValue(r.slider, 0);
        ui::SetMaxValue(r.slider, scale.highest);
        ui::SetMinValue(r.edit, 0);
        ui::SetMaxValue(r.edit, top_figure);
    }
}

int MousePerformance::SliderPosition(int n) const {
    return ui::Value(rows_[static_cast<size_t>(n)].slider);
}

void MousePerformance::ShowRow(int n, int q, bool set_slider) {
    const Row& r = rows_[static_cast<size_t>(n)];
    if (set_slider) ui::SetValue(r.slider, q);
    const bool current = n == host_.WorkingStages().current;
    ui::SetForeImage(r.slider, QString::fromLatin1(kDpiSliderForeImage));
    const QString thumb = QString::fromLatin1(current ? kDpiCurrentThumb : kDpiOtherThumb);
    ui::SetThumbImages(r.slider, thumb, thumb, thumb);
    ui::SetSelected(r.select, current);
    ui::SetText(r.edit, QString::number(host_.Scale().Figure(q)));
}

void MousePerformance::ShowEnabled(int n, bool enabled) {
    const Row& r = rows_[static_cast<size_t>(n)];
    ui::SetEnabled(r.layout, enabled);
    ui::SetSelected(r.enable, enabled);
}

void MousePerformance::ShowEnableChecks() {
    const auto usable = EnableChecksUsable(host_.WorkingStages());
    for (int n = 0; n < kDpiRows; ++n)
        ui::SetEnabled(rows_[static_cast<size_t>(n)].enable, usable[static_cast<size_t>(n)]);
}

void MousePerformance::ShowColour(int n) {
    ui::SetBkColor(rows_[static_cast<size_t>(n)].colour,
                   StageColour(StageOrZero(host_.WorkingStages().stages, n)));
}

void MousePerformance::ShowStages() {
    const MouseStages& s = host_.WorkingStages();
    for (int n = 0; n < kDpiRows; ++n) {
        // A row the profile has no stage for shows the zero stage the mouse gets for it.
        const DpiStageRecord stage = StageOrZero(s.stages, n);
        ShowEnabled(n, stage.active != 0);
        ShowRow(n, stage.dpi_x);
        ShowColour(n);
    }
    ShowEnableChecks();
}

void MousePerformance::ShowReportRate(int index) {
    const int shown = ShownReportRate(index);
    for (int n = 0; n < kReportRateOptions; ++n)
        ui::SetSelected(polling_[static_cast<size_t>(n)], n == shown);
}

// ---- User actions --------------------------------------------------------------------------

void MousePerformance::OnDpiEnable(int n) {
    if (!RowOk(n)) return;
    const Row& r = rows_[static_cast<size_t>(n)];
    const bool on = ui::IsSelected(r.enable);
    MouseStages& s = host_.WorkingStages();
    const StageEdit result = SetStageEnabled(s, n, on);
    if (result != StageEdit::kDone) {
        // The check was switched although the rules do not allow it: it shows the stage again.
        log::DebugLineF("DPI stage %d: %s", n, StageEditText(result));
        ShowEnabled(n, StageOrZero(s.stages, n).active != 0);
        ShowEnableChecks();
        return;
    }
    ShowEnabled(n, on);
    ShowEnableChecks();
    host_.StoreStages();
}

void MousePerformance::OnDpiSelect(int n) {
    if (!RowOk(n)) return;
    // Only the check that became selected makes its stage current.
    if (!ui::IsSelected(rows_[static_cast<size_t>(n)].select)) return;
    MouseStages& s = host_.WorkingStages();
    std::array<int, kDpiRows> positions{};
    for (int k = 0; k < kDpiRows; ++k) positions[static_cast<size_t>(k)] = SliderPosition(k);
    const StageEdit result = SelectStage(s, n, positions);
    if (result != StageEdit::kDone) log::DebugLineF("DPI stage %d: %s", n, StageEditText(result));
    for (int k = 0; k < kDpiRows; ++k) ShowRow(k, positions[static_cast<size_t>(k)]);
    ShowEnableChecks();
    if (result == StageEdit::kDone) host_.StoreStages();
}

void MousePerformance::OnDpiSlider(int n) {
    if (!RowOk(n)) return;
    const int q = SliderPosition(n);
    ShowRow(n, q);
    (void)SetStageX(host_.WorkingStages(), n, q);
    host_.StoreStages();
}

void MousePerformance::OnDpiDrag(int n) {
    if (!RowOk(n)) return;
    // While the handle is held the slider's position runs ahead of its value, and the
    // slider is left where the pointer put it.
    const auto* slider =
        qobject_cast<const QAbstractSlider*>(rows_[static_cast<size_t>(n)].slider.data());
    ShowRow(n, slider != nullptr ? slider->sliderPosition() : SliderPosition(n), false);
}

void MousePerformance::OnDpiEdit(int n) {
    if (!RowOk(n)) return;
    const QString text = ui::Text(rows_[static_cast<size_t>(n)].edit);
    const int q = host_.Scale().PositionOfText(text.toStdString());
    ShowRow(n, q);
    (void)SetStageX(host_.WorkingStages(), n, q);
    host_.StoreStages();
}

void MousePerformance::OnDpiColourDialog(int n) {
    // One dialog at a time: its modal loop still delivers what the routing calls here.
    if (!RowOk(n) || colour_dialog_open_) return;
    QWidget* swatch = rows_[static_cast<size_t>(n)].colour;
    const QRgb shown = swatch != nullptr
                           ? ui::BkColor(swatch)
                           : StageColour(StageOrZero(host_.WorkingStages().stages, n));
    const QPointer<QWidget> page = page_;
    colour_dialog_open_ = true;
    const ColourAnswer answer = RequestColour(swatch != nullptr ? swatch : page_.data(),
                                              {shown, false, false});
    if (page == nullptr) return;  // the page (and this) went while the dialog was open
    colour_dialog_open_ = false;
    if (answer.result == -1) log::DebugLineF("DPI stage %d: no colour dialog opened", n);
    if (answer.result != 1) return;  // closed without a choice: nothing changes
    const QRgb c = answer.colour;
    (void)SetStageColour(host_.WorkingStages(), n, static_cast<uint8_t>(qRed(c)),
                         static_cast<uint8_t>(qGreen(c)), static_cast<uint8_t>(qBlue(c)));
    ShowColour(n);
    host_.StoreStages();
}

void MousePerformance::OnPollingRate(int n) {
    if (n < 0 || n >= kReportRateOptions) return;
    for (int k = 0; k < kReportRateOptions; ++k)
        ui::SetSelected(polling_[static_cast<size_t>(k)], k == n);
    host_.WorkingSystemValues() = WithReportRate(host_.WorkingSystemValues(), n);
    host_.StoreSystemValues(true);
}

void MousePerformance::OnSystemSlider(int which) {
    StageWords& w = host_.WorkingSystemValues();
    switch (which) {
        case 0:  // pointer speed
            w[0] = PackHalves(LowHalf(w[0]), ui::Value(pointer_speed_));
            break;
        case 1:  // wheel lines; page scrolling off
            w[2] = PackHalves(ui::Value(scroll_speed_), HighHalf(w[2]));
            w[1] = PackHalves(LowHalf(w[1]), 0);
            ui::SetSelected(scrolls_page_, false);
            break;
        case 2:  // double-click time
            w[0] = PackHalves(ui::Value(double_click_), HighHalf(w[0]));
            break;
        default:
            return;
    }
    host_.StoreSystemValues(false);
}

void MousePerformance::OnSystemOption(int which) {
    StageWords& w = host_.WorkingSystemValues();
    switch (which) {
        case 0:  // pointer precision
            w[1] = PackHalves(ui::IsSelected(pointer_precision_) ? 1 : 0, HighHalf(w[1]));
            break;
        case 1:  // page scrolling, with the wheel lines of the slider
            w[1] = PackHalves(LowHalf(w[1]), ui::IsSelected(scrolls_page_) ? 1 : 0);
            w[2] = PackHalves(ui::Value(scroll_speed_), HighHalf(w[2]));
            break;
        default:
            return;
    }
    host_.StoreSystemValues(false);
}

void MousePerformance::OnMouseOption(int n) {
    if (n < 0 || n >= static_cast<int>(mouse_options_.size())) return;
    for (size_t k = 0; k < mouse_options_.size(); ++k)
        ui::SetSelected(mouse_options_[k], static_cast<int>(k) == n);
}

void MousePerformance::OnRodavDpiDrag(int n) {
    if (!RowOk(n)) return;
    ui::SetText(rodav_edits_[static_cast<size_t>(n)],
                QString::number(ui::Value(rodav_sliders_[static_cast<size_t>(n)])));
}

void MousePerformance::OnRodavDpiEdit(int n) {
    if (!RowOk(n)) return;
    QWidget* edit = rodav_edits_[static_cast<size_t>(n)];
    const int64_t typed = ParseDecimal(ui::Text(edit).toStdString());
    const int value = static_cast<int>(std::clamp<int64_t>(typed, kRodavDpiMin, kRodavDpiMax));
    ui::SetText(edit, QString::number(value));
    ui::SetValue(rodav_sliders_[static_cast<size_t>(n)], value);
}

}  // namespace dz
