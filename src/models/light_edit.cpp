#include "models/light_edit.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "device/device_table.h"
#include "profile/text_util.h"

namespace dz {
namespace {

constexpr int kKeyboardBrightnessMaximum = 5;
constexpr int kBrightnessMaximum = 4;
constexpr int kSpeedMaximum = 4;

uint8_t Byte(int value) {
    return static_cast<uint8_t>(std::clamp(value, 0, 255));
}

bool SameIgnoringCase(std::string_view a, std::string_view b) {
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) {
               return std::tolower(static_cast<unsigned char>(x)) ==
                      std::tolower(static_cast<unsigned char>(y));
           });
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

}  // namespace

int LightKindOfDeviceType(int device_type) {
    switch (device_type) {
        case TYPE_KEYBOARD:
        case TYPE_KEYBOARD_RX:
            return kLightKindKeyboard;
        case TYPE_MOUSE:
        case TYPE_MOUSE_RX:
            return kLightKindMouse;
        case TYPE_MOUSEPAD:
            return kLightKindMousepad;
        case TYPE_HEADSET:
            return kLightKindHeadset;
        default:
            return device_type;
    }
}

int LightBrightnessMaximum(int kind) {
    return kind == kLightKindKeyboard ? kKeyboardBrightnessMaximum : kBrightnessMaximum;
}

int LightSpeedMaximum(int /*kind*/) {
    return kSpeedMaximum;
}

LightBytes WithMode(LightBytes r, int mode) {
    r[kLightByteMode] = Byte(mode);
    return r;
}

LightBytes WithBrightness(LightBytes r, int value, int kind) {
    r[kLightByteBrightness] = Byte(std::clamp(value, 0, LightBrightnessMaximum(kind)));
    return r;
}

LightBytes WithSpeed(LightBytes r, int value, int kind) {
    r[kLightByteSpeed] = Byte(std::clamp(value, 0, LightSpeedMaximum(kind)));
    return r;
}

LightBytes WithDirection(LightBytes r, bool first) {
    r[kLightByteDirection] = first ? 1 : 0;
    return r;
}

LightBytes WithMulticolour(LightBytes r, bool on) {
    r[kLightByteMulticolour] = on ? 1 : 0;
    return r;
}

LightBytes WithColour(LightBytes r, uint8_t red, uint8_t green, uint8_t blue) {
    r[kLightByteRed] = red;
    r[kLightByteRed + 1] = green;
    r[kLightByteRed + 2] = blue;
    r[kLightByteMulticolour] = 0;
    return r;
}

LightBytes WithColourChannel(LightBytes r, int channel, uint8_t value) {
    if (channel < 0 || channel > 2) return r;
    r[kLightByteRed + static_cast<size_t>(channel)] = value;
    r[kLightByteMulticolour] = 0;
    return r;
}

LightBytes WithSubMode(LightBytes r, int index) {
    r[kLightByteSubMode] = Byte(index);
    return r;
}

LightBytes WithCustomMode(LightBytes r, int index) {
    r[kLightByteCustomMode] = Byte(index);
    return r;
}

uint8_t ColourEditValue(std::string_view text) {
    // Negative numbers are no colour either: they read as 0, not as a wrapped byte.
    return static_cast<uint8_t>(std::clamp<int64_t>(ParseDecimal(text), 0, 255));
}

std::optional<std::array<uint8_t, 3>> ParseHexColour(std::string_view text) {
    if (!text.empty() && text.front() == '#') text.remove_prefix(1);
    if (text.size() != 6) return std::nullopt;
    std::array<uint8_t, 3> rgb{};
    for (size_t i = 0; i < 3; ++i) {
        const int high = HexDigit(text[2 * i]);
        const int low = HexDigit(text[2 * i + 1]);
        if (high < 0 || low < 0) return std::nullopt;
        rgb[i] = static_cast<uint8_t>(high * 16 + low);
    }
    return rgb;
}

std::string HexColourText(uint8_t red, uint8_t green, uint8_t blue) {
    char text[8];
    std::snprintf(text, sizeof text, "#%02X%02X%02X", red, green, blue);
    return text;
}

std::string ShortLightModeName(std::string_view name) {
    const size_t light = name.find("_light_");
    if (light != std::string_view::npos) name.remove_prefix(light + 7);
    if (name.size() > 5 && name.substr(name.size() - 5) == "_text") name.remove_suffix(5);
    return std::string(name);
}

int FindLightMode(std::span<const EffectListEntry> effects, std::string_view word) {
    if (word.empty()) return -1;
    if (std::all_of(word.begin(), word.end(), [](char c) { return c >= '0' && c <= '9'; })) {
        const int64_t index = word.size() > 6 ? -1 : ParseDecimal(word);
        return index >= 0 && static_cast<size_t>(index) < effects.size() ? static_cast<int>(index)
                                                                         : -1;
    }
    for (size_t i = 0; i < effects.size(); ++i) {
        if (SameIgnoringCase(effects[i].name, word) ||
            SameIgnoringCase(ShortLightModeName(effects[i].name), word))
            return static_cast<int>(i);
    }
    return -1;
}

}  // namespace dz
