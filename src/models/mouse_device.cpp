#include "models/mouse_device.h"

#include "models/model_sync.h"

namespace dz {

CRezazodaMouseDevice::CRezazodaMouseDevice(QWidget* parent) : CRezazodaUSBDevice(parent) {}

CRezazodaMouseDevice::~CRezazodaMouseDevice() {
    StopLightingThread();
}

void CRezazodaMouseDevice::BindPage() {
    CRezazodaUSBDevice::BindPage();
    BuildModelPage();
}

void CRezazodaMouseDevice::FirstSync() {
    RunFirstSync(*this);
}

bool CRezazodaMouseDevice::IsLinked() {
    return LinkedThroughReceiver(Channel());
}

}  // namespace dz
