#include "app/about_wnd.h"

#include <QEvent>

#include "app/app_messages.h"
#include "device/device_table.h"
#include "ui/control_ops.h"
#include "ui/resource_manager.h"

namespace dz::app {

CAboutWnd::CAboutWnd(QWidget* parent)
    : ui::WindowBase(QStringLiteral("AboutWnd.xml"), QStringLiteral("ABOUT_WND"), parent,
                     Qt::Tool | Qt::FramelessWindowHint) {
    setWindowTitle(QStringLiteral("  "));
}

void CAboutWnd::InitWindow() {
    close_btn_ = FindControl(QStringLiteral("closebtn"));
    max_btn_ = FindControl(QStringLiteral("maxbtn"));
    restore_btn_ = FindControl(QStringLiteral("restorebtn"));
    (void)FindControl(QStringLiteral("minbtn"));
    (void)FindControl(QStringLiteral("menubtn"));
    if (QWidget* label = FindControl(QStringLiteral("software_ver_label")))
        ui::SetText(label, VersionLine());
}

QString CAboutWnd::VersionLine() {
    QString line;
    if (QWidget* probe = FindControl(QStringLiteral("text_test"))) {
        ui::ResourceManager::Instance().SetResourceText(probe, true);
        ui::SetText(probe, QStringLiteral("software_rev_text"));
        line = ui::Text(probe);
    }
    for (const UpdateModelRecord& row : kUpdateModels) {
        if (row.update_kind == 0) {
            line +=
                QString::fromUtf8(row.version.data(), static_cast<qsizetype>(row.version.size()));
            break;
        }
    }
    return line;
}

void CAboutWnd::Notify(const ui::Notification& msg) {
    if (msg.type != QLatin1String("click")) return;
    if (msg.sender != nullptr && msg.sender == close_btn_) {
        Close(0);
    } else if (msg.name == QLatin1String("minbtn")) {
        showMinimized();
    } else if (msg.name == QLatin1String("maxbtn")) {
        showMaximized();
    } else if (msg.name == QLatin1String("restorebtn")) {
        showNormal();
    }
}

qintptr CAboutWnd::HandleMessage(unsigned msg, qintptr wParam, qintptr lParam, bool& handled) {
    if (msg == MSG_LANGUAGE_CHANGED) {
        handled = true;
        if (QWidget* label = FindControl(QStringLiteral("software_ver_label")))
            ui::SetText(label, VersionLine());
        update();
        return 0;
    }
    return ui::WindowBase::HandleMessage(msg, wParam, lParam, handled);
}

void CAboutWnd::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        const bool maximised = isMaximized();
        ui::SetVisible(max_btn_, !maximised);
        ui::SetVisible(restore_btn_, maximised);
    }
    ui::WindowBase::changeEvent(event);
}

}  // namespace dz::app
