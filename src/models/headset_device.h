#pragma once
// CRezazodaDO6533Device: the device object of the USB headset, over the shared model behaviour
// until its own settings, panels and effects come.

#include "models/model_device.h"

namespace dz {

class CRezazodaDO6533Device : public CRezazodaModelDevice {
    Q_OBJECT
  public:
    explicit CRezazodaDO6533Device(QWidget* parent = nullptr);
};

}  // namespace dz
