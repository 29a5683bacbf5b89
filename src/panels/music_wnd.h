#pragma once
// CMusicWnd: the audio style window ("music.xml"). It edits a copy of the audio styles:
// one of four styles is chosen with "audio_select_tab1".."4", its colour with three sliders
// of 0..9 each, and the four names in "audio_edit_name1".."4" (an empty name becomes the
// style's default name). "okbtn" accepts (1), "closebtn" and the system close end with 0.

#include <array>

#include "panels/audio/audio_styles.h"
#include "ui/window_base.h"

namespace dz::panels {

class CMusicWnd : public ui::WindowBase {
    Q_OBJECT
  public:
    static constexpr int kWidth = 369;
    static constexpr int kHeight = 276;

    explicit CMusicWnd(QWidget* parent);

    void SetAudioStyleRecord(const AudioStyleRecord& record);
    [[nodiscard]] const AudioStyleRecord& GetAudioStyleRecord() const { return record_; }

  protected:
    void InitWindow() override;
    void Notify(const ui::Notification& msg) override;
    void changeEvent(QEvent* event) override;

  private:
    // False, with "GetAudioLightInfo control is NULL", when the skin lacks an option or
    // a slider.
    [[nodiscard]] bool ControlsPresent() const;
    void ShowStyle(int style);
    [[nodiscard]] int SelectedStyle() const;

    AudioStyleRecord record_;
    std::array<QWidget*, 4> options_{};
    std::array<QWidget*, 3> sliders_{};
    std::array<QWidget*, 4> names_{};
    QWidget* close_btn_ = nullptr;
    bool showing_ = false;  // the sliders are being set from the record
};


}  // namespace dz::panels
