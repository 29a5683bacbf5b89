#pragma once
// CRezazodaDO6533Device: the device object of the USB headset and its page. Its lighting is
// the mousepad's over 13 LEDs (CRezazodaLitDevice), painted on the headset from the host by
// LED output reports; its power state is read with CMD_READ_POWER. Its sound goes through
// the audio configuration library (HeadsetAudio): the equaliser, the custom equalisers, the
// microphone, monitoring and the voice changer, shown in the page's two sound panels.

#include <QTimer>
#include <atomic>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "device/device_worker.h"
#include "ui/ui_call_queue.h"

#include "models/headset_audio.h"
#include "models/headset_sound.h"
#include "models/lit_device.h"

namespace dz {

// The page's window message after a power read: byte 4 of the power bytes.
inline constexpr int kMsgHeadsetPower = 0x0D01;

// The library every headset object uses (the sound server's unless a test sets another).
void UseHeadsetAudioLibrary(AudioLibrary* library);

class CRezazodaDO6533Device : public CRezazodaLitDevice, public HeadsetPanels {
    Q_OBJECT
  public:
    explicit CRezazodaDO6533Device(QWidget* parent = nullptr);
    ~CRezazodaDO6533Device() override;

    void ReadPowerStatus() override;
    // While the host paints the LEDs, the LED array to the headset as its twelve LED
    // reports (never a CMD_LIGHT_FRAME).
    bool SendPicture() override;
    [[nodiscard]] bool SendsPictures() const override;
    // The LED reports of the LED array now, on the device worker; a set still on its way
    // makes this one be left out. 1 when it went to the worker.
    int StreamLeds();
    // Also the sound values, the current gains and the custom equaliser names.
    uint32_t LoadProfile() override;
    // The lighting panel, then the sound panels.
    void RefreshPage() override;
    void BuildModelPage() override;

    // ---- Sound ------------------------------------------------------------------------------
    void InitAudio();
    void ReadAudioState();
    void ApplyEqPreset(int preset);
    void ApplyCustomEq();
    void SetEqBand(int band);
    void SetMicInLevel();
    void ToggleMicIn();
    void SetMonitorLevel();
    void ToggleMonitor();
    void SetMagicVoiceEnabled();
    void SelectMagicVoice(int n);
    // -1 nothing done, 0 the name is in use, 1 saved.
    int SaveCustomEq();
    void DeleteCustomEq();

    // HeadsetPanels: the routing's events on the sound panels.
    void OnVoiceEffect(int n) override { SelectMagicVoice(n); }
    void OnEqPreset(int n) override { ApplyEqPreset(n); }
    void OnEqBand(int n) override { SetEqBand(n); }
    void OnEqSave() override;
    void OnEqDelete() override { DeleteCustomEq(); }
    void OnSwitch(int which) override;
    void OnMicSlider(int which) override;
    void OnCustomEqCombo() override { ApplyCustomEq(); }
    HeadsetPanels* Headset() override { return this; }

    HeadsetSoundPanel* SoundPanel();
    VoiceChangerPanel* VoicePanel();

    [[nodiscard]] const HeadsetSystemValues& SoundValues() const { return sound_.Values(); }
    [[nodiscard]] const EqGains& CurrentGains() const { return sound_.Gains(); }
    [[nodiscard]] const std::vector<std::string>& CustomEqNames() const { return sound_.Names(); }
    [[nodiscard]] int LedSetsSent() const { return leds_->sent.load(); }
    [[nodiscard]] int LedSetsDropped() const { return leds_->dropped.load(); }
    [[nodiscard]] int PowerReadsDone() const { return power_reads_done_; }
    // True when every sound task posted has had its answer on the UI thread.
    [[nodiscard]] bool SoundIdle() const { return sound_answered_ == sound_posted_; }
    // What the sound panel's line says now (a text id; empty: everything is there).
    [[nodiscard]] const std::string& SoundMissing() const { return missing_; }

  protected:
    const char* LightContainerName() const override { return "do6533_device_key_light"; }
    [[nodiscard]] bool FirstSyncExchanges() const override { return false; }
    [[nodiscard]] bool StreamsLightFrames() const override { return false; }
    void AfterFirstSync() override { ReadAudioState(); }

  private:
    // Runs `work` on the sound worker (never on the UI thread: a sound server call may wait),
    // then `done` with its answer on the UI thread, after the panel's line is brought up to
    // date.
    template <class Result>
    void OnSound(std::function<Result(HeadsetAudio&)> work, std::function<void(Result)> done);
    void OnSound(SoundWork work) { OnSound<int>(std::move(work), {}); }
    void ShowMissing(const std::string& missing);
    void ShowSoundPanels();
    [[nodiscard]] CDo6533Profiledata* HeadsetProfile() const;
    void ShowGains();
    void Toggle(bool monitor);
    void SetLevel(bool monitor);

    HeadsetSound sound_;
    // One task at a time against the sound library, in order.
    DeviceWorker sound_worker_;
    int sound_posted_ = 0;
    int sound_answered_ = 0;
    std::string missing_;
    bool audio_started_ = false;
    // The answers on their way to the UI thread; those still waiting when the object goes
    // go with it.
    ui::UiCallQueue sound_answers_;
    // While the sound server or the headset is away: asks now and then whether it is back.
    QTimer server_watch_;

    // Shared with the worker task that sends the reports (outlives the object's task).
    struct LedSets {
        std::atomic<bool> in_flight{false};
        std::atomic<int> sent{0};
        std::atomic<int> dropped{0};
    };
    std::shared_ptr<LedSets> leds_ = std::make_shared<LedSets>();
    int power_reads_done_ = 0;
};

}  // namespace dz
