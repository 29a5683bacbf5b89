#include "platform/input/input_session.h"

#include <cstdlib>
#include <string_view>

#include "platform/input/x11_input.h"
#include "platform/log/debug_log.h"

namespace dz::input {
namespace {

bool EnvSet(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

}  // namespace

SessionFacts CurrentSessionFacts(bool toolkit_on_x11) {
    SessionFacts facts;
    const char* type = std::getenv("XDG_SESSION_TYPE");
    facts.wayland_session =
        EnvSet("WAYLAND_DISPLAY") || (type != nullptr && std::string_view(type) == "wayland");
    facts.toolkit_on_x11 = toolkit_on_x11;
    return facts;
}

InputSource OpenInputSource(const SessionFacts& facts) {
    InputSource source;
    std::unique_ptr<X11Input> x11 = EnvSet("DISPLAY") ? X11Input::Open() : nullptr;
    if (x11 == nullptr) {
        log::DebugLine("input: no source of input events (no X11 display)");
        return source;
    }
    const bool partial = facts.wayland_session || x11->IsXwayland();
    if (!partial) {
        source.coverage = InputCoverage::kDesktop;
    } else {
        // The compositor gives an X11 client only the input of its own focused windows.
        source.coverage = facts.toolkit_on_x11 ? InputCoverage::kOwnWindows : InputCoverage::kNone;
        log::DebugLine("input: X11 under Wayland sees only this program's windows");
    }
    if (source.coverage != InputCoverage::kNone) source.backend = std::move(x11);
    return source;
}

}  // namespace dz::input
