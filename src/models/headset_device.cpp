#include "models/headset_device.h"

#include "models/model_sync.h"

namespace dz {

CRezazodaDO6533Device::CRezazodaDO6533Device(QWidget* parent) : CRezazodaUSBDevice(parent) {}

CRezazodaDO6533Device::~CRezazodaDO6533Device() {
    StopLightingThread();
}

void CRezazodaDO6533Device::BindPage() {
    CRezazodaUSBDevice::BindPage();
    BuildModelPage();
}

void CRezazodaDO6533Device::FirstSync() {
    RunFirstSync(*this);
}

}  // namespace dz
