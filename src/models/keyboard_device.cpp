#include "models/keyboard_device.h"

#include "models/model_sync.h"
#include "profile/device_profiledata.h"

namespace dz {

CRezazodaKeyboardDevice::CRezazodaKeyboardDevice(QWidget* parent) : CRezazodaUSBDevice(parent) {
    SetProfileData(std::make_unique<CKeyboardProfiledata>());
}

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

uint32_t CRezazodaKeyboardDevice::ApplyLighting() {
    return TakeLightingSettings(*this);
}

uint32_t CRezazodaKeyboardDevice::LoadProfile() {
    return LoadCurrentProfile(*this);
}

void CRezazodaKeyboardDevice::SetProfilePaths() {
    SetProfilePathsOf(*this);
}

void CRezazodaKeyboardDevice::SaveProfile() {
    SaveCurrentProfile(*this);
}

bool CRezazodaKeyboardDevice::IsLinked() {
    return LinkedThroughReceiver(Channel());
}

}  // namespace dz
