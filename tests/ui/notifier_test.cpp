// Qt signals and events of skin controls become notifications with the system's types.
#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QContextMenuEvent>
#include <QEnterEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QSlider>
#include <QTest>

#include "test_window.h"
#include "ui/control_ops.h"

namespace dz::ui {
namespace {

using test::TestWindow;

class NotifierTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(w.Create());
        w.show();
        w.activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.seen.clear();
    }
    QWidget* C(const char* name) { return w.FindControl(QString::fromLatin1(name)); }
    // The notifications of one control, focus changes left out.
    std::vector<std::pair<QString, qintptr>> TypesOf(const QString& name) const {
        std::vector<std::pair<QString, qintptr>> out;
        for (const auto& n : w.seen) {
            if (n.name != name || n.type == QLatin1String("setfocus") ||
                n.type == QLatin1String("killfocus")) {
                continue;
            }
            out.emplace_back(n.type, n.wParam);
        }
        return out;
    }

    TestWindow w{QStringLiteral("XML_TEST_WINDOW")};
};

TEST_F(NotifierTest, ButtonClick) {
    QTest::mouseClick(C("closebtn"), Qt::LeftButton);
    ASSERT_EQ(w.seen.size(), 1u);
    EXPECT_EQ(w.seen[0].type, QStringLiteral("click"));
    EXPECT_EQ(w.seen[0].name, QStringLiteral("closebtn"));
    EXPECT_EQ(w.seen[0].sender, C("closebtn"));
}

TEST_F(NotifierTest, OptionsOfOneGroupRaiseSelectChanged) {
    QTest::mouseClick(C("color_option_1"), Qt::LeftButton);
    using V = std::vector<std::pair<QString, qintptr>>;
    EXPECT_EQ(TypesOf(QStringLiteral("color_option_1")),
              (V{{QStringLiteral("selectchanged"), 1}, {QStringLiteral("click"), 0}}));
    w.seen.clear();
    QTest::mouseClick(C("color_option_0"), Qt::LeftButton);
    EXPECT_TRUE(IsSelected(C("color_option_0")));
    EXPECT_FALSE(IsSelected(C("color_option_1")));  // the skin's "group" makes them exclusive
    EXPECT_EQ(w.Count(QStringLiteral("selectchanged"), QStringLiteral("color_option_1")), 1);
    EXPECT_EQ(w.Count(QStringLiteral("selectchanged"), QStringLiteral("color_option_0")), 1);

    // A check box outside any group toggles both ways.
    // On the indicator: a check box takes clicks only on its indicator and text.
    QWidget* check = C("deng_FXL_check");
    const QPoint indicator(6, check->height() / 2);
    QTest::mouseClick(check, Qt::LeftButton, {}, indicator);
    QTest::mouseClick(check, Qt::LeftButton, {}, indicator, 600);
    EXPECT_EQ(TypesOf(QStringLiteral("deng_FXL_check")), (V{{QStringLiteral("selectchanged"), 1},
                                                            {QStringLiteral("click"), 0},
                                                            {QStringLiteral("selectchanged"), 0},
                                                            {QStringLiteral("click"), 0}}));

    // Set from code: silent, also for the option it deselects.
    w.seen.clear();
    SetSelected(C("color_option_1"), true);
    EXPECT_TRUE(IsSelected(C("color_option_1")));
    EXPECT_FALSE(IsSelected(C("color_option_0")));
    EXPECT_TRUE(w.seen.empty());
    SetSelected(C("color_option_1"), false);
    EXPECT_FALSE(IsSelected(C("color_option_1")));
    SetSelected(C("color_option_0"), true, true);
    EXPECT_EQ(w.Count(QStringLiteral("selectchanged"), QStringLiteral("color_option_0")), 1);
}

TEST_F(NotifierTest, ComboItemSelectCarriesNewAndOldIndex) {
    auto* combo = static_cast<QComboBox*>(C("light_combo_modeSelect"));
    combo->setFocus();
    QTest::keyClick(combo, Qt::Key_Down);
    QTest::keyClick(combo, Qt::Key_Down);
    const auto sel = w.Of(QStringLiteral("itemselect"));
    ASSERT_EQ(sel.size(), 2u);
    EXPECT_EQ(sel[0].wParam, 1);
    EXPECT_EQ(sel[0].lParam, 0);
    EXPECT_EQ(sel[1].wParam, 2);
    EXPECT_EQ(sel[1].lParam, 1);
    w.seen.clear();
    EXPECT_TRUE(SelectItem(combo, 0));
    EXPECT_EQ(CurSel(combo), 0);
    EXPECT_TRUE(w.Of(QStringLiteral("itemselect")).empty());
    EXPECT_FALSE(SelectItem(combo, 3));
    // After a silent change the old index is the one it set, not the one before it.
    EXPECT_TRUE(SelectItem(combo, 1, true));
    auto after = w.Of(QStringLiteral("itemselect"));
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].wParam, 1);
    EXPECT_EQ(after[0].lParam, 0);
    // The same after items are added and removed from code.
    RemoveAll(combo);
    AddItem(combo, QStringLiteral("a"));
    AddItem(combo, QStringLiteral("b"));
    w.seen.clear();
    QTest::keyClick(combo, Qt::Key_Down);
    after = w.Of(QStringLiteral("itemselect"));
    ASSERT_EQ(after.size(), 1u);
    EXPECT_EQ(after[0].wParam, 1);
    EXPECT_EQ(after[0].lParam, 0);
}

TEST_F(NotifierTest, SliderValueAndDrag) {
    auto* slider = static_cast<QSlider*>(C("deng_light_slider"));
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Right);
    auto v = w.Of(QStringLiteral("valuechanged"));
    ASSERT_EQ(v.size(), 1u);
    EXPECT_EQ(v[0].wParam, 1);

    w.seen.clear();
    slider->setSliderDown(true);
    slider->setSliderPosition(30);
    slider->setSliderPosition(40);
    slider->setSliderDown(false);
    const auto moves = w.Of(QStringLiteral("movevaluechanged"));
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[0].wParam, 30);
    EXPECT_EQ(moves[1].wParam, 40);
    v = w.Of(QStringLiteral("valuechanged"));
    ASSERT_EQ(v.size(), 1u);  // only the release, not every step of the drag
    EXPECT_EQ(v[0].wParam, 40);

    w.seen.clear();
    SetValue(slider, 70);
    EXPECT_EQ(Value(slider), 70);
    EXPECT_TRUE(w.seen.empty());
}

TEST_F(NotifierTest, EditTextReturnAndFocus) {
    QWidget* edit = C("macro_delay");
    edit->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return edit->hasFocus(); }));
    EXPECT_EQ(w.Count(QStringLiteral("setfocus"), QStringLiteral("macro_delay")), 1);
    QTest::keyClicks(edit, QStringLiteral("12"));
    EXPECT_EQ(w.Count(QStringLiteral("textchanged"), QStringLiteral("macro_delay")), 2);
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(w.Count(QStringLiteral("return"), QStringLiteral("macro_delay")), 1);
    C("DPI_edit_1")->setFocus();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !edit->hasFocus(); }));
    EXPECT_EQ(w.Count(QStringLiteral("killfocus"), QStringLiteral("macro_delay")), 1);
    EXPECT_EQ(w.Count(QStringLiteral("setfocus"), QStringLiteral("DPI_edit_1")), 1);

    w.seen.clear();
    SetText(edit, QStringLiteral("500"));  // from code: no "textchanged"
    EXPECT_EQ(Text(edit), QStringLiteral("500"));
    EXPECT_TRUE(w.Of(QStringLiteral("textchanged")).empty());
}

TEST_F(NotifierTest, ListSelectClickAndActivate) {
    auto* list = static_cast<QListWidget*>(C("macro_name_list"));
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    EXPECT_EQ(w.Count(QStringLiteral("itemclick"), QStringLiteral("macro_name_list")), 1);
    const auto sel = w.Of(QStringLiteral("itemselect"));
    ASSERT_EQ(sel.size(), 1u);
    EXPECT_EQ(sel[0].wParam, 1);
    EXPECT_EQ(sel[0].lParam, -1);
    QTest::keyClick(list, Qt::Key_Return);
    const auto act = w.Of(QStringLiteral("itemactivate"));
    ASSERT_EQ(act.size(), 1u);
    EXPECT_EQ(act[0].wParam, 1);

    // A row selected from code is the old row of the next click.
    EXPECT_TRUE(SelectItem(list, 0));
    w.seen.clear();
    QTest::mouseClick(list->viewport(), Qt::LeftButton, {},
                      list->visualItemRect(list->item(1)).center());
    const auto moved = w.Of(QStringLiteral("itemselect"));
    ASSERT_EQ(moved.size(), 1u);
    EXPECT_EQ(moved[0].wParam, 1);
    EXPECT_EQ(moved[0].lParam, 0);
}

TEST_F(NotifierTest, EnterLeaveContextMenuAndWindowSize) {
    QWidget* btn = C("closebtn");
    QEnterEvent enter(QPointF(2, 2), QPointF(2, 2), QPointF(2, 2));
    QApplication::sendEvent(btn, &enter);
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(btn, &leave);
    using V = std::vector<std::pair<QString, qintptr>>;
    EXPECT_EQ(TypesOf(QStringLiteral("closebtn")),
              (V{{QStringLiteral("msenter"), 0}, {QStringLiteral("msleave"), 0}}));

    // "menu" only from a control whose skin asks for it.
    QContextMenuEvent onMenuControl(QContextMenuEvent::Mouse, QPoint(3, 4), QPoint(33, 44));
    QApplication::sendEvent(C("macro_action"), &onMenuControl);
    QContextMenuEvent onButton(QContextMenuEvent::Mouse, QPoint(3, 4), QPoint(33, 44));
    QApplication::sendEvent(btn, &onButton);
    const auto menus = w.Of(QStringLiteral("menu"));
    ASSERT_EQ(menus.size(), 1u);
    EXPECT_EQ(menus[0].name, QStringLiteral("macro_action"));
    EXPECT_EQ(menus[0].wParam, 33);
    EXPECT_EQ(menus[0].lParam, 44);

    w.seen.clear();
    w.resize(500, 380);
    QTRY_VERIFY(!w.Of(QStringLiteral("windowsize")).empty());
    const auto sizes = w.Of(QStringLiteral("windowsize"));
    EXPECT_EQ(sizes.back().name, QStringLiteral("root"));
    EXPECT_EQ(sizes.back().wParam, 500);
    EXPECT_EQ(sizes.back().lParam, 380);
}

}  // namespace
}  // namespace dz::ui
