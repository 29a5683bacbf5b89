#include "models/keyboard_device.h"

#include "profile/device_profiledata.h"

namespace dz {

CRezazodaKeyboardDevice::CRezazodaKeyboardDevice(QWidget* parent)
    : CRezazodaWirelessModelDevice(std::make_unique<CKeyboardProfiledata>(), parent) {}

}  // namespace dz
