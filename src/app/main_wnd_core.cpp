#include "app/main_wnd_core.h"

#include <QByteArray>

#include "app/work_tool.h"
#include "platform/log/debug_log.h"

namespace dz::app {

MainWndCore::MainWndCore(QDBusConnection bus, Devices devices, QObject* parent)
    : QObject(parent),
      msgs_(RegisterAppMessages()),
      devices_(std::move(devices)),
      endpoint_(std::make_unique<ipc::WindowEndpoint>(
          QString::fromUtf8(kMainWindowName.data(), kMainWindowName.size()), std::move(bus))) {
    game_timer_.setSingleShot(true);
    game_timer_.setInterval(kTimerGameRestore.period_ms);
    connect(&game_timer_, &QTimer::timeout, this, &MainWndCore::OnGameRestore);
    auto handle = [this](const ipc::BusMessage& m) {
        return HandleRegistered(m.number, m.wparam, m.lparam);
    };
    endpoint_->SetPostHandler([handle](const ipc::BusMessage& m) { handle(m); });
    endpoint_->SetSendHandler(handle);
}

MainWndCore::~MainWndCore() = default;

bool MainWndCore::OpenBus() {
    return endpoint_->Open();
}

QString MainWndCore::LightControlText() const {
    return QString::fromUtf8(light_state_ ? kLightControlOnText : kLightControlOffText);
}

void MainWndCore::BroadcastInitialLightState() {
    if (!endpoint_->SendBroadcast(
            QString::fromUtf8(kLightStatusNotifyMsgName.data(), kLightStatusNotifyMsgName.size()),
            1, 1))
        log::DebugLine("light status not broadcast: no bus");
}

void MainWndCore::ToggleLightStatus() {
    SetLightState(light_state_ == 0 ? 1 : 0, true);
}

void MainWndCore::SetLightState(int state, bool broadcast) {
    light_state_ = state;
    emit LightControlTextChanged(LightControlText());
    if (broadcast) {
        (void)endpoint_->SendBroadcast(
            QString::fromUtf8(kLightStatusNotifyMsgName.data(), kLightStatusNotifyMsgName.size()),
            1, state);
    }
    TellDevicesLightState(state);
}

void MainWndCore::TellDevicesLightState(int state) {
    if (!devices_.lit_devices) return;
    for (DevicePage* d : devices_.lit_devices()) d->SetLightControlState(state);
}

void MainWndCore::TellDevicesHover() {
    if (!devices_.lit_devices) return;
    for (DevicePage* d : devices_.lit_devices()) d->SetHoverState(hover_);
}

int64_t MainWndCore::HandleRegistered(uint32_t number, int64_t wparam, int64_t lparam) {
    if (number == msgs_.app_show) {
        emit ShowRequested(lparam);
    } else if (number == msgs_.light_status_set) {
        if (wparam == 1 && (lparam == 0 || lparam == 1)) SetLightState(int(lparam), false);
    } else if (number == msgs_.worktool_query) {
        AnswerWorkTool();
    } else if (number == msgs_.setwnd_forward) {
        emit ForwardToSettings(wparam, lparam);
    } else if (msgs_.IsGameMessage(number)) {
        if (!awake_) return 0;
        game_.OnGameMessage(devices_.current_page ? devices_.current_page() : nullptr, wparam,
                            lparam);
        game_timer_.start();
    } else if (msgs_.IsHookMessage(number)) {
        if (!awake_) return 0;
        if (number == msgs_.hook_and_game[1]) return 0;  // WM_HOOK_KEY_HITKEY_MSG
        emit HookMessage(number, wparam, lparam);
    }
    return 0;
}

void MainWndCore::AnswerWorkTool() {
    const auto answer = BuildWorkToolAnswer();
    const QByteArray bytes(reinterpret_cast<const char*>(answer.data()),
                           static_cast<qsizetype>(answer.size()));
    const QString tool = QString::fromUtf8(kWorkToolWindowName.data(), kWorkToolWindowName.size());
    if (!ipc::CopyDataToWindow(endpoint_->Bus(), tool, kWorkToolDataTag, bytes))
        log::DebugLine("work tool query: no WorkTool window");
}

void MainWndCore::OnGameRestore() {
    game_timer_.stop();
    if (!awake_) return;
    game_.OnRestoreTimer(devices_.current_page ? devices_.current_page() : nullptr);
}

void MainWndCore::SetActive(bool active) {
    active_ = active ? 1 : 0;
    hover_ = active_;
    TellDevicesHover();
}

void MainWndCore::SetHover(bool hover) {
    log::DebugLine(hover ? "鼠标移入" : "鼠标移出");
    if (active_ != 0) return;
    hover_ = hover ? 1 : 0;
    TellDevicesHover();
}

void MainWndCore::OnSuspend() {
    awake_ = false;
    TellDevicesLightState(0);
}

void MainWndCore::OnResume() {
    awake_ = true;
    TellDevicesLightState(light_state_);
}

}  // namespace dz::app
