#pragma once
// One hidraw node emulated in a umockdev testbed, for running the real hidraw backend
// end to end: sysfs parents with the USB ids, bcdDevice, interface number and the
// report descriptor, and a /dev node that keeps report boundaries.
//
// umockdev's default node for a character device is a PTY, a byte stream in which two
// queued reports would run together. Here the node is a FIFO in the testbed's /dev
// that carries one token byte per queued input report, so poll() on the client's fd
// behaves as on hidraw, while read() and write() on it are served by an ioctl handler
// attached to the node: each read returns exactly one report and each write hands
// over exactly one report, as the hidraw driver does. A responder thread plays the
// device: it answers each written report with the responder function's reply.

#include <fcntl.h>
#include <sys/stat.h>
#include <umockdev.h>
#include <unistd.h>

#include <cerrno>
#include <condition_variable>
#include <cstring>
#include <deque>
#include <functional>
#include <mutex>
#include <optional>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

namespace dz::test {

using Bytes = std::vector<uint8_t>;

class EmulatedHidraw {
  public:
    struct Spec {
        int index = 0;  // hidraw<index>, usb bus port 1-<index+1>
        uint16_t vendor_id = 0;
        uint16_t product_id = 0;
        uint16_t bcd_device = 0;
        int interface_number = 0;
        std::span<const uint8_t> descriptor;
    };
    // Reply to one written report, or nothing.
    using Responder = std::function<std::optional<Bytes>(const Bytes& written)>;

    EmulatedHidraw(UMockdevTestbed* testbed, const Spec& spec, Responder responder)
        : testbed_(testbed), responder_(std::move(responder)) {
        char text[64];
        const std::string port = "1-" + std::to_string(spec.index + 1);
        auto hex4 = [&](uint16_t v) {
            std::snprintf(text, sizeof text, "%04x", v);
            return std::string(text);
        };
        const std::string vid = hex4(spec.vendor_id);
        const std::string pid = hex4(spec.product_id);
        const std::string bcd = hex4(spec.bcd_device);
        std::snprintf(text, sizeof text, "%02x", spec.interface_number);
        const std::string mi = text;
        usb_ = Own(umockdev_testbed_add_device(
            testbed, "usb", port.c_str(), nullptr, "idVendor", vid.c_str(), "idProduct",
            pid.c_str(), "bcdDevice", bcd.c_str(), nullptr, "DEVTYPE", "usb_device", nullptr));
        const std::string intf_name = port + ":1." + std::to_string(spec.interface_number);
        const std::string intf = Own(umockdev_testbed_add_device(
            testbed, "usb", intf_name.c_str(), usb_.c_str(), "bInterfaceNumber", mi.c_str(),
            nullptr, "DEVTYPE", "usb_interface", nullptr));
        std::snprintf(text, sizeof text, "0003:%04X:%04X.%04X", spec.vendor_id, spec.product_id,
                      spec.index + 1);
        const std::string hid_name = text;
        std::snprintf(text, sizeof text, "0003:%08X:%08X", spec.vendor_id, spec.product_id);
        const std::string hid = Own(umockdev_testbed_add_device(
            testbed, "hid", hid_name.c_str(), intf.c_str(), nullptr, "HID_ID", text, nullptr));
        Bytes descriptor(spec.descriptor.begin(), spec.descriptor.end());
        umockdev_testbed_set_attribute_binary(testbed, hid.c_str(), "report_descriptor",
                                              descriptor.data(),
                                              static_cast<gint>(descriptor.size()));
        const std::string name = "hidraw" + std::to_string(spec.index);
        devnode_ = "/dev/" + name;
        const std::string minor = std::to_string(spec.index);
        const std::string majmin = "241:" + minor;
        raw_ = Own(umockdev_testbed_add_device(testbed, "hidraw", name.c_str(), hid.c_str(), "dev",
                                               majmin.c_str(), nullptr, "DEVNAME", devnode_.c_str(),
                                               "MAJOR", "241", "MINOR", minor.c_str(), nullptr));

        gchar* root = umockdev_testbed_get_root_dir(testbed);
        const std::string fifo = std::string(root) + devnode_;
        g_free(root);
        if (::mkfifo(fifo.c_str(), 0666) != 0) throw std::runtime_error("mkfifo failed");
        token_fd_ = ::open(fifo.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (token_fd_ < 0) throw std::runtime_error("cannot open the node's FIFO");

        handler_ = umockdev_ioctl_base_new();
        g_signal_connect(handler_, "handle-read", G_CALLBACK(&EmulatedHidraw::OnRead), this);
        g_signal_connect(handler_, "handle-write", G_CALLBACK(&EmulatedHidraw::OnWrite), this);
        GError* error = nullptr;
        if (!umockdev_testbed_attach_ioctl(testbed, devnode_.c_str(), handler_, &error)) {
            const std::string what = error != nullptr ? error->message : "attach failed";
            g_clear_error(&error);
            throw std::runtime_error(what);
        }
        device_ = std::thread([this] { DeviceLoop(); });
    }

    ~EmulatedHidraw() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            cv_.notify_all();
        }
        device_.join();
        umockdev_testbed_detach_ioctl(testbed_, devnode_.c_str(), nullptr);
        g_object_unref(handler_);
        ::close(token_fd_);
    }

    EmulatedHidraw(const EmulatedHidraw&) = delete;
    EmulatedHidraw& operator=(const EmulatedHidraw&) = delete;

    const std::string& Devnode() const { return devnode_; }

    // Queues an input report as if the device had sent it.
    void SendInput(Bytes report) {
        std::lock_guard lock(mutex_);
        QueueInputLocked(std::move(report));
    }

    // Pulls the plug: the node and its sysfs devices go, open descriptors fail.
    void Unplug() {
        {
            std::lock_guard lock(mutex_);
            unplugged_ = true;
            // Wakes every poll() on the node for good, as hidraw does on disconnect.
            const char token = 'x';
            [[maybe_unused]] const ssize_t n = ::write(token_fd_, &token, 1);
        }
        umockdev_testbed_remove_device(testbed_, raw_.c_str());
        umockdev_testbed_remove_device(testbed_, usb_.c_str());
    }

    std::vector<Bytes> Written() {
        std::lock_guard lock(mutex_);
        return written_;
    }

  private:
    static std::string Own(gchar* text) {
        std::string s = text != nullptr ? text : "";
        g_free(text);
        return s;
    }

    void QueueInputLocked(Bytes report) {
        outbox_.push_back(std::move(report));
        const char token = 'r';
        [[maybe_unused]] const ssize_t n = ::write(token_fd_, &token, 1);
    }

    static gboolean OnRead(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
        auto* self = static_cast<EmulatedHidraw*>(data);
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        std::lock_guard lock(self->mutex_);
        if (self->unplugged_) {
            umockdev_ioctl_client_complete(client, -1, EIO);
            return TRUE;
        }
        if (self->outbox_.empty()) {
            umockdev_ioctl_client_complete(client, -1, EAGAIN);
            return TRUE;
        }
        Bytes report = std::move(self->outbox_.front());
        self->outbox_.pop_front();
        char token = 0;
        [[maybe_unused]] const ssize_t n = ::read(self->token_fd_, &token, 1);
        // Like hidraw, a short buffer gets the start of the report and the rest is lost.
        const size_t len = std::min(report.size(), static_cast<size_t>(arg->data_len));
        umockdev_ioctl_data_update(arg, 0, report.data(), static_cast<gint>(len));
        umockdev_ioctl_client_complete(client, static_cast<glong>(len), 0);
        return TRUE;
    }

    static gboolean OnWrite(UMockdevIoctlBase*, UMockdevIoctlClient* client, gpointer data) {
        auto* self = static_cast<EmulatedHidraw*>(data);
        UMockdevIoctlData* arg = umockdev_ioctl_client_get_arg(client);
        std::lock_guard lock(self->mutex_);
        if (self->unplugged_) {
            umockdev_ioctl_client_complete(client, -1, ENODEV);
            return TRUE;
        }
        Bytes report(arg->data, arg->data + arg->data_len);
        self->written_.push_back(report);
        self->inbox_.push_back(std::move(report));
        self->cv_.notify_all();
        umockdev_ioctl_client_complete(client, arg->data_len, 0);
        return TRUE;
    }

    void DeviceLoop() {
        std::unique_lock lock(mutex_);
        for (;;) {
            cv_.wait(lock, [&] { return stopping_ || !inbox_.empty(); });
            if (stopping_) return;
            const Bytes packet = std::move(inbox_.front());
            inbox_.pop_front();
            lock.unlock();
            std::optional<Bytes> reply = responder_ ? responder_(packet) : std::nullopt;
            lock.lock();
            if (reply && !unplugged_) QueueInputLocked(std::move(*reply));
        }
    }

    UMockdevTestbed* testbed_;
    Responder responder_;
    std::string usb_;
    std::string raw_;
    std::string devnode_;
    int token_fd_ = -1;
    UMockdevIoctlBase* handler_ = nullptr;

    std::mutex mutex_;
    std::condition_variable cv_;
    std::deque<Bytes> inbox_;   // written by the host, waiting for the device
    std::deque<Bytes> outbox_;  // input reports waiting for the host
    std::vector<Bytes> written_;
    bool unplugged_ = false;
    bool stopping_ = false;
    std::thread device_;
};

// The stand-in device: answers a 64-byte command packet (report id 4) with the
// command code in byte 3, status 0 in byte 7, the packet's length and offset bytes,
// and its data bytes inverted (so an answer is never mistaken for the packet).
inline std::optional<Bytes> EchoCommand(const Bytes& packet) {
    if (packet.size() != 64 || packet[0] != 0x04) return std::nullopt;
    Bytes reply(64, 0);
    reply[0] = 0x04;
    reply[3] = packet[3];
    reply[4] = packet[4];
    reply[5] = packet[5];
    reply[6] = packet[6];
    reply[7] = 0x00;
    for (size_t i = 8; i < 64; ++i) reply[i] = static_cast<uint8_t>(~packet[i]);
    return reply;
}

}  // namespace dz::test
