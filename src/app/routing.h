#pragma once
// Where each notification of the main window's pages goes: tables by notification type,
// by whole control name and by the prefix of a numbered name ("key_12" -> "key_", 12).
// Lookup is pure data; RouteDispatcher (route_dispatch.h) turns a hit into a call.

#include <optional>
#include <string_view>
#include <vector>

namespace dz::app {

// The argument of BandSelectEnd for a band drawn on the picture of the page shown.
inline constexpr int kBandSelectShownPicture = -1;

// clang-format off
#define DZ_ROUTE_ACTIONS(X) \
    X(WindowInit) X(RootSized) X(BandSelectEnd) X(CloseBtn) X(NoDeviceOk) X(ToggleLightStatus) \
    X(SysCommand) X(OpenSkinWindow) X(OpenSettingsBeside) X(WindowsDeviceSettings) \
    X(DefaultBtn) X(DeviceResetBtn) X(SameModeAllDevices) X(OpenMacroActionMenu) \
    X(HookRequest) \
    X(KeyButton) X(KeyApply) X(KeyDefault) X(KeyCancel) X(KeyWrite) X(KeyComboModifier) \
    X(KeyFunctionCombo) X(KeyMacroOverCombo) X(KeyPanelRefresh) \
    X(LightPresetColour) X(LightBrightness) X(LightSpeed) X(LightOption) X(LightModeCombo) \
    X(LightPalette) X(LightEditRgb) \
    X(AudioPresetColour) X(AudioBackgroundOff) X(AudioStyleWindow) X(AudioOption) \
    X(AudioRgbSlider) X(AudioModeCombo) X(AudioPalette) X(AudioEditRgb) \
    X(DpiColourDialog) X(DpiEnable) X(DpiSelect) X(DpiSlider) X(DpiDrag) X(DpiEdit) \
    X(RodavDpiDrag) X(RodavDpiEdit) X(MouseSystemOption) X(MouseSystemSlider) X(MouseOption) \
    X(PollingRate) X(RepeatDelay) X(RepeatRate) X(LockFlag) X(ResetRepeat) X(FillCustomColour) \
    X(ShootSave) X(ShootReset) X(BulletPrev) X(BulletNext) X(ShootImport) X(ShootExport) \
    X(GunOption) X(BulletOption) X(ShootAxis) X(ShootEdit) \
    X(VoiceEffect) X(EqPreset) X(EqBand) X(EqSave) X(EqDelete) X(HeadsetSwitch) X(MicSlider) \
    X(CustomEqCombo) \
    X(ProfileAdd) X(ProfileDelete) X(ProfileCopy) X(ProfileRename) X(ProfileExpand) \
    X(ProfileImport) X(ProfileExport) X(ProfileComboTimer) X(FeatureTab) \
    X(MacroRecordStart) X(MacroRecordStop) X(MacroNameAdd) X(MacroNameSub) X(MacroNameEdit) \
    X(MacroSave) X(MacroCancel) X(MacroImport) X(MacroExport) X(MacroMoveOrDelete) \
    X(MacroMoveDown) X(MacroInsertCursorMove) X(MacroNameList) X(MacroDelay) \
    X(MacroRecordOption) X(MacroActionEdit) X(MacroInsertMouseEvent) \
    X(DeviceSelected) X(DevicePrev) X(DeviceNext) \
    X(MenuExit) X(MenuAbout) X(MenuSettingsCentred)
// clang-format on

enum class Action {
#define DZ_ACTION_ENUM(a) a,
    DZ_ROUTE_ACTIONS(DZ_ACTION_ENUM)
#undef DZ_ACTION_ENUM
};

[[nodiscard]] std::string_view ActionName(Action a);

struct RouteHit {
    Action action;
    int index = 0;  // the number of an indexed name (0 for whole names and bad tails)
    int arg = 0;    // which member of a row's group (see page_handlers.h)
    bool operator==(const RouteHit&) const = default;
};

struct RouteResult {
    std::vector<RouteHit> hits;   // in call order
    bool pass_to_toolkit = true;  // false for "click_wpremove" and "click_wpedit"
    bool log = true;              // every type but "timer" is logged
};

// Routes a notification of `type` from the control `sender`.
[[nodiscard]] RouteResult RouteNotification(std::string_view type, std::string_view sender);
// The "menu" hook: the macro action menu for "macro_action".
[[nodiscard]] std::optional<RouteHit> RouteMenuHook(std::string_view sender);
// The "setfocus" hook: hook request 1 for "keyset_keyboard_text_edit".
[[nodiscard]] std::optional<RouteHit> RouteSetFocusHook(std::string_view sender);
// A chosen menu item.
[[nodiscard]] std::optional<RouteHit> RouteMenuCommand(std::string_view item);

}  // namespace dz::app
