// The rules of the DPI stage rows, as the page and dozadirctl apply them.
#include "models/mouse_stages.h"

#include <gtest/gtest.h>

namespace dz {
namespace {

DpiStageRecord Stage(bool on, uint16_t x) {
    DpiStageRecord r;
    r.active = on ? 1 : 0;
    r.dpi_x = x;
    r.dpi_y = static_cast<uint16_t>(x + 1);
    r.xy = 1;
    r.red = 7;
    return r;
}

MouseStages Five(int current = 0) {
    MouseStages s;
    for (int i = 0; i < 5; ++i)
        s.stages.push_back(Stage(true, static_cast<uint16_t>(10 * (i + 1))));
    s.current = current;
    return s;
}

std::array<bool, kDpiRows> Usable(const MouseStages& s) {
    return EnableChecksUsable(s);
}

TEST(MouseStages, SwitchingOffOneAfterAnotherLeavesTheLastEnabledLocked) {
    MouseStages s = Five(/*current=*/4);
    EXPECT_EQ(Usable(s), (std::array<bool, 5>{true, true, true, true, false}))
        << "the current stage's check is never usable";
    for (int n = 0; n < 4; ++n) ASSERT_EQ(SetStageEnabled(s, n, false), StageEdit::kDone) << n;
    EXPECT_EQ(Usable(s), (std::array<bool, 5>{true, true, true, true, false}));
    EXPECT_EQ(SetStageEnabled(s, 4, false), StageEdit::kCurrentStage);

    // Another current stage: the last enabled one is locked for being the last.
    s = Five(/*current=*/0);
    for (int n = 1; n < 4; ++n) ASSERT_EQ(SetStageEnabled(s, n, false), StageEdit::kDone) << n;
    EXPECT_EQ(Usable(s), (std::array<bool, 5>{false, true, true, true, true}));
    s.stages[0].active = 0;  // a profile edited by hand: stage 4 is now the only one
    s.current = 2;
    EXPECT_EQ(Usable(s), (std::array<bool, 5>{true, true, false, true, false}));
    EXPECT_EQ(SetStageEnabled(s, 4, false), StageEdit::kLastEnabled);
    EXPECT_EQ(s.stages[4].active, 1);

    // Enabling any stage makes every check but the current one usable again.
    ASSERT_EQ(SetStageEnabled(s, 1, true), StageEdit::kDone);
    EXPECT_EQ(Usable(s), (std::array<bool, 5>{true, true, false, true, true}));
}

TEST(MouseStages, SelectingAStageTakesEverySliderAndGrowsTheList) {
    MouseStages s;
    s.stages = {Stage(true, 10), Stage(true, 20), Stage(false, 30)};
    const std::array<int, 5> sliders{11, 21, 31, 41, 51};
    ASSERT_EQ(SelectStage(s, 1, sliders), StageEdit::kDone);
    EXPECT_EQ(s.current, 1);
    ASSERT_EQ(s.stages.size(), 5u);
    for (int k = 0; k < 5; ++k)
        EXPECT_EQ(s.stages[static_cast<size_t>(k)].dpi_x, sliders[static_cast<size_t>(k)]);
    EXPECT_EQ(s.stages[0].dpi_y, 11) << "Y and the XY flag stay as the profile had them";
    EXPECT_EQ(s.stages[0].xy, 1);
    EXPECT_EQ(s.stages[3], (DpiStageRecord{0, 0, 41, 0, 0, 0, 0})) << "a grown stage is zero";

    EXPECT_EQ(SelectStage(s, 2, sliders), StageEdit::kStageDisabled);
    EXPECT_EQ(s.current, 1);
    EXPECT_EQ(SelectStage(s, 5, sliders), StageEdit::kNoSuchRow);
}

TEST(MouseStages, EditsOfARowTheProfileLacksGrowTheListToIt) {
    MouseStages s;
    s.stages = {Stage(true, 10)};
    ASSERT_EQ(SetStageX(s, 2, 70000), StageEdit::kDone);
    ASSERT_EQ(s.stages.size(), 3u);
    EXPECT_EQ(s.stages[2].dpi_x, 0xFFFF) << "held to 16 bits";
    EXPECT_EQ(s.stages[1], DpiStageRecord{});
    ASSERT_EQ(SetStageEnabled(s, 3, true), StageEdit::kDone);
    EXPECT_EQ(s.stages.size(), 4u);
    EXPECT_EQ(s.stages[3].active, 1);
    ASSERT_EQ(SetStageColour(s, 4, 1, 2, 3), StageEdit::kDone);
    EXPECT_EQ(s.stages[4].red + s.stages[4].green + s.stages[4].blue, 6);
    EXPECT_EQ(SetStageX(s, -1, 5), StageEdit::kNoSuchRow);
    EXPECT_EQ(StageOrZero(s.stages, 9), DpiStageRecord{});
}

TEST(MouseStages, SlidersAndReportRateShowWhatTheControlsCanHold) {
    MouseStages s;
    s.stages = {Stage(true, 10), Stage(true, 400)};
    EXPECT_EQ(SliderPositions(s, DpiScale{0, 50, 319, 100}),
              (std::array<int, 5>{10, 319, 0, 0, 0}));
    for (auto [index, shown] :
         std::vector<std::pair<int, int>>{{0, 0}, {4, 4}, {5, 0}, {7, 0}, {-1, 0}})
        EXPECT_EQ(ShownReportRate(index), shown) << index;
}

}  // namespace
}  // namespace dz
