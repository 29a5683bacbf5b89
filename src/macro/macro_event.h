#pragma once
// A macro's events: the event record shared by recording, the editor, the device
// conversion and the shooting-pattern files; its 4-byte device form; reading and writing
// the events of a macro file.

#include <array>
#include <cstdint>
#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include <json/value.h>

namespace dz {

inline constexpr size_t kMaxMacroEvents = 4000;
inline constexpr int kMaxMacroDelay = 65535;
inline constexpr int kMacroFileVersion = 64;

// Event kinds ("Type").
inline constexpr int kMacroEventMouseButton = 1;
inline constexpr int kMacroEventMoveX = 4;  // "down": to the left
inline constexpr int kMacroEventMoveY = 5;  // "down": upward
inline constexpr int kMacroEventModifier = 9;
inline constexpr int kMacroEventKey = 10;

struct MacroEvent {
    int type = 0;        // "Type"
    int button = 0;      // "Button": button mask, modifier bit, usage id or distance
    std::string action;  // "Action": "down" for a press, anything else is a release
    std::string delay;   // "Delay": decimal text, milliseconds after the event

    [[nodiscard]] bool IsPress() const { return action == "down"; }
    friend bool operator==(const MacroEvent&, const MacroEvent&) = default;
};

// The delay text as a number: leading white space and a sign allowed, digits up to the
// first non-digit, 0 without digits; saturated to the int range.
[[nodiscard]] int ParseDelay(std::string_view text);
// The delay as the editor shows it: 0 to 65535.
[[nodiscard]] int DisplayDelay(std::string_view text);

// Device form: delay low byte, delay high byte, type | 0x80 for a press, button.
using MacroEventCode = std::array<uint8_t, 4>;
[[nodiscard]] MacroEventCode ToDeviceCode(const MacroEvent& event);

// The event of one "Events" element; values of the wrong type read as 0 or empty (a
// numeric "Delay" of a hand-edited file is taken as its decimal text).
[[nodiscard]] MacroEvent EventFromJson(const Json::Value& element);
// "Delay" normalised: empty becomes "0", anything else its integer as decimal text.
[[nodiscard]] Json::Value EventToJson(const MacroEvent& event);

// The events of a macro file; empty when it is missing or does not parse.
[[nodiscard]] std::vector<MacroEvent> LoadEvents(const std::filesystem::path& path);

// Writes {"MacroName", "Guid", "Events", "Version": 64}. False, writing nothing, when there
// are more than kMaxMacroEvents events, the file cannot be written, or it is there but
// cannot be read (TryReplaceUserJsonFile: a damaged one is kept beside it first).
[[nodiscard]] bool SaveEvents(const std::filesystem::path& path, std::string_view name,
                              std::string_view guid, const std::vector<MacroEvent>& events);

}  // namespace dz
