#include "models/headset_device.h"

#include <algorithm>
#include <cctype>

#include "models/headset_leds.h"
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

bool SameIgnoringCase(const std::string& a, const std::string& b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

EqGains GainsOf(const std::vector<int>& stored) {
    EqGains g{};
    for (size_t i = 0; i < g.size() && i < stored.size(); ++i) g[i] = stored[i];
    return g;
}

constexpr int kMicParam = -1;
constexpr int kMonitorParam = 0;

}  // namespace

void UseHeadsetAudioLibrary(AudioLibrary* library) {
    g_library = library;
    AudioHolder().reset();
}

CRezazodaDO6533Device::CRezazodaDO6533Device(QWidget* parent)
    : CRezazodaLitDevice(std::make_unique<CDo6533Profiledata>(), HeadsetLightingTable(),
                         HeadsetLightingShared(), parent) {}

CRezazodaDO6533Device::~CRezazodaDO6533Device() = default;

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

void CRezazodaDO6533Device::PushLightFrame() {
    CRezazodaLitDevice::PushLightFrame();
    if (HostLighting()) (void)StreamLeds();
}

int CRezazodaDO6533Device::StreamLeds() {
    if (!Channel().IsOpen()) return 0;
    // The reports block in the kernel while the headset is busy: one set at a time, and a
    // frame that comes meanwhile is left out rather than queued.
    if (leds_in_flight_->exchange(true)) {
        ++led_sets_dropped_;
        return 0;
    }
    const HeadsetLedReports reports = BuildHeadsetLedReports(Leds());
    OnDevice(
        [reports, flag = leds_in_flight_](CommandChannel& channel) {
            const int sent = SendHeadsetLedReports(channel, reports);
            flag->store(false);
            return sent;
        },
        [this](int sent) {
            if (sent == 1) ++led_sets_sent_;
        });
    return 1;
}

// ---- Profile and page ---------------------------------------------------------------------

EqGains CRezazodaDO6533Device::StoredGains(bool custom, int index) const {
    CDo6533Profiledata* profile = HeadsetProfile();
    if (profile == nullptr) return {};
    return GainsOf(custom ? profile->GetCustomEqBands(index) : profile->GetEqBands(index));
}

uint32_t CRezazodaDO6533Device::LoadProfile() {
    const uint32_t loaded = CRezazodaLitDevice::LoadProfile();
    CDo6533Profiledata* profile = HeadsetProfile();
    if (loaded == 0 || profile == nullptr) return loaded;
    values_ = profile->GetSystemSetStages();
    custom_names_ = profile->GetCustomEqNames();
    // A list longer than the panel offers keeps its first 20; the rest stay in the file.
    if (custom_names_.size() > static_cast<size_t>(kMaxCustomEqs))
        custom_names_.resize(static_cast<size_t>(kMaxCustomEqs));
    if (values_[kCustomEqSelect] < 0 ||
        values_[kCustomEqSelect] >= static_cast<int>(custom_names_.size()))
        values_[kCustomEqSelect] = 0;
    gains_ = values_[kEqType] == kCustomEqType ? StoredGains(true, values_[kCustomEqSelect])
                                               : StoredGains(false, values_[kEqType]);
    return loaded;
}

void CRezazodaDO6533Device::StoreValues() {
    if (CDo6533Profiledata* profile = HeadsetProfile()) profile->SetSystemSetStages(values_);
}

void CRezazodaDO6533Device::StoreGains(bool custom, int index) {
    CDo6533Profiledata* profile = HeadsetProfile();
    if (profile == nullptr) return;
    const std::vector<int> g(gains_.begin(), gains_.end());
    if (custom)
        profile->SetCustomEqBands(index, g);
    else
        profile->SetEqBands(index, g);
}

void CRezazodaDO6533Device::ShowGains() {
    if (HeadsetSoundPanel* panel = SoundPanel())
        for (int b = 0; b < kEqBands; ++b) panel->SetBandValue(b, gains_[static_cast<size_t>(b)]);
}

void CRezazodaDO6533Device::RefreshPage() {
    CRezazodaLitDevice::RefreshPage();
    if (VoiceChangerPanel* voice = VoicePanel()) {
        voice->SetMagicSwitch(values_[kMagicEnable] != 0);
        voice->SelectMagicOption(values_[kMagicType]);
    }
    HeadsetSoundPanel* panel = SoundPanel();
    if (panel == nullptr) return;
    panel->SetMicInSwitch(values_[kMicInSelect] != 0);
    panel->SetMicInValue(values_[kMicInValue]);
    panel->SetMonitorSwitch(values_[kMonitorSelect] != 0);
    panel->SetMonitorValue(values_[kMonitorValue]);
    panel->SelectEqOption(values_[kEqType]);
    panel->RemoveAllCustomEqs();
    for (const std::string& name : custom_names_) panel->AddCustomEqName(name);
    panel->SelectCustomEq(values_[kCustomEqSelect]);
    panel->ShowCustomEqControls(values_[kEqType] == kCustomEqType);
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
    const std::vector<std::string> messages = SharedAudio().InitAudio(values_);
    HeadsetSoundPanel* panel = SoundPanel();
    for (const std::string& m : messages) {
        log::DebugLine(m.c_str());
        if (panel != nullptr) panel->ShowMessage(m, false);
    }
    std::string missing = Library().Missing();
    if (missing.empty() && !SharedAudio().HasOutput())
        missing = "the headset is not among the sound server's devices: its sound settings "
                  "are only stored";
    if (panel != nullptr) panel->ShowAvailability(missing);
}

void CRezazodaDO6533Device::ReadAudioState() {
    SharedAudio().ReadAudioState(values_);
}

void CRezazodaDO6533Device::ApplyEqPreset(int preset) {
    HeadsetSoundPanel* panel = SoundPanel();
    if (preset == kCustomEqType) {
        values_[kEqType] = kCustomEqType;
        if (panel != nullptr) {
            panel->SelectEqOption(kCustomEqType);
            panel->ShowCustomEqControls(true);
        }
        ApplyCustomEq();
        StoreValues();
        SaveProfile();
        return;
    }
    if (preset < 1 || preset > kEqPresetCount) return;
    gains_ = EqPresets()[static_cast<size_t>(preset - 1)];
    ShowGains();
    SharedAudio().ApplyGains(gains_);
    values_[kEqType] = preset;
    if (panel != nullptr) {
        panel->SelectEqOption(preset);
        panel->ShowCustomEqControls(false);
    }
    StoreValues();
    StoreGains(false, preset);
    SaveProfile();
}

void CRezazodaDO6533Device::ApplyCustomEq() {
    HeadsetSoundPanel* panel = SoundPanel();
    const int k = panel != nullptr ? panel->GetCustomEqIndex() : -1;
    if (k < 0) return;
    gains_ = StoredGains(true, k);
    ShowGains();
    SharedAudio().ApplyGains(gains_);
    values_[kCustomEqSelect] = k;
    StoreValues();
    SaveProfile();
}

void CRezazodaDO6533Device::SetEqBand(int band) {
    HeadsetSoundPanel* panel = SoundPanel();
    if (panel == nullptr || band < 0 || band >= kEqBands) return;
    if (values_[kEqType] != kCustomEqType) {
        values_[kEqType] = kCustomEqType;
        panel->SelectEqOption(kCustomEqType);
        panel->SelectCustomEq(-1);
        panel->ShowCustomEqControls(true);
    }
    const int value = panel->GetBandValue(band);
    gains_[static_cast<size_t>(band)] = value;
    (void)SharedAudio().SetBand(band, value);
}

void CRezazodaDO6533Device::SetLevel(bool monitor) {
    HeadsetSoundPanel* panel = SoundPanel();
    if (panel == nullptr) return;
    const int v = monitor ? panel->GetMonitorValue() : panel->GetMicInValue();
    if (v < 0) return;
    const int param = monitor ? kMonitorParam : kMicParam;
    if (SharedAudio().WriteFloat(false, monitor ? L"AAVolumeScalarControl" : L"VolumeScalarControl",
                           static_cast<float>(v) / 100.0f, &param) != 0)
        return;  // the values and the profile stay as they were
    (void)SharedAudio().Read(false, monitor ? L"AAVolumeControl" : L"VolumeControl", &param);
    values_[monitor ? kMonitorValue : kMicInValue] = v;
    StoreValues();
    SaveProfile();
}

void CRezazodaDO6533Device::Toggle(bool monitor) {
    const size_t select = monitor ? kMonitorSelect : kMicInSelect;
    const bool was_on = values_[select] != 0;
    const int mute = was_on ? 1 : 0;  // the new mute state
    HeadsetSoundPanel* panel = SoundPanel();
    auto show = [&](bool on) {
        if (panel == nullptr) return;
        if (monitor)
            panel->SetMonitorSwitch(on);
        else
            panel->SetMicInSwitch(on);
    };
    show(!was_on);
    if (SharedAudio().WriteInt(false, monitor ? L"AAMuteControl" : L"MuteControl", mute) != 0) {
        // Not applied: the switch shows what is so.
        show(was_on);
        return;
    }
    values_[select] = mute == 0 ? 1 : 0;
    StoreValues();
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
    VoiceChangerPanel* voice = VoicePanel();
    const int on = voice != nullptr ? voice->IsMagicSwitchOn() : 0;
    if (voice != nullptr) voice->SetMagicSwitch(on != 0);
    (void)SharedAudio().WriteInt(false, L"Enable_MAGICVOICE", on);
    if (on == 1) (void)SharedAudio().WriteInt(false, L"Enable_MICECHO", 0);
    values_[kMagicEnable] = on;
    StoreValues();
    SaveProfile();
}

void CRezazodaDO6533Device::SelectMagicVoice(int n) {
    if (n < 1 || n > 4) return;
    (void)SharedAudio().WriteInt(false, L"MagicVoice_Selection", n - 1);
    values_[kMagicType] = n;
    if (VoiceChangerPanel* voice = VoicePanel()) voice->SelectMagicOption(n);
    StoreValues();
    SaveProfile();
}

int CRezazodaDO6533Device::SaveCustomEq() {
    HeadsetSoundPanel* panel = SoundPanel();
    CDo6533Profiledata* profile = HeadsetProfile();
    if (panel == nullptr || profile == nullptr) return -1;
    const std::string name = panel->GetCustomEqName();
    auto take_sliders = [&] {
        for (int b = 0; b < kEqBands; ++b) gains_[static_cast<size_t>(b)] = panel->GetBandValue(b);
    };
    if (name.empty()) {
        const int k = panel->GetCustomEqIndex();
        if (k == -1) return -1;
        take_sliders();
        values_[kCustomEqSelect] = k;
        StoreValues();
        StoreGains(true, k);
        SaveProfile();
        return 1;
    }
    const int count = panel->GetCustomEqCount();
    if (count >= kMaxCustomEqs) return -1;
    for (int i = 0; i < count; ++i)
        if (SameIgnoringCase(panel->GetCustomEqNameAt(i), name)) return 0;
    panel->AddCustomEqName(name);
    const int now = panel->GetCustomEqCount();
    custom_names_.push_back(name);
    take_sliders();
    values_[kCustomEqSelect] = now - 1;
    panel->SelectCustomEq(now - 1);
    StoreValues();
    StoreGains(true, now - 1);
    profile->SetCustomEqNames(custom_names_);
    SaveProfile();
    return 1;
}

void CRezazodaDO6533Device::DeleteCustomEq() {
    HeadsetSoundPanel* panel = SoundPanel();
    CDo6533Profiledata* profile = HeadsetProfile();
    if (panel == nullptr || profile == nullptr) return;
    const int k = panel->GetCustomEqIndex();
    if (k == -1) return;
    // The stored gains move up with their names, so that each name keeps its own.
    std::vector<EqGains> kept;
    for (int i = 0; i < static_cast<int>(custom_names_.size()); ++i)
        if (i != k) kept.push_back(StoredGains(true, i));
    panel->RemoveCustomEqAt(k);
    const int count = panel->GetCustomEqCount();
    if (count == 0) {
        panel->SelectEqOption(1);
        values_[kEqType] = 1;
        StoreValues();
        gains_ = StoredGains(false, 1);
        ShowGains();
        panel->ShowCustomEqControls(false);
        custom_names_.clear();
        profile->SetCustomEqNames(custom_names_);
    } else {
        custom_names_.clear();
        for (int i = 0; i < count; ++i) custom_names_.push_back(panel->GetCustomEqNameAt(i));
        for (size_t i = 0; i < kept.size(); ++i)
            profile->SetCustomEqBands(static_cast<int>(i),
                                      std::vector<int>(kept[i].begin(), kept[i].end()));
        values_[kCustomEqSelect] = 0;
        panel->SelectCustomEq(0);
        StoreValues();
        gains_ = StoredGains(true, 0);
        ShowGains();
        profile->SetCustomEqNames(custom_names_);
    }
    // What is shown is what the headset plays.
    SharedAudio().ApplyGains(gains_);
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
