#include "ui/widgets/circle_progress.h"

#include <QPainter>
#include <algorithm>

#include "ui/dpi.h"
#include "ui/window_base.h"

namespace dz::ui {

CircleProgress::CircleProgress(QWidget* parent) : QProgressBar(parent) {
    setTextVisible(false);
}

void CircleProgress::SetBkColor(const QColor& c) {
    bk_ = c;
    update();
}

void CircleProgress::SetForeColor(const QColor& c) {
    fore_ = c;
    update();
}

double CircleProgress::SweepDegrees() const {
    // Measured from the minimum, so a range that does not start at 0 still fills exactly once.
    const double span = static_cast<double>(maximum()) - minimum();
    if (span <= 0) return 0;
    return std::clamp((value() - minimum()) / span, 0.0, 1.0) * 360.0;
}

void CircleProgress::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(Qt::NoPen);
    const QRect r = rect();
    p.setBrush(bk_);
    p.drawPie(r, 0, 360 * 16);
    // Qt counts angles counter-clockwise from 3 o'clock: -90 is the bottom, negative spans
    // run clockwise.
    p.setBrush(fore_);
    p.drawPie(r, -90 * 16, -qRound(SweepDegrees() * 16));
    p.setBrush(Qt::white);
    const int inset = ScalePx(kRingInset, DpiOf(this));
    p.drawPie(r.adjusted(inset, inset, -inset, -inset), 0, 360 * 16);
}

}  // namespace dz::ui
