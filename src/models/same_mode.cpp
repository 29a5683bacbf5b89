#include "models/same_mode.h"

#include <algorithm>

#include "device/device_table.h"

namespace dz {
namespace {

// Modes per type: keyboard, mouse, mousepad and headset.
constexpr int kModes[kSyncTypeCount][4] = {
    {5, 2, 2, 2}, {6, 3, 3, 3}, {23, 4, 4, 4}, {4, 1, 1, 1}, {28, 9, 8, 8}};

int Column(int kind_index) {
    switch (kind_index) {
        case kKindKeyboard:
            return 0;
        case kKindMouse:
            return 1;
        case kKindMousePad:
            return 2;
        case kKindHeadset:
            return 3;
        default:
            return -1;
    }
}

}  // namespace

int SyncModeFor(int kind_index, SyncType type) {
    const int c = Column(kind_index);
    return c < 0 ? -1 : kModes[static_cast<int>(type)][c];
}

std::optional<SyncType> SyncTypeOfMode(int kind_index, int mode) {
    const int c = Column(kind_index);
    if (c < 0) return std::nullopt;
    for (int t = 0; t < kSyncTypeCount; ++t)
        if (kModes[t][c] == mode) return static_cast<SyncType>(t);
    return std::nullopt;
}

LightBytes SameModeRecord(const LightBytes& shared, LightBytes own, int kind_index, SyncType type) {
    std::copy(shared.begin() + 1, shared.begin() + 8, own.begin() + 1);
    own[0] = static_cast<uint8_t>(SyncModeFor(kind_index, type));
    return own;
}

}  // namespace dz
