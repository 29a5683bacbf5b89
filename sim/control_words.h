#pragma once
// The words that name device kinds, paths and faults when the emulator is driven from
// outside (the session-bus service and "dozadirctl sim"), so both sides agree.

#include <optional>
#include <string_view>

#include "sim/sim_types.h"

namespace dz::sim {

// "keyboard", "mouse", "mousepad", "headset": KindName's words.
[[nodiscard]] std::optional<DeviceKind> KindFromWord(std::string_view word);
// "cable", "receiver": LinkName's words.
[[nodiscard]] std::optional<Link> LinkFromWord(std::string_view word);
// "ff", "fe", "no-answer", "wrong-code", "disconnect", "late-answer", "double-answer",
// "link-lost".
[[nodiscard]] std::optional<FaultKind> FaultFromWord(std::string_view word);
[[nodiscard]] const char* FaultWord(FaultKind fault);

// The accepted words as a comma list, for messages.
[[nodiscard]] std::string_view KindWordList();
[[nodiscard]] std::string_view LinkWordList();
[[nodiscard]] std::string_view FaultWordList();

}  // namespace dz::sim
