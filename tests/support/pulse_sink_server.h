#pragma once
// A private sound server for a test with one null sink (the default output), header-only: pulseaudio with its own runtime folder, a null sink
// ("dz_test_sink", the default output) and a socket only this test knows. Start() waits for
// the socket (inotify, no polling sleeps); Environment() gives what a child process needs to
// reach it, Apply() puts it into this process's environment (libpulse clients of the test
// and the programs it starts then use this server). The destructor ends the server.

#include <signal.h>
#include <spawn.h>
#include <sys/inotify.h>
#include <sys/wait.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <string>
#include <vector>

extern char** environ;

namespace dz::test {

class PulseSinkServer {
  public:
    static constexpr const char* kSinkName = "dz_test_sink";

    PulseSinkServer() {
        std::string pattern = (std::filesystem::temp_directory_path() / "dz-pulse-XXXXXX").string();
        if (::mkdtemp(pattern.data()) != nullptr) dir_ = pattern;
    }
    ~PulseSinkServer() {
        Stop();
        std::error_code ec;
        if (!dir_.empty()) std::filesystem::remove_all(dir_, ec);
    }
    PulseSinkServer(const PulseSinkServer&) = delete;
    PulseSinkServer& operator=(const PulseSinkServer&) = delete;

    // Starts the server and waits up to `timeout` for its socket. False with Error() set.
    bool Start(std::chrono::milliseconds timeout = std::chrono::seconds(10)) {
        if (dir_.empty()) return Fail("no temporary folder");
        const std::filesystem::path script = dir_ / "test.pa";
        {
            std::ofstream pa(script);
            // The socket comes last, so that it appearing means the sink is there.
            pa << "load-module module-null-sink sink_name=" << kSinkName
               << " rate=44100 channels=2\n"
               << "set-default-sink " << kSinkName << "\n"
               << "load-module module-native-protocol-unix auth-anonymous=1 socket="
               << Socket().string() << "\n";
        }
        const int watch_fd = inotify_init1(IN_CLOEXEC | IN_NONBLOCK);
        if (watch_fd < 0) return Fail("no inotify");
        (void)inotify_add_watch(watch_fd, dir_.c_str(), IN_CREATE | IN_MOVED_TO);
        std::vector<std::string> env_strings;
        for (char** e = environ; *e != nullptr; ++e) {
            const std::string kv = *e;
            if (kv.rfind("PULSE_", 0) == 0 || kv.rfind("XDG_RUNTIME_DIR=", 0) == 0 ||
                kv.rfind("HOME=", 0) == 0)
                continue;
            env_strings.push_back(kv);
        }
        env_strings.push_back("HOME=" + dir_.string());
        env_strings.push_back("XDG_RUNTIME_DIR=" + dir_.string());
        env_strings.push_back("PULSE_RUNTIME_PATH=" + (dir_ / "runtime").string());
        env_strings.push_back("PULSE_STATE_PATH=" + (dir_ / "state").string());
        std::vector<char*> envp;
        for (std::string& s : env_strings) envp.push_back(s.data());
        envp.push_back(nullptr);
        std::vector<std::string> args{"pulseaudio",        "-n",
                                      "--daemonize=no",    "--exit-idle-time=-1",
                                      "--use-pid-file=no", "--disallow-exit",
                                      "--log-target=stderr", "--log-level=error",
                                      "-F",                script.string()};
        std::vector<char*> argv;
        for (std::string& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        if (posix_spawnp(&pid_, "pulseaudio", nullptr, nullptr, argv.data(), envp.data()) != 0) {
            pid_ = -1;
            ::close(watch_fd);
            return Fail("pulseaudio could not be started (is it installed?)");
        }
        const auto deadline = std::chrono::steady_clock::now() + timeout;
        bool ready = std::filesystem::exists(Socket());
        while (!ready) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0) break;
            pollfd p{watch_fd, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(left.count())) > 0) {
                char buf[4096];
                while (::read(watch_fd, buf, sizeof(buf)) > 0) {
                }
            }
            ready = std::filesystem::exists(Socket());
            int status = 0;
            if (!ready && ::waitpid(pid_, &status, WNOHANG) == pid_) {
                pid_ = -1;
                ::close(watch_fd);
                return Fail("pulseaudio ended at start");
            }
        }
        ::close(watch_fd);
        if (!ready) return Fail("the server's socket did not appear");
        return true;
    }

    void Stop() {
        if (pid_ <= 0) return;
        ::kill(pid_, SIGTERM);
        int status = 0;
        (void)::waitpid(pid_, &status, 0);
        pid_ = -1;
    }

    [[nodiscard]] std::filesystem::path Socket() const { return dir_ / "native"; }
    [[nodiscard]] std::string Address() const { return "unix:" + Socket().string(); }
    [[nodiscard]] std::map<std::string, std::string> Environment() const {
        return {{"PULSE_SERVER", Address()}};
    }
    // Points this process (and what it starts afterwards) at the server.
    void Apply() const {
        for (const auto& [k, v] : Environment()) ::setenv(k.c_str(), v.c_str(), 1);
    }
    [[nodiscard]] const std::string& Error() const { return error_; }
    [[nodiscard]] bool Running() const { return pid_ > 0; }

  private:
    bool Fail(std::string why) {
        error_ = std::move(why);
        return false;
    }

    std::filesystem::path dir_;
    pid_t pid_ = -1;
    std::string error_;
};

}  // namespace dz::test
