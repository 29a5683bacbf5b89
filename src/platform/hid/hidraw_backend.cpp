#include "platform/hid/hidraw_backend.h"

#include <fcntl.h>
#include <libudev.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <charconv>
#include <chrono>
#include <cstring>
#include <map>
#include <mutex>
#include <set>
#include <string>

#include "platform/hid/hidraw_monitor.h"
#include "platform/hid/report_descriptor.h"
#include "platform/log/debug_log.h"

namespace dz::hid {
namespace {

using Clock = std::chrono::steady_clock;

struct UdevUnref {
    void operator()(udev* u) const { udev_unref(u); }
    void operator()(udev_enumerate* e) const { udev_enumerate_unref(e); }
    void operator()(udev_device* d) const { udev_device_unref(d); }
};
using UdevPtr = std::unique_ptr<udev, UdevUnref>;
using EnumeratePtr = std::unique_ptr<udev_enumerate, UdevUnref>;
using DevicePtr = std::unique_ptr<udev_device, UdevUnref>;

bool ParseHex(std::string_view text, uint32_t& value) {
    while (!text.empty() && (text.back() == '\n' || text.back() == ' ')) text.remove_suffix(1);
    if (text.empty()) return false;
    const auto res = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    return res.ec == std::errc{} && res.ptr == text.data() + text.size();
}

bool HexAttribute(udev_device* dev, const char* name, uint32_t& value) {
    const char* text = udev_device_get_sysattr_value(dev, name);
    return text != nullptr && ParseHex(text, value);
}

// The descriptor is binary (it contains 0 bytes), so it is read as a file rather than
// through udev's string-valued attribute accessor.
bool ReadDescriptor(const char* syspath, std::vector<uint8_t>& out) {
    const std::string path = std::string(syspath) + "/report_descriptor";
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return false;
    out.clear();
    uint8_t buf[4096];
    bool ok = true;
    for (;;) {
        const ssize_t n = ::read(fd, buf, sizeof buf);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            ok = false;
            break;
        }
        if (n == 0) break;
        out.insert(out.end(), buf, buf + n);
        if (out.size() > kMaxDescriptorBytes) {
            ok = false;
            break;
        }
    }
    ::close(fd);
    return ok && !out.empty();
}

// Report descriptors by the syspath of their hidraw device. The syspath holds the HID
// device's sequence number, so a device plugged again gets a new one; what is kept for
// a syspath cannot change while it exists. Guarded by its own lock, as the listing and
// Open run on different threads.
class DescriptorCache {
  public:
    bool Find(const std::string& syspath, std::vector<uint8_t>& out) const {
        std::lock_guard lock(mutex_);
        const auto it = bytes_.find(syspath);
        if (it == bytes_.end()) return false;
        out = it->second;
        return true;
    }
    void Put(const std::string& syspath, const std::vector<uint8_t>& bytes) {
        std::lock_guard lock(mutex_);
        bytes_[syspath] = bytes;
    }
    // Forgets the nodes that a complete listing no longer showed.
    void KeepOnly(const std::set<std::string>& present) {
        std::lock_guard lock(mutex_);
        std::erase_if(bytes_, [&](const auto& e) { return present.count(e.first) == 0; });
    }
    void Clear() {
        std::lock_guard lock(mutex_);
        bytes_.clear();
    }

  private:
    mutable std::mutex mutex_;
    std::map<std::string, std::vector<uint8_t>> bytes_;
};

// Fills `info` from a device of the hidraw subsystem and its parents.
bool Describe(udev_device* raw, HidNodeInfo& info, DescriptorCache& cache) {
    const char* devnode = udev_device_get_devnode(raw);
    const char* syspath = udev_device_get_syspath(raw);
    if (devnode == nullptr || syspath == nullptr) return false;
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(raw, "hid", nullptr);
    if (hid == nullptr) return false;
    HidNodeInfo out;
    out.node = devnode;
    out.instance = syspath;
    if (!cache.Find(out.instance, out.report_descriptor)) {
        if (!ReadDescriptor(udev_device_get_syspath(hid), out.report_descriptor)) {
            log::DebugLineF("hidraw: no report descriptor for %s", devnode);
            return false;
        }
        cache.Put(out.instance, out.report_descriptor);
    }
    udev_device* usb = udev_device_get_parent_with_subsystem_devtype(raw, "usb", "usb_device");
    uint32_t value = 0;
    if (usb != nullptr) {
        if (HexAttribute(usb, "idVendor", value)) out.vendor_id = static_cast<uint16_t>(value);
        if (HexAttribute(usb, "idProduct", value)) out.product_id = static_cast<uint16_t>(value);
        if (HexAttribute(usb, "bcdDevice", value)) out.version = static_cast<uint16_t>(value);
    } else if (const char* id = udev_device_get_property_value(hid, "HID_ID")) {
        // Not on USB (Bluetooth, I2C, uhid): "bus:vendor:product" in hexadecimal.
        std::string_view text(id);
        const size_t a = text.find(':');
        const size_t b = text.find(':', a == std::string_view::npos ? a : a + 1);
        if (a != std::string_view::npos && b != std::string_view::npos) {
            if (ParseHex(text.substr(a + 1, b - a - 1), value))
                out.vendor_id = static_cast<uint16_t>(value);
            if (ParseHex(text.substr(b + 1), value)) out.product_id = static_cast<uint16_t>(value);
        }
    }
    udev_device* intf = udev_device_get_parent_with_subsystem_devtype(raw, "usb", "usb_interface");
    if (intf != nullptr && HexAttribute(intf, "bInterfaceNumber", value))
        out.interface_number = static_cast<int>(value);
    info = std::move(out);
    return true;
}

// The hidraw device behind a character device node. The device number is the key;
// where udev cannot map it (some sandboxes), the node's name is the kernel's name for
// the device and the device number is checked against it.
DevicePtr FindHidraw(udev* u, const std::string& path, dev_t devnum) {
    DevicePtr dev(udev_device_new_from_devnum(u, 'c', devnum));
    if (!dev) {
        const size_t slash = path.rfind('/');
        const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
        dev.reset(udev_device_new_from_subsystem_sysname(u, "hidraw", name.c_str()));
    }
    if (!dev) return nullptr;
    const char* subsystem = udev_device_get_subsystem(dev.get());
    if (subsystem == nullptr || std::strcmp(subsystem, "hidraw") != 0 ||
        udev_device_get_devnum(dev.get()) != devnum)
        return nullptr;
    return dev;
}

OpenError ErrorFromErrno(int err) {
    switch (err) {
        case EACCES:
        case EPERM:
            return OpenError::kAccessDenied;
        case ENOENT:
        case ENODEV:
        case ENXIO:
            return OpenError::kNotFound;
        case EBUSY:
            return OpenError::kBusy;
        default:
            return OpenError::kFailed;
    }
}

class HidrawConnection final : public HidConnection {
  public:
    HidrawConnection(int fd, int abort_fd, bool can_read, bool can_write)
        : fd_(fd), abort_fd_(abort_fd), can_read_(can_read), can_write_(can_write) {}
    ~HidrawConnection() override {
        ::close(fd_);
        ::close(abort_fd_);
    }
    HidrawConnection(const HidrawConnection&) = delete;
    HidrawConnection& operator=(const HidrawConnection&) = delete;

    IoResult Read(uint8_t* buf, size_t len, size_t* got, int timeout_ms) override {
        if (got != nullptr) *got = 0;
        if (aborted_.load()) return IoResult::kAborted;
        if (!can_read_ || buf == nullptr || len == 0) return IoResult::kFailed;
        return Transfer(POLLIN, timeout_ms, got, [&] { return ::read(fd_, buf, len); });
    }

    IoResult Write(const uint8_t* buf, size_t len, size_t* put, int timeout_ms) override {
        if (put != nullptr) *put = 0;
        if (aborted_.load()) return IoResult::kAborted;
        if (!can_write_ || buf == nullptr || len == 0) return IoResult::kFailed;
        return Transfer(POLLOUT, timeout_ms, put, [&] { return ::write(fd_, buf, len); });
    }

    void Abort() override {
        aborted_.store(true);
        const uint64_t one = 1;
        // The eventfd stays readable from now on, so every later wait ends at once too.
        [[maybe_unused]] const ssize_t n = ::write(abort_fd_, &one, sizeof one);
    }

  private:
    // Waits for `events` on the node (or the abort), then runs `io` once it is ready;
    // a spurious wake-up (EAGAIN) goes back to waiting for the time that is left.
    template <typename Io>
    IoResult Transfer(short events, int timeout_ms, size_t* count, Io&& io) {
        const bool bounded = timeout_ms >= 0;
        const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(timeout_ms);
        for (;;) {
            int wait_ms = -1;
            if (bounded) {
                const auto left =
                    std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
                wait_ms = static_cast<int>(std::max<int64_t>(0, left.count()));
            }
            pollfd fds[2] = {{fd_, events, 0}, {abort_fd_, POLLIN, 0}};
            const int r = ::poll(fds, 2, wait_ms);
            if (r < 0) {
                if (errno == EINTR) continue;
                return IoResult::kFailed;
            }
            if (fds[1].revents != 0 || aborted_.load()) return IoResult::kAborted;
            if (r == 0) return IoResult::kTimeout;
            // A removed device reports POLLHUP/POLLERR at once; never wait on it.
            if ((fds[0].revents & (POLLERR | POLLHUP | POLLNVAL)) != 0) return IoResult::kFailed;
            if ((fds[0].revents & events) == 0) continue;
            const ssize_t n = io();
            if (n > 0) {
                if (count != nullptr) *count = static_cast<size_t>(n);
                return IoResult::kOk;
            }
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) {
                const int err = errno;
                if (bounded && Clock::now() >= deadline) return IoResult::kTimeout;
                // A node that reports POLLOUT but refuses the write would make this loop
                // spin; pause a millisecond (still woken by the abort) before retrying.
                if (err == EAGAIN && events == POLLOUT) {
                    pollfd abort_only = {abort_fd_, POLLIN, 0};
                    (void)::poll(&abort_only, 1, 1);
                }
                continue;
            }
            return IoResult::kFailed;  // 0 bytes, ENODEV, EIO, ...: the device is gone
        }
    }

    const int fd_;
    const int abort_fd_;
    const bool can_read_;
    const bool can_write_;
    std::atomic<bool> aborted_{false};
};

class HidrawBackend final : public HidBackend {
  public:
    ~HidrawBackend() override {
        std::unique_ptr<HidrawMonitor> monitor;
        {
            std::lock_guard lock(watch_mutex_);
            monitor = std::move(monitor_);
        }
    }

    [[nodiscard]] std::string_view Scheme() const override { return kHidrawScheme; }

    void Watch(bool on) override {
        std::unique_ptr<HidrawMonitor> ended;
        {
            std::lock_guard lock(watch_mutex_);
            if (on) {
                if (watchers_++ == 0) {
                    monitor_ = std::make_unique<HidrawMonitor>([this] {
                        // An event may stand for a node replaced under the same syspath
                        // (a driver bound again): descriptors are read afresh.
                        descriptors_.Clear();
                        BackendRegistry::Instance().NotifyNodesChanged();
                    });
                }
            } else if (watchers_ > 0 && --watchers_ == 0) {
                ended = std::move(monitor_);
            }
        }
        // Joined outside the lock: its thread may be telling a change right now.
    }

    [[nodiscard]] bool ReportsChanges() const override {
        std::lock_guard lock(watch_mutex_);
        return monitor_ && monitor_->Running() && monitor_->Delivers();
    }

    // The hidraw device's sysfs folder and its node: two look-ups, no udev context, no
    // descriptor, no open.
    [[nodiscard]] bool StillPresent(const HidNodeInfo& node) override {
        if (node.instance.empty()) return HidBackend::StillPresent(node);
        struct stat st {};
        if (::stat(node.instance.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return false;
        return ::stat(node.node.c_str(), &st) == 0 && S_ISCHR(st.st_mode);
    }

    bool Enumerate(std::vector<HidNodeInfo>& out) override {
        out.clear();
        UdevPtr u(udev_new());
        if (!u) return false;
        EnumeratePtr e(udev_enumerate_new(u.get()));
        if (!e || udev_enumerate_add_match_subsystem(e.get(), "hidraw") < 0 ||
            udev_enumerate_scan_devices(e.get()) < 0)
            return false;
        std::set<std::string> present;
        udev_list_entry* entry = nullptr;
        udev_list_entry_foreach(entry, udev_enumerate_get_list_entry(e.get())) {
            const char* syspath = udev_list_entry_get_name(entry);
            present.insert(syspath);
            DevicePtr dev(udev_device_new_from_syspath(u.get(), syspath));
            if (!dev) continue;  // gone since the scan
            HidNodeInfo info;
            if (Describe(dev.get(), info, descriptors_)) out.push_back(std::move(info));
        }
        descriptors_.KeepOnly(present);
        return true;
    }

    std::unique_ptr<HidConnection> Open(std::string_view node, const OpenFlags& flags,
                                        HidNodeInfo& info, OpenError& error) override {
        error = OpenError::kNone;
        const std::string path(node);
        // Only hidraw character devices are opened, whatever text the path holds.
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            error = ErrorFromErrno(errno);
            return nullptr;
        }
        if (!S_ISCHR(st.st_mode)) {
            error = OpenError::kNotFound;
            return nullptr;
        }
        UdevPtr u(udev_new());
        if (!u) {
            error = OpenError::kFailed;
            return nullptr;
        }
        DevicePtr dev = FindHidraw(u.get(), path, st.st_rdev);
        if (!dev || !Describe(dev.get(), info, descriptors_)) {
            error = OpenError::kNotFound;
            return nullptr;
        }

        int mode = O_PATH;  // neither access: enough to learn the description
        if (flags.read && flags.write)
            mode = O_RDWR;
        else if (flags.read)
            mode = O_RDONLY;
        else if (flags.write)
            mode = O_WRONLY;
        const int fd = ::open(path.c_str(), mode | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
        if (fd < 0) {
            error = ErrorFromErrno(errno);
            return nullptr;
        }
        // The node may have been replaced between the look-up and the open.
        struct stat opened {};
        if (::fstat(fd, &opened) == 0 && S_ISCHR(opened.st_mode) && opened.st_rdev != st.st_rdev) {
            ::close(fd);
            error = OpenError::kNotFound;
            return nullptr;
        }
        if (mode != O_PATH && ::flock(fd, (flags.exclusive ? LOCK_EX : LOCK_SH) | LOCK_NB) != 0) {
            const int err = errno;
            if (err == EWOULDBLOCK || flags.exclusive) {
                ::close(fd);
                error = err == EWOULDBLOCK ? OpenError::kBusy : OpenError::kFailed;
                return nullptr;
            }
            // A shared open does not depend on the lock.
        }
        const int abort_fd = ::eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK);
        if (abort_fd < 0) {
            ::close(fd);
            error = OpenError::kFailed;
            return nullptr;
        }
        return std::make_unique<HidrawConnection>(fd, abort_fd, flags.read, flags.write);
    }

  private:
    DescriptorCache descriptors_;
    mutable std::mutex watch_mutex_;
    int watchers_ = 0;
    std::unique_ptr<HidrawMonitor> monitor_;
};

}  // namespace

std::shared_ptr<HidBackend> MakeHidrawBackend() {
    return std::make_shared<HidrawBackend>();
}

}  // namespace dz::hid
