#include "ui/widgets/cloud_share_list_item.h"

#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>

#include "ui/notification.h"
#include "ui/window_base.h"

namespace dz::ui {

CloudShareListItem::CloudShareListItem(QWidget* parent) : QWidget(parent) {}

void CloudShareListItem::SetText1(const QString& t) {
    text1_ = t;
    update();
}
void CloudShareListItem::SetText2(const QString& t) {
    text2_ = t;
    update();
}

QWidget* CloudShareListItem::List() const {
    for (QWidget* p = parentWidget(); p; p = p->parentWidget()) {
        if (qobject_cast<QAbstractItemView*>(p)) return p;
    }
    return parentWidget();
}

QColor CloudShareListItem::HotBorderColor() const {
    QVariant v = property("hotbordercolor");
    if (!v.isValid() && List()) v = List()->property("hotbordercolor");
    const QColor c = v.value<QColor>();
    return c.isValid() ? c : QColor(0x00, 0xA0, 0xFF);
}

bool CloudShareListItem::ContextMenuEnabled() const {
    if (property("menu").toBool()) return true;
    return List() && List()->property("menu").toBool();
}

void CloudShareListItem::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    p.setPen(palette().color(QPalette::WindowText));
    p.drawText(r.adjusted(6, 0, -r.width() / 2, 0), Qt::AlignVCenter | Qt::AlignLeft, text1_);
    p.drawText(r.adjusted(r.width() / 2, 0, -6, 0), Qt::AlignVCenter | Qt::AlignRight, text2_);
    if (hovered_) {
        p.setPen(QPen(HotBorderColor(), 1));
        p.setBrush(Qt::NoBrush);
        p.drawRect(r.adjusted(0, 0, -1, -1));
    }
}

void CloudShareListItem::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QWidget::enterEvent(event);
}

void CloudShareListItem::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QWidget::leaveEvent(event);
}

void CloudShareListItem::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled()) {
        RaiseNotify(this, QString::fromLatin1(notify::kItemActivate));
        event->accept();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void CloudShareListItem::contextMenuEvent(QContextMenuEvent* event) {
    if (!ContextMenuEnabled()) return QWidget::contextMenuEvent(event);
    RaiseNotify(this, QString::fromLatin1(notify::kMenu), event->globalPos().x(),
                event->globalPos().y());
    event->accept();
}

}  // namespace dz::ui
