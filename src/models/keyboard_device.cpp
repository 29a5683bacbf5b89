#include "models/keyboard_device.h"

#include <QLineEdit>
#include <algorithm>

#include "device/lighting/lighting_tables.h"
#include "models/key_slot_table.h"
#include "models/macro_upload.h"
#include "platform/log/debug_log.h"
#include "profile/device_profiledata.h"
#include "ui/control_ops.h"
#include "ui/resource_manager.h"
#include "ui/widgets/device_key_button.h"
#include "ui/window_base.h"

namespace dz {
namespace {

constexpr const char* kKeyLightContainer = "keyboard_device_key_light";
constexpr const char* kLightPanel = "LightControlItem";
constexpr const char* kMacroPanel = "MacroControlItem";
constexpr const char* kKeyPanel = "KeySetControlItem";
constexpr const char* kRepeatRateSlider = "repeat_rate_slider";
constexpr const char* kRepeatDelayLabel = "repeat_delay_time_label1";
constexpr const char* kRepeatInput = "repeat_input_richedit";
constexpr const char* kOnboardProfileLabel = "keyboard_onboard_profile_label";
// The lock flags in the order of KeyboardSettings::OnLockFlag.
constexpr const char* kLockFlagOptions[] = {"winlockflag_option", "wflag_option", "6flag_option"};
constexpr int kOptionCount = 4;  // repeat delays and report rates
constexpr int kRepeatDelayStepMs = 250;
constexpr auto kColourFailurePause = std::chrono::milliseconds(200);
constexpr uint16_t kUsageProfile = 0x1000;
constexpr uint16_t kUsageProfileAndStage = 0x1100;

// What the first synchronisation brings back from the worker.
struct FirstRead {
    KeyboardTablesRead tables;
    KeyboardSettingsFetch settings;
    bool settings_read = false;
};

std::array<uint8_t, 4> Bytes(uint32_t word) {
    return {static_cast<uint8_t>(word), static_cast<uint8_t>(word >> 8),
            static_cast<uint8_t>(word >> 16), static_cast<uint8_t>(word >> 24)};
}

void LogFailure(const char* what, const DeviceTransfer& t) {
    if (t.Ok()) return;
    if (t.refused != nullptr) {
        log::DebugLineF("keyboard: %s not written: %s", what, t.refused);
    } else {
        log::DebugLineF("keyboard: %s failed at command 0x%02x: %s (%d)", what, t.failed_command,
                        CommandResultText(t.result), t.result);
    }
}

int ClampOption(int value) {
    return value >= 0 && value < kOptionCount ? value : 0;
}

QString Language(const char* id) {
    return ui::ResourceManager::Instance().Text(QString::fromLatin1(id));
}

}  // namespace

CRezazodaKeyboardDevice::CRezazodaKeyboardDevice(QWidget* parent)
    : CRezazodaModelDevice(std::make_unique<CKeyboardProfiledata>(), parent) {}

// The device worker and the threads stop in the base destructor, before the members they
// never touch go.
CRezazodaKeyboardDevice::~CRezazodaKeyboardDevice() {
    Shutdown();
}

CKeyboardProfiledata* CRezazodaKeyboardDevice::Profile() const {
    return static_cast<CKeyboardProfiledata*>(ProfileData());
}

std::filesystem::path CRezazodaKeyboardDevice::Folder() const {
    return ProfileFolder(KindName());
}

QWidget* CRezazodaKeyboardDevice::Control(const char* name) const {
    return findChild<QWidget*>(QString::fromLatin1(name));
}

int CRezazodaKeyboardDevice::EffectIndex() const {
    return static_cast<int>(GetLightInfo()[0] & 0xFF);
}

LightingPanel* CRezazodaKeyboardDevice::Lighting() {
    return PanelByName<LightingPanel>(QString::fromLatin1(kLightPanel));
}

KeyAssignmentPanel* CRezazodaKeyboardDevice::KeyAssignment() {
    return PanelByName<KeyAssignmentPanel>(QString::fromLatin1(kKeyPanel));
}

MacroEditor* CRezazodaKeyboardDevice::Macros() {
    return PanelByName<MacroEditor>(QString::fromLatin1(kMacroPanel));
}

// ---- Page ---------------------------------------------------------------------------------

void CRezazodaKeyboardDevice::BuildModelPage() {
    // The picture: the base binds a "SelectPanel"; a page may name it as the keyboard's own.
    BindButtons(Control(kKeyLightContainer));
    if (LightingPanel* lighting = Lighting()) lighting->AttachDevice(DeviceType());
    if (MacroEditor* macros = Macros()) macros->AttachFolder(Folder());
    if (KeyAssignmentPanel* keys = KeyAssignment()) {
        keys->AttachDevice(DeviceType());
        ui::SetVisible(Control(kKeyPanel), false);
    }
    // The page shows the selected profile before any keyboard is read, and takes changes
    // into it while none is there.
    (void)LoadProfile();
    RefreshPage();
}

void CRezazodaKeyboardDevice::LoadPanelLists() {
    PanelListFiles files;
    files.macro_list = Folder() / "macro.config";
    files.default_light = DefaultDataFolder() / "default_light.json";
    if (CKeyboardProfiledata* profile = Profile()) files.light_list = profile->GetLightListPath();
    if (files.light_list.empty())
        files.light_list = Folder() / (LightFilePrefix().toStdString() + ".config");
    ReadPanelLists(files, GetKindCode(), lists_);
    if (LightingPanel* lighting = Lighting()) ShowEffectLists(*lighting, lists_);
    if (KeyAssignmentPanel* keys = KeyAssignment()) keys->SetMacroNames(lists_.macro_names);
}

const std::vector<EffectListEntry>& CRezazodaKeyboardDevice::Effects() {
    if (lists_.effects.empty()) LoadPanelLists();
    return lists_.effects;
}

void CRezazodaKeyboardDevice::RefreshPage() {
    LoadPanelLists();
    RefreshKeyLabels();
    if (LightingPanel* lighting = Lighting()) lighting->ShowLightRecord(GetLightRecord());
    RefreshSystemControls();
}

void CRezazodaKeyboardDevice::RefreshKeyLabels() {
    for (int n = 0; n < KeyCount() && n < kKeyboardPositions; ++n) {
        QWidget* button = KeyButton(n);
        if (button == nullptr) continue;
        // After a read, the page offers the keys the keyboard has; before one, every key.
        const bool present =
            !tables_read_ || tables_.maps.slot[static_cast<size_t>(n)] != kKeyboardNoSlot;
        ui::SetEnabled(button, present && (n != kKeyboardFnPosition || GetFunctionPage() != 2));
        if (auto* key = qobject_cast<ui::DeviceKeyButton*>(button)) {
            const bool changed =
                static_cast<size_t>(n) < keys_.size() &&
                keys_[static_cast<size_t>(n)].current != keys_[static_cast<size_t>(n)].default_code;
            key->SetKeySetOverlayHidden(!changed);
        }
    }
}

void CRezazodaKeyboardDevice::RefreshSystemControls() {
    ui::SetSelected(Control(kLockFlagOptions[0]), system_.winflag != 0);
    ui::SetSelected(Control(kLockFlagOptions[1]), system_.wflag != 0);
    ui::SetSelected(Control(kLockFlagOptions[2]), system_.key6 != 0);
    ui::SetValue(Control(kRepeatRateSlider), system_.repeat);
    const int delay = ClampOption(system_.repeat_delay);
    ui::SetSelected(findChild<QWidget*>(QStringLiteral("repeat_delay_check_%1").arg(delay)), true);
    ui::SetText(Control(kRepeatDelayLabel), Language("Repeat_Delay_Time") + QLatin1Char(' ') +
                                                QString::number(kRepeatDelayStepMs * (delay + 1)) +
                                                QStringLiteral("ms"));
    if (auto* input = qobject_cast<QLineEdit*>(Control(kRepeatInput))) {
        input->clear();
        input->setPlaceholderText(Language("Repeat_input_text"));
    }
    ui::SetSelected(
        findChild<QWidget*>(
            QStringLiteral("polling_rate_option_%1").arg(ClampOption(system_.polling_rate))),
        true);
    ui::SetText(Control(kOnboardProfileLabel),
                Language("keyboard_onboard_profile_text")
                    .replace(QStringLiteral("%d"), QString::number(device_profile_ + 1)));
}

void CRezazodaKeyboardDevice::SetFunctionPage(int page_type) {
    CRezazodaUSBDevice::SetFunctionPage(page_type);
    // Fn keeps its function: the key page (2) does not offer it, the lighting page (1) does.
    if (page_type == 1) ui::SetEnabled(KeyButton(kKeyboardFnPosition), true);
    if (page_type == 2) ui::SetEnabled(KeyButton(kKeyboardFnPosition), false);
}

std::vector<int32_t> CRezazodaKeyboardDevice::KeyCodes() const {
    std::vector<int32_t> codes;
    for (const KeyAssignmentEntry& e : keys_) codes.push_back(KeyCodeToProfileInt(e.current));
    return codes;
}

void CRezazodaKeyboardDevice::SetKeyCode(int key, int32_t code) {
    if (key < 0 || static_cast<size_t>(key) >= keys_.size()) return;
    keys_[static_cast<size_t>(key)].current = KeyCodeFromProfileInt(code);
    if (CKeyboardProfiledata* profile = Profile()) profile->SetKeyList(keys_);
    RefreshKeyLabels();
}

void CRezazodaKeyboardDevice::SelectKey(int key) {
    CRezazodaUSBDevice::SelectKey(key);
    if (key < 0 || static_cast<size_t>(key) >= keys_.size()) return;
    KeyAssignmentPanel* panel = KeyAssignment();
    if (panel == nullptr) return;
    ui::SetVisible(Control(kKeyPanel), true);
    const KeyAssignmentEntry& entry = keys_[static_cast<size_t>(key)];
    panel->ShowKey(key, KeyCodeToProfileInt(entry.current),
                   KeyCodeToProfileInt(entry.default_code));
}

// ---- Profile --------------------------------------------------------------------------------

uint32_t CRezazodaKeyboardDevice::LoadProfile() {
    const uint32_t loaded = CRezazodaModelDevice::LoadProfile();
    if (loaded == 0) return 0;
    keys_ = Profile()->GetKeyList();
    system_ = KeyboardSystemSettings::FromWords(Profile()->GetSystemStages());
    return loaded;
}

void CRezazodaKeyboardDevice::RestoreDefaults() {
    CKeyboardProfiledata* profile = Profile();
    if (profile == nullptr) return;
    SetProfilePaths();
    (void)profile->LoadDeviceSection(DefaultDataFile(KindName()));
    (void)profile->ReadLightInfo();
    (void)profile->ReadAudioLightInfo();
    keys_ = profile->GetKeyList();
    profile->SetKeyList(keys_);
    (void)ApplyLighting();
    system_ = KeyboardSystemSettings::FromWords(profile->GetSystemStages());
    SaveProfile();
    RefreshPage();
}

void CRezazodaKeyboardDevice::SetLightInfo(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) {
    CRezazodaUSBDevice::SetLightInfo(w0, w1, w2, w3);
    CKeyboardProfiledata* profile = Profile();
    if (profile == nullptr) return;
    const auto a = Bytes(w0), b = Bytes(w1), c = Bytes(w2), d = Bytes(w3);
    LightInfoRecord r = profile->CurrentLightInfo();
    r.mode = a[0];
    r.brightness = a[1];
    r.speed = a[2];
    r.direction = a[3];
    r.multicolor = b[0];
    r.red = b[1];
    r.green = b[2];
    r.blue = b[3];
    r.device_mode = c[3];
    r.custom_group = d[0];
    r.old_mode = d[1];
    profile->WriteLightInfo(r);
}

void CRezazodaKeyboardDevice::SetAudioLightInfo(uint32_t a, uint32_t b, uint32_t c) {
    CRezazodaUSBDevice::SetAudioLightInfo(a, b, c);
    if (LightingPanel* lighting = Lighting()) lighting->SetAudioLightWords({a, b, c});
    CKeyboardProfiledata* profile = Profile();
    if (profile == nullptr) return;
    const auto x = Bytes(a), y = Bytes(b);
    AudioLightInfoRecord r;
    r.audio_mode = x[0];
    r.bk_red = x[1];
    r.bk_green = x[2];
    r.bk_blue = x[3];
    r.fg_red = y[0];
    r.fg_green = y[1];
    r.fg_blue = y[2];
    r.seven_color = y[3];
    r.color_type = static_cast<uint8_t>(c);
    profile->WriteAudioLightInfo(r);
}

std::array<uint32_t, 3> CRezazodaKeyboardDevice::GetAudioLightInfo() {
    if (LightingPanel* lighting = Lighting()) {
        if (const auto words = lighting->AudioLightWords()) {
            SetAudioLightInfo((*words)[0], (*words)[1], (*words)[2]);
            return *words;
        }
    }
    return CRezazodaUSBDevice::GetAudioLightInfo();
}

// ---- Reading the keyboard -----------------------------------------------------------------

void CRezazodaKeyboardDevice::FirstSync() {
    if (!Channel().IsOpen()) return;
    OnDevice(
        [](CommandChannel& channel) {
            FirstRead read;
            read.tables = ReadKeyboardTables(channel);
            // A keyboard that stopped answering is not asked again.
            if (read.tables.transfer.Ok() || DeviceStillAnswers(read.tables.transfer.result)) {
                read.settings = ReadKeyboardSettings(channel);
                read.settings_read = true;
            }
            return read;
        },
        [this](FirstRead read) {
            LogFailure("first read", read.tables.transfer);
            if (read.tables.info_read) Info() = read.tables.tables.info;
            tables_ = std::move(read.tables.tables);
            tables_read_ = true;
            (void)LoadProfile();
            // Keys the profile gave other functions are found by those.
            RemapKeyboard(tables_, keys_, Folder());
            if (read.settings_read) TakeSettingsBlock(read.settings);
            RefreshPage();
            StartLightingThread(std::chrono::milliseconds(kLightingStepMs));
        });
}

void CRezazodaKeyboardDevice::Resync() {
    // Another program changed the profile list: the bar reads it again and the device takes
    // the profile selected there.
    if (ProfileListChangedFlag().exchange(false)) {
        if (ProfileBar* bar = ProfileBarControl()) {
            bar->Initialise();
            SetProfileName(bar->GetCurrentUUID());
        }
        (void)LoadProfile();
    }
    if (!Channel().IsOpen()) {
        RefreshPage();
        return;
    }
    OnDevice(&ReadKeyboardSettings, [this](const KeyboardSettingsFetch& fetch) {
        TakeSettingsBlock(fetch);
        RefreshPage();
    });
}

void CRezazodaKeyboardDevice::TakeSettingsBlock(const KeyboardSettingsFetch& fetch) {
    if (!fetch.transfer.Ok()) {
        LogFailure("settings read", fetch.transfer);
        return;
    }
    CKeyboardProfiledata* profile = Profile();
    const KeyboardSettingsRead read = DecodeKeyboardSettings(fetch.block, Effects());
    const int previous_effect = profile != nullptr ? profile->CurrentLightInfo().mode : -1;
    device_profile_ = fetch.profile;
    last_block_ = read.block;
    if (profile == nullptr) return;
    const LightInfoRecord light = WithBlockLighting(profile->CurrentLightInfo(), read);
    profile->WriteLightInfo(light);
    // The lighting state follows; the effect starts again when it changed or is the custom
    // colour effect.
    (void)ApplyLighting();
    if (light.mode != previous_effect || light.mode == kPerKeyColourEffect) WakeLighting();
    system_ = WithBlockFlags(system_, read);
    profile->SetSystemStages(system_.Words());
    SaveProfile();
}

void CRezazodaKeyboardDevice::ReadPowerStatus() {
    if (PowerReadPaused() || !Channel().IsOpen()) return;
    OnDevice(&ReadKeyboardPower, [this](const KeyboardPowerRead& read) {
        if (!read.transfer.Ok()) return;
        if (PowerDisplay* power = Power())
            power->SetPowerStatus(read.bytes.data(), read.bytes.size());
        if (ui::WindowBase* window = ui::WindowOf(this))
            (void)window->SendMessage(kMsgPowerRead, read.bytes[4], 0);
    });
}

void CRezazodaKeyboardDevice::OnDeviceNotification(uint16_t usage) {
    if (!Channel().IsOpen()) return;
    const uint16_t kind = usage & 0xFF00;
    if (kind != kUsageProfile && kind != kUsageProfileAndStage) return;
    device_profile_ = usage & 0x0F;
    log::DebugLineF("keyboard: the keyboard is on its profile %d", device_profile_);
    RefreshPage();
}

// ---- Writing the keyboard -----------------------------------------------------------------

std::vector<int> CRezazodaKeyboardDevice::GetMacroList() const {
    return KeyboardMacroList(keys_, tables_, Folder());
}

uint32_t CRezazodaKeyboardDevice::WriteKeyMap(int profile,
                                              const std::vector<KeyAssignmentEntry>& keys) {
    if (!Channel().IsOpen()) return 0;
    std::vector<uint8_t> table = KeyboardKeyTable(keys, tables_, Folder());
    OnDevice(
        [profile, table = std::move(table)](CommandChannel& channel) {
            return WriteKeyTable(channel, profile, table, ChannelOpenRule);
        },
        [this](const DeviceTransfer& t) { ReportWrite("key map", t); });
    return 1;
}

uint32_t CRezazodaKeyboardDevice::WriteCurrentKeyMap(int profile) {
    return WriteKeyMap(profile, keys_);
}

void CRezazodaKeyboardDevice::WriteMacros(const std::vector<int>& macros,
                                          std::function<void(int answer)> done) {
    if (!Channel().IsOpen()) {
        if (done) done(kMacrosWritten);
        return;
    }
    MacroUpload upload = ReadMacroUpload(Folder(), macros);
    OnDevice(
        [upload = std::move(upload)](CommandChannel& channel) {
            return WriteMacroUpload(channel, upload, ChannelOpenRule);
        },
        [this, done = std::move(done)](const MacroWriteOutcome& out) {
            if (out.info_read) Info() = out.info;
            if (out.answer < 0) ReportWrite("macros", out.transfer);
            if (out.answer > 0)
                log::DebugLineF("keyboard: the macros need %zu bytes, the keyboard has %zu",
                                out.image_size, out.capacity);
            if (done) done(out.answer);
        });
}

uint32_t CRezazodaKeyboardDevice::WriteSystemSettings(int profile, int value, int /*flag*/,
                                                      int /*screen_w*/, int /*screen_h*/) {
    CKeyboardProfiledata* profile_data = Profile();
    if (profile_data == nullptr || !Channel().IsOpen()) return 0;
    const KeyboardSettingsBlock block = EncodeKeyboardSettings(
        profile_data->CurrentLightInfo(), system_, Effects(), static_cast<uint8_t>(value));
    OnDevice(
        [profile, block](CommandChannel& channel) {
            return WriteKeyboardSettings(channel, profile, block);
        },
        [this](const DeviceTransfer& t) { ReportWrite("settings", t); });
    return 1;
}

void CRezazodaKeyboardDevice::CheckMacroKeys() {
    LoadPanelLists();
    // A damaged list says nothing about which macros exist: the keys keep theirs.
    const std::optional<int> macros = MacroListSize(Folder());
    if (!macros) {
        log::DebugLine("keyboard: the macro list cannot be read; the macro keys stay");
        return;
    }
    if (!ResetMacroKeysBeyond(keys_, *macros)) return;
    if (CKeyboardProfiledata* profile = Profile()) {
        profile->SetKeyList(keys_);
        SaveProfile();
    }
    LoadPanelLists();
    RefreshKeyLabels();
}

void CRezazodaKeyboardDevice::ReportWrite(const char* what, const DeviceTransfer& transfer) {
    if (transfer.Ok()) return;
    LogFailure(what, transfer);
    // What the host refused to send (tables never read) is no failure of the keyboard.
    if (transfer.refused == nullptr) emit WriteFailed(QString::fromLatin1(what), transfer.result);
}

// ---- The page's system controls -----------------------------------------------------------

void CRezazodaKeyboardDevice::CommitSystemSettings() {
    if (CKeyboardProfiledata* profile = Profile()) {
        profile->SetSystemStages(system_.Words());
        SaveProfile();
    }
    (void)WriteSystemSettings(0, 0, 1, 0, 0);
}

bool CRezazodaKeyboardDevice::OptionLeft(const char* prefix, int n) const {
    // Choosing an option also tells of the one it deselected: that one changes nothing.
    const QWidget* option = findChild<QWidget*>(QString::fromLatin1(prefix) + QString::number(n));
    return option != nullptr && !ui::IsSelected(option);
}

void CRezazodaKeyboardDevice::OnPollingRate(int n) {
    if (OptionLeft("polling_rate_option_", n)) return;
    system_.polling_rate = ClampOption(n);
    RefreshSystemControls();
    CommitSystemSettings();
}

void CRezazodaKeyboardDevice::OnRepeatDelay(int n) {
    if (OptionLeft("repeat_delay_check_", n)) return;
    system_.repeat_delay = ClampOption(n);
    RefreshSystemControls();
    CommitSystemSettings();
}

void CRezazodaKeyboardDevice::OnRepeatRate() {
    QWidget* slider = Control(kRepeatRateSlider);
    if (slider == nullptr) return;
    system_.repeat = ui::Value(slider);
    CommitSystemSettings();
}

void CRezazodaKeyboardDevice::OnLockFlag(int which) {
    if (which < 0 || which > 2) return;
    const int on = ui::IsSelected(Control(kLockFlagOptions[which])) ? 1 : 0;
    if (which == 0) system_.winflag = on;
    if (which == 1) system_.wflag = on;
    if (which == 2) system_.key6 = on;
    CommitSystemSettings();
}

void CRezazodaKeyboardDevice::OnResetRepeat() {
    ui::SetText(Control(kRepeatInput), QString());
}

// ---- Per-key colours and the light frame --------------------------------------------------

void CRezazodaKeyboardDevice::WriteColourPage(int page, const KeyColourPage& colours) {
    if (!Channel().IsOpen() || ColourWritePaused()) return;
    // The keyboard's slots as its first read found them; none, nothing to write.
    const size_t length = std::min<size_t>(size_t(tables_.KeySlots()) * 3, colours.size());
    if (tables_.maps.PositionCount() == 0 || length == 0) return;
    std::vector<uint8_t> bytes(colours.begin(), colours.begin() + static_cast<long>(length));
    OnDevice([page, bytes = std::move(bytes)](
                 CommandChannel& channel) { return WriteKeyboardColours(channel, page, bytes); },
             [this](const DeviceTransfer& t) {
                 ReportWrite("key colours", t);
                 // A keyboard that stops answering is not flooded with colours.
                 if (!t.Ok())
                     colour_pause_until_ = std::chrono::steady_clock::now() + kColourFailurePause;
             });
}

void CRezazodaKeyboardDevice::PaintKey(int light) {
    if (EffectIndex() != kPerKeyColourEffect || light < 0 || light >= LightCount()) return;
    const std::array<uint32_t, 4> words = GetLightInfo();
    const auto colour = Bytes(words[1]);  // multicolour, red, green, blue
    lighting::LedRecord led = Leds().Get(static_cast<size_t>(light));
    led.red = colour[1];
    led.green = colour[2];
    led.blue = colour[3];
    (void)Leds().Set(static_cast<size_t>(light), led);
    const int group = Lighting() != nullptr ? Lighting()->SelectedCustomGroup() : -1;
    if (group >= 0 && Profile() != nullptr) {
        std::vector<KeyColor> colours;
        for (int i = 0; i < LightCount(); ++i) {
            const lighting::LedRecord r = Leds().Get(static_cast<size_t>(i));
            colours.push_back({r.red, r.green, r.blue, r.alpha});
        }
        Profile()->SetCustomColors(colours, group);
        SaveProfile();
    }
    if (!Channel().IsReceiverMode()) WriteColourPage(0, BuildKeyColourPage(Leds(), tables_.maps));
}

void CRezazodaKeyboardDevice::WriteKeyColours() {
    if (EffectIndex() != kPerKeyColourEffect) return;
    const int page = static_cast<int>(GetLightInfo()[3] & 0xFF);  // the custom colour page
    WriteColourPage(page, BuildKeyColourPage(Leds(), tables_.maps));
}

bool CRezazodaKeyboardDevice::ColourWritePaused() const {
    return std::chrono::steady_clock::now() < colour_pause_until_;
}

void CRezazodaKeyboardDevice::ReadKeyColours() {
    if (!Channel().IsOpen() || tables_.maps.PositionCount() == 0) return;
    const size_t length = size_t(tables_.KeySlots()) * 3;
    OnDevice([length](CommandChannel& channel) { return ReadKeyboardColours(channel, length); },
             [this](const KeyboardColoursRead& read) {
                 CKeyboardProfiledata* profile = Profile();
                 if (!read.transfer.Ok() || profile == nullptr) {
                     LogFailure("key colour read", read.transfer);
                     return;
                 }
                 const uint8_t brightness = static_cast<uint8_t>(GetLightInfo()[0] >> 8);
                 const uint8_t alpha =
                     static_cast<uint8_t>(lighting::BrightnessAlpha(brightness) * 255 / 256);
                 profile->SetCustomColors(ColoursFromPage(read.page, tables_.maps, alpha),
                                          profile->GetCustomGroupIndex());
                 SaveProfile();
             });
}

int CRezazodaKeyboardDevice::StreamedFrame(const LightFrameBytes& shown,
                                           LightFrameBytes& streamed) {
    // Only the host-driven effects are streamed: the keyboard runs the others itself.
    const int effect = EffectIndex();
    if (effect != kAudioEffectIndex && effect != kHostColourEffectIndex) return 0;
    const KeyboardFrame frame = BuildKeyboardFrame(shown, tables_.maps);
    streamed.fill(0);
    std::copy(frame.begin(), frame.end(), streamed.begin());
    return kKeyboardPositions;
}

}  // namespace dz
