#pragma once
// A window built from a skin. Derived windows give the skin name and a tag for log lines
// ("MAIN_WND"), then call Create(); they override InitWindow (after the skin is built),
// Notify (control events), HandleMessage (private messages), CreateControl (custom classes
// the skin names) and OnTimer (window timers, control null).

#include <QPointer>
#include <QString>
#include <QWidget>
#include <memory>

#include "ui/message_port.h"
#include "ui/notification.h"

class QEventLoop;

namespace dz::ui {

class CaptionDrag;
class ControlTimers;
class Notifier;

class WindowBase : public QWidget {
    Q_OBJECT

  public:
    WindowBase(QString skinName, QString windowTag, QWidget* parent = nullptr,
               Qt::WindowFlags flags = Qt::Window);
    ~WindowBase() override;

    // Builds the skin and runs InitWindow. False (one log line) when the skin is missing or
    // broken: the window is then empty and every lookup answers null.
    bool Create();
    [[nodiscard]] const QString& SkinName() const { return skinName_; }
    [[nodiscard]] const QString& WindowTag() const { return windowTag_; }
    // The skin's top control, or null when the skin did not build.
    [[nodiscard]] QWidget* Root() const { return root_; }

    // The control of that objectName (the root included), or null with a log line.
    [[nodiscard]] QWidget* FindControl(const QString& name) const;
    template <class T>
    [[nodiscard]] T* FindControlAs(const QString& name) const {
        return qobject_cast<T*>(FindControl(name));
    }
    // The control of that name under parent (parent itself excluded), or null.
    [[nodiscard]] QWidget* FindSubControlByName(QWidget* parent, const QString& name) const;

    // Delivers a notification to Notify at once.
    void SendNotify(QWidget* control, const QString& type, qintptr wParam = 0, qintptr lParam = 0);
    virtual void Notify(const Notification& msg);

    // Control timers: "timer" notifications with wParam = id to this window's Notify (or the
    // control's own handler, see TimerReceiver). Control null: OnTimer(id).
    bool SetTimer(QWidget* control, int id, int ms);
    void KillTimer(QWidget* control, int id);
    void KillTimer(QWidget* control);
    [[nodiscard]] bool IsTimerActive(const QWidget* control, int id) const;
    // The period of a running control timer, or -1 when it is not running.
    [[nodiscard]] int TimerInterval(const QWidget* control, int id) const;

    // Private messages, from any thread (see MessagePort).
    bool PostMessage(unsigned msg, qintptr wParam = 0, qintptr lParam = 0);
    qintptr SendMessage(unsigned msg, qintptr wParam = 0, qintptr lParam = 0);
    // The port workers keep; valid after the window is gone (then closed).
    [[nodiscard]] std::shared_ptr<MessagePort> Port() const { return port_; }
    // Stops taking messages; call before waiting for workers that may send.
    void ClosePort();

    // DPI value as the UI scale factor; an unaccepted value becomes 96 with
    // "<tag> DPI SET ERROR". A change rescales the window's size and, by one factor, its
    // content: the skin's measures, fonts and images, and the theme's lengths.
    void SetDPI(int dpi);
    // SetDPI on every open window of this kind.
    static void SetDPIForAll(int dpi);
    [[nodiscard]] int GetDPI() const { return dpi_; }
    [[nodiscard]] double ScaleFactor() const;

    // Runs the window modally and answers the code given to Close (0 when closed otherwise).
    int ShowModal();
    // Ends the modal run with code (if running) and closes the window.
    void Close(int code = 1);
    [[nodiscard]] bool IsModalRunning() const { return loop_ != nullptr; }

    // Dialog builder: builds a skin into parent (appended to its layout, one is made when
    // missing), custom classes through CreateControl, and watches its controls.
    QWidget* BuildSubtree(const QString& skinName, QWidget* parent);
    // Watches controls added to the window from code, and scales those built from a skin
    // to the window's DPI.
    void AttachControls(QWidget* subtree);

  signals:
    void closed(int code);

  protected:
    virtual void InitWindow() {}
    virtual qintptr HandleMessage(unsigned msg, qintptr wParam, qintptr lParam, bool& handled);
    virtual QWidget* CreateControl(const QString& className, QWidget* parent);
    virtual void OnTimer(int id);

    void showEvent(QShowEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

  private:
    qintptr DispatchMessage(unsigned msg, qintptr wParam, qintptr lParam);
    void ApplyScale();

    QString skinName_;
    QString windowTag_;
    QWidget* root_ = nullptr;
    Notifier* notifier_;
    ControlTimers* timers_;
    std::shared_ptr<MessagePort> port_;
    CaptionDrag* caption_;
    int dpi_ = 96;
    bool initSent_ = false;
    int closeCode_ = 0;
    QEventLoop* loop_ = nullptr;
};

// The window a control belongs to, or null.
[[nodiscard]] WindowBase* WindowOf(const QWidget* control);
// The DPI value of a control's window (96 outside any window), for drawn measures.
[[nodiscard]] int DpiOf(const QWidget* control);
// Raises a notification from a control to its window; false when it has none.
bool RaiseNotify(QWidget* control, const QString& type, qintptr wParam = 0, qintptr lParam = 0);

}  // namespace dz::ui
