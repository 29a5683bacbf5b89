#pragma once
// The main window's behaviour that needs no widgets: its bus endpoint, the lighting-control
// state and its broadcasts, the registered messages from other processes (show, light
// status set, work tool query, settings forward, game and hook messages), activity and
// hover, and the system-awake flag that gates messages while the machine sleeps.
// CMainWnd owns one and connects its signals to widgets.

#include <QDBusConnection>
#include <QObject>
#include <QString>
#include <QTimer>
#include <functional>
#include <memory>
#include <vector>

#include "app/app_messages.h"
#include "app/game_lighting.h"
#include "device/device_page.h"
#include "platform/ipc/window_endpoint.h"

namespace dz::app {

// The language texts of "control_light_status" for the two states (in Chinese "控制灯光"
// and "不控制灯光").
inline constexpr const char* kLightControlOnText = "light_control_on_text";
inline constexpr const char* kLightControlOffText = "light_control_off_text";

class MainWndCore : public QObject {
    Q_OBJECT
  public:
    struct Devices {
        // The device object of the current device page, or none.
        std::function<DevicePage*()> current_page;
        // Every device object of the mouse, mousepad and keyboard lists.
        std::function<std::vector<DevicePage*>()> lit_devices;
    };

    MainWndCore(QDBusConnection bus, Devices devices, QObject* parent = nullptr);
    ~MainWndCore() override;

    // Claims the main window's bus name. False when the bus is missing or the name taken;
    // the window then works without messaging.
    [[nodiscard]] bool OpenBus();
    [[nodiscard]] bool BusOpen() const { return endpoint_->IsOpen(); }

    // Window initialisation step 2: tell other programs that this one drives the lights.
    void BroadcastInitialLightState();
    // The "control_light_status" click.
    void ToggleLightStatus();
    [[nodiscard]] int LightControlState() const { return light_state_; }
    [[nodiscard]] QString LightControlText() const;

    // A registered message, from another process or from this one. Answers the result
    // of a send (0 for everything here).
    int64_t HandleRegistered(uint32_t number, int64_t wparam, int64_t lparam);

    // Activity (window activated or not) and pointer hover over the window.
    void SetActive(bool active);
    void SetHover(bool hover);
    [[nodiscard]] int ActiveFlag() const { return active_; }
    [[nodiscard]] int HoverFlag() const { return hover_; }

    // Suspend and resume.
    void OnSuspend();
    void OnResume();
    [[nodiscard]] bool SystemAwake() const { return awake_; }

    [[nodiscard]] const GameLighting& Game() const { return game_; }
    [[nodiscard]] QTimer& GameRestoreTimer() { return game_timer_; }
    [[nodiscard]] ipc::WindowEndpoint& Endpoint() { return *endpoint_; }

  signals:
    void ShowRequested(qint64 lparam);  // UWM_APP_SHOW_MSG
    void LightControlTextChanged(const QString& text);
    void ForwardToSettings(qint64 wparam, qint64 lparam);  // UWM_SETWND_FORWARD_MSG
    void HookMessage(quint32 number, qint64 wparam, qint64 lparam);

  private:
    void SetLightState(int state, bool broadcast);
    void TellDevicesLightState(int state);
    void TellDevicesHover();
    void AnswerWorkTool();
    void OnGameRestore();

    const AppMessages& msgs_;
    Devices devices_;
    std::unique_ptr<ipc::WindowEndpoint> endpoint_;
    QTimer game_timer_;
    GameLighting game_;
    int light_state_ = 1;
    int active_ = 0;
    int hover_ = 0;
    bool awake_ = true;
};

}  // namespace dz::app
