// The application with its emulator (run under xvfb-run and dbus-run-session), driven from
// outside as a person would: `dozadirctl sim ...` plugs and unplugs devices in the running
// program, which binds and unbinds them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QProcess>
#include <QTemporaryDir>
#include <QThread>
#include <functional>

#ifndef DZ_APP_BINARY
#error DZ_APP_BINARY must name the application
#endif
#ifndef DZ_CTL_BINARY
#error DZ_CTL_BINARY must name dozadirctl
#endif

namespace {

class SimControlE2eTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run under xvfb-run";
        ASSERT_TRUE(home_.isValid());
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DOZADIR_DEBUG", "1");
        env.insert("DOZADIR_NO_HIDRAW", "1");
        env.insert("XDG_DATA_HOME", home_.path());
        env.insert("XDG_CONFIG_HOME", home_.path());
        app_.setProcessEnvironment(env);
        app_.start(DZ_APP_BINARY, {"--simulate=keyboard"});
        ASSERT_TRUE(app_.waitForStarted(5000));
        // The emulator answers on the bus once the program is up.
        ASSERT_TRUE(WaitFor([&] { return Ctl({"sim", "status"}) == 0; }, 15000));
        ASSERT_TRUE(WaitForLog("device arrived: slot 0 "));
    }
    void TearDown() override {
        app_.terminate();
        app_.waitForFinished(10000);
    }

    bool WaitFor(const std::function<bool()>& done, int ms = 5000) {
        QDeadlineTimer deadline(ms);
        while (!done()) {
            if (deadline.hasExpired()) return false;
            QThread::msleep(20);
        }
        return true;
    }
    bool WaitForLog(const QString& text, int ms = 5000) {
        return WaitFor(
            [&] {
                // Without an event loop the pipe is read only while waiting on it.
                (void)app_.waitForReadyRead(10);
                log_ += QString::fromUtf8(app_.readAllStandardError());
                return log_.contains(text);
            },
            ms);
    }
    // Exit code of dozadirctl with `args`; its output in `out_`.
    int Ctl(const QStringList& args) {
        QProcess ctl;
        ctl.start(DZ_CTL_BINARY, args);
        if (!ctl.waitForFinished(10000)) return -1;
        out_ = QString::fromUtf8(ctl.readAllStandardOutput() + ctl.readAllStandardError());
        return ctl.exitCode();
    }

    QTemporaryDir home_;
    QProcess app_;
    QString log_;
    QString out_;
};

TEST_F(SimControlE2eTest, PlugUnplugAndMoveTheMouseInTheRunningApplication) {
    ASSERT_EQ(Ctl({"sim", "plug", "mouse"}), 0) << out_.toStdString();
    EXPECT_TRUE(WaitForLog("device arrived: slot 4 ")) << log_.toStdString();

    // Onto the receiver: its slots bind, the cable's go, the mouse stays one device.
    ASSERT_EQ(Ctl({"sim", "receiver", "mouse"}), 0) << out_.toStdString();
    EXPECT_TRUE(WaitForLog("device arrived: slot 6 ")) << log_.toStdString();
    EXPECT_TRUE(WaitForLog("device removed: slot 4 ")) << log_.toStdString();

    ASSERT_EQ(Ctl({"sim", "unplug", "mouse"}), 0) << out_.toStdString();
    EXPECT_TRUE(WaitForLog("device removed: slot 6 ")) << log_.toStdString();
    EXPECT_TRUE(WaitForLog("鼠标设备丢失")) << log_.toStdString();

    ASSERT_EQ(Ctl({"sim", "unplug", "keyboard"}), 0);
    EXPECT_TRUE(WaitForLog("device removed: slot 0 ")) << log_.toStdString();
    EXPECT_TRUE(WaitForLog("键盘设备丢失")) << log_.toStdString();

    ASSERT_EQ(Ctl({"sim", "status"}), 0);
    EXPECT_EQ(out_.count("not plugged"), 4) << out_.toStdString();
    EXPECT_EQ(app_.state(), QProcess::Running);
}

TEST_F(SimControlE2eTest, TheKeyboardsProfileButtonReachesItsPage) {
    // The page shows the keyboard's own profile once the keyboard tells it changed.
    ASSERT_TRUE(WaitForLog("profile ")) << log_.toStdString();
    ASSERT_EQ(Ctl({"sim", "press", "keyboard", "profile", "2"}), 0) << out_.toStdString();
    EXPECT_TRUE(WaitForLog("keyboard: the keyboard is on its profile 2")) << log_.toStdString();
    EXPECT_EQ(app_.state(), QProcess::Running);
}

TEST_F(SimControlE2eTest, RefusedAndMistypedControlsLeaveTheApplicationRunning) {
    EXPECT_EQ(Ctl({"sim", "plug", "headset", "receiver"}), 5) << out_.toStdString();
    EXPECT_EQ(Ctl({"sim", "plug", "tablet"}), 1) << out_.toStdString();
    ASSERT_EQ(Ctl({"sim", "plug", "headset"}), 0) << out_.toStdString();
    EXPECT_TRUE(WaitForLog("device arrived: slot 10 ")) << log_.toStdString();
    EXPECT_EQ(app_.state(), QProcess::Running);
}

}  // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
