// The shell's Qt-free files and rules: the language table and the first start's language,
// main.ini, the autostart entry.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <vector>

#include "app/autostart.h"
#include "app/ini_file.h"
#include "app/language_table.h"
#include "app/skin_choice.h"
#include "profile/settings_file.h"
#include "support/temp_folder.h"

namespace dz::app {
namespace {

std::vector<LanguageEntry> Shipped() {
    return {{2052, "cn", "lan_cn", "language_cn_text"}, {1033, "en", "lan_en", "language_en_text"}};
}

TEST(LanguageTable, ReadsTheShippedFileAndRefusesPaths) {
    test::TempFolder folder;
    const auto file = folder / "Language.config";
    test::WriteText(file, R"({"Language": [
        {"Language_ID": 2052, "Language_name": "cn", "Language_file": "lan_cn", "Language_text": "language_cn_text"},
        {"Language_ID": "x", "Language_name": 5, "Language_file": "../lang/lan_en"},
        {"Language_ID": 7, "Language_file": ".hidden"},
        {"Language_ID": 8, "Language_file": "sub\\file"}]})");
    const auto table = ReadLanguageTable(file);
    ASSERT_EQ(table.size(), 4u);
    EXPECT_EQ(table[0].id, 2052);
    EXPECT_EQ(table[0].file, "lan_cn");
    EXPECT_EQ(table[0].text_id, "language_cn_text");
    EXPECT_EQ(table[1].id, 0);
    EXPECT_EQ(table[1].name, "");
    for (size_t i = 1; i < 4; ++i) EXPECT_EQ(table[i].file, "") << i;
    EXPECT_TRUE(ReadLanguageTable(folder / "none.config").empty());
    test::WriteText(file, "");
    EXPECT_TRUE(ReadLanguageTable(file).empty());
}

TEST(LanguageTable, TheFirstStartFollowsTheLocaleLaterTheStoredLanguage) {
    const auto table = Shipped();
    struct C {
        const char* locale;
        int index;
    };
    for (const C& c : std::vector<C>{{"zh_CN.UTF-8", 0},
                                     {"zh_TW", 0},
                                     {"en_GB.UTF-8", 1},
                                     {"en", 1},
                                     {"de_DE.UTF-8", 1},
                                     {"C", 1},
                                     {"", 1}}) {
        EXPECT_EQ(StartLanguageIndex(table, std::nullopt, c.locale), c.index) << c.locale;
    }
    // Stored: whatever the locale says.
    EXPECT_EQ(StartLanguageIndex(table, 1033, "zh_CN"), 1);
    EXPECT_EQ(StartLanguageIndex(table, 2052, "en_US"), 0);
    EXPECT_EQ(StartLanguageIndex(table, 9999, "en_US"), 0);  // not in the table: index 0
    // No English in the table: index 0.
    EXPECT_EQ(IndexForLocale({{1, "cn", "a", ""}, {2, "l2", "b", ""}}, "de_DE"), 0);
    EXPECT_EQ(IndexForLocale({}, "en"), 0);
}

TEST(LanguageTable, FontFacesAndWhenTheyAreRebuilt) {
    EXPECT_EQ(FontFaceFor(0), "汉仪菱心体简");
    EXPECT_EQ(FontFaceFor(2), "Noto Sans CJK TC Regular");
    EXPECT_EQ(FontFaceFor(15), "Noto Sans Thai");
    EXPECT_EQ(FontFaceFor(1), "Verdana Unicode MS");
    struct C {
        int current, next;
        const char* face;  // null: the fonts stay
    };
    for (const C& c : std::vector<C>{{-1, 1, "Verdana Unicode MS"},
                                     {0, 5, "Verdana Unicode MS"},
                                     {5, 7, nullptr},
                                     {5, 0, "汉仪菱心体简"},
                                     {15, 3, "Verdana Unicode MS"},
                                     {3, 2, "Noto Sans CJK TC Regular"},
                                     {1, 4, nullptr}}) {
        const auto face = FontRebuildFace(c.current, c.next);
        EXPECT_EQ(face.has_value(), c.face != nullptr) << c.current << " -> " << c.next;
        if (face && c.face) {
            EXPECT_EQ(*face, c.face);
        }
    }
    EXPECT_EQ(FontconfigLanguage("cn"), "zh-cn");
    EXPECT_EQ(FontconfigLanguage("en"), "en");
}

TEST(LanguageTable, TheStoredIdLivesInTheSettingsFile) {
    test::TempFolder home;
    ::setenv("DOZADIR_CONFIG_HOME", home.path().c_str(), 1);
    EXPECT_FALSE(StoredLanguageId());
    ASSERT_TRUE(StoreLanguageId(1033));
    EXPECT_EQ(StoredLanguageId(), 1033);
    ASSERT_TRUE(WriteSetting("update_server", Json::Value("http://x/api/")));
    EXPECT_EQ(StoredLanguageId(), 1033);  // the other setting kept it
    test::WriteText(SettingsFile(), R"({"LANGUAGE": "2052"})");
    EXPECT_FALSE(StoredLanguageId());  // not a number: nothing stored
    ::unsetenv("DOZADIR_CONFIG_HOME");
}

TEST(IniFile, ReadsSetsAndKeepsWhatItDoesNotKnow) {
    IniFile ini =
        IniFile::Parse("; a comment\r\n[Other]\nA=1\n[skinimage]\n FLAGS = 1 \nnonsense\n");
    EXPECT_EQ(ini.Get("SKINIMAGE", "flags"), "1");
    EXPECT_EQ(ini.Get("Other", "A"), "1");
    EXPECT_FALSE(ini.Get("Other", "FLAGS"));
    EXPECT_FALSE(ini.Get("None", "A"));
    EXPECT_TRUE(ini.Set("SKINIMAGE", "FLAGS", "0"));
    EXPECT_TRUE(ini.Set("SKINIMAGE", "IMAGE", "common/background.png"));
    EXPECT_TRUE(ini.Set("New", "K", "v"));
    EXPECT_FALSE(ini.Set("SKINIMAGE", "IMAGE", "a\nb"));
    EXPECT_EQ(ini.Text(),
              "; a comment\n[Other]\nA=1\n[skinimage]\nFLAGS=0\nIMAGE=common/background.png\n"
              "nonsense\n[New]\nK=v\n");
}

TEST(SkinChoiceFile, StoredChoicesAndFilesThatAreNotIni) {
    test::TempFolder folder;
    const auto file = folder / "cfg" / "main.ini";
    EXPECT_FALSE(StoredSkinChoice(file));
    ASSERT_TRUE(StoreSkinChoice(file, {false, 0, "skin/bg_night.svg"}, false));
    EXPECT_EQ(test::ReadText(file), "[SKINIMAGE]\nFLAGS=1\nIMAGE=skin/bg_night.svg\n");
    auto c = StoredSkinChoice(file);
    ASSERT_TRUE(c);
    EXPECT_FALSE(c->colour_mode);
    EXPECT_EQ(c->image, "skin/bg_night.svg");
    ASSERT_TRUE(StoreSkinChoice(file, {true, 0xFF0F223A, {}}, false));
    c = StoredSkinChoice(file);
    ASSERT_TRUE(c && c->colour_mode);
    EXPECT_EQ(c->colour, 0xFF0F223Au);
    ASSERT_TRUE(StoreSkinChoice(file, {}, true));
    EXPECT_NE(test::ReadText(file).find("FLAGS=0\nIMAGE=common/background.png\n"),
              std::string::npos);
    EXPECT_FALSE(StoredSkinChoice(file));
    // Not INI, or a colour that is not one: nothing to restore, and no throw.
    for (const char* text :
         {"\x89PNG\x01\x02", "[SKINIMAGE]\nFLAGS=2\nCOLOR=blue\n",
          "[SKINIMAGE]\nFLAGS=2\nCOLOR=#12345678Z\n", "[SKINIMAGE]\nFLAGS=1\nIMAGE=\n"}) {
        test::WriteText(file, text);
        EXPECT_FALSE(StoredSkinChoice(file)) << text;
    }
    // A choice written into a file that is not INI keeps the file's lines.
    test::WriteText(file, "garbage line\n");
    ASSERT_TRUE(StoreSkinChoice(file, {false, 0, "x.png"}, false));
    EXPECT_EQ(test::ReadText(file), "garbage line\n[SKINIMAGE]\nFLAGS=1\nIMAGE=x.png\n");
    EXPECT_FALSE(StoreSkinChoice(file, {false, 0, "two\nlines.png"}, false));
}

TEST(Autostart, EntryWrittenAndRemoved) {
    test::TempFolder home;
    ::setenv("DOZADIR_CONFIG_HOME", home.path().c_str(), 1);
    EXPECT_FALSE(AutostartEnabled());
    const std::string program = "/opt/my apps/dozadir-keyboard";
    ASSERT_TRUE(SetAutostart(true, program));
    EXPECT_TRUE(AutostartEnabled());
    EXPECT_EQ(AutostartFile(), home / "autostart" / "org.dozadir.Keyboard.desktop");
    const std::string entry = test::ReadText(AutostartFile());
    EXPECT_NE(entry.find("[Desktop Entry]\nType=Application\n"), std::string::npos);
    // Quoted for the space, and started hidden in the tray.
    EXPECT_NE(entry.find("Exec=\"/opt/my apps/dozadir-keyboard\" --hidden\n"), std::string::npos)
        << entry;
    EXPECT_NE(AutostartEntry("/a\\b$c").find("Exec=\"/a\\\\\\\\b\\\\$c\" --hidden"),
              std::string::npos)
        << AutostartEntry("/a\\b$c");
    EXPECT_NE(
        AutostartEntry("/usr/bin/dozadir-keyboard").find("Exec=/usr/bin/dozadir-keyboard --hidden"),
        std::string::npos);
    ASSERT_TRUE(SetAutostart(false, program));
    EXPECT_FALSE(AutostartEnabled());
    EXPECT_TRUE(SetAutostart(false, program));  // nothing to remove is fine
    ::unsetenv("DOZADIR_CONFIG_HOME");
}

}  // namespace
}  // namespace dz::app
