#pragma once
// CRezazodaKeyboardDevice: the device object of the keyboard (cable or receiver), over the shared
// model behaviour until its own settings, panels and effects come.

#include "models/model_device.h"

namespace dz {

class CRezazodaKeyboardDevice : public CRezazodaModelDevice {
    Q_OBJECT
  public:
    explicit CRezazodaKeyboardDevice(QWidget* parent = nullptr);
};

}  // namespace dz
