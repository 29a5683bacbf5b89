#pragma once
// CRezazodaUSBDevice: the device object. It is the model of one device kind (identity,
// channels, device state, profile data) and, at the same time, the root container of that
// kind's page in the window. The main window builds one per kind when the page is first
// needed and binds the devices that come and go to it. The four models derive from it and
// override the ordered device operations below.
//
// Threads: page events, selector timers and every operation below run on the UI thread,
// which never waits on the device: what talks to the device runs on the object's device
// worker (OnDevice) and comes back to the UI thread as a queued call. The lighting thread
// runs the model's lighting program into the LED array; the notification listeners only
// post to the UI thread. Everything shared with them is atomic.
//
// Layers: the object depends on nothing above the device layer. The routing, the profile
// bar and the selector entry reach it through the faces of device_page.h and
// selector_device.h, and it reaches them through the same faces.

#include <QPointer>
#include <QWidget>
#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <memory>
#include <mutex>
#include <vector>

#include "device/command_channel.h"
#include "device/device_page.h"
#include "device/device_table.h"
#include "device/device_worker.h"
#include "device/light_frame.h"
#include "device/light_stream_thread.h"
#include "device/lighting/effect_steps.h"
#include "device/lighting/led_array.h"
#include "device/lighting/reactive.h"
#include "device/lighting_thread.h"
#include "device/notification_listener.h"
#include "device/selector_device.h"
#include "profile/profile_records.h"
#include "ui/ui_call_queue.h"

namespace dz {

class CBasicProfiledata;

// One per-light extra record of the models with stored multi-frame effects.
using LightExtraRecord = std::array<uint8_t, 14>;

// The program-wide flag a 0x0402 notification sets; Resync reloads the profile list.
[[nodiscard]] std::atomic<bool>& ProfileListChangedFlag();

// Selector timers the device starts on its item.
inline constexpr int kTimerResync = 1002;
inline constexpr int kResyncDelayMs = 50;
// Notification usages the base object handles; above the second the model does.
inline constexpr uint16_t kUsageResync = 0x0401;
inline constexpr uint16_t kUsageProfileListChanged = 0x0402;

class CRezazodaUSBDevice : public QWidget, public DevicePage, public SelectorDevice {
    Q_OBJECT
  public:
    explicit CRezazodaUSBDevice(QWidget* parent = nullptr);
    ~CRezazodaUSBDevice() override;

    // ---- The device operation interface, in its order ---------------------------------
    virtual void BindPage();                                     // 1
    uint32_t ApplyLighting() override { return 0; }              // 2
    virtual void EffectBreathWheel();                            // 3
    virtual void EffectBreathFour();                             // 4
    virtual void EffectStatic();                                 // 5
    virtual void EffectWheel();                                  // 6
    virtual void EffectBlinkWheel();                             // 7
    virtual void EffectBlinkFour();                              // 8
    virtual void EffectOff();                                    // 9
    void PushLightFrame() override;                              // 10
    virtual void SetLedColour(int led, uint32_t packed);         // 11
    [[nodiscard]] virtual uint32_t GetLedColour(int led) const;  // 12
    void FirstSync() override {}                                 // 13
    void Resync() override {}                                    // 14
    void SpareOperation1() override {}                           // 15
    void SpareOperation2() override {}                           // 16
    void ReadPowerStatus() override {}                           // 17
    // Waits on the device: runs on the device worker only (CheckLink asks it there).
    // The channel is open and, through a receiver, the receiver answers linked.
    [[nodiscard]] virtual bool IsLinked();         // 18
    uint32_t LoadProfile() override { return 0; }  // 19
    void RefreshPage() override {}                 // 20
    virtual void CheckMacroKeys() {}               // 21
    void RestoreDefaults() override {}             // 22
    // The macros the keys play, as "macro.config" numbers, in the device's numbering order.
    [[nodiscard]] virtual std::vector<int> GetMacroList() const { return {}; }  // 23
    // The writes below run on the device worker: their result says whether one was started
    // (1) or the device cannot be reached (0).
    virtual uint32_t WriteKeyMap(int /*profile*/, const std::vector<KeyAssignmentEntry>& /*keys*/) {
        return 0;
    }                                                                    // 24
    uint32_t WriteCurrentKeyMap(int /*profile*/) override { return 0; }  // 25
    // `done` runs on the UI thread with the answer: 0 written (or nothing to write), a
    // positive shortage in events when the macros do not fit, -1 when they were not written.
    virtual void WriteMacros(const std::vector<int>& /*macros*/,
                             std::function<void(int answer)> done) {
        if (done) done(0);
    }  // 26
    uint32_t WriteSystemSettings(int /*profile*/, int /*value*/, int /*flag*/, int /*screen_w*/,
                                 int /*screen_h*/) override {
        return 0;
    }                                                                               // 27
    virtual void LoadPanelLists() {}                                                // 28
    virtual void SetKeyLedMap(const std::vector<uint8_t>& map);                     // 29
    virtual void ReactiveDecay(int led, int variant);                               // 30
    virtual void ReactiveTrigger();                                                 // 31
    virtual void ReactiveRotate(int direction);                                     // 32
    virtual void ReactiveClear();                                                   // 33
    virtual void SetFunctionPage(int page_type);                                    // 34
    [[nodiscard]] int GetFunctionPage() const override { return function_page_; }   // 35
    virtual void SetProfilePaths() {}                                               // 36
    [[nodiscard]] virtual QString GetProfileName() const { return {}; }             // 37
    void SaveProfile() override {}                                                  // 38
    virtual void SetKindCode(int code) { kind_code_ = code; }                       // 39
    [[nodiscard]] virtual int GetKindCode() const { return kind_code_; }            // 40
    virtual void SetLightInfo(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3);  // 41
    virtual void SetAudioLightInfo(uint32_t a, uint32_t b, uint32_t c);             // 42
    [[nodiscard]] virtual std::array<uint32_t, 3> GetAudioLightInfo();              // 43
    void SelectKey(int key) override { selected_key_ = key; }                       // 44
    virtual void FeedAudioSpectrum(const int32_t* /*bands*/, int /*count*/) {}      // 45
    virtual void FeedHostColour(const uint32_t* /*values*/, int /*count*/) {}       // 46
    // The routing's macro-memory write: WriteMacros(GetMacroList(), done).
    void WriteMacros(std::function<void(int answer)> done) override;

    // ---- Every model adds these after the interface ------------------------------------
    // Binds the model's own page (panels and buttons); the models' BindPage calls it.
    virtual void BuildModelPage() {}
    // The four words of the lighting settings.
    [[nodiscard]] virtual std::array<uint32_t, 4> GetLightInfo() const;

    // ---- Table values and binding (not virtual) ----------------------------------------
    void SetKeyCount(int count);
    void SetLightCount(int count);
    [[nodiscard]] int KeyCount() const { return static_cast<int>(key_buttons_.size()); }
    [[nodiscard]] int LightCount() const { return static_cast<int>(light_buttons_.size()); }
    void SetKindIndex(int index) { kind_index_ = index; }
    void SetPowerFlag(bool on) { power_flag_ = on; }
    void SetPageSkin(const QString& skin) { page_skin_ = skin; }
    void SetKindName(const QString& name) { kind_name_ = name; }
    void SetLightFilePrefix(const QString& prefix) { light_prefix_ = prefix; }
    [[nodiscard]] const QString& PageSkin() const { return page_skin_; }
    [[nodiscard]] const QString& KindName() const { return kind_name_; }
    [[nodiscard]] const QString& LightFilePrefix() const { return light_prefix_; }
    // The page's selector entry and power indicator (each may be null; each is reached
    // through its face, SelectorEntry and PowerDisplay).
    void BindSelector(QWidget* item, QWidget* power);
    [[nodiscard]] SelectorEntry* Entry() const;
    [[nodiscard]] PowerDisplay* Power() const;
    // Also sets device type and role.
    void SetInterfaceRecord(const SupportedDeviceRecord& record);
    [[nodiscard]] const SupportedDeviceRecord& InterfaceRecord() const { return record_; }
    [[nodiscard]] uint16_t DeviceType() const { return device_type_.load(); }
    [[nodiscard]] uint16_t Role() const { return role_; }
    void SetProfileName(const QString& uuid) { profile_name_ = uuid; }
    void SetProfileName(const std::string& uuid) override {
        SetProfileName(QString::fromStdString(uuid));
    }
    [[nodiscard]] const QString& ProfileName() const { return profile_name_; }

    // Host lighting: a non-zero value on a keyboard (device type 1) also tells it so.
    void SetHostLighting(bool on);
    [[nodiscard]] bool HostLighting() const { return host_flag_.IsSet(); }
    void SetPreview(bool on) { preview_.store(on); }

    // The key and light buttons bound from the page (null where the page has none).
    [[nodiscard]] QWidget* KeyButton(int n) const;
    [[nodiscard]] QWidget* LightButton(int n) const;
    // The light button that is key button n too, or -1.
    [[nodiscard]] int LightOfKey(int key) const override;

    // The profile data of the current profile (the model chooses its class).
    void SetProfileData(std::unique_ptr<CBasicProfiledata> profile_data);
    [[nodiscard]] CBasicProfiledata* ProfileData() const { return profile_data_.get(); }

    // Channels and state.
    [[nodiscard]] CommandChannel& Channel() { return channel_; }
    [[nodiscard]] const CommandChannel& Channel() const { return channel_; }
    [[nodiscard]] lighting::LedArray& Leds() { return leds_; }
    [[nodiscard]] const LightStreamThread& Stream() const { return stream_; }
    [[nodiscard]] DeviceInfoBlock& Info() { return info_; }
    [[nodiscard]] bool PowerReadPaused() const { return power_read_pause_.load(); }

    // The notification listener of one path: 0 cable, 1 receiver. Open stops a running
    // listener of that path first.
    void OpenListener(int path_index, const std::string& path);
    void StopListener(int path_index);
    [[nodiscard]] bool ListenerOpen(int path_index) const;

    // The lighting thread: runs the lighting program at the model's interval until
    // stopped (within 1000 ms).
    void StartLightingThread(std::chrono::milliseconds interval);
    void StopLightingThread() { lighting_.Stop(); }
    [[nodiscard]] bool LightingThreadRunning() const { return lighting_.Running(); }

    // Ends the device's threads (worker, lighting, stream, listeners) and closes its
    // channels. The destructor does it too; the main window does it for every device
    // before it waits for its own workers.
    void Shutdown();
    // The device worker (tests wait on it).
    [[nodiscard]] DeviceWorker& Worker() { return worker_; }

    // ---- Profile folders --------------------------------------------------------------
    // The user data folder of a kind (created when missing).
    [[nodiscard]] static std::filesystem::path ProfileFolder(const QString& kind_name);
    [[nodiscard]] static std::filesystem::path DefaultDataFolder();
    [[nodiscard]] static std::filesystem::path DefaultDataFile(const QString& kind_name);
    [[nodiscard]] std::filesystem::path ProfileFile() const override;

    // ---- SelectorDevice ---------------------------------------------------------------
    [[nodiscard]] bool ChannelOpen() const override { return channel_.IsOpen(); }
    [[nodiscard]] bool ReceiverMode() const override { return channel_.IsReceiverMode(); }
    [[nodiscard]] bool PowerFlag() const override { return power_flag_; }
    [[nodiscard]] bool PreviewFlag() const override { return preview_.load(); }
    [[nodiscard]] int DeviceKindIndex() const override { return kind_index_; }
    void CheckLink(std::function<void(bool linked)> done) override;
    // Moving while the lighting program animates or the LED array changed since the last
    // frame; still otherwise, and always through a receiver. Moving is the stream's pace
    // when frames go to the device, else the screen's refresh while the page is visible and
    // still while it is hidden.
    [[nodiscard]] int FrameInterval() const override;

    // ---- DevicePage (the routing's view) ----------------------------------------------
    [[nodiscard]] int KindIndex() const override { return kind_index_; }
    [[nodiscard]] bool IsKeyboardOrMouse() const override {
        return kind_index_ == 0 || kind_index_ == 1;
    }
    [[nodiscard]] bool HasPowerFlag() const override { return power_flag_; }
    void SetLightControlState(int state) override { SetHostLighting(state != 0); }
    void SetHoverState(int hover) override { SetPreview(hover != 0); }
    [[nodiscard]] LightRecord GetLightRecord() const override;
    // Synchronised lighting: while the flag is set the main window's synchronisation thread
    // gives every light its colour, and the device's own lighting program stands still.
    // Cleared, the program takes over again at once.
    void SetLightSync(bool on) override;
    [[nodiscard]] bool LightSync() const { return light_sync_.load(); }
    // Any thread: `word` (red | green << 8 | blue << 16 | brightness << 24) on every light.
    // PictureMoved then sends it.
    void ShowSyncColour(uint32_t word);
    // Any thread, after the LED array changed (a step of the lighting thread, a colour of
    // the synchronisation thread): the new picture goes to the device at once, and the
    // page is asked to show it.
    void PictureMoved();
    void SetLightRecord(const LightRecord& record) override;
    void SetPowerReadPause(bool pause) override { power_read_pause_.store(pause); }
    // An operation tab: the page shows that feature and the profile bar marks the tab.
    void OnFeatureTab(int which) override;
    ProfileBar* Profiles() override;

  protected:
    // Runs `io(channel)` on the device worker, in order with every other device task of
    // this object, then `done(result)` on the UI thread, unless the object is gone by
    // then. `io` must use nothing of the object but the channel it is given: the object
    // may be in its destructor while a task runs (the destructor aborts the exchange and
    // waits for the task).
    template <class Io, class Done>
    void OnDevice(Io io, Done done);
    // The same without a result to bring back.
    template <class Io>
    void OnDevice(Io io);

    // The model's lighting program (before the thread starts); the base shows the
    // lighting settings' colour. The object owns it and stops the thread before it goes.
    void SetLightingProgram(std::unique_ptr<LightingProgram> program);
    // Wakes the lighting thread for a step now (the settings changed); the step sends and
    // shows the new picture. UI thread.
    void WakeLighting();
    // Called on the UI thread for each notification usage above 0x0402.
    virtual void OnDeviceNotification(uint16_t /*usage*/) {}
    // Sends the LED array's picture to the device: by default the CMD_LIGHT_FRAME frame
    // over a cable while the model streams; a model with reports of its own sends those.
    // Any thread (a lighting step, the synchronisation thread, the selector's pace), under
    // the picture lock; it never waits on the device. True when the picture went.
    virtual bool SendPicture();
    // Whether SendPicture sends anything now. Any thread.
    [[nodiscard]] virtual bool SendsPictures() const;
    // Gives the page's light buttons the LED array's picture when it changed and the page
    // is visible. UI thread; a model with more lights on its page shows them too.
    virtual void PaintPicture();
    // What SendPicture streams of the frame `shown` (3 bytes per light, scaled by alpha):
    // the lights to stream, with their bytes in `streamed`; 0 streams nothing. By default
    // the frame as it is, every light of the page.
    // Asked at every frame, so that it may depend on more than the lights.
    virtual int StreamedFrame(const LightFrameBytes& shown, LightFrameBytes& streamed);
    // The same with the path it came on (0 cable, 1 receiver), for a model to which that
    // matters; by default the path is not looked at.
    virtual void OnDeviceNotificationFrom(uint16_t usage, int /*path_index*/) {
        OnDeviceNotification(usage);
    }
    // How long after a synchronisation request (0x0401) the selector's timer 1002 runs.
    [[nodiscard]] virtual int ResyncDelayMs() const { return kResyncDelayMs; }
    // Whether frames go to the device now (over a cable); by default always. A model that
    // streams only some effects says so, and its frames then follow the page alone.
    [[nodiscard]] virtual bool StreamsLightFrames() const { return true; }
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    [[nodiscard]] lighting::EffectSettings CurrentEffectSettings() const;
    // The page's profile bar, or null when the page has none.
    [[nodiscard]] ProfileBar* ProfileBarControl() const;
    // Binds the "DeviceKeyButton" children of `container`: "key_" n as key button n, user
    // data "light_" m as light button m (white at alpha 255), each below its count.
    void BindButtons(QWidget* container);
    // The control `name` of the page, or the control inside it, that implements `Face` (a
    // panel face of device_page.h); null when the page has none.
    template <class Face>
    [[nodiscard]] Face* PanelByName(const QString& name) const;

    lighting::EffectCounters counters_;  // lighting thread only
    lighting::ReactiveBuffers reactive_;
    std::mutex light_extra_lock_;
    std::vector<LightExtraRecord> light_extra_;
    std::mutex effect_frames_lock_;
    std::vector<std::vector<uint8_t>> effect_frames_;

  private:
    void OnNotification(uint16_t usage, int path_index);  // UI thread
    void BindProfileBar();
    void StartResyncTimer();
    // UI thread: the selector's timer brings the page's next picture when it is due.
    void RepaintSoon();
    // SendPicture when the picture changed since the last one sent, or (keep_alive) when
    // the last one went a still interval ago.
    void SendPictureIfDue(bool keep_alive);
    // How often the page's picture is drawn again while it moves: one refresh of its screen
    // (60 Hz when it says nothing), but no more than 25 pictures a second, which look smooth
    // and cost a fraction of 60.
    [[nodiscard]] std::chrono::milliseconds RepaintInterval() const;
    static constexpr std::chrono::milliseconds kPreviewFramePeriod{50};
    // Posts `done` to the UI thread (the object's thread); dropped when the object goes.
    void PostToUi(std::function<void()> done);

    // Identity.
    SupportedDeviceRecord record_{};
    std::atomic<uint16_t> device_type_{0};
    uint16_t role_ = 0;
    int kind_index_ = -1;
    int kind_code_ = 0;
    bool power_flag_ = false;
    QString page_skin_;
    QString kind_name_;
    QString light_prefix_;
    QString profile_name_;

    // Communication.
    CommandChannel channel_;
    CommandChannel notify_channel_;  // its two interfaces and locks carry the listeners
    std::array<std::unique_ptr<NotificationListener>, 2> listeners_;
    DeviceInfoBlock info_{};
    std::unique_ptr<CBasicProfiledata> profile_data_;

    // Lighting state; the words are read by the lighting thread.
    std::array<std::atomic<uint32_t>, 4> light_words_{};
    std::array<uint32_t, 3> audio_words_{};
    lighting::LedArray leds_;
    std::vector<uint8_t> key_led_map_;
    HostLightingFlag host_flag_{channel_};
    LightStreamThread stream_{channel_};
    std::atomic<bool> power_read_pause_{false};
    std::atomic<bool> preview_{true};

    // Threads, declared after what they use so that they go first; their answers come
    // back through the queue.
    ui::UiCallQueue ui_calls_;
    std::unique_ptr<LightingProgram> lighting_program_;
    std::atomic<bool> light_sync_{false};
    std::unique_ptr<LightingProgram> lighting_gate_;  // runs lighting_program_ unless synced
    std::chrono::milliseconds lighting_interval_{20};
    LightingThread lighting_;
    DeviceWorker worker_;

    // Page.
    std::vector<QPointer<QWidget>> key_buttons_;
    std::vector<QPointer<QWidget>> light_buttons_;
    std::vector<QRgb> shown_colours_;   // what each light button shows now
    LightFrameBytes painted_frame_{};  // UI thread
    uint64_t painted_version_ = ~uint64_t{0};  // what the buttons show
    std::atomic<bool> page_shown_{false};
    std::atomic<bool> repaint_pending_{false};  // a picture asked of the page, not yet painted
    // What went to the device last; under the picture lock.
    std::mutex picture_lock_;
    LightFrameBytes send_frame_{};
    LightFrameBytes streamed_frame_{};  // what StreamedFrame makes of send_frame_
    uint64_t sent_version_ = ~uint64_t{0};
    std::chrono::steady_clock::time_point last_sent_at_{};
    std::chrono::steady_clock::time_point last_paint_{};
    QPointer<QWidget> profile_bar_;  // a ProfileBar
    QPointer<QWidget> function_switch_;
    QPointer<QWidget> key_function_switch_;
    bool switches_looked_up_ = false;
    QPointer<QWidget> item_;   // a SelectorEntry
    QPointer<QWidget> power_;  // a PowerDisplay
    int function_page_ = 1;
    int selected_key_ = -1;
};

template <class Face>
Face* CRezazodaUSBDevice::PanelByName(const QString& name) const {
    QWidget* holder = findChild<QWidget*>(name);
    if (holder == nullptr) return nullptr;
    if (auto* face = dynamic_cast<Face*>(holder)) return face;
    for (QWidget* w : holder->findChildren<QWidget*>()) {
        if (auto* face = dynamic_cast<Face*>(w)) return face;
    }
    return nullptr;
}

template <class Io, class Done>
void CRezazodaUSBDevice::OnDevice(Io io, Done done) {
    worker_.Post([this, io = std::move(io), done = std::move(done)]() mutable {
        auto result = io(channel_);
        PostToUi([done = std::move(done), result = std::move(result)]() mutable {
            done(std::move(result));
        });
    });
}

template <class Io>
void CRezazodaUSBDevice::OnDevice(Io io) {
    worker_.Post([this, io = std::move(io)]() mutable { (void)io(channel_); });
}

}  // namespace dz
