#pragma once
// Custom effect playback: the timed steps of an effect file (effect index 0, 19 or above 30),
// one pass per millisecond of the lighting thread. The step list and its index are the
// object's, behind the effect-step lock; the pass counter, phase, blink state and step start
// time are shared by every keyboard of the program.

#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <vector>

#include "device/lighting/led_array.h"
#include "profile/profile_records.h"

namespace dz::keyboard_lighting {

// Program-wide; each a word of its own (two keyboards' threads may both play).
struct PlaybackShared {
    std::atomic<int64_t> start_ms{-1};  // t0; taken at first use
    std::atomic<int32_t> passes{0};     // N
    std::atomic<int32_t> phase{0};      // P
    std::atomic<bool> blink_on{false};
    std::atomic<uint64_t> last_toggle_ms{0};
    std::atomic<uint8_t> blink_colour{0};
};

class CustomPlayback {
  public:
    explicit CustomPlayback(PlaybackShared& shared) : shared_(shared) {}

    // The steps of the applied setting; the index starts at 0. Any thread.
    void Replace(std::vector<LedEffectStep> steps);
    [[nodiscard]] bool Empty() const { return count_.load(std::memory_order_relaxed) == 0; }
    // The step that plays. Any thread.
    [[nodiscard]] size_t Index();

    // One pass (lighting thread). `speed`: the keyboard's own speed level. True when it
    // drew the lights.
    bool Pass(uint64_t now_ms, uint8_t speed, lighting::LedArray& leds);
    // The first pass after `now_ms` at which the picture may change, or none (no steps, or a
    // step that draws nothing and never ends). Lighting thread.
    [[nodiscard]] std::optional<uint64_t> NextChange(uint64_t now_ms, uint8_t speed) const;
    // A fill of the lights is not skipped because it equals the previous one (something else
    // drew in between).
    void ForgetDrawn() { drawn_.reset(); }

  private:
    // Fills every light unless the last pass filled them the same.
    bool Fill(lighting::LedArray& leds, lighting::LedRecord record);

    PlaybackShared& shared_;
    std::mutex lock_;  // the effect-step lock: steps_ and index_
    std::vector<LedEffectStep> steps_;
    size_t index_ = 0;
    std::atomic<size_t> count_{0};
    // Lighting thread only.
    LedEffectStep current_;
    bool playing_ = false;  // current_ holds the step of the last pass
    std::optional<uint32_t> drawn_;
};

}  // namespace dz::keyboard_lighting
