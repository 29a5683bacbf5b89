#pragma once
// One emulated physical device: its firmware model, the paths that reach it (its
// cable, its receiver over the RF link) and the faults armed against it. This is the
// node-level entry: hand it an output report written to one of its nodes and it
// answers the input reports to deliver on that node. It needs no transport, so the
// same device can stand behind the simulated backend or behind umockdev nodes.
// Thread-safe.

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "platform/hid/hid_backend.h"
#include "sim/firmware_model.h"
#include "sim/model_tables.h"
#include "sim/sim_types.h"

namespace dz::sim {

class SimDevice {
  public:
    explicit SimDevice(const ModelTable& table);

    [[nodiscard]] DeviceKind Kind() const { return model_.Table().kind; }
    [[nodiscard]] FirmwareModel& Model() { return model_; }
    [[nodiscard]] const FirmwareModel& Model() const { return model_; }
    [[nodiscard]] bool HasReceiver() const { return model_.Table().receiver_product_id != 0; }

    // USB device name of a path ("mouse", "mouse-receiver"); node ids are that name,
    // "/" and the interface number.
    [[nodiscard]] std::string UsbName(Link link) const;
    [[nodiscard]] std::string NodeId(Link link, int interface_number) const;
    // The nodes a path presents when plugged: one per USB interface.
    [[nodiscard]] std::vector<hid::HidNodeInfo> Nodes(Link link) const;
    // The interface that carries command packets and notifications.
    [[nodiscard]] int CommandInterface() const;

    // The node-level entry. Not accepted: a command report that is not 64 bytes.
    [[nodiscard]] NodeReply HandleOutput(Link link, int interface_number,
                                         std::span<const uint8_t> report);

    // Plug state: kept here so that notifications take the path that carries the
    // device, and the battery charges while the cable is in. False: no such path.
    bool SetPlugged(Link link, bool plugged);
    [[nodiscard]] bool Plugged(Link link) const;
    // RF link between the receiver and the device (starts linked).
    void SetLinked(bool linked);
    [[nodiscard]] bool Linked() const;

    // A press on the device. The model changes at once; the answer is the
    // notification to deliver, or nothing when no path carries the device now.
    // `ok` (when given) tells whether the press was possible at all.
    std::optional<InputReport> PressProfile(int profile, bool* ok = nullptr);
    std::optional<InputReport> PressDpiStage(int stage, bool* ok = nullptr);
    std::optional<InputReport> PressRaw(uint16_t usage, bool* ok = nullptr);

    // Faults: `at_packet` 1 is the next command packet the device receives (over any
    // of its paths, link queries included), counted from this call. `delay` is how long
    // a late answer is held back; false when at_packet < 1, or for a late answer
    // without a delay.
    bool ArmFault(FaultKind kind, int at_packet,
                  std::chrono::milliseconds delay = std::chrono::milliseconds(0));
    void ClearFaults();
    [[nodiscard]] size_t ArmedFaults() const;
    [[nodiscard]] uint64_t CommandPackets() const;

  private:
    struct ArmedFault {
        FaultKind kind;
        uint64_t at;
        std::chrono::milliseconds delay;
    };
    NodeReply HandleCommandLocked(Link link, std::span<const uint8_t> report);
    Packet AnswerLocked(Link link, const Packet& req, std::span<const uint8_t> report,
                        std::string& note);
    std::optional<InputReport> NotificationLocked(uint16_t usage) const;
    // Every fault armed at the packet just counted, taken off the list.
    std::vector<ArmedFault> TakeFaultsLocked();

    FirmwareModel model_;
    mutable std::mutex mutex_;
    bool cable_ = false;
    bool receiver_ = false;
    bool linked_ = true;
    uint64_t packets_ = 0;
    std::vector<ArmedFault> faults_;
};

}  // namespace dz::sim
