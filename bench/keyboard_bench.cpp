// The keyboard's first read (what FirstSync runs on the device worker) and the full apply of
// a profile (settings, a 510-byte key map, 3 KB of macros) against the emulator's latency
// model (1 ms per report, a round trip two), as ratios to the lower bound: the packets sent
// times the round trip, plus the 10 ms the protocol waits before each CMD_END. The ratio
// without those waits is printed too.
#include <benchmark/benchmark.h>

#include <sys/prctl.h>

#include <chrono>
#include <functional>

#include "device/command_channel.h"
#include "device/command_path.h"
#include "models/keyboard_io.h"
#include "sim/emulator.h"
#include "support/macro_files.h"
#include "support/temp_folder.h"

namespace {

using dz::sim::DeviceKind;

struct Rig {
    dz::sim::Emulator emu{dz::sim::EmulatorConfig::Default()};
    dz::CommandChannel channel;
    dz::test::TempFolder folder;

    Rig() {
        // The emulator's latency waits run on the calling thread; the kernel's default 50 us
        // timer slack would add to every emulated report.
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        dz::hid::BackendRegistry::Instance().Add(emu.Backend());
        emu.SetLatency(std::chrono::milliseconds(1));
        const auto path = dz::MakeInterfacePath("sim", emu.CommandNode(DeviceKind::kKeyboard),
                                                0x320F, 0x505B, 1, 4);
        if (dz::OpenCommandPath(channel, path, false) != 1) std::abort();
    }
    ~Rig() {
        dz::CloseCommandPaths(channel);
        dz::hid::BackendRegistry::Instance().Remove(emu.Backend().get());
    }
    // Host-to-device command packets and CMD_END packets since the last Clear.
    std::pair<size_t, size_t> Sent() const {
        size_t packets = 0, ends = 0;
        for (const auto& e : emu.Traffic().Entries()) {
            if (e.direction != dz::sim::Direction::kOut || e.bytes.size() < 4 || e.bytes[0] != 4)
                continue;
            ++packets;
            ends += e.bytes[3] == dz::CMD_END;
        }
        return {packets, ends};
    }
};

void Measure(benchmark::State& state, Rig& rig, const std::function<bool()>& run) {
    const double round_trip = std::chrono::duration<double>(rig.emu.RoundTrip()).count();
    const double end_pause = dz::CommandChannel::kEndPauseMs / 1e3;
    double total = 0, bound = 0, bound_packets = 0;
    size_t packets = 0;
    for (auto _ : state) {
        rig.emu.Traffic().Clear();
        const auto start = std::chrono::steady_clock::now();
        if (!run()) {
            state.SkipWithError("the transfer failed");
            return;
        }
        const double s = std::chrono::duration<double>(std::chrono::steady_clock::now() - start)
                             .count();
        state.SetIterationTime(s);
        const auto [sent, ends] = rig.Sent();
        packets = sent;
        total += s;
        bound_packets += double(sent) * round_trip;
        bound += double(sent) * round_trip + double(ends) * end_pause;
    }
    const double n = double(state.iterations());
    state.counters["packets"] = double(packets);
    state.counters["lower_bound_ms"] = bound / n * 1e3;
    state.counters["ratio"] = total / bound;
    state.counters["ratio_packets_only"] = total / bound_packets;
}

void BM_KeyboardFirstRead(benchmark::State& state) {
    Rig rig;
    Measure(state, rig, [&] {
        const dz::KeyboardTablesRead tables = dz::ReadKeyboardTables(rig.channel);
        const dz::KeyboardSettingsFetch settings = dz::ReadKeyboardSettings(rig.channel);
        return tables.transfer.Ok() && settings.transfer.Ok() &&
               tables.tables.maps.PositionCount() == dz::kKeyboardPositions;
    });
}

void BM_KeyboardApply(benchmark::State& state) {
    Rig rig;
    // Four macros of 758 events in all: 16 + 24 + 3032 = 3072 bytes.
    dz::test::WriteMacroList(rig.folder.path(), {190, 190, 189, 189});
    const dz::KeyboardTablesRead tables = dz::ReadKeyboardTables(rig.channel);
    std::vector<dz::KeyAssignmentEntry> keys;
    const auto codes = dz::KeyboardPositionCodes();
    for (size_t p = 0; p < codes.size(); ++p) keys.push_back({0, codes[p], 0, codes[p]});
    for (uint8_t m = 0; m < 4; ++m) keys[m].current = {dz::kKeyTypeMacro, m, 0};
    dz::LightInfoRecord light;
    light.mode = 5;
    light.brightness = 4;
    const dz::KeyboardProfileWrite write = dz::BuildKeyboardProfileWrite(
        keys, light, {}, tables.tables, rig.folder.path(), {});
    if (write.macros.ImageSize() != 3072 || write.key_table.size() != 510) std::abort();
    Measure(state, rig, [&] {
        const dz::KeyboardApplyResult r = dz::ApplyKeyboardProfile(rig.channel, write);
        return r.macros.answer == 0 && r.macros.transfer.Ok() && r.key_map.Ok() &&
               r.settings.Ok();
    });
}

BENCHMARK(BM_KeyboardFirstRead)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(30);
BENCHMARK(BM_KeyboardApply)->UseManualTime()->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

BENCHMARK_MAIN();
