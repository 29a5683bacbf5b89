#include "macro/macro_recording.h"

#include <algorithm>
#include <array>

#include "macro/macro_names.h"
#include "models/key_tables.h"
#include "platform/input/hook_records.h"

namespace dz {

std::optional<RecordForm> RecordFormOfMode(int hook_mode) {
    switch (hook_mode) {
        case input::kHookModeAppend:
            return RecordForm::kAppend;
        case input::kHookModeBefore:
            return RecordForm::kInsertBefore;
        case input::kHookModeAfter:
            return RecordForm::kInsertAfter;
        case input::kHookModeReplace:
            return RecordForm::kReplace;
        default:
            return std::nullopt;
    }
}

int HookModeOfForm(RecordForm form) {
    switch (form) {
        case RecordForm::kAppend:
            return input::kHookModeAppend;
        case RecordForm::kInsertBefore:
            return input::kHookModeBefore;
        case RecordForm::kInsertAfter:
            return input::kHookModeAfter;
        case RecordForm::kReplace:
            return input::kHookModeReplace;
    }
    return 0;
}

bool IsKeyPressMessage(uint32_t wparam) {
    return wparam == input::kWmKeyDown || wparam == input::kWmSysKeyDown;
}

std::optional<MacroEvent> KeyEventOf(bool press, uint16_t scan_code, bool extended) {
    const int row = FindCaptureKey(scan_code, extended);
    if (row < 0) return std::nullopt;
    const KeyFunctionCode code = KeyNameTable()[static_cast<size_t>(row)].code;
    MacroEvent event;
    if (code.second != 0) {
        event.type = kMacroEventKey;
        event.button = code.second;
    } else {
        event.type = kMacroEventModifier;
        event.button = code.first;
    }
    event.action = press ? "down" : "up";
    event.delay = "0";
    return event;
}

std::optional<MacroEvent> MouseEventOf(uint32_t message, uint32_t xbutton) {
    switch (message) {
        case input::kWmLButtonDown:
        case input::kWmLButtonUp:
        case input::kWmRButtonDown:
        case input::kWmRButtonUp:
        case input::kWmMButtonDown:
        case input::kWmMButtonUp:
            return ButtonEventOfMessage(message, false);
        case input::kWmXButtonDown:
        case input::kWmXButtonUp:
            if (xbutton != input::kXButtonBack && xbutton != input::kXButtonForward) break;
            return ButtonEventOfMessage(message, xbutton == input::kXButtonBack);
        default:
            break;
    }
    return std::nullopt;
}

bool KeyRepeatFilter::Accept(uint32_t key, bool press) {
    if (press) {
        if (key == last_key_ && last_pressed_) return false;
        last_key_ = key;
        last_pressed_ = true;
        return true;
    }
    if (key == last_key_) last_pressed_ = false;
    return true;
}

bool MouseRepeatFilter::Accept(uint32_t message) {
    if (message == last_message_) return false;
    last_message_ = message;
    return true;
}

KeyRepeatFilter& SharedKeyFilter(RecordForm form) {
    static std::array<KeyRepeatFilter, kRecordFormCount> filters;
    return filters[static_cast<size_t>(form)];
}

MouseRepeatFilter& SharedMouseFilter(RecordForm form) {
    static std::array<MouseRepeatFilter, kRecordFormCount> filters;
    return filters[static_cast<size_t>(form)];
}

ConstantDelay ReadConstantDelay(std::string_view edit_text) {
    const int parsed = ParseDelay(edit_text);
    ConstantDelay delay;
    delay.value = DisplayDelay(edit_text);
    delay.rewrite = parsed != delay.value;
    return delay;
}

void MacroRecorder::Begin(TimingMode timing, int constant_delay, Clock::time_point now) {
    timing_ = timing;
    constant_delay_ = constant_delay;
    last_event_ = now;
}

RecordResult MacroRecorder::Record(RecordForm form, const MacroEvent& event, MacroRows& rows,
                                   Clock::time_point now) {
    RecordResult result;
    const int selected = rows.Selected();
    if (form != RecordForm::kAppend && selected < 0) return result;
    if (form == RecordForm::kReplace) {
        MacroEvent replaced = rows.At(selected);
        replaced.type = event.type;
        replaced.button = event.button;
        rows.Update(selected, std::move(replaced));
        result.taken = true;
        result.row = selected;
        return result;
    }
    if (rows.Count() >= static_cast<int>(kMaxMacroEvents)) return result;

    int index = rows.Count();
    if (form == RecordForm::kInsertBefore) index = selected;
    if (form == RecordForm::kInsertAfter) index = selected + 1;
    MacroEvent added = event;
    added.delay = "0";
    rows.Insert(index, std::move(added));

    int delta = 0;
    if (timing_ == TimingMode::kConstant) {
        delta = constant_delay_;
    } else if (timing_ == TimingMode::kMeasured) {
        const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(now - last_event_);
        delta = static_cast<int>(
            std::min<long long>(std::max<long long>(ms.count(), 0), kMaxMacroDelay));
        last_event_ = now;
    }
    // The single-row case: a row with nothing before it gets 0 and no row gets delta.
    const bool first = form == RecordForm::kAppend ? rows.Count() == 1 : index == 0;
    if (!first) {
        rows.SetDelay(index, timing_ == TimingMode::kConstant ? constant_delay_ : 0);
        if (recorded_once_) rows.SetDelay(index - 1, delta);
    }
    recorded_once_ = true;
    // Insert-before keeps the selection on its row, so that the next event goes before it
    // too; the other forms select the new row.
    if (form != RecordForm::kInsertBefore) rows.Select(index);
    result.taken = true;
    result.row = index;
    result.added = true;
    return result;
}

}  // namespace dz
