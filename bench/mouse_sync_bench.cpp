// The mouse's opening read and the full apply of a profile (settings page, 1.5 KB of macros,
// button map, 2.9 KB of shooting patterns) against the emulator's latency model (1 ms per
// report), on the cable and through the receiver. Each is reported as a ratio to its lower
// bound: the packets it sent × the round trip, plus the 10 ms pause before every END.
#include <benchmark/benchmark.h>

#include <sys/prctl.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "device/command_path.h"
#include "macro/macro_event.h"
#include "models/mouse_profile.h"
#include "models/mouse_shoot.h"
#include "profile/json_file.h"
#include "sim/emulator.h"

namespace {

using dz::sim::DeviceKind;
using dz::sim::Link;
namespace fs = std::filesystem;

struct Rig {
    dz::sim::Emulator emu{dz::sim::EmulatorConfig::Default()};
    dz::CommandChannel channel;
    fs::path folder;

    explicit Rig(Link link) {
        // The emulator's latency waits run on the calling thread; the kernel's default
        // 50 us timer slack would add to every emulated report and count as overhead.
        prctl(PR_SET_TIMERSLACK, 1UL, 0UL, 0UL, 0UL);
        dz::hid::BackendRegistry::Instance().Add(emu.Backend());
        emu.SetLatency(std::chrono::milliseconds(1));
        emu.Traffic().SetCapacity(5000);
        const bool receiver = link == Link::kReceiver;
        const auto path = dz::MakeInterfacePath("sim", emu.CommandNode(DeviceKind::kMouse, link),
                                                0x320F, receiver ? 0x221D : 0x221C, 1, 4);
        if (dz::OpenCommandPath(channel, path, receiver) != 1) std::abort();
        std::string pattern = (fs::temp_directory_path() / "dz-bench-XXXXXX").string();
        if (::mkdtemp(pattern.data()) == nullptr) std::abort();
        folder = pattern;
        WriteFiles();
    }
    ~Rig() {
        dz::CloseCommandPaths(channel);
        dz::hid::BackendRegistry::Instance().Remove(emu.Backend().get());
        std::error_code ec;
        fs::remove_all(folder, ec);
    }
    // Two macros of 180 events and four shooting patterns of 30 bullets.
    void WriteFiles() {
        std::vector<dz::MacroEvent> events;
        for (int i = 0; i < 180; ++i) events.push_back({10, i % 100, i % 2 ? "up" : "down", "8"});
        Json::Value list;
        for (int m = 0; m < 2; ++m) {
            const std::string guid = "bench" + std::to_string(m);
            list["MacroInfo"][m]["MacroName"] = guid;
            list["MacroInfo"][m]["Guid"] = guid;
            if (!dz::SaveEvents(folder / (guid + ".mac"), guid, guid, events)) std::abort();
        }
        if (!dz::TryWriteJsonFile(folder / "macro.config", list)) std::abort();
        for (int gun = 0; gun < dz::kShootPatternCount; ++gun)
            if (!dz::SaveEvents(folder / dz::ShootFileName(gun), "", "", events)) std::abort();
    }
    // Host-to-device command packets and END commands since the record was cleared.
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

dz::MouseProfileSections Sections() {
    dz::MouseProfileSections s;
    const auto defaults = dz::DefaultButtonCodes();
    for (size_t i = 0; i < defaults.size(); ++i)
        s.keys.push_back(
            {static_cast<uint16_t>(i), defaults[i], static_cast<uint16_t>(i), defaults[i]});
    s.keys[3].current = {0x70, 0, 0};
    s.keys[4].current = {0x70, 1, 0};
    s.light.mode = 2;
    s.light.brightness = 4;
    for (int i = 0; i < 5; ++i)
        s.stages.stages.push_back({1, 0, static_cast<uint16_t>(10 * (i + 1)),
                                   static_cast<uint16_t>(10 * (i + 1)), 255, 0, 0});
    s.stages.current = 1;
    return s;
}

// `setup` once, then `run` timed in every iteration.
template <typename Setup, typename Run>
void Measure(benchmark::State& state, Link link, Setup setup, Run run) {
    Rig rig(link);
    setup(rig);
    double total_s = 0, bound_s = 0;
    size_t packets = 0;
    for (auto _ : state) {
        rig.emu.Traffic().Clear();
        const auto start = std::chrono::steady_clock::now();
        if (!run(rig)) {
            state.SkipWithError("the transfer failed");
            return;
        }
        const double s =
            std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        state.SetIterationTime(s);
        total_s += s;
        const auto [sent, ends] = rig.Sent();
        packets = sent;
        bound_s = double(sent) * std::chrono::duration<double>(rig.emu.RoundTrip()).count() +
                  double(ends) * dz::CommandChannel::kEndPauseMs / 1000.0;
    }
    state.counters["packets"] = double(packets);
    state.counters["lower_bound_ms"] = bound_s * 1e3;
    state.counters["ratio"] = total_s / double(state.iterations()) / bound_s;
}

void BM_MouseFirstSync(benchmark::State& state, Link link) {
    Measure(
        state, link, [](Rig&) {},
        [](Rig& rig) { return dz::ReadMouseTables(rig.channel).transfer.Ok(); });
}

// What the apply writes is built once from the opening read, as the window has it.
void BM_MouseApply(benchmark::State& state, Link link) {
    dz::MouseProfileWrite write;
    Measure(
        state, link,
        [&write](Rig& rig) {
            const dz::MouseTables tables = dz::ReadMouseTables(rig.channel);
            if (!tables.transfer.Ok()) std::abort();
            write = dz::BuildMouseProfileWrite(Sections(), tables, rig.folder, {}, 1920, 1080);
        },
        [&write](Rig& rig) {
            const dz::MouseApplyResult r = dz::ApplyMouseProfile(rig.channel, write);
            return r.settings.Ok() && r.macros.answer == 0 && r.macros.transfer.Ok() &&
                   r.button_map.Ok() && r.shoot.Ok();
        });
}

}  // namespace

BENCHMARK_CAPTURE(BM_MouseFirstSync, cable, Link::kCable)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_MouseFirstSync, receiver, Link::kReceiver)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(20);
BENCHMARK_CAPTURE(BM_MouseApply, cable, Link::kCable)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);
BENCHMARK_CAPTURE(BM_MouseApply, receiver, Link::kReceiver)
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond)
    ->Iterations(10);

BENCHMARK_MAIN();
