// Idle cost of the running application with the four emulated devices connected and their
// previews running: starts `dozadir-keyboard --simulate`, lets the devices synchronise,
// then measures over an interval, first with the window visible and then hidden to the
// tray (through its close button, as a user does):
//   - CPU: the process's user and system time as a percentage of one core;
//   - wake-ups: voluntary and involuntary context switches of all its threads per second
//     (every switch is a thread going to sleep and being woken again), with the threads
//     that wake most, so that the one to blame can be found.
// Run it on an X server with xdotool installed: xvfb-run -a app_cpu_bench APP [SECONDS].
// DOZADIR_BENCH_HIDRAW=1 keeps the hidraw backend listed beside the emulator.
// DOZADIR_BENCH_DEVICES=KINDS emulates only those devices (--simulate=KINDS), so that one
// device's share can be told from the others'.
// --animate (before APP): the application runs on profiles of its own, in a temporary user
// data folder, where every device kind has an animated effect selected (the keyboard its
// wave, effect 1, the others their effect 0, also a wave); the window shows the keyboard's
// page while it is measured visible.
// --audio (before APP, with --animate's profiles): the keyboard on its audio effect (29)
// and a private sound server (pulseaudio with a null sink) playing a tone that swells and
// fades; the capture program runs, and its CPU is measured beside the application's. Run
// it on a session bus too: xvfb-run -a dbus-run-session -- app_cpu_bench --audio APP.
#include <pulse/simple.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include <json/value.h>

#include "device/device_table.h"
#include "platform/paths/paths.h"
#include "profile/json_file.h"
#include "profile/profile_store.h"
#include "support/pulse_server.h"

namespace {

using Clock = std::chrono::steady_clock;

// utime + stime of a process or thread, in clock ticks; -1 when it cannot be read.
long long CpuTicks(const std::string& stat_path) {
    std::ifstream stat(stat_path);
    std::string line;
    if (!std::getline(stat, line)) return -1;
    // The command name may hold blanks: fields start after its closing parenthesis.
    const size_t close = line.rfind(')');
    if (close == std::string::npos) return -1;
    std::istringstream rest(line.substr(close + 2));
    std::string field;
    long long utime = 0, stime = 0;
    for (int i = 3; rest >> field; ++i) {
        if (i == 14) utime = std::atoll(field.c_str());
        if (i == 15) {
            stime = std::atoll(field.c_str());
            break;
        }
    }
    return utime + stime;
}

// Time a thread has run, in nanoseconds (the scheduler's own count, far finer than the
// clock ticks of /proc/PID/stat); -1 when it cannot be read.
long long RunNanoseconds(const std::filesystem::path& task) {
    std::ifstream schedstat(task / "schedstat");
    long long ns = -1;
    if (!(schedstat >> ns)) return -1;
    return ns;
}

struct ThreadSample {
    std::string name;
    long long switches = 0;
    long long run_ns = 0;
};

// Every thread of the process by id: its name, context switches and CPU ticks.
std::map<int, ThreadSample> SampleThreads(pid_t pid) {
    std::map<int, ThreadSample> out;
    const std::string task = "/proc/" + std::to_string(pid) + "/task";
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator(task, ec)) {
        const int tid = std::atoi(entry.path().filename().c_str());
        ThreadSample s;
        std::ifstream status(entry.path() / "status");
        std::string line;
        while (std::getline(status, line)) {
            if (line.rfind("Name:", 0) == 0) {
                s.name = line.substr(5);
                s.name.erase(0, s.name.find_first_not_of(" \t"));
            } else if (line.rfind("voluntary_ctxt_switches:", 0) == 0 ||
                       line.rfind("nonvoluntary_ctxt_switches:", 0) == 0) {
                s.switches += std::atoll(line.substr(line.find(':') + 1).c_str());
            }
        }
        s.run_ns = RunNanoseconds(entry.path());
        if (s.run_ns < 0) {
            const long long ticks = CpuTicks((entry.path() / "stat").string());
            s.run_ns = ticks < 0 ? 0 : ticks * 1'000'000'000LL / sysconf(_SC_CLK_TCK);
        }
        out[tid] = s;
    }
    return out;
}

struct Measurement {
    bool ok = false;
    double wall_s = 0;
    double cpu_percent = 0;
    double wakeups_per_s = 0;
    struct Busy {
        int tid;
        std::string name;
        double wakeups_per_s;
        double cpu_percent;
    };
    std::vector<Busy> threads;  // busiest first
};

Measurement Measure(pid_t pid, int seconds) {
    Measurement m;
    const std::string stat = "/proc/" + std::to_string(pid) + "/stat";
    const long long ticks_per_s = sysconf(_SC_CLK_TCK);
    const long long start = CpuTicks(stat);
    const auto before = SampleThreads(pid);
    const auto t0 = Clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const long long end = CpuTicks(stat);
    const auto after = SampleThreads(pid);
    m.wall_s = std::chrono::duration<double>(Clock::now() - t0).count();
    if (start < 0 || end < 0) return m;
    m.cpu_percent =
        100.0 * static_cast<double>(end - start) / static_cast<double>(ticks_per_s) / m.wall_s;
    long long switches = 0;
    long long run_ns = 0;
    const bool all_precise = std::filesystem::exists("/proc/" + std::to_string(pid) + "/task/" +
                                                     std::to_string(pid) + "/schedstat");
    for (const auto& [tid, s] : after) {
        // A thread started during the interval counts from zero; one that ended is lost,
        // which an idle application does not do.
        const auto b = before.find(tid);
        const long long d = s.switches - (b == before.end() ? 0 : b->second.switches);
        const long long ns = s.run_ns - (b == before.end() ? 0 : b->second.run_ns);
        switches += d;
        run_ns += ns;
        if (d > 0 || ns > 0)
            m.threads.push_back({tid, tid == pid ? "main" : s.name,
                                 static_cast<double>(d) / m.wall_s,
                                 100.0 * static_cast<double>(ns) / 1e9 / m.wall_s});
    }
    // The scheduler's figure when every thread had one; else the coarser clock ticks.
    if (all_precise) m.cpu_percent = 100.0 * static_cast<double>(run_ns) / 1e9 / m.wall_s;
    std::sort(m.threads.begin(), m.threads.end(),
              [](const auto& a, const auto& b) { return a.wakeups_per_s > b.wakeups_per_s; });
    m.wakeups_per_s = static_cast<double>(switches) / m.wall_s;
    m.ok = true;
    return m;
}

void Print(const char* what, const Measurement& m) {
    std::printf("%s: %.2f %% of one core, %.1f wake-ups/s over %.1f s\n", what, m.cpu_percent,
                m.wakeups_per_s, m.wall_s);
    const size_t shown = std::min<size_t>(m.threads.size(), 16);
    for (size_t i = 0; i < shown; ++i)
        std::printf("    thread %d (%s): %.1f wake-ups/s, %.2f %%\n", m.threads[i].tid,
                    m.threads[i].name.c_str(), m.threads[i].wakeups_per_s,
                    m.threads[i].cpu_percent);
}

std::string Run(const std::string& command) {
    std::string out;
    if (FILE* p = popen(command.c_str(), "r")) {
        char buf[256];
        while (std::fgets(buf, sizeof buf, p) != nullptr) out += buf;
        pclose(p);
    }
    while (!out.empty() && (out.back() == '\n' || out.back() == ' ')) out.pop_back();
    return out;
}

// The id of the visible main window, or empty.
std::string VisibleMainWindow() {
    const std::string ids =
        Run("xdotool search --onlyvisible --name '^Dozadir Keyboard$' 2>/dev/null");
    return ids.substr(0, ids.find('\n'));
}

bool WaitFor(bool (*done)(), std::chrono::seconds limit) {
    const auto deadline = Clock::now() + limit;
    while (!done()) {
        if (Clock::now() > deadline) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    return true;
}

// Clicks the caption's close button, which hides the window to the tray.
bool HideToTray() {
    const std::string id = VisibleMainWindow();
    if (id.empty()) return false;
    int width = 0;
    std::istringstream geometry(Run("xdotool getwindowgeometry --shell " + id));
    for (std::string kv; std::getline(geometry, kv);)
        if (kv.rfind("WIDTH=", 0) == 0) width = std::atoi(kv.c_str() + 6);
    if (width < 100) return false;
    (void)Run("xdotool mousemove --window " + id + " " + std::to_string(width - 20) +
              " 20 click 1");
    return WaitFor([] { return VisibleMainWindow().empty(); }, std::chrono::seconds(5));
}

// Clicks the keyboard's item in the selector bar (the second item, at DPI 96: the mouse,
// the keyboard, the headset, the mousepad), so that the keyboard's page is the one shown.
bool ShowKeyboardPage() {
    const std::string id = VisibleMainWindow();
    if (id.empty()) return false;
    (void)Run("xdotool mousemove --window " + id + " 150 80 click 1");
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    return true;
}

// A temporary user data folder whose selected profile of every kind shows an animated
// effect; empty when it cannot be made.
std::filesystem::path AnimatedProfiles(int keyboard_effect) {
    std::string pattern = (std::filesystem::temp_directory_path() / "dz-bench-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr) return {};
    setenv("DOZADIR_DATA_HOME", pattern.c_str(), 1);
    struct Kind {
        const char* name;
        int type;
        int effect;
    };
    for (const Kind& k :
         {Kind{"keyboard", dz::TYPE_KEYBOARD, keyboard_effect}, Kind{"mouse", dz::TYPE_MOUSE, 0},
          Kind{"MousePad", dz::TYPE_MOUSEPAD, 0}, Kind{"HD", dz::TYPE_HEADSET, 0}}) {
        const std::filesystem::path folder = dz::paths::KindDataFolder(k.name);
        if (!dz::paths::EnsureFolder(folder)) return {};
        dz::ProfileStore store(folder, dz::paths::DefaultDataFile(k.name), k.type);
        store.Initialise();
        const std::filesystem::path file = store.GetProfilePath(store.GetSelectedIndex());
        Json::Value root = dz::ReadJsonFile(file);
        root["Device"][0]["LightInfo"]["SelectItem"] = k.effect;
        // The audio effect's spectrum columns in white over black.
        if (k.effect == 29) {
            Json::Value& audio = root["Device"][0]["AudioLightInfo"];
            audio["AudioMode"] = 0;
            audio["FgColorR"] = audio["FgColorG"] = audio["FgColorB"] = 255;
        }
        if (!dz::TryWriteJsonFile(file, root)) return {};
    }
    return pattern;
}

// The capture program started by the application: the process named after it.
pid_t FindCaptureProgram() {
    std::error_code ec;
    for (const auto& entry : std::filesystem::directory_iterator("/proc", ec)) {
        std::ifstream comm(entry.path() / "comm");
        std::string name;
        if (std::getline(comm, name) && name.rfind("dozadir-audio-r", 0) == 0)
            return static_cast<pid_t>(std::atoi(entry.path().filename().c_str()));
    }
    return -1;
}

// A 440 Hz tone whose loudness swells and fades every two seconds, until stopped.
class SwellingTone {
  public:
    bool Start() {
        const pa_sample_spec format{PA_SAMPLE_S16LE, 44100, 1};
        stream_ = pa_simple_new(nullptr, "bench", PA_STREAM_PLAYBACK, nullptr, "tone", &format,
                                nullptr, nullptr, nullptr);
        if (stream_ == nullptr) return false;
        thread_ = std::thread([this] {
            std::vector<int16_t> block(441);
            size_t n = 0;
            while (!stop_) {
                for (int16_t& v : block) {
                    const double t = double(n++) / 44100;
                    const double loud = 0.5 + 0.5 * std::sin(2 * M_PI * t / 2);
                    v = static_cast<int16_t>(20000 * loud * std::sin(2 * M_PI * 440 * t));
                }
                if (pa_simple_write(stream_, block.data(), block.size() * 2, nullptr) < 0) break;
            }
        });
        return true;
    }
    ~SwellingTone() {
        stop_ = true;
        if (thread_.joinable()) thread_.join();
        if (stream_ != nullptr) pa_simple_free(stream_);
    }

  private:
    pa_simple* stream_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
};

}  // namespace

int main(int argc, char** argv) {
    const bool audio = argc > 1 && std::strcmp(argv[1], "--audio") == 0;
    if (audio) {
        --argc;
        ++argv;
    }
    const bool animate = audio || (argc > 1 && std::strcmp(argv[1], "--animate") == 0);
    if (animate && !audio) {
        --argc;
        ++argv;
    }
    dz::test::PulseServer pulse;
    SwellingTone tone;
    if (audio) {
        if (!pulse.Start(dz::test::PulseServer::OneSink())) {
            std::fprintf(stderr, "app_cpu_bench: no sound server: %s\n", pulse.Error().c_str());
            return 1;
        }
        pulse.Apply();
        if (!tone.Start()) {
            std::fprintf(stderr, "app_cpu_bench: the tone could not be played\n");
            return 1;
        }
    }
    if (argc < 2) {
        std::fprintf(stderr,
                     "usage: app_cpu_bench [--animate] PATH-TO-dozadir-keyboard [SECONDS]\n");
        return 1;
    }
    std::filesystem::path animated;
    if (animate) {
        animated = AnimatedProfiles(audio ? 29 : 1);
        if (animated.empty()) {
            std::fprintf(stderr, "app_cpu_bench: the animated profiles could not be written\n");
            return 1;
        }
    }
    const int seconds = argc > 2 ? std::max(1, std::atoi(argv[2])) : 10;
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "app_cpu_bench: no DISPLAY (run it under xvfb-run -a)\n");
        return 1;
    }
    const char* with_hidraw = std::getenv("DOZADIR_BENCH_HIDRAW");
    const bool hidraw = with_hidraw != nullptr && std::strcmp(with_hidraw, "1") == 0;
    const char* devices = std::getenv("DOZADIR_BENCH_DEVICES");
    const std::string simulate =
        devices != nullptr && *devices != 0 ? std::string("--simulate=") + devices : "--simulate";
    const pid_t pid = fork();
    if (pid == 0) {
        if (!hidraw) setenv("DOZADIR_NO_HIDRAW", "1", 1);
        execl(argv[1], argv[1], simulate.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0) return 1;
    auto stop = [pid, animated] {
        kill(pid, SIGTERM);
        int status = 0;
        waitpid(pid, &status, 0);
        std::error_code ec;
        if (!animated.empty()) std::filesystem::remove_all(animated, ec);
    };
    // Start-up, the first synchronisation of every device and the first frames.
    if (!WaitFor([] { return !VisibleMainWindow().empty(); }, std::chrono::seconds(20))) {
        std::fprintf(stderr, "app_cpu_bench: the main window did not appear\n");
        stop();
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(4));
    if (animate && !ShowKeyboardPage()) {
        std::fprintf(stderr, "app_cpu_bench: the keyboard's page could not be shown\n");
        stop();
        return 1;
    }
    std::printf("%s application, emulated: %s%s\n",
                audio     ? "audio (keyboard page: effect 29 lit by a tone, capture program running)"
                : animate ? "animated (keyboard page: effect 1, every device an animated effect)"
                          : "idle",
                devices != nullptr && *devices != 0 ? devices : "all four devices",
                hidraw ? ", hidraw listed" : "");
    const pid_t capture = audio ? FindCaptureProgram() : -1;
    if (audio && capture < 0) {
        std::fprintf(stderr, "app_cpu_bench: the capture program does not run\n");
        stop();
        return 1;
    }
    Measurement capture_cpu;
    std::thread capture_measure;
    if (audio) capture_measure = std::thread([&] { capture_cpu = Measure(capture, seconds); });
    const Measurement visible = Measure(pid, seconds);
    if (capture_measure.joinable()) capture_measure.join();
    if (audio) Print("capture program", capture_cpu);
    if (!visible.ok) {
        std::fprintf(stderr, "app_cpu_bench: the application ended early\n");
        stop();
        return 1;
    }
    Print("window visible", visible);
    if (!HideToTray()) {
        std::fprintf(stderr, "app_cpu_bench: the window could not be hidden to the tray\n");
        stop();
        return 1;
    }
    std::this_thread::sleep_for(std::chrono::seconds(1));
    const Measurement hidden = Measure(pid, seconds);
    stop();
    if (!hidden.ok) {
        std::fprintf(stderr, "app_cpu_bench: the application ended early\n");
        return 1;
    }
    Print("hidden to the tray", hidden);
    return 0;
}
