#include "models/keyboard_lighting/light_list_overrides.h"

#include <algorithm>

#include "device/lighting/lighting_tables.h"

namespace dz::keyboard_lighting {

using lighting::kColourWheel;

namespace {

constexpr uint8_t kBreathing = 0;
constexpr uint8_t kStatic = 1;
constexpr uint8_t kBlink = 2;
constexpr uint8_t kCycle = 3;
constexpr uint8_t kOff = 4;

// The colour indexes run through 0..191. (A breathing entry's index stopping at 191..193
// after its 192nd breath is not kept: it would stop the entry's colour cycle.)
uint8_t NextColour(uint8_t index, int amount) {
    const int next = index + amount;
    return static_cast<uint8_t>(next > 191 ? 0 : next);
}

bool Draws(const LightInfoRecord& r) {
    switch (r.mode) {
        case kBreathing:
        case kCycle:
            return r.valid != 0;
        case kStatic:
        case kBlink:
        case kOff:
            return true;
        default:
            return false;
    }
}

}  // namespace

void LightListOverrides::Replace(std::span<const LightInfoRecord> list) {
    std::lock_guard lock(shared_.lock);
    count_ = std::min(list.size(), kLightCount);
    bool drawing = false;
    for (size_t i = 0; i < kLightCount; ++i) {
        OverrideEntryState& s = shared_.entries[i];
        s.level = 0;
        s.colour_index = 0;
        if (i >= count_) {
            records_[i] = {};
            continue;
        }
        const LightInfoRecord& r = list[i];
        records_[i] = r;
        drawing = drawing || Draws(r);
        s.last_toggle_ms = 0;
        s.on = false;
        s.blink_colour = 0;
        s.blink_period_ms = uint32_t{StepPeriod(r.speed)} * lighting::kBlinkUnitMs;
        if (r.valid != 0) {
            s.cycle_colour = 0;
            s.counter = 0;
            s.threshold = StepPeriod(r.speed);
        }
    }
    drawing_.store(drawing, std::memory_order_relaxed);
}

void LightListOverrides::Apply(uint64_t now_ms, lighting::LedArray& leds, bool draw) {
    std::lock_guard lock(shared_.lock);
    for (size_t i = 0; i < count_; ++i) {
        const LightInfoRecord& r = records_[i];
        OverrideEntryState& s = shared_.entries[i];
        const uint8_t br = lighting::BrightnessAlpha(r.brightness);
        const lighting::Rgb rgb{r.red, r.green, r.blue};
        const auto put = [&](lighting::Rgb c, uint8_t alpha) {
            if (draw) (void)leds.Set(i, {c.red, c.green, c.blue, alpha});
        };
        if (r.mode == kBreathing && r.valid != 0) {
            const int level = s.level + r.speed + 4;
            if (level >= static_cast<int>(lighting::kBreathingSteps)) {
                s.level = 0;
                s.colour_index = NextColour(s.colour_index, 1);
            } else {
                s.level = static_cast<uint8_t>(level);
            }
            put(r.multicolor ? kColourWheel[s.colour_index] : rgb,
                static_cast<uint8_t>(lighting::kBreathingCurve[s.level] * br / 256));
        }
        if (r.mode == kStatic) put(rgb, br);
        if (r.mode == kCycle && r.valid != 0) {
            if (++s.counter >= s.threshold) {
                s.counter = 0;
                s.cycle_colour = NextColour(s.cycle_colour, 1);
            }
            put(kColourWheel[s.cycle_colour], br);
        }
        if (now_ms >= s.last_toggle_ms && now_ms - s.last_toggle_ms >= s.blink_period_ms) {
            s.on = !s.on;
            s.last_toggle_ms = now_ms;
            s.blink_colour = NextColour(s.blink_colour, 14);
        }
        if (r.mode == kBlink) {
            if (s.on)
                put(r.multicolor ? kColourWheel[s.blink_colour] : rgb, br);
            else
                put({}, 0);
        }
        if (r.mode == kOff) put({}, 0);
    }
}

std::optional<uint64_t> LightListOverrides::NextChange(uint64_t now_ms) {
    if (!Any()) return std::nullopt;
    std::lock_guard lock(shared_.lock);
    std::optional<uint64_t> next;
    const auto consider = [&next](uint64_t at) { next = next ? std::min(*next, at) : at; };
    for (size_t i = 0; i < count_; ++i) {
        const LightInfoRecord& r = records_[i];
        const OverrideEntryState& s = shared_.entries[i];
        if (r.valid == 0) continue;
        if (r.mode == kBreathing) {
            consider(now_ms + 1);
        } else if (r.mode == kCycle) {
            consider(now_ms +
                     std::max<uint64_t>(1, s.threshold > s.counter ? s.threshold - s.counter : 1));
        } else if (r.mode == kBlink) {
            consider(std::max(now_ms + 1, s.last_toggle_ms + s.blink_period_ms));
        }
    }
    return next;
}

}  // namespace dz::keyboard_lighting
