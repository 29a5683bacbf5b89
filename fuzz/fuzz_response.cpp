// Feeds arbitrary device answers to the command channel: every command operation
// must return one of its result codes without reading or writing out of bounds.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <mutex>
#include <vector>

#include "device/command_channel.h"
#include "platform/hid/hid_backend.h"
#include "sim/report_descriptors.h"

namespace {

// Answers each written packet with the next 64 bytes of the fuzzer's input.
class ScriptedConnection : public dz::hid::HidConnection {
public:
    ScriptedConnection(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    dz::hid::IoResult Read(uint8_t* buf, size_t len, size_t* got, int) override {
        if (pos_ >= size_) return dz::hid::IoResult::kTimeout;
        const size_t n = std::min({len, size_t{64}, size_ - pos_});
        std::memcpy(buf, data_ + pos_, n);
        if (n > 0) buf[0] = dz::kCommandReportId;  // keep the report on the command collection
        pos_ += n;
        if (got) *got = n;
        return dz::hid::IoResult::kOk;
    }
    dz::hid::IoResult Write(const uint8_t*, size_t len, size_t* put, int) override {
        if (put) *put = len;
        return dz::hid::IoResult::kOk;
    }
    void Abort() override {}

private:
    const uint8_t* data_;
    size_t size_;
    size_t pos_ = 0;
};

class ScriptedBackend : public dz::hid::HidBackend {
public:
    std::string_view Scheme() const override { return "fuzz"; }
    bool Enumerate(std::vector<dz::hid::HidNodeInfo>&) override { return true; }
    std::unique_ptr<dz::hid::HidConnection> Open(std::string_view, const dz::hid::OpenFlags&,
                                                 dz::hid::HidNodeInfo& info,
                                                 dz::hid::OpenError& error) override {
        const auto d = dz::sim::VendorInterfaceDescriptor();
        info = {"node", 0x320F, 0x505B, 0x0100, 1, {d.begin(), d.end()}};
        error = dz::hid::OpenError::kNone;
        return std::make_unique<ScriptedConnection>(data, size);
    }
    const uint8_t* data = nullptr;
    size_t size = 0;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto backend = [] {
        auto b = std::make_shared<ScriptedBackend>();
        dz::hid::BackendRegistry::Instance().Add(b);
        return b;
    }();
    if (size < 1) return 0;
    backend->data = data + 1;
    backend->size = size - 1;

    dz::CommandChannel channel;
    const char* path = "fuzz:node#vid_320f&pid_505b&mi_01&col04";
    if (channel.CableInterface().Open(path, true, true, true, false) != 1) return 0;
    if (channel.ReceiverInterface().Open(path, true, true, true, false) != 1) return 0;
    channel.SetMode((data[0] & 1) ? dz::kModeReceiver : dz::kModeCable);
    channel.SetOpen(true);

    std::array<uint8_t, dz::kDeviceInfoSize> info{};
    std::vector<uint8_t> buffer(512);
    switch ((data[0] >> 1) % 6) {
        case 0: (void)channel.ReadInfo(info); break;
        case 1: (void)channel.ReadKeymap(buffer); break;
        case 2: (void)channel.WriteMacros(buffer); break;
        case 3: (void)channel.ReadPower(0, std::span<uint8_t>(buffer).first(8)); break;
        case 4: (void)channel.LinkQuery(); break;
        default: (void)channel.LightFrame(std::span<const uint8_t>(buffer).first(510)); break;
    }
    return 0;
}
