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
};

}  // namespace dz
