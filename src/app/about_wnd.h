#pragma once
// The about window: the application's version in the user's language.

#include "ui/window_base.h"

namespace dz::app {

class CAboutWnd : public ui::WindowBase {
    Q_OBJECT
  public:
    explicit CAboutWnd(QWidget* parent);
    // The version line: the language's "software_rev_text" followed by the version text of
    // the application row, nothing between them.
    [[nodiscard]] QString VersionLine();

  protected:
    void InitWindow() override;
    void Notify(const ui::Notification& msg) override;
    qintptr HandleMessage(unsigned msg, qintptr wParam, qintptr lParam, bool& handled) override;
    void changeEvent(QEvent* event) override;

  private:
    QWidget* close_btn_ = nullptr;
    QWidget* max_btn_ = nullptr;
    QWidget* restore_btn_ = nullptr;
};

}  // namespace dz::app
