#include "support/pulse_server.h"

#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <cstring>
#include <cstdio>
#include <cstdlib>
#include <fstream>

extern char** environ;

namespace dz::test {

std::vector<std::string> PulseServer::OneSink() {
    return {std::string("load-module module-null-sink sink_name=") + kSinkName + " rate=44100 channels=2",
            std::string("set-default-sink ") + kSinkName};
}

void PulseServer::Apply() const {
    for (const auto& [k, v] : Environment()) ::setenv(k.c_str(), v.c_str(), 1);
}

PulseServer::PulseServer() {
    std::string pattern = (std::filesystem::temp_directory_path() / "dz-pulse-XXXXXX").string();
    if (::mkdtemp(pattern.data()) != nullptr) dir_ = pattern;
}

PulseServer::~PulseServer() {
    Stop();
    std::error_code ec;
    if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
}

bool PulseServer::Fail(std::string why) {
    error_ = std::move(why);
    Stop();
    return false;
}

bool PulseServer::Start(const std::vector<std::string>& modules,
                        std::chrono::milliseconds timeout) {
    if (dir_.empty()) return Fail("no temporary folder");
    const std::filesystem::path script = dir_ / "test.pa";
    {
        std::ofstream pa(script);
        for (const std::string& line : modules) pa << line << "\n";
        // The socket comes last: when it appears, everything before it is loaded.
        pa << "load-module module-native-protocol-unix auth-anonymous=1 socket="
           << Socket().string() << "\n";
    }
    // A socket left by a server of before would be taken for this one's before it is up.
    std::error_code stale;
    std::filesystem::remove(Socket(), stale);
    const int watch = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
    if (watch < 0) return Fail("no inotify");
    (void)inotify_add_watch(watch, dir_.c_str(), IN_CREATE | IN_MOVED_TO);
    std::vector<std::string> env;
    for (char** e = environ; *e != nullptr; ++e) {
        const std::string kv = *e;
        if (kv.rfind("PULSE_", 0) == 0 || kv.rfind("XDG_RUNTIME_DIR=", 0) == 0 ||
            kv.rfind("HOME=", 0) == 0)
            continue;
        env.push_back(kv);
    }
    env.push_back("HOME=" + dir_.string());
    env.push_back("XDG_RUNTIME_DIR=" + dir_.string());
    env.push_back("PULSE_RUNTIME_PATH=" + (dir_ / "runtime").string());
    env.push_back("PULSE_STATE_PATH=" + (dir_ / "state").string());
    std::vector<char*> envp;
    for (std::string& s : env) envp.push_back(s.data());
    envp.push_back(nullptr);
    std::vector<std::string> args{"pulseaudio",          "-n",
                                  "--daemonize=no",      "--exit-idle-time=-1",
                                  "--use-pid-file=no",   "--disallow-exit",
                                  "--log-target=stderr", "--log-level=error",
                                  "-F",                  script.string()};
    std::vector<char*> argv;
    for (std::string& a : args) argv.push_back(a.data());
    argv.push_back(nullptr);
    pid_t pid = -1;
    if (posix_spawnp(&pid, "pulseaudio", nullptr, nullptr, argv.data(), envp.data()) != 0) {
        ::close(watch);
        return Fail("pulseaudio could not be started");
    }
    pid_ = pid;
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    std::error_code ec;
    while (!std::filesystem::exists(Socket(), ec)) {
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        int status = 0;
        if (left.count() <= 0 || ::waitpid(pid_, &status, WNOHANG) == pid_) {
            if (left.count() > 0) pid_ = -1;  // it ended by itself
            ::close(watch);
            return Fail("the sound server did not come up");
        }
        pollfd p{watch, POLLIN, 0};
        // Woken by a new file in the folder; the bound lets a dead server be noticed.
        (void)::poll(&p, 1, static_cast<int>(std::min<long>(left.count(), 200)));
        std::array<char, 4096> drain;
        while (::read(watch, drain.data(), drain.size()) > 0) {
        }
    }
    ::close(watch);
    // The file is there from bind(); connections are taken from listen() on, a moment
    // later: until then a client is refused.
    for (;;) {
        const int fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::strncpy(address.sun_path, Socket().c_str(), sizeof address.sun_path - 1);
        const bool taken =
            fd >= 0 && ::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
        if (fd >= 0) ::close(fd);
        if (taken) break;
        if (std::chrono::steady_clock::now() >= deadline) return Fail("the sound server takes no connection");
        (void)::poll(nullptr, 0, 5);
    }
    Apply();
    return true;
}

void PulseServer::Stop() {
    if (pid_ <= 0) return;
    ::kill(pid_, SIGTERM);
    int status = 0;
    (void)::waitpid(pid_, &status, 0);
    pid_ = -1;
}

std::string PulseServer::Pactl(const std::string& args) const {
    const std::string command = "PULSE_SERVER='" + Address() + "' pactl " + args + " 2>/dev/null";
    std::string out;
    if (FILE* p = ::popen(command.c_str(), "r")) {
        std::array<char, 4096> buf;
        size_t n = 0;
        while ((n = std::fread(buf.data(), 1, buf.size(), p)) > 0) out.append(buf.data(), n);
        (void)::pclose(p);
    }
    return out;
}

}  // namespace dz::test
