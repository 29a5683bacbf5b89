#include "device/device_scanner.h"

#include <pthread.h>

#include "platform/hid/hid_backend.h"
#include "platform/log/debug_log.h"

namespace dz {
namespace {

using Clock = std::chrono::steady_clock;

}  // namespace

DeviceScanner::DeviceScanner(DeviceSlotList& slots, Events& events,
                             std::chrono::milliseconds interval)
    : slots_(slots), events_(events), interval_(interval) {}

DeviceScanner::~DeviceScanner() {
    Stop();
}

void DeviceScanner::Start() {
    if (thread_.joinable()) return;
    thread_ = std::jthread([this](std::stop_token stop) { Run(stop); });
}

void DeviceScanner::Stop() {
    if (!thread_.joinable()) return;
    thread_.request_stop();
    thread_.join();
}

void DeviceScanner::RunHere(std::stop_token stop) {
    Run(stop);
}

void DeviceScanner::Wake() {
    {
        std::lock_guard lock(mutex_);
        changed_ = true;
    }
    cv_.notify_all();
}

bool DeviceScanner::TakeChanged() {
    std::lock_guard lock(mutex_);
    const bool changed = changed_;
    changed_ = false;
    return changed;
}

void DeviceScanner::Run(const std::stop_token& stop) {
    // Named for people looking at the process (top -H, perf, the CPU bench).
    pthread_setname_np(pthread_self(), "device watch");
    hid::BackendRegistry& registry = hid::BackendRegistry::Instance();
    // Listening before the first listing, so that no change falls between the two.
    const int listener = registry.AddChangeListener([this] { Wake(); });
    catalog_ = std::make_unique<InterfaceCatalog>();
    while (!stop.stop_requested()) {
        const bool poll = Pass();
        std::unique_lock lock(mutex_);
        if (poll) {
            (void)cv_.wait_for(lock, stop, interval_, [this] { return changed_; });
        } else {
            (void)cv_.wait(lock, stop, [this] { return changed_; });
        }
    }
    catalog_.reset();
    registry.RemoveChangeListener(listener);
    log::DebugLine("抓取设备线程设定退出");
}

bool DeviceScanner::Pass() {
    const bool changed = TakeChanged();
    const bool listed = catalog_->Refresh(changed, slots_.AnyFree());
    // Removals first: a node replaced under the same path (plugged out and in between two
    // passes) is unbound here and bound again below, in the same pass.
    for (int i = 0; i < static_cast<int>(slots_.size()); ++i) {
        const SupportedDeviceRecord slot = slots_.Slot(i);
        if (slot.connected == 0 || slot.path.empty()) continue;
        if (catalog_->StillPresent(bound_nodes_[static_cast<size_t>(i)])) continue;
        slots_.Unbind(i);
        bound_nodes_[static_cast<size_t>(i)] = {};
        events_.DeviceRemoved(i);
    }
    const bool any_free = slots_.AnyFree();
    bool retry = false;
    if (any_free) {
        const ScanPass pass = BindInterfaces(
            slots_, catalog_->CandidatePaths(),
            [this](const BoundInterface& b) {
                if (const ListedNode* node = catalog_->NodeOf(b.record.path))
                    bound_nodes_[static_cast<size_t>(b.slot)] = *node;
                events_.DeviceArrived(b.slot);
            },
            [this](const std::string& path) { catalog_->MarkRejected(path); });
        NoteUnopened(pass.unopened);
        // An interface that would not open is tried again on the next pass: a refusal
        // can end without any change being told (a session becoming the active one).
        retry = !pass.unopened.empty();
        if (!listed) {
            // A failed listing is retried on the next pass rather than ending detection.
            log::DebugLine("device scan: listing the HID interfaces failed");
            retry = true;
        } else if (!first_pass_done_) {
            first_pass_done_ = true;
            events_.FirstPassDone();
        }
    }
    return retry || !catalog_->AllReportChanges();
}

void DeviceScanner::NoteUnopened(const std::vector<UnopenedInterface>& unopened) {
    const Clock::time_point now = Clock::now();
    std::map<std::string, Clock::time_point> still;
    for (const UnopenedInterface& u : unopened) {
        if (u.error != hid::OpenError::kAccessDenied) continue;
        const ListedNode* node = catalog_->NodeOf(u.path);
        const std::string key = u.path + '\n' + (node != nullptr ? node->info.instance : "");
        const auto it = denied_since_.find(key);
        const Clock::time_point since = it == denied_since_.end() ? now : it->second;
        still.emplace(key, since);
        if (now - since >= kAccessReportDelay && denied_told_.insert(key).second) {
            log::DebugLineF("device scan: %s: permission denied", u.path.c_str());
            events_.AccessDenied(u.path);
        }
    }
    denied_since_ = std::move(still);
}

}  // namespace dz
