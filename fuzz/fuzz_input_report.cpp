// Feeds arbitrary input reports through HidInterface (read, collection filter, unpack)
// for an arbitrary descriptor. Input: a 2-byte little-endian descriptor length, the
// descriptor, then reports, each preceded by its length byte.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <deque>
#include <memory>
#include <string>
#include <vector>

#include "device/hid_interface.h"
#include "platform/hid/hid_backend.h"
#include "platform/hid/report_descriptor.h"

namespace {

using namespace dz;

std::deque<std::vector<uint8_t>> g_reports;
hid::HidNodeInfo g_node;

class FuzzConnection : public hid::HidConnection {
  public:
    hid::IoResult Read(uint8_t* buf, size_t len, size_t* got, int) override {
        if (g_reports.empty()) return hid::IoResult::kTimeout;
        const std::vector<uint8_t> r = std::move(g_reports.front());
        g_reports.pop_front();
        const size_t n = std::min(len, r.size());
        std::copy_n(r.begin(), n, buf);
        if (got) *got = n;
        return hid::IoResult::kOk;
    }
    hid::IoResult Write(const uint8_t*, size_t len, size_t* put, int) override {
        if (put) *put = len;
        return hid::IoResult::kOk;
    }
    void Abort() override {}
};

class FuzzBackend : public hid::HidBackend {
  public:
    [[nodiscard]] std::string_view Scheme() const override { return "fuzz"; }
    bool Enumerate(std::vector<hid::HidNodeInfo>& out) override {
        out = {g_node};
        return true;
    }
    std::unique_ptr<hid::HidConnection> Open(std::string_view, const hid::OpenFlags&,
                                             hid::HidNodeInfo& info, hid::OpenError&) override {
        info = g_node;
        return std::make_unique<FuzzConnection>();
    }
};

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    setenv("DOZADIR_NO_HIDRAW", "1", 1);
    hid::BackendRegistry::Instance().Add(std::make_shared<FuzzBackend>());
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 2) return 0;
    const size_t desc_len = std::min<size_t>(data[0] | (data[1] << 8), size - 2);
    g_node = {};
    g_node.node = "n";
    g_node.vendor_id = 0x320F;
    g_node.product_id = 0x505B;
    g_node.interface_number = 1;
    g_node.report_descriptor.assign(data + 2, data + 2 + desc_len);

    std::vector<std::vector<uint8_t>> reports;
    for (size_t pos = 2 + desc_len; pos < size;) {
        const size_t n = std::min<size_t>(data[pos], size - pos - 1);
        reports.emplace_back(data + pos + 1, data + pos + 1 + n);
        pos += 1 + n;
    }

    hid::ReportDescriptor d;
    std::string error;
    if (!hid::ParseReportDescriptor(g_node.report_descriptor, d, error)) return 0;
    const size_t count = std::min<size_t>(d.collections.size(), 8);

    HidInterface hid;
    (void)hid.Enumerate();
    while (hid.NextPath() != nullptr) {
    }
    for (size_t c = 0; c < count; ++c) {
        const std::string path = MakeInterfacePath("fuzz", "n", 0x320F, 0x505B, 1,
                                                   d.collections.size() == 1 ? 0 : int(c + 1));
        if (hid.Open(path, true, true, true, false) != 1) __builtin_trap();
        g_reports.assign(reports.begin(), reports.end());
        std::vector<uint8_t> buf(std::max<size_t>(hid.InputReportLength(), 1));
        size_t got = 0;
        while (hid.Read(buf.data(), buf.size(), &got, 0) == 1) {
            if (got > buf.size()) __builtin_trap();
            hid.UnpackInputReport(buf.data(), got);
            (void)hid.FirstInputUsage();
        }
        // Callers may also hand over reports that never went through Read.
        for (const auto& r : reports) hid.UnpackInputReport(r.data(), r.size());
        for (const auto& item : hid.InputUsageData())
            if (item.usages.size() > item.usage_capacity + 1) __builtin_trap();
        const std::vector<uint8_t> out(std::max<size_t>(hid.OutputReportLength(), 1), 0);
        size_t put = 0;
        (void)hid.Write(out.data(), out.size(), &put, 0);
        hid.Close();
    }
    g_reports.clear();
    return 0;
}
