#include "models/mousepad_device.h"

#include "profile/basic_profiledata.h"

namespace dz {

CRezazodaMousePadDevice::CRezazodaMousePadDevice(QWidget* parent)
    : CRezazodaModelDevice(std::make_unique<CBasicProfiledata>(), parent) {}

}  // namespace dz
