#pragma once
// CRezazodaKeyboardDevice: the device object of the keyboard (cable or receiver). Its own settings, panels and
// lighting effects build on this; for now it binds the page, reads the device's
// information block on the first synchronisation and runs the lighting thread.

#include "device/usb_device.h"

namespace dz {

class CRezazodaKeyboardDevice : public CRezazodaUSBDevice {
    Q_OBJECT
  public:
    explicit CRezazodaKeyboardDevice(QWidget* parent = nullptr);
    ~CRezazodaKeyboardDevice() override;

    void BindPage() override;
    void FirstSync() override;
    uint32_t ApplyLighting() override;
    uint32_t LoadProfile() override;
    void SetProfilePaths() override;
    [[nodiscard]] QString GetProfileName() const override { return ProfileName(); }
    void SaveProfile() override;
    // Through the receiver: whether the receiver reaches the device now.
    [[nodiscard]] bool IsLinked() override;
};

}  // namespace dz
