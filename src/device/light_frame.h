#pragma once
// The light frame of a device: the LED array turned into the bytes streamed with
// CMD_LIGHT_FRAME and the colours its light buttons show, the stream with its pause
// after a failure, and the host-lighting flag.

#include <array>
#include <atomic>
#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>

#include "device/command_channel.h"
#include "device/lighting/led_array.h"

namespace dz {

inline constexpr size_t kLightFrameSize = 512;
using LightFrameBytes = std::array<uint8_t, kLightFrameSize>;

// Shown on its button but never streamed: its bytes would not fit the frame's 170 lights.
inline constexpr int kUnstreamedLight = 170;

// The colour a light button shows: first byte + third byte × 256 + second × 65536.
[[nodiscard]] constexpr uint32_t ButtonColour(lighting::LedRecord r) {
    return static_cast<uint32_t>(r.red) + static_cast<uint32_t>(r.blue) * 256u +
           static_cast<uint32_t>(r.green) * 65536u;
}

// Whether light `light` has a button that is visible.
using LightVisibleFn = std::function<bool(int light)>;
// Gives light `light`'s button its colour (ButtonColour) and alpha.
using PaintButtonFn = std::function<void(int light, uint32_t colour, uint8_t alpha)>;

// Fills `frame` from the first `light_count` lights of `leds` (no more than the array
// holds): zeros, then each colour byte × alpha / 256 at 3i, 3i+1, 3i+2, except for light
// 170. `paint` is called for every light `visible` accepts; either may be empty (then no
// button is painted).
void BuildLightFrame(const lighting::LedArray& leds, int light_count, const LightVisibleFn& visible,
                     const PaintButtonFn& paint, LightFrameBytes& frame);

enum class FrameOutcome {
    kStreamed,      // every packet was sent: result 1
    kDropped,       // the channel was busy, so the frame (or its rest) was left out: result 1
    kReceiverMode,  // nothing is streamed through a receiver
    kPaused,        // inside the pause after a failed frame: skipped
    kFailed,        // the channel gave another result; the pause starts now
};

// Streams frames over the cable. After a result other than 1 the frames of the next
// 200 ms are skipped, so a device that stops answering is not flooded; the caller (the
// frame timer on the UI thread) is never held up by the pause. Used from one thread.
class LightFrameStreamer {
  public:
    using Clock = std::chrono::steady_clock;
    using NowFn = std::function<Clock::time_point()>;
    static constexpr std::chrono::milliseconds kFailurePause{200};

    explicit LightFrameStreamer(CommandChannel& channel, NowFn now = &Clock::now);

    // Sends light_count × 3 bytes of `frame` (at most the whole frame) with
    // CMD_LIGHT_FRAME.
    FrameOutcome Stream(const LightFrameBytes& frame, int light_count);
    // The channel's result of the last frame sent (1 before the first).
    [[nodiscard]] int LastResult() const { return last_result_; }
    [[nodiscard]] bool InPause() const;

  private:
    CommandChannel& channel_;
    NowFn now_;
    Clock::time_point resume_at_{};
    bool paused_ = false;
    int last_result_ = kCmdOk;
};

// The host-lighting flag of a device (initially set): while set, the LED frame is shown
// and streamed. Setting it on a keyboard on its cable (device type 1) hands the lighting
// back to the host with CMD_HOST_LIGHTING.
class HostLightingFlag {
  public:
    static constexpr uint16_t kSendingDeviceType = 1;

    explicit HostLightingFlag(CommandChannel& channel) : channel_(channel) {}

    // Stores `value`; the result of CMD_HOST_LIGHTING when it was sent, else 1.
    int Set(int value, uint16_t device_type);
    // The two halves of Set, for an owner that sends on another thread.
    void Store(int value) { value_.store(value); }
    [[nodiscard]] static bool Sends(int value, uint16_t device_type) {
        return value != 0 && device_type == kSendingDeviceType;
    }
    [[nodiscard]] bool IsSet() const { return value_.load() != 0; }
    [[nodiscard]] int Value() const { return value_.load(); }

  private:
    CommandChannel& channel_;
    std::atomic<int> value_{1};
};

}  // namespace dz
