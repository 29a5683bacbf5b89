#include "ui/widgets/hand_img_select_button.h"

#include <QHash>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

#include "ui/image_string.h"

namespace dz::ui {

HandImgSelectButton::HandImgSelectButton(QWidget* parent) : QPushButton(parent) {}

Qt::CursorShape HandImgSelectButton::CursorShapeOf(const QString& name) {
    static const QHash<QString, Qt::CursorShape> shapes = {
        {QStringLiteral("arrow"), Qt::ArrowCursor},
        {QStringLiteral("ibeam"), Qt::IBeamCursor},
        {QStringLiteral("wait"), Qt::WaitCursor},
        {QStringLiteral("cross"), Qt::CrossCursor},
        {QStringLiteral("uparrow"), Qt::UpArrowCursor},
        {QStringLiteral("size"), Qt::SizeAllCursor},
        {QStringLiteral("icon"), Qt::ArrowCursor},
        {QStringLiteral("sizenwse"), Qt::SizeFDiagCursor},
        {QStringLiteral("sizenesw"), Qt::SizeBDiagCursor},
        {QStringLiteral("sizewe"), Qt::SizeHorCursor},
        {QStringLiteral("sizens"), Qt::SizeVerCursor},
        {QStringLiteral("sizeall"), Qt::SizeAllCursor},
        {QStringLiteral("no"), Qt::ForbiddenCursor},
        {QStringLiteral("hand"), Qt::PointingHandCursor},
    };
    return shapes.value(name.trimmed().toLower(), Qt::ArrowCursor);
}

void HandImgSelectButton::SetCursorName(const QString& name) {
    cursorName_ = name;
    setCursor(CursorShapeOf(name));
}

void HandImgSelectButton::SetHandImage(const QString& image) {
    handImage_ = ParseImageString(image).file;
    pictureSize_ = SkinPixmap(handImage_).size();
    PlaceWindow(QPoint(0, 0));
}

void HandImgSelectButton::PlaceWindow(QPoint topLeft) {
    const int w = std::min(width(), pictureSize_.width());
    const int h = std::min(height(), pictureSize_.height());
    const int x = std::clamp(topLeft.x(), 0, std::max(0, pictureSize_.width() - w));
    const int y = std::clamp(topLeft.y(), 0, std::max(0, pictureSize_.height() - h));
    source_ = QRect(x, y, w, h);
    update();
}

QString HandImgSelectButton::ImageString() const {
    return QStringLiteral("file='%1' ").arg(handImage_) +
           QStringLiteral("source='%1,%2,%3,%4'")
               .arg(source_.left())
               .arg(source_.top())
               .arg(source_.left() + source_.width())
               .arg(source_.top() + source_.height());
}

void HandImgSelectButton::paintEvent(QPaintEvent*) {
    QPainter p(this);
    DrawImageString(p, rect(), ImageString());
}

void HandImgSelectButton::resizeEvent(QResizeEvent* event) {
    QPushButton::resizeEvent(event);
    PlaceWindow(source_.topLeft());
}

void HandImgSelectButton::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        dragging_ = true;
        lastPoint_ = event->position().toPoint();
    }
    QPushButton::mousePressEvent(event);
}

void HandImgSelectButton::mouseMoveEvent(QMouseEvent* event) {
    if (dragging_ && (event->buttons() & Qt::LeftButton)) {
        const QPoint pos = event->position().toPoint();
        // The picture follows the mouse, so its window moves the other way.
        PlaceWindow(source_.topLeft() - (pos - lastPoint_));
        lastPoint_ = pos;
    }
    QPushButton::mouseMoveEvent(event);
}

void HandImgSelectButton::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) dragging_ = false;
    QPushButton::mouseReleaseEvent(event);
}

}  // namespace dz::ui
