#pragma once
// Test helpers: build a command packet by hand and talk to an emulated node through
// a connection of the simulated backend.

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/hid/hid_backend.h"
#include "sim/emulator.h"

namespace dz::sim::test {

using Bytes = std::vector<uint8_t>;

// A 64-byte command packet with its checksum (sum of bytes 3..63).
inline Bytes Cmd(uint8_t code, uint8_t len = 0, uint16_t offset = 0, const Bytes& data = {}) {
    Bytes p(64, 0);
    p[0] = 4;
    p[3] = code;
    p[4] = len;
    p[5] = static_cast<uint8_t>(offset & 0xFF);
    p[6] = static_cast<uint8_t>(offset >> 8);
    for (size_t i = 0; i < data.size() && 8 + i < 64; ++i) p[8 + i] = data[i];
    unsigned sum = 0;
    for (size_t i = 3; i < 64; ++i) sum += p[i];
    p[1] = static_cast<uint8_t>(sum & 0xFF);
    p[2] = static_cast<uint8_t>((sum >> 8) & 0xFF);
    return p;
}

inline bool ChecksumOk(const Bytes& r) {
    unsigned sum = 0;
    for (size_t i = 3; i < r.size(); ++i) sum += r[i];
    return r.size() == 64 && r[1] == (sum & 0xFF) && r[2] == ((sum >> 8) & 0xFF);
}

// One open connection to a node.
class Host {
  public:
    Host(hid::HidBackend& backend, const std::string& node) {
        hid::HidNodeInfo info;
        hid::OpenError error = hid::OpenError::kNone;
        conn_ = backend.Open(node, hid::OpenFlags{}, info, error);
        info_ = info;
        error_ = error;
    }
    [[nodiscard]] bool Open() const { return conn_ != nullptr; }
    [[nodiscard]] hid::OpenError Error() const { return error_; }
    [[nodiscard]] const hid::HidNodeInfo& Info() const { return info_; }
    hid::HidConnection& Conn() { return *conn_; }

    hid::IoResult Write(const Bytes& report, int timeout_ms = 1000) {
        size_t put = 0;
        return conn_->Write(report.data(), report.size(), &put, timeout_ms);
    }
    // Next input report, any id.
    std::optional<Bytes> Read(int timeout_ms = 1000, hid::IoResult* result = nullptr) {
        Bytes buf(64, 0);
        size_t got = 0;
        const hid::IoResult r = conn_->Read(buf.data(), buf.size(), &got, timeout_ms);
        if (result) *result = r;
        if (r != hid::IoResult::kOk) return std::nullopt;
        buf.resize(got);
        return buf;
    }
    // Writes a packet and reads until a command response (id 4) arrives.
    std::optional<Bytes> Exchange(const Bytes& packet, int timeout_ms = 1000) {
        if (Write(packet, timeout_ms) != hid::IoResult::kOk) return std::nullopt;
        for (;;) {
            auto r = Read(timeout_ms);
            if (!r) return std::nullopt;
            if (!r->empty() && (*r)[0] == 4) return r;
        }
    }
    // A chunked read of `total` bytes from `base`, `chunk` bytes per packet; nullopt
    // when any packet fails or answers an error status.
    std::optional<Bytes> ReadChunked(uint8_t code, uint16_t base, size_t total, size_t chunk = 56) {
        Bytes out;
        for (size_t pos = 0; pos < total; pos += chunk) {
            const size_t n = std::min(chunk, total - pos);
            auto r =
                Exchange(Cmd(code, static_cast<uint8_t>(n), static_cast<uint16_t>(base + pos)));
            if (!r || (*r)[3] != code || (*r)[7] != 0) return std::nullopt;
            out.insert(out.end(), r->begin() + 8, r->begin() + 8 + static_cast<ptrdiff_t>(n));
        }
        return out;
    }
    // A chunked write; the status of the first failing packet, or 0.
    int WriteChunked(uint8_t code, uint16_t base, const Bytes& data, size_t chunk = 56) {
        for (size_t pos = 0; pos < data.size(); pos += chunk) {
            const size_t n = std::min(chunk, data.size() - pos);
            Bytes part(data.begin() + static_cast<ptrdiff_t>(pos),
                       data.begin() + static_cast<ptrdiff_t>(pos + n));
            auto r = Exchange(
                Cmd(code, static_cast<uint8_t>(n), static_cast<uint16_t>(base + pos), part));
            if (!r) return -1;
            if ((*r)[7] != 0) return (*r)[7];
        }
        return 0;
    }

  private:
    std::unique_ptr<hid::HidConnection> conn_;
    hid::HidNodeInfo info_;
    hid::OpenError error_ = hid::OpenError::kNone;
};

// An emulator with the default devices and no latency, so that tests run fast.
class EmulatorTest : public ::testing::Test {
  protected:
    EmulatorTest() { emu.SetLatency(std::chrono::microseconds(0)); }
    Host Connect(DeviceKind kind, Link link = Link::kCable) {
        return Host(*emu.Backend(), emu.CommandNode(kind, link));
    }
    Emulator emu;
};

}  // namespace dz::sim::test
