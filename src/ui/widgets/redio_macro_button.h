#pragma once
// "RedioMacroButton": the record button. While pulsing, control timer 100 ticks every 50 ms
// and moves the fade level of the pulse image by 20, down to 80, up to 255, and back.

#include <QPushButton>

#include "ui/control_timers.h"

namespace dz::ui {

class RedioMacroButton : public QPushButton, public TimerReceiver {
    Q_OBJECT
    Q_PROPERTY(QString redioimage READ RedioImage WRITE SetRedioImage)

  public:
    static constexpr int kPulseTimerId = 100;
    static constexpr int kPulsePeriodMs = 50;
    static constexpr int kFadeStep = 20;
    static constexpr int kFadeMin = 80;
    static constexpr int kFadeMax = 255;

    explicit RedioMacroButton(QWidget* parent = nullptr);

    [[nodiscard]] QString RedioImage() const { return redioImage_; }
    void SetRedioImage(const QString& image);

    // Needs the button to be in a window (the timer is the window's); false otherwise.
    bool StartPulse();
    void StopPulse();
    [[nodiscard]] bool IsPulsing() const { return pulsing_; }
    [[nodiscard]] int FadeLevel() const { return fade_; }
    // "res='%s' fade='%d'" for the current level.
    [[nodiscard]] QString ImageString() const;

    bool OnControlTimer(int id) override;
    // One tick of the pulse.
    void Step();

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    QString redioImage_;
    int fade_ = kFadeMax;
    bool fadingDown_ = true;
    bool pulsing_ = false;
};

}  // namespace dz::ui
