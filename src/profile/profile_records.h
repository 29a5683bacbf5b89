#pragma once
// The typed records taken out of a profile's device section: the lighting setting, the
// audio-reactive lighting setting, a key assignment and a step of a custom effect.

#include <array>
#include <cstdint>

#include "models/key_codes.h"

namespace dz {

// The 14-byte lighting record, used for the current setting and for each light-list entry.
struct LightInfoRecord {
    uint8_t mode = 0;          // 0: "SelectItem" / "LEDREGMode"
    uint8_t brightness = 0;    // 1: "Light" / "LEDBrightness"
    uint8_t speed = 0;         // 2: "Speed" / "LEDSpeed"
    uint8_t direction = 0;     // 3: "Fx" / "LEDDirection"
    uint8_t multicolor = 0;    // 4: "MultiColor" / "LEDMultiColor"
    uint8_t red = 0;           // 5
    uint8_t green = 0;         // 6
    uint8_t blue = 0;          // 7
    uint8_t reserved8 = 0;     // 8: not stored
    uint8_t reserved9 = 0;     // 9: not stored
    uint8_t valid = 0;         // 10: light-list entries: the element exists and is not null
    uint8_t device_mode = 0;   // 11: "ZZCCLedMode"
    uint8_t custom_group = 0;  // 12: "CustomGroup"
    uint8_t old_mode = 0;      // 13: "OldLedmode"

    [[nodiscard]] std::array<uint8_t, 14> Bytes() const {
        return {mode, brightness, speed,     direction, multicolor,  red,          green,
                blue, reserved8,  reserved9, valid,     device_mode, custom_group, old_mode};
    }
    [[nodiscard]] static LightInfoRecord FromBytes(const std::array<uint8_t, 14>& b) {
        return {b[0], b[1], b[2], b[3],  b[4],  b[5],  b[6],
                b[7], b[8], b[9], b[10], b[11], b[12], b[13]};
    }
    friend bool operator==(const LightInfoRecord&, const LightInfoRecord&) = default;
};

// The 9-byte audio-reactive lighting record.
struct AudioLightInfoRecord {
    uint8_t audio_mode = 0;   // "AudioMode"
    uint8_t bk_red = 0;       // "BkColorR"
    uint8_t bk_green = 0;     // "BkColorG"
    uint8_t bk_blue = 0;      // "BkColorB"
    uint8_t fg_red = 0;       // "FgColorR"
    uint8_t fg_green = 0;     // "FgColorG"
    uint8_t fg_blue = 0;      // "FgColorB"
    uint8_t seven_color = 0;  // "7ColorFlags"
    uint8_t color_type = 0;   // "ColorTypeFlags"; 1 after loading whenever the record exists

    friend bool operator==(const AudioLightInfoRecord&, const AudioLightInfoRecord&) = default;
};

// One "KeyList" element: the key's current and factory function.
struct KeyAssignmentEntry {
    uint16_t index = 0;
    KeyFunctionCode current;
    uint16_t default_index = 0;
    KeyFunctionCode default_code;

    friend bool operator==(const KeyAssignmentEntry&, const KeyAssignmentEntry&) = default;
};

// One step of a custom effect file.
struct LedEffectStep {
    uint8_t mode = 0;        // "LEDREGMode"
    uint8_t brightness = 0;  // "LEDBrightness"
    uint8_t speed = 0;       // "LEDSpeed"
    uint8_t direction = 0;   // "LEDDirection"
    uint8_t multicolor = 0;  // "LEDMultiColor"
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    int32_t time = 0;   // "Time", milliseconds
    int32_t cycle = 0;  // "Cyle"

    friend bool operator==(const LedEffectStep&, const LedEffectStep&) = default;
};

}  // namespace dz
