#pragma once
// The lighting program of the mousepad and the headset: the preview of the device's own
// effects on its LEDs, computed on the lighting thread. The two devices run the same effects
// and differ only in data (LitLightingTable): their LED count, the spread of the colour wave
// and the LED pairs of the pair ripple.
//
// A step is due each time the millisecond clock has moved on by the speed's count (28, 23,
// 18, 13 or 7 ms for stored speed 0 to 4); a user light effect plays its own timed steps.
// After every step the light list's entries override their LEDs.
//
// The ripples (modes 6 and 7) light the LEDs that a marquee of bytes passes. The marquee is
// seeded with a single 1 whenever the mode changes (RequestModeRestart), as on the mouse: the
// 1 then runs round the marquee, so a ripple crosses the LEDs, pauses for the marquee's empty
// places and starts again.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <vector>

#include "device/command_channel.h"
#include "device/lighting/custom_playback.h"
#include "device/lighting/effect_steps.h"
#include "device/lighting/led_array.h"
#include "device/lighting/reactive.h"
#include "device/lighting_thread.h"
#include "models/keyboard_lighting/light_list_overrides.h"
#include "profile/profile_records.h"

namespace dz {

inline constexpr int kLitPairs = 7;

// Mode indexes of the pad's and the headset's lighting lists.
enum LitLightMode : uint8_t {
    kLitWave = 0,
    kLitWheel = 1,
    kLitBreathWheel = 2,
    kLitStatic = 3,
    kLitBlinkWheel = 4,
    kLitCustom = 5,
    kLitRipple = 6,
    kLitPairRipple = 7,
    kLitOff = 8,
    kLitFirstUserEffect = 9,
};

struct LitLightingTable {
    int leds = 0;
    // Colour wave with multicolour: LED i shows wheel[(p + 1 + wheel_spread × i) mod 192].
    int wheel_spread = 0;
    // Without: wave[(p + wave_offset + wave_spread × i) mod 96], p advancing by wave_advance.
    int wave_offset = 0;
    int wave_spread = 0;
    uint8_t wave_advance = 1;
    // The LEDs of each pair (-1: the device lacks it).
    std::array<std::array<int, 2>, kLitPairs> pairs{};
    // The intensity that leads a backward ripple.
    int backward_leading = 0;
    const char* end_line = nullptr;
};

[[nodiscard]] const LitLightingTable& MousepadLightingTable();
[[nodiscard]] const LitLightingTable& HeadsetLightingTable();

// Milliseconds between two steps, by stored speed 0..4 (above 4 counts as 4).
[[nodiscard]] int LitStepMs(uint8_t speed);

// What one kind's devices share: the playback state of the user effects and the light
// list's override state.
struct LitShared {
    lighting::PlaybackShared playback;
    keyboard_lighting::OverrideShared overrides;
};
[[nodiscard]] LitShared& MousepadLightingShared();
[[nodiscard]] LitShared& HeadsetLightingShared();

class LitLightingProgram : public LightingProgram {
  public:
    using Clock = uint64_t (*)();
    LitLightingProgram(const LitLightingTable& table, LitShared& shared, lighting::LedArray& leds,
                       const CommandChannel& channel, Clock clock = nullptr);

    // UI thread (or any thread: all atomics and locked lists).
    // Bytes 0..7 of the lighting settings: mode index, brightness, speed, direction,
    // multicolour, red, green, blue.
    void SetLightWords(uint32_t w0, uint32_t w1);
    // The mode changed: the ripple buffers are cleared and the marquee seeded.
    void RequestModeRestart() { restart_.store(true); }
    void SetUserEffect(std::vector<lighting::PlaybackStep> steps) {
        playback_.SetSteps(std::move(steps));
    }
    void SetLightList(std::span<const LightInfoRecord> list) { overrides_.Replace(list); }

    // Lighting thread.
    bool Step() override;
    std::chrono::milliseconds NextStepIn(std::chrono::milliseconds interval) override;
    [[nodiscard]] const char* EndLine() const override { return table_.end_line; }

    // For tests: the ripple buffers as the last step left them.
    [[nodiscard]] const lighting::ReactiveBuffers& Ripple() const { return reactive_; }

  private:
    [[nodiscard]] lighting::EffectSettings Settings() const;
    // The mode's step; false when the picture stands still.
    bool ModeStep(uint8_t mode, const lighting::EffectSettings& s, uint64_t now);
    void ColourWave(const lighting::EffectSettings& s);
    void LedRipple(const lighting::EffectSettings& s);
    void PairRipple(const lighting::EffectSettings& s);
    [[nodiscard]] uint8_t LeadingIntensity(bool forward) const;

    const LitLightingTable& table_;
    lighting::LedArray& leds_;
    const CommandChannel& channel_;
    Clock clock_;
    std::atomic<uint32_t> word0_{0};
    std::atomic<uint32_t> word1_{0};
    std::atomic<bool> restart_{true};
    lighting::CustomPlayback playback_;
    keyboard_lighting::LightListOverrides overrides_;

    // Lighting thread only.
    lighting::EffectCounters counters_;
    lighting::ReactiveBuffers reactive_;
    uint8_t wave_ = 0;
    uint32_t ripple_steps_ = 0;
    std::chrono::milliseconds next_{1};
};

}  // namespace dz
