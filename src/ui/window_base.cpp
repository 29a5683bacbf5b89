#include "ui/window_base.h"

#include <QApplication>
#include <QCloseEvent>
#include <QEventLoop>
#include <QLayout>
#include <QVBoxLayout>

#include "platform/log/debug_log.h"
#include "ui/caption_drag.h"
#include "ui/control_timers.h"
#include "ui/dpi.h"
#include "ui/notifier.h"
#include "ui/skin_loader.h"
#include "ui/skin_scale.h"
#include "ui/theme.h"

namespace dz::ui {

WindowBase::WindowBase(QString skinName, QString windowTag, QWidget* parent, Qt::WindowFlags flags)
    : QWidget(parent, flags),
      skinName_(std::move(skinName)),
      windowTag_(std::move(windowTag)),
      notifier_(new Notifier([this](const Notification& n) { Notify(n); }, this)),
      timers_(new ControlTimers(
          [this](QWidget* control, int id) {
              if (control == nullptr) {
                  OnTimer(id);
              } else {
                  SendNotify(control, QString::fromLatin1(notify::kTimer), id, 0);
              }
          },
          this)),
      port_(std::make_shared<MessagePort>(
          [this](unsigned msg, qintptr w, qintptr l) { return DispatchMessage(msg, w, l); })),
      caption_(new CaptionDrag(this)) {
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
}

WindowBase::~WindowBase() {
    port_->Close();
    if (loop_) loop_->exit(0);
    // QWidget's destructor still moves focus and hides children; by then this is no longer a
    // WindowBase, so nothing may reach Notify or the timers any more.
    delete notifier_;
    notifier_ = nullptr;
    delete timers_;
    timers_ = nullptr;
    delete caption_;
    caption_ = nullptr;
}

bool WindowBase::Create() {
    if (root_ != nullptr) return true;
    auto callback = [this](const QString& className, QWidget* parent) {
        return CreateControl(className, parent);
    };
    root_ = BuildSkin(skinName_, this, callback);
    const bool ok = root_ != nullptr;
    if (ok) {
        layout()->addWidget(root_);
        if (!root_->windowTitle().isEmpty() && windowTitle().isEmpty()) {
            setWindowTitle(root_->windowTitle());
        }
        // The window carries the theme itself: a font then set on one of its controls keeps
        // the theme's font rules over it (under the application's sheet alone it would not).
        setStyleSheet(WindowThemeFor(dpi_));
        // The skin's size is a 96-DPI size like all its measures.
        const QSize size = root_->size();
        ScaleSkin(root_, dpi_);
        resize(QSize(ScalePx(size.width(), dpi_), ScalePx(size.height(), dpi_))
                   .expandedTo(root_->minimumSize()));
        notifier_->SetRoot(root_);
        notifier_->Attach(root_);
        caption_->Watch(root_);
    }  // else the loader has said why, in one line
    InitWindow();
    return ok;
}

QWidget* WindowBase::FindControl(const QString& name) const {
    if (root_ == nullptr || name.isEmpty()) return nullptr;
    if (root_->objectName() == name) return root_;
    QWidget* w = root_->findChild<QWidget*>(name);
    if (w == nullptr) {
        log::DebugLineF("%s: no control named '%s'", qUtf8Printable(windowTag_),
                        qUtf8Printable(name));
    }
    return w;
}

QWidget* WindowBase::FindSubControlByName(QWidget* parent, const QString& name) const {
    if (parent == nullptr || name.isEmpty()) return nullptr;
    return parent->findChild<QWidget*>(name);
}

void WindowBase::SendNotify(QWidget* control, const QString& type, qintptr wParam, qintptr lParam) {
    notifier_->Emit(control, type, wParam, lParam);
}

void WindowBase::Notify(const Notification&) {}

bool WindowBase::SetTimer(QWidget* control, int id, int ms) {
    return timers_->SetTimer(control, id, ms);
}
void WindowBase::KillTimer(QWidget* control, int id) {
    timers_->KillTimer(control, id);
}
void WindowBase::KillTimer(QWidget* control) {
    timers_->KillTimers(control);
}
bool WindowBase::IsTimerActive(const QWidget* control, int id) const {
    return timers_->IsActive(control, id);
}
int WindowBase::TimerInterval(const QWidget* control, int id) const {
    return timers_->Interval(control, id);
}
void WindowBase::OnTimer(int) {}

bool WindowBase::PostMessage(unsigned msg, qintptr wParam, qintptr lParam) {
    return port_->Post(msg, wParam, lParam);
}
qintptr WindowBase::SendMessage(unsigned msg, qintptr wParam, qintptr lParam) {
    return port_->Send(msg, wParam, lParam);
}
void WindowBase::ClosePort() {
    port_->Close();
}

qintptr WindowBase::DispatchMessage(unsigned msg, qintptr wParam, qintptr lParam) {
    bool handled = false;
    return HandleMessage(msg, wParam, lParam, handled);
}

qintptr WindowBase::HandleMessage(unsigned, qintptr, qintptr, bool& handled) {
    handled = false;
    return 0;
}

QWidget* WindowBase::CreateControl(const QString&, QWidget*) {
    return nullptr;
}

void WindowBase::SetDPI(int dpi) {
    const int next = CheckedDpi(dpi, windowTag_);
    if (next == dpi_) return;
    const double ratio = static_cast<double>(next) / dpi_;
    dpi_ = next;
    // The size before the content changes: a larger minimum may already grow the window.
    const QSize before = size();
    ApplyScale();
    resize(qRound(before.width() * ratio), qRound(before.height() * ratio));
    update();
}

void WindowBase::ApplyScale() {
    // The sheet first: the fonts the skin's measures then set keep the theme's font rules.
    setStyleSheet(WindowThemeFor(dpi_));
    ScaleSkin(this, dpi_);
    // The new minimum sizes count for the resize that follows, not only after the next pass.
    if (layout() != nullptr) layout()->activate();
}

void WindowBase::SetDPIForAll(int dpi) {
    for (QWidget* top : QApplication::topLevelWidgets()) {
        if (auto* w = qobject_cast<WindowBase*>(top)) w->SetDPI(dpi);
    }
}

double WindowBase::ScaleFactor() const {
    return ScaleOf(dpi_);
}

int WindowBase::ShowModal() {
    if (loop_ != nullptr) return -1;  // already running modally
    QEventLoop loop;
    loop_ = &loop;
    closeCode_ = 0;
    setWindowModality(Qt::ApplicationModal);
    show();
    const QPointer<WindowBase> self(this);
    const int code = loop.exec();
    // A window destroyed while it ran (its owner went) ended the loop from its destructor.
    if (self != nullptr) loop_ = nullptr;
    return code;
}

void WindowBase::Close(int code) {
    closeCode_ = code;
    close();
}

void WindowBase::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!initSent_) {
        initSent_ = true;
        SendNotify(root_, QString::fromLatin1(notify::kWindowInit));
    }
}

void WindowBase::closeEvent(QCloseEvent* event) {
    QWidget::closeEvent(event);
    if (!event->isAccepted()) return;
    const int code = closeCode_;
    closeCode_ = 0;
    if (loop_) loop_->exit(code);
    emit closed(code);
}

QWidget* WindowBase::BuildSubtree(const QString& skinName, QWidget* parent) {
    if (parent == nullptr) return nullptr;
    auto callback = [this](const QString& className, QWidget* p) {
        return CreateControl(className, p);
    };
    QWidget* sub = BuildSkin(skinName, parent, callback);
    if (sub == nullptr) return nullptr;
    ScaleSkin(sub, dpi_);
    if (parent->layout() == nullptr) {
        auto* l = new QVBoxLayout(parent);
        l->setContentsMargins(0, 0, 0, 0);
        l->setSpacing(0);
    }
    parent->layout()->addWidget(sub);
    notifier_->Attach(sub);
    caption_->Watch(sub);
    return sub;
}

void WindowBase::AttachControls(QWidget* subtree) {
    ScaleSkin(subtree, dpi_);
    notifier_->Attach(subtree);
    caption_->Watch(subtree);
}

int DpiOf(const QWidget* control) {
    const WindowBase* w = WindowOf(control);
    return w != nullptr ? w->GetDPI() : kDefaultDpi;
}

WindowBase* WindowOf(const QWidget* control) {
    for (const QWidget* p = control; p != nullptr; p = p->parentWidget()) {
        if (auto* w = qobject_cast<WindowBase*>(const_cast<QWidget*>(p))) return w;
    }
    return nullptr;
}

bool RaiseNotify(QWidget* control, const QString& type, qintptr wParam, qintptr lParam) {
    WindowBase* w = WindowOf(control);
    if (w == nullptr) return false;
    w->SendNotify(control, type, wParam, lParam);
    return true;
}

}  // namespace dz::ui
