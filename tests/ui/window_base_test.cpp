// Windows built from skins: lookup, missing skins and names, subtrees with custom classes,
// modal runs, DPI values and control timers.
#include <gtest/gtest.h>

#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include "log_capture.h"
#include "test_window.h"
#include "ui/dpi.h"

namespace dz::ui {
namespace {

using test::LogCapture;
using test::TestWindow;

TEST(WindowBase, BuildsSkinAndFindsControlsByName) {
    TestWindow w(QStringLiteral("XML_TEST_WINDOW"));
    ASSERT_TRUE(w.Create());
    EXPECT_EQ(w.initCalls, 1);
    EXPECT_TRUE(w.rootAtInit);  // InitWindow runs after the skin is built
    ASSERT_NE(w.Root(), nullptr);
    EXPECT_EQ(w.FindControl(QStringLiteral("root")), w.Root());
    EXPECT_NE(w.FindControlAs<QPushButton>(QStringLiteral("closebtn")), nullptr);
    EXPECT_EQ(w.FindControlAs<QLabel>(QStringLiteral("closebtn")), nullptr);
    EXPECT_EQ(w.windowTitle(), QStringLiteral("toolkit test"));
    EXPECT_EQ(w.size(), QSize(400, 300));

    QWidget* box = w.FindControl(QStringLiteral("option_box"));
    EXPECT_EQ(w.FindSubControlByName(box, QStringLiteral("color_option_1")),
              w.FindControl(QStringLiteral("color_option_1")));
    EXPECT_EQ(w.FindSubControlByName(box, QStringLiteral("closebtn")), nullptr);
    EXPECT_EQ(w.FindSubControlByName(nullptr, QStringLiteral("closebtn")), nullptr);
}

TEST(WindowBase, AbsentControlIsNullWithOneLogLine) {
    TestWindow w(QStringLiteral("XML_TEST_WINDOW"));
    ASSERT_TRUE(w.Create());
    LogCapture log;
    EXPECT_EQ(w.FindControl(QStringLiteral("no_such_control")), nullptr);
    ASSERT_EQ(log.lines.size(), 1u);
    EXPECT_TRUE(log.Contains("TEST_WND: no control named 'no_such_control'"));
}

TEST(WindowBase, MissingSkinBuildsEmptyWindow) {
    // One name mapped to a file that does not exist, one not in the map at all.
    for (const char* skin : {"XML_TEST_MISSING", "XML\\Nowhere\\absent.xml"}) {
        SCOPED_TRACE(skin);
        LogCapture log;
        TestWindow w(QString::fromLatin1(skin));
        EXPECT_FALSE(w.Create());
        EXPECT_EQ(w.initCalls, 1);
        EXPECT_EQ(w.Root(), nullptr);
        EXPECT_EQ(w.FindControl(QStringLiteral("closebtn")), nullptr);
        EXPECT_EQ(w.FindControl(QStringLiteral("root")), nullptr);
        ASSERT_EQ(log.lines.size(), 1u);
        EXPECT_TRUE(log.Contains("built empty"));
        EXPECT_TRUE(log.Contains(skin));
        w.show();  // showing and closing an empty window is harmless
        w.Close(3);
    }
}

TEST(WindowBase, SubtreeAsksCallbackForCustomClassesAndIsWatched) {
    TestWindow w(QStringLiteral("XML_TEST_WINDOW"));
    QStringList asked;
    w.creator = [&](const QString& className, QWidget* parent) -> QWidget* {
        asked << className;
        if (className != QLatin1String("ProbeControl")) return nullptr;
        auto* l = new QLabel(parent);
        l->setProperty("made_by_callback", true);
        return l;
    };
    ASSERT_TRUE(w.Create());
    QWidget* host = w.FindControl(QStringLiteral("subtree_host"));
    QWidget* sub = w.BuildSubtree(QStringLiteral("xml/test/SUBTREE.xml"), host);
    ASSERT_NE(sub, nullptr);
    EXPECT_TRUE(asked.contains(QStringLiteral("ProbeControl")));
    QWidget* probe = w.FindControl(QStringLiteral("probe_control"));
    ASSERT_NE(probe, nullptr);
    EXPECT_TRUE(probe->property("made_by_callback").toBool());
    EXPECT_EQ(probe->parentWidget(), sub);

    w.show();
    QTest::mouseClick(w.FindControl(QStringLiteral("device_add_btn")), Qt::LeftButton);
    EXPECT_EQ(w.Count(QStringLiteral("click"), QStringLiteral("device_add_btn")), 1);

    EXPECT_EQ(w.BuildSubtree(QStringLiteral("XML_TEST_MISSING"), host), nullptr);
}

TEST(WindowBase, CustomClassWithoutCreatorFallsBackToItsBase) {
    TestWindow w(QStringLiteral("XML_TEST_WINDOW"));
    ASSERT_TRUE(w.Create());
    QWidget* sub = w.BuildSubtree(QStringLiteral("XML\\Test\\subtree.xml"),
                                  w.FindControl(QStringLiteral("subtree_host")));
    ASSERT_NE(sub, nullptr);
    EXPECT_NE(w.FindControlAs<QLabel>(QStringLiteral("probe_control")), nullptr);
}

TEST(WindowBase, ShowModalReturnsTheCodeGivenToClose) {
    TestWindow w(QStringLiteral("XML_TEST_WINDOW"));
    ASSERT_TRUE(w.Create());
    QTimer::singleShot(0, &w, [&] {
        EXPECT_TRUE(w.IsModalRunning());
        w.Close(7);
    });
    EXPECT_EQ(w.ShowModal(), 7);
    EXPECT_FALSE(w.IsModalRunning());
    EXPECT_FALSE(w.isVisible());

    // Closed by other means (the window manager): 0.
    QTimer::singleShot(0, &w, [&] { w.close(); });
    EXPECT_EQ(w.ShowModal(), 0);
}

TEST(WindowBase, DpiValuesAndScale) {
    TestWindow w(QStringLiteral("XML_TEST_WINDOW"), QStringLiteral("MAIN_WND"));
    ASSERT_TRUE(w.Create());
    EXPECT_EQ(w.GetDPI(), 96);
    for (int dpi : {48, 72, 96, 120, 144, 168, 192}) {
        LogCapture log;
        w.SetDPI(dpi);
        EXPECT_EQ(w.GetDPI(), dpi);
        EXPECT_TRUE(log.lines.empty()) << dpi;
    }
    w.SetDPI(96);
    const QSize at96 = w.size();
    EXPECT_EQ(at96.width(), 400);  // the skin's width; its height is its content's minimum
    w.SetDPI(144);
    EXPECT_DOUBLE_EQ(w.ScaleFactor(), 1.5);
    EXPECT_EQ(w.size(), at96 * 1.5);
    for (int dpi : {100, 0, -96, 97, 1000}) {
        LogCapture log;
        w.SetDPI(dpi);
        EXPECT_EQ(w.GetDPI(), 96) << dpi;
        EXPECT_TRUE(log.Contains("MAIN_WND DPI SET ERROR")) << dpi;
        w.SetDPI(144);
    }
    TestWindow other(QStringLiteral("XML_TEST_WINDOW"), QStringLiteral("SET_WND"));
    ASSERT_TRUE(other.Create());
    other.show();
    w.show();
    WindowBase::SetDPIForAll(120);
    EXPECT_EQ(w.GetDPI(), 120);
    EXPECT_EQ(other.GetDPI(), 120);
    {
        LogCapture log;
        WindowBase::SetDPIForAll(100);
        EXPECT_TRUE(log.Contains("SET_WND DPI SET ERROR"));
        EXPECT_TRUE(log.Contains("MAIN_WND DPI SET ERROR"));
    }
    EXPECT_EQ(ScalePx(20, 144), 30);
    EXPECT_EQ(ScalePx(29, 120), 36);
}

TEST(WindowBase, ControlTimersDeliverTimerNotifications) {
    TestWindow w(QStringLiteral("XML_TEST_WINDOW"));
    ASSERT_TRUE(w.Create());
    QWidget* btn = w.FindControl(QStringLiteral("closebtn"));
    ASSERT_TRUE(w.SetTimer(btn, 5, 10));
    ASSERT_TRUE(w.SetTimer(btn, 6, 10));
    EXPECT_TRUE(w.IsTimerActive(btn, 5));
    QTRY_VERIFY(w.Count(QStringLiteral("timer"), QStringLiteral("closebtn")) >= 4);
    for (const auto& n : w.Of(QStringLiteral("timer"))) {
        EXPECT_EQ(n.sender, btn);
        EXPECT_TRUE(n.wParam == 5 || n.wParam == 6);
    }
    w.KillTimer(btn, 5);
    EXPECT_FALSE(w.IsTimerActive(btn, 5));
    EXPECT_TRUE(w.IsTimerActive(btn, 6));
    w.KillTimer(btn);
    w.seen.clear();
    QTest::qWait(40);
    EXPECT_TRUE(w.Of(QStringLiteral("timer")).empty());

    // A window timer (no control) goes to OnTimer.
    ASSERT_TRUE(w.SetTimer(nullptr, 1011, 10));
    QTRY_VERIFY(!w.windowTimers.empty());
    EXPECT_EQ(w.windowTimers.front(), 1011);
    w.KillTimer(nullptr, 1011);

    // A destroyed control takes its timers with it.
    auto* temp = new QPushButton(w.Root());
    temp->setObjectName(QStringLiteral("temp"));
    ASSERT_TRUE(w.SetTimer(temp, 9, 10));
    delete temp;
    EXPECT_FALSE(w.IsTimerActive(temp, 9));
}

TEST(WindowBase, WindowInitOnceOnFirstShow) {
    TestWindow w(QStringLiteral("XML_TEST_WINDOW"));
    ASSERT_TRUE(w.Create());
    EXPECT_TRUE(w.Of(QStringLiteral("windowinit")).empty());
    w.show();
    w.hide();
    w.show();
    const auto inits = w.Of(QStringLiteral("windowinit"));
    ASSERT_EQ(inits.size(), 1u);
    EXPECT_EQ(inits[0].name, QStringLiteral("root"));
}

}  // namespace
}  // namespace dz::ui
