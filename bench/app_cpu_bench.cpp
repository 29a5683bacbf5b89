// CPU use of the running application with the four emulated devices connected and their
// previews running: starts `dozadir-keyboard --simulate`, lets the devices synchronise,
// then reads the process's user and system time over a measured interval and prints it
// as a percentage of one core. Run it on an X server (xvfb-run -a app_cpu_bench APP).
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>

namespace {

// utime + stime of a process, in clock ticks; -1 when it cannot be read.
long long CpuTicks(pid_t pid) {
    std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: app_cpu_bench PATH-TO-dozadir-keyboard [SECONDS]\n");
        return 1;
    }
    const int seconds = argc > 2 ? std::atoi(argv[2]) : 10;
    if (std::getenv("DISPLAY") == nullptr) {
        std::fprintf(stderr, "app_cpu_bench: no DISPLAY (run it under xvfb-run -a)\n");
        return 1;
    }
    const pid_t pid = fork();
    if (pid == 0) {
        setenv("DOZADIR_NO_HIDRAW", "1", 1);
        execl(argv[1], argv[1], "--simulate", static_cast<char*>(nullptr));
        _exit(127);
    }
    if (pid < 0) return 1;
    // Start-up, the first synchronisation of every device and the first frames.
    std::this_thread::sleep_for(std::chrono::seconds(4));
    const long long ticks_per_s = sysconf(_SC_CLK_TCK);
    const long long start = CpuTicks(pid);
    const auto t0 = std::chrono::steady_clock::now();
    std::this_thread::sleep_for(std::chrono::seconds(seconds));
    const long long end = CpuTicks(pid);
    const double wall =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
    kill(pid, SIGTERM);
    int status = 0;
    waitpid(pid, &status, 0);
    if (start < 0 || end < 0) {
        std::fprintf(stderr, "app_cpu_bench: the application ended early\n");
        return 1;
    }
    const double cpu_s = static_cast<double>(end - start) / static_cast<double>(ticks_per_s);
    std::printf("application CPU over %.1f s with 4 emulated devices: %.2f %% of one core\n", wall,
                100.0 * cpu_s / wall);
    return 0;
}
