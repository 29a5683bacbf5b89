#include "models/keyboard_device.h"

#include <QLineEdit>
#include <algorithm>

#include "device/lighting/lighting_tables.h"
#include "models/key_slot_table.h"
#include "models/keyboard_lighting/keyboard_lighting_profile.h"
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
    : CRezazodaModelDevice(std::make_unique<CKeyboardProfiledata>(), parent) {
    // The effects' random choices differ from one run to the next.
    const auto seed =
        static_cast<uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count());
    auto program = std::make_unique<keyboard_lighting::KeyboardLightingProgram>(
        Leds(), [&channel = Channel()] { return channel.IsOpen(); }, seed);
    lighting_program_ = program.get();
    SetLightingProgram(std::move(program));
}

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
    if (LightingPanel* lighting = Lighting()) {
        lighting->ShowLightRecord(GetLightRecord());
        // The audio sub-panel shows the profile's audio record, so that an edit there starts
        // from it rather than from an empty panel.
        if (CKeyboardProfiledata* profile = Profile()) {
            const AudioLightInfoRecord r = profile->ReadAudioLightInfo();
            const std::array<uint32_t, 3> words{
                uint32_t{r.audio_mode} | uint32_t{r.bk_red} << 8 | uint32_t{r.bk_green} << 16 |
                    uint32_t{r.bk_blue} << 24,
                uint32_t{r.fg_red} | uint32_t{r.fg_green} << 8 | uint32_t{r.fg_blue} << 16 |
                    uint32_t{r.seven_color} << 24,
                uint32_t{r.color_type}};
            CRezazodaUSBDevice::SetAudioLightInfo(words[0], words[1], words[2]);
            lighting->SetAudioLightWords(words);
        }
    }
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
            {
                std::lock_guard lock(stream_maps_lock_);
                stream_maps_ = tables_.maps;
            }
            tables_read_ = true;
            (void)LoadProfile();
            // Keys the profile gave other functions are found by those.
            RemapKeyboard(tables_, keys_, Folder());
            if (read.settings_read) TakeSettingsBlock(read.settings);
            RefreshPage();
            StartLightingThread(std::chrono::milliseconds(kLightingStepMs));
            // A thread that slept while the channel was closed starts again.
            WakeLighting();
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
    device_profile_ = fetch.profile;
    last_block_ = read.block;
    if (profile == nullptr) return;
    const LightInfoRecord light = WithBlockLighting(profile->CurrentLightInfo(), read);
    profile->WriteLightInfo(light);
    // The lighting state follows; the effect starts again when it changed or is the custom
    // colour effect, whose colours come from the keyboard first, then the group the lighting
    // settings name goes onto the lights and back to the keyboard.
    (void)CRezazodaModelDevice::ApplyLighting();
    if (lighting_program_->TakeReadBack(light) && light.mode == kPerKeyColourEffect) {
        ReadKeyColours([this] {
            if (CKeyboardProfiledata* p = Profile())
                TakeCustomGroup(p->CurrentLightInfo().custom_group, true);
        });
    }
    WakeLighting();
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
    const auto colour = Bytes(GetLightInfo()[1]);  // multicolour, red, green, blue
    lighting_program_->SetCustomColour(static_cast<size_t>(light),
                                       lighting::Rgb{colour[1], colour[2], colour[3]});
    // Shown at once; the effect's next step keeps it.
    lighting::LedRecord led = Leds().Get(static_cast<size_t>(light));
    led.red = colour[1];
    led.green = colour[2];
    led.blue = colour[3];
    (void)Leds().Set(static_cast<size_t>(light), led);
    WakeLighting();
    const int group = Lighting() != nullptr ? Lighting()->SelectedCustomGroup() : -1;
    if (group >= 0) StoreCustomGroup(group);
    if (!Channel().IsReceiverMode())
        WriteColourPage(0, BuildKeyColourPage(CustomColours(), tables_.maps));
}

void CRezazodaKeyboardDevice::WriteKeyColours() {
    if (EffectIndex() != kPerKeyColourEffect) return;
    const int page = static_cast<int>(GetLightInfo()[3] & 0xFF);  // the custom colour page
    WriteColourPage(page, BuildKeyColourPage(CustomColours(), tables_.maps));
}

std::vector<lighting::LedRecord> CRezazodaKeyboardDevice::CustomColours() const {
    std::vector<lighting::LedRecord> colours(keyboard_lighting::kLightCount);
    for (size_t i = 0; i < colours.size(); ++i) colours[i] = lighting_program_->CustomColour(i);
    return colours;
}

void CRezazodaKeyboardDevice::StoreCustomGroup(int group) {
    CKeyboardProfiledata* profile = Profile();
    if (profile == nullptr || group < 0) return;
    std::vector<KeyColor> colours;
    for (int i = 0; i < LightCount(); ++i) {
        const lighting::LedRecord r = lighting_program_->CustomColour(static_cast<size_t>(i));
        colours.push_back({r.red, r.green, r.blue, r.alpha});
    }
    profile->SetCustomColors(colours, group);
    SaveProfile();
}

void CRezazodaKeyboardDevice::TakeCustomGroup(int group, bool show_selected) {
    CKeyboardProfiledata* profile = Profile();
    if (profile == nullptr) return;
    const std::vector<lighting::LedRecord> colours =
        keyboard_lighting::CustomGroupColours(*profile, group);
    lighting_program_->SetCustomColours(colours);
    for (size_t i = 0; i < colours.size(); ++i) (void)Leds().Set(i, colours[i]);
    WakeLighting();
    if (show_selected)
        if (LightingPanel* lighting = Lighting()) lighting->ShowCustomGroup(group);
    WriteKeyColours();
}

void CRezazodaKeyboardDevice::LoadCustomGroup(bool show_selected) {
    if (CKeyboardProfiledata* profile = Profile())
        TakeCustomGroup(profile->GetCustomGroupIndex(), show_selected);
}

void CRezazodaKeyboardDevice::SelectCustomGroup(int group) {
    CKeyboardProfiledata* profile = Profile();
    if (profile == nullptr || group < 0 || group > 255) return;
    if (LightingPanel* lighting = Lighting()) lighting->ShowCustomGroup(group);
    profile->SetCustomGroupIndex(group);
    LightInfoRecord r = profile->CurrentLightInfo();
    r.custom_group = static_cast<uint8_t>(group);
    profile->WriteLightInfo(r);
    (void)CRezazodaModelDevice::ApplyLighting();  // the lighting settings keep it
    SaveProfile();
}

void CRezazodaKeyboardDevice::FillCustomColour(int on) {
    const auto colour = Bytes(GetLightInfo()[1]);
    const lighting::Rgb rgb =
        on != 0 ? lighting::Rgb{colour[1], colour[2], colour[3]} : lighting::Rgb{};
    lighting_program_->FillCustomColours(rgb);
    for (int i = 0; i < LightCount(); ++i) {
        lighting::LedRecord led = Leds().Get(static_cast<size_t>(i));
        led.red = rgb.red;
        led.green = rgb.green;
        led.blue = rgb.blue;
        (void)Leds().Set(static_cast<size_t>(i), led);
    }
    WakeLighting();
    WriteKeyColours();
    const int group = Lighting() != nullptr ? Lighting()->SelectedCustomGroup() : -1;
    if (group >= 0) StoreCustomGroup(group);
}

void CRezazodaKeyboardDevice::SetLedColour(int led, uint32_t packed) {
    CRezazodaUSBDevice::SetLedColour(led, packed);
    if (led >= 0)
        lighting_program_->SetCustomRecord(static_cast<size_t>(led), lighting::UnpackLed(packed));
}

uint32_t CRezazodaKeyboardDevice::ApplyLighting() {
    CKeyboardProfiledata* profile = Profile();
    if (profile == nullptr) return 0;
    // The settings words the page and the frames read.
    (void)CRezazodaModelDevice::ApplyLighting();
    const bool restarted =
        lighting_program_->Apply(keyboard_lighting::ReadLightingProfile(*profile));
    // The part of 20's start action that needs the profile and the page.
    if (restarted && profile->CurrentLightInfo().mode == kPerKeyColourEffect) LoadCustomGroup(true);
    WakeLighting();
    return 1;
}

void CRezazodaKeyboardDevice::FeedAudioSpectrum(const int32_t* bands, int count) {
    if (bands == nullptr || count <= 0) return;
    lighting_program_->FeedAudioSpectrum(
        std::span<const int32_t>(bands, static_cast<size_t>(count)));
}

void CRezazodaKeyboardDevice::FeedHostColour(const uint32_t* values, int count) {
    if (values == nullptr || count <= 0) return;
    std::array<int32_t, keyboard_lighting::kHostColourValues> v{};
    const size_t n = std::min<size_t>(static_cast<size_t>(count), v.size());
    for (size_t i = 0; i < n; ++i) v[i] = static_cast<int32_t>(values[i]);
    lighting_program_->FeedHostColour(std::span<const int32_t>(v.data(), n));
    // The host colour effect stands still between two colours.
    if (EffectIndex() == kHostColourEffectIndex) WakeLighting();
}

bool CRezazodaKeyboardDevice::StreamsLightFrames() const {
    const int effect = EffectIndex();
    return effect == kAudioEffectIndex || effect == kHostColourEffectIndex;
}

bool CRezazodaKeyboardDevice::ColourWritePaused() const {
    return std::chrono::steady_clock::now() < colour_pause_until_;
}

void CRezazodaKeyboardDevice::ReadKeyColours(std::function<void()> then) {
    if (!Channel().IsOpen() || tables_.maps.PositionCount() == 0) {
        if (then) then();
        return;
    }
    const size_t length = size_t(tables_.KeySlots()) * 3;
    OnDevice([length](CommandChannel& channel) { return ReadKeyboardColours(channel, length); },
             [this, then = std::move(then)](const KeyboardColoursRead& read) {
                 CKeyboardProfiledata* profile = Profile();
                 if (!read.transfer.Ok() || profile == nullptr) {
                     LogFailure("key colour read", read.transfer);
                     if (then) then();
                     return;
                 }
                 const uint8_t brightness = static_cast<uint8_t>(GetLightInfo()[0] >> 8);
                 const uint8_t alpha =
                     static_cast<uint8_t>(lighting::BrightnessAlpha(brightness) * 255 / 256);
                 profile->SetCustomColors(ColoursFromPage(read.page, tables_.maps, alpha),
                                          profile->GetCustomGroupIndex());
                 SaveProfile();
                 if (then) then();
             });
}

int CRezazodaKeyboardDevice::StreamedFrame(const LightFrameBytes& shown,
                                           LightFrameBytes& streamed) {
    // Only the host-driven effects are streamed: the keyboard runs the others itself.
    const int effect = EffectIndex();
    if (effect != kAudioEffectIndex && effect != kHostColourEffectIndex) return 0;
    KeyboardFrame frame;
    {
        std::lock_guard lock(stream_maps_lock_);
        frame = BuildKeyboardFrame(shown, stream_maps_);
    }
    streamed.fill(0);
    std::copy(frame.begin(), frame.end(), streamed.begin());
    return kKeyboardPositions;
}

}  // namespace dz
