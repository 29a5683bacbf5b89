#pragma once
// What the mouse's information block says about the mouse: its key slots, macro memory and
// the DPI scale of its sensor. The other bytes are kept as read and not interpreted.

#include <array>
#include <cstddef>
#include <cstdint>

#include "device/command_channel.h"
#include "models/mouse_dpi.h"

namespace dz {

using MouseInfoBlock = DeviceInfoBlock;

// Offsets in the block (multi-byte fields little-endian), beyond the key slots and the macro
// memory every block has.
inline constexpr size_t kMouseInfoKeySlots = kInfoKeySlots;
inline constexpr size_t kMouseInfoMacroUnits = kInfoMacroUnits;
inline constexpr size_t kMouseInfoSensor = 9;      // 2 bytes
inline constexpr size_t kMouseInfoDpiStep = 11;    // 1 byte: DPI per slider position
inline constexpr size_t kMouseInfoHighest = 12;    // 2 bytes: highest slider position
inline constexpr size_t kMouseInfoLowestDpi = 14;  // 2 bytes: the DPI of position 0

[[nodiscard]] constexpr uint16_t InfoWord(const MouseInfoBlock& b, size_t at) {
    return static_cast<uint16_t>(b[at] | (b[at + 1] << 8));
}
[[nodiscard]] constexpr int MouseKeySlots(const MouseInfoBlock& b) {
    return b[kMouseInfoKeySlots];
}
[[nodiscard]] constexpr size_t MouseMacroCapacity(const MouseInfoBlock& b) {
    return size_t{b[kMouseInfoMacroUnits]} * kMacroMemoryUnit;
}
// The scale as the block gives it (it may be unusable: DpiScale::Usable).
[[nodiscard]] constexpr DpiScale MouseDpiScale(const MouseInfoBlock& b) {
    return DpiScale{InfoWord(b, kMouseInfoSensor), b[kMouseInfoDpiStep],
                    InfoWord(b, kMouseInfoHighest), InfoWord(b, kMouseInfoLowestDpi)};
}

}  // namespace dz
