#pragma once
// The faces of a device page: what the main window's routing and the page's profile bar
// call on the device object, and what the device object hands out of its page (its
// panels). They are declared here, in the device layer, so that the device objects depend
// on nothing above them: the panels and the application implement or call them. Every
// operation has an empty default so that the routing is complete before its handlers are.
// `n` is the index of a numbered control family.

#include <array>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/input/hook_records.h"

namespace dz {

class DevicePage;

using LightRecord = std::array<uint8_t, 14>;  // byte 0 the mode, byte 13 a saved mode

class KeyAssignmentPanel {
  public:
    virtual ~KeyAssignmentPanel() = default;
    // What the page's device object gives its panel: the device type (which function pages
    // it offers) and the names of the kind's macros; then, when a key is selected, the key's
    // current and default codes (profile form: type * 65536 + first * 256 + second).
    virtual void AttachDevice(int /*device_type*/) {}
    virtual void SetMacroNames(const std::vector<std::string>& /*names*/) {}
    virtual void ShowKey(int /*key*/, int32_t /*current*/, int32_t /*default_code*/) {}
    virtual void OnKeyButton(int /*n*/) {}
    virtual void OnApply() {}
    virtual void OnDefault() {}
    virtual void OnCancel() {}
    virtual void OnWriteKeyAssignments() {}
    virtual void OnComboModifier(int /*n*/) {}
    virtual void OnFunctionCombo() {}
    virtual void OnMacroOverCombo() {}
    virtual void Refresh() {}

    // The macro editor's changes to the kind's macro list (item `index` goes or is renamed),
    // and the action buttons (save, cancel, write to the device) on or off.
    virtual void RemoveMacro(int /*index*/) {}
    virtual void RenameMacro(int /*index*/, const std::string& /*name*/) {}
    virtual void EnableActions(bool /*on*/) {}

    // Key capture: while "keyset_keyboard_text_edit" has the focus the main window runs the
    // input hook in mode 1 and hands the panel every key press and release as
    // "WM_HOOK_KEY_SINGLEKEY_MSG" (message.key: scan code and extended flag).
    virtual void OnHookKey(const input::HookMessage& /*message*/) {}
    // How much of the user's input the hook sees: without it the panel says that keys
    // cannot be captured.
    virtual void SetInputCoverage(input::InputCoverage /*coverage*/) {}
    // After a language change: the texts the panel set itself, in the new language.
    virtual void RefreshTexts() {}
};

class LightingPanel {
  public:
    virtual ~LightingPanel() = default;
    virtual void OnPresetColour(int /*n*/) {}
    virtual void OnBrightness() {}
    virtual void OnSpeed() {}
    virtual void OnOption(int /*which: 0 FXL, 1 FXR, 2 colourful*/) {}
    virtual void OnModeCombo(int /*which: 0 mode, 1 custom, 2 ZZCC*/) {}
    virtual void OnPalette() {}
    virtual void OnEditRgb(int /*channel*/) {}
    virtual void SelectMode(int /*mode*/) {}
    // Whether more than one device is present (synchronised lighting is offered then).
    virtual void SetMultiDevice(bool /*several*/) {}

    // What the page's device object gives its panel: the device type, the kind's built-in
    // effects (language text keys, in index order, with whether each is offered), its light
    // areas and its custom effects; the lighting record to show.
    virtual void AttachDevice(int /*device_type*/) {}
    virtual void SetEffectList(const std::vector<std::string>& /*names*/,
                               const std::vector<bool>& /*visible*/) {}
    virtual void SetAreaList(const std::vector<std::string>& /*names*/) {}
    virtual void SetCustomEffectList(const std::vector<std::string>& /*names*/) {}
    virtual void ShowLightRecord(const LightRecord& /*record*/) {}
    // The audio-light words the panel shows (SetAudioLightInfo / GetAudioLightInfo).
    virtual void SetAudioLightWords(const std::array<uint32_t, 3>& /*words*/) {}
    [[nodiscard]] virtual std::optional<std::array<uint32_t, 3>> AudioLightWords() const {
        return std::nullopt;
    }
    // The custom colour group selected in the panel, or -1 when none is.
    [[nodiscard]] virtual int SelectedCustomGroup() const { return -1; }
    // Shows custom colour group `group` as the selected one.
    virtual void ShowCustomGroup(int /*group*/) {}
};

class AudioLighting {
  public:
    virtual ~AudioLighting() = default;
    virtual void OnPresetColour(int /*n*/) {}
    virtual void OnBackgroundOff() {}
    virtual void OnOpenStyleWindow() {}
    virtual void OnOption(int /*which: 0 colourful, 1 background, 2 foreground*/) {}
    virtual void OnRgbSlider(int /*channel*/) {}
    virtual void OnModeCombo() {}
    virtual void OnPalette() {}
    virtual void OnEditRgb(int /*channel*/) {}
    virtual void RestoreDefaultStyles() {}
};

class MouseSettings {
  public:
    virtual ~MouseSettings() = default;
    virtual void OnDpiColourDialog(int /*n*/) {}
    virtual void OnDpiEnable(int /*n*/) {}
    virtual void OnDpiSelect(int /*n*/) {}
    virtual void OnDpiSlider(int /*n*/) {}
    virtual void OnDpiDrag(int /*n*/) {}
    virtual void OnDpiEdit(int /*n*/) {}
    virtual void OnRodavDpiDrag(int /*n*/) {}
    virtual void OnRodavDpiEdit(int /*n*/) {}
    virtual void OnSystemOption(int /*which: 0 precision, 1 scroll pages*/) {}
    virtual void OnSystemSlider(int /*which: 0 pointer, 1 scroll, 2 double click*/) {}
    virtual void OnMouseOption(int /*n*/) {}
    virtual void OnPollingRate(int /*n*/) {}
};

class KeyboardSettings {
  public:
    virtual ~KeyboardSettings() = default;
    virtual void OnPollingRate(int /*n*/) {}
    virtual void OnRepeatDelay(int /*n*/) {}
    virtual void OnRepeatRate() {}
    virtual void OnLockFlag(int /*which: 0 win lock, 1 W flag, 2 6 flag*/) {}
    virtual void OnResetRepeat() {}
    virtual void FillCustomColour(int /*bright*/) {}
    // The custom colour effect's groups: select one (stored in the profile), or take the
    // stored one's colours onto the keys (showing it selected, or leaving the selection).
    virtual void SelectCustomGroup(int /*group*/) {}
    virtual void LoadCustomGroup(bool /*show_selected*/) {}
};

class ShootingPanel {
  public:
    virtual ~ShootingPanel() = default;
    virtual void OnSave() {}
    virtual void OnReset() {}
    virtual void OnBulletPrev() {}
    virtual void OnBulletNext() {}
    virtual void OnImport() {}
    virtual void OnExport() {}
    virtual void OnGunOption(int /*n*/) {}
    virtual void OnBulletOption(int /*n*/) {}
    virtual void OnAxis(int /*which: 0 x, 1 y*/) {}
    virtual void OnEdit(int /*which: 0 x, 1 y, 2 delay*/) {}

    // The device's data folder (working pattern files) and the default data folder.
    virtual void SetFolders(const std::filesystem::path& /*data*/,
                            const std::filesystem::path& /*defaults*/) {}
    // The device's operation that sends the four pattern files (UploadShootPatterns); it
    // calls `done` later, on the UI thread, with whether they went to the device.
    using Upload = std::function<void(std::function<void(bool sent)> done)>;
    virtual void SetUpload(Upload /*upload*/) {}
};

class HeadsetPanels {
  public:
    virtual ~HeadsetPanels() = default;
    virtual void OnVoiceEffect(int /*n*/) {}
    virtual void OnEqPreset(int /*n*/) {}
    virtual void OnEqBand(int /*n*/) {}
    virtual void OnEqSave() {}
    virtual void OnEqDelete() {}
    virtual void OnSwitch(int /*which: 0 voice effect, 1 mic in, 2 mic monitor*/) {}
    virtual void OnMicSlider(int /*which: 0 mic in, 1 mic monitor*/) {}
    virtual void OnCustomEqCombo() {}
};

// The headset's sound panel as its device object fills and reads it (the equaliser presets,
// the custom equaliser list, the ten bands, the microphone and monitoring). Getters answer
// -1 (values, selection), 0 (count) or an empty text when the skin lacks the control.
class HeadsetSoundPanel {
  public:
    virtual ~HeadsetSoundPanel() = default;
    virtual void AttachDevice(int /*device_type*/) {}
    virtual void SelectEqOption(int /*n*/) {}
    virtual void ShowCustomEqControls(bool /*enabled*/) {}
    virtual void SetBandValue(int /*band*/, int /*value*/) {}
    [[nodiscard]] virtual int GetBandValue(int /*band*/) const { return -1; }
    virtual void SetMicInSwitch(bool /*on*/) {}
    virtual void SetMonitorSwitch(bool /*on*/) {}
    virtual void SetMicInValue(int /*value*/) {}
    virtual void SetMonitorValue(int /*value*/) {}
    [[nodiscard]] virtual int GetMicInValue() const { return -1; }
    [[nodiscard]] virtual int GetMonitorValue() const { return -1; }
    virtual void SetCustomEqName(const std::string& /*text*/) {}
    [[nodiscard]] virtual std::string GetCustomEqName() const { return {}; }
    virtual void AddCustomEqName(const std::string& /*name*/) {}
    [[nodiscard]] virtual int GetCustomEqIndex() const { return -1; }
    [[nodiscard]] virtual int GetCustomEqCount() const { return 0; }
    virtual void SelectCustomEq(int /*index*/) {}
    virtual void RemoveCustomEqAt(int /*index*/) {}
    virtual void RemoveAllCustomEqs() {}
    [[nodiscard]] virtual std::string GetCustomEqNameAt(int /*index*/) const { return {}; }
    // One line saying what this system cannot apply, as a language text identifier (empty:
    // all of it).
    virtual void ShowAvailability(const std::string& /*line*/) {}
    // A message for the user (a language text identifier when `text_is_id`), in a box.
    virtual void ShowMessage(const std::string& /*text*/, bool /*text_is_id*/) {}
};

// The headset's voice changer panel.
class VoiceChangerPanel {
  public:
    virtual ~VoiceChangerPanel() = default;
    virtual void AttachDevice(int /*device_type*/) {}
    virtual void SetMagicSwitch(bool /*on*/) {}
    virtual void EnableMagicOptions(bool /*enabled*/) {}
    [[nodiscard]] virtual int IsMagicSwitchOn() const { return 0; }
    virtual void SelectMagicOption(int /*n*/) {}
};

class ProfileBar {
  public:
    virtual ~ProfileBar() = default;
    virtual void OnAdd() {}
    virtual void OnDelete() {}
    virtual void OnCopy() {}
    virtual void OnRename() {}
    virtual void OnExpand() {}
    virtual void OnImport() {}
    virtual void OnExport() {}
    virtual void OnSwitchToSelected() {}  // timer 1055
    virtual void ResetProfile() {}

    // What the page's device object asks of its bar: the device type (which operation tabs
    // show), the kind's folders, and the device that takes the selected profile.
    virtual void AttachDevice(DevicePage* /*device*/, int /*device_type*/,
                              const std::filesystem::path& /*user_folder*/,
                              const std::filesystem::path& /*default_data_file*/) {}
    // Reads (or creates) the profile list and selects the recorded profile.
    virtual void Initialise() {}
    // Marks operation tab n (1..8) selected.
    virtual void SelectOpTab(int /*n*/) {}
    [[nodiscard]] virtual std::string GetCurrentUUID() const { return {}; }
};

class MacroEditor {
  public:
    virtual ~MacroEditor() = default;
    // The kind's user data folder, where its macro list and macro files are.
    virtual void AttachFolder(const std::filesystem::path& /*folder*/) {}
    virtual void OnRecordStart() {}
    virtual void OnRecordStop() {}
    virtual void OnNameAdd() {}
    virtual void OnNameSub() {}
    virtual void OnNameEdit() {}
    virtual void OnSave() {}
    virtual void OnCancel() {}
    virtual void OnImport() {}
    virtual void OnExport() {}
    virtual void OnMoveOrDelete(int /*which: 0 up, 1 top, 2 bottom, 3 delete, 4 delete all*/) {}
    virtual void OnMoveDown() {}
    virtual void OnInsertCursorMove(int /*0 left, 1 right, 2 up, 3 down*/) {}
    virtual void OnNameList() {}
    virtual void OnDelay() {}
    virtual void OnRecordOption(int /*0..5 previous record/constant/ignore, later ...*/) {}
    virtual void OnActionEdit() {}
    virtual void OnInsertMouseEvent(int /*button 0..4*/, int /*0 down, 1 up, 2 click*/) {}

    // Recording through the main window's input hook. The hook mode the editor's recording
    // needs (4, 8, 16 or 32), or 0 while it does not record: the main window starts or
    // stops the hook after each recording trigger by it.
    [[nodiscard]] virtual int RecordingHookMode() const { return 0; }
    // One event of the hook while the editor records.
    virtual void OnHookMessage(const input::HookMessage& /*message*/) {}
    // Ends a recording whose device went away: the rows are saved, the device is not
    // written.
    virtual void AbortRecording() {}
    // How much of the user's input the hook sees; the editor says what it cannot record.
    virtual void SetInputCoverage(input::InputCoverage /*coverage*/) {}
};

// The device object of a device page (the page's root). Operations keep the names of the
// device operation interface.
class DevicePage {
  public:
    virtual ~DevicePage() = default;
    [[nodiscard]] virtual int KindIndex() const { return -1; }
    [[nodiscard]] virtual bool IsKeyboardOrMouse() const { return false; }
    [[nodiscard]] virtual bool HasPowerFlag() const { return false; }

    virtual void SetLightSync(bool /*on*/) {}
    // The light-info record of the current profile (game lighting swaps its mode).
    [[nodiscard]] virtual LightRecord GetLightRecord() const { return {}; }
    virtual void SetLightRecord(const LightRecord& /*record*/) {}
    virtual uint32_t ApplyLighting() { return 0; }
    virtual void SaveProfile() {}
    virtual uint32_t LoadProfile() { return 0; }
    virtual void RefreshPage() {}
    virtual void RestoreDefaults() {}
    virtual uint32_t WriteCurrentKeyMap(int /*profile*/) { return 0; }
    virtual uint32_t WriteSystemSettings(int /*profile*/, int /*value*/, int /*flag*/,
                                         int /*screen_w*/, int /*screen_h*/) {
        return 0;
    }
    // Writes the macro memory from the macros the keys play; `done` runs later with the
    // answer: 0 written (or nothing to write), -1 not written, a positive number the
    // shortage in events when the macros do not fit.
    virtual void WriteMacros(std::function<void(int answer)> done) {
        if (done) done(0);
    }
    virtual void OnFeatureTab(int /*which*/) {}

    // The state the main window hands every device.
    virtual void SetLightControlState(int /*state*/) {}
    virtual void SetHoverState(int /*hover*/) {}
    virtual void SetPowerReadPause(bool /*pause*/) {}
    virtual void RefreshTexts() {}

    // Panels of the page; none until the page has them.
    virtual KeyAssignmentPanel* KeyAssignment() { return nullptr; }
    virtual LightingPanel* Lighting() { return nullptr; }
    virtual AudioLighting* Audio() { return nullptr; }
    virtual MouseSettings* Mouse() { return nullptr; }
    virtual KeyboardSettings* Keyboard() { return nullptr; }
    virtual ShootingPanel* Shooting() { return nullptr; }
    virtual HeadsetPanels* Headset() { return nullptr; }
    virtual ProfileBar* Profiles() { return nullptr; }
    virtual MacroEditor* Macros() { return nullptr; }

    // profile bar
    // The UUID of the profile the device works on; its profile file is named after it.
    virtual void SetProfileName(const std::string& /*uuid*/) {}

    // key assignment panel
    // The function page type the page shows (1 lighting, 2 keys, ...).
    [[nodiscard]] virtual int GetFunctionPage() const { return 1; }
    // Shows the key assignment panel with key n's entry.
    virtual void SelectKey(int /*key*/) {}
    // The light that key button n shows, or -1; and, on a keyboard, painting light n in the
    // lighting colour (the custom colour effect).
    [[nodiscard]] virtual int LightOfKey(int /*key*/) const { return -1; }
    virtual void PaintKey(int /*light*/) {}
    // The current profile's file.
    [[nodiscard]] virtual std::filesystem::path ProfileFile() const { return {}; }
    // The keys' current codes (profile form), in key order; key n's current code becomes
    // `code` in the key list and the profile data, and the page's key labels follow.
    [[nodiscard]] virtual std::vector<int32_t> KeyCodes() const { return {}; }
    virtual void SetKeyCode(int /*key*/, int32_t /*code*/) {}
};

}  // namespace dz
