// The main window's messaging on a private session bus (run under dbus-run-session), driven
// the way other programs drive it: with the gdbus command line tool.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDeadlineTimer>
#include <QProcess>
#include <functional>
#include <vector>

#include "app/main_wnd_core.h"
#include "app/work_tool.h"
#include "platform/ipc/window_endpoint.h"
#include "support/qt_wait.h"

namespace dz::app {
namespace {

// The bus round trips through another process get more time.
bool WaitUntil(const std::function<bool()>& done, int ms = 5000) {
    return test::WaitUntil(done, ms);
}

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "main_wnd_bus_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// Runs gdbus while this process keeps serving its own bus objects.
int Gdbus(const QStringList& args) {
    QProcess p;
    p.start("gdbus", args);
    if (!p.waitForStarted(3000)) return -1;
    if (!WaitUntil([&] { return p.state() == QProcess::NotRunning; }, 10000)) {
        p.kill();
        p.waitForFinished();
        return -2;
    }
    return p.exitCode();
}

QStringList PostCall(const QString& message, const QString& w, const QString& l) {
    return {"call",
            "--session",
            "--dest",
            "org.dozadir.Keyboard.MainWnd",
            "--object-path",
            "/org/dozadir/Keyboard/Window",
            "--method",
            "org.dozadir.Keyboard.Window.Post",
            message,
            w,
            l};
}

struct CountingDevice : DevicePage {
    std::vector<int> states;
    std::vector<int> hovers;
    void SetLightControlState(int s) override { states.push_back(s); }
    void SetHoverState(int h) override { hovers.push_back(h); }
};

class MainWndBusTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected());
        core_ = std::make_unique<MainWndCore>(
            QDBusConnection::sessionBus(),
            MainWndCore::Devices{[] { return nullptr; },
                                 [this] { return std::vector<DevicePage*>{&device_}; }});
        ASSERT_TRUE(core_->OpenBus());
        QObject::connect(core_.get(), &MainWndCore::LightControlTextChanged,
                         [this](const QString& t) { texts_.push_back(t); });
    }
    void TearDown() override { core_.reset(); }

    CountingDevice device_;
    std::unique_ptr<MainWndCore> core_;
    std::vector<QString> texts_;
};

TEST_F(MainWndBusTest, GdbusLightStatusSetChangesStateAndText) {
    ASSERT_EQ(Gdbus(PostCall("{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", "1", "0")), 0);
    ASSERT_TRUE(WaitUntil([&] { return core_->LightControlState() == 0; }));
    EXPECT_EQ(core_->LightControlText(), QStringLiteral("light_control_off_text"));
    EXPECT_EQ(texts_, std::vector<QString>{QStringLiteral("light_control_off_text")});
    EXPECT_EQ(device_.states, std::vector<int>{0});
    // wParam other than 1, or a state other than 0 and 1: ignored.
    ASSERT_EQ(Gdbus(PostCall("{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", "0", "1")), 0);
    ASSERT_EQ(Gdbus(PostCall("{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", "1", "5")), 0);
    ASSERT_EQ(Gdbus(PostCall("{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", "1", "1")), 0);
    ASSERT_TRUE(WaitUntil([&] { return core_->LightControlState() == 1; }));
    EXPECT_EQ(device_.states, (std::vector<int>{0, 1}));
}

TEST_F(MainWndBusTest, ToggleIsBroadcastAndTheSetMessageIsNot) {
    std::vector<ipc::BusMessage> heard;
    ipc::BroadcastListener listener(
        QDBusConnection::connectToBus(QDBusConnection::SessionBus, "listener"),
        [&](const ipc::BusMessage& m) { heard.push_back(m); });
    ASSERT_TRUE(listener.Start());
    core_->BroadcastInitialLightState();
    core_->ToggleLightStatus();
    EXPECT_EQ(core_->LightControlState(), 0);
    core_->ToggleLightStatus();
    ASSERT_TRUE(WaitUntil([&] { return heard.size() == 3; }));
    for (const auto& m : heard) {
        EXPECT_EQ(m.name, "{4695579F-999A-41d4-9FAF-EFFCE93EBF16}");
        EXPECT_EQ(m.wparam, 1);
    }
    EXPECT_EQ(heard[0].lparam, 1);
    EXPECT_EQ(heard[1].lparam, 0);
    EXPECT_EQ(heard[2].lparam, 1);
    EXPECT_EQ(texts_, (std::vector<QString>{QStringLiteral("light_control_off_text"),
                                            QStringLiteral("light_control_on_text")}));
    ASSERT_EQ(Gdbus(PostCall("{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", "1", "0")), 0);
    ASSERT_TRUE(WaitUntil([&] { return core_->LightControlState() == 0; }));
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_EQ(heard.size(), 3u);
}

TEST_F(MainWndBusTest, WorkToolQueryIsAnsweredWithTheBlock) {
    // Without a WorkTool window nothing is sent and nothing breaks.
    ASSERT_EQ(Gdbus(PostCall("{4695579F-999A-41d4-9FAF-EFFCE93EBF18}", "0", "0")), 0);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 50);

    ipc::WindowEndpoint tool("WorkTool",
                             QDBusConnection::connectToBus(QDBusConnection::SessionBus, "tool"));
    ASSERT_TRUE(tool.Open());
    QByteArray got;
    int64_t tag = 0;
    tool.SetCopyDataHandler([&](const QString&, int64_t t, const QByteArray& b) {
        tag = t;
        got = b;
    });
    ASSERT_EQ(Gdbus(PostCall("{4695579F-999A-41d4-9FAF-EFFCE93EBF18}", "0", "0")), 0);
    ASSERT_TRUE(WaitUntil([&] { return !got.isEmpty(); }));
    EXPECT_EQ(tag, 5);
    ASSERT_EQ(got.size(), 1024);
    auto u32 = [&](int i) {
        const auto* p = reinterpret_cast<const uint8_t*>(got.constData()) + 4 * i;
        return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
    };
    const std::vector<uint32_t> head = {2,      3, 0,      2,      4, 0x320F, 0x221C, 2, 0x320F,
                                        0x505B, 1, 0x320F, 0x1004, 3, 0x0C76, 0x1630, 7};
    for (size_t i = 0; i < head.size(); ++i) EXPECT_EQ(u32(int(i)), head[i]) << i;
}

TEST_F(MainWndBusTest, AppShowAndSettingsForwardAreSignalled) {
    std::vector<qint64> shows;
    std::vector<std::pair<qint64, qint64>> forwards;
    QObject::connect(core_.get(), &MainWndCore::ShowRequested,
                     [&](qint64 l) { shows.push_back(l); });
    QObject::connect(core_.get(), &MainWndCore::ForwardToSettings,
                     [&](qint64 w, qint64 l) { forwards.emplace_back(w, l); });
    ASSERT_EQ(Gdbus(PostCall("Dozadir Keyboard", "0", "1")), 0);
    ASSERT_EQ(Gdbus(PostCall("{4695579F-999A-41d4-9FAF-EFFCE93EBF15}", "7", "8")), 0);
    ASSERT_TRUE(WaitUntil([&] { return !shows.empty() && !forwards.empty(); }));
    EXPECT_EQ(shows, std::vector<qint64>{1});
    EXPECT_EQ(forwards, (std::vector<std::pair<qint64, qint64>>{{7, 8}}));
}

TEST_F(MainWndBusTest, GameMessageStartsTheRestoreTimerAndSleepDropsIt) {
    ASSERT_EQ(Gdbus(PostCall("Game_Start", "0", "3")), 0);
    ASSERT_TRUE(WaitUntil([&] { return core_->GameRestoreTimer().isActive(); }));
    EXPECT_EQ(core_->GameRestoreTimer().interval(), 5000);
    EXPECT_TRUE(core_->Game().RestorePending());
    core_->GameRestoreTimer().stop();

    core_->OnSuspend();
    EXPECT_EQ(device_.states.back(), 0);
    ASSERT_EQ(Gdbus(PostCall("Game_End", "0", "3")), 0);
    QCoreApplication::processEvents(QEventLoop::AllEvents, 100);
    EXPECT_FALSE(core_->GameRestoreTimer().isActive()) << "dropped while asleep";
    core_->OnResume();
    EXPECT_EQ(device_.states.back(), 1);
}

TEST_F(MainWndBusTest, HoverCountsOnlyWhileInactive) {
    core_->SetHover(true);
    EXPECT_EQ(core_->HoverFlag(), 1);
    core_->SetActive(true);
    core_->SetHover(false);  // active: hover stays
    EXPECT_EQ(core_->HoverFlag(), 1);
    core_->SetActive(false);
    EXPECT_EQ(core_->HoverFlag(), 0);
    EXPECT_EQ(device_.hovers, (std::vector<int>{1, 1, 0}));
}

}  // namespace
}  // namespace dz::app
