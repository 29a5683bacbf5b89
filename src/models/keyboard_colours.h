#pragma once
// The keyboard's per-key colours and light frame, both indexed by the keyboard's own LED
// numbering: a position's colour goes to 3 × its LED index. The per-key colour page (512
// bytes per page, the custom colour effect) carries raw colours; the light frame of the
// host-driven effects (126 × 3 bytes over the cable) carries them scaled by alpha.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "device/lighting/led_array.h"
#include "models/keyboard_layout.h"
#include "profile/device_profiledata.h"

namespace dz {

inline constexpr size_t kKeyColourPageSize = 512;
inline constexpr int kKeyboardLights = 170;  // the page's lights; 0..125 are the positions
inline constexpr size_t kKeyboardFrameSize = kKeyboardPositions * 3;  // 378
inline constexpr int kPerKeyColourEffect = 20;
// The host-driven effects, by index: their frames are streamed to the keyboard.
inline constexpr int kAudioEffectIndex = 29;
inline constexpr int kHostColourEffectIndex = 30;

using KeyColourPage = std::array<uint8_t, kKeyColourPageSize>;
using KeyboardFrame = std::array<uint8_t, kKeyboardFrameSize>;

// The page of the colours of `leds` (positions 0..125): zeros, then each position's three
// colour bytes at 3 × its LED index. Positions without a light, and LED indexes whose three
// bytes would not fit the page's 170 lights, are left out.
[[nodiscard]] KeyColourPage BuildKeyColourPage(const lighting::LedArray& leds,
                                               const KeyboardMaps& maps);
// The same from colours by light (the custom colour effect's own).
[[nodiscard]] KeyColourPage BuildKeyColourPage(std::span<const lighting::LedRecord> lights,
                                               const KeyboardMaps& maps);

// The colours of a page read from the keyboard as the page's 170 lights: each position with
// a light takes the three bytes at 3 × its LED index, every light the alpha `alpha`.
[[nodiscard]] std::vector<KeyColor> ColoursFromPage(std::span<const uint8_t> page,
                                                    const KeyboardMaps& maps, uint8_t alpha);

// The streamed frame from the frame the base object built (3 bytes per light, already
// scaled by alpha): each position's bytes at 3 × its LED index; LED indexes beyond the
// frame's 126 are left out.
[[nodiscard]] KeyboardFrame BuildKeyboardFrame(std::span<const uint8_t> light_frame,
                                               const KeyboardMaps& maps);

}  // namespace dz
