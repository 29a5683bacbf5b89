#pragma once
// Macro events written by hand, as the command line takes them ("down:A", "up:LCtrl",
// "click:left", "move:left:20", "delay:120"), and an event as a row of text (name, action,
// delay), as the editor shows it. Key names are those of the key table without their
// "keyboard_key_" prefix, any case, spaces optional ("LCtrl", "Num Lock" or "numlock").

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "macro/macro_event.h"

namespace dz {

struct TextEventsResult {
    std::vector<MacroEvent> events;  // `base` with the written events after it
    std::string error;               // empty when every word was understood
};

// Appends the events of `words` to `base`. "delay:N" (0 to 65535) sets the delay of the
// event before it, which may be the last one of `base`. Nothing is appended when a word is
// wrong: `error` names it.
[[nodiscard]] TextEventsResult AppendTextEvents(std::vector<MacroEvent> base,
                                                const std::vector<std::string>& words);

struct EventRowText {
    std::string name;    // "A", "LCtrl", "left", "move left", ...; "?" when no table names it
    std::string action;  // "down", "up", or a movement's distance
    int delay = 0;       // as the editor shows it (0 to 65535)
};
[[nodiscard]] EventRowText RowTextOf(const MacroEvent& event);

}  // namespace dz
