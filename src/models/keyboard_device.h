#pragma once
// CRezazodaKeyboardDevice: the device object of the keyboard (cable or receiver) and the
// root of its page. It reads the keyboard's tables and settings, writes its key map, macro
// image, settings block and per-key colours, shows its power state and follows the changes
// made on the keyboard itself. The transfers and encodings are the Qt-free ones of
// keyboard_io.h (which dozadirctl uses too); this object binds them to the page and the
// profile, and runs them on its device worker.
//
// It also answers the page's system controls (KeyboardSettings): repeat rate and delay,
// the lock flags and the report rate go into the profile and to the keyboard.

#include <chrono>
#include <functional>
#include <mutex>
#include <vector>

#include "models/keyboard_io.h"
#include "models/keyboard_lighting/keyboard_lighting_program.h"
#include "models/model_device.h"
#include "models/panel_lists.h"

namespace dz {

class CKeyboardProfiledata;

// Window message with the power record's byte 4 (wParam) after each power read.
inline constexpr unsigned kMsgPowerRead = 0x0D01;

class CRezazodaKeyboardDevice : public CRezazodaModelDevice, public KeyboardSettings {
    Q_OBJECT
  public:
    explicit CRezazodaKeyboardDevice(QWidget* parent = nullptr);
    ~CRezazodaKeyboardDevice() override;

    // ---- Device operations --------------------------------------------------------------
    void FirstSync() override;
    void Resync() override;
    void ReadPowerStatus() override;
    uint32_t LoadProfile() override;
    void RefreshPage() override;
    void CheckMacroKeys() override;
    void RestoreDefaults() override;
    [[nodiscard]] std::vector<int> GetMacroList() const override;
    uint32_t WriteKeyMap(int profile, const std::vector<KeyAssignmentEntry>& keys) override;
    uint32_t WriteCurrentKeyMap(int profile) override;
    void WriteMacros(const std::vector<int>& macros, std::function<void(int answer)> done) override;
    using CRezazodaUSBDevice::WriteMacros;
    // Profile `profile`'s block with byte 0 = `value`; the other arguments are the mouse's.
    uint32_t WriteSystemSettings(int profile, int value, int flag, int screen_w,
                                 int screen_h) override;
    void LoadPanelLists() override;
    void SetFunctionPage(int page_type) override;
    void SetLightInfo(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) override;
    void SetAudioLightInfo(uint32_t a, uint32_t b, uint32_t c) override;
    [[nodiscard]] std::array<uint32_t, 3> GetAudioLightInfo() override;
    void SelectKey(int key) override;
    void BuildModelPage() override;
    [[nodiscard]] std::vector<int32_t> KeyCodes() const override;
    void SetKeyCode(int key, int32_t code) override;
    // The profile's lighting into the lighting program: the effect starts again when it is
    // another one than before or the custom colour effect (which then loads its group).
    uint32_t ApplyLighting() override;
    // Also the custom colour effect's colour of the light.
    void SetLedColour(int led, uint32_t packed) override;
    // The audio effect's bands (the first 25 of `count`) and the host colour effect's values.
    void FeedAudioSpectrum(const int32_t* bands, int count) override;
    void FeedHostColour(const uint32_t* values, int count) override;

    // ---- Keyboard-only operations -------------------------------------------------------
    // The custom colour effect: light `light` takes the lighting colour; the colours go to
    // the profile (when the lighting panel has a group selected) and, over the cable, to
    // the keyboard's colour page 0.
    void PaintKey(int light) override;
    // The LED array's colours to the keyboard's colour page of the lighting settings.
    void WriteKeyColours();
    // Colour page 0 from the keyboard into the profile's custom colours; `then` runs after.
    void ReadKeyColours(std::function<void()> then = {});
    // The custom colour effect's colours, one per light (what PaintKey and the groups set).
    [[nodiscard]] std::vector<lighting::LedRecord> CustomColours() const;
    // Its lighting program (tests drive it by hand with the thread stopped).
    [[nodiscard]] keyboard_lighting::KeyboardLightingProgram& LightingProgramOf() {
        return *lighting_program_;
    }
    // After a failed colour write, writes are left out for 200 ms.
    [[nodiscard]] bool ColourWritePaused() const;

    // ---- The page's system controls (KeyboardSettings) ------------------------------------
    void OnPollingRate(int n) override;
    void OnRepeatDelay(int n) override;
    void OnRepeatRate() override;
    void OnLockFlag(int which) override;
    void OnResetRepeat() override;
    // Every light's colour the lighting colour (1) or black (0), alphas kept; to the keyboard,
    // and into the group the lighting panel has selected.
    void FillCustomColour(int on) override;
    // Shows `group` selected, stores it as the profile's group and in the lighting settings.
    void SelectCustomGroup(int group) override;
    // The stored group's colours onto the lights and to the keyboard.
    void LoadCustomGroup(bool show_selected) override;

    // ---- DevicePage -------------------------------------------------------------------
    KeyboardSettings* Keyboard() override { return this; }
    LightingPanel* Lighting() override;
    KeyAssignmentPanel* KeyAssignment() override;
    MacroEditor* Macros() override;

    // ---- State (the page, tests) --------------------------------------------------------
    [[nodiscard]] const KeyboardTables& Tables() const { return tables_; }
    [[nodiscard]] bool TablesRead() const { return tables_read_; }
    [[nodiscard]] const PanelLists& Lists() const { return lists_; }
    [[nodiscard]] const std::vector<KeyAssignmentEntry>& Keys() const { return keys_; }
    [[nodiscard]] const KeyboardSystemSettings& System() const { return system_; }
    // The keyboard's own current profile, as it last said (settings read, 0x10nn).
    [[nodiscard]] int DeviceProfile() const { return device_profile_; }
    [[nodiscard]] const KeyboardSettingsBlock& LastBlock() const { return last_block_; }

  signals:
    // A write the keyboard did not take (`what`: "settings", "key map", "macros", "key
    // colours"), with the failing command's result; the debug output says the same.
    void WriteFailed(const QString& what, int result);

  protected:
    void OnDeviceNotification(uint16_t usage) override;
    int StreamedFrame(const LightFrameBytes& shown, LightFrameBytes& streamed) override;
    // Only the host-driven effects go to the keyboard.
    [[nodiscard]] bool StreamsLightFrames() const override;

  private:
    [[nodiscard]] CKeyboardProfiledata* Profile() const;
    [[nodiscard]] std::filesystem::path Folder() const;
    [[nodiscard]] int EffectIndex() const;  // byte 0 of the lighting settings
    // The effect list, read once when it is still empty.
    const std::vector<EffectListEntry>& Effects();
    // Steps 3 to 5 of reading the settings block.
    void TakeSettingsBlock(const KeyboardSettingsFetch& fetch);
    // The system settings into the profile, saved, and the block to the keyboard.
    void CommitSystemSettings();
    void RefreshKeyLabels();
    void RefreshSystemControls();
    [[nodiscard]] QWidget* Control(const char* name) const;
    // Whether option `prefix` n of the page is there and no longer selected.
    [[nodiscard]] bool OptionLeft(const char* prefix, int n) const;
    // A colour write is skipped while a failed one's pause lasts.
    void WriteColourPage(int page, const KeyColourPage& colours);
    // Custom colour group `group`'s colours onto the lights and to the keyboard.
    void TakeCustomGroup(int group, bool show_selected);
    // The custom colours as group `group` of the profile, saved.
    void StoreCustomGroup(int group);
    // Logs a write that did not succeed and tells the observers of WriteFailed.
    void ReportWrite(const char* what, const DeviceTransfer& transfer);

    KeyboardTables tables_;
    // The position maps for the frames the lighting thread streams (the UI thread replaces
    // tables_ after a read).
    std::mutex stream_maps_lock_;
    KeyboardMaps stream_maps_;
    bool tables_read_ = false;  // a first read ran (the keys the page shows follow it)
    PanelLists lists_;
    std::vector<KeyAssignmentEntry> keys_;
    KeyboardSystemSettings system_;
    KeyboardSettingsBlock last_block_{};
    int device_profile_ = 0;
    std::chrono::steady_clock::time_point colour_pause_until_{};
    // The lighting thread's program, owned by the base object.
    keyboard_lighting::KeyboardLightingProgram* lighting_program_ = nullptr;
};

}  // namespace dz
