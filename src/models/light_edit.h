#pragma once
// How the lighting panel changes a light record (the 14 bytes of a lighting setting), so
// that the panel and dozadirctl change it the same way: which bytes each control sets, the
// ranges of the sliders per device type, how an edit's text becomes a colour value, and the
// effect a word names.

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "models/panel_lists.h"

namespace dz {

using LightBytes = std::array<uint8_t, 14>;

// Bytes of the record the panel sets; the others are carried unchanged.
inline constexpr size_t kLightByteMode = 0;
inline constexpr size_t kLightByteBrightness = 1;
inline constexpr size_t kLightByteSpeed = 2;
inline constexpr size_t kLightByteDirection = 3;  // 1 first direction, 0 second
inline constexpr size_t kLightByteMulticolour = 4;
inline constexpr size_t kLightByteRed = 5;          // green and blue follow
inline constexpr size_t kLightByteSubMode = 11;     // keyboards
inline constexpr size_t kLightByteCustomMode = 12;  // keyboards

// The device kind a lighting panel lays itself out for: the device type code of the page
// (a receiver's type counts as its device's).
inline constexpr int kLightKindKeyboard = 1;
inline constexpr int kLightKindMouse = 2;
inline constexpr int kLightKindMousepad = 3;
inline constexpr int kLightKindHeadset = 7;
[[nodiscard]] int LightKindOfDeviceType(int device_type);

// The brightness and speed sliders run from 0 to these.
[[nodiscard]] int LightBrightnessMaximum(int kind);
[[nodiscard]] int LightSpeedMaximum(int kind);

[[nodiscard]] LightBytes WithMode(LightBytes record, int mode);
// Clamped into the slider's range of `kind`.
[[nodiscard]] LightBytes WithBrightness(LightBytes record, int value, int kind);
[[nodiscard]] LightBytes WithSpeed(LightBytes record, int value, int kind);
[[nodiscard]] LightBytes WithDirection(LightBytes record, bool first);
[[nodiscard]] LightBytes WithMulticolour(LightBytes record, bool on);
// A chosen colour switches multicolour off.
[[nodiscard]] LightBytes WithColour(LightBytes record, uint8_t red, uint8_t green, uint8_t blue);
// One channel (0 red, 1 green, 2 blue) typed into its edit; multicolour off as well.
[[nodiscard]] LightBytes WithColourChannel(LightBytes record, int channel, uint8_t value);
[[nodiscard]] LightBytes WithSubMode(LightBytes record, int index);
[[nodiscard]] LightBytes WithCustomMode(LightBytes record, int index);

// An R, G or B edit's text as its colour value: read as a decimal number ("12abc" is 12),
// above 255 it is 255, below 0 or without digits it is 0. The edit then shows the value.
[[nodiscard]] uint8_t ColourEditValue(std::string_view text);

// "#RRGGBB" or "RRGGBB" (either case); nothing for anything else.
[[nodiscard]] std::optional<std::array<uint8_t, 3>> ParseHexColour(std::string_view text);
// "#RRGGBB", upper case.
[[nodiscard]] std::string HexColourText(uint8_t red, uint8_t green, uint8_t blue);

// The effect a word names among `effects`: its index as a decimal number, or its name
// ("kb_light_wave_text") or the short form of its name ("wave"), ignoring case. -1 when none
// matches.
[[nodiscard]] int FindLightMode(std::span<const EffectListEntry> effects, std::string_view word);
// "kb_light_wave_text" -> "wave": the name without its kind prefix and "_text".
[[nodiscard]] std::string ShortLightModeName(std::string_view name);

}  // namespace dz
