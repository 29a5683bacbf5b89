// Control operations over the widget kinds of a skin.
#include <gtest/gtest.h>

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QTest>

#include "test_window.h"
#include "ui/control_ops.h"
#include "ui/widgets/color_palette.h"

namespace dz::ui {
namespace {

using test::TestWindow;

class ControlOpsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(w.Create());
        w.show();
        w.seen.clear();
    }
    QWidget* C(const char* name) { return w.FindControl(QString::fromLatin1(name)); }
    TestWindow w{QStringLiteral("XML_TEST_WINDOW")};
};

TEST_F(ControlOpsTest, VisibleEnabledUserDataAndBackground) {
    QWidget* probe = C("str_test");
    EXPECT_FALSE(IsVisible(probe));  // hidden in the skin
    QWidget* btn = C("closebtn");
    EXPECT_TRUE(IsVisible(btn));
    SetVisible(w.Root(), false);
    EXPECT_TRUE(IsVisible(btn));  // its own flag, not its parents'
    SetVisible(w.Root(), true);
    SetEnabled(btn, false);
    EXPECT_FALSE(IsEnabled(btn));
    QTest::mouseClick(btn, Qt::LeftButton);
    EXPECT_TRUE(w.seen.empty());
    SetEnabled(btn, true);

    SetUserData(btn, QStringLiteral("common/bg1.png"));
    EXPECT_EQ(UserData(btn), QStringLiteral("common/bg1.png"));

    SetBkColor(w.Root(), 0xFF204060);
    EXPECT_EQ(BkColor(w.Root()), 0xFF204060u);
    EXPECT_TRUE(w.Root()->styleSheet().contains(QStringLiteral("#root {")));
    EXPECT_TRUE(w.Root()->styleSheet().contains(QStringLiteral("rgba(32,64,96,255)")));
    SetBkImage(w.Root(), QStringLiteral("images/key_light.png"));
    EXPECT_EQ(BkImage(w.Root()), QStringLiteral("images/key_light.png"));
    EXPECT_TRUE(w.Root()->styleSheet().contains(QStringLiteral("key_light.png")));
    SetBkColor(w.Root(), 0);
    SetBkImage(w.Root(), QString());
    EXPECT_FALSE(w.Root()->styleSheet().contains(QStringLiteral("#root")));
}

TEST_F(ControlOpsTest, EditNumberOnlyRangeAndLength) {
    auto* edit = static_cast<QLineEdit*>(C("DPI_edit_1"));
    EXPECT_TRUE(IsNumberOnly(edit));  // from the skin
    EXPECT_EQ(MaxChar(edit), 5);
    edit->setFocus();
    QTest::keyClicks(edit, QStringLiteral("1a2b345678"));
    EXPECT_EQ(edit->text(), QStringLiteral("12345"));

    edit->clear();
    SetMinValue(edit, 0);
    SetMaxValue(edit, 200);
    EXPECT_EQ(MinValue(edit), 0);
    EXPECT_EQ(MaxValue(edit), 200);
    QTest::keyClicks(edit, QStringLiteral("999"));
    EXPECT_EQ(edit->text(), QStringLiteral("99"));  // 999 is past the maximum
    edit->clear();
    SetMinValue(edit, 50);
    QTest::keyClicks(edit, QStringLiteral("-7"));
    EXPECT_EQ(edit->text(), QStringLiteral("7"));  // no sign: negatives are out of range
    QTest::keyClick(edit, Qt::Key_Return);
    EXPECT_EQ(edit->text(), QStringLiteral("50"));  // finishing clamps into the range

    auto* free = static_cast<QLineEdit*>(C("macro_delay"));
    EXPECT_FALSE(IsNumberOnly(free));
    SetNumberOnly(free, true);
    QTest::keyClicks(free, QStringLiteral("x7"));
    EXPECT_EQ(free->text(), QStringLiteral("7"));
    SetNumberOnly(free, false);
    QTest::keyClicks(free, QStringLiteral("x"));
    EXPECT_EQ(free->text(), QStringLiteral("7x"));
}

TEST_F(ControlOpsTest, SliderAndProgressRangeAndValue) {
    QWidget* slider = C("deng_light_slider");
    SetMinValue(slider, 10);
    SetMaxValue(slider, 20);
    SetValue(slider, 50);
    EXPECT_EQ(Value(slider), 20);  // clamped to the range
    EXPECT_EQ(MinValue(slider), 10);
    QWidget* progress = C("setting_progress");
    EXPECT_EQ(Value(progress), 10);
    SetMaxValue(progress, 1000);
    SetValue(progress, 750);
    EXPECT_EQ(Value(progress), 750);
    EXPECT_EQ(MaxValue(progress), 1000);
    EXPECT_TRUE(w.seen.empty());
}

TEST_F(ControlOpsTest, ComboAndListItems) {
    QWidget* combo = C("light_combo_modeSelect");
    EXPECT_EQ(Count(combo), 3);
    EXPECT_EQ(ItemText(combo, 2), QStringLiteral("wave"));
    RemoveAll(combo);
    EXPECT_EQ(Count(combo), 0);
    EXPECT_EQ(CurSel(combo), -1);
    AddItem(combo, QStringLiteral("a"));
    AddItem(combo, QStringLiteral("b"));
    EXPECT_EQ(Count(combo), 2);
    EXPECT_TRUE(w.Of(QStringLiteral("itemselect")).empty());

    QWidget* list = C("macro_name_list");
    RemoveAll(list);
    for (int i = 0; i < 40; ++i) {
        auto* row = new QLabel(QStringLiteral("row %1").arg(i));
        AddListRow(list, row);
    }
    EXPECT_EQ(Count(list), 40);
    EXPECT_EQ(Text(ListRow(list, 39)), QStringLiteral("row 39"));
    EXPECT_EQ(ItemText(list, 3), QStringLiteral("row 3"));
    EXPECT_EQ(ListRow(list, 40), nullptr);
    auto* lw = static_cast<QListWidget*>(list);
    EnsureVisible(list, 39);
    EXPECT_TRUE(lw->viewport()->rect().intersects(lw->visualItemRect(lw->item(39))));
    EXPECT_TRUE(SelectItem(list, 5));
    EXPECT_EQ(CurSel(list), 5);
}

TEST_F(ControlOpsTest, ColorPaletteSelection) {
    ColorPalette palette(w.Root());
    palette.setObjectName(QStringLiteral("deng_Color_Pallet"));
    palette.resize(100, 50);
    palette.show();
    SetSelectColor(&palette, 0xFF00FF00);
    EXPECT_EQ(SelectColor(&palette), 0xFF00FF00u);
    EXPECT_TRUE(w.seen.empty());
    EXPECT_EQ(palette.ColorAt(QPoint(0, 0)).rgba(), 0xFFFF0000u);    // hue 0, full brightness
    EXPECT_EQ(palette.ColorAt(QPoint(50, 49)).rgba(), 0xFF000000u);  // bottom row: black
    const QPoint at(33, 10);
    QTest::mouseClick(&palette, Qt::LeftButton, {}, at);
    EXPECT_EQ(SelectColor(&palette), palette.ColorAt(at).rgba());
    EXPECT_NE(SelectColor(&palette), 0xFF00FF00u);
    const auto changed = w.Of(QStringLiteral("colorchanged"));
    ASSERT_EQ(changed.size(), 1u);
    EXPECT_EQ(static_cast<QRgb>(changed[0].wParam), palette.ColorAt(at).rgba());
    EXPECT_EQ(changed[0].name, QStringLiteral("deng_Color_Pallet"));
}

TEST(ControlOps, NullControlsAreSafe) {
    EXPECT_TRUE(Name(nullptr).isEmpty());
    SetText(nullptr, QStringLiteral("x"));
    SetVisible(nullptr, true);
    SetBkColor(nullptr, 1);
    SetSelected(nullptr, true);
    EXPECT_FALSE(SelectItem(nullptr, 0));
    EXPECT_EQ(Value(nullptr), 0);
    EXPECT_EQ(CurSel(nullptr), -1);
    EXPECT_FALSE(IsVisible(nullptr));
}

}  // namespace
}  // namespace dz::ui
