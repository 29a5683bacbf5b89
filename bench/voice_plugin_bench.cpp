// The voice changer plugin's cost: one second of mono microphone audio at 48 kHz through
// run() in blocks of 480 frames (10 ms, what the server's loopback hands on), per voice.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "support/ladspa_host.h"

namespace {

constexpr unsigned long kRate = 48000;
constexpr unsigned long kBlock = 480;

void BM_Voice(benchmark::State& state) {
    dz::test::LadspaHost host(DZ_VOICE_PLUGIN, "dozadir_voice", kRate);
    if (!host.Ready()) {
        state.SkipWithError("the plugin did not load");
        return;
    }
    host.SetControl(0, static_cast<float>(state.range(0)));
    std::vector<float> in(kRate), out(kRate);
    std::mt19937 random(7);
    std::uniform_real_distribution<float> sample(-0.5f, 0.5f);
    for (float& x : in) x = sample(random);
    for (auto _ : state) {
        for (unsigned long at = 0; at < kRate; at += kBlock)
            host.Run({in.data() + at}, {out.data() + at}, kBlock);
        benchmark::DoNotOptimize(out.data());
    }
    state.SetLabel("per second of mono audio");
}

BENCHMARK(BM_Voice)->ArgName("voice")->DenseRange(1, 4)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
