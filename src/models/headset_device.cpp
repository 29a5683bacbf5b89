#include "models/headset_device.h"

#include "models/model_sync.h"
#include "profile/device_profiledata.h"

namespace dz {

CRezazodaDO6533Device::CRezazodaDO6533Device(QWidget* parent) : CRezazodaUSBDevice(parent) {
    SetProfileData(std::make_unique<CDo6533Profiledata>());
}

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

uint32_t CRezazodaDO6533Device::ApplyLighting() {
    return TakeLightingSettings(*this);
}

uint32_t CRezazodaDO6533Device::LoadProfile() {
    return LoadCurrentProfile(*this);
}

void CRezazodaDO6533Device::SetProfilePaths() {
    SetProfilePathsOf(*this);
}

void CRezazodaDO6533Device::SaveProfile() {
    SaveCurrentProfile(*this);
}

}  // namespace dz
