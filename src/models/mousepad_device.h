#pragma once
// CRezazodaMousePadDevice: the device object of the lit mousepad and its page. The pad has
// lighting only: its lighting page, the preview of its 15 LEDs and the synchronisation
// request are those CRezazodaLitDevice shares with the headset.

#include "models/lit_device.h"

namespace dz {

class CRezazodaMousePadDevice : public CRezazodaLitDevice {
    Q_OBJECT
  public:
    explicit CRezazodaMousePadDevice(QWidget* parent = nullptr);
    // The lighting thread stops before any of the object goes.
    ~CRezazodaMousePadDevice() override { Shutdown(); }

  protected:
    const char* LightContainerName() const override { return "mousepad_device_key_light"; }
};

}  // namespace dz
