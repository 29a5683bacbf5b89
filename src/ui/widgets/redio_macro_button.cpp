#include "ui/widgets/redio_macro_button.h"

#include <QPainter>

#include "platform/log/debug_log.h"
#include "ui/image_string.h"
#include "ui/window_base.h"

namespace dz::ui {

RedioMacroButton::RedioMacroButton(QWidget* parent) : QPushButton(parent) {}

void RedioMacroButton::SetRedioImage(const QString& image) {
    redioImage_ = image;
    update();
}

bool RedioMacroButton::StartPulse() {
    WindowBase* w = WindowOf(this);
    if (!w) {
        log::DebugLineF("record button '%s' has no window: no pulse", qUtf8Printable(objectName()));
        return false;
    }
    fade_ = kFadeMax;
    fadingDown_ = true;
    pulsing_ = w->SetTimer(this, kPulseTimerId, kPulsePeriodMs);
    update();
    return pulsing_;
}

void RedioMacroButton::StopPulse() {
    if (WindowBase* w = WindowOf(this)) w->KillTimer(this, kPulseTimerId);
    pulsing_ = false;
    fade_ = kFadeMax;
    fadingDown_ = true;
    update();
}

void RedioMacroButton::Step() {
    if (fadingDown_) {
        fade_ -= kFadeStep;
        if (fade_ <= kFadeMin) {
            fade_ = kFadeMin;
            fadingDown_ = false;
        }
    } else {
        fade_ += kFadeStep;
        if (fade_ >= kFadeMax) {
            fade_ = kFadeMax;
            fadingDown_ = true;
        }
    }
    update();
}

bool RedioMacroButton::OnControlTimer(int id) {
    if (id != kPulseTimerId) return false;
    if (pulsing_) Step();
    return true;
}

QString RedioMacroButton::ImageString() const {
    return QStringLiteral("res='%1' ").arg(redioImage_) + QStringLiteral("fade='%1'").arg(fade_);
}

void RedioMacroButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    if (!pulsing_) return;
    QPainter p(this);
    DrawImageString(p, rect(), ImageString());
}

}  // namespace dz::ui
