#pragma once
// The application's message contract: its title, the registered message names exchanged
// with other processes, the main window's private message numbers and its timers.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string_view>

namespace dz::app {

inline constexpr std::string_view kAppTitle = "Dozadir Keyboard";
inline constexpr std::string_view kMainWindowName = "MainWnd";
inline constexpr std::string_view kWorkToolWindowName = "WorkTool";

// Registered names of the application messages.
inline constexpr std::string_view kAppShowMsgName = kAppTitle;
inline constexpr std::string_view kSetWndForwardMsgName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF15}";
inline constexpr std::string_view kLightStatusNotifyMsgName =
    "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}";
inline constexpr std::string_view kLightStatusSetMsgName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}";
inline constexpr std::string_view kWorkToolQueryMsgName = "{4695579F-999A-41d4-9FAF-EFFCE93EBF18}";
inline constexpr std::string_view kAudioRecordCmdMsgName = "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}";

// The five GUID-named messages, in the order they are registered at start.
inline constexpr std::array<std::string_view, 5> kGuidMessageNames{
    kSetWndForwardMsgName, kLightStatusNotifyMsgName, kLightStatusSetMsgName, kWorkToolQueryMsgName,
    kAudioRecordCmdMsgName};

// The input-hook and game messages in their registration order. The right-button-down
// name stands twice, so two entries hold one number.
inline constexpr std::array<std::string_view, 24> kHookAndGameMessageNames{
    "WM_HOOK_KEY_SINGLEKEY_MSG",
    "WM_HOOK_KEY_HITKEY_MSG",
    "WM_HOOK_KEY_KBMACRO_MSG",
    "WM_HOOK_KEY_MSMACRO_MSG",
    "WM_HOOK_KEY_KBMACROSINGLE_MSG",
    "WM_HOOK_KEY_KBMACROPREVIOUS_MSG",
    "WM_HOOK_KEY_KBMACROLATER_MSG",
    "WM_HOOK_MOU_SINGLEKEY_MSG",
    "WM_HOOK_MOU_HITKEY_MSG",
    "WM_HOOK_MOU_KBMACRO_MSG",
    "WM_HOOK_MOU_MSMACRO_MSG",
    "WM_HOOK_KEY_MSMACROSINGLE_MSG",
    "WM_HOOK_KEY_MSMACROPREVIOUS_MSG",
    "WM_HOOK_KEY_MSMACROLATER_MSG",
    "UWM_MOUSERBUTTONDOWN_USER_MSG",
    "UWM_MOUSELBUTTONUP_USER_MSG",
    "UWM_MOUSELBUTTONDOWN_USER_MSG",
    "UWM_MOUSERBUTTONUP_USER_MSG",
    "UWM_MOUSERBUTTONDOWN_USER_MSG",
    "UWM_MOUSEMOVE_USER_MSG",
    "Game_Start",
    "Game_End",
    "Game_Kill",
    "Game_Death"};
inline constexpr size_t kFirstGameMessage = 20;  // index of "Game_Start"

// Registered numbers of this process, filled once by RegisterAppMessages().
struct AppMessages {
    uint32_t app_show = 0;        // UWM_APP_SHOW_MSG
    uint32_t setwnd_forward = 0;  // UWM_SETWND_FORWARD_MSG
    uint32_t light_status_notify = 0;
    uint32_t light_status_set = 0;
    uint32_t worktool_query = 0;
    uint32_t audiorecord_cmd = 0;
    std::array<uint32_t, 24> hook_and_game{};

    [[nodiscard]] bool IsGameMessage(uint32_t number) const;
    // The fourteen WM_HOOK_ and six UWM_MOUSE entries (20 values, one repeated).
    [[nodiscard]] bool IsHookMessage(uint32_t number) const;
};

// Registers every name above (idempotent) and answers the numbers.
[[nodiscard]] const AppMessages& RegisterAppMessages();

// Private messages of the main window: fixed numbers that other windows and the worker
// threads of this process post or send to it.
enum PrivateMessage : uint32_t {
    MSG_TRAY_CALLBACK = 0x0401,
    MSG_HOOK_REQUEST = 0x041E,
    MSG_MENU_COMMAND = 0x0479,
    MSG_LOGGED_ONLY = 0x04C8,
    MSG_SHOW_SETTING_PROGRESS = 0x0C00,
    MSG_LANGUAGE_CHANGED = 0x0C11,
    MSG_DEVICE_ARRIVED = 0x0C12,
    MSG_DEVICE_REMOVED = 0x0C13,
    MSG_OPEN_SETTINGS_CENTRED = 0x0C15,
    MSG_CLEAR_UPDATE_BADGE = 0x0C16,
    MSG_IGNORED_0D02 = 0x0D02,
    MSG_RECEIVER_LINK_CHANGED = 0x0D03,
    MSG_UPDATE_NOTICE = 0x0D04,
};

struct PrivateMessageRow {
    uint32_t value;
    std::string_view name;
    // Dropped while the system sleeps (the tray callback, hook request, menu command and
    // the 0x0C00..0x0D04 range); 0x04C8 is logged regardless.
    bool needs_awake;
};

inline constexpr std::array<PrivateMessageRow, 13> kPrivateMessages{{
    {MSG_TRAY_CALLBACK, "MSG_TRAY_CALLBACK", true},
    {MSG_HOOK_REQUEST, "MSG_HOOK_REQUEST", true},
    {MSG_MENU_COMMAND, "MSG_MENU_COMMAND", true},
    {MSG_LOGGED_ONLY, "MSG_LOGGED_ONLY", false},
    {MSG_SHOW_SETTING_PROGRESS, "MSG_SHOW_SETTING_PROGRESS", true},
    {MSG_LANGUAGE_CHANGED, "MSG_LANGUAGE_CHANGED", true},
    {MSG_DEVICE_ARRIVED, "MSG_DEVICE_ARRIVED", true},
    {MSG_DEVICE_REMOVED, "MSG_DEVICE_REMOVED", true},
    {MSG_OPEN_SETTINGS_CENTRED, "MSG_OPEN_SETTINGS_CENTRED", true},
    {MSG_CLEAR_UPDATE_BADGE, "MSG_CLEAR_UPDATE_BADGE", true},
    {MSG_IGNORED_0D02, "MSG_IGNORED_0D02", true},
    {MSG_RECEIVER_LINK_CHANGED, "MSG_RECEIVER_LINK_CHANGED", true},
    {MSG_UPDATE_NOTICE, "MSG_UPDATE_NOTICE", true},
}};

[[nodiscard]] const PrivateMessageRow* FindPrivateMessage(uint32_t value);

// Timers of the main window; each is one-shot (its handler kills it first).
struct TimerRow {
    int id;
    int period_ms;
};
inline constexpr TimerRow kTimerDpiLayout{1011, 100};
inline constexpr TimerRow kTimerTrayMenu{1032, 10};
inline constexpr TimerRow kTimerProfileSwitch{1055, 400};
inline constexpr TimerRow kTimerGameRestore{1066, 5000};

// Menu files.
inline constexpr std::string_view kTrayMenuFile = "menu.xml";
inline constexpr std::string_view kMacroActionMenuFile = "XML\\Menus\\macro_action_menu.xml";

}  // namespace dz::app
