#pragma once
// The mouse's lighting program: the preview of the mouse's own effects on its 15 LEDs,
// computed on the lighting thread. The mouse runs the effect itself; the host only shows it.
//
// The effect advances one step each time the millisecond clock has moved on by 2 ms a
// number of times that the speed sets (28, 23, 18, 13 or 7 for speed 0 to 4); the user's
// light effects play their timed steps. The thread sleeps until the next step is due, and
// for a picture that stands still until something changes it.
//
// The UI thread talks to it only through atomics and the playback's locked step list:
// SetLightWords (the lighting settings), RequestModeRestart (the mode changed), Press (a
// button press for the reactive effect) and SetUserEffect.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <random>
#include <vector>

#include "device/command_channel.h"
#include "device/lighting/custom_playback.h"
#include "device/lighting/effect_steps.h"
#include "device/lighting/led_array.h"
#include "device/lighting/reactive.h"
#include "device/lighting_thread.h"

namespace dz {

inline constexpr int kMouseLeds = 15;
inline constexpr int kMouseLedGroups = 7;
inline constexpr int kMouseTickMs = 2;

// Mode indexes of the mouse's lighting list.
enum MouseLightMode : uint8_t {
    kMouseWave = 0,
    kMouseWheel = 1,
    kMouseBreathWheel = 2,
    kMouseStatic = 3,
    kMouseBlinkWheel = 4,
    kMouseRipple = 5,
    kMouseReactive = 6,
    kMouseBreathFour = 7,
    kMouseBlinkFour = 8,
    kMouseOff = 9,
    kMouseFirstUserEffect = 10,
};

// The LEDs of each group (-1: none).
using MouseLedGroup = std::array<int, 3>;
[[nodiscard]] const std::array<MouseLedGroup, kMouseLedGroups>& MouseLedGroups();

// Clock counts of 2 ms between two steps, by stored speed 0..4 (above 4 counts as 4).
[[nodiscard]] int MouseStepCounts(uint8_t speed);

// The state all mouse objects' user light effects share.
[[nodiscard]] lighting::PlaybackShared& MousePlaybackShared();

class MouseLightingProgram : public LightingProgram {
  public:
    // `clock` answers the millisecond clock (tests pass their own); `channel` says whether
    // the mouse is there (a closed channel shows nothing new).
    using Clock = uint64_t (*)();
    MouseLightingProgram(lighting::LedArray& leds, const CommandChannel& channel,
                         Clock clock = nullptr);

    // UI thread.
    // The four words of the lighting settings (bytes 0..7: mode, brightness, speed,
    // direction, multicolour, red, green, blue).
    void SetLightWords(uint32_t w0, uint32_t w1);
    // The mode changed: the reactive buffers are cleared and the ripple starts again.
    void RequestModeRestart() { restart_.store(true); }
    // A button press (reactive effect): every LED starts again from full.
    void Press() { presses_.fetch_add(1); }
    void SetUserEffect(std::vector<lighting::PlaybackStep> steps) {
        playback_.SetSteps(std::move(steps));
    }
    [[nodiscard]] size_t UserEffectStep() const { return playback_.StepIndex(); }

    // Lighting thread.
    bool Step() override;
    std::chrono::milliseconds NextStepIn(std::chrono::milliseconds interval) override;

  private:
    struct FadeLed {
        enum : uint8_t { kIdle, kRising, kFalling } state = kIdle;
        uint8_t level = 0;
        uint8_t wheel = 0;  // the colour drawn at the last press
    };

    [[nodiscard]] lighting::EffectSettings Settings() const;
    void ColourWave(const lighting::EffectSettings& s);
    void GroupRipple(const lighting::EffectSettings& s);
    // False when every LED is idle (nothing moves until the next press).
    bool ReactiveFade(const lighting::EffectSettings& s);
    void PaintGroup(int group, lighting::Rgb colour, uint8_t alpha);

    lighting::LedArray& leds_;
    const CommandChannel& channel_;
    Clock clock_;
    std::atomic<uint32_t> word0_{0};
    std::atomic<uint32_t> word1_{0};
    std::atomic<bool> restart_{true};
    std::atomic<uint32_t> presses_{0};
    lighting::CustomPlayback playback_;

    // Lighting thread only.
    lighting::EffectCounters counters_;
    lighting::ReactiveBuffers reactive_;
    uint8_t wave_ = 0;  // p of the wave and the ripple
    uint32_t presses_seen_ = 0;
    std::array<FadeLed, kMouseLeds> fade_{};
    std::minstd_rand random_{0x5EED};
    std::chrono::milliseconds next_{kMouseTickMs};
};

}  // namespace dz
