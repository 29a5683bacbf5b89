#include "app/skin_frame.h"

#include <QEvent>
#include <QFileDialog>

#include "platform/log/debug_log.h"
#include "ui/control_ops.h"

namespace dz::app {
namespace {

bool IsFamily(const QString& name, const char* base) {
    const QString b = QString::fromLatin1(base);
    return name == b || name.startsWith(b + QLatin1Char('_'));
}

}  // namespace

SkinChangeSubject& SkinChangeSubject::Instance() {
    static SkinChangeSubject subject;
    return subject;
}

void SkinChangeSubject::AddReceiver(SkinChangeReceiver* receiver) {
    if (receiver != nullptr &&
        std::find(receivers_.begin(), receivers_.end(), receiver) == receivers_.end())
        receivers_.push_back(receiver);
}

void SkinChangeSubject::RemoveReceiver(SkinChangeReceiver* receiver) {
    receivers_.erase(std::remove(receivers_.begin(), receivers_.end(), receiver), receivers_.end());
}

void SkinChangeSubject::Broadcast(const SkinChangedParam& param) {
    // A copy of the list: a receiver may go while it is told.
    const std::vector<SkinChangeReceiver*> receivers = receivers_;
    for (SkinChangeReceiver* r : receivers) {
        const SkinChangedParam copy = param;
        r->OnSkinChanged(copy);
    }
}

SkinChangedParam ToParam(const SkinChoice& choice) {
    return {choice.colour_mode, static_cast<QRgb>(choice.colour),
            QString::fromStdString(choice.image)};
}

CSkinFrame::CSkinFrame(QWidget* main_window, QWidget* skin_button)
    : ui::WindowBase(QStringLiteral("skin.xml"), QStringLiteral("SKIN_FRAME"), main_window,
                     Qt::Tool | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      main_(main_window),
      button_(skin_button) {
    setObjectName(QStringLiteral("skinframe"));
    setWindowTitle(QStringLiteral("skinframe"));
    setAttribute(Qt::WA_DeleteOnClose);
}

void CSkinFrame::InitWindow() {
    (void)FindControl(QStringLiteral("skin_tab"));
    adjustSize();
}

void CSkinFrame::PlaceUnder(QWidget* button) {
    if (button == nullptr) return;
    const QPoint bottom_right = button->mapToGlobal(QPoint(button->width(), button->height()));
    move(bottom_right.x() - width(), bottom_right.y());
}

QString CSkinFrame::ChooseImageFile(QWidget* parent) {
    QFileDialog dialog(parent);
    dialog.setObjectName(QStringLiteral("skin_custom_dialog"));
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setAcceptMode(QFileDialog::AcceptOpen);
    dialog.setNameFilters({QStringLiteral("(*.png)"), QStringLiteral("(*.*)")});
    dialog.setDefaultSuffix(QStringLiteral("png"));
    dialog.setOption(QFileDialog::ReadOnly, true);
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().first();
}

void CSkinFrame::Choose(const SkinChangedParam& param, bool store, bool reset) {
    SkinChangeSubject::Instance().Broadcast(param);
    if (!store) return;
    const SkinChoice choice{param.colour_mode, static_cast<uint32_t>(param.colour),
                            param.image.toStdString()};
    if (!StoreSkinChoice(MainIniFile(), choice, reset))
        log::DebugLine("SKIN_FRAME: the background choice is not kept for the next start");
}

void CSkinFrame::Notify(const ui::Notification& msg) {
    if (msg.type != QLatin1String(ui::notify::kClick)) return;
    const QString& name = msg.name;
    if (IsFamily(name, "skin_image_btn")) {
        Choose({false, 0, ui::UserData(msg.sender)}, true, false);
    } else if (IsFamily(name, "skin_color_btn")) {
        Choose({true, ui::BkColor(msg.sender), {}}, true, false);
    } else if (name == QLatin1String("skin_color")) {
        ui::SelectItem(FindControl(QStringLiteral("skin_tab")), 1);
    } else if (name == QLatin1String("skin_image")) {
        ui::SelectItem(FindControl(QStringLiteral("skin_tab")), 0);
    } else if (name == QLatin1String("skin_reset")) {
        Choose({false, 0,
                QString::fromLatin1(kDefaultBackground.data(),
                                    static_cast<qsizetype>(kDefaultBackground.size()))},
               true, true);
    } else if (name == QLatin1String("skin_Custom")) {
        choosing_ = true;
        const QString file = chooser_ ? chooser_(this) : QString();
        choosing_ = false;
        activateWindow();  // the focus back from the dialog, so that losing it closes again
        if (file.isEmpty()) return;  // cancelled: nothing changes
        Choose({false, 0, file}, true, false);
    }
}

bool CSkinFrame::event(QEvent* event) {
    // Losing the focus to another window closes it; its own file dialog does not count.
    if (event->type() == QEvent::WindowDeactivate && !choosing_) close();
    return ui::WindowBase::event(event);
}

}  // namespace dz::app
