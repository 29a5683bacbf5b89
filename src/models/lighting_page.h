#pragma once
// The lighting page the mousepad and the headset share: 21 bytes per on-device profile,
// written with CMD_WRITE_SETTINGS and read back with CMD_READ_SETTINGS. Both devices keep
// their profiles 64 bytes apart (byte 0 of the settings area, the start of page 0, is the
// profile in use), so a page is written and read at profile × 64; profile 0 lies at 0
// either way. The host keeps the page in working form: byte 1 the mode index (position in
// the kind's standard-mode list) instead of the device code, byte 3 the stored speed
// (0..4, 4 fastest) instead of 4 minus it. Bytes 4 and 9..20 go back as they were read.
// Qt-free: the device objects run the transfers on their worker, dozadirctl directly.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "device/command_channel.h"
#include "models/device_exchange.h"
#include "models/panel_lists.h"
#include "profile/profile_records.h"

namespace dz {

inline constexpr size_t kLightingPageSize = 21;
inline constexpr size_t kLightingPageReadSize = 26;
inline constexpr uint16_t kLightingPageStride = 64;
// Mode indexes from here on are sent as standard mode 0 (the device runs no user effect).
inline constexpr int kLightingPageModes = 9;

inline constexpr size_t kLpProfile = 0;
inline constexpr size_t kLpMode = 1;
inline constexpr size_t kLpBrightness = 2;
inline constexpr size_t kLpSpeed = 3;
inline constexpr size_t kLpMulticolour = 5;
inline constexpr size_t kLpRed = 6;
inline constexpr size_t kLpGreen = 7;
inline constexpr size_t kLpBlue = 8;

using LightingPageBytes = std::array<uint8_t, kLightingPageSize>;

// The working page with bytes 1, 2, 3, 5, 6, 7 and 8 from the light record (mode index,
// brightness, speed, multicolour, red, green, blue); the direction has no byte.
void FillLightingPage(LightingPageBytes& working, const LightInfoRecord& light);

// The wire form of a working page: the mode index becomes its device code (an index of 9
// or more counts as 0; an index the list does not reach is sent as the code of mode 0, or
// 0 without a list), the speed 4 minus the stored speed (a stored speed above 4 counts as
// 4). The working page is not changed.
[[nodiscard]] LightingPageBytes EncodeLightingPage(const LightingPageBytes& working,
                                                   std::span<const EffectListEntry> modes);

// The working form of what was read: byte 0 := `profile`, byte 1 the position of its code
// among the modes' codes (a code none has stays as it is), byte 3 := 4 − byte 3.
[[nodiscard]] LightingPageBytes DecodeLightingPage(std::span<const uint8_t> read, int profile,
                                                   std::span<const EffectListEntry> modes);

struct LightingPageRead {
    int profile = 0;  // as read from byte 0 of the area; the one given when that failed
    int profile_result = kCmdNoExchange;
    int page_result = kCmdNoExchange;
    // Zeros where nothing came in.
    std::array<uint8_t, kLightingPageReadSize> bytes{};
};
// The profile in use (byte 0) and its page. Nothing is read when the channel is closed;
// `held` is the profile the caller's working page holds, kept when byte 0 is not read.
[[nodiscard]] LightingPageRead ReadCurrentLightingPage(CommandChannel& channel, int held);
// One profile's page (dozadirctl).
[[nodiscard]] LightingPageRead ReadLightingPage(CommandChannel& channel, int profile);

// BEGIN (only when the channel is open), the page at profile × 64, END. The device reads
// nothing into the results, but they are reported (dozadirctl and the debug output say
// what went wrong).
[[nodiscard]] DeviceTransfer WriteLightingPage(CommandChannel& channel, int profile,
                                               const LightingPageBytes& wire);

}  // namespace dz
