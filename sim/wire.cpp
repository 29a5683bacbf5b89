#include "sim/wire.h"

#include "sim/report_descriptors.h"

namespace dz::sim::wire {

uint16_t Checksum(std::span<const uint8_t> packet) {
    uint32_t sum = 0;
    for (size_t i = kCommand; i < packet.size() && i < 64; ++i) sum += packet[i];
    return static_cast<uint16_t>(sum & 0xFFFF);
}

bool ChecksumValid(std::span<const uint8_t> packet) {
    if (packet.size() < kData) return false;
    const uint16_t stated = static_cast<uint16_t>(packet[kChecksumLo] | (packet[kChecksumHi] << 8));
    return stated == Checksum(packet);
}

uint16_t Offset(std::span<const uint8_t> packet) {
    return static_cast<uint16_t>(packet[kOffsetLo] | (packet[kOffsetHi] << 8));
}

Packet ResponseTo(std::span<const uint8_t> request, uint8_t status) {
    Packet out{};
    out[kReportId] = kCommandReportId;
    out[kCommand] = request[kCommand];
    out[kLength] = request[kLength];
    out[kOffsetLo] = request[kOffsetLo];
    out[kOffsetHi] = request[kOffsetHi];
    out[kStatus] = status;
    return out;
}

void Seal(Packet& packet) {
    const uint16_t sum = Checksum(packet);
    packet[kChecksumLo] = static_cast<uint8_t>(sum & 0xFF);
    packet[kChecksumHi] = static_cast<uint8_t>(sum >> 8);
}

const char* CommandName(uint8_t code) {
    switch (code) {
        case kBegin:
            return "BEGIN";
        case kEnd:
            return "END";
        case kReadInfo:
            return "READ_INFO";
        case kReadSettings:
            return "READ_SETTINGS";
        case kWriteSettings:
            return "WRITE_SETTINGS";
        case kReadKeymap:
            return "READ_KEYMAP";
        case kWriteKeymap:
            return "WRITE_KEYMAP";
        case kReadKeyColours:
            return "READ_KEYCOLORS";
        case kWriteKeyColours:
            return "WRITE_KEYCOLORS";
        case kLightFrame:
            return "LIGHT_FRAME";
        case kWriteMacros:
            return "WRITE_MACROS";
        case kWriteShoot:
            return "WRITE_SHOOT";
        case kReadPower:
            return "READ_POWER";
        case kReadLedmap:
            return "READ_LEDMAP";
        case kHostLighting:
            return "HOST_LIGHTING";
        case kLinkQuery:
            return "LINK_QUERY";
        default:
            return nullptr;
    }
}

}  // namespace dz::sim::wire
