#include "macro/macro_rows.h"

#include <utility>

#include "macro/macro_names.h"
#include "profile/json_file.h"

namespace dz {

void MacroRows::Select(int index) {
    selected_ = (index >= 0 && index < Count()) ? index : -1;
}

void MacroRows::Reset(std::vector<MacroEvent> events) {
    events_ = std::move(events);
    selected_ = -1;
    edits_.clear();
    edits_.push_back({RowEdit::Kind::kReset, 0});
}

void MacroRows::Insert(int index, MacroEvent event) {
    if (index < 0 || index > Count()) index = Count();
    events_.insert(events_.begin() + index, std::move(event));
    // The selection stays on its row.
    if (selected_ >= index) ++selected_;
    edits_.push_back({RowEdit::Kind::kInsert, index});
}

void MacroRows::Remove(int index) {
    if (index < 0 || index >= Count()) return;
    events_.erase(events_.begin() + index);
    if (selected_ == index) {
        selected_ = -1;
    } else if (selected_ > index) {
        --selected_;
    }
    edits_.push_back({RowEdit::Kind::kRemove, index});
}

void MacroRows::Update(int index, MacroEvent event) {
    if (index < 0 || index >= Count()) return;
    events_[static_cast<size_t>(index)] = std::move(event);
    edits_.push_back({RowEdit::Kind::kUpdate, index});
}

void MacroRows::SetDelay(int index, int delay) {
    if (index < 0 || index >= Count()) return;
    MacroEvent event = At(index);
    event.delay = std::to_string(delay);
    Update(index, std::move(event));
}

void MacroRows::SetTypedDelay(int index, std::string text) {
    if (index < 0 || index >= Count()) return;
    events_[static_cast<size_t>(index)].delay = std::move(text);
}

bool MacroRows::Move(RowMove move) {
    const int from = selected_;
    if (from < 0) return false;
    const int last = Count() - 1;
    int to = from;
    switch (move) {
        case RowMove::kUp:
        case RowMove::kTop:
            if (from == 0) return false;
            to = move == RowMove::kUp ? from - 1 : 0;
            break;
        case RowMove::kDown:
        case RowMove::kBottom:
            if (from == last) return false;
            to = move == RowMove::kDown ? from + 1 : last;
            break;
    }
    MacroEvent event = At(from);
    Remove(from);
    Insert(to, std::move(event));
    selected_ = to;
    return true;
}

bool MacroRows::DeleteSelected() {
    if (selected_ < 0) return false;
    Remove(selected_);
    return true;
}

void MacroRows::DeleteAll() {
    Reset({});
}

int MacroRows::InsertAfterSelection(MacroEvent event) {
    int index = 0;
    if (selected_ >= 0) {
        index = selected_ + 1;
    } else if (!events_.empty()) {
        index = 1;
    }
    Insert(index, std::move(event));
    selected_ = index;
    return index;
}

std::vector<RowEdit> MacroRows::TakeEdits() {
    return std::exchange(edits_, {});
}

MacroEvent ButtonEvent(MenuButton button, bool press) {
    uint32_t message = 0;
    bool back = false;
    switch (button) {
        case MenuButton::kLeft:
            message = press ? 0x0201 : 0x0202;
            break;
        case MenuButton::kMiddle:
            message = press ? 0x0207 : 0x0208;
            break;
        case MenuButton::kRight:
            message = press ? 0x0204 : 0x0205;
            break;
        case MenuButton::kForward:
        case MenuButton::kBack:
            message = press ? 0x020B : 0x020C;
            back = button == MenuButton::kBack;
            break;
    }
    return *ButtonEventOfMessage(message, back);
}

std::optional<MacroEvent> ButtonEventOfMessage(uint32_t message, bool back) {
    const auto table = MacroMouseTable();
    for (size_t i = 0; i < kMacroMouseButtonRows; ++i) {
        const MacroMouseRow& row = table[i];
        if (row.message != message) continue;
        if ((message == 0x020B || message == 0x020C) && (row.mask == 8) != back) continue;
        MacroEvent event;
        event.type = row.event_code & 0x7F;
        event.button = row.mask;
        event.action = (row.event_code & 0x80) != 0 ? "down" : "up";
        event.delay = "0";
        return event;
    }
    return std::nullopt;
}

MacroEvent MovementEvent(Movement direction, std::string_view distance_text) {
    MacroEvent event;
    const bool horizontal = direction == Movement::kLeft || direction == Movement::kRight;
    event.type = horizontal ? kMacroEventMoveX : kMacroEventMoveY;
    event.button = ParseDelay(distance_text) & 0xFF;
    event.action = (direction == Movement::kLeft || direction == Movement::kUp) ? "down" : "up";
    event.delay = "0";
    return event;
}

std::string NormalisedDelayText(std::string_view cell_text) {
    if (cell_text.empty()) return "0";
    return std::to_string(DisplayDelay(cell_text));
}

std::string EventText(const MacroEvent& event) {
    Json::Value element(Json::objectValue);
    element["Type"] = event.type;
    element["Button"] = event.button;
    element["Action"] = event.action;
    element["Delay"] = event.delay;
    return StyledJsonText(element);
}

std::optional<MacroEvent> ParseEventText(std::string_view text) {
    if (text.empty()) return std::nullopt;
    const Json::Value element = ParseJsonText(text);
    if (!element.isObject()) return std::nullopt;
    return EventFromJson(element);
}

}  // namespace dz
