#pragma once
// CRezazodaMousePadDevice: the device object of the lit mousepad. Its own settings, panels and
// lighting effects build on this; for now it binds the page, reads the device's
// information block on the first synchronisation and runs the lighting thread.

#include "device/usb_device.h"

namespace dz {

class CRezazodaMousePadDevice : public CRezazodaUSBDevice {
    Q_OBJECT
  public:
    explicit CRezazodaMousePadDevice(QWidget* parent = nullptr);
    ~CRezazodaMousePadDevice() override;

    void BindPage() override;
    void FirstSync() override;
    uint32_t ApplyLighting() override;
    uint32_t LoadProfile() override;
    void SetProfilePaths() override;
    [[nodiscard]] QString GetProfileName() const override { return ProfileName(); }
    void SaveProfile() override;
};

}  // namespace dz
