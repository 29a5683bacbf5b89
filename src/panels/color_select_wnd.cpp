#include "panels/color_select_wnd.h"

#include <QEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QStyle>
#include <algorithm>

#include "platform/log/debug_log.h"
#include "profile/text_util.h"
#include "ui/control_ops.h"
#include "ui/dpi.h"

namespace dz::panels {
namespace {

constexpr char kSevenColourImage[] = "common/base1.png";
constexpr char kPresetPrefix[] = "color_option_";
constexpr char kCollectedPrefix[] = "collect_color_option_";
constexpr QRgb kWhite = 0xFFFFFFFF;
constexpr std::array<const char*, 3> kEditNames = {"color_edit_r", "color_edit_g", "color_edit_b"};

QString Numbered(const char* prefix, int n) {
    return QString::fromLatin1(prefix) + QString::number(n);
}

// The number of a swatch name of this prefix ("collect_color_option_7" → 7), or -1.
int SwatchNumber(const QString& name, std::string_view prefix) {
    const auto split = SplitIndexedName(name.toStdString());
    if (!split || !split->numeric || split->prefix != prefix) return -1;
    return split->number >= 0 && split->number < kColourSwatches ? split->number : -1;
}

// A collected swatch: both background colours hold the colour; one that holds no collected
// colour yet has a border (the theme draws it as an empty place) and no colour shown.
void ShowCollectedSwatch(QWidget* w, QRgb colour, bool filled) {
    if (w == nullptr) return;
    w->setProperty("bordersize", filled ? 0 : 1);
    w->setProperty("selectedbkcolor", QColor::fromRgba(colour));
    if (filled) {
        ui::SetBkColor(w, colour);
    } else {
        ui::SetBkColor(w, 0);  // repolishes the swatch for its border
        w->setProperty("bkcolor", QColor::fromRgba(colour));
    }
}

// An edit's value as the dialog takes it: decimal, above 255 is 255, anything that is no
// number (the empty text) is 0. `shown` tells whether the edit must show the value instead.
int ComponentOf(const QString& text, bool& shown) {
    bool ok = false;
    const qlonglong v = text.trimmed().toLongLong(&ok);
    shown = !ok || v > 255 || v < 0;
    if (!ok || v < 0) return 0;
    return static_cast<int>(std::min<qlonglong>(v, 255));
}

}  // namespace

QPointer<CColorSelectWnd> CColorSelectWnd::open_;

CColorSelectWnd::CColorSelectWnd(QWidget* owner)
    : ui::WindowBase(QStringLiteral("PalletDialog.xml"), QStringLiteral("COLOR_WND"), owner,
                     Qt::Tool | Qt::FramelessWindowHint),
      user_file_(UserColourOptionsFile()),
      default_file_(DefaultColourOptionsFile()) {
    setObjectName(QString::fromLatin1(kWindowName));
    setWindowTitle(QStringLiteral("  "));
    setAttribute(Qt::WA_DeleteOnClose, false);
}

CColorSelectWnd::~CColorSelectWnd() = default;

CColorSelectWnd* CColorSelectWnd::OpenDialog() {
    return open_.data();
}

void CColorSelectWnd::SetOptionFiles(std::filesystem::path user, std::filesystem::path defaults) {
    user_file_ = std::move(user);
    default_file_ = std::move(defaults);
}

QWidget* CColorSelectWnd::Control(const QString& name) const {
    return Root() == nullptr ? nullptr : Root()->findChild<QWidget*>(name);
}

void CColorSelectWnd::InitWindow() {
    palette_ = Control(QStringLiteral("Pallet"));
    show_btn_ = Control(QStringLiteral("color_show_btn"));
    for (size_t i = 0; i < kEditNames.size(); ++i)
        edits_[i] = Control(QString::fromLatin1(kEditNames[i]));
    for (int n = 0; n < kColourSwatches; ++n) {
        presets_[static_cast<size_t>(n)] = Control(Numbered(kPresetPrefix, n));
        collected_[static_cast<size_t>(n)] = Control(Numbered(kCollectedPrefix, n));
    }
    seven_ = Control(QStringLiteral("7color"));
    seven_layout_ = Control(QStringLiteral("7color_layout"));
    close_btn_ = Control(QStringLiteral("closebtn"));
    max_btn_ = Control(QStringLiteral("maxbtn"));
    restore_btn_ = Control(QStringLiteral("restorebtn"));
    min_btn_ = Control(QStringLiteral("minbtn"));
    menu_btn_ = Control(QStringLiteral("menubtn"));
    later_btn_ = Control(QStringLiteral("laterbtn"));
    if (palette_ == nullptr) log::DebugLine("COLOR_WND: the skin has no palette");
    for (QWidget* e : edits_) {
        // The three edits are what typed colours come from.
        if (e == nullptr) log::DebugLine("COLOR_WND: the skin lacks a colour edit");
    }
}

void CColorSelectWnd::SetDpi(int dpi) {
    const int checked = ui::CheckedDpi(dpi, QStringLiteral("SET_WND"));
    if (checked == GetDPI()) return;
    SetDPI(checked);
}

void CColorSelectWnd::ShowComponents(QRgb colour) {
    ui::SetText(edits_[0], QString::number(qRed(colour)));
    ui::SetText(edits_[1], QString::number(qGreen(colour)));
    ui::SetText(edits_[2], QString::number(qBlue(colour)));
}

void CColorSelectWnd::SetColor(QRgb colour) {
    ui::SetBkImage(show_btn_, QString());
    ui::SetBkColor(show_btn_, colour);
    if (show_btn_ != nullptr) show_btn_->update();
    ui::SetSelectColor(palette_, colour);
    colour_ = colour;
    ShowComponents(colour);
}

void CColorSelectWnd::ShowSevenColorChoice(bool show) {
    ui::SetEnabled(seven_, show);
    ui::SetVisible(seven_layout_, show);
    if (!show) {
        ui::SetSelected(seven_, false);
        seven_colour_ = false;
    }
}

void CColorSelectWnd::SetSevenColor(bool on) {
    seven_colour_ = on;
    ui::SetSelected(seven_, on);
    ui::SetBkImage(show_btn_, on ? QString::fromLatin1(kSevenColourImage) : QString());
}

QRgb CColorSelectWnd::GetShownColor() const {
    return show_btn_ == nullptr ? 0 : ui::BkColor(show_btn_);
}

int CColorSelectWnd::ShowModal() {
    open_ = this;
    const int result = WindowBase::ShowModal();
    if (open_ == this) open_ = nullptr;
    return result;
}

// ---- Steps ----------------------------------------------------------------------------------

void CColorSelectWnd::StoreInSelectedSlot() {
    QWidget* slot = collected_index_ >= 0 && collected_index_ < kColourSwatches
                        ? collected_[static_cast<size_t>(collected_index_)]
                        : nullptr;
    if (slot != nullptr && ui::IsSelected(slot)) {
        ShowCollectedSwatch(slot, colour_, true);
        ui::SetUserData(slot, QStringLiteral("1"));
        SaveCollectedColors();
    }
    ui::SetBkColor(show_btn_, colour_);
    SetSevenColor(false);
}

void CColorSelectWnd::SavePresetColors() {
    std::array<std::optional<uint32_t>, kColourSwatches> colours{};
    for (size_t n = 0; n < presets_.size(); ++n)
        if (presets_[n] != nullptr) colours[n] = ui::BkColor(presets_[n]);
    if (!SavePresetColours(user_file_, colours, preset_index_))
        log::DebugLineF("COLOR_WND: presets not saved in %s", user_file_.c_str());
}

void CColorSelectWnd::SaveCollectedColors() {
    std::array<std::optional<CollectedSwatch>, kColourSwatches> swatches{};
    for (size_t n = 0; n < collected_.size(); ++n) {
        if (collected_[n] == nullptr) continue;
        swatches[n] =
            CollectedSwatch{ui::BkColor(collected_[n]), ui::UserData(collected_[n]).toStdString()};
    }
    if (!SaveCollectedColours(user_file_, swatches, collected_index_))
        log::DebugLineF("COLOR_WND: collected colours not saved in %s", user_file_.c_str());
}

void CColorSelectWnd::OnWindowInit() {
    const Json::Value file = OpenColourOptions(user_file_, default_file_);
    SetColor(colour_);
    SetSevenColor(seven_colour_);
    const ColourOptions options = ReadColourOptions(file);
    if (options.preset_index) {
        preset_index_ = *options.preset_index;
        // The last preset shows as selected; the skin's colours stay.
        if (preset_index_ >= 0 && preset_index_ < kColourSwatches)
            ui::SetSelected(presets_[static_cast<size_t>(preset_index_)], true);
    }
    for (size_t n = 0; n < collected_.size(); ++n) {
        const CollectedColour& c = options.collected[n];
        QWidget* swatch = collected_[n];
        if (!c.has_colour || swatch == nullptr) continue;
        ui::SetUserData(swatch, QString::fromStdString(c.user_data));
        ShowCollectedSwatch(swatch, c.Collected() ? c.colour : kWhite, c.Collected());
    }
    // Once the user has picked a collected swatch, no swatch takes changes until the user
    // picks one again.
    if (options.has_collected_index) collected_index_ = -1;
    ShowZoomButtons();
}

// ---- Events ---------------------------------------------------------------------------------

void CColorSelectWnd::Notify(const ui::Notification& msg) {
    const QString& type = msg.type;
    if (type == QLatin1String(ui::notify::kWindowInit)) {
        OnWindowInit();
    } else if (type == QLatin1String(ui::notify::kClick)) {
        OnClick(msg);
    } else if (type == QLatin1String(ui::notify::kSelectChanged)) {
        OnSelectChanged(msg);
    } else if (type == QLatin1String(ui::notify::kColorChanged)) {
        if (msg.sender == nullptr || msg.sender != palette_) return;
        colour_ = ui::SelectColor(palette_);
        StoreInSelectedSlot();
        ShowComponents(colour_);
    } else if (type == QLatin1String(ui::notify::kKillFocus) ||
               type == QLatin1String(ui::notify::kReturn)) {
        // Enter in an edit takes its value as leaving it does.
        if (std::find(edits_.begin(), edits_.end(), msg.sender) != edits_.end()) OnEditsDone();
    }
}

void CColorSelectWnd::OnClick(const ui::Notification& msg) {
    QWidget* s = msg.sender;
    if (s == nullptr) return;
    if (s == close_btn_ || s == later_btn_) {
        Close(kClosed);
    } else if (s == min_btn_) {
        showMinimized();
    } else if (s == max_btn_) {
        showMaximized();
    } else if (s == restore_btn_) {
        showNormal();
    } else if (s == menu_btn_) {
        // nothing
    } else if (msg.name == QLatin1String("okbtn")) {
        if (palette_ == nullptr) {
            Close(kNoPalette);
            return;
        }
        colour_ = GetShownColor();
        Close(kChosen);
    } else {
        // A click on the swatch that is selected already picks it again (there is no change
        // of selection to tell of it): back to the preset after trying the palette.
        const bool handled = just_selected_ == s;
        just_selected_ = nullptr;
        if (handled || !ui::IsSelected(s)) return;
        if (const int n = SwatchNumber(msg.name, kPresetPrefix); n >= 0) OnPreset(n);
        if (const int n = SwatchNumber(msg.name, kCollectedPrefix); n >= 0) OnCollected(n);
    }
}

void CColorSelectWnd::OnSelectChanged(const ui::Notification& msg) {
    QWidget* s = msg.sender;
    if (s == nullptr) return;
    if (s == seven_) {
        seven_colour_ = ui::IsSelected(seven_);
        ui::SetBkImage(show_btn_,
                       seven_colour_ ? QString::fromLatin1(kSevenColourImage) : QString());
        return;
    }
    // The option that lost its selection tells of it too; only the one selected counts.
    if (!ui::IsSelected(s)) return;
    just_selected_ = s;
    if (const int n = SwatchNumber(msg.name, kPresetPrefix); n >= 0) OnPreset(n);
    if (const int n = SwatchNumber(msg.name, kCollectedPrefix); n >= 0) OnCollected(n);
}

void CColorSelectWnd::OnPreset(int n) {
    QWidget* swatch = presets_[static_cast<size_t>(n)];
    preset_index_ = n;
    SavePresetColors();
    colour_ = ui::BkColor(swatch);
    ui::SetSelectColor(palette_, colour_);
    StoreInSelectedSlot();
    ShowComponents(colour_);
}

void CColorSelectWnd::OnCollected(int n) {
    QWidget* swatch = collected_[static_cast<size_t>(n)];
    collected_index_ = n;
    // An empty swatch only becomes the place the next colour goes to.
    if (ui::UserData(swatch) != QLatin1String("1")) return;
    SaveCollectedColors();
    const QRgb colour = ui::BkColor(swatch);
    ui::SetBkColor(show_btn_, colour);
    SetSevenColor(false);
    ui::SetSelectColor(palette_, colour);
    ShowComponents(colour);
}

void CColorSelectWnd::OnEditsDone() {
    std::array<int, 3> rgb{};
    for (size_t i = 0; i < edits_.size(); ++i) {
        bool show = false;
        rgb[i] = ComponentOf(ui::Text(edits_[i]), show);
        if (show) ui::SetText(edits_[i], QString::number(rgb[i]));
    }
    colour_ = qRgba(rgb[0], rgb[1], rgb[2], 255);
    ui::SetSelectColor(palette_, colour_);
    StoreInSelectedSlot();
}

void CColorSelectWnd::ShowZoomButtons() {
    zoomed_ = isMaximized();
    ui::SetVisible(restore_btn_, zoomed_);
    ui::SetVisible(max_btn_, !zoomed_);
}

void CColorSelectWnd::changeEvent(QEvent* event) {
    ui::WindowBase::changeEvent(event);
    if (event->type() == QEvent::WindowStateChange && isMaximized() != zoomed_) ShowZoomButtons();
}

void CColorSelectWnd::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        Close(kClosed);
        return;
    }
    ui::WindowBase::keyPressEvent(event);
}

// ---- Callers ---------------------------------------------------------------------------------

ColourAnswer ChooseColour(QWidget* from, const ColourRequest& request) {
    if (CColorSelectWnd::OpenDialog() != nullptr) return {-1, request.colour, request.seven_colour};
    QWidget* owner = from != nullptr ? from->window() : nullptr;
    auto* dialog = new CColorSelectWnd(owner);
    (void)dialog->Create();  // a missing skin is logged; the dialog then answers 2 on OK
    dialog->resize(CColorSelectWnd::kWidth, CColorSelectWnd::kHeight);
    dialog->SetDpi(owner != nullptr ? ui::DpiOf(owner) : ui::kDefaultDpi);
    dialog->SetColor(request.colour);
    dialog->ShowSevenColorChoice(request.show_seven_colour);
    if (request.show_seven_colour) dialog->SetSevenColorFlag(request.seven_colour);
    QRect area;
    if (owner != nullptr && owner->isVisible()) {
        area = owner->frameGeometry();
    } else if (const QScreen* s = QGuiApplication::primaryScreen()) {
        area = s->availableGeometry();
    }
    if (area.isValid()) dialog->move(area.center() - dialog->rect().center());
    const QPointer<CColorSelectWnd> alive(dialog);
    ColourAnswer answer;
    answer.result = dialog->ShowModal();
    if (alive == nullptr) return {CColorSelectWnd::kClosed, request.colour, request.seven_colour};
    answer.colour = answer.result == CColorSelectWnd::kChosen ? dialog->GetColor() : request.colour;
    answer.seven_colour = dialog->GetSevenColor();
    dialog->deleteLater();
    return answer;
}

void RegisterColourDialog() {
    // Qualified and wrapped: the panels may have colour dialogs of other shapes of their own.
    dz::SetColourDialog(
        [](QWidget* from, const ColourRequest& request) { return ChooseColour(from, request); });
}

}  // namespace dz::panels
