#include "sim/emulator.h"

namespace dz::sim {
namespace {

constexpr DeviceKind kKinds[] = {DeviceKind::kKeyboard, DeviceKind::kMouse, DeviceKind::kMousepad,
                                 DeviceKind::kHeadset};

size_t IndexOf(DeviceKind kind) {
    return static_cast<size_t>(kind);
}

}  // namespace

Emulator::Emulator(const EmulatorConfig& config, std::string scheme)
    : backend_(std::make_shared<SimBackend>(std::move(scheme))) {
    for (DeviceKind kind : kKinds) {
        devices_[IndexOf(kind)] =
            std::make_shared<SimDevice>(ModelTableFor(kind, config.mouse_sensor));
    }
    const struct {
        bool on;
        DeviceKind kind;
        Link link;
    } plugs[] = {
        {config.keyboard, DeviceKind::kKeyboard, Link::kCable},
        {config.keyboard_receiver, DeviceKind::kKeyboard, Link::kReceiver},
        {config.mouse, DeviceKind::kMouse, Link::kCable},
        {config.mouse_receiver, DeviceKind::kMouse, Link::kReceiver},
        {config.mousepad, DeviceKind::kMousepad, Link::kCable},
        {config.headset, DeviceKind::kHeadset, Link::kCable},
    };
    for (const auto& p : plugs)
        if (p.on) (void)Plug(p.kind, p.link);
}

Emulator::~Emulator() {
    backend_->RemoveAll();
}

SimDevice& Emulator::Device(DeviceKind kind) const {
    return *devices_[IndexOf(kind)];
}

std::string Emulator::NodeId(DeviceKind kind, Link link, int interface_number) const {
    return Device(kind).NodeId(link, interface_number);
}

std::string Emulator::CommandNode(DeviceKind kind, Link link) const {
    const SimDevice& d = Device(kind);
    return d.NodeId(link, d.CommandInterface());
}

void Emulator::AddNodes(const std::shared_ptr<SimDevice>& device, Link link) {
    for (hid::HidNodeInfo& info : device->Nodes(link)) {
        const int iface = info.interface_number;
        std::weak_ptr<SimDevice> weak = device;
        backend_->AddNode(std::move(info), [weak, link, iface](std::span<const uint8_t> report) {
            const auto d = weak.lock();
            return d ? d->HandleOutput(link, iface, report) : NodeReply{};
        });
    }
}

bool Emulator::Plug(DeviceKind kind, Link link) {
    const auto& device = devices_[IndexOf(kind)];
    if (device->Plugged(link)) return true;
    if (!device->SetPlugged(link, true)) return false;
    AddNodes(device, link);
    return true;
}

bool Emulator::Unplug(DeviceKind kind, Link link) {
    SimDevice& device = Device(kind);
    if (!device.SetPlugged(link, false)) return false;
    (void)backend_->RemoveUsbDevice(device.UsbName(link));
    return true;
}

bool Emulator::Plugged(DeviceKind kind, Link link) const {
    return Device(kind).Plugged(link);
}

void Emulator::SetLinked(DeviceKind kind, bool linked) {
    Device(kind).SetLinked(linked);
}

bool Emulator::Deliver(DeviceKind kind, const std::optional<InputReport>& report) {
    if (!report) return false;
    return backend_->Deliver(NodeId(kind, report->link, report->interface_number), report->bytes);
}

bool Emulator::PressProfile(DeviceKind kind, int profile) {
    bool ok = false;
    const auto report = Device(kind).PressProfile(profile, &ok);
    (void)Deliver(kind, report);
    return ok;
}

bool Emulator::PressDpiStage(DeviceKind kind, int stage) {
    bool ok = false;
    const auto report = Device(kind).PressDpiStage(stage, &ok);
    (void)Deliver(kind, report);
    return ok;
}

bool Emulator::PressRaw(DeviceKind kind, uint16_t usage) {
    bool ok = false;
    const auto report = Device(kind).PressRaw(usage, &ok);
    (void)Deliver(kind, report);
    return ok;
}

bool Emulator::ArmFault(DeviceKind kind, FaultKind fault, int at_packet,
                        std::chrono::milliseconds delay) {
    return Device(kind).ArmFault(fault, at_packet, delay);
}

void Emulator::ClearFaults(DeviceKind kind) {
    Device(kind).ClearFaults();
}

std::string Emulator::Describe() const {
    std::string out;
    for (DeviceKind kind : kKinds) {
        const SimDevice& d = Device(kind);
        out += KindName(kind);
        out += ":";
        bool any = false;
        for (Link link : {Link::kCable, Link::kReceiver}) {
            if (!d.Plugged(link)) continue;
            any = true;
            out += " ";
            out += LinkName(link);
            out += " (";
            bool first = true;
            for (const auto& node : d.Nodes(link)) {
                out += first ? "" : ", ";
                out += std::string(backend_->Scheme()) + ":" + node.node;
                first = false;
            }
            out += ")";
        }
        if (!any) out += " not plugged";
        if (d.HasReceiver() && d.Plugged(Link::kReceiver) && !d.Linked()) out += ", link lost";
        out += "\n";
    }
    return out;
}

}  // namespace dz::sim
