#include "ui/widgets/hand_img_button.h"

#include <QMouseEvent>
#include <QPainter>

#include "ui/dpi.h"
#include "ui/image_string.h"
#include "ui/notification.h"
#include "ui/window_base.h"

namespace dz::ui {

HandImgButton::HandImgButton(QWidget* parent) : QPushButton(parent) {
    setMouseTracking(true);
}

void HandImgButton::SetHandImage(const QString& image) {
    handImage_ = image;
    update();
}
void HandImgButton::SetDeleteNormalImage(const QString& image) {
    deleteNormal_ = image;
    if (currentDelete_.isEmpty() || currentDelete_ != deleteHot_) currentDelete_ = image;
    update();
}
void HandImgButton::SetDeleteHotImage(const QString& image) {
    deleteHot_ = image;
    update();
}
void HandImgButton::SetReadOnly(bool readOnly) {
    readOnly_ = readOnly;
    update();
}

int HandImgButton::Dpi() const {
    return DpiOf(this);
}

QRect HandImgButton::DeleteBox() const {
    const int dpi = Dpi();
    const int size = ScalePx(20, dpi);
    return {width() - ScalePx(30, dpi), height() - ScalePx(29, dpi), size, size};
}

QString HandImgButton::CurrentDeleteImage() const {
    return BoxShown() ? currentDelete_ : QString();
}

void HandImgButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    DrawImageString(p, rect(), handImage_);
    if (BoxShown()) DrawImageString(p, DeleteBox(), currentDelete_);
}

void HandImgButton::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    currentDelete_ = DeleteBox().contains(event->position().toPoint()) ? deleteHot_ : deleteNormal_;
    update();
    QPushButton::enterEvent(event);
}

void HandImgButton::leaveEvent(QEvent* event) {
    hovered_ = false;
    currentDelete_ = deleteNormal_;
    update();
    QPushButton::leaveEvent(event);
}

void HandImgButton::mouseMoveEvent(QMouseEvent* event) {
    const QString next =
        DeleteBox().contains(event->position().toPoint()) ? deleteHot_ : deleteNormal_;
    if (next != currentDelete_) {
        currentDelete_ = next;
        update();
    }
    QPushButton::mouseMoveEvent(event);
}

void HandImgButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isDown() && !readOnly_ &&
        DeleteBox().contains(event->position().toPoint())) {
        // The box deletes; the button itself is not activated.
        setDown(false);
        event->accept();
        RaiseNotify(this, QString::fromLatin1(notify::kClickHandDelete));
        return;
    }
    QPushButton::mouseReleaseEvent(event);
}

}  // namespace dz::ui
