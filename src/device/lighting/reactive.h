#pragma once
// The reactive buffers behind the key-press and ripple effects: an intensity per
// light that fades step by step, and a marquee of bytes that rotates and re-lights
// the lights it passes. Fixed-size; the operations allocate nothing.

#include <array>
#include <cstddef>
#include <cstdint>

namespace dz::lighting {

inline constexpr size_t kReactiveLights = 170;
inline constexpr size_t kMarqueeSize = 23;
inline constexpr size_t kMarqueeTriggers = 9;  // the marquee places that light a light
// The variant of the audio-reactive effect, which fades by the bits of the intensity.
inline constexpr int kAudioDecayVariant = 29;

struct ReactiveBuffers {
    std::array<uint8_t, kReactiveLights> intensity{};
    std::array<uint8_t, kMarqueeSize> marquee{};
};

// The intensity one fade step leaves of `value` in `variant`; never below 0.
[[nodiscard]] uint8_t DecayedIntensity(uint8_t value, int variant);

// Fades the intensity of light `led` by one step; a light outside the buffer is ignored.
void ReactiveDecay(ReactiveBuffers& r, size_t led, int variant);
// Every light whose place among the first marquee bytes is not 0 goes to full intensity.
void ReactiveTrigger(ReactiveBuffers& r);
// Rotates the marquee by one place: towards higher places when `forward`, else lower.
void ReactiveRotate(ReactiveBuffers& r, bool forward);
void ReactiveClear(ReactiveBuffers& r);

}  // namespace dz::lighting
