#include "platform/input/signal_release.h"

#include <sys/socket.h>

#include <array>
#include <atomic>

namespace dz::input {
namespace {

// Lock-free slots: the handler may run on any thread, at any moment.
std::array<std::atomic<int>, 4> g_grab_fds{-1, -1, -1, -1};
static_assert(std::atomic<int>::is_always_lock_free);

}  // namespace

void RegisterGrabConnection(int fd) noexcept {
    if (fd < 0) return;
    for (auto& slot : g_grab_fds) {
        int expected = -1;
        if (slot.compare_exchange_strong(expected, fd)) return;
    }
}

bool UnregisterGrabConnection(int fd) noexcept {
    if (fd < 0) return false;
    for (auto& slot : g_grab_fds) {
        int expected = fd;
        if (slot.compare_exchange_strong(expected, -1)) return true;
    }
    return false;
}

void ReleaseInputGrabsFromSignal() noexcept {
    for (auto& slot : g_grab_fds) {
        const int fd = slot.exchange(-1);
        if (fd >= 0) (void)::shutdown(fd, SHUT_RDWR);
    }
}

}  // namespace dz::input
