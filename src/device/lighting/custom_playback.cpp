#include "device/lighting/custom_playback.h"

#include <algorithm>

namespace dz::lighting {
namespace {

// Step period of the styles, in passes, by speed level (also the blink half-period in
// 200-ms units).
constexpr std::array<uint8_t, kSpeedLevels> kPeriod = {28, 23, 18, 13, 7};
// The colour cycle's period, in passes, by speed level.
constexpr std::array<uint8_t, kSpeedLevels> kCyclePeriod = {10, 8, 5, 3, 1};
constexpr uint64_t kMaxPassesPerCall = 1000;
constexpr uint8_t kBlinkColourAdvance = 14;
constexpr int kWheelSpread = 12;

size_t SpeedLevel(uint8_t speed) {
    return std::min<size_t>(speed, kSpeedLevels - 1);
}

uint8_t Period(const PlaybackStep& step) {
    return step.mode == kPlaybackColourCycle ? kCyclePeriod[SpeedLevel(step.speed)]
                                             : kPeriod[SpeedLevel(step.speed)];
}

uint8_t Wrap(int value, int limit) {
    return static_cast<uint8_t>(value >= limit ? 0 : value);
}

}  // namespace

PlaybackShared::State PlaybackShared::Snapshot() const {
    std::lock_guard lock(mutex_);
    return state_;
}

void PlaybackShared::Reset() {
    std::lock_guard lock(mutex_);
    state_ = State{};
}

void CustomPlayback::SetSteps(std::vector<PlaybackStep> steps) {
    std::lock_guard lock(steps_mutex_);
    steps_ = std::move(steps);
    index_ = 0;
}

size_t CustomPlayback::StepIndex() const {
    std::lock_guard lock(steps_mutex_);
    return index_;
}

std::optional<std::chrono::milliseconds> CustomPlayback::Advance(uint64_t now_ms,
                                                                 uint8_t device_speed,
                                                                 LedArray& leds) {
    uint64_t passes = 1;
    if (last_pass_ms_ && now_ms > *last_pass_ms_)
        passes = std::min(now_ms - *last_pass_ms_, kMaxPassesPerCall);
    last_pass_ms_ = now_ms;

    std::scoped_lock lock(shared_.mutex_, steps_mutex_);
    PlaybackShared::State& s = shared_.state_;
    if (!s.started) {
        s.started = true;
        s.step_start_ms = now_ms;
    }
    // Each pass happens at its own millisecond, the last one now.
    bool have_steps = true;
    for (uint64_t i = passes; i-- > 0 && have_steps;)
        have_steps = Pass(now_ms - i, device_speed, s);
    if (!have_steps) {
        leds.Fill({});
        return std::nullopt;
    }
    Paint(steps_[index_], s, leds);
    return NextChange(now_ms, device_speed, s);
}

bool CustomPlayback::Pass(uint64_t now_ms, uint8_t device_speed, PlaybackShared::State& s) {
    if (index_ >= steps_.size()) index_ = 0;
    if (steps_.empty()) return false;
    const PlaybackStep& step = steps_[index_];
    s.passes = static_cast<uint8_t>(s.passes + 1);
    const bool due = s.passes >= Period(step);
    switch (step.mode) {
        case kPlaybackBreathing:
            if (due) {
                s.phase = Wrap(s.phase + 1, static_cast<int>(kBreathingSteps));
                s.passes = 0;
            }
            break;
        case kPlaybackStatic:
            if (due) {
                s.phase = static_cast<uint8_t>(s.phase + 1 > 8 ? 0 : s.phase + 1);
                s.passes = 0;
            }
            break;
        case kPlaybackBlink:
            s.phase = Wrap(s.phase + 1, static_cast<int>(kBreathingSteps));
            if (due) s.passes = 0;
            if (now_ms >= s.last_toggle_ms &&
                now_ms - s.last_toggle_ms >=
                    uint64_t{kPeriod[SpeedLevel(device_speed)]} * kBlinkUnitMs) {
                s.blink_on = !s.blink_on;
                s.last_toggle_ms = now_ms;
                s.blink_colour =
                    Wrap(s.phase + kBlinkColourAdvance, static_cast<int>(kWheelColours));
            }
            break;
        case kPlaybackWheel:
        case kPlaybackColourCycle:
            if (due) {
                s.phase = Wrap(s.phase + 1, static_cast<int>(kWheelColours));
                s.passes = 0;
            }
            break;
        default:
            break;
    }
    if (s.passes == 255) s.passes = 0;
    if (now_ms > s.step_start_ms &&
        now_ms - s.step_start_ms > static_cast<uint64_t>(std::max(step.time_ms, 0))) {
        index_ = index_ + 1 >= steps_.size() ? 0 : index_ + 1;
        s.step_start_ms = now_ms;
    }
    return true;
}

void CustomPlayback::Paint(const PlaybackStep& step, const PlaybackShared::State& s,
                           LedArray& leds) const {
    const uint8_t alpha = BrightnessAlpha(step.brightness);
    auto fill = [&leds](Rgb c, uint8_t a) { leds.Fill({c.red, c.green, c.blue, a}); };
    switch (step.mode) {
        case kPlaybackBreathing:
            fill(step.multicolour ? kColourWheel[0] : step.colour,
                 static_cast<uint8_t>(kBreathingCurve[s.phase % kBreathingSteps] * alpha / 256));
            break;
        case kPlaybackStatic:
            fill(step.colour, alpha);
            break;
        case kPlaybackBlink:
            if (s.blink_on)
                fill(step.multicolour ? kColourWheel[s.blink_colour] : step.colour, alpha);
            else
                leds.Fill({});
            break;
        case kPlaybackWheel: {
            int k = 0;
            if (step.direction == 0) {
                k = Wrap(s.phase + 1, static_cast<int>(kWheelColours));
            } else {
                k = static_cast<int>(kWheelColours) - s.phase;
                if (k >= static_cast<int>(kWheelColours)) k = static_cast<int>(kWheelColours) - 1;
            }
            for (size_t i = 0; i < leds.Size(); ++i) {
                if (step.multicolour) {
                    const Rgb c = kColourWheel[static_cast<size_t>(k)];
                    (void)leds.Set(i, {c.red, c.green, c.blue, alpha});
                    k = (k + kWheelSpread) % static_cast<int>(kWheelColours);
                } else {
                    k = (k + kWheelSpread) % static_cast<int>(kWaveSteps);
                    const Rgb c = step.colour;
                    (void)leds.Set(
                        i,
                        {c.red, c.green, c.blue,
                         static_cast<uint8_t>(alpha * kWaveCurve[static_cast<size_t>(k)] / 256)});
                }
            }
            break;
        }
        case kPlaybackColourCycle:
            fill(kColourWheel[s.phase], alpha);
            break;
        default:
            break;  // a style the device does not know draws nothing
    }
}

std::optional<std::chrono::milliseconds> CustomPlayback::NextChange(
    uint64_t now_ms, uint8_t device_speed, const PlaybackShared::State& s) const {
    const PlaybackStep& step = steps_[index_];
    // The step ends in the first pass more than its time after it began.
    const uint64_t end = s.step_start_ms + static_cast<uint64_t>(std::max(step.time_ms, 0)) + 1;
    uint64_t next = end > now_ms ? end - now_ms : 1;
    auto sooner = [&next](uint64_t ms) { next = std::min(next, std::max<uint64_t>(ms, 1)); };
    switch (step.mode) {
        case kPlaybackBreathing:
        case kPlaybackWheel:
        case kPlaybackColourCycle:
            sooner(Period(step) > s.passes ? Period(step) - s.passes : 1);
            break;
        case kPlaybackBlink: {
            const uint64_t half = uint64_t{kPeriod[SpeedLevel(device_speed)]} * kBlinkUnitMs;
            const uint64_t toggle = s.last_toggle_ms + half;
            sooner(toggle > now_ms ? toggle - now_ms : 1);
            break;
        }
        default:
            break;  // static and unknown styles change only with the step
    }
    return std::chrono::milliseconds(std::min<uint64_t>(next, kMaxPassesPerCall));
}

}  // namespace dz::lighting
