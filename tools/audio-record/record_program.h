#pragma once
// The capture program's window on the session bus. While it runs it holds its presence
// (the bus name of "<title>AudioRecord") and owns the window "<title>AUDIORECORD", which
// takes the commands of the registered message "{4695579F-...BE19}" and the colour block:
//   0  lParam: the main window's handle. The connection that sends it becomes the window
//      the sample packets go to; when that connection leaves the bus, the program ends.
//   3  drops the sound buffered so far (the first packet after it is the sound of now)
//   1  starts sending sample packets        2  stops sending them
//   4  forgets the main window              5  ends the program
//   6, 7, 8  lParam 0..255: red, green, blue of the direct colour, sent back at once as a
//      colour packet (the keyboard's host-colour effect shows it)
//   colour block (data 10, 40 bytes): the current style's colour; kept, shown with -v.
// Sample packets (data 1) carry 500 values, one packet per 500 samples (88.2 a second);
// of a silence, only the first few (silence_gate.h).

#include <QDBusConnection>
#include <QDBusServiceWatcher>
#include <QObject>
#include <QString>
#include <array>
#include <atomic>
#include <memory>
#include <mutex>
#include <thread>

#include "platform/ipc/window_endpoint.h"
#include "pulse_capture.h"
#include "silence_gate.h"

namespace dz::audio_record {

inline constexpr const char* kAppTitle = "Dozadir Keyboard";
inline constexpr const char* kCommandMessage = "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}";
inline constexpr int64_t kSampleTag = 1;
inline constexpr int64_t kColourTag = 2;
inline constexpr int64_t kColourBlockTag = 10;

// The bus names of the presence and of the window for an application title.
[[nodiscard]] QString PresenceName(const QString& title);
[[nodiscard]] QString WindowName(const QString& title);

class RecordProgram : public QObject {
    Q_OBJECT
  public:
    RecordProgram(QDBusConnection bus, QString title, bool verbose);
    ~RecordProgram() override;

    // Takes the presence and the window and opens the capture. Answers the exit code to
    // end with at once (with a line on stderr), or 0 to run.
    [[nodiscard]] int Start();
    // "-q": no line when there is no sound server (the exit code says it).
    void SetQuietWithoutServer(bool quiet) { quiet_without_server_ = quiet; }
    // The exit code once the program ended by itself (the server went away: 3).
    [[nodiscard]] int ExitCode() const { return exit_code_.load(); }

  private:
    int64_t OnCommand(const ipc::BusMessage& m);
    void OnColourBlock(int64_t tag, const QByteArray& bytes);
    void SendColourPacket();
    void CaptureLoop();
    void StopCapture();
    void Quit(int code);

    QDBusConnection bus_;
    QString title_;
    bool verbose_ = false;
    std::unique_ptr<ipc::WindowEndpoint> window_;
    bool presence_held_ = false;
    bool quiet_without_server_ = false;
    PulseCapture capture_;
    SilenceGate silence_;  // the capture thread's own
    std::thread capture_thread_;
    std::atomic<bool> sending_{false};
    std::atomic<int> exit_code_{0};
    std::mutex target_lock_;
    QString target_;  // the unique bus name the packets go to
    QDBusServiceWatcher watcher_;
    std::array<int32_t, 3> direct_colour_{};
    std::array<int32_t, 3> style_colour_{};
};

}  // namespace dz::audio_record
