#include "models/headset_device.h"

#include <algorithm>
#include <cctype>
#include <mutex>

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

// The endpoints and property buffers are shared: one sound task of any headset at a time.
std::mutex& AudioMutex() {
    static std::mutex m;
    return m;
}

// What the panel's line says is missing, asked on the sound worker. A headset the library
// finds again while ours has no endpoints (it came back) is taken up again here.
std::string MissingNow() {
    std::string missing = Library().Missing();
    if (missing.empty() && !SharedAudio().HasOutput()) {
        HeadsetSystemValues scratch{};
        (void)SharedAudio().InitAudio(scratch);
        if (!SharedAudio().HasOutput()) missing = audio::kMissingHeadset;
    }
    return missing;
}

constexpr int kServerWatchMs = 2000;

// What InitAudio brings back from the worker.
struct AudioStart {
    std::vector<std::string> messages;
    HeadsetSystemValues values{};
};

}  // namespace

void UseHeadsetAudioLibrary(AudioLibrary* library) {
    g_library = library;
    AudioHolder().reset();
}

CRezazodaDO6533Device::CRezazodaDO6533Device(QWidget* parent)
    : CRezazodaLitDevice(std::make_unique<CDo6533Profiledata>(), HeadsetLightingTable(),
                         HeadsetLightingShared(), parent) {
    (void)SharedAudio();  // made here, on the UI thread, before any task uses it
    server_watch_.setInterval(kServerWatchMs);
    connect(&server_watch_, &QTimer::timeout, this, [this] {
        // Nothing to apply: the answer's line says whether the server is back.
        if (SoundIdle()) OnSound([](HeadsetAudio&) { return 0; });
    });
}

// The lighting thread sends this model's reports, and the sound task that runs posts its
// answer through the object: both finish before any of the object goes.
CRezazodaDO6533Device::~CRezazodaDO6533Device() {
    Shutdown();
    sound_worker_.Stop();
}

template <class Result>
void CRezazodaDO6533Device::OnSound(std::function<Result(HeadsetAudio&)> work,
                                    std::function<void(Result)> done) {
    ++sound_posted_;
    sound_worker_.Post([this, work = std::move(work), done = std::move(done)]() mutable {
        Result result{};
        std::string missing;
        {
            std::lock_guard lock(AudioMutex());
            result = work(SharedAudio());
            missing = MissingNow();
        }
        sound_answers_.Post([this, done = std::move(done), result = std::move(result),
                  missing = std::move(missing)]() mutable {
            ++sound_answered_;
            ShowMissing(missing);
            if (done) done(std::move(result));
        });
    });
}

void CRezazodaDO6533Device::ShowMissing(const std::string& missing) {
    const auto away = [](const std::string& m) {
        return m == audio::kMissingServer || m == audio::kMissingHeadset;
    };
    const bool back = away(missing_) && !away(missing);
    missing_ = missing;
    if (HeadsetSoundPanel* panel = SoundPanel()) panel->ShowAvailability(missing);
    if (away(missing)) {
        if (!server_watch_.isActive()) server_watch_.start();
        return;
    }
    server_watch_.stop();
    if (!back || !audio_started_) return;
    // A sound server that started again (or a headset plugged in again) has nothing of ours:
    // the endpoints are found again and what the profile says is written again (the
    // server's fresh state is not read back over it).
    OnSound<int>(
        [reapply = sound_.ReapplyWork()](HeadsetAudio& audio) {
            HeadsetSystemValues scratch{};
            (void)audio.InitAudio(scratch);
            return reapply(audio);
        },
        {});
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
    ShowSoundPanels();
}

void CRezazodaDO6533Device::ShowSoundPanels() {
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
// The values change on the UI thread at once, as the panels show them; the library calls
// that apply them run on the sound worker, and what depends on their answer (a level or a
// switch the library refused) is settled when the answer comes.

// The values read back are taken over where the read answered: the six the library reports.
static void TakeReadBack(HeadsetSystemValues& values, const HeadsetSystemValues& read) {
    for (const size_t i : {kMagicEnable, kMagicType, kMicInSelect, kMicInValue, kMonitorSelect,
                           kMonitorValue})
        values[i] = read[i];
}

void CRezazodaDO6533Device::InitAudio() {
    OnSound<AudioStart>(
        [values = sound_.Values()](HeadsetAudio& audio) {
            AudioStart start;
            start.values = values;
            start.messages = audio.InitAudio(start.values);
            return start;
        },
        [this](AudioStart start) {
            audio_started_ = true;
            TakeReadBack(sound_.Values(), start.values);
            ShowSoundPanels();
            HeadsetSoundPanel* panel = SoundPanel();
            for (const std::string& m : start.messages) {
                log::DebugLine(m.c_str());
                // Without a sound server the panel's line says so; a box at every start
                // (before the window is even shown) would only be in the way.
                if (panel != nullptr && missing_ != audio::kMissingServer) panel->ShowMessage(m, false);
            }
        });
}

void CRezazodaDO6533Device::ReadAudioState() {
    OnSound<HeadsetSystemValues>(
        [values = sound_.Values()](HeadsetAudio& audio) {
            HeadsetSystemValues read = values;
            audio.ReadAudioState(read);
            return read;
        },
        [this](HeadsetSystemValues read) {
            TakeReadBack(sound_.Values(), read);
            ShowSoundPanels();
        });
}

void CRezazodaDO6533Device::ApplyEqPreset(int preset) {
    CDo6533Profiledata* profile = HeadsetProfile();
    if (profile == nullptr) return;
    SoundWork work = sound_.PresetWork(*profile, preset);
    if (!work) return;
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
        OnSound(std::move(work));
    }
    SaveProfile();
}

void CRezazodaDO6533Device::ApplyCustomEq() {
    HeadsetSoundPanel* panel = SoundPanel();
    CDo6533Profiledata* profile = HeadsetProfile();
    if (panel == nullptr || profile == nullptr) return;
    SoundWork work = sound_.CustomWork(*profile, panel->GetCustomEqIndex());
    if (!work) return;
    ShowGains();
    OnSound(std::move(work));
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
    if (SoundWork work = sound_.BandWork(band, panel->GetBandValue(band))) OnSound(std::move(work));
}

void CRezazodaDO6533Device::SetLevel(bool monitor) {
    HeadsetSoundPanel* panel = SoundPanel();
    if (panel == nullptr || HeadsetProfile() == nullptr) return;
    const int v = monitor ? panel->GetMonitorValue() : panel->GetMicInValue();
    SoundWork work = HeadsetSound::LevelWork(monitor, v);
    if (!work) return;
    OnSound<int>(std::move(work), [this, monitor, v](int result) {
        CDo6533Profiledata* profile = HeadsetProfile();
        if (result == 0 && profile != nullptr) {
            sound_.StoreLevel(*profile, monitor, v);
            SaveProfile();
            return;
        }
        // Not taken: the values and the profile stay as they were, and so does the slider.
        if (HeadsetSoundPanel* p = SoundPanel()) {
            const int stored = sound_.Values()[monitor ? kMonitorValue : kMicInValue];
            if (monitor)
                p->SetMonitorValue(stored);
            else
                p->SetMicInValue(stored);
        }
    });
}

void CRezazodaDO6533Device::Toggle(bool monitor) {
    if (HeadsetProfile() == nullptr) return;
    const bool was_on = sound_.Values()[monitor ? kMonitorSelect : kMicInSelect] != 0;
    auto show = [this, monitor](bool on) {
        HeadsetSoundPanel* panel = SoundPanel();
        if (panel == nullptr) return;
        if (monitor)
            panel->SetMonitorSwitch(on);
        else
            panel->SetMicInSwitch(on);
    };
    show(!was_on);
    OnSound<int>(HeadsetSound::SwitchWork(monitor, !was_on), [this, monitor, was_on, show](int result) {
        CDo6533Profiledata* profile = HeadsetProfile();
        if (result != 0 || profile == nullptr) {
            show(was_on);  // not applied: the switch shows what is so
            return;
        }
        sound_.StoreSwitch(*profile, monitor, !was_on);
        SaveProfile();
    });
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
    OnSound(sound_.VoiceEnabledWork(*profile, on));
    SaveProfile();
}

void CRezazodaDO6533Device::SelectMagicVoice(int n) {
    CDo6533Profiledata* profile = HeadsetProfile();
    if (profile == nullptr) return;
    SoundWork work = sound_.VoiceWork(*profile, n);
    if (!work) return;
    if (VoiceChangerPanel* voice = VoicePanel()) voice->SelectMagicOption(n);
    OnSound(std::move(work));
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
    if (k == -1) return;
    SoundWork work = sound_.DeleteWork(*profile, k);
    if (!work) return;
    panel->RemoveCustomEqAt(k);
    if (panel->GetCustomEqCount() == 0) {
        panel->SelectEqOption(1);
        ShowGains();
        panel->ShowCustomEqControls(false);
    } else {
        panel->SelectCustomEq(0);
        ShowGains();
    }
    OnSound(std::move(work));
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
