#include "models/keyboard_lighting/keyboard_effects.h"

#include <algorithm>

#include "device/lighting/reactive.h"

namespace dz::keyboard_lighting {

using lighting::CyclicStep;
using lighting::kColourWheel;
using lighting::Rgb;

namespace {

constexpr int kWheel = static_cast<int>(lighting::kWheelColours);  // 192
constexpr int kWaveLimit = static_cast<int>(kWaveCurveSize);       // 96

// k + n within 0..limit-1. A k left beyond the limit by another table's cycle comes back into
// range instead of indexing past the table.
uint8_t AddMod(int k, int n, int limit) {
    return static_cast<uint8_t>((k + n) % limit);
}

uint8_t Scale(uint8_t alpha, int value) {
    return static_cast<uint8_t>(alpha * value / 256);
}

template <class Fn>
void ForColumn(int c, Fn fn) {
    for (const uint8_t x : kLedMatrix[static_cast<size_t>(c)])
        if (x != kNoLight) fn(x);
}

template <class Fn>
void ForKeyOrder(Fn fn) {
    for (const uint8_t x : kKeyOrder)
        if (x != kNoLight) fn(x);
}

template <class Fn>
void ForRingInKeyOrder(size_t ring, Fn fn) {
    for (const uint8_t x : kRings[ring])
        if (x != kNoLight && kInKeyOrder[x]) fn(x);
}

}  // namespace

KeyboardLightingSettings KeyboardLightingSettings::From(const LightInfoRecord& light,
                                                        const AudioLightInfoRecord& audio) {
    KeyboardLightingSettings s;
    s.effect = light.mode;
    s.base.brightness = light.brightness;
    s.base.speed = light.speed;
    s.base.direction = light.direction;
    s.base.multicolour = light.multicolor;
    s.base.colour = {light.red, light.green, light.blue};
    s.sub_mode = light.device_mode;
    s.custom_group = light.custom_group;
    s.audio_mode = audio.audio_mode;
    s.background = {audio.bk_red, audio.bk_green, audio.bk_blue};
    s.foreground = {audio.fg_red, audio.fg_green, audio.fg_blue};
    s.seven_colour = audio.seven_color != 0;
    return s;
}

void WaveMaps::SetAll(int c, uint8_t bits) {
    const auto i = static_cast<size_t>(c);
    ul[i] |= bits;
    ur[i] |= bits;
    dr[i] |= bits;
    dl[i] |= bits;
}

bool WaveMaps::Empty() const {
    for (int c = 0; c < kColumns; ++c)
        if (Column(c) != 0) return false;
    return true;
}

uint8_t SpreadColourIndex(size_t light) {
    size_t k = 33 * (light + 1);
    while (k > 192) k -= 192;
    return static_cast<uint8_t>(k);
}

int64_t AudioHeight(int64_t value) {
    return 600 - value * 600 / 2000;
}

int64_t AudioHeightClamped(int64_t value) {
    const int64_t h = AudioHeight(value);
    return h < 0 ? 500 : h;
}

KeyboardEffects::KeyboardEffects(lighting::LedArray& leds, EffectInputs& inputs,
                                 EffectRandom& random)
    : leds_(leds), inputs_(inputs), random_(random) {}

// ---- Restart and start actions ----------------------------------------------------------

void KeyboardEffects::RestartEffect() {
    state_.counters.level = 0;
    state_.stage = 0;
    state_.colour_index.fill(0);
    state_.level.fill(0);
    state_.maps = {};
    for (auto& v : inputs_.spectrum) v.store(0, std::memory_order_relaxed);
    state_.column_flags.fill(1);
}

void KeyboardEffects::StartAction(int effect) {
    switch (effect) {
        case 13:
            state_.maps.SetAll(9, 1u << 6);
            return;
        case 15:
            for (int c = 0; c < kColumns; ++c) {
                for (int r = 0; r < kWaveRows; ++r) {
                    const uint8_t x = kWaveTable[static_cast<size_t>(c)][static_cast<size_t>(r)];
                    if (x == kNoCell) continue;
                    state_.level[x] = kPhaseTable[static_cast<size_t>(6 * c + r)];
                    state_.colour_index[x] = static_cast<uint8_t>(7 * c);
                }
            }
            return;
        case 16:
            state_.maps.SetAll(1, 1u << 0);
            return;
        case 22:
            for (int c = 0; c < kColumns; ++c) {
                int a = 192 - 8 * c;
                for (int r = 0; r < kWaveRows; ++r) {
                    a -= 35;
                    if (a < 0) a += 193;
                    const uint8_t x = kWaveTable[static_cast<size_t>(c)][static_cast<size_t>(r)];
                    if (x == kNoCell) continue;
                    state_.pulse_phase[x] = static_cast<uint8_t>(a);
                    state_.colour_index[x] = static_cast<uint8_t>(7 * c);
                }
            }
            return;
        default:
            for (size_t i = 0; i < kLightCount; ++i) state_.colour_index[i] = SpreadColourIndex(i);
            return;
    }
}

void KeyboardEffects::FinishApply() {
    if (settings_.effect == kSweepEffect) state_.colour_index.fill(0);
    state_.counters.level = 0;
}

// ---- Helpers ---------------------------------------------------------------------------------

uint8_t KeyboardEffects::Brightness() const {
    return lighting::BrightnessAlpha(settings_.base.brightness);
}

Rgb KeyboardEffects::WheelOrFixed(uint8_t light) const {
    return settings_.base.multicolour ? kColourWheel[state_.colour_index[light]]
                                      : settings_.base.colour;
}

void KeyboardEffects::Put(uint8_t light, Rgb colour, uint8_t alpha) {
    (void)leds_.Set(light, {colour.red, colour.green, colour.blue, alpha});
}

void KeyboardEffects::Decay(uint8_t light, int variant) {
    state_.level[light] = lighting::DecayedIntensity(state_.level[light], variant);
}

uint8_t KeyboardEffects::LevelAlpha(uint8_t light) const {
    return Scale(Brightness(), state_.level[light]);
}

void KeyboardEffects::FadeAndDraw(uint8_t light) {
    Decay(light, settings_.effect);
    Put(light, WheelOrFixed(light), LevelAlpha(light));
}

bool KeyboardEffects::Dim(int column, int row, uint8_t level) const {
    const uint8_t x = kLedMatrix[static_cast<size_t>(column)][static_cast<size_t>(row)];
    return x == kNoLight || state_.level[x] < level;
}

// ---- Wave maps -------------------------------------------------------------------------------

void KeyboardEffects::WaveLighting() {
    for (int c = 0; c < kColumns; ++c) {
        const uint8_t bits = state_.maps.Column(c);
        for (int r = 0; r < kRows; ++r) {
            if ((bits & (1u << r)) == 0) continue;
            const uint8_t x = kLedMatrix[static_cast<size_t>(c)][static_cast<size_t>(r)];
            if (x == kNoLight) continue;
            state_.level[x] = 255;
            if (settings_.base.multicolour) state_.colour_index[x] = RandomColourIndex();
        }
    }
}

void KeyboardEffects::DiagonalSpread() {
    auto& m = state_.maps;
    m.ul[0] = static_cast<uint8_t>(m.ul[0] >> 1);
    m.dl[0] = static_cast<uint8_t>(m.dl[0] << 1);
    for (size_t c = 1; c < kColumns; ++c) {
        m.ul[c - 1] |= m.ul[c];
        m.ul[c] = static_cast<uint8_t>(m.ul[c] >> 1);
        m.dl[c - 1] |= m.dl[c];
        m.dl[c] = static_cast<uint8_t>(m.dl[c] << 1);
    }
    m.ur[kColumns - 1] = static_cast<uint8_t>(m.ur[kColumns - 1] >> 1);
    m.dr[kColumns - 1] = static_cast<uint8_t>(m.dr[kColumns - 1] << 1);
    for (int c = kColumns - 2; c >= 0; --c) {
        const auto i = static_cast<size_t>(c);
        m.ur[i + 1] |= m.ur[i];
        m.ur[i] = static_cast<uint8_t>(m.ur[i] >> 1);
        m.dr[i + 1] |= m.dr[i];
        m.dr[i] = static_cast<uint8_t>(m.dr[i] << 1);
    }
}

void KeyboardEffects::HorizontalSlide() {
    auto& m = state_.maps;
    m.ul[0] = 0;
    m.dl[0] = 0;
    for (size_t c = 1; c < kColumns; ++c) {
        m.ul[c] = 0;
        m.dl[c - 1] |= m.dl[c];
        m.dl[c] = 0;
    }
    m.ur[kColumns - 1] = 0;
    m.dr[kColumns - 1] = 0;
    for (int c = kColumns - 2; c >= 0; --c) {
        const auto i = static_cast<size_t>(c);
        m.ur[i + 1] |= m.ur[i];
        m.ur[i] = 0;
        m.dr[i] = 0;
    }
}

void KeyboardEffects::MarkLight(uint8_t light) {
    for (int c = 0; c < kColumns; ++c) {
        for (int r = 0; r < kRows; ++r) {
            if (kLedMatrix[static_cast<size_t>(c)][static_cast<size_t>(r)] != light) continue;
            state_.maps.SetAll(c, static_cast<uint8_t>(1u << r));
            return;
        }
    }
}

// ---- Dispatch --------------------------------------------------------------------------------

void KeyboardEffects::Step(uint64_t now_ms) {
    auto& counters = state_.counters;
    const lighting::EffectSettings& base = settings_.base;
    switch (settings_.effect) {
        case 1:
            ColumnWave();
            break;
        case 2:
            ColumnGradient();
            break;
        case 3:
            KeyOrderRainbow();
            break;
        case 4:
            lighting::EffectWheel(base, counters, leds_);
            break;
        case 5:
            ColumnBreathing();
            break;
        case 6:
            RingColours();
            break;
        case 7:
            KeyFade();
            break;
        case 8:
            DiagonalBurst();
            break;
        case 9:
            HorizontalBurst();
            break;
        case 10:
            Twinkle();
            break;
        case 11:
            PerLightCycle();
            break;
        case 12:
            RowWave();
            break;
        case 13:
            BouncingCross();
            break;
        case 14:
            IntroSequence();
            break;
        case 15:
            RandomBreathing();
            break;
        case 16:
            BouncingDiagonals();
            break;
        case 17:
            FixedWheelColour();
            break;
        case 18:
            RingWave();
            break;
        case 20:
            CustomColours();
            break;
        case 21:
            Snake();
            break;
        case 22:
            PerKeyPulse();
            break;
        case 23:
            lighting::EffectBlinkWheel(base, counters, leds_, now_ms);
            break;
        case 24:
            Sweep();
            break;
        case 25:
            KeyFade();
            break;
        case 26:
            lighting::EffectBreathFour(base, counters, leds_);
            break;
        case 27:
            lighting::EffectBlinkFour(base, counters, leds_, now_ms);
            break;
        case 28:
            lighting::EffectOff(leds_);
            break;
        case 29:
            AudioStep();
            break;
        case 30:
            HostColour();
            break;
        default:
            break;
    }
}

bool KeyboardEffects::Still() const {
    const auto unlit = [this] {
        return std::all_of(state_.level.begin(), state_.level.end(),
                           [](uint8_t v) { return v == 0; });
    };
    switch (settings_.effect) {
        case 6:
        case 17:
        case 20:
        case 28:
        case 30:
            return true;
        case 7:
        case 25:
            return unlit();
        case 8:  // only the colour indexes of unlit lights move
        case 9:
            return unlit() && state_.maps.Empty();
        default:
            return !IsBuiltInEffect(settings_.effect);
    }
}

uint64_t KeyboardEffects::ChangeNotBefore() const {
    if (settings_.effect != 23 && settings_.effect != 27) return 0;
    return state_.counters.last_toggle_ms + lighting::BlinkHalfPeriodMs(settings_.base.speed);
}

// ---- Effects ---------------------------------------------------------------------------------

void KeyboardEffects::ColumnWave() {
    uint8_t& L = state_.counters.level;
    const uint8_t br = Brightness();
    if (settings_.base.multicolour) {
        L = CyclicStep(Forward(), kWheel, L, 1);
        int k = AddMod(L, 1, kWheel);
        for (int c = 0; c < kColumns; ++c) {
            ForColumn(c, [&](uint8_t x) { Put(x, kColourWheel[static_cast<size_t>(k)], br); });
            k = AddMod(k, 7, kWheel);
        }
    } else {
        L = CyclicStep(Forward(), kWaveLimit, L, 1);
        int k = AddMod(L, 1, kWaveLimit);
        for (int c = 0; c < kColumns; ++c) {
            const uint8_t alpha = Scale(br, kWaveCurve[static_cast<size_t>(k)]);
            ForColumn(c, [&](uint8_t x) { Put(x, settings_.base.colour, alpha); });
            k = AddMod(k, 7, kWaveLimit);
        }
    }
}

void KeyboardEffects::ColumnGradient() {
    uint8_t& L = state_.counters.level;
    const uint8_t br = Brightness();
    if (settings_.base.multicolour) {
        L = CyclicStep(Forward(), kWheel, L, 1);
        int k = L;
        for (int c = 0; c < kColumns; ++c) {
            ForColumn(c, [&](uint8_t x) { Put(x, kColourWheel[static_cast<size_t>(k)], br); });
            k = AddMod(k, 2, kWheel);
        }
    } else {
        L = CyclicStep(Forward(), kWaveLimit, L, 1);
        int k = L;
        for (int c = 0; c < kColumns; ++c) {
            const uint8_t alpha = Scale(br, kPulseCurve[static_cast<size_t>(k)]);
            ForColumn(c, [&](uint8_t x) { Put(x, settings_.base.colour, alpha); });
            k = AddMod(k, 1, kWaveLimit);
        }
    }
}

void KeyboardEffects::KeyOrderRainbow() {
    uint8_t& L = state_.counters.level;
    const uint8_t br = Brightness();
    if (settings_.base.multicolour) {
        L = CyclicStep(Forward(), kWheel, L, 1);
        int k = L;
        ForKeyOrder([&](uint8_t x) {
            Put(x, kColourWheel[static_cast<size_t>(k)], br);
            k = AddMod(k, 5, kWheel);
        });
    } else {
        L = CyclicStep(Forward(), kWaveLimit, L, 1);
        int k = L;
        ForKeyOrder([&](uint8_t x) {
            Put(x, settings_.base.colour, Scale(br, kWaveCurve[static_cast<size_t>(k)]));
            k = AddMod(k, 5, kWaveLimit);
        });
    }
}

void KeyboardEffects::ColumnBreathing() {
    uint8_t& L = state_.counters.level;
    L = static_cast<uint8_t>(L + 1 >= static_cast<int>(lighting::kBreathingSteps) ? 0 : L + 1);
    const uint8_t alpha = Scale(Brightness(), lighting::kBreathingCurve[L]);
    for (int c = 0; c < kColumns; ++c) {
        const Rgb colour = settings_.base.multicolour ? kColourWheel[static_cast<size_t>(7 * c)]
                                                      : settings_.base.colour;
        ForColumn(c, [&](uint8_t x) { Put(x, colour, alpha); });
    }
}

void KeyboardEffects::RingColours() {
    const uint8_t br = Brightness();
    if (!settings_.base.multicolour) {
        for (size_t x = 0; x < kLightCount; ++x)
            Put(static_cast<uint8_t>(x), settings_.base.colour, br);
        return;
    }
    for (size_t i = 0; i < kRingCount; ++i) {
        const Rgb colour = kColourWheel[138 - 12 * i];
        ForRingInKeyOrder(i, [&](uint8_t x) { Put(x, colour, br); });
    }
}

void KeyboardEffects::KeyFade() {
    for (size_t i = 0; i < kLightCount; ++i) {
        const auto x = static_cast<uint8_t>(i);
        Put(x, WheelOrFixed(x), LevelAlpha(x));
    }
}

void KeyboardEffects::DiagonalBurst() {
    WaveLighting();
    DiagonalSpread();
    for (size_t i = 0; i < kLightCount; ++i) {
        const auto x = static_cast<uint8_t>(i);
        Decay(x, 8);
        state_.colour_index[x] = CyclicStep(true, kWheel, state_.colour_index[x], 7);
        Put(x, WheelOrFixed(x), LevelAlpha(x));
    }
}

void KeyboardEffects::HorizontalBurst() {
    WaveLighting();
    HorizontalSlide();
    for (size_t i = 0; i < kLightCount; ++i) FadeAndDraw(static_cast<uint8_t>(i));
}

void KeyboardEffects::Twinkle() {
    for (int n = 0; n < 6; ++n) {
        const uint32_t r = random_.Below(kTwinkleListSize);
        const uint8_t x = kKeyOrder[kTwinkleList[r]];
        if (x == kNoLight) continue;
        state_.colour_index[x] = RandomColourIndex();
        state_.level[x] = 255;
    }
    for (size_t i = 0; i < kLightCount; ++i) FadeAndDraw(static_cast<uint8_t>(i));
}

void KeyboardEffects::PerLightCycle() {
    const uint8_t br = Brightness();
    for (size_t i = 0; i < kLightCount; ++i) {
        uint8_t& k = state_.colour_index[i];
        k = static_cast<uint8_t>(k + 1 >= kWheel ? 0 : k + 1);
        Put(static_cast<uint8_t>(i), kColourWheel[k], br);
    }
}

void KeyboardEffects::RowWave() {
    uint8_t& L = state_.counters.level;
    L = CyclicStep(Forward(), kWheel, L, 1);
    const uint8_t br = Brightness();
    int k = AddMod(L, 1, kWheel);
    for (int r = 0; r < kRows; ++r) {
        for (int c = 0; c < kColumns; ++c) {
            const uint8_t x = kLedMatrix[static_cast<size_t>(c)][static_cast<size_t>(r)];
            if (x != kNoLight) Put(x, kColourWheel[static_cast<size_t>(k)], br);
        }
        k = AddMod(k, 24, kWheel);
    }
}

void KeyboardEffects::BouncingCross() {
    const uint8_t x = state_.maps.Column(9);
    if (x == 1) state_.maps.SetAll(9, 1u << 0);
    if (x == 64) state_.maps.SetAll(9, 1u << 6);
    if (state_.stage > 1) {
        state_.stage = 0;
        WaveLighting();
        DiagonalSpread();
    }
    ++state_.stage;  // the waves move on every second step
    for (size_t i = 0; i < kLightCount; ++i) FadeAndDraw(static_cast<uint8_t>(i));
}

void KeyboardEffects::IntroSequence() {
    uint8_t& L = state_.counters.level;
    uint8_t& Q = state_.stage;
    const auto light_up = [this](uint8_t x) {
        if (x == kNoCell) return;
        state_.level[x] = 255;
        if (settings_.base.multicolour) state_.colour_index[x] = RandomColourIndex();
    };
    switch (Q) {
        case 0:
            for (const uint8_t x : kSixLightRows[std::min<size_t>(L, kSixLightRowCount - 1)])
                light_up(x);
            if (++L > 19) {
                L = 0;
                Q = 1;
            }
            break;
        case 1:
            if (L > 30) {
                if (state_.level[72] == 0) {
                    Q = 2;
                    L = 0;
                }
            } else {
                for (const uint8_t x : kPairRows[L % kPairRowCount]) light_up(x);
                ++L;
            }
            break;
        case 2:
            MarkLight(52);
            Q = 3;
            break;
        case 3:
            WaveLighting();
            DiagonalSpread();
            if (state_.level[124] != 0) Q = 4;
            break;
        case 4:
            if (state_.level[124] == 0) {
                Q = 0;
                L = 0;
            }
            break;
        default:  // a stage left by another effect starts the sequence again
            Q = 0;
            L = 0;
            break;
    }
    for (size_t i = 0; i < kLightCount; ++i) FadeAndDraw(static_cast<uint8_t>(i));
}

void KeyboardEffects::RandomBreathing() {
    const uint8_t br = Brightness();
    ForKeyOrder([&](uint8_t x) {
        int level = state_.level[x] + 2;
        if (level >= 192) {
            level = 0;
            state_.colour_index[x] = RandomColourIndex();
        }
        state_.level[x] = static_cast<uint8_t>(level);
        Put(x, WheelOrFixed(x), Scale(br, kPulseCurve[static_cast<size_t>(level)]));
    });
}

void KeyboardEffects::BouncingDiagonals() {
    if (state_.maps.Column(1) == 1) state_.maps.SetAll(1, 1u << 0);
    if (state_.maps.Column(kColumns - 1) == 64) state_.maps.SetAll(kColumns - 1, 1u << 6);
    WaveLighting();
    DiagonalSpread();
    ForKeyOrder([this](uint8_t x) { FadeAndDraw(x); });
}

void KeyboardEffects::FixedWheelColour() {
    uint8_t& L = state_.counters.level;
    switch (settings_.sub_mode) {
        case 1:
            L = 25;
            break;
        case 2:
            L = 70;
            break;
        case 3:
            L = 95;
            break;
        default:
            L = 174;
            break;
    }
    const lighting::LedRecord r{kColourWheel[L].red, kColourWheel[L].green, kColourWheel[L].blue,
                                Brightness()};
    for (size_t x = 0; x < kLightCount; ++x) (void)leds_.Set(x, r);
}

void KeyboardEffects::RingWave() {
    uint8_t& L = state_.counters.level;
    L = CyclicStep(Forward(), kWheel, L, 1);
    const uint8_t br = Brightness();
    int k = L;
    for (size_t i = 0; i < kRingCount; ++i) {
        k = AddMod(k, 7, kWheel);
        ForRingInKeyOrder(i, [&](uint8_t x) { Put(x, kColourWheel[static_cast<size_t>(k)], br); });
    }
}

void KeyboardEffects::CustomColours() {
    const uint8_t br = Brightness();
    for (size_t x = 0; x < kLightCount; ++x) {
        lighting::LedRecord r =
            lighting::UnpackLed(inputs_.custom_colours[x].load(std::memory_order_relaxed));
        r.alpha = br;
        (void)leds_.Set(x, r);
    }
}

void KeyboardEffects::Snake() {
    uint8_t& L = state_.counters.level;
    constexpr int kLast = static_cast<int>(kSnakePathSize) - 1;  // 170
    if (Forward()) {
        if (L > kLast - 1) {
            L = 0;
        } else {
            const uint8_t x = kSnakePath[L];
            if (x != kNoLight) state_.level[x] = 254;
            ++L;
        }
    } else {
        if (L == 0) {
            L = static_cast<uint8_t>(kLast);
        } else {
            const uint8_t x = kSnakePath[std::min<size_t>(L, kLast)];
            if (x != kNoLight) state_.level[x] = 254;
            --L;
        }
    }
    ForKeyOrder([this](uint8_t x) { FadeAndDraw(x); });
}

void KeyboardEffects::PerKeyPulse() {
    const uint8_t br = Brightness();
    ForKeyOrder([&](uint8_t x) {
        int phase = state_.pulse_phase[x] + 1;
        if (phase >= 192) {
            phase = 0;
            state_.colour_index[x] = RandomColourIndex();
        }
        state_.pulse_phase[x] = static_cast<uint8_t>(phase);
        Put(x, WheelOrFixed(x), Scale(br, kPulseCurve[static_cast<size_t>(phase)]));
    });
}

void KeyboardEffects::Sweep() {
    uint8_t& L = state_.counters.level;
    L = CyclicStep(Forward(), static_cast<int>(kSweepFrameCount), L, 1);
    for (const uint8_t x : kSweepFrames[L]) {
        if (x == kNoLight) continue;
        state_.level[x] = 255;
        state_.colour_index[x] = 0;
    }
    const uint8_t br = Brightness();
    for (size_t i = 0; i < kLightCount; ++i) {
        const auto x = static_cast<uint8_t>(i);
        uint8_t& level = state_.level[x];
        uint8_t& k = state_.colour_index[x];
        if (level != 0) level = static_cast<uint8_t>(level > 5 ? level - 5 : 0);
        if (k != 255) k = static_cast<uint8_t>(std::min(k + 3, 255));
        if (settings_.base.multicolour)
            Put(x, kColourWheel[k], br);
        else
            Put(x, settings_.base.colour, LevelAlpha(x));
    }
}

void KeyboardEffects::HostColour() {
    const auto byte = [this](size_t i) {
        return static_cast<uint8_t>(inputs_.host_colour[i].load(std::memory_order_relaxed));
    };
    const lighting::LedRecord r{byte(0), byte(1), byte(2), Brightness()};
    for (size_t x = 0; x < kLightCount; ++x) (void)leds_.Set(x, r);
}

}  // namespace dz::keyboard_lighting
