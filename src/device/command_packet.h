#pragma once
// The 64-byte command packet and its response: the one place where packets are
// built, checksummed, parsed and traced.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace dz {

inline constexpr size_t kPacketSize = 64;
inline constexpr size_t kPacketHeaderSize = 8;
inline constexpr size_t kMaxPacketData = kPacketSize - kPacketHeaderSize;  // 56
inline constexpr uint8_t kCommandReportId = 4;

using Packet = std::array<uint8_t, kPacketSize>;

enum CommandCode : uint8_t {
    CMD_BEGIN = 0x01,
    CMD_END = 0x02,
    CMD_READ_INFO = 0x03,
    CMD_READ_SETTINGS = 0x05,
    CMD_WRITE_SETTINGS = 0x06,
    CMD_READ_KEYMAP = 0x07,
    CMD_WRITE_KEYMAP = 0x09,
    CMD_READ_KEYCOLORS = 0x0A,
    CMD_WRITE_KEYCOLORS = 0x0B,
    CMD_LIGHT_FRAME = 0x12,
    CMD_WRITE_MACROS = 0x15,
    CMD_WRITE_SHOOT = 0x17,
    CMD_READ_POWER = 0x1A,
    CMD_READ_LEDMAP = 0x1B,
    CMD_HOST_LIGHTING = 0x1C,
    CMD_LINK_QUERY = 0xAA,
};

// Results of every command operation.
enum CommandResult : int {
    kCmdOk = 1,
    kCmdNoExchange = 0,    // channel closed, or no response read
    kCmdNotWritten = -1,
    kCmdNotLinked = -101,  // receiver: the device behind it is not reachable
    kCmdStatusFF = -102,
    kCmdStatusFE = -103,
    kCmdBadPage = -201,
};

// Packet layout.
inline constexpr size_t kOffReportId = 0;
inline constexpr size_t kOffChecksum = 1;  // 2 bytes, little-endian
inline constexpr size_t kOffCommand = 3;
inline constexpr size_t kOffLength = 4;
inline constexpr size_t kOffDataOffset = 5;  // 2 bytes, little-endian
inline constexpr size_t kOffStatus = 7;      // response only
inline constexpr size_t kOffData = 8;

inline constexpr uint8_t kStatusErrorFF = 0xFF;
inline constexpr uint8_t kStatusErrorFE = 0xFE;
inline constexpr uint8_t kLinkedMarker = 0xFF;  // byte 8 of a link-query answer

// Low 16 bits of the sum of bytes 3..63.
[[nodiscard]] uint16_t PacketChecksum(const Packet& packet);

// A packet with report id, command, data length, data offset, data and checksum set.
// `data` longer than 56 bytes is cut to 56.
[[nodiscard]] Packet BuildPacket(uint8_t command, uint16_t data_offset,
                                 std::span<const uint8_t> data = {});
// The same for reads: the data length says how many bytes are asked for, no data.
[[nodiscard]] Packet BuildReadPacket(uint8_t command, uint16_t data_offset, uint8_t length);

// Named fields of a packet or response.
struct PacketView {
    const Packet& bytes;
    [[nodiscard]] uint8_t Command() const { return bytes[kOffCommand]; }
    [[nodiscard]] uint8_t Length() const { return bytes[kOffLength]; }
    [[nodiscard]] uint16_t DataOffset() const {
        return static_cast<uint16_t>(bytes[kOffDataOffset] | (bytes[kOffDataOffset + 1] << 8));
    }
    [[nodiscard]] uint8_t Status() const { return bytes[kOffStatus]; }
    [[nodiscard]] uint16_t Checksum() const {
        return static_cast<uint16_t>(bytes[kOffChecksum] | (bytes[kOffChecksum + 1] << 8));
    }
    [[nodiscard]] std::span<const uint8_t> Data() const {
        return std::span<const uint8_t>(bytes).subspan(kOffData);
    }
};

// 1 when the response's status byte is a success, else kCmdStatusFF / kCmdStatusFE.
[[nodiscard]] int StatusResult(const Packet& response);

// A short text for a command result, for messages to the user.
[[nodiscard]] const char* CommandResultText(int result);

// One trace line of 32 bytes in the debug format of the packet dumps.
[[nodiscard]] std::string FormatTraceLine(std::span<const uint8_t, 32> bytes);

}  // namespace dz
