#pragma once
// The command path of one device: a cable and a receiver HID interface, the
// receiver-mode flag with its payload size, and the four locks that serialise access.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>
#include <mutex>
#include <span>

#include "device/command_packet.h"
#include "device/hid_interface.h"

namespace dz {

inline constexpr size_t kDeviceInfoSize = 34;
inline constexpr uint16_t kMaxKeyTableSize = 512;
inline constexpr uint16_t kCablePayload = 56;
inline constexpr uint16_t kReceiverPayload = 24;
inline constexpr int kModeCable = 1;
inline constexpr int kModeReceiver = 2;

// The 34 bytes CMD_READ_INFO reads: byte 5 the number of key slots, byte 6 the macro memory in
// units of 128 bytes, the rest model-specific.
using DeviceInfoBlock = std::array<uint8_t, kDeviceInfoSize>;
inline constexpr size_t kInfoKeySlots = 5;
inline constexpr size_t kInfoMacroUnits = 6;
inline constexpr size_t kMacroMemoryUnit = 128;

class CommandChannel {
public:
    static constexpr int kCableTimeoutMs = 1000;
    static constexpr int kReceiverTimeoutMs = 5000;
    static constexpr int kEndPauseMs = 10;

    CommandChannel() = default;
    CommandChannel(const CommandChannel&) = delete;
    CommandChannel& operator=(const CommandChannel&) = delete;

    HidInterface& CableInterface() { return cable_; }
    HidInterface& ReceiverInterface() { return receiver_; }

    // Set by the owner after opening the interface in use; cleared on removal.
    void SetOpen(bool open) { open_.store(open); }
    [[nodiscard]] bool IsOpen() const { return open_.load(); }
    [[nodiscard]] bool IsBusy() const { return busy_.load() > 0; }
    [[nodiscard]] bool IsReceiverMode() const { return receiver_mode_.load(); }
    [[nodiscard]] uint16_t PayloadSize() const { return payload_.load(); }
    // 2 = receiver (24-byte payload), anything else = cable (56).
    void SetMode(int mode);
    // The time-outs of a command's write and reads (kCableTimeoutMs, kReceiverTimeoutMs
    // unless set): tests that put a fault at every packet of a transfer wait a few
    // milliseconds for each silence instead of seconds; the time-outs themselves are
    // measured with the defaults.
    void SetTimeouts(int cable_ms, int receiver_ms);
    // 1 when size ≤ 512, else 0 and the size stays.
    int SetKeyTableSize(uint16_t size);
    [[nodiscard]] uint16_t KeyTableSize() const { return key_table_size_.load(); }

    std::mutex& IoLock() { return io_lock_; }
    std::mutex& ListenerLock() { return listener_lock_; }
    std::mutex& CommandLock() { return command_lock_; }
    std::mutex& LightStreamLock() { return light_lock_; }

    // One packet out, its response in: answers still waiting from earlier exchanges are
    // discarded first, then up to two reads, each with the mode's time-out, until one
    // repeats the packet's command code. Result: 1, 0, -1 or -101 (no status check).
    int Exchange(const uint8_t* packet, size_t packet_length, uint8_t* response,
                 size_t response_length);

    int Begin();
    int End();
    // Copies into `info` only when every chunk succeeded.
    int ReadInfo(std::span<uint8_t, kDeviceInfoSize> info);
    int ReadSettings(uint16_t offset, std::span<uint8_t> destination);
    int WriteSettings(uint16_t offset, std::span<const uint8_t> data);
    // Key-table size bytes.
    int ReadKeymap(std::span<uint8_t> destination);
    int WriteKeymap(int page, std::span<const uint8_t> data);
    int ReadKeyColors(int page, int page_size, std::span<uint8_t> destination);
    int WriteKeyColors(int page, int page_size, std::span<const uint8_t> data);
    // Streams one frame over the cable, unless the channel is in receiver mode or busy
    // with another exchange: then the frame, or the rest of it when that exchange began
    // while it was on its way, is left out and counts as sent (1). `dropped` (when given)
    // tells whether anything was left out; the device then still shows its last whole
    // frame.
    int LightFrame(std::span<const uint8_t> frame, bool* dropped = nullptr);
    int WriteMacros(std::span<const uint8_t> image);
    int WriteShoot(std::span<const uint8_t> image);
    // One packet: `destination.size()` bytes (at most 56) at `offset`.
    int ReadPower(uint16_t offset, std::span<uint8_t> destination);
    // Key-table size / 3 bytes.
    int ReadLedmap(std::span<uint8_t> destination);
    int HostLighting();
    // Cable: true without sending. Receiver: the device behind it answers.
    [[nodiscard]] bool LinkQuery();

private:
    enum class ExchangeKind { kCommand, kLightFrame };
    struct Transfer {
        uint8_t command;
        uint16_t base_offset;
        size_t chunk;           // bytes per packet
        std::mutex* lock;       // taken around each packet; nullptr for none
        ExchangeKind kind;
    };

    // A light-frame packet that was not sent because it would have had to wait.
    static constexpr int kFrameLeftOut = 2;

    // kFrameLeftOut only for a light-frame packet that finds the I/O lock taken.
    int ExchangePacket(const Packet& packet, Packet& response, ExchangeKind kind);
    // One light-frame packet under the light-stream lock, or kFrameLeftOut.
    int SendFramePacket(const Packet& packet, Packet& response);
    int SendSimple(uint8_t command);
    int WriteChunks(const Transfer& t, std::span<const uint8_t> data, bool* dropped = nullptr);
    int ReadChunks(const Transfer& t, std::span<uint8_t> destination);
    [[nodiscard]] Transfer CommandTransfer(uint8_t command, uint16_t base = 0);
    HidInterface& ActiveInterface() { return IsReceiverMode() ? receiver_ : cable_; }

    HidInterface cable_;
    HidInterface receiver_;
    std::atomic<bool> open_{false};
    std::atomic<int> busy_{0};  // exchanges in flight (a frame and a command may overlap)
    std::atomic<bool> receiver_mode_{false};
    std::atomic<uint16_t> payload_{kReceiverPayload};
    std::atomic<uint16_t> key_table_size_{kMaxKeyTableSize};
    std::atomic<int> cable_timeout_ms_{kCableTimeoutMs};
    std::atomic<int> receiver_timeout_ms_{kReceiverTimeoutMs};
    std::mutex io_lock_;
    std::mutex listener_lock_;
    std::mutex command_lock_;
    std::mutex light_lock_;
};

}  // namespace dz
