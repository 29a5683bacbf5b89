#include "models/key_pages.h"

#include <span>

#include "models/key_tables.h"

namespace dz {
namespace {

uint8_t Low8(int value) {
    return static_cast<uint8_t>(value & 0xFF);
}

uint8_t DelaySpeed(int delay, int speed) {
    return static_cast<uint8_t>(((delay & 15) << 4) | (speed & 15));
}

KeyFunctionCode FromList(std::span<const KeyFunctionCode> list, int row, KeyFunctionCode current) {
    if (row < 0 || static_cast<size_t>(row) >= list.size()) return current;
    return list[static_cast<size_t>(row)];
}

// Wheel steps are a signed byte: the second direction is the negated count. A count of 0
// gives 0 (no steps), not 0x80, which the device would take as 128 steps.
uint8_t WheelSecond(int count, int direction) {
    if (direction == 0) return static_cast<uint8_t>(count & 0x7F);
    if (count == 0) return 0;
    return static_cast<uint8_t>(((128 - count) & 0x7F) | 0x80);
}

KeyFunctionCode BuildMacro(const KeyPageInput& in, KeyFunctionCode current) {
    if (in.macro_row < 0 || in.macro_row >= in.macro_count) return current;
    const uint8_t macro = Low8(in.macro_row);
    if (in.macro_mode == kMacroModeRepeat) {
        return {kKeyTypeMacroRepeat, macro, Low8(in.repeat_count)};
    }
    // A mode list with nothing selected plays the macro in the first mode.
    const int mode = (in.macro_mode >= 0 && in.macro_mode < kMacroModeRepeat) ? in.macro_mode : 0;
    return {kKeyTypeMacro, macro, Low8(mode)};
}

void ReadKeyboard(KeyFunctionCode code, KeyPageView& view) {
    if (code.first == kModifierRightCtrl || code.first > 0x80) {
        view.page = KeyFunctionPage::kCombo;
        view.list_row = FindListRow(ComboShortcutList(), code);
        return;
    }
    view.page = KeyFunctionPage::kKeyboard;
    view.key_row = FindKeyByUsage(code.second);
    if (code.first == 0) {
        if (view.key_row < 0) view.code = {kKeyTypeKeyboard, 0, 0};
        return;
    }
    // Only a single modifier has an option; left and right share it.
    const int row = FindModifierRow(code.first);
    if (row >= 0) {
        view.modifier = ModifierChoiceOfRow(row);
    } else {
        view.code.first = 0;
    }
}

}  // namespace

bool KeyPageOffered(KeyFunctionPage page, int device_type) {
    constexpr int kKeyboard = 1, kKeyboardReceiver = 9;
    const bool keyboard = device_type == kKeyboard || device_type == kKeyboardReceiver;
    return !(keyboard && (page == KeyFunctionPage::kDpi || page == KeyFunctionPage::kGun));
}

KeyFunctionCode BuildKeyFunctionCode(const KeyPageInput& in, KeyFunctionCode current,
                                     KeyFunctionCode default_code) {
    switch (in.page) {
        case KeyFunctionPage::kMouseButton:
            return FromList(MouseButtonList(), in.list_row, current);
        case KeyFunctionPage::kDpi:
            return FromList(DpiFunctionList(), in.list_row, current);
        case KeyFunctionPage::kMedia:
            return FromList(MediaKeyList(), in.list_row, current);
        case KeyFunctionPage::kSystem:
            return FromList(SystemKeyList(), in.list_row, current);
        case KeyFunctionPage::kCombo:
            return FromList(ComboShortcutList(), in.list_row, current);
        case KeyFunctionPage::kMouseSwing:
            return {kKeyTypeMouseSwing, DelaySpeed(in.delay, in.speed),
                    static_cast<uint8_t>((in.count & 0x7F) | (in.direction != 0 ? 0x80 : 0))};
        case KeyFunctionPage::kMouseWheel:
            return {kKeyTypeMouseWheel, DelaySpeed(in.delay, in.speed),
                    WheelSecond(in.count, in.direction)};
        case KeyFunctionPage::kRapidFire:
            return {kKeyTypeRapidFire, Low8(in.interval), Low8(in.clicks)};
        case KeyFunctionPage::kKeyboard: {
            const bool chosen = in.modifier >= kModifierCtrl && in.modifier <= kModifierWin;
            const uint8_t modifier = chosen ? static_cast<uint8_t>(1u << (in.modifier - 1)) : 0;
            return {kKeyTypeKeyboard, modifier, in.key_usage};
        }
        case KeyFunctionPage::kMacro:
            return BuildMacro(in, current);
        case KeyFunctionPage::kGun:
            if (in.gun_row < 0) return current;
            return {kKeyTypeGun, Low8(in.gun_row), 0};
        case KeyFunctionPage::kDefault:
        case KeyFunctionPage::kNone:
            break;
    }
    return default_code;
}

KeyPageView ReadBackKeyFunctionCode(KeyFunctionCode code, KeyFunctionCode default_code,
                                    int macro_count) {
    KeyPageView view;
    view.code = code;
    if (code == default_code) {
        view.page = KeyFunctionPage::kDefault;
        return view;
    }
    const auto macro_or_none = [&](uint8_t macro) { return macro < macro_count ? int{macro} : -1; };
    switch (code.type) {
        case kKeyTypeMouseButton:
            view.page = KeyFunctionPage::kMouseButton;
            view.list_row = FindListRow(MouseButtonList(), code);
            break;
        case kKeyTypeDpi:
            view.page = KeyFunctionPage::kDpi;
            view.list_row = FindListRow(DpiFunctionList(), code);
            break;
        case kKeyTypeConsumer:
            view.page = KeyFunctionPage::kMedia;
            view.list_row = FindListRow(MediaKeyList(), code);
            break;
        case kKeyTypeSystem:
            view.page = KeyFunctionPage::kSystem;
            view.list_row = FindListRow(SystemKeyList(), code);
            break;
        case kKeyTypeMouseSwing:
        case kKeyTypeMouseWheel:
            view.page = code.type == kKeyTypeMouseSwing ? KeyFunctionPage::kMouseSwing
                                                        : KeyFunctionPage::kMouseWheel;
            view.delay = code.first >> 4;
            view.speed = code.first & 15;
            view.count = code.second & 0x7F;
            view.direction = code.second >> 7;
            if (code.type == kKeyTypeMouseWheel && view.direction != 0) {
                view.count = 128 - view.count;
            }
            break;
        case kKeyTypeRapidFire:
            view.page = KeyFunctionPage::kRapidFire;
            view.interval = code.first;
            view.clicks = code.second;
            break;
        case kKeyTypeKeyboard:
            ReadKeyboard(code, view);
            break;
        case kKeyTypeMacro:
            view.page = KeyFunctionPage::kMacro;
            view.macro_row = macro_or_none(code.first);
            view.macro_mode = code.second < kMacroModeRepeat ? int{code.second} : -1;
            break;
        case kKeyTypeMacroRepeat:
            view.page = KeyFunctionPage::kMacro;
            view.macro_row = macro_or_none(code.first);
            view.macro_mode = kMacroModeRepeat;
            view.repeat_count = code.second;
            view.show_repeat = true;
            break;
        case kKeyTypeGun:
            view.page = KeyFunctionPage::kGun;
            view.gun_row = code.first;
            break;
        case kKeyTypeCombo:
            view.page = KeyFunctionPage::kCombo;
            break;
        default:
            view.page = KeyFunctionPage::kNone;
            break;
    }
    return view;
}

}  // namespace dz
