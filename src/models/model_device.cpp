#include "models/model_device.h"

#include "models/headset_device.h"
#include "models/keyboard_device.h"
#include "models/mouse_device.h"
#include "models/mousepad_device.h"
#include "platform/log/debug_log.h"
#include "profile/basic_profiledata.h"
#include "ui/control_factory.h"

namespace dz {

CRezazodaModelDevice::CRezazodaModelDevice(std::unique_ptr<CBasicProfiledata> profile_data,
                                           QWidget* parent)
    : CRezazodaUSBDevice(parent) {
    SetProfileData(std::move(profile_data));
}

// The threads ask the model's overrides: they stop before any of the object goes (each
// model's destructor does the same for its own part).
CRezazodaModelDevice::~CRezazodaModelDevice() {
    Shutdown();
}

void CRezazodaModelDevice::BindPage() {
    CRezazodaUSBDevice::BindPage();
    BuildModelPage();
}

namespace {

struct InfoRead {
    int result = 0;
    DeviceInfoBlock info{};
};

InfoRead ReadInfoBlock(CommandChannel& channel) {
    InfoRead r;
    r.result = channel.ReadInfo(r.info);
    return r;
}

}  // namespace

void CRezazodaModelDevice::FirstSync() {
    if (!Channel().IsOpen()) return;
    OnDevice(&ReadInfoBlock, [this](const InfoRead& read) {
        if (read.result == kCmdOk) {
            Info() = read.info;
        } else {
            log::DebugLineF("device of kind %d: information block not read", KindIndex());
        }
        (void)LoadProfile();
        RefreshPage();
        StartLightingThread(std::chrono::milliseconds(kLightingStepMs));
    });
}

void CRezazodaModelDevice::ReloadProfileListIfChanged() {
    if (!ProfileListChangedFlag().exchange(false)) return;
    if (ProfileBar* bar = ProfileBarControl()) {
        bar->Initialise();
        SetProfileName(bar->GetCurrentUUID());
    }
    (void)LoadProfile();
}

void CRezazodaModelDevice::Resync() {
    ReloadProfileListIfChanged();
    if (!Channel().IsOpen()) return;
    OnDevice(&ReadInfoBlock, [this](const InfoRead& read) {
        if (read.result == kCmdOk) Info() = read.info;
        RefreshPage();
    });
}

void CRezazodaModelDevice::SetProfilePaths() {
    CBasicProfiledata* profile = ProfileData();
    if (profile == nullptr) return;
    const std::filesystem::path folder = ProfileFolder(KindName());
    if (!ProfileName().isEmpty()) profile->SetProfilePath(ProfileFile());
    profile->SetDefaultPath(DefaultDataFile(KindName()));
    profile->SetLightListPath(folder / (LightFilePrefix().toStdString() + ".config"));
}

void CRezazodaModelDevice::SetKindCode(int code) {
    CRezazodaUSBDevice::SetKindCode(code);
    if (CBasicProfiledata* profile = ProfileData()) {
        // Every kind's profile files hold its section as their only "Device" element; the
        // code picks the kind's arrays of the light list files.
        profile->SetDeviceIndex(0);
        profile->SetKindCode(code);
    }
}

void CRezazodaModelDevice::RefreshTexts() {
    if (KeyAssignmentPanel* keys = KeyAssignment()) keys->RefreshTexts();
}

uint32_t CRezazodaModelDevice::LoadProfile() {
    CBasicProfiledata* profile = ProfileData();
    if (profile == nullptr || ProfileName().isEmpty()) return 0;
    SetProfilePaths();
    (void)profile->LoadDeviceSection(ProfileFile());
    log::DebugLineF("profile %s loaded", qUtf8Printable(ProfileName()));
    (void)profile->ReadLightInfo();
    (void)profile->ReadAudioLightInfo();
    return ApplyLighting();
}

uint32_t CRezazodaModelDevice::ApplyLighting() {
    CBasicProfiledata* profile = ProfileData();
    if (profile == nullptr) return 0;
    const std::array<uint8_t, 14> b = profile->CurrentLightInfo().Bytes();
    auto word = [&b](size_t at) {
        return static_cast<uint32_t>(b[at]) | static_cast<uint32_t>(b[at + 1]) << 8 |
               static_cast<uint32_t>(b[at + 2]) << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
    };
    // The lighting state only: the record came from the profile, nothing to store back.
    CRezazodaUSBDevice::SetLightInfo(word(0), word(4), word(8),
                                     static_cast<uint32_t>(b[12]) |
                                         static_cast<uint32_t>(b[13]) << 8);
    return 1;
}

void CRezazodaModelDevice::ShowEffectLists(LightingPanel& lighting, const PanelLists& lists) {
    std::vector<std::string> names;
    std::vector<bool> visible;
    for (const EffectListEntry& e : lists.effects) {
        names.push_back(e.name);
        visible.push_back(e.visible);
    }
    lighting.SetEffectList(names, visible);
    lighting.SetAreaList(lists.areas);
    lighting.SetCustomEffectList(lists.custom_effects);
}

LightingPanel* CRezazodaModelDevice::Lighting() {
    return PanelByName<LightingPanel>(QStringLiteral("LightControlItem"));
}

void CRezazodaModelDevice::BuildModelPage() {
    if (LightingPanel* lighting = Lighting()) lighting->AttachDevice(DeviceType());
    // The page shows the selected profile before the device is read, and takes changes
    // into it while the device is not there.
    (void)LoadProfile();
    RefreshPage();
}

void CRezazodaModelDevice::LoadPanelLists() {
    const std::filesystem::path folder = ProfileFolder(KindName());
    const PanelListFiles files{folder / "macro.config", DefaultDataFolder() / "default_light.json",
                               folder / (LightFilePrefix().toStdString() + ".config")};
    PanelLists lists;
    ReadPanelLists(files, GetKindCode(), lists);
    if (LightingPanel* lighting = Lighting()) ShowEffectLists(*lighting, lists);
}

void CRezazodaModelDevice::RefreshPage() {
    LoadPanelLists();
    if (LightingPanel* lighting = Lighting()) lighting->ShowLightRecord(GetLightRecord());
}

std::vector<lighting::PlaybackStep> CRezazodaModelDevice::UserEffectSteps(
    int mode, int first_user_mode) const {
    std::vector<lighting::PlaybackStep> steps;
    CBasicProfiledata* profile = ProfileData();
    if (profile == nullptr || mode < first_user_mode) return steps;
    for (const LedEffectStep& s : profile->GetEffectStepsAt(mode - first_user_mode))
        steps.push_back({s.mode, s.brightness, s.speed, s.direction, s.multicolor,
                         {s.red, s.green, s.blue}, s.time});
    return steps;
}

void CRezazodaModelDevice::TakeLightExtras() {
    CBasicProfiledata* profile = ProfileData();
    if (profile == nullptr) return;
    const std::vector<LightInfoRecord> list = profile->GetLightList();
    std::lock_guard lock(light_extra_lock_);
    for (size_t i = 0; i < light_extra_.size(); ++i)
        light_extra_[i] = i < list.size() ? list[i].Bytes() : LightExtraRecord{};
}

void CRezazodaModelDevice::SaveProfile() {
    if (CBasicProfiledata* profile = ProfileData()) (void)profile->Save();
}

void RegisterDeviceControls() {
    ui::ControlFactory& f = ui::ControlFactory::Instance();
    // The base object itself, for a page of a kind without a model of its own.
    f.RegistControl(QStringLiteral("CRezazodaUSBDevice"),
                    [](QWidget* parent) { return new CRezazodaUSBDevice(parent); });
    f.RegistControl(QStringLiteral("CRezazodaKeyboardDevice"),
                    [](QWidget* parent) { return new CRezazodaKeyboardDevice(parent); });
    f.RegistControl(QStringLiteral("CRezazodaMouseDevice"),
                    [](QWidget* parent) { return new CRezazodaMouseDevice(parent); });
    f.RegistControl(QStringLiteral("CRezazodaMousePadDevice"),
                    [](QWidget* parent) { return new CRezazodaMousePadDevice(parent); });
    f.RegistControl(QStringLiteral("CRezazodaDO6533Device"),
                    [](QWidget* parent) { return new CRezazodaDO6533Device(parent); });
}

}  // namespace dz
