#pragma once
// Watches udev for hidraw nodes coming and going, so that the scanner notices a device
// within milliseconds instead of at its next pass.

#include <functional>
#include <memory>

namespace dz::hid {

class HidrawMonitor {
public:
    // `on_change` runs on the monitor's own thread for every hidraw add or remove.
    explicit HidrawMonitor(std::function<void()> on_change);
    ~HidrawMonitor();
    HidrawMonitor(const HidrawMonitor&) = delete;
    HidrawMonitor& operator=(const HidrawMonitor&) = delete;

    // False when udev could not be watched (the scanner then relies on its passes).
    [[nodiscard]] bool Running() const;

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace dz::hid
