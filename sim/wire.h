#pragma once
// The command packet as the device firmware sees it: field offsets, checksum and the
// response it builds. The host builds its packets elsewhere; this is the other end.

#include <array>
#include <cstdint>
#include <span>

namespace dz::sim::wire {

inline constexpr size_t kReportId = 0;
inline constexpr size_t kChecksumLo = 1;
inline constexpr size_t kChecksumHi = 2;
inline constexpr size_t kCommand = 3;
inline constexpr size_t kLength = 4;
inline constexpr size_t kOffsetLo = 5;
inline constexpr size_t kOffsetHi = 6;
inline constexpr size_t kStatus = 7;
inline constexpr size_t kData = 8;
inline constexpr size_t kMaxData = 56;

inline constexpr uint8_t kStatusOk = 0x00;
inline constexpr uint8_t kStatusError = 0xFF;
inline constexpr uint8_t kStatusBusy = 0xFE;

// Command codes the firmware understands.
inline constexpr uint8_t kBegin = 0x01;
inline constexpr uint8_t kEnd = 0x02;
inline constexpr uint8_t kReadInfo = 0x03;
inline constexpr uint8_t kReadSettings = 0x05;
inline constexpr uint8_t kWriteSettings = 0x06;
inline constexpr uint8_t kReadKeymap = 0x07;
inline constexpr uint8_t kWriteKeymap = 0x09;
inline constexpr uint8_t kReadKeyColours = 0x0A;
inline constexpr uint8_t kWriteKeyColours = 0x0B;
inline constexpr uint8_t kLightFrame = 0x12;
inline constexpr uint8_t kWriteMacros = 0x15;
inline constexpr uint8_t kWriteShoot = 0x17;
inline constexpr uint8_t kReadPower = 0x1A;
inline constexpr uint8_t kReadLedmap = 0x1B;
inline constexpr uint8_t kHostLighting = 0x1C;
inline constexpr uint8_t kLinkQuery = 0xAA;
// Byte 3 of every answer a receiver gives while its device is out of reach.
inline constexpr uint8_t kNotLinked = 0xAA;

using Packet = std::array<uint8_t, 64>;

// Low 16 bits of the sum of bytes 3..63.
[[nodiscard]] uint16_t Checksum(std::span<const uint8_t> packet);
[[nodiscard]] bool ChecksumValid(std::span<const uint8_t> packet);
[[nodiscard]] uint16_t Offset(std::span<const uint8_t> packet);

// A response to `request`: report id, the command code, the request's length and
// offset echoed, the status; data is filled in by the caller before Seal.
[[nodiscard]] Packet ResponseTo(std::span<const uint8_t> request, uint8_t status);
// Writes the checksum of a finished packet.
void Seal(Packet& packet);

// Short name of a command code for people reading traffic ("READ_INFO"), or nullptr.
[[nodiscard]] const char* CommandName(uint8_t code);

}  // namespace dz::sim::wire
