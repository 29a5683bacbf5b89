#include "models/keyboard_settings.h"

#include <algorithm>

namespace dz {
namespace {

uint8_t Byte(int value) {
    return static_cast<uint8_t>(value & 0xFF);
}

}  // namespace

KeyboardSystemSettings KeyboardSystemSettings::FromWords(const StageWords& words) {
    KeyboardSystemSettings s;
    s.repeat = LowHalf(words[0]);
    s.repeat_delay = HighHalf(words[0]);
    s.key6 = LowHalf(words[1]);
    s.polling_rate = HighHalf(words[1]);
    s.wflag = LowHalf(words[2]);
    s.winflag = HighHalf(words[2]);
    return s;
}

StageWords KeyboardSystemSettings::Words() const {
    return {PackHalves(repeat, repeat_delay), PackHalves(key6, polling_rate),
            PackHalves(wflag, winflag)};
}

KeyboardSettingsBlock EncodeKeyboardSettings(const LightInfoRecord& light,
                                             const KeyboardSystemSettings& system,
                                             std::span<const EffectListEntry> effects,
                                             uint8_t first) {
    KeyboardSettingsBlock b{};
    b[0] = first;
    const int code = EffectCodeOfIndex(effects, light.mode).value_or(light.mode);
    b[kKbEffect] =
        code == kAudioEffectCode || code == kHostColourEffectCode ? kHostDrivenEffect : Byte(code);
    b[kKbBrightness] = light.brightness;
    b[kKbSpeed] =
        static_cast<uint8_t>(kKeyboardMaxSpeed - std::min<int>(light.speed, kKeyboardMaxSpeed));
    b[kKbDirection] = light.direction;
    b[kKbMulticolour] = light.multicolor;
    b[kKbRed] = light.red;
    b[kKbRed + 1] = light.green;
    b[kKbRed + 2] = light.blue;
    b[kKbDeviceMode] = light.device_mode;
    b[kKbWFlag] = Byte(system.wflag);
    b[kKbKey6Flag] = Byte(system.key6);
    b[kKbWinFlag] = Byte(system.winflag);
    b[kKbPollingRate] = Byte(system.polling_rate);
    return b;
}

KeyboardSettingsRead DecodeKeyboardSettings(const KeyboardSettingsBlock& block,
                                            std::span<const EffectListEntry> effects) {
    KeyboardSettingsRead r;
    r.block = block;
    r.block[kKbCleared] = 0;
    const uint8_t code = block[kKbEffect];
    if (code != kHostDrivenEffect) r.effect = EffectIndexOfCode(effects, code).value_or(code);
    r.brightness = block[kKbBrightness];
    r.speed =
        static_cast<uint8_t>(kKeyboardMaxSpeed - std::min<int>(block[kKbSpeed], kKeyboardMaxSpeed));
    r.direction = block[kKbDirection];
    r.multicolour = block[kKbMulticolour];
    r.red = block[kKbRed];
    r.green = block[kKbRed + 1];
    r.blue = block[kKbRed + 2];
    r.device_mode = block[kKbDeviceMode];
    r.colour_page = block[kKbColourPage];
    r.wflag = block[kKbWFlag];
    r.key6 = block[kKbKey6Flag];
    r.winflag = block[kKbWinFlag];
    r.polling_rate = block[kKbPollingRate];
    return r;
}

LightInfoRecord WithBlockLighting(LightInfoRecord light, const KeyboardSettingsRead& read) {
    if (read.effect) light.mode = Byte(*read.effect);
    light.brightness = read.brightness;
    light.speed = read.speed;
    light.direction = read.direction;
    light.multicolor = read.multicolour;
    light.red = read.red;
    light.green = read.green;
    light.blue = read.blue;
    light.device_mode = read.device_mode;
    light.custom_group = read.colour_page;
    return light;
}

KeyboardSystemSettings WithBlockFlags(KeyboardSystemSettings system,
                                      const KeyboardSettingsRead& read) {
    system.key6 = read.key6;
    system.winflag = read.winflag;
    system.wflag = read.wflag;
    return system;
}

}  // namespace dz
