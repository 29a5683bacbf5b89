#pragma once
// What the keyboard's and the mouse's transfers share on the device side: the rule that
// says whether the device can be reached, the configuration exchange (CMD_BEGIN ... CMD_END)
// around a transfer, and the key-table write. Qt-free: the device objects run these on their
// device worker, dozadirctl calls them directly.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "device/command_channel.h"

namespace dz {

// Asked before a transfer: can the device be reached? The keyboard needs its channel open;
// the mouse behind its receiver also needs the link query to answer.
using ReachableRule = bool (*)(CommandChannel& channel);
[[nodiscard]] bool ChannelOpenRule(CommandChannel& channel);
// Open, and through a receiver the link query answers that the device is linked.
[[nodiscard]] bool LinkedRule(CommandChannel& channel);

// How a transfer ended: the first failing command and its result.
struct DeviceTransfer {
    int result = kCmdNoExchange;  // kCmdOk when every command succeeded
    uint8_t failed_command = 0;   // the command that gave `result`; 0 when none was sent
    // Set when the host itself decided to send nothing (a short English phrase).
    const char* refused = nullptr;

    [[nodiscard]] bool Ok() const { return result == kCmdOk; }
};

// False for the results after which the device cannot be expected to answer the next packet:
// nothing was read back, the packet was not written, the receiver lost it.
[[nodiscard]] constexpr bool DeviceStillAnswers(int result) {
    return result != kCmdNoExchange && result != kCmdNotWritten && result != kCmdNotLinked;
}

// `body()` (a DeviceTransfer) between CMD_BEGIN and CMD_END. The first failure ends it. A
// body that failed while the device still answers (an error status, a page the channel
// refused) is closed with CMD_END all the same, so the device leaves its configuration state;
// one that got no answer is not (the device is gone or deaf, and END would only wait out
// another time-out).
template <class Body>
DeviceTransfer InConfiguration(CommandChannel& channel, Body&& body) {
    const int begun = channel.Begin();
    if (begun != kCmdOk) return {begun, CMD_BEGIN};
    const DeviceTransfer done = body();
    if (!done.Ok() && !DeviceStillAnswers(done.result)) return done;
    const int ended = channel.End();
    if (done.Ok() && ended != kCmdOk) return {ended, CMD_END};
    return done;
}

// The power bytes read with CMD_READ_POWER (battery, charge state, ...); byte 3 set to 1
// through the receiver and 0 over the cable. Nothing is read while the channel is closed.
inline constexpr size_t kPowerBytes = 6;
struct PowerRead {
    int result = kCmdNoExchange;
    std::array<uint8_t, kPowerBytes> bytes{};
};
[[nodiscard]] PowerRead ReadPowerBytes(CommandChannel& channel);

// WriteKeyMap's transfer: the information block again, then `table` with CMD_WRITE_KEYMAP at
// `page` between BEGIN and END. The table must be the device's own size (key slots × 3, as
// the block says now): one built for other tables, or for none, is not written. `info` (when
// given) receives the block read.
[[nodiscard]] DeviceTransfer WriteKeyTable(CommandChannel& channel, int page,
                                           std::span<const uint8_t> table, ReachableRule reachable,
                                           DeviceInfoBlock* info = nullptr);

}  // namespace dz
