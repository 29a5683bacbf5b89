#pragma once
// CRezazodaLitDevice: what the mousepad and the headset objects share: their lighting page
// (lighting_page.h) in working form, its write and read-back, the lighting program of
// lit_lighting.h, the page with its lighting panel and preview LEDs, and the synchronisation
// request (0x0401) that re-reads the page after 500 ms. The two kinds differ in data (their
// lighting table) and in what the headset adds (its LED reports and its sound).

#include <array>

#include "models/lighting_page.h"
#include "models/lit_lighting.h"
#include "models/model_device.h"
#include "models/panel_lists.h"

namespace dz {

// The page's window message after a re-read: the profile the device reports.
inline constexpr int kMsgLitProfileRead = 0x0D00;
inline constexpr int kLitResyncDelayMs = 500;

class CRezazodaLitDevice : public CRezazodaModelDevice {
    Q_OBJECT
  public:
    CRezazodaLitDevice(std::unique_ptr<CBasicProfiledata> profile_data,
                       const LitLightingTable& table, LitShared& shared, QWidget* parent);
    ~CRezazodaLitDevice() override;

    // Opening exchange (BEGIN, information block, END; the answers are not needed), then the
    // profile, the page and a new lighting thread.
    void FirstSync() override;
    // The profile in use and its page into the working page, which the preview then shows.
    void Resync() override;
    // The profile's files, its light list and lighting.
    uint32_t LoadProfile() override;
    // The profile's light record into the lighting settings, the preview and the working
    // page; the user light effect and the light areas into the lighting program.
    uint32_t ApplyLighting() override;
    void LoadPanelLists() override;
    void RefreshPage() override;
    // The working page to profile `profile` of the device (only the profile is used). 1 when
    // the write went to the device worker.
    uint32_t WriteSystemSettings(int profile, int value, int flag, int screen_w,
                                 int screen_h) override;
    void BuildModelPage() override;
    LightingPanel* Lighting() override;

    // ---- State, for the page, tests and people reading it --------------------------------
    [[nodiscard]] const LightingPageBytes& WorkingPage() const { return working_; }
    [[nodiscard]] const PanelLists& Lists() const { return lists_; }
    [[nodiscard]] LitLightingProgram& LightingProgramOfDevice() { return *program_; }
    [[nodiscard]] int SyncsDone() const { return syncs_done_; }
    [[nodiscard]] int ResyncsDone() const { return resyncs_done_; }
    [[nodiscard]] int SettingsWritesDone() const { return settings_writes_done_; }
    [[nodiscard]] const DeviceTransfer& LastSettingsWrite() const { return last_settings_write_; }
    // The profile the last re-read reported (message 0x0D00).
    [[nodiscard]] int ReportedProfile() const { return reported_profile_; }

  protected:
    [[nodiscard]] int ResyncDelayMs() const override { return kLitResyncDelayMs; }
    // The page's window message 0x0D00 with the profile read: the profile's lighting takes
    // what the device shows when its mode is one of the kind's, so that the page and the
    // device agree; a mode the list has no code for only reaches the preview.
    virtual void OnProfileRead(int profile);
    // The working page's lighting into the lighting program.
    void ShowWorkingPage();
    // The page's lighting container: "mousepad_device_key_light" or "do6533_device_key_light".
    virtual const char* LightContainerName() const = 0;
    // Runs after FirstSync's profile and page (the headset reads its sound there).
    virtual void AfterFirstSync() {}
    // Whether FirstSync opens with the command exchange (the headset sends none).
    [[nodiscard]] virtual bool FirstSyncExchanges() const { return true; }

  private:
    void FinishFirstSync();

    LitLightingProgram* program_ = nullptr;  // owned by the base, which stops its thread
    LightingPageBytes working_{};
    PanelLists lists_;
    int last_mode_ = -1;
    int reported_profile_ = 0;
    int syncs_done_ = 0;
    int resyncs_done_ = 0;
    int settings_writes_done_ = 0;
    DeviceTransfer last_settings_write_;
};

}  // namespace dz
