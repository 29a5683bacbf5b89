#pragma once
// dozadirctl sync, apply, dpi and preview for the mouse: the mouse's opening read, the apply
// step of a profile, the DPI stages as the page edits them, and the preview of its lighting,
// on the same transfers, encodings and rules as the window.

#include <string>
#include <utility>
#include <vector>

#include "commands.h"

namespace dz {
class CommandChannel;
}

namespace dz::ctl {

// `args` after the device word. "mouse" takes the cable, else the receiver; "mouse-rx" the
// receiver only.
int MouseSyncCommand(Context& ctx, const std::vector<std::string>& args, bool receiver);
int MouseApplyCommand(Context& ctx, const std::vector<std::string>& args, bool receiver);
int MouseDpiCommand(Context& ctx, const std::vector<std::string>& args, bool receiver);
// No device is needed: the preview is computed.
int MousePreviewCommand(Context& ctx, const std::vector<std::string>& args);

// The screen size the mouse holds in its page 0 (0, 0 when it cannot be read): a settings
// page written from dozadirctl keeps it.
[[nodiscard]] std::pair<int, int> MouseScreen(CommandChannel& channel);

extern const char* const kMouseSyncUsage;
extern const char* const kMouseApplyUsage;
extern const char* const kMouseDpiUsage;
extern const char* const kMousePreviewUsage;

}  // namespace dz::ctl
