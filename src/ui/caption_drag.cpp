#include "ui/caption_drag.h"

#include <QMouseEvent>
#include <QWindow>

#include "platform/log/debug_log.h"

namespace dz::ui {
namespace {

constexpr char kCaptionProperty[] = "caption";
constexpr char kWatched[] = "dz_caption_watched";

bool SystemMove(QWindow* window) {
    return window != nullptr && window->startSystemMove();
}

CaptionDrag::MoveStarter& Starter() {
    static CaptionDrag::MoveStarter starter = SystemMove;
    return starter;
}

}  // namespace

CaptionDrag::CaptionDrag(QWidget* window) : QObject(window), window_(window) {}

CaptionDrag::MoveStarter CaptionDrag::SetMoveStarter(MoveStarter starter) {
    MoveStarter old = Starter();
    Starter() = starter ? std::move(starter) : MoveStarter(SystemMove);
    return old;
}

void CaptionDrag::Watch(QWidget* subtree) {
    if (subtree == nullptr) return;
    QList<QWidget*> all = subtree->findChildren<QWidget*>();
    all.prepend(subtree);
    for (QWidget* w : all) {
        if (!w->property(kCaptionProperty).toBool() || w->property(kWatched).toBool()) continue;
        w->setProperty(kWatched, true);
        w->installEventFilter(this);
    }
}

bool CaptionDrag::eventFilter(QObject*, QEvent* event) {
    switch (event->type()) {
        case QEvent::MouseButtonPress: {
            auto* e = static_cast<QMouseEvent*>(event);
            if (e->button() != Qt::LeftButton) return false;
            // A maximised or full-screen window stays where it is, as captions elsewhere do.
            if (window_->isMaximized() || window_->isFullScreen()) return false;
            if (Starter()(window_->windowHandle())) {
                dragging_ = false;
                return true;
            }
            log::DebugLine("caption: no system move here, the window follows the pointer");
            dragging_ = true;
            pressGlobal_ = e->globalPosition().toPoint();
            windowAtPress_ = window_->pos();
            return true;
        }
        case QEvent::MouseMove: {
            if (!dragging_) return false;
            auto* e = static_cast<QMouseEvent*>(event);
            if (!(e->buttons() & Qt::LeftButton)) {
                dragging_ = false;  // the release went elsewhere
                return false;
            }
            window_->move(windowAtPress_ + (e->globalPosition().toPoint() - pressGlobal_));
            return true;
        }
        case QEvent::MouseButtonRelease:
            if (!dragging_) return false;
            dragging_ = false;
            return true;
        default:
            return false;
    }
}

}  // namespace dz::ui
