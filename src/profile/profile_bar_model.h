#pragma once
// What the profile bar of a device page needs besides the store: the operation tabs it
// shows and hides by device type, the message keys it answers the store's results with,
// and the constants of its selection timer and file dialogs. Qt-free, so that the bar
// stays a thin layer of widgets.

#include <array>
#include <string_view>
#include <vector>

#include "profile/profile_store.h"

namespace dz {

// The operation tabs, numbered 1..8 in this order.
inline constexpr std::array<std::string_view, 8> kOperationTabNames{
    "deng_Op_tab",   "key_Op_tab",        "macro_Op_tab", "system_Op_tab",
    "cursor_Op_tab", "6533_voice_Op_tab", "magic_Op_tab", "Virtual7.1_Op_tab"};

// 1..8 for an operation tab name, 0 for any other name.
[[nodiscard]] int OperationTabNumber(std::string_view control_name);

struct TabVisibility {
    std::string_view tab;
    bool visible;
};

// The tabs whose visibility the device type decides; the others keep what the skin gives.
[[nodiscard]] std::vector<TabVisibility> OperationTabVisibility(int device_type);

// The one-shot timer after a pick in the profile combo; quick picks load only the last.
inline constexpr int kProfileSelectTimerId = 1055;
inline constexpr int kProfileSelectDelayMs = 400;

inline constexpr std::string_view kProfileFileFilterName = "Profile Files(*.json)";
inline constexpr std::string_view kProfileFileFilterPattern = "*.json;";
inline constexpr std::string_view kMacroFileFilterName = "Macro Files(*.mac)";

// Message boxes of the bar and the macro editor.
inline constexpr std::string_view kMessageNameTaken = "message_text_5";
inline constexpr std::string_view kMessageNameBlank = "message_text_25";
inline constexpr std::string_view kMessageConfirmReset = "message_text_22";
inline constexpr std::string_view kMessageConfirmMacroDelete = "message_text_4";
inline constexpr std::string_view kMessageConfirmMacroInUse = "message_text_2";

// The message a rename result is shown with; empty when none is shown.
[[nodiscard]] std::string_view RenameMessageKey(ProfileResult result);

}  // namespace dz
