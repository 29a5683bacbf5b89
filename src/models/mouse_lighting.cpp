#include "models/mouse_lighting.h"

#include <algorithm>

#include "platform/log/debug_log.h"

namespace dz {
namespace {

using lighting::BrightnessAlpha;
using lighting::CyclicStep;
using lighting::kColourWheel;
using lighting::kWaveCurve;
using lighting::kWheelColours;
using lighting::Rgb;

constexpr std::array<MouseLedGroup, kMouseLedGroups> kGroups{{
    {0, 13, -1},
    {1, 12, -1},
    {2, 11, -1},
    {3, 10, -1},
    {4, 9, -1},
    {5, 8, -1},
    {6, 14, 7},
}};
constexpr std::array<int, lighting::kSpeedLevels> kStepCounts = {28, 23, 18, 13, 7};
constexpr int kGroupSpread = 7;
constexpr int kRippleDecayVariant = 5;
constexpr int kRippleColourAdvance = 12;
constexpr int kFadeStep = 15;

uint64_t SteadyMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

}  // namespace

const std::array<MouseLedGroup, kMouseLedGroups>& MouseLedGroups() {
    return kGroups;
}

int MouseStepCounts(uint8_t speed) {
    return kStepCounts[std::min<size_t>(speed, kStepCounts.size() - 1)];
}

lighting::PlaybackShared& MousePlaybackShared() {
    static lighting::PlaybackShared shared;
    return shared;
}

MouseLightingProgram::MouseLightingProgram(lighting::LedArray& leds, const CommandChannel& channel,
                                           Clock clock)
    : leds_(leds),
      channel_(channel),
      clock_(clock != nullptr ? clock : &SteadyMs),
      playback_(MousePlaybackShared()) {}

void MouseLightingProgram::SetLightWords(uint32_t w0, uint32_t w1) {
    word0_.store(w0);
    word1_.store(w1);
}

lighting::EffectSettings MouseLightingProgram::Settings() const {
    const uint32_t w0 = word0_.load(), w1 = word1_.load();
    return lighting::SettingsOfLightWords(w0, w1);
}

std::chrono::milliseconds MouseLightingProgram::NextStepIn(std::chrono::milliseconds) {
    return next_;
}

bool MouseLightingProgram::Step() {
    // Without the mouse nothing moves; the first synchronisation starts the thread again.
    if (!channel_.IsOpen()) return false;
    if (restart_.exchange(false)) {
        lighting::ReactiveClear(reactive_);
        reactive_.marquee[0] = 1;
    }
    const uint8_t mode = static_cast<uint8_t>(word0_.load());
    const lighting::EffectSettings s = Settings();
    const uint32_t presses = presses_.load();
    if (presses != presses_seen_) {
        presses_seen_ = presses;
        if (mode == kMouseReactive) {
            std::uniform_int_distribution<int> colour(0, static_cast<int>(kWheelColours) - 1);
            for (FadeLed& led : fade_)
                led = {FadeLed::kRising, 255, static_cast<uint8_t>(colour(random_))};
        }
    }
    next_ = std::chrono::milliseconds(MouseStepCounts(s.speed) * kMouseTickMs);
    switch (mode) {
        case kMouseWave:
            ColourWave(s);
            return true;
        case kMouseWheel:
            lighting::EffectWheel(s, counters_, leds_);
            return true;
        case kMouseBreathWheel:
            lighting::EffectBreathWheel(s, counters_, leds_);
            return true;
        case kMouseStatic:
            lighting::EffectStatic(s, leds_);
            return false;
        case kMouseBlinkWheel:
            lighting::EffectBlinkWheel(s, counters_, leds_, clock_());
            return true;
        case kMouseRipple:
            GroupRipple(s);
            return true;
        case kMouseReactive:
            return ReactiveFade(s);
        case kMouseBreathFour:
            lighting::EffectBreathFour(s, counters_, leds_);
            return true;
        case kMouseBlinkFour:
            lighting::EffectBlinkFour(s, counters_, leds_, clock_());
            return true;
        case kMouseOff:
            lighting::EffectOff(leds_);
            return false;
        default:
            break;
    }
    if (mode >= kMouseFirstUserEffect) {
        const auto next = playback_.Advance(clock_(), s.speed, leds_);
        if (!next) return false;
        next_ = *next;
        return true;
    }
    // A mode the mouse does not have shows nothing.
    lighting::EffectOff(leds_);
    return false;
}

void MouseLightingProgram::PaintGroup(int group, Rgb colour, uint8_t alpha) {
    for (int led : kGroups[static_cast<size_t>(group)])
        if (led >= 0)
            (void)leds_.Set(static_cast<size_t>(led),
                            {colour.red, colour.green, colour.blue, alpha});
}

void MouseLightingProgram::ColourWave(const lighting::EffectSettings& s) {
    const bool forward = s.direction != 0;
    const uint8_t alpha = BrightnessAlpha(s.brightness);
    if (s.multicolour) {
        wave_ = CyclicStep(forward, static_cast<int>(kWheelColours), wave_, 1);
        for (int g = 0; g < kMouseLedGroups; ++g)
            PaintGroup(g, kColourWheel[(wave_ + 1 + kGroupSpread * g) % kWheelColours], alpha);
        return;
    }
    wave_ = CyclicStep(forward, static_cast<int>(lighting::kWaveSteps), wave_, 1);
    for (int g = 0; g < kMouseLedGroups; ++g) {
        const uint8_t wave = kWaveCurve[(wave_ + 1 + kGroupSpread * g) % lighting::kWaveSteps];
        PaintGroup(g, s.colour, static_cast<uint8_t>(alpha * wave / 256));
    }
}

void MouseLightingProgram::GroupRipple(const lighting::EffectSettings& s) {
    const bool forward = s.direction != 0;
    const uint8_t alpha = BrightnessAlpha(s.brightness);
    wave_ = CyclicStep(forward, static_cast<int>(kWheelColours), wave_, 1);
    lighting::ReactiveTrigger(reactive_);
    lighting::ReactiveRotate(reactive_, forward);
    const uint8_t leading = reactive_.intensity[forward ? 0 : kMouseLedGroups - 1];
    for (int g = 0; g < kMouseLedGroups; ++g) {
        lighting::ReactiveDecay(reactive_, static_cast<size_t>(g), kRippleDecayVariant);
        Rgb colour = s.colour;
        if (s.multicolour) {
            wave_ = static_cast<uint8_t>((wave_ + kRippleColourAdvance) % kWheelColours);
            if (leading != 0) {
                const lighting::LedRecord first =
                    leds_.Get(static_cast<size_t>(kGroups[static_cast<size_t>(g)][0]));
                colour = {first.red, first.green, first.blue};
            } else {
                colour = kColourWheel[wave_];
            }
        }
        PaintGroup(g, colour,
                   static_cast<uint8_t>(alpha * reactive_.intensity[static_cast<size_t>(g)] / 256));
    }
}

bool MouseLightingProgram::ReactiveFade(const lighting::EffectSettings& s) {
    const uint8_t alpha = BrightnessAlpha(s.brightness);
    bool moving = false;
    for (size_t i = 0; i < fade_.size(); ++i) {
        FadeLed& led = fade_[i];
        if (led.state == FadeLed::kRising) {
            if (led.level >= 255 - kFadeStep) {
                led.level = 255;
                led.state = FadeLed::kFalling;
            } else {
                led.level = static_cast<uint8_t>(led.level + kFadeStep);
            }
        } else if (led.state == FadeLed::kFalling) {
            led.level = static_cast<uint8_t>(std::max(0, led.level - kFadeStep));
            if (led.level == 0) led.state = FadeLed::kIdle;
        }
        moving = moving || led.state != FadeLed::kIdle;
        const Rgb colour = s.multicolour ? kColourWheel[led.wheel] : s.colour;
        (void)leds_.Set(i, {colour.red, colour.green, colour.blue,
                            static_cast<uint8_t>(alpha * led.level / 256)});
    }
    return moving;
}

}  // namespace dz
