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
    if (other == CMD_LINK_QUERY) other = static_cast<uint8_t>(other + 1);
    return other;
}

InputReport Reply(Link link, int interface_number, const Packet& packet) {
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
        if (report.size() != kPacketSize) {
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
    const Packet req = wire::ToPacket(report);
    ++packets_;
    const std::vector<ArmedFault> faults = TakeFaultsLocked();
    auto has = [&](FaultKind kind) {
        return std::any_of(faults.begin(), faults.end(),
                           [kind](const ArmedFault& f) { return f.kind == kind; });
    };
    std::chrono::milliseconds delay{0};
    for (const ArmedFault& f : faults) {
        reply.note += reply.note.empty() ? "fault: " : ", ";
        reply.note += FaultName(f.kind);
        if (f.kind == FaultKind::kLateAnswer) {
            delay = std::max(delay, f.delay);
            reply.note += " (" + std::to_string(f.delay.count()) + " ms)";
        }
    }
    if (has(FaultKind::kLinkLost) && link == Link::kReceiver) linked_ = false;
    if (has(FaultKind::kNoAnswer)) return reply;
    if (has(FaultKind::kDisconnect)) {
        if (link == Link::kCable) {
            cable_ = false;
            model_.SetCharging(false);
        } else {
            receiver_ = false;
        }
        reply.disconnect = true;
        return reply;
    }

    Packet out{};
    if (has(FaultKind::kStatusFF) || has(FaultKind::kStatusFE)) {
        out = wire::ResponseTo(req, has(FaultKind::kStatusFF) ? kStatusErrorFF : kStatusErrorFE);
        SealPacket(out);
    } else {
        out = AnswerLocked(link, req, report, reply.note);
    }
    InputReport first = Reply(link, iface, out);
    first.delay = delay;
    if (has(FaultKind::kWrongCode)) {
        Packet wrong = out;
        wrong[kOffCommand] = OtherCode(req[kOffCommand]);
        SealPacket(wrong);
        first.bytes.assign(wrong.begin(), wrong.end());
    }
    reply.inputs.push_back(std::move(first));
    // The copy is the true answer, even when the first one named another command.
    if (has(FaultKind::kDoubleAnswer)) reply.inputs.push_back(Reply(link, iface, out));
    return reply;
}

// What the device, or the receiver in front of it, answers to a packet no fault stopped.
Packet SimDevice::AnswerLocked(Link link, const Packet& req, std::span<const uint8_t> report,
                               std::string& note) {
    if (link == Link::kCable) return model_.HandleCommand(report, Link::kCable);
    Packet out{};
    if (!wire::ChecksumValid(req)) {
        out = wire::ResponseTo(req, kStatusErrorFF);
        SealPacket(out);
    } else if (req[kOffCommand] == CMD_LINK_QUERY) {
        // The receiver answers this one itself.
        out = wire::ResponseTo(req, kStatusOk);
        out[kOffData] = linked_ ? kLinkedMarker : 0x00;
        SealPacket(out);
    } else if (!linked_) {
        if (note.empty()) note = "receiver: device not linked";
        out = wire::NotLinkedAnswer();
    } else {
        out = model_.HandleCommand(report, Link::kReceiver);
    }
    return out;
}

std::vector<SimDevice::ArmedFault> SimDevice::TakeFaultsLocked() {
    std::vector<ArmedFault> hits;
    const auto rest = std::stable_partition(faults_.begin(), faults_.end(),
                                            [&](const ArmedFault& f) { return f.at != packets_; });
    hits.assign(rest, faults_.end());
    faults_.erase(rest, faults_.end());
    return hits;
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

bool SimDevice::ArmFault(FaultKind kind, int at_packet, std::chrono::milliseconds delay) {
    if (at_packet < 1) return false;
    if (kind == FaultKind::kLateAnswer && delay <= std::chrono::milliseconds(0)) return false;
    std::lock_guard lock(mutex_);
    faults_.push_back({kind, packets_ + static_cast<uint64_t>(at_packet), delay});
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
