// Audio-reactive lighting in the main window on a real X server and a private session bus
// (run under xvfb-run and dbus-run-session), with the emulated keyboard in the process and
// a private sound server whose null sink plays a tone the test generates: the capture
// program is started by the window, its packets light the keyboard's audio effect while
// the tone plays, it is started again when it is killed, and a program that cannot be
// started is reported.
#include <gtest/gtest.h>

#include <pulse/error.h>
#include <pulse/simple.h>
#include <signal.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QSlider>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusReply>
#include <QMessageBox>
#include <QTimer>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <cmath>
#include <thread>

#include "app/app_setup.h"
#include "app/layout_rules.h"
#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "models/keyboard_device.h"
#include "platform/hid/hid_backend.h"
#include "platform/paths/paths.h"
#include "sim/emulator.h"
#include "support/pulse_server.h"
#include "support/pulse_tone.h"
#include "support/qt_app.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"
#include "ui/control_ops.h"

namespace dz::app {
namespace {

using Clock = std::chrono::steady_clock;
using sim::DeviceKind;
using sim::Link;
using test::WaitUntil;

// Plays a sine tone on the default output of the test's server until stopped; the time of
// its first sample written is its start.
class TonePlayer {
  public:
    explicit TonePlayer(double hz) : hz_(hz) {}
    ~TonePlayer() { Stop(); }
    bool Start() {
        const pa_sample_spec format{PA_SAMPLE_S16LE, 44100, 1};
        // No prebuffering and a short buffer: the tone is heard as soon as it is written.
        pa_buffer_attr attr{};
        attr.maxlength = static_cast<uint32_t>(-1);
        attr.tlength = 44100 * 2 / 50;  // 20 ms
        attr.prebuf = 0;
        attr.minreq = static_cast<uint32_t>(-1);
        int err = 0;
        stream_ = pa_simple_new(nullptr, "tone", PA_STREAM_PLAYBACK, nullptr, "tone", &format,
                                nullptr, &attr, &err);
        if (stream_ == nullptr) return false;
        thread_ = std::thread([this] {
            std::array<int16_t, 441> block{};  // 10 ms
            size_t n = 0;
            bool first = true;
            while (!stop_.load()) {
                for (int16_t& s : block)
                    s = static_cast<int16_t>(16000 * std::sin(2 * M_PI * hz_ * double(n++) / 44100));
                if (first) start_ = Clock::now();
                first = false;
                int e = 0;
                if (pa_simple_write(stream_, block.data(), sizeof(block), &e) < 0) break;
            }
        });
        return true;
    }
    void Stop() {
        stop_.store(true);
        if (thread_.joinable()) thread_.join();
        if (stream_ != nullptr) pa_simple_free(stream_);
        stream_ = nullptr;
        stopped_ = Clock::now();
    }
    [[nodiscard]] Clock::time_point Started() const { return start_; }

  private:
    double hz_;
    pa_simple* stream_ = nullptr;
    std::thread thread_;
    std::atomic<bool> stop_{false};
    Clock::time_point start_{};
    Clock::time_point stopped_{};
};

constexpr int kEffectAudio = 29;

class AudioWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        test::TestApplication();
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run under xvfb-run";
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
        ASSERT_TRUE(pulse_.Start(dz::test::PulseServer::OneSink())) << pulse_.Error();
        pulse_.Apply();
        // The tone is to be heard when it is played, as on a sound card.
        ASSERT_TRUE(live_.Start());
        // The program beside the application in the build tree.
        qputenv("DOZADIR_AUDIO_RECORD", DZ_AUDIO_RECORD_BIN);
        qputenv("XDG_DATA_HOME", data_.path().c_str());
        SetupResources(ProgramFolder());
        emulator_ = std::make_unique<sim::Emulator>(sim::EmulatorConfig{});
        emulator_->SetLatency(std::chrono::microseconds(0));
        hid::BackendRegistry::Instance().Add(emulator_->Backend());
    }
    void OpenWindow() {
        // A program of an earlier test is gone first, so that the one seen is this window's.
        ASSERT_TRUE(WaitUntil([] { return !PresenceHeld(); }, 10000));
        wnd_ =
            std::make_unique<CMainWnd>(QDBusConnection::sessionBus(), QDBusConnection::systemBus());
        ASSERT_TRUE(wnd_->Core().OpenBus());
        wnd_->resize(kMainWindowWidth, kMainWindowHeight);
        ASSERT_TRUE(wnd_->Create());
        wnd_->show();
        ASSERT_TRUE(emulator_->Plug(DeviceKind::kKeyboard, Link::kCable));
        ASSERT_TRUE(
            WaitUntil([&] { return Keyboard() != nullptr && Keyboard()->TablesRead(); }, 5000));
    }
    void TearDown() override {
        if (wnd_) wnd_->OnExit();
        wnd_.reset();
        // The program ends when told to stop, with the window's name gone at the latest.
        WaitUntil([&] { return !PresenceHeld(); }, 3000);
        hid::BackendRegistry::Instance().Remove(emulator_->Backend().get());
        emulator_.reset();
    }

    CRezazodaKeyboardDevice* Keyboard() {
        const auto& list = wnd_->Devices().DevicesOfKind(kKindKeyboard);
        return list.empty() ? nullptr : qobject_cast<CRezazodaKeyboardDevice*>(list.front());
    }
    static bool PresenceHeld() {
        const QDBusReply<bool> r = QDBusConnection::sessionBus().interface()->isServiceRegistered(
            QStringLiteral("org.dozadir.Keyboard.Dozadir_KeyboardAudioRecord"));
        return r.isValid() && r.value();
    }
    static uint ProgramPid() {
        const QDBusReply<uint> r = QDBusConnection::sessionBus().interface()->servicePid(
            QStringLiteral("org.dozadir.Keyboard.Dozadir_KeyboardAudioRecord"));
        return r.isValid() ? r.value() : 0;
    }
    // The keyboard on its audio effect, spectrum columns in white over black.
    void AudioEffectOn() {
        CRezazodaKeyboardDevice* k = Keyboard();
        k->SetAudioLightInfo(0, 0x00FFFFFF, 1);
        LightRecord r = k->GetLightRecord();
        r[0] = kEffectAudio;
        r[1] = 4;
        k->SetLightRecord(r);
        (void)k->ApplyLighting();
    }
    // Lights that show the lit colour (the background is black).
    int LitLights() {
        int lit = 0;
        const auto& leds = Keyboard()->Leds();
        for (size_t i = 0; i < leds.Size(); ++i) {
            const lighting::LedRecord l = leds.Get(i);
            lit += (l.red | l.green | l.blue) != 0 && l.alpha != 0;
        }
        return lit;
    }

    test::PulseServer pulse_;
    test::LiveOutput live_{test::PulseServer::kSinkName};
    test::TempFolder data_;
    std::unique_ptr<sim::Emulator> emulator_;
    std::unique_ptr<CMainWnd> wnd_;
};

TEST_F(AudioWindowTest, ATonePlayedLightsTheAudioEffectAndItsEndDarkensIt) {
    OpenWindow();
    ASSERT_TRUE(WaitUntil([] { return PresenceHeld(); }, 5000)) << "capture program started";
    ASSERT_TRUE(WaitUntil([&] { return wnd_->Audio().Link().WindowKnown(); }, 5000));
    AudioEffectOn();
    // Silence first lights nothing: the effect's first steps show its black background (the
    // capture program sends the first dozen packets of a silence, maybe before the keyboard
    // is there, and then none until there is sound).
    ASSERT_TRUE(WaitUntil([&] { return LitLights() == 0; }, 5000)) << "dark in the silence";

    TonePlayer tone(1000);
    ASSERT_TRUE(tone.Start());
    Clock::time_point first_lit{};
    ASSERT_TRUE(WaitUntil(
        [&] {
            if (LitLights() == 0) return false;
            first_lit = Clock::now();
            return true;
        },
        5000))
        << "the tone lights the keyboard";
    const auto delay =
        std::chrono::duration_cast<std::chrono::milliseconds>(first_lit - tone.Started());
    RecordProperty("tone_to_first_light_ms", static_cast<int>(delay.count()));
    std::printf("tone start to first lit light: %lld ms\n", static_cast<long long>(delay.count()));
    // It keeps moving while the tone plays.
    const uint64_t version = Keyboard()->Leds().Version();
    EXPECT_TRUE(WaitUntil([&] { return Keyboard()->Leds().Version() != version; }, 2000));

    // The silence after it darkens the keyboard: the packets that are sent of it bring the
    // bands down to nothing.
    tone.Stop();
    ASSERT_TRUE(WaitUntil([&] { return LitLights() == 0; }, 5000)) << "dark after the tone";
}

// The direct colour sliders on the keyboard page, on its host colour effect: each value
// goes to the capture program as command 6, 7 or 8, which answers with a colour packet,
// and the keyboard's lights take the colour; the slider's label shows the value. The
// keyboard's lighting record is not what changes.
TEST_F(AudioWindowTest, TheDirectColourSlidersColourTheKeyboardThroughTheProgram) {
    OpenWindow();
    ASSERT_TRUE(WaitUntil([&] { return wnd_->Audio().Link().WindowKnown(); }, 5000));
    CRezazodaKeyboardDevice* k = Keyboard();
    auto* modes = k->findChild<QComboBox*>(QStringLiteral("light_combo_modeSelect"));
    ASSERT_NE(modes, nullptr);
    modes->setCurrentIndex(30);
    ASSERT_EQ(k->GetLightRecord()[0], 30);
    const LightRecord record = k->GetLightRecord();
    // Every light in one colour, lit.
    auto all_lights = [&](uint8_t r, uint8_t g, uint8_t b) {
        const auto& leds = k->Leds();
        for (size_t i = 0; i < leds.Size(); ++i) {
            const lighting::LedRecord l = leds.Get(i);
            if (l.red != r || l.green != g || l.blue != b || l.alpha == 0) return false;
        }
        return leds.Size() > 0;
    };
    struct Step {
        const char* slider;
        const char* label;
        int value;
        std::array<uint8_t, 3> shown;
    };
    for (const Step& s : {Step{"R_light_slider", "R_light_label", 200, {200, 0, 0}},
                          Step{"G_light_slider", "G_light_label", 100, {200, 100, 0}},
                          Step{"B_light_slider", "B_light_label", 30, {200, 100, 30}},
                          Step{"R_light_slider", "R_light_label", 0, {0, 100, 30}}}) {
        auto* slider = k->findChild<QSlider*>(QString::fromLatin1(s.slider));
        ASSERT_NE(slider, nullptr) << s.slider;
        ASSERT_TRUE(slider->isVisibleTo(wnd_.get())) << s.slider;
        slider->setValue(s.value);
        EXPECT_EQ(k->findChild<QLabel*>(QString::fromLatin1(s.label))->text(),
                  QStringLiteral("%1 %2").arg(QLatin1Char(s.slider[0])).arg(s.value));
        EXPECT_TRUE(WaitUntil([&] { return all_lights(s.shown[0], s.shown[1], s.shown[2]); }, 3000))
            << s.slider << " " << s.value;
    }
    EXPECT_EQ(k->GetLightRecord(), record);
}

TEST_F(AudioWindowTest, AKilledProgramIsStartedAgainAndSendsToTheWindowAgain) {
    OpenWindow();
    ASSERT_TRUE(WaitUntil([] { return ProgramPid() != 0; }, 5000));
    ASSERT_TRUE(WaitUntil([&] { return wnd_->Audio().Link().WindowKnown(); }, 5000));
    // Killed twice: the program that takes over after the first kill may be one started
    // before it (the window's own start, or one an earlier window's daemon started as it
    // went, still coming up); after the second only the daemon can have started one.
    uint killed = 0;
    const auto next = [&] {
        uint pid = 0;
        EXPECT_TRUE(WaitUntil([&] { return (pid = ProgramPid()) != 0 && pid != killed; }, 5000))
            << "a program after " << killed;
        return pid;
    };
    for (int kill = 0; kill < 2; ++kill) {
        killed = next();
        ASSERT_NE(killed, 0u);
        ::kill(static_cast<pid_t>(killed), SIGKILL);
    }
    ASSERT_NE(next(), 0u) << "started again";
    EXPECT_GE(wnd_->Audio().Link().Relaunches(), 1) << "by the daemon";
    // Sound, so that packets flow (of a silence only the first dozen are sent).
    TonePlayer tone(1000);
    ASSERT_TRUE(tone.Start());
    const int before = wnd_->Audio().Deliveries();
    EXPECT_TRUE(WaitUntil([&] { return wnd_->Audio().Deliveries() > before + 3; }, 5000))
        << "the new program shook hands and sends";
}

TEST_F(AudioWindowTest, AColourBlockTheProgramDoesNotTakeIsGivenUpWhileTheWindowRuns) {
    OpenWindow();
    ASSERT_TRUE(WaitUntil([&] { return wnd_->Audio().Link().WindowKnown(); }, 5000));
    const uint pid = ProgramPid();
    ASSERT_NE(pid, 0u);
    // Stopped, the program keeps its names but answers nothing.
    ::kill(static_cast<pid_t>(pid), SIGSTOP);
    int ticks = 0;
    QTimer tick;
    QObject::connect(&tick, &QTimer::timeout, [&] { ++ticks; });
    tick.start(10);
    wnd_->Audio().Link().SendColourBlock(
        panels::AudioColourBlock(wnd_->Audio().Styles().Current()));
    const bool given_up =
        WaitUntil([&] { return wnd_->Audio().Link().ColourBlocksGivenUp() == 1; }, 5000);
    ::kill(static_cast<pid_t>(pid), SIGCONT);
    EXPECT_TRUE(given_up);
    EXPECT_GT(ticks, 10) << "the window went on meanwhile";
}

TEST_F(AudioWindowTest, AProgramThatCannotBeStartedIsReportedAndTriedAgain) {
    qputenv("DOZADIR_AUDIO_RECORD", (data_.path() / "no-such-program").c_str());
    int boxes = 0;
    QString text;
    // Every box is answered as it shows; the daemon tries again on its rounds.
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* box = qobject_cast<QMessageBox*>(w);
            if (box == nullptr || !box->isVisible()) continue;
            ++boxes;
            text = box->text();
            box->close();
        }
    });
    poll.start(5);
    OpenWindow();
    EXPECT_TRUE(WaitUntil([&] { return boxes >= 2; }, 6000)) << "at start and on a round";
    EXPECT_EQ(text, QStringLiteral("Record open failed!"));
    EXPECT_FALSE(wnd_->Audio().Link().WindowKnown());
}

// A program that ends at once (as the capture program does without a sound server) is
// started again on each round; it said why the first time, so the later starts ask it to
// keep quiet, until one comes up again.
TEST_F(AudioWindowTest, AProgramThatEndsAtOnceIsStartedAgainQuietly) {
    const std::filesystem::path program = data_.path() / "ends-at-once";
    const std::filesystem::path starts = data_.path() / "starts.txt";
    {
        std::ofstream script(program);
        script << "#!/bin/sh\necho \"[$*]\" >> '" << starts.string() << "'\n";
    }
    std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    qputenv("DOZADIR_AUDIO_RECORD", program.c_str());
    const auto lines = [&] {
        std::vector<std::string> out;
        std::ifstream in(starts);
        for (std::string line; std::getline(in, line);) out.push_back(line);
        return out;
    };
    OpenWindow();
    ASSERT_TRUE(WaitUntil([&] { return lines().size() >= 3; }, 8000)) << "started on the rounds";
    const std::vector<std::string> got = lines();
    EXPECT_EQ(got[0], "[]") << "the start with the window says why it ends";
    EXPECT_EQ(got[1], "[-q]") << "the first round's start: the window's had ended";
    EXPECT_EQ(got[2], "[-q]");
    EXPECT_TRUE(wnd_->Audio().Link().LaunchesQuiet());
}

}  // namespace
}  // namespace dz::app
