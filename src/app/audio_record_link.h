#pragma once
// The main window's link to the audio capture program: starting it, watching that it
// runs (its presence on the bus) and starting it again when it has gone, the handshake
// that makes it send sample packets here, the commands and the style colour, and telling
// it to stop. No call waits on the program from the UI thread: commands and the colour
// block go out without waiting for the answer (the colour block is given up after 1500 ms).

#include <QDBusConnection>
#include <QString>
#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>

#include "app/worker_table.h"

namespace dz::app {

inline constexpr int kColourBlockTimeoutMs = 1500;

class AudioRecordLink {
  public:
    struct Config {
        QDBusConnection bus;
        QString program;  // the capture program's path
        QString title;    // the application title, prefix of its presence and window names
        // The program could not be started ("Record open failed!"). Called on the thread
        // that tried (the daemon's); the callee hands it to the UI thread.
        std::function<void()> launch_failed;
    };
    explicit AudioRecordLink(Config config);

    [[nodiscard]] QString PresenceName() const;  // the presence's bus name
    [[nodiscard]] QString WindowName() const;    // the capture window's name
    [[nodiscard]] bool PresenceHeld() const;
    [[nodiscard]] bool BusConnected() const { return config_.bus.isConnected(); }
    // Starts the program, hidden and detached. False (and launch_failed) when it cannot.
    // After a start that did not come up (no sound server: the program says so and ends),
    // the next starts get "-q" and stay quiet about it, until one comes up again: the
    // daemon starts a new one every second, and its line once is enough.
    bool Launch();
    [[nodiscard]] bool LaunchesQuiet() const { return quiet_.load(); }
    // Looks for the program's window and, when it is there, sends the commands 0 (with
    // this process's handle), 3 and 1. Any thread.
    void Handshake();
    // The commands 2, 4 and 5, when the window is there (the main window is going).
    void StopProgram();
    // A command with its argument, when the window is known (the direct colour sliders).
    void SendCommand(int command, int64_t argument);
    // The colour block, when the window is known; "2222222222" in the debug output when
    // the program has not taken it within 1500 ms.
    void SendColourBlock(const std::array<uint8_t, 40>& block);
    [[nodiscard]] bool WindowKnown() const { return window_known_.load(); }

    // The daemon's loop (worker slot 1): every second, start the program again when its
    // presence is missing, then shake hands with it half a second later.
    void RunDaemon(const StopEvent& stop);
    // Rounds in which the daemon started the program (tests and the log).
    [[nodiscard]] int Relaunches() const { return relaunches_.load(); }
    // Colour blocks the program did not take in time.
    [[nodiscard]] int ColourBlocksGivenUp() const { return colour_blocks_given_up_->load(); }

  private:
    std::atomic<bool> quiet_{false};
    std::atomic<bool> started_{false};
    void Command(int command, int64_t argument, bool wait);

    Config config_;
    std::atomic<bool> window_known_{false};
    std::atomic<int> relaunches_{0};
    // Shared with the pending answers, which may come after the link has gone.
    std::shared_ptr<std::atomic<int>> colour_blocks_given_up_ = std::make_shared<std::atomic<int>>(0);
};

}  // namespace dz::app
