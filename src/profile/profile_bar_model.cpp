#include "profile/profile_bar_model.h"

#include "device/device_table.h"

namespace dz {

int OperationTabNumber(std::string_view control_name) {
    for (size_t i = 0; i < kOperationTabNames.size(); ++i) {
        if (kOperationTabNames[i] == control_name) return static_cast<int>(i) + 1;
    }
    return 0;
}

std::vector<TabVisibility> OperationTabVisibility(int device_type) {
    switch (device_type) {
        case TYPE_KEYBOARD:
            return {{"cursor_Op_tab", false}};
        case TYPE_MOUSEPAD:
            return {{"cursor_Op_tab", false},
                    {"macro_Op_tab", false},
                    {"system_Op_tab", false},
                    {"key_Op_tab", false}};
        case TYPE_HEADSET:
            return {{"cursor_Op_tab", false},    {"macro_Op_tab", false},
                    {"system_Op_tab", false},    {"key_Op_tab", false},
                    {"6533_voice_Op_tab", true}, {"magic_Op_tab", true},
                    {"Virtual7.1_Op_tab", true}};
        default:  // the mouse on either path, and anything else
            return {};
    }
}

std::string_view RenameMessageKey(ProfileResult result) {
    switch (result) {
        case ProfileResult::kNameTaken:
            return kMessageNameTaken;
        case ProfileResult::kNameBlank:
            return kMessageNameBlank;
        default:
            return {};
    }
}

}  // namespace dz
