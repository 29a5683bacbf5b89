#include "device/usb_device.h"

#include <QMetaObject>
#include <QScreen>
#include <cmath>

#include "device/function_page.h"
#include "platform/log/debug_log.h"
#include "platform/paths/paths.h"
#include "profile/basic_profiledata.h"
#include "profile/text_util.h"
#include "ui/control_ops.h"
#include "ui/skin_setup.h"
#include "ui/widgets/device_key_button.h"
#include "ui/widgets/light_layer.h"

namespace dz {

namespace {

constexpr QRgb kUnlitButton = 0xFFFFFFFF;  // white at alpha 255

bool PrefixIs(const std::optional<IndexedName>& split, const char* prefix) {
    return split && split->numeric &&
           QString::fromStdString(split->prefix)
                   .compare(QLatin1String(prefix), Qt::CaseInsensitive) == 0;
}

uint64_t SteadyMillis() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

}  // namespace

// The lighting settings' colour on every light; still until the settings change.
class StaticColourProgram : public LightingProgram {
  public:
    explicit StaticColourProgram(CRezazodaUSBDevice& device) : device_(device) {}
    bool Step() override {
        device_.EffectStatic();
        return false;
    }

  private:
    CRezazodaUSBDevice& device_;  // its base part: the settings words and the LED array
};

// The model's program, except while the synchronisation thread owns the lights.
class SyncGate : public LightingProgram {
  public:
    SyncGate(const std::unique_ptr<LightingProgram>& program, const std::atomic<bool>& synced,
             std::function<bool()> observed, std::function<void()> stepped)
        : program_(program),
          synced_(synced),
          observed_(std::move(observed)),
          stepped_(std::move(stepped)) {}
    bool Step() override {
        if (synced_.load()) return false;  // still until the flag is cleared (a wake)
        // A picture nobody sees and the device does not take is not made: the thread sleeps
        // until the page is shown or the device takes pictures again (a wake).
        if (!observed_()) return false;
        const bool moving = program_->Step();
        stepped_();
        return moving;
    }
    std::chrono::milliseconds NextStepIn(std::chrono::milliseconds interval) override {
        return program_->NextStepIn(interval);
    }
    [[nodiscard]] std::optional<std::chrono::steady_clock::time_point> NextDeadline()
        const override {
        return program_->NextDeadline();
    }
    [[nodiscard]] const char* EndLine() const override { return program_->EndLine(); }

  private:
    const std::unique_ptr<LightingProgram>& program_;  // replaced only while the thread stops
    const std::atomic<bool>& synced_;
    std::function<bool()> observed_;
    std::function<void()> stepped_;  // after every step, on the lighting thread
};

std::atomic<bool>& ProfileListChangedFlag() {
    static std::atomic<bool> flag{false};
    return flag;
}

CRezazodaUSBDevice::CRezazodaUSBDevice(QWidget* parent)
    : QWidget(parent),
      lighting_program_(std::make_unique<StaticColourProgram>(*this)),
      lighting_gate_(std::make_unique<SyncGate>(
          lighting_program_, light_sync_, [this] { return page_shown_.load() || SendsPictures(); },
          [this] { PictureMoved(); })) {
    device_type_.store(1);  // the keyboard object starts as a keyboard
    ui::MakeOptionGroupScope(this);
}

CRezazodaUSBDevice::~CRezazodaUSBDevice() {
    Shutdown();
}

void CRezazodaUSBDevice::Shutdown() {
    // Closing the interfaces first ends an exchange the worker waits in.
    channel_.SetOpen(false);
    channel_.CableInterface().Close();
    channel_.ReceiverInterface().Close();
    worker_.Stop();
    lighting_.Stop();
    stream_.Stop();
    StopListener(0);
    StopListener(1);
}

void CRezazodaUSBDevice::PostToUi(std::function<void()> done) {
    // The queue dies with the object, so a late answer reaches no dead object.
    ui_calls_.Post(std::move(done));
}

void CRezazodaUSBDevice::WriteMacros(std::function<void(int answer)> done) {
    WriteMacros(GetMacroList(), std::move(done));
}

bool CRezazodaUSBDevice::IsLinked() {
    if (!channel_.IsOpen()) return false;
    return channel_.LinkQuery();  // true on the cable without asking
}

void CRezazodaUSBDevice::CheckLink(std::function<void(bool linked)> done) {
    OnDevice([](CommandChannel& channel) { return channel.IsOpen() && channel.LinkQuery(); },
             std::move(done));
}

// ---- Page binding -----------------------------------------------------------------------

void CRezazodaUSBDevice::BindPage() {
    if (page_skin_.isEmpty()) {
        SetKeyCount(0);
        SetLightCount(0);
        return;
    }
    BindProfileBar();
    BindButtons(findChild<QWidget*>(QStringLiteral("SelectPanel"), Qt::FindDirectChildrenOnly));
}

void CRezazodaUSBDevice::BindButtons(QWidget* panel) {
    if (panel == nullptr) return;
    // The lights are drawn by one layer over the keys (a preview repaints them all).
    auto* layer = panel->findChild<ui::LightLayer*>(QString(), Qt::FindDirectChildrenOnly);
    if (layer == nullptr) layer = new ui::LightLayer(panel);
    for (QObject* child : panel->children()) {
        auto* button = qobject_cast<ui::DeviceKeyButton*>(child);
        if (button == nullptr) continue;
        const auto by_name = SplitIndexedName(button->objectName().toStdString());
        if (PrefixIs(by_name, "key_") && by_name->number < KeyCount())
            key_buttons_[static_cast<size_t>(by_name->number)] = button;
        const auto by_data = SplitIndexedName(ui::UserData(button).toStdString());
        if (PrefixIs(by_data, "light_") && by_data->number < LightCount()) {
            light_buttons_[static_cast<size_t>(by_data->number)] = button;
            layer->Track(button);
            button->SetLightColor(kUnlitButton);
        }
    }
}

// The page's profile bar: the kind's profile list, and the profile the device works on.
void CRezazodaUSBDevice::BindProfileBar() {
    QWidget* holder = findChild<QWidget*>(QStringLiteral("DeviceProfileItem"));
    if (holder == nullptr) return;
    // The holder itself, or the bar built into it.
    QWidget* found = dynamic_cast<ProfileBar*>(holder) != nullptr ? holder : nullptr;
    for (QWidget* w : holder->findChildren<QWidget*>()) {
        if (found != nullptr) break;
        if (dynamic_cast<ProfileBar*>(w) != nullptr) found = w;
    }
    if (found == nullptr) return;
    profile_bar_ = found;
    ProfileBar* bar = ProfileBarControl();
    bar->AttachDevice(this, device_type_.load(), ProfileFolder(kind_name_),
                      DefaultDataFile(kind_name_));
    bar->Initialise();
    bar->SelectOpTab(1);
    SetProfileName(bar->GetCurrentUUID());
}

ProfileBar* CRezazodaUSBDevice::ProfileBarControl() const {
    return dynamic_cast<ProfileBar*>(profile_bar_.data());
}

ProfileBar* CRezazodaUSBDevice::Profiles() {
    return ProfileBarControl();
}

void CRezazodaUSBDevice::OnFeatureTab(int which) {
    const int tab = which + 1;  // the tabs count from 1
    SetFunctionPage(tab);
    if (ProfileBar* bar = ProfileBarControl()) bar->SelectOpTab(tab);
}

void CRezazodaUSBDevice::SetKeyCount(int count) {
    key_buttons_.assign(static_cast<size_t>(std::max(count, 0)), nullptr);
}

void CRezazodaUSBDevice::SetLightCount(int count) {
    const size_t n =
        static_cast<size_t>(std::clamp(count, 0, static_cast<int>(lighting::kMaxLights)));
    light_buttons_.assign(n, nullptr);
    {
        std::lock_guard lock(light_extra_lock_);
        light_extra_.assign(n, LightExtraRecord{});
    }
    leds_.Resize(n);
    shown_colours_.assign(n, kUnlitButton);
}

QWidget* CRezazodaUSBDevice::KeyButton(int n) const {
    if (n < 0 || n >= KeyCount()) return nullptr;
    return key_buttons_[static_cast<size_t>(n)];
}

QWidget* CRezazodaUSBDevice::LightButton(int n) const {
    if (n < 0 || n >= LightCount()) return nullptr;
    return light_buttons_[static_cast<size_t>(n)];
}

int CRezazodaUSBDevice::LightOfKey(int key) const {
    const QWidget* button = KeyButton(key);
    if (button == nullptr) return -1;
    for (size_t m = 0; m < light_buttons_.size(); ++m)
        if (light_buttons_[m] == button) return static_cast<int>(m);
    return -1;
}

void CRezazodaUSBDevice::BindSelector(QWidget* item, QWidget* power) {
    item_ = item;
    power_ = power;
}

SelectorEntry* CRezazodaUSBDevice::Entry() const {
    return dynamic_cast<SelectorEntry*>(item_.data());
}

PowerDisplay* CRezazodaUSBDevice::Power() const {
    return dynamic_cast<PowerDisplay*>(power_.data());
}

void CRezazodaUSBDevice::SetInterfaceRecord(const SupportedDeviceRecord& record) {
    record_ = record;
    device_type_.store(record.type);
    role_ = record.role;
}

void CRezazodaUSBDevice::SetHostLighting(bool on) {
    const int value = on ? 1 : 0;
    {
        // Once it is clear no picture is sent any more, not even one a step is making.
        std::lock_guard lock(picture_lock_);
        host_flag_.Store(value);
    }
    if (on) lighting_.Wake();  // it may have slept while its pictures went nowhere
    if (HostLightingFlag::Sends(value, device_type_.load()))
        OnDevice([](CommandChannel& channel) { return channel.HostLighting(); });
}

// ---- Function page ------------------------------------------------------------------

void CRezazodaUSBDevice::SetFunctionPage(int page_type) {
    function_page_ = page_type;
    if (!switches_looked_up_) {
        function_switch_ = findChild<QWidget*>(QStringLiteral("device_function_switch"));
        key_function_switch_ = findChild<QWidget*>(QStringLiteral("device_key_function_switch"));
        switches_looked_up_ = true;
    }
    if (function_switch_ == nullptr || key_function_switch_ == nullptr) return;
    const FunctionPages pages = FunctionPagesFor(page_type, device_type_.load());
    (void)ui::SelectItem(function_switch_, pages.function_switch);
    if (pages.key_function_switch != kPageUnchanged)
        (void)ui::SelectItem(key_function_switch_, pages.key_function_switch);
}

// ---- Lighting -----------------------------------------------------------------------

lighting::EffectSettings CRezazodaUSBDevice::CurrentEffectSettings() const {
    const uint32_t w0 = light_words_[0].load(std::memory_order_relaxed);
    const uint32_t w1 = light_words_[1].load(std::memory_order_relaxed);
    return lighting::SettingsOfLightWords(w0, w1);
}

void CRezazodaUSBDevice::EffectBreathWheel() {
    lighting::EffectBreathWheel(CurrentEffectSettings(), counters_, leds_);
}
void CRezazodaUSBDevice::EffectBreathFour() {
    lighting::EffectBreathFour(CurrentEffectSettings(), counters_, leds_);
}
void CRezazodaUSBDevice::EffectStatic() {
    lighting::EffectStatic(CurrentEffectSettings(), leds_);
}
void CRezazodaUSBDevice::EffectWheel() {
    lighting::EffectWheel(CurrentEffectSettings(), counters_, leds_);
}
void CRezazodaUSBDevice::EffectBlinkWheel() {
    lighting::EffectBlinkWheel(CurrentEffectSettings(), counters_, leds_, SteadyMillis());
}
void CRezazodaUSBDevice::EffectBlinkFour() {
    lighting::EffectBlinkFour(CurrentEffectSettings(), counters_, leds_, SteadyMillis());
}
void CRezazodaUSBDevice::EffectOff() {
    lighting::EffectOff(leds_);
}

void CRezazodaUSBDevice::SetLedColour(int led, uint32_t packed) {
    if (led >= 0) (void)leds_.SetPacked(static_cast<size_t>(led), packed);
}

uint32_t CRezazodaUSBDevice::GetLedColour(int led) const {
    return led < 0 ? 0 : leds_.GetPacked(static_cast<size_t>(led));
}

void CRezazodaUSBDevice::PushLightFrame() {
    if (!host_flag_.IsSet()) return;
    PaintPicture();
    // The selector's pace keeps a still picture going to the device.
    SendPictureIfDue(true);
}

void CRezazodaUSBDevice::PaintPicture() {
    // A step made from now on asks for the next picture again.
    repaint_pending_.store(false);
    const uint64_t version = leds_.Version();
    if (version == painted_version_ || !isVisible()) return;
    // At most one picture per refresh of the screen: the selector's timer comes back when
    // the next is due (FrameInterval).
    const auto now = std::chrono::steady_clock::now();
    if (now - last_paint_ < RepaintInterval() - std::chrono::milliseconds(1)) return;
    BuildLightFrame(
        leds_, LightCount(),
        [this](int i) {
            const QWidget* b = light_buttons_[static_cast<size_t>(i)];
            return b != nullptr && b->isVisible();
        },
        PaintButtonFn([this](int i, uint32_t colour, uint8_t alpha) {
            // Only changed colours are set.
            const QRgb shown =
                qRgba(static_cast<int>(colour & 0xFF), static_cast<int>((colour >> 16) & 0xFF),
                      static_cast<int>((colour >> 8) & 0xFF), alpha);
            QRgb& last = shown_colours_[static_cast<size_t>(i)];
            if (last == shown) return;
            last = shown;
            QWidget* button = light_buttons_[static_cast<size_t>(i)];
            if (auto* key = qobject_cast<ui::DeviceKeyButton*>(button)) {
                key->SetLightColor(shown);
            } else {
                ui::SetBkColor(button, shown);
            }
        }),
        painted_frame_);
    painted_version_ = version;
    last_paint_ = now;
}

void CRezazodaUSBDevice::PictureMoved() {
    if (!host_flag_.IsSet()) return;
    SendPictureIfDue(false);
    // The page takes the picture on the UI thread at its own pace; one request is enough
    // until it has been painted. Through a receiver the page follows the selector's pace.
    if (!page_shown_.load() || channel_.IsReceiverMode()) return;
    if (repaint_pending_.exchange(true)) return;
    PostToUi([this] { RepaintSoon(); });
}

void CRezazodaUSBDevice::RepaintSoon() {
    if (!channel_.IsOpen()) return;
    if (SelectorEntry* entry = Entry()) entry->StartTimer(kTimerLightFrame, FrameInterval());
}

void CRezazodaUSBDevice::SendPictureIfDue(bool keep_alive) {
    std::lock_guard lock(picture_lock_);
    if (!host_flag_.IsSet()) return;
    const uint64_t version = leds_.Version();
    const auto now = std::chrono::steady_clock::now();
    if (version == sent_version_ &&
        (!keep_alive || now - last_sent_at_ < std::chrono::milliseconds(kFrameIntervalStillMs) -
                                                  std::chrono::milliseconds(1)))
        return;
    // A picture the model did not send (not streamed now, or a set still on its way) is
    // tried again at the next step.
    if (!SendPicture()) return;
    sent_version_ = version;
    last_sent_at_ = now;
}

bool CRezazodaUSBDevice::SendsPictures() const {
    return host_flag_.IsSet() && channel_.IsOpen() && !channel_.IsReceiverMode() &&
           StreamsLightFrames();
}

bool CRezazodaUSBDevice::SendPicture() {
    if (!SendsPictures()) return false;
    BuildLightFrame(leds_, LightCount(), LightVisibleFn(), PaintButtonFn(), send_frame_);
    const int lights = StreamedFrame(send_frame_, streamed_frame_);
    if (lights <= 0) return false;
    stream_.Submit(streamed_frame_, lights);
    return true;
}

std::chrono::milliseconds CRezazodaUSBDevice::RepaintInterval() const {
    const QScreen* s = screen();
    const double hz = s != nullptr && s->refreshRate() >= 1 ? s->refreshRate() : 60.0;
    return std::max(kPreviewFramePeriod,
                    std::chrono::milliseconds(static_cast<int>(std::ceil(1000.0 / hz))));
}

void CRezazodaUSBDevice::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    page_shown_.store(true);
    // A thread that slept while nobody looked makes the picture again.
    lighting_.Wake();
    // While hidden the page took no pictures: it catches up.
    if (channel_.IsOpen())
        if (SelectorEntry* entry = Entry())
            entry->StartTimer(kTimerLightFrame, kFrameIntervalMovingMs);
}

void CRezazodaUSBDevice::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    page_shown_.store(false);
}

int CRezazodaUSBDevice::StreamedFrame(const LightFrameBytes& shown, LightFrameBytes& streamed) {
    streamed = shown;
    return LightCount();
}

int CRezazodaUSBDevice::FrameInterval() const {
    if (channel_.IsReceiverMode()) return kFrameIntervalStillMs;
    // The device's frames follow the lighting steps; this pace only keeps a still one
    // going. The page's picture, when it is behind, comes at the screen's pace.
    if (leds_.Version() == painted_version_ || !isVisible()) return kFrameIntervalStillMs;
    const auto due = last_paint_ + RepaintInterval() - std::chrono::steady_clock::now();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(due).count();
    return static_cast<int>(std::clamp<long long>(ms, 1, kFrameIntervalStillMs));
}

void CRezazodaUSBDevice::WakeLighting() {
    // The step it makes sends and shows the new picture.
    lighting_.Wake();
}

void CRezazodaUSBDevice::SetLightInfo(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) {
    const std::array<uint32_t, 4> words{w0, w1, w2, w3};
    for (size_t i = 0; i < words.size(); ++i) light_words_[i].store(words[i]);
    WakeLighting();
}

std::array<uint32_t, 4> CRezazodaUSBDevice::GetLightInfo() const {
    std::array<uint32_t, 4> words{};
    for (size_t i = 0; i < words.size(); ++i) words[i] = light_words_[i].load();
    return words;
}

void CRezazodaUSBDevice::SetAudioLightInfo(uint32_t a, uint32_t b, uint32_t c) {
    audio_words_ = {a, b, c};
}

std::array<uint32_t, 3> CRezazodaUSBDevice::GetAudioLightInfo() {
    return audio_words_;
}

void CRezazodaUSBDevice::SetKeyLedMap(const std::vector<uint8_t>& map) {
    key_led_map_ = map;
}

void CRezazodaUSBDevice::ReactiveDecay(int led, int variant) {
    if (led >= 0) lighting::ReactiveDecay(reactive_, static_cast<size_t>(led), variant);
}
void CRezazodaUSBDevice::ReactiveTrigger() {
    lighting::ReactiveTrigger(reactive_);
}
void CRezazodaUSBDevice::ReactiveRotate(int direction) {
    lighting::ReactiveRotate(reactive_, direction != 0);
}
void CRezazodaUSBDevice::ReactiveClear() {
    lighting::ReactiveClear(reactive_);
}

void CRezazodaUSBDevice::SetLightingProgram(std::unique_ptr<LightingProgram> program) {
    if (!program) return;
    // A program is never replaced under a running thread.
    const bool was_running = lighting_.Running();
    lighting_.Stop();
    lighting_program_ = std::move(program);
    if (was_running) StartLightingThread(lighting_interval_);
}

void CRezazodaUSBDevice::StartLightingThread(std::chrono::milliseconds interval) {
    lighting_interval_ = interval;
    lighting_.Start(*lighting_gate_, interval, "light " + kind_name_.toStdString());
}

void CRezazodaUSBDevice::SetLightSync(bool on) {
    const bool was = light_sync_.exchange(on);
    if (was && !on) WakeLighting();
}

void CRezazodaUSBDevice::ShowSyncColour(uint32_t word) {
    for (size_t i = 0; i < leds_.Size(); ++i) (void)leds_.SetPacked(i, word);
}

// ---- Notification listener -----------------------------------------------------------

void CRezazodaUSBDevice::OpenListener(int path_index, const std::string& path) {
    if (path_index < 0 || path_index > 1) return;
    auto& listener = listeners_[static_cast<size_t>(path_index)];
    if (!listener) {
        HidInterface& iface = path_index == 0 ? notify_channel_.CableInterface()
                                              : notify_channel_.ReceiverInterface();
        std::mutex& lock =
            path_index == 0 ? notify_channel_.ListenerLock() : notify_channel_.CommandLock();
        // The listener thread only posts: the usage is handled on the UI thread. The
        // listeners are stopped before the object's base part goes.
        listener = std::make_unique<NotificationListener>(
            iface, lock, [this, path_index](uint16_t usage) {
                PostToUi([this, usage, path_index] { OnNotification(usage, path_index); });
            });
    }
    (void)listener->Reopen(path);
}

void CRezazodaUSBDevice::StopListener(int path_index) {
    if (path_index < 0 || path_index > 1) return;
    if (auto& listener = listeners_[static_cast<size_t>(path_index)]) listener->Stop();
}

bool CRezazodaUSBDevice::ListenerOpen(int path_index) const {
    if (path_index < 0 || path_index > 1) return false;
    const auto& listener = listeners_[static_cast<size_t>(path_index)];
    return listener && listener->IsOpen();
}

void CRezazodaUSBDevice::OnNotification(uint16_t usage, int path_index) {
    if (usage == kUsageResync) {
        StartResyncTimer();
    } else if (usage == kUsageProfileListChanged) {
        ProfileListChangedFlag().store(true);
        StartResyncTimer();
    } else if (usage > kUsageProfileListChanged) {
        OnDeviceNotificationFrom(usage, path_index);
    }
}

void CRezazodaUSBDevice::StartResyncTimer() {
    if (SelectorEntry* entry = Entry()) entry->StartTimer(kTimerResync, ResyncDelayMs());
}

// ---- Profile data -----------------------------------------------------------------------

void CRezazodaUSBDevice::SetProfileData(std::unique_ptr<CBasicProfiledata> profile_data) {
    profile_data_ = std::move(profile_data);
}

LightRecord CRezazodaUSBDevice::GetLightRecord() const {
    return profile_data_ ? profile_data_->CurrentLightInfo().Bytes() : LightRecord{};
}

void CRezazodaUSBDevice::SetLightRecord(const LightRecord& b) {
    if (!profile_data_) return;
    profile_data_->WriteLightInfo(LightInfoRecord::FromBytes(b));
}

// ---- Profile folders ------------------------------------------------------------------

std::filesystem::path CRezazodaUSBDevice::ProfileFolder(const QString& kind_name) {
    const std::filesystem::path folder = paths::KindDataFolder(kind_name.toStdString());
    (void)paths::EnsureFolder(folder);
    return folder;
}

std::filesystem::path CRezazodaUSBDevice::DefaultDataFolder() {
    return paths::DefaultDataFolder();
}

std::filesystem::path CRezazodaUSBDevice::DefaultDataFile(const QString& kind_name) {
    return DefaultDataFolder() / (kind_name.toStdString() + ".Json");
}

std::filesystem::path CRezazodaUSBDevice::ProfileFile() const {
    return ProfileFolder(kind_name_) / (profile_name_.toStdString() + ".Json");
}

}  // namespace dz
