#include "models/mouse_device.h"

#include "profile/device_profiledata.h"

namespace dz {

CRezazodaMouseDevice::CRezazodaMouseDevice(QWidget* parent)
    : CRezazodaModelDevice(std::make_unique<CMouseProfiledata>(), parent) {}

}  // namespace dz
