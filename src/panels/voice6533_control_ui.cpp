#include "panels/voice6533_control_ui.h"

#include <QComboBox>
#include <QEvent>
#include <QPainter>
#include <QPainterPath>
#include <QSlider>
#include <cmath>

#include "panels/eq_response.h"
#include "platform/log/debug_log.h"
#include "ui/control_factory.h"
#include "ui/control_ops.h"
#include "ui/resource_manager.h"

namespace dz::panels {
namespace {

constexpr int kEqOptions = 13;
constexpr int kBands = 10;
constexpr int kItemHeight = 30;
constexpr double kCurveDb = 24;  // the curve's top and bottom
constexpr double kLowHz = 20, kHighHz = 20000;

CVoice6533ControlUI::MessageBox g_box = nullptr;

}  // namespace

CVoice6533ControlUI::CVoice6533ControlUI(QWidget* parent) : QWidget(parent) {}

void CVoice6533ControlUI::SetMessageBox(MessageBox box) {
    g_box = box;
}

QWidget* CVoice6533ControlUI::Find(const QString& name) const {
    BindCurve();
    return findChild<QWidget*>(name);
}
QWidget* CVoice6533ControlUI::Find(const char* name) const {
    return Find(QString::fromLatin1(name));
}

void CVoice6533ControlUI::BindCurve() const {
    if (curve_ != nullptr) return;
    QWidget* curve = findChild<QWidget*>(QStringLiteral("6533_eq_curve"));
    if (curve == nullptr) return;
    curve_ = curve;
    curve->installEventFilter(const_cast<CVoice6533ControlUI*>(this));
    for (int b = 0; b < kBands; ++b)
        if (auto* s = findChild<QSlider*>(QStringLiteral("6533_eq_hz_slider_%1").arg(b)))
            connect(s, &QSlider::valueChanged, curve, qOverload<>(&QWidget::update));
    curve->update();
}

void CVoice6533ControlUI::SelectEqOption(int n) {
    for (int i = 1; i <= kEqOptions; ++i)
        if (QWidget* o = Find(QStringLiteral("6533_eq_option_%1").arg(i))) ui::SetSelected(o, false);
    eq_option_ = n >= 0 && n <= kEqOptions ? n : 0;
    if (eq_option_ >= 1)
        if (QWidget* o = Find(QStringLiteral("6533_eq_option_%1").arg(eq_option_)))
            ui::SetSelected(o, true);
}

void CVoice6533ControlUI::ShowCustomEqControls(bool enabled) {
    if (QWidget* layout = Find("custom_eq_option_layout")) ui::SetEnabled(layout, enabled);
}

void CVoice6533ControlUI::SetBandValue(int band, int value) {
    if (QWidget* s = Find(QStringLiteral("6533_eq_hz_slider_%1").arg(band))) ui::SetValue(s, value);
    // Set from code the slider says nothing: the curve is drawn again here.
    if (curve_ != nullptr) curve_->update();
}

int CVoice6533ControlUI::GetBandValue(int band) const {
    const QWidget* s = Find(QStringLiteral("6533_eq_hz_slider_%1").arg(band));
    return s != nullptr ? ui::Value(s) : -1;
}

void CVoice6533ControlUI::SetMicInSwitch(bool on) {
    if (QWidget* o = Find("6533_MicIn_option")) ui::SetSelected(o, on);
}
void CVoice6533ControlUI::SetMonitorSwitch(bool on) {
    if (QWidget* o = Find("6533_MicMoniter_option")) ui::SetSelected(o, on);
}
void CVoice6533ControlUI::SetMicInValue(int value) {
    if (QWidget* s = Find("6533_MicIn_slider")) ui::SetValue(s, value);
}
void CVoice6533ControlUI::SetMonitorValue(int value) {
    if (QWidget* s = Find("6533_MicMoniter_slider")) ui::SetValue(s, value);
}
int CVoice6533ControlUI::GetMicInValue() const {
    const QWidget* s = Find("6533_MicIn_slider");
    return s != nullptr ? ui::Value(s) : -1;
}
int CVoice6533ControlUI::GetMonitorValue() const {
    const QWidget* s = Find("6533_MicMoniter_slider");
    return s != nullptr ? ui::Value(s) : -1;
}

void CVoice6533ControlUI::SetCustomEqName(const std::string& text) {
    if (QWidget* e = Find("custom_eq_name_edit")) ui::SetText(e, QString::fromStdString(text));
}
std::string CVoice6533ControlUI::GetCustomEqName() const {
    const QWidget* e = Find("custom_eq_name_edit");
    return e != nullptr ? ui::Text(e).trimmed().toStdString() : std::string();
}

void CVoice6533ControlUI::AddCustomEqName(const std::string& name) {
    auto* combo = qobject_cast<QComboBox*>(Find("custom_eq_name_combo"));
    if (combo == nullptr) return;
    const QSignalBlocker quiet(combo);
    const QString text = QString::fromStdString(name);
    combo->addItem(text, text);
    combo->setItemData(combo->count() - 1, QSize(0, kItemHeight), Qt::SizeHintRole);
    if (combo->count() == 1) combo->setCurrentIndex(-1);
}

int CVoice6533ControlUI::GetCustomEqIndex() const {
    const QWidget* combo = Find("custom_eq_name_combo");
    return combo != nullptr ? ui::CurSel(combo) : -1;
}
int CVoice6533ControlUI::GetCustomEqCount() const {
    const QWidget* combo = Find("custom_eq_name_combo");
    return combo != nullptr ? ui::Count(combo) : 0;
}

void CVoice6533ControlUI::SelectCustomEq(int index) {
    if (QWidget* combo = Find("custom_eq_name_combo")) {
        if (!ui::SelectItem(combo, index, false)) (void)ui::SelectItem(combo, -1, false);
    }
    SetCustomEqName({});
}

void CVoice6533ControlUI::RemoveCustomEqAt(int index) {
    auto* combo = qobject_cast<QComboBox*>(Find("custom_eq_name_combo"));
    if (combo == nullptr || index < 0 || index >= combo->count()) return;
    const QSignalBlocker quiet(combo);
    combo->removeItem(index);
}

void CVoice6533ControlUI::RemoveAllCustomEqs() {
    auto* combo = qobject_cast<QComboBox*>(Find("custom_eq_name_combo"));
    if (combo == nullptr) return;
    const QSignalBlocker quiet(combo);
    combo->clear();
}

std::string CVoice6533ControlUI::GetCustomEqNameAt(int index) const {
    const QWidget* combo = Find("custom_eq_name_combo");
    return combo != nullptr ? ui::ItemText(combo, index).toStdString() : std::string();
}

void CVoice6533ControlUI::ShowAvailability(const std::string& line) {
    if (QWidget* label = Find("6533_availability_label")) {
        ui::SetText(label, line.empty() ? QString()
                                        : ui::ResourceManager::Instance().Text(
                                              QString::fromStdString(line)));
        ui::SetVisible(label, !line.empty());
    }
}

void CVoice6533ControlUI::ShowMessage(const std::string& text, bool text_is_id) {
    last_message_ = text;
    log::DebugLineF("sound panel: %s", text.c_str());
    if (g_box != nullptr) g_box(this, QString::fromStdString(text), text_is_id);
}

std::array<int, 10> CVoice6533ControlUI::CurveGains() const {
    std::array<int, 10> gains{};
    for (int b = 0; b < kBands; ++b) gains[static_cast<size_t>(b)] = std::max(-48, GetBandValue(b));
    return gains;
}

bool CVoice6533ControlUI::eventFilter(QObject* watched, QEvent* event) {
    if (watched == curve_ && event->type() == QEvent::Paint) {
        PaintCurve(curve_);
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void CVoice6533ControlUI::PaintCurve(QWidget* on) const {
    QPainter p(on);
    p.setRenderHint(QPainter::Antialiasing);
    const QRectF r = QRectF(on->rect()).adjusted(4, 4, -4, -4);
    p.fillRect(on->rect(), QColor(0x1d, 0x20, 0x26));
    const auto x_of = [&](double hz) {
        return r.left() + r.width() * std::log(hz / kLowHz) / std::log(kHighHz / kLowHz);
    };
    const auto y_of = [&](double db) {
        return r.center().y() - r.height() / 2 * std::clamp(db, -kCurveDb, kCurveDb) / kCurveDb;
    };
    p.setPen(QPen(QColor(0x3a, 0x3f, 0x48), 1));
    p.drawLine(QPointF(r.left(), y_of(0)), QPointF(r.right(), y_of(0)));
    for (double hz : kEqBandHz) p.drawLine(QPointF(x_of(hz), r.top()), QPointF(x_of(hz), r.bottom()));
    const std::array<int, 10> gains = CurveGains();
    QPainterPath path;
    const int steps = std::max(2, static_cast<int>(r.width()));
    for (int i = 0; i <= steps; ++i) {
        const double hz = kLowHz * std::pow(kHighHz / kLowHz, static_cast<double>(i) / steps);
        const QPointF pt(x_of(hz), y_of(EqResponseDb(gains, hz)));
        if (i == 0)
            path.moveTo(pt);
        else
            path.lineTo(pt);
    }
    p.setPen(QPen(QColor(0xff, 0x5b, 0x2e), 2));
    p.drawPath(path);
}

void RegisterVoice6533Control() {
    auto make = [](QWidget* parent) -> QWidget* { return new CVoice6533ControlUI(parent); };
    ui::ControlFactory& f = ui::ControlFactory::Instance();
    f.RegistControl(QString::fromLatin1(CVoice6533ControlUI::kClassName), make);
    f.RegistControl(QStringLiteral("CVoice6533ControlUI"), make);
}

}  // namespace dz::panels
