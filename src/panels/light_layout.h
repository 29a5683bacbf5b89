#pragma once
// Which groups of the lighting panel each lighting mode uses: for every device kind, the
// enabled and shown state of each group by mode. Plain data, so that the tables read as
// tables; the panel applies them to its controls.

#include <optional>

namespace dz::panels {

struct LightLayout {
    // Enabled (true) or disabled; the effect group is enabled in every mode.
    bool colourful = false;   // "deng_7color_check"
    bool colour = false;      // "deng_color_layout"
    bool palette = false;     // "colorpallet_layout"
    bool brightness = false;  // "deng_light_layout"
    bool speed = false;       // "deng_speed_layout"
    bool direction = true;    // "deng_fx_layout"
    // "deng_same_mode" may be shown (it is, only while several devices are present).
    bool same_mode = false;

    // Keyboards only (`keyboard` set): the keyboard's own groups.
    bool keyboard = false;
    bool speed_shown = true;        // "deng_speed_layout"
    bool custom_shown = false;      // "lightcustom_layout"
    bool sub_mode_shown = false;    // "light_combo_ZZCCmodeSelectLayout"
    bool light_colour = true;       // "light_color_layout" enabled
    bool audio_mode_shown = false;  // "light_combo_AudiomodeSelectLayout"
    // "light_host_colour_layout": the direct colour sliders, whose colour only the host
    // colour effect shows.
    bool host_colour_shown = false;
    int colour_page = 0;            // page of "light_color_tablayout"
    // Language keys of the two direction options ("deng_FXL_check", "deng_FXR_check").
    const char* first_direction_text = nullptr;
    const char* second_direction_text = nullptr;
};

// The layout of mode `mode` on a panel of device kind `kind` (1 keyboard, 2 mouse,
// 3 mousepad, 7 headset); nothing for any other kind.
[[nodiscard]] std::optional<LightLayout> LightLayoutOf(int kind, int mode);

}  // namespace dz::panels
