#pragma once
// Cross-device lighting synchronisation: one effect computed on the host and shown on every
// device that takes part. The parameters come from the lighting record of the page where
// "deng_same_mode" was clicked; the type of effect from the mode number by the device
// kind's mode table. LightSyncEffect makes the steps; RunLightSync (light_sync_thread.h)
// runs them at the pace of the speed level. Qt-free.

#include <array>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <optional>

#include "device/device_page.h"
#include "models/same_mode.h"

namespace dz::app {

using dz::SyncModeFor;
using dz::SyncType;
using dz::SyncTypeOfMode;
using dz::kSyncTypeCount;

// Steps are counted in ticks of the millisecond clock as a thread waiting 1 ms per pass sees
// them (a tick when more than 1 ms has gone by, so one every 2 ms); a step every 28, 23, 18,
// 13 or 7 ticks by speed level.
inline constexpr std::chrono::milliseconds kSyncTick{2};
inline constexpr std::array<uint8_t, 5> kSyncStepTicks = {28, 23, 18, 13, 7};
[[nodiscard]] int SyncStepTicks(uint8_t speed);

// The parameters, written by the UI thread and read by the thread as they are (a step may
// mix an old and a new setting for one frame).
struct SyncParameters {
    std::atomic<uint8_t> type{0};
    std::atomic<uint8_t> brightness{0};
    std::atomic<uint8_t> speed{0};
    std::atomic<uint8_t> direction{0};
    std::atomic<uint8_t> colourful{0};
    std::atomic<uint8_t> red{0};
    std::atomic<uint8_t> green{0};
    std::atomic<uint8_t> blue{0};
    // Bytes 1..7 of a lighting record, and the type.
    void Store(SyncType t, const LightRecord& record);
};

// The effect's state; owned by the thread.
class LightSyncEffect {
  public:
    // One step at `now_ms` (the millisecond clock): the word red | green << 8 | blue << 16 |
    // brightness << 24 for every light.
    uint32_t Step(const SyncParameters& p, uint64_t now_ms);
    [[nodiscard]] int BreathPosition() const { return breath_; }
    [[nodiscard]] bool FlashOn() const { return flash_on_; }

  private:
    int breath_ = 0;
    int breath_wheel_ = 0;
    int cycle_wheel_ = 0;
    int flash_wheel_ = 0;
    bool flash_on_ = false;
    uint64_t last_toggle_ms_ = 0;
};

[[nodiscard]] constexpr uint32_t SyncWord(uint8_t r, uint8_t g, uint8_t b, uint8_t level) {
    return uint32_t{r} | uint32_t{g} << 8 | uint32_t{b} << 16 | uint32_t{level} << 24;
}

}  // namespace dz::app
