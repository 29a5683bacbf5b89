#include "models/headset_device.h"

#include <algorithm>
#include <cctype>

#include "models/headset_leds.h"
#include "platform/audio/conf_lib.h"
#include "platform/log/debug_log.h"
#include "profile/device_profiledata.h"

namespace dz {
namespace {

AudioLibrary* g_library = nullptr;

AudioLibrary& Library() {
    static SoundServerLibrary server;
    return g_library != nullptr ? *g_library : server;
}

// The endpoints and feature words are the program's, shared by every headset object.
std::unique_ptr<HeadsetAudio>& AudioHolder() {
    static std::unique_ptr<HeadsetAudio> audio;
    return audio;
}

HeadsetAudio& SharedAudio() {
    std::unique_ptr<HeadsetAudio>& a = AudioHolder();
    if (!a) a = std::make_unique<HeadsetAudio>(Library());
    return *a;
}

}  // namespace

void UseHeadsetAudioLibrary(AudioLibrary* library) {
    g_library = library;
    AudioHolder().reset();
}

CRezazodaDO6533Device::CRezazodaDO6533Device(QWidget* parent)
    : CRezazodaLitDevice(std::make_unique<CDo6533Profiledata>(), HeadsetLightingTable(),
                         HeadsetLightingShared(), parent) {}

// The lighting thread sends this model's reports: it stops before any of the object goes.
CRezazodaDO6533Device::~CRezazodaDO6533Device() {
    Shutdown();
}

CDo6533Profiledata* CRezazodaDO6533Device::HeadsetProfile() const {
    return dynamic_cast<CDo6533Profiledata*>(ProfileData());
}

HeadsetSoundPanel* CRezazodaDO6533Device::SoundPanel() {
    return PanelByName<HeadsetSoundPanel>(QStringLiteral("Voice6533ControlItem"));
}
VoiceChangerPanel* CRezazodaDO6533Device::VoicePanel() {
    return PanelByName<VoiceChangerPanel>(QStringLiteral("MagicControlItem"));
}

// ---- Lighting and power ------------------------------------------------------------------

void CRezazodaDO6533Device::ReadPowerStatus() {
    if (PowerReadPaused() || !Channel().IsOpen()) return;
    OnDevice(&ReadPowerBytes, [this](const PowerRead& read) {
        ++power_reads_done_;
        if (read.result != kCmdOk) return;
        if (PowerDisplay* power = Power()) power->SetPowerStatus(read.bytes.data(), read.bytes.size());
        // Message 0x0D01 (byte 4): the power indicator above is all the page shows of it.
        log::DebugLineF("headset power: message 0x%04X, %u", kMsgHeadsetPower, read.bytes[4]);
    });
}

bool CRezazodaDO6533Device::SendsPictures() const {
    return HostLighting() && Channel().IsOpen();
}

bool CRezazodaDO6533Device::SendPicture() {
    return HostLighting() && StreamLeds() == 1;
}

int CRezazodaDO6533Device::StreamLeds() {
    if (!Channel().IsOpen()) return 0;
    // The reports block in the kernel while the headset is busy: one set at a time, and a
    // frame that comes meanwhile is left out rather than queued.
    if (leds_->in_flight.exchange(true)) {
        ++leds_->dropped;
        return 0;
    }
    const HeadsetLedReports reports = BuildHeadsetLedReports(Leds());
    // Counted where they go, so that the UI thread is not woken for every set.
    OnDevice([reports, sets = leds_](CommandChannel& channel) {
        if (SendHeadsetLedReports(channel, reports) == 1) ++sets->sent;
        sets->in_flight.store(false);
        return 0;
    });
    return 1;
}

// ---- Profile and page ---------------------------------------------------------------------

uint32_t CRezazodaDO6533Device::LoadProfile() {
    const uint32_t loaded = CRezazodaLitDevice::LoadProfile();
    if (CDo6533Profiledata* profile = HeadsetProfile(); loaded != 0 && profile != nullptr)
        sound_.Load(*profile);
    return loaded;
}

void CRezazodaDO6533Device::ShowGains() {
    if (HeadsetSoundPanel* panel = SoundPanel())
        for (int b = 0; b < kEqBands; ++b)
            panel->SetBandValue(b, sound_.Gains()[static_cast<size_t>(b)]);
}

void CRezazodaDO6533Device::RefreshPage() {
    CRezazodaLitDevice::RefreshPage();
    const HeadsetSystemValues& v = sound_.Values();
    if (VoiceChangerPanel* voice = VoicePanel()) {
        voice->SetMagicSwitch(v[kMagicEnable] != 0);
        voice->SelectMagicOption(v[kMagicType]);
    }
    HeadsetSoundPanel* panel = SoundPanel();
    if (panel == nullptr) return;
    panel->SetMicInSwitch(v[kMicInSelect] != 0);
    panel->SetMicInValue(v[kMicInValue]);
    panel->SetMonitorSwitch(v[kMonitorSelect] != 0);
    panel->SetMonitorValue(v[kMonitorValue]);
    panel->SelectEqOption(v[kEqType]);
    panel->RemoveAllCustomEqs();
    for (const std::string& name : sound_.Names()) panel->AddCustomEqName(name);
    panel->SelectCustomEq(v[kCustomEqSelect]);
    panel->ShowCustomEqControls(v[kEqType] == kCustomEqType);
    ShowGains();
}

void CRezazodaDO6533Device::BuildModelPage() {
    CRezazodaLitDevice::BuildModelPage();
    if (HeadsetSoundPanel* panel = SoundPanel()) panel->AttachDevice(DeviceType());
    if (VoiceChangerPanel* voice = VoicePanel()) voice->AttachDevice(DeviceType());
    InitAudio();
    RefreshPage();
}

// ---- Sound ----------------------------------------------------------------------------------

void CRezazodaDO6533Device::InitAudio() {
    const std::vector<std::string> messages = SharedAudio().InitAudio(sound_.Values());
    HeadsetSoundPanel* panel = SoundPanel();
    std::string missing = Library().Missing();
    if (missing.empty() && !SharedAudio().HasOutput()) missing = audio::kMissingHeadset;
    if (panel != nullptr) panel->ShowAvailability(missing);
    for (const std::string& m : messages) {
        log::DebugLine(m.c_str());
        // Without a sound server the panel's line says so; a box at every start (before the
        // window is even shown) would only be in the way.
        if (panel != nullptr && missing != audio::kMissingServer) panel->ShowMessage(m, false);
    }
}

void CRezazodaDO6533Device::ReadAudioState() {
    SharedAudio().ReadAudioState(sound_.Values());
}

void CRezazodaDO6533Device::ApplyEqPreset(int preset) {
    CDo6533Profiledata* profile = HeadsetProfile();
    if (profile == nullptr || !sound_.ApplyPreset(SharedAudio(), *profile, preset)) return;
    HeadsetSoundPanel* panel = SoundPanel();
    if (preset == kCustomEqType) {
        if (panel != nullptr) {
            panel->SelectEqOption(kCustomEqType);
            panel->ShowCustomEqControls(true);
        }
        ApplyCustomEq();
    } else {
        ShowGains();
        if (panel != nullptr) {
            panel->SelectEqOption(preset);
            panel->ShowCustomEqControls(false);
        }
    }
    SaveProfile();
}

void CRezazodaDO6533Device::ApplyCustomEq() {
    HeadsetSoundPanel* panel = SoundPanel();
    CDo6533Profiledata* profile = HeadsetProfile();
    if (panel == nullptr || profile == nullptr) return;
    if (!sound_.ApplyCustom(SharedAudio(), *profile, panel->GetCustomEqIndex())) return;
    ShowGains();
    SaveProfile();
}

void CRezazodaDO6533Device::SetEqBand(int band) {
    HeadsetSoundPanel* panel = SoundPanel();
    if (panel == nullptr || band < 0 || band >= kEqBands) return;
    // The panel shows the custom equaliser, none chosen, before the band is written.
    if (sound_.Values()[kEqType] != kCustomEqType) {
        panel->SelectEqOption(kCustomEqType);
        panel->SelectCustomEq(-1);
        panel->ShowCustomEqControls(true);
    }
    (void)sound_.SetBand(SharedAudio(), band, panel->GetBandValue(band));
}

void CRezazodaDO6533Device::SetLevel(bool monitor) {
    HeadsetSoundPanel* panel = SoundPanel();
    CDo6533Profiledata* profile = HeadsetProfile();
    if (panel == nullptr || profile == nullptr) return;
    const int v = monitor ? panel->GetMonitorValue() : panel->GetMicInValue();
    // Not taken: the values and the profile stay as they were.
    if (sound_.SetLevel(SharedAudio(), *profile, monitor, v)) SaveProfile();
}

void CRezazodaDO6533Device::Toggle(bool monitor) {
    CDo6533Profiledata* profile = HeadsetProfile();
    if (profile == nullptr) return;
    const bool was_on = sound_.Values()[monitor ? kMonitorSelect : kMicInSelect] != 0;
    HeadsetSoundPanel* panel = SoundPanel();
    auto show = [&](bool on) {
        if (panel == nullptr) return;
        if (monitor)
            panel->SetMonitorSwitch(on);
        else
            panel->SetMicInSwitch(on);
    };
    show(!was_on);
    if (!sound_.SetSwitch(SharedAudio(), *profile, monitor, !was_on)) {
        show(was_on);  // not applied: the switch shows what is so
        return;
    }
    SaveProfile();
}

void CRezazodaDO6533Device::SetMicInLevel() {
    SetLevel(false);
}
void CRezazodaDO6533Device::SetMonitorLevel() {
    SetLevel(true);
}
void CRezazodaDO6533Device::ToggleMicIn() {
    Toggle(false);
}
void CRezazodaDO6533Device::ToggleMonitor() {
    Toggle(true);
}

void CRezazodaDO6533Device::SetMagicVoiceEnabled() {
    CDo6533Profiledata* profile = HeadsetProfile();
    if (profile == nullptr) return;
    VoiceChangerPanel* voice = VoicePanel();
    const bool on = voice != nullptr && voice->IsMagicSwitchOn() != 0;
    if (voice != nullptr) voice->SetMagicSwitch(on);
    sound_.SetVoiceEnabled(SharedAudio(), *profile, on);
    SaveProfile();
}

void CRezazodaDO6533Device::SelectMagicVoice(int n) {
    CDo6533Profiledata* profile = HeadsetProfile();
    if (profile == nullptr || !sound_.SelectVoice(SharedAudio(), *profile, n)) return;
    if (VoiceChangerPanel* voice = VoicePanel()) voice->SelectMagicOption(n);
    SaveProfile();
}

int CRezazodaDO6533Device::SaveCustomEq() {
    HeadsetSoundPanel* panel = SoundPanel();
    CDo6533Profiledata* profile = HeadsetProfile();
    if (panel == nullptr || profile == nullptr) return -1;
    EqGains sliders{};
    for (int b = 0; b < kEqBands; ++b) sliders[static_cast<size_t>(b)] = panel->GetBandValue(b);
    const std::string name = panel->GetCustomEqName();
    if (name.empty()) {
        if (!sound_.OverwriteCustom(*profile, panel->GetCustomEqIndex(), sliders)) return -1;
        SaveProfile();
        return 1;
    }
    if (panel->GetCustomEqCount() >= kMaxCustomEqs) return -1;
    const int result = sound_.AddCustom(*profile, name, sliders);
    if (result != 1) return result;
    panel->AddCustomEqName(name);
    panel->SelectCustomEq(panel->GetCustomEqCount() - 1);  // also empties the name edit
    SaveProfile();
    return 1;
}

void CRezazodaDO6533Device::DeleteCustomEq() {
    HeadsetSoundPanel* panel = SoundPanel();
    CDo6533Profiledata* profile = HeadsetProfile();
    if (panel == nullptr || profile == nullptr) return;
    const int k = panel->GetCustomEqIndex();
    if (k == -1 || !sound_.DeleteCustom(SharedAudio(), *profile, k)) return;
    panel->RemoveCustomEqAt(k);
    if (panel->GetCustomEqCount() == 0) {
        panel->SelectEqOption(1);
        ShowGains();
        panel->ShowCustomEqControls(false);
    } else {
        panel->SelectCustomEq(0);
        ShowGains();
    }
    SaveProfile();
}

void CRezazodaDO6533Device::OnEqSave() {
    if (SaveCustomEq() == 0)
        if (HeadsetSoundPanel* panel = SoundPanel()) panel->ShowMessage("message_text_5", true);
}

void CRezazodaDO6533Device::OnSwitch(int which) {
    if (which == 0)
        SetMagicVoiceEnabled();
    else if (which == 1)
        ToggleMicIn();
    else if (which == 2)
        ToggleMonitor();
}

void CRezazodaDO6533Device::OnMicSlider(int which) {
    if (which == 0)
        SetMicInLevel();
    else if (which == 1)
        SetMonitorLevel();
}

}  // namespace dz
