#pragma once
// The device emulator as one object: the four device kinds (each on the desk,
// plugged or not), the simulated transport that serves them under the scheme "sim",
// and the controls a test or a person uses while the host talks to the devices.
// Every control is thread-safe.

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/hid/hid_backend.h"
#include "sim/firmware_model.h"
#include "sim/sim_backend.h"
#include "sim/sim_device.h"
#include "sim/simulate_option.h"
#include "sim/traffic_record.h"

namespace dz::sim {

class Emulator {
  public:
    explicit Emulator(const EmulatorConfig& config = EmulatorConfig::Default(),
                      std::string scheme = "sim");
    // Unplugs everything: connections still open fail, waiting calls end.
    ~Emulator();
    Emulator(const Emulator&) = delete;
    Emulator& operator=(const Emulator&) = delete;

    // The transport, to list beside hidraw (scheme "sim").
    [[nodiscard]] std::shared_ptr<hid::HidBackend> Backend() const { return backend_; }
    [[nodiscard]] SimBackend& Transport() const { return *backend_; }
    [[nodiscard]] TrafficRecord& Traffic() const { return backend_->Traffic(); }

    // Every kind exists, plugged or not; the config only says what is plugged.
    [[nodiscard]] SimDevice& Device(DeviceKind kind) const;
    [[nodiscard]] FirmwareModel& Model(DeviceKind kind) const { return Device(kind).Model(); }

    // "mouse-receiver/1": USB device name, "/", interface number.
    [[nodiscard]] std::string NodeId(DeviceKind kind, Link link, int interface_number) const;
    // The node that carries the kind's command packets and notifications.
    [[nodiscard]] std::string CommandNode(DeviceKind kind, Link link = Link::kCable) const;

    // Plug or unplug a cable or a receiver. False when the kind has no such path.
    bool Plug(DeviceKind kind, Link link);
    bool Unplug(DeviceKind kind, Link link);
    [[nodiscard]] bool Plugged(DeviceKind kind, Link link) const;
    // The RF link between a receiver and its device.
    void SetLinked(DeviceKind kind, bool linked);

    // Presses on the device: the model changes, and the notification goes to every
    // open connection of the node that carries the device (cable before receiver;
    // none when neither carries it). False when the press is impossible for the kind
    // or the value is out of range.
    bool PressProfile(DeviceKind kind, int profile);  // 0x10nn
    bool PressDpiStage(DeviceKind kind, int stage);   // 0x11nn, mouse
    bool PressRaw(DeviceKind kind, uint16_t usage);   // 0x0401, 0x0402, 0x0403, ...

    // A fault at the kind's command packet `at_packet` (1 = the next one); `delay` is
    // how long a late answer is held back (SimDevice::ArmFault).
    bool ArmFault(DeviceKind kind, FaultKind fault, int at_packet,
                  std::chrono::milliseconds delay = std::chrono::milliseconds(0));
    void ClearFaults(DeviceKind kind);

    // Latency of one report; a command round trip takes two.
    void SetLatency(std::chrono::microseconds latency) { backend_->SetLatency(latency); }
    [[nodiscard]] std::chrono::microseconds Latency() const { return backend_->Latency(); }
    [[nodiscard]] std::chrono::microseconds RoundTrip() const { return backend_->RoundTrip(); }

    // One line per device: what is plugged and linked, and its node ids.
    [[nodiscard]] std::string Describe() const;

  private:
    bool Deliver(DeviceKind kind, const std::optional<InputReport>& report);
    void AddNodes(const std::shared_ptr<SimDevice>& device, Link link);

    std::shared_ptr<SimBackend> backend_;
    std::shared_ptr<SimDevice> devices_[4];
};

}  // namespace dz::sim
