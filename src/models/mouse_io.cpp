#include "models/mouse_io.h"

#include "platform/log/debug_log.h"

namespace dz {
namespace {

// The device still answers: a transfer it opened is closed again.
bool DeviceAnswered(int result) {
    return result == kCmdOk || result == kCmdStatusFF || result == kCmdStatusFE;
}

void Note(MouseTransfer& t, int result) {
    if (result != kCmdOk && t.first_failure == kCmdOk) t.first_failure = result;
}

// BEGIN, `body`, END: every command is sent whatever the one before answered, as the
// mouse expects its transfers closed.
template <typename Body>
MouseTransfer Transfer(CommandChannel& channel, Body body) {
    MouseTransfer t;
    if (!MouseReachable(channel)) return t;
    Note(t, channel.Begin());
    Note(t, body());
    Note(t, channel.End());
    t.answer = kCmdOk;
    if (t.first_failure != kCmdOk)
        log::DebugLineF("mouse transfer: %s (%d)", CommandResultText(t.first_failure), t.first_failure);
    return t;
}

}  // namespace

bool MouseReachable(CommandChannel& channel) {
    return channel.IsOpen() && channel.LinkQuery();  // the cable answers yes without asking
}

MouseTables ReadMouseTables(CommandChannel& channel) {
    MouseTables t;
    if (!MouseReachable(channel)) return t;
    (void)channel.Begin();
    // Stops at the first failure; a transfer the mouse still answers is closed.
    auto stop = [&](int result, bool answered) {
        t.result = result;
        if (answered) (void)channel.End();
        return t;
    };
    if (const int r = channel.ReadInfo(t.info); r != kCmdOk) return stop(r, DeviceAnswered(r));
    t.info_read = true;
    t.key_count = MouseKeySlots(t.info);
    // A map that would not fit the channel's 512 bytes is not read.
    if (channel.SetKeyTableSize(static_cast<uint16_t>(t.key_count * kKeyTableEntrySize)) != 1)
        return stop(kCmdNotWritten, true);
    if (const int r = channel.ReadKeymap(t.button_map); r != kCmdOk)
        return stop(r, DeviceAnswered(r));
    (void)channel.End();
    t.button_slots = BuildButtonSlotMap(t.button_map, t.key_count);
    t.result = kCmdOk;
    return t;
}

MouseInfoRead ReadMouseInfo(CommandChannel& channel) {
    MouseInfoRead r;
    if (!MouseReachable(channel)) return r;
    r.result = channel.ReadInfo(r.info);
    return r;
}

MousePageRead ReadMousePage(CommandChannel& channel, int profile) {
    MousePageRead r;
    if (!MouseReachable(channel)) return r;
    r.profile = profile;
    r.result = channel.ReadSettings(static_cast<uint16_t>(profile * kMousePageStride), r.page);
    return r;
}

MousePageRead ReadCurrentMousePage(CommandChannel& channel) {
    MousePageRead r;
    if (!MouseReachable(channel)) return r;
    std::array<uint8_t, 1> current{};
    r.result = channel.ReadSettings(0, current);
    if (r.result != kCmdOk) return r;
    r.profile = current[0];
    r.result = channel.ReadSettings(static_cast<uint16_t>(r.profile * kMousePageStride), r.page);
    return r;
}

MouseTransfer WriteMouseSettingsPage(CommandChannel& channel, int profile,
                                     const MousePageBytes& page) {
    return Transfer(channel, [&] {
        return channel.WriteSettings(static_cast<uint16_t>(profile * kMousePageStride), page);
    });
}

MouseTransfer WriteShootImage(CommandChannel& channel, std::span<const uint8_t> image) {
    if (image.size() > 0xFFFF) {
        log::DebugLineF("shooting patterns of %zu bytes do not fit an image", image.size());
        return MouseTransfer{0, kCmdNotWritten};
    }
    return Transfer(channel, [&] { return channel.WriteShoot(image); });
}

MousePowerRead ReadMousePower(CommandChannel& channel) {
    MousePowerRead r;
    if (!MouseReachable(channel)) return r;
    r.result = channel.ReadPower(0, r.bytes);
    if (r.result == kCmdOk) r.bytes[3] = channel.IsReceiverMode() ? 1 : 0;
    return r;
}

}  // namespace dz
