// The macro editor on its real skin inside the keyboard's real page, offscreen, with the
// emulated keyboard behind the page's device object: the macro list, the rows and their
// operations, saving (the delay cells are the authority), recording from hook messages in
// its four forms, the stop button's click, the notices of what the hook cannot see, and
// the device update after a change with its two messages.

#include <gtest/gtest.h>
#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include <optional>

#include "keyboard_page.h"
#include "macro/macro_control_ui.h"
#include "macro/macro_names.h"
#include "models/key_codes.h"
#include "models/keyboard_layout.h"
#include "models/macro_image.h"
#include "support/macro_files.h"
#include "ui/control_ops.h"

namespace dz {
namespace {

using test::J;

MacroEvent Key(int usage, const char* action = "down", const char* delay = "0") {
    return {kMacroEventKey, usage, action, delay};
}

class MacroEditorTest : public test::KeyboardPageTest {
  protected:
    void SetUp() override {
        RegisterMacroControls([this](const MacroMessageBox& box) {
            boxes.push_back(box);
            return answer;
        });
        test::KeyboardPageTest::SetUp();
        editor = Panel<CMacroControlUI>();
        ASSERT_NE(editor, nullptr) << "the page's macro editor is the real one";
        editor->SetFileDialog([this](QWidget*, bool) { return dialog_path; });
    }
    QWidget* MakePanel(const QString& cls, QWidget* parent) override {
        if (cls != QLatin1String("MacroSetControlUI")) return nullptr;
        auto* holder = new QWidget(parent);
        (void)window_->BuildSubtree(QStringLiteral("XML\\CustomControlXML\\MacroControl.xml"),
                                    holder);
        return holder;
    }

    QListWidget* Names() const { return Find<QListWidget>("macro_name_list"); }
    QListWidget* Actions() const { return Find<QListWidget>("macro_action_list"); }
    // A macro list with these macros and the editor showing macro `select`.
    void UseMacros(const std::vector<std::vector<MacroEvent>>& macros, int select = 0) {
        Json::Value list;
        list["MacroInfo"] = Json::Value(Json::arrayValue);
        for (size_t i = 0; i < macros.size(); ++i) {
            const std::string guid = "2024_01_01_00_00_00_" + std::to_string(100 + i);
            list["MacroInfo"][static_cast<int>(i)]["MacroName"] = "m" + std::to_string(i);
            list["MacroInfo"][static_cast<int>(i)]["Guid"] = guid;
            test::WriteMacroFile(Folder(), guid, macros[i]);
        }
        test::WriteJson(Folder() / "macro.config", list);
        editor->Initialise(Folder());
        Names()->setCurrentRow(select);  // as the user picks it: "itemselect"
        editor->OnNameList();
    }
    std::filesystem::path File(int index = 0) const {
        return Folder() / ("2024_01_01_00_00_00_" + std::to_string(100 + index) + ".mac");
    }
    std::vector<MacroEvent> Saved(int index = 0) const { return LoadEvents(File(index)); }
    QLineEdit* Cell(int row) const {
        return editor->RowWidget(row)->findChild<QLineEdit*>(QStringLiteral("macro_delay"));
    }
    QString NameText(int row) const {
        return editor->RowWidget(row)->findChildren<QLabel*>()[0]->text();
    }
    QString StateText(int row) const {
        return editor->RowWidget(row)->findChildren<QLabel*>()[1]->text();
    }
    QString Style(QWidget* w) const { return w->property("macrostyle").toString(); }
    void SelectRow(int row) { Actions()->setCurrentRow(row); }
    void AssignKeys(const std::vector<std::pair<int, KeyFunctionCode>>& assignments) {
        Json::Value file = ReadJsonFile(ProfileFile());
        for (const auto& [position, code] : assignments)
            file["Device"][0]["KeyList"][position]["Assignment"] = KeyCodeToProfileInt(code);
        test::WriteJson(ProfileFile(), file);
        ASSERT_EQ(keyboard_->LoadProfile(), 1u);
    }

    // The first bytes of the keyboard's macro memory.
    std::vector<uint8_t> MacroMemoryStart(size_t n) {
        const std::vector<uint8_t> memory = Model().MacroMemory();
        return {memory.begin(),
                memory.begin() + static_cast<ptrdiff_t>(std::min(n, memory.size()))};
    }
    // A hook message of a key (scan code, flag) or a mouse button in the editor's mode.
    void HookKey(uint16_t scan, bool extended, bool press) {
        input::KeyHookRecord record;
        record.scan_code = scan;
        record.flags = extended ? input::kKeyFlagExtended : 0;
        input::HookMessage m;
        m.mode = editor->RecordingHookMode();
        m.wparam = press ? input::kWmKeyDown : input::kWmKeyUp;
        m.key = &record;
        editor->OnHookMessage(m);
    }
    void HookButton(uint32_t message, QPoint at, uint32_t xbutton = 0) {
        input::MouseHookRecord record;
        record.x = at.x();
        record.y = at.y();
        record.mouse_data = xbutton << 16;
        input::HookMessage m;
        m.mode = editor->RecordingHookMode();
        m.wparam = message;
        m.mouse = &record;
        editor->OnHookMessage(m);
    }

    CMacroControlUI* editor = nullptr;
    std::vector<MacroMessageBox> boxes;
    int answer = 1;
    QString dialog_path;
};

TEST_F(MacroEditorTest, TheListMirrorsTheStoreAndTheKeyPanelGetsTheNames) {
    editor->OnNameAdd();
    editor->OnNameAdd();
    ASSERT_EQ(Names()->count(), 2);
    EXPECT_EQ(Names()->item(1)->text(), "macro_2");
    EXPECT_EQ(Names()->currentRow(), 1) << "the new macro is selected";
    EXPECT_EQ(Names()->item(0)->data(Qt::UserRole).toString().toStdString(),
              editor->Store()->Macros()[0].guid);
    EXPECT_TRUE(Find<QWidget>("macro_action_layout")->isEnabled());
    EXPECT_EQ(Panel<test::StandInKeys>()->macros, (std::vector<std::string>{"macro_1", "macro_2"}));

    // Rename: a taken name (ignoring case) is refused with "message_text_5".
    Names()->setCurrentRow(1);
    editor->OnNameList();
    ui::SetText(Find<QWidget>("macro_edit_macroname"), QStringLiteral("MACRO_1"));
    editor->OnNameEdit();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].message, "message_text_5");
    EXPECT_FALSE(boxes[0].owned_by_main);
    ui::SetText(Find<QWidget>("macro_edit_macroname"), QStringLiteral("   "));
    editor->OnNameEdit();
    EXPECT_EQ(editor->LastRenameAnswer(), "IsEmpty");
    ui::SetText(Find<QWidget>("macro_edit_macroname"), QStringLiteral("Combo"));
    editor->OnNameEdit();
    EXPECT_EQ(Names()->item(1)->text(), "Combo");
    EXPECT_TRUE(ui::Text(Find<QWidget>("macro_edit_macroname")).isEmpty());
    EXPECT_EQ(Panel<test::StandInKeys>()->macros, (std::vector<std::string>{"macro_1", "Combo"}));

    // Import twice: Combo_2 and Combo_3 with the file's bytes; export the selected one.
    const auto source = data_ / "Combo.mac";
    test::WriteMacroFile(data_.path(), "Combo", {Key(4), Key(4, "up")});
    dialog_path = QString::fromStdString(source.string());
    editor->OnImport();
    ASSERT_EQ(Names()->count(), 3);
    EXPECT_EQ(Names()->item(2)->text(), "Combo_2");
    EXPECT_EQ(editor->Rows().Count(), 2) << "the imported macro is shown";
    dialog_path = QString::fromStdString((data_ / "out.mac").string());
    editor->OnExport();
    EXPECT_EQ(test::ReadText(data_ / "out.mac"), test::ReadText(source));
    dialog_path = QString::fromStdString((data_ / "missing.mac").string());
    editor->OnImport();
    EXPECT_EQ(boxes.back().message, "macro_copy_failed_text");
    EXPECT_EQ(Names()->count(), 3);
}

TEST_F(MacroEditorTest, RowsShowTheEventsNamesStylesAndDelays) {
    UseMacros({{Key(4, "down", "70000"),
                {kMacroEventModifier, 1, "up", "5"},
                {kMacroEventMouseButton, 2, "down", ""},
                {kMacroEventMoveX, 44, "down", "1"},
                {2, 7, "down", "3"}}});
    ASSERT_EQ(Actions()->count(), 5);
    QWidget* row = editor->RowWidget(0);
    EXPECT_EQ(row->objectName(), "macro_action");
    EXPECT_EQ(row->maximumHeight(), 30);
    EXPECT_EQ(Cell(0)->text(), "65535") << "shown as at most 65535";
    EXPECT_EQ(Cell(0)->maxLength(), 6);
    EXPECT_TRUE(ui::IsNumberOnly(Cell(0)));
    EXPECT_EQ(Cell(0)->maximumHeight(), 25);
    EXPECT_EQ(ParseEventText(ui::UserData(row).toStdString()), Key(4, "down", "70000"));
    const auto cells = [&](int r) { return editor->RowWidget(r)->findChildren<QLabel*>(); };
    EXPECT_EQ(Style(cells(0)[0]), "macro_label_keyboard_style");
    EXPECT_EQ(Style(cells(0)[1]), "macro_label_down_style");
    EXPECT_EQ(Style(cells(1)[1]), "macro_label_up_style");
    EXPECT_EQ(NameText(1), ui::ResourceManager::Instance().Text("keyboard_key_LCtrl"));
    EXPECT_EQ(Style(cells(2)[0]), "macro_label_mouse_style");
    EXPECT_EQ(NameText(2), "Right button");
    EXPECT_EQ(NameText(3), "To the left");
    EXPECT_EQ(StateText(3), "44") << "a movement shows its distance";
    EXPECT_EQ(Style(cells(3)[1]), "macro_label_text_style");
    EXPECT_EQ(Style(cells(4)[0]), "macro_label_mouse_style") << "types 2 and 3: no name";
    EXPECT_TRUE(NameText(4).isEmpty());
    EXPECT_TRUE(StateText(4).isEmpty());
}

TEST_F(MacroEditorTest, SaveTakesTheDelayCells) {
    UseMacros({{Key(4), Key(5), Key(6), Key(7), Key(8), Key(9), Key(10)}});
    const char* typed[] = {"007", "250", "", "abc", "-3", "99999999", "65535"};
    for (int i = 0; i < 7; ++i) Cell(i)->setText(QString::fromLatin1(typed[i]));
    ASSERT_TRUE(editor->SaveMacro());
    const std::vector<std::string> saved = {"7", "250", "0", "0", "0", "65535", "65535"};
    const std::vector<MacroEvent> file = Saved();
    ASSERT_EQ(file.size(), 7u);
    for (size_t i = 0; i < file.size(); ++i) {
        EXPECT_EQ(file[i].delay, saved[i]) << typed[i];
        EXPECT_EQ(Cell(static_cast<int>(i))->text().toStdString(), saved[i]);
    }
    EXPECT_EQ(ReadJsonFile(File())["MacroName"].asString(), "m0");
    EXPECT_EQ(ReadJsonFile(File())["Version"].asInt(), 64);
    EXPECT_TRUE(ReadJsonFile(File())["Events"][0]["Delay"].isString());
    // The row keeps what was saved.
    EXPECT_EQ(ParseEventText(ui::UserData(editor->RowWidget(0)).toStdString())->delay, "7");
}

TEST_F(MacroEditorTest, MovesDeletionsAndCancel) {
    UseMacros({{Key(4, "down", "1"), Key(5, "down", "2"), Key(6, "down", "3")}});
    const auto order = [&] {
        std::vector<int> buttons;
        for (const MacroEvent& e : Saved()) buttons.push_back(e.button);
        return buttons;
    };
    SelectRow(0);
    editor->OnMoveOrDelete(0);  // up: the first row stays
    EXPECT_EQ(order(), (std::vector<int>{4, 5, 6})) << "nothing saved either";
    editor->OnMoveDown();
    EXPECT_EQ(order(), (std::vector<int>{5, 4, 6}));
    EXPECT_EQ(Actions()->currentRow(), 1);
    EXPECT_EQ(Saved()[1].delay, "1") << "the delay travels with the row";
    editor->OnMoveOrDelete(2);  // to the bottom
    EXPECT_EQ(order(), (std::vector<int>{5, 6, 4}));
    editor->OnMoveDown();       // the last row stays
    editor->OnMoveOrDelete(1);  // to the top
    EXPECT_EQ(order(), (std::vector<int>{4, 5, 6}));
    EXPECT_EQ(Actions()->currentRow(), 0);

    editor->OnMoveOrDelete(3);  // delete the selected row
    EXPECT_EQ(order(), (std::vector<int>{5, 6}));
    editor->OnMoveOrDelete(3);  // none selected now
    EXPECT_EQ(order(), (std::vector<int>{5, 6}));
    // A change that was not saved goes with cancel; the deletion was saved at once.
    Cell(0)->setText("999");
    editor->OnCancel();
    EXPECT_EQ(Actions()->count(), 2);
    EXPECT_EQ(Cell(0)->text(), "2");
    editor->OnMoveOrDelete(4);
    editor->OnCancel();
    EXPECT_EQ(Actions()->count(), 0);
    EXPECT_TRUE(Saved().empty());
}

TEST_F(MacroEditorTest, HandInsertions) {
    UseMacros({{Key(4), Key(5), Key(6)}});
    SelectRow(1);
    editor->OnInsertMouseEvent(0, 2);  // left_click
    std::vector<MacroEvent> saved = Saved();
    ASSERT_EQ(saved.size(), 5u);
    EXPECT_EQ(saved[2], (MacroEvent{1, 1, "down", "0"}));
    EXPECT_EQ(saved[3], (MacroEvent{1, 1, "up", "0"}));
    EXPECT_EQ(saved[4].button, 6);

    UseMacros({{Key(4), Key(5)}});
    editor->OnInsertMouseEvent(2, 0);  // right_down, no row selected
    saved = Saved();
    ASSERT_EQ(saved.size(), 3u);
    EXPECT_EQ(saved[1], (MacroEvent{1, 2, "down", "0"}));
    editor->OnInsertMouseEvent(4, 1);  // back_up, after the new row
    EXPECT_EQ(Saved()[2], (MacroEvent{1, 8, "up", "0"}));
    editor->OnInsertMouseEvent(3, 0);  // forward_down
    EXPECT_EQ(Saved()[3], (MacroEvent{1, 16, "down", "0"}));

    ui::SetText(Find<QWidget>("mouse_x_left_edit"), QStringLiteral("300"));
    ui::SetText(Find<QWidget>("mouse_y_down_edit"), QStringLiteral("12"));
    editor->OnInsertCursorMove(0);
    editor->OnInsertCursorMove(3);
    saved = Saved();
    EXPECT_EQ(saved[4], (MacroEvent{4, 44, "down", "0"})) << "300 keeps its low byte";
    EXPECT_EQ(saved[5], (MacroEvent{5, 12, "up", "0"}));
    EXPECT_EQ(NameText(5), "Downward");
}

TEST_F(MacroEditorTest, AMacroFileThatDoesNotParseOpensEmptyAndIsKept) {
    UseMacros({{Key(4)}});
    test::WriteText(File(), "{ \"Events\": [ broken");
    editor->OnCancel();
    EXPECT_EQ(Actions()->count(), 0);
    EXPECT_EQ(test::ReadText(File()), "{ \"Events\": [ broken");
    // A save keeps the damaged file beside the new one.
    editor->OnInsertMouseEvent(0, 0);
    bool kept = false;
    for (const auto& entry : std::filesystem::directory_iterator(Folder()))
        kept |= entry.path().filename().string().find(".broken-") != std::string::npos &&
                test::ReadText(entry.path()) == "{ \"Events\": [ broken";
    EXPECT_TRUE(kept);
    EXPECT_EQ(Saved().size(), 1u);
}

TEST_F(MacroEditorTest, RecordingLocksThePanelAndFillsTheRows) {
    UseMacros({{}});
    EXPECT_EQ(editor->RecordingHookMode(), 0);
    editor->OnRecordStart();
    EXPECT_EQ(editor->RecordingHookMode(), input::kHookModeAppend);
    EXPECT_FALSE(Names()->isEnabled());
    EXPECT_FALSE(Actions()->isEnabled());
    EXPECT_FALSE(Find<QWidget>("macro_tab_macroaction_edit")->isEnabled());
    EXPECT_TRUE(Find<QWidget>("macro_btn_starredio")->isHidden());
    EXPECT_FALSE(Find<QWidget>("macro_btn_stopredio")->isHidden());

    HookKey(0x1D, false, true);  // left Ctrl
    HookKey(0x1E, false, true);  // A
    HookKey(0x1E, false, true);  // held: repeated
    HookKey(0x1E, false, false);
    HookKey(0x00, false, true);  // not in the list
    HookKey(0x1D, false, false);
    ASSERT_EQ(editor->Rows().Count(), 4);
    EXPECT_EQ(editor->Rows().At(0), (MacroEvent{9, 1, "down", editor->Rows().At(0).delay}));
    EXPECT_EQ(editor->Rows().At(1).type, 10);
    EXPECT_EQ(editor->Rows().At(1).button, 4);
    EXPECT_EQ(Actions()->currentRow(), 3) << "the new row is selected";
    EXPECT_TRUE(Saved().empty()) << "recorded rows stay unsaved until stop";

    editor->OnRecordStop();
    EXPECT_EQ(editor->RecordingHookMode(), 0);
    EXPECT_TRUE(Names()->isEnabled());
    EXPECT_FALSE(Find<QWidget>("macro_btn_starredio")->isHidden());
    EXPECT_EQ(Saved().size(), 4u);
    HookKey(0x1E, false, true);
    EXPECT_EQ(editor->Rows().Count(), 4) << "nothing after stop";
}

TEST_F(MacroEditorTest, TheTriggersChooseTimingAndMode) {
    UseMacros({{Key(4, "down", "11"), Key(5, "down", "12")}});
    ui::SetSelected(Find<QWidget>("macro_check_time"), true);
    ui::SetText(Find<QWidget>("macro_fixed_time_edit"), QStringLiteral("70000"));
    editor->OnRecordStart();
    EXPECT_EQ(editor->Recorder().Timing(), TimingMode::kConstant);
    EXPECT_EQ(editor->Recorder().ConstantDelayValue(), 65535);
    EXPECT_EQ(ui::Text(Find<QWidget>("macro_fixed_time_edit")), "65535") << "written back";
    const struct {
        int option;
        TimingMode timing;
        int mode;
    } options[] = {{0, TimingMode::kConstant, 8},  {1, TimingMode::kConstant, 8},
                   {2, TimingMode::kNone, 8},      {3, TimingMode::kConstant, 16},
                   {4, TimingMode::kConstant, 16}, {5, TimingMode::kNone, 16}};
    for (const auto& o : options) {
        editor->OnRecordOption(o.option);  // a new start replaces the mode
        EXPECT_EQ(editor->Recorder().Timing(), o.timing) << o.option;
        EXPECT_EQ(editor->RecordingHookMode(), o.mode) << o.option;
    }
    ui::SetSelected(Find<QWidget>("macro_check_time"), false);
    editor->OnRecordOption(0);
    EXPECT_EQ(editor->Recorder().Timing(), TimingMode::kMeasured);
    editor->OnActionEdit();
    EXPECT_EQ(editor->Recorder().Timing(), TimingMode::kNone);
    EXPECT_EQ(editor->RecordingHookMode(), 32);

    // Replace: the selected row's key, its action and delay kept.
    SelectRow(1);
    editor->OnRecordStop();
    SelectRow(1);
    editor->OnActionEdit();
    HookKey(0x1D, true, true);  // right Ctrl
    EXPECT_EQ(editor->Rows().At(1), (MacroEvent{9, 16, "down", "12"}));
    EXPECT_EQ(NameText(1), ui::ResourceManager::Instance().Text("keyboard_key_RCtrl"));
    EXPECT_EQ(editor->Rows().Count(), 2);
    editor->OnRecordStop();
    EXPECT_EQ(Saved()[1], (MacroEvent{9, 16, "down", "12"}));
}

TEST_F(MacroEditorTest, TheClickOnStopIsNotRecorded) {
    UseMacros({{}});
    keyboard_->OnFeatureTab(2);  // the page's macro tab, as the user opens it
    window_->resize(1000, 640);
    QCoreApplication::processEvents();
    editor->OnRecordStart();
    QWidget* stop = Find<QWidget>("macro_btn_stopredio");
    const QPoint on_stop = stop->mapToGlobal(stop->rect().center());
    const QPoint elsewhere = stop->mapToGlobal(QPoint(-20, stop->height() / 2));
    HookButton(input::kWmLButtonDown, on_stop);
    HookButton(input::kWmLButtonUp, on_stop);
    EXPECT_EQ(editor->Rows().Count(), 0);
    HookButton(input::kWmLButtonDown, elsewhere);
    HookButton(input::kWmLButtonDown, elsewhere);  // the same message again: dropped
    HookButton(input::kWmLButtonUp, elsewhere);
    HookButton(input::kWmRButtonDown, on_stop);  // only the left button is excluded there
    HookButton(input::kWmXButtonDown, elsewhere, input::kXButtonForward);
    HookButton(input::kWmXButtonDown, elsewhere, 7);  // no such X button
    ASSERT_EQ(editor->Rows().Count(), 4);
    EXPECT_EQ(editor->Rows().At(0), (MacroEvent{1, 1, "down", editor->Rows().At(0).delay}));
    EXPECT_EQ(editor->Rows().At(2).button, 2);
    EXPECT_EQ(editor->Rows().At(3).button, 16);
    editor->OnRecordStop();
}

TEST_F(MacroEditorTest, RecordingStopsAt4000Rows) {
    UseMacros({std::vector<MacroEvent>(3999, Key(4))});
    editor->OnRecordStart();
    HookKey(0x30, false, true);  // B
    HookKey(0x30, false, false);
    HookKey(0x2E, false, true);  // C
    EXPECT_EQ(editor->Rows().Count(), 4000);
    EXPECT_EQ(Actions()->count(), 4000);
    editor->OnRecordStop();
    EXPECT_EQ(Saved().size(), 4000u);
    EXPECT_EQ(Saved().back(), (MacroEvent{10, 5, "down", "0"}));
}

TEST_F(MacroEditorTest, WhatTheHookCannotSeeIsSaid) {
    UseMacros({{}});
    QWidget* notice = Find<QWidget>("macro_record_notice");
    EXPECT_TRUE(notice->isHidden());
    editor->SetInputCoverage(input::InputCoverage::kOwnWindows);
    EXPECT_FALSE(notice->isHidden());
    EXPECT_EQ(ui::Text(notice), ui::ResourceManager::Instance().Text("macro_record_partial_text"));
    EXPECT_TRUE(Find<QWidget>("macro_btn_starredio")->isEnabled());
    editor->SetInputCoverage(input::InputCoverage::kNone);
    EXPECT_EQ(ui::Text(notice),
              ui::ResourceManager::Instance().Text("macro_record_unavailable_text"));
    EXPECT_FALSE(Find<QWidget>("macro_btn_starredio")->isEnabled());
    editor->OnRecordStart();
    EXPECT_EQ(editor->RecordingHookMode(), 0) << "no recording without a source";
    // What works stays: insertion by hand.
    editor->OnInsertMouseEvent(1, 2);
    EXPECT_EQ(Saved().size(), 2u);
}

TEST_F(MacroEditorTest, StoppingHasTheKeyboardWriteItsMacrosAndKeys) {
    Connect();
    UseMacros({{Key(7)}, {}});
    AssignKeys({{0, {kKeyTypeMacro, 1, 0}}});  // the first position plays the second macro
    Names()->setCurrentRow(1);
    editor->OnNameList();
    editor->OnRecordStart();
    HookKey(0x1E, false, true);
    HookKey(0x1E, false, false);
    emu_.Traffic().Clear();
    editor->OnRecordStop();
    Settle();
    EXPECT_TRUE(boxes.empty());
    const std::vector<std::vector<MacroEvent>> entries{Saved(1)};
    EXPECT_GT(CountCommand(Sent(), CMD_WRITE_MACROS), 0u);
    EXPECT_EQ(MacroMemoryStart(BuildMacroImage(entries).size()), BuildMacroImage(entries))
        << "only the macro a key plays";
    EXPECT_GT(CountCommand(Sent(), CMD_WRITE_KEYMAP), 0u) << "then the key table";
    EXPECT_EQ(Model().KeySlot(sim::KeyboardSlotOfPosition(0))[0], kKeyTypeMacro);

    // A move is followed by the same write; a refused write shows "message_text_7".
    ASSERT_TRUE(emu_.ArmFault(sim::DeviceKind::kKeyboard, sim::FaultKind::kStatusFF, 2));
    SelectRow(1);
    editor->OnMoveOrDelete(0);
    Settle();
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0].message, "message_text_7");
    EXPECT_TRUE(boxes[0].text_is_id);
}

TEST_F(MacroEditorTest, AShortageOfTheKeyboardsMemoryIsShownWithItsNumber) {
    Connect();
    UseMacros({std::vector<MacroEvent>(1100, Key(4))});
    AssignKeys({{0, {kKeyTypeMacro, 0, 0}}});
    SelectRow(0);
    editor->OnMoveOrDelete(2);  // to the bottom: saved, then the update
    Settle();
    ASSERT_EQ(boxes.size(), 1u);
    const int capacity = Model().InfoBlock()[kInfoMacroUnits] * 128;
    const int shortage = MacroShortage(MacroImageSize(std::vector<size_t>{1100}), capacity);
    ASSERT_GT(shortage, 0);
    EXPECT_FALSE(boxes[0].text_is_id);
    EXPECT_EQ(boxes[0].message, ui::ResourceManager::Instance()
                                    .Text("message_text_16")
                                    .replace("%d", QString::number(shortage)));
}

TEST_F(MacroEditorTest, DeletingAMacroThatKeysPlay) {
    Connect();
    UseMacros({{Key(4)}, {Key(5)}, {Key(6)}}, 1);
    AssignKeys({{0, {kKeyTypeMacro, 1, 0}}, {1, {kKeyTypeMacro, 2, 0}}});
    // Declining the second question changes nothing.
    answer = 1;
    int asked = 0;
    editor->SetMessageBox([&](const MacroMessageBox& box) {
        boxes.push_back(box);
        return ++asked == 2 ? 0 : 1;
    });
    editor->OnNameSub();
    ASSERT_EQ(boxes.size(), 2u);
    EXPECT_EQ(boxes[0].message, "message_text_4");
    EXPECT_EQ(boxes[1].message, "message_text_2");
    EXPECT_EQ(Names()->count(), 3);
    EXPECT_TRUE(std::filesystem::exists(File(1)));

    editor->SetMessageBox([&](const MacroMessageBox& box) {
        boxes.push_back(box);
        return 1;
    });
    emu_.Traffic().Clear();
    editor->OnNameSub();
    Settle();
    EXPECT_EQ(Names()->count(), 2);
    EXPECT_FALSE(std::filesystem::exists(File(1)));
    EXPECT_EQ(Names()->currentRow(), -1);
    EXPECT_EQ(Actions()->count(), 0);
    // The key that played it has its default back, the other plays the renumbered macro.
    EXPECT_EQ(keyboard_->Keys()[0].current, keyboard_->Keys()[0].default_code);
    EXPECT_EQ(keyboard_->Keys()[1].current, (KeyFunctionCode{kKeyTypeMacro, 1, 0}));
    EXPECT_EQ(Panel<test::StandInKeys>()->macros, (std::vector<std::string>{"m0", "m2"}));
    EXPECT_GT(CountCommand(Sent(), CMD_WRITE_KEYMAP), 0u) << "the device update";
    const auto image = BuildMacroImage(std::vector<std::vector<MacroEvent>>{{Key(6)}});
    EXPECT_EQ(MacroMemoryStart(image.size()), image);
}

}  // namespace
}  // namespace dz
