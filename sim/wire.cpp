#include "sim/wire.h"

#include <algorithm>

namespace dz::sim::wire {

Packet ToPacket(std::span<const uint8_t> report) {
    Packet p{};
    std::copy_n(report.begin(), std::min(report.size(), p.size()), p.begin());
    return p;
}

bool ChecksumValid(const Packet& packet) {
    return PacketView{packet}.Checksum() == PacketChecksum(packet);
}

Packet ResponseTo(const Packet& request, uint8_t status) {
    const PacketView req{request};
    Packet out = BuildReadPacket(req.Command(), req.DataOffset(), req.Length());
    out[kOffStatus] = status;
    return out;
}

Packet NotLinkedAnswer() {
    return BuildReadPacket(CMD_LINK_QUERY, 0, 0);
}

}  // namespace dz::sim::wire
