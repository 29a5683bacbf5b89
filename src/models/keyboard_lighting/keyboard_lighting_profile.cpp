#include "models/keyboard_lighting/keyboard_lighting_profile.h"

namespace dz::keyboard_lighting {

LightingProfile ReadLightingProfile(CBasicProfiledata& profile) {
    LightingProfile out;
    out.light = profile.CurrentLightInfo();
    out.audio = profile.ReadAudioLightInfo();
    out.light_list = profile.GetLightList();
    (void)profile.LoadLightList(profile.GetLightListPath());
    out.steps = profile.GetEffectSteps();
    return out;
}

std::vector<lighting::LedRecord> CustomGroupColours(CKeyboardProfiledata& profile, int group) {
    const std::vector<KeyColor> stored =
        profile.GetCustomColors(group, static_cast<int>(kLightCount));
    std::vector<lighting::LedRecord> colours(kLightCount);
    for (size_t i = 0; i < kLightCount && i < stored.size(); ++i)
        colours[i] = {stored[i].red, stored[i].green, stored[i].blue, stored[i].alpha};
    return colours;
}

}  // namespace dz::keyboard_lighting
