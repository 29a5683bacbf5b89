#pragma once
// Macro recording: the events the input hook's keys and buttons make, the repeat
// suppression, and the recorder that puts them into the rows in the four forms (append,
// insert before the selected row, insert after it, replace its key or button) with the
// delay rule: each row gets the time until the next event.

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "macro/macro_event.h"
#include "macro/macro_rows.h"

namespace dz {

enum class RecordForm { kAppend, kInsertBefore, kInsertAfter, kReplace };
inline constexpr int kRecordFormCount = 4;

// The form of a recording hook mode (4, 8, 16, 32), or nothing.
[[nodiscard]] std::optional<RecordForm> RecordFormOfMode(int hook_mode);
[[nodiscard]] int HookModeOfForm(RecordForm form);

enum class TimingMode {
    kMeasured = 1,  // the time between the events
    kConstant = 2,  // the constant delay
    kNone = 3,      // 0
};

// A press is WM_KEYDOWN or WM_SYSKEYDOWN; anything else a release.
[[nodiscard]] bool IsKeyPressMessage(uint32_t wparam);

// The event of a key the hook reported, found by scan code and extended flag in the
// capture list: a modifier as type 9 with its bit, any other key as type 10 with its
// usage; delay "0". Nothing for a key outside the list.
[[nodiscard]] std::optional<MacroEvent> KeyEventOf(bool press, uint16_t scan_code, bool extended);
// The event of a mouse message of the hook: the buttons of the mouse table, the X button
// number (high word of the mouse data) choosing forward (2) or back (1). Nothing for any
// other message or X button.
[[nodiscard]] std::optional<MacroEvent> MouseEventOf(uint32_t message, uint32_t xbutton);

// Auto-repeat of a held key: a press of the key last pressed and not released since is
// dropped; releases always pass.
class KeyRepeatFilter {
  public:
    [[nodiscard]] bool Accept(uint32_t key, bool press);

  private:
    uint32_t last_key_ = 0xFFFFFFFF;
    bool last_pressed_ = false;
};

// A mouse message equal to the previous one is dropped.
class MouseRepeatFilter {
  public:
    [[nodiscard]] bool Accept(uint32_t message);

  private:
    uint32_t last_message_ = 0;
};

// The filters are process-wide, one of each per kind of recording message, shared by
// every editor.
[[nodiscard]] KeyRepeatFilter& SharedKeyFilter(RecordForm form);
[[nodiscard]] MouseRepeatFilter& SharedMouseFilter(RecordForm form);

// The constant delay as BeginRecording reads it from its edit: its number, within 0 to
// 65535; no digits give 0. `rewrite` says the edit's text must show `value` instead.
struct ConstantDelay {
    int value = 0;
    bool rewrite = false;
};
[[nodiscard]] ConstantDelay ReadConstantDelay(std::string_view edit_text);

// What one recorded event did to the rows.
struct RecordResult {
    bool taken = false;  // false: dropped (no selection, 4000 rows)
    int row = -1;        // the row added or replaced
    bool added = false;  // a new row (the view scrolls to the last row after an append)
};

class MacroRecorder {
  public:
    using Clock = std::chrono::steady_clock;

    // BeginRecording: the timing mode, the constant delay, now as the time of the last
    // event.
    void Begin(TimingMode timing, int constant_delay, Clock::time_point now);
    // Puts one event into the rows in `form`.
    RecordResult Record(RecordForm form, const MacroEvent& event, MacroRows& rows,
                        Clock::time_point now);

    [[nodiscard]] TimingMode Timing() const { return timing_; }
    [[nodiscard]] int ConstantDelayValue() const { return constant_delay_; }
    // Set by the first recorded event; kept for the life of the editor.
    [[nodiscard]] bool RecordedOnce() const { return recorded_once_; }

  private:
    TimingMode timing_ = TimingMode::kMeasured;
    int constant_delay_ = 0;
    Clock::time_point last_event_{};
    bool recorded_once_ = false;
};

}  // namespace dz
