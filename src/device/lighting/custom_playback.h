#pragma once
// Playback of a custom light effect: the timed steps of an effect file, each shown for its
// time in one of a few styles (breathing, static, blink, wheel, colour cycle).
//
// The effect is described in passes of one millisecond. A pass is the unit in which the
// step counters run; the playback works them out from the clock instead of waking every
// millisecond: Advance runs the passes that have gone by since the last call and paints the
// picture they leave, and answers when the picture can change next.
//
// The pass counter, the phase, the step start time and the blink state belong to the whole
// program, shared by every device of a kind (one PlaybackShared per kind); the step list and
// the current step belong to one device.

#include <chrono>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "device/lighting/led_array.h"
#include "device/lighting/lighting_tables.h"

namespace dz::lighting {

// One step of an effect file.
struct PlaybackStep {
    uint8_t mode = 0;  // 0 breathing, 1 static, 2 blink, 4 wheel, 5 colour cycle
    uint8_t brightness = 0;
    uint8_t speed = 0;
    uint8_t direction = 0;
    uint8_t multicolour = 0;
    Rgb colour{};
    int32_t time_ms = 0;  // how long the step is shown
    friend bool operator==(const PlaybackStep&, const PlaybackStep&) = default;
};

inline constexpr uint8_t kPlaybackBreathing = 0;
inline constexpr uint8_t kPlaybackStatic = 1;
inline constexpr uint8_t kPlaybackBlink = 2;
inline constexpr uint8_t kPlaybackWheel = 4;
inline constexpr uint8_t kPlaybackColourCycle = 5;

// The state one kind's devices share. Thread-safe: every use takes its lock.
class PlaybackShared {
  public:
    struct State {
        bool started = false;
        uint64_t step_start_ms = 0;  // t0
        uint8_t passes = 0;          // N
        uint8_t phase = 0;           // P
        bool blink_on = false;
        uint64_t last_toggle_ms = 0;
        uint8_t blink_colour = 0;
    };
    // For tests and for people reading the state.
    [[nodiscard]] State Snapshot() const;
    void Reset();

  private:
    friend class CustomPlayback;
    mutable std::mutex mutex_;
    State state_;
};

// One device's playback. The steps are replaced from the UI thread (SetSteps); Advance runs
// on the lighting thread.
class CustomPlayback {
  public:
    explicit CustomPlayback(PlaybackShared& shared) : shared_(shared) {}

    // New steps; the effect starts again at its first step.
    void SetSteps(std::vector<PlaybackStep> steps);
    [[nodiscard]] size_t StepIndex() const;

    // Runs the passes from the last call up to `now_ms` (at least one, at most a second's
    // worth) onto `leds`; `device_speed` is the device's own speed level (blink timing).
    // Answers in how many milliseconds the picture can change next, or nothing when it
    // stays as it is until the steps change.
    std::optional<std::chrono::milliseconds> Advance(uint64_t now_ms, uint8_t device_speed,
                                                     LedArray& leds);

  private:
    // One pass at `now_ms` with the shared state and the steps locked; false without steps.
    bool Pass(uint64_t now_ms, uint8_t device_speed, PlaybackShared::State& s);
    void Paint(const PlaybackStep& step, const PlaybackShared::State& s, LedArray& leds) const;
    [[nodiscard]] std::optional<std::chrono::milliseconds> NextChange(
        uint64_t now_ms, uint8_t device_speed, const PlaybackShared::State& s) const;

    PlaybackShared& shared_;
    mutable std::mutex steps_mutex_;  // the steps and the index (UI thread and lighting thread)
    std::vector<PlaybackStep> steps_;
    size_t index_ = 0;
    std::optional<uint64_t> last_pass_ms_;  // lighting thread only
};

}  // namespace dz::lighting
