#include "app/file_problem_box.h"

#include <QApplication>
#include <QMetaObject>
#include <QStringList>
#include <mutex>

#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "device/device_table.h"
#include "platform/paths/paths.h"
#include "profile/atomic_file.h"
#include "ui/resource_manager.h"

namespace dz::app {
namespace {

QString PathText(const std::filesystem::path& path) {
    return QString::fromStdString(path.string());
}

// Reports wait here until the UI thread shows them.
struct Pending {
    std::mutex lock;
    QStringList messages;
    bool showing = false;  // a box is up; its loop shows the rest
};

Pending& Queue() {
    static Pending pending;
    return pending;
}

void ShowPending() {
    Pending& q = Queue();
    {
        std::lock_guard lock(q.lock);
        if (q.showing) return;
        q.showing = true;
    }
    for (;;) {
        QString message;
        {
            std::lock_guard lock(q.lock);
            if (q.messages.isEmpty()) {
                q.showing = false;
                return;
            }
            message = q.messages.takeFirst();
        }
        CMainWnd* main = CMainWnd::Instance();
        (void)ShowMessageBox(main, {}, message, main != nullptr ? main->GetDPI() : 96, false, 0);
    }
}

}  // namespace

QString FileProblemMessage(const FileProblemReport& report) {
    const bool replaced = report.problem == FileProblem::kReplacedBroken;
    QString text = ui::ResourceManager::Instance().Text(
        QString::fromLatin1(replaced ? kFileReplacedBrokenText : kFileLeftAsItIsText));
    const QString second = replaced ? PathText(report.kept) : QString::fromStdString(report.reason);
    for (const QString& value : {PathText(report.file), second}) {
        const qsizetype at = text.indexOf(QLatin1String("%s"));
        if (at < 0) break;
        text.replace(at, 2, value);
    }
    return text;
}

void FileProblemBox::OnFileProblem(const FileProblemReport& report) {
    {
        Pending& q = Queue();
        std::lock_guard lock(q.lock);
        q.messages.push_back(FileProblemMessage(report));
    }
    // Not within the operation that met the problem: a modal box there would run the event
    // loop in the middle of a profile load or save.
    if (qApp != nullptr) QMetaObject::invokeMethod(qApp, &ShowPending, Qt::QueuedConnection);
}

void SetUpUserFiles() {
    static FileProblemBox box;
    (void)SetFileProblemSink(&box);
    const std::filesystem::path product = paths::ProductDataFolder();
    (void)RemoveInterruptedSaves(product);
    for (const DeviceKindRecord& kind : kDeviceKinds) {
        (void)RemoveInterruptedSaves(paths::KindDataFolder(kind.kind_name));
    }
}

}  // namespace dz::app
