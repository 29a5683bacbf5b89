// The keyboard's lighting program: the pass timing (step rates by effect and speed), the
// restart rule of ApplyLighting, the inputs other threads feed, when it may sleep, and the
// program on its thread while another thread feeds it everything at once.

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "device/lighting_thread.h"
#include "models/keyboard_lighting/keyboard_lighting_program.h"
#include "platform/log/debug_log.h"

#if defined(__SANITIZE_THREAD__)
#define DZ_TEST_TSAN 1
#elif defined(__has_feature)
#if __has_feature(thread_sanitizer)
#define DZ_TEST_TSAN 1
#endif
#endif

namespace dz::keyboard_lighting {
namespace {

using lighting::LedRecord;

constexpr uint64_t kT0 = 100'000;

LightingProfile Profile(int effect, uint8_t speed = 2, uint8_t brightness = 5) {
    LightingProfile p;
    p.light.mode = static_cast<uint8_t>(effect);
    p.light.brightness = brightness;
    p.light.speed = speed;
    p.light.direction = 1;
    p.light.multicolor = 1;
    p.light.red = 200;
    return p;
}

class ProgramTest : public ::testing::Test {
  protected:
    lighting::LedArray leds{kLightCount};
    KeyboardLightingShared shared;
    std::atomic<bool> open{true};
    KeyboardLightingProgram program{leds, [this] { return open.load(); }, 7, shared};

    const KeyboardEffectState& State() const { return program.Effects().State(); }
};

TEST(ProgramStepRates, StepsPerSecondByEffectAndSpeed) {
    struct Case {
        int effect;
        uint8_t speed;
        int steps_in_400_ms;
    };
    const Case cases[] = {
        {1, 0, 20},   {1, 2, 40},   {1, 4, 200},   // 10, 5 and 1 ticks of 2 ms
        {16, 0, 66},  {18, 4, 66},                 // always 3 ticks
        {29, 0, 100}, {29, 4, 100},                // every second tick
        {30, 0, 200},                              // every tick
        {30, 1, 400}, {30, 4, 400},                // every pass
        {0, 2, 400},  {19, 0, 400}, {31, 0, 400},  // custom playback: every pass
    };
    for (const Case& c : cases) {
        lighting::LedArray leds(kLightCount);
        KeyboardLightingShared shared;
        KeyboardLightingProgram program(
            leds, [] { return true; }, 1, shared);
        (void)program.Apply(Profile(c.effect, c.speed));
        (void)program.RunUntil(kT0);
        EXPECT_EQ(program.RunUntil(kT0 + 400), c.steps_in_400_ms)
            << "effect " << c.effect << " speed " << int{c.speed};
    }
}

TEST_F(ProgramTest, ApplyRestartsOnAnotherEffectAndAlwaysOn20) {
    EXPECT_TRUE(program.Apply(Profile(11)));
    (void)program.RunUntil(kT0);
    (void)program.RunUntil(kT0 + 100);  // 10 steps at speed 2
    EXPECT_EQ(State().colour_index[0], 43);
    // The same effect again: the animation goes on (L alone starts again).
    EXPECT_FALSE(program.Apply(Profile(11, 2, 3)));
    (void)program.RunUntil(kT0 + 101);
    EXPECT_EQ(State().colour_index[0], 43);
    EXPECT_EQ(State().counters.level, 0);
    EXPECT_EQ(leds.Get(0).alpha, 255);  // drawn at the new brightness at the next step
    (void)program.RunUntil(kT0 + 110);
    EXPECT_EQ(leds.Get(0).alpha, 150);
    EXPECT_EQ(State().colour_index[0], 44);

    EXPECT_TRUE(program.Apply(Profile(20)));
    EXPECT_TRUE(program.Apply(Profile(20)));
    EXPECT_TRUE(program.Apply(Profile(1)));
    EXPECT_EQ(program.Effect(), 1);
}

TEST_F(ProgramTest, SettingsReadBackRestartWhenTheEffectChanged) {
    (void)program.Apply(Profile(11));
    (void)program.RunUntil(kT0);
    (void)program.RunUntil(kT0 + 100);
    LightInfoRecord read = Profile(11).light;
    EXPECT_FALSE(program.TakeReadBack(read));
    read.mode = 12;
    EXPECT_TRUE(program.TakeReadBack(read));
    (void)program.RunUntil(kT0 + 101);
    EXPECT_EQ(State().colour_index[0], 33);  // spread again
    read.mode = 20;
    EXPECT_TRUE(program.TakeReadBack(read));
    EXPECT_TRUE(program.TakeReadBack(read));
}

TEST_F(ProgramTest, StillEffectsAndAnEmptyCustomEffectHaveNoNextChange) {
    (void)program.Apply(Profile(1, 0));
    (void)program.RunUntil(kT0);
    EXPECT_EQ(program.NextChangeMs(), kT0 + 20);  // 10 ticks from the start
    (void)program.RunUntil(kT0 + 20);
    EXPECT_EQ(program.NextChangeMs(), kT0 + 40);

    uint64_t t = kT0 + 40;
    for (const int effect : {6, 17, 28, 0}) {
        (void)program.Apply(Profile(effect));
        (void)program.RunUntil(++t);
        // Until its first step even a still effect has a change to come.
        if (effect != 0) {
            EXPECT_TRUE(program.NextChangeMs().has_value()) << effect;
        }
        (void)program.RunUntil(t += 20);
        EXPECT_FALSE(program.NextChangeMs().has_value()) << effect;
    }
    // A breathing light-list entry changes on every pass.
    LightingProfile p = Profile(6);
    LightInfoRecord entry;
    entry.valid = 1;
    entry.brightness = 5;
    p.light_list = {entry};
    (void)program.Apply(p);
    (void)program.RunUntil(t += 20);
    EXPECT_EQ(program.NextChangeMs(), t + 1);
}

TEST_F(ProgramTest, PassesBetweenWakesCountLikeAPassEveryMillisecond) {
    // One call per millisecond and one call after 400 ms give the same picture.
    lighting::LedArray other(kLightCount);
    KeyboardLightingShared other_shared;
    KeyboardLightingProgram stepwise(
        other, [] { return true; }, 7, other_shared);
    LightingProfile p = Profile(3, 3);
    LightInfoRecord entry;
    entry.valid = 1;
    entry.brightness = 4;
    entry.speed = 1;
    p.light_list = {entry, entry};
    (void)program.Apply(p);
    (void)stepwise.Apply(p);
    (void)program.RunUntil(kT0);
    for (uint64_t t = kT0; t <= kT0 + 400; ++t) (void)stepwise.RunUntil(t);
    (void)program.RunUntil(kT0 + 400);
    for (size_t x = 0; x < kLightCount; ++x) ASSERT_EQ(leds.Get(x), other.Get(x)) << x;
    EXPECT_EQ(State().counters.level, stepwise.Effects().State().counters.level);
}

TEST_F(ProgramTest, CustomColoursKeepTheirAlphaUntilALoadAndShowAtTheBrightness) {
    std::vector<LedRecord> group(kLightCount, LedRecord{1, 2, 3, 77});
    program.SetCustomColours(group);
    program.SetCustomColour(4, {9, 8, 7});
    EXPECT_EQ(program.CustomColour(4), (LedRecord{9, 8, 7, 77}));
    program.FillCustomColours({5, 5, 5});
    EXPECT_EQ(program.CustomColour(169), (LedRecord{5, 5, 5, 77}));
    program.SetCustomColour(170, {1, 1, 1});  // not a light: nothing
    EXPECT_EQ(program.CustomColour(170), LedRecord{});

    (void)program.Apply(Profile(20, 2, 4));
    (void)program.RunUntil(kT0);
    (void)program.RunUntil(kT0 + 10);
    EXPECT_EQ(leds.Get(33), (LedRecord{5, 5, 5, 205}));
}

TEST_F(ProgramTest, HostColourDrivesEffect30) {
    (void)program.Apply(Profile(30, 1));
    const std::vector<int32_t> values = {0x110, 0x22, 0x33, 1, 2, 3, 4, 5};
    program.FeedHostColour(values);
    (void)program.RunUntil(kT0);
    EXPECT_EQ(leds.Get(0), (LedRecord{0x10, 0x22, 0x33, 255}));
}

TEST_F(ProgramTest, BeatBurstsComeFromTheLoudnessTotal) {
    LightingProfile p = Profile(29);
    p.audio.audio_mode = 2;
    (void)program.Apply(p);
    (void)program.RunUntil(kT0);
    const std::vector<int32_t> quiet(25, 0);
    const std::vector<int32_t> loud(500, 2000);  // the window sends a block of 500
    program.FeedAudioSpectrum(quiet);
    EXPECT_EQ(shared.loudness_total.load(), 0);
    program.FeedAudioSpectrum(loud);
    EXPECT_EQ(shared.loudness_total.load(), 25);
    program.FeedAudioSpectrum(loud);
    EXPECT_EQ(shared.loudness_total.load(), 50);
    (void)program.RunUntil(kT0 + 10);
    EXPECT_EQ(State().level[51], 0);
    program.FeedAudioSpectrum(loud);  // 75: a burst, and the total starts again
    EXPECT_EQ(shared.loudness_total.load(), 0);
    (void)program.RunUntil(kT0 + 16);  // the next step (every 4 ms) lights it
    EXPECT_GT(State().level[51], 0);

    // In another audio mode the bands wait for the step.
    p.audio.audio_mode = 0;
    (void)program.Apply(p);
    program.FeedAudioSpectrum(loud);
    EXPECT_EQ(shared.loudness_total.load(), 0);
    (void)program.RunUntil(kT0 + 20);
    EXPECT_EQ(State().level[43], 255);  // row 2 of column 2 lit by the bands
}

TEST_F(ProgramTest, AClosedChannelComputesNothing) {
    (void)program.Apply(Profile(6));
    open = false;
    EXPECT_FALSE(program.Step());
    EXPECT_EQ(leds.Get(0), LedRecord{});
    EXPECT_FALSE(program.NextDeadline().has_value());
    open = true;
    // A still effect draws once when woken, then sleeps.
    EXPECT_FALSE(program.Step());
    EXPECT_EQ(leds.Get(0).alpha, 255);
    (void)program.Apply(Profile(1, 4));
    EXPECT_TRUE(program.Step());
    ASSERT_TRUE(program.NextDeadline().has_value());
    const auto wait = *program.NextDeadline() - std::chrono::steady_clock::now();
    EXPECT_LE(wait, std::chrono::milliseconds(KeyboardLightingProgram::kTickMs));
}

// ---- On its thread
// --------------------------------------------------------------------------------

// Waits (bounded) until `done` holds; the LED array has no event to wait on.
template <class Done>
bool Eventually(Done done) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

TEST_F(ProgramTest, OnItsThreadAStillPictureSleepsAndAMovingOneRuns) {
    LightingThread thread;
    (void)program.Apply(Profile(6));
    thread.Start(program, std::chrono::milliseconds(20));
    ASSERT_TRUE(Eventually([&] { return leds.Get(0).alpha == 255; }));
    EXPECT_FALSE(thread.Animating());

    (void)program.Apply(Profile(1, 4));
    thread.Wake();
    ASSERT_TRUE(Eventually([&] { return thread.Animating(); }));
    const uint64_t version = leds.Version();
    ASSERT_TRUE(Eventually([&] { return leds.Version() > version + 20; }));

    std::vector<std::string> lines;
    std::mutex lines_lock;
    const log::Sink previous = log::SetSink([&](std::string_view line) {
        std::lock_guard lock(lines_lock);
        lines.emplace_back(line);
    });
    thread.Stop();
    (void)log::SetSink(previous);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_EQ(lines[0], "KB灯光线程设定退出");
    EXPECT_EQ(lines[1], "线程退出：：对象处于激发状态");
}

TEST_F(ProgramTest, EveryEffectRunsWhileAnotherThreadFeedsEverything) {
#ifdef DZ_TEST_TSAN
    const auto duration = std::chrono::seconds(10);
#else
    const auto duration = std::chrono::seconds(1);
#endif
    LightingThread thread;
    (void)program.Apply(Profile(1));
    thread.Start(program, std::chrono::milliseconds(20));

    // The window's side: applies every effect (with light lists and custom steps), paints
    // keys, feeds spectra and host colours, reads the picture and the settings back.
    std::vector<LightInfoRecord> light_list(6);
    for (size_t i = 0; i < light_list.size(); ++i) {
        light_list[i].mode = static_cast<uint8_t>(i);
        light_list[i].valid = 1;
        light_list[i].brightness = 5;
        light_list[i].speed = 4;
        light_list[i].multicolor = 1;
    }
    std::vector<LedEffectStep> steps(3);
    for (size_t i = 0; i < steps.size(); ++i) {
        steps[i].mode = static_cast<uint8_t>(i * 2);
        steps[i].speed = 4;
        steps[i].brightness = 5;
        steps[i].multicolor = 1;
        steps[i].time = 3;
    }
    std::vector<int32_t> bands(25);
    uint64_t frames = 0;
    uint32_t checksum = 0;
    int effect = 0;
    const auto end = std::chrono::steady_clock::now() + duration;
    for (int round = 0; std::chrono::steady_clock::now() < end; ++round) {
        if (round % 40 == 0) {
            effect = (effect + 1) % 33;
            LightingProfile p = Profile(effect, static_cast<uint8_t>(round % 5));
            p.audio.audio_mode = static_cast<uint8_t>(round % 8);
            p.light.device_mode = static_cast<uint8_t>(round % 4);
            if (round % 80 == 0) p.light_list = light_list;
            p.steps = steps;
            if (program.Apply(p) && effect == kCustomColourEffect)
                program.SetCustomColours(std::vector<LedRecord>(kLightCount, {1, 2, 3, 4}));
        }
        for (size_t i = 0; i < bands.size(); ++i)
            bands[i] = static_cast<int32_t>((round * 37 + static_cast<int>(i) * 101) % 4500) - 200;
        program.FeedAudioSpectrum(bands);
        program.FeedHostColour(bands);
        program.SetCustomColour(static_cast<size_t>(round) % kLightCount, {9, 9, 9});
        if (round % 50 == 0) program.FillCustomColours({static_cast<uint8_t>(round), 0, 0});
        if (round % 97 == 0) (void)program.TakeReadBack(Profile(effect, 1).light);
        thread.Wake();
        for (size_t x = 0; x < kLightCount; x += 13) checksum += leds.GetPacked(x);
        ++frames;
        std::this_thread::sleep_for(std::chrono::microseconds(500));
    }
    thread.Stop();
    EXPECT_GT(frames, 100u);
    EXPECT_GT(leds.Version(), frames / 4) << checksum;
}

}  // namespace
}  // namespace dz::keyboard_lighting
