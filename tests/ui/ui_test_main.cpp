// GoogleTest main for widget tests: one QApplication for the whole binary, the skin folder
// of the source tree, and the offscreen platform unless the caller chose another.
#include <gtest/gtest.h>

#include <QApplication>

#include "ui/resource_manager.h"
#include "ui/resource_map.h"

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    if (!dz::ui::ResourceMap::Instance().Load(QStringLiteral(DZ_SKIN_DIR))) return 2;
    dz::ui::ResourceManager::Instance().SetLanguageDir(QStringLiteral(DZ_TEST_LANG_DIR));
    return RUN_ALL_TESTS();
}
