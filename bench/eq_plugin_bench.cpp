// The equaliser plugin's cost: one second of stereo audio at 48 kHz through run() in blocks
// of 1024 frames, with every band set (a preset), with none set, and with silence after a
// loud start (where recursive filters would sink into slow denormal numbers unguarded).
// A control moved every block shows what recomputing the coefficients adds.
#include <benchmark/benchmark.h>

#include <cmath>
#include <numbers>
#include <random>
#include <vector>

#include "support/ladspa_host.h"

namespace {

constexpr unsigned long kRate = 48000;
constexpr unsigned long kBlock = 1024;
constexpr float kPreset[10] = {7, 14, -13, -6, -1, 8, 13, 7, 2, 6};

enum class Input { kNoise, kSilenceAfterNoise };

void RunSecond(benchmark::State& state, bool bands, Input input, bool moving) {
    dz::test::LadspaHost host(DZ_EQ_PLUGIN, "dozadir_octave_eq", kRate);
    if (!host.Ready()) {
        state.SkipWithError("the plugin did not load");
        return;
    }
    for (size_t b = 0; b < 10; ++b) host.SetControl(b, bands ? kPreset[b] : 0.0f);
    std::vector<float> noise(kRate), silence(kRate, 0.0f), left(kRate), right(kRate);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> sample(-0.5f, 0.5f);
    for (float& x : noise) x = sample(random);
    auto second = [&](const std::vector<float>& in, bool move) {
        for (unsigned long at = 0; at < kRate; at += kBlock) {
            const unsigned long n = std::min(kBlock, kRate - at);
            if (move) host.SetControl(5, (at / kBlock) % 2 == 0 ? 8.0f : 9.0f);
            host.Run({in.data() + at, in.data() + at}, {left.data() + at, right.data() + at}, n);
        }
    };
    if (input == Input::kSilenceAfterNoise) {
        second(noise, false);
        for (int s = 0; s < 30; ++s) second(silence, false);  // well into the filters' decay
    }
    const std::vector<float>& in = input == Input::kNoise ? noise : silence;
    for (auto _ : state) {
        second(in, moving);
        benchmark::DoNotOptimize(left.data());
        benchmark::DoNotOptimize(right.data());
    }
    state.SetLabel("per second of stereo audio");
}

void BM_PresetOnNoise(benchmark::State& s) { RunSecond(s, true, Input::kNoise, false); }
void BM_FlatOnNoise(benchmark::State& s) { RunSecond(s, false, Input::kNoise, false); }
void BM_PresetOnSilenceAfterNoise(benchmark::State& s) { RunSecond(s, true, Input::kSilenceAfterNoise, false); }
void BM_PresetWithABandMovingEveryBlock(benchmark::State& s) { RunSecond(s, true, Input::kNoise, true); }

BENCHMARK(BM_PresetOnNoise)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_FlatOnNoise)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresetOnSilenceAfterNoise)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_PresetWithABandMovingEveryBlock)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
