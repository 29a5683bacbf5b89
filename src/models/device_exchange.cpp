#include "models/device_exchange.h"

#include "models/key_codes.h"

namespace dz {

bool ChannelOpenRule(CommandChannel& channel) {
    return channel.IsOpen();
}

bool LinkedRule(CommandChannel& channel) {
    return channel.IsOpen() && channel.LinkQuery();
}

DeviceTransfer WriteKeyTable(CommandChannel& channel, int page, std::span<const uint8_t> table,
                             ReachableRule reachable, DeviceInfoBlock* info) {
    if (!reachable(channel)) return {kCmdNoExchange, 0, "the device is not reachable"};
    DeviceInfoBlock block{};
    if (const int r = channel.ReadInfo(block); r != kCmdOk) return {r, CMD_READ_INFO};
    if (info != nullptr) *info = block;
    const size_t size = size_t{block[kInfoKeySlots]} * kKeyTableEntrySize;
    // A table of other key slots would put codes into the wrong keys.
    if (table.empty() || table.size() != size || size > kMaxKeyTableSize)
        return {kCmdNoExchange, CMD_READ_INFO, "the key table was not read from this device"};
    (void)channel.SetKeyTableSize(static_cast<uint16_t>(size));
    return InConfiguration(channel, [&]() -> DeviceTransfer {
        const int r = channel.WriteKeymap(page, table);
        return {r, r == kCmdOk ? uint8_t{0} : uint8_t{CMD_WRITE_KEYMAP}};
    });
}

PowerRead ReadPowerBytes(CommandChannel& channel) {
    PowerRead r;
    if (!channel.IsOpen()) return r;
    r.result = channel.ReadPower(0, r.bytes);
    if (r.result == kCmdOk) r.bytes[3] = channel.IsReceiverMode() ? 1 : 0;
    return r;
}

}  // namespace dz
