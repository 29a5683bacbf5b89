#pragma once
// "Same mode": the five effects every device kind can show in step with the others, the
// mode that shows each on a kind, and the record a device takes part with. Qt-free, so that
// the window and dozadirctl give the devices the same records.

#include <cstdint>
#include <optional>

#include "models/light_edit.h"

namespace dz {

enum class SyncType : uint8_t {
    kBreathing = 0,
    kSteady = 1,
    kFlashing = 2,
    kColourCycle = 3,
    kOff = 4
};
inline constexpr int kSyncTypeCount = 5;

// The mode that shows each type on a device kind (kKind* of device_table.h), and the type of
// a kind's mode; none when the mode has no synchronised counterpart.
[[nodiscard]] int SyncModeFor(int kind_index, SyncType type);
[[nodiscard]] std::optional<SyncType> SyncTypeOfMode(int kind_index, int mode);

// The record a device of `kind_index` takes part with: its own record with the shared bytes
// (brightness, speed, direction, multicolour, colour: 1 to 7) of `shared` and the type's mode
// of its kind; the bytes past the colour stay the device's own.
[[nodiscard]] LightBytes SameModeRecord(const LightBytes& shared, LightBytes own, int kind_index,
                                        SyncType type);

}  // namespace dz
