#include "platform/hid/hidraw_monitor.h"

#include <libudev.h>
#include <poll.h>
#include <pthread.h>
#include <sys/eventfd.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/log/debug_log.h"

namespace dz::hid {
namespace {

// Room for a burst of events (a hub of devices plugged at once) without losing any.
constexpr int kReceiveBufferBytes = 1 << 20;

bool UdevDaemonActive(udev* context) {
    udev_queue* queue = udev_queue_new(context);
    if (queue == nullptr) return false;
    const bool active = udev_queue_get_udev_is_active(queue) != 0;
    udev_queue_unref(queue);
    return active;
}

}  // namespace

struct HidrawMonitor::State {
    std::function<void()> on_change;
    udev* context = nullptr;
    udev_monitor* monitor = nullptr;
    int stop_fd = -1;
    std::atomic<bool> running{false};
    std::atomic<bool> delivers{false};
    std::thread thread;

    void Run() {
        pthread_setname_np(pthread_self(), "hidraw monitor");
        const int monitor_fd = udev_monitor_get_fd(monitor);
        for (;;) {
            pollfd fds[2] = {{stop_fd, POLLIN, 0}, {monitor_fd, POLLIN, 0}};
            if (poll(fds, 2, -1) < 0) {
                if (errno == EINTR) continue;
                log::DebugLineF("hidraw monitor: poll failed: %s", std::strerror(errno));
                break;
            }
            if (fds[0].revents != 0) return;
            if ((fds[1].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) {
                log::DebugLine("hidraw monitor: the udev socket failed");
                break;
            }
            if ((fds[1].revents & POLLIN) == 0) continue;
            // A lost event (a full socket) still means that something changed.
            if (udev_device* dev = udev_monitor_receive_device(monitor)) udev_device_unref(dev);
            delivers.store(true);
            on_change();
        }
        // From now on changes are found by polling again; the owner is told once.
        running.store(false);
        on_change();
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
    (void)udev_monitor_set_receive_buffer_size(state_->monitor, kReceiveBufferBytes);
    state_->delivers.store(UdevDaemonActive(state_->context));
    if (!state_->delivers.load())
        log::DebugLine("hidraw monitor: no udev daemon; polling until udev events arrive");
    state_->running.store(true);
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

bool HidrawMonitor::Running() const {
    return state_->running.load();
}

bool HidrawMonitor::Delivers() const {
    return state_->delivers.load();
}

}  // namespace dz::hid
