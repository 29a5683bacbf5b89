#include "panels/key_set_control_ui.h"

#include <QApplication>

#include <QLineEdit>
#include <QPointer>
#include <array>

#include "models/key_tables.h"
#include "models/key_words.h"
#include "models/mouse_buttons.h"
#include "panels/edit_keys.h"
#include "panels/panel_services.h"
#include "profile/json_file.h"
#include "profile/text_util.h"
#include "ui/control_factory.h"
#include "ui/control_ops.h"
#include "ui/resource_manager.h"

namespace dz::panels {
namespace {

constexpr int kPageCount = 12;
constexpr int kModifierOptions = 5;  // none, Ctrl, Shift, Alt, Win
constexpr int kGunEntries = 4;
constexpr int kKeyboardType = 1;
constexpr int kMouseType = 2;
constexpr int kKeyPageType = 2;       // the page shows the key functions
constexpr int kLightingPageType = 1;  // the page shows the lighting

std::vector<std::string> Numbered(const char* prefix, int count) {
    std::vector<std::string> ids;
    for (int i = 0; i < count; ++i) ids.push_back(prefix + std::to_string(i) + "_text");
    return ids;
}

// The key name of each row of a panel list (media and system keys).
std::vector<std::string> KeyNamesOf(std::span<const KeyFunctionCode> list) {
    std::vector<std::string> ids;
    for (const KeyFunctionCode& code : list) {
        std::string id;
        for (const KeyNameRow& row : KeyNameTable())
            if (row.code == code) id = std::string(row.name);
        ids.push_back(id);
    }
    return ids;
}

void Fill(QWidget* combo, const std::vector<std::string>& ids) {
    if (combo == nullptr || ui::Count(combo) > 0) return;
    for (const std::string& id : ids) ui::AddItem(combo, QString::fromStdString(id), true);
    (void)ui::SelectItem(combo, -1);
}

void SelectOrNone(QWidget* combo, int index) {
    if (!ui::SelectItem(combo, index)) (void)ui::SelectItem(combo, -1);
}

int EditNumber(const QWidget* edit) {
    return static_cast<int>(
        std::clamp<int64_t>(ParseDecimal(ui::Text(edit).toStdString()), 0, 0xFFFF));
}

}  // namespace

struct CKeySetControlUI::Controls {
    bool found = false;
    QPointer<QWidget> area, function, pages, key_name;
    QPointer<QWidget> default_button, save_button, cancel_button, write_button;
    QPointer<QWidget> mouse_key;
    QPointer<QWidget> swing_direction, swing_count, swing_delay, swing_speed;
    QPointer<QWidget> wheel_direction, wheel_count, wheel_delay, wheel_speed;
    QPointer<QWidget> dpi;
    QPointer<QWidget> fire_interval, fire_clicks;
    QPointer<QWidget> key_text, capture_note;
    std::array<QPointer<QWidget>, kModifierOptions> modifiers;
    QPointer<QWidget> media, system;
    QPointer<QWidget> macro, macro_mode, macro_repeat_area, macro_repeat;
    QPointer<QWidget> gun, combo;
};

CKeySetControlUI::CKeySetControlUI(QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Controls>()) {}

CKeySetControlUI::~CKeySetControlUI() = default;

CKeySetControlUI::Controls& CKeySetControlUI::Ui() {
    if (!ui_->found) Initialise(*ui_);
    return *ui_;
}

// The lookup is lazy: a getter may be the first to ask.
const CKeySetControlUI::Controls& CKeySetControlUI::Ui() const {
    return const_cast<CKeySetControlUI*>(this)->Ui();
}

void CKeySetControlUI::Initialise(Controls& c) {
    auto find = [this](const char* name) { return findChild<QWidget*>(QString::fromLatin1(name)); };
    c.function = find("keyset_function_combo");
    if (c.function == nullptr) return;  // not built yet
    c.found = true;
    c.area = find("keyset_layout");
    c.key_name = find("keyset_key_name_label");
    c.pages = find("function_switch_tablayout");
    c.default_button = find("key_butt_keydefalut");
    c.save_button = find("key_butt_keysave");
    c.cancel_button = find("key_butt_keycancel");
    c.write_button = find("key_butt_prosave");
    c.mouse_key = find("keyset_mousekey_combo");
    c.swing_direction = find("keyset_mouseswing_combo");
    c.swing_count = find("keyset_mouseswing_num_edit");
    c.swing_delay = find("keyset_mouseswing_delay_edit");
    c.swing_speed = find("keyset_mouseswing_speed_edit");
    c.wheel_direction = find("keyset_mousewheel_combo");
    c.wheel_count = find("keyset_mousewheel_num_edit");
    c.wheel_delay = find("keyset_mousewheel_delay_edit");
    c.wheel_speed = find("keyset_mousewheel_speed_edit");
    c.dpi = find("keyset_mousedpi_combo");
    c.fire_interval = find("keyset_mousefire_interval_edit");
    c.fire_clicks = find("keyset_mousefire_num_edit");
    c.key_text = find("keyset_keyboard_text_edit");
    c.capture_note = find("keyset_capture_note");
    for (int n = 0; n < kModifierOptions; ++n)
        c.modifiers[static_cast<size_t>(n)] =
            findChild<QWidget*>(QStringLiteral("key_ComBox_check_%1").arg(n));
    c.media = find("keyset_media_combo");
    c.system = find("keyset_system_combo");
    c.macro = find("keyset_macro_combo");
    c.macro_mode = find("keyset_macro_over_combo");
    c.macro_repeat_area = find("keyset_macro_cycle_layout");
    c.macro_repeat = find("keyset_macro_cycle_edit");
    c.gun = find("keyset_gunkey_combo");
    c.combo = find("keyset_combokey_combo");

    // The function pages, each item carrying its page number.
    if (ui::Count(c.function) == 0) {
        for (int page = 0; page < kPageCount; ++page) {
            ui::AddItem(c.function, QStringLiteral("keyset_page_%1_text").arg(page), true);
            ui::SetItemData(c.function, page, QString::number(page));
        }
        (void)ui::SelectItem(c.function, -1);
    }
    Fill(c.mouse_key, {"mouse_left_text", "mouse_middle_text", "mouse_right_text",
                       "mouse_forward_text", "mouse_back_text"});
    Fill(c.swing_direction, Numbered("keyset_swing_dir_", 2));
    Fill(c.wheel_direction, {"key_wheel_up_text", "key_wheel_down_text"});
    Fill(c.dpi, {"key_dpi_1_text", "key_dpi_2_text", "key_dpi_3_text"});
    Fill(c.media, KeyNamesOf(MediaKeyList()));
    Fill(c.system, KeyNamesOf(SystemKeyList()));
    Fill(c.macro_mode, Numbered("keyset_macro_mode_", kMacroModeRepeat + 1));
    Fill(c.gun, Numbered("keyset_gun_", kGunEntries));
    Fill(c.combo, Numbered("keyset_combo_", static_cast<int>(ComboShortcutList().size())));
    for (QWidget* edit : {c.swing_count.data(), c.swing_delay.data(), c.swing_speed.data(),
                          c.wheel_count.data(), c.wheel_delay.data(), c.wheel_speed.data(),
                          c.fire_interval.data(), c.fire_clicks.data(), c.macro_repeat.data()})
        InstallEditKeys(qobject_cast<QLineEdit*>(edit));
    if (auto* key = qobject_cast<QLineEdit*>(c.key_text.data())) {
        // The key is captured, never typed.
        key->setReadOnly(true);
        key->setPlaceholderText(
            ui::ResourceManager::Instance().Text(QStringLiteral("keyset_capture_hint_text")));
    }
    ui::SetVisible(c.macro_repeat_area, false);
    EnableActions(false);
}

// ---- Device type and macros ---------------------------------------------------------------

void CKeySetControlUI::SetDeviceType(int type) {
    device_type_ = type == 9 ? kKeyboardType : (type == 6 ? kMouseType : type);
    Controls& c = Ui();
    for (int i = 0; i < ui::Count(c.function); ++i) {
        const auto page = static_cast<KeyFunctionPage>(ui::ItemData(c.function, i).toInt());
        ui::SetItemVisible(c.function, i, KeyPageOffered(page, device_type_));
    }
}

void CKeySetControlUI::SetMacroList(const std::vector<std::string>& names) {
    Controls& c = Ui();
    if (c.macro == nullptr) return;
    bool same = ui::Count(c.macro) == static_cast<int>(names.size());
    for (size_t i = 0; same && i < names.size(); ++i)
        same = ui::ItemText(c.macro, static_cast<int>(i)) == QString::fromStdString(names[i]);
    // The device hands the list at every refresh: the combo keeps its selection unless the
    // list changed.
    if (same) return;
    ui::RemoveAll(c.macro);
    for (const std::string& name : names) ui::AddItem(c.macro, QString::fromStdString(name));
    (void)ui::SelectItem(c.macro, -1);
    if (entry_.key >= 0) ShowCurrent();
}

void CKeySetControlUI::RemoveMacro(int index) {
    ui::RemoveItem(Ui().macro, index);
}

void CKeySetControlUI::RenameMacro(int index, const std::string& name) {
    ui::SetItemText(Ui().macro, index, QString::fromStdString(name));
}

// ---- Showing a code -----------------------------------------------------------------------

void CKeySetControlUI::ShowPage(KeyFunctionPage page) {
    Controls& c = Ui();
    (void)ui::SelectItem(c.pages, static_cast<int>(page));
}

void CKeySetControlUI::ShowKeyText(int row) {
    Controls& c = Ui();
    const auto table = KeyNameTable();
    if (row < 0 || static_cast<size_t>(row) >= table.size()) {
        ui::SetText(c.key_text, QString());
        return;
    }
    const std::string_view name = table[static_cast<size_t>(row)].name;
    const QString id = QString::fromUtf8(name.data(), static_cast<int>(name.size()));
    QString text = ui::ResourceManager::Instance().Text(id);
    // A name no language file can hold ("keyboard_key_=") shows as the key itself.
    if (text == id && id.startsWith(QLatin1String("keyboard_key_"))) text = id.mid(13);
    ui::SetText(c.key_text, text);
}

void CKeySetControlUI::SelectModifier(int choice) {
    Controls& c = Ui();
    for (int n = 0; n < kModifierOptions; ++n)
        ui::SetSelected(c.modifiers[static_cast<size_t>(n)], n == choice);
}

int CKeySetControlUI::SelectedModifier() const {
    const Controls& c = Ui();
    for (int n = 0; n < kModifierOptions; ++n)
        if (ui::IsSelected(c.modifiers[static_cast<size_t>(n)])) return n;
    return -1;
}

KeyFunctionCode CKeySetControlUI::ShowCode(KeyFunctionCode code) {
    Controls& c = Ui();
    const KeyPageView v = ReadBackKeyFunctionCode(code, entry_.default_code, ui::Count(c.macro));
    auto number = [](QWidget* edit, int value) { ui::SetText(edit, QString::number(value)); };
    switch (v.page) {
        case KeyFunctionPage::kMouseButton:
            SelectOrNone(c.mouse_key, v.list_row);
            break;
        case KeyFunctionPage::kMouseSwing:
            SelectOrNone(c.swing_direction, v.direction);
            number(c.swing_count, v.count);
            number(c.swing_delay, v.delay);
            number(c.swing_speed, v.speed);
            break;
        case KeyFunctionPage::kMouseWheel:
            SelectOrNone(c.wheel_direction, v.direction);
            number(c.wheel_count, v.count);
            number(c.wheel_delay, v.delay);
            number(c.wheel_speed, v.speed);
            break;
        case KeyFunctionPage::kDpi:
            SelectOrNone(c.dpi, v.list_row);
            break;
        case KeyFunctionPage::kRapidFire:
            number(c.fire_interval, v.interval);
            number(c.fire_clicks, v.clicks);
            break;
        case KeyFunctionPage::kKeyboard:
            SelectModifier(v.modifier);
            ShowKeyText(v.key_row);
            captured_usage_ = v.key_row >= 0 ? v.code.second : 0;
            break;
        case KeyFunctionPage::kMedia:
            SelectOrNone(c.media, v.list_row);
            break;
        case KeyFunctionPage::kSystem:
            SelectOrNone(c.system, v.list_row);
            break;
        case KeyFunctionPage::kMacro:
            SelectOrNone(c.macro, v.macro_row);
            SelectOrNone(c.macro_mode, v.macro_mode);
            number(c.macro_repeat, v.repeat_count);
            ui::SetVisible(c.macro_repeat_area, v.show_repeat);
            break;
        case KeyFunctionPage::kGun:
            SelectOrNone(c.gun, v.gun_row);
            break;
        case KeyFunctionPage::kCombo:
            SelectOrNone(c.combo, v.list_row);
            break;
        case KeyFunctionPage::kDefault:
        case KeyFunctionPage::kNone:
            break;
    }
    // The page's item of the function list; a page the device does not offer has none.
    int item = -1;
    for (int i = 0; i < ui::Count(c.function) && v.page != KeyFunctionPage::kNone; ++i) {
        if (ui::ItemData(c.function, i).toInt() == static_cast<int>(v.page) &&
            ui::IsItemVisible(c.function, i))
            item = i;
    }
    ui::SetVisible(c.area, item >= 0);
    if (item >= 0) {
        (void)ui::SelectItem(c.function, item);
        ShowPage(v.page);
    }
    return v.code;
}

void CKeySetControlUI::ShowEntry(int key, KeyFunctionCode current, KeyFunctionCode default_code) {
    entry_ = {key, current, default_code};
    entry_.current = ShowCode(current);
    // Which key is edited: named by its factory function ("A", "Left button").
    QStringList words;
    for (const AssignmentWord& w : AssignmentWords(default_code, {})) {
        const QString text = QString::fromStdString(w.text);
        words << (w.identifier ? ui::ResourceManager::Instance().Text(text) : text);
    }
    ui::SetText(Ui().key_name, words.join(QLatin1Char('+')));
}

void CKeySetControlUI::ShowKey(int key, int32_t current, int32_t default_code) {
    ShowEntry(key, KeyCodeFromProfileInt(current), KeyCodeFromProfileInt(default_code));
}

void CKeySetControlUI::ShowDefault() {
    (void)ShowCode(entry_.default_code);
}

void CKeySetControlUI::ShowCurrent() {
    entry_.current = ShowCode(entry_.current);
}

void CKeySetControlUI::SetEntry(int key, KeyFunctionCode code) {
    entry_.key = key;
    entry_.current = code;
}

KeyFunctionPage CKeySetControlUI::ShownPage() const {
    const Controls& c = Ui();
    const int item = ui::CurSel(c.function);
    if (item < 0) return KeyFunctionPage::kNone;
    return static_cast<KeyFunctionPage>(ui::ItemData(c.function, item).toInt());
}

// ---- Building a code ----------------------------------------------------------------------

KeyPageInput CKeySetControlUI::ReadPage() const {
    const Controls& c = Ui();
    KeyPageInput in;
    in.page = ShownPage();
    switch (in.page) {
        case KeyFunctionPage::kMouseButton:
            in.list_row = ui::CurSel(c.mouse_key);
            break;
        case KeyFunctionPage::kMouseSwing:
            in.delay = EditNumber(c.swing_delay);
            in.speed = EditNumber(c.swing_speed);
            in.count = EditNumber(c.swing_count);
            in.direction = ui::CurSel(c.swing_direction) == 1 ? 1 : 0;
            break;
        case KeyFunctionPage::kMouseWheel:
            in.delay = EditNumber(c.wheel_delay);
            in.speed = EditNumber(c.wheel_speed);
            in.count = EditNumber(c.wheel_count);
            in.direction = ui::CurSel(c.wheel_direction) == 1 ? 1 : 0;
            break;
        case KeyFunctionPage::kDpi:
            in.list_row = ui::CurSel(c.dpi);
            break;
        case KeyFunctionPage::kRapidFire:
            in.interval = EditNumber(c.fire_interval);
            in.clicks = EditNumber(c.fire_clicks);
            break;
        case KeyFunctionPage::kKeyboard:
            in.modifier = std::max(SelectedModifier(), 0);
            in.key_usage = ui::Text(c.key_text).isEmpty() ? uint8_t{0} : captured_usage_;
            break;
        case KeyFunctionPage::kMedia:
            in.list_row = ui::CurSel(c.media);
            break;
        case KeyFunctionPage::kSystem:
            in.list_row = ui::CurSel(c.system);
            break;
        case KeyFunctionPage::kMacro:
            in.macro_row = ui::CurSel(c.macro);
            in.macro_count = ui::Count(c.macro);
            in.macro_mode = ui::CurSel(c.macro_mode);
            in.repeat_count = EditNumber(c.macro_repeat);
            break;
        case KeyFunctionPage::kGun:
            in.gun_row = ui::CurSel(c.gun);
            break;
        case KeyFunctionPage::kCombo:
            in.list_row = ui::CurSel(c.combo);
            break;
        case KeyFunctionPage::kDefault:
        case KeyFunctionPage::kNone:
            break;
    }
    return in;
}

CKeySetControlUI::Entry CKeySetControlUI::BuildCode() const {
    Entry e = entry_;
    e.current = BuildKeyFunctionCode(ReadPage(), entry_.current, entry_.default_code);
    return e;
}

void CKeySetControlUI::Save() {
    if (entry_.key < 0) return;
    entry_ = BuildCode();
    if (DevicePage* device = DeviceOfPanel(this))
        device->SetKeyCode(entry_.key, KeyCodeToProfileInt(entry_.current));
    EnableActions(true);
}

void CKeySetControlUI::EnableActions(bool on) {
    Controls& c = Ui();
    // A button that goes off with the focus would hand it on along the tab chain, which may
    // end in the key edit and start a key capture the user did not ask for: the function
    // list takes it instead.
    const QWidget* focus = QApplication::focusWidget();
    const bool button_focused =
        !on && focus != nullptr &&
        (focus == c.save_button || focus == c.cancel_button || focus == c.write_button);
    if (button_focused && c.function != nullptr) c.function->setFocus(Qt::OtherFocusReason);
    ui::SetEnabled(c.save_button, on);
    ui::SetEnabled(c.cancel_button, on);
    ui::SetEnabled(c.write_button, on);
}

// ---- Key capture --------------------------------------------------------------------------

void CKeySetControlUI::CaptureKey(uint16_t scan_code, bool extended) {
    const int row = FindCaptureKey(scan_code, extended);
    if (row < 0) return;
    const KeyFunctionCode code = KeyNameTable()[static_cast<size_t>(row)].code;
    if (code.type != kKeyTypeKeyboard) return;
    if (row < static_cast<int>(kModifierRowCount)) {
        SelectModifier(ModifierChoiceOfRow(row));
        ShowKeyText(-1);
        captured_usage_ = 0;
    } else {
        if (SelectedModifier() < 0) SelectModifier(kModifierNone);
        ShowKeyText(row);
        captured_usage_ = code.second;
    }
    Save();
}

void CKeySetControlUI::OnHookKey(const input::HookMessage& message) {
    if (message.key == nullptr || !message.IsKeyPress()) return;
    CaptureKey(static_cast<uint16_t>(message.key->scan_code), message.key->Extended());
}

void CKeySetControlUI::SetInputCoverage(input::InputCoverage coverage) {
    // With the focus in the key edit the program's own window has the focus too, so a hook
    // that sees only its windows captures the key all the same.
    ui::SetVisible(Ui().capture_note, coverage == input::InputCoverage::kNone);
}

// ---- The routing's calls ------------------------------------------------------------------

void CKeySetControlUI::OnKeyButton(int n) {
    DevicePage* device = DeviceOfPanel(this);
    if (device == nullptr) return;
    const int page_type = device->GetFunctionPage();
    if (page_type == kKeyPageType) {
        if (ReadJsonFile(device->ProfileFile()).isNull()) return;
        if (device_type_ == kMouseType) {
            std::vector<KeyFunctionCode> codes;
            for (const int32_t code : device->KeyCodes())
                codes.push_back(KeyCodeFromProfileInt(code));
            if (IsLastLeftButton(codes, n)) {
                (void)ShowPanelMessage(this, QStringLiteral("message_text_6"), true);
                return;
            }
        }
        device->SelectKey(n);
    } else if (page_type == kLightingPageType && device_type_ == kKeyboardType) {
        const int light = device->LightOfKey(n);
        if (light >= 0) device->PaintKey(light);
    }
}

void CKeySetControlUI::OnDefault() {
    ShowDefault();
    EnableActions(true);
}

void CKeySetControlUI::OnCancel() {
    ShowCurrent();
    EnableActions(false);
}

void CKeySetControlUI::OnWriteKeyAssignments() {
    DevicePage* device = DeviceOfPanel(this);
    if (device == nullptr) return;
    QPointer<CKeySetControlUI> self(this);
    // The answer comes from the device worker; the key table and the profile follow it.
    device->WriteMacros([self](int answer) {
        if (self == nullptr) return;
        ShowMacroWriteAnswer(self, answer);
        // The message box ran an event loop: the panel and its page are asked again.
        DevicePage* page = self != nullptr ? DeviceOfPanel(self) : nullptr;
        if (page == nullptr) return;
        if (answer > 0 && self->entry_.key >= 0) {
            self->ShowDefault();
            self->Save();
        }
        page->WriteCurrentKeyMap(0);
        page->SaveProfile();
        self->EnableActions(false);
    });
}

void CKeySetControlUI::OnComboModifier(int n) {
    Controls& c = Ui();
    if (n < 0 || n >= kModifierOptions || !ui::IsSelected(c.modifiers[static_cast<size_t>(n)]))
        return;
    // One modifier at a time, also where the skin does not group the options.
    SelectModifier(n);
}

void CKeySetControlUI::OnFunctionCombo() {
    const KeyFunctionPage page = ShownPage();
    if (page == KeyFunctionPage::kNone) return;
    ShowPage(page);
    if (page == KeyFunctionPage::kKeyboard) {
        ShowKeyText(-1);
        captured_usage_ = 0;
        SelectModifier(-1);
    }
}

void CKeySetControlUI::OnMacroOverCombo() {
    Controls& c = Ui();
    ui::SetVisible(c.macro_repeat_area, ui::CurSel(c.macro_mode) == kMacroModeRepeat);
}

void RegisterKeySetControl() {
    auto make = [](QWidget* parent) -> QWidget* { return new CKeySetControlUI(parent); };
    ui::ControlFactory& f = ui::ControlFactory::Instance();
    f.RegistControl(QString::fromLatin1(CKeySetControlUI::kClassName), make);
    f.RegistControl(QStringLiteral("CKeySetControlUI"), make);
}

}  // namespace dz::panels
