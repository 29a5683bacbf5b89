#include "platform/desktop/desktop_settings.h"

#include <QProcess>
#include <QStandardPaths>

#include "platform/log/debug_log.h"

namespace dz::desktop {
namespace {

using Commands = std::vector<SettingsCommand>;

Commands Gnome(bool keyboard) {
    return {{QStringLiteral("gnome-control-center"),
             {keyboard ? QStringLiteral("keyboard") : QStringLiteral("mouse")}}};
}

Commands Kde(bool keyboard) {
    const QString module = keyboard ? QStringLiteral("kcm_keyboard") : QStringLiteral("kcm_mouse");
    return {{QStringLiteral("kcmshell6"), {module}},
            {QStringLiteral("kcmshell5"), {module}},
            {QStringLiteral("systemsettings"), {module}},
            {QStringLiteral("systemsettings5"), {module}}};
}

Commands Xfce(bool keyboard) {
    return {{keyboard ? QStringLiteral("xfce4-keyboard-settings")
                      : QStringLiteral("xfce4-mouse-settings"),
             {}}};
}

Commands Cinnamon(bool keyboard) {
    return {{QStringLiteral("cinnamon-settings"),
             {keyboard ? QStringLiteral("keyboard") : QStringLiteral("mouse")}}};
}

Commands Mate(bool keyboard) {
    return {{keyboard ? QStringLiteral("mate-keyboard-properties")
                      : QStringLiteral("mate-mouse-properties"),
             {}}};
}

Commands Lxqt(bool keyboard) {
    return {{QStringLiteral("lxqt-config-input"),
             {keyboard ? QStringLiteral("--show-page=keyboard")
                       : QStringLiteral("--show-page=mouse")}}};
}

}  // namespace

std::vector<SettingsCommand> SettingsCommands(SettingsPanel panel, const QString& current_desktop) {
    const bool keyboard = panel == SettingsPanel::kKeyboard;
    Commands out;
    for (const QString& raw : current_desktop.split(QLatin1Char(':'), Qt::SkipEmptyParts)) {
        const QString name = raw.trimmed().toUpper();
        Commands found;
        if (name == QLatin1String("GNOME") || name == QLatin1String("UNITY") ||
            name == QLatin1String("BUDGIE") || name == QLatin1String("POP")) {
            found = Gnome(keyboard);
        } else if (name == QLatin1String("KDE")) {
            found = Kde(keyboard);
        } else if (name == QLatin1String("XFCE")) {
            found = Xfce(keyboard);
        } else if (name == QLatin1String("X-CINNAMON") || name == QLatin1String("CINNAMON")) {
            found = Cinnamon(keyboard);
        } else if (name == QLatin1String("MATE")) {
            found = Mate(keyboard);
        } else if (name == QLatin1String("LXQT")) {
            found = Lxqt(keyboard);
        }
        for (SettingsCommand& c : found)
            if (std::find(out.begin(), out.end(), c) == out.end()) out.push_back(std::move(c));
    }
    return out;
}

std::optional<SettingsCommand> FindSettingsCommand(SettingsPanel panel,
                                                   const QString& current_desktop,
                                                   const InstalledCheck& installed) {
    for (const SettingsCommand& c : SettingsCommands(panel, current_desktop))
        if (installed(c.program)) return c;
    return std::nullopt;
}

bool OpenDesktopSettings(SettingsPanel panel) {
    const QString desktop = qEnvironmentVariable("XDG_CURRENT_DESKTOP");
    const auto command = FindSettingsCommand(panel, desktop, [](const QString& program) {
        return !QStandardPaths::findExecutable(program).isEmpty();
    });
    if (!command) {
        log::DebugLineF("no settings panel known for the desktop \"%s\"", qUtf8Printable(desktop));
        return false;
    }
    if (!QProcess::startDetached(command->program, command->arguments)) {
        log::DebugLineF("%s did not start", qUtf8Printable(command->program));
        return false;
    }
    return true;
}

}  // namespace dz::desktop
