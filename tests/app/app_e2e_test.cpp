// The application under Xvfb on a private session bus (run under xvfb-run and
// dbus-run-session): the window appears, a second start hands over and exits, the close
// button hides to the tray, and ending the session joins every worker.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QElapsedTimer>
#include <QProcess>
#include <QThread>
#include <functional>

#ifndef DZ_APP_BINARY
#error DZ_APP_BINARY must name the application
#endif

namespace {

bool WaitUntil(const std::function<bool()>& done, int ms) {
    QDeadlineTimer deadline(ms);
    while (!done()) {
        if (deadline.hasExpired()) return false;
        QThread::msleep(50);
    }
    return true;
}

QString Xdo(const QStringList& args) {
    QProcess p;
    p.start("xdotool", args);
    p.waitForFinished(5000);
    return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
}

// The id of the visible window titled "Dozadir Keyboard", or empty.
QString VisibleMainWindow() {
    return Xdo({"search", "--onlyvisible", "--name", "^Dozadir Keyboard$"}).section('\n', 0, 0);
}

QProcess* StartApp(QObject* parent) {
    auto* p = new QProcess(parent);
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("DOZADIR_DEBUG", "1");
    p->setProcessEnvironment(env);
    p->setProcessChannelMode(QProcess::SeparateChannels);
    p->start(DZ_APP_BINARY, {});
    return p;
}

TEST(AppEndToEnd, WindowSecondStartCloseAndExit) {
    int argc = 1;
    char name[] = "app_e2e_test";
    char* argv[] = {name, nullptr};
    QCoreApplication app(argc, argv);
    ASSERT_FALSE(qEnvironmentVariableIsEmpty("DISPLAY")) << "run under xvfb-run";

    QProcess* first = StartApp(&app);
    ASSERT_TRUE(first->waitForStarted(5000));
    ASSERT_TRUE(WaitUntil([] { return !VisibleMainWindow().isEmpty(); }, 15000))
        << "the main window did not appear";
    const QString id = VisibleMainWindow();

    // The close button (top right of the caption) hides the window; the process stays.
    // Wait for the layout pass (1000 x 640 at 96 DPI, 1500 x 960 at 144) before aiming.
    int width = 0;
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (const QString& kv : Xdo({"getwindowgeometry", "--shell", id}).split('\n'))
                if (kv.startsWith("WIDTH=")) width = kv.mid(6).toInt();
            return width >= 1000;
        },
        5000));
    QThread::msleep(200);
    Xdo({"mousemove", "--window", id, QString::number(width - 20), "20"});
    Xdo({"click", "1"});
    ASSERT_TRUE(WaitUntil([] { return VisibleMainWindow().isEmpty(); }, 5000))
        << "closing did not hide the window";
    QThread::msleep(300);
    EXPECT_EQ(first->state(), QProcess::Running) << "closing must not end the process";

    // A second start exits with 0 and brings the first back.
    QElapsedTimer clock;
    clock.start();
    QProcess* second = StartApp(&app);
    ASSERT_TRUE(second->waitForFinished(10000));
    const qint64 second_ms = clock.elapsed();
    EXPECT_EQ(second->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(second->exitCode(), 0);
    std::printf("second start ended after %lld ms\n", static_cast<long long>(second_ms));
    EXPECT_TRUE(WaitUntil([] { return !VisibleMainWindow().isEmpty(); }, 5000))
        << "the first instance was not raised";

    // Ending the session leaves as "exit" does: every worker joined in time, exit code 0.
    first->terminate();
    ASSERT_TRUE(first->waitForFinished(10000));
    EXPECT_EQ(first->exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(first->exitCode(), 0);
    const QString log = QString::fromUtf8(first->readAllStandardError());
    EXPECT_TRUE(log.contains("workers joined: 1 in")) << log.toStdString();
    EXPECT_TRUE(log.contains(", 0 late")) << log.toStdString();
}

}  // namespace
