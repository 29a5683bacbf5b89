#pragma once
// What the keyboard's lighting takes from its profile data, read one way for the window and
// for dozadirctl: the lighting and audio records, the light list, the steps of the custom
// effect the record selects (the light list file read again), and a custom colour group.

#include <vector>

#include "device/lighting/led_array.h"
#include "models/keyboard_lighting/keyboard_lighting_program.h"
#include "profile/device_profiledata.h"

namespace dz::keyboard_lighting {

// The current lighting record, the audio record, "LightList", and the effect steps.
[[nodiscard]] LightingProfile ReadLightingProfile(CBasicProfiledata& profile);

// The colours of custom group `group`, one per light (missing ones black and transparent).
[[nodiscard]] std::vector<lighting::LedRecord> CustomGroupColours(CKeyboardProfiledata& profile,
                                                                  int group);

}  // namespace dz::keyboard_lighting
