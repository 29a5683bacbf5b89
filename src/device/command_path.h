#pragma once
// Binding a device's command channel to its cable or receiver path: opening it when
// the device arrives, closing it when it goes, and moving it between the two paths.

#include <string_view>

#include "device/command_channel.h"

namespace dz {

// Under the I/O lock: opens the receiver interface (`receiver_type`) or the cable
// interface on `path` read+write, not exclusive; on success sets the mode (receiver
// 2, cable 1) and then the open flag. 1/0; on failure the channel stays closed.
int OpenCommandPath(CommandChannel& channel, std::string_view path, bool receiver_type);

// Clears the open flag and closes both interfaces. Not under the I/O lock: closing
// ends an exchange that is waiting on the interface, instead of waiting up to its
// time-out for it.
void CloseCommandPaths(CommandChannel& channel);

// Moves the channel to its other path: in receiver mode to the cable interface on
// `cable_path`, otherwise to the receiver interface on `receiver_path`. Under the I/O
// lock the open flag is cleared and that interface closed and reopened; on success the
// mode is inverted (payload 56 or 24) and the flag set again.
// Result: the new mode (kModeCable or kModeReceiver), or 0 when the other path did not
// open. Then a channel that was on its receiver stays there, open (the receiver is
// still bound; only the arriving cable failed), and a channel that was on its cable is
// closed (the cable went away, which is why it was being moved).
[[nodiscard]] int SwitchCommandPath(CommandChannel& channel, std::string_view cable_path,
                                    std::string_view receiver_path);

}  // namespace dz
