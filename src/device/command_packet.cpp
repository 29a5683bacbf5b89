#include "device/command_packet.h"

#include <algorithm>
#include <cstdio>

namespace dz {

uint16_t PacketChecksum(const Packet& packet) {
    uint32_t sum = 0;
    for (size_t i = kOffCommand; i < kPacketSize; ++i) sum += packet[i];
    return static_cast<uint16_t>(sum & 0xFFFF);
}

void SealPacket(Packet& packet) {
    const uint16_t sum = PacketChecksum(packet);
    packet[kOffChecksum] = static_cast<uint8_t>(sum & 0xFF);
    packet[kOffChecksum + 1] = static_cast<uint8_t>(sum >> 8);
}

namespace {

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

const char* CommandName(uint8_t code) {
    switch (code) {
        case CMD_BEGIN:
            return "BEGIN";
        case CMD_END:
            return "END";
        case CMD_READ_INFO:
            return "READ_INFO";
        case CMD_READ_SETTINGS:
            return "READ_SETTINGS";
        case CMD_WRITE_SETTINGS:
            return "WRITE_SETTINGS";
        case CMD_READ_KEYMAP:
            return "READ_KEYMAP";
        case CMD_WRITE_KEYMAP:
            return "WRITE_KEYMAP";
        case CMD_READ_KEYCOLORS:
            return "READ_KEYCOLORS";
        case CMD_WRITE_KEYCOLORS:
            return "WRITE_KEYCOLORS";
        case CMD_LIGHT_FRAME:
            return "LIGHT_FRAME";
        case CMD_WRITE_MACROS:
            return "WRITE_MACROS";
        case CMD_WRITE_SHOOT:
            return "WRITE_SHOOT";
        case CMD_READ_POWER:
            return "READ_POWER";
        case CMD_READ_LEDMAP:
            return "READ_LEDMAP";
        case CMD_HOST_LIGHTING:
            return "HOST_LIGHTING";
        case CMD_LINK_QUERY:
            return "LINK_QUERY";
        default:
            return nullptr;
    }
}

int StatusResult(const Packet& response) {
    switch (response[kOffStatus]) {
        case kStatusErrorFF:
            return kCmdStatusFF;
        case kStatusErrorFE:
            return kCmdStatusFE;
        default:
            return kCmdOk;
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
            if (i % 4 != 0)
                line += ' ';
            else
                line += (i <= 12) ? "   " : "  ";
        }
        std::snprintf(hex, sizeof hex, "%02x", bytes[i]);
        line += hex;
    }
    return line;
}

}  // namespace dz
