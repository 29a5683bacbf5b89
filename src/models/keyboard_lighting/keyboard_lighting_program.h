#pragma once
// The keyboard's lighting program: what its lighting thread runs. It keeps the timing of a
// thread that makes a pass every millisecond (a tick every 2 ms; the effect's step when the
// ticks reach its speed threshold; custom playback on every pass; the light-list overrides
// after every pass), but it sleeps until the next pass that can change the picture and then
// counts the passes in between from the millisecond clock, so the same frames come at the
// same times at a fraction of the wake-ups. A still picture, or a closed channel, sleeps
// until Wake.
//
// Threads: the UI thread (and the window's audio handling) feeds it through the operations
// marked "any thread": settings, restart and start action go into a mailbox the lighting
// thread empties before its next pass (so a step never sees half of them), and the spectrum,
// host colour and custom colours are atomic words. The light list and the custom steps are
// replaced under their own locks. No two locks are ever held together, and none while the
// thread waits.

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

#include "device/lighting/led_array.h"
#include "device/lighting_thread.h"
#include "models/keyboard_lighting/custom_playback.h"
#include "models/keyboard_lighting/effect_random.h"
#include "models/keyboard_lighting/keyboard_effects.h"
#include "models/keyboard_lighting/light_list_overrides.h"
#include "profile/profile_records.h"

namespace dz::keyboard_lighting {

// What every keyboard of the program shares.
struct KeyboardLightingShared {
    PlaybackShared playback;
    OverrideShared overrides;
    std::atomic<int32_t> loudness_total{0};  // beat bursts of audio mode 2
};
[[nodiscard]] KeyboardLightingShared& ProgramWideKeyboardLighting();

// The profile's lighting as ApplyLighting takes it.
struct LightingProfile {
    LightInfoRecord light;
    AudioLightInfoRecord audio;
    std::vector<LightInfoRecord> light_list;
    std::vector<LedEffectStep> steps;  // of the custom effect the record selects
};

class KeyboardLightingProgram : public LightingProgram {
  public:
    // Ticks are 2 ms apart; no wake comes sooner than one tick after the last.
    static constexpr uint64_t kTickMs = 2;
    // Passes counted up after a wake at most; a longer gap (the thread was not scheduled)
    // is skipped.
    static constexpr uint64_t kMaxCatchUpMs = 2000;
    // A moving picture is looked at again at least this often.
    static constexpr uint64_t kLongestSleepMs = 1000;

    // `channel_open` says whether the device's command channel is open (lighting thread).
    KeyboardLightingProgram(lighting::LedArray& leds, std::function<bool()> channel_open,
                            uint64_t seed,
                            KeyboardLightingShared& shared = ProgramWideKeyboardLighting());

    // ---- Inputs (any thread) ----------------------------------------------------------
    // ApplyLighting: the settings, the light list and the custom steps. True when the effect
    // restarts (another effect than the last applied, or 20): the caller then does the part
    // of the start action that needs the page or the profile (20 loads its colour group).
    bool Apply(const LightingProfile& profile);
    // Settings read back from the keyboard: the same restart and start action when the
    // effect changed or is 20 (the audio settings, light list and steps stay). True when it
    // restarts.
    bool TakeReadBack(const LightInfoRecord& light);
    // Effect 20's colours: all of them (a group loaded), one light's colour (its alpha
    // stays), or every light's colour (alphas stay).
    void SetCustomColours(std::span<const lighting::LedRecord> colours);
    void SetCustomColour(size_t light, lighting::Rgb colour);
    // A light's whole record, alpha too.
    void SetCustomRecord(size_t light, lighting::LedRecord record);
    void FillCustomColours(lighting::Rgb colour);
    [[nodiscard]] lighting::LedRecord CustomColour(size_t light) const;
    // Up to 25 band values (missing ones as 0). In audio mode 2 of effect 29 they start the
    // beat bursts instead of being kept for the step.
    void FeedAudioSpectrum(std::span<const int32_t> bands);
    // Up to 6 values; the first three are red, green and blue.
    void FeedHostColour(std::span<const int32_t> values);
    // The effect and audio mode last applied (the thread's copy).
    [[nodiscard]] int Effect() const { return effect_.load(std::memory_order_relaxed); }

    // ---- The lighting thread ------------------------------------------------------------
    bool Step() override;
    [[nodiscard]] std::optional<std::chrono::steady_clock::time_point> NextDeadline()
        const override;
    [[nodiscard]] const char* EndLine() const override { return "KB灯光线程设定退出"; }

    // ---- Driving it by hand (the preview command, tests): the same passes, at the
    // milliseconds given. Runs every pass up to `now_ms` that has not run; returns the
    // number of effect steps (or custom playback passes) among them.
    int RunUntil(uint64_t now_ms);
    // The first pass after the last one run that can change the picture; none when still.
    [[nodiscard]] std::optional<uint64_t> NextChangeMs();
    [[nodiscard]] const KeyboardEffects& Effects() const { return effects_; }

  private:
    struct Pending {
        bool settings = false;
        KeyboardLightingSettings values;
        bool restart = false;
        bool finish_apply = false;
    };

    // Posts new settings; restarts when the effect changed or is 20.
    bool Post(const KeyboardLightingSettings& settings, bool finish_apply);
    void TakeInputs();
    // One pass at `t`; `last` is the pass a caller looks at afterwards.
    void Pass(uint64_t t, bool last);

    lighting::LedArray& leds_;
    std::function<bool()> channel_open_;
    KeyboardLightingShared& shared_;
    EffectInputs inputs_;
    EffectRandom random_;
    KeyboardEffects effects_;
    CustomPlayback playback_;
    LightListOverrides overrides_;

    // The thread's copy of what was applied, for the restart rule and the spectrum.
    std::atomic<int> effect_{0};
    std::atomic<int> audio_mode_{0};
    std::mutex input_lock_;  // pending_ and posted_
    Pending pending_;
    KeyboardLightingSettings posted_;  // the settings last posted
    std::atomic<uint32_t> beat_marks_{0};

    // Pass timing; the thread (or the caller of RunUntil) only.
    bool started_ = false;
    uint64_t last_pass_ms_ = 0;
    uint64_t last_tick_ms_ = 0;
    int ticks_ = 0;          // n
    bool step_now_ = false;  // the next pass steps whatever the ticks (after a still spell)
    bool unstepped_ = true;  // settings came that no step has drawn yet
    int steps_run_ = 0;
    bool still_ = true;
    std::optional<uint64_t> deadline_ms_;
};

}  // namespace dz::keyboard_lighting
