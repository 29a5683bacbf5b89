// Runs under dbus-run-session: every connection below is to that private session bus.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDBusConnection>
#include <QDBusConnectionInterface>
#include <QDBusMessage>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <atomic>
#include <functional>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "platform/ipc/bus_names.h"
#include "platform/ipc/registered_messages.h"
#include "platform/ipc/single_instance.h"
#include "platform/ipc/sleep_watcher.h"
#include "platform/ipc/window_endpoint.h"
#include "platform/log/debug_log.h"
#include "support/qt_wait.h"

namespace dz::ipc {
namespace {

using test::WaitUntil;

QCoreApplication& App() {
    static int argc = 1;
    static char name[] = "ipc_test";
    static char* argv[] = {name, nullptr};
    static QCoreApplication app(argc, argv);
    return app;
}

// A second connection to the same bus, as another process would have.
QDBusConnection OtherConnection(const QString& label) {
    return QDBusConnection::connectToBus(QDBusConnection::SessionBus, label);
}

class IpcTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        ASSERT_TRUE(QDBusConnection::sessionBus().isConnected()) << "run under dbus-run-session";
        game_start_ = RegisterMessage("Game_Start");
        light_set_ = RegisterMessage("{4695579F-999A-41d4-9FAF-EFFCE93EBF17}");
    }
    uint32_t game_start_ = 0;
    uint32_t light_set_ = 0;
};

TEST(BusNames, SchemeForWindowNames) {
    const std::vector<std::pair<QString, QString>> cases = {
        {"MainWnd", "org.dozadir.Keyboard.MainWnd"},
        {"WorkTool", "org.dozadir.Keyboard.WorkTool"},
        {"Dozadir Keyboard", "org.dozadir.Keyboard.Dozadir_Keyboard"},
        {"7zip", "org.dozadir.Keyboard._7zip"},
        {"a.b-c/d", "org.dozadir.Keyboard.a_b_c_d"},
        {"", "org.dozadir.Keyboard._"},
        {QString::fromUtf8("窗口"), "org.dozadir.Keyboard.__"},
    };
    for (const auto& [window, bus] : cases)
        EXPECT_EQ(BusNameForWindow(window), bus) << window.toStdString();
}

TEST_F(IpcTest, PostArrivesQueuedWithNameAndParameters) {
    WindowEndpoint wnd("PostWnd", QDBusConnection::sessionBus());
    ASSERT_TRUE(wnd.Open());
    std::vector<BusMessage> got;
    wnd.SetPostHandler([&](const BusMessage& m) { got.push_back(m); });

    QDBusConnection peer = OtherConnection("post-peer");
    EXPECT_TRUE(WindowExists(peer, "PostWnd"));
    ASSERT_TRUE(PostToWindow(peer, "PostWnd", "Game_Start", 2, 7));
    ASSERT_TRUE(WaitUntil([&] { return !got.empty(); }));
    EXPECT_EQ(got[0].number, game_start_);
    EXPECT_EQ(got[0].name, "Game_Start");
    EXPECT_EQ(got[0].wparam, 2);
    EXPECT_EQ(got[0].lparam, 7);
    QDBusConnection::disconnectFromBus("post-peer");
}

TEST_F(IpcTest, UnknownMessageNameIsDroppedWithALine) {
    std::vector<std::string> lines;
    auto old = log::SetSink([&](std::string_view l) { lines.emplace_back(l); });
    WindowEndpoint wnd("DropWnd", QDBusConnection::sessionBus());
    ASSERT_TRUE(wnd.Open());
    int posts = 0;
    wnd.SetPostHandler([&](const BusMessage&) { ++posts; });
    QDBusConnection peer = OtherConnection("drop-peer");
    ASSERT_TRUE(PostToWindow(peer, "DropWnd", "No_Such_Message_Here", 0, 0));
    ASSERT_TRUE(PostToWindow(peer, "DropWnd", "Game_Start", 0, 0));  // fences the first
    ASSERT_TRUE(WaitUntil([&] { return posts == 1; }));
    log::SetSink(old);
    EXPECT_EQ(posts, 1);
    bool found = false;
    for (const auto& l : lines) found |= l.find("No_Such_Message_Here") != std::string::npos;
    EXPECT_TRUE(found);
    QDBusConnection::disconnectFromBus("drop-peer");
}

TEST_F(IpcTest, SendFromAnotherThreadWaitsForTheHandlersResult) {
    WindowEndpoint wnd("SendWnd", QDBusConnection::sessionBus());
    ASSERT_TRUE(wnd.Open());
    std::atomic<bool> handled_on_ui{false};
    const auto ui_thread = std::this_thread::get_id();
    wnd.SetSendHandler([&](const BusMessage& m) -> int64_t {
        handled_on_ui = std::this_thread::get_id() == ui_thread;
        return m.wparam * 100 + m.lparam;
    });
    std::optional<int64_t> answer;
    std::atomic<bool> finished{false};
    std::thread worker([&] {
        QDBusConnection peer = OtherConnection("send-peer");
        answer = SendToWindow(peer, "SendWnd", "Game_Start", 4, 2);
        finished = true;
    });
    ASSERT_TRUE(WaitUntil([&] { return finished.load(); }));
    worker.join();
    QDBusConnection::disconnectFromBus("send-peer");
    ASSERT_TRUE(answer);
    EXPECT_EQ(*answer, 402);
    EXPECT_TRUE(handled_on_ui);
}

TEST_F(IpcTest, CopyDataCarriesTagBytesAndSender) {
    WindowEndpoint wnd("CopyWnd", QDBusConnection::sessionBus());
    ASSERT_TRUE(wnd.Open());
    QByteArray got;
    int64_t tag = -1;
    QString sender;
    wnd.SetCopyDataHandler([&](const QString& s, int64_t t, const QByteArray& b) {
        sender = s;
        tag = t;
        got = b;
    });
    QDBusConnection peer = OtherConnection("copy-peer");
    QByteArray block(1024, '\0');
    block[0] = 2;
    block[1023] = char(0xFF);
    ASSERT_TRUE(CopyDataToWindow(peer, "CopyWnd", 5, block));
    ASSERT_TRUE(WaitUntil([&] { return tag != -1; }));
    EXPECT_EQ(tag, 5);
    EXPECT_EQ(got, block);
    EXPECT_EQ(sender, peer.baseService());
    QDBusConnection::disconnectFromBus("copy-peer");
}

TEST_F(IpcTest, AbsentWindowIsNotFoundAndNothingIsSent) {
    const QDBusConnection bus = QDBusConnection::sessionBus();
    EXPECT_FALSE(WindowExists(bus, "NobodyHere"));
    EXPECT_FALSE(PostToWindow(bus, "NobodyHere", "Game_Start", 0, 0));
    EXPECT_FALSE(SendToWindow(bus, "NobodyHere", "Game_Start", 0, 0));
    EXPECT_FALSE(CopyDataToWindow(bus, "NobodyHere", 5, QByteArray(4, 'x')));
}

TEST_F(IpcTest, SecondOwnerOfAWindowNameIsRefusedUntilTheFirstCloses) {
    auto first = std::make_unique<WindowEndpoint>("OnceWnd", QDBusConnection::sessionBus());
    ASSERT_TRUE(first->Open());
    WindowEndpoint second("OnceWnd", OtherConnection("once-peer"));
    EXPECT_FALSE(second.Open());
    first.reset();
    EXPECT_TRUE(second.Open());
}

TEST_F(IpcTest, BroadcastIsSeenByListenersInOtherConnections) {
    WindowEndpoint wnd("CastWnd", QDBusConnection::sessionBus());
    std::vector<BusMessage> heard;
    BroadcastListener listener(OtherConnection("cast-peer"),
                               [&](const BusMessage& m) { heard.push_back(m); });
    ASSERT_TRUE(listener.Start());
    EXPECT_FALSE(wnd.SendBroadcast("Game_Start", 1, 1)) << "not open yet";
    ASSERT_TRUE(wnd.Open());
    ASSERT_TRUE(wnd.SendBroadcast("{4695579F-999A-41d4-9FAF-EFFCE93EBF17}", 1, 0));
    ASSERT_TRUE(WaitUntil([&] { return !heard.empty(); }));
    EXPECT_EQ(heard[0].name, "{4695579F-999A-41d4-9FAF-EFFCE93EBF17}");
    EXPECT_EQ(heard[0].wparam, 1);
    EXPECT_EQ(heard[0].lparam, 0);
}

TEST_F(IpcTest, SingleInstanceByBusName) {
    auto first = std::make_unique<SingleInstance>("Dozadir Test", QDBusConnection::sessionBus());
    EXPECT_EQ(first->Acquire(), InstanceRole::kFirst);
    EXPECT_FALSE(first->UsesLockFile());
    EXPECT_TRUE(WindowExists(QDBusConnection::sessionBus(), "Dozadir Test"));
    {
        SingleInstance second("Dozadir Test", OtherConnection("inst-peer"));
        EXPECT_EQ(second.Acquire(), InstanceRole::kSecond);
    }
    first.reset();
    SingleInstance third("Dozadir Test", OtherConnection("inst-peer2"));
    EXPECT_EQ(third.Acquire(), InstanceRole::kFirst);
}

TEST_F(IpcTest, SingleInstanceFallsBackToLockFileWithoutBus) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    std::vector<std::string> lines;
    auto old = log::SetSink([&](std::string_view l) { lines.emplace_back(l); });
    QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/bus"), QStringLiteral("no-bus"));
    ASSERT_FALSE(none.isConnected());
    auto first = std::make_unique<SingleInstance>("Dozadir Lock", none, dir.path());
    EXPECT_EQ(first->Acquire(), InstanceRole::kFirst);
    EXPECT_TRUE(first->UsesLockFile());
    EXPECT_TRUE(QFile::exists(first->LockFilePath()));
    {
        SingleInstance second("Dozadir Lock", none, dir.path());
        EXPECT_EQ(second.Acquire(), InstanceRole::kSecond);
    }
    first.reset();  // the lock goes with its holder
    SingleInstance third("Dozadir Lock", none, dir.path());
    EXPECT_EQ(third.Acquire(), InstanceRole::kFirst);
    log::SetSink(old);
    bool said = false;
    for (const auto& l : lines) said |= l.find("lock file") != std::string::npos;
    EXPECT_TRUE(said);
}

TEST_F(IpcTest, SleepWatcherFollowsPrepareForSleep) {
    // Stand in for logind on the private bus: own its name and emit its signal.
    QDBusConnection logind = OtherConnection("fake-logind");
    ASSERT_TRUE(logind.registerService("org.freedesktop.login1"));
    SleepWatcher watcher(QDBusConnection::sessionBus());
    ASSERT_TRUE(watcher.Start());
    std::vector<std::string> events;
    QObject::connect(&watcher, &SleepWatcher::Suspending, [&] { events.emplace_back("suspend"); });
    QObject::connect(&watcher, &SleepWatcher::Resumed, [&] { events.emplace_back("resume"); });
    for (bool sleeping : {true, false}) {
        QDBusMessage sig = QDBusMessage::createSignal(
            "/org/freedesktop/login1", "org.freedesktop.login1.Manager", "PrepareForSleep");
        sig << sleeping;
        ASSERT_TRUE(logind.send(sig));
    }
    ASSERT_TRUE(WaitUntil([&] { return events.size() == 2; }));
    EXPECT_EQ(events, (std::vector<std::string>{"suspend", "resume"}));
}

TEST_F(IpcTest, SleepWatcherWithoutBusSaysSo) {
    QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/bus2"), QStringLiteral("no-bus-2"));
    SleepWatcher watcher(none);
    EXPECT_FALSE(watcher.Start());
}

}  // namespace
}  // namespace dz::ipc
