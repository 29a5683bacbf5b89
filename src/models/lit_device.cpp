#include "models/lit_device.h"

#include "platform/log/debug_log.h"
#include "profile/basic_profiledata.h"

namespace dz {
namespace {

uint32_t Word(const LightingPageBytes& page, uint8_t direction, bool first) {
    if (first)
        return static_cast<uint32_t>(page[kLpMode]) |
               static_cast<uint32_t>(page[kLpBrightness]) << 8 |
               static_cast<uint32_t>(page[kLpSpeed]) << 16 | static_cast<uint32_t>(direction) << 24;
    return static_cast<uint32_t>(page[kLpMulticolour]) | static_cast<uint32_t>(page[kLpRed]) << 8 |
           static_cast<uint32_t>(page[kLpGreen]) << 16 | static_cast<uint32_t>(page[kLpBlue]) << 24;
}

struct OpeningRead {
    int result = kCmdNoExchange;
    DeviceInfoBlock info{};
};

OpeningRead OpeningExchange(CommandChannel& channel) {
    OpeningRead r;
    if (!channel.IsOpen()) return r;
    (void)channel.Begin();
    r.result = channel.ReadInfo(r.info);
    (void)channel.End();
    return r;
}

}  // namespace

CRezazodaLitDevice::CRezazodaLitDevice(std::unique_ptr<CBasicProfiledata> profile_data,
                                       const LitLightingTable& table, LitShared& shared,
                                       QWidget* parent)
    : CRezazodaModelDevice(std::move(profile_data), parent) {
    auto program = std::make_unique<LitLightingProgram>(table, shared, Leds(), Channel());
    program_ = program.get();
    SetLightingProgram(std::move(program));
}

// The base ends the threads; nothing they run is this object's own.
CRezazodaLitDevice::~CRezazodaLitDevice() {
    Shutdown();
}

void CRezazodaLitDevice::FirstSync() {
    if (!FirstSyncExchanges()) {
        FinishFirstSync();
        return;
    }
    if (!Channel().IsOpen()) return;
    OnDevice(&OpeningExchange, [this](const OpeningRead& read) {
        if (read.result == kCmdOk) Info() = read.info;
        FinishFirstSync();
    });
}

void CRezazodaLitDevice::FinishFirstSync() {
    (void)LoadProfile();
    AfterFirstSync();
    RefreshPage();
    StopLightingThread();
    StartLightingThread(std::chrono::milliseconds(1));
    ++syncs_done_;
}

void CRezazodaLitDevice::Resync() {
    ReloadProfileListIfChanged();
    const int held = working_[kLpProfile];
    OnDevice([held](CommandChannel& channel) { return ReadCurrentLightingPage(channel, held); },
             [this](const LightingPageRead& read) {
                 working_ = DecodeLightingPage(read.bytes, read.profile, lists_.effects);
                 ShowWorkingPage();
                 ++resyncs_done_;
                 OnProfileRead(read.profile);
             });
}

void CRezazodaLitDevice::OnProfileRead(int profile) {
    reported_profile_ = profile;
    CBasicProfiledata* stored = ProfileData();
    if (stored == nullptr || working_[kLpMode] >= lists_.effects.size() ||
        working_[kLpSpeed] > 4)
        return;
    LightInfoRecord light = stored->CurrentLightInfo();
    light.mode = working_[kLpMode];
    light.brightness = working_[kLpBrightness];
    light.speed = working_[kLpSpeed];
    light.multicolor = working_[kLpMulticolour];
    light.red = working_[kLpRed];
    light.green = working_[kLpGreen];
    light.blue = working_[kLpBlue];
    if (light == stored->CurrentLightInfo()) return;
    stored->WriteLightInfo(light);
    SaveProfile();
    if (LightingPanel* lighting = Lighting()) lighting->ShowLightRecord(GetLightRecord());
}

void CRezazodaLitDevice::ShowWorkingPage() {
    const auto words = GetLightInfo();
    const uint8_t direction = static_cast<uint8_t>(words[0] >> 24);
    if (working_[kLpMode] != last_mode_) {
        program_->RequestModeRestart();
        last_mode_ = working_[kLpMode];
    }
    program_->SetLightWords(Word(working_, direction, true), Word(working_, direction, false));
    WakeLighting();
}

uint32_t CRezazodaLitDevice::LoadProfile() {
    CBasicProfiledata* profile = ProfileData();
    if (profile == nullptr || ProfileName().isEmpty()) return 0;
    SetProfilePaths();
    (void)profile->LoadDeviceSection(ProfileFile());
    (void)profile->LoadLightList(profile->GetLightListPath());
    (void)profile->ReadLightInfo();
    (void)profile->ReadAudioLightInfo();
    log::DebugLineF("profile %s of kind %d loaded", qUtf8Printable(ProfileName()), KindIndex());
    return ApplyLighting();
}

uint32_t CRezazodaLitDevice::ApplyLighting() {
    CBasicProfiledata* profile = ProfileData();
    if (profile == nullptr) return 0;
    (void)CRezazodaModelDevice::ApplyLighting();  // the lighting settings' words
    const LightInfoRecord light = profile->CurrentLightInfo();
    program_->SetUserEffect(UserEffectSteps(light.mode, kLitFirstUserEffect));
    program_->SetLightList(profile->GetLightList());
    TakeLightExtras();
    FillLightingPage(working_, light);
    ShowWorkingPage();
    return 1;
}

uint32_t CRezazodaLitDevice::WriteSystemSettings(int profile, int, int, int, int) {
    const LightingPageBytes wire = EncodeLightingPage(working_, lists_.effects);
    OnDevice(
        [profile, wire](CommandChannel& channel) {
            return WriteLightingPage(channel, profile, wire);
        },
        [this](const DeviceTransfer& t) {
            last_settings_write_ = t;
            ++settings_writes_done_;
        });
    return 1;
}

LightingPanel* CRezazodaLitDevice::Lighting() {
    return PanelByName<LightingPanel>(QStringLiteral("LightControlItem"));
}

void CRezazodaLitDevice::LoadPanelLists() {
    const std::filesystem::path folder = ProfileFolder(KindName());
    const PanelListFiles files{folder / "rodav_macro.config",
                               DefaultDataFolder() / "default_light.json",
                               folder / (LightFilePrefix().toStdString() + ".config")};
    ReadPanelLists(files, GetKindCode(), lists_);
    if (LightingPanel* lighting = Lighting()) ShowEffectLists(*lighting, lists_);
}

void CRezazodaLitDevice::RefreshPage() {
    LoadPanelLists();
    if (LightingPanel* lighting = Lighting()) lighting->ShowLightRecord(GetLightRecord());
}

void CRezazodaLitDevice::BuildModelPage() {
    // The skins put the preview LEDs into the selection panel, which the base binds; a skin
    // with the kind's own light container has them there.
    if (QWidget* lights = findChild<QWidget*>(QString::fromLatin1(LightContainerName())))
        BindButtons(lights);
    if (LightingPanel* lighting = Lighting()) {
        lighting->AttachDevice(DeviceType());
        ShowEffectLists(*lighting, lists_);
    }
    // The page shows the selected profile before the device is read, and takes changes
    // into it while the device is not there.
    (void)LoadProfile();
    RefreshPage();
}

}  // namespace dz
