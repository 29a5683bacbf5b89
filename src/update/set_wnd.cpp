#include "update/set_wnd.h"

#include <QAbstractButton>
#include <QCloseEvent>
#include <QDesktopServices>
#include <QEvent>
#include <QUrl>

#include "platform/log/debug_log.h"
#include "ui/control_ops.h"
#include "ui/dpi.h"
#include "ui/resource_manager.h"
#include "ui/skin_loader.h"
#include "update/package_download.h"
#include "update/update_info_list_item_ui.h"

namespace dz::update {
namespace {

QString Q(const std::string& s) {
    return QString::fromStdString(s);
}

// The picture beside the status text.
const char* StatusImage(int status) {
    switch (status) {
        case kWindowHaveUpdate:
            return "setwnd/status_update.svg";
        case kWindowNoServer:
            return "setwnd/status_error.svg";
        case kWindowUpdating:
            return "setwnd/status_download.svg";
        default:
            return "setwnd/status_ok.svg";
    }
}

bool IsOffer(int status) {
    return status == 1 || status == 2;
}

}  // namespace

CSetWnd::CSetWnd(ui::WindowBase* owner, Setup setup)
    : ui::WindowBase(QStringLiteral("setwnd.xml"), QStringLiteral("SET_WND"), owner,
                     Qt::Tool | Qt::FramelessWindowHint),
      owner_(owner),
      setup_(std::move(setup)) {
    setObjectName(QStringLiteral("SetWnd"));
    setWindowTitle(QStringLiteral("  "));
    if (!setup_.open_folder) {
        setup_.open_folder = [](const QString& folder) {
            QDesktopServices::openUrl(QUrl::fromLocalFile(folder));
        };
    }
}

CSetWnd::~CSetWnd() {
    (void)check_.Stop();
    (void)downloads_.Stop();
}

void CSetWnd::InitWindow() {
    for (const char* name : {"closebtn", "minbtn", "menubtn", "laterbtn", "Language_combox_info"})
        (void)FindControl(QString::fromLatin1(name));
    max_btn_ = FindControl(QStringLiteral("maxbtn"));
    restore_btn_ = FindControl(QStringLiteral("restorebtn"));
    list_ = FindControl(QStringLiteral("device_update_list_info"));
    ui::SetSelected(FindControl(QStringLiteral("autostart_check")), setup_.autostart, false);
    // Where packages go, in the tip above the list.
    if (QWidget* folder = FindControl(QStringLiteral("update_folder_path")))
        ui::SetText(folder, QString::fromStdString(setup_.download_folder.string()));
}

int CSetWnd::RowCount() const {
    return static_cast<int>(rows_.size());
}

CUpdateInfoListItemUI* CSetWnd::Row(int index) const {
    return qobject_cast<CUpdateInfoListItemUI*>(ui::ListRow(list_, index));
}

void CSetWnd::Start() {
    if (QWidget* combo = FindControl(QStringLiteral("Language_combox_info"));
        combo != nullptr && setup_.fill_language_combo)
        setup_.fill_language_combo(combo);
    last_date_ = Q(LastCheckDateOrToday(setup_.date_file));
    ShowStatus(kWindowChecking);
    for (const UpdateItem& item : setup_.items) AddRow(InitialRow(item));

    const std::vector<UpdateItem> items = setup_.items;
    const std::string base = setup_.server;
    const std::filesystem::path date_file = setup_.date_file;
    check_.Start(setup_.http,
                 [this, items, base, date_file](HttpClient& client, const std::atomic<bool>& stop,
                                                const UpdateWorker::Post& post) {
                     CheckRun run{base, date_file, [this, &post](size_t i, const UpdateRow& row) {
                                      post([this, i, row] { OnRowResult(i, row); });
                                  }};
                     const CheckResult result = RunUpdateCheck(items, client, run, stop);
                     if (!result.stopped)
                         post([this, s = result.window_status] { OnCheckDone(s); });
                 });
}

void CSetWnd::AddRow(const UpdateRow& row) {
    auto callback = [this](const QString& className, QWidget* parent) {
        return CreateControl(className, parent);
    };
    QWidget* built =
        ui::BuildSkin(QString::fromLatin1(CUpdateInfoListItemUI::kSkin), nullptr, callback);
    auto* item = qobject_cast<CUpdateInfoListItemUI*>(built);
    if (item == nullptr) {
        delete built;
        log::DebugLine("SET_WND: the update row's skin is not a row: list left empty");
        rows_.push_back(row);
        return;
    }
    ui::AddListRow(list_, item);
    rows_.push_back(row);
    ShowRow(RowCount() - 1, row);
    item->SetTickEnabled(false);
}

void CSetWnd::ShowRow(int index, const UpdateRow& row) {
    CUpdateInfoListItemUI* item = Row(index);
    if (item == nullptr) return;
    item->SetName(Q(row.name));
    item->SetOldRev(Q(row.current_text));
    item->SetUpdateRev(Q(row.offered_text));
    item->SetStatus(row.status);
    item->SetPath(Q(row.path));
    item->SetTicked(false);
}

void CSetWnd::OnRowResult(size_t index, const UpdateRow& row) {
    if (index >= rows_.size()) return;
    rows_[index] = row;
    ShowRow(static_cast<int>(index), row);
}

void CSetWnd::OnCheckDone(int window_status) {
    bool offered = false;
    for (int i = 0; i < RowCount(); ++i) {
        CUpdateInfoListItemUI* item = Row(i);
        if (item == nullptr) continue;
        const int s = item->Status();
        if (s == 7 || s == 0) {
            item->SetTickEnabled(false);
        } else {
            item->SetTickEnabled(true);
            item->SetTicked(true);
            offered = true;
        }
    }
    if (offered) SetUpdateButton(true);
    ShowStatus(window_status);
}

void CSetWnd::SetUpdateButton(bool shown) {
    QWidget* button = FindControl(QStringLiteral("update_fw_and_ap"));
    ui::SetEnabled(button, shown);
    ui::SetVisible(button, shown);
}

const char* CSetWnd::StatusTextId(int status) {
    static const char* const kTexts[] = {"GetUpdateInfoText", "HaveUpdateInfoText",
                                         "NoUpdateInfoText", "ISUpdateINGText", "UpdateIsLastText"};
    return kTexts[std::clamp(status, 0, 4)];
}

void CSetWnd::ShowStatus(int status) {
    status_ = status;
    QWidget* text = FindControl(QStringLiteral("Update_Status_text"));
    QWidget* ring = FindControl(QStringLiteral("update_status_ring"));
    QWidget* image = FindControl(QStringLiteral("update_status_image"));
    ui::ResourceManager& rm = ui::ResourceManager::Instance();
    if (status == kWindowChecking) {
        ui::SetVisible(ring, true);
        ui::SetVisible(image, false);
        SetTimer(ring, kRingTimer, kRingTimerMs);
        rm.SetResourceText(text, true);
        ui::SetText(text, QString::fromLatin1(StatusTextId(kWindowChecking)));
        return;
    }
    KillTimer(ring, kRingTimer);
    ui::SetVisible(ring, false);
    ui::SetVisible(image, true);
    ui::SetNormalImage(image, QString::fromLatin1(StatusImage(status)));
    rm.SetResourceText(text, true);
    ui::SetText(text, QString::fromLatin1(StatusTextId(status)));
    if (status == kWindowUpToDate) {
        // The text in the current language followed by the date, shown as it is.
        const QString line = ui::Text(text) + QLatin1Char(' ') + last_date_;
        rm.SetResourceText(text, false);
        ui::SetText(text, line);
        if (owner_ != nullptr) (void)owner_->SendMessage(setup_.messages.clear_update_badge, 0, 0);
    }
}

void CSetWnd::OnTickChanged() {
    bool any = false;
    for (int i = 0; i < RowCount(); ++i)
        if (CUpdateInfoListItemUI* item = Row(i); item != nullptr && item->IsTicked()) any = true;
    SetUpdateButton(any);
}

void CSetWnd::OnOk() {
    for (int i = 0; i < RowCount(); ++i) {
        CUpdateInfoListItemUI* item = Row(i);
        if (item == nullptr || !IsOffer(item->Status())) continue;
        if (item->IsTicked()) {
            item->SetStatus(3);
        } else {
            item->SetTickEnabled(false);
        }
    }
    ui::SetEnabled(FindControl(QStringLiteral("update_fw_and_ap")), false);
    ui::SelectItem(FindControl(QStringLiteral("get_update_tab_layout")), 0);
    StartDownloads();
}

void CSetWnd::StartDownloads() {
    struct Job {
        int index;
        std::string url;
        std::string file_name;
    };
    std::vector<Job> jobs;
    const std::string query_url = QueryUrl(setup_.server);
    for (int i = 0; i < RowCount(); ++i) {
        CUpdateInfoListItemUI* item = Row(i);
        if (item == nullptr || item->Status() != 3) continue;
        const UpdateRow& row = rows_[static_cast<size_t>(i)];
        jobs.push_back({i, PackageUrl(query_url, row.path), row.file_name});
    }
    if (jobs.empty()) return;
    ShowStatus(kWindowUpdating);
    const std::filesystem::path folder = setup_.download_folder;
    downloads_.Start(
        setup_.http, [this, jobs, folder](HttpClient& client, const std::atomic<bool>& stop,
                                          const UpdateWorker::Post& post) {
            for (const Job& job : jobs) {
                if (stop.load()) return;
                post([this, i = job.index] { OnDownloadStarted(i); });
                int last = -1;
                const DownloadOutcome out =
                    DownloadPackage(client, job.url, folder, job.file_name, [&](int percent) {
                        if (percent == last) return;  // one call per step
                        last = percent;
                        post([this, i = job.index, percent] { OnDownloadProgress(i, percent); });
                    });
                if (stop.load()) return;
                post([this, i = job.index, ok = out.ok, file = Q(out.file.string()),
                      error = Q(out.error)] { OnDownloadDone(i, ok, file, error); });
            }
            post([this] { OnDownloadsFinished(); });
        });
}

void CSetWnd::OnDownloadStarted(int index) {
    if (CUpdateInfoListItemUI* item = Row(index)) {
        item->SetProgressValue(0);
        item->SetStatus(4);
    }
}

void CSetWnd::OnDownloadProgress(int index, int percent) {
    if (CUpdateInfoListItemUI* item = Row(index); item != nullptr && item->Status() == 4)
        item->SetProgressValue(percent);
}

void CSetWnd::OnDownloadDone(int index, bool ok, const QString& file, const QString& error) {
    CUpdateInfoListItemUI* item = Row(index);
    if (item == nullptr) return;
    if (ok) {
        item->SetFile(file);
        item->SetStatus(5);
    } else {
        log::DebugLineF("SET_WND: download of row %d failed: %s", index, qUtf8Printable(error));
        item->SetStatus(8);
    }
}

void CSetWnd::OnDownloadsFinished() {
    ShowStatus(kWindowHaveUpdate);
}

int CSetWnd::InstallingRow() const {
    int downloaded = -1;
    for (int i = 0; i < RowCount(); ++i) {
        CUpdateInfoListItemUI* item = Row(i);
        if (item == nullptr) continue;
        if (item->Status() == 6) return i;
        if (item->Status() == 5 && downloaded < 0) downloaded = i;
    }
    return downloaded;
}

void CSetWnd::OnInstallerReport(qintptr what, qintptr value) {
    const int index = InstallingRow();
    CUpdateInfoListItemUI* item = Row(index);
    if (item == nullptr) return;
    if (what == 4) {
        item->SetProgressValue(static_cast<int>(value));
        item->SetStatus(6);
        item->SetProgressValue(static_cast<int>(value));
    } else if (what == 2 || what == 3) {
        item->SetStatus(8);
    } else if (what == 1) {
        UpdateRow& row = rows_[static_cast<size_t>(index)];
        row.current_text = row.offered_text;
        row.offered_text.clear();
        item->SetOldRev(Q(row.current_text));
        item->SetUpdateRev({});
        item->SetStatus(7);
        item->SetTicked(false);
        bool ticked_left = false;
        for (int i = 0; i < RowCount(); ++i)
            if (Row(i) != nullptr && Row(i)->IsTicked() && Row(i)->Status() != 7)
                ticked_left = true;
        if (!ticked_left) {
            bool offered_left = false;
            for (int i = 0; i < RowCount(); ++i) {
                if (Row(i) == nullptr || Row(i)->Status() == 7) continue;
                Row(i)->SetTickEnabled(true);
                offered_left = true;
            }
            ShowStatus(offered_left ? kWindowHaveUpdate : kWindowUpToDate);
        }
    }
}

bool CSetWnd::CanClose() const {
    // A downloaded row (5) waits for nothing here: no installer is started.
    for (int i = 0; i < RowCount(); ++i) {
        const CUpdateInfoListItemUI* item = Row(i);
        if (item == nullptr) continue;
        const int s = item->Status();
        if (s == 3 || s == 4 || s == 6) return false;
    }
    return true;
}

void CSetWnd::StopCheck() {
    (void)check_.Stop();
}

void CSetWnd::Shutdown() {
    shutting_down_ = true;
    (void)check_.Stop();
    (void)downloads_.Stop();
    Close(0);
}

void CSetWnd::Notify(const ui::Notification& msg) {
    const QString& name = msg.name;
    if (msg.type == QLatin1String(ui::notify::kWindowInit)) {
        Start();
    } else if (msg.type == QLatin1String(ui::notify::kTimer)) {
        if (msg.wParam == kRingTimer && msg.sender != nullptr)
            ui::SetValue(msg.sender, (ui::Value(msg.sender) + 2) % 101);
    } else if (msg.type == QLatin1String(ui::notify::kClick)) {
        if (name == QLatin1String("closebtn") || name == QLatin1String("laterbtn")) {
            if (!CanClose()) return;  // a download is still on its way
            StopCheck();
            Close(0);
        } else if (name == QLatin1String("minbtn")) {
            showMinimized();
        } else if (name == QLatin1String("maxbtn")) {
            showMaximized();
        } else if (name == QLatin1String("restorebtn")) {
            showNormal();
        } else if (name == QLatin1String("set_in_update_wnd_btn")) {
            ui::SetVisible(FindControl(QStringLiteral("update_tishi_layout")), false);
            resize(ui::ScalePx(kWidth, GetDPI()), ui::ScalePx(kHeight, GetDPI()));
        } else if (name == QLatin1String("update_fw_and_ap")) {
            ui::SelectItem(FindControl(QStringLiteral("get_update_tab_layout")), 1);
        } else if (name == QLatin1String("update_back_btn")) {
            ui::SelectItem(FindControl(QStringLiteral("get_update_tab_layout")), 0);
        } else if (name == QLatin1String("update_OK_btn")) {
            OnOk();
        } else if (name == QLatin1String("update_open_folder_btn")) {
            CUpdateInfoListItemUI* item = CUpdateInfoListItemUI::RowOf(msg.sender);
            if (item != nullptr && !item->File().isEmpty())
                setup_.open_folder(QString::fromStdString(
                    std::filesystem::path(item->File().toStdString()).parent_path().string()));
        }
    } else if (msg.type == QLatin1String(ui::notify::kSelectChanged)) {
        if (name == QLatin1String("check_name_select")) {
            OnTickChanged();
        } else if (name == QLatin1String("autostart_check") && setup_.set_autostart) {
            const bool on = ui::IsSelected(msg.sender);
            if (!setup_.set_autostart(on)) ui::SetSelected(msg.sender, !on, false);
        }
    } else if (msg.type == QLatin1String(ui::notify::kItemSelect)) {
        if (name == QLatin1String("Language_combox_info")) {
            setup_.language_index = ui::CurSel(msg.sender);
            if (owner_ != nullptr)
                (void)owner_->SendMessage(setup_.messages.language_changed, setup_.language_index,
                                          0);
        }
    }
}

qintptr CSetWnd::HandleMessage(unsigned msg, qintptr wParam, qintptr lParam, bool& handled) {
    if (msg == setup_.messages.language_changed) {
        handled = true;
        if (status_ == kWindowUpToDate) ShowStatus(kWindowUpToDate);  // in the new language
        update();
        return 0;
    }
    if (setup_.messages.installer_report != 0 && msg == setup_.messages.installer_report) {
        handled = true;
        OnInstallerReport(wParam, lParam);
        return 0;
    }
    return ui::WindowBase::HandleMessage(msg, wParam, lParam, handled);
}

void CSetWnd::closeEvent(QCloseEvent* event) {
    if (!shutting_down_ && !CanClose()) {
        event->ignore();  // a row waits for, or is in, its download
        return;
    }
    (void)check_.Stop();
    ui::WindowBase::closeEvent(event);
}

void CSetWnd::changeEvent(QEvent* event) {
    if (event->type() == QEvent::WindowStateChange) {
        const bool maximised = isMaximized();
        ui::SetVisible(max_btn_, !maximised);
        ui::SetVisible(restore_btn_, maximised);
    }
    ui::WindowBase::changeEvent(event);
}

}  // namespace dz::update
