// The settings window on its real skin (Qt offscreen) against a real update server on
// 127.0.0.1: statuses, rows, the close rule, downloads, the language combo, installer reports.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QProgressBar>
#include <QTimer>
#include <filesystem>
#include <memory>
#include <string>
#include <vector>

#include <json/value.h>

#include "app/app_setup.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"
#include "support/test_http_server.h"
#include "ui/control_ops.h"
#include "ui/resource_manager.h"
#include "update/set_wnd.h"
#include "update/update_info_list_item_ui.h"

namespace dz::update {
namespace {

using test::WaitUntil;

QApplication& App() {
    static int argc = 1;
    static char name[] = "settings_window_test";
    static char* argv[] = {name, nullptr};
    static auto* app = new QApplication(argc, argv);
    return *app;
}

// The settings window's owner: records what the window tells it.
class Owner : public ui::WindowBase {
  public:
    Owner() : ui::WindowBase(QStringLiteral("XML_TEST_MISSING"), QStringLiteral("OWNER")) {}
    struct Message {
        unsigned msg;
        qintptr w;
    };
    std::vector<Message> messages;
    [[nodiscard]] int Count(unsigned msg) const {
        int n = 0;
        for (const Message& m : messages) n += m.msg == msg ? 1 : 0;
        return n;
    }

  protected:
    qintptr HandleMessage(unsigned msg, qintptr w, qintptr, bool& handled) override {
        messages.push_back({msg, w});
        handled = true;
        return 0;
    }
};

constexpr unsigned kInstallerReport = 0xC123;

Json::Value Answer(const std::string& body, double delay = 0) {
    Json::Value a;
    a["status"] = 200;
    a["body"] = body;
    if (delay > 0) a["delay"] = delay;
    return a;
}

// The keyboard's firmware 0x0102 and the application 100.
std::vector<UpdateItem> Items() {
    return ItemsToCheck(BuildUpdateItems({0, 0x0102}));
}

class SettingsWindowTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        owner_ = std::make_unique<Owner>();
        app::SetupResources(app::ProgramFolder());
        ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_en")));
    }
    void TearDown() override {
        wnd_.reset();
        owner_.reset();
    }

    // Opens the window against `script` (the server starts first).
    void Open(const Json::Value& script, std::vector<UpdateItem> items = Items()) {
        server_ = std::make_unique<test::TestHttpServer>(script);
        ASSERT_TRUE(server_->Running());
        OpenAt(server_->BaseUrl(), std::move(items));
    }
    void OpenAt(const std::string& base, std::vector<UpdateItem> items = Items()) {
        CSetWnd::Setup setup;
        setup.items = std::move(items);
        setup.server = base;
        setup.messages.installer_report = kInstallerReport;
        setup.date_file = home_ / "data" / "updatetime.config";
        setup.download_folder = home_ / "cache" / "UpdateData";
        setup.fill_language_combo = [](QWidget* combo) {
            ui::AddItem(combo, QStringLiteral("language_cn_text"), true);
            ui::AddItem(combo, QStringLiteral("language_en_text"), true);
            ui::SelectItem(combo, 1, false);
        };
        setup.open_folder = [this](const QString& folder) { opened_folders_.push_back(folder); };
        wnd_ = std::make_unique<CSetWnd>(owner_.get(), std::move(setup));
        ASSERT_TRUE(wnd_->Create());
        wnd_->show();
    }
    bool WaitForStatus(int status, int ms = 5000) {
        return WaitUntil([&] { return wnd_->WindowStatus() == status; }, ms);
    }
    QString StatusText() {
        return ui::Text(wnd_->FindControl(QStringLiteral("Update_Status_text")));
    }
    void Click(const char* name) {
        auto* b = qobject_cast<QAbstractButton*>(wnd_->FindControl(QString::fromLatin1(name)));
        ASSERT_NE(b, nullptr) << name;
        b->click();
    }

    test::TempFolder home_;
    std::unique_ptr<Owner> owner_;
    std::unique_ptr<test::TestHttpServer> server_;
    std::unique_ptr<CSetWnd> wnd_;
    std::vector<QString> opened_folders_;
};

TEST_F(SettingsWindowTest, FirstOpeningWritesTodaysDateBeforeTheCheck) {
    Json::Value slow;
    slow["routes"]["/api/updates"]["default"] = Answer("{}", 35);  // the check cannot end
    ASSERT_FALSE(std::filesystem::exists(home_ / "data" / "updatetime.config"));
    Open(slow);
    EXPECT_EQ(wnd_->WindowStatus(), kWindowChecking);
    EXPECT_EQ(ReadLastCheckDate(home_ / "data" / "updatetime.config"), TodayText());
    EXPECT_EQ(wnd_->LastCheckDate().toStdString(), TodayText());
    // Checking: the ring is shown and turns, the image is hidden.
    QWidget* ring = wnd_->FindControl(QStringLiteral("update_status_ring"));
    EXPECT_TRUE(ui::IsVisible(ring));
    EXPECT_FALSE(ui::IsVisible(wnd_->FindControl(QStringLiteral("update_status_image"))));
    const int before = ui::Value(ring);
    EXPECT_TRUE(WaitUntil([&] { return ui::Value(ring) != before; }, 1000));
    EXPECT_EQ(StatusText(), QStringLiteral("Checking for updates…"));
    // The rows show what is installed while the server is asked.
    ASSERT_EQ(wnd_->RowCount(), 2);
    EXPECT_EQ(wnd_->Row(0)->Name(), QStringLiteral("KB"));
    EXPECT_EQ(wnd_->Row(1)->Name(), QStringLiteral("AP"));
    EXPECT_EQ(wnd_->Row(0)->Status(), 7);

    // A stored date stays as it is.
    wnd_.reset();
    test::WriteText(home_ / "data" / "updatetime.config",
                    R"({"updatelasttime":{"value":"2022-9-12"}})");
    OpenAt("http://127.0.0.1:" + std::to_string(test::FreePort()) + "/api/");
    EXPECT_EQ(wnd_->LastCheckDate(), QStringLiteral("2022-9-12"));
}

TEST_F(SettingsWindowTest, AllUnreachableShowsNoUpdateInfoText) {
    OpenAt("http://127.0.0.1:" + std::to_string(test::FreePort()) + "/api/");
    ASSERT_TRUE(WaitForStatus(kWindowNoServer));
    EXPECT_EQ(StatusText(),
              ui::ResourceManager::Instance().Text(QStringLiteral("NoUpdateInfoText")));
    EXPECT_EQ(StatusText(), QStringLiteral("The update server could not be reached."));
    EXPECT_FALSE(ui::IsVisible(wnd_->FindControl(QStringLiteral("update_status_ring"))));
    EXPECT_TRUE(ui::IsVisible(wnd_->FindControl(QStringLiteral("update_status_image"))));
    for (int i = 0; i < wnd_->RowCount(); ++i) {
        EXPECT_EQ(wnd_->Row(i)->Status(), 7);
        EXPECT_FALSE(wnd_->Row(i)->IsTickEnabled());
    }
    EXPECT_FALSE(ui::IsVisible(wnd_->FindControl(QStringLiteral("update_fw_and_ap"))));
    EXPECT_EQ(owner_->Count(0x0C16), 0);
}

TEST_F(SettingsWindowTest, EverythingUpToDateShowsTheDateAndClearsTheBadge) {
    Json::Value s;
    s["routes"]["/api/updates"]["by_key"]["RODAV_1_DA20Z02E_KB_1"] =
        Answer(R"({"name":"KB fw","version":"102"})");
    s["routes"]["/api/updates"]["by_key"]["RODAV_0_ALL_AP_1"] =
        Answer(R"({"name":"App","version":"100"})");
    Open(s);
    ASSERT_TRUE(WaitForStatus(kWindowUpToDate));
    EXPECT_EQ(StatusText(), QStringLiteral("Everything is up to date. Last checked: ") +
                                QString::fromStdString(TodayText()));
    EXPECT_EQ(owner_->Count(0x0C16), 1);
    EXPECT_EQ(wnd_->Row(0)->Name(), QStringLiteral("KB fw"));
    EXPECT_EQ(wnd_->Row(1)->Name(), QStringLiteral("App"));
    // The language changes: the status line is composed again in the new language.
    ASSERT_TRUE(ui::ResourceManager::Instance().LoadLanguage(QStringLiteral("lan_cn")));
    ui::ResourceManager::Instance().ReloadText();
    ASSERT_TRUE(wnd_->PostMessage(0x0C11, 0, 0));
    EXPECT_TRUE(WaitUntil([&] { return StatusText().startsWith(QStringLiteral("已是最新版本")); }));
    EXPECT_TRUE(StatusText().endsWith(QString::fromStdString(TodayText())));
}

TEST_F(SettingsWindowTest, AnOfferedUpdateIsTickedAndDownloadsIntoTheCacheFolder) {
    Json::Value s;
    s["routes"]["/api/updates"]["by_key"]["RODAV_1_DA20Z02E_KB_1"] =
        Answer(R"({"name":"KB fw","version":"103","path":"/files/kb 103.bin"})");
    s["routes"]["/api/updates"]["by_key"]["RODAV_0_ALL_AP_1"] =
        Answer(R"({"name":"App","version":"100"})");
    Json::Value file;
    file["size"] = 400000;
    file["chunk"] = 40000;
    file["chunk_delay"] = 0.05;
    s["files"]["/files/kb%20103.bin"] = file;
    Open(s);
    ASSERT_TRUE(WaitForStatus(kWindowHaveUpdate));
    CUpdateInfoListItemUI* kb = wnd_->Row(0);
    EXPECT_EQ(kb->Status(), 1);
    EXPECT_TRUE(kb->IsTicked());
    EXPECT_TRUE(kb->IsTickEnabled());
    EXPECT_EQ(ui::Text(kb->findChild<QWidget*>(QStringLiteral("updateRev"))),
              QStringLiteral("V103"));
    EXPECT_EQ(wnd_->Row(1)->Status(), 7);
    EXPECT_FALSE(wnd_->Row(1)->IsTickEnabled());
    QWidget* update_button = wnd_->FindControl(QStringLiteral("update_fw_and_ap"));
    EXPECT_TRUE(ui::IsVisible(update_button));

    // Unticking the only offer hides the button, ticking shows it again.
    kb->TickBox()->click();
    EXPECT_FALSE(ui::IsVisible(update_button));
    kb->TickBox()->click();
    EXPECT_TRUE(ui::IsVisible(update_button) && ui::IsEnabled(update_button));

    Click("update_fw_and_ap");
    EXPECT_EQ(ui::CurSel(wnd_->FindControl(QStringLiteral("get_update_tab_layout"))), 1);
    Click("update_OK_btn");
    EXPECT_EQ(ui::CurSel(wnd_->FindControl(QStringLiteral("get_update_tab_layout"))), 0);
    EXPECT_FALSE(ui::IsEnabled(update_button));
    // Waiting for its download (the worker's first report is not in yet): no close.
    EXPECT_EQ(kb->Status(), 3);
    EXPECT_FALSE(wnd_->CanClose());
    wnd_->close();
    EXPECT_TRUE(wnd_->isVisible());
    // While it downloads the row shows its progress, and the window will not close.
    ASSERT_TRUE(WaitUntil([&] { return kb->Status() == 4 && kb->ProgressValue() > 0; }));
    EXPECT_EQ(wnd_->WindowStatus(), kWindowUpdating);
    EXPECT_TRUE(ui::IsVisible(kb->findChild<QWidget*>(QStringLiteral("update_progress_value"))));
    EXPECT_TRUE(
        ui::Text(kb->findChild<QWidget*>(QStringLiteral("update_progress_value"))).endsWith('%'));
    EXPECT_FALSE(wnd_->CanClose());
    Click("closebtn");
    EXPECT_TRUE(wnd_->isVisible());
    wnd_->close();
    EXPECT_TRUE(wnd_->isVisible());

    ASSERT_TRUE(WaitUntil([&] { return kb->Status() == 5; }, 10000));
    EXPECT_EQ(kb->ProgressValue(), 100);
    const std::filesystem::path saved = home_ / "cache" / "UpdateData" / "KB fw.bin";
    EXPECT_EQ(kb->File().toStdString(), saved.string());
    ASSERT_TRUE(std::filesystem::exists(saved));
    EXPECT_EQ(std::filesystem::file_size(saved), 400000u);
    EXPECT_TRUE(ui::IsVisible(kb->findChild<QWidget*>(QStringLiteral("update_status_ok"))));
    auto* open = kb->findChild<QAbstractButton*>(QStringLiteral("update_open_folder_btn"));
    ASSERT_NE(open, nullptr);
    EXPECT_TRUE(ui::IsVisible(open));
    open->click();
    ASSERT_EQ(opened_folders_.size(), 1u);
    EXPECT_EQ(opened_folders_[0].toStdString(), (home_ / "cache" / "UpdateData").string());
    EXPECT_TRUE(WaitForStatus(kWindowHaveUpdate));
    EXPECT_TRUE(wnd_->CanClose());
    Click("closebtn");
    EXPECT_FALSE(wnd_->isVisible());
}

TEST_F(SettingsWindowTest, AFailedDownloadCanBeTickedAgain) {
    Json::Value s;
    s["routes"]["/api/updates"]["default"] =
        Answer(R"({"name":"fw","version":"999","path":"/files/gone.bin"})");
    Json::Value gone;
    gone["status"] = 404;
    s["files"]["/files/gone.bin"] = gone;
    Open(s, {Items()[0]});
    ASSERT_TRUE(WaitForStatus(kWindowHaveUpdate));
    Click("update_fw_and_ap");
    Click("update_OK_btn");
    CUpdateInfoListItemUI* row = wnd_->Row(0);
    ASSERT_TRUE(WaitUntil([&] { return row->Status() == 8; }));
    EXPECT_TRUE(row->IsTickEnabled());
    EXPECT_TRUE(wnd_->CanClose());
}

TEST_F(SettingsWindowTest, TheCheckNeverBlocksAndClosingStopsItAtOnce) {
    Json::Value slow;
    slow["routes"]["/api/updates"]["default"] = Answer("{}", 35);
    Open(slow);
    ASSERT_TRUE(WaitUntil([&] { return !server_->Requests().empty(); }));
    EXPECT_TRUE(wnd_->CheckRunning());
    // The UI thread goes on: a queued call runs while the query waits.
    bool ran = false;
    QTimer::singleShot(0, [&] { ran = true; });
    EXPECT_TRUE(WaitUntil([&] { return ran; }, 500));
    QElapsedTimer clock;
    clock.start();
    Click("laterbtn");
    EXPECT_LT(clock.elapsed(), 500);
    EXPECT_FALSE(wnd_->isVisible());
    EXPECT_FALSE(wnd_->CheckRunning());
}

TEST_F(SettingsWindowTest, ChoosingALanguageTellsTheOwner) {
    OpenAt("http://127.0.0.1:" + std::to_string(test::FreePort()) + "/api/");
    auto* combo =
        qobject_cast<QComboBox*>(wnd_->FindControl(QStringLiteral("Language_combox_info")));
    ASSERT_NE(combo, nullptr);
    ASSERT_EQ(combo->count(), 2);
    EXPECT_EQ(combo->currentIndex(), 1);
    EXPECT_EQ(combo->itemText(0), QStringLiteral("简体中文"));
    EXPECT_TRUE(owner_->messages.empty());  // filling it told nobody
    combo->setCurrentIndex(0);
    ASSERT_EQ(owner_->Count(0x0C11), 1);
    EXPECT_EQ(owner_->messages.back().w, 0);
}

TEST_F(SettingsWindowTest, InstallerReportsDriveTheDownloadedRow) {
    Json::Value s;
    s["routes"]["/api/updates"]["default"] =
        Answer(R"({"name":"fw","version":"103","path":"/f.bin"})");
    Json::Value file;
    file["size"] = 1000;
    s["files"]["/f.bin"] = file;
    Open(s, {Items()[0]});
    ASSERT_TRUE(WaitForStatus(kWindowHaveUpdate));
    // Before anything is downloaded no row is being installed: reports change nothing.
    ASSERT_TRUE(wnd_->PostMessage(kInstallerReport, 1, 0));
    QCoreApplication::processEvents();
    EXPECT_EQ(wnd_->Row(0)->Status(), 1);
    Click("update_fw_and_ap");
    Click("update_OK_btn");
    CUpdateInfoListItemUI* row = wnd_->Row(0);
    ASSERT_TRUE(WaitUntil([&] { return row->Status() == 5; }));
    EXPECT_EQ(wnd_->InstallingRow(), 0);
    ASSERT_TRUE(wnd_->PostMessage(kInstallerReport, 4, 40));
    ASSERT_TRUE(WaitUntil([&] { return row->Status() == 6; }));
    EXPECT_EQ(row->ProgressValue(), 40);
    EXPECT_FALSE(wnd_->CanClose());  // being installed
    ASSERT_TRUE(wnd_->PostMessage(kInstallerReport, 1, 0));
    ASSERT_TRUE(WaitUntil([&] { return row->Status() == 7; }));
    EXPECT_EQ(ui::Text(row->findChild<QWidget*>(QStringLiteral("OldRev"))), QStringLiteral("V103"));
    EXPECT_FALSE(ui::IsVisible(row->findChild<QWidget*>(QStringLiteral("updateRev"))));
    EXPECT_FALSE(row->IsTicked());
    EXPECT_EQ(wnd_->WindowStatus(), kWindowUpToDate);
    EXPECT_TRUE(wnd_->CanClose());
}

TEST_F(SettingsWindowTest, RowStatusesShowTheirTextsMarksAndColours) {
    OpenAt("http://127.0.0.1:" + std::to_string(test::FreePort()) + "/api/", {Items()[0]});
    CUpdateInfoListItemUI* row = wnd_->Row(0);
    ASSERT_NE(row, nullptr);
    struct C {
        int status;
        const char* text;
        bool progress, ok, tick;
        QRgb normal;
    };
    const std::vector<C> cases = {
        {0, "Not checked", false, false, false, 0xFFFFFFFF},
        {1, "Update available", false, false, true, 0xFF0099FF},
        {2, "Update available", false, false, true, 0xFF0099FF},
        {3, "Waiting to download", false, false, false, 0xFF0099FF},
        {4, "Downloading", true, false, false, 0xFF0099FF},
        {5, "Downloaded", false, true, false, 0xFF0099FF},
        {6, "Installing", true, false, false, 0xFF0099FF},
        {7, "Up to date", false, false, false, 0xFFFFFFFF},
        {8, "Failed", false, false, true, 0xFF0099FF},
    };
    for (const C& c : cases) {
        SCOPED_TRACE(c.status);
        row->SetStatus(c.status);
        EXPECT_EQ(ui::Text(row->findChild<QWidget*>(QStringLiteral("update_status_text"))), c.text);
        EXPECT_EQ(ui::IsVisible(row->findChild<QWidget*>(QStringLiteral("update_status_ing"))),
                  c.progress);
        EXPECT_EQ(ui::IsVisible(row->findChild<QWidget*>(QStringLiteral("update_status_ok"))),
                  c.ok);
        EXPECT_EQ(row->IsTickEnabled(), c.tick);
        EXPECT_EQ(CUpdateInfoListItemUI::ColoursFor(c.status).normal, c.normal);
        EXPECT_TRUE(row->TickBox()->styleSheet().contains(QColor::fromRgba(c.normal).name()));
    }
    // The same status again does nothing: what code changed since stays.
    row->SetStatus(4);
    row->SetTickEnabled(true);
    row->SetStatus(4);
    EXPECT_TRUE(row->IsTickEnabled());
    row->SetProgressValue(30);
    EXPECT_EQ(ui::Text(row->findChild<QWidget*>(QStringLiteral("update_progress_value"))),
              QStringLiteral("30%"));
}

}  // namespace
}  // namespace dz::update
