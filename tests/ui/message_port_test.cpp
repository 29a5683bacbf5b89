// Private messages posted and sent from worker threads, and on the UI thread itself.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTest>
#include <atomic>
#include <thread>

#include "test_window.h"

namespace dz::ui {
namespace {

using test::TestWindow;

TEST(MessagePort, WorkerPostsAndSendsInOrder) {
    TestWindow w(QStringLiteral("XML_TEST_WINDOW"));
    ASSERT_TRUE(w.Create());
    std::atomic<qintptr> sendResult{-1};
    std::atomic<bool> done{false};
    std::thread worker([&, port = w.Port()] {
        EXPECT_TRUE(port->Post(0x0C12, 1, 2));
        EXPECT_TRUE(port->Post(0x0C13, 3, 4));
        sendResult = port->Send(0x0C00, 10, 20);  // blocks until the UI thread handled it
        done = true;
    });
    QTRY_VERIFY(done.load());
    worker.join();
    EXPECT_EQ(sendResult.load(), 0x0C00 + 10 + 20);
    ASSERT_EQ(w.messages.size(), 3u);
    EXPECT_EQ(w.messages[0].msg, 0x0C12u);
    EXPECT_EQ(w.messages[0].wParam, 1);
    EXPECT_EQ(w.messages[0].lParam, 2);
    EXPECT_EQ(w.messages[1].msg, 0x0C13u);
    EXPECT_EQ(w.messages[2].msg, 0x0C00u);
}

TEST(MessagePort, HandlerRunsOnTheUiThreadWhileTheSenderWaits) {
    TestWindow w(QStringLiteral("XML_TEST_WINDOW"));
    ASSERT_TRUE(w.Create());
    std::atomic<bool> handled{false};
    std::thread::id handlerThread;
    w.onMessage = [&](unsigned, qintptr, qintptr) -> qintptr {
        handlerThread = std::this_thread::get_id();
        handled = true;
        return 42;
    };
    std::atomic<bool> returned{false};
    std::thread worker([&] {
        EXPECT_EQ(w.SendMessage(0x0D03, 0, 0), 42);
        EXPECT_TRUE(handled.load());  // Send does not return before the handler ran
        returned = true;
    });
    QTest::qSleep(30);
    EXPECT_FALSE(returned.load());  // the UI thread did not process events: still waiting
    QTRY_VERIFY(returned.load());
    worker.join();
    EXPECT_EQ(handlerThread, std::this_thread::get_id());
}

TEST(MessagePort, SendOnTheUiThreadCallsAtOncePostQueues) {
    TestWindow w(QStringLiteral("XML_TEST_WINDOW"));
    ASSERT_TRUE(w.Create());
    EXPECT_EQ(w.SendMessage(0x0C15, 1, 1), 0x0C15 + 2);
    ASSERT_EQ(w.messages.size(), 1u);
    EXPECT_TRUE(w.PostMessage(0x0C16));
    EXPECT_EQ(w.messages.size(), 1u);
    QCoreApplication::processEvents();
    EXPECT_EQ(w.messages.size(), 2u);
    // A handler that sends to its own window again does not deadlock.
    w.onMessage = [&](unsigned msg, qintptr, qintptr) -> qintptr {
        return msg == 1 ? w.SendMessage(2) + 1 : 5;
    };
    EXPECT_EQ(w.SendMessage(1), 6);
}

TEST(MessagePort, ClosingReleasesBlockedSendersAndRefusesNewMessages) {
    std::shared_ptr<MessagePort> port;
    std::atomic<qintptr> result{-1};
    std::thread worker;
    {
        TestWindow w(QStringLiteral("XML_TEST_WINDOW"));
        ASSERT_TRUE(w.Create());
        port = w.Port();
        worker = std::thread([&, port] { result = port->Send(0x0C11, 5, 5); });
        QTest::qSleep(20);  // the worker is blocked; its message waits in the queue
        w.ClosePort();      // as before joining workers at shut-down
        worker.join();      // would hang if the sender stayed blocked
        EXPECT_EQ(result.load(), 0);
        EXPECT_TRUE(w.messages.empty());
    }
    // The window is gone; the worker's copy of the port still answers safely.
    EXPECT_FALSE(port->IsOpen());
    EXPECT_FALSE(port->Post(1));
    std::thread late([&] { EXPECT_EQ(port->Send(1), 0); });
    late.join();
    QCoreApplication::processEvents();
}

}  // namespace
}  // namespace dz::ui
