// One DPI scale for a window's skin and theme: measures, fonts, icons and style lengths.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QLabel>
#include <QLayout>
#include <QSpacerItem>
#include <QTest>
#include <functional>
#include <vector>

#include "test_window.h"
#include "ui/skin_scale.h"
#include "ui/theme.h"

namespace dz::ui {
namespace {

using test::TestWindow;

TEST(SkinScale, StyleSheetLengths) {
    struct C {
        const char* sheet;
        int dpi;
        const char* scaled;
    };
    const std::vector<C> cases = {
        {"QLabel { font-size: 14px; }", 144, "QLabel { font-size: 21px; }"},
        {"QPushButton { padding: 4px 14px; }", 144, "QPushButton { padding: 6px 21px; }"},
        {"QMenu { border: 1px solid #3a3f48; }", 72, "QMenu { border: 1px solid #3a3f48; }"},
        {"QWidget { margin: 0px; }", 192, "QWidget { margin: 0px; }"},
        {"QSlider::handle { margin: -5px 0; }", 144, "QSlider::handle { margin: -8px 0; }"},
        {"QLabel { border-width: 1.5px; }", 192, "QLabel { border-width: 3px; }"},
        {"QLabel { font-size: 10px; }", 48, "QLabel { font-size: 5px; }"},
        // Names and files are not lengths.
        {"#key12px { width: 12px; }", 144, "#key12px { width: 18px; }"},
        {"QComboBox::down-arrow { image: url(theme/10px.svg); width: 10px; }", 144,
         "QComboBox::down-arrow { image: url(theme/10px.svg); width: 15px; }"},
        {"QLabel { font-size: 14px; }", 96, "QLabel { font-size: 14px; }"},
    };
    for (const C& c : cases)
        EXPECT_EQ(ScaleStyleSheet(QString::fromLatin1(c.sheet), c.dpi),
                  QString::fromLatin1(c.scaled))
            << c.sheet << " at " << c.dpi;
}

class SkinScaleTest : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_TRUE(w.Create()); }
    template <class T = QWidget>
    T* C(const char* name) {
        auto* c = w.FindControlAs<T>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    QSpacerItem* FixedGap() {
        QLayout* l = w.Root()->layout();
        for (int i = 0; i < l->count(); ++i)
            if (QSpacerItem* s = l->itemAt(i)->spacerItem(); s && s->sizeHint().height() < 40)
                return s;
        return nullptr;
    }
    // Every kept measure of the test skin, as numbers, in one list.
    std::vector<double> Measures() {
        QLayout* root = w.Root()->layout();
        QLayout* caption = C("caption_bar")->layout();
        const QMargins rm = root->contentsMargins(), cm = caption->contentsMargins();
        const QRect placed = C("placed_label")->geometry(), btn = C("placed_btn")->geometry();
        auto* cbtn = C<QAbstractButton>("caption_btn");
        return {double(rm.left()),
                double(rm.bottom()),
                double(root->spacing()),
                double(cm.top()),
                double(caption->spacing()),
                double(C("caption_bar")->minimumHeight()),
                double(C("caption_bar")->maximumHeight()),
                double(C("caption_bar")->maximumWidth()),  // unbounded stays unbounded
                double(C("body")->minimumWidth()),
                double(placed.x()),
                double(placed.y()),
                double(placed.width()),
                double(placed.height()),
                double(btn.x()),
                double(btn.height()),
                double(cbtn->minimumWidth()),
                double(cbtn->maximumHeight()),
                double(cbtn->iconSize().width()),
                C("placed_label")->font().pointSizeF(),
                C("body_label")->font().pointSizeF(),
                double(FixedGap()->sizeHint().height())};
    }

    TestWindow w{QStringLiteral("XML_TEST_SCALE")};
};

TEST_F(SkinScaleTest, EveryMeasureScalesByOneFactorAndComesBackExactly) {
    ASSERT_NE(FixedGap(), nullptr);
    const std::vector<double> at96 = Measures();
    const double app_points = QApplication::font(C("body_label")).pointSizeF();
    EXPECT_EQ(at96,
              (std::vector<double>{10, 10,  6,  4,  2,  30, 30, QWIDGETSIZE_MAX, 200, 20, 10, 60,
                                   20, 100, 24, 24, 20, 16, 8,  app_points,      12}));
    w.SetDPI(144);
    const std::vector<double> at144 = Measures();
    EXPECT_EQ(at144,
              (std::vector<double>{15, 15,  9,  6,  3,  45, 45, QWIDGETSIZE_MAX,  300, 30, 15, 90,
                                   30, 150, 36, 36, 30, 24, 12, app_points * 1.5, 18}));
    // Through other values and back: the skin's own values again, nothing drifted.
    for (int dpi : {120, 168, 72, 144, 96}) w.SetDPI(dpi);
    EXPECT_EQ(Measures(), at96);
    // The body label has no font of its own at 96 again: the application's reaches it.
    EXPECT_FALSE(C("body_label")->testAttribute(Qt::WA_SetFont));
}

TEST_F(SkinScaleTest, ControlsMadeByCodeAndChildWindowsKeepTheirSizes) {
    auto* made = new QLabel(QStringLiteral("later"), C("body"));
    made->setGeometry(5, 5, 40, 16);
    // A window of its own that the test window owns, as a message box its main window.
    TestWindow child(QStringLiteral("XML_TEST_SCALE"));
    child.setParent(&w, Qt::Window);
    ASSERT_TRUE(child.Create());
    w.SetDPI(144);
    EXPECT_EQ(made->geometry(), QRect(5, 5, 40, 16));
    EXPECT_EQ(child.GetDPI(), 96);
    EXPECT_EQ(child.FindControl(QStringLiteral("caption_bar"))->minimumHeight(), 30);
    EXPECT_EQ(child.FindControl(QStringLiteral("placed_label"))->geometry(), QRect(20, 10, 60, 20));
}

TEST_F(SkinScaleTest, SubtreesBuiltIntoAScaledWindowArriveScaled) {
    w.SetDPI(144);
    QWidget* sub = w.BuildSubtree(QStringLiteral("XML_TEST_SCALE"), C("body"));
    ASSERT_NE(sub, nullptr);
    EXPECT_EQ(sub->findChild<QWidget*>(QStringLiteral("caption_bar"))->minimumHeight(), 45);
    EXPECT_EQ(sub->findChild<QWidget*>(QStringLiteral("placed_label"))->geometry(),
              QRect(30, 15, 90, 30));
    EXPECT_EQ(ScaledDpi(sub), 144);
    w.SetDPI(96);
    EXPECT_EQ(sub->findChild<QWidget*>(QStringLiteral("caption_bar"))->minimumHeight(), 30);
}

TEST_F(SkinScaleTest, TheThemeIsScaledForTheWindowOnly) {
    SetTheme(QStringLiteral("QLabel#body_label { font-size: 10px; }"));
    TestWindow other(QStringLiteral("XML_TEST_SCALE"));
    ASSERT_TRUE(other.Create());
    w.show();
    other.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
    auto pixels = [](TestWindow& win) {
        return win.FindControl(QStringLiteral("body_label"))->font().pixelSize();
    };
    EXPECT_EQ(pixels(w), 10);
    w.SetDPI(144);
    EXPECT_EQ(w.styleSheet(), QStringLiteral("QLabel#body_label { font-size: 15px; }"));
    EXPECT_EQ(pixels(w), 15);
    EXPECT_EQ(pixels(other), 10);  // still at 96 DPI
    w.SetDPI(96);
    EXPECT_EQ(w.styleSheet(), QStringLiteral("QLabel#body_label { font-size: 10px; }"));
    EXPECT_EQ(pixels(w), 10);
    SetTheme({});
}

}  // namespace
}  // namespace dz::ui
