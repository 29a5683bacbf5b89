#include "panels/edit_keys.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QPointer>

#include "ui/notification.h"
#include "ui/window_base.h"

namespace dz::panels {
namespace {

class EditKeys : public QObject {
  public:
    EditKeys(QLineEdit* edit, bool notify) : QObject(edit), edit_(edit), notify_(notify) {
        edit->installEventFilter(this);
        kept_ = edit->text();
    }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != edit_) return false;
        if (event->type() == QEvent::FocusIn) {
            kept_ = edit_->text();
        } else if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent*>(event)->key();
            if (key == Qt::Key_Escape) {
                edit_->setText(kept_);
                edit_->selectAll();
                return true;
            }
            if ((key == Qt::Key_Return || key == Qt::Key_Enter) && notify_) {
                (void)ui::RaiseNotify(edit_, QString::fromLatin1(ui::notify::kKillFocus));
                if (edit_ != nullptr) kept_ = edit_->text();
                return false;  // the edit still tells of the Return itself
            }
        }
        return false;
    }

  private:
    QPointer<QLineEdit> edit_;
    bool notify_;
    QString kept_;
};

}  // namespace

void InstallEditKeys(QLineEdit* edit, bool commit_by_notification) {
    if (edit != nullptr) new EditKeys(edit, commit_by_notification);
}

}  // namespace dz::panels
