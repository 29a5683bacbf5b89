#pragma once
// The synchronisation thread (worker slot 8) and the same-mode operation. The thread steps
// the synchronised effect at its speed level's pace and gives the word to every flagged
// device with an open channel, mice first, then mousepads, headsets and keyboards; it sleeps
// until its next step is due, and in one-second sleeps while no device takes part.

#include <array>
#include <mutex>
#include <vector>

#include "app/light_sync.h"
#include "app/worker_table.h"

namespace dz {
class CRezazodaUSBDevice;
}

namespace dz::app {

class LightSynchroniser {
  public:
    using DeviceLists = std::array<std::vector<CRezazodaUSBDevice*>, 4>;  // by kind index

    // UI thread, whenever the device lists change. The objects must outlive the thread.
    void SetDevices(const DeviceLists& by_kind);
    // "deng_same_mode" on the page of `current`: nothing when its mode has no synchronised
    // type; otherwise every device with an open channel takes the type's mode of its kind
    // and the parameters, is flagged, shows it in its lighting panel, writes, saves and
    // refreshes its page.
    void SameMode(CRezazodaUSBDevice* current, const DeviceLists& by_kind);
    [[nodiscard]] const SyncParameters& Parameters() const { return params_; }

    // The thread's body.
    void Run(const StopEvent& stop);
    // Steps made and idle rounds, for tests and the log.
    [[nodiscard]] uint64_t Steps() const { return steps_.load(); }
    [[nodiscard]] uint64_t IdleRounds() const { return idle_rounds_.load(); }

  private:
    [[nodiscard]] std::vector<CRezazodaUSBDevice*> Flagged();

    std::mutex lock_;
    std::vector<CRezazodaUSBDevice*> in_send_order_;
    SyncParameters params_;
    LightSyncEffect effect_;  // thread only
    std::atomic<uint64_t> steps_{0};
    std::atomic<uint64_t> idle_rounds_{0};
};

}  // namespace dz::app
