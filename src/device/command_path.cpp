#include "device/command_path.h"

#include <mutex>

namespace dz {
namespace {

int OpenForCommands(HidInterface& hid, std::string_view path) {
    return hid.Open(path, true, true, true, false);
}

}  // namespace

int OpenCommandPath(CommandChannel& channel, std::string_view path, bool receiver_type) {
    std::lock_guard lock(channel.IoLock());
    HidInterface& hid = receiver_type ? channel.ReceiverInterface() : channel.CableInterface();
    if (OpenForCommands(hid, path) != 1) return 0;
    // The mode before the flag: an exchange that sees the channel open must also see
    // which interface to use.
    channel.SetMode(receiver_type ? kModeReceiver : kModeCable);
    channel.SetOpen(true);
    return 1;
}

void CloseCommandPaths(CommandChannel& channel) {
    channel.SetOpen(false);
    channel.CableInterface().Close();
    channel.ReceiverInterface().Close();
}

int SwitchCommandPath(CommandChannel& channel, std::string_view cable_path,
                      std::string_view receiver_path) {
    std::lock_guard lock(channel.IoLock());
    const bool to_cable = channel.IsReceiverMode();
    HidInterface& target = to_cable ? channel.CableInterface() : channel.ReceiverInterface();
    const bool was_open = channel.IsOpen();
    channel.SetOpen(false);
    target.Close();
    if (OpenForCommands(target, to_cable ? cable_path : receiver_path) != 1) {
        if (to_cable && was_open && channel.ReceiverInterface().IsOpen()) channel.SetOpen(true);
        return 0;
    }
    const int mode = to_cable ? kModeCable : kModeReceiver;
    channel.SetMode(mode);
    channel.SetOpen(true);
    return mode;
}

}  // namespace dz
