#include "app/light_sync_thread.h"

#include "device/device_table.h"
#include "device/usb_device.h"
#include "platform/log/debug_log.h"

namespace dz::app {
namespace {

uint64_t NowMs() {
    return static_cast<uint64_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                     std::chrono::steady_clock::now().time_since_epoch())
                                     .count());
}

}  // namespace

void LightSynchroniser::SetDevices(const DeviceLists& by_kind) {
    std::vector<CRezazodaUSBDevice*> order;
    for (int kind : {kKindMouse, kKindMousePad, kKindHeadset, kKindKeyboard})
        for (CRezazodaUSBDevice* d : by_kind[size_t(kind)]) order.push_back(d);
    std::lock_guard<std::mutex> hold(lock_);
    in_send_order_ = std::move(order);
}

void LightSynchroniser::SameMode(CRezazodaUSBDevice* current, const DeviceLists& by_kind) {
    if (current == nullptr) return;
    const LightRecord record = current->GetLightRecord();
    const std::optional<SyncType> type = SyncTypeOfMode(current->KindIndex(), record[0]);
    if (!type) return;
    params_.Store(*type, record);
    for (int kind : {kKindKeyboard, kKindMouse, kKindMousePad, kKindHeadset}) {
        for (CRezazodaUSBDevice* d : by_kind[size_t(kind)]) {
            if (!d->ChannelOpen()) continue;
            const LightRecord own = SameModeRecord(record, d->GetLightRecord(), kind, *type);
            d->SetLightSync(true);
            if (LightingPanel* panel = d->Lighting()) panel->ShowLightRecord(own);
            d->SetLightRecord(own);
            (void)d->ApplyLighting();
            d->SaveProfile();
            d->RefreshPage();
        }
    }
}

std::vector<CRezazodaUSBDevice*> LightSynchroniser::Flagged() {
    std::vector<CRezazodaUSBDevice*> flagged;
    std::lock_guard<std::mutex> hold(lock_);
    for (CRezazodaUSBDevice* d : in_send_order_)
        if (d->ChannelOpen() && d->LightSync()) flagged.push_back(d);
    return flagged;
}

void LightSynchroniser::Run(const StopEvent& stop) {
    // Ticks of 2 ms are counted as they pass; they carry over an idle second, and the
    // counter starts again only after a step.
    int ticks = 0;
    uint64_t last = NowMs();
    std::chrono::milliseconds wait{1};
    bool idle = false;
    for (;;) {
        if (stop.WaitFor(wait)) break;
        const std::vector<CRezazodaUSBDevice*> flagged = Flagged();
        if (flagged.empty()) {
            idle_rounds_.fetch_add(1);
            idle = true;
            wait = std::chrono::milliseconds(1000);
            continue;
        }
        const uint64_t now = NowMs();
        if (idle) {
            // The clock was not looked at while idle: the second that passed is one tick.
            idle = false;
            ++ticks;
            last = now;
        } else if (now - last > 1) {
            ticks += static_cast<int>(std::min<uint64_t>((now - last) / kSyncTick.count(), 1000));
            last = now - (now - last) % kSyncTick.count();
        }
        const int threshold = SyncStepTicks(params_.speed.load());
        if (ticks >= threshold) {
            ticks = 0;
            const uint32_t word = effect_.Step(params_, now);
            // Every device's lights first, so that they change together; then the pictures go.
            for (CRezazodaUSBDevice* d : flagged) d->ShowSyncColour(word);
            for (CRezazodaUSBDevice* d : flagged) d->PictureMoved();
            steps_.fetch_add(1);
        }
        wait = kSyncTick * std::max(1, threshold - ticks);
    }
    log::DebugLine("同步灯光线程设定退出");
}

}  // namespace dz::app
