#pragma once
// The equaliser plugin's controls for the gains the user wants. Eq10X2's ten bands are band
// filters whose outputs are summed, so a band's control reaches its centre frequency only in
// part (a +6 dB control gives about +3 dB there, its neighbours adding their own share).
// This finds the controls under which each band's centre comes out at the wanted gain: it
// runs the plugin itself (its mono twin "Eq10", the same filters) on test tones and corrects
// the controls until the tones come out right.

#include <array>
#include <map>
#include <utility>
#include <optional>
#include <string>

namespace dz::audio {

class EqCalibration {
  public:
    EqCalibration() = default;
    ~EqCalibration();
    EqCalibration(const EqCalibration&) = delete;
    EqCalibration& operator=(const EqCalibration&) = delete;

    // Opens the plugin file (caps.so). False when it is missing or lacks "Eq10".
    bool Load(const std::string& path);
    [[nodiscard]] bool Loaded() const { return descriptor_ != nullptr; }

    // The controls (dB) for `wanted` (dB per band) at `rate` Hz; the wanted gains themselves
    // when the plugin is not loaded.
    [[nodiscard]] std::array<double, 10> Controls(const std::array<int, 10>& wanted, unsigned rate);
    // The plugin's gain (dB) at `hz` under `controls`.
    [[nodiscard]] std::optional<double> ResponseDb(const std::array<double, 10>& controls, double hz,
                                                   unsigned rate);

  private:
    [[nodiscard]] std::array<double, 10> Search(const std::array<int, 10>& wanted, unsigned rate);

    void* library_ = nullptr;
    // Gains asked for before (a preset applied again, a band moved back) are not searched again.
    std::map<std::pair<std::array<int, 10>, unsigned>, std::array<double, 10>> found_;
    const void* descriptor_ = nullptr;
};

// Where the plugin file is looked for: LADSPA_PATH, then the usual folders. Empty when absent.
[[nodiscard]] std::string FindPlugin(const std::string& file);

}  // namespace dz::audio
