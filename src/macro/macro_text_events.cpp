#include "macro/macro_text_events.h"

#include <cctype>
#include <charconv>

#include "macro/macro_names.h"
#include "macro/macro_recording.h"
#include "macro/macro_rows.h"
#include "models/key_tables.h"

namespace dz {
namespace {

constexpr std::string_view kKeyPrefix = "keyboard_key_";
constexpr std::string_view kMousePrefix = "mouse_key_";

// Lower case without spaces: how names are compared.
std::string Folded(std::string_view s) {
    std::string out;
    for (const char c : s) {
        if (c != ' ') out.push_back(static_cast<char>(std::tolower(static_cast<unsigned char>(c))));
    }
    return out;
}

std::vector<std::string_view> Split(std::string_view word) {
    std::vector<std::string_view> parts;
    size_t start = 0;
    for (;;) {
        const size_t colon = word.find(':', start);
        parts.push_back(
            word.substr(start, colon == std::string_view::npos ? colon : colon - start));
        if (colon == std::string_view::npos) return parts;
        start = colon + 1;
    }
}

// A whole decimal number within [0, max].
std::optional<int> Number(std::string_view text, int max) {
    int value = 0;
    const char* end = text.data() + text.size();
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end || value < 0 || value > max)
        return std::nullopt;
    return value;
}

// A key of the capture list: the keys recording can give are the keys a macro can hold.
std::optional<MacroEvent> KeyEvent(std::string_view name, bool press) {
    const std::string wanted = Folded(name);
    const auto names = KeyNameTable();
    const auto capture = CaptureKeyTable();
    for (size_t row = 0; row < kCaptureKeyCount; ++row) {
        if (Folded(names[row].name.substr(kKeyPrefix.size())) != wanted) continue;
        return KeyEventOf(press, capture[row].scan_code, capture[row].extended);
    }
    return std::nullopt;
}

std::optional<MenuButton> ButtonOf(std::string_view name) {
    const std::string n = Folded(name);
    if (n == "left") return MenuButton::kLeft;
    if (n == "middle") return MenuButton::kMiddle;
    if (n == "right") return MenuButton::kRight;
    if (n == "forward") return MenuButton::kForward;
    if (n == "back") return MenuButton::kBack;
    return std::nullopt;
}

std::optional<Movement> MovementOf(std::string_view name) {
    const std::string n = Folded(name);
    if (n == "left") return Movement::kLeft;
    if (n == "right") return Movement::kRight;
    if (n == "up") return Movement::kUp;
    if (n == "down") return Movement::kDown;
    return std::nullopt;
}

// The events of one word, or the reason it is wrong.
std::string EventsOfWord(std::string_view word, std::vector<MacroEvent>& out) {
    const std::vector<std::string_view> parts = Split(word);
    const std::string_view verb = parts[0];
    if ((verb == "down" || verb == "up") && parts.size() == 2) {
        const bool press = verb == "down";
        if (const auto button = ButtonOf(parts[1])) {
            out.push_back(ButtonEvent(*button, press));
            return {};
        }
        if (auto key = KeyEvent(parts[1], press)) {
            out.push_back(std::move(*key));
            return {};
        }
        return "no key or button named " + std::string(parts[1]);
    }
    if (verb == "click" && parts.size() == 2) {
        const auto button = ButtonOf(parts[1]);
        if (!button)
            return "no button named " + std::string(parts[1]) +
                   " (left, middle, right, forward, back)";
        out.push_back(ButtonEvent(*button, true));
        out.push_back(ButtonEvent(*button, false));
        return {};
    }
    if (verb == "move" && parts.size() == 3) {
        const auto direction = MovementOf(parts[1]);
        if (!direction) return "no direction " + std::string(parts[1]) + " (left, right, up, down)";
        if (!Number(parts[2], 255)) return "a distance is 0 to 255, not " + std::string(parts[2]);
        out.push_back(MovementEvent(*direction, parts[2]));
        return {};
    }
    return "not an event (down:KEY, up:KEY, click:BUTTON, move:DIRECTION:N, delay:MS)";
}

}  // namespace

TextEventsResult AppendTextEvents(std::vector<MacroEvent> base,
                                  const std::vector<std::string>& words) {
    // Written on a copy: a wrong word leaves `base` as it was, its last delay included.
    std::vector<MacroEvent> events = base;
    for (const std::string& word : words) {
        std::string error;
        if (word.starts_with("delay:")) {
            const auto ms = Number(std::string_view(word).substr(6), kMaxMacroDelay);
            if (!ms) {
                error = "a delay is 0 to 65535 ms";
            } else if (events.empty()) {
                error = "a delay follows the event it belongs to";
            } else {
                events.back().delay = std::to_string(*ms);
            }
        } else {
            error = EventsOfWord(word, events);
        }
        if (!error.empty()) return {std::move(base), word + ": " + error};
    }
    return {std::move(events), {}};
}

EventRowText RowTextOf(const MacroEvent& event) {
    EventRowText row;
    const std::string_view id = MacroEventName(event);
    if (id.starts_with(kKeyPrefix)) {
        row.name = id.substr(kKeyPrefix.size());
    } else if (id.starts_with(kMousePrefix)) {
        row.name = id.substr(kMousePrefix.size());
    } else if (event.type == kMacroEventMoveX || event.type == kMacroEventMoveY) {
        row.name = event.type == kMacroEventMoveX ? (event.IsPress() ? "move left" : "move right")
                                                  : (event.IsPress() ? "move up" : "move down");
    } else {
        row.name = "?";
    }
    if (event.type == kMacroEventMoveX || event.type == kMacroEventMoveY) {
        row.action = std::to_string(event.button);
    } else {
        row.action = event.IsPress() ? "down" : "up";
    }
    row.delay = DisplayDelay(event.delay);
    return row;
}

}  // namespace dz
