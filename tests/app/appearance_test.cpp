// Language, skin and the settings window as the main window runs them, on the real skins
// (Qt offscreen), with the user's folders in a temporary home.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDBusConnection>
#include <QFileDialog>
#include <QFontDatabase>
#include <QImage>
#include <QPainter>
#include <QScreen>
#include <QSignalSpy>
#include <QTimer>
#include <cstdlib>
#include <filesystem>
#include <functional>
#include <memory>
#include <string>

#include <json/value.h>

#include "app/app_messages.h"
#include "app/app_setup.h"
#include "app/autostart.h"
#include "app/language.h"
#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "app/skin_choice.h"
#include "app/skin_frame.h"
#include "profile/settings_file.h"
#include "support/no_bus.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"
#include "support/test_http_server.h"
#include "ui/control_ops.h"
#include "ui/dpi.h"
#include "ui/resource_manager.h"
#include "update/set_wnd.h"

namespace dz::app {
namespace {

using test::WaitUntil;

QApplication& App() {
    static int argc = 1;
    static char name[] = "appearance_test";
    static char* argv[] = {name, nullptr};
    static auto* app = new QApplication(argc, argv);
    return *app;
}

using test::NoBus;

// Runs `act` once a top-level widget of type T is shown (polled from the event loop, so that
// it also runs inside a modal loop).
template <class T>
void WhenShown(std::function<void(T&)> act) {
    auto* poll = new QTimer(qApp);
    QObject::connect(poll, &QTimer::timeout, [poll, act] {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* t = qobject_cast<T*>(w);
            if (t == nullptr || !t->isVisible()) continue;
            poll->stop();
            poll->deleteLater();
            act(*t);
            return;
        }
    });
    poll->start(5);
}

void Click(ui::WindowBase& w, const QString& name) {
    auto* b = qobject_cast<QAbstractButton*>(w.FindControl(name));
    ASSERT_NE(b, nullptr) << name.toStdString();
    b->click();
}

// A Language.config of 16 languages: index i has id 100 + i; 0 is Chinese, 1 English.
std::filesystem::path SixteenLanguages(const test::TempFolder& folder) {
    Json::Value table;
    for (int i = 0; i < 16; ++i) {
        Json::Value e;
        e["Language_ID"] = 100 + i;
        e["Language_name"] = i == 0 ? "cn" : (i == 1 ? "en" : "l" + std::to_string(i));
        e["Language_file"] = i == 0 ? "lan_cn" : (i == 1 ? "lan_en" : "none_" + std::to_string(i));
        e["Language_text"] = i == 0 ? "language_cn_text" : "language_en_text";
        table["Language"].append(e);
    }
    const auto file = folder / "Language.config";
    test::WriteJson(file, table);
    return file;
}

class AppearanceTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        for (const char* v : {"DOZADIR_CONFIG_HOME", "DOZADIR_DATA_HOME", "DOZADIR_CACHE_HOME"})
            ::setenv(v, home_.path().c_str(), 1);
        // Nobody answers there: checks end at once.
        const std::string down = "http://127.0.0.1:" + std::to_string(test::FreePort()) + "/api/";
        ::setenv("DOZADIR_UPDATE_SERVER", down.c_str(), 1);
        SetupResources(ProgramFolder());
    }
    void TearDown() override {
        wnd_.reset();
        for (const char* v : {"DOZADIR_CONFIG_HOME", "DOZADIR_DATA_HOME", "DOZADIR_CACHE_HOME",
                              "DOZADIR_UPDATE_SERVER"})
            ::unsetenv(v);
    }
    void OpenMain() {
        wnd_ = std::make_unique<CMainWnd>(NoBus(), NoBus());
        ASSERT_TRUE(wnd_->Create());
        wnd_->show();
        ASSERT_TRUE(WaitUntil([&] { return wnd_->isVisible(); }));
        ASSERT_TRUE(WaitUntil([&] { return !wnd_->IsTimerActive(nullptr, kTimerDpiLayout.id); }));
    }
    QWidget* Root() { return wnd_->FindControl(QStringLiteral("root")); }

    test::TempFolder home_;
    std::unique_ptr<CMainWnd> wnd_;
};

// ---- Language -----------------------------------------------------------------------------

TEST_F(AppearanceTest, FontsAreRebuiltByTheFaceRules) {
    test::TempFolder folder;
    LanguageSwitch language(SixteenLanguages(folder));
    ASSERT_TRUE(language.Apply(0));
    EXPECT_EQ(language.FontRebuilds(), 1);
    EXPECT_EQ(language.FontFace(), QStringLiteral("汉仪菱心体简"));
    // The face is not installed: the closest one that writes Chinese stands in.
    EXPECT_NE(language.FontFamily(), language.FontFace());
    EXPECT_TRUE(QFontDatabase::writingSystems(language.FontFamily())
                    .contains(QFontDatabase::SimplifiedChinese))
        << language.FontFamily().toStdString();
    EXPECT_EQ(QApplication::font().family(), language.FontFamily());
    EXPECT_EQ(ReadSetting("LANGUAGE").asInt(), 100);

    ASSERT_TRUE(language.Apply(5));  // 0 -> 5: rebuilt with the general face
    EXPECT_EQ(language.FontRebuilds(), 2);
    EXPECT_EQ(language.FontFace(), QStringLiteral("Verdana Unicode MS"));
    ASSERT_TRUE(language.Apply(7));  // 5 -> 7: the fonts stay
    EXPECT_EQ(language.FontRebuilds(), 2);
    EXPECT_EQ(language.CurrentIndex(), 7);
    EXPECT_EQ(ReadSetting("LANGUAGE").asInt(), 107);
    ASSERT_TRUE(language.Apply(15));
    EXPECT_EQ(language.FontFace(), QStringLiteral("Noto Sans Thai"));
    EXPECT_EQ(language.FontRebuilds(), 3);
}

TEST_F(AppearanceTest, ChoosingTheCurrentLanguageAgainChangesNothing) {
    test::TempFolder folder;
    LanguageSwitch language(SixteenLanguages(folder));
    ASSERT_TRUE(language.Apply(1));
    EXPECT_EQ(ui::ResourceManager::Instance().Text(QStringLiteral("tips_text")),
              QStringLiteral("Tips"));
    std::filesystem::remove(SettingsFile());
    const int rebuilds = language.FontRebuilds();
    ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_cn")));
    EXPECT_FALSE(language.Apply(1));
    // Not even the stored value, the texts or the fonts.
    EXPECT_FALSE(std::filesystem::exists(SettingsFile()));
    EXPECT_EQ(language.FontRebuilds(), rebuilds);
    EXPECT_EQ(ui::ResourceManager::Instance().Text(QStringLiteral("tips_text")),
              QStringLiteral("提示"));
}

TEST_F(AppearanceTest, BrokenLanguageTablesLeaveTheTexts) {
    test::TempFolder folder;
    const std::vector<std::pair<const char*, std::string>> cases = {
        {"missing", ""},
        {"empty", "-"},
        {"not an array", R"({"Language": {"Language_file": "lan_en"}})"},
        {"outside the folder",
         R"({"Language": [{"Language_ID": 1, "Language_file": "../../../etc/passwd"},
                                               {"Language_ID": 2, "Language_file": "/etc/passwd"}]})"},
    };
    for (const auto& [what, text] : cases) {
        SCOPED_TRACE(what);
        const auto file = folder / "Language.config";
        std::filesystem::remove(file);
        if (text == "-")
            test::WriteText(file, "");
        else if (!text.empty())
            test::WriteText(file, text);
        ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en")));
        LanguageSwitch language(file);
        EXPECT_EQ(language.StartIndex(), 0);
        (void)language.Apply(language.StartIndex());
        EXPECT_EQ(ui::ResourceManager::Instance().Text(QStringLiteral("tips_text")),
                  QStringLiteral("Tips"));
        (void)language.Apply(1);
        EXPECT_EQ(ui::ResourceManager::Instance().Text(QStringLiteral("tips_text")),
                  QStringLiteral("Tips"));
    }
}

TEST_F(AppearanceTest, AnEmptyLanguageFileLeavesTheTexts) {
    test::TempFolder lang;
    test::WriteText(lang / "lan_empty.lang", "");
    test::WriteText(lang / "lan_comments.lang", "# only a comment\nno equals sign here\n");
    test::TempFolder folder;
    test::WriteText(folder / "Language.config", R"({"Language": [
        {"Language_ID": 1, "Language_file": "lan_empty"}, {"Language_ID": 2, "Language_file": "lan_comments"}]})");
    ui::ResourceManager& rm = ui::ResourceManager::Instance();
    const QString shipped = rm.LanguageDir();
    ASSERT_TRUE(rm.LoadLanguage(QStringLiteral("lan_en")));
    rm.SetLanguageDir(QString::fromStdString(lang.path().string()));
    LanguageSwitch language(folder / "Language.config");
    EXPECT_TRUE(language.Apply(0));
    EXPECT_EQ(rm.Text(QStringLiteral("tips_text")), QStringLiteral("Tips"));
    EXPECT_TRUE(language.Apply(1));
    EXPECT_EQ(rm.Text(QStringLiteral("tips_text")), QStringLiteral("Tips"));
    rm.SetLanguageDir(shipped);
}

TEST_F(AppearanceTest, TheSettingsComboSwitchesTheWholeWindowsLanguage) {
    ASSERT_TRUE(WriteSetting("LANGUAGE", Json::Value(1033)));  // English stored
    OpenMain();
    EXPECT_EQ(wnd_->Language().CurrentIndex(), 1);
    QWidget* setbtn = wnd_->FindControl(QStringLiteral("setbtn"));
    EXPECT_EQ(setbtn->toolTip(), QStringLiteral("Settings"));
    WhenShown<update::CSetWnd>([&](update::CSetWnd& settings) {
        auto* combo =
            qobject_cast<QComboBox*>(settings.FindControl(QStringLiteral("Language_combox_info")));
        ASSERT_NE(combo, nullptr);
        EXPECT_EQ(combo->currentIndex(), 1);
        combo->setCurrentIndex(0);  // Chinese
        EXPECT_EQ(ui::Text(settings.FindControl(QStringLiteral("setwnd_title"))),
                  QStringLiteral("设置"));
        settings.Close(0);
    });
    Click(*wnd_, QStringLiteral("setbtn"));
    EXPECT_EQ(wnd_->Language().CurrentIndex(), 0);
    EXPECT_EQ(ReadSetting("LANGUAGE").asInt(), 2052);
    // The caption's tips in the new language too.
    EXPECT_EQ(setbtn->toolTip(), QStringLiteral("设置"));
    EXPECT_EQ(wnd_->FindControl(QStringLiteral("closebtn"))->toolTip(), QStringLiteral("关闭"));
}

// ---- The settings window from the main window ----------------------------------------------

TEST_F(AppearanceTest, SettingsOpenBesideFromSetbtnAndCentredOtherwiseOnlyOnce) {
    OpenMain();
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    QRect beside, from_menu, from_message;
    int open_count = 0;
    auto measure = [&](QRect* where) {
        WhenShown<update::CSetWnd>([&, where](update::CSetWnd& settings) {
            ++open_count;
            *where = settings.frameGeometry();
            // A second request while it is open opens nothing.
            wnd_->OnOpenSettings(true);
            settings.Close(0);
        });
    };
    measure(&beside);
    Click(*wnd_, QStringLiteral("setbtn"));
    measure(&from_menu);
    wnd_->OnMenuCommand(QStringLiteral("setwnd_menu"));
    measure(&from_message);
    ASSERT_TRUE(wnd_->PostMessage(MSG_OPEN_SETTINGS_CENTRED, 0, 0));
    ASSERT_TRUE(WaitUntil([&] { return open_count == 3 && wnd_->SettingsWindow() == nullptr; }));
    const QRect main = wnd_->frameGeometry();
    const int dpi = wnd_->GetDPI();
    EXPECT_EQ(beside.right(), main.right() - ui::ScalePx(30, dpi));
    EXPECT_EQ(beside.top(), main.top() + ui::ScalePx(60, dpi));
    EXPECT_LE(std::abs(from_menu.center().x() - screen.center().x()), 1);
    EXPECT_LE(std::abs(from_message.center().y() - screen.center().y()), 1);
    EXPECT_EQ(from_menu, from_message);
    EXPECT_EQ(open_count, 3);
    // Its size is the skin's 630 x 500 at the window's scale.
    EXPECT_EQ(beside.width(), ui::ScalePx(630, dpi));
}

TEST_F(AppearanceTest, StartingWithTheSessionIsChosenInTheSettings) {
    OpenMain();
    auto tick = [&](bool expect_before) {
        WhenShown<update::CSetWnd>([&, expect_before](update::CSetWnd& settings) {
            QWidget* box = settings.FindControl(QStringLiteral("autostart_check"));
            EXPECT_EQ(ui::IsSelected(box), expect_before);
            qobject_cast<QAbstractButton*>(box)->click();
            settings.Close(0);
        });
        Click(*wnd_, QStringLiteral("setbtn"));
    };
    EXPECT_FALSE(AutostartEnabled());
    tick(false);
    ASSERT_TRUE(AutostartEnabled());
    const std::string entry = test::ReadText(AutostartFile());
    EXPECT_NE(entry.find(QCoreApplication::applicationFilePath().toStdString() + " --hidden"),
              std::string::npos)
        << entry;
    tick(true);  // shown ticked when the entry is there; unticking removes it
    EXPECT_FALSE(AutostartEnabled());
}

TEST_F(AppearanceTest, StartedHiddenTheFirstScanLeavesTheWindowInTheTray) {
    wnd_ = std::make_unique<CMainWnd>(NoBus(), NoBus());
    wnd_->SetStartHidden(true);
    QSignalSpy shows(&wnd_->Core(), &MainWndCore::ShowRequested);
    ASSERT_TRUE(wnd_->Create());
    wnd_->show();
    ASSERT_TRUE(WaitUntil([&] { return shows.count() >= 1; }));
    QCoreApplication::processEvents();
    EXPECT_FALSE(wnd_->isVisible());
    // A second start asks to be shown: that one is followed.
    (void)wnd_->Core().HandleRegistered(RegisterAppMessages().app_show, 0, 1);
    EXPECT_TRUE(WaitUntil([&] { return wnd_->isVisible(); }));
}

TEST_F(AppearanceTest, UpgradeNoticeAsksAndTheProgramKeepsRunning) {
    OpenMain();
    ASSERT_TRUE(wnd_->PostMessage(MSG_UPDATE_NOTICE, 0, 300));
    ASSERT_TRUE(WaitUntil([&] { return wnd_->UpdateNotice(); }));
    bool asked = false;
    WhenShown<CMsgWnd>([&](CMsgWnd& box) {
        asked = true;
        EXPECT_EQ(ui::Text(box.FindControl(QStringLiteral("MessageText"))),
                  ui::ResourceManager::Instance().Text(QStringLiteral("message_text_26")));
        box.Close(0);  // no
    });
    ASSERT_TRUE(wnd_->PostMessage(MSG_UPDATE_NOTICE, 0, 120));
    ASSERT_TRUE(WaitUntil([&] { return asked && !wnd_->UpdateNotice(); }));
    EXPECT_TRUE(ui::IsVisible(wnd_->FindControl(QStringLiteral("No_device_Link"))));
    EXPECT_FALSE(wnd_->Exiting());
    EXPECT_TRUE(wnd_->isVisible());
}

// ---- Skin ----------------------------------------------------------------------------------

TEST_F(AppearanceTest, SkinWindowSitsUnderItsButtonAndItsButtonsChangeTheBackground) {
    OpenMain();
    Click(*wnd_, QStringLiteral("skinbtn"));
    auto* frame = qobject_cast<CSkinFrame*>(wnd_->SkinWindow());
    ASSERT_NE(frame, nullptr);
    EXPECT_TRUE(frame->isVisible());
    QWidget* button = wnd_->FindControl(QStringLiteral("skinbtn"));
    const QPoint corner = button->mapToGlobal(QPoint(button->width(), button->height()));
    EXPECT_EQ(frame->geometry().right() + 1, corner.x());
    EXPECT_EQ(frame->geometry().top(), corner.y());

    Click(*frame, QStringLiteral("skin_image_btn_2"));
    EXPECT_EQ(ui::BkImage(Root()), QStringLiteral("skin/bg_steel.svg"));
    auto stored = StoredSkinChoice(MainIniFile());
    ASSERT_TRUE(stored);
    EXPECT_EQ(stored->image, "skin/bg_steel.svg");
    EXPECT_NE(test::ReadText(MainIniFile()).find("[SKINIMAGE]\nFLAGS=1\nIMAGE=skin/bg_steel.svg\n"),
              std::string::npos);

    Click(*frame, QStringLiteral("skin_color"));
    EXPECT_EQ(ui::CurSel(frame->FindControl(QStringLiteral("skin_tab"))), 1);
    QWidget* swatch = frame->FindControl(QStringLiteral("skin_color_btn_3"));
    Click(*frame, QStringLiteral("skin_color_btn_3"));
    EXPECT_EQ(ui::BkColor(Root()), ui::BkColor(swatch));
    EXPECT_TRUE(ui::BkImage(Root()).isEmpty());
    stored = StoredSkinChoice(MainIniFile());
    ASSERT_TRUE(stored && stored->colour_mode);
    EXPECT_EQ(stored->colour, ui::BkColor(swatch));

    Click(*frame, QStringLiteral("skin_reset"));
    EXPECT_EQ(ui::BkImage(Root()), QStringLiteral("common/background.png"));
    EXPECT_EQ(ui::BkColor(Root()), 0u);
    EXPECT_NE(test::ReadText(MainIniFile()).find("FLAGS=0\n"), std::string::npos);
    EXPECT_FALSE(StoredSkinChoice(MainIniFile()));
    Click(*frame, QStringLiteral("skin_image"));
    EXPECT_EQ(ui::CurSel(frame->FindControl(QStringLiteral("skin_tab"))), 0);
}

TEST_F(AppearanceTest, CancellingTheImageDialogChangesNothing) {
    OpenMain();
    Click(*wnd_, QStringLiteral("skinbtn"));
    auto* frame = qobject_cast<CSkinFrame*>(wnd_->SkinWindow());
    ASSERT_NE(frame, nullptr);
    Click(*frame, QStringLiteral("skin_image_btn_1"));
    const std::string ini = test::ReadText(MainIniFile());
    bool saw_dialog = false;
    WhenShown<QFileDialog>([&](QFileDialog& dialog) {
        saw_dialog = true;
        EXPECT_EQ(dialog.nameFilters(), (QStringList{"(*.png)", "(*.*)"}));
        EXPECT_EQ(dialog.defaultSuffix(), QStringLiteral("png"));
        dialog.reject();
    });
    Click(*frame, QStringLiteral("skin_Custom"));
    EXPECT_TRUE(saw_dialog);
    EXPECT_EQ(ui::BkImage(Root()), QStringLiteral("skin/bg_ember.svg"));
    EXPECT_EQ(test::ReadText(MainIniFile()), ini);
}

TEST_F(AppearanceTest, TheUsersOwnImageIsShownAndComesBackAtTheNextStart) {
    OpenMain();
    // A file name with a quote and a bracket: it must stay one image address.
    const std::filesystem::path picture = home_ / "my \"blue\" (1).png";
    QImage blue(64, 40, QImage::Format_RGB32);
    blue.fill(QColor(0, 0, 255));
    ASSERT_TRUE(blue.save(QString::fromStdString(picture.string()), "PNG"));
    Click(*wnd_, QStringLiteral("skinbtn"));
    auto* frame = qobject_cast<CSkinFrame*>(wnd_->SkinWindow());
    ASSERT_NE(frame, nullptr);
    frame->SetImageChooser([&](QWidget*) { return QString::fromStdString(picture.string()); });
    Click(*frame, QStringLiteral("skin_Custom"));
    EXPECT_EQ(ui::BkImage(Root()).toStdString(), picture.string());
    // The picture is what the root shows (drawn where no control covers it).
    const QImage shot = Root()->grab().toImage();
    const QColor corner = shot.pixelColor(shot.width() - 3, shot.height() / 2);
    EXPECT_EQ(corner, QColor(0, 0, 255)) << corner.name().toStdString();

    // The next start shows it again; a colour likewise.
    wnd_.reset();
    OpenMain();
    EXPECT_EQ(ui::BkImage(Root()).toStdString(), picture.string());
    wnd_.reset();
    ASSERT_TRUE(StoreSkinChoice(MainIniFile(), {true, 0xFF102030u, {}}, false));
    OpenMain();
    EXPECT_EQ(ui::BkColor(Root()), 0xFF102030u);
    // A main.ini that is not INI: the default look.
    wnd_.reset();
    test::WriteText(MainIniFile(), std::string("\x89PNG\0\x01 garbage [SKINIMAGE\nFLAGS", 28));
    OpenMain();
    EXPECT_TRUE(ui::BkImage(Root()).isEmpty());
    EXPECT_EQ(ui::BkColor(Root()), 0u);
}

TEST_F(AppearanceTest, SkinWindowClosesWhenItLosesTheFocus) {
    OpenMain();
    Click(*wnd_, QStringLiteral("skinbtn"));
    QPointer<QWidget> frame = wnd_->SkinWindow();
    ASSERT_NE(frame, nullptr);
    frame->activateWindow();
    ASSERT_TRUE(WaitUntil([&] { return frame->isActiveWindow(); }));
    QWidget other;
    other.show();
    other.activateWindow();
    EXPECT_TRUE(WaitUntil([&] { return frame.isNull() || !frame->isVisible(); }));
}

}  // namespace
}  // namespace dz::app
