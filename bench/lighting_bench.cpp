// One step of each base effect and of the reactive operations over a keyboard's 170
// lights: what the lighting thread spends per step.

#include <benchmark/benchmark.h>

#include "device/lighting/effect_steps.h"
#include "device/lighting/reactive.h"

namespace dz::lighting {
namespace {

constexpr size_t kLights = 170;
const EffectSettings kSettings{
    .brightness = 5, .speed = 4, .direction = 1, .multicolour = 1, .colour = {10, 20, 30}};

template <typename Step>
void RunSteps(benchmark::State& state, Step step) {
    LedArray leds(kLights);
    EffectCounters counters;
    uint64_t now = 0;
    for (auto _ : state) {
        step(counters, leds, now);
        now += 700;  // toggles the blink effects every other step
        benchmark::DoNotOptimize(leds.GetPacked(0));
    }
}

void BM_BreathWheel(benchmark::State& s) {
    RunSteps(s, [](auto& c, auto& l, uint64_t) { EffectBreathWheel(kSettings, c, l); });
}
void BM_BreathFour(benchmark::State& s) {
    RunSteps(s, [](auto& c, auto& l, uint64_t) { EffectBreathFour(kSettings, c, l); });
}
void BM_Static(benchmark::State& s) {
    RunSteps(s, [](auto&, auto& l, uint64_t) { EffectStatic(kSettings, l); });
}
void BM_Wheel(benchmark::State& s) {
    RunSteps(s, [](auto& c, auto& l, uint64_t) { EffectWheel(kSettings, c, l); });
}
void BM_BlinkWheel(benchmark::State& s) {
    RunSteps(s, [](auto& c, auto& l, uint64_t t) { EffectBlinkWheel(kSettings, c, l, t); });
}
void BM_BlinkFour(benchmark::State& s) {
    RunSteps(s, [](auto& c, auto& l, uint64_t t) { EffectBlinkFour(kSettings, c, l, t); });
}
void BM_Off(benchmark::State& s) {
    RunSteps(s, [](auto&, auto& l, uint64_t) { EffectOff(l); });
}

// A reactive pass as a key-press effect makes it: trigger, rotate, decay every light.
void BM_ReactivePass(benchmark::State& state) {
    ReactiveBuffers r;
    r.marquee[0] = 1;
    for (auto _ : state) {
        ReactiveTrigger(r);
        ReactiveRotate(r, true);
        for (size_t i = 0; i < kLights; ++i) ReactiveDecay(r, i, 0);
        benchmark::DoNotOptimize(r.intensity[0]);
    }
}

BENCHMARK(BM_BreathWheel);
BENCHMARK(BM_BreathFour);
BENCHMARK(BM_Static);
BENCHMARK(BM_Wheel);
BENCHMARK(BM_BlinkWheel);
BENCHMARK(BM_BlinkFour);
BENCHMARK(BM_Off);
BENCHMARK(BM_ReactivePass);

}  // namespace
}  // namespace dz::lighting

BENCHMARK_MAIN();
