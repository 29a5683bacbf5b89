#include "models/mousepad_device.h"

#include "models/model_sync.h"
#include "profile/basic_profiledata.h"

namespace dz {

CRezazodaMousePadDevice::CRezazodaMousePadDevice(QWidget* parent) : CRezazodaUSBDevice(parent) {
    SetProfileData(std::make_unique<CBasicProfiledata>());
}

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

uint32_t CRezazodaMousePadDevice::ApplyLighting() {
    return TakeLightingSettings(*this);
}

uint32_t CRezazodaMousePadDevice::LoadProfile() {
    return LoadCurrentProfile(*this);
}

void CRezazodaMousePadDevice::SetProfilePaths() {
    SetProfilePathsOf(*this);
}

void CRezazodaMousePadDevice::SaveProfile() {
    SaveCurrentProfile(*this);
}

}  // namespace dz
