#pragma once
// Turns the Qt signals and events of every named control of a window into notifications:
//   button clicked → "click"; checkable button toggled → "selectchanged" (wParam checked);
//   combo and list current item → "itemselect" (wParam new index, lParam old);
//   list item clicked / activated → "itemclick" / "itemactivate" (wParam row);
//   slider value → "valuechanged" when not dragging or on release, dragging → "movevaluechanged";
//   spin box value → "valuechanged"; edit text → "textchanged", Return → "return";
//   tab change → "tabselect"; focus in/out → "setfocus"/"killfocus";
//   enter/leave → "msenter"/"msleave"; context menu on a control whose property "menu" is
//   true → "menu" (wParam x, lParam y, global);
//   resize of the window root → "windowsize" (wParam width, lParam height).
// Controls whose objectName is empty or starts with "qt_" (Qt's own parts) are not watched.

#include <QObject>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "ui/notification.h"

namespace dz::ui {

// A change made from code without notifications: blocks the control's signals and, for a
// combo or list, makes its new current index the old index of its next "itemselect"
// (a blocked signal would otherwise leave the index from before the change).
class SilentChange {
  public:
    explicit SilentChange(QWidget* control);
    ~SilentChange();
    SilentChange(const SilentChange&) = delete;
    SilentChange& operator=(const SilentChange&) = delete;

  private:
    QPointer<QWidget> control_;
    bool wasBlocked_ = false;
};

class Notifier : public QObject {
  public:
    using Sink = std::function<void(const Notification&)>;
    Notifier(Sink sink, QObject* parent = nullptr);

    // Watches every control of the subtree (again for new controls; never twice the same).
    void Attach(QWidget* subtree);
    // The control whose resize raises "windowsize".
    void SetRoot(QWidget* root) { root_ = root; }

    void Emit(QWidget* sender, const QString& type, qintptr wParam = 0, qintptr lParam = 0);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    void Hook(QWidget* w);

    Sink sink_;
    QPointer<QWidget> root_;
};

}  // namespace dz::ui
