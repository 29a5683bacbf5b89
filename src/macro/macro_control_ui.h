#pragma once
// CMacroControlUI: the macro editor of the keyboard and mouse pages ("MacroControlItem").
// It shows the kind's macro list (the MacroStore of its user data folder) and the selected
// macro's events as rows (name, direction or distance, an editable delay), creates,
// imports, exports, renames and deletes macros, records events from the input hook, moves,
// deletes and inserts rows, and saves the macro file after every change. After the changes
// that need it the device of its page rewrites its macro memory and key table; a failure
// or a shortage of the device's memory is shown ("message_text_7", "message_text_16").
//
// The rows live in a MacroRows; the list widget mirrors it row by row. The delay cells are
// the authority at save time: what is typed into them goes into the rows as typed and is
// normalised (0 to 65535) when the macro is saved.
//
// Skin: "XML\CustomControlXML\MacroControl.xml", whose root is of class "CMacroControlUI".
// The main window routes the panel's clicks and menu commands to it (MacroEditor) and runs
// the input hook in the mode RecordingHookMode() asks for.

#include <QPointer>
#include <QString>
#include <QWidget>
#include <chrono>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/device_page.h"
#include "macro/macro_recording.h"
#include "macro/macro_rows.h"
#include "macro/macro_store.h"
#include "ui/control_timers.h"

class QListWidget;
class QLineEdit;

namespace dz {

class CRezazodaUSBDevice;

// One message box the editor wants shown; answers 1 when the user confirmed.
struct MacroMessageBox {
    QString message;  // a language text identifier when text_is_id
    bool text_is_id = true;
    int button_mode = 0;        // 0 confirm only, 1 confirm and cancel
    bool owned_by_main = true;  // false: no owner, centred on the screen
};
using MacroMessageBoxFunction = std::function<int(const MacroMessageBox&)>;
// The open (save false) or save (save true) dialog for macro files; empty when cancelled.
using MacroFileDialogFunction = std::function<QString(QWidget* owner, bool save)>;

class CMacroControlUI : public QWidget, public MacroEditor, public ui::TimerReceiver {
    Q_OBJECT

  public:
    static constexpr int kScrollTimerId = 0x1005;
    static constexpr int kScrollTimerMs = 50;

    explicit CMacroControlUI(QWidget* parent = nullptr);
    ~CMacroControlUI() override;

    // ---- The panel's operations ---------------------------------------------------------
    // LoadMacroList of `folder` into "macro_name_list"; no macro selected.
    void Initialise(const std::filesystem::path& folder);
    // The rows of the macro selected in the list, from its file.
    void SelectMacro();
    // Writes the rows to the selected macro's file (delay cells normalised first). False
    // when nothing was written (no macro, or the file could not be written).
    bool SaveMacro();
    void MoveRow(RowMove move);
    void DeleteRow();
    void DeleteAllRows();
    // A mouse-table button by window message; for 0x020B and 0x020C `back` picks back.
    void InsertButton(uint32_t message, bool back);
    void InsertMovement(Movement direction);
    [[nodiscard]] int GetSelectedMacroIndex() const;
    // The kind's macro names, for the key assignment panel.
    [[nodiscard]] std::vector<std::string> MacroNames() const;

    // ---- MacroEditor (the main window's routing) --------------------------------------
    void AttachFolder(const std::filesystem::path& folder) override { Initialise(folder); }
    void OnRecordStart() override;
    void OnRecordStop() override;
    void OnNameAdd() override;
    void OnNameSub() override;
    void OnNameEdit() override;
    void OnSave() override { (void)SaveMacro(); }
    void OnCancel() override { SelectMacro(); }
    void OnImport() override;
    void OnExport() override;
    void OnMoveOrDelete(int which) override;
    void OnMoveDown() override;
    void OnInsertCursorMove(int direction) override;
    void OnNameList() override { SelectMacro(); }
    void OnDelay() override { (void)SaveMacro(); }
    void OnRecordOption(int option) override;
    void OnActionEdit() override;
    void OnInsertMouseEvent(int button, int kind) override;
    [[nodiscard]] int RecordingHookMode() const override { return recording_ ? hook_mode_ : 0; }
    void OnHookMessage(const input::HookMessage& message) override;
    void AbortRecording() override;
    void SetInputCoverage(input::InputCoverage coverage) override;

    // ui::TimerReceiver: the scroll timer.
    bool OnControlTimer(int id) override;

    // ---- State (tests) ------------------------------------------------------------------
    [[nodiscard]] const MacroRows& Rows() const { return rows_; }
    [[nodiscard]] MacroStore* Store() const { return store_.get(); }
    [[nodiscard]] bool Recording() const { return recording_; }
    [[nodiscard]] const MacroRecorder& Recorder() const { return recorder_; }
    [[nodiscard]] const std::filesystem::path& Folder() const { return folder_; }
    // The row widget of row `index` (a "macro_action" container), or null.
    [[nodiscard]] QWidget* RowWidget(int index) const;
    // RenameMacro's answer as the main window reads it: empty when done or not done,
    // "IsEmpty" for a blank name, the taken name otherwise.
    [[nodiscard]] const QString& LastRenameAnswer() const { return rename_answer_; }

    void SetMessageBox(MacroMessageBoxFunction box) { message_box_ = std::move(box); }
    void SetFileDialog(MacroFileDialogFunction dialog) { file_dialog_ = std::move(dialog); }

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    [[nodiscard]] QWidget* Control(const char* name) const;
    [[nodiscard]] QListWidget* NameList() const;
    [[nodiscard]] QListWidget* ActionList() const;
    // The device object of the page this panel is on, or null.
    [[nodiscard]] CRezazodaUSBDevice* Device() const;
    int Message(const MacroMessageBox& box) const;

    void FillNameList();
    void SelectNameSilently(int index);
    void EnableEditing(bool on);
    // The list follows the queued row edits and the selection.
    void ApplyRowEdits();
    QWidget* BuildRow(const MacroEvent& event);
    void ShowRowEvent(QWidget* row, const MacroEvent& event);
    [[nodiscard]] int RowIndexOf(const QWidget* row) const;
    void TakeCellDelays();

    // Recording.
    void BeginRecording(TimingMode timing, int hook_mode);
    void Lock(bool locked);
    [[nodiscard]] bool OnStopButton(const input::MouseHookRecord& mouse) const;
    void Record(RecordForm form, const MacroEvent& event);

    // The device rewrites its macro memory and then its key table.
    void DeviceUpdate();
    void ShowMacroWriteAnswer(int answer);
    // The key assignment panel and the device take the changed macro list.
    void TellDeviceMacrosChanged();

    std::filesystem::path folder_;
    std::unique_ptr<MacroStore> store_;
    int shown_macro_ = -1;  // the macro whose rows are shown
    MacroRows rows_;
    MacroRecorder recorder_;
    bool recording_ = false;
    int hook_mode_ = 0;
    int reveal_row_ = -1;  // the row the scroll timer makes visible
    input::InputCoverage coverage_ = input::InputCoverage::kDesktop;
    QString rename_answer_;
    bool wired_ = false;  // the controls' own signals are connected
    MacroMessageBoxFunction message_box_;
    MacroFileDialogFunction file_dialog_;
};

// The system's open or save dialog with the filter "Macro Files(*.mac)".
[[nodiscard]] QString RunMacroFileDialog(QWidget* owner, bool save);

// Registers "CMacroControlUI" with the control factory. `message_box` becomes the message
// box of every editor created afterwards; without one a message is only logged.
void RegisterMacroControls(MacroMessageBoxFunction message_box = {});

}  // namespace dz
