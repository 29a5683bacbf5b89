#pragma once
// The simulated transport: serves emulated device nodes as HID nodes under the
// scheme "sim". As on hidraw, every open connection of a node gets every input
// report of that node. Each report, in either direction, takes the configured
// latency on its node (a full-speed device polled every millisecond by default), so
// one command round trip takes two latencies. All waits are deadlines on condition
// variables, ended at once by Abort or by the node going away.

#include <chrono>
#include <functional>
#include <memory>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "platform/hid/hid_backend.h"
#include "sim/sim_types.h"
#include "sim/traffic_record.h"

namespace dz::sim {

class SimBackend final : public hid::HidBackend {
  public:
    // Takes one output report written to the node; answers what the device does.
    using OutputHandler = std::function<NodeReply(std::span<const uint8_t>)>;

    // `scheme` names the transport in interface paths; a second emulator takes another.
    explicit SimBackend(std::string scheme = "sim");
    ~SimBackend() override;
    SimBackend(const SimBackend&) = delete;
    SimBackend& operator=(const SimBackend&) = delete;

    [[nodiscard]] std::string_view Scheme() const override { return scheme_; }
    bool Enumerate(std::vector<hid::HidNodeInfo>& out) override;
    std::unique_ptr<hid::HidConnection> Open(std::string_view node, const hid::OpenFlags& flags,
                                             hid::HidNodeInfo& info,
                                             hid::OpenError& error) override;
    // Every change of the nodes is told to the registry as it happens.
    [[nodiscard]] bool ReportsChanges() const override { return true; }
    [[nodiscard]] bool StillPresent(const hid::HidNodeInfo& node) override;
    // How many opens were asked of the transport so far, answered or not (tests count the
    // work of an idle scanner with it).
    [[nodiscard]] size_t OpenCount() const;

    // A node appears (a present node with the same id is unplugged first).
    void AddNode(hid::HidNodeInfo info, OutputHandler handler);
    // Every node "<usb_name>/<n>" goes away: open connections fail at once and
    // waiting calls end. Answers how many nodes went.
    size_t RemoveUsbDevice(std::string_view usb_name);
    void RemoveAll();
    [[nodiscard]] bool HasNode(std::string_view node) const;
    [[nodiscard]] size_t OpenConnections(std::string_view node) const;

    // Sends an input report on a node (a notification); false when the node is not
    // present.
    bool Deliver(std::string_view node, std::vector<uint8_t> report);

    void SetLatency(std::chrono::microseconds latency);
    [[nodiscard]] std::chrono::microseconds Latency() const;
    // One command packet and its answer: two reports.
    [[nodiscard]] std::chrono::microseconds RoundTrip() const;

    [[nodiscard]] TrafficRecord& Traffic();

    struct Core;  // shared with the connections, which may outlive the backend

  private:
    std::shared_ptr<Core> core_;
    std::string scheme_;
};

}  // namespace dz::sim
