#pragma once
// Which source the input hook reads, and how much of the desktop it sees: X11 raw events
// on an X11 desktop; under Wayland the keyboards' evdev nodes when the user may open them
// (the compositor shows X11 programs only their own input), else X11 for this program's
// own windows, else nothing.

#include <memory>
#include <string>

#include "platform/input/hook_records.h"
#include "platform/input/input_backend.h"

namespace dz::input {

struct SessionFacts {
    bool wayland_session = false;  // WAYLAND_DISPLAY or XDG_SESSION_TYPE=wayland
    bool toolkit_on_x11 = true;    // this program's windows are X11 windows
};

// The environment of this process.
[[nodiscard]] SessionFacts CurrentSessionFacts(bool toolkit_on_x11);

struct InputSource {
    std::unique_ptr<InputBackend> backend;  // null when nothing can be read
    InputCoverage coverage = InputCoverage::kNone;
};

// Opens the best source for `facts` (evdev is only tried under Wayland, or without X11).
[[nodiscard]] InputSource OpenInputSource(const SessionFacts& facts);

}  // namespace dz::input
