#pragma once
// The message box: the one way the main window's operations ask the user to confirm or
// report a failure in the user's language.

#include <QString>
#include <QWidget>

#include "ui/window_base.h"

namespace dz::app {

class CMsgWnd : public ui::WindowBase {
    Q_OBJECT
  public:
    explicit CMsgWnd(QWidget* owner);

    // Steps 2 to 5 of showing a box: texts, DPI and buttons; ShowMessageBox then runs it.
    void Prepare(const QString& title, const QString& message, int dpi, bool text_is_id,
                 int button_mode);
    void CentreOn(QWidget* owner);

  protected:
    void InitWindow() override;
    void Notify(const ui::Notification& msg) override;

  private:
    QWidget* close_btn_ = nullptr;
};

// 1 when the user chose "confirm_btn", 0 for "cancel_btn" or the close button.
// button_mode 0: confirm only; 1: both; other: as the skin has them.
// text_is_id: the message is a language text identifier.
int ShowMessageBox(QWidget* owner, const QString& title, const QString& message, int dpi,
                   bool text_is_id, int button_mode);

}  // namespace dz::app
