#pragma once
// The event rows of the macro editor without the widgets: the selected macro's events in
// order with the selected row, and the editing operations (moves, deletions, insertions
// after the selection). The editor's list mirrors it: every change is queued as a row edit
// that the list applies, so a change touches only the rows it changes.

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "macro/macro_event.h"

namespace dz {

struct RowEdit {
    enum class Kind {
        kReset,   // the whole list was replaced
        kInsert,  // a row was inserted at `index`
        kRemove,  // the row at `index` was removed
        kUpdate,  // the row at `index` changed (its event or its delay)
    };
    Kind kind = Kind::kReset;
    int index = 0;
    friend bool operator==(const RowEdit&, const RowEdit&) = default;
};

enum class RowMove { kUp, kDown, kTop, kBottom };

// Mouse buttons of the insert menu, in the menu's order.
enum class MenuButton { kLeft, kMiddle, kRight, kForward, kBack };
// Pointer movements of the four insert buttons.
enum class Movement { kLeft, kRight, kUp, kDown };

class MacroRows {
  public:
    [[nodiscard]] const std::vector<MacroEvent>& Events() const { return events_; }
    [[nodiscard]] int Count() const { return static_cast<int>(events_.size()); }
    [[nodiscard]] const MacroEvent& At(int index) const {
        return events_[static_cast<size_t>(index)];
    }
    // -1 when no row is selected.
    [[nodiscard]] int Selected() const { return selected_; }
    // An index outside the rows selects none.
    void Select(int index);

    // Replaces every row; none selected.
    void Reset(std::vector<MacroEvent> events);
    void Insert(int index, MacroEvent event);
    void Remove(int index);
    void Update(int index, MacroEvent event);
    // The delay of a row, as the system itself changes it (recording).
    void SetDelay(int index, int delay);
    // The delay as the user typed it into the row's cell, which shows it already (no edit).
    void SetTypedDelay(int index, std::string text);

    // MoveRow: the selected row to its target, selected there; false (nothing changed)
    // without a selection or when it is already at the end it would move past.
    bool Move(RowMove move);
    // DeleteRow: false without a selection.
    bool DeleteSelected();
    void DeleteAll();
    // The insertion of InsertButton and InsertMovement: just after the selected row, after
    // the first row when none is selected, as the only row into an empty list; the new row
    // becomes the selected one. Answers its index.
    int InsertAfterSelection(MacroEvent event);

    // The edits since the last call, in order.
    [[nodiscard]] std::vector<RowEdit> TakeEdits();

  private:
    std::vector<MacroEvent> events_;
    int selected_ = -1;
    std::vector<RowEdit> edits_;
};

// The events of InsertButton: the press or the release of a menu button; for a click the
// press, then the release.
[[nodiscard]] MacroEvent ButtonEvent(MenuButton button, bool press);
// InsertButton by window message: the mouse-table entry with that message; for 0x020B and
// 0x020C `back` picks the back button instead of forward. Nothing for another message.
[[nodiscard]] std::optional<MacroEvent> ButtonEventOfMessage(uint32_t message, bool back);
// InsertMovement: the edit's text as a number, reduced to its low byte.
[[nodiscard]] MacroEvent MovementEvent(Movement direction, std::string_view distance_text);

// A delay cell's text as SaveMacro takes it: empty is 0; otherwise its number, kept
// within 0 to 65535 (what the cell accepts); as decimal text.
[[nodiscard]] std::string NormalisedDelayText(std::string_view cell_text);

// The row's event as the row keeps it (styled JSON text), and back.
[[nodiscard]] std::string EventText(const MacroEvent& event);
[[nodiscard]] std::optional<MacroEvent> ParseEventText(std::string_view text);

}  // namespace dz
