#include "app/msg_wnd.h"

#include <QApplication>
#include <QScreen>

#include "platform/log/debug_log.h"
#include "ui/control_ops.h"
#include "ui/dpi.h"
#include "ui/resource_manager.h"

namespace dz::app {

CMsgWnd::CMsgWnd(QWidget* owner)
    : ui::WindowBase(QStringLiteral("XML_MSG"), QStringLiteral("MSG_WND"), owner,
                     Qt::Tool | Qt::FramelessWindowHint) {
    setObjectName(QStringLiteral("msgwnd"));
    setAttribute(Qt::WA_DeleteOnClose, false);
}

void CMsgWnd::InitWindow() {
    close_btn_ = FindControl(QStringLiteral("closebtn"));
}

void CMsgWnd::Prepare(const QString& title, const QString& message, int dpi, bool text_is_id,
                      int button_mode) {
    if (!title.isEmpty()) {
        if (QWidget* t = FindControl(QStringLiteral("MessageTitle"))) ui::SetText(t, title);
    }
    if (!message.isEmpty()) {
        if (QWidget* m = FindControl(QStringLiteral("MessageText"))) {
            ui::ResourceManager::Instance().SetResourceText(m, text_is_id);
            ui::SetText(m, message);
        }
    }
    if (dpi != GetDPI()) {
        const int checked = ui::CheckedDpi(dpi, WindowTag());
        // The value is shared by every toolkit window of the process.
        for (QWidget* w : QApplication::topLevelWidgets()) {
            if (auto* win = qobject_cast<ui::WindowBase*>(w)) win->SetDPI(checked);
        }
        SetDPI(checked);
    }
    QWidget* confirm = FindControl(QStringLiteral("confirm_btn"));
    QWidget* cancel = FindControl(QStringLiteral("cancel_btn"));
    if (button_mode == 0) {
        ui::SetVisible(confirm, true);
        ui::SetVisible(cancel, false);
    } else if (button_mode == 1) {
        ui::SetVisible(confirm, true);
        ui::SetVisible(cancel, true);
    }
}

void CMsgWnd::CentreOn(QWidget* owner) {
    adjustSize();
    QRect area;
    if (owner != nullptr && owner->isVisible()) {
        area = owner->frameGeometry();
    } else if (QScreen* s = QGuiApplication::primaryScreen()) {
        area = s->availableGeometry();
    }
    if (area.isValid()) move(area.center() - rect().center());
}

void CMsgWnd::Notify(const ui::Notification& msg) {
    if (msg.type != QLatin1String("click")) return;
    if (msg.sender != nullptr && msg.sender == close_btn_) {
        Close(0);
    } else if (msg.name.compare(QLatin1String("confirm_btn"), Qt::CaseInsensitive) == 0) {
        Close(1);
    } else if (msg.name.compare(QLatin1String("cancel_btn"), Qt::CaseInsensitive) == 0) {
        Close(0);
    }
}

int ShowMessageBox(QWidget* owner, const QString& title, const QString& message, int dpi,
                   bool text_is_id, int button_mode) {
    auto* box = new CMsgWnd(owner);
    box->Create();  // a missing skin logs and leaves the box empty; it still runs
    box->Prepare(title, message, dpi, text_is_id, button_mode);
    box->CentreOn(owner);
    const int result = box->ShowModal();
    box->deleteLater();
    return result == 1 ? 1 : 0;
}

}  // namespace dz::app
