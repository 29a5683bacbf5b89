// Skin names to files: case, backslashes, unmapped relative paths, missing map.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include "log_capture.h"
#include "ui/resource_map.h"

namespace dz::ui {
namespace {

TEST(ResourceMap, ResolvesSystemNames) {
    const ResourceMap& map = ResourceMap::Instance();
    const QString dir = map.SkinDir();
    struct Case {
        const char* name;
        const char* expected;  // relative to the skin folder; empty: unresolved
    } cases[] = {
        {"XML_TEST_WINDOW", "test/window_test.ui"},
        {"xml_test_window", "test/window_test.ui"},
        {"XML\\Test\\subtree.xml", "test/subtree_test.ui"},
        {"xml/test/SUBTREE.XML", "test/subtree_test.ui"},
        {"XML\\Test\\test_menu.xml", "test/test_menu.xml"},
        {"test/widgets_test.ui", "test/widgets_test.ui"},  // unmapped, but the file exists
        {"test\\widgets_test.ui", "test/widgets_test.ui"},
        {"XML\\Nowhere\\absent.xml", ""},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const QString got = map.Resolve(QString::fromLatin1(c.name));
        if (*c.expected == '\0') {
            EXPECT_TRUE(got.isEmpty());
        } else {
            EXPECT_EQ(
                QFileInfo(got).canonicalFilePath(),
                QFileInfo(QDir(dir).filePath(QString::fromLatin1(c.expected))).canonicalFilePath());
        }
    }
}

TEST(ResourceMap, MissingOrBrokenMapIsReportedAndEmpty) {
    QTemporaryDir tmp;
    ResourceMap map;
    {
        test::LogCapture log;
        EXPECT_FALSE(map.Load(tmp.path()));
        EXPECT_TRUE(log.Contains("res.xml not readable"));
    }
    EXPECT_TRUE(map.Resolve(QStringLiteral("XML_MAIN")).isEmpty());
    QFile broken(QDir(tmp.path()).filePath(QStringLiteral("res.xml")));
    ASSERT_TRUE(broken.open(QIODevice::WriteOnly));
    broken.write("<resources><skin name=\"A\" file=\"a.ui\"/><oops");
    broken.close();
    test::LogCapture log;
    EXPECT_FALSE(map.Load(tmp.path()));
    EXPECT_FALSE(log.lines.empty());
    EXPECT_TRUE(map.Resolve(QStringLiteral("A")).isEmpty());
}

}  // namespace
}  // namespace dz::ui
