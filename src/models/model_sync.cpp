#include "models/model_sync.h"

#include "device/usb_device.h"
#include "models/headset_device.h"
#include "models/keyboard_device.h"
#include "models/mouse_device.h"
#include "models/mousepad_device.h"
#include "platform/log/debug_log.h"
#include "profile/basic_profiledata.h"
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
    (void)device.LoadProfile();
    device.RefreshPage();
    device.StartLightingThread(std::chrono::milliseconds(kLightingStepMs));
}

void SetProfilePathsOf(CRezazodaUSBDevice& device) {
    CBasicProfiledata* data = device.ProfileData();
    if (data == nullptr) return;
    const std::filesystem::path folder = CRezazodaUSBDevice::ProfileFolder(device.KindName());
    if (!device.ProfileName().isEmpty()) data->SetProfilePath(device.ProfileFile());
    data->SetDefaultPath(CRezazodaUSBDevice::DefaultDataFile(device.KindName()));
    data->SetLightListPath(folder / (device.LightFilePrefix().toStdString() + ".config"));
    data->SetDeviceIndex(device.GetKindCode());
}

uint32_t LoadCurrentProfile(CRezazodaUSBDevice& device) {
    CBasicProfiledata* data = device.ProfileData();
    if (data == nullptr || device.ProfileName().isEmpty()) return 0;
    device.SetProfilePaths();
    (void)data->LoadDeviceSection(device.ProfileFile());
    log::DebugLineF("profile %s loaded", qUtf8Printable(device.ProfileName()));
    (void)data->ReadLightInfo();
    (void)data->ReadAudioLightInfo();
    return TakeLightingSettings(device);
}

uint32_t TakeLightingSettings(CRezazodaUSBDevice& device) {
    CBasicProfiledata* data = device.ProfileData();
    if (data == nullptr) return 0;
    const std::array<uint8_t, 14> b = data->CurrentLightInfo().Bytes();
    auto word = [&b](size_t at) {
        return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
               static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
    };
    device.SetLightInfo(word(0), word(4), word(8), static_cast<uint32_t>(b[12]) |
                                                        static_cast<uint32_t>(b[13]) << 8);
    return 1;
}

void SaveCurrentProfile(CRezazodaUSBDevice& device) {
    if (CBasicProfiledata* data = device.ProfileData()) (void)data->Save();
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
