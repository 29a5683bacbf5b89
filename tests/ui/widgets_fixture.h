#pragma once
// The custom-widget test skin in a shown window, with the widgets registered.

#include <gtest/gtest.h>

#include <QTest>

#include "test_window.h"
#include "ui/widgets/register_widgets.h"

namespace dz::ui::test {

class WidgetsTest : public ::testing::Test {
  protected:
    void SetUp() override {
        RegisterCustomWidgets();
        ASSERT_TRUE(w.Create());
        w.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&w));
        w.seen.clear();
    }
    template <class T>
    T* C(const char* name) {
        auto* c = w.FindControlAs<T>(QString::fromLatin1(name));
        EXPECT_NE(c, nullptr) << name;
        return c;
    }
    // The colour of one pixel of a control as drawn now.
    static QRgb PixelOf(QWidget* control, QPoint at) {
        return control->grab().toImage().pixel(at) | 0xFF000000u;
    }

    TestWindow w{QStringLiteral("XML_TEST_WIDGETS")};
};

}  // namespace dz::ui::test
