#pragma once
// Watches udev for hidraw nodes coming, going or changing (a rule reloaded and triggered
// gives "change"), so that the scanner notices a device within milliseconds and need not
// poll while nothing happens.

#include <functional>
#include <memory>

namespace dz::hid {

class HidrawMonitor {
  public:
    // `on_change` runs on the monitor's own thread for every hidraw event, and once more
    // if the monitor stops working.
    explicit HidrawMonitor(std::function<void()> on_change);
    ~HidrawMonitor();
    HidrawMonitor(const HidrawMonitor&) = delete;
    HidrawMonitor& operator=(const HidrawMonitor&) = delete;

    // False when udev could not be watched, or the watch has failed since.
    [[nodiscard]] bool Running() const;
    // True when events can be relied on: udev's daemon runs (it sends them), or one has
    // arrived. Without a daemon (some containers) the monitor opens but stays silent.
    [[nodiscard]] bool Delivers() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace dz::hid
