// GoogleTest main for the selector tests: one QApplication, the skin folder of the source
// tree, the selector classes registered as at start-up, and the test language texts.
#include <gtest/gtest.h>

#include <QApplication>

#include "panels/register_selector.h"
#include "ui/resource_manager.h"
#include "ui/resource_map.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (!dz::ui::ResourceMap::Instance().Load(QStringLiteral(DZ_SKIN_DIR))) return 2;
    dz::ui::ResourceManager& rm = dz::ui::ResourceManager::Instance();
    rm.SetLanguageDir(QStringLiteral(DZ_TEST_DATA_DIR));
    if (!rm.LoadLanguage(QStringLiteral("selector_en.lang"))) return 3;
    dz::panels::RegisterSelectorControls();
    return RUN_ALL_TESTS();
}
