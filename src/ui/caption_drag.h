#pragma once
// Moving a frameless window by its caption. The skin marks its caption controls with the
// property "caption" (true). A left press on such a control, or on a part of it that does
// not take the press itself (a label, the space between buttons), asks the window system to
// move the window (QWindow::startSystemMove, which also works on Wayland). Where the system
// cannot (an X server without a window manager, the offscreen platform), the window
// follows the pointer until the button is released. Buttons in the caption keep their
// presses: they never start a move.

#include <QObject>
#include <QPoint>
#include <QPointer>
#include <QWidget>
#include <functional>

class QWindow;

namespace dz::ui {

class CaptionDrag : public QObject {
  public:
    // Answers whether the window system took the move. Tests replace it to see the
    // request; the default is QWindow::startSystemMove.
    using MoveStarter = std::function<bool(QWindow* window)>;

    explicit CaptionDrag(QWidget* window);

    // Watches every caption control of the subtree (again for new subtrees; never twice).
    void Watch(QWidget* subtree);
    [[nodiscard]] bool Dragging() const { return dragging_; }

    // Replaces the process's move starter (an empty one restores the default); answers the
    // one it replaced.
    static MoveStarter SetMoveStarter(MoveStarter starter);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    QWidget* window_;
    bool dragging_ = false;
    QPoint pressGlobal_;
    QPoint windowAtPress_;
};

}  // namespace dz::ui
