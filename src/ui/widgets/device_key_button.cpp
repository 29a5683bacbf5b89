#include "ui/widgets/device_key_button.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>
#include <algorithm>
#include <cmath>

#include "ui/dpi.h"
#include "ui/image_string.h"
#include "ui/notification.h"
#include "ui/widgets/light_layer.h"
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
    // The light lies inside the key: with a layer over the keys only that part is drawn again.
    if (layer_ != nullptr)
        layer_->LightChanged(this);
    else
        update();
}

bool DeviceKeyButton::event(QEvent* event) {
    switch (event->type()) {
        // What changes the style's drawing of the button, or its size.
        case QEvent::Enter:
        case QEvent::Leave:
        case QEvent::HoverEnter:
        case QEvent::HoverLeave:
        case QEvent::FocusIn:
        case QEvent::FocusOut:
        case QEvent::EnabledChange:
        case QEvent::FontChange:
        case QEvent::PaletteChange:
        case QEvent::StyleChange:
        case QEvent::Polish:
        case QEvent::DynamicPropertyChange:
        case QEvent::LayoutDirectionChange:
        case QEvent::Resize:
            base_ = QPixmap();
            labels_ = {};
            bands_.clear();
            lightRect_ = QRect();
            break;
        default:
            break;
    }
    return QPushButton::event(event);
}

const QPixmap& DeviceKeyButton::Base(qreal ratio) {
    if (base_.isNull() || base_.devicePixelRatio() != ratio || text() != baseText_ ||
        isDown() != baseDown_ || isChecked() != baseChecked_) {
        QStyleOptionButton option;
        initStyleOption(&option);
        base_ = QPixmap(size() * ratio);
        base_.setDevicePixelRatio(ratio);
        base_.fill(Qt::transparent);
        QPainter painter(&base_);
        style()->drawControl(QStyle::CE_PushButton, &option, &painter, this);
        baseText_ = text();
        baseDown_ = isDown();
        baseChecked_ = isChecked();
        labels_ = {};
    }
    return base_;
}

const QImage& DeviceKeyButton::Label(bool dark, qreal ratio) {
    QImage& label = labels_[dark ? 1 : 0];
    if (label.isNull() || label.devicePixelRatio() != ratio) {
        label = QImage(size() * ratio, QImage::Format_ARGB32_Premultiplied);
        label.setDevicePixelRatio(ratio);
        label.fill(Qt::transparent);
        QPainter painter(&label);
        painter.setFont(font());
        painter.setPen(dark ? QColor(0x10, 0x11, 0x14) : QColor(0xf4, 0xf5, 0xf7));
        painter.drawText(rect(), Qt::AlignCenter, text());
    }
    return label;
}

const std::vector<QRect>& DeviceKeyButton::LightBands() {
    if (bands_.empty()) {
        // The light's rounded rectangle as rows that do not overlap (each is blended once):
        // the corners step in by a pixel per row over the first rows.
        const QRect area = LightRect();
        const int steps = std::clamp(static_cast<int>(ScalePx(3, DpiOf(this)) / 2), 1,
                                     std::max(1, area.height() / 3));
        for (int i = 0; i < steps; ++i) {
            const int indent = steps - i;
            bands_.emplace_back(area.x() + indent, area.y() + i, area.width() - 2 * indent, 1);
            bands_.emplace_back(area.x() + indent, area.bottom() - i, area.width() - 2 * indent, 1);
        }
        bands_.emplace_back(area.x(), area.y() + steps, area.width(), area.height() - 2 * steps);
    }
    return bands_;
}

QRect DeviceKeyButton::LightRect() const {
    // Kept: finding the window's DPI walks up the parents, and the preview asks every frame.
    if (lightRect_.isNull()) {
        const int inset = static_cast<int>(std::ceil(ScalePx(2, DpiOf(this))));
        lightRect_ = rect().adjusted(inset, inset, -inset, -inset);
    }
    return lightRect_;
}

void DeviceKeyButton::SetLightLayer(LightLayer* layer) {
    layer_ = layer;
    update();
}

void DeviceKeyButton::PaintKey(QPainter& painter, bool inside_light, qreal ratio) {
    if (inside_light) {
        // Inside its light area the key is opaque: that part is copied, not blended.
        const QRect area = LightRect();
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        painter.drawPixmap(QRectF(area), Base(ratio),
                           QRectF(area.x() * ratio, area.y() * ratio, area.width() * ratio,
                                  area.height() * ratio));
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    } else {
        painter.drawPixmap(0, 0, Base(ratio));
    }
    if (qAlpha(lightColor_) != 0) {
        const QColor colour = QColor::fromRgba(lightColor_);
        for (const QRect& band : LightBands()) painter.fillRect(band, colour);
        // The label again over its light, in black or white, whichever reads on that colour.
        if (!baseText_.isEmpty()) {
            const bool bright =
                0.299 * colour.red() + 0.587 * colour.green() + 0.114 * colour.blue() > 150;
            painter.drawImage(0, 0, Label(bright, ratio));
        }
    }
    if (lightOverlay_) DrawImageString(painter, rect(), lightImage_);
    if (!keySetHidden_) DrawImageString(painter, rect(), keySetImage_);
}

void DeviceKeyButton::paintEvent(QPaintEvent* /*event*/) {
    QPainter painter(this);
    PaintKey(painter, false, devicePixelRatioF());
}

void DeviceKeyButton::mouseDoubleClickEvent(QMouseEvent* event) {
    QPushButton::mouseDoubleClickEvent(event);
    if (isEnabled() && rect().contains(event->position().toPoint())) {
        RaiseNotify(this, QString::fromLatin1(notify::kDbClick));
    }
}

}  // namespace dz::ui
