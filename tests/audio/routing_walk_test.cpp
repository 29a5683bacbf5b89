// No placeholder left: every routing row leads to a handler that does something, and every
// custom control class is a real control. The main window runs with all four emulated
// devices (Qt's offscreen platform); for each action of the routing tables the test finds
// the operation it calls and checks that the object which answers it on a real page (or the
// main window) has its own, not the face's empty default. Rows that no page can answer yet
// are listed in the failure, with the face that lacks its implementation.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDBusConnection>
#include <functional>
#include <map>
#include <set>
#include <string>

#include "app/app_setup.h"
#include "app/main_wnd.h"
#include "app/routing.h"
#include "models/keyboard_device.h"
#include "models/mouse_device.h"
#include "platform/hid/hid_backend.h"
#include "sim/emulator.h"
#include "support/qt_app.h"
#include "support/qt_wait.h"
#include "support/temp_folder.h"
#include "ui/control_factory.h"

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wpmf-conversions"
#define DZ_CAN_SEE_OVERRIDES 1
#endif

namespace dz {
namespace {

using app::Action;
using test::WaitUntil;

QApplication& App() {
    return test::TestApplication();
}

#ifdef DZ_CAN_SEE_OVERRIDES
// Whether `object` answers `method` with a function of its own class rather than the
// face's default: GCC hands out the address a virtual call on the object would reach.
template <class Face, class R, class... A>
bool Overrides(Face* object, R (Face::*method)(A...)) {
    static Face defaults;
    return reinterpret_cast<void*>(object->*method) != reinterpret_cast<void*>(defaults.*method);
}
template <class Face, class R, class... A>
bool Overrides(Face* object, R (Face::*method)(A...) const) {
    static Face defaults;
    return reinterpret_cast<void*>(object->*method) != reinterpret_cast<void*>(defaults.*method);
}
#endif

struct Objects {
    app::ShellHandlers* shell = nullptr;
    std::vector<DevicePage*> pages;  // one per kind
};

// What an action calls: a description and whether a real handler answers it; a handler
// that belongs to one kind's page is real when any page that has the face answers it.
struct Check {
    std::string what;
    std::function<bool(const Objects&)> real;
};

template <class Face, class M>
Check OnFace(const char* face, const char* method, Face* (DevicePage::*get)(), M m) {
    return {std::string(face) + "::" + method, [get, m](const Objects& o) {
                for (DevicePage* p : o.pages)
                    if (Face* f = (p->*get)(); f != nullptr && Overrides(f, m)) return true;
                return false;
            }};
}
template <class M>
Check OnShell(const char* method, M m) {
    return {std::string("CMainWnd::") + method,
            [m](const Objects& o) { return Overrides(o.shell, m); }};
}
template <class M>
Check OnPage(const char* method, M m) {
    return {std::string("DevicePage::") + method, [m](const Objects& o) {
                for (DevicePage* p : o.pages)
                    if (Overrides(p, m)) return true;
                return false;
            }};
}
Check OnAudio(const char* method, void (AudioLighting::*m)()) {
    return {std::string("AudioLighting::") + method, [m](const Objects& o) {
                AudioLighting* a = o.shell->AudioHandlers();
                return a != nullptr && Overrides(a, m);
            }};
}
Check OnAudio(const char* method, void (AudioLighting::*m)(int)) {
    return {std::string("AudioLighting::") + method, [m](const Objects& o) {
                AudioLighting* a = o.shell->AudioHandlers();
                return a != nullptr && Overrides(a, m);
            }};
}

#define SHELL(m) OnShell(#m, &app::ShellHandlers::m)
#define KEY(m) OnFace("KeyAssignmentPanel", #m, &DevicePage::KeyAssignment, &KeyAssignmentPanel::m)
#define LIGHT(m) OnFace("LightingPanel", #m, &DevicePage::Lighting, &LightingPanel::m)
#define AUDIO(m) OnAudio(#m, &AudioLighting::m)
#define MOUSE(m) OnFace("MouseSettings", #m, &DevicePage::Mouse, &MouseSettings::m)
#define KEYBOARD(m) OnFace("KeyboardSettings", #m, &DevicePage::Keyboard, &KeyboardSettings::m)
#define SHOOT(m) OnFace("ShootingPanel", #m, &DevicePage::Shooting, &ShootingPanel::m)
#define HEADSET(m) OnFace("HeadsetPanels", #m, &DevicePage::Headset, &HeadsetPanels::m)
#define PROFILES(m) OnFace("ProfileBar", #m, &DevicePage::Profiles, &ProfileBar::m)
#define MACROS(m) OnFace("MacroEditor", #m, &DevicePage::Macros, &MacroEditor::m)

// The operations each action calls (route_dispatch.cpp), every one of which must be real.
const std::map<Action, std::vector<Check>>& Calls() {
    static const std::map<Action, std::vector<Check>> calls = {
        {Action::WindowInit, {SHELL(OnWindowInit)}},
        {Action::RootSized, {SHELL(OnRootSized)}},
        {Action::BandSelectEnd, {SHELL(OnBandSelectEnd)}},
        {Action::CloseBtn, {SHELL(OnCloseBtn)}},
        {Action::NoDeviceOk, {SHELL(OnNoDeviceOk)}},
        {Action::ToggleLightStatus, {SHELL(OnToggleLightStatus)}},
        {Action::SysCommand, {SHELL(OnSysCommand)}},
        {Action::OpenSkinWindow, {SHELL(OnOpenSkinWindow)}},
        {Action::OpenSettingsBeside, {SHELL(OnOpenSettings)}},
        {Action::MenuSettingsCentred, {SHELL(OnOpenSettings)}},
        {Action::WindowsDeviceSettings, {SHELL(OnWindowsDeviceSettings)}},
        {Action::DefaultBtn, {SHELL(OnDefaultBtn)}},
        {Action::DeviceResetBtn, {SHELL(OnDeviceResetBtn)}},
        {Action::SameModeAllDevices, {SHELL(OnSameModeAllDevices)}},
        {Action::OpenMacroActionMenu, {SHELL(OnOpenMacroActionMenu)}},
        {Action::HookRequest, {SHELL(OnHookRequest)}},
        {Action::DeviceSelected, {SHELL(OnDeviceSelected)}},
        {Action::DevicePrev, {SHELL(OnDeviceStep)}},
        {Action::DeviceNext, {SHELL(OnDeviceStep)}},
        {Action::ProfileComboTimer, {SHELL(OnProfileComboTimer)}},
        {Action::MenuExit, {SHELL(OnExit)}},
        {Action::MenuAbout, {SHELL(OnAbout)}},
        {Action::KeyButton, {KEY(OnKeyButton)}},
        {Action::KeyApply, {KEY(OnApply)}},
        {Action::KeyDefault, {KEY(OnDefault)}},
        {Action::KeyCancel, {KEY(OnCancel)}},
        {Action::KeyWrite, {KEY(OnWriteKeyAssignments)}},
        {Action::KeyComboModifier, {KEY(OnComboModifier)}},
        {Action::KeyFunctionCombo, {KEY(OnFunctionCombo)}},
        {Action::KeyMacroOverCombo, {KEY(OnMacroOverCombo)}},
        {Action::KeyPanelRefresh, {KEY(Refresh)}},
        {Action::LightPresetColour, {OnPage("SetLightSync", &DevicePage::SetLightSync), LIGHT(OnPresetColour)}},
        {Action::LightBrightness, {OnPage("SetLightSync", &DevicePage::SetLightSync), LIGHT(OnBrightness)}},
        {Action::LightSpeed, {OnPage("SetLightSync", &DevicePage::SetLightSync), LIGHT(OnSpeed)}},
        {Action::LightOption, {OnPage("SetLightSync", &DevicePage::SetLightSync), LIGHT(OnOption)}},
        {Action::LightModeCombo, {OnPage("SetLightSync", &DevicePage::SetLightSync), LIGHT(OnModeCombo)}},
        {Action::LightPalette, {OnPage("SetLightSync", &DevicePage::SetLightSync), LIGHT(OnPalette)}},
        {Action::LightEditRgb, {OnPage("SetLightSync", &DevicePage::SetLightSync), LIGHT(OnEditRgb)}},
        {Action::AudioPresetColour, {AUDIO(OnPresetColour)}},
        {Action::AudioBackgroundOff, {AUDIO(OnBackgroundOff)}},
        {Action::AudioStyleWindow, {AUDIO(OnOpenStyleWindow)}},
        {Action::AudioOption, {AUDIO(OnOption)}},
        {Action::AudioRgbSlider, {AUDIO(OnRgbSlider)}},
        {Action::AudioModeCombo, {AUDIO(OnModeCombo)}},
        {Action::AudioPalette, {AUDIO(OnPalette)}},
        {Action::AudioEditRgb, {AUDIO(OnEditRgb)}},
        {Action::DpiColourDialog, {MOUSE(OnDpiColourDialog)}},
        {Action::DpiEnable, {MOUSE(OnDpiEnable)}},
        {Action::DpiSelect, {MOUSE(OnDpiSelect)}},
        {Action::DpiSlider, {MOUSE(OnDpiSlider)}},
        {Action::DpiDrag, {MOUSE(OnDpiDrag)}},
        {Action::DpiEdit, {MOUSE(OnDpiEdit)}},
        {Action::RodavDpiDrag, {MOUSE(OnRodavDpiDrag)}},
        {Action::RodavDpiEdit, {MOUSE(OnRodavDpiEdit)}},
        {Action::MouseSystemOption, {MOUSE(OnSystemOption)}},
        {Action::MouseSystemSlider, {MOUSE(OnSystemSlider)}},
        {Action::MouseOption, {MOUSE(OnMouseOption)}},
        {Action::PollingRate, {MOUSE(OnPollingRate), KEYBOARD(OnPollingRate)}},
        {Action::RepeatDelay, {KEYBOARD(OnRepeatDelay)}},
        {Action::RepeatRate, {KEYBOARD(OnRepeatRate)}},
        {Action::LockFlag, {KEYBOARD(OnLockFlag)}},
        {Action::ResetRepeat, {KEYBOARD(OnResetRepeat)}},
        {Action::FillCustomColour, {KEYBOARD(FillCustomColour)}},
        {Action::ShootSave, {SHOOT(OnSave)}},
        {Action::ShootReset, {SHOOT(OnReset)}},
        {Action::BulletPrev, {SHOOT(OnBulletPrev)}},
        {Action::BulletNext, {SHOOT(OnBulletNext)}},
        {Action::ShootImport, {SHOOT(OnImport)}},
        {Action::ShootExport, {SHOOT(OnExport)}},
        {Action::GunOption, {SHOOT(OnGunOption)}},
        {Action::BulletOption, {SHOOT(OnBulletOption)}},
        {Action::ShootAxis, {SHOOT(OnAxis)}},
        {Action::ShootEdit, {SHOOT(OnEdit)}},
        {Action::VoiceEffect, {HEADSET(OnVoiceEffect)}},
        {Action::EqPreset, {HEADSET(OnEqPreset)}},
        {Action::EqBand, {HEADSET(OnEqBand)}},
        {Action::EqSave, {HEADSET(OnEqSave)}},
        {Action::EqDelete, {HEADSET(OnEqDelete)}},
        {Action::HeadsetSwitch, {HEADSET(OnSwitch)}},
        {Action::MicSlider, {HEADSET(OnMicSlider)}},
        {Action::CustomEqCombo, {HEADSET(OnCustomEqCombo)}},
        {Action::ProfileAdd, {PROFILES(OnAdd)}},
        {Action::ProfileDelete, {PROFILES(OnDelete)}},
        {Action::ProfileCopy, {PROFILES(OnCopy)}},
        {Action::ProfileRename, {PROFILES(OnRename)}},
        {Action::ProfileExpand, {PROFILES(OnExpand)}},
        {Action::ProfileImport, {PROFILES(OnImport)}},
        {Action::ProfileExport, {PROFILES(OnExport)}},
        {Action::FeatureTab, {OnPage("OnFeatureTab", &DevicePage::OnFeatureTab)}},
        {Action::MacroRecordStart, {MACROS(OnRecordStart), SHELL(OnMacroRecording)}},
        {Action::MacroRecordStop, {MACROS(OnRecordStop), SHELL(OnMacroRecording), KEY(OnWriteKeyAssignments)}},
        {Action::MacroNameAdd, {MACROS(OnNameAdd)}},
        {Action::MacroNameSub, {MACROS(OnNameSub)}},
        {Action::MacroNameEdit, {MACROS(OnNameEdit)}},
        {Action::MacroSave, {MACROS(OnSave)}},
        {Action::MacroCancel, {MACROS(OnCancel)}},
        {Action::MacroImport, {MACROS(OnImport)}},
        {Action::MacroExport, {MACROS(OnExport)}},
        {Action::MacroMoveOrDelete, {MACROS(OnMoveOrDelete), KEY(OnWriteKeyAssignments)}},
        {Action::MacroMoveDown, {MACROS(OnMoveDown), KEY(OnWriteKeyAssignments)}},
        {Action::MacroInsertCursorMove, {MACROS(OnInsertCursorMove)}},
        {Action::MacroNameList, {MACROS(OnNameList)}},
        {Action::MacroDelay, {MACROS(OnDelay)}},
        {Action::MacroRecordOption, {MACROS(OnRecordOption), SHELL(OnMacroRecording)}},
        {Action::MacroActionEdit, {MACROS(OnActionEdit), SHELL(OnMacroRecording)}},
        {Action::MacroInsertMouseEvent, {MACROS(OnInsertMouseEvent)}},
    };
    return calls;
}

class RoutingWalkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        App();
        ::setenv("DOZADIR_DATA_HOME", home_.path().c_str(), 1);
        ::setenv("DOZADIR_AUDIO_RECORD", "/bin/true", 1);
        app::SetupResources(app::ProgramFolder());
    }
    void TearDown() override {
        if (wnd_) wnd_->OnExit();
        wnd_.reset();
        if (emulator_) hid::BackendRegistry::Instance().Remove(emulator_->Backend().get());
        emulator_.reset();
        ::unsetenv("DOZADIR_DATA_HOME");
        ::unsetenv("DOZADIR_AUDIO_RECORD");
    }
    test::TempFolder home_;
    std::unique_ptr<sim::Emulator> emulator_;
    std::unique_ptr<app::CMainWnd> wnd_;
};

TEST_F(RoutingWalkTest, EveryRoutedActionReachesARealHandler) {
#ifndef DZ_CAN_SEE_OVERRIDES
    GTEST_SKIP() << "needs GCC's bound member function addresses";
#else
    sim::EmulatorConfig config;
    config.keyboard = config.mouse = config.mousepad = config.headset = true;
    emulator_ = std::make_unique<sim::Emulator>(config);
    emulator_->SetLatency(std::chrono::microseconds(0));
    hid::BackendRegistry::Instance().Add(emulator_->Backend());
    const QDBusConnection none = QDBusConnection::connectToBus(
        QStringLiteral("unix:path=/nonexistent/none"), QStringLiteral("none"));
    wnd_ = std::make_unique<app::CMainWnd>(none, none);
    ASSERT_TRUE(wnd_->Create());
    wnd_->show();
    Objects objects;
    objects.shell = wnd_.get();
    ASSERT_TRUE(WaitUntil(
        [&] {
            for (int kind = 0; kind < 4; ++kind)
                if (wnd_->Devices().DevicesOfKind(kind).empty()) return false;
            return true;
        },
        10000));
    for (int kind = 0; kind < 4; ++kind)
        objects.pages.push_back(wnd_->Devices().DevicesOfKind(kind).front());

    // Every action of the tables has its calls listed here.
    std::vector<std::string> unlisted, empty;
#define DZ_CHECK_ACTION(a)                                                      \
    if (auto it = Calls().find(Action::a); it == Calls().end()) {               \
        unlisted.push_back(#a);                                                 \
    } else {                                                                    \
        for (const Check& c : it->second)                                       \
            if (!c.real(objects)) empty.push_back(std::string(#a) + " -> " + c.what); \
    }
    DZ_ROUTE_ACTIONS(DZ_CHECK_ACTION)
#undef DZ_CHECK_ACTION
    std::string list;
    for (const std::string& e : empty) list += "\n  " + e;
    EXPECT_TRUE(unlisted.empty()) << "actions without their calls in this test: " << unlisted.size();
    EXPECT_TRUE(empty.empty()) << empty.size() << " routed calls end in an empty default:" << list;
#endif
}

TEST_F(RoutingWalkTest, EveryCustomControlClassIsARealControl) {
    const QStringList placeholders = app::PlaceholderControlClasses();
    EXPECT_TRUE(placeholders.isEmpty())
        << "still placeholders: " << placeholders.join(QStringLiteral(", ")).toStdString();
}

}  // namespace
}  // namespace dz
