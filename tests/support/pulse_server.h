#pragma once
// A private sound server for a test or benchmark: pulseaudio with its own runtime folder
// and socket, started with the modules the test names (null sinks and sources with the
// properties it wants; OneSink() is a null sink as the default output). Start() waits for
// the socket to appear (inotify, no sleeps); the server is then this process's server
// (PULSE_SERVER), Environment() gives what a child process needs to reach it, and Pactl()
// asks it. The destructor ends it.

#include <chrono>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

namespace dz::test {

class PulseServer {
  public:
    static constexpr const char* kSinkName = "dz_test_sink";
    // A null sink kSinkName (44.1 kHz stereo), the default output.
    [[nodiscard]] static std::vector<std::string> OneSink();

    PulseServer();
    ~PulseServer();
    PulseServer(const PulseServer&) = delete;
    PulseServer& operator=(const PulseServer&) = delete;

    // `modules`: lines of a pulseaudio script ("load-module module-null-sink ..."). False
    // with Error() set when the server did not come up within `timeout`.
    bool Start(const std::vector<std::string>& modules,
               std::chrono::milliseconds timeout = std::chrono::seconds(10));
    // Ends the server and waits for it.
    void Stop();
    [[nodiscard]] bool Running() const { return pid_ > 0; }
    [[nodiscard]] std::string Address() const { return "unix:" + Socket().string(); }
    [[nodiscard]] const std::string& Error() const { return error_; }
    [[nodiscard]] std::map<std::string, std::string> Environment() const {
        return {{"PULSE_SERVER", Address()}};
    }
    // Points this process (and what it starts afterwards) at the server again, after
    // something else changed PULSE_SERVER.
    void Apply() const;
    // What `pactl ARGS` prints against this server (stdout).
    [[nodiscard]] std::string Pactl(const std::string& args) const;

  private:
    [[nodiscard]] std::filesystem::path Socket() const { return dir_ / "native"; }
    bool Fail(std::string why);

    std::filesystem::path dir_;
    int pid_ = -1;
    std::string error_;
};

}  // namespace dz::test
