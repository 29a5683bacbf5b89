#pragma once
// CMainWnd: the single top-level window and hub of the user interface: skin, caption
// controls, tray icon, timers, worker slots, private and registered messages, and the
// routing of every control notification of its pages.

#include <QDBusConnection>
#include <QMenu>
#include <QPointer>
#include <QSystemTrayIcon>
#include <chrono>
#include <memory>

#include "app/device_area.h"
#include "app/language.h"
#include "app/main_wnd_core.h"
#include "app/route_dispatch.h"
#include "app/skin_frame.h"
#include "app/worker_table.h"
#include "device/device_scanner.h"
#include "device/device_table.h"
#include "platform/input/device_hook.h"
#include "platform/ipc/sleep_watcher.h"
#include "ui/window_base.h"

namespace dz::app {

class CMainWnd : public ui::WindowBase,
                 public ShellHandlers,
                 public SkinChangeReceiver,
                 public input::HookWindow {
    Q_OBJECT
  public:
    explicit CMainWnd(QDBusConnection session_bus, QDBusConnection system_bus);
    ~CMainWnd() override;

    static CMainWnd* Instance() { return instance_; }

    [[nodiscard]] MainWndCore& Core() { return *core_; }
    [[nodiscard]] WorkerTable& Workers() { return workers_; }
    [[nodiscard]] QSystemTrayIcon* Tray() const { return tray_; }
    [[nodiscard]] QMenu* TrayMenu() const { return tray_menu_; }
    [[nodiscard]] QWidget* AboutWindow() const { return about_wnd_; }
    [[nodiscard]] QWidget* SettingsWindow() const { return settings_wnd_; }
    [[nodiscard]] QWidget* SkinWindow() const { return skin_wnd_; }
    [[nodiscard]] LanguageSwitch& Language() { return language_; }
    // Set by an upgrade notice for a version above 260 (the tray click then hides the
    // no-device panel).
    [[nodiscard]] bool UpdateNotice() const { return update_notice_; }
    // Started with the session: the first device scan does not show the window.
    void SetStartHidden(bool hidden) { start_hidden_ = hidden; }
    [[nodiscard]] int ScreenWidth() const { return screen_w_; }
    [[nodiscard]] int ScreenHeight() const { return screen_h_; }
    [[nodiscard]] bool Exiting() const { return exiting_; }
    [[nodiscard]] const StopReport& LastStopReport() const { return stop_report_; }
    [[nodiscard]] DeviceArea& Devices() { return *area_; }
    [[nodiscard]] DeviceSlotList& Slots() { return slots_; }
    // The input hook (key capture and macro recording).
    [[nodiscard]] input::CDeviceHook& Hook() { return *hook_; }

    // Tray icon mouse messages (the tray callback), also used by tests.
    void OnTrayLeftClick();
    void OnTrayRightClick();
    // A chosen menu item (the menu command).
    void OnMenuCommand(const QString& item);
    // The system woke up: the core's state, then every bound device synchronised again.
    void OnSystemResumed();
    // Brings the window back: "No_device_Link" by the connected items, shown and raised.
    void RestoreAndRaise();
    // The DPI layout pass for the monitor the window is on.
    void DpiLayout();
    // Closes every tracked child window that is open.
    void CloseChildWindows();
    // Shows a message box owned by this window at its DPI.
    int MessageBox(const QString& message, bool text_is_id, int button_mode,
                   const QString& title = {});

    // ShellHandlers.
    DevicePage* CurrentDevicePage() override;
    void OnWindowInit() override;
    void OnRootSized() override;
    void OnCloseBtn() override;
    void OnNoDeviceOk() override;
    void OnToggleLightStatus() override;
    void OnSysCommand(int which) override;
    void OnDefaultBtn() override;
    // 0: the desktop's keyboard settings, 1: its mouse settings.
    void OnWindowsDeviceSettings(int n) override;
    void OnDeviceResetBtn() override;
    void OnOpenMacroActionMenu() override;
    void OnHookRequest(int install) override;
    void OnMacroRecording() override;
    void OnProfileComboTimer() override;
    void OnDeviceSelected(int which) override;
    void OnDeviceStep(int direction) override;
    void OnExit() override;
    void OnAbout() override;
    void OnOpenSettings(bool centred) override;
    void OnOpenSkinWindow() override;

    // input::HookWindow: mode 1 goes to the key assignment panel of the current page, the
    // recording modes to the macro editor that records. Dropped while the system sleeps.
    void OnHookMessage(const input::HookMessage& message) override;
    [[nodiscard]] uint64_t GrabWindow() const override;

    // SkinChangeReceiver: the background of "root".
    void OnSkinChanged(const SkinChangedParam& param) override;
    // The firmware version of each selector item's device, in selector order (0 when its
    // channel is not open).
    [[nodiscard]] std::vector<int> FirmwareVersions() const;

  protected:
    void InitWindow() override;
    void Notify(const ui::Notification& msg) override;
    qintptr HandleMessage(unsigned msg, qintptr wParam, qintptr lParam, bool& handled) override;
    QWidget* CreateControl(const QString& className, QWidget* parent) override;
    void OnTimer(int id) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void CreateTray();
    void OpenTrayMenu();
    void StartWorkers();
    void Destroy();
    [[nodiscard]] int ConnectedItemCount() const;
    [[nodiscard]] std::vector<DevicePage*> LitDevices() const;
    void SetPowerReadPause(bool pause, bool only_with_power_flag);
    // The message box for an answer of a device's macro write (-1, or a shortage).
    void ShowMacroWriteAnswer(int answer);
    // After a recording trigger: the hook in the mode the current page's macro editor
    // records in, or stopped when it no longer records.
    void SyncRecordingHook();
    // The device of the recording page went: its recording ends, saved, and the hook stops.
    void StopRecording();
    // MSG_LANGUAGE_CHANGED: the language applied, then the open windows and the pages told.
    void OnLanguageChosen(int index);
    // 0x0D04 from another program: a new version is there.
    void OnUpdateNotice(qintptr version);

    static CMainWnd* instance_;

    std::unique_ptr<MainWndCore> core_;
    std::unique_ptr<ipc::SleepWatcher> sleep_;
    WorkerTable workers_;
    DeviceSlotList slots_;
    std::unique_ptr<input::CDeviceHook> hook_;
    DevicePage* recording_page_ = nullptr;  // the page whose editor records, while it does
    std::unique_ptr<DeviceArea> area_;
    std::unique_ptr<DeviceScanner::Events> scanner_events_;
    std::unique_ptr<DeviceScanner> scanner_;
    QSystemTrayIcon* tray_ = nullptr;
    QPointer<QMenu> tray_menu_;
    QPointer<QWidget> about_wnd_;
    QPointer<QWidget> settings_wnd_;
    QPointer<QWidget> colour_wnd_;
    QPointer<QWidget> audio_style_wnd_;
    QPointer<QWidget> skin_wnd_;
    LanguageSwitch language_;
    bool start_hidden_ = false;
    int screen_w_ = 0;
    int screen_h_ = 0;
    bool display_changed_ = false;
    bool update_notice_ = false;
    bool exiting_ = false;
    StopReport stop_report_;
};

}  // namespace dz::app
