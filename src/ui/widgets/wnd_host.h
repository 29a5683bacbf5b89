#pragma once
// "Wnd": hosts a window of its own (a top-level widget or a child of the same window) over
// the control's rectangle, following the control's moves, resizes and visibility, without
// activating it or changing its stacking.

#include <QPointer>
#include <QWidget>

namespace dz::ui {

class WndHost : public QWidget {
    Q_OBJECT

  public:
    explicit WndHost(QWidget* parent = nullptr);

    void SetNativeWindow(QWidget* hosted);
    [[nodiscard]] QWidget* NativeWindow() const { return hosted_; }
    // Moves and shows or hides the hosted window to match the control.
    void Sync();

  protected:
    void moveEvent(QMoveEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;

  private:
    QPointer<QWidget> hosted_;
};

}  // namespace dz::ui
