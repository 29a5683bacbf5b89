#pragma once
// Emulated USB HID devices in a umockdev testbed, for running the real hidraw backend
// end to end: sysfs parents with the USB ids, bcdDevice, interface number and the
// report descriptor, and /dev nodes that keep report boundaries, answered by the
// emulator's device model.
//
// umockdev's default node for a character device is a PTY, a byte stream in which two
// queued reports would run together. Here the node is a FIFO in the testbed's /dev
// that carries one token byte per queued input report, so poll() on the client's fd
// behaves as on hidraw, while read() and write() on it are served by an ioctl handler
// attached to the node: each read returns exactly one report and each write hands
// over exactly one report, as the hidraw driver does. A device thread hands every
// written report to the emulated device and queues what it answers on this node.

#include <fcntl.h>
#include <sys/stat.h>
#include <umockdev.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstring>
#include <deque>
#include <mutex>
#include <span>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "platform/hid/hid_backend.h"
#include "sim/sim_device.h"

namespace dz::test {

using Bytes = std::vector<uint8_t>;

inline std::string TakeString(gchar* text) {
    std::string s = text != nullptr ? text : "";
    g_free(text);
    return s;
}

inline std::string Hex(unsigned value, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "%0*x", digits, value);
    return text;
}

// The usb_device parent of a device's interfaces.
class EmulatedUsbDevice {
  public:
    EmulatedUsbDevice(UMockdevTestbed* testbed, int port, uint16_t vendor_id, uint16_t product_id,
                      uint16_t bcd_device)
        : testbed_(testbed), name_("1-" + std::to_string(port)) {
        syspath_ = TakeString(umockdev_testbed_add_device(
            testbed, "usb", name_.c_str(), nullptr, "idVendor", Hex(vendor_id, 4).c_str(),
            "idProduct", Hex(product_id, 4).c_str(), "bcdDevice", Hex(bcd_device, 4).c_str(),
            nullptr, "DEVTYPE", "usb_device", nullptr));
    }
    void Remove() { umockdev_testbed_remove_device(testbed_, syspath_.c_str()); }
    const std::string& Syspath() const { return syspath_; }
    const std::string& Name() const { return name_; }

  private:
    UMockdevTestbed* testbed_;
    std::string name_;
    std::string syspath_;
};

// One interface of a USB device with its hid and hidraw devices and /dev/hidraw<index>.
class EmulatedHidraw {
  public:
    EmulatedHidraw(UMockdevTestbed* testbed, const EmulatedUsbDevice& usb, int index,
                   const hid::HidNodeInfo& node, sim::SimDevice& device, sim::Link link)
        : testbed_(testbed), device_(device), link_(link), interface_(node.interface_number) {
        const std::string intf_name = usb.Name() + ":1." + std::to_string(node.interface_number);
        const std::string intf = TakeString(umockdev_testbed_add_device(
            testbed, "usb", intf_name.c_str(), usb.Syspath().c_str(), "bInterfaceNumber",
            Hex(static_cast<unsigned>(node.interface_number), 2).c_str(), nullptr, "DEVTYPE",
            "usb_interface", nullptr));
        char text[64];
        std::snprintf(text, sizeof text, "0003:%04X:%04X.%04X", node.vendor_id, node.product_id,
                      index + 1);
        const std::string hid_name = text;
        std::snprintf(text, sizeof text, "0003:%08X:%08X", node.vendor_id, node.product_id);
        const std::string hid = TakeString(umockdev_testbed_add_device(
            testbed, "hid", hid_name.c_str(), intf.c_str(), nullptr, "HID_ID", text, nullptr));
        Bytes descriptor = node.report_descriptor;
        umockdev_testbed_set_attribute_binary(testbed, hid.c_str(), "report_descriptor",
                                              descriptor.data(),
                                              static_cast<gint>(descriptor.size()));
        const std::string name = "hidraw" + std::to_string(index);
        devnode_ = "/dev/" + name;
        const std::string minor = std::to_string(index);
        const std::string majmin = "241:" + minor;
        raw_ = TakeString(umockdev_testbed_add_device(
            testbed, "hidraw", name.c_str(), hid.c_str(), "dev", majmin.c_str(), nullptr, "DEVNAME",
            devnode_.c_str(), "MAJOR", "241", "MINOR", minor.c_str(), nullptr));

        const std::string fifo = TakeString(umockdev_testbed_get_root_dir(testbed)) + devnode_;
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
        thread_ = std::thread([this] { DeviceLoop(); });
    }

    ~EmulatedHidraw() {
        {
            std::lock_guard lock(mutex_);
            stopping_ = true;
            cv_.notify_all();
        }
        thread_.join();
        umockdev_testbed_detach_ioctl(testbed_, devnode_.c_str(), nullptr);
        g_object_unref(handler_);
        ::close(token_fd_);
    }

    EmulatedHidraw(const EmulatedHidraw&) = delete;
    EmulatedHidraw& operator=(const EmulatedHidraw&) = delete;

    const std::string& Devnode() const { return devnode_; }
    // The node's file in the testbed, to change its mode.
    std::string NodeFile() const {
        return TakeString(umockdev_testbed_get_root_dir(testbed_)) + devnode_;
    }
    // A udev event on the hidraw device, as udev sends after a rule ran on it.
    void SendEvent(const char* action) { umockdev_testbed_uevent(testbed_, raw_.c_str(), action); }

    // Queues an input report the device sends, when it is meant for this node.
    void Deliver(const sim::InputReport& input) {
        if (input.link != link_ || input.interface_number != interface_) return;
        std::lock_guard lock(mutex_);
        QueueInputLocked(input.bytes);
    }

    // The node goes (its device is unplugged): descriptors open on it fail from now on.
    void Unplug() {
        {
            std::lock_guard lock(mutex_);
            unplugged_ = true;
            // Wakes every poll() on the node for good, as hidraw does on disconnect.
            const char token = 'x';
            [[maybe_unused]] const ssize_t n = ::write(token_fd_, &token, 1);
        }
        umockdev_testbed_remove_device(testbed_, raw_.c_str());
    }

    // Every report written to the node, in order.
    std::vector<Bytes> Written() {
        std::lock_guard lock(mutex_);
        return written_;
    }

  private:
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
            const Bytes report = std::move(inbox_.front());
            inbox_.pop_front();
            lock.unlock();
            const sim::NodeReply reply = device_.HandleOutput(link_, interface_, report);
            lock.lock();
            if (unplugged_) continue;
            for (const sim::InputReport& input : reply.inputs) {
                if (input.link != link_ || input.interface_number != interface_) continue;
                // A late answer: the device answers in order, so what follows waits too.
                if (input.delay.count() > 0) {
                    const auto due = std::chrono::steady_clock::now() + input.delay;
                    cv_.wait_until(lock, due, [&] { return stopping_; });
                    if (stopping_) return;
                    if (unplugged_) break;
                }
                QueueInputLocked(input.bytes);
            }
        }
    }

    UMockdevTestbed* testbed_;
    sim::SimDevice& device_;
    const sim::Link link_;
    const int interface_;
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
    std::thread thread_;
};

}  // namespace dz::test
