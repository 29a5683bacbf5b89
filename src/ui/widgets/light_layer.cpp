#include "ui/widgets/light_layer.h"

#include <QEvent>
#include <QMetaObject>
#include <QPaintEvent>
#include <QPainter>
#include <QTimer>

#include "ui/widgets/device_key_button.h"

namespace dz::ui {

LightLayer::LightLayer(QWidget* container) : QWidget(container) {
    setObjectName(QStringLiteral("light_layer"));
    setAttribute(Qt::WA_TransparentForMouseEvents);
    // Everything inside the mask is drawn: nothing under it needs drawing first.
    setAttribute(Qt::WA_OpaquePaintEvent);
    setGeometry(container->rect());
    container->installEventFilter(this);
    raise();
    hide();  // until the keys' areas are known
}

void LightLayer::Track(DeviceKeyButton* key) {
    if (key == nullptr || key->parentWidget() != parentWidget()) return;
    keys_.emplace_back(key);
    key->installEventFilter(this);
    key->SetLightLayer(this);
    MaskLater();
}

void LightLayer::LightChanged(DeviceKeyButton* key) {
    // A preview changes many lights at once: their areas are gathered into one update.
    dirty_ |= key->LightRect().translated(key->pos());
    if (update_pending_) return;
    update_pending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            update_pending_ = false;
            update(dirty_);
            dirty_ = QRect();
        },
        Qt::QueuedConnection);
}

bool LightLayer::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
        case QEvent::Move:
        case QEvent::Resize:
        case QEvent::Show:
        case QEvent::Hide:
            if (watched == parentWidget()) setGeometry(parentWidget()->rect());
            MaskLater();
            break;
        case QEvent::ChildAdded:
            // Children added later would lie above the layer.
            if (watched == parentWidget()) raise();
            break;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

void LightLayer::MaskLater() {
    if (mask_pending_) return;
    mask_pending_ = true;
    QTimer::singleShot(0, this, [this] { UpdateMask(); });
}

void LightLayer::UpdateMask() {
    mask_pending_ = false;
    QRegion region;
    for (const QPointer<DeviceKeyButton>& key : keys_)
        if (key != nullptr && key->isVisibleTo(parentWidget()))
            region += key->LightRect().translated(key->pos());
    // An empty mask would show the whole layer: hide it instead.
    setVisible(!region.isEmpty());
    if (!region.isEmpty()) setMask(region);
}

void LightLayer::paintEvent(QPaintEvent* event) {
    QPainter painter(this);
    const qreal ratio = devicePixelRatioF();
    const QRegion& dirty = event->region();
    for (const QPointer<DeviceKeyButton>& key : keys_) {
        if (key == nullptr || !key->isVisible()) continue;
        const QRect area = key->LightRect().translated(key->pos());
        if (!dirty.intersects(area)) continue;
        // The key draws inside its light area only (the layer's mask clips the rest).
        painter.setTransform(QTransform::fromTranslate(key->x(), key->y()));
        key->PaintKey(painter, true, ratio);
    }
}

}  // namespace dz::ui
