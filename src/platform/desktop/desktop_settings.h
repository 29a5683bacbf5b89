#pragma once
// The desktop's own keyboard and mouse settings: the settings panel of the running desktop
// (GNOME, KDE, Xfce, Cinnamon, MATE, LXQt), chosen from XDG_CURRENT_DESKTOP and what is
// installed, and started on its own, independent of this program.

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>
#include <vector>

namespace dz::desktop {

enum class SettingsPanel { kKeyboard, kMouse };

struct SettingsCommand {
    QString program;
    QStringList arguments;
    friend bool operator==(const SettingsCommand&, const SettingsCommand&) = default;
};

// The commands that open `panel` on the desktops `current_desktop` names (the
// colon-separated list of XDG_CURRENT_DESKTOP), in order of preference.
[[nodiscard]] std::vector<SettingsCommand> SettingsCommands(SettingsPanel panel,
                                                            const QString& current_desktop);

// The first of those whose program `installed` finds; nothing when none is.
using InstalledCheck = std::function<bool(const QString& program)>;
[[nodiscard]] std::optional<SettingsCommand> FindSettingsCommand(SettingsPanel panel,
                                                                 const QString& current_desktop,
                                                                 const InstalledCheck& installed);

// Starts the panel of the running desktop detached. False when no panel is known for it or
// the program did not start.
[[nodiscard]] bool OpenDesktopSettings(SettingsPanel panel);

}  // namespace dz::desktop
