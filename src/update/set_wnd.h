#pragma once
// CSetWnd: the settings window. It lets the user choose the interface language (and whether
// the program starts with the session) and shows, for each updatable item, the installed
// version, the version the update server offers and a status. Each opening checks the
// server on a worker thread; ticked updates are downloaded into the user's cache folder on
// another, with their progress shown in their rows. Nothing downloaded is run: a row whose
// package is there offers to open its folder.
//
// The window never waits on the network: its workers touch no widget and hand results
// over as queued calls; closing stops them within 500 ms.

#include <QPointer>
#include <QString>
#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "ui/ui_call_queue.h"
#include "ui/window_base.h"
#include "update/http_client.h"
#include "update/update_check.h"
#include "update/update_query.h"
#include "update/update_worker.h"

namespace dz::update {

class CUpdateInfoListItemUI;

class CSetWnd : public ui::WindowBase {
    Q_OBJECT
  public:
    // The owner's message numbers: the language chosen (wParam its index), and everything is
    // up to date (the owner removes its update badge); the installer's reports forwarded by
    // the owner (wParam 1 done, 2 and 3 failed, 4 progress with lParam the percentage).
    struct Messages {
        unsigned language_changed = 0x0C11;
        unsigned clear_update_badge = 0x0C16;
        unsigned installer_report = 0;
    };

    struct Setup {
        std::vector<UpdateItem> items;  // the items to check (version not 0), in order
        int language_index = 0;
        Messages messages;
        std::string server;  // the update server's base address
        HttpSettings http;
        std::filesystem::path date_file = LastCheckFile();
        std::filesystem::path download_folder = DownloadFolder();
        // Fills the language combo and selects the current language, without notifying.
        std::function<void(QWidget* combo)> fill_language_combo;
        // Whether the program starts with the session, and how to change it (false: failed).
        bool autostart = false;
        std::function<bool(bool on)> set_autostart;
        // Shows a folder in the desktop's file manager.
        std::function<void(const QString& folder)> open_folder;
    };

    static constexpr int kWidth = 630;
    static constexpr int kHeight = 500;
    static constexpr int kRingTimer = 1;
    static constexpr int kRingTimerMs = 40;

    CSetWnd(ui::WindowBase* owner, Setup setup);
    ~CSetWnd() override;

    [[nodiscard]] int WindowStatus() const { return status_; }
    [[nodiscard]] const QString& LastCheckDate() const { return last_date_; }
    [[nodiscard]] int RowCount() const;
    [[nodiscard]] CUpdateInfoListItemUI* Row(int index) const;
    [[nodiscard]] bool CheckRunning() const { return check_.Running(); }
    [[nodiscard]] bool DownloadsRunning() const { return downloads_.Running(); }
    // The close rule: refused while a row waits for, or is in, its download or installation.
    [[nodiscard]] bool CanClose() const;
    // The row an installer reports on: the one being installed, else the first downloaded.
    [[nodiscard]] int InstallingRow() const;

    // The text identifier of a window status (0 to 4).
    [[nodiscard]] static const char* StatusTextId(int status);

    // Stops the check (within 500 ms).
    void StopCheck();
    // The application ends: every worker stopped, the window closed whatever its rows.
    void Shutdown();

  protected:
    void InitWindow() override;
    void Notify(const ui::Notification& msg) override;
    qintptr HandleMessage(unsigned msg, qintptr wParam, qintptr lParam, bool& handled) override;
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;

  private:
    void Start();
    void ShowStatus(int status);
    void AddRow(const UpdateRow& row);
    void ShowRow(int index, const UpdateRow& row);
    void OnRowResult(size_t index, const UpdateRow& row);
    void OnCheckDone(int window_status);
    void OnTickChanged();
    void OnOk();
    void StartDownloads();
    void OnDownloadStarted(int index);
    void OnDownloadProgress(int index, int percent);
    void OnDownloadDone(int index, bool ok, const QString& file, const QString& error);
    void OnDownloadsFinished();
    void OnInstallerReport(qintptr what, qintptr value);
    void SetUpdateButton(bool shown);

    ui::WindowBase* owner_;
    Setup setup_;
    // Declared before the workers: they are stopped before the queue goes.
    ui::UiCallQueue calls_;
    UpdateWorker check_{calls_};
    UpdateWorker downloads_{calls_};
    std::vector<UpdateRow> rows_;
    int status_ = -1;
    QString last_date_;
    bool shutting_down_ = false;
    QWidget* list_ = nullptr;
    QWidget* max_btn_ = nullptr;
    QWidget* restore_btn_ = nullptr;
};

}  // namespace dz::update
