// The audio-reactive effect (29): seven ways of showing the 25 spectrum bands the window
// feeds. Heights are worked out in 64 bits: a band value is any 32-bit number.

#include "device/lighting/reactive.h"
#include "models/keyboard_lighting/keyboard_effects.h"

namespace dz::keyboard_lighting {

using lighting::CyclicStep;
using lighting::kColourWheel;
using lighting::Rgb;

namespace {

constexpr int kWheel = static_cast<int>(lighting::kWheelColours);
constexpr int kBands = static_cast<int>(kSpectrumBands);

uint8_t AddMod(int k, int n, int limit) {
    return static_cast<uint8_t>((k + n) % limit);
}

uint8_t Scale(uint8_t alpha, int value) {
    return static_cast<uint8_t>(alpha * value / 256);
}

int64_t Sum(const std::array<int32_t, kSpectrumBands>& s, size_t first, size_t last) {
    int64_t total = 0;
    for (size_t i = first; i <= last; ++i) total += s[i];
    return total;
}

}  // namespace

Rgb KeyboardEffects::AudioLit(uint8_t k) const {
    return settings_.seven_colour ? kColourWheel[k] : settings_.foreground;
}

void KeyboardEffects::LightUp(uint8_t light, Rgb lit) {
    state_.level[light] = 255;
    Put(light, lit, Scale(Brightness(), 255));
}

void KeyboardEffects::Unlit(uint8_t light, Rgb lit) {
    if (state_.level[light] > 9)
        Put(light, lit, LevelAlpha(light));
    else
        Put(light, settings_.background, Brightness());
}

void KeyboardEffects::AudioStep() {
    // A step without new input sees silence.
    std::array<int32_t, kSpectrumBands> spectrum{};
    for (size_t i = 0; i < kSpectrumBands; ++i)
        spectrum[i] = inputs_.spectrum[i].exchange(0, std::memory_order_relaxed);
    switch (settings_.audio_mode) {
        case 0:
            AudioColumns(spectrum);
            break;
        case 1:
            AudioCentreBars(spectrum);
            break;
        case 2:
            AudioBeatBursts();
            break;
        case 3:
            AudioRings(spectrum);
            break;
        case 4:
            AudioDrops(spectrum);
            break;
        case 5:
            AudioGroupBars(spectrum);
            break;
        case 6:
            AudioAlternatingBars(spectrum);
            break;
        default:
            break;
    }
}

void KeyboardEffects::AudioColumns(const std::array<int32_t, kSpectrumBands>& spectrum) {
    uint8_t& L = state_.counters.level;
    L = CyclicStep(Forward(), kWheel, L, 1);
    if (state_.audio_counter > 30) {
        state_.audio_counter = 0;
        state_.second = CyclicStep(Forward(), kBands, state_.second, 1);
    }
    ++state_.audio_counter;
    int k = L;
    for (int c = 0; c < kColumns; ++c) {
        const int64_t top = (AudioHeight(spectrum[static_cast<size_t>(c)]) + 100) * 6 / 600;
        k = AddMod(k, 10, kWheel);
        const Rgb lit = AudioLit(static_cast<uint8_t>(k));
        for (int r = 0; r < kRows; ++r) {
            const uint8_t x = kLedMatrix[static_cast<size_t>(c)][static_cast<size_t>(r)];
            if (x == kNoLight) continue;
            if (r == 0 || Dim(c, r - 1, 10)) Decay(x, lighting::kAudioDecayVariant);
            if (r >= top)
                LightUp(x, lit);
            else
                Unlit(x, lit);
        }
    }
}

void KeyboardEffects::AudioCentreBars(const std::array<int32_t, kSpectrumBands>& spectrum) {
    uint8_t& L = state_.counters.level;
    L = CyclicStep(Forward(), kWheel, L, 1);
    state_.second = CyclicStep(Forward(), kBands, state_.second, 1);
    int j = state_.second;
    for (int r = 0; r < kRows; ++r) {
        j = AddMod(j, 3, kBands);
        const int64_t a = (AudioHeightClamped(spectrum[static_cast<size_t>(j)]) + 100) * 12 / 600;
        const int64_t e =
            (AudioHeightClamped(spectrum[static_cast<size_t>(2 * r + 1)]) + 100) * 12 / 600;
        int k = L;
        for (int c = 0; c < kColumns; ++c) {
            k = AddMod(k, 7, kWheel);
            const uint8_t x = kLedMatrix[static_cast<size_t>(c)][static_cast<size_t>(r)];
            if (x == kNoLight) continue;
            bool lights;
            if (c >= 9) {
                if (c > 20 || Dim(c + 1, r, 10)) Decay(x, lighting::kAudioDecayVariant);
                lights = c - 9 <= 12 - e;
            } else {
                if (c == 0 || Dim(c - 1, r, 10)) Decay(x, lighting::kAudioDecayVariant);
                lights = c >= a;
            }
            const Rgb lit = AudioLit(static_cast<uint8_t>(k));
            if (lights)
                LightUp(x, lit);
            else
                Unlit(x, lit);
        }
    }
}

void KeyboardEffects::AudioBeatBursts() {
    WaveLighting();
    DiagonalSpread();
    for (size_t i = 0; i < kLightCount; ++i) {
        const auto x = static_cast<uint8_t>(i);
        Decay(x, lighting::kAudioDecayVariant);
        uint8_t& k = state_.colour_index[x];
        k = CyclicStep(true, kWheel, k, 9);
        if (state_.level[x] > 9)
            Put(x, AudioLit(k), LevelAlpha(x));
        else
            Put(x, settings_.background, Brightness());
    }
}

void KeyboardEffects::AudioRings(const std::array<int32_t, kSpectrumBands>& spectrum) {
    int64_t total = 0;
    for (const int32_t v : spectrum) total += AudioHeightClamped(v);
    const int64_t m = total / kBands;
    const int64_t g = m * 20 / 600;
    uint8_t& L = state_.counters.level;
    L = CyclicStep(Forward(), kWheel, L, static_cast<uint8_t>(g));
    int k = L;
    for (size_t i = 0; i < kRingCount; ++i) {
        k = AddMod(k, 9, kWheel);
        for (const uint8_t x : kRings[i]) {
            if (x == kNoLight || !kInKeyOrder[x]) continue;
            Rgb colour;
            if (static_cast<int64_t>(i) < 20 - g) {
                state_.level[x] = 255;
                colour = kColourWheel[static_cast<size_t>(k)];
            } else {
                Decay(x, 0);
                const lighting::LedRecord now = leds_.Get(x);
                colour = {now.red, now.green, now.blue};
            }
            Put(x, colour, LevelAlpha(x));
        }
    }
}

void KeyboardEffects::AudioDrops(const std::array<int32_t, kSpectrumBands>& spectrum) {
    uint8_t& L = state_.counters.level;
    L = CyclicStep(Forward(), kWheel, L, 1);
    if (state_.audio_counter > 10) state_.audio_counter = 0;
    ++state_.audio_counter;
    int k = state_.second;
    for (int c = 0; c < kColumns; ++c) {
        k = AddMod(k, 1, kBands);
        const int64_t top = (AudioHeight(spectrum[static_cast<size_t>(k)]) + 100) * 6 / 600;
        int32_t& flag = state_.column_flags[static_cast<size_t>(c)];
        const uint8_t bottom = kLedMatrix[static_cast<size_t>(c)][kRows - 1];
        for (int r = 0; r < kRows; ++r) {
            if (flag != 0 && bottom != kNoLight && state_.level[bottom] < 10) flag = 0;
            const uint8_t x = kLedMatrix[static_cast<size_t>(c)][static_cast<size_t>(r)];
            if (x == kNoLight) continue;
            if (r == 0 || Dim(c, r - 1, 5)) Decay(x, lighting::kAudioDecayVariant);
            if (state_.level[x] < 10)
                Put(x, settings_.background, Brightness());
            else
                Put(x, AudioLit(state_.colour_index[x]), LevelAlpha(x));
            if (r >= top && flag == 0) {
                state_.level[x] = 255;
                flag = 1;
            }
        }
    }
}

void KeyboardEffects::AudioGroupBars(const std::array<int32_t, kSpectrumBands>& spectrum) {
    const std::array<int64_t, kRows> group = {Sum(spectrum, 0, 1) / 3,   Sum(spectrum, 2, 4) / 3,
                                              Sum(spectrum, 5, 7) / 3,   Sum(spectrum, 8, 11) / 3,
                                              Sum(spectrum, 12, 16) / 3, Sum(spectrum, 17, 23) / 3};
    uint8_t& L = state_.counters.level;
    L = CyclicStep(Forward(), kWheel, L, 1);
    state_.second = CyclicStep(Forward(), 8, state_.second, 1);
    for (int r = 0; r < kRows; ++r) {
        const int64_t t =
            23 - (AudioHeightClamped(group[static_cast<size_t>(5 - r)]) + 100) * 23 / 600;
        int k = L;
        for (int c = 0; c < kColumns; ++c) {
            k = AddMod(k, 3, kWheel);
            const uint8_t x = kLedMatrix[static_cast<size_t>(c)][static_cast<size_t>(r)];
            if (x == kNoLight) continue;
            if (c > 20 || Dim(c + 1, r, 10)) Decay(x, lighting::kAudioDecayVariant);
            const Rgb lit = AudioLit(static_cast<uint8_t>(k));
            if (c <= t)
                LightUp(x, lit);
            else
                Unlit(x, lit);
        }
    }
}

void KeyboardEffects::AudioAlternatingBars(const std::array<int32_t, kSpectrumBands>& spectrum) {
    const std::array<int64_t, kRows> group = {Sum(spectrum, 0, 1) / 3,   Sum(spectrum, 2, 3) / 3,
                                              Sum(spectrum, 4, 6) / 3,   Sum(spectrum, 7, 10) / 3,
                                              Sum(spectrum, 11, 15) / 3, Sum(spectrum, 16, 20) / 3};
    uint8_t& L = state_.counters.level;
    L = CyclicStep(Forward(), kWheel, L, 1);
    state_.second = CyclicStep(Forward(), kBands, state_.second, 1);
    for (int r = 0; r < kRows; ++r) {
        const int64_t t = AudioHeightClamped(group[static_cast<size_t>(r)]) * 23 / 600;
        int k = L;
        for (int c = 0; c < kColumns; ++c) {
            const uint8_t x = kLedMatrix[static_cast<size_t>(c)][static_cast<size_t>(r)];
            if (x == kNoLight) continue;
            bool lights;
            if (r % 2 == 1) {
                if (c > 20 || Dim(c + 1, r, 10)) Decay(x, lighting::kAudioDecayVariant);
                lights = c <= 23 - t;
            } else {
                if (c < 2 || Dim(c - 1, r, 10)) Decay(x, lighting::kAudioDecayVariant);
                lights = c >= t;
            }
            // The wheel moves on only for the cells that take its colour.
            Rgb lit = settings_.foreground;
            if (settings_.seven_colour && (lights || state_.level[x] > 9)) {
                k = AddMod(k, 2, kWheel);
                lit = kColourWheel[static_cast<size_t>(k)];
            }
            if (lights)
                LightUp(x, lit);
            else
                Unlit(x, lit);
        }
    }
}

}  // namespace dz::keyboard_lighting
