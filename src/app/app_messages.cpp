#include "app/app_messages.h"

#include <algorithm>

#include "platform/ipc/registered_messages.h"

namespace dz::app {

bool AppMessages::IsGameMessage(uint32_t number) const {
    return number != 0 && std::find(hook_and_game.begin() + kFirstGameMessage, hook_and_game.end(),
                                    number) != hook_and_game.end();
}

bool AppMessages::IsHookMessage(uint32_t number) const {
    return number != 0 &&
           std::find(hook_and_game.begin(), hook_and_game.begin() + kFirstGameMessage, number) !=
               hook_and_game.begin() + kFirstGameMessage;
}

const AppMessages& RegisterAppMessages() {
    static const AppMessages messages = [] {
        AppMessages m;
        m.app_show = ipc::RegisterMessage(kAppShowMsgName);
        m.setwnd_forward = ipc::RegisterMessage(kSetWndForwardMsgName);
        m.light_status_notify = ipc::RegisterMessage(kLightStatusNotifyMsgName);
        m.light_status_set = ipc::RegisterMessage(kLightStatusSetMsgName);
        m.worktool_query = ipc::RegisterMessage(kWorkToolQueryMsgName);
        m.audiorecord_cmd = ipc::RegisterMessage(kAudioRecordCmdMsgName);
        for (size_t i = 0; i < kHookAndGameMessageNames.size(); ++i)
            m.hook_and_game[i] = ipc::RegisterMessage(kHookAndGameMessageNames[i]);
        return m;
    }();
    return messages;
}

const PrivateMessageRow* FindPrivateMessage(uint32_t value) {
    for (const PrivateMessageRow& row : kPrivateMessages)
        if (row.value == value) return &row;
    return nullptr;
}

}  // namespace dz::app
