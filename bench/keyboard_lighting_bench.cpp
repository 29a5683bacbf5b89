// One second of the keyboard's lighting program per effect, woken only when it says the
// picture changes (as its thread is): the thread's CPU time per second of animation, and its
// wake-ups per second.

#include <benchmark/benchmark.h>

#include <algorithm>

#include "models/keyboard_lighting/keyboard_lighting_program.h"

namespace dz::keyboard_lighting {
namespace {

void BM_KeyboardEffectSecond(benchmark::State& state) {
    const int effect = static_cast<int>(state.range(0));
    const auto speed = static_cast<uint8_t>(state.range(1));
    lighting::LedArray leds(kLightCount);
    KeyboardLightingShared shared;
    KeyboardLightingProgram program(
        leds, [] { return true; }, 1, shared);
    LightingProfile profile;
    profile.light.mode = static_cast<uint8_t>(effect);
    profile.light.brightness = 5;
    profile.light.speed = speed;
    profile.light.direction = 1;
    profile.light.multicolor = 1;
    (void)program.Apply(profile);
    uint64_t now = 1'000'000;
    (void)program.RunUntil(now);
    uint64_t wakes = 0;
    for (auto _ : state) {
        const uint64_t end = now + 1000;
        while (now < end) {
            const auto next = program.NextChangeMs();
            if (!next) break;  // still: the thread sleeps until woken
            now = std::clamp(*next, now + KeyboardLightingProgram::kTickMs,
                             now + KeyboardLightingProgram::kLongestSleepMs);
            (void)program.RunUntil(now);
            ++wakes;
        }
        now = std::max(now, end);
        benchmark::DoNotOptimize(leds.GetPacked(0));
    }
    state.counters["wakes_per_s"] =
        benchmark::Counter(static_cast<double>(wakes) / static_cast<double>(state.iterations()));
}

BENCHMARK(BM_KeyboardEffectSecond)
    ->ArgNames({"effect", "speed"})
    ->Args({1, 2})
    ->Args({1, 4})
    ->Args({6, 2})
    ->Args({10, 2})
    ->Args({13, 2})
    ->Args({14, 2})
    ->Args({20, 2})
    ->Args({21, 2})
    ->Args({22, 2})
    ->Args({23, 2})
    ->Args({24, 2})
    ->Args({29, 2})
    ->Args({0, 2})
    ->Unit(benchmark::kMicrosecond);

}  // namespace
}  // namespace dz::keyboard_lighting

BENCHMARK_MAIN();
