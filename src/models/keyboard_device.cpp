#include "models/keyboard_device.h"

#include "models/model_sync.h"

namespace dz {

CRezazodaKeyboardDevice::CRezazodaKeyboardDevice(QWidget* parent) : CRezazodaUSBDevice(parent) {}

CRezazodaKeyboardDevice::~CRezazodaKeyboardDevice() {
    StopLightingThread();
}

void CRezazodaKeyboardDevice::BindPage() {
    CRezazodaUSBDevice::BindPage();
    BuildModelPage();
}

void CRezazodaKeyboardDevice::FirstSync() {
    RunFirstSync(*this);
}

bool CRezazodaKeyboardDevice::IsLinked() {
    return LinkedThroughReceiver(Channel());
}

}  // namespace dz
