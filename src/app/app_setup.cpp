#include "app/app_setup.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QFontDatabase>
#include <QFrame>

#include "app/main_wnd.h"
#include "app/msg_wnd.h"
#include "macro/macro_control_ui.h"
#include "models/model_device.h"
#include "panels/color_select_wnd.h"
#include "panels/panel_services.h"
#include "panels/register_headset_panels.h"
#include "panels/register_panels.h"
#include "panels/register_selector.h"
#include "panels/shoot_control_ui.h"
#include "panels/voice6533_control_ui.h"
#include "platform/log/debug_log.h"
#include "platform/paths/paths.h"
#include "profile/device_profile_ui.h"
#include "ui/control_factory.h"
#include "ui/resource_manager.h"
#include "ui/resource_map.h"
#include "ui/theme.h"
#include "ui/widgets/register_widgets.h"
#include "update/update_info_list_item_ui.h"

namespace dz::app {

QString ProgramFolder() {
    const QString env = QString::fromLocal8Bit(qgetenv("DOZADIR_DATA_DIR"));
    if (!env.isEmpty()) return env;
    // The one rule of the program folder: the build tree's data/, or the installed data
    // folder beside the program.
    return QString::fromStdString(paths::ProgramDataFolder().string());
}

QIcon AppIcon() {
    const QString name = QString::fromLatin1(kAppId);
    const QIcon themed = QIcon::fromTheme(name);
    if (!themed.isNull()) return themed;
    // Not installed into an icon theme the desktop knows: the build tree's icons, or those
    // installed beside the data folder.
    const QDir program(ProgramFolder());
    for (const QString& dir : {QStringLiteral("icons"), QStringLiteral("../icons")}) {
        const QString svg = program.filePath(dir + QStringLiteral("/hicolor/scalable/apps/") +
                                             name + QStringLiteral(".svg"));
        if (QFileInfo::exists(svg)) return QIcon(svg);
    }
    return {};
}

FontHolder::~FontHolder() {
    Release();
}

bool FontHolder::Load(const QString& relative_path) {
    QFile file(QDir(folder_).filePath(relative_path));
    if (!file.open(QIODevice::ReadOnly)) return false;
    id_ = QFontDatabase::addApplicationFontFromData(file.readAll());
    return id_ >= 0;
}

void FontHolder::Release() {
    if (id_ >= 0) QFontDatabase::removeApplicationFont(id_);
    id_ = -1;
}

namespace {
QStringList& PlaceholderSet() {
    static QStringList names;
    return names;
}
}  // namespace

QStringList PlaceholderControlClasses() {
    return PlaceholderSet();
}

QWidget* MakePlaceholder(const QString& class_name, QWidget* parent) {
    auto* placeholder = new QFrame(parent);
    placeholder->setProperty("controlClass", class_name);
    return placeholder;
}

const QStringList& CustomControlClasses() {
    static const QStringList names = {"CCircleProgressUI",
                                      "CChartViewUI",
                                      "CWndUI",
                                      "CSelectPanelUI",
                                      "CDeviceKeyButtonUI",
                                      "CCloudShareListItemUI",
                                      "CUpdateInfoListItemUI",
                                      "CDeviceOptionUI",
                                      "CMpDevicePowerUI",
                                      "CComboEditContainerElementUI",
                                      "CHandImgButtonUI",
                                      "CHandImgSelectButtonUI",
                                      "CRedioMacroButtonUI",
                                      "CAudioRecordUI",
                                      "CLightControlUI",
                                      "CMacroControlUI",
                                      "CKeySetControlUI",
                                      "CDeviceProfileUI",
                                      "CShootControlUI",
                                      "CMagicControlUI",
                                      "CVoice6533ControlUI",
                                      "CRezazodaUSBDevice",
                                      "CRezazodaMousePadDevice",
                                      "CRezazodaDO6533Device"};
    return names;
}

void SetupResources(const QString& program_folder) {
    const QString skin = QDir(program_folder).filePath(QStringLiteral("skin"));
    if (!ui::ResourceMap::Instance().Load(skin))
        log::DebugLineF("no resource map in %s: windows build empty", qUtf8Printable(skin));
    ui::ResourceManager::Instance().SetLanguageDir(
        QDir(program_folder).filePath(QStringLiteral("lang")));

    ui::RegisterCustomWidgets();
    RegisterDeviceControls();
    panels::RegisterSelectorControls();
    panels::RegisterShootControls();
    panels::RegisterColourDialog();
    panels::RegisterHeadsetPanels();
    panels::CVoice6533ControlUI::SetMessageBox([](QWidget* owner, const QString& text, bool id) {
        CMainWnd* main = CMainWnd::Instance();
        (void)ShowMessageBox(owner, {}, text, main != nullptr ? main->GetDPI() : 96, id, 0);
    });
    update::RegisterUpdateControls();
    // The profile bars' questions and failures: owned by the main window unless the bar
    // says otherwise.
    RegisterProfileControls([](const ProfileMessageBox& box) {
        CMainWnd* main = CMainWnd::Instance();
        QWidget* owner = box.owned_by_main ? main : nullptr;
        const int dpi = main != nullptr ? main->GetDPI() : 96;
        return ShowMessageBox(owner, {}, box.message, dpi, box.text_is_id, box.button_mode);
    });
    // The macro editors' questions and failures, the same way.
    RegisterMacroControls([](const MacroMessageBox& box) {
        CMainWnd* main = CMainWnd::Instance();
        QWidget* owner = box.owned_by_main ? main : nullptr;
        const int dpi = main != nullptr ? main->GetDPI() : 96;
        return ShowMessageBox(owner, {}, box.message, dpi, box.text_is_id, box.button_mode);
    });
    // The lighting and key assignment panels, with the main window's message box.
    panels::RegisterPanelControls();
    panels::SetPanelMessageBox(
        [](QWidget*, const QString& message, bool text_is_id, int button_mode) {
            CMainWnd* main = CMainWnd::Instance();
            const int dpi = main != nullptr ? main->GetDPI() : 96;
            return ShowMessageBox(main, {}, message, dpi, text_is_id, button_mode);
        });
    // The lighting panel's colour button opens the colour dialog.
    panels::SetColourDialog([](QWidget* owner, QRgb current) -> std::optional<QRgb> {
        const ColourAnswer answer = panels::ChooseColour(owner, ColourRequest{current});
        if (answer.result != 1) return std::nullopt;
        return static_cast<QRgb>(answer.colour);
    });
    ui::ControlFactory& factory = ui::ControlFactory::Instance();
    for (const QString& name : CustomControlClasses()) {
        if (factory.IsRegistered(name) && !PlaceholderControlClasses().contains(name))
            continue;  // a real widget is already there
        factory.RegistControl(name,
                              [name](QWidget* parent) { return MakePlaceholder(name, parent); });
        if (!PlaceholderSet().contains(name)) {
            PlaceholderSet().append(name);
            // The start-up check: in debug mode every class without its control is named.
            log::DebugLineF("control class %s is still a placeholder", qUtf8Printable(name));
        }
    }
    QFile theme(QDir(skin).filePath(QStringLiteral("theme.qss")));
    if (theme.open(QIODevice::ReadOnly)) {
        ui::SetTheme(QString::fromUtf8(theme.readAll()));
    } else {
        log::DebugLine("no theme.qss: default look");
    }
}

}  // namespace dz::app
