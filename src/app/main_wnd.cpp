#include "app/main_wnd.h"

#include <QApplication>
#include <QCloseEvent>
#include <QCursor>
#include <QDesktopServices>
#include <QElapsedTimer>
#include <QEnterEvent>
#include <QLayout>
#include <QMenu>
#include <QMessageBox>
#include <QScreen>
#include <QStyle>
#include <QUrl>

#include "app/about_wnd.h"
#include "app/app_messages.h"
#include "app/app_setup.h"
#include "app/autostart.h"
#include "app/device_access_notice.h"
#include "app/layout_rules.h"
#include "app/msg_wnd.h"
#include "app/routing.h"
#include "panels/music_wnd.h"
#include "device/usb_device.h"
#include "panels/color_select_wnd.h"
#include "panels/device_option_ui.h"
#include "platform/desktop/desktop_settings.h"
#include "platform/input/input_session.h"
#include "platform/ipc/registered_messages.h"
#include "platform/log/debug_log.h"
#include "platform/paths/paths.h"
#include "ui/control_factory.h"
#include "ui/widgets/device_key_button.h"
#include "ui/control_ops.h"
#include "ui/dpi.h"
#include "ui/menu.h"
#include "ui/resource_manager.h"
#include "update/set_wnd.h"

namespace dz::app {

CMainWnd* CMainWnd::instance_ = nullptr;

static_assert(update::CSetWnd::Messages{}.language_changed == MSG_LANGUAGE_CHANGED);
static_assert(update::CSetWnd::Messages{}.clear_update_badge == MSG_CLEAR_UPDATE_BADGE);

namespace {

QString Str(std::string_view s) {
    return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
}

// Where the tray menu opens: away from the panel the tray sits in. The panel is where the
// screen's available area is cut.
ui::MenuAlign TrayMenuAlign(const QScreen* screen) {
    if (screen == nullptr) return ui::MenuAlign::kRightDown;
    const QRect full = screen->geometry();
    const QRect avail = screen->availableGeometry();
    if (avail.top() > full.top()) return ui::MenuAlign::kLeftDown;      // panel at the top
    if (avail.left() > full.left()) return ui::MenuAlign::kRightUp;     // at the left
    if (avail.bottom() < full.bottom()) return ui::MenuAlign::kLeftUp;  // at the bottom
    if (avail.right() < full.right()) return ui::MenuAlign::kLeftUp;    // at the right
    return ui::MenuAlign::kRightDown;
}

// Builder callback: skin class names answered by the main window, ignoring case.
struct BuilderRow {
    const char* skin_name;
    const char* class_name;  // created through the control factory
    const char* subtree;     // or built from this skin
};
constexpr BuilderRow kBuilderRows[] = {
    {"CircleProgress", "CCircleProgressUI", nullptr},
    {"SelectPanel", "CSelectPanelUI", nullptr},
    {"DeviceKeyButton", "CDeviceKeyButtonUI", nullptr},
    {"HandImgButton", "CHandImgButtonUI", nullptr},
    {"AudioRecord", "CAudioRecordUI", nullptr},
    {"HandImgSelectButton", "CHandImgSelectButtonUI", nullptr},
    {"RedioMacroButton", "CRedioMacroButtonUI", nullptr},
    {"ComboEditContainerElement", "CComboEditContainerElementUI", nullptr},
    {"DeviceOption", "CDeviceOptionUI", nullptr},
    {"MpDevicePower", "CMpDevicePowerUI", nullptr},
    {"RezazodaMousePadDevice", "CRezazodaMousePadDevice", nullptr},
    {"RezazodaDO6533Device", "CRezazodaDO6533Device", nullptr},
    {"RezazodaMouseDevice", "CRezazodaMouseDevice", nullptr},
    {"RezazodaKeyboardDevice", "CRezazodaKeyboardDevice", nullptr},
    {"DeviceProfile", "CDeviceProfileUI", nullptr},
    {"LightControl", "CLightControlUI", nullptr},
    {"MagicControl", "CMagicControlUI", nullptr},
    {"Voice6533Control", "CVoice6533ControlUI", nullptr},
    {"KeySetControl", "CKeySetControlUI", nullptr},
    {"ShootControl", "CShootControlUI", nullptr},
    {"DeviceProfileUI", nullptr, "XML\\CustomControlXML\\DeviceProfile.xml"},
    {"LightSetControlUI", nullptr, "XML\\CustomControlXML\\LightControl.xml"},
    {"Voice6533SetControlUI", nullptr, "XML\\CustomControlXML\\Voice6533Control.xml"},
    {"MagicSetControlUI", nullptr, "XML\\CustomControlXML\\MagicControl.xml"},
    {"KeySetControlUI", nullptr, "XML\\CustomControlXML\\KeySetControl.xml"},
    {"MacroSetControlUI", nullptr, "XML\\CustomControlXML\\MacroControl.xml"},
    {"ShootKeySetControlUI", nullptr, "XML\\CustomControlXML\\ShootControl.xml"},
    {"VirtualSetControlUI", nullptr, "XML\\CustomControlXML\\VirtualSet.xml"},
};

// The scanner's reports become messages sent to the window (the scanner waits for each).
class PortScannerEvents : public DeviceScanner::Events {
  public:
    PortScannerEvents(std::shared_ptr<ui::MessagePort> port, uint32_t app_show,
                      DeviceAccessNotice* notice)
        : port_(std::move(port)), app_show_(app_show), notice_(notice) {}
    void DeviceArrived(int slot) override { (void)port_->Send(MSG_DEVICE_ARRIVED, slot, 0); }
    void DeviceRemoved(int slot) override { (void)port_->Send(MSG_DEVICE_REMOVED, slot, 0); }
    void FirstPassDone() override { (void)port_->Post(app_show_, 0, 0); }
    void AccessDenied(const std::string& path) override { notice_->Report(path); }

  private:
    std::shared_ptr<ui::MessagePort> port_;
    uint32_t app_show_;
    DeviceAccessNotice* notice_;  // a child of the window, which outlives the scanner
};

}  // namespace

CMainWnd::CMainWnd(QDBusConnection session_bus, QDBusConnection system_bus)
    : ui::WindowBase(QStringLiteral("XML_MAIN"), QStringLiteral("MAIN_WND"), nullptr,
                     Qt::Window | Qt::FramelessWindowHint) {
    setObjectName(Str(kMainWindowName));
    setWindowTitle(Str(kAppTitle));
    core_ =
        std::make_unique<MainWndCore>(std::move(session_bus),
                                      MainWndCore::Devices{[this] { return CurrentDevicePage(); },
                                                           [this] { return LitDevices(); }},
                                      this);
    sleep_ = std::make_unique<ipc::SleepWatcher>(std::move(system_bus));
    connect(sleep_.get(), &ipc::SleepWatcher::Suspending, this, [this] { core_->OnSuspend(); });
    connect(sleep_.get(), &ipc::SleepWatcher::Resumed, this, [this] { OnSystemResumed(); });
    connect(core_.get(), &MainWndCore::ShowRequested, this, [this](qint64 lparam) {
        // Started with the session: the first scan's show leaves the window in the tray.
        if (start_hidden_ && lparam == 0) {
            start_hidden_ = false;
            return;
        }
        RestoreAndRaise();
    });
    connect(core_.get(), &MainWndCore::LightControlTextChanged, this, [this](const QString& t) {
        ui::ResourceManager::Instance().SetControlText(
            FindControl(QStringLiteral("control_light_status")), t);
    });
    connect(core_.get(), &MainWndCore::ForwardToSettings, this, [this](qint64 w, qint64 l) {
        if (auto* s = qobject_cast<ui::WindowBase*>(settings_wnd_.data()))
            (void)s->PostMessage(RegisterAppMessages().setwnd_forward, w, l);
    });
    connect(core_.get(), &MainWndCore::HookMessage, this, [](quint32 number, qint64, qint64) {
        // From another program: its record is not ours to read. The hook's own events come
        // through OnHookMessage.
        log::DebugLineF("hook message 0x%X from another program ignored", number);
    });
    input::InputSource source = input::OpenInputSource(
        input::CurrentSessionFacts(QGuiApplication::platformName() == QLatin1String("xcb")));
    hook_ = std::make_unique<input::CDeviceHook>(std::move(source.backend), source.coverage);
    CreateAudioLighting();
}

void CMainWnd::CreateAudioLighting() {
    const QByteArray program = qgetenv("DOZADIR_AUDIO_RECORD");
    AudioRecordLink::Config link{
        core_->Endpoint().Bus(),
        program.isEmpty()
            ? QCoreApplication::applicationDirPath() + QStringLiteral("/dozadir-audio-record")
            : QString::fromLocal8Bit(program),
        Str(kAppTitle), nullptr};
    const std::filesystem::path user_folder = paths::ProductDataFolder();
    (void)paths::EnsureFolder(user_folder);
    AudioLightingHub::Files files{user_folder / panels::kAudioFileName,
                                  paths::DefaultDataFolder() / panels::kAudioFileName};
    AudioLightingHub::Hooks hooks;
    hooks.current_page = [this] { return CurrentDevicePage(); };
    hooks.first_keyboard = [this]() -> CRezazodaUSBDevice* {
        if (!area_) return nullptr;
        const auto& keyboards = area_->DevicesOfKind(kKindKeyboard);
        return keyboards.empty() ? nullptr : keyboards.front();
    };
    // The system's own box, not modal: it stands beside the window (as the daemon's box
    // stands beside the other windows), one at a time.
    hooks.message_box = [this](const QString& text) {
        if (record_box_ != nullptr) return;
        auto* box = new QMessageBox(QMessageBox::Warning, Str(kAppTitle), text, QMessageBox::Ok,
                                    this);
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setModal(false);
        record_box_ = box;
        box->show();
    };
    hooks.style_window = [this](const panels::AudioStyleRecord& record) {
        return OpenStyleWindow(record);
    };
    audio_ = std::make_unique<AudioLightingHub>(std::move(link), std::move(files),
                                                std::move(hooks), this);
    core_->Endpoint().SetCopyDataHandler(
        [this](const QString&, int64_t tag, const QByteArray& bytes) {
            if (core_->SystemAwake()) audio_->OnCopyData(tag, bytes);
        });
}

std::optional<panels::AudioStyleRecord> CMainWnd::OpenStyleWindow(
    const panels::AudioStyleRecord& record) {
    auto* wnd = new panels::CMusicWnd(this);
    audio_style_wnd_ = wnd;
    wnd->Create();
    wnd->SetDPI(GetDPI());
    wnd->SetAudioStyleRecord(record);
    wnd->resize(panels::CMusicWnd::kWidth * GetDPI() / 96,
                panels::CMusicWnd::kHeight * GetDPI() / 96);
    wnd->move(geometry().center() - wnd->rect().center());
    const int result = wnd->ShowModal();
    std::optional<panels::AudioStyleRecord> accepted;
    if (result == 1) accepted = wnd->GetAudioStyleRecord();
    wnd->deleteLater();
    audio_style_wnd_ = nullptr;
    return accepted;
}

CMainWnd::~CMainWnd() {
    SkinChangeSubject::Instance().RemoveReceiver(this);
    if (!exiting_) Destroy();
    if (instance_ == this) instance_ = nullptr;
}

void CMainWnd::InitWindow() {
    log::DebugLine("InitWindow");
    ui::ResourceManager& rm = ui::ResourceManager::Instance();
    rm.SetTextQueryInterface([](const QString&, const QString&) -> std::optional<QString> {
        return std::nullopt;  // the main window answers no text itself
    });
    if (!rm.LoadLanguage(QStringLiteral("lan_cn"))) log::DebugLine("language lan_cn not loaded");
    rm.ReloadText();
    SkinChangeSubject::Instance().AddReceiver(this);
    for (const char* name : {"closebtn", "maxbtn", "restorebtn", "minbtn", "skinbtn", "gamemodebtn",
                             "cloudbtn", "smarteyesbtn", "setbtn"})
        (void)FindControl(QString::fromLatin1(name));
    instance_ = this;
    area_ = std::make_unique<DeviceArea>(
        *this, slots_,
        DeviceArea::Hooks{[this] { CloseChildWindows(); }, [this] { StopRecording(); },
                          [this] { RestoreAndRaise(); }});
    area_->BuildStartupPages();
    // The macro editors of the pages say what the hook cannot see.
    for (int kind : {0, 1})
        for (CRezazodaUSBDevice* d : area_->DevicesOfKind(kind))
            if (MacroEditor* editor = d->Macros()) editor->SetInputCoverage(hook_->Coverage());
    // So do the key assignment panels, whose key capture needs the hook.
    for (int kind : {0, 1})
        for (CRezazodaUSBDevice* d : area_->DevicesOfKind(kind))
            if (KeyAssignmentPanel* keys = d->KeyAssignment())
                keys->SetInputCoverage(hook_->Coverage());
    setWindowIcon(AppIcon());
    CreateTray();
}

void CMainWnd::CreateTray() {
    if (!QSystemTrayIcon::isSystemTrayAvailable())
        log::DebugLine("no system tray: the tray icon is not shown");
    tray_ = new QSystemTrayIcon(windowIcon(), this);
    tray_->setToolTip(Str(kAppTitle));
    connect(tray_, &QSystemTrayIcon::activated, this, [this](QSystemTrayIcon::ActivationReason r) {
        if (!core_->SystemAwake()) return;
        if (r == QSystemTrayIcon::Trigger) OnTrayLeftClick();
        if (r == QSystemTrayIcon::Context) OnTrayRightClick();
    });
    tray_->show();
}

void CMainWnd::OnWindowInit() {
    core_->BroadcastInitialLightState();
    (void)language_.Apply(language_.StartIndex());
    // The background chosen last time.
    if (const auto choice = StoredSkinChoice(MainIniFile())) OnSkinChanged(ToParam(*choice));
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        screen_w_ = s->geometry().width();
        screen_h_ = s->geometry().height();
    }
    (void)sleep_->Start();  // one debug line when there is no logind
    // A display change lays the window out again for its monitor.
    if (QScreen* s = QGuiApplication::primaryScreen()) {
        connect(s, &QScreen::geometryChanged, this, [this] {
            if (!core_->SystemAwake()) return;
            display_changed_ = true;
            DpiLayout();
        });
    }
    hide();  // shown when the device watch has made its first pass
    StartWorkers();
    audio_->Start(workers_);
    SetTimer(nullptr, kTimerDpiLayout.id, kTimerDpiLayout.period_ms);
    audio_->LoadStyles();
}

void CMainWnd::StartWorkers() {
    auto* notice = new DeviceAccessNotice(
        [this](const QString& message) { (void)MessageBox(message, false, 0); }, this);
    scanner_events_ =
        std::make_unique<PortScannerEvents>(Port(), RegisterAppMessages().app_show, notice);
    scanner_ = std::make_unique<DeviceScanner>(slots_, *scanner_events_);
    DeviceScanner* scanner = scanner_.get();
    // The scanner ends when the slot's stop event is set, as every worker does.
    const bool started = workers_.Start(
        kSlotDeviceWatch, [scanner](const StopEvent& stop) { scanner->RunHere(stop.Token()); });
    if (!started) log::DebugLine("device watch not started");
    LightSynchroniser* sync = &light_sync_;
    if (!workers_.Start(kSlotLightSync, [sync](const StopEvent& stop) { sync->Run(stop); }))
        log::DebugLine("lighting synchronisation not started");
}

void CMainWnd::OnBandSelectEnd(int picture) {
    auto* device = dynamic_cast<CRezazodaUSBDevice*>(CurrentDevicePage());
    if (device == nullptr) return;
    if (picture == kBandSelectShownPicture) picture = device->KindIndex() == kKindMouse ? 1 : 0;
    int selected = 0;
    int lights = 0;
    int lights_selected = 0;
    for (auto* key : device->findChildren<ui::DeviceKeyButton*>())
        selected += key->SelectedByBand();
    for (int n = 0; n < device->LightCount(); ++n) {
        auto* light = qobject_cast<ui::DeviceKeyButton*>(device->LightButton(n));
        if (light == nullptr) continue;
        ++lights;
        lights_selected += light->SelectedByBand();
    }
    log::DebugLineF("band selection: %d keys, %d of %d lights", selected, lights_selected, lights);
    // On the keyboard picture nothing persists. On the mouse picture a selection of every
    // light takes the profile's lighting again: the file such a selection would read is
    // named by no text, so the device is set from its profile.
    if (picture != 1 || device->KindIndex() != kKindMouse || lights == 0 ||
        lights_selected != lights)
        return;
    (void)device->LoadProfile();
    device->RefreshPage();
    (void)device->WriteSystemSettings(0, 0, 1, screen_w_, screen_h_);
    (void)device->ApplyLighting();
}

void CMainWnd::OnSameModeAllDevices() {
    if (!area_) return;
    LightSynchroniser::DeviceLists lists;
    for (int kind = 0; kind < 4; ++kind) lists[size_t(kind)] = area_->DevicesOfKind(kind);
    light_sync_.SetDevices(lists);
    light_sync_.SameMode(dynamic_cast<CRezazodaUSBDevice*>(CurrentDevicePage()), lists);
}

void CMainWnd::Notify(const ui::Notification& msg) {
    const std::string type = msg.type.toStdString();
    const std::string name = msg.name.toStdString();
    if (msg.type == QLatin1String("menu")) {
        if (auto hit = RouteMenuHook(name)) Dispatch(*hit, *this);
        return;
    }
    if (msg.type == QLatin1String("setfocus")) {
        if (auto hit = RouteSetFocusHook(name)) Dispatch(*hit, *this);
        return;
    }
    const RouteResult r = RouteNotification(type, name);
    if (r.log) log::DebugLineF("%s %s", type.c_str(), name.c_str());
    for (const RouteHit& hit : r.hits) Dispatch(hit, *this);
    if (r.pass_to_toolkit) ui::WindowBase::Notify(msg);
}

void CMainWnd::OnMenuCommand(const QString& item) {
    if (!core_->SystemAwake()) return;
    if (auto hit = RouteMenuCommand(item.toStdString())) Dispatch(*hit, *this);
}

qintptr CMainWnd::HandleMessage(unsigned msg, qintptr wParam, qintptr lParam, bool& handled) {
    if (msg >= ipc::kFirstRegisteredMessage) {
        handled = true;
        return static_cast<qintptr>(core_->HandleRegistered(msg, wParam, lParam));
    }
    const PrivateMessageRow* row = FindPrivateMessage(msg);
    if (row == nullptr) return ui::WindowBase::HandleMessage(msg, wParam, lParam, handled);
    handled = true;
    if (row->needs_awake && !core_->SystemAwake()) return 0;
    switch (msg) {
        case MSG_TRAY_CALLBACK:
            if (lParam == 0x0202) OnTrayLeftClick();   // left button up
            if (lParam == 0x0205) OnTrayRightClick();  // right button up
            break;
        case MSG_HOOK_REQUEST:
            OnHookRequest(static_cast<int>(wParam));
            break;
        case MSG_LOGGED_ONLY:
            log::DebugLineF("message 0x04C8 %lld %lld", (long long)wParam, (long long)lParam);
            break;
        case MSG_SHOW_SETTING_PROGRESS:
            ui::SetVisible(FindControl(QStringLiteral("setting_progress")), true);
            break;
        case MSG_LANGUAGE_CHANGED:
            OnLanguageChosen(static_cast<int>(wParam));
            break;
        case MSG_DEVICE_ARRIVED:
            if (area_) area_->OnDeviceArrived(static_cast<int>(wParam));
            break;
        case MSG_DEVICE_REMOVED:
            if (area_) area_->OnDeviceRemoved(static_cast<int>(wParam));
            break;
        case MSG_OPEN_SETTINGS_CENTRED:
            OnOpenSettings(true);
            break;
        case MSG_CLEAR_UPDATE_BADGE:
            ui::SetForeImage(FindControl(QStringLiteral("setbtn")), {});
            break;
        case MSG_IGNORED_0D02:
            break;
        case MSG_RECEIVER_LINK_CHANGED:
            if (area_) area_->OnLinkChanged(static_cast<int>(wParam), lParam != 0);
            break;
        case MSG_UPDATE_NOTICE:
            OnUpdateNotice(lParam);
            break;
        default:
            break;
    }
    return 0;
}

QWidget* CMainWnd::CreateControl(const QString& className, QWidget* parent) {
    for (const BuilderRow& row : kBuilderRows) {
        if (className.compare(QLatin1String(row.skin_name), Qt::CaseInsensitive) != 0) continue;
        if (row.subtree != nullptr) {
            auto* holder = new QWidget(parent);
            if (BuildSubtree(QString::fromLatin1(row.subtree), holder) == nullptr)
                log::DebugLineF("subtree %s not built", row.subtree);
            return holder;
        }
        const QString cls = QString::fromLatin1(row.class_name);
        if (QWidget* w = ui::ControlFactory::Instance().CreateControl(cls, parent)) return w;
        return MakePlaceholder(cls, parent);
    }
    return nullptr;
}

void CMainWnd::OnTimer(int id) {
    KillTimer(nullptr, id);
    if (!core_->SystemAwake()) return;
    if (id == kTimerDpiLayout.id) {
        DpiLayout();
        update();
        audio_->Handshake();
    } else if (id == kTimerTrayMenu.id) {
        OpenTrayMenu();
    } else if (id == kTimerProfileSwitch.id) {
        if (DevicePage* page = CurrentDevicePage())
            if (ProfileBar* bar = page->Profiles()) bar->OnSwitchToSelected();
    }
}

void CMainWnd::DpiLayout() {
    const bool was_shown = isVisible() && !isMinimized();
    if (!was_shown) showNormal();
    const QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    const QRect monitor = s != nullptr ? s->geometry() : QRect(0, 0, 1024, 768);
    const int dpi = LayoutDpiForMonitor(monitor.width(), monitor.height());
    // The DPI value is shared by every window of the toolkit.
    SetDPIForAll(96);
    resize(kLayoutWidth, kLayoutHeight);
    SetDPIForAll(dpi);
    if (s != nullptr) move(s->availableGeometry().center() - rect().center());
    if (was_shown) {
        show();
    } else {
        hide();
    }
}

void CMainWnd::OnRootSized() {
    if (!display_changed_) return;
    display_changed_ = false;
    DpiLayout();
}

int CMainWnd::ConnectedItemCount() const {
    return area_ ? area_->PresentCount() : 0;
}

std::vector<DevicePage*> CMainWnd::LitDevices() const {
    std::vector<DevicePage*> lit;
    if (!area_) return lit;
    for (int kind : {0, 2, 1})  // mice, mousepads, keyboards
        for (CRezazodaUSBDevice* d : area_->DevicesOfKind(kind)) lit.push_back(d);
    return lit;
}

DevicePage* CMainWnd::CurrentDevicePage() {
    return area_ ? area_->CurrentDevice() : nullptr;
}

void CMainWnd::OnDeviceSelected(int /*which*/) {
    if (area_) area_->OnItemSelected();
}

void CMainWnd::OnDeviceStep(int direction) {
    if (area_) area_->Step(direction);
}

void CMainWnd::SetPowerReadPause(bool pause, bool only_with_power_flag) {
    for (DevicePage* d : LitDevices()) {
        if (!only_with_power_flag || d->HasPowerFlag()) d->SetPowerReadPause(pause);
    }
}

void CMainWnd::OnSystemResumed() {
    core_->OnResume();
    if (area_) area_->ResyncAfterResume();
}

void CMainWnd::RestoreAndRaise() {
    ui::SetVisible(FindControl(QStringLiteral("No_device_Link")), ConnectedItemCount() == 0);
    SetPowerReadPause(false, false);
    showNormal();
    raise();
    activateWindow();
}

void CMainWnd::CloseChildWindows() {
    for (QWidget* w : {about_wnd_.data(), settings_wnd_.data(),
                       static_cast<QWidget*>(panels::CColorSelectWnd::OpenDialog()),
                       audio_style_wnd_.data(), skin_wnd_.data()}) {
        if (w == nullptr) continue;
        if (auto* win = qobject_cast<ui::WindowBase*>(w)) {
            win->Close(0);
        } else {
            w->close();
        }
    }
}

void CMainWnd::OnTrayLeftClick() {
    const int connected = ConnectedItemCount();
    QWidget* no_device = FindControl(QStringLiteral("No_device_Link"));
    if (connected == 0) {
        ui::SetVisible(no_device, true);
    } else if (update_notice_) {
        ui::SetVisible(no_device, false);
    }
    const bool was_shown = isVisible() && !isMinimized();
    CloseChildWindows();
    if (was_shown) {
        hide();
        SetPowerReadPause(true, false);
    } else {
        show();
        DpiLayout();
        showNormal();
        raise();
        activateWindow();
        update();
        SetPowerReadPause(false, false);
    }
}

void CMainWnd::OnTrayRightClick() {
    SetTimer(nullptr, kTimerTrayMenu.id, kTimerTrayMenu.period_ms);
}

void CMainWnd::OpenTrayMenu() {
    if (tray_menu_) tray_menu_->close();  // only one tray menu at a time
    tray_menu_ = ui::ShowPopupMenu(this, Str(kTrayMenuFile), QCursor::pos(),
                                   TrayMenuAlign(QGuiApplication::screenAt(QCursor::pos())),
                                   [this](const QString& item) { OnMenuCommand(item); });
}

void CMainWnd::OnOpenMacroActionMenu() {
    (void)ui::ShowPopupMenu(this, Str(kMacroActionMenuFile), QCursor::pos(),
                            ui::MenuAlign::kRightDown,
                            [this](const QString& item) { OnMenuCommand(item); });
}

void CMainWnd::OnCloseBtn() {
    CloseChildWindows();
    hide();
    SetPowerReadPause(true, true);
}

void CMainWnd::OnNoDeviceOk() {
    hide();
}

void CMainWnd::OnToggleLightStatus() {
    core_->ToggleLightStatus();
}

void CMainWnd::OnSysCommand(int which) {
    if (which == 0) showMinimized();
    if (which == 1) showMaximized();
    if (which == 2) showNormal();
}

int CMainWnd::MessageBox(const QString& message, bool text_is_id, int button_mode,
                         const QString& title) {
    return ShowMessageBox(this, title, message, GetDPI(), text_is_id, button_mode);
}

void CMainWnd::OnWindowsDeviceSettings(int n) {
    if (n != 0 && n != 1) return;
    const auto panel = n == 0 ? desktop::SettingsPanel::kKeyboard : desktop::SettingsPanel::kMouse;
    if (!desktop::OpenDesktopSettings(panel))
        (void)MessageBox(QStringLiteral("message_text_41"), true, 0);
}

void CMainWnd::OnDefaultBtn() {
    if (MessageBox(QStringLiteral("message_text_22"), true, 1) != 1) return;
    DevicePage* page = CurrentDevicePage();
    if (page == nullptr) return;
    page->RestoreDefaults();
    page->WriteCurrentKeyMap(0);
    page->WriteSystemSettings(0, 0, 1, screen_w_, screen_h_);
}

void CMainWnd::OnDeviceResetBtn() {
    if (MessageBox(QStringLiteral("message_text_22"), true, 1) != 1) return;
    DevicePage* page = CurrentDevicePage();
    if (page == nullptr) return;
    if (ProfileBar* bar = page->Profiles()) bar->ResetProfile();
    page->LoadProfile();
    page->RefreshPage();
    page->WriteSystemSettings(0, 0, 1, screen_w_, screen_h_);
    audio_->RestoreDefaultStyles();
    if (page->IsKeyboardOrMouse()) {
        // The answer comes from the device worker; the key map is queued behind the macros.
        QPointer<CMainWnd> self(this);
        page->WriteMacros([self](int answer) {
            if (self != nullptr) self->ShowMacroWriteAnswer(answer);
        });
        page->WriteCurrentKeyMap(0);
    }
    if (KeyAssignmentPanel* keys = page->KeyAssignment()) keys->EnableActions(false);
}

void CMainWnd::ShowMacroWriteAnswer(int answer) {
    if (answer == -1) {
        (void)MessageBox(QStringLiteral("message_text_7"), true, 0);
    } else if (answer > 0) {
        QWidget* probe = FindControl(QStringLiteral("str_test"));
        ui::ResourceManager::Instance().SetResourceText(probe, true);
        ui::SetText(probe, QStringLiteral("message_text_16"));
        (void)MessageBox(ui::Text(probe).replace(QStringLiteral("%d"), QString::number(answer)),
                         false, 0);
    }
}

void CMainWnd::OnHookRequest(int install) {
    log::DebugLineF("hook request %d", install);
    if (install == 1) {
        // The key capture does not take the hook from a recording.
        if (recording_page_ == nullptr)
            (void)hook_->StartHook(input::kHookModeSingleKey, this, true, true);
    } else if (hook_->Mode() == input::kHookModeSingleKey) {
        hook_->StopHook();
    }
}

void CMainWnd::OnMacroRecording() {
    SyncRecordingHook();
}

void CMainWnd::SyncRecordingHook() {
    DevicePage* page = CurrentDevicePage();
    MacroEditor* editor = page != nullptr ? page->Macros() : nullptr;
    const int mode = editor != nullptr ? editor->RecordingHookMode() : 0;
    if (mode != 0) {
        recording_page_ = page;
        if (hook_->StartHook(mode, this, true, true) == 0)
            log::DebugLine("recording without the keyboard hook: nothing is recorded");
    } else if (recording_page_ == page || recording_page_ == nullptr) {
        recording_page_ = nullptr;
        hook_->StopHook();
    }
}

void CMainWnd::StopRecording() {
    if (recording_page_ != nullptr) {
        if (MacroEditor* editor = recording_page_->Macros()) editor->AbortRecording();
        recording_page_ = nullptr;
    }
    hook_->StopHook();
}

void CMainWnd::OnHookMessage(const input::HookMessage& message) {
    if (!core_->SystemAwake()) return;
    if (message.mode == input::kHookModeSingleKey) {
        if (DevicePage* page = CurrentDevicePage())
            if (KeyAssignmentPanel* keys = page->KeyAssignment()) keys->OnHookKey(message);
        return;
    }
    if (recording_page_ == nullptr) return;
    if (MacroEditor* editor = recording_page_->Macros()) editor->OnHookMessage(message);
}

uint64_t CMainWnd::GrabWindow() const {
    // Grabbing onto this window keeps its focus (and the focused edit's) where it is.
    if (QGuiApplication::platformName() != QLatin1String("xcb") || !isVisible()) return 0;
    return static_cast<uint64_t>(winId());
}

void CMainWnd::OnProfileComboTimer() {
    SetTimer(nullptr, kTimerProfileSwitch.id, kTimerProfileSwitch.period_ms);
}

void CMainWnd::OnAbout() {
    if (about_wnd_) return;
    auto* about = new CAboutWnd(this);
    about_wnd_ = about;
    about->Create();
    about->resize(kMainWindowWidth, kMainWindowHeight);
    about->SetDPI(GetDPI());  // its size and content at the window's scale
    about->move(frameGeometry().center() - about->rect().center());
    (void)about->ShowModal();
    about_wnd_ = nullptr;
    about->deleteLater();
}

void CMainWnd::OnExit() {
    // The settings window refuses a close while it downloads; the program ends anyway.
    if (auto* settings = qobject_cast<update::CSetWnd*>(settings_wnd_.data())) settings->Shutdown();
    CloseChildWindows();
    exiting_ = true;
    Destroy();
    close();
    QCoreApplication::postEvent(qApp, new QEvent(QEvent::Quit));
}

void CMainWnd::Destroy() {
    exiting_ = true;
    log::DebugLine("退出测试");
    // The keyboard goes back to the other programs first, whatever the shut-down waits for;
    // a recording in progress is saved.
    if (hook_) StopRecording();
    hide();
    if (tray_ != nullptr) tray_->hide();
    ClosePort();  // no worker stays blocked in a send while we wait for it
    if (area_)
        for (CRezazodaUSBDevice* d : area_->AllDevices()) d->Shutdown();
    QElapsedTimer clock;
    clock.start();
    stop_report_ = workers_.StopAll();
    log::DebugLineF("workers joined: %zu in %lld ms, %zu late", stop_report_.joined,
                    static_cast<long long>(clock.elapsed()), stop_report_.late_slots.size());
    audio_->StopProgram();
}

void CMainWnd::closeEvent(QCloseEvent* event) {
    if (!exiting_) {
        // The window's close only hides it to the tray.
        event->ignore();
        OnCloseBtn();
        return;
    }
    ui::WindowBase::closeEvent(event);
}

void CMainWnd::changeEvent(QEvent* event) {
    if (event->type() == QEvent::ActivationChange) core_->SetActive(isActiveWindow());
    ui::WindowBase::changeEvent(event);
}

void CMainWnd::enterEvent(QEnterEvent* event) {
    core_->SetHover(true);
    ui::WindowBase::enterEvent(event);
}

void CMainWnd::leaveEvent(QEvent* event) {
    core_->SetHover(false);
    ui::WindowBase::leaveEvent(event);
}

}  // namespace dz::app

namespace dz::app {

void CMainWnd::OnLanguageChosen(int index) {
    if (language_.Apply(index)) {
        update();
        for (QWidget* w : {settings_wnd_.data(), about_wnd_.data(), audio_style_wnd_.data()})
            if (auto* win = qobject_cast<ui::WindowBase*>(w))
                (void)win->PostMessage(MSG_LANGUAGE_CHANGED, 0, 0);
        if (layout() != nullptr) layout()->invalidate();
    }
    for (DevicePage* d : LitDevices()) d->RefreshTexts();
}

std::vector<int> CMainWnd::FirmwareVersions() const {
    std::vector<int> versions;
    if (!area_) return versions;
    for (int i = 0; i < area_->ItemCount(); ++i) {
        int version = 0;
        panels::CDeviceOptionUI* item = area_->Item(i);
        auto* device =
            item != nullptr ? dynamic_cast<CRezazodaUSBDevice*>(item->GetDevice()) : nullptr;
        if (device != nullptr && device->ChannelOpen()) {
            CommandChannel& channel = device->Channel();
            version = channel.IsReceiverMode() ? channel.ReceiverInterface().VersionNumber()
                                               : channel.CableInterface().VersionNumber();
        }
        versions.push_back(version);
    }
    return versions;
}

void CMainWnd::OnOpenSettings(bool centred) {
    if (settings_wnd_) {
        // One at a time: the open one comes to the front (hidden with the main window while
        // it downloads, it would be out of reach otherwise).
        settings_wnd_->show();
        settings_wnd_->raise();
        settings_wnd_->activateWindow();
        return;
    }
    update::CSetWnd::Setup setup;
    setup.items = update::ItemsToCheck(update::BuildUpdateItems(FirmwareVersions()));
    setup.language_index = language_.CurrentIndex();
    setup.messages.installer_report = RegisterAppMessages().setwnd_forward;
    setup.server = update::UpdateServerAddress();
    setup.fill_language_combo = [this](QWidget* combo) { language_.FillCombo(combo); };
    setup.autostart = AutostartEnabled();
    setup.set_autostart = [](bool on) {
        return SetAutostart(on, QCoreApplication::applicationFilePath().toStdString());
    };
    auto* wnd = new update::CSetWnd(this, std::move(setup));
    settings_wnd_ = wnd;
    wnd->Create();
    wnd->SetDPI(GetDPI());
    const QScreen* s = screen() != nullptr ? screen() : QGuiApplication::primaryScreen();
    if (centred || !isVisible()) {
        if (s != nullptr) wnd->move(s->availableGeometry().center() - wnd->rect().center());
    } else {
        // Beside the caption's right end: 30 scaled pixels in from the right, 60 down.
        const QRect main = frameGeometry();
        wnd->move(main.right() + 1 - ui::ScalePx(30, GetDPI()) - wnd->width(),
                  main.top() + ui::ScalePx(60, GetDPI()));
    }
    (void)wnd->ShowModal();
    settings_wnd_ = nullptr;
    wnd->deleteLater();
}

void CMainWnd::OnOpenSkinWindow() {
    if (skin_wnd_) {
        skin_wnd_->close();
        return;
    }
    QWidget* button = FindControl(QStringLiteral("skinbtn"));
    auto* frame = new CSkinFrame(this, button);
    skin_wnd_ = frame;
    frame->Create();
    frame->SetDPI(GetDPI());
    frame->PlaceUnder(button);
    frame->show();
    frame->raise();
    frame->activateWindow();
}

void CMainWnd::OnSkinChanged(const SkinChangedParam& param) {
    QWidget* root = FindControl(QStringLiteral("root"));
    if (param.colour_mode) {
        ui::SetBkColor(root, param.colour);
        ui::SetBkImage(root, {});
    } else {
        ui::SetBkColor(root, 0);
        ui::SetBkImage(root, param.image);
    }
}

void CMainWnd::OnUpdateNotice(qintptr version) {
    if (version > 260) {
        update_notice_ = true;
        return;
    }
    update_notice_ = false;
    ui::SetVisible(FindControl(QStringLiteral("No_device_Link")), true);
    // Nothing is run: the folder with the downloaded packages is shown, and the program
    // keeps running either way.
    if (MessageBox(QStringLiteral("message_text_26"), true, 1, QStringLiteral("tips_text")) != 1)
        return;
    const std::filesystem::path folder = update::DownloadFolder();
    if (!paths::EnsureFolder(folder)) return;
    QDesktopServices::openUrl(QUrl::fromLocalFile(QString::fromStdString(folder.string())));
}

}  // namespace dz::app
