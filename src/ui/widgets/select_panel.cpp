#include "ui/widgets/select_panel.h"

#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/notification.h"
#include "ui/widgets/device_key_button.h"
#include "ui/window_base.h"

namespace dz::ui {

SelectPanel::SelectPanel(QWidget* parent) : QWidget(parent) {}

void SelectPanel::UpdateBand() {
    // Left <= right and top <= bottom whichever way the mouse went; a band without width or
    // height selects nothing.
    const int l = std::min(start_.x(), current_.x()), r = std::max(start_.x(), current_.x());
    const int t = std::min(start_.y(), current_.y()), b = std::max(start_.y(), current_.y());
    band_ = QRect(l, t, r - l, b - t);
}

void SelectPanel::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) return QWidget::mousePressEvent(event);
    pressed_ = true;
    dragging_ = false;
    start_ = current_ = event->position().toPoint();
    UpdateBand();
    update();
}

void SelectPanel::mouseMoveEvent(QMouseEvent* event) {
    if (!pressed_ || !(event->buttons() & Qt::LeftButton)) return QWidget::mouseMoveEvent(event);
    dragging_ = true;
    current_ = event->position().toPoint();
    UpdateBand();
    update();
}

void SelectPanel::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton || !pressed_) return QWidget::mouseReleaseEvent(event);
    current_ = event->position().toPoint();
    UpdateBand();
    pressed_ = false;
    dragging_ = false;
    for (DeviceKeyButton* key : findChildren<DeviceKeyButton*>()) {
        const QRect keyRect(key->mapTo(this, QPoint(0, 0)), key->size());
        key->SetSelectedByBand(!band_.isEmpty() && keyRect.intersects(band_));
    }
    update();
    RaiseNotify(this, QString::fromLatin1(notify::kClickSelectEnd));
}

void SelectPanel::paintEvent(QPaintEvent*) {
    if (!dragging_ || band_.isEmpty()) return;
    QPainter p(this);
    p.setPen(QPen(QColor(0x00, 0xA0, 0xFF), 1, Qt::DashLine));
    p.setBrush(QColor(0x00, 0xA0, 0xFF, 40));
    p.drawRect(band_.adjusted(0, 0, -1, -1));
}

}  // namespace dz::ui
