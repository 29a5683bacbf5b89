#pragma once
// CRezazodaMouseDevice: the device object of the mouse (cable or receiver), over the shared model
// behaviour until its own settings, panels and effects come.

#include "models/model_device.h"

namespace dz {

class CRezazodaMouseDevice : public CRezazodaModelDevice {
    Q_OBJECT
  public:
    explicit CRezazodaMouseDevice(QWidget* parent = nullptr);
};

}  // namespace dz
