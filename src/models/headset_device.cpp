#include "models/headset_device.h"

#include "profile/device_profiledata.h"

namespace dz {

CRezazodaDO6533Device::CRezazodaDO6533Device(QWidget* parent)
    : CRezazodaModelDevice(std::make_unique<CDo6533Profiledata>(), parent) {}

}  // namespace dz
