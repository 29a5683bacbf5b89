#include "ui/widgets/color_palette.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/notification.h"
#include "ui/window_base.h"

namespace dz::ui {

ColorPalette::ColorPalette(QWidget* parent) : QWidget(parent) {}

QColor ColorPalette::ColorAt(QPoint pos) const {
    const int w = std::max(1, width() - 1), h = std::max(1, height() - 1);
    const double hue = std::clamp(pos.x(), 0, w) / static_cast<double>(w);
    const double value = 1.0 - std::clamp(pos.y(), 0, h) / static_cast<double>(h);
    return QColor::fromHsvF(static_cast<float>(std::min(hue, 0.9999)), 1.0f,
                            static_cast<float>(value));
}

void ColorPalette::SetSelectColor(const QColor& color, bool notify) {
    color_ = color;
    update();
    if (notify) RaiseNotify(this, QString::fromLatin1(notify::kColorChanged), color_.rgba());
}

void ColorPalette::Pick(QPoint pos) {
    SetSelectColor(ColorAt(pos), true);
}

void ColorPalette::paintEvent(QPaintEvent*) {
    QPainter p(this);
    QLinearGradient hue(0, 0, width(), 0);
    for (int i = 0; i <= 6; ++i) {
        hue.setColorAt(i / 6.0, QColor::fromHsvF(std::min(i / 6.0f, 0.9999f), 1.0f, 1.0f));
    }
    p.fillRect(rect(), hue);
    QLinearGradient dark(0, 0, 0, height());
    dark.setColorAt(0, QColor(0, 0, 0, 0));
    dark.setColorAt(1, QColor(0, 0, 0, 255));
    p.fillRect(rect(), dark);
}

void ColorPalette::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) Pick(event->position().toPoint());
}

void ColorPalette::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) Pick(event->position().toPoint());
}

}  // namespace dz::ui
