#include "models/keyboard_lighting/custom_playback.h"

#include <algorithm>

#include "device/lighting/effect_steps.h"
#include "device/lighting/lighting_tables.h"
#include "models/keyboard_lighting/keyboard_light_tables.h"

namespace dz::keyboard_lighting {

using lighting::kColourWheel;
using lighting::LedRecord;

namespace {

constexpr int kWheel = static_cast<int>(lighting::kWheelColours);
constexpr int kWaveLimit = static_cast<int>(kWaveCurveSize);

// The threshold of a step's mode in passes.
int StepThreshold(const LedEffectStep& step) {
    return step.mode == 5 ? SpeedThreshold(1, step.speed) : StepPeriod(step.speed);
}

LedRecord Lit(lighting::Rgb c, uint8_t alpha) {
    return {c.red, c.green, c.blue, alpha};
}

}  // namespace

void CustomPlayback::Replace(std::vector<LedEffectStep> steps) {
    std::lock_guard lock(lock_);
    steps_ = std::move(steps);
    index_ = 0;
    count_.store(steps_.size(), std::memory_order_relaxed);
}

size_t CustomPlayback::Index() {
    std::lock_guard lock(lock_);
    return index_;
}

bool CustomPlayback::Fill(lighting::LedArray& leds, LedRecord record) {
    const uint32_t packed = lighting::PackLed(record);
    if (drawn_ == packed) return false;
    leds.Fill(record);
    drawn_ = packed;
    return true;
}

bool CustomPlayback::Pass(uint64_t now_ms, uint8_t speed, lighting::LedArray& leds) {
    {
        std::lock_guard lock(lock_);
        if (index_ >= steps_.size()) index_ = 0;
        if (steps_.empty()) {
            playing_ = false;
            return Fill(leds, {});
        }
        current_ = steps_[index_];
    }
    playing_ = true;
    const LedEffectStep& step = current_;
    if (shared_.start_ms.load(std::memory_order_relaxed) < 0)
        shared_.start_ms.store(static_cast<int64_t>(now_ms), std::memory_order_relaxed);

    int32_t n = shared_.passes.load(std::memory_order_relaxed) + 1;
    int32_t p = shared_.phase.load(std::memory_order_relaxed);
    const uint8_t br = lighting::BrightnessAlpha(step.brightness);
    const lighting::Rgb rgb{step.red, step.green, step.blue};
    const bool due = n >= StepThreshold(step);
    bool drew = false;
    switch (step.mode) {
        case 0:  // breathing
            if (due) {
                p = p + 1 >= static_cast<int>(lighting::kBreathingSteps) ? 0 : p + 1;
                n = 0;
                const lighting::Rgb c = step.multicolor ? kColourWheel[0] : rgb;
                drew =
                    Fill(leds,
                         Lit(c, static_cast<uint8_t>(
                                    lighting::kBreathingCurve[static_cast<size_t>(p)] * br / 256)));
            }
            break;
        case 1:  // static
            if (due) {
                p = p + 1 > 8 ? 0 : p + 1;
                n = 0;
                drew = Fill(leds, Lit(rgb, br));
            }
            break;
        case 2: {  // blink, at the keyboard's own speed
            p = p + 1 >= static_cast<int>(lighting::kBreathingSteps) ? 0 : p + 1;
            if (due) n = 0;
            const uint64_t last = shared_.last_toggle_ms.load(std::memory_order_relaxed);
            if (now_ms >= last &&
                now_ms - last >= uint64_t{StepPeriod(speed)} * lighting::kBlinkUnitMs) {
                shared_.blink_on.store(!shared_.blink_on.load(std::memory_order_relaxed),
                                       std::memory_order_relaxed);
                shared_.last_toggle_ms.store(now_ms, std::memory_order_relaxed);
                shared_.blink_colour.store(static_cast<uint8_t>(p + 14 >= kWheel ? 0 : p + 14),
                                           std::memory_order_relaxed);
            }
            if (shared_.blink_on.load(std::memory_order_relaxed)) {
                const lighting::Rgb c =
                    step.multicolor
                        ? kColourWheel[shared_.blink_colour.load(std::memory_order_relaxed)]
                        : rgb;
                drew = Fill(leds, Lit(c, br));
            } else {
                drew = Fill(leds, {});
            }
            break;
        }
        case 4:  // wheel
            if (due) {
                p = p + 1 >= kWheel ? 0 : p + 1;
                n = 0;
                int k = step.direction == 0 ? (p + 1 >= kWheel ? 0 : p + 1)
                                            : (kWheel - p >= kWheel ? kWheel - 1 : kWheel - p);
                const size_t count = leds.Size();
                for (size_t x = 0; x < count; ++x) {
                    if (step.multicolor) {
                        (void)leds.Set(x, Lit(kColourWheel[static_cast<size_t>(k)], br));
                        k = (k + 12) % kWheel;
                    } else {
                        // k may start above the curve's length: it is brought into it.
                        k = (k + 12) % kWaveLimit;
                        (void)leds.Set(
                            x, Lit(rgb, static_cast<uint8_t>(
                                            br * kWaveCurve[static_cast<size_t>(k)] / 256)));
                    }
                }
                drawn_.reset();
                drew = true;
            }
            break;
        case 5:  // colour cycle
            if (due) {
                p = p + 1 >= kWheel ? 0 : p + 1;
                n = 0;
                drew = Fill(leds, Lit(kColourWheel[static_cast<size_t>(p)], br));
            }
            break;
        default:
            break;
    }
    if (n == 255) n = 0;
    shared_.passes.store(n, std::memory_order_relaxed);
    shared_.phase.store(p, std::memory_order_relaxed);

    const int64_t t0 = shared_.start_ms.load(std::memory_order_relaxed);
    if (static_cast<int64_t>(now_ms) - t0 > int64_t{step.time}) {
        {
            std::lock_guard lock(lock_);
            ++index_;
            if (index_ >= steps_.size()) index_ = 0;
        }
        shared_.start_ms.store(static_cast<int64_t>(now_ms), std::memory_order_relaxed);
    }
    return drew;
}

std::optional<uint64_t> CustomPlayback::NextChange(uint64_t now_ms, uint8_t speed) const {
    if (!playing_) return std::nullopt;
    const LedEffectStep& step = current_;
    std::optional<uint64_t> next;
    const auto consider = [&next](uint64_t at) { next = next ? std::min(*next, at) : at; };
    const int32_t n = shared_.passes.load(std::memory_order_relaxed);
    switch (step.mode) {
        case 0:
        case 1:
        case 4:
        case 5:
            consider(now_ms + static_cast<uint64_t>(std::max(1, StepThreshold(step) - n)));
            break;
        case 2:
            consider(
                std::max(now_ms + 1, shared_.last_toggle_ms.load(std::memory_order_relaxed) +
                                         uint64_t{StepPeriod(speed)} * lighting::kBlinkUnitMs));
            break;
        default:
            break;
    }
    // The step ends at the first pass more than its time after t0; the next one may draw.
    const int64_t end = shared_.start_ms.load(std::memory_order_relaxed) + int64_t{step.time} + 1;
    consider(end > static_cast<int64_t>(now_ms) ? static_cast<uint64_t>(end) : now_ms + 1);
    return next;
}

}  // namespace dz::keyboard_lighting
