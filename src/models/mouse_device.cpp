#include "models/mouse_device.h"

#include <QAbstractButton>
#include <QGuiApplication>
#include <QScreen>
#include <QStackedWidget>
#include <algorithm>

#include "device/lighting/custom_playback.h"
#include "models/key_words.h"
#include "models/mouse_lighting.h"
#include "models/mouse_profile.h"
#include "models/mouse_shoot.h"
#include "platform/log/debug_log.h"
#include "profile/device_profiledata.h"
#include "profile/text_util.h"
#include "ui/control_ops.h"
#include "ui/resource_manager.h"
#include "ui/widgets/device_key_button.h"
#include "ui/widgets/select_panel.h"

namespace dz {
namespace {

// Notification codes of the mouse; the low byte carries the profile (and the DPI stage).
constexpr uint16_t kUsageButtonPressed = 0x0403;
constexpr uint16_t kUsageProfile = 0x1000;
constexpr uint16_t kUsageProfileAndStage = 0x1100;
constexpr int kCablePath = 0;

uint32_t Word(const std::array<uint8_t, 14>& b, size_t at) {
    uint32_t w = 0;
    for (size_t i = 0; i < 4 && at + i < b.size(); ++i)
        w |= static_cast<uint32_t>(b[at + i]) << (8 * i);
    return w;
}

LightInfoRecord RecordOfWords(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3,
                              const LightInfoRecord& kept) {
    LightInfoRecord r = kept;
    r.mode = static_cast<uint8_t>(w0);
    r.brightness = static_cast<uint8_t>(w0 >> 8);
    r.speed = static_cast<uint8_t>(w0 >> 16);
    r.direction = static_cast<uint8_t>(w0 >> 24);
    r.multicolor = static_cast<uint8_t>(w1);
    r.red = static_cast<uint8_t>(w1 >> 8);
    r.green = static_cast<uint8_t>(w1 >> 16);
    r.blue = static_cast<uint8_t>(w1 >> 24);
    r.reserved8 = static_cast<uint8_t>(w2);
    r.reserved9 = static_cast<uint8_t>(w2 >> 8);
    r.valid = static_cast<uint8_t>(w2 >> 16);
    r.device_mode = static_cast<uint8_t>(w2 >> 24);
    r.custom_group = static_cast<uint8_t>(w3);
    r.old_mode = static_cast<uint8_t>(w3 >> 8);
    return r;
}

}  // namespace

CRezazodaMouseDevice::CRezazodaMouseDevice(QWidget* parent)
    : CRezazodaModelDevice(std::make_unique<CMouseProfiledata>(), parent) {
    auto program = std::make_unique<MouseLightingProgram>(Leds(), Channel());
    program_ = program.get();
    SetLightingProgram(std::move(program));
}

// The device's threads are ended by the base: nothing they run touches the mouse's own
// state (the program is the base's, the worker's tasks hold copies).
// The lighting thread asks this model what to stream: it stops before any of the object goes.
CRezazodaMouseDevice::~CRezazodaMouseDevice() {
    Shutdown();
}

QSize CRezazodaMouseDevice::ScreenSize() {
    static const QSize size = [] {
        const QScreen* s = QGuiApplication::primaryScreen();
        return s != nullptr ? s->geometry().size() : QSize();
    }();
    return size;
}

CMouseProfiledata* CRezazodaMouseDevice::MouseProfile() const {
    return dynamic_cast<CMouseProfiledata*>(ProfileData());
}

// ---- Opening and re-reading ------------------------------------------------------------

void CRezazodaMouseDevice::UpdateDpiScale(const DpiScale& from_device) {
    if (from_device.Usable()) {
        scale_ = from_device;
    } else {
        // A block of zeros or a damaged one: the stages keep a scale they can be shown on.
        log::DebugLineF("mouse: DPI scale step %d, highest %d not usable; kept step %d, highest %d",
                        from_device.step, from_device.highest, scale_.step, scale_.highest);
    }
    performance_.ApplyScale();
}

void CRezazodaMouseDevice::FirstSync() {
    if (!Channel().IsOpen()) return;
    OnDevice(&ReadMouseTables, [this](const MouseTables& t) {
        if (t.info_read) Info() = t.info;
        if (t.transfer.Ok()) {
            button_map_ = t.button_map;
            key_count_ = t.key_count;
            slots_ = t.button_slots;
            UpdateDpiScale(MouseDpiScale(t.info));
        }  // else the page shows the profile only (mouse_io logs why)
        (void)LoadProfile();
        RefreshPage();
        if (t.transfer.Ok()) {
            StopLightingThread();
            StartLightingThread(std::chrono::milliseconds(kMouseTickMs));
        }
        ++syncs_done_;
    });
}

void CRezazodaMouseDevice::Resync() {
    ReloadProfileListIfChanged();
    // Without the mouse the page keeps what it shows.
    if (!Channel().IsOpen()) return;
    OnDevice(&ReadCurrentMousePage, [this](const MousePageRead& read) {
        if (read.result == kCmdOk) {
            AdoptPage(read);
        } else {
            log::DebugLineF("mouse: page not read: %s (%d)", CommandResultText(read.result),
                            read.result);
        }
        ++resyncs_done_;
    });
}

void CRezazodaMouseDevice::AdoptPage(const MousePageRead& read) {
    last_page_ = read.page;
    last_page_[kPageProfile] = static_cast<uint8_t>(read.profile);
    reported_profile_ = read.profile;
    const MouseSettingsPage page = DecodeMouseSettingsPage(last_page_);
    CMouseProfiledata* profile = MouseProfile();
    if (profile == nullptr) return;
    // The lighting the mouse shows; the direction is not on the page and stays.
    LightInfoRecord light = profile->CurrentLightInfo();
    light.mode = static_cast<uint8_t>(MouseModeIndexOfCode(page.mode_code, lists_.effects));
    light.brightness = page.brightness;
    light.speed = page.speed;
    light.multicolor = page.multicolour;
    light.red = page.red;
    light.green = page.green;
    light.blue = page.blue;
    profile->WriteLightInfo(light);
    (void)ApplyLighting();
    if (page.current_stage < kDpiRows) {
        stages_.current = page.current_stage;
        profile->SetCurrentStage(stages_.current);
    }
    SaveProfile();
    RefreshPage();
}

void CRezazodaMouseDevice::ReadPowerStatus() {
    if (PowerReadPaused() || !Channel().IsOpen()) return;
    OnDevice(&ReadMousePower, [this](const MousePowerRead& read) {
        if (read.result != kCmdOk) return;
        if (PowerDisplay* power = Power())
            power->SetPowerStatus(read.bytes.data(), read.bytes.size());
    });
}

// ---- Profile ----------------------------------------------------------------------------

void CRezazodaMouseDevice::TakeProfileSections() {
    CMouseProfiledata* profile = MouseProfile();
    if (profile == nullptr) return;
    (void)profile->LoadLightList(profile->GetLightListPath());
    MouseProfileSections sections = ReadMouseProfileSections(*profile);
    (void)profile->ReadAudioLightInfo();
    (void)ApplyLighting();
    keys_ = std::move(sections.keys);
    stages_ = std::move(sections.stages);
    system_values_ = sections.system_values;
    corrections_ = std::move(sections.corrections);
}

uint32_t CRezazodaMouseDevice::LoadProfile() {
    CMouseProfiledata* profile = MouseProfile();
    if (profile == nullptr || ProfileName().isEmpty()) return 0;
    SetProfilePaths();
    (void)profile->LoadDeviceSection(ProfileFile());
    TakeProfileSections();
    log::DebugLineF("mouse profile %s loaded", qUtf8Printable(ProfileName()));
    return 1;
}

void CRezazodaMouseDevice::RestoreDefaults() {
    CMouseProfiledata* profile = MouseProfile();
    if (profile == nullptr || ProfileName().isEmpty()) return;
    SetProfilePaths();
    const Json::Value defaults = profile->LoadDeviceSection(DefaultDataFile(KindName()));
    if (defaults.isNull()) {
        // Without factory settings the profile is not overwritten with nothing.
        log::DebugLine("mouse: default data not readable; the profile stays");
        (void)LoadProfile();
        RefreshPage();
        return;
    }
    TakeProfileSections();
    SaveProfile();
    RefreshPage();
}

void CRezazodaMouseDevice::SetLightInfo(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) {
    program_->SetLightWords(w0, w1);
    CRezazodaUSBDevice::SetLightInfo(w0, w1, w2, w3);  // wakes the lighting thread
    if (CBasicProfiledata* profile = ProfileData())
        profile->WriteLightInfo(RecordOfWords(w0, w1, w2, w3, profile->CurrentLightInfo()));
}

uint32_t CRezazodaMouseDevice::ApplyLighting() {
    CBasicProfiledata* profile = ProfileData();
    if (profile == nullptr) return 0;
    const LightInfoRecord light = profile->CurrentLightInfo();
    const int mode = light.mode;
    if (mode != last_mode_) {
        program_->RequestModeRestart();
        last_mode_ = mode;
    }
    // The user's light effect: its steps, from the first; user effect k is mode 10 + k.
    program_->SetUserEffect(UserEffectSteps(mode, kFirstUserLightEffect));
    TakeLightExtras();
    const auto b = light.Bytes();
    SetLightInfo(Word(b, 0), Word(b, 4), Word(b, 8), Word(b, 12));
    return 1;
}

// ---- Writing ----------------------------------------------------------------------------

uint32_t CRezazodaMouseDevice::WriteSystemSettings(int profile, int value, int flag, int screen_w,
                                                   int screen_h) {
    if (!Channel().IsOpen()) return 0;
    MouseSettingsInput in;
    if (const CBasicProfiledata* stored = ProfileData()) in.light = stored->CurrentLightInfo();
    in.modes = lists_.effects;
    in.report_rate = ReportRateOf(system_values_);
    in.current_stage = stages_.current;
    in.stages = stages_.stages;
    in.corrections = corrections_;
    in.byte0 = static_cast<uint8_t>(value);
    in.byte59 = static_cast<uint8_t>(flag);
    in.screen_width = screen_w;
    in.screen_height = screen_h;
    const MousePageBytes page = EncodeMouseSettingsPage(in);
    OnDevice(
        [profile, page](CommandChannel& channel) {
            return WriteMouseSettingsPage(channel, profile, page);
        },
        [this](const DeviceTransfer& t) {
            last_settings_write_ = t;
            ++settings_writes_done_;
        });
    return 1;
}

KeySlotMap CRezazodaMouseDevice::SlotMap() const {
    return {std::vector<uint8_t>(slots_.begin(), slots_.end()), kNoButtonSlot};
}

std::vector<int> CRezazodaMouseDevice::GetMacroList() const {
    return DeviceMacroList(keys_, SlotMap(), CountMacros(DataFolder()));
}

uint32_t CRezazodaMouseDevice::WriteKeyMap(int profile,
                                           const std::vector<KeyAssignmentEntry>& keys) {
    if (!Channel().IsOpen()) return 0;
    const std::span<const uint8_t> read(button_map_.data(),
                                        static_cast<size_t>(key_count_) * kKeyTableEntrySize);
    std::vector<uint8_t> table =
        BuildDeviceKeyTable(read, keys, SlotMap(), CountMacros(DataFolder()));
    OnDevice(
        [profile, table = std::move(table)](CommandChannel& channel) {
            return WriteKeyTable(channel, profile, table, kMouseReachable);
        },
        [this](const DeviceTransfer& t) {
            if (!t.Ok())
                log::DebugLineF("mouse button map: %s (%d)%s%s", CommandResultText(t.result),
                                t.result, t.refused ? ": " : "", t.refused ? t.refused : "");
            last_key_map_write_ = t;
            ++key_map_writes_done_;
        });
    return 1;
}

uint32_t CRezazodaMouseDevice::WriteCurrentKeyMap(int profile) {
    return WriteKeyMap(profile, keys_);
}

void CRezazodaMouseDevice::WriteMacros(const std::vector<int>& macros,
                                       std::function<void(int answer)> done) {
    if (!Channel().IsOpen()) {
        if (done) done(kMacrosWritten);
        return;
    }
    MacroUpload upload = ReadMacroUpload(DataFolder(), macros);
    OnDevice(
        [upload = std::move(upload)](CommandChannel& channel) {
            return WriteMacroUpload(channel, upload, kMouseReachable);
        },
        [done = std::move(done)](const MacroWriteOutcome& outcome) {
            if (done) done(outcome.answer);
        });
}

void CRezazodaMouseDevice::CheckMacroKeys() {
    if (ResetMacroKeysBeyond(keys_, CountMacros(DataFolder()))) {
        if (CBasicProfiledata* profile = ProfileData()) profile->SetKeyList(keys_);
        SaveProfile();
    }
    RefreshKeyInfoList();
}

void CRezazodaMouseDevice::UploadShootPatterns(std::function<void(bool sent)> done) {
    if (!Channel().IsOpen()) {
        if (done) done(false);
        return;
    }
    std::vector<uint8_t> image = BuildShootImage(DataFolder());
    OnDevice(
        [image = std::move(image)](CommandChannel& channel) {
            return WriteShootImage(channel, image);
        },
        [done = std::move(done)](const DeviceTransfer& t) {
            if (done) done(t.Ok());
        });
}

void CRezazodaMouseDevice::StoreStages() {
    if (CMouseProfiledata* profile = MouseProfile()) PutMouseStages(*profile, stages_);
    SaveProfile();
    const QSize screen = ScreenSize();
    (void)WriteSystemSettings(0, 0, 1, screen.width(), screen.height());
}

void CRezazodaMouseDevice::StoreSystemValues(bool write) {
    if (CMouseProfiledata* profile = MouseProfile()) profile->SetSystemValues(system_values_);
    SaveProfile();
    if (!write) return;
    const QSize screen = ScreenSize();
    (void)WriteSystemSettings(0, 0, 1, screen.width(), screen.height());
}

// ---- Notifications ------------------------------------------------------------------------

void CRezazodaMouseDevice::OnDeviceNotificationFrom(uint16_t usage, int path_index) {
    if (usage == kUsageButtonPressed) {
        // Only the cable reports presses; the preview starts again from full.
        if (path_index != kCablePath) return;
        program_->Press();
        WakeLighting();
        return;
    }
    const uint16_t family = usage & 0xFF00;
    if (family != kUsageProfile && family != kUsageProfileAndStage) return;
    if (!Channel().IsOpen()) return;
    const int nn = usage & 0xFF;
    reported_profile_ = nn & 0x0F;
    if (family == kUsageProfileAndStage) {
        const int stage = nn >> 4;
        if (stage < kDpiRows) {
            stages_.current = stage;
            if (CMouseProfiledata* profile = MouseProfile()) {
                profile->SetCurrentStage(stage);
                SaveProfile();
            }
        }
    }
    RefreshPage();
}

// ---- Page -------------------------------------------------------------------------------

// The panels are the page's controls of those names, once their classes answer the faces.
LightingPanel* CRezazodaMouseDevice::Lighting() {
    return PanelByName<LightingPanel>(QStringLiteral("LightControlItem"));
}
KeyAssignmentPanel* CRezazodaMouseDevice::KeyAssignment() {
    return PanelByName<KeyAssignmentPanel>(QStringLiteral("KeySetControlItem"));
}
MacroEditor* CRezazodaMouseDevice::Macros() {
    return PanelByName<MacroEditor>(QStringLiteral("MacroControlItem"));
}
ShootingPanel* CRezazodaMouseDevice::Shooting() {
    return PanelByName<ShootingPanel>(QStringLiteral("ShootControlItem"));
}

void CRezazodaMouseDevice::LoadPanelLists() {
    const std::filesystem::path folder = DataFolder();
    const PanelListFiles files{folder / "macro.config", DefaultDataFolder() / "default_light.json",
                               folder / (LightFilePrefix().toStdString() + ".config")};
    ReadPanelLists(files, GetKindCode(), lists_);
}

void CRezazodaMouseDevice::RefreshKeyInfoList() {
    if (key_info_list_ == nullptr) return;
    ui::RemoveAll(key_info_list_);
    const ui::ResourceManager& texts = ui::ResourceManager::Instance();
    for (int j = 0; j < kMouseButtons; ++j) {
        const KeyFunctionCode code = static_cast<size_t>(j) < keys_.size()
                                         ? keys_[static_cast<size_t>(j)].current
                                         : DefaultButtonCodes()[static_cast<size_t>(j)];
        QStringList parts;
        for (const AssignmentWord& w : AssignmentWords(code, lists_.macro_names)) {
            const QString text = QString::fromStdString(w.text);
            parts << (w.identifier ? texts.Text(text) : text);
        }
        ui::AddItem(key_info_list_, parts.join(QLatin1Char('+')));
    }
}

void CRezazodaMouseDevice::RefreshTexts() {
    CRezazodaModelDevice::RefreshTexts();
    RefreshKeyInfoList();
}

void CRezazodaMouseDevice::RefreshPage() {
    LoadPanelLists();
    RefreshKeyInfoList();
    if (LightingPanel* lighting = Lighting()) lighting->ShowLightRecord(GetLightRecord());
    performance_.ShowStages();
    performance_.ShowReportRate(ReportRateOf(system_values_));
}

void CRezazodaMouseDevice::SetFunctionPage(int page_type) {
    CRezazodaUSBDevice::SetFunctionPage(page_type);
    ui::SetVisible(hint_, false);
    ShowMacroViewChoice();
}

void CRezazodaMouseDevice::BuildModelPage() {
    QWidget* area = findChild<QWidget*>(QStringLiteral("mouse_device_seting_layout"));
    if (area == nullptr) area = this;
    preview_leds_.assign(static_cast<size_t>(LightCount()), nullptr);
    preview_shown_.assign(static_cast<size_t>(LightCount()), 0);
    for (QWidget* panel : area->findChildren<QWidget*>()) {
        if (qobject_cast<ui::SelectPanel*>(panel) == nullptr) continue;
        for (auto* button : panel->findChildren<ui::DeviceKeyButton*>()) {
            const auto split = SplitIndexedName(button->objectName().toStdString());
            if (split && split->numeric && split->prefix == "light_0_" &&
                split->number < LightCount()) {
                preview_leds_[static_cast<size_t>(split->number)] = button;
                button->SetLightColor(0xFFFFFFFF);  // white at full level to start
                if (preview_panel_ == nullptr) preview_panel_ = panel;
            } else if (button->objectName() == QLatin1String("logo")) {
                logo_ = button;
            }
        }
    }
    key_info_list_ = findChild<QWidget*>(QStringLiteral("device_setkeyinfo_list"));
    hint_ = findChild<QWidget*>(QStringLiteral("device_tishi_info"));
    performance_.Bind(this);
    performance_.ApplyScale();
    LoadPanelLists();
    if (LightingPanel* lighting = Lighting()) {
        lighting->AttachDevice(DeviceType());
        ShowEffectLists(*lighting, lists_);
    }
    if (MacroEditor* macros = Macros()) macros->AttachFolder(DataFolder());
    if (KeyAssignmentPanel* keys = KeyAssignment()) {
        keys->AttachDevice(DeviceType());
        keys->SetMacroNames(lists_.macro_names);
        ui::SetVisible(findChild<QWidget*>(QStringLiteral("KeySetControlItem")), false);
    }
    if (ShootingPanel* shoot = Shooting()) {
        shoot->SetUpload([this](std::function<void(bool)> done) {
            UploadShootPatterns(std::move(done));
        });
        shoot->SetFolders(DataFolder(), DefaultDataFolder());
    }
    if (QWidget* tab = findChild<QWidget*>(QStringLiteral("mouse_device_seting_option_0")))
        ui::SetSelected(tab, true);
    BindMacroViewSwitch();
}

void CRezazodaMouseDevice::BindMacroViewSwitch() {
    auto* views = findChild<QStackedWidget*>(QStringLiteral("mouse_macro_view_switch"));
    if (views == nullptr) return;
    for (int n = 0; n < views->count(); ++n) {
        auto* option = findChild<QAbstractButton*>(
            QStringLiteral("mouse_macro_view_option_%1").arg(n));
        if (option == nullptr) continue;
        // The view follows its option however it gets selected (a click, or code).
        connect(option, &QAbstractButton::toggled, views, [views, n](bool on) {
            if (on) views->setCurrentIndex(n);
        });
        if (n == 0) ui::SetSelected(option, true);
    }
    ShowMacroViewChoice();
}

void CRezazodaMouseDevice::ShowMacroViewChoice() {
    // The choice is offered only while the page that holds the two is shown.
    QWidget* choice = findChild<QWidget*>(QStringLiteral("mouse_macro_view_layout"));
    auto* views = findChild<QStackedWidget*>(QStringLiteral("mouse_macro_view_switch"));
    auto* pages = findChild<QStackedWidget*>(QStringLiteral("device_function_switch"));
    if (choice == nullptr || views == nullptr || pages == nullptr) return;
    choice->setVisible(pages->currentWidget() != nullptr &&
                       pages->currentWidget()->isAncestorOf(views));
}

void CRezazodaMouseDevice::SelectKey(int key) {
    CRezazodaUSBDevice::SelectKey(key);
    if (key < 0 || static_cast<size_t>(key) >= keys_.size()) return;
    if (KeyAssignmentPanel* panel = KeyAssignment()) {
        // The panel is hidden until a button is chosen.
        ui::SetVisible(findChild<QWidget*>(QStringLiteral("KeySetControlItem")), true);
        const KeyAssignmentEntry& entry = keys_[static_cast<size_t>(key)];
        panel->ShowKey(key, KeyCodeToProfileInt(entry.current),
                       KeyCodeToProfileInt(entry.default_code));
    }
}

std::vector<int32_t> CRezazodaMouseDevice::KeyCodes() const {
    std::vector<int32_t> codes;
    for (const KeyAssignmentEntry& e : keys_) codes.push_back(KeyCodeToProfileInt(e.current));
    return codes;
}

void CRezazodaMouseDevice::SetKeyCode(int key, int32_t code) {
    if (key < 0 || static_cast<size_t>(key) >= keys_.size()) return;
    keys_[static_cast<size_t>(key)].current = KeyCodeFromProfileInt(code);
    if (CBasicProfiledata* profile = ProfileData()) profile->SetKeyList(keys_);
    RefreshKeyInfoList();
}

void CRezazodaMouseDevice::PaintPicture() {
    bool changed = false;
    for (size_t i = 0; i < preview_leds_.size(); ++i) {
        auto* led = qobject_cast<ui::DeviceKeyButton*>(preview_leds_[i].data());
        if (led == nullptr || !led->isVisible()) continue;
        const lighting::LedRecord r = Leds().Get(i);
        const QRgb shown = qRgba(r.red, r.green, r.blue, r.alpha);
        if (preview_shown_[i] == shown) continue;
        preview_shown_[i] = shown;
        led->SetLightColor(shown);
        changed = true;
    }
    if (changed && PreviewFlag() && preview_panel_ != nullptr) preview_panel_->update();
    if (mouse_parameter_ != -1) {
        if (auto* logo = qobject_cast<ui::DeviceKeyButton*>(logo_.data())) {
            const lighting::LedRecord r = Leds().Get(static_cast<size_t>(mouse_parameter_));
            logo->SetLightColor(qRgba(r.red, r.green, r.blue, r.alpha));
        }
    }
    CRezazodaUSBDevice::PaintPicture();
}

}  // namespace dz
