#pragma once
// The command-line form that starts the emulator: "--simulate" (the default set of
// devices) or "--simulate=kinds" with a comma list of device words.

#include <optional>
#include <string>
#include <string_view>

#include "sim/sim_types.h"

namespace dz::sim {

// Which devices are plugged at start, and on which paths.
struct EmulatorConfig {
    bool keyboard = false;           // keyboard on its cable
    bool keyboard_receiver = false;  // keyboard through its receiver
    bool mouse = false;
    bool mouse_receiver = false;
    bool mousepad = false;
    bool headset = false;
    MouseSensor mouse_sensor = MouseSensor::kStandard;

    // Keyboard on cable, mouse on cable and receiver, mousepad, headset.
    [[nodiscard]] static EmulatorConfig Default();
    bool operator==(const EmulatorConfig&) const = default;
};

struct SimulateParse {
    bool ok = false;
    EmulatorConfig config;
    std::string error;  // when not ok: what was wrong, for the user
};

// The words accepted in a kinds list, for help texts.
[[nodiscard]] std::string_view SimulateKindWords();

// "keyboard,mouse,mouse-rx,keyboard-rx,mousepad,headset", plus "sensor-3325" for
// the mouse variant with the two-slope DPI scale. Empty (or "1", as from the
// environment) gives the default set. Unknown or empty words are an error.
[[nodiscard]] SimulateParse ParseSimulateKinds(std::string_view kinds);
// True for "--simulate" and "--simulate=...".
[[nodiscard]] bool IsSimulateOption(std::string_view arg);
// Parses "--simulate" or "--simulate=kinds"; any other argument is an error.
[[nodiscard]] SimulateParse ParseSimulateOption(std::string_view arg);

}  // namespace dz::sim
