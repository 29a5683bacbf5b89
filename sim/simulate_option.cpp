#include "sim/simulate_option.h"

namespace dz::sim {
namespace {

constexpr std::string_view kOption = "--simulate";
constexpr std::string_view kWords =
    "keyboard, keyboard-rx, mouse, mouse-rx, mousepad, headset, sensor-3325";

std::string_view Trim(std::string_view s) {
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t')) s.remove_suffix(1);
    return s;
}

bool Apply(std::string_view word, EmulatorConfig& c) {
    if (word == "keyboard")
        c.keyboard = true;
    else if (word == "keyboard-rx")
        c.keyboard_receiver = true;
    else if (word == "mouse")
        c.mouse = true;
    else if (word == "mouse-rx")
        c.mouse_receiver = true;
    else if (word == "mousepad")
        c.mousepad = true;
    else if (word == "headset")
        c.headset = true;
    else if (word == "sensor-3325")
        c.mouse_sensor = MouseSensor::k3325;
    else
        return false;
    return true;
}

}  // namespace

EmulatorConfig EmulatorConfig::Default() {
    EmulatorConfig c;
    c.keyboard = true;
    c.mouse = true;
    c.mouse_receiver = true;
    c.mousepad = true;
    c.headset = true;
    return c;
}

std::string_view SimulateKindWords() {
    return kWords;
}

SimulateParse ParseSimulateKinds(std::string_view kinds) {
    SimulateParse result;
    const std::string_view all = Trim(kinds);
    if (all.empty() || all == "1") {
        result.ok = true;
        result.config = EmulatorConfig::Default();
        return result;
    }
    EmulatorConfig config;
    bool device = false;
    size_t start = 0;
    for (;;) {
        const size_t comma = all.find(',', start);
        const std::string_view word =
            Trim(all.substr(start, comma == std::string_view::npos ? all.npos : comma - start));
        if (word.empty()) {
            result.error = "--simulate: empty device name in \"" + std::string(kinds) +
                           "\" (known: " + std::string(kWords) + ")";
            return result;
        }
        if (!Apply(word, config)) {
            result.error = "--simulate: unknown device \"" + std::string(word) +
                           "\" (known: " + std::string(kWords) + ")";
            return result;
        }
        device = device || word != "sensor-3325";
        if (comma == std::string_view::npos) break;
        start = comma + 1;
    }
    if (!device) {
        result.error = "--simulate: \"" + std::string(kinds) +
                       "\" names no device (known: " + std::string(kWords) + ")";
        return result;
    }
    result.ok = true;
    result.config = config;
    return result;
}

bool IsSimulateOption(std::string_view arg) {
    return arg == kOption ||
           (arg.size() > kOption.size() && arg.substr(0, kOption.size()) == kOption &&
            arg[kOption.size()] == '=');
}

SimulateParse ParseSimulateOption(std::string_view arg) {
    if (!IsSimulateOption(arg)) {
        SimulateParse result;
        result.error = "not a --simulate option: \"" + std::string(arg) + "\"";
        return result;
    }
    if (arg == kOption) return ParseSimulateKinds({});
    const std::string_view kinds = arg.substr(kOption.size() + 1);
    if (Trim(kinds).empty()) {
        SimulateParse result;
        result.error = "--simulate=: no device named (known: " + std::string(kWords) + ")";
        return result;
    }
    return ParseSimulateKinds(kinds);
}

}  // namespace dz::sim
