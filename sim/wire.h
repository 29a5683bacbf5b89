#pragma once
// The device's side of the command packet: checking what arrives and building the
// answer. Layout, checksum and command codes are the host's (device/command_packet.h).

#include <cstdint>
#include <span>

#include "device/command_packet.h"

namespace dz::sim::wire {

using dz::Packet;

// A received report as a whole packet, zero-filled past its end, so that a short
// report is never read beyond what arrived.
[[nodiscard]] Packet ToPacket(std::span<const uint8_t> report);
// True when bytes 1..2 hold the checksum of the rest.
[[nodiscard]] bool ChecksumValid(const Packet& packet);

// A response to `request`: report id, the command code, the request's length and
// offset echoed, the status; data is filled in by the caller before SealPacket.
[[nodiscard]] Packet ResponseTo(const Packet& request, uint8_t status);
// What a receiver answers to everything but the link query while its device is out
// of reach: the link-query code in byte 3, nothing else.
[[nodiscard]] Packet NotLinkedAnswer();

}  // namespace dz::sim::wire
