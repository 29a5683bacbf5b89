#include "models/lit_lighting.h"

#include <algorithm>

namespace dz {
namespace {

using lighting::BrightnessAlpha;
using lighting::CyclicStep;
using lighting::kColourWheel;
using lighting::kWaveCurve;
using lighting::kWaveSteps;
using lighting::kWheelColours;
using lighting::Rgb;

constexpr std::array<int, lighting::kSpeedLevels> kStepMs = {28, 23, 18, 13, 7};
constexpr int kLedRippleDecay = 6;
constexpr int kPairRippleDecay = 7;
constexpr int kRippleColourAdvance = 12;
// The pair ripple's marquee: one place per pair and one empty.
constexpr size_t kPairMarquee = 8;

uint64_t SteadyMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

LitLightingTable BuildMousepad() {
    LitLightingTable t;
    t.leds = 15;
    t.wheel_spread = 7;
    t.wave_offset = 1;
    t.wave_spread = 7;
    t.wave_advance = 1;
    t.pairs = {{{1, 14}, {2, 13}, {3, 12}, {4, 11}, {5, 10}, {6, 9}, {7, 8}}};
    t.backward_leading = 14;
    t.end_line = "MS灯光线程设定退出";
    return t;
}

LitLightingTable BuildHeadset() {
    LitLightingTable t = BuildMousepad();
    t.leds = 13;
    t.wheel_spread = 16;
    t.wave_offset = 0;
    t.wave_spread = 10;
    t.wave_advance = 3;
    // The headset has no LEDs 13 and 14: pairs 0 and 1 light only LEDs 1 and 2.
    t.pairs[0] = {1, -1};
    t.pairs[1] = {2, -1};
    t.backward_leading = 12;
    return t;
}

}  // namespace

const LitLightingTable& MousepadLightingTable() {
    static const LitLightingTable t = BuildMousepad();
    return t;
}
const LitLightingTable& HeadsetLightingTable() {
    static const LitLightingTable t = BuildHeadset();
    return t;
}

int LitStepMs(uint8_t speed) {
    return kStepMs[std::min<size_t>(speed, kStepMs.size() - 1)];
}

LitShared& MousepadLightingShared() {
    static LitShared shared;
    return shared;
}
LitShared& HeadsetLightingShared() {
    static LitShared shared;
    return shared;
}

LitLightingProgram::LitLightingProgram(const LitLightingTable& table, LitShared& shared,
                                       lighting::LedArray& leds, const CommandChannel& channel,
                                       Clock clock)
    : table_(table),
      leds_(leds),
      channel_(channel),
      clock_(clock != nullptr ? clock : &SteadyMs),
      playback_(shared.playback),
      overrides_(shared.overrides) {}

void LitLightingProgram::SetLightWords(uint32_t w0, uint32_t w1) {
    word0_.store(w0);
    word1_.store(w1);
}

lighting::EffectSettings LitLightingProgram::Settings() const {
    const uint32_t w0 = word0_.load(), w1 = word1_.load();
    return lighting::SettingsOfLightWords(w0, w1);
}

std::chrono::milliseconds LitLightingProgram::NextStepIn(std::chrono::milliseconds) {
    return next_;
}

bool LitLightingProgram::Step() {
    // Without the device nothing moves; the first synchronisation starts the thread again.
    if (!channel_.IsOpen()) return false;
    if (restart_.exchange(false)) {
        lighting::ReactiveClear(reactive_);
        reactive_.marquee[0] = 1;
        ripple_steps_ = 0;
    }
    const uint8_t mode = static_cast<uint8_t>(word0_.load());
    const lighting::EffectSettings s = Settings();
    const uint64_t now = clock_();
    next_ = std::chrono::milliseconds(LitStepMs(s.speed));
    bool moving = ModeStep(mode, s, now);
    if (overrides_.Any()) {
        overrides_.Apply(now, leds_, true);
        if (const auto change = overrides_.NextChange(now)) {
            const auto in = std::chrono::milliseconds(std::max<uint64_t>(1, *change - now));
            next_ = moving ? std::min(next_, in) : in;
            moving = true;
        }
    }
    return moving;
}

bool LitLightingProgram::ModeStep(uint8_t mode, const lighting::EffectSettings& s,
                                  uint64_t now) {
    switch (mode) {
        case kLitWave:
            ColourWave(s);
            return true;
        case kLitWheel:
            lighting::EffectWheel(s, counters_, leds_);
            return true;
        case kLitBreathWheel:
            lighting::EffectBreathWheel(s, counters_, leds_);
            return true;
        case kLitStatic:
            lighting::EffectStatic(s, leds_);
            return false;
        case kLitBlinkWheel:
            lighting::EffectBlinkWheel(s, counters_, leds_, now);
            return true;
        case kLitRipple:
            LedRipple(s);
            return true;
        case kLitPairRipple:
            PairRipple(s);
            return true;
        case kLitOff:
            lighting::EffectOff(leds_);
            return false;
        default:
            break;
    }
    // Mode 5 and from 9 on: the user light effect's steps, on every pass.
    const auto next = playback_.Advance(now, s.speed, leds_);
    if (!next) return false;
    next_ = std::max(std::chrono::milliseconds(1), *next);
    return true;
}

void LitLightingProgram::ColourWave(const lighting::EffectSettings& s) {
    const bool forward = s.direction != 0;
    const uint8_t alpha = BrightnessAlpha(s.brightness);
    if (s.multicolour) {
        wave_ = CyclicStep(forward, static_cast<int>(kWheelColours), wave_, 1);
        for (int i = 0; i < table_.leds; ++i) {
            const Rgb c = kColourWheel[(wave_ + 1 + table_.wheel_spread * i) % kWheelColours];
            (void)leds_.Set(static_cast<size_t>(i), {c.red, c.green, c.blue, alpha});
        }
        return;
    }
    wave_ = CyclicStep(forward, static_cast<int>(kWaveSteps), wave_, table_.wave_advance);
    for (int i = 0; i < table_.leds; ++i) {
        const uint8_t wave =
            kWaveCurve[(wave_ + table_.wave_offset + table_.wave_spread * i) % kWaveSteps];
        (void)leds_.Set(static_cast<size_t>(i), {s.colour.red, s.colour.green, s.colour.blue,
                                                 static_cast<uint8_t>(alpha * wave / 256)});
    }
}

uint8_t LitLightingProgram::LeadingIntensity(bool forward) const {
    return reactive_.intensity[static_cast<size_t>(forward ? 0 : table_.backward_leading)];
}

void LitLightingProgram::LedRipple(const lighting::EffectSettings& s) {
    const bool forward = s.direction != 0;
    const uint8_t alpha = BrightnessAlpha(s.brightness);
    wave_ = CyclicStep(forward, static_cast<int>(kWheelColours), wave_, 1);
    if (ripple_steps_++ % 2 == 1) {
        // The pad's trigger: every LED whose marquee place holds a mark goes to full.
        for (int i = 0; i < table_.leds; ++i)
            if (reactive_.marquee[static_cast<size_t>(i)] != 0)
                reactive_.intensity[static_cast<size_t>(i)] = 255;
        lighting::ReactiveRotate(reactive_, forward);
    }
    const uint8_t leading = LeadingIntensity(forward);
    for (int i = 0; i < table_.leds; ++i) {
        const size_t led = static_cast<size_t>(i);
        lighting::ReactiveDecay(reactive_, led, kLedRippleDecay);
        Rgb colour = s.colour;
        if (s.multicolour) {
            wave_ = static_cast<uint8_t>((wave_ + kRippleColourAdvance) % kWheelColours);
            if (leading != 0) {
                const lighting::LedRecord now = leds_.Get(led);
                colour = {now.red, now.green, now.blue};
            } else {
                colour = kColourWheel[wave_];
            }
        }
        (void)leds_.Set(led, {colour.red, colour.green, colour.blue,
                              static_cast<uint8_t>(alpha * reactive_.intensity[led] / 256)});
    }
}

void LitLightingProgram::PairRipple(const lighting::EffectSettings& s) {
    const bool forward = s.direction != 0;
    const uint8_t alpha = BrightnessAlpha(s.brightness);
    wave_ = CyclicStep(forward, static_cast<int>(kWheelColours), wave_, 1);
    if (ripple_steps_++ % 2 == 1) {
        for (size_t k = 0; k < kLitPairs; ++k)
            if (reactive_.marquee[k] != 0) reactive_.intensity[k] = 255;
        // Over the pairs' places only, and the other way round: towards lower places when
        // forward.
        auto first = reactive_.marquee.begin();
        if (forward)
            std::rotate(first, first + 1, first + kPairMarquee);
        else
            std::rotate(first, first + kPairMarquee - 1, first + kPairMarquee);
    }
    const uint8_t leading = LeadingIntensity(forward);
    for (size_t k = 0; k < kLitPairs; ++k) {
        lighting::ReactiveDecay(reactive_, k, kPairRippleDecay);
        const auto& pair = table_.pairs[k];
        Rgb colour = s.colour;
        if (s.multicolour) {
            wave_ = static_cast<uint8_t>((wave_ + kRippleColourAdvance) % kWheelColours);
            if (leading != 0) {
                const lighting::LedRecord now = leds_.Get(static_cast<size_t>(pair[0]));
                colour = {now.red, now.green, now.blue};
            } else {
                colour = kColourWheel[wave_];
            }
        }
        const auto a = static_cast<uint8_t>(alpha * reactive_.intensity[k] / 256);
        for (int led : pair)
            if (led >= 0)
                (void)leds_.Set(static_cast<size_t>(led), {colour.red, colour.green, colour.blue, a});
    }
}

}  // namespace dz
