#include "models/keyboard_lighting/keyboard_lighting_program.h"

#include <algorithm>

namespace dz::keyboard_lighting {

namespace {

uint64_t SteadyMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

void Earliest(std::optional<uint64_t>& next, std::optional<uint64_t> at) {
    if (at && (!next || *at < *next)) next = at;
}

}  // namespace

KeyboardLightingShared& ProgramWideKeyboardLighting() {
    static KeyboardLightingShared shared;
    return shared;
}

KeyboardLightingProgram::KeyboardLightingProgram(lighting::LedArray& leds,
                                                 std::function<bool()> channel_open, uint64_t seed,
                                                 KeyboardLightingShared& shared)
    : leds_(leds),
      channel_open_(std::move(channel_open)),
      shared_(shared),
      random_(seed),
      effects_(leds_, inputs_, random_),
      playback_(shared.playback),
      overrides_(shared.overrides) {}

// ---- Inputs --------------------------------------------------------------------------------

bool KeyboardLightingProgram::Post(const KeyboardLightingSettings& settings, bool finish_apply) {
    const int before = effect_.load(std::memory_order_relaxed);
    const bool restart = settings.effect != before || settings.effect == kCustomColourEffect;
    {
        std::lock_guard lock(input_lock_);
        pending_.settings = true;
        pending_.values = settings;
        // Settings that arrive before the thread took the last ones: a restart still comes,
        // and it is the latest effect that starts (a restart clears what an earlier start
        // action set).
        pending_.restart = pending_.restart || restart;
        pending_.finish_apply = pending_.finish_apply || finish_apply;
        posted_ = settings;
    }
    effect_.store(settings.effect, std::memory_order_relaxed);
    audio_mode_.store(settings.audio_mode, std::memory_order_relaxed);
    return restart;
}

bool KeyboardLightingProgram::Apply(const LightingProfile& profile) {
    const bool restart = Post(KeyboardLightingSettings::From(profile.light, profile.audio), true);
    overrides_.Replace(profile.light_list);
    playback_.Replace(profile.steps);
    return restart;
}

bool KeyboardLightingProgram::TakeReadBack(const LightInfoRecord& light) {
    KeyboardLightingSettings settings;
    {
        std::lock_guard lock(input_lock_);
        settings = posted_;
    }
    // Only the lighting record comes back; the audio settings stay.
    const KeyboardLightingSettings read = KeyboardLightingSettings::From(light, {});
    settings.effect = read.effect;
    settings.base = read.base;
    settings.sub_mode = read.sub_mode;
    settings.custom_group = read.custom_group;
    return Post(settings, false);
}

void KeyboardLightingProgram::SetCustomColours(std::span<const lighting::LedRecord> colours) {
    for (size_t i = 0; i < kLightCount; ++i) {
        const lighting::LedRecord r = i < colours.size() ? colours[i] : lighting::LedRecord{};
        inputs_.custom_colours[i].store(lighting::PackLed(r), std::memory_order_relaxed);
    }
}

void KeyboardLightingProgram::SetCustomColour(size_t light, lighting::Rgb colour) {
    if (light >= kLightCount) return;
    auto& slot = inputs_.custom_colours[light];
    lighting::LedRecord r = lighting::UnpackLed(slot.load(std::memory_order_relaxed));
    r.red = colour.red;
    r.green = colour.green;
    r.blue = colour.blue;
    slot.store(lighting::PackLed(r), std::memory_order_relaxed);
}

void KeyboardLightingProgram::SetCustomRecord(size_t light, lighting::LedRecord record) {
    if (light >= kLightCount) return;
    inputs_.custom_colours[light].store(lighting::PackLed(record), std::memory_order_relaxed);
}

void KeyboardLightingProgram::FillCustomColours(lighting::Rgb colour) {
    for (size_t i = 0; i < kLightCount; ++i) SetCustomColour(i, colour);
}

lighting::LedRecord KeyboardLightingProgram::CustomColour(size_t light) const {
    if (light >= kLightCount) return {};
    return lighting::UnpackLed(inputs_.custom_colours[light].load(std::memory_order_relaxed));
}

void KeyboardLightingProgram::FeedAudioSpectrum(std::span<const int32_t> bands) {
    std::array<int32_t, kSpectrumBands> values{};
    std::copy_n(bands.begin(), std::min(bands.size(), kSpectrumBands), values.begin());
    const bool bursts = effect_.load(std::memory_order_relaxed) == kAudioEffect &&
                        audio_mode_.load(std::memory_order_relaxed) == 2;
    if (!bursts) {
        for (size_t i = 0; i < kSpectrumBands; ++i)
            inputs_.spectrum[i].store(values[i], std::memory_order_relaxed);
        return;
    }
    // Taken at once: the step of this mode reads no spectrum.
    for (auto& v : inputs_.spectrum) v.store(0, std::memory_order_relaxed);
    int64_t heights = 0;
    for (const int32_t v : values) heights += AudioHeightClamped(v);
    const int64_t m = heights / static_cast<int64_t>(kSpectrumBands);
    int64_t total = shared_.loudness_total.load(std::memory_order_relaxed) + 25 - m * 25 / 600;
    if (total >= 71) {
        total = 0;
        beat_marks_.fetch_add(1, std::memory_order_relaxed);
    }
    shared_.loudness_total.store(static_cast<int32_t>(total), std::memory_order_relaxed);
}

void KeyboardLightingProgram::FeedHostColour(std::span<const int32_t> values) {
    for (size_t i = 0; i < std::min(values.size(), kHostColourValues); ++i)
        inputs_.host_colour[i].store(values[i], std::memory_order_relaxed);
}

// ---- Passes --------------------------------------------------------------------------------

void KeyboardLightingProgram::TakeInputs() {
    Pending p;
    {
        std::lock_guard lock(input_lock_);
        p = pending_;
        pending_ = {};
    }
    if (p.settings) {
        effects_.SetSettings(p.values);
        unstepped_ = true;
        // Whatever the custom playback drew before may have been drawn over since.
        playback_.ForgetDrawn();
    }
    if (p.restart) {
        effects_.RestartEffect();
        effects_.StartAction(p.values.effect);
    }
    if (p.finish_apply) effects_.FinishApply();
    if (beat_marks_.exchange(0, std::memory_order_relaxed) != 0) effects_.MarkLight(kBeatLight);
}

void KeyboardLightingProgram::Pass(uint64_t t, bool last) {
    if (t - last_tick_ms_ >= kTickMs) {
        last_tick_ms_ = t;
        ++ticks_;
    }
    const KeyboardLightingSettings& s = effects_.Settings();
    bool drew = false;
    if (IsBuiltInEffect(s.effect)) {
        if (step_now_ || ticks_ >= SpeedThreshold(s.effect, s.base.speed)) {
            effects_.Step(t);
            ticks_ = 0;
            step_now_ = false;
            unstepped_ = false;
            ++steps_run_;
            drew = true;
            playback_.ForgetDrawn();
        }
    } else {
        drew = playback_.Pass(t, s.base.speed, leds_);
        ++steps_run_;
    }
    // Between two passes that drew, the entries' state moves on without drawing; the last
    // pass, and any that drew over the lights, draw them.
    if (overrides_.Any()) overrides_.Apply(t, leds_, drew || last);
}

int KeyboardLightingProgram::RunUntil(uint64_t now_ms) {
    if (!started_) {
        started_ = true;
        last_pass_ms_ = now_ms - 1;
        last_tick_ms_ = now_ms;
        ticks_ = 0;
    }
    // Two calls in one millisecond make one pass each: the second comes a little early.
    if (now_ms <= last_pass_ms_) now_ms = last_pass_ms_ + 1;
    if (now_ms - last_pass_ms_ > kMaxCatchUpMs) last_pass_ms_ = now_ms - kMaxCatchUpMs;
    steps_run_ = 0;
    // The passes before now ran with what was fed before; then the new inputs.
    for (uint64_t t = last_pass_ms_ + 1; t < now_ms; ++t) Pass(t, false);
    TakeInputs();
    Pass(now_ms, true);
    last_pass_ms_ = now_ms;
    return steps_run_;
}

std::optional<uint64_t> KeyboardLightingProgram::NextChangeMs() {
    const uint64_t now = last_pass_ms_;
    std::optional<uint64_t> next;
    const KeyboardLightingSettings& s = effects_.Settings();
    if (IsBuiltInEffect(s.effect)) {
        // Even a still effect draws once after new settings.
        if (unstepped_ || !effects_.Still()) {
            const int wanted = SpeedThreshold(s.effect, s.base.speed) - ticks_;
            const uint64_t due =
                wanted <= 0 ? now + 1 : last_tick_ms_ + kTickMs * static_cast<uint64_t>(wanted);
            next = std::max({due, now + 1, effects_.ChangeNotBefore()});
        }
    } else {
        Earliest(next, playback_.NextChange(now, s.base.speed));
    }
    Earliest(next, overrides_.NextChange(now));
    return next;
}

bool KeyboardLightingProgram::Step() {
    const uint64_t now = SteadyMs();
    if (!channel_open_()) {
        // Nothing is computed; the last picture stays. The owner wakes the thread when the
        // channel opens.
        still_ = true;
        deadline_ms_.reset();
        return false;
    }
    if (still_) {
        // Woken after a still spell (new settings, colours or a channel that opened): the
        // passes start again from now, and the first one draws.
        started_ = false;
        step_now_ = true;
    }
    (void)RunUntil(now);
    deadline_ms_ = NextChangeMs();
    still_ = !deadline_ms_;
    if (deadline_ms_)
        deadline_ms_ = std::clamp(*deadline_ms_, now + kTickMs, now + kLongestSleepMs);
    return !still_;
}

std::optional<std::chrono::steady_clock::time_point> KeyboardLightingProgram::NextDeadline() const {
    if (!deadline_ms_) return std::nullopt;
    return std::chrono::steady_clock::time_point(std::chrono::milliseconds(*deadline_ms_));
}

}  // namespace dz::keyboard_lighting
