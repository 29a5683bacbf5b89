#include "update/update_info_list_item_ui.h"

#include <QAbstractButton>
#include <QAbstractItemView>
#include <QContextMenuEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QProgressBar>
#include <QStyle>
#include <QStyleOptionButton>

#include "ui/control_factory.h"
#include "ui/control_ops.h"
#include "ui/notification.h"
#include "ui/resource_manager.h"
#include "ui/window_base.h"

namespace dz::update {
namespace {

struct StatusRow {
    const char* text_id;
    bool progress;
    bool ok_mark;
    bool tick_enabled;
    bool highlighted;  // the offered-update colours
};

// Index: the status.
constexpr std::array<StatusRow, 9> kStatusRows{{
    {"LessUpdateText", false, false, false, false},
    {"NeedUpdateText", false, false, true, true},
    {"NeedUpdateText", false, false, true, true},
    {"DownloadWaitText", false, false, false, true},
    {"DownloadIngText", true, false, false, true},
    {"DownloadOkText", false, true, false, true},
    {"UpdateIngText", true, false, false, true},
    {"UpdateOkText", false, false, false, false},
    {"UpdateFailText", false, false, true, true},
}};

const StatusRow& RowFor(int status) {
    return kStatusRows[static_cast<size_t>(status >= 0 && status <= 8 ? status : 0)];
}

QString Hex(QRgb c) {
    return QColor::fromRgba(c).name(QColor::HexRgb);
}

}  // namespace

CUpdateInfoListItemUI::CUpdateInfoListItemUI(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_Hover);
}

QWidget* CUpdateInfoListItemUI::Sub(const char* name) {
    return findChild<QWidget*>(QString::fromLatin1(name));
}

CUpdateInfoListItemUI* CUpdateInfoListItemUI::RowOf(QWidget* control) {
    for (QWidget* w = control; w != nullptr; w = w->parentWidget())
        if (auto* row = qobject_cast<CUpdateInfoListItemUI*>(w)) return row;
    return nullptr;
}

CUpdateInfoListItemUI::Colours CUpdateInfoListItemUI::ColoursFor(int status) {
    if (RowFor(status).highlighted) return {0xFF0099FF, 0xFF0078C8};
    return {0xFFFFFFFF, 0xFF666666};
}

const char* CUpdateInfoListItemUI::StatusTextId(int status) {
    return RowFor(status).text_id;
}

void CUpdateInfoListItemUI::SetStatus(int status) {
    if (status < 0 || status > 8) return;
    if (shown_ && status == status_) return;
    shown_ = true;
    status_ = status;
    ShowStatus();
}

void CUpdateInfoListItemUI::ShowStatus() {
    const StatusRow& row = RowFor(status_);
    if (QWidget* text = Sub("update_status_text")) {
        ui::ResourceManager::Instance().SetResourceText(text, true);
        ui::SetText(text, QString::fromLatin1(row.text_id));
    }
    ui::SetVisible(Sub("update_status_ing"), row.progress);
    ui::SetVisible(Sub("update_progress_value"), row.progress);
    ui::SetVisible(Sub("update_status_ok"), row.ok_mark);
    ui::SetVisible(Sub("update_open_folder_btn"), status_ == 5);
    SetTickEnabled(row.tick_enabled);
    if (QWidget* tick = TickBox()) {
        const Colours c = ColoursFor(status_);
        tick->setStyleSheet(
            QStringLiteral("QCheckBox { color: %1; } QCheckBox:disabled { color: %2; }")
                .arg(Hex(c.normal), Hex(c.disabled)));
    }
    if (row.progress) SetProgressValue(progress_);
    update();
}

void CUpdateInfoListItemUI::SetProgressValue(int percent) {
    progress_ = std::clamp(percent, 0, 100);
    if (auto* bar = qobject_cast<QProgressBar*>(Sub("update_status_ing"))) bar->setValue(progress_);
    ui::SetText(Sub("update_progress_value"),
                QStringLiteral("%1%2").arg(progress_).arg(QLatin1Char('%')));
}

void CUpdateInfoListItemUI::SetName(const QString& name) {
    name_ = name;
    ShowName();
}

QString CUpdateInfoListItemUI::Name() const {
    return name_;
}

void CUpdateInfoListItemUI::ShowName() {
    QAbstractButton* tick = TickBox();
    if (tick == nullptr) return;
    QStyleOptionButton option;
    option.initFrom(tick);
    const QStyle* s = tick->style();
    const int box = s->pixelMetric(QStyle::PM_IndicatorWidth, &option, tick) +
                    s->pixelMetric(QStyle::PM_CheckBoxLabelSpacing, &option, tick);
    const int room = std::max(0, tick->maximumWidth() - box - 4);
    const QString shown = tick->fontMetrics().elidedText(name_, Qt::ElideRight, room);
    ui::SetText(tick, shown);
    ui::SetToolTip(tick, shown == name_ ? QString() : name_);
}

void CUpdateInfoListItemUI::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    ShowName();  // the window's scale may have changed the column and the font
}

void CUpdateInfoListItemUI::SetOldRev(const QString& text) {
    ui::SetText(Sub("OldRev"), text);
}

void CUpdateInfoListItemUI::SetUpdateRev(const QString& text) {
    QWidget* rev = Sub("updateRev");
    ui::SetText(rev, text);
    ui::SetVisible(rev, !text.isEmpty());
    ui::SetVisible(Sub("update_arrow"), !text.isEmpty());
}

QAbstractButton* CUpdateInfoListItemUI::TickBox() {
    return qobject_cast<QAbstractButton*>(Sub("check_name_select"));
}

void CUpdateInfoListItemUI::SetTicked(bool ticked) {
    ui::SetSelected(TickBox(), ticked, false);
    update();
}

bool CUpdateInfoListItemUI::IsTicked() {
    return ui::IsSelected(TickBox());
}

void CUpdateInfoListItemUI::SetTickEnabled(bool enabled) {
    ui::SetEnabled(TickBox(), enabled);
}

bool CUpdateInfoListItemUI::IsTickEnabled() {
    return ui::IsEnabled(TickBox());
}

void CUpdateInfoListItemUI::paintEvent(QPaintEvent* event) {
    QWidget::paintEvent(event);
    if (!hovered_ || !isEnabled() || IsTicked()) return;
    QPainter p(this);
    const QColor c = property("hotbordercolor").value<QColor>();
    p.setPen(QPen(c.isValid() ? c : QColor(0xFF, 0x5B, 0x2E), 1));
    p.setBrush(Qt::NoBrush);
    p.drawRect(rect().adjusted(0, 0, -1, -1));
}

void CUpdateInfoListItemUI::enterEvent(QEnterEvent* event) {
    hovered_ = true;
    update();
    QWidget::enterEvent(event);
}

void CUpdateInfoListItemUI::leaveEvent(QEvent* event) {
    hovered_ = false;
    update();
    QWidget::leaveEvent(event);
}

void CUpdateInfoListItemUI::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && isEnabled()) {
        ui::RaiseNotify(this, QString::fromLatin1(ui::notify::kItemActivate));
        event->accept();
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}

void CUpdateInfoListItemUI::contextMenuEvent(QContextMenuEvent* event) {
    bool enabled = property("menu").toBool();
    for (QWidget* p = parentWidget(); !enabled && p != nullptr; p = p->parentWidget())
        if (qobject_cast<QAbstractItemView*>(p)) enabled = p->property("menu").toBool();
    if (!enabled) return QWidget::contextMenuEvent(event);
    ui::RaiseNotify(this, QString::fromLatin1(ui::notify::kMenu), event->globalPos().x(),
                    event->globalPos().y());
    event->accept();
}

void RegisterUpdateControls() {
    auto make = [](QWidget* parent) -> QWidget* { return new CUpdateInfoListItemUI(parent); };
    ui::ControlFactory& f = ui::ControlFactory::Instance();
    f.RegistControl(QString::fromLatin1(CUpdateInfoListItemUI::kClassName), make);
    f.RegistControl(QStringLiteral("CUpdateInfoListItemUI"), make);
}

}  // namespace dz::update
