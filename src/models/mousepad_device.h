#pragma once
// CRezazodaMousePadDevice: the device object of the lit mousepad, over the shared model behaviour
// until its own settings, panels and effects come.

#include "models/model_device.h"

namespace dz {

class CRezazodaMousePadDevice : public CRezazodaModelDevice {
    Q_OBJECT
  public:
    explicit CRezazodaMousePadDevice(QWidget* parent = nullptr);
};

}  // namespace dz
