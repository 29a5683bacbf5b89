#include "app/game_lighting.h"

#include "platform/log/debug_log.h"

namespace dz::app {

LightRecord WithGameMode(LightRecord record, int64_t wparam, uint8_t mode, bool keep_saved) {
    if (wparam == 0 && !keep_saved) {
        const uint8_t current = record[0];
        record[13] = (current == 0 || current > 20) ? 1 : current;
    }
    record[0] = mode;
    return record;
}

LightRecord WithSavedModeRestored(LightRecord record) {
    record[0] = record[13];
    return record;
}

void GameLighting::OnGameMessage(DevicePage* page, int64_t wparam, int64_t lparam) {
    const bool known_wparam = wparam >= 0 && wparam <= 2;
    const bool mode_fits = lparam >= 0 && lparam <= 255;
    if (!mode_fits)
        log::DebugLineF("game message: mode %lld ignored", static_cast<long long>(lparam));
    if (page != nullptr && known_wparam && mode_fits) {
        page->SetLightSync(false);
        if (LightingPanel* panel = page->Lighting()) panel->SelectMode(static_cast<int>(lparam));
        const LightRecord updated =
            WithGameMode(page->GetLightRecord(), wparam, static_cast<uint8_t>(lparam), pending_);
        page->SetLightRecord(updated);
        page->ApplyLighting();
        page->SaveProfile();
        page->RefreshPage();
    }
    pending_ = true;
}

void GameLighting::OnRestoreTimer(DevicePage* page) {
    pending_ = false;
    if (page == nullptr) return;
    page->SetLightSync(false);
    const LightRecord restored = WithSavedModeRestored(page->GetLightRecord());
    if (LightingPanel* panel = page->Lighting()) panel->SelectMode(restored[13]);
    page->SetLightRecord(restored);
    page->ApplyLighting();
    page->SaveProfile();
    page->RefreshPage();
}

}  // namespace dz::app
