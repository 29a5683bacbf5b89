#pragma once
// The keyboard's built-in effects 1..30: their state (counters, per-light state, wave maps),
// the restart and the start actions, and one step of each effect into the LED array. Only
// the lighting thread calls it (KeyboardLightingProgram hands it the other threads' inputs
// between two passes). Steps allocate nothing and touch fixed-size state only.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

#include "device/lighting/effect_steps.h"
#include "device/lighting/led_array.h"
#include "models/keyboard_lighting/effect_random.h"
#include "models/keyboard_lighting/keyboard_light_tables.h"
#include "profile/profile_records.h"

namespace dz::keyboard_lighting {

inline constexpr size_t kSpectrumBands = 25;
inline constexpr size_t kHostColourValues = 6;

inline constexpr int kCustomColourEffect = 20;
inline constexpr int kSweepEffect = 24;
inline constexpr int kAudioEffect = 29;
inline constexpr int kHostColourEffect = 30;
// The light a beat burst of audio mode 2 starts from.
inline constexpr uint8_t kBeatLight = 51;

// Effects 1..18 and 20..30 are stepped by the speed threshold; the others play custom effects.
[[nodiscard]] constexpr bool IsBuiltInEffect(int effect) {
    return effect >= 1 && effect <= 30 && effect != 19;
}

// The thread's copy of the lighting settings (lighting record and audio record).
struct KeyboardLightingSettings {
    uint8_t effect = 0;             // E
    lighting::EffectSettings base;  // b, s, d, m and the fixed colour
    uint8_t sub_mode = 0;           // byte 11
    uint8_t custom_group = 0;       // byte 12
    uint8_t audio_mode = 0;         // A
    lighting::Rgb background;       // BK
    lighting::Rgb foreground;       // FG
    bool seven_colour = false;      // S7

    [[nodiscard]] static KeyboardLightingSettings From(const LightInfoRecord& light,
                                                       const AudioLightInfoRecord& audio);
};

// What other threads feed while the steps read it, one atomic word each (a step may see two
// feeds mixed, as a frame may mix two steps).
struct EffectInputs {
    std::array<std::atomic<int32_t>, kSpectrumBands> spectrum{};
    std::array<std::atomic<int32_t>, kHostColourValues> host_colour{};
    // The colours of effect 20, one packed LedRecord per light.
    std::array<std::atomic<uint32_t>, kLightCount> custom_colours{};
};

// Bit r of byte c marks the matrix cell at column c, row r; bits 6 and 7 mark nothing but
// take part in the shifting.
struct WaveMaps {
    std::array<uint8_t, kColumns> ul{};
    std::array<uint8_t, kColumns> ur{};
    std::array<uint8_t, kColumns> dr{};
    std::array<uint8_t, kColumns> dl{};

    [[nodiscard]] uint8_t Column(int c) const {
        const auto i = static_cast<size_t>(c);
        return static_cast<uint8_t>(ul[i] | ur[i] | dr[i] | dl[i]);
    }
    void SetAll(int c, uint8_t bits);
    [[nodiscard]] bool Empty() const;
};

struct KeyboardEffectState {
    lighting::EffectCounters counters;  // counters.level is L; the base steps use the rest
    uint8_t stage = 0;                  // Q
    uint8_t second = 0;                 // L2
    uint8_t audio_counter = 0;          // L3
    std::array<uint8_t, kLightCount> level{};
    std::array<uint8_t, kLightCount> colour_index{};
    std::array<uint8_t, kLightCount> pulse_phase{};
    WaveMaps maps;
    std::array<int32_t, kColumns> column_flags{};  // audio mode 4
};

// The colour index the spread gives light `light`: 33 (light + 1), less 192 until at most 192.
[[nodiscard]] uint8_t SpreadColourIndex(size_t light);
// H and H' of the audio effect; integer arithmetic, quotients truncated towards 0.
[[nodiscard]] int64_t AudioHeight(int64_t value);
[[nodiscard]] int64_t AudioHeightClamped(int64_t value);

class KeyboardEffects {
  public:
    KeyboardEffects(lighting::LedArray& leds, EffectInputs& inputs, EffectRandom& random);

    void SetSettings(const KeyboardLightingSettings& settings) { settings_ = settings; }
    [[nodiscard]] const KeyboardLightingSettings& Settings() const { return settings_; }
    [[nodiscard]] KeyboardEffectState& State() { return state_; }
    [[nodiscard]] const KeyboardEffectState& State() const { return state_; }

    // Counters, per-light state, wave maps and the audio inputs back to their start.
    void RestartEffect();
    // What `effect` needs after a restart (20's colours come through the inputs).
    void StartAction(int effect);
    // The end of applying settings: the sweep starts every colour index at 0, and L is 0.
    void FinishApply();

    // One step of the current effect; an index that is not a built-in effect does nothing.
    // `now_ms`: the millisecond clock, for the blinking effects.
    void Step(uint64_t now_ms);

    // Marks the first matrix cell holding `light` in all four wave maps.
    void MarkLight(uint8_t light);

    // True when further steps would leave the lights as they are: the effect stands still,
    // or it draws only what no key input will ever light (the host feeds no keys).
    [[nodiscard]] bool Still() const;
    // The earliest millisecond at which a step can change the picture (the blinking
    // effects toggle only then); 0 when any step may.
    [[nodiscard]] uint64_t ChangeNotBefore() const;

  private:
    // Effects, by index.
    void ColumnWave();
    void ColumnGradient();
    void KeyOrderRainbow();
    void ColumnBreathing();
    void RingColours();
    void KeyFade();
    void DiagonalBurst();
    void HorizontalBurst();
    void Twinkle();
    void PerLightCycle();
    void RowWave();
    void BouncingCross();
    void IntroSequence();
    void RandomBreathing();
    void BouncingDiagonals();
    void FixedWheelColour();
    void RingWave();
    void CustomColours();
    void Snake();
    void PerKeyPulse();
    void Sweep();
    void HostColour();
    // The audio effect (29), by audio mode.
    void AudioStep();
    void AudioColumns(const std::array<int32_t, kSpectrumBands>& spectrum);
    void AudioCentreBars(const std::array<int32_t, kSpectrumBands>& spectrum);
    void AudioBeatBursts();
    void AudioRings(const std::array<int32_t, kSpectrumBands>& spectrum);
    void AudioDrops(const std::array<int32_t, kSpectrumBands>& spectrum);
    void AudioGroupBars(const std::array<int32_t, kSpectrumBands>& spectrum);
    void AudioAlternatingBars(const std::array<int32_t, kSpectrumBands>& spectrum);

    // Wave maps.
    void WaveLighting();
    void DiagonalSpread();
    void HorizontalSlide();

    // Helpers of the steps.
    [[nodiscard]] bool Forward() const { return settings_.base.direction != 0; }
    [[nodiscard]] uint8_t Brightness() const;
    [[nodiscard]] lighting::Rgb WheelOrFixed(uint8_t light) const;
    void Put(uint8_t light, lighting::Rgb colour, uint8_t alpha);
    void Decay(uint8_t light, int variant);
    // Decay with the effect's own variant, then wheel or fixed at the faded level.
    void FadeAndDraw(uint8_t light);
    [[nodiscard]] uint8_t LevelAlpha(uint8_t light) const;
    [[nodiscard]] uint8_t RandomColourIndex() { return static_cast<uint8_t>(random_.Below(192)); }
    // A matrix cell holds no light, or one whose level is below `level`.
    [[nodiscard]] bool Dim(int column, int row, uint8_t level) const;
    // The audio effect's rules for a light that lights up and for one that does not.
    void LightUp(uint8_t light, lighting::Rgb lit);
    void Unlit(uint8_t light, lighting::Rgb lit);
    [[nodiscard]] lighting::Rgb AudioLit(uint8_t k) const;

    lighting::LedArray& leds_;
    EffectInputs& inputs_;
    EffectRandom& random_;
    KeyboardLightingSettings settings_;
    KeyboardEffectState state_;
};

}  // namespace dz::keyboard_lighting
