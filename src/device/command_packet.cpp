#include "device/command_packet.h"

#include <algorithm>
#include <cstdio>

namespace dz {

uint16_t PacketChecksum(const Packet& packet) {
    uint32_t sum = 0;
    for (size_t i = kOffCommand; i < kPacketSize; ++i) sum += packet[i];
    return static_cast<uint16_t>(sum & 0xFFFF);
}

namespace {

void SealPacket(Packet& p) {
    const uint16_t sum = PacketChecksum(p);
    p[kOffChecksum] = static_cast<uint8_t>(sum & 0xFF);
    p[kOffChecksum + 1] = static_cast<uint8_t>(sum >> 8);
}

Packet Header(uint8_t command, uint16_t data_offset, uint8_t length) {
    Packet p{};
    p[kOffReportId] = kCommandReportId;
    p[kOffCommand] = command;
    p[kOffLength] = length;
    p[kOffDataOffset] = static_cast<uint8_t>(data_offset & 0xFF);
    p[kOffDataOffset + 1] = static_cast<uint8_t>((data_offset >> 8) & 0xFF);
    return p;
}

}  // namespace

Packet BuildPacket(uint8_t command, uint16_t data_offset, std::span<const uint8_t> data) {
    const size_t n = std::min(data.size(), kMaxPacketData);
    Packet p = Header(command, data_offset, static_cast<uint8_t>(n));
    std::copy_n(data.begin(), n, p.begin() + kOffData);
    SealPacket(p);
    return p;
}

Packet BuildReadPacket(uint8_t command, uint16_t data_offset, uint8_t length) {
    Packet p = Header(command, data_offset, length);
    SealPacket(p);
    return p;
}

int StatusResult(const Packet& response) {
    switch (response[kOffStatus]) {
        case kStatusErrorFF: return kCmdStatusFF;
        case kStatusErrorFE: return kCmdStatusFE;
        default: return kCmdOk;
    }
}

const char* CommandResultText(int result) {
    switch (result) {
        case kCmdOk: return "success";
        case kCmdNoExchange: return "no answer (channel closed or time-out)";
        case kCmdNotWritten: return "the packet could not be written";
        case kCmdNotLinked: return "the device behind the receiver is not linked";
        case kCmdStatusFF: return "the device answered with status 0xFF";
        case kCmdStatusFE: return "the device answered with status 0xFE";
        case kCmdBadPage: return "page not accepted by the command";
        default: return "unknown result";
    }
}

std::string FormatTraceLine(std::span<const uint8_t, 32> bytes) {
    // Groups of four; the first three gaps are three blanks wide, the rest two.
    std::string line;
    line.reserve(32 * 3 + 8);
    char hex[4];
    for (size_t i = 0; i < 32; ++i) {
        if (i > 0) {
            if (i % 4 != 0) line += ' ';
            else line += (i <= 12) ? "   " : "  ";
        }
        std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
        line += hex;
    }
    return line;
}

}  // namespace dz
