#pragma once
// CLightControlUI: the lighting panel every device page holds ("LightControlItem"). It shows
// the device's light record (mode, brightness, speed, direction, multicolour, colour; on a
// keyboard also the sub-mode and the custom mode), enables the groups of controls the
// chosen mode uses (the layout tables of light_layout.h), and carries the audio-light
// sub-panel of audio-reactive lighting.
//
// The panel keeps no device logic: a user action changes the working light record of the
// device object of its page, which stores, saves and writes it (SetLightRecord, SaveProfile,
// ApplyLighting, WriteSystemSettings). The record changes are those of models/light_edit.h,
// which dozadirctl makes too.
//
// Skin: "XML\CustomControlXML\LightControl.xml", whose root is of class "LightControl". The
// loader builds the controls into the panel after it is made, so they are looked up on the
// first operation. A control the skin lacks is skipped, except in the audio sub-panel, whose
// operations then stop with a debug line.

#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "device/device_page.h"
#include "models/light_edit.h"

namespace dz::panels {

struct LightLayout;

class CLightControlUI : public QWidget, public LightingPanel {
    Q_OBJECT

  public:
    static constexpr char kClassName[] = "LightControl";
    // How many custom modes a keyboard offers when its light list names none.
    static constexpr int kDefaultCustomModes = 4;

    explicit CLightControlUI(QWidget* parent = nullptr);
    ~CLightControlUI() override;

    // ---- The panel's operations -------------------------------------------------------
    // The device type code of the page: 1 keyboard, 2 mouse, 3 mousepad, 7 headset (a
    // receiver's type counts as its device's); any other value lays nothing out.
    void SetKind(int kind);
    [[nodiscard]] int Kind() const { return kind_; }
    // One item per name in order, hidden where its flag is clear (it keeps its index); the
    // sliders run from 0 to the two maxima.
    void SetModeList(const std::vector<std::string>& names, const std::vector<bool>& visible,
                     int brightness_max, int speed_max);
    void ShowLightRecord(const LightRecord& record) override;
    // Selects mode m (none when the list has no such item) and lays the panel out for it.
    void ShowMode(int mode);
    void SetMultiDevice(bool several) override;
    [[nodiscard]] bool MultiDevice() const { return multi_device_; }

    // Getters: -1 when nothing is selected; the palette colour is opaque black without a
    // palette, a swatch's colour 0 when there is no such swatch.
    [[nodiscard]] int GetMode() const;
    [[nodiscard]] int GetCustomMode() const;
    [[nodiscard]] int GetSubMode() const;
    [[nodiscard]] int GetBrightness() const;
    [[nodiscard]] int GetSpeed() const;
    [[nodiscard]] QString GetEditText(int channel) const;  // 0 R, 1 G, 2 B
    [[nodiscard]] QRgb GetPaletteColour() const;
    [[nodiscard]] QRgb GetSwatchColour(int n) const;
    [[nodiscard]] bool GetMulticolour() const;

    // ---- The audio-light sub-panel ----------------------------------------------------
    struct AudioLight {
        int mode = 0;
        std::array<uint8_t, 3> background{};
        std::array<uint8_t, 3> foreground{};
        bool multicolour = false;
        int edit = 1;  // which colour is edited: 1 foreground, 0 background
        friend bool operator==(const AudioLight&, const AudioLight&) = default;
    };
    // False, with " SetAudioLightInfo control is NULL" in the debug output, when a control
    // of the sub-panel is missing.
    bool SetAudioLightInfo(const AudioLight& audio);
    // Reads the sub-panel back (and, with `take_colour`, the colour of its colour button
    // into the edited colour); nothing, with "GetAudioLightInfo control is NULL", when a
    // control is missing.
    [[nodiscard]] std::optional<AudioLight> GetAudioLightInfo(bool take_colour);
    // The three audio edits as colour values; nothing, with "GetLightAudioColor control is
    // NULL", when one is missing.
    [[nodiscard]] std::optional<std::array<uint8_t, 3>> GetLightAudioColor() const;
    [[nodiscard]] const AudioLight& StoredAudioLight() const { return audio_; }
    // The AudioLightInfo record as the device object's three words.
    [[nodiscard]] static std::array<uint32_t, 3> AudioWords(const AudioLight& audio);
    [[nodiscard]] static AudioLight AudioOfWords(const std::array<uint32_t, 3>& words);

    // ---- LightingPanel: what the device object gives the panel ------------------------
    void AttachDevice(int device_type) override;
    void SetEffectList(const std::vector<std::string>& names,
                       const std::vector<bool>& visible) override;
    void SetAreaList(const std::vector<std::string>& names) override { areas_ = names; }
    void SetCustomEffectList(const std::vector<std::string>& names) override;
    void SelectMode(int mode) override { ShowMode(mode); }
    void SetAudioLightWords(const std::array<uint32_t, 3>& words) override;
    [[nodiscard]] std::optional<std::array<uint32_t, 3>> AudioLightWords() const override;
    [[nodiscard]] int SelectedCustomGroup() const override;
    void ShowCustomGroup(int group) override;

    // ---- LightingPanel: the user's actions, as the routing hands them on --------------
    void OnPresetColour(int n) override;
    void OnBrightness() override;
    void OnSpeed() override;
    void OnOption(int which) override;
    void OnModeCombo(int which) override;
    void OnPalette() override;
    void OnEditRgb(int channel) override;
    // The panel's own: the colour as #RRGGBB, and the colour button's dialog.
    void OnHexEdit();
    void OnColourButton();

  private:
    struct Controls;
    // Finds the controls and fills the fixed lists, once the skin has built them.
    Controls& Ui();
    const Controls& Ui() const;
    void Initialise(Controls& c);
    void ApplyLayout(int mode);
    void ApplyLayout(const LightLayout& layout);
    // The light record of the page's device, changed by `edit` and handed back to it:
    // stored, saved, applied and written. Nothing without a device.
    template <class Edit>
    void ChangeRecord(Edit edit);
    void WriteRecord(DevicePage& device, const LightRecord& record, bool now);
    void ShowColour(uint8_t red, uint8_t green, uint8_t blue);
    void TakeColour(QRgb colour);
    void ShowAudioColour(const std::array<uint8_t, 3>& rgb);
    [[nodiscard]] bool AudioControlsPresent() const;
    // What GetAudioLightInfo answers, without storing it.
    [[nodiscard]] std::optional<AudioLight> ReadAudioLight(bool take_colour) const;

    std::unique_ptr<Controls> ui_;
    int kind_ = 0;
    bool multi_device_ = false;
    std::vector<std::string> mode_names_;
    std::vector<bool> mode_visible_;
    std::vector<std::string> custom_names_;
    bool custom_list_set_ = false;
    std::vector<std::string> areas_;
    AudioLight audio_;
    // A drag across the palette writes at most once per interval (the device and the
    // profile file are not flooded); the last colour is always written.
    QTimer palette_write_;
    bool palette_write_due_ = false;
};

// Registers "LightControl" and "CLightControlUI" with the control factory.
void RegisterLightControl();

}  // namespace dz::panels
