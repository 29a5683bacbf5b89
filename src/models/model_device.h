#pragma once
// CRezazodaModelDevice: what the four device objects share until each has its own
// settings, panels and effects: the profile data of the kind (chosen by the model), the
// page binding, the first synchronisation (information block, profile, page, lighting
// thread), and loading, applying and saving the current profile.

#include <memory>
#include <vector>

#include "device/lighting/custom_playback.h"
#include "device/usb_device.h"
#include "models/panel_lists.h"

namespace dz {

// The lighting thread's step interval: the effects' time base.
inline constexpr int kLightingStepMs = 20;

class CRezazodaModelDevice : public CRezazodaUSBDevice {
    Q_OBJECT
  public:
    CRezazodaModelDevice(std::unique_ptr<CBasicProfiledata> profile_data, QWidget* parent);
    ~CRezazodaModelDevice() override;

    void BindPage() override;
    void FirstSync() override;
    // After the device reported a change: the profile list and the selected profile again
    // when the list changed (0x0402), then the information block and the page.
    void Resync() override;
    // The profile's lighting record becomes the lighting state the effects read.
    uint32_t ApplyLighting() override;
    // Loads the current profile's device section (re-seeded from the default data when the
    // file is unusable) and takes its lighting settings. 1 when a profile is selected.
    uint32_t LoadProfile() override;
    // The profile file, default data file and light list of the kind and profile.
    void SetProfilePaths() override;
    [[nodiscard]] QString GetProfileName() const override { return ProfileName(); }
    void SaveProfile() override;
    // Also tells the profile data: its device index is 0 for every kind, and the code selects
    // the kind's arrays of the light list files.
    void SetKindCode(int code) override;
    // The key assignment panel's own texts in the language now chosen.
    void RefreshTexts() override;

    // The page's lighting panel: told the device type when the page is built, given the
    // kind's effect lists (LoadPanelLists) and shown the profile's lighting (RefreshPage).
    // The keyboard and the mouse extend these with their own panels and lists.
    void BuildModelPage() override;
    void LoadPanelLists() override;
    void RefreshPage() override;
    LightingPanel* Lighting() override;

  protected:
    // Hands the kind's built-in effects, light areas and custom effects to `lighting`.
    static void ShowEffectLists(LightingPanel& lighting, const PanelLists& lists);
    // After another program changed the kind's profile list (0x0402): the bar reads it
    // again, the device takes the profile selected there and loads it.
    void ReloadProfileListIfChanged();
    // The steps of user light effect `mode - first_user_mode` (none below it).
    [[nodiscard]] std::vector<lighting::PlaybackStep> UserEffectSteps(int mode,
                                                                      int first_user_mode) const;
    // The profile's light areas into the per-light extra records (under their lock).
    void TakeLightExtras();
};

// Registers the four device object classes with the control factory.
void RegisterDeviceControls();

}  // namespace dz
