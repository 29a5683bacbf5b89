#include "device/light_frame.h"

#include <algorithm>
#include <span>
#include <utility>

namespace dz {
namespace {

constexpr uint8_t Scaled(uint8_t colour, uint8_t alpha) {
    return static_cast<uint8_t>(static_cast<unsigned>(colour) * alpha / 256u);
}

}  // namespace

void BuildLightFrame(const lighting::LedArray& leds, int light_count, const LightVisibleFn& visible,
                     const PaintButtonFn& paint, LightFrameBytes& frame) {
    frame.fill(0);
    const int count = std::clamp<int>(light_count, 0, static_cast<int>(leds.Size()));
    for (int i = 0; i < count; ++i) {
        // One load per light: the lighting thread may be writing the array meanwhile.
        const lighting::LedRecord led = leds.Get(static_cast<size_t>(i));
        if (paint && visible && visible(i)) paint(i, ButtonColour(led), led.alpha);
        if (i >= kUnstreamedLight) continue;
        const size_t at = static_cast<size_t>(i) * 3;
        frame[at] = Scaled(led.red, led.alpha);
        frame[at + 1] = Scaled(led.green, led.alpha);
        frame[at + 2] = Scaled(led.blue, led.alpha);
    }
}

LightFrameStreamer::LightFrameStreamer(CommandChannel& channel, NowFn now)
    : channel_(channel), now_(std::move(now)) {}

bool LightFrameStreamer::InPause() const {
    return paused_ && now_() < resume_at_;
}

FrameOutcome LightFrameStreamer::Stream(const LightFrameBytes& frame, int light_count) {
    if (channel_.IsReceiverMode()) return FrameOutcome::kReceiverMode;
    if (paused_) {
        if (now_() < resume_at_) return FrameOutcome::kPaused;
        paused_ = false;
    }
    // 171 lights would ask for one byte past the frame.
    const size_t length = std::min(static_cast<size_t>(std::max(light_count, 0)) * 3, frame.size());
    bool dropped = false;
    last_result_ = channel_.LightFrame(std::span<const uint8_t>(frame.data(), length), &dropped);
    if (last_result_ == kCmdOk) return dropped ? FrameOutcome::kDropped : FrameOutcome::kStreamed;
    paused_ = true;
    resume_at_ = now_() + kFailurePause;
    return FrameOutcome::kFailed;
}

int HostLightingFlag::Set(int value, uint16_t device_type) {
    Store(value);
    if (Sends(value, device_type)) return channel_.HostLighting();
    return kCmdOk;
}

}  // namespace dz
