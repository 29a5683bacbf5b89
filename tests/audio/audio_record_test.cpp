// The capture program against a private sound server and a private session bus (run under
// dbus-run-session): its presence and window, the sample packets it sends to the window
// that shook hands while sound plays, its commands, and how it ends.
#include <gtest/gtest.h>

#include <pulse/simple.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QProcess>
#include <atomic>
#include <cmath>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/ipc/bus_names.h"
#include "platform/ipc/registered_messages.h"
#include "platform/ipc/window_endpoint.h"
#include "support/pulse_server.h"
#include "support/qt_wait.h"

namespace {

using dz::test::WaitUntil;

const char* const kCommand = "{4695579F-999A-41d4-9FAF-EFFCE93EBE19}";
const QString kPresence = QStringLiteral("org.dozadir.Keyboard.Dozadir_KeyboardAudioRecord");
const QString kWindow = QStringLiteral("Dozadir KeyboardAUDIORECORD");

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "audio_record_test";
    static char* argv[] = {name, nullptr};
    static auto* app = new QCoreApplication(argc, argv);
    return *app;
}

bool Registered(const QString& name) {
    const QDBusReply<bool> r = QDBusConnection::sessionBus().interface()->isServiceRegistered(name);
    return r.isValid() && r.value();
}

// Sends command `w` with argument `l` to the program's window on `bus`, waiting for it.
bool Command(const QDBusConnection& bus, int w, int64_t l) {
    return dz::ipc::SendToWindow(bus, kWindow, QString::fromLatin1(kCommand), w, l).has_value();
}

class AudioRecordTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        (void)dz::ipc::RegisterMessage(kCommand);
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
        ASSERT_TRUE(pulse_.Start(dz::test::PulseServer::OneSink())) << pulse_.Error();
        main_ = std::make_unique<dz::ipc::WindowEndpoint>(QStringLiteral("MainWnd"),
                                                          QDBusConnection::sessionBus());
        main_->SetCopyDataHandler([this](const QString&, int64_t tag, const QByteArray& b) {
            if (tag == 1) samples_.push_back(b);
            if (tag == 2) colours_.push_back(b);
        });
        ASSERT_TRUE(main_->Open());
    }
    void TearDown() override {
        if (program_.state() != QProcess::NotRunning) {
            program_.kill();
            program_.waitForFinished(3000);
        }
    }
    void StartProgram(const QString& pulse_server, const QStringList& arguments = {}) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("PULSE_SERVER", pulse_server);
        program_.setProcessEnvironment(env);
        program_.start(QString::fromLatin1(DZ_AUDIO_RECORD_BIN), arguments);
        ASSERT_TRUE(program_.waitForStarted(3000));
    }
    void StartAndShakeHands() {
        StartProgram(QString::fromStdString(pulse_.Address()));
        ASSERT_TRUE(WaitUntil([] { return Registered(kPresence); }, 5000));
        ASSERT_TRUE(WaitUntil([] { return dz::ipc::WindowExists(QDBusConnection::sessionBus(), kWindow); }, 5000));
        const QDBusConnection bus = QDBusConnection::sessionBus();
        ASSERT_TRUE(Command(bus, 0, QCoreApplication::applicationPid()));
        ASSERT_TRUE(Command(bus, 3, 0));
        ASSERT_TRUE(Command(bus, 1, 0));
    }
    static std::vector<int32_t> Values(const QByteArray& b) {
        std::vector<int32_t> v(static_cast<size_t>(b.size()) / 4);
        std::memcpy(v.data(), b.constData(), v.size() * 4);
        return v;
    }

    dz::test::PulseServer pulse_;
    std::unique_ptr<dz::ipc::WindowEndpoint> main_;
    QProcess program_;
    std::vector<QByteArray> samples_;
    std::vector<QByteArray> colours_;
};

TEST_F(AudioRecordTest, SendsPacketsOf500ValuesThatFollowWhatPlays) {
    StartAndShakeHands();
    ASSERT_TRUE(WaitUntil([&] { return samples_.size() >= 10; }, 5000));
    for (const QByteArray& b : samples_) ASSERT_EQ(b.size(), 2000);
    for (int32_t v : Values(samples_.back())) ASSERT_EQ(v, 0) << "silence";

    // A tone at full scale: values up to 16-bit / 8 in magnitude.
    pulse_.Apply();
    const pa_sample_spec format{PA_SAMPLE_S16LE, 44100, 1};
    pa_simple* out =
        pa_simple_new(nullptr, "tone", PA_STREAM_PLAYBACK, nullptr, "tone", &format, nullptr, nullptr, nullptr);
    ASSERT_NE(out, nullptr);
    std::atomic<bool> stop{false};
    std::thread player([&] {
        std::vector<int16_t> block(441);
        size_t n = 0;
        while (!stop.load()) {
            for (int16_t& s : block) s = static_cast<int16_t>(32000 * std::sin(2 * M_PI * 1000 * double(n++) / 44100));
            if (pa_simple_write(out, block.data(), block.size() * 2, nullptr) < 0) break;
        }
    });
    int32_t peak = 0;
    const bool heard = WaitUntil(
        [&] {
            for (int32_t v : Values(samples_.back())) peak = std::max(peak, std::abs(v));
            return peak > 3000;
        },
        5000);
    stop.store(true);
    player.join();
    pa_simple_free(out);
    EXPECT_TRUE(heard) << "peak " << peak;
    EXPECT_LE(peak, 4096);
}

TEST_F(AudioRecordTest, CommandTwoStopsThePacketsAndTheColourCommandsAnswerWithAColourPacket) {
    StartAndShakeHands();
    ASSERT_TRUE(WaitUntil([&] { return !samples_.empty(); }, 5000));
    const QDBusConnection bus = QDBusConnection::sessionBus();
    ASSERT_TRUE(Command(bus, 2, 0));
    // The colour commands are answered on the same path as the packets, after them.
    ASSERT_TRUE(Command(bus, 6, 200));
    ASSERT_TRUE(Command(bus, 7, 0x1FF));  // only the low byte counts
    ASSERT_TRUE(Command(bus, 8, 3));
    ASSERT_TRUE(WaitUntil([&] { return colours_.size() == 3; }));
    EXPECT_EQ(Values(colours_.back()), (std::vector<int32_t>{200, 255, 3, 0, 0, 0}));
    const size_t after_stop = samples_.size();
    ASSERT_TRUE(Command(bus, 6, 1));
    ASSERT_TRUE(WaitUntil([&] { return colours_.size() == 4; }));
    // A tenth of a second of packets would have come by now.
    WaitUntil([] { return false; }, 150);
    EXPECT_EQ(samples_.size(), after_stop);
    ASSERT_TRUE(Command(bus, 1, 0));
    EXPECT_TRUE(WaitUntil([&] { return samples_.size() > after_stop; }, 3000)) << "1 starts again";
}

TEST_F(AudioRecordTest, CommandFiveEndsTheProgramAndItsPresence) {
    StartAndShakeHands();
    ASSERT_TRUE(Command(QDBusConnection::sessionBus(), 5, 0));
    ASSERT_TRUE(program_.waitForFinished(3000));
    EXPECT_EQ(program_.exitCode(), 0);
    EXPECT_FALSE(Registered(kPresence));
}

TEST_F(AudioRecordTest, ItEndsWhenTheWindowThatShookHandsLeavesTheBus) {
    StartProgram(QString::fromStdString(pulse_.Address()));
    ASSERT_TRUE(WaitUntil([] { return dz::ipc::WindowExists(QDBusConnection::sessionBus(), kWindow); }, 5000));
    {
        QDBusConnection other = QDBusConnection::connectToBus(QDBusConnection::SessionBus, "other");
        ASSERT_TRUE(Command(other, 0, 1));
        QDBusConnection::disconnectFromBus("other");
    }
    ASSERT_TRUE(program_.waitForFinished(3000));
    EXPECT_EQ(program_.exitCode(), 0);
}

TEST_F(AudioRecordTest, WithoutASoundServerItSaysSoAndEnds) {
    StartProgram(QStringLiteral("unix:/nonexistent/native"));
    ASSERT_TRUE(program_.waitForFinished(5000));
    EXPECT_EQ(program_.exitCode(), 2);
    EXPECT_TRUE(program_.readAllStandardError().contains("no sound server"));
    EXPECT_FALSE(Registered(kPresence));
    // Started again with -q (the application's later starts): the same end, without a word.
    StartProgram(QStringLiteral("unix:/nonexistent/native"), {QStringLiteral("-q")});
    ASSERT_TRUE(program_.waitForFinished(5000));
    EXPECT_EQ(program_.exitCode(), 2);
    EXPECT_EQ(program_.readAllStandardError(), QByteArray());
}

// The server ending under a running program: it says so, gives up its presence (so the
// application's daemon can start a new one) and ends with code 3.
TEST_F(AudioRecordTest, WhenTheSoundServerGoesAwayItSaysSoAndEnds) {
    StartAndShakeHands();
    ASSERT_TRUE(WaitUntil([&] { return !samples_.empty(); }, 5000));
    pulse_.Stop();
    ASSERT_TRUE(program_.waitForFinished(5000));
    EXPECT_EQ(program_.exitCode(), 3);
    EXPECT_TRUE(program_.readAllStandardError().contains("the sound server went away"));
    EXPECT_FALSE(Registered(kPresence));
}

TEST_F(AudioRecordTest, ASecondProgramLeavesTheFirstInPlace) {
    StartProgram(QString::fromStdString(pulse_.Address()));
    ASSERT_TRUE(WaitUntil([] { return Registered(kPresence); }, 5000));
    QProcess second;
    second.start(QString::fromLatin1(DZ_AUDIO_RECORD_BIN), {});
    ASSERT_TRUE(second.waitForFinished(5000));
    EXPECT_EQ(second.exitCode(), 1);
    EXPECT_TRUE(second.readAllStandardError().contains("another capture program runs"));
    EXPECT_EQ(program_.state(), QProcess::Running);
}

}  // namespace
