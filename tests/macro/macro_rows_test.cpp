// The editor's rows without widgets: moves, deletions, the insertion after the selection,
// the events of the insert menu and buttons, and what a delay cell saves as.

#include "macro/macro_rows.h"

#include <gtest/gtest.h>

namespace dz {
namespace {

MacroEvent Key(int usage, const char* action = "down", const char* delay = "0") {
    return {kMacroEventKey, usage, action, delay};
}

std::vector<int> Buttons(const MacroRows& rows) {
    std::vector<int> out;
    for (const MacroEvent& e : rows.Events()) out.push_back(e.button);
    return out;
}

class Rows : public ::testing::Test {
  protected:
    void SetUp() override { rows.Reset({Key(4, "down", "10"), Key(5, "down", "20"), Key(6)}); }
    MacroRows rows;
};

TEST_F(Rows, MovesCarryTheRowAndItsDelayAndSelectItThere) {
    struct Case {
        int selected;
        RowMove move;
        bool moved;
        std::vector<int> order;
        int now_selected;
    };
    const Case cases[] = {
        {1, RowMove::kUp, true, {5, 4, 6}, 0},      {1, RowMove::kDown, true, {4, 6, 5}, 2},
        {2, RowMove::kTop, true, {6, 4, 5}, 0},     {0, RowMove::kBottom, true, {5, 6, 4}, 2},
        {0, RowMove::kUp, false, {4, 5, 6}, 0},     {0, RowMove::kTop, false, {4, 5, 6}, 0},
        {2, RowMove::kDown, false, {4, 5, 6}, 2},   {2, RowMove::kBottom, false, {4, 5, 6}, 2},
        {-1, RowMove::kDown, false, {4, 5, 6}, -1},
    };
    for (const Case& c : cases) {
        SetUp();
        rows.Select(c.selected);
        (void)rows.TakeEdits();
        EXPECT_EQ(rows.Move(c.move), c.moved);
        EXPECT_EQ(Buttons(rows), c.order);
        EXPECT_EQ(rows.Selected(), c.now_selected);
        if (!c.moved) {
            EXPECT_TRUE(rows.TakeEdits().empty());
        }
    }
    rows.Select(0);
    ASSERT_TRUE(rows.Move(RowMove::kBottom));
    EXPECT_EQ(rows.At(2).delay, "10");
}

TEST_F(Rows, TheEditsNameTheRowsThatChanged) {
    rows.Select(1);
    (void)rows.TakeEdits();
    ASSERT_TRUE(rows.Move(RowMove::kUp));
    const std::vector<RowEdit> moved{{RowEdit::Kind::kRemove, 1}, {RowEdit::Kind::kInsert, 0}};
    EXPECT_EQ(rows.TakeEdits(), moved);
    rows.SetDelay(2, 55);
    EXPECT_EQ(rows.TakeEdits(), (std::vector<RowEdit>{{RowEdit::Kind::kUpdate, 2}}));
    rows.SetTypedDelay(2, "7");
    EXPECT_TRUE(rows.TakeEdits().empty()) << "the cell shows what was typed already";
    EXPECT_EQ(rows.At(2).delay, "7");
}

TEST_F(Rows, DeleteRowNeedsASelection) {
    EXPECT_FALSE(rows.DeleteSelected());
    rows.Select(1);
    EXPECT_TRUE(rows.DeleteSelected());
    EXPECT_EQ(Buttons(rows), (std::vector<int>{4, 6}));
    EXPECT_EQ(rows.Selected(), -1);
    rows.DeleteAll();
    EXPECT_EQ(rows.Count(), 0);
}

TEST_F(Rows, InsertedEventsGoAfterTheSelection) {
    // A click with the second of three rows selected lands between the second and third.
    rows.Select(1);
    rows.InsertAfterSelection(ButtonEvent(MenuButton::kLeft, true));
    rows.InsertAfterSelection(ButtonEvent(MenuButton::kLeft, false));
    ASSERT_EQ(rows.Count(), 5);
    EXPECT_EQ(rows.At(2), (MacroEvent{1, 1, "down", "0"}));
    EXPECT_EQ(rows.At(3), (MacroEvent{1, 1, "up", "0"}));
    EXPECT_EQ(rows.At(4).button, 6);
    EXPECT_EQ(rows.Selected(), 3);

    // With two rows and none selected, a press goes between them.
    rows.Reset({Key(4), Key(5)});
    EXPECT_EQ(rows.InsertAfterSelection(ButtonEvent(MenuButton::kRight, true)), 1);
    EXPECT_EQ(rows.At(1), (MacroEvent{1, 2, "down", "0"}));
    EXPECT_EQ(rows.At(2).button, 5);

    // A click into an empty list: the press, then the release after it.
    rows.Reset({});
    rows.InsertAfterSelection(ButtonEvent(MenuButton::kBack, true));
    rows.InsertAfterSelection(ButtonEvent(MenuButton::kBack, false));
    ASSERT_EQ(rows.Count(), 2);
    EXPECT_EQ(rows.At(0), (MacroEvent{1, 8, "down", "0"}));
    EXPECT_EQ(rows.At(1), (MacroEvent{1, 8, "up", "0"}));
}

TEST(MacroRowEvents, MenuButtonsAndMessages) {
    EXPECT_EQ(ButtonEvent(MenuButton::kMiddle, true), (MacroEvent{1, 4, "down", "0"}));
    EXPECT_EQ(ButtonEvent(MenuButton::kForward, false), (MacroEvent{1, 16, "up", "0"}));
    EXPECT_EQ(ButtonEventOfMessage(0x020B, false)->button, 16);
    EXPECT_EQ(ButtonEventOfMessage(0x020B, true)->button, 8);
    EXPECT_EQ(ButtonEventOfMessage(0x0205, false), (MacroEvent{1, 2, "up", "0"}));
    EXPECT_FALSE(ButtonEventOfMessage(0x020A, false));
    EXPECT_FALSE(ButtonEventOfMessage(0x0004, false));
}

TEST(MacroRowEvents, MovementsKeepTheDistancesLowByte) {
    EXPECT_EQ(MovementEvent(Movement::kLeft, "300"), (MacroEvent{4, 44, "down", "0"}));
    EXPECT_EQ(MovementEvent(Movement::kRight, "20"), (MacroEvent{4, 20, "up", "0"}));
    EXPECT_EQ(MovementEvent(Movement::kUp, "256"), (MacroEvent{5, 0, "down", "0"}));
    EXPECT_EQ(MovementEvent(Movement::kDown, ""), (MacroEvent{5, 0, "up", "0"}));
    EXPECT_EQ(MovementEvent(Movement::kDown, "abc").button, 0);
}

TEST(MacroRowEvents, DelayCellsAsSaved) {
    const std::pair<const char*, const char*> cases[] = {
        {"", "0"},   {"007", "7"},          {"250", "250"},     {"abc", "0"},
        {"-3", "0"}, {"99999999", "65535"}, {"65535", "65535"}, {" 12", "12"},
    };
    for (const auto& [cell, saved] : cases) EXPECT_EQ(NormalisedDelayText(cell), saved) << cell;
}

TEST(MacroRowEvents, RowTextRoundTrips) {
    const MacroEvent e{9, 1, "down", "120"};
    EXPECT_EQ(ParseEventText(EventText(e)), e);
    EXPECT_FALSE(ParseEventText(""));
    EXPECT_FALSE(ParseEventText("{broken"));
    EXPECT_FALSE(ParseEventText("[1, 2]"));
}

}  // namespace
}  // namespace dz
