#include "device_commands.h"

#include "platform/paths/paths.h"

#include <json/value.h>

#include <cstdio>
#include <ostream>

#include "cli.h"
#include "device/device_table.h"
#include "keyboard_commands.h"
#include "headset_commands.h"
#include "lit_commands.h"
#include "mouse_commands.h"
#include "panel_commands.h"
#include "preview_commands.h"
#include "same_mode_commands.h"
#include "shoot_commands.h"

namespace dz::ctl {

std::span<const DeviceCommand> DeviceCommands() {
    // Each model adds its rows here (and its header above).
    static const std::vector<DeviceCommand> rows = {
        {"sync", "keyboard", OnPath<KeyboardSyncCommand, false>, kKeyboardSyncUsage},
        {"sync", "keyboard-rx", OnPath<KeyboardSyncCommand, true>, ""},
        {"apply", "keyboard", OnPath<KeyboardApplyCommand, false>, kKeyboardApplyUsage},
        {"apply", "keyboard-rx", OnPath<KeyboardApplyCommand, true>, ""},
        {"sync", "mouse", OnPath<MouseSyncCommand, false>, kMouseSyncUsage},
        {"sync", "mouse-rx", OnPath<MouseSyncCommand, true>, ""},
        {"apply", "mouse", OnPath<MouseApplyCommand, false>, kMouseApplyUsage},
        {"apply", "mouse-rx", OnPath<MouseApplyCommand, true>, ""},
        {"dpi", "mouse", OnPath<MouseDpiCommand, false>, kMouseDpiUsage},
        {"dpi", "mouse-rx", OnPath<MouseDpiCommand, true>, ""},
        {"preview", "mouse", MousePreviewCommand, kMousePreviewUsage},
        {"sync", "mousepad", MousepadSyncCommand, kLitSyncUsage},
        {"sync", "headset", HeadsetSyncCommand, ""},
        {"apply", "mousepad", MousepadApplyCommand, kLitApplyUsage},
        {"apply", "headset", HeadsetApplyCommand, ""},
        {"preview", "mousepad", MousepadPreviewCommand, kLitPreviewUsage},
        {"preview", "headset", HeadsetPreviewCommand, ""},
        {"headset", "eq", HeadsetEqCommand, kHeadsetSoundUsage},
        {"headset", "mic", HeadsetMicCommand, ""},
        {"headset", "monitor", HeadsetMonitorCommand, ""},
        {"headset", "voice", HeadsetVoiceCommand, ""},
        {"preview", "keyboard", PreviewKeyboardCommand, kPreviewUsage},
        {"shoot", "mouse", ShootMouseCommand, kShootMouseUsage},
        {"lighting", "keyboard", OnPath<KeyboardLightingCommand, false>, kLightingUsage},
        {"lighting", "keyboard-rx", OnPath<KeyboardLightingCommand, true>, ""},
        {"lighting", "mouse", OnPath<MouseLightingCommand, false>, ""},
        {"lighting", "mouse-rx", OnPath<MouseLightingCommand, true>, ""},
        {"key", "keyboard", OnPath<KeyboardKeyCommand, false>, kKeyUsage},
        {"key", "keyboard-rx", OnPath<KeyboardKeyCommand, true>, ""},
        {"key", "mouse", OnPath<MouseKeyCommand, false>, ""},
        {"key", "mouse-rx", OnPath<MouseKeyCommand, true>, ""},
        {"same-mode", "keyboard", SameModeKeyboardCommand, kSameModeUsage},
        {"same-mode", "mouse", SameModeMouseCommand, ""},
        {"same-mode", "mousepad", SameModeMousepadCommand, ""},
        {"same-mode", "headset", SameModeHeadsetCommand, ""},
    };
    return rows;
}

std::string DeviceCommandUsage() {
    std::string text;
    for (const DeviceCommand& c : DeviceCommands()) text += c.usage;
    return text;
}

std::vector<EffectListEntry> BuiltInEffects(int kind_code) {
    PanelLists lists;
    ReadPanelLists({{}, paths::DefaultLightFile(), {}}, kind_code, lists);
    return lists.effects;
}

std::string HexBytes(std::span<const uint8_t> bytes) {
    std::string text;
    char b[4];
    for (size_t i = 0; i < bytes.size(); ++i) {
        std::snprintf(b, sizeof b, "%02x", bytes[i]);
        text += (i ? " " : "") + std::string(b);
    }
    return text;
}

Json::Value ByteArray(std::span<const uint8_t> bytes) {
    Json::Value a(Json::arrayValue);
    for (const uint8_t b : bytes) a.append(b);
    return a;
}

std::string TransferText(const DeviceTransfer& t) {
    if (t.Ok()) return t.refused != nullptr ? std::string("nothing written: ") + t.refused : "ok";
    if (t.refused != nullptr) return std::string("not done: ") + t.refused;
    std::string text = CommandResultText(t.result);
    if (const char* name = CommandName(t.failed_command)) text += std::string(" at ") + name;
    return text + " (" + std::to_string(t.result) + ")";
}

Json::Value TransferJson(const DeviceTransfer& t) {
    Json::Value v(Json::objectValue);
    v["result"] = t.result;
    v["ok"] = t.Ok();
    v["text"] = TransferText(t);
    return v;
}

DeviceSession::DeviceSession() : channel_(std::make_unique<CommandChannel>()) {}

DeviceSession::~DeviceSession() {
    channel_->SetOpen(false);
    channel_->CableInterface().Close();
    channel_->ReceiverInterface().Close();
}

bool DeviceSession::ReceiverPath() const {
    return bound_.record.type == TYPE_KEYBOARD_RX || bound_.record.type == TYPE_MOUSE_RX;
}

bool DeviceSession::Open(Context& ctx, std::initializer_list<uint16_t> types, const char* what,
                         int& status) {
    DeviceSlotList slots;
    const ScanPass pass = BindPresentInterfaces(slots);
    const BoundInterface* found = nullptr;
    for (const uint16_t type : types) {
        for (const BoundInterface& b : pass.bound) {
            if (found == nullptr && b.record.role == ROLE_COMMAND && b.record.type == type)
                found = &b;
        }
    }
    if (found == nullptr) {
        bool denied = false;
        for (const UnopenedInterface& u : pass.unopened)
            denied = denied || u.error == hid::OpenError::kAccessDenied;
        ctx.err << "dozadirctl: no " << what << " is connected"
                << (denied ? " that this user may open (see dozadirctl udev-rule)"
                           : " (try --simulate)")
                << "\n";
        status = denied ? kExitNoAccess : kExitNoDevice;
        return false;
    }
    bound_ = *found;
    const bool receiver = ReceiverPath();
    HidInterface& hid = receiver ? channel_->ReceiverInterface() : channel_->CableInterface();
    if (hid.Open(bound_.record.path, true, true, true, false) != 1) {
        ctx.err << "dozadirctl: " << bound_.record.path << ": cannot be opened\n";
        status = kExitNoAccess;
        return false;
    }
    channel_->SetMode(receiver ? kModeReceiver : kModeCable);
    channel_->SetOpen(true);
    status = kExitOk;
    return true;
}

}  // namespace dz::ctl
