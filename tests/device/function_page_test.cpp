// Which page each page-switch container shows for a function page type.
#include "device/function_page.h"

#include <gtest/gtest.h>

#include <string>

namespace dz {
namespace {

TEST(FunctionPage, PagesOfBothContainersByPageTypeAndDeviceType) {
    constexpr int U = kPageUnchanged;
    struct Case {
        int page_type;
        uint16_t device_type;
        FunctionPages pages;
    };
    const Case cases[] = {
        {2, 1, {0, 1}}, {6, 2, {0, 1}}, {3, 1, {1, U}}, {8, 7, {1, U}}, {4, 1, {3, U}},
        {4, 2, {3, U}}, {4, 9, {0, 2}}, {4, 6, {0, 2}}, {4, 3, {0, 2}}, {7, 1, {0, 2}},
        {5, 2, {2, U}}, {1, 1, {0, 0}}, {0, 2, {0, 0}}, {9, 1, {0, 0}}, {-1, 1, {0, 0}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("page type " + std::to_string(c.page_type) + ", device type " +
                     std::to_string(c.device_type));
        const FunctionPages got = FunctionPagesFor(c.page_type, c.device_type);
        EXPECT_EQ(got.function_switch, c.pages.function_switch);
        EXPECT_EQ(got.key_function_switch, c.pages.key_function_switch);
    }
}

}  // namespace
}  // namespace dz
