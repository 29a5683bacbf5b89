#pragma once
// The mouse page's performance settings: the five DPI stage rows, the report-rate options,
// the pointer options and the "rodav" DPI rows. It finds its controls by name in the page,
// shows the mouse object's stages in them, and turns the user's actions into changes of
// the stages (with the rules of mouse_stages.h) that the mouse object stores and writes.
// UI thread only.

#include <QPointer>
#include <QRgb>
#include <QWidget>
#include <array>
#include <functional>

#include "device/device_page.h"
#include "models/mouse_dpi.h"
#include "models/mouse_stages.h"

namespace dz {

// What the rows need of the mouse object.
class MousePerformanceHost {
  public:
    virtual ~MousePerformanceHost() = default;
    [[nodiscard]] virtual MouseStages& WorkingStages() = 0;
    [[nodiscard]] virtual const DpiScale& Scale() const = 0;
    // Into the profile, saved, and the settings page written.
    virtual void StoreStages() = 0;
    [[nodiscard]] virtual StageWords& WorkingSystemValues() = 0;
    // Into the profile and saved; `write` also writes the settings page (report rate).
    virtual void StoreSystemValues(bool write) = 0;
};

// Names of the images that mark the current stage's slider (skin files).
inline constexpr const char* kDpiSliderForeImage = "Control/SliderBar_BK1.png";
inline constexpr const char* kDpiCurrentThumb = "Control/SliderBar1_Thumb.png";
inline constexpr const char* kDpiOtherThumb = "Control/SliderBar2_Thumb.png";
inline constexpr int kRodavDpiMin = 200;
inline constexpr int kRodavDpiMax = 6500;

class MousePerformance : public MouseSettings {
  public:
    explicit MousePerformance(MousePerformanceHost& host) : host_(host) {}

    // Finds the controls in `page` (a control the skin lacks is skipped).
    void Bind(QWidget* page);
    // The ranges of the sliders (0 to the highest position) and of the edits (0 to the
    // highest position's figure).
    void ApplyScale();
    // Every row from the stages, and the report-rate option.
    void ShowStages();
    void ShowReportRate(int index);

    // ---- MouseSettings (the routing) -----------------------------------------------------
    void OnDpiColourDialog(int n) override;
    void OnDpiEnable(int n) override;
    void OnDpiSelect(int n) override;
    void OnDpiSlider(int n) override;
    void OnDpiDrag(int n) override;
    void OnDpiEdit(int n) override;
    void OnRodavDpiDrag(int n) override;
    void OnRodavDpiEdit(int n) override;
    void OnSystemOption(int which) override;
    void OnSystemSlider(int which) override;
    void OnMouseOption(int n) override;
    void OnPollingRate(int n) override;

    // The controls of row n (null where the skin has none), for tests.
    struct Row {
        QPointer<QWidget> layout, enable, select, slider, edit, colour;
    };
    [[nodiscard]] const Row& RowControls(int n) const { return rows_[static_cast<size_t>(n)]; }

  private:
    // Row n's slider at q (unless the user holds it), its look as the current stage or not,
    // and q's figure in the edit.
    void ShowRow(int n, int q, bool set_slider = true);
    // Row n's enabled state (container and check).
    void ShowEnabled(int n, bool enabled);
    // Which enable checks the user may switch: not the current stage's, not the last one.
    void ShowEnableChecks();
    void ShowColour(int n);
    [[nodiscard]] int SliderPosition(int n) const;

    MousePerformanceHost& host_;
    QPointer<QWidget> page_;
    bool colour_dialog_open_ = false;
    std::array<Row, kDpiRows> rows_{};
    std::array<QPointer<QWidget>, kReportRateOptions> polling_{};
    QPointer<QWidget> pointer_speed_, pointer_precision_, scroll_speed_, scrolls_page_,
        double_click_;
    std::array<QPointer<QWidget>, kDpiRows> rodav_sliders_{}, rodav_edits_{};
    std::array<QPointer<QWidget>, 2> mouse_options_{};
};

}  // namespace dz
