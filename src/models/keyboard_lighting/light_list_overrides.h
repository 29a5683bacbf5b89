#pragma once
// The light list's per-light overrides, applied after every pass of the lighting thread
// whatever the effect: entry i of the profile's "LightList" breathes, stays, cycles, blinks or
// switches off light i. The records are the object's; the per-entry state is shared by every
// keyboard of the program; both are behind the light-list lock, which is held for a whole
// pass and never together with another lock.

#include <array>
#include <atomic>
#include <cstdint>
#include <mutex>
#include <optional>
#include <span>

#include "device/lighting/led_array.h"
#include "models/keyboard_lighting/keyboard_light_tables.h"
#include "profile/profile_records.h"

namespace dz::keyboard_lighting {

struct OverrideEntryState {
    uint8_t level = 0;         // breathing
    uint8_t colour_index = 0;  // breathing
    bool on = false;           // blinking
    uint64_t last_toggle_ms = 0;
    uint32_t blink_period_ms = 0;
    uint8_t blink_colour = 0;
    uint32_t counter = 0;  // colour cycle
    uint32_t threshold = 0;
    uint8_t cycle_colour = 0;
};

// Program-wide.
struct OverrideShared {
    std::mutex lock;  // the light-list lock
    std::array<OverrideEntryState, kLightCount> entries;
};

class LightListOverrides {
  public:
    explicit LightListOverrides(OverrideShared& shared) : shared_(shared) {}

    // The applied profile's list, and the override state from its start. Entries beyond
    // the lights override nothing. Any thread.
    void Replace(std::span<const LightInfoRecord> list);
    // Whether any entry draws (an invalid entry has mode 0 and draws nothing).
    [[nodiscard]] bool Any() const { return drawing_.load(std::memory_order_relaxed); }

    // One pass: the state moves on; the entries' lights are drawn when `draw`. Lighting thread.
    void Apply(uint64_t now_ms, lighting::LedArray& leds, bool draw);
    // The first pass after `now_ms` at which an entry's light may change, or none.
    [[nodiscard]] std::optional<uint64_t> NextChange(uint64_t now_ms);

  private:
    OverrideShared& shared_;
    // Behind shared_.lock.
    std::array<LightInfoRecord, kLightCount> records_{};
    size_t count_ = 0;
    std::atomic<bool> drawing_{false};
};

}  // namespace dz::keyboard_lighting
