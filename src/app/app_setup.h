#pragma once
// Process start-up pieces: the program folder, the display fonts, the custom control
// classes, the skin and language folders.

#include <QIcon>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <array>

namespace dz::app {

// The program's data folder: $DOZADIR_DATA_DIR, else data/ of the source tree when run from
// a build tree, else the installed data folder.
[[nodiscard]] QString ProgramFolder();

// The desktop's name of the program: its desktop file, AppStream id and icon.
inline constexpr char kAppId[] = "org.dozadir.Keyboard";
// The program's icon: from the desktop's icon theme, else from the program's own files.
[[nodiscard]] QIcon AppIcon();

// One display font of the "Font" folder, registered with the application for its lifetime.
class FontHolder {
  public:
    explicit FontHolder(QString folder) : folder_(std::move(folder)) {}
    ~FontHolder();
    FontHolder(const FontHolder&) = delete;
    FontHolder& operator=(const FontHolder&) = delete;
    // True when the font was registered; a missing or unreadable file is skipped.
    bool Load(const QString& relative_path);
    void Release();

  private:
    QString folder_;
    int id_ = -1;
};

inline constexpr std::array<const char*, 4> kFontFiles{
    "Font/Simplified_Chinese.ttf", "Font/Vardane-Regular.otf", "Font/NotoSansThai-Regular.ttf",
    "Font/NotoSansCJKtc-Regular.otf"};

// The 24 custom control class names in registration order.
[[nodiscard]] const QStringList& CustomControlClasses();

// An empty container standing for a class whose widget comes later.
[[nodiscard]] QWidget* MakePlaceholder(const QString& class_name, QWidget* parent);
// The custom control classes that SetupResources had to register as placeholders (no
// control of that class is built yet); each is named in the debug output at start.
[[nodiscard]] QStringList PlaceholderControlClasses();

// Resource setup: the skin folder and its map, the language folder, the control classes
// (classes not yet provided by a widget are registered as an empty container carrying the
// class name in the property "controlClass"), and the theme.
void SetupResources(const QString& program_folder);

}  // namespace dz::app
