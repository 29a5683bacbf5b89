#include "models/mousepad_device.h"

#include "profile/basic_profiledata.h"

namespace dz {

CRezazodaMousePadDevice::CRezazodaMousePadDevice(QWidget* parent)
    : CRezazodaLitDevice(std::make_unique<CBasicProfiledata>(), MousepadLightingTable(),
                         MousepadLightingShared(), parent) {}

}  // namespace dz
