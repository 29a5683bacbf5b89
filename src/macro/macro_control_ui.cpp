#include "macro/macro_control_ui.h"

#include <QAbstractButton>
#include <QCursor>
#include <QEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>

#include "device/usb_device.h"
#include "macro/macro_names.h"
#include "platform/log/debug_log.h"
#include "profile/device_profile_ui.h"
#include "ui/control_factory.h"
#include "ui/control_ops.h"
#include "ui/notifier.h"
#include "ui/resource_manager.h"
#include "ui/skin_scale.h"
#include "ui/window_base.h"

namespace dz {
namespace {

constexpr char kRowName[] = "macro_action";
constexpr char kDelayName[] = "macro_delay";
constexpr char kStyleProperty[] = "macrostyle";
constexpr int kRowHeight = 30;
constexpr int kRowPadding = 4;
constexpr int kDelayHeight = 25;
constexpr int kDelayWidth = 72;
constexpr int kMaxDelayChars = 6;
constexpr int kNameItemHeight = 30;
constexpr char kMacroFileFilter[] = "Macro Files(*.mac)";

QString Str(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

MacroMessageBoxFunction& DefaultMessageBox() {
    static MacroMessageBoxFunction box;
    return box;
}

bool IsMouseType(int type) {
    return type != kMacroEventModifier && type != kMacroEventKey;
}

// The three cells of a row.
struct RowCells {
    QLabel* name = nullptr;
    QLabel* state = nullptr;
    QLineEdit* delay = nullptr;
};

RowCells CellsOf(const QWidget* row) {
    RowCells cells;
    if (row == nullptr) return cells;
    const QList<QLabel*> labels = row->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
    if (labels.size() >= 2) {
        cells.name = labels[0];
        cells.state = labels[1];
    }
    cells.delay = row->findChild<QLineEdit*>(QString::fromLatin1(kDelayName));
    return cells;
}

void SetStyleAttribute(QWidget* w, const char* style) {
    if (w->property(kStyleProperty).toString() == QLatin1String(style)) return;
    w->setProperty(kStyleProperty, QString::fromLatin1(style));
    // The theme's rules by attribute apply to a shown control only when its style is
    // worked out again.
    if (w->testAttribute(Qt::WA_WState_Polished)) {
        w->style()->unpolish(w);
        w->style()->polish(w);
    }
}

// The move buttons in the order of MacroEditor::OnMoveOrDelete.
constexpr RowMove kMoves[] = {RowMove::kUp, RowMove::kTop, RowMove::kBottom};

}  // namespace

CMacroControlUI::CMacroControlUI(QWidget* parent)
    : QWidget(parent), message_box_(DefaultMessageBox()), file_dialog_(&RunMacroFileDialog) {}

CMacroControlUI::~CMacroControlUI() = default;

QWidget* CMacroControlUI::Control(const char* name) const {
    return findChild<QWidget*>(QString::fromLatin1(name));
}

QListWidget* CMacroControlUI::NameList() const {
    return qobject_cast<QListWidget*>(Control("macro_name_list"));
}

QListWidget* CMacroControlUI::ActionList() const {
    return qobject_cast<QListWidget*>(Control("macro_action_list"));
}

CRezazodaUSBDevice* CMacroControlUI::Device() const {
    // The panel sits in the page whose root is its device object.
    for (QWidget* p = parentWidget(); p != nullptr; p = p->parentWidget()) {
        if (auto* device = dynamic_cast<CRezazodaUSBDevice*>(p)) return device;
    }
    return nullptr;
}

int CMacroControlUI::Message(const MacroMessageBox& box) const {
    if (!message_box_) {
        log::DebugLineF("macro editor message %s (no message box)", qUtf8Printable(box.message));
        return 0;
    }
    return message_box_(box);
}

// ---- The macro list -------------------------------------------------------------------

void CMacroControlUI::Initialise(const std::filesystem::path& folder) {
    folder_ = folder;
    store_ = std::make_unique<MacroStore>(folder);
    store_->Load();
    FillNameList();
    shown_macro_ = -1;
    rows_.Reset({});
    ApplyRowEdits();
    EnableEditing(false);
    Lock(false);
    SetInputCoverage(coverage_);
    if (wired_) return;
    wired_ = true;
    if (QLineEdit* edit = qobject_cast<QLineEdit*>(Control("macro_edit_macroname"))) {
        // Enter renames, Escape empties the edit.
        connect(edit, &QLineEdit::returnPressed, this, [this] {
            ui::RaiseNotify(Control("macro_btn_name_edit"), QStringLiteral("click"));
        });
        edit->installEventFilter(this);
    }
    const std::pair<const char*, const char*> move_edits[] = {
        {"mouse_x_left_edit", "macro_inset_moveleftkey_btn"},
        {"mouse_x_right_edit", "macro_inset_moverightkey_btn"},
        {"mouse_y_up_edit", "macro_inset_moveupkey_btn"},
        {"mouse_y_down_edit", "macro_inset_movedownkey_btn"}};
    for (const auto& [edit_name, button] : move_edits) {
        // Enter inserts that movement, as its button does.
        if (auto* edit = qobject_cast<QLineEdit*>(Control(edit_name))) {
            connect(edit, &QLineEdit::returnPressed, this, [this, button = button] {
                ui::RaiseNotify(Control(button), QStringLiteral("click"));
            });
        }
    }
    if (QListWidget* list = ActionList()) {
        list->setSelectionMode(QAbstractItemView::SingleSelection);
        connect(list, &QListWidget::currentRowChanged, this,
                [this](int row) { rows_.Select(row); });
    }
}

void CMacroControlUI::FillNameList() {
    QListWidget* list = NameList();
    if (list == nullptr || !store_) return;
    const ui::SilentChange silent(list);
    list->clear();
    for (const MacroEntry& entry : store_->Macros()) {
        auto* item = new QListWidgetItem(QString::fromStdString(entry.name), list);
        item->setData(Qt::UserRole, QString::fromStdString(entry.guid));
        item->setSizeHint(
            QSize(item->sizeHint().width(), qRound(kNameItemHeight * ui::DpiOf(list) / 96.0)));
    }
    list->setCurrentRow(-1);
}

void CMacroControlUI::SelectNameSilently(int index) {
    QListWidget* list = NameList();
    if (list == nullptr) return;
    const ui::SilentChange silent(list);
    list->setCurrentRow(index);
}

int CMacroControlUI::GetSelectedMacroIndex() const {
    return ui::CurSel(NameList());
}

std::vector<std::string> CMacroControlUI::MacroNames() const {
    std::vector<std::string> names;
    if (store_)
        for (const MacroEntry& e : store_->Macros()) names.push_back(e.name);
    return names;
}

void CMacroControlUI::EnableEditing(bool on) {
    for (const char* name : {"macro_action_layout", "mouse_move_layout", "macro_btn_export",
                             "macro_btn_name_sub", "macro_btn_name_edit"}) {
        ui::SetEnabled(Control(name), on);
    }
}

void CMacroControlUI::SelectMacro() {
    if (recording_ || !store_) return;
    const int index = GetSelectedMacroIndex();
    if (index < 0 || index >= static_cast<int>(store_->Macros().size())) {
        shown_macro_ = -1;
        rows_.Reset({});
        ApplyRowEdits();
        EnableEditing(false);
        return;
    }
    QListWidgetItem* item = NameList()->item(index);
    if (item == nullptr || item->data(Qt::UserRole).toString().isEmpty()) return;
    EnableEditing(true);
    shown_macro_ = index;
    // A file that is missing or does not parse shows no rows; it stays as it is until a
    // save, which keeps a copy of a damaged one first.
    rows_.Reset(LoadEvents(store_->MacroFilePath(index)));
    ApplyRowEdits();
}

void CMacroControlUI::TellDeviceMacrosChanged() {
    if (CRezazodaUSBDevice* device = Device()) device->LoadPanelLists();
}

void CMacroControlUI::OnNameAdd() {
    if (!store_ || recording_) return;
    const MacroChange change = store_->CreateMacro();
    if (change.result != MacroResult::kDone) {
        log::DebugLineF("macro not created: %s", MacroResultText(change.result));
        return;
    }
    FillNameList();
    SelectNameSilently(change.index);
    SelectMacro();
    TellDeviceMacrosChanged();
}

void CMacroControlUI::OnNameSub() {
    if (!store_ || recording_) return;
    CRezazodaUSBDevice* device = Device();
    MacroDeleteContext context;
    context.confirm = [this](MacroConfirmation question) {
        MacroMessageBox box;
        box.message = question == MacroConfirmation::kDeleteMacro
                          ? QStringLiteral("message_text_4")
                          : QStringLiteral("message_text_2");
        box.button_mode = 1;
        return Message(box) == 1;
    };
    context.current = device != nullptr ? device->ProfileData() : nullptr;
    if (CDeviceProfileUI* bar = CDeviceProfileUI::Of(device))
        if (ProfileStore* profiles = bar->Store())
            context.other_profiles = profiles->OtherProfilePaths();
    const MacroDeleteResult result = store_->DeleteMacro(GetSelectedMacroIndex(), context);
    if (result.result != MacroResult::kDone) {
        log::DebugLineF("macro not deleted: %s", MacroResultText(result.result));
        return;
    }
    FillNameList();
    SelectMacro();
    if (device == nullptr) return;
    if (result.current_keys_changed) {
        // The keys that played it, or a later macro, changed in the profile.
        (void)device->LoadProfile();
        device->RefreshPage();
        DeviceUpdate();
    } else {
        device->LoadPanelLists();
    }
}

void CMacroControlUI::OnNameEdit() {
    rename_answer_.clear();
    if (!store_ || recording_) return;
    QWidget* edit = Control("macro_edit_macroname");
    const QString name = ui::Text(edit);
    const int index = GetSelectedMacroIndex();
    switch (store_->RenameMacro(index, name.toStdString())) {
        case MacroResult::kDone:
            if (QListWidgetItem* item = NameList()->item(index)) item->setText(name);
            ui::SetText(edit, QString());
            TellDeviceMacrosChanged();
            break;
        case MacroResult::kNameBlank:
            rename_answer_ = QStringLiteral("IsEmpty");
            break;
        case MacroResult::kNameTaken: {
            rename_answer_ = name;
            MacroMessageBox box;
            box.message = QStringLiteral("message_text_5");
            box.owned_by_main = false;
            (void)Message(box);
            break;
        }
        default:
            break;
    }
}

void CMacroControlUI::OnImport() {
    if (!store_ || recording_ || !file_dialog_) return;
    const QString path = file_dialog_(window(), false);
    if (path.isEmpty()) return;
    const MacroChange change = store_->ImportMacro(path.toStdString());
    if (change.result == MacroResult::kFileError) {
        (void)Message({QStringLiteral("macro_copy_failed_text"), true, 0, true});
        return;
    }
    if (change.result != MacroResult::kDone) return;
    FillNameList();
    SelectNameSilently(change.index);
    SelectMacro();
    TellDeviceMacrosChanged();
}

void CMacroControlUI::OnExport() {
    if (!store_ || recording_ || !file_dialog_) return;
    const int index = GetSelectedMacroIndex();
    if (index < 0) return;
    // A new macro has no file until its first save: the export takes what it shows.
    const std::filesystem::path file = store_->MacroFilePath(index);
    std::error_code ec;
    if (index == shown_macro_ && !file.empty() && !std::filesystem::exists(file, ec))
        (void)SaveMacro();
    const QString path = file_dialog_(window(), true);
    if (path.isEmpty()) return;
    if (store_->ExportMacro(index, path.toStdString()) != MacroResult::kDone)
        (void)Message({QStringLiteral("macro_copy_failed_text"), true, 0, true});
}

// ---- Rows ------------------------------------------------------------------------------

QWidget* CMacroControlUI::RowWidget(int index) const {
    return ui::ListRow(ActionList(), index);
}

int CMacroControlUI::RowIndexOf(const QWidget* row) const {
    QListWidget* list = ActionList();
    if (list == nullptr) return -1;
    for (int i = 0; i < list->count(); ++i)
        if (list->itemWidget(list->item(i)) == row) return i;
    return -1;
}

QWidget* CMacroControlUI::BuildRow(const MacroEvent& event) {
    auto* row = new QWidget;
    row->setObjectName(QString::fromLatin1(kRowName));
    row->setProperty("menu", true);  // its context menu is the macro action menu
    row->setMinimumHeight(kRowHeight);
    row->setMaximumHeight(kRowHeight);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(kRowPadding, kRowPadding, kRowPadding, kRowPadding);
    layout->setSpacing(kRowPadding);
    auto* name = new QLabel(row);
    auto* state = new QLabel(row);
    auto* delay = new QLineEdit(row);
    delay->setObjectName(QString::fromLatin1(kDelayName));
    ui::SetMinValue(delay, 0);
    ui::SetMaxValue(delay, kMaxMacroDelay);
    ui::SetNumberOnly(delay, true);
    ui::SetMaxChar(delay, kMaxDelayChars);
    delay->setMinimumSize(kDelayWidth, kDelayHeight);
    delay->setMaximumSize(kDelayWidth, kDelayHeight);
    delay->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    SetStyleAttribute(delay, "macro_label_text_style");
    layout->addWidget(name, 3);
    layout->addWidget(state, 2);
    layout->addWidget(delay, 0);
    connect(delay, &QLineEdit::textEdited, this, [this, row](const QString& text) {
        rows_.SetTypedDelay(RowIndexOf(row), text.toStdString());
    });
    delay->installEventFilter(this);
    ShowRowEvent(row, event);
    ui::RecordSkinMeasures(row);
    return row;
}

void CMacroControlUI::ShowRowEvent(QWidget* row, const MacroEvent& event) {
    const RowCells cells = CellsOf(row);
    if (cells.name == nullptr || cells.delay == nullptr) return;
    const ui::ResourceManager& texts = ui::ResourceManager::Instance();
    // Types 2 and 3 name no button: the mouse style without a name.
    const std::string_view name_id = MacroEventName(event);
    texts.SetResourceText(cells.name, false);
    ui::SetText(cells.name, Str(name_id));
    if (!name_id.empty()) texts.SetResourceText(cells.name, true);
    SetStyleAttribute(cells.name, IsMouseType(event.type) ? "macro_label_mouse_style"
                                                          : "macro_label_keyboard_style");
    texts.SetResourceText(cells.state, false);
    if (event.type == kMacroEventMoveX || event.type == kMacroEventMoveY) {
        ui::SetText(cells.state, QString::number(event.button));
        SetStyleAttribute(cells.state, "macro_label_text_style");
    } else if (event.type == 2 || event.type == 3) {
        ui::SetText(cells.state, QString());
        SetStyleAttribute(cells.state, "macro_label_text_style");
    } else {
        ui::SetText(cells.state, event.IsPress() ? QStringLiteral("macro_down_text")
                                                 : QStringLiteral("macro_up_text"));
        texts.SetResourceText(cells.state, true);
        SetStyleAttribute(cells.state,
                          event.IsPress() ? "macro_label_down_style" : "macro_label_up_style");
    }
    {
        const QSignalBlocker block(cells.delay);
        cells.delay->setText(QString::number(DisplayDelay(event.delay)));
    }
    ui::SetUserData(row, QString::fromStdString(EventText(event)));
}

void CMacroControlUI::ApplyRowEdits() {
    QListWidget* list = ActionList();
    const std::vector<RowEdit> edits = rows_.TakeEdits();
    if (list == nullptr) return;
    const ui::SilentChange silent(list);
    auto fill = [&](QListWidgetItem* item, int index) {
        QWidget* row = BuildRow(rows_.At(index));
        list->setItemWidget(item, row);
        if (ui::WindowBase* w = ui::WindowOf(list)) w->AttachControls(row);
        item->setSizeHint(QSize(0, row->maximumHeight()));
    };
    auto place = [&](int index) {
        auto* item = new QListWidgetItem;
        list->insertItem(index, item);
        fill(item, index);
    };
    for (const RowEdit& edit : edits) {
        switch (edit.kind) {
            case RowEdit::Kind::kReset: {
                list->setUpdatesEnabled(false);
                list->clear();
                // The view lays out all its rows (and moves every row widget) on each row
                // it is told of: a macro of thousands of rows is told of once, as a whole.
                {
                    const QSignalBlocker quiet(list->model());
                    for (int i = 0; i < rows_.Count(); ++i)
                        list->insertItem(i, new QListWidgetItem);
                }
                list->reset();
                for (int i = 0; i < rows_.Count(); ++i) fill(list->item(i), i);
                list->setUpdatesEnabled(true);
                break;
            }
            case RowEdit::Kind::kInsert:
                place(edit.index);
                break;
            case RowEdit::Kind::kRemove:
                delete list->takeItem(edit.index);
                break;
            case RowEdit::Kind::kUpdate:
                ShowRowEvent(RowWidget(edit.index), rows_.At(edit.index));
                break;
        }
    }
    list->setCurrentRow(rows_.Selected());
}

void CMacroControlUI::TakeCellDelays() {
    for (int i = 0; i < rows_.Count(); ++i) {
        QLineEdit* cell = CellsOf(RowWidget(i)).delay;
        if (cell == nullptr) continue;
        const std::string saved = NormalisedDelayText(cell->text().toStdString());
        const QString shown = QString::fromStdString(saved);
        if (cell->text() != shown) {
            const QSignalBlocker block(cell);
            cell->setText(shown);
        }
        rows_.SetTypedDelay(i, saved);
    }
}

bool CMacroControlUI::SaveMacro() {
    if (!store_ || shown_macro_ < 0 || shown_macro_ >= static_cast<int>(store_->Macros().size()))
        return false;
    const MacroEntry& entry = store_->Macros()[static_cast<size_t>(shown_macro_)];
    const std::filesystem::path path = store_->MacroFilePath(shown_macro_);
    if (entry.guid.empty() || path.empty()) return false;
    TakeCellDelays();
    QListWidgetItem* item = NameList() != nullptr ? NameList()->item(shown_macro_) : nullptr;
    const std::string name = item != nullptr ? item->text().toStdString() : entry.name;
    const bool saved = SaveEvents(path, name, entry.guid, rows_.Events());
    if (!saved) log::DebugLineF("macro %s not saved", name.c_str());
    for (int i = 0; i < rows_.Count(); ++i)
        ui::SetUserData(RowWidget(i), QString::fromStdString(EventText(rows_.At(i))));
    return saved;
}

void CMacroControlUI::MoveRow(RowMove move) {
    if (!rows_.Move(move)) return;
    ApplyRowEdits();
    if (move == RowMove::kUp || move == RowMove::kDown)
        ui::EnsureVisible(ActionList(), rows_.Selected());
}

void CMacroControlUI::DeleteRow() {
    if (rows_.DeleteSelected()) ApplyRowEdits();
}

void CMacroControlUI::DeleteAllRows() {
    rows_.DeleteAll();
    ApplyRowEdits();
}

void CMacroControlUI::InsertButton(uint32_t message, bool back) {
    const std::optional<MacroEvent> event = ButtonEventOfMessage(message, back);
    // The file holds at most 4000 events: what cannot be saved is not inserted.
    if (!event || rows_.Count() >= static_cast<int>(kMaxMacroEvents)) return;
    rows_.InsertAfterSelection(*event);
    ApplyRowEdits();
}

void CMacroControlUI::InsertMovement(Movement direction) {
    static constexpr const char* kEdits[] = {"mouse_x_left_edit", "mouse_x_right_edit",
                                             "mouse_y_up_edit", "mouse_y_down_edit"};
    QWidget* edit = Control(kEdits[static_cast<int>(direction)]);
    if (edit == nullptr || rows_.Count() >= static_cast<int>(kMaxMacroEvents)) return;
    rows_.InsertAfterSelection(MovementEvent(direction, ui::Text(edit).toStdString()));
    ApplyRowEdits();
}

void CMacroControlUI::OnMoveOrDelete(int which) {
    if (shown_macro_ < 0) return;
    const int before = rows_.Count();
    const int selected = rows_.Selected();
    if (which >= 0 && which < 3) {
        MoveRow(kMoves[which]);
    } else if (which == 3) {
        DeleteRow();
    } else if (which == 4) {
        DeleteAllRows();
    }
    const bool changed = rows_.Count() != before || rows_.Selected() != selected;
    if (!changed) return;  // nothing moved: the file and the device stay as they are
    (void)SaveMacro();
    DeviceUpdate();
}

void CMacroControlUI::OnMoveDown() {
    if (shown_macro_ < 0) return;
    const int selected = rows_.Selected();
    MoveRow(RowMove::kDown);
    if (rows_.Selected() == selected) return;
    (void)SaveMacro();
    DeviceUpdate();
}

void CMacroControlUI::OnInsertCursorMove(int direction) {
    if (shown_macro_ < 0 || direction < 0 || direction > 3) return;
    InsertMovement(static_cast<Movement>(direction));
    (void)SaveMacro();
}

void CMacroControlUI::OnInsertMouseEvent(int button, int kind) {
    if (shown_macro_ < 0 || button < 0 || button > 4 || kind < 0 || kind > 2) return;
    // Press and release messages of left, middle, right, forward and back.
    static constexpr std::pair<uint32_t, uint32_t> kMessages[] = {
        {0x0201, 0x0202}, {0x0207, 0x0208}, {0x0204, 0x0205}, {0x020B, 0x020C}, {0x020B, 0x020C}};
    const auto [press, release] = kMessages[button];
    const bool back = static_cast<MenuButton>(button) == MenuButton::kBack;
    // A click is the press, then the release right after it.
    if (kind == 0 || kind == 2) InsertButton(press, back);
    if (kind == 1 || kind == 2) InsertButton(release, back);
    (void)SaveMacro();
}

bool CMacroControlUI::eventFilter(QObject* watched, QEvent* event) {
    auto* edit = qobject_cast<QLineEdit*>(watched);
    if (edit == nullptr) return false;
    const bool delay = edit->objectName() == QLatin1String(kDelayName);
    if (delay && event->type() == QEvent::FocusIn) {
        // Editing a delay selects its row.
        const int index = RowIndexOf(edit->parentWidget());
        if (index >= 0 && ActionList() != nullptr) ActionList()->setCurrentRow(index);
    }
    if (event->type() != QEvent::KeyPress) return false;
    const int key = static_cast<QKeyEvent*>(event)->key();
    if (delay && (key == Qt::Key_Return || key == Qt::Key_Enter)) {
        // Enter takes the delay: leaving the cell saves it.
        if (ActionList() != nullptr) ActionList()->setFocus(Qt::OtherFocusReason);
        return true;
    }
    if (key != Qt::Key_Escape) return false;
    if (delay) {
        // Escape goes back to the delay the row had at its last load or save.
        const int index = RowIndexOf(edit->parentWidget());
        const std::optional<MacroEvent> kept =
            ParseEventText(ui::UserData(edit->parentWidget()).toStdString());
        if (index >= 0 && kept) {
            edit->setText(QString::number(DisplayDelay(kept->delay)));
            rows_.SetTypedDelay(index, kept->delay);
        }
    } else {
        edit->clear();
    }
    return true;
}

// ---- Recording -------------------------------------------------------------------------

void CMacroControlUI::SetInputCoverage(input::InputCoverage coverage) {
    coverage_ = coverage;
    QWidget* notice = Control("macro_record_notice");
    switch (coverage) {
        case input::InputCoverage::kDesktop:
            ui::SetVisible(notice, false);
            break;
        case input::InputCoverage::kOwnWindows:
            ui::SetText(notice, QStringLiteral("macro_record_partial_text"));
            ui::SetVisible(notice, true);
            break;
        case input::InputCoverage::kNone:
            ui::SetText(notice, QStringLiteral("macro_record_unavailable_text"));
            ui::SetVisible(notice, true);
            break;
    }
    ui::SetEnabled(Control("macro_btn_starredio"), coverage != input::InputCoverage::kNone);
}

void CMacroControlUI::Lock(bool locked) {
    for (const char* name : {"macro_name_list", "macro_name_tab", "macro_tab_macroaction_edit",
                             "macro_tab_macrodelay_edit", "macro_action_list"}) {
        ui::SetEnabled(Control(name), !locked);
    }
    ui::SetVisible(Control("macro_btn_starredio"), !locked);
    ui::SetVisible(Control("macro_btn_stopredio"), locked);
}

void CMacroControlUI::BeginRecording(TimingMode timing, int hook_mode) {
    // Nothing to record into, or nothing the hook could see.
    if (shown_macro_ < 0 || coverage_ == input::InputCoverage::kNone) return;
    int constant = 0;
    if (timing == TimingMode::kConstant) {
        QWidget* edit = Control("macro_fixed_time_edit");
        const ConstantDelay read = ReadConstantDelay(ui::Text(edit).toStdString());
        if (read.rewrite) ui::SetText(edit, QString::number(read.value));
        constant = read.value;
    }
    recorder_.Begin(timing, constant, MacroRecorder::Clock::now());
    Lock(true);
    recording_ = true;
    hook_mode_ = hook_mode;
}

void CMacroControlUI::OnRecordStart() {
    const bool constant = ui::IsSelected(Control("macro_check_time"));
    BeginRecording(constant ? TimingMode::kConstant : TimingMode::kMeasured,
                   input::kHookModeAppend);
}

void CMacroControlUI::OnRecordOption(int option) {
    const bool constant = ui::IsSelected(Control("macro_check_time"));
    const TimingMode recorded = constant ? TimingMode::kConstant : TimingMode::kMeasured;
    const TimingMode timing[] = {recorded, TimingMode::kConstant, TimingMode::kNone};
    if (option < 0 || option > 5) return;
    BeginRecording(timing[option % 3], option < 3 ? input::kHookModeBefore : input::kHookModeAfter);
}

void CMacroControlUI::OnActionEdit() {
    BeginRecording(TimingMode::kNone, input::kHookModeReplace);
}

void CMacroControlUI::OnRecordStop() {
    if (!recording_) return;
    Lock(false);
    recording_ = false;
    hook_mode_ = 0;
    (void)SaveMacro();
    DeviceUpdate();
}

void CMacroControlUI::AbortRecording() {
    if (!recording_) return;
    Lock(false);
    recording_ = false;
    hook_mode_ = 0;
    (void)SaveMacro();
}

bool CMacroControlUI::OnStopButton(const input::MouseHookRecord& mouse) const {
    QWidget* stop = Control("macro_btn_stopredio");
    if (stop == nullptr || !stop->isVisible()) return false;
    if (!mouse.HasPosition()) return stop->rect().contains(stop->mapFromGlobal(QCursor::pos()));
    // The hook's position is in the screen's own pixels.
    const qreal ratio = stop->devicePixelRatioF();
    const QPoint origin = stop->mapToGlobal(QPoint(0, 0));
    const QRectF native(origin.x() * ratio, origin.y() * ratio, stop->width() * ratio,
                        stop->height() * ratio);
    return native.contains(QPointF(mouse.x, mouse.y));
}

void CMacroControlUI::OnHookMessage(const input::HookMessage& message) {
    if (!recording_ || message.mode != hook_mode_) return;
    const std::optional<RecordForm> form = RecordFormOfMode(message.mode);
    if (!form) return;
    if (message.key != nullptr) {
        const bool press = IsKeyPressMessage(message.wparam);
        const uint32_t key = message.key->scan_code | (message.key->Extended() ? 0x100u : 0u);
        if (!SharedKeyFilter(*form).Accept(key, press)) return;  // auto-repeat
        const std::optional<MacroEvent> event = KeyEventOf(
            press, static_cast<uint16_t>(message.key->scan_code), message.key->Extended());
        if (event) Record(*form, *event);
        return;
    }
    if (message.mouse != nullptr) {
        const std::optional<MacroEvent> event =
            MouseEventOf(message.wparam, message.mouse->XButton());
        if (!event || !SharedMouseFilter(*form).Accept(message.wparam)) return;
        // The click on the stop button ends the recording; it is not part of it.
        const bool left =
            message.wparam == input::kWmLButtonDown || message.wparam == input::kWmLButtonUp;
        if (left && OnStopButton(*message.mouse)) return;
        Record(*form, *event);
    }
}

void CMacroControlUI::Record(RecordForm form, const MacroEvent& event) {
    const RecordResult result = recorder_.Record(form, event, rows_, MacroRecorder::Clock::now());
    if (!result.taken) return;
    ApplyRowEdits();
    if (!result.added) return;
    reveal_row_ = form == RecordForm::kAppend ? rows_.Count() - 1 : result.row;
    if (ui::WindowBase* w = ui::WindowOf(this)) {
        (void)w->SetTimer(this, kScrollTimerId, kScrollTimerMs);
    } else {
        ui::EnsureVisible(ActionList(), reveal_row_);
    }
}

bool CMacroControlUI::OnControlTimer(int id) {
    if (id != kScrollTimerId) return false;
    if (ui::WindowBase* w = ui::WindowOf(this)) w->KillTimer(this, id);
    ui::EnsureVisible(ActionList(), reveal_row_);
    return true;
}

// ---- The device update -----------------------------------------------------------------

void CMacroControlUI::DeviceUpdate() {
    CRezazodaUSBDevice* device = Device();
    if (device == nullptr) return;
    // The answer comes from the device's worker; the key table is queued behind the macros.
    QPointer<CMacroControlUI> self(this);
    device->WriteMacros([self](int answer) {
        if (self != nullptr) self->ShowMacroWriteAnswer(answer);
    });
    (void)device->WriteCurrentKeyMap(0);
}

void CMacroControlUI::ShowMacroWriteAnswer(int answer) {
    if (answer == -1) {
        (void)Message({QStringLiteral("message_text_7"), true, 0, true});
    } else if (answer > 0) {
        QString text = ui::ResourceManager::Instance().Text(QStringLiteral("message_text_16"));
        text.replace(QStringLiteral("%d"), QString::number(answer));
        (void)Message({text, false, 0, true});
    }
}

QString RunMacroFileDialog(QWidget* owner, bool save) {
    QFileDialog dialog(owner, QString(), QString(), QString::fromLatin1(kMacroFileFilter));
    dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
    dialog.setFileMode(save ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
    // An exported file without the extension would not show in the import dialog.
    if (save) dialog.setDefaultSuffix(QStringLiteral("mac"));
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
    return dialog.selectedFiles().constFirst();
}

void RegisterMacroControls(MacroMessageBoxFunction message_box) {
    DefaultMessageBox() = std::move(message_box);
    ui::ControlFactory::Instance().RegistControl(
        QStringLiteral("CMacroControlUI"),
        [](QWidget* parent) -> QWidget* { return new CMacroControlUI(parent); });
}

}  // namespace dz
