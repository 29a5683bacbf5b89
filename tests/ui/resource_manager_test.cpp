// Language texts by identifier, resource-text controls and the language switch.
#include <gtest/gtest.h>

#include <QAbstractButton>

#include "log_capture.h"
#include "test_window.h"
#include "ui/control_ops.h"
#include "ui/resource_manager.h"

namespace dz::ui {
namespace {

using test::TestWindow;

class LanguageTest : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(rm.LoadLanguage(QStringLiteral("test_en.lang")));
        rm.SetLanguage(QStringLiteral("en"));
        ASSERT_TRUE(w.Create());
    }
    void TearDown() override { rm.Clear(); }
    QWidget* C(const char* name) { return w.FindControl(QString::fromLatin1(name)); }

    ResourceManager& rm = ResourceManager::Instance();
    TestWindow w{QStringLiteral("XML_TEST_WINDOW")};
};

TEST_F(LanguageTest, ResourceTextControlsShowTheLanguageText) {
    EXPECT_EQ(Text(C("closebtn")), QStringLiteral("Close"));
    EXPECT_EQ(Text(C("plain_label")), QStringLiteral("close_text"));  // not in that mode
    // Inherited from the container; the check box opts out.
    EXPECT_EQ(Text(C("color_option_0")), QStringLiteral("Option A"));
    EXPECT_EQ(Text(C("deng_FXL_check")), QStringLiteral("FXL"));
}

TEST_F(LanguageTest, HiddenControlLooksUpATextByIdentifier) {
    QWidget* probe = C("str_test");
    SetText(probe, QStringLiteral("message_text_16"));
    EXPECT_EQ(Text(probe), QStringLiteral("Macro write failed: %d"));
    SetText(probe, QStringLiteral("no_such_text"));
    EXPECT_EQ(Text(probe), QStringLiteral("no_such_text"));  // unknown: the identifier itself
    SetText(probe, QStringLiteral("multi_line_text"));
    EXPECT_EQ(Text(probe), QStringLiteral("first\nsecond"));
}

TEST_F(LanguageTest, SwitchingLanguageReloadsEveryWindow) {
    TestWindow second(QStringLiteral("XML_TEST_WINDOW"));
    ASSERT_TRUE(second.Create());
    SetText(C("str_test"), QStringLiteral("message_text_16"));
    // The .xml name of the system falls back to the .lang file beside it.
    ASSERT_TRUE(rm.LoadLanguage(QStringLiteral("test_cn.xml")));
    rm.SetLanguage(QStringLiteral("cn"));
    EXPECT_EQ(Text(C("closebtn")), QStringLiteral("Close"));  // until reloaded
    rm.ReloadText();
    EXPECT_EQ(rm.Language(), QStringLiteral("cn"));
    EXPECT_EQ(Text(C("closebtn")), QString::fromUtf8("关闭"));
    EXPECT_EQ(Text(second.FindControl(QStringLiteral("color_option_1"))),
              QString::fromUtf8("选项二"));
    EXPECT_EQ(Text(C("str_test")), QString::fromUtf8("宏写入失败：%d"));
    EXPECT_EQ(Text(C("plain_label")), QStringLiteral("close_text"));
}

TEST_F(LanguageTest, ResourceTextItemsFollowTheLanguage) {
    QWidget* combo = C("light_combo_modeSelect");
    RemoveAll(combo);
    AddItem(combo, QStringLiteral("option_a_text"), true);
    AddItem(combo, QStringLiteral("option_b_text"));
    QWidget* list = C("macro_name_list");
    RemoveAll(list);
    AddItem(list, QStringLiteral("close_text"), true);
    EXPECT_EQ(ItemText(combo, 0), QStringLiteral("Option A"));
    ASSERT_TRUE(rm.LoadLanguage(QStringLiteral("test_cn.lang")));
    rm.ReloadText();
    EXPECT_EQ(ItemText(combo, 0), QString::fromUtf8("选项一"));
    EXPECT_EQ(ItemText(combo, 1), QStringLiteral("option_b_text"));  // a plain item
    EXPECT_EQ(ItemText(list, 0), QString::fromUtf8("关闭"));
    EXPECT_TRUE(w.Of(QStringLiteral("itemselect")).empty());
}

TEST_F(LanguageTest, SkinToolTipsAreIdentifiersToo) {
    TestWindow scaled(QStringLiteral("XML_TEST_SCALE"));
    ASSERT_TRUE(scaled.Create());
    QWidget* btn = scaled.FindControl(QStringLiteral("caption_btn"));
    EXPECT_EQ(ToolTip(btn), QStringLiteral("Close"));
    ASSERT_TRUE(rm.LoadLanguage(QStringLiteral("test_cn.lang")));
    rm.ReloadText();
    EXPECT_EQ(ToolTip(btn), QString::fromUtf8("关闭"));
    // One set from code is shown as given, also after the next switch.
    SetToolTip(btn, QStringLiteral("literal"));
    ASSERT_TRUE(rm.LoadLanguage(QStringLiteral("test_en.lang")));
    rm.ReloadText();
    EXPECT_EQ(ToolTip(btn), QStringLiteral("literal"));
}

TEST_F(LanguageTest, MissingLanguageFileKeepsTheTexts) {
    test::LogCapture log;
    EXPECT_FALSE(rm.LoadLanguage(QStringLiteral("no_such_language.lang")));
    EXPECT_TRUE(log.Contains("not readable"));
    rm.ReloadText();
    EXPECT_EQ(Text(C("closebtn")), QStringLiteral("Close"));
}

TEST_F(LanguageTest, TextQueryAnswersFirst) {
    rm.SetTextQueryInterface(
        [](const QString& id, const QString& control) -> std::optional<QString> {
            if (control == QLatin1String("closebtn")) return QStringLiteral("[%1]").arg(id);
            return std::nullopt;
        });
    rm.ReloadText();
    EXPECT_EQ(Text(C("closebtn")), QStringLiteral("[close_text]"));
    EXPECT_EQ(Text(C("color_option_0")), QStringLiteral("Option A"));
}

TEST_F(LanguageTest, ResourceTextModeCanBeTurnedOnAndOff) {
    QWidget* label = C("plain_label");
    rm.SetResourceText(label, true);
    EXPECT_EQ(Text(label), QStringLiteral("Close"));
    rm.SetResourceText(label, false);
    EXPECT_EQ(Text(label), QStringLiteral("close_text"));
    SetText(label, QStringLiteral("option_a_text"));
    EXPECT_EQ(Text(label), QStringLiteral("option_a_text"));
}

TEST(LanguageFile, ParsesIdentifiersTextsCommentsAndEscapes) {
    const auto t =
        ResourceManager::ParseLanguage(QString::fromUtf8("# comment\r\n"
                                                         "a = one\r\n"
                                                         "  b=two = three  \n"
                                                         "no equals sign\n"
                                                         " = no identifier\n"
                                                         "c = tab\\there \\\\ \\q\n"
                                                         "d =\n"
                                                         "key_= = =\n"));
    EXPECT_EQ(t.size(), 5);
    EXPECT_EQ(t.value(QStringLiteral("key_=")), QStringLiteral("=")) << "an identifier ending in =";
    EXPECT_EQ(t.value(QStringLiteral("a")), QStringLiteral("one"));
    EXPECT_EQ(t.value(QStringLiteral("b")), QStringLiteral("two = three"));
    EXPECT_EQ(t.value(QStringLiteral("c")), QStringLiteral("tab\there \\ \\q"));
    EXPECT_TRUE(t.contains(QStringLiteral("d")));
    EXPECT_TRUE(t.value(QStringLiteral("d")).isEmpty());
}

}  // namespace
}  // namespace dz::ui
