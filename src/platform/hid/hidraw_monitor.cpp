#include "platform/hid/hidraw_monitor.h"

#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <cstring>
#include <thread>

#include "platform/log/debug_log.h"

namespace dz::hid {

struct HidrawMonitor::State {
    std::function<void()> on_change;
    udev* context = nullptr;
    udev_monitor* monitor = nullptr;
    int stop_fd = -1;
    std::thread thread;

    void Run() {
        const int monitor_fd = udev_monitor_get_fd(monitor);
        for (;;) {
            pollfd fds[2] = {{stop_fd, POLLIN, 0}, {monitor_fd, POLLIN, 0}};
            if (poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                log::DebugLineF("hidraw monitor: poll failed: %s", std::strerror(errno));
                return;
            }
            if (fds[0].revents != 0) return;
            if (fds[1].revents & POLLIN) {
                if (udev_device* dev = udev_monitor_receive_device(monitor)) {
                    udev_device_unref(dev);
                    on_change();
                }
            }
        }
    }
};

HidrawMonitor::HidrawMonitor(std::function<void()> on_change) : state_(std::make_unique<State>()) {
    state_->on_change = std::move(on_change);
    state_->context = udev_new();
    if (state_->context != nullptr)
        state_->monitor = udev_monitor_new_from_netlink(state_->context, "udev");
    state_->stop_fd = eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
    if (state_->monitor == nullptr || state_->stop_fd < 0 ||
        udev_monitor_filter_add_match_subsystem_devtype(state_->monitor, "hidraw", nullptr) < 0 ||
        udev_monitor_enable_receiving(state_->monitor) < 0) {
        log::DebugLine("hidraw monitor: udev events unavailable; devices are found by polling");
        return;
    }
    state_->thread = std::thread([s = state_.get()] { s->Run(); });
}

HidrawMonitor::~HidrawMonitor() {
    if (state_->thread.joinable()) {
        const uint64_t one = 1;
        (void)!write(state_->stop_fd, &one, sizeof one);
        state_->thread.join();
    }
    if (state_->stop_fd >= 0) close(state_->stop_fd);
    if (state_->monitor != nullptr) udev_monitor_unref(state_->monitor);
    if (state_->context != nullptr) udev_unref(state_->context);
}

bool HidrawMonitor::Running() const { return state_->thread.joinable(); }

}  // namespace dz::hid
