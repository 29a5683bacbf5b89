#include "panels/light_control_ui.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QLineEdit>
#include <QScreen>

#include "panels/edit_keys.h"
#include "panels/light_layout.h"
#include "panels/panel_services.h"
#include "platform/log/debug_log.h"
#include "ui/control_factory.h"
#include "ui/control_ops.h"
#include "ui/resource_manager.h"

namespace dz::panels {
namespace {

constexpr int kPaletteWriteIntervalMs = 40;
constexpr int kSwatchLimit = 64;    // "color_option_" n looked up below this
constexpr int kAudioModeRings = 3;  // its colour groups are off

// The keyboard's sub-modes of the fixed wheel colour effect and its audio modes.
constexpr const char* kSubModeTexts[] = {"light_submode_0_text", "light_submode_1_text",
                                         "light_submode_2_text", "light_submode_3_text"};
constexpr const char* kAudioModeTexts[] = {"light_audiomode_0_text", "light_audiomode_1_text",
                                           "light_audiomode_2_text", "light_audiomode_3_text",
                                           "light_audiomode_4_text", "light_audiomode_5_text",
                                           "light_audiomode_6_text"};

QRgb Opaque(uint8_t r, uint8_t g, uint8_t b) {
    return qRgba(r, g, b, 255);
}

std::array<uint8_t, 4> Bytes(uint32_t w) {
    return {static_cast<uint8_t>(w), static_cast<uint8_t>(w >> 8), static_cast<uint8_t>(w >> 16),
            static_cast<uint8_t>(w >> 24)};
}

uint32_t Word(uint8_t b0, uint8_t b1, uint8_t b2, uint8_t b3) {
    return uint32_t{b0} | uint32_t{b1} << 8 | uint32_t{b2} << 16 | uint32_t{b3} << 24;
}

// Fills a combo with language texts unless it holds them already (a refill would close an
// open list and lose the selection).
void FillCombo(QWidget* combo, const std::vector<std::string>& ids) {
    if (combo == nullptr) return;
    bool same = ui::Count(combo) == static_cast<int>(ids.size());
    for (size_t i = 0; same && i < ids.size(); ++i)
        same = ui::ItemText(combo, static_cast<int>(i)) ==
               ui::ResourceManager::Instance().Text(QString::fromStdString(ids[i]));
    if (same) return;
    ui::RemoveAll(combo);
    for (const std::string& id : ids) ui::AddItem(combo, QString::fromStdString(id), true);
    (void)ui::SelectItem(combo, -1);
}

void SelectOrNone(QWidget* combo, int index) {
    if (!ui::SelectItem(combo, index)) (void)ui::SelectItem(combo, -1);
}

}  // namespace

struct CLightControlUI::Controls {
    bool found = false;
    QPointer<QWidget> mode, custom_mode, sub_mode, audio_mode;
    QPointer<QWidget> brightness, speed;
    std::array<QPointer<QWidget>, 3> edits;
    QPointer<QWidget> hex;
    QPointer<QWidget> palette, colour_button, colourful;
    QPointer<QWidget> first_direction, second_direction, same_mode;
    QPointer<QWidget> effect_group, colour_group, palette_group, brightness_group, speed_group,
        direction_group;
    QPointer<QWidget> custom_group, sub_mode_group, light_colour_group, audio_mode_group,
        host_colour_group, colour_tabs;
    std::vector<QPointer<QWidget>> swatches;
    // Audio sub-panel.
    QPointer<QWidget> audio_colourful, background_check, foreground_check;
    std::array<QPointer<QWidget>, 3> audio_edits;
    QPointer<QWidget> audio_palette, audio_colour_button, audio_colour_group, audio_palette_group;
};

CLightControlUI::CLightControlUI(QWidget* parent)
    : QWidget(parent), ui_(std::make_unique<Controls>()) {
    palette_write_.setSingleShot(true);
    palette_write_.setInterval(kPaletteWriteIntervalMs);
    connect(&palette_write_, &QTimer::timeout, this, [this] {
        if (!palette_write_due_) return;
        palette_write_due_ = false;
        if (DevicePage* device = DeviceOfPanel(this))
            WriteRecord(*device, device->GetLightRecord(), true);
    });
}

CLightControlUI::~CLightControlUI() = default;

CLightControlUI::Controls& CLightControlUI::Ui() {
    if (!ui_->found) Initialise(*ui_);
    return *ui_;
}

// The lookup is lazy: a getter may be the first to ask.
const CLightControlUI::Controls& CLightControlUI::Ui() const {
    return const_cast<CLightControlUI*>(this)->Ui();
}

void CLightControlUI::Initialise(Controls& c) {
    auto find = [this](const char* name) { return findChild<QWidget*>(QString::fromLatin1(name)); };
    c.mode = find("light_combo_modeSelect");
    if (c.mode == nullptr && find("deng_light_slider") == nullptr) return;  // not built yet
    c.found = true;
    c.custom_mode = find("light_combo_custommodeSelect");
    c.sub_mode = find("light_combo_ZZCCmodeSelect");
    c.audio_mode = find("light_combo_audiomodeSelect");
    c.brightness = find("deng_light_slider");
    c.speed = find("deng_speed_slider");
    c.edits = {find("deng_edit_R"), find("deng_edit_G"), find("deng_edit_B")};
    c.hex = find("deng_edit_hex");
    c.palette = find("deng_Color_Pallet");
    c.colour_button = find("deng_colordp_btn");
    c.colourful = find("deng_7color_check");
    c.first_direction = find("deng_FXL_check");
    c.second_direction = find("deng_FXR_check");
    c.same_mode = find("deng_same_mode");
    c.effect_group = find("lighteffect_layout");
    c.colour_group = find("deng_color_layout");
    c.palette_group = find("colorpallet_layout");
    c.brightness_group = find("deng_light_layout");
    c.speed_group = find("deng_speed_layout");
    c.direction_group = find("deng_fx_layout");
    c.custom_group = find("lightcustom_layout");
    c.sub_mode_group = find("light_combo_ZZCCmodeSelectLayout");
    c.light_colour_group = find("light_color_layout");
    c.audio_mode_group = find("light_combo_AudiomodeSelectLayout");
    c.host_colour_group = find("light_host_colour_layout");
    c.colour_tabs = find("light_color_tablayout");
    for (int n = 0; n < kSwatchLimit; ++n) {
        QWidget* swatch = findChild<QWidget*>(QStringLiteral("color_option_%1").arg(n));
        if (swatch == nullptr) break;
        c.swatches.push_back(swatch);
    }
    c.audio_colourful = find("deng_7audiocolor_check");
    c.background_check = find("audio_BkColor_check");
    c.foreground_check = find("audio_FgColor_check");
    c.audio_edits = {find("deng_audioedit_R"), find("deng_audioedit_G"), find("deng_audioedit_B")};
    c.audio_palette = find("deng_audioColor_Pallet");
    c.audio_colour_button = find("deng_audiocolordp_btn");
    c.audio_colour_group = find("light_audiocolor_layout");
    c.audio_palette_group = find("audiocolorpallet_layout");

    FillCombo(c.sub_mode, {std::begin(kSubModeTexts), std::end(kSubModeTexts)});
    FillCombo(c.audio_mode, {std::begin(kAudioModeTexts), std::end(kAudioModeTexts)});
    for (QPointer<QWidget>& e : c.edits) InstallEditKeys(qobject_cast<QLineEdit*>(e.data()));
    for (QPointer<QWidget>& e : c.audio_edits) InstallEditKeys(qobject_cast<QLineEdit*>(e.data()));
    if (auto* hex = qobject_cast<QLineEdit*>(c.hex.data())) {
        InstallEditKeys(hex, false);
        connect(hex, &QLineEdit::editingFinished, this, &CLightControlUI::OnHexEdit);
    }
    if (auto* button = qobject_cast<QAbstractButton*>(c.colour_button.data())) {
        connect(button, &QAbstractButton::clicked, this, &CLightControlUI::OnColourButton);
        // Until the application gives a colour dialog, the button only shows the colour.
        button->setFocusPolicy(HasColourDialog() ? Qt::StrongFocus : Qt::NoFocus);
    }
    SetCustomEffectList(custom_names_);
    ApplyLayout(-1);
}

// ---- Showing ------------------------------------------------------------------------------

void CLightControlUI::SetKind(int kind) {
    kind_ = LightKindOfDeviceType(kind);
    ApplyLayout(GetMode());
}

void CLightControlUI::AttachDevice(int device_type) {
    SetKind(device_type);
}

void CLightControlUI::SetModeList(const std::vector<std::string>& names,
                                  const std::vector<bool>& visible, int brightness_max,
                                  int speed_max) {
    Controls& c = Ui();
    ui::SetMinValue(c.brightness, 0);
    ui::SetMaxValue(c.brightness, brightness_max);
    ui::SetMinValue(c.speed, 0);
    ui::SetMaxValue(c.speed, speed_max);
    // The device hands the same list at every refresh: the combo is rebuilt only when it
    // changed, so that an open list stays open.
    if (names == mode_names_ && visible == mode_visible_ && ui::Count(c.mode) == int(names.size()))
        return;
    mode_names_ = names;
    mode_visible_ = visible;
    const int selected = ui::CurSel(c.mode);
    ui::RemoveAll(c.mode);
    for (size_t i = 0; i < names.size(); ++i) {
        ui::AddItem(c.mode, QString::fromStdString(names[i]), true);
        ui::SetItemVisible(c.mode, static_cast<int>(i), i < visible.size() && visible[i]);
    }
    SelectOrNone(c.mode, selected);
    ApplyLayout(GetMode());
}

void CLightControlUI::SetEffectList(const std::vector<std::string>& names,
                                    const std::vector<bool>& visible) {
    SetModeList(names, visible, LightBrightnessMaximum(kind_), LightSpeedMaximum(kind_));
}

void CLightControlUI::SetCustomEffectList(const std::vector<std::string>& names) {
    custom_names_ = names;
    Controls& c = Ui();
    if (c.custom_mode == nullptr) return;
    // The keyboard's custom modes are its custom colour groups: named by the light list
    // when it names them, numbered otherwise.
    std::vector<std::string> ids = names;
    if (ids.empty()) {
        for (int g = 0; g < kDefaultCustomModes; ++g)
            ids.push_back("light_custom_mode_" + std::to_string(g) + "_text");
    }
    const int selected = ui::CurSel(c.custom_mode);
    FillCombo(c.custom_mode, ids);
    if (ui::CurSel(c.custom_mode) < 0) SelectOrNone(c.custom_mode, selected);
}

void CLightControlUI::ShowMode(int mode) {
    Controls& c = Ui();
    SelectOrNone(c.mode, mode);
    ApplyLayout(mode);
}

void CLightControlUI::SetMultiDevice(bool several) {
    multi_device_ = several;
    ApplyLayout(GetMode());
}

void CLightControlUI::ApplyLayout(int mode) {
    Controls& c = Ui();
    if (!c.found) return;
    ui::SetEnabled(c.effect_group, true);
    ui::SetVisible(c.same_mode, false);
    const std::optional<LightLayout> layout = LightLayoutOf(kind_, mode);
    if (!layout) return;
    ApplyLayout(*layout);
}

void CLightControlUI::ApplyLayout(const LightLayout& l) {
    Controls& c = Ui();
    ui::SetEnabled(c.colourful, l.colourful);
    ui::SetEnabled(c.colour_group, l.colour);
    ui::SetEnabled(c.palette_group, l.palette);
    ui::SetEnabled(c.brightness_group, l.brightness);
    ui::SetEnabled(c.speed_group, l.speed);
    ui::SetEnabled(c.direction_group, l.direction);
    ui::SetVisible(c.same_mode, l.same_mode && multi_device_);
    if (!l.keyboard) return;
    ui::SetVisible(c.speed_group, l.speed_shown);
    ui::SetVisible(c.custom_group, l.custom_shown);
    ui::SetVisible(c.sub_mode_group, l.sub_mode_shown);
    ui::SetEnabled(c.light_colour_group, l.light_colour);
    ui::SetVisible(c.audio_mode_group, l.audio_mode_shown);
    ui::SetVisible(c.host_colour_group, l.host_colour_shown);
    (void)ui::SelectItem(c.colour_tabs, l.colour_page);
    ui::SetText(c.first_direction, QString::fromLatin1(l.first_direction_text));
    ui::SetText(c.second_direction, QString::fromLatin1(l.second_direction_text));
}

void CLightControlUI::ShowColour(uint8_t red, uint8_t green, uint8_t blue) {
    Controls& c = Ui();
    const std::array<uint8_t, 3> rgb{red, green, blue};
    for (size_t i = 0; i < rgb.size(); ++i) ui::SetText(c.edits[i], QString::number(rgb[i]));
    ui::SetText(c.hex, QString::fromStdString(HexColourText(red, green, blue)));
    ui::SetSelectColor(c.palette, Opaque(red, green, blue));
    ui::SetBkColor(c.colour_button, Opaque(red, green, blue));
}

void CLightControlUI::ShowLightRecord(const LightRecord& r) {
    Controls& c = Ui();
    ShowMode(r[kLightByteMode]);
    ui::SetValue(c.brightness, r[kLightByteBrightness]);
    ui::SetValue(c.speed, r[kLightByteSpeed]);
    ShowColour(r[kLightByteRed], r[kLightByteRed + 1], r[kLightByteRed + 2]);
    ui::SetSelected(c.colourful, r[kLightByteMulticolour] != 0);
    if (kind_ == kLightKindKeyboard) {
        SelectOrNone(c.sub_mode, r[kLightByteSubMode]);
        SelectOrNone(c.custom_mode, r[kLightByteCustomMode]);
    }
    const bool first = r[kLightByteDirection] != 0;
    ui::SetSelected(c.first_direction, first);
    ui::SetSelected(c.second_direction, !first);
}

// ---- Getters ------------------------------------------------------------------------------

int CLightControlUI::GetMode() const {
    return ui::CurSel(Ui().mode);
}
int CLightControlUI::GetCustomMode() const {
    return ui::CurSel(Ui().custom_mode);
}
int CLightControlUI::GetSubMode() const {
    return ui::CurSel(Ui().sub_mode);
}
int CLightControlUI::GetBrightness() const {
    return ui::Value(Ui().brightness);
}
int CLightControlUI::GetSpeed() const {
    return ui::Value(Ui().speed);
}
QString CLightControlUI::GetEditText(int channel) const {
    if (channel < 0 || channel > 2) return {};
    return ui::Text(Ui().edits[static_cast<size_t>(channel)]);
}
QRgb CLightControlUI::GetPaletteColour() const {
    const Controls& c = Ui();
    return c.palette != nullptr ? ui::SelectColor(c.palette) : qRgba(0, 0, 0, 255);
}
QRgb CLightControlUI::GetSwatchColour(int n) const {
    const Controls& c = Ui();
    if (n < 0 || static_cast<size_t>(n) >= c.swatches.size()) return 0;
    return ui::BkColor(c.swatches[static_cast<size_t>(n)]);
}
bool CLightControlUI::GetMulticolour() const {
    return ui::IsSelected(Ui().colourful);
}
int CLightControlUI::SelectedCustomGroup() const {
    return GetCustomMode();
}

void CLightControlUI::ShowCustomGroup(int group) {
    SelectOrNone(Ui().custom_mode, group);
}

// ---- The user's actions -------------------------------------------------------------------

void CLightControlUI::WriteRecord(DevicePage& device, const LightRecord& record, bool now) {
    device.SetLightRecord(record);
    device.SaveProfile();
    device.ApplyLighting();
    if (!now) return;
    const QScreen* screen = QGuiApplication::primaryScreen();
    const QSize size = screen != nullptr ? screen->geometry().size() : QSize();
    device.WriteSystemSettings(0, 0, 1, size.width(), size.height());
}

template <class Edit>
void CLightControlUI::ChangeRecord(Edit edit) {
    DevicePage* device = DeviceOfPanel(this);
    if (device == nullptr) return;
    WriteRecord(*device, edit(device->GetLightRecord()), true);
}

void CLightControlUI::OnModeCombo(int which) {
    Controls& c = Ui();
    if (which == 0) {
        const int mode = ui::CurSel(c.mode);
        if (mode < 0) return;
        ShowMode(mode);
        ChangeRecord([mode](LightRecord r) { return WithMode(r, mode); });
    } else if (which == 1) {
        const int custom = ui::CurSel(c.custom_mode);
        if (custom < 0) return;
        ChangeRecord([custom](LightRecord r) { return WithCustomMode(r, custom); });
        // A keyboard's custom mode is its colour group: stored, and its colours onto the keys.
        if (DevicePage* device = DeviceOfPanel(this)) {
            if (KeyboardSettings* keyboard = device->Keyboard()) {
                keyboard->SelectCustomGroup(custom);
                keyboard->LoadCustomGroup(false);
            }
        }
    } else if (which == 2) {
        const int sub = ui::CurSel(c.sub_mode);
        if (sub < 0) return;
        ChangeRecord([sub](LightRecord r) { return WithSubMode(r, sub); });
    }
}

void CLightControlUI::OnBrightness() {
    const int value = GetBrightness();
    ChangeRecord([this, value](LightRecord r) { return WithBrightness(r, value, kind_); });
}

void CLightControlUI::OnSpeed() {
    const int value = GetSpeed();
    ChangeRecord([this, value](LightRecord r) { return WithSpeed(r, value, kind_); });
}

void CLightControlUI::OnOption(int which) {
    Controls& c = Ui();
    if (which == 0 || which == 1) {
        QWidget* chosen = which == 0 ? c.first_direction : c.second_direction;
        // Choosing one direction also tells of the other one leaving: that changes nothing.
        if (chosen == nullptr || !ui::IsSelected(chosen)) return;
        const bool first = which == 0;
        ui::SetSelected(c.first_direction, first);
        ui::SetSelected(c.second_direction, !first);
        ChangeRecord([first](LightRecord r) { return WithDirection(r, first); });
    } else if (which == 2) {
        const bool on = ui::IsSelected(c.colourful);
        ChangeRecord([on](LightRecord r) { return WithMulticolour(r, on); });
    }
}

void CLightControlUI::TakeColour(QRgb colour) {
    const auto red = static_cast<uint8_t>(qRed(colour));
    const auto green = static_cast<uint8_t>(qGreen(colour));
    const auto blue = static_cast<uint8_t>(qBlue(colour));
    ShowColour(red, green, blue);
    ui::SetSelected(Ui().colourful, false);
    ChangeRecord([=](LightRecord r) { return WithColour(r, red, green, blue); });
}

void CLightControlUI::OnPalette() {
    Controls& c = Ui();
    if (c.palette == nullptr) return;
    const QRgb colour = ui::SelectColor(c.palette);
    DevicePage* device = DeviceOfPanel(this);
    if (device == nullptr) return;
    const auto red = static_cast<uint8_t>(qRed(colour));
    const auto green = static_cast<uint8_t>(qGreen(colour));
    const auto blue = static_cast<uint8_t>(qBlue(colour));
    ShowColour(red, green, blue);
    ui::SetSelected(c.colourful, false);
    // The preview follows at once; the file and the device at the write interval.
    const LightRecord record = WithColour(device->GetLightRecord(), red, green, blue);
    if (palette_write_.isActive()) {
        WriteRecord(*device, record, false);
        palette_write_due_ = true;
        return;
    }
    WriteRecord(*device, record, true);
    palette_write_due_ = false;
    palette_write_.start();
}

void CLightControlUI::OnPresetColour(int n) {
    Controls& c = Ui();
    if (n < 0 || static_cast<size_t>(n) >= c.swatches.size()) return;
    TakeColour(ui::BkColor(c.swatches[static_cast<size_t>(n)]));
}

void CLightControlUI::OnEditRgb(int channel) {
    Controls& c = Ui();
    if (channel < 0 || channel > 2) return;
    QWidget* edit = c.edits[static_cast<size_t>(channel)];
    if (edit == nullptr) return;
    const uint8_t value = ColourEditValue(ui::Text(edit).toStdString());
    ui::SetText(edit, QString::number(value));
    ui::SetSelected(c.colourful, false);
    DevicePage* device = DeviceOfPanel(this);
    if (device == nullptr) return;
    const LightRecord before = device->GetLightRecord();
    const LightRecord after = WithColourChannel(before, channel, value);
    ShowColour(after[kLightByteRed], after[kLightByteRed + 1], after[kLightByteRed + 2]);
    // Enter and then leaving the edit tell of the same value twice: written once.
    if (after == before) return;
    WriteRecord(*device, after, true);
}

void CLightControlUI::OnHexEdit() {
    Controls& c = Ui();
    const auto rgb = ParseHexColour(ui::Text(c.hex).trimmed().toStdString());
    DevicePage* device = DeviceOfPanel(this);
    const LightRecord shown = device != nullptr ? device->GetLightRecord() : LightRecord{};
    if (!rgb) {
        // Not a colour: the edit shows the colour there is.
        ui::SetText(c.hex,
                    QString::fromStdString(HexColourText(
                        shown[kLightByteRed], shown[kLightByteRed + 1], shown[kLightByteRed + 2])));
        return;
    }
    if (device != nullptr && shown[kLightByteRed] == (*rgb)[0] &&
        shown[kLightByteRed + 1] == (*rgb)[1] && shown[kLightByteRed + 2] == (*rgb)[2] &&
        shown[kLightByteMulticolour] == 0)
        return;
    TakeColour(Opaque((*rgb)[0], (*rgb)[1], (*rgb)[2]));
}

void CLightControlUI::OnColourButton() {
    DevicePage* device = DeviceOfPanel(this);
    if (device == nullptr || !HasColourDialog()) return;
    const LightRecord r = device->GetLightRecord();
    if (const auto chosen = ChooseColour(
            this, Opaque(r[kLightByteRed], r[kLightByteRed + 1], r[kLightByteRed + 2])))
        TakeColour(*chosen);
}

// ---- The audio-light sub-panel ------------------------------------------------------------

bool CLightControlUI::AudioControlsPresent() const {
    const Controls& c = Ui();
    for (const QWidget* w :
         {c.audio_mode.data(), c.background_check.data(), c.foreground_check.data(),
          c.audio_colourful.data(), c.audio_palette.data(), c.audio_colour_button.data(),
          c.audio_edits[0].data(), c.audio_edits[1].data(), c.audio_edits[2].data()})
        if (w == nullptr) return false;
    return true;
}

void CLightControlUI::ShowAudioColour(const std::array<uint8_t, 3>& rgb) {
    Controls& c = Ui();
    for (size_t i = 0; i < rgb.size(); ++i) ui::SetText(c.audio_edits[i], QString::number(rgb[i]));
    ui::SetSelectColor(c.audio_palette, Opaque(rgb[0], rgb[1], rgb[2]));
    ui::SetBkColor(c.audio_colour_button, Opaque(rgb[0], rgb[1], rgb[2]));
}

bool CLightControlUI::SetAudioLightInfo(const AudioLight& audio) {
    if (!AudioControlsPresent()) {
        log::DebugLine(" SetAudioLightInfo control is NULL");
        return false;
    }
    Controls& c = Ui();
    audio_ = audio;
    SelectOrNone(c.audio_mode, audio.mode);
    const bool foreground = audio.edit == 1;
    ui::SetSelected(c.background_check, !foreground);
    ui::SetSelected(c.foreground_check, foreground);
    ui::SetEnabled(c.audio_colourful, foreground);
    if (foreground) ui::SetSelected(c.audio_colourful, audio.multicolour);
    ShowAudioColour(foreground ? audio.foreground : audio.background);
    const bool groups = audio.mode != kAudioModeRings;
    ui::SetEnabled(c.audio_colour_group, groups);
    ui::SetEnabled(c.audio_palette_group, groups);
    return true;
}

std::optional<CLightControlUI::AudioLight> CLightControlUI::ReadAudioLight(bool take_colour) const {
    if (!AudioControlsPresent()) {
        log::DebugLine("GetAudioLightInfo control is NULL");
        return std::nullopt;
    }
    const Controls& c = Ui();
    AudioLight a = audio_;
    a.mode = ui::CurSel(c.audio_mode);
    a.multicolour = ui::IsSelected(c.audio_colourful);
    const bool background = ui::IsSelected(c.background_check);
    a.edit = background && (a.edit == 1 || !ui::IsSelected(c.foreground_check)) ? 0 : 1;
    if (take_colour) {
        const QRgb shown = ui::BkColor(c.audio_colour_button);
        const std::array<uint8_t, 3> rgb{static_cast<uint8_t>(qRed(shown)),
                                         static_cast<uint8_t>(qGreen(shown)),
                                         static_cast<uint8_t>(qBlue(shown))};
        (a.edit == 1 ? a.foreground : a.background) = rgb;
    }
    return a;
}

std::optional<CLightControlUI::AudioLight> CLightControlUI::GetAudioLightInfo(bool take_colour) {
    const std::optional<AudioLight> read = ReadAudioLight(take_colour);
    if (read) audio_ = *read;
    return read;
}

std::optional<std::array<uint8_t, 3>> CLightControlUI::GetLightAudioColor() const {
    const Controls& c = Ui();
    std::array<uint8_t, 3> rgb{};
    for (size_t i = 0; i < rgb.size(); ++i) {
        if (c.audio_edits[i] == nullptr) {
            log::DebugLine("GetLightAudioColor control is NULL");
            return std::nullopt;
        }
        rgb[i] = ColourEditValue(ui::Text(c.audio_edits[i]).toStdString());
    }
    return rgb;
}

std::array<uint32_t, 3> CLightControlUI::AudioWords(const AudioLight& a) {
    return {Word(static_cast<uint8_t>(a.mode), a.background[0], a.background[1], a.background[2]),
            Word(a.foreground[0], a.foreground[1], a.foreground[2], a.multicolour ? 1 : 0),
            static_cast<uint32_t>(a.edit)};
}

CLightControlUI::AudioLight CLightControlUI::AudioOfWords(const std::array<uint32_t, 3>& w) {
    const auto x = Bytes(w[0]), y = Bytes(w[1]);
    AudioLight a;
    a.mode = x[0];
    a.background = {x[1], x[2], x[3]};
    a.foreground = {y[0], y[1], y[2]};
    a.multicolour = y[3] != 0;
    a.edit = (w[2] & 0xFF) == 1 ? 1 : 0;
    return a;
}

void CLightControlUI::SetAudioLightWords(const std::array<uint32_t, 3>& words) {
    (void)SetAudioLightInfo(AudioOfWords(words));
}

std::optional<std::array<uint32_t, 3>> CLightControlUI::AudioLightWords() const {
    const std::optional<AudioLight> read = ReadAudioLight(false);
    if (!read) return std::nullopt;
    return AudioWords(*read);
}

void RegisterLightControl() {
    auto make = [](QWidget* parent) -> QWidget* { return new CLightControlUI(parent); };
    ui::ControlFactory& f = ui::ControlFactory::Instance();
    f.RegistControl(QString::fromLatin1(CLightControlUI::kClassName), make);
    f.RegistControl(QStringLiteral("CLightControlUI"), make);
}

}  // namespace dz::panels
