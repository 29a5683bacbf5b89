#include "models/keyboard_device.h"

#include "profile/device_profiledata.h"

namespace dz {

CRezazodaKeyboardDevice::CRezazodaKeyboardDevice(QWidget* parent)
    : CRezazodaModelDevice(std::make_unique<CKeyboardProfiledata>(), parent) {}

}  // namespace dz
