#include "models/mouse_io.h"

#include "platform/log/debug_log.h"

namespace dz {
namespace {

DeviceTransfer Sent(int result, uint8_t command) {
    return {result, result == kCmdOk ? uint8_t{0} : command};
}

void LogFailure(const char* what, const DeviceTransfer& t) {
    if (t.Ok()) return;
    log::DebugLineF("mouse %s: %s (%d)%s%s", what, CommandResultText(t.result), t.result,
                    t.refused != nullptr ? ": " : "", t.refused != nullptr ? t.refused : "");
}

}  // namespace

MouseTables ReadMouseTables(CommandChannel& channel) {
    MouseTables t;
    if (!kMouseReachable(channel)) {
        t.transfer = {kCmdNoExchange, 0, "the mouse is not reachable"};
        return t;
    }
    const char* refused = nullptr;
    t.transfer = InConfiguration(channel, [&]() -> DeviceTransfer {
        if (const int r = channel.ReadInfo(t.info); r != kCmdOk) return Sent(r, CMD_READ_INFO);
        t.info_read = true;
        t.key_count = MouseKeySlots(t.info);
        // A map that would not fit the channel's 512 bytes is not read; the mouse still
        // answers, so the transfer is closed.
        if (channel.SetKeyTableSize(static_cast<uint16_t>(t.key_count * kKeyTableEntrySize)) != 1) {
            refused = "the key slots would not fit a 512-byte table";
            return {kCmdOk};
        }
        return Sent(channel.ReadKeymap(t.button_map), CMD_READ_KEYMAP);
    });
    if (t.transfer.Ok() && refused != nullptr)
        t.transfer = {kCmdNotWritten, CMD_READ_KEYMAP, refused};
    LogFailure("opening read", t.transfer);
    if (t.transfer.Ok()) t.button_slots = BuildButtonSlotMap(t.button_map, t.key_count);
    return t;
}

MouseInfoRead ReadMouseInfo(CommandChannel& channel) {
    MouseInfoRead r;
    if (!kMouseReachable(channel)) return r;
    r.result = channel.ReadInfo(r.info);
    return r;
}

MousePageRead ReadMousePage(CommandChannel& channel, int profile) {
    MousePageRead r;
    if (!kMouseReachable(channel)) return r;
    r.profile = profile;
    r.result = channel.ReadSettings(static_cast<uint16_t>(profile * kMousePageStride), r.page);
    return r;
}

MousePageRead ReadCurrentMousePage(CommandChannel& channel) {
    MousePageRead r;
    if (!kMouseReachable(channel)) return r;
    std::array<uint8_t, 1> current{};
    r.result = channel.ReadSettings(0, current);
    if (r.result != kCmdOk) return r;
    r.profile = current[0];
    r.result = channel.ReadSettings(static_cast<uint16_t>(r.profile * kMousePageStride), r.page);
    return r;
}

DeviceTransfer WriteMouseSettingsPage(CommandChannel& channel, int profile,
                                      const MousePageBytes& page) {
    if (!kMouseReachable(channel)) return {kCmdNoExchange, 0, "the mouse is not reachable"};
    const DeviceTransfer t = InConfiguration(channel, [&] {
        return Sent(channel.WriteSettings(static_cast<uint16_t>(profile * kMousePageStride), page),
                    CMD_WRITE_SETTINGS);
    });
    LogFailure("settings page", t);
    return t;
}

DeviceTransfer WriteShootImage(CommandChannel& channel, std::span<const uint8_t> image) {
    // The header's sizes and the packets' offsets are 16 bits.
    if (image.size() > 0xFFFF) return {kCmdNotWritten, 0, "the shooting patterns are too large"};
    if (!kMouseReachable(channel)) return {kCmdNoExchange, 0, "the mouse is not reachable"};
    const DeviceTransfer t =
        InConfiguration(channel, [&] { return Sent(channel.WriteShoot(image), CMD_WRITE_SHOOT); });
    LogFailure("shooting patterns", t);
    return t;
}

MousePowerRead ReadMousePower(CommandChannel& channel) {
    if (!kMouseReachable(channel)) return {};
    return ReadPowerBytes(channel);
}

}  // namespace dz
