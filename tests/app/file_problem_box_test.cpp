// The window's side of file reports, on the real message box skin with Qt's offscreen
// platform: the texts in both languages, one box per file and problem, and the start's
// clearing of what interrupted saves left behind.
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <QApplication>
#include <QTimer>
#include <functional>

#include "app/app_setup.h"
#include "app/file_problem_box.h"
#include "app/msg_wnd.h"
#include "platform/paths/paths.h"
#include "support/qt_app.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"
#include "ui/control_ops.h"
#include "ui/resource_manager.h"

namespace dz::app {
namespace {

namespace fs = std::filesystem;

QApplication& App() {
    return test::TestApplication();
}

class FileProblemBoxTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        ::setenv("DOZADIR_DATA_HOME", home_.path().c_str(), 1);
        SetupResources(ProgramFolder());
        ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en")));
        ForgetReportedFileProblems();
    }
    void TearDown() override {
        (void)SetFileProblemSink(nullptr);
        ::unsetenv("DOZADIR_DATA_HOME");
    }

    // The texts of the boxes shown while `act` and the event loop after it run, waiting for
    // `expected` of them; each box is confirmed as it comes up. The reports of one operation
    // are shown by one queued call, so when the wait ends every box it had has been shown.
    std::vector<QString> BoxesShownBy(const std::function<void()>& act, size_t expected) {
        std::vector<QString> shown;
        bool acting = true;
        QTimer poll;
        QObject::connect(&poll, &QTimer::timeout, [&] {
            for (QWidget* w : QApplication::topLevelWidgets()) {
                auto* box = qobject_cast<CMsgWnd*>(w);
                if (box == nullptr || !box->isVisible() || !box->IsModalRunning()) continue;
                shown.push_back(ui::Text(box->FindControl(QStringLiteral("MessageText"))));
                if (acting) ++shown_while_acting_;
                box->Close(1);
            }
        });
        poll.start(5);
        act();
        acting = false;
        EXPECT_TRUE(test::WaitUntil([&] { return shown.size() >= expected; }));
        QApplication::processEvents();
        return shown;
    }

    test::TempFolder home_;
    int shown_while_acting_ = 0;  // boxes that came up within the operation itself
};

TEST_F(FileProblemBoxTest, MessagesNameTheFileAndWhatHappenedInBothLanguages) {
    const FileProblemReport left{"/home/u/.local/share/Dozadir Keyboard/mouse/p.Json",
                                 FileProblem::kLeftAsItIs,
                                 "Permission denied",
                                 {}};
    const FileProblemReport replaced{"/d/macro.config",
                                     FileProblem::kReplacedBroken,
                                     {},
                                     "/d/macro.config.broken-2024_03_07_09_05_01_042"};
    for (const char* language : {"lan_en", "lan_cn"}) {
        SCOPED_TRACE(language);
        ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QString::fromLatin1(language)));
        const QString a = FileProblemMessage(left);
        EXPECT_TRUE(
            a.contains(QStringLiteral("/home/u/.local/share/Dozadir Keyboard/mouse/p.Json")))
            << a.toStdString();
        EXPECT_TRUE(a.contains(QStringLiteral("Permission denied"))) << a.toStdString();
        const QString b = FileProblemMessage(replaced);
        EXPECT_TRUE(b.contains(QStringLiteral("/d/macro.config"))) << b.toStdString();
        EXPECT_TRUE(b.contains(QStringLiteral("/d/macro.config.broken-2024_03_07_09_05_01_042")))
            << b.toStdString();
        for (const QString& text : {a, b}) {
            EXPECT_FALSE(text.contains(QStringLiteral("%s"))) << text.toStdString();
            EXPECT_FALSE(text.startsWith(QStringLiteral("message_text_"))) << "a text exists";
        }
    }
}

TEST_F(FileProblemBoxTest, OneBoxPerFileAndProblemAfterTheOperation) {
    SetUpUserFiles();
    const FileProblemReport report{
        "/x/p.Json", FileProblem::kLeftAsItIs, "Too many open files", {}};
    const std::vector<QString> shown = BoxesShownBy(
        [&] {
            ReportFileProblem(report);
            ReportFileProblem(report);  // the next save meets it again
            ReportFileProblem(
                {"/x/p.Json", FileProblem::kReplacedBroken, {}, "/x/p.Json.broken-1"});
        },
        2);
    EXPECT_EQ(shown_while_acting_, 0) << "not shown within the load or save that met it";
    ASSERT_EQ(shown.size(), 2u);
    EXPECT_TRUE(shown[0].contains(QStringLiteral("Too many open files"))) << shown[0].toStdString();
    EXPECT_TRUE(shown[1].contains(QStringLiteral("/x/p.Json.broken-1"))) << shown[1].toStdString();
}

TEST_F(FileProblemBoxTest, TheStartRemovesWhatInterruptedSavesLeft) {
    const pid_t dead = ::fork();
    ASSERT_GE(dead, 0);
    if (dead == 0) ::_exit(0);
    ASSERT_EQ(::waitpid(dead, nullptr, 0), dead);
    const std::string pid = std::to_string(dead);
    const fs::path product = paths::ProductDataFolder();
    const std::vector<fs::path> leftovers = {
        product / (".AudioFile.json." + pid + ".0.tmp"),
        paths::KindDataFolder("mouse") / (".ProfileList.ini." + pid + ".3.tmp"),
        paths::KindDataFolder("HD") / (".2024_03_07_09_05_01_042.Json." + pid + ".1.tmp"),
    };
    const fs::path profile = paths::KindDataFolder("mouse") / "2024_03_07_09_05_01_042.Json";
    for (const fs::path& file : leftovers) test::WriteText(file, "{");
    test::WriteText(profile, "{}");
    SetUpUserFiles();
    for (const fs::path& file : leftovers) EXPECT_FALSE(fs::exists(file)) << file;
    EXPECT_TRUE(fs::exists(profile));
}

}  // namespace
}  // namespace dz::app
