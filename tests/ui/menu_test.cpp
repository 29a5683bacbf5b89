// Pop-up menus from menu files: items by name, language texts, chosen items.
#include <gtest/gtest.h>

#include <QAction>
#include <QMenu>

#include "log_capture.h"
#include "test_window.h"
#include "ui/menu.h"
#include "ui/resource_manager.h"

namespace dz::ui {
namespace {

using test::TestWindow;

const QString kMenu = QStringLiteral("XML\\Test\\test_menu.xml");

TEST(Menu, BuildsItemsByNameWithLanguageTexts) {
    ASSERT_TRUE(ResourceManager::Instance().LoadLanguage(QStringLiteral("test_en.lang")));
    std::unique_ptr<QMenu> menu(BuildMenu(kMenu));
    ASSERT_NE(menu, nullptr);
    QAction* about = FindMenuItem(menu.get(), QStringLiteral("about_menu"));
    ASSERT_NE(about, nullptr);
    EXPECT_EQ(about->text(), QStringLiteral("About"));
    EXPECT_NE(FindMenuItem(menu.get(), QStringLiteral("exit")), nullptr);
    EXPECT_EQ(FindMenuItem(menu.get(), QStringLiteral("delay_menu")), nullptr);  // a sub-menu
    EXPECT_EQ(FindMenuItem(menu.get(), QStringLiteral("nothing")), nullptr);

    // Checkable items of one group exclude each other.
    QAction* record = FindMenuItem(menu.get(), QStringLiteral("redio_previous_record_time"));
    QAction* ignore = FindMenuItem(menu.get(), QStringLiteral("redio_previous_ignore_time"));
    ASSERT_TRUE(record && ignore);
    EXPECT_TRUE(record->isChecked());
    ignore->trigger();
    EXPECT_TRUE(ignore->isChecked());
    EXPECT_FALSE(record->isChecked());
    // Unknown identifiers show as they are.
    EXPECT_EQ(record->text(), QStringLiteral("record_time_text"));
    ResourceManager::Instance().Clear();
}

TEST(Menu, ChosenItemNotifiesTheOwnerWithItsName) {
    TestWindow w(QStringLiteral("XML_TEST_WINDOW"));
    ASSERT_TRUE(w.Create());
    w.show();
    QMenu* menu = ShowPopupMenu(&w, kMenu, QPoint(100, 100));
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    FindMenuItem(menu, QStringLiteral("setwnd_menu"))->trigger();
    const auto chosen = w.Of(QStringLiteral("menu"));
    ASSERT_EQ(chosen.size(), 1u);
    EXPECT_EQ(chosen[0].name, QStringLiteral("setwnd_menu"));
    EXPECT_EQ(chosen[0].text, QStringLiteral("setwnd_menu"));
    EXPECT_EQ(chosen[0].sender, nullptr);
    menu->close();

    // With a callback (e.g. to post the menu command message), the callback gets it instead.
    QStringList got;
    menu = ShowPopupMenu(&w, kMenu, QPoint(100, 100), MenuAlign::kLeftUp,
                         [&](const QString& item) { got << item; });
    ASSERT_NE(menu, nullptr);
    FindMenuItem(menu, QStringLiteral("redio_previous_ignore_time"))->trigger();
    EXPECT_EQ(got, QStringList{QStringLiteral("redio_previous_ignore_time")});
    EXPECT_EQ(w.Of(QStringLiteral("menu")).size(), 1u);
    menu->close();
}

TEST(Menu, MissingMenuFileIsNullWithALogLine) {
    TestWindow w(QStringLiteral("XML_TEST_WINDOW"));
    test::LogCapture log;
    EXPECT_EQ(ShowPopupMenu(&w, QStringLiteral("XML\\Menus\\none.xml"), QPoint()), nullptr);
    EXPECT_TRUE(log.Contains("menu file 'XML\\Menus\\none.xml' not found"));
}

TEST(Menu, AlignmentPlacesTheMenuAwayFromTheAnchor) {
    const QPoint a(500, 400);
    const QSize s(120, 80);
    EXPECT_EQ(MenuTopLeft(a, s, MenuAlign::kRightDown), QPoint(500, 400));
    EXPECT_EQ(MenuTopLeft(a, s, MenuAlign::kLeftDown), QPoint(380, 400));
    EXPECT_EQ(MenuTopLeft(a, s, MenuAlign::kRightUp), QPoint(500, 320));
    EXPECT_EQ(MenuTopLeft(a, s, MenuAlign::kLeftUp), QPoint(380, 320));
}

}  // namespace
}  // namespace dz::ui
