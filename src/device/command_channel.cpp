#include "device/command_channel.h"

#include <algorithm>
#include <chrono>
#include <thread>

#include "platform/log/debug_log.h"

namespace dz {
namespace {

class BusyGuard {
public:
    explicit BusyGuard(std::atomic<int>& busy) : busy_(busy) { busy_.fetch_add(1); }
    ~BusyGuard() { busy_.fetch_sub(1); }
    BusyGuard(const BusyGuard&) = delete;
    BusyGuard& operator=(const BusyGuard&) = delete;

private:
    std::atomic<int>& busy_;
};

void Trace(const char* title, const Packet& p) {
    if (!log::Enabled()) return;
    log::DebugLine(title);
    log::DebugLine(FormatTraceLine(std::span<const uint8_t, 32>(p.data(), 32)));
    log::DebugLine(FormatTraceLine(std::span<const uint8_t, 32>(p.data() + 32, 32)));
}

// Answers left on the interface by an exchange that gave up on them (its reads timed out
// before a slow device answered, or the device answered twice) would be read as the
// answer to the next packet; they are taken off before it is written. Reads with time-out
// 0, bounded: more than a node queues.
int DiscardStaleAnswers(HidInterface& hid) {
    constexpr int kMaxStale = 256;
    Packet stale{};
    int discarded = 0;
    while (discarded < kMaxStale && hid.Read(stale.data(), stale.size(), nullptr, 0) == 1)
        ++discarded;
    return discarded;
}

// Runs `exchange` with `lock` held for one packet (no lock when null).
template <typename F>
int UnderLock(std::mutex* lock, F&& exchange) {
    if (lock == nullptr) return exchange();
    std::lock_guard guard(*lock);
    return exchange();
}

}  // namespace

void CommandChannel::SetMode(int mode) {
    const bool receiver = mode == kModeReceiver;
    receiver_mode_.store(receiver);
    payload_.store(receiver ? kReceiverPayload : kCablePayload);
}

void CommandChannel::SetTimeouts(int cable_ms, int receiver_ms) {
    cable_timeout_ms_.store(cable_ms);
    receiver_timeout_ms_.store(receiver_ms);
}

int CommandChannel::SetKeyTableSize(uint16_t size) {
    if (size > kMaxKeyTableSize) return 0;
    key_table_size_.store(size);
    return 1;
}

int CommandChannel::Exchange(const uint8_t* packet, size_t packet_length, uint8_t* response,
                             size_t response_length) {
    Packet out{};
    std::copy_n(packet, std::min(packet_length, kPacketSize), out.begin());
    Packet in{};
    const int result = ExchangePacket(out, in, ExchangeKind::kCommand);
    if (response != nullptr) std::copy_n(in.begin(), std::min(response_length, kPacketSize), response);
    return result;
}

int CommandChannel::ExchangePacket(const Packet& packet, Packet& response, ExchangeKind kind) {
    BusyGuard busy(busy_);
    if (!IsOpen()) return kCmdNoExchange;
    const bool frame = kind == ExchangeKind::kLightFrame;
    const bool receiver = !frame && IsReceiverMode();
    HidInterface& hid = receiver ? receiver_ : cable_;
    const int timeout = receiver ? receiver_timeout_ms_.load() : cable_timeout_ms_.load();
    const uint8_t command = packet[kOffCommand];
    if (!frame) Trace("命令", packet);

    int result = kCmdNoExchange;
    {
        // One lock over the write and its reads: a response is then always read by the
        // thread whose packet caused it, even when a frame and a command overlap. A frame
        // packet does not wait for it.
        std::unique_lock io(io_lock_, std::defer_lock);
        if (!frame) {
            io.lock();
        } else if (!io.try_lock()) {
            return kFrameLeftOut;
        }
        const int stale = DiscardStaleAnswers(hid);
        if (stale > 0 && !frame) log::DebugLineF("discarded %d stale answer(s)", stale);
        if (hid.Write(packet.data(), kPacketSize, nullptr, timeout) != 1) {
            result = kCmdNotWritten;
        } else {
            const int reads = frame ? 1 : 2;
            for (int i = 0; i < reads; ++i) {
                response.fill(0);
                result = hid.Read(response.data(), kPacketSize, nullptr, timeout);
                // A first read that timed out is followed by the second all the same: an
                // answer that takes longer than one time-out still counts.
                if (result != kCmdOk) continue;
                if (frame || response[kOffCommand] == command) break;
                if (receiver && response[kOffCommand] == CMD_LINK_QUERY) {
                    result = kCmdNotLinked;
                    break;
                }
            }
        }
    }
    if (!frame && result != kCmdNotWritten) Trace("返回", response);
    return result;
}

CommandChannel::Transfer CommandChannel::CommandTransfer(uint8_t command, uint16_t base) {
    return Transfer{command, base, PayloadSize(), &command_lock_, ExchangeKind::kCommand};
}

int CommandChannel::WriteChunks(const Transfer& t, std::span<const uint8_t> data, bool* dropped) {
    const bool frame = t.kind == ExchangeKind::kLightFrame;
    if (dropped != nullptr) *dropped = false;
    for (size_t pos = 0; pos < data.size(); pos += t.chunk) {
        const size_t n = std::min(t.chunk, data.size() - pos);
        const Packet p =
            BuildPacket(t.command, static_cast<uint16_t>(t.base_offset + pos), data.subspan(pos, n));
        Packet response{};
        const int r = frame
                          ? SendFramePacket(p, response)
                          : UnderLock(t.lock, [&] { return ExchangePacket(p, response, t.kind); });
        if (r == kFrameLeftOut) {
            // Once one packet of a frame is left out, so is the rest: the device shows a
            // frame when the packet that completes it arrives, and the next frame starts
            // again at offset 0, so it keeps its last whole frame instead of half of one
            // and half of another. Counts as sent.
            if (!IsReceiverMode()) log::DebugLine("放弃灯光数据");
            if (dropped != nullptr) *dropped = true;
            return kCmdOk;
        }
        if (r != kCmdOk) return r;
        if (const int s = StatusResult(response); s != kCmdOk) return s;
    }
    return kCmdOk;
}

int CommandChannel::SendFramePacket(const Packet& packet, Packet& response) {
    // A frame never waits for other traffic: nothing goes through a receiver, and a
    // channel busy with another exchange (or about to be) leaves the packet out.
    if (IsReceiverMode() || IsBusy()) return kFrameLeftOut;
    std::unique_lock light(light_lock_, std::try_to_lock);
    if (!light.owns_lock()) return kFrameLeftOut;
    return ExchangePacket(packet, response, ExchangeKind::kLightFrame);
}

int CommandChannel::ReadChunks(const Transfer& t, std::span<uint8_t> destination) {
    for (size_t pos = 0; pos < destination.size(); pos += t.chunk) {
        const size_t n = std::min(t.chunk, destination.size() - pos);
        const Packet p = BuildReadPacket(t.command, static_cast<uint16_t>(t.base_offset + pos),
                                         static_cast<uint8_t>(n));
        Packet response{};
        const int r = UnderLock(t.lock, [&] { return ExchangePacket(p, response, t.kind); });
        if (r != kCmdOk) return r;
        if (const int s = StatusResult(response); s != kCmdOk) return s;
        std::copy_n(response.begin() + kOffData, n, destination.begin() + static_cast<long>(pos));
    }
    return kCmdOk;
}

int CommandChannel::SendSimple(uint8_t command) {
    const Packet p = BuildPacket(command, 0);
    Packet response{};
    const int r = UnderLock(&command_lock_, [&] {
        return ExchangePacket(p, response, ExchangeKind::kCommand);
    });
    if (r != kCmdOk) return r;
    return StatusResult(response);
}

int CommandChannel::Begin() { return SendSimple(CMD_BEGIN); }

int CommandChannel::End() {
    std::this_thread::sleep_for(std::chrono::milliseconds(kEndPauseMs));
    return SendSimple(CMD_END);
}

int CommandChannel::HostLighting() { return SendSimple(CMD_HOST_LIGHTING); }

int CommandChannel::ReadInfo(std::span<uint8_t, kDeviceInfoSize> info) {
    std::array<uint8_t, kDeviceInfoSize> block{};
    const int r = ReadChunks(CommandTransfer(CMD_READ_INFO), block);
    if (r == kCmdOk) std::copy(block.begin(), block.end(), info.begin());
    return r;
}

int CommandChannel::ReadSettings(uint16_t offset, std::span<uint8_t> destination) {
    return ReadChunks(CommandTransfer(CMD_READ_SETTINGS, offset), destination);
}

int CommandChannel::WriteSettings(uint16_t offset, std::span<const uint8_t> data) {
    return WriteChunks(CommandTransfer(CMD_WRITE_SETTINGS, offset), data);
}

int CommandChannel::ReadKeymap(std::span<uint8_t> destination) {
    return ReadChunks(CommandTransfer(CMD_READ_KEYMAP),
                      destination.first(std::min<size_t>(destination.size(), KeyTableSize())));
}

int CommandChannel::WriteKeymap(int page, std::span<const uint8_t> data) {
    if (page != 0) return kCmdBadPage;
    return WriteChunks(CommandTransfer(CMD_WRITE_KEYMAP, 0),
                       data.first(std::min<size_t>(data.size(), KeyTableSize())));
}

int CommandChannel::ReadKeyColors(int page, int page_size, std::span<uint8_t> destination) {
    Transfer t = CommandTransfer(CMD_READ_KEYCOLORS, static_cast<uint16_t>(page * page_size));
    t.lock = &light_lock_;
    return ReadChunks(t, destination);
}

int CommandChannel::WriteKeyColors(int page, int page_size, std::span<const uint8_t> data) {
    Transfer t = CommandTransfer(CMD_WRITE_KEYCOLORS, static_cast<uint16_t>(page * page_size));
    t.lock = &light_lock_;
    return WriteChunks(t, data);
}

int CommandChannel::LightFrame(std::span<const uint8_t> frame, bool* dropped) {
    const Transfer t{CMD_LIGHT_FRAME, 0, PayloadSize(), &light_lock_, ExchangeKind::kLightFrame};
    return WriteChunks(t, frame, dropped);
}

int CommandChannel::WriteMacros(std::span<const uint8_t> image) {
    return WriteChunks(CommandTransfer(CMD_WRITE_MACROS), image);
}

int CommandChannel::WriteShoot(std::span<const uint8_t> image) {
    const Transfer t{CMD_WRITE_SHOOT, 0, kMaxPacketData, nullptr, ExchangeKind::kCommand};
    return WriteChunks(t, image);
}

int CommandChannel::ReadPower(uint16_t offset, std::span<uint8_t> destination) {
    const size_t n = std::min(destination.size(), kMaxPacketData);
    const Packet p = BuildReadPacket(CMD_READ_POWER, offset, static_cast<uint8_t>(n));
    Packet response{};
    const int r = UnderLock(&command_lock_, [&] {
        return ExchangePacket(p, response, ExchangeKind::kCommand);
    });
    if (r != kCmdOk) return r;
    if (const int s = StatusResult(response); s != kCmdOk) return s;
    std::copy_n(response.begin() + kOffData, n, destination.begin());
    return kCmdOk;
}

int CommandChannel::ReadLedmap(std::span<uint8_t> destination) {
    return ReadChunks(CommandTransfer(CMD_READ_LEDMAP),
                      destination.first(std::min<size_t>(destination.size(), KeyTableSize() / 3)));
}

bool CommandChannel::LinkQuery() {
    if (!IsReceiverMode()) return true;
    const Packet p = BuildPacket(CMD_LINK_QUERY, 0);
    Packet response{};
    const int r = UnderLock(&command_lock_, [&] {
        return ExchangePacket(p, response, ExchangeKind::kCommand);
    });
    return r == kCmdOk && response[kOffData] == kLinkedMarker && StatusResult(response) == kCmdOk;
}

}  // namespace dz
