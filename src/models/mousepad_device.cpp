#include "models/mousepad_device.h"

#include "models/model_sync.h"

namespace dz {

CRezazodaMousePadDevice::CRezazodaMousePadDevice(QWidget* parent) : CRezazodaUSBDevice(parent) {}

CRezazodaMousePadDevice::~CRezazodaMousePadDevice() {
    StopLightingThread();
}

void CRezazodaMousePadDevice::BindPage() {
    CRezazodaUSBDevice::BindPage();
    BuildModelPage();
}

void CRezazodaMousePadDevice::FirstSync() {
    RunFirstSync(*this);
}

}  // namespace dz
