#include "platform/input/device_hook.h"

#include <linux/input-event-codes.h>

#include "platform/input/key_translation.h"
#include "platform/ipc/registered_messages.h"
#include "platform/log/debug_log.h"

namespace dz::input {

CDeviceHook::CDeviceHook(std::unique_ptr<InputBackend> backend, InputCoverage coverage)
    : backend_(std::move(backend)), coverage_(backend_ ? coverage : InputCoverage::kNone) {}

CDeviceHook::~CDeviceHook() {
    StopHook();
}

bool CDeviceHook::KeyboardGrabbed() const {
    return backend_ && backend_->KeyboardGrabbed();
}

int CDeviceHook::StartHook(int mode, HookWindow* window, bool keyboard_hook, bool library_hook) {
    if (keyboard_on_ && backend_) backend_->StopKeys();
    keyboard_on_ = false;
    left_alt_ = right_alt_ = false;
    if (keyboard_hook) {
        const uint64_t grab_window = window != nullptr ? window->GrabWindow() : 0;
        if (!backend_ ||
            !backend_->StartKeys([this](const RawKeyEvent& e) { OnKey(e); }, true, grab_window)) {
            log::DebugLine("input: the keyboard hook could not be installed");
            return 0;
        }
        keyboard_on_ = true;
    }
    if (library_hook && backend_ && !mouse_on_) {
        // Its result is not looked at: recording goes on with the keys alone.
        mouse_on_ = backend_->StartButtons([this](const RawButtonEvent& e) { OnButton(e); });
    }
    mode_ = mode;
    window_ = window;
    return 1;
}

void CDeviceHook::StopHook() {
    if (backend_) {
        if (keyboard_on_) backend_->StopKeys();
        if (mouse_on_) backend_->StopButtons();
    }
    keyboard_on_ = false;
    mouse_on_ = false;
}

void CDeviceHook::Deliver(std::string_view name, uint32_t wparam, const KeyHookRecord* key,
                          const MouseHookRecord* mouse) {
    if (window_ == nullptr || name.empty()) return;
    HookMessage message;
    message.number = ipc::RegisterMessage(name);
    message.name = name;
    message.mode = mode_;
    message.wparam = wparam;
    message.key = key;
    message.mouse = mouse;
    window_->OnHookMessage(message);
}

void CDeviceHook::OnKey(const RawKeyEvent& event) {
    if (!keyboard_on_) return;
    const bool was_alt = left_alt_ || right_alt_;
    if (event.linux_code == KEY_LEFTALT) left_alt_ = event.press;
    if (event.linux_code == KEY_RIGHTALT) right_alt_ = event.press;
    const bool alt = left_alt_ || right_alt_ || was_alt;
    const std::optional<HookKey> translated = TranslateLinuxKey(event.linux_code);
    KeyHookRecord record;
    record.vk_code = translated ? translated->vk_code : 0xFF;
    record.scan_code = translated ? translated->scan_code : 0;
    record.flags = (translated && translated->extended ? kKeyFlagExtended : 0) |
                   (event.press ? 0 : kKeyFlagUp) | (left_alt_ || right_alt_ ? kKeyFlagAltDown : 0);
    record.time = event.time;
    // With Alt held the system reports keys as system keys.
    const uint32_t wparam =
        event.press ? (alt ? kWmSysKeyDown : kWmKeyDown) : (alt ? kWmSysKeyUp : kWmKeyUp);
    const HookMessageName* names = FindHookMessageName(mode_);
    Deliver(names != nullptr ? names->keyboard : std::string_view{}, wparam, &record, nullptr);
}

void CDeviceHook::OnButton(const RawButtonEvent& event) {
    if (!mouse_on_) return;
    uint32_t message = 0;
    uint32_t data = 0;
    switch (event.button) {
        case 1:
            message = event.press ? kWmLButtonDown : kWmLButtonUp;
            break;
        case 2:
            message = event.press ? kWmMButtonDown : kWmMButtonUp;
            break;
        case 3:
            message = event.press ? kWmRButtonDown : kWmRButtonUp;
            break;
        case 8:
        case 9:
            message = event.press ? kWmXButtonDown : kWmXButtonUp;
            data = (event.button == 8 ? kXButtonBack : kXButtonForward) << 16;
            break;
        case 4:
        case 5:
        case 6:
        case 7: {
            // A wheel notch is one press and release; the hook reports it once.
            if (!event.press) return;
            message = event.button <= 5 ? kWmMouseWheel : kWmMouseHWheel;
            const int delta = (event.button == 4 || event.button == 7) ? kWheelDelta : -kWheelDelta;
            data = static_cast<uint32_t>(static_cast<uint16_t>(static_cast<int16_t>(delta))) << 16;
            break;
        }
        default:
            return;
    }
    MouseHookRecord record;
    record.x = event.x;
    record.y = event.y;
    record.mouse_data = data;
    record.flags = event.has_position ? 0 : kMouseFlagNoPosition;
    record.time = event.time;
    const HookMessageName* names = FindHookMessageName(mode_);
    Deliver(names != nullptr ? names->mouse : std::string_view{}, message, nullptr, &record);
}

}  // namespace dz::input
