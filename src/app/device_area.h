#pragma once
// The main window's device area: the selector items in "device_select_layout", one page
// per device kind in "device_switch", the power indicators in "device_power_switch" and
// "No_device_Link". It builds a kind's page when first needed, binds arriving interfaces
// to their device object (switching a keyboard or mouse between its cable and its
// receiver), unbinds them on removal, and keeps the selection and the visible items
// right as devices and links come and go. UI thread only.

#include <QObject>
#include <QPointer>
#include <array>
#include <functional>
#include <vector>

#include "device/device_table.h"

class QTimer;

namespace dz {
class CRezazodaUSBDevice;
namespace panels {
class CDeviceOptionUI;
class CMpDevicePowerUI;
}  // namespace panels
namespace ui {
class WindowBase;
}
}  // namespace dz

namespace dz::app {

class DeviceArea : public QObject {
    Q_OBJECT
  public:
    struct Hooks {
        // Closes the main window's child windows.
        std::function<void()> close_child_windows;
        // Removes the input hook and ends a macro recording in progress.
        std::function<void()> stop_recording;
        // Restores the window and brings it to the front after an arrival.
        std::function<void()> raise_window;
    };

    DeviceArea(ui::WindowBase& window, DeviceSlotList& slot_list, Hooks hooks);
    ~DeviceArea() override;

    // The mouse and keyboard pages, built at start-up with their items hidden.
    void BuildStartupPages();

    // MSG_DEVICE_ARRIVED / MSG_DEVICE_REMOVED for a slot bound or unbound by the scanner.
    void OnDeviceArrived(int slot);
    void OnDeviceRemoved(int slot);
    // 0x0D03 from an item: the device of kind index `kind_index` is linked or lost.
    void OnLinkChanged(int kind_index, bool linked);

    // After the system resumed: a device still bound is synchronised again as if it had
    // just arrived, since it may have lost its state while the machine slept.
    void ResyncAfterResume();

    void ShowItem(int index, bool present, bool select);
    void HideItem(int index);
    // "selectchanged" from an item's option: remember it and show its power indicator.
    void OnItemSelected();
    // "device_select_prev" (-1) and "device_select_next" (+1).
    void Step(int direction);

    [[nodiscard]] int ItemCount() const { return static_cast<int>(items_.size()); }
    [[nodiscard]] panels::CDeviceOptionUI* Item(int index) const;
    [[nodiscard]] int PresentCount() const;
    [[nodiscard]] int SelectedIndex() const;
    // Kind and sub-kind of the item selected last (its selector kinds).
    [[nodiscard]] int SelectedKind() const { return selected_kind_; }
    [[nodiscard]] int SelectedSubKind() const { return selected_sub_kind_; }
    // The device of the selected item, or none.
    [[nodiscard]] CRezazodaUSBDevice* CurrentDevice() const;
    // Every device object, in the order of the four kind lists.
    [[nodiscard]] std::vector<CRezazodaUSBDevice*> AllDevices() const;
    [[nodiscard]] const std::vector<CRezazodaUSBDevice*>& DevicesOfKind(int kind_index) const;

  private:
    CRezazodaUSBDevice* BuildPage(int kind_index, int record_row);
    [[nodiscard]] int ItemIndexOf(const CRezazodaUSBDevice* device) const;
    [[nodiscard]] panels::CDeviceOptionUI* ItemOf(const CRezazodaUSBDevice* device) const;
    // The device whose record is the slot's (or, for a receiver type, its partner's).
    [[nodiscard]] CRezazodaUSBDevice* DeviceForSlot(const SupportedDeviceRecord& slot,
                                                    bool only_closed) const;
    [[nodiscard]] CRezazodaUSBDevice* DeviceForNotifySlot(const SupportedDeviceRecord& slot) const;
    [[nodiscard]] bool PartnerBound(int slot, const SupportedDeviceRecord& record) const;
    void CommandArrived(int slot, const SupportedDeviceRecord& record);
    void NotifyArrived(const SupportedDeviceRecord& record);
    void CommandRemoved(int slot, const SupportedDeviceRecord& record);
    void NotifyRemoved(const SupportedDeviceRecord& record);
    // The cable path `slot` arrived (true) or went away while the receiver path is bound.
    void SwitchCableReceiver(int slot, const SupportedDeviceRecord& record, bool cable_arrived);
    void StartLinkWait(CRezazodaUSBDevice* device);
    void QueryLinkAfterSwitch(CRezazodaUSBDevice* device, int attempt);
    void UpdateNoDeviceLink();
    void TellPanelsMultiDevice();

    ui::WindowBase& window_;
    DeviceSlotList& slots_;
    Hooks hooks_;
    std::array<std::vector<CRezazodaUSBDevice*>, kDeviceKindCount> devices_;
    std::vector<QPointer<panels::CDeviceOptionUI>> items_;  // as in "device_select_layout"
    std::vector<CRezazodaUSBDevice*> item_devices_;         // the device of each item
    std::vector<QPointer<panels::CMpDevicePowerUI>> powers_;
    int selected_kind_ = -1;
    int selected_sub_kind_ = 0;
};

}  // namespace dz::app
