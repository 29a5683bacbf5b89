#pragma once
// The keyboard's 26-byte settings block: one per keyboard profile, every 25 bytes of the
// keyboard's settings area (the last byte of one block is the first of the next), byte 0 of
// the area being the keyboard's current profile. It carries the lighting settings (the
// effect as the device's code) and the lock and report-rate settings; the repeat rate and
// delay are kept only in the profile.

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>

#include "models/panel_lists.h"
#include "profile/device_profiledata.h"
#include "profile/profile_records.h"

namespace dz {

inline constexpr size_t kKeyboardSettingsSize = 26;
inline constexpr size_t kKeyboardSettingsStride = 25;
using KeyboardSettingsBlock = std::array<uint8_t, kKeyboardSettingsSize>;

// The effects the host drives itself (audio-reactive 0x1D, host colour 0x1E) are written as
// 0xFE: the keyboard then shows the frames the host streams. Reading 0xFE back keeps the
// effect the host is driving.
inline constexpr uint8_t kHostDrivenEffect = 0xFE;
inline constexpr int kAudioEffectCode = 0x1D;
inline constexpr int kHostColourEffectCode = 0x1E;
inline constexpr int kKeyboardMaxSpeed = 4;  // the block holds 4 − speed

// Bytes of the block.
inline constexpr size_t kKbEffect = 1;
inline constexpr size_t kKbBrightness = 2;
inline constexpr size_t kKbSpeed = 3;
inline constexpr size_t kKbDirection = 4;
inline constexpr size_t kKbMulticolour = 5;
inline constexpr size_t kKbRed = 6;
inline constexpr size_t kKbCleared = 16;  // cleared after reading
inline constexpr size_t kKbDeviceMode = 18;
inline constexpr size_t kKbWFlag = 19;
inline constexpr size_t kKbKey6Flag = 20;
inline constexpr size_t kKbWinFlag = 21;
inline constexpr size_t kKbPollingRate = 22;
inline constexpr size_t kKbColourPage = 25;

// The keyboard's system settings, the three "SystemStages" words in named form.
struct KeyboardSystemSettings {
    int repeat = 0;        // "Repeat"
    int repeat_delay = 0;  // "RepeatDelay": 0..3, 250 ms × (delay + 1)
    int key6 = 0;          // "Key6Flag"
    int polling_rate = 0;  // "PollingRate": 0..3
    int wflag = 0;         // "WFlag"
    int winflag = 0;       // "WinFlag"

    [[nodiscard]] static KeyboardSystemSettings FromWords(const StageWords& words);
    [[nodiscard]] StageWords Words() const;
    friend bool operator==(const KeyboardSystemSettings&, const KeyboardSystemSettings&) = default;
};

// Offset of profile `profile`'s block in the settings area.
[[nodiscard]] constexpr uint16_t KeyboardSettingsOffset(int profile) {
    return static_cast<uint16_t>(kKeyboardSettingsStride * static_cast<size_t>(profile));
}

// The block written for `light` and `system`: the effect index becomes its device code
// through `effects` (an index the list lacks is written as it is), byte 0 is `first`.
[[nodiscard]] KeyboardSettingsBlock EncodeKeyboardSettings(const LightInfoRecord& light,
                                                           const KeyboardSystemSettings& system,
                                                           std::span<const EffectListEntry> effects,
                                                           uint8_t first = 0);

// What a block read from the keyboard says.
struct KeyboardSettingsRead {
    KeyboardSettingsBlock block{};  // as read, byte 16 cleared
    // The effect index (a code the list lacks is taken as the index itself); nothing when
    // the keyboard shows what the host drives (0xFE).
    std::optional<int> effect;
    uint8_t brightness = 0;
    uint8_t speed = 0;  // 4 − byte 3
    uint8_t direction = 0;
    uint8_t multicolour = 0;
    uint8_t red = 0, green = 0, blue = 0;
    uint8_t device_mode = 0;  // byte 18: the lighting settings' byte 11
    uint8_t colour_page = 0;  // byte 25: the lighting settings' byte 12
    uint8_t wflag = 0, key6 = 0, winflag = 0, polling_rate = 0;
};

[[nodiscard]] KeyboardSettingsRead DecodeKeyboardSettings(const KeyboardSettingsBlock& block,
                                                          std::span<const EffectListEntry> effects);

// `light` with what a block read says: the lighting bytes (the effect kept when the block
// says the host drives it); the other bytes stay.
[[nodiscard]] LightInfoRecord WithBlockLighting(LightInfoRecord light,
                                                const KeyboardSettingsRead& read);
// `system` with the three flags a block read carries (the report rate is not read back).
[[nodiscard]] KeyboardSystemSettings WithBlockFlags(KeyboardSystemSettings system,
                                                    const KeyboardSettingsRead& read);

}  // namespace dz
