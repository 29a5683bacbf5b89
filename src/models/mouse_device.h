#pragma once
// CRezazodaMouseDevice: the device object of the mouse, on its cable or behind its 2.4 GHz
// receiver, and the mouse page. It turns the mouse's profile data into the mouse's settings
// page, button map, macro image and shooting-pattern image, reads the mouse's state back,
// follows what the mouse reports on its own, and previews the mouse's lighting.
//
// The transfers are those of mouse_io.h, run on the object's device worker; the page's
// performance rows are MousePerformance; the lighting preview is MouseLightingProgram.

#include <QPointer>
#include <array>
#include <string>
#include <vector>

#include "models/key_slot_table.h"
#include "models/macro_upload.h"
#include "models/model_device.h"
#include "models/mouse_buttons.h"
#include "models/mouse_dpi.h"
#include "models/mouse_io.h"
#include "models/mouse_performance.h"
#include "models/mouse_settings_page.h"
#include "models/mouse_stages.h"
#include "models/panel_lists.h"

namespace dz {

class CMouseProfiledata;
class MouseLightingProgram;

class CRezazodaMouseDevice : public CRezazodaModelDevice, private MousePerformanceHost {
    Q_OBJECT
  public:
    explicit CRezazodaMouseDevice(QWidget* parent = nullptr);
    ~CRezazodaMouseDevice() override;

    // ---- Device operations ----------------------------------------------------------------
    // Information block and button map, the button slots, the DPI ranges, the profile, the
    // page and the lighting thread.
    void FirstSync() override;
    // The profile the mouse uses and its settings page: its DPI stage and lighting go into
    // the profile.
    void Resync() override;
    void ReadPowerStatus() override;
    uint32_t LoadProfile() override;
    void RestoreDefaults() override;
    // The profile's lighting into the lighting state and the preview; nothing is sent.
    uint32_t ApplyLighting() override;
    void LoadPanelLists() override;
    void RefreshPage() override;
    // Also the buttons' functions in the list, which holds them as shown texts.
    void RefreshTexts() override;
    // The distinct macros the buttons the mouse has play, in order of first use.
    [[nodiscard]] std::vector<int> GetMacroList() const override;
    // The button map from the key list: the map read at the opening with each button the
    // mouse has in its slot, macros renumbered to their place in GetMacroList, a macro the
    // list does not hold sent as the button's default (the key list keeps its numbers).
    // 1 when the write went to the device worker, 0 when the mouse is not there.
    uint32_t WriteKeyMap(int profile, const std::vector<KeyAssignmentEntry>& keys) override;
    uint32_t WriteCurrentKeyMap(int profile) override;
    void WriteMacros(const std::vector<int>& macros, std::function<void(int answer)> done) override;
    using CRezazodaUSBDevice::WriteMacros;
    // Buttons bound to a macro the list no longer holds get their default back.
    void CheckMacroKeys() override;
    // One settings page (66 bytes at profile × 128): 1 when it went to the device worker,
    // 0 when the mouse is not there.
    uint32_t WriteSystemSettings(int profile, int value, int flag, int screen_w,
                                 int screen_h) override;
    // The four shooting-pattern files as one image. `done`, when given, runs later on the
    // UI thread with whether the image went to the mouse.
    void UploadShootPatterns(std::function<void(bool sent)> done = {});
    void SetLightInfo(uint32_t w0, uint32_t w1, uint32_t w2, uint32_t w3) override;
    void SetFunctionPage(int page_type) override;
    void BuildModelPage() override;
    void PaintPicture() override;
    void SelectKey(int key) override;
    [[nodiscard]] std::vector<int32_t> KeyCodes() const override;
    void SetKeyCode(int key, int32_t code) override;

    // The page's performance rows and panels (the routing's faces).
    MouseSettings* Mouse() override { return &performance_; }
    LightingPanel* Lighting() override;
    KeyAssignmentPanel* KeyAssignment() override;
    MacroEditor* Macros() override;
    ShootingPanel* Shooting() override;

    // The device-page table's mouse parameter: the LED the "logo" control shows (-1: none).
    void SetMouseParameter(int led) { mouse_parameter_ = led; }

    // ---- State, for the page, tests and people reading it -------------------------------
    [[nodiscard]] const DpiScale& Scale() const override { return scale_; }
    [[nodiscard]] const ButtonSlotMap& Slots() const { return slots_; }
    [[nodiscard]] int MouseKeyCount() const { return key_count_; }
    [[nodiscard]] int ReportedProfile() const { return reported_profile_; }
    [[nodiscard]] const MouseStages& Stages() const { return stages_; }
    [[nodiscard]] const StageWords& SystemValues() const { return system_values_; }
    [[nodiscard]] const std::vector<KeyAssignmentEntry>& Keys() const { return keys_; }
    [[nodiscard]] const PanelLists& Lists() const { return lists_; }
    // ButtonSlotMap in the shared key-table form.
    [[nodiscard]] KeySlotMap SlotMap() const;
    [[nodiscard]] MousePerformance& Performance() { return performance_; }
    [[nodiscard]] MouseLightingProgram& LightingProgramOfMouse() { return *program_; }
    // How many first synchronisations, re-reads and settings writes have come back.
    [[nodiscard]] int SyncsDone() const { return syncs_done_; }
    [[nodiscard]] int ResyncsDone() const { return resyncs_done_; }
    [[nodiscard]] int SettingsWritesDone() const { return settings_writes_done_; }
    [[nodiscard]] const DeviceTransfer& LastSettingsWrite() const { return last_settings_write_; }
    [[nodiscard]] int KeyMapWritesDone() const { return key_map_writes_done_; }
    [[nodiscard]] const DeviceTransfer& LastKeyMapWrite() const { return last_key_map_write_; }
    // The screen size every settings page carries (the primary screen at start-up).
    [[nodiscard]] static QSize ScreenSize();

  protected:
    void OnDeviceNotificationFrom(uint16_t usage, int path_index) override;

  private:
    // The macro page's two options switch between the macro editor and the recoil patterns.
    void BindMacroViewSwitch();
    void ShowMacroViewChoice();
    // MousePerformanceHost.
    MouseStages& WorkingStages() override { return stages_; }
    void StoreStages() override;
    StageWords& WorkingSystemValues() override { return system_values_; }
    void StoreSystemValues(bool write) override;

    [[nodiscard]] CMouseProfiledata* MouseProfile() const;
    // Takes the key list, the lighting, the DPI stages and the system values from the
    // profile data's root.
    void TakeProfileSections();
    void AdoptPage(const MousePageRead& read);
    void RefreshKeyInfoList();
    void UpdateDpiScale(const DpiScale& from_device);
    [[nodiscard]] std::filesystem::path DataFolder() const { return ProfileFolder(KindName()); }

    MousePerformance performance_{*this};
    MouseLightingProgram* program_ = nullptr;  // owned by the base, which stops its thread

    // Read from the mouse.
    MouseButtonMap button_map_{};
    int key_count_ = 0;
    ButtonSlotMap slots_ = NoButtonSlots();
    DpiScale scale_ = kFallbackDpiScale;
    int reported_profile_ = 0;
    std::array<uint8_t, kMousePageReadSize> last_page_{};

    // Taken from the profile.
    std::vector<KeyAssignmentEntry> keys_;
    MouseStages stages_;
    StageWords system_values_{};
    std::vector<CorrectionPreset> corrections_;
    int last_mode_ = -1;  // the mode index the preview runs; -1 before the first

    PanelLists lists_;

    // Page.
    std::vector<QPointer<QWidget>> preview_leds_;
    std::vector<QRgb> preview_shown_;
    QPointer<QWidget> preview_panel_;
    QPointer<QWidget> logo_;
    QPointer<QWidget> key_info_list_;
    QPointer<QWidget> hint_;
    int mouse_parameter_ = -1;

    int syncs_done_ = 0;
    int resyncs_done_ = 0;
    int settings_writes_done_ = 0;
    DeviceTransfer last_settings_write_;
    int key_map_writes_done_ = 0;
    DeviceTransfer last_key_map_write_;
};

}  // namespace dz
