#include "device/device_scanner.h"

#include "device/interface_scan.h"
#include "platform/hid/hid_backend.h"
#include "platform/hid/hidraw_monitor.h"
#include "platform/log/debug_log.h"

namespace dz {

DeviceScanner::DeviceScanner(DeviceSlotList& slots, Events& events,
                             std::chrono::milliseconds interval)
    : slots_(slots), events_(events), interval_(interval) {}

DeviceScanner::~DeviceScanner() { Stop(); }

void DeviceScanner::Start() {
    if (thread_.joinable()) return;
    {
        std::lock_guard lock(mutex_);
        stop_ = false;
    }
    AttachWakeSources();
    thread_ = std::thread([this] { Run(); });
}

void DeviceScanner::RunHere() {
    AttachWakeSources();
    Run();
    DetachWakeSources();
}

void DeviceScanner::AttachWakeSources() {
    listener_id_ = hid::BackendRegistry::Instance().AddChangeListener([this] { Wake(); });
    monitor_ = std::make_unique<hid::HidrawMonitor>([this] { Wake(); });
}

void DeviceScanner::DetachWakeSources() {
    monitor_.reset();
    if (listener_id_ != 0) {
        hid::BackendRegistry::Instance().RemoveChangeListener(listener_id_);
        listener_id_ = 0;
    }
}

void DeviceScanner::Stop() {
    {
        std::lock_guard lock(mutex_);
        stop_ = true;
    }
    cv_.notify_all();
    // A scanner running on another's thread (RunHere) cleans up there.
    if (!thread_.joinable()) return;
    thread_.join();
    DetachWakeSources();
}

void DeviceScanner::Wake() {
    {
        std::lock_guard lock(mutex_);
        wake_ = true;
    }
    cv_.notify_all();
}

void DeviceScanner::Run() {
    std::unique_lock lock(mutex_);
    while (!stop_) {
        wake_ = false;
        lock.unlock();
        Pass();
        lock.lock();
        cv_.wait_for(lock, interval_, [this] { return stop_ || wake_; });
    }
    log::DebugLine("抓取设备线程设定退出");
}

void DeviceScanner::Pass() {
    if (slots_.AnyFree()) {
        const ScanPass pass = BindPresentInterfaces(
            slots_, [this](const BoundInterface& b) { events_.DeviceArrived(b.slot); });
        if (!pass.listed) {
            // A failed listing is retried on the next pass rather than ending detection.
            log::DebugLine("device scan: listing the HID interfaces failed");
        } else if (!first_pass_done_) {
            first_pass_done_ = true;
            events_.FirstPassDone();
        }
    }
    for (int i = 0; i < static_cast<int>(slots_.size()); ++i) {
        const SupportedDeviceRecord slot = slots_.Slot(i);
        if (slot.connected == 0 || slot.path.empty() || InterfacePresent(slot.path)) continue;
        slots_.Unbind(i);
        events_.DeviceRemoved(i);
    }
}

}  // namespace dz
