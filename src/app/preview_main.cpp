// Shows one message box on the real skin, for screenshots and skin review; not installed.
// Usage: dozadir-shell-preview [text-identifier] [button-mode] [dpi]
#include <QApplication>

#include "app/app_setup.h"
#include "app/msg_wnd.h"
#include "ui/resource_manager.h"

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    dz::app::SetupResources(dz::app::ProgramFolder());
    const QString lang = qEnvironmentVariable("DOZADIR_PREVIEW_LANG", QStringLiteral("lan_en"));
    (void)dz::ui::ResourceManager::Instance().LoadLanguage(lang);
    const QString id =
        argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral("message_text_22");
    const int mode = argc > 2 ? QString::fromLocal8Bit(argv[2]).toInt() : 1;
    const int dpi = argc > 3 ? QString::fromLocal8Bit(argv[3]).toInt() : 96;
    return dz::app::ShowMessageBox(nullptr, QStringLiteral("tips_text"), id, dpi, true, mode);
}
