// Recording without a window: the events of the hook's keys and buttons, the repeat
// suppression, and the recorder's four forms with the delay rule (each row gets the time
// until the next event) and the row limit.

#include "macro/macro_recording.h"

#include <gtest/gtest.h>

#include "platform/input/hook_records.h"

namespace dz {
namespace {

using Clock = MacroRecorder::Clock;
using std::chrono::milliseconds;

MacroEvent Key(int usage, const char* action = "down", const char* delay = "0") {
    return {kMacroEventKey, usage, action, delay};
}

std::vector<std::string> Delays(const MacroRows& rows) {
    std::vector<std::string> out;
    for (const MacroEvent& e : rows.Events()) out.push_back(e.delay);
    return out;
}

TEST(RecordedEvents, KeysByScanCodeAndFlag) {
    EXPECT_EQ(KeyEventOf(true, 0x1D, false), (MacroEvent{9, 1, "down", "0"}));   // left Ctrl
    EXPECT_EQ(KeyEventOf(false, 0x1D, true), (MacroEvent{9, 16, "up", "0"}));    // right Ctrl
    EXPECT_EQ(KeyEventOf(true, 0x1E, false), (MacroEvent{10, 4, "down", "0"}));  // A
    EXPECT_EQ(KeyEventOf(true, 0x1C, true)->button, 0x58);                       // Num Enter
    EXPECT_EQ(KeyEventOf(true, 0x1C, false)->button, 0x28);                      // Enter
    EXPECT_EQ(KeyEventOf(true, 0x36, true), (MacroEvent{9, 32, "down", "0"}));   // right Shift
    EXPECT_FALSE(KeyEventOf(true, 0x00, false));
    EXPECT_FALSE(KeyEventOf(true, 0x20, true)) << "a media key is not in the capture list";
    EXPECT_TRUE(IsKeyPressMessage(input::kWmSysKeyDown));
    EXPECT_FALSE(IsKeyPressMessage(input::kWmSysKeyUp));
}

TEST(RecordedEvents, MouseButtonsAndXButtons) {
    EXPECT_EQ(MouseEventOf(input::kWmLButtonDown, 0), (MacroEvent{1, 1, "down", "0"}));
    EXPECT_EQ(MouseEventOf(input::kWmRButtonUp, 0), (MacroEvent{1, 2, "up", "0"}));
    EXPECT_EQ(MouseEventOf(input::kWmMButtonDown, 0)->button, 4);
    EXPECT_EQ(MouseEventOf(input::kWmXButtonDown, input::kXButtonForward)->button, 16);
    EXPECT_EQ(MouseEventOf(input::kWmXButtonUp, input::kXButtonBack),
              (MacroEvent{1, 8, "up", "0"}));
    EXPECT_FALSE(MouseEventOf(input::kWmXButtonDown, 3));
    EXPECT_FALSE(MouseEventOf(input::kWmMouseWheel, 0));
    EXPECT_FALSE(MouseEventOf(0x0200, 0));
}

TEST(RepeatFilters, AHeldKeyGivesOnePress) {
    KeyRepeatFilter keys;
    EXPECT_TRUE(keys.Accept(0x1E, true));
    EXPECT_FALSE(keys.Accept(0x1E, true));
    EXPECT_FALSE(keys.Accept(0x1E, true));
    EXPECT_TRUE(keys.Accept(0x1E, false));
    EXPECT_TRUE(keys.Accept(0x1E, true)) << "pressed again after its release";
    EXPECT_TRUE(keys.Accept(0x1D, true));
    EXPECT_TRUE(keys.Accept(0x1E, false)) << "a release passes whatever the last key";
    MouseRepeatFilter mouse;
    EXPECT_TRUE(mouse.Accept(input::kWmLButtonDown));
    EXPECT_FALSE(mouse.Accept(input::kWmLButtonDown));
    EXPECT_TRUE(mouse.Accept(input::kWmLButtonUp));
    // One set per kind of recording message, shared by every editor.
    EXPECT_NE(&SharedKeyFilter(RecordForm::kAppend), &SharedKeyFilter(RecordForm::kReplace));
    EXPECT_EQ(&SharedMouseFilter(RecordForm::kInsertAfter),
              &SharedMouseFilter(RecordForm::kInsertAfter));
}

TEST(RecordingStart, ConstantDelayFromItsEdit) {
    const struct {
        const char* text;
        int value;
        bool rewrite;
    } cases[] = {{"30", 30, false}, {"70000", 65535, true}, {"", 0, false},
                 {"abc", 0, false}, {"-3", 0, true},        {"65535", 65535, false}};
    for (const auto& c : cases) {
        const ConstantDelay d = ReadConstantDelay(c.text);
        EXPECT_EQ(d.value, c.value) << c.text;
        EXPECT_EQ(d.rewrite, c.rewrite) << c.text;
    }
    EXPECT_EQ(RecordFormOfMode(8), RecordForm::kInsertBefore);
    EXPECT_FALSE(RecordFormOfMode(1));
    EXPECT_EQ(HookModeOfForm(RecordForm::kReplace), 32);
}

class Recorder : public ::testing::Test {
  protected:
    RecordResult At(int ms, const MacroEvent& e, RecordForm form = RecordForm::kAppend) {
        return recorder.Record(form, e, rows, t0 + milliseconds(ms));
    }
    MacroRecorder recorder;
    MacroRows rows;
    Clock::time_point t0 = Clock::now();
};

TEST_F(Recorder, MeasuredTimeGoesToTheRowBefore) {
    recorder.Begin(TimingMode::kMeasured, 0, t0);
    At(40, Key(4, "down"));
    EXPECT_EQ(Delays(rows), (std::vector<std::string>{"0"}));
    At(160, Key(4, "up"));
    EXPECT_EQ(Delays(rows), (std::vector<std::string>{"120", "0"}));
    At(70000 + 160, Key(5));
    EXPECT_EQ(Delays(rows)[1], "65535") << "at most 65535";
    EXPECT_EQ(rows.Selected(), 2);
}

TEST_F(Recorder, ConstantDelayOnEveryRow) {
    recorder.Begin(TimingMode::kConstant, 30, t0);
    At(5, Key(4));
    EXPECT_EQ(Delays(rows), (std::vector<std::string>{"0"})) << "0 until the next event";
    At(500, Key(4, "up"));
    At(900, Key(5));
    EXPECT_EQ(Delays(rows), (std::vector<std::string>{"30", "30", "30"}));
}

TEST_F(Recorder, NoTimingGivesZero) {
    recorder.Begin(TimingMode::kNone, 30, t0);
    At(5, Key(4));
    At(500, Key(5));
    EXPECT_EQ(Delays(rows), (std::vector<std::string>{"0", "0"}));
}

TEST_F(Recorder, TheFirstEventOfAPanelLeavesTheRowsItFindsAlone) {
    rows.Reset({Key(7, "down", "11"), Key(7, "up", "12")});
    recorder.Begin(TimingMode::kMeasured, 0, t0);
    At(100, Key(4));
    EXPECT_EQ(Delays(rows), (std::vector<std::string>{"11", "12", "0"}));
    EXPECT_TRUE(recorder.RecordedOnce());
    // A second recording in the same panel: the time since its start goes to the last row.
    recorder.Begin(TimingMode::kMeasured, 0, t0 + milliseconds(1000));
    At(1250, Key(5));
    EXPECT_EQ(Delays(rows), (std::vector<std::string>{"11", "12", "250", "0"}));
}

TEST_F(Recorder, InsertBeforeTheSelectedRowKeepsTheSelectionAndTheOrder) {
    rows.Reset({Key(7, "down", "11"), Key(8, "down", "12"), Key(9, "down", "13")});
    rows.Select(1);
    recorder.Begin(TimingMode::kConstant, 40, t0);
    EXPECT_TRUE(At(1, Key(4), RecordForm::kInsertBefore).taken);
    EXPECT_TRUE(At(2, Key(5), RecordForm::kInsertBefore).taken);
    std::vector<int> order;
    for (const MacroEvent& e : rows.Events()) order.push_back(e.button);
    EXPECT_EQ(order, (std::vector<int>{7, 4, 5, 8, 9}));
    EXPECT_EQ(rows.Selected(), 3) << "still the row that was selected";
    // The first insertion is a panel's first event: the row before it keeps its delay.
    EXPECT_EQ(Delays(rows), (std::vector<std::string>{"11", "40", "40", "12", "13"}));
}

TEST_F(Recorder, InsertBeforeTheFirstRowIsTheSingleRowCase) {
    rows.Reset({Key(7, "down", "11")});
    rows.Select(0);
    recorder.Begin(TimingMode::kConstant, 40, t0);
    At(1, Key(4), RecordForm::kInsertBefore);
    EXPECT_EQ(Delays(rows), (std::vector<std::string>{"0", "11"}));
}

TEST_F(Recorder, InsertAfterFollowsTheNewRow) {
    rows.Reset({Key(7, "down", "11"), Key(8, "down", "12")});
    rows.Select(0);
    recorder.Begin(TimingMode::kMeasured, 0, t0);
    At(10, Key(4), RecordForm::kInsertAfter);
    At(60, Key(5), RecordForm::kInsertAfter);
    std::vector<int> order;
    for (const MacroEvent& e : rows.Events()) order.push_back(e.button);
    EXPECT_EQ(order, (std::vector<int>{7, 4, 5, 8}));
    EXPECT_EQ(rows.Selected(), 2);
    EXPECT_EQ(Delays(rows), (std::vector<std::string>{"11", "50", "0", "12"}));
}

TEST_F(Recorder, ReplaceKeepsActionAndDelay) {
    rows.Reset({Key(7, "up", "99")});
    recorder.Begin(TimingMode::kNone, 0, t0);
    EXPECT_FALSE(At(1, Key(4), RecordForm::kReplace).taken) << "no row selected";
    rows.Select(0);
    const RecordResult r = At(2, MacroEvent{9, 2, "down", "0"}, RecordForm::kReplace);
    EXPECT_TRUE(r.taken);
    EXPECT_FALSE(r.added);
    EXPECT_EQ(rows.Count(), 1);
    EXPECT_EQ(rows.At(0), (MacroEvent{9, 2, "up", "99"}));
}

TEST_F(Recorder, InsertsNeedASelection) {
    rows.Reset({Key(7)});
    recorder.Begin(TimingMode::kNone, 0, t0);
    EXPECT_FALSE(At(1, Key(4), RecordForm::kInsertBefore).taken);
    EXPECT_FALSE(At(1, Key(4), RecordForm::kInsertAfter).taken);
    EXPECT_EQ(rows.Count(), 1);
}

TEST_F(Recorder, NoMoreThan4000Rows) {
    rows.Reset(std::vector<MacroEvent>(kMaxMacroEvents - 1, Key(4)));
    rows.Select(0);
    recorder.Begin(TimingMode::kMeasured, 0, t0);
    EXPECT_TRUE(At(1, Key(5)).taken);
    EXPECT_EQ(rows.Count(), 4000);
    for (RecordForm form :
         {RecordForm::kAppend, RecordForm::kInsertBefore, RecordForm::kInsertAfter}) {
        EXPECT_FALSE(At(50, Key(6), form).taken);
    }
    EXPECT_EQ(rows.Count(), 4000);
    EXPECT_EQ(rows.At(3999).delay, "0") << "a dropped event measures nothing";
    EXPECT_TRUE(At(60, Key(6), RecordForm::kReplace).taken) << "replacing adds no row";
}

}  // namespace
}  // namespace dz
