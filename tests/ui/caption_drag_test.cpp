// A frameless window moves by its caption: the system move where the platform takes it,
// the window following the pointer where it does not; the caption's buttons keep presses.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QTest>
#include <QWindow>
#include <vector>

#include "test_window.h"
#include "ui/caption_drag.h"

namespace dz::ui {
namespace {

using test::TestWindow;

class CaptionDragTest : public ::testing::Test {
  protected:
    void SetUp() override {
        old_ = CaptionDrag::SetMoveStarter([this](QWindow* window) {
            requests.push_back(window);
            return take_move;
        });
        ASSERT_TRUE(w.Create());
        w.move(100, 100);
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    }
    void TearDown() override { CaptionDrag::SetMoveStarter(old_); }
    QWidget* C(const char* name) { return w.FindControl(QString::fromLatin1(name)); }

    std::vector<QWindow*> requests;
    bool take_move = true;
    CaptionDrag::MoveStarter old_;
    TestWindow w{QStringLiteral("XML_TEST_SCALE")};
};

TEST_F(CaptionDragTest, APressOnTheCaptionAsksForASystemMove) {
    // On its label, and on the caption itself between the label and the button.
    QTest::mousePress(C("caption_label"), Qt::LeftButton);
    QTest::mouseRelease(C("caption_label"), Qt::LeftButton);
    QWidget* bar = C("caption_bar");
    QTest::mousePress(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() / 2));
    QTest::mouseRelease(bar, Qt::LeftButton, {}, QPoint(bar->width() / 2, bar->height() / 2));
    ASSERT_EQ(requests.size(), 2u);
    EXPECT_EQ(requests[0], w.windowHandle());
    EXPECT_EQ(requests[1], w.windowHandle());
    EXPECT_EQ(w.pos(), QPoint(100, 100));  // the system moves it, not the window itself
}

TEST_F(CaptionDragTest, ButtonsRightButtonAndTheRestOfTheWindowDoNot) {
    auto* btn = qobject_cast<QAbstractButton*>(C("caption_btn"));
    QTest::mousePress(btn, Qt::LeftButton);
    EXPECT_TRUE(btn->isDown());
    QTest::mouseRelease(btn, Qt::LeftButton);
    EXPECT_EQ(w.Count(QStringLiteral("click"), QStringLiteral("caption_btn")), 1);
    QTest::mousePress(C("caption_label"), Qt::RightButton);
    QTest::mouseRelease(C("caption_label"), Qt::RightButton);
    QTest::mousePress(C("body_label"), Qt::LeftButton);
    QTest::mouseRelease(C("body_label"), Qt::LeftButton);
    EXPECT_TRUE(requests.empty());
}

TEST_F(CaptionDragTest, WithoutASystemMoveTheWindowFollowsThePointer) {
    take_move = false;
    QWidget* label = C("caption_label");
    const QPoint at(5, 5);
    QTest::mousePress(label, Qt::LeftButton, {}, at);
    QTest::mouseMove(label, at + QPoint(40, 25));
    EXPECT_EQ(w.pos(), QPoint(140, 125));
    QTest::mouseRelease(label, Qt::LeftButton, {}, at + QPoint(40, 25));
    QTest::mouseMove(label, at + QPoint(90, 90));  // released: no longer follows
    EXPECT_EQ(w.pos(), QPoint(140, 125));
    EXPECT_EQ(requests.size(), 1u);
}

TEST_F(CaptionDragTest, AMaximisedWindowStaysWhereItIs) {
    w.showMaximized();
    ASSERT_TRUE(QTest::qWaitFor([&] { return w.isMaximized(); }));
    take_move = false;
    const QPoint before = w.pos();
    QTest::mousePress(C("caption_label"), Qt::LeftButton, {}, QPoint(5, 5));
    QTest::mouseMove(C("caption_label"), QPoint(60, 60));
    QTest::mouseRelease(C("caption_label"), Qt::LeftButton, {}, QPoint(60, 60));
    EXPECT_TRUE(requests.empty());
    EXPECT_EQ(w.pos(), before);
}

}  // namespace
}  // namespace dz::ui
