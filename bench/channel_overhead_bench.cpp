// The command channel's own overhead: chunked transfers and light frames against the
// emulator's latency model (1 ms per report), as a ratio to the lower bound of packets ×
// round trip; and the host's cost of one light frame with no latency at all, which is what
// every packet adds on top of the link.
#include <benchmark/benchmark.h>

#include <sys/prctl.h>

#include <chrono>
#include <vector>

#include "device/command_channel.h"
#include "sim/emulator.h"

namespace {

using dz::sim::DeviceKind;
using dz::sim::Link;

struct Rig {
    dz::sim::Emulator emu{dz::sim::EmulatorConfig::Default()};
    dz::CommandChannel channel;

    explicit Rig(std::chrono::microseconds latency = std::chrono::milliseconds(1)) {
        // The emulator's latency waits run on the calling thread; the kernel's default
        // 50 us timer slack would add to every emulated report and count as overhead.
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        dz::hid::BackendRegistry::Instance().Add(emu.Backend());
        emu.SetLatency(latency);
        emu.Traffic().SetCapacity(1000);
        const auto path = dz::MakeInterfacePath("sim", emu.CommandNode(DeviceKind::kKeyboard),
                                                0x320F, 0x505B, 1, 4);
        if (channel.CableInterface().Open(path, true, true, true, false) != 1) std::abort();
        channel.SetMode(dz::kModeCable);
        channel.SetOpen(true);
    }
    ~Rig() {
        channel.SetOpen(false);
        channel.CableInterface().Close();
        dz::hid::BackendRegistry::Instance().Remove(emu.Backend().get());
    }
};

template <typename Transfer>
void RunTransfer(benchmark::State& state, size_t bytes, Transfer transfer) {
    Rig rig;
    const std::vector<uint8_t> data(bytes, 0x11);
    const size_t packets = (bytes + dz::kCablePayload - 1) / dz::kCablePayload;
    const double bound_s =
        double(packets) * std::chrono::duration<double>(rig.emu.RoundTrip()).count();
    double total_s = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        if (transfer(rig.channel, data) != dz::kCmdOk) {
            state.SkipWithError("transfer failed");
            return;
        }
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(s);
        total_s += s;
    }
    const double mean = total_s / double(state.iterations());
    state.counters["packets"] = double(packets);
    state.counters["lower_bound_ms"] = bound_s * 1e3;
    state.counters["ratio"] = mean / bound_s;
}

void BM_KeymapWrite510(benchmark::State& state) {
    RunTransfer(state, 510, [](dz::CommandChannel& c, const std::vector<uint8_t>& d) {
        return c.WriteKeymap(0, d);
    });
}

void BM_MacroImageWrite3K(benchmark::State& state) {
    RunTransfer(state, 3072, [](dz::CommandChannel& c, const std::vector<uint8_t>& d) {
        return c.WriteMacros(d);
    });
}

// The keyboard's 126 lights: seven packets over the cable, as the frame timer streams them.
void BM_LightFrame378(benchmark::State& state) {
    RunTransfer(state, 378, [](dz::CommandChannel& c, const std::vector<uint8_t>& d) {
        return c.LightFrame(d);
    });
}

void BM_LightFrame378NoLatency(benchmark::State& state) {
    Rig rig(std::chrono::microseconds(0));
    const std::vector<uint8_t> frame(378, 0x22);
    for (auto _ : state) {
        if (rig.channel.LightFrame(frame) != dz::kCmdOk) {
            state.SkipWithError("frame failed");
            return;
        }
    }
    state.counters["packets"] = 7;
    // 1 when every frame reached the device whole (a dropped frame would look cheap).
    state.counters["frames_shown"] =
        double(rig.emu.Model(DeviceKind::kKeyboard).LightFramesCompleted()) /
        double(state.iterations());
}

BENCHMARK(BM_KeymapWrite510)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_MacroImageWrite3K)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);
BENCHMARK(BM_LightFrame378)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(50);
BENCHMARK(BM_LightFrame378NoLatency)->Unit(benchmark::kMicrosecond)->MinTime(1.0);

}  // namespace

BENCHMARK_MAIN();
