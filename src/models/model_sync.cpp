#include "models/model_sync.h"

#include "device/usb_device.h"
#include "models/headset_device.h"
#include "models/keyboard_device.h"
#include "models/mouse_device.h"
#include "models/mousepad_device.h"
#include "platform/log/debug_log.h"
#include "ui/control_factory.h"

namespace dz {

void RunFirstSync(CRezazodaUSBDevice& device) {
    if (!device.Channel().IsOpen()) return;
    DeviceInfoBlock info{};
    if (device.Channel().ReadInfo(info) == 1) {
        device.Info() = info;
    } else {
        log::DebugLineF("device of kind %d: information block not read", device.KindIndex());
    }
    device.StartLightingThread(std::chrono::milliseconds(kLightingStepMs));
}

bool LinkedThroughReceiver(CommandChannel& channel) {
    if (!channel.IsOpen()) return false;
    if (!channel.IsReceiverMode()) return true;
    return channel.LinkQuery();
}

void RegisterDeviceControls() {
    ui::ControlFactory& f = ui::ControlFactory::Instance();
    f.RegistControl(QStringLiteral("CRezazodaKeyboardDevice"),
                    [](QWidget* parent) { return new CRezazodaKeyboardDevice(parent); });
    f.RegistControl(QStringLiteral("CRezazodaMouseDevice"),
                    [](QWidget* parent) { return new CRezazodaMouseDevice(parent); });
    f.RegistControl(QStringLiteral("CRezazodaMousePadDevice"),
                    [](QWidget* parent) { return new CRezazodaMousePadDevice(parent); });
    f.RegistControl(QStringLiteral("CRezazodaDO6533Device"),
                    [](QWidget* parent) { return new CRezazodaDO6533Device(parent); });
}

}  // namespace dz
