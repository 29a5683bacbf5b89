#include "app/route_dispatch.h"

#include "device/device_table.h"

namespace dz::app {
namespace {

// Calls `f` with the panel that `get` answers on the current page, when both exist.
template <typename Get, typename F>
void OnPanel(ShellHandlers& shell, Get get, F f) {
    DevicePage* page = shell.CurrentDevicePage();
    if (page == nullptr) return;
    if (auto* panel = (page->*get)()) f(*panel);
}

}  // namespace

void Dispatch(const RouteHit& hit, ShellHandlers& shell) {
    const int n = hit.index;
    const int arg = hit.arg;
    auto page = [&shell] { return shell.CurrentDevicePage(); };
    auto key = [&](auto f) { OnPanel(shell, &DevicePage::KeyAssignment, f); };
    auto light = [&](auto f) { OnPanel(shell, &DevicePage::Lighting, f); };
    auto audio = [&](auto f) { OnPanel(shell, &DevicePage::Audio, f); };
    auto mouse = [&](auto f) { OnPanel(shell, &DevicePage::Mouse, f); };
    auto keyboard = [&](auto f) { OnPanel(shell, &DevicePage::Keyboard, f); };
    auto shoot = [&](auto f) { OnPanel(shell, &DevicePage::Shooting, f); };
    auto headset = [&](auto f) { OnPanel(shell, &DevicePage::Headset, f); };
    auto profiles = [&](auto f) { OnPanel(shell, &DevicePage::Profiles, f); };
    auto macros = [&](auto f) { OnPanel(shell, &DevicePage::Macros, f); };

    switch (hit.action) {
        case Action::WindowInit:
            shell.OnWindowInit();
            break;
        case Action::RootSized:
            shell.OnRootSized();
            break;
        case Action::BandSelectEnd:
            shell.OnBandSelectEnd(arg);
            break;
        case Action::CloseBtn:
            shell.OnCloseBtn();
            break;
        case Action::NoDeviceOk:
            shell.OnNoDeviceOk();
            break;
        case Action::ToggleLightStatus:
            shell.OnToggleLightStatus();
            break;
        case Action::SysCommand:
            shell.OnSysCommand(arg);
            break;
        case Action::OpenSkinWindow:
            shell.OnOpenSkinWindow();
            break;
        case Action::OpenSettingsBeside:
            shell.OnOpenSettings(false);
            break;
        case Action::MenuSettingsCentred:
            shell.OnOpenSettings(true);
            break;
        case Action::WindowsDeviceSettings:
            shell.OnWindowsDeviceSettings(n);
            break;
        case Action::DefaultBtn:
            shell.OnDefaultBtn();
            break;
        case Action::DeviceResetBtn:
            shell.OnDeviceResetBtn();
            break;
        case Action::SameModeAllDevices:
            shell.OnSameModeAllDevices();
            break;
        case Action::OpenMacroActionMenu:
            shell.OnOpenMacroActionMenu();
            break;
        case Action::HookRequest:
            shell.OnHookRequest(arg);
            break;
        case Action::DeviceSelected:
            shell.OnDeviceSelected(arg);
            break;
        case Action::DevicePrev:
            shell.OnDeviceStep(-1);
            break;
        case Action::DeviceNext:
            shell.OnDeviceStep(1);
            break;
        case Action::ProfileComboTimer:
            shell.OnProfileComboTimer();
            break;
        case Action::MenuExit:
            shell.OnExit();
            break;
        case Action::MenuAbout:
            shell.OnAbout();
            break;

        case Action::KeyButton:
            key([&](KeyAssignmentPanel& p) { p.OnKeyButton(n); });
            break;
        case Action::KeyApply:
            key([](KeyAssignmentPanel& p) { p.OnApply(); });
            break;
        case Action::KeyDefault:
            key([](KeyAssignmentPanel& p) { p.OnDefault(); });
            break;
        case Action::KeyCancel:
            key([](KeyAssignmentPanel& p) { p.OnCancel(); });
            break;
        case Action::KeyWrite:
            key([](KeyAssignmentPanel& p) { p.OnWriteKeyAssignments(); });
            break;
        case Action::KeyComboModifier:
            key([&](KeyAssignmentPanel& p) { p.OnComboModifier(n); });
            break;
        case Action::KeyFunctionCombo:
            key([](KeyAssignmentPanel& p) { p.OnFunctionCombo(); });
            break;
        case Action::KeyMacroOverCombo:
            key([](KeyAssignmentPanel& p) { p.OnMacroOverCombo(); });
            break;
        case Action::KeyPanelRefresh:
            key([](KeyAssignmentPanel& p) { p.Refresh(); });
            break;

        case Action::LightPresetColour:
            light([&](LightingPanel& p) { p.OnPresetColour(n); });
            break;
        case Action::LightBrightness:
            if (DevicePage* d = page()) d->SetLightSync(false);
            light([](LightingPanel& p) { p.OnBrightness(); });
            break;
        case Action::LightSpeed:
            if (DevicePage* d = page()) d->SetLightSync(false);
            light([](LightingPanel& p) { p.OnSpeed(); });
            break;
        case Action::LightOption:
            light([&](LightingPanel& p) { p.OnOption(arg); });
            break;
        case Action::LightModeCombo:
            light([&](LightingPanel& p) { p.OnModeCombo(arg); });
            break;
        case Action::LightPalette:
            light([](LightingPanel& p) { p.OnPalette(); });
            break;
        case Action::LightEditRgb:
            light([&](LightingPanel& p) { p.OnEditRgb(arg); });
            break;

        case Action::AudioPresetColour:
            audio([&](AudioLighting& p) { p.OnPresetColour(n); });
            break;
        case Action::AudioBackgroundOff:
            audio([](AudioLighting& p) { p.OnBackgroundOff(); });
            break;
        case Action::AudioStyleWindow:
            audio([](AudioLighting& p) { p.OnOpenStyleWindow(); });
            break;
        case Action::AudioOption:
            audio([&](AudioLighting& p) { p.OnOption(arg); });
            break;
        case Action::AudioRgbSlider:
            audio([&](AudioLighting& p) { p.OnRgbSlider(arg); });
            break;
        case Action::AudioModeCombo:
            audio([](AudioLighting& p) { p.OnModeCombo(); });
            break;
        case Action::AudioPalette:
            audio([](AudioLighting& p) { p.OnPalette(); });
            break;
        case Action::AudioEditRgb:
            audio([&](AudioLighting& p) { p.OnEditRgb(arg); });
            break;

        case Action::DpiColourDialog:
            mouse([&](MouseSettings& p) { p.OnDpiColourDialog(n); });
            break;
        case Action::DpiEnable:
            mouse([&](MouseSettings& p) { p.OnDpiEnable(n); });
            break;
        case Action::DpiSelect:
            mouse([&](MouseSettings& p) { p.OnDpiSelect(n); });
            break;
        case Action::DpiSlider:
            mouse([&](MouseSettings& p) { p.OnDpiSlider(n); });
            break;
        case Action::DpiDrag:
            mouse([&](MouseSettings& p) { p.OnDpiDrag(n); });
            break;
        case Action::DpiEdit:
            mouse([&](MouseSettings& p) { p.OnDpiEdit(n); });
            break;
        case Action::RodavDpiDrag:
            mouse([&](MouseSettings& p) { p.OnRodavDpiDrag(n); });
            break;
        case Action::RodavDpiEdit:
            mouse([&](MouseSettings& p) { p.OnRodavDpiEdit(n); });
            break;
        case Action::MouseSystemOption:
            mouse([&](MouseSettings& p) { p.OnSystemOption(arg); });
            break;
        case Action::MouseSystemSlider:
            mouse([&](MouseSettings& p) { p.OnSystemSlider(arg); });
            break;
        case Action::MouseOption:
            mouse([&](MouseSettings& p) { p.OnMouseOption(n); });
            break;
        case Action::PollingRate:
            // One option family, two owners: the device's kind decides.
            if (DevicePage* d = page()) {
                if (d->KindIndex() == kKindMouse) {
                    mouse([&](MouseSettings& p) { p.OnPollingRate(n); });
                } else if (d->KindIndex() == kKindKeyboard) {
                    keyboard([&](KeyboardSettings& p) { p.OnPollingRate(n); });
                }
            }
            break;

        case Action::RepeatDelay:
            keyboard([&](KeyboardSettings& p) { p.OnRepeatDelay(n); });
            break;
        case Action::RepeatRate:
            keyboard([](KeyboardSettings& p) { p.OnRepeatRate(); });
            break;
        case Action::LockFlag:
            keyboard([&](KeyboardSettings& p) { p.OnLockFlag(arg); });
            break;
        case Action::ResetRepeat:
            keyboard([](KeyboardSettings& p) { p.OnResetRepeat(); });
            break;
        case Action::FillCustomColour:
            keyboard([&](KeyboardSettings& p) { p.FillCustomColour(arg); });
            break;

        case Action::ShootSave:
            shoot([](ShootingPanel& p) { p.OnSave(); });
            break;
        case Action::ShootReset:
            shoot([](ShootingPanel& p) { p.OnReset(); });
            break;
        case Action::BulletPrev:
            shoot([](ShootingPanel& p) { p.OnBulletPrev(); });
            break;
        case Action::BulletNext:
            shoot([](ShootingPanel& p) { p.OnBulletNext(); });
            break;
        case Action::ShootImport:
            shoot([](ShootingPanel& p) { p.OnImport(); });
            break;
        case Action::ShootExport:
            shoot([](ShootingPanel& p) { p.OnExport(); });
            break;
        case Action::GunOption:
            shoot([&](ShootingPanel& p) { p.OnGunOption(n); });
            break;
        case Action::BulletOption:
            shoot([&](ShootingPanel& p) { p.OnBulletOption(n); });
            break;
        case Action::ShootAxis:
            shoot([&](ShootingPanel& p) { p.OnAxis(arg); });
            break;
        case Action::ShootEdit:
            shoot([&](ShootingPanel& p) { p.OnEdit(arg); });
            break;

        case Action::VoiceEffect:
            headset([&](HeadsetPanels& p) { p.OnVoiceEffect(n); });
            break;
        case Action::EqPreset:
            headset([&](HeadsetPanels& p) { p.OnEqPreset(n); });
            break;
        case Action::EqBand:
            headset([&](HeadsetPanels& p) { p.OnEqBand(n); });
            break;
        case Action::EqSave:
            headset([](HeadsetPanels& p) { p.OnEqSave(); });
            break;
        case Action::EqDelete:
            headset([](HeadsetPanels& p) { p.OnEqDelete(); });
            break;
        case Action::HeadsetSwitch:
            headset([&](HeadsetPanels& p) { p.OnSwitch(arg); });
            break;
        case Action::MicSlider:
            headset([&](HeadsetPanels& p) { p.OnMicSlider(arg); });
            break;
        case Action::CustomEqCombo:
            headset([](HeadsetPanels& p) { p.OnCustomEqCombo(); });
            break;

        case Action::ProfileAdd:
            profiles([](ProfileBar& p) { p.OnAdd(); });
            break;
        case Action::ProfileDelete:
            profiles([](ProfileBar& p) { p.OnDelete(); });
            break;
        case Action::ProfileCopy:
            profiles([](ProfileBar& p) { p.OnCopy(); });
            break;
        case Action::ProfileRename:
            profiles([](ProfileBar& p) { p.OnRename(); });
            break;
        case Action::ProfileExpand:
            profiles([](ProfileBar& p) { p.OnExpand(); });
            break;
        case Action::ProfileImport:
            profiles([](ProfileBar& p) { p.OnImport(); });
            break;
        case Action::ProfileExport:
            profiles([](ProfileBar& p) { p.OnExport(); });
            break;
        case Action::FeatureTab:
            if (DevicePage* d = page()) d->OnFeatureTab(arg);
            break;

        case Action::MacroRecordStart:
            macros([](MacroEditor& p) { p.OnRecordStart(); });
            shell.OnMacroRecording();
            break;
        case Action::MacroRecordStop:
            macros([](MacroEditor& p) { p.OnRecordStop(); });
            shell.OnMacroRecording();
            key([](KeyAssignmentPanel& p) { p.OnWriteKeyAssignments(); });
            break;
        case Action::MacroNameAdd:
            macros([](MacroEditor& p) { p.OnNameAdd(); });
            break;
        case Action::MacroNameSub:
            macros([](MacroEditor& p) { p.OnNameSub(); });
            break;
        case Action::MacroNameEdit:
            macros([](MacroEditor& p) { p.OnNameEdit(); });
            break;
        case Action::MacroSave:
            macros([](MacroEditor& p) { p.OnSave(); });
            break;
        case Action::MacroCancel:
            macros([](MacroEditor& p) { p.OnCancel(); });
            break;
        case Action::MacroImport:
            macros([](MacroEditor& p) { p.OnImport(); });
            break;
        case Action::MacroExport:
            macros([](MacroEditor& p) { p.OnExport(); });
            break;
        case Action::MacroMoveOrDelete:
            macros([&](MacroEditor& p) { p.OnMoveOrDelete(arg); });
            key([](KeyAssignmentPanel& p) { p.OnWriteKeyAssignments(); });
            break;
        case Action::MacroMoveDown:
            // Moving down changes the macro as the other moves do, so the keys are written too.
            macros([](MacroEditor& p) { p.OnMoveDown(); });
            key([](KeyAssignmentPanel& p) { p.OnWriteKeyAssignments(); });
            break;
        case Action::MacroInsertCursorMove:
            macros([&](MacroEditor& p) { p.OnInsertCursorMove(arg); });
            break;
        case Action::MacroNameList:
            macros([](MacroEditor& p) { p.OnNameList(); });
            break;
        case Action::MacroDelay:
            macros([](MacroEditor& p) { p.OnDelay(); });
            break;
        case Action::MacroRecordOption:
            macros([&](MacroEditor& p) { p.OnRecordOption(arg); });
            shell.OnMacroRecording();
            break;
        case Action::MacroActionEdit:
            macros([](MacroEditor& p) { p.OnActionEdit(); });
            shell.OnMacroRecording();
            break;
        case Action::MacroInsertMouseEvent:
            macros([&](MacroEditor& p) { p.OnInsertMouseEvent(arg / 3, arg % 3); });
            break;
    }
}

}  // namespace dz::app
