#include "ui/widgets/device_key_button.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/dpi.h"
#include "ui/image_string.h"
#include "ui/notification.h"
#include "ui/window_base.h"

namespace dz::ui {

DeviceKeyButton::DeviceKeyButton(QWidget* parent) : QPushButton(parent) {}

void DeviceKeyButton::SetLightImage(const QString& image) {
    lightImage_ = image;
    update();
}
void DeviceKeyButton::SetKeySetImage(const QString& image) {
    keySetImage_ = image;
    update();
}
void DeviceKeyButton::SetLightOverlay(bool on) {
    lightOverlay_ = on;
    update();
}
void DeviceKeyButton::SetKeySetOverlayHidden(bool hidden) {
    keySetHidden_ = hidden;
    update();
}
void DeviceKeyButton::SetSelectedByBand(bool selected) {
    selectedByBand_ = selected;
    update();
}

void DeviceKeyButton::SetLightColor(QRgb argb) {
    if (argb == lightColor_) return;
    lightColor_ = argb;
    update();
}

void DeviceKeyButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    if (qAlpha(lightColor_) != 0) {
        QPainter light(this);
        light.setRenderHint(QPainter::Antialiasing);
        light.setPen(Qt::NoPen);
        light.setBrush(QColor::fromRgba(lightColor_));
        const int dpi = DpiOf(this);
        const qreal inset = ScalePx(2, dpi), radius = ScalePx(3, dpi);
        light.drawRoundedRect(QRectF(rect()).adjusted(inset, inset, -inset, -inset), radius,
                              radius);
        // The label again over its light, in black or white, whichever reads on that colour.
        if (!text().isEmpty()) {
            const QColor c = QColor::fromRgba(lightColor_);
            const bool bright = 0.299 * c.red() + 0.587 * c.green() + 0.114 * c.blue() > 150;
            light.setPen(bright ? QColor(0x10, 0x11, 0x14) : QColor(0xf4, 0xf5, 0xf7));
            light.setFont(font());
            light.drawText(rect(), Qt::AlignCenter, text());
        }
    }
    if (!lightOverlay_ && keySetHidden_) return;
    QPainter p(this);
    if (lightOverlay_) DrawImageString(p, rect(), lightImage_);
    if (!keySetHidden_) DrawImageString(p, rect(), keySetImage_);
}

void DeviceKeyButton::mouseDoubleClickEvent(QMouseEvent* event) {
    QPushButton::mouseDoubleClickEvent(event);
    if (isEnabled() && rect().contains(event->position().toPoint())) {
        RaiseNotify(this, QString::fromLatin1(notify::kDbClick));
    }
}

}  // namespace dz::ui
