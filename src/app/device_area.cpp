#include "app/device_area.h"

#include <QBoxLayout>
#include <QStackedWidget>
#include <QTimer>

#include "device/command_path.h"
#include "device/usb_device.h"
#include "models/mouse_device.h"
#include "panels/device_option_ui.h"
#include "panels/device_power_ui.h"
#include "platform/log/debug_log.h"
#include "ui/control_ops.h"
#include "ui/window_base.h"

namespace dz::app {

namespace {

constexpr const char* kPowerSkin = "XML\\CustomControlXML\\MpDevicePower.xml";
constexpr int kTimerFirstSync = 1001;
constexpr int kTimerLinkWatch = 1007;
constexpr int kFirstSyncDelayMs = 500;
constexpr int kLinkWatchAfterSwitchMs = 2000;
constexpr int kLinkQueryIntervalMs = 50;
constexpr int kLinkQueryAttempts = 25;

QString Str(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

bool IsReceiverType(uint16_t type) {
    return type == TYPE_MOUSE_RX || type == TYPE_KEYBOARD_RX;
}

bool IsCableType(uint16_t type) {
    return type == TYPE_KEYBOARD || type == TYPE_MOUSE;
}

// Kind index (into the kind and page tables) of a device type; -1 for none.
int KindIndexOfType(uint16_t type) {
    switch (type) {
        case TYPE_MOUSE:
        case TYPE_MOUSE_RX:
            return 0;
        case TYPE_KEYBOARD:
        case TYPE_KEYBOARD_RX:
            return 1;
        case TYPE_MOUSEPAD:
            return 2;
        case TYPE_HEADSET:
            return 3;
        default:
            return -1;
    }
}

// The record a device object keeps for a slot: a receiver's partner row (the cable's),
// so that one page serves both paths.
SupportedDeviceRecord PageRecordOf(const SupportedDeviceRecord& slot) {
    if (IsReceiverType(slot.type) && slot.has_partner != 0) {
        SupportedDeviceRecord partner = SupportedDeviceRow(slot.partner);
        partner.path = slot.path;
        return partner;
    }
    return slot;
}

// Listener path of a notification slot: the receiver's for the receiver types.
int ListenerPathOf(uint16_t type) {
    return IsReceiverType(type) ? 1 : 0;
}

}  // namespace

DeviceArea::DeviceArea(ui::WindowBase& window, DeviceSlotList& slot_list, Hooks hooks)
    : QObject(&window), window_(window), slots_(slot_list), hooks_(std::move(hooks)) {}

DeviceArea::~DeviceArea() = default;

// ---- Page building ---------------------------------------------------------------------

void DeviceArea::BuildStartupPages() {
    for (int kind : {0, 1}) {
        const DeviceKindRecord& k = kDeviceKinds[static_cast<size_t>(kind)];
        const int row = FindSupportedRecord(static_cast<uint16_t>(k.vendor_id),
                                            static_cast<uint16_t>(k.product_id),
                                            static_cast<uint16_t>(k.type), ROLE_COMMAND);
        (void)BuildPage(kind, row);
    }
}

CRezazodaUSBDevice* DeviceArea::BuildPage(int kind_index, int record_row) {
    if (kind_index < 0 || kind_index >= static_cast<int>(kDeviceKindCount) || record_row < 0)
        return nullptr;
    const DeviceKindRecord& kind = kDeviceKinds[static_cast<size_t>(kind_index)];
    const DevicePageRecord& page = kDevicePages[static_cast<size_t>(kind_index)];
    auto* page_switch = window_.FindControlAs<QStackedWidget>(QStringLiteral("device_switch"));
    auto* power_switch = window_.FindControlAs<QStackedWidget>(Str(kind.power_tab_container));
    QWidget* select_layout = window_.FindControl(QStringLiteral("device_select_layout"));
    if (page_switch == nullptr || power_switch == nullptr || select_layout == nullptr)
        return nullptr;

    // Each skin is built into a holder first, so that a missing one leaves nothing behind.
    QWidget holder;
    auto* power = qobject_cast<panels::CMpDevicePowerUI*>(
        window_.BuildSubtree(QString::fromLatin1(kPowerSkin), &holder));
    auto* item = qobject_cast<panels::CDeviceOptionUI*>(
        window_.BuildSubtree(Str(kind.selector_skin), &holder));
    auto* device =
        qobject_cast<CRezazodaUSBDevice*>(window_.BuildSubtree(Str(page.page_skin), &holder));
    if (power == nullptr || item == nullptr || device == nullptr) {
        log::DebugLineF("device page of kind %d not built", kind_index);
        return nullptr;
    }

    device->SetKindIndex(kind_index);
    device->SetKindCode(kind.kind_code);
    device->SetKindName(Str(kind.kind_name));
    device->SetKeyCount(page.key_count);
    device->SetLightCount(page.light_count);
    device->SetPowerFlag(page.power_flag != 0);
    device->SetPageSkin(Str(page.page_skin));
    device->SetLightFilePrefix(Str(page.light_file_prefix));
    device->SetInterfaceRecord(SupportedDeviceRow(static_cast<size_t>(record_row)));
    if (auto* mouse = qobject_cast<CRezazodaMouseDevice*>(device))
        mouse->SetMouseParameter(page.mouse_parameter);
    device->BindPage();
    device->BindSelector(item, power);

    power->SetKind(kind.type, 0);
    power_switch->addWidget(power);
    const int power_index = power_switch->indexOf(power);
    page_switch->addWidget(device);
    const int page_index = page_switch->indexOf(device);

    // Items sit before the layout's trailing spacer.
    if (auto* box = qobject_cast<QBoxLayout*>(select_layout->layout())) {
        const int spacer =
            box->count() > 0 && box->itemAt(box->count() - 1)->spacerItem() != nullptr
                ? box->count() - 1
                : box->count();
        box->insertWidget(spacer, item);
    } else {
        item->setParent(select_layout);
    }
    item->SetDevice(device);
    // No repaint control: each light button repaints itself when its colour changes, so
    // repainting the whole page 200 times a second would only cost CPU.
    item->SetKind(kind.type, 0);
    item->SetGroup(Str(kind.selector_tab_group));
    item->BindPage(QStringLiteral("device_switch"), page_index);
    item->SetPowerIndicator(Str(kind.power_tab_container), power_index);
    item->SetVisible(false);

    items_.emplace_back(item);
    item_devices_.push_back(device);
    powers_.emplace_back(power);
    devices_[static_cast<size_t>(kind_index)].push_back(device);
    return device;
}

// ---- Lookups -----------------------------------------------------------------------------

panels::CDeviceOptionUI* DeviceArea::Item(int index) const {
    if (index < 0 || index >= ItemCount()) return nullptr;
    return items_[static_cast<size_t>(index)];
}

int DeviceArea::ItemIndexOf(const CRezazodaUSBDevice* device) const {
    if (device == nullptr) return -1;
    for (int i = 0; i < ItemCount(); ++i) {
        if (item_devices_[static_cast<size_t>(i)] == device && Item(i) != nullptr) return i;
    }
    return -1;
}

panels::CDeviceOptionUI* DeviceArea::ItemOf(const CRezazodaUSBDevice* device) const {
    return Item(ItemIndexOf(device));
}

int DeviceArea::PresentCount() const {
    int n = 0;
    for (const auto& item : items_)
        if (item != nullptr && item->IsPresent()) ++n;
    return n;
}

int DeviceArea::SelectedIndex() const {
    for (int i = 0; i < ItemCount(); ++i)
        if (Item(i) != nullptr && Item(i)->IsSelected()) return i;
    return -1;
}

CRezazodaUSBDevice* DeviceArea::CurrentDevice() const {
    const int index = SelectedIndex();
    if (index < 0) return nullptr;
    return item_devices_[static_cast<size_t>(index)];
}

std::vector<CRezazodaUSBDevice*> DeviceArea::AllDevices() const {
    std::vector<CRezazodaUSBDevice*> all;
    for (const auto& list : devices_) all.insert(all.end(), list.begin(), list.end());
    return all;
}

const std::vector<CRezazodaUSBDevice*>& DeviceArea::DevicesOfKind(int kind_index) const {
    static const std::vector<CRezazodaUSBDevice*> none;
    if (kind_index < 0 || kind_index >= static_cast<int>(kDeviceKindCount)) return none;
    return devices_[static_cast<size_t>(kind_index)];
}

CRezazodaUSBDevice* DeviceArea::DeviceForSlot(const SupportedDeviceRecord& slot,
                                              bool only_closed) const {
    const SupportedDeviceRecord wanted = PageRecordOf(slot);
    for (CRezazodaUSBDevice* d : DevicesOfKind(KindIndexOfType(slot.type))) {
        if (only_closed && d->Channel().IsOpen()) continue;
        if (SameInterface(d->InterfaceRecord(), wanted) ||
            SameInterface(d->InterfaceRecord(), slot))
            return d;
    }
    return nullptr;
}

bool DeviceArea::PartnerBound(int slot, const SupportedDeviceRecord& record) const {
    if (record.has_partner == 0) return false;
    const SupportedDeviceRecord partner = slots_.Slot(record.partner);
    return partner.connected != 0 && !partner.path.empty() && partner.partner == slot;
}

// ---- Arrival -----------------------------------------------------------------------------

void DeviceArea::OnDeviceArrived(int slot) {
    if (slot < 0 || slot >= static_cast<int>(slots_.size())) return;
    const SupportedDeviceRecord record = slots_.Slot(slot);
    if (KindIndexOfType(record.type) < 0) return;
    log::DebugLineF("device arrived: slot %d type %d role %d %s", slot, record.type, record.role,
                    record.path.c_str());
    if (record.role == ROLE_NOTIFY) {
        NotifyArrived(record);
    } else {
        CommandArrived(slot, record);
    }
}

void DeviceArea::CommandArrived(int slot, const SupportedDeviceRecord& record) {
    const int kind = KindIndexOfType(record.type);
    if (DeviceForSlot(record, false) == nullptr) {
        // The page keeps the cable's row: a receiver's partner.
        const int row =
            FindSupportedRecord(record.vendor_id, record.product_id, record.type, ROLE_COMMAND);
        const bool via_partner = row >= 0 && IsReceiverType(record.type) && record.has_partner != 0;
        (void)BuildPage(kind, via_partner ? record.partner : row);
    }
    if (PartnerBound(slot, record)) {
        // The device's other path is bound already: a cable that arrives takes over.
        if (IsCableType(record.type)) SwitchCableReceiver(slot, record, true);
    } else if (CRezazodaUSBDevice* device = DeviceForSlot(record, true)) {
        const bool receiver = IsReceiverType(record.type);
        if (OpenCommandPath(device->Channel(), record.path, receiver))
            device->SetInterfaceRecord(PageRecordOf(record));
        const int index = ItemIndexOf(device);
        if (panels::CDeviceOptionUI* item = Item(index)) {
            // A mouse on its receiver is shown by the link check of the first sync.
            if (record.type != TYPE_MOUSE_RX) ShowItem(index, true, PresentCount() == 0);
            item->Start();
        }
    }
    UpdateNoDeviceLink();
    if (hooks_.raise_window) hooks_.raise_window();
    for (CRezazodaUSBDevice* d : AllDevices()) d->SetPowerReadPause(false);
}

void DeviceArea::NotifyArrived(const SupportedDeviceRecord& record) {
    if (CRezazodaUSBDevice* d = DeviceForNotifySlot(record))
        d->OpenListener(ListenerPathOf(record.type), record.path);
}

// The device whose command record, or that record's partner row, has the notification
// slot's vendor id, product id and type: the receiver's listener belongs to the mouse page.
CRezazodaUSBDevice* DeviceArea::DeviceForNotifySlot(const SupportedDeviceRecord& record) const {
    auto same = [&record](const SupportedDeviceFields& r) {
        return r.vendor_id == record.vendor_id && r.product_id == record.product_id &&
               r.type == record.type;
    };
    for (CRezazodaUSBDevice* d : DevicesOfKind(KindIndexOfType(record.type))) {
        const SupportedDeviceRecord& own = d->InterfaceRecord();
        if (same(own) || (own.has_partner != 0 && same(SupportedDeviceRow(own.partner)))) return d;
    }
    return nullptr;
}

// ---- Removal -----------------------------------------------------------------------------

void DeviceArea::OnDeviceRemoved(int slot) {
    if (slot < 0 || slot >= static_cast<int>(slots_.size())) return;
    // The slot is free already; its identity is the table row.
    const SupportedDeviceRecord record = SupportedDeviceRow(static_cast<size_t>(slot));
    if (KindIndexOfType(record.type) < 0) return;
    log::DebugLineF("device removed: slot %d type %d role %d", slot, record.type, record.role);
    if (record.role == ROLE_NOTIFY) {
        NotifyRemoved(record);
    } else {
        CommandRemoved(slot, record);
    }
}

void DeviceArea::CommandRemoved(int slot, const SupportedDeviceRecord& record) {
    if (KindIndexOfType(record.type) == 0) log::DebugLine("鼠标设备丢失");
    if (KindIndexOfType(record.type) == 1) log::DebugLine("键盘设备丢失");
    if (PartnerBound(slot, record)) {
        if (IsCableType(record.type)) SwitchCableReceiver(slot, record, false);
        return;
    }
    CRezazodaUSBDevice* device = DeviceForSlot(record, false);
    if (device == nullptr) return;
    // The device object outlives the device; one plugged in again starts unsynchronised.
    device->SetLightSync(false);
    CloseCommandPaths(device->Channel());
    HideItem(ItemIndexOf(device));
}

void DeviceArea::NotifyRemoved(const SupportedDeviceRecord& record) {
    if (CRezazodaUSBDevice* d = DeviceForNotifySlot(record))
        d->StopListener(ListenerPathOf(record.type));
}

// ---- Cable and receiver ------------------------------------------------------------------

void DeviceArea::SwitchCableReceiver(int slot, const SupportedDeviceRecord& record,
                                     bool cable_arrived) {
    CRezazodaUSBDevice* device = DeviceForSlot(record, false);
    if (device == nullptr) return;
    CommandChannel& channel = device->Channel();
    const SupportedDeviceRecord partner = slots_.Slot(record.partner);
    // `slot` is the cable path that arrived or went away; the partner is the receiver.
    const std::string cable_path = slots_.Slot(slot).path;
    const std::string receiver_path = partner.path;
    int mode = 0;
    if (cable_arrived && !channel.IsOpen()) {
        // An earlier switch to the receiver failed and left the device on no path: the
        // cable that comes back is its way in again.
        if (OpenCommandPath(channel, cable_path, false) == 1) mode = kModeCable;
    } else if (cable_arrived == channel.IsReceiverMode()) {
        mode = SwitchCommandPath(channel, cable_path, receiver_path);
    } else {
        return;  // already on the path the event leads to
    }
    if (mode == 0) {
        // The receiver did not open after the cable went: the device is reachable on no
        // path, as if it had been removed. (A cable that did not open leaves the receiver.)
        if (!cable_arrived) {
            CloseCommandPaths(channel);
            HideItem(ItemIndexOf(device));
        }
        return;
    }
    panels::CDeviceOptionUI* item = ItemOf(device);
    if (device->Channel().IsReceiverMode()) {
        if (device->PowerFlag()) {
            StartLinkWait(device);
        } else if (item != nullptr) {
            (void)window_.SetTimer(item, kTimerLinkWatch, kLinkWatchAfterSwitchMs);
        }
    } else {
        if (item != nullptr) (void)window_.SetTimer(item, kTimerFirstSync, kFirstSyncDelayMs);
        (void)window_.SendMessage(kMsgReceiverLinkChanged, device->KindIndex(), 1);
        if (device->PowerFlag()) device->ReadPowerStatus();
    }
}

// The link query after a switch to the receiver, every 50 ms up to 25 times, then the power
// status and the link watch. The device worker asks, so the window never waits for an
// answer (each may take the receiver's 5 s).
void DeviceArea::StartLinkWait(CRezazodaUSBDevice* device) {
    QueryLinkAfterSwitch(device, 0);
}

void DeviceArea::QueryLinkAfterSwitch(CRezazodaUSBDevice* device, int attempt) {
    QPointer<DeviceArea> self(this);
    QPointer<CRezazodaUSBDevice> target(device);
    device->CheckLink([self, target, attempt](bool linked) {
        if (self == nullptr || target == nullptr || !target->Channel().IsReceiverMode()) return;
        if (!linked) {
            log::DebugLine("获取2.4G模式失败");
            if (attempt + 1 < kLinkQueryAttempts) {
                QTimer::singleShot(kLinkQueryIntervalMs, self, [self, target, attempt] {
                    if (self != nullptr && target != nullptr)
                        self->QueryLinkAfterSwitch(target, attempt + 1);
                });
                return;
            }
        }
        log::DebugLine("获取2");
        target->ReadPowerStatus();
        if (panels::CDeviceOptionUI* item = self->ItemOf(target))
            (void)self->window_.SetTimer(item, kTimerLinkWatch, kLinkWatchAfterSwitchMs);
    });
}

void DeviceArea::ResyncAfterResume() {
    for (CRezazodaUSBDevice* d : AllDevices()) {
        if (!d->Channel().IsOpen()) continue;
        if (panels::CDeviceOptionUI* item = ItemOf(d)) item->Start();
    }
}

void DeviceArea::OnLinkChanged(int kind_index, bool linked) {
    int index = -1;
    for (CRezazodaUSBDevice* d : DevicesOfKind(kind_index)) {
        if (index < 0) index = ItemIndexOf(d);
    }
    panels::CDeviceOptionUI* item = Item(index);
    if (item == nullptr) return;
    if (!linked) {
        HideItem(index);
    } else if (!item->IsPresent()) {
        ShowItem(index, true, PresentCount() == 0);
    }
}

// ---- Items ---------------------------------------------------------------------------------

void DeviceArea::ShowItem(int index, bool present, bool select) {
    panels::CDeviceOptionUI* item = Item(index);
    if (item == nullptr) return;
    item->SetVisible(present);
    if (select) {
        QWidget* tabs = window_.FindControl(item->BoundTabLayoutName());
        const int tab_index = item->BoundTabIndex();
        if (item->BoundTabLayoutName().isEmpty() || tab_index < 0 || tabs == nullptr) return;
        QWidget* power_tabs = window_.FindControl(item->PowerIndicatorName());
        if (power_tabs == nullptr) return;
        (void)ui::SelectItem(tabs, tab_index);
        if (item->PowerIndicatorIndex() < 0) {
            ui::SetVisible(power_tabs, false);
        } else {
            ui::SetVisible(power_tabs, true);
            (void)ui::SelectItem(power_tabs, item->PowerIndicatorIndex());
        }
    }
    item->Select(select);
    UpdateNoDeviceLink();
    TellPanelsMultiDevice();
    int synchro = 0;
    for (const auto& i : items_)
        if (i != nullptr && i->IsPresent() && i->IsSynchroSelected()) ++synchro;
    if (synchro < 2) {
        for (const auto& i : items_)
            if (i != nullptr) i->SetSynchroSelected(false);
    }
}

void DeviceArea::HideItem(int index) {
    panels::CDeviceOptionUI* item = Item(index);
    if (item == nullptr) return;
    int other = -1;
    if (item->IsPresent() && item->IsSelected()) {
        if (hooks_.close_child_windows) hooks_.close_child_windows();
        if (hooks_.stop_recording) hooks_.stop_recording();
        for (int i = 0; i < ItemCount() && other < 0; ++i)
            if (i != index && Item(i) != nullptr && Item(i)->IsPresent()) other = i;
    }
    ShowItem(index, false, false);
    if (other >= 0) ShowItem(other, true, true);
}

void DeviceArea::OnItemSelected() {
    panels::CDeviceOptionUI* item = Item(SelectedIndex());
    if (item == nullptr) return;
    selected_kind_ = item->Kind();
    selected_sub_kind_ = item->SubKind();
    QWidget* power_tabs = window_.FindControl(item->PowerIndicatorName());
    if (power_tabs == nullptr) return;
    if (item->PowerIndicatorIndex() < 0) {
        ui::SetVisible(power_tabs, false);
    } else {
        ui::SetVisible(power_tabs, true);
        (void)ui::SelectItem(power_tabs, item->PowerIndicatorIndex());
    }
}

void DeviceArea::Step(int direction) {
    const int selected = SelectedIndex();
    if (selected < 0) return;
    int target = -1;
    if (direction < 0) {
        for (int i = 0; i < selected; ++i)
            if (Item(i) != nullptr && Item(i)->IsPresent()) target = i;
    } else {
        for (int i = selected + 1; i < ItemCount() && target < 0; ++i)
            if (Item(i) != nullptr && Item(i)->IsPresent()) target = i;
    }
    if (target >= 0) ShowItem(target, true, true);
}

void DeviceArea::UpdateNoDeviceLink() {
    QWidget* no_device = window_.FindControl(QStringLiteral("No_device_Link"));
    if (PresentCount() > 0) {
        ui::SetVisible(no_device, false);
        return;
    }
    ui::SetVisible(no_device, true);
    (void)ui::SelectItem(window_.FindControl(QStringLiteral("device_power_switch")), 0);
    (void)ui::SelectItem(window_.FindControl(QStringLiteral("device_switch")), 0);
}

void DeviceArea::TellPanelsMultiDevice() {
    const bool several = PresentCount() > 1;
    for (CRezazodaUSBDevice* d : AllDevices()) {
        if (LightingPanel* panel = d->Lighting()) panel->SetMultiDevice(several);
        if (!several) d->SetLightSync(false);
    }
}

}  // namespace dz::app
