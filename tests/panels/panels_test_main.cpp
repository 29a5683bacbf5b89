// GoogleTest main for the colour dialog and shooting-pattern panel tests: one QApplication
// (offscreen), the skins of the source tree, the custom widgets and these panels registered
// as at start-up, and the English texts.
#include <gtest/gtest.h>

#include <QApplication>

#include "panels/color_select_wnd.h"
#include "panels/shoot_control_ui.h"
#include "ui/resource_manager.h"
#include "ui/resource_map.h"
#include "ui/widgets/register_widgets.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    ::testing::InitGoogleTest(&argc, argv);
    if (!dz::ui::ResourceMap::Instance().Load(QStringLiteral(DZ_SKIN_DIR))) return 2;
    dz::ui::ResourceManager& rm = dz::ui::ResourceManager::Instance();
    rm.SetLanguageDir(QStringLiteral(DZ_LANG_DIR));
    if (!rm.LoadLanguage(QStringLiteral("lan_en"))) return 3;
    dz::ui::RegisterCustomWidgets();
    dz::panels::RegisterShootControls();
    dz::panels::RegisterColourDialog();
    return RUN_ALL_TESTS();
}
