#include "app/autostart.h"

#include <system_error>

#include "platform/log/debug_log.h"
#include "platform/paths/paths.h"
#include "profile/atomic_file.h"

namespace dz::app {
namespace {

// One argument of an Exec line: quoted when it holds a reserved character, with the quoting
// escapes; then the string escape of desktop entries doubles every backslash.
std::string ExecArgument(std::string_view arg) {
    const std::string_view reserved = " \t\n\"'\\><~|&;$*?#()`";
    std::string quoted;
    if (arg.find_first_of(reserved) == std::string_view::npos) {
        quoted = std::string(arg);
    } else {
        quoted = "\"";
        for (char c : arg) {
            if (c == '"' || c == '`' || c == '$' || c == '\\') quoted += '\\';
            quoted += c;
        }
        quoted += '"';
    }
    std::string out;
    for (char c : quoted) {
        if (c == '\\') out += '\\';
        if (c == '%') out += '%';  // a literal percent sign is "%%" in Exec
        out += c;
    }
    return out;
}

}  // namespace

std::filesystem::path AutostartFile() {
    // The settings folder's parent is $XDG_CONFIG_HOME.
    return paths::ProductConfigFolder().parent_path() / "autostart" /
           "org.dozadir.Keyboard.desktop";
}

std::string AutostartEntry(std::string_view program) {
    std::string text =
        "[Desktop Entry]\n"
        "Type=Application\n"
        "Name=Dozadir Keyboard\n"
        "Comment=Configure Dozadir keyboards, mice, mousepads and headsets\n"
        "Icon=org.dozadir.Keyboard\n"
        "Exec=";
    text += ExecArgument(program);
    text += " ";
    text += kStartHiddenOption;
    text +=
        "\n"
        "Terminal=false\n"
        "X-GNOME-Autostart-enabled=true\n";
    return text;
}

bool SetAutostart(bool on, std::string_view program) {
    const std::filesystem::path file = AutostartFile();
    std::error_code ec;
    if (!on) {
        std::filesystem::remove(file, ec);
        if (ec) log::DebugLineF("%s not removed: %s", file.c_str(), ec.message().c_str());
        return !ec;
    }
    if (!paths::EnsureFolder(file.parent_path())) return false;
    return ReplaceFileAtomically(file, AutostartEntry(program));
}

bool AutostartEnabled() {
    std::error_code ec;
    return std::filesystem::is_regular_file(AutostartFile(), ec);
}

}  // namespace dz::app
