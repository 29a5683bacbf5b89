#include "models/mouse_device.h"

#include "models/model_sync.h"
#include "profile/device_profiledata.h"

namespace dz {

CRezazodaMouseDevice::CRezazodaMouseDevice(QWidget* parent) : CRezazodaUSBDevice(parent) {
    SetProfileData(std::make_unique<CMouseProfiledata>());
}

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

uint32_t CRezazodaMouseDevice::ApplyLighting() {
    return TakeLightingSettings(*this);
}

uint32_t CRezazodaMouseDevice::LoadProfile() {
    return LoadCurrentProfile(*this);
}

void CRezazodaMouseDevice::SetProfilePaths() {
    SetProfilePathsOf(*this);
}

void CRezazodaMouseDevice::SaveProfile() {
    SaveCurrentProfile(*this);
}

bool CRezazodaMouseDevice::IsLinked() {
    return LinkedThroughReceiver(Channel());
}

}  // namespace dz
