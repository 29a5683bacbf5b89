#include "ui/widgets/wnd_host.h"

namespace dz::ui {

WndHost::WndHost(QWidget* parent) : QWidget(parent) {}

void WndHost::SetNativeWindow(QWidget* hosted) {
    hosted_ = hosted;
    if (hosted_ && hosted_->isWindow()) {
        hosted_->setAttribute(Qt::WA_ShowWithoutActivating);
    }
    Sync();
}

void WndHost::Sync() {
    if (!hosted_) return;
    QRect target(QPoint(0, 0), size());
    if (hosted_->isWindow()) {
        // Not our child: place it in screen coordinates over the control.
        target.moveTopLeft(mapToGlobal(QPoint(0, 0)));
    } else if (QWidget* p = hosted_->parentWidget()) {
        target.moveTopLeft(mapTo(window(), QPoint(0, 0)) - p->mapTo(window(), QPoint(0, 0)));
    }
    hosted_->setGeometry(target);
    hosted_->setVisible(isVisible());
}

void WndHost::moveEvent(QMoveEvent* event) {
    QWidget::moveEvent(event);
    Sync();
}
void WndHost::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Sync();
}
void WndHost::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    Sync();
}
void WndHost::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    Sync();
}

}  // namespace dz::ui
