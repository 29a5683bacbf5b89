#include "panels/device_option_ui.h"

#include <QAbstractButton>
#include <QHBoxLayout>
#include <QTimer>

#include "ui/control_ops.h"
#include "ui/notification.h"
#include "ui/resource_manager.h"
#include "ui/skin_setup.h"
#include "ui/window_base.h"

namespace dz::panels {
namespace {

constexpr char kSelectName[] = "device_select";
constexpr char kSynchroName[] = "synchro_device_select";
constexpr char kNameLabel[] = "device_select_name";
constexpr char kBindTabName[] = "bindtablayoutname";
constexpr char kBindTabIndex[] = "bindtabindex";
constexpr char kIconFolder[] = "common/device_ico/";

struct IconSet {
    const char* stem;
    const char* tooltip;  // language text identifier
};
constexpr IconSet kUnknownIcons{"unknow_device_", "unknow_device_name_text"};

// The icon set of a kind; null when the kind keeps its previous set (a mousepad of an
// unknown sub-kind).
const IconSet* IconsOf(int kind, int subKind) {
    static constexpr IconSet kKeyboard{"kb_device_", "kb_device_name_text"};
    static constexpr IconSet kMouse{"ms_device_", "ms_device_name_text"};
    static constexpr IconSet kHardPad{"hard_mp_device_", "hard_mp_device_name_text"};
    static constexpr IconSet kSoftPad{"soft_mp_device_", "soft_mp_device_name_text"};
    static constexpr IconSet kHeadset{"hd_device_", "hd_device_name_text"};
    static constexpr IconSet kHub{"hub_device_", "hub_device_name_text"};
    switch (kind) {
        case 1:
            return &kKeyboard;
        case 2:
            return &kMouse;
        case 3:
            if (subKind == 0) return &kHardPad;
            if (subKind == 1) return &kSoftPad;
            return nullptr;
        case 4:
        case 7:
            return &kHeadset;
        case 5:
            return &kHub;
        default:
            return &kUnknownIcons;
    }
}

}  // namespace

CDeviceOptionUI::CDeviceOptionUI(QWidget* parent) : QWidget(parent) {
    // The skin's own layout nests into this one.
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    const QString stem = QString::fromLatin1(kIconFolder) + QLatin1String(kUnknownIcons.stem);
    normalImage_ = stem + QStringLiteral("normal.png");
    selectedImage_ = stem + QStringLiteral("selected.png");
    synchroNormalImage_ = stem + QStringLiteral("synchro_normal.png");
    synchroSelectedImage_ = stem + QStringLiteral("synchro_selected.png");
    // The skin's sub-controls exist once the loader is done with this item.
    QTimer::singleShot(0, this, &CDeviceOptionUI::Bind);
}

CDeviceOptionUI::~CDeviceOptionUI() {
    // Ticks of a dead item must not reach the device object.
    if (ui::WindowBase* w = ui::WindowOf(this)) w->KillTimer(this);
}

QWidget* CDeviceOptionUI::Sub(QPointer<QWidget>& cache, const char* name) const {
    if (cache.isNull()) cache = findChild<QWidget*>(QString::fromLatin1(name));
    return cache.data();
}
QAbstractButton* CDeviceOptionUI::SelectButton() const {
    return qobject_cast<QAbstractButton*>(Sub(select_, kSelectName));
}
QAbstractButton* CDeviceOptionUI::SynchroButton() const {
    return qobject_cast<QAbstractButton*>(Sub(synchro_, kSynchroName));
}
QWidget* CDeviceOptionUI::NameLabel() const {
    return Sub(name_, kNameLabel);
}

void CDeviceOptionUI::Bind() {
    QAbstractButton* b = SelectButton();
    if (b == nullptr || b == connected_) return;
    connected_ = b;
    b->setCheckable(true);
    connect(b, &QAbstractButton::toggled, this, &CDeviceOptionUI::OnSelectToggled);
    connect(b, &QAbstractButton::clicked, this, &CDeviceOptionUI::OnSelectClicked);
    ApplyIcons();
}

void CDeviceOptionUI::showEvent(QShowEvent* event) {
    Bind();
    QWidget::showEvent(event);
}

void CDeviceOptionUI::ApplyIcons() {
    QAbstractButton* b = SelectButton();
    if (b == nullptr) return;
    const bool synchro = IsSynchroSelected();
    const QString& normal = synchro ? synchroNormalImage_ : normalImage_;
    const QString& selected = synchro ? synchroSelectedImage_ : selectedImage_;
    ui::SetNormalImage(b, normal);
    ui::SetDisabledImage(b, normal);
    ui::SetSelectedImage(b, selected);
}

void CDeviceOptionUI::SetKind(int kind, int subKind) {
    Bind();
    kind_ = kind;
    subKind_ = subKind;
    const IconSet* set = IconsOf(kind, subKind);
    if (set == nullptr) return;
    const QString stem = QString::fromLatin1(kIconFolder) + QLatin1String(set->stem);
    normalImage_ = stem + QStringLiteral("normal.png");
    selectedImage_ = stem + QStringLiteral("selected.png");
    synchroNormalImage_ = stem + QStringLiteral("synchro_normal.png");
    synchroSelectedImage_ = stem + QStringLiteral("synchro_selected.png");
    ApplyIcons();
    ui::SetToolTip(SelectButton(),
                   ui::ResourceManager::Instance().Text(QLatin1String(set->tooltip), kSelectName));
}

void CDeviceOptionUI::SetName(const QString& text) {
    ui::SetText(NameLabel(), text);
}

void CDeviceOptionUI::BindPage(const QString& tabLayoutName, int index) {
    Bind();
    QAbstractButton* b = SelectButton();
    if (b == nullptr) return;
    b->setProperty(kBindTabName, tabLayoutName);
    b->setProperty(kBindTabIndex, index);
}

QString CDeviceOptionUI::BoundTabLayoutName() const {
    QAbstractButton* b = SelectButton();
    return b ? b->property(kBindTabName).toString() : QString();
}

int CDeviceOptionUI::BoundTabIndex() const {
    QAbstractButton* b = SelectButton();
    if (b == nullptr) return -1;
    const QVariant v = b->property(kBindTabIndex);
    return v.isValid() ? v.toInt() : -1;
}

void CDeviceOptionUI::SetPowerIndicator(const QString& name, int index) {
    if (name.isEmpty()) return;
    powerName_ = name;
    if (index >= 0) powerIndex_ = index;
}

void CDeviceOptionUI::SetGroup(const QString& name) {
    Bind();
    QAbstractButton* b = SelectButton();
    if (b == nullptr) return;
    if (b->group() != nullptr) b->group()->removeButton(b);
    b->setProperty("group", name);
    if (!name.isEmpty()) ui::OptionGroup(b, name)->addButton(b);
}

void CDeviceOptionUI::SetSynchroVisible(bool visible) {
    ui::SetVisible(SynchroButton(), visible);
    ApplyIcons();
}

void CDeviceOptionUI::SetSynchroSelected(bool selected) {
    ui::SetSelected(SynchroButton(), selected, true);
    ApplyIcons();
}

bool CDeviceOptionUI::IsSynchroSelected() const {
    return ui::IsSelected(SynchroButton());
}

void CDeviceOptionUI::Select(bool selected) {
    Bind();
    ui::SetSelected(SelectButton(), selected, true);
}

bool CDeviceOptionUI::IsSelected() const {
    return ui::IsSelected(SelectButton());
}

void CDeviceOptionUI::SetVisible(bool visible) {
    present_ = visible;
    setVisible(visible);
}

void CDeviceOptionUI::Start() {
    Bind();
    Restart(kTimerStartUp, 500);
}

void CDeviceOptionUI::OnSelectToggled(bool checked) {
    if (!checked) return;
    const QString tab = BoundTabLayoutName();
    const int index = BoundTabIndex();
    if (tab.isEmpty() || index < 0) return;
    if (ui::WindowBase* w = ui::WindowOf(this)) ui::SelectItem(w->FindControl(tab), index, true);
}

void CDeviceOptionUI::OnSelectClicked() {
    ui::RaiseNotify(this, QString::fromLatin1(ui::notify::kSelectChanged), IsSelected() ? 1 : 0);
}

void CDeviceOptionUI::Restart(int id, int ms) {
    if (ui::WindowBase* w = ui::WindowOf(this)) w->SetTimer(this, id, ms);
}

void CDeviceOptionUI::Kill(int id) {
    if (ui::WindowBase* w = ui::WindowOf(this)) w->KillTimer(this, id);
}

void CDeviceOptionUI::SendLinkChanged(bool linked) {
    if (ui::WindowBase* w = ui::WindowOf(this)) {
        (void)w->SendMessage(kMsgReceiverLinkChanged, device_->DeviceKindIndex(), linked ? 1 : 0);
    }
}

bool CDeviceOptionUI::OnControlTimer(int id) {
    switch (id) {
        case kTimerLightFrame:
        case kTimerStartUp:
        case kTimerResync:
        case kTimerSpare1:
        case kTimerSpare2:
        case kTimerPower:
        case kTimerLinkWatch:
            break;
        default:
            return false;
    }
    Kill(id);
    if (device_ == nullptr) return true;
    switch (id) {
        case kTimerLightFrame:
            OnLightFrame();
            break;
        case kTimerStartUp:
            OnStartUp();
            break;
        case kTimerResync:
            device_->Resync();
            break;
        case kTimerSpare1:
            device_->SpareOperation1();
            break;
        case kTimerSpare2:
            device_->SpareOperation2();
            break;
        case kTimerPower:
            OnPower();
            break;
        case kTimerLinkWatch:
            OnLinkWatch();
            break;
        default:
            break;
    }
    return true;
}

void CDeviceOptionUI::OnLightFrame() {
    device_->PushLightFrame();
    if (IsSelected() && device_->PreviewFlag() && repaint_) repaint_->update();
    if (device_->ChannelOpen()) Restart(kTimerLightFrame, device_->FrameInterval());
}

void CDeviceOptionUI::AskLink(void (CDeviceOptionUI::*answered)(bool linked)) {
    // Only the latest question counts: a start-up or watch that began again meanwhile
    // (a device moved between its paths) makes an older answer stale.
    const uint64_t question = ++linkQuestion_;
    QPointer<CDeviceOptionUI> self(this);
    device_->CheckLink([self, question, answered](bool linked) {
        if (self == nullptr || self->device_ == nullptr || question != self->linkQuestion_) return;
        // The device may have left the receiver while it was asked.
        if (!self->device_->ReceiverMode() || !self->device_->ChannelOpen()) return;
        (self->*answered)(linked);
    });
}

void CDeviceOptionUI::OnStartUp() {
    if (device_->ReceiverMode() && device_->ChannelOpen()) {
        AskLink(&CDeviceOptionUI::OnStartUpLinkAnswer);
        return;
    }
    StartWork();
}

void CDeviceOptionUI::OnStartUpLinkAnswer(bool linked) {
    if (!linked) {
        linkLoss_ = (linkLoss_ + 1) % kLinkLossWrap;
        if (present_) {
            // The window is told first, while the item still counts as present and
            // selected, so that it can move the selection and close what belongs to it.
            SendLinkChanged(false);
            SetVisible(false);
        }
        Restart(kTimerStartUp, 3000);
        return;
    }
    SendLinkChanged(true);
    StartWork();
}

void CDeviceOptionUI::StartWork() {
    const bool wireless = device_->ReceiverMode();
    const bool open = device_->ChannelOpen();
    device_->FirstSync();
    linkLoss_ = 0;
    Restart(kTimerLightFrame, 5);
    if (device_->PowerFlag() && open) Restart(kTimerPower, 50);
    if (wireless && open) Restart(kTimerLinkWatch, 2000);
}

void CDeviceOptionUI::OnPower() {
    device_->ReadPowerStatus();
    if (device_->PowerFlag()) Restart(kTimerPower, 5000);
}

void CDeviceOptionUI::OnLinkWatch() {
    if (!device_->ReceiverMode() || !device_->ChannelOpen()) return;
    AskLink(&CDeviceOptionUI::OnLinkWatchAnswer);
}

void CDeviceOptionUI::OnLinkWatchAnswer(bool linked) {
    if (linked) {
        if (!present_) {
            SendLinkChanged(true);
            if (device_->PowerFlag()) device_->ReadPowerStatus();
        }
    } else if (present_) {
        SendLinkChanged(false);
    }
    Restart(kTimerLinkWatch, 3000);
}

}  // namespace dz::panels
