#include "sim/sim_device.h"

#include <algorithm>

#include "sim/report_descriptors.h"

namespace dz::sim {
namespace {

constexpr uint16_t kProfileChanged = 0x1000;
constexpr uint16_t kProfileAndDpiChanged = 0x1100;
constexpr uint16_t kButtonPressed = 0x0403;  // sent over the cable only

// The command code a faulty answer names instead of the right one; never 0xAA,
// which a host reads as "device out of reach".
uint8_t OtherCode(uint8_t code) {
    uint8_t other = static_cast<uint8_t>(code + 1);
    if (other == wire::kNotLinked) other = static_cast<uint8_t>(other + 1);
    return other;
}

InputReport Reply(Link link, int interface_number, const wire::Packet& packet) {
    return {link, interface_number, std::vector<uint8_t>(packet.begin(), packet.end())};
}

}  // namespace

SimDevice::SimDevice(const ModelTable& table) : model_(table) {}

std::string SimDevice::UsbName(Link link) const {
    std::string name = model_.Table().name;
    if (link == Link::kReceiver) name += "-receiver";
    return name;
}

std::string SimDevice::NodeId(Link link, int interface_number) const {
    return UsbName(link) + "/" + std::to_string(interface_number);
}

int SimDevice::CommandInterface() const {
    return Kind() == DeviceKind::kHeadset ? kHeadsetInterface : kVendorInterface;
}

std::vector<hid::HidNodeInfo> SimDevice::Nodes(Link link) const {
    const ModelTable& t = model_.Table();
    if (link == Link::kReceiver && !HasReceiver()) return {};
    auto node = [&](int iface, std::span<const uint8_t> descriptor) {
        hid::HidNodeInfo info;
        info.node = NodeId(link, iface);
        info.vendor_id = t.vendor_id;
        info.product_id = link == Link::kCable ? t.cable_product_id : t.receiver_product_id;
        info.version = link == Link::kCable ? t.cable_bcd : t.receiver_bcd;
        info.interface_number = iface;
        info.report_descriptor.assign(descriptor.begin(), descriptor.end());
        return info;
    };
    if (Kind() == DeviceKind::kHeadset)
        return {node(kHeadsetInterface, HeadsetInterfaceDescriptor())};
    const auto boot =
        Kind() == DeviceKind::kMouse ? BootMouseDescriptor() : BootKeyboardDescriptor();
    return {node(kBootInterface, boot), node(kVendorInterface, VendorInterfaceDescriptor())};
}

NodeReply SimDevice::HandleOutput(Link link, int interface_number,
                                  std::span<const uint8_t> report) {
    NodeReply reply;
    if (report.empty()) {
        reply.accepted = false;
        return reply;
    }
    // The boot interfaces take their LED reports and do nothing visible with them.
    if (interface_number != CommandInterface()) return reply;
    if (report[0] == kCommandReportId) {
        if (report.size() != kCommandReportSize) {
            reply.accepted = false;
            return reply;
        }
        std::lock_guard lock(mutex_);
        return HandleCommandLocked(link, report);
    }
    if (report[0] == kHeadsetLedReportId && Kind() == DeviceKind::kHeadset) {
        reply.accepted = report.size() == kLedReportSize;
        if (reply.accepted) (void)model_.HandleLedReport(report);
    }
    // Other output reports of the interface (the keyboard collection's LEDs) are
    // taken and ignored.
    return reply;
}

NodeReply SimDevice::HandleCommandLocked(Link link, std::span<const uint8_t> report) {
    NodeReply reply;
    const int iface = CommandInterface();
    ++packets_;
    const std::optional<FaultKind> fault = TakeFaultLocked();
    if (fault) reply.note = std::string("fault: ") + FaultName(*fault);
    if (fault == FaultKind::kNoAnswer) return reply;
    if (fault == FaultKind::kDisconnect) {
        if (link == Link::kCable) {
            cable_ = false;
            model_.SetCharging(false);
        } else {
            receiver_ = false;
        }
        reply.disconnect = true;
        return reply;
    }
    if (fault == FaultKind::kStatusFF || fault == FaultKind::kStatusFE) {
        wire::Packet out = wire::ResponseTo(
            report, fault == FaultKind::kStatusFF ? wire::kStatusError : wire::kStatusBusy);
        wire::Seal(out);
        reply.inputs.push_back(Reply(link, iface, out));
        return reply;
    }

    wire::Packet out{};
    if (link == Link::kCable) {
        out = model_.HandleCommand(report, Link::kCable);
    } else if (!wire::ChecksumValid(report)) {
        out = wire::ResponseTo(report, wire::kStatusError);
        wire::Seal(out);
    } else if (report[wire::kCommand] == wire::kLinkQuery) {
        // The receiver answers this one itself.
        out = wire::ResponseTo(report, wire::kStatusOk);
        out[wire::kData] = linked_ ? 0xFF : 0x00;
        wire::Seal(out);
    } else if (!linked_) {
        if (reply.note.empty()) reply.note = "receiver: device not linked";
        out = wire::Packet{};
        out[wire::kReportId] = kCommandReportId;
        out[wire::kCommand] = wire::kNotLinked;
        wire::Seal(out);
    } else {
        out = model_.HandleCommand(report, Link::kReceiver);
    }
    if (fault == FaultKind::kWrongCode) {
        out[wire::kCommand] = OtherCode(report[wire::kCommand]);
        wire::Seal(out);
    }
    reply.inputs.push_back(Reply(link, iface, out));
    return reply;
}

std::optional<FaultKind> SimDevice::TakeFaultLocked() {
    const auto hit = std::find_if(faults_.begin(), faults_.end(),
                                  [&](const ArmedFault& f) { return f.at == packets_; });
    if (hit == faults_.end()) return std::nullopt;
    const FaultKind kind = hit->kind;
    faults_.erase(hit);
    return kind;
}

bool SimDevice::SetPlugged(Link link, bool plugged) {
    std::lock_guard lock(mutex_);
    if (link == Link::kReceiver) {
        if (!HasReceiver()) return false;
        receiver_ = plugged;
        return true;
    }
    cable_ = plugged;
    model_.SetCharging(plugged);
    return true;
}

bool SimDevice::Plugged(Link link) const {
    std::lock_guard lock(mutex_);
    return link == Link::kCable ? cable_ : receiver_;
}

void SimDevice::SetLinked(bool linked) {
    std::lock_guard lock(mutex_);
    linked_ = linked;
}

bool SimDevice::Linked() const {
    std::lock_guard lock(mutex_);
    return linked_;
}

std::optional<InputReport> SimDevice::NotificationLocked(uint16_t usage) const {
    if (!model_.Table().has_notifications) return std::nullopt;
    if (usage == kButtonPressed && !cable_) return std::nullopt;
    // A device on its cable talks over the cable; otherwise over the RF link.
    Link link;
    if (cable_) {
        link = Link::kCable;
    } else if (receiver_ && linked_) {
        link = Link::kReceiver;
    } else {
        return std::nullopt;
    }
    return InputReport{
        link,
        CommandInterface(),
        {kNotifyReportId, static_cast<uint8_t>(usage & 0xFF), static_cast<uint8_t>(usage >> 8)}};
}

std::optional<InputReport> SimDevice::PressProfile(int profile, bool* ok) {
    std::lock_guard lock(mutex_);
    const bool done = model_.SetCurrentProfile(profile);
    if (ok) *ok = done;
    if (!done) return std::nullopt;
    return NotificationLocked(static_cast<uint16_t>(kProfileChanged | profile));
}

std::optional<InputReport> SimDevice::PressDpiStage(int stage, bool* ok) {
    std::lock_guard lock(mutex_);
    const bool done = model_.SetDpiStage(stage);
    if (ok) *ok = done;
    if (!done) return std::nullopt;
    const int profile = model_.CurrentProfile();
    return NotificationLocked(
        static_cast<uint16_t>(kProfileAndDpiChanged | (stage << 4) | (profile & 0x0F)));
}

std::optional<InputReport> SimDevice::PressRaw(uint16_t usage, bool* ok) {
    std::lock_guard lock(mutex_);
    if (ok) *ok = model_.Table().has_notifications;
    return NotificationLocked(usage);
}

bool SimDevice::ArmFault(FaultKind kind, int at_packet) {
    if (at_packet < 1) return false;
    std::lock_guard lock(mutex_);
    faults_.push_back({kind, packets_ + static_cast<uint64_t>(at_packet)});
    return true;
}

void SimDevice::ClearFaults() {
    std::lock_guard lock(mutex_);
    faults_.clear();
}

size_t SimDevice::ArmedFaults() const {
    std::lock_guard lock(mutex_);
    return faults_.size();
}

uint64_t SimDevice::CommandPackets() const {
    std::lock_guard lock(mutex_);
    return packets_;
}

}  // namespace dz::sim
