#pragma once
// Lighting flashed by a game message and restored five seconds after the last one.

#include <cstdint>

#include "device/device_page.h"

namespace dz::app {

class GameLighting {
  public:
    // Handles one of the four game messages on `page` (none: nothing on a device). The
    // caller (re)starts the restore timer in every case.
    void OnGameMessage(DevicePage* page, int64_t wparam, int64_t lparam);
    // The restore timer fired: the saved mode (byte 13) becomes the mode again.
    void OnRestoreTimer(DevicePage* page);
    [[nodiscard]] bool RestorePending() const { return pending_; }

  private:
    bool pending_ = false;
};

// Record changes, separated for testing. `keep_saved` protects byte 13 while an earlier
// game mode is still showing, so a second "start" cannot save the game's own mode over the
// user's.
[[nodiscard]] LightRecord WithGameMode(LightRecord record, int64_t wparam, uint8_t mode,
                                       bool keep_saved);
[[nodiscard]] LightRecord WithSavedModeRestored(LightRecord record);

}  // namespace dz::app
