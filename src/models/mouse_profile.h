#pragma once
// What the mouse takes from its profile, and what a profile gives the mouse: the same for the
// window's device object and for dozadirctl.

#include <filesystem>
#include <span>
#include <vector>

#include "models/macro_upload.h"
#include "models/mouse_io.h"
#include "models/mouse_settings_page.h"
#include "models/mouse_stages.h"
#include "models/panel_lists.h"
#include "profile/device_profiledata.h"

namespace dz {

struct MouseProfileSections {
    std::vector<KeyAssignmentEntry> keys;
    LightInfoRecord light;
    MouseStages stages;
    StageWords system_values{};
    std::vector<CorrectionPreset> corrections;
};

// The sections of the profile data's root (after LoadDeviceSection). The stages are the
// profile's own: the profile data keeps those of profiles read before beyond them.
[[nodiscard]] MouseProfileSections ReadMouseProfileSections(CMouseProfiledata& profile);

// The stages into the profile data ("DPIStages"), not saved yet.
void PutMouseStages(CMouseProfiledata& profile, const MouseStages& stages);

// The settings page of `sections` (profile 0, byte 0 = 0, byte 59 = 1, as every caller).
[[nodiscard]] MousePageBytes MouseSettingsPageOf(const MouseProfileSections& sections,
                                                 std::span<const EffectListEntry> modes,
                                                 int screen_width, int screen_height);

// Everything a profile gives the mouse, built from the tables the mouse was read with.
struct MouseProfileWrite {
    std::vector<int> macro_list;  // "macro.config" numbers, in the mouse's order
    MacroUpload macros;
    std::vector<uint8_t> button_map;
    MousePageBytes page{};
    std::vector<uint8_t> shoot_image;
};
[[nodiscard]] MouseProfileWrite BuildMouseProfileWrite(const MouseProfileSections& sections,
                                                       const MouseTables& tables,
                                                       const std::filesystem::path& folder,
                                                       std::span<const EffectListEntry> modes,
                                                       int screen_width, int screen_height);

struct MouseApplyResult {
    DeviceTransfer settings;
    MacroWriteOutcome macros;
    DeviceTransfer button_map;
    DeviceTransfer shoot;
};
// The settings page, the macros, the button map (page 0) and the shooting patterns, in that
// order (the map's macro numbers are those of the image just written); each is tried
// whatever became of the one before.
[[nodiscard]] MouseApplyResult ApplyMouseProfile(CommandChannel& channel,
                                                 const MouseProfileWrite& write);

}  // namespace dz
