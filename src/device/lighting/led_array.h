#pragma once
// The LED array of a device: one colour-and-alpha record per light. The lighting
// thread writes it and the UI thread reads it without a lock, so every element is
// one atomic word; a reader may see a frame that mixes two steps, never a torn light.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

namespace dz::lighting {

// The most lights a device has, plus the one extra light a 171-light frame shows.
inline constexpr size_t kMaxLights = 171;

// Three colour bytes (the first takes red, the second green, the third blue) and alpha.
struct LedRecord {
    uint8_t red = 0;
    uint8_t green = 0;
    uint8_t blue = 0;
    uint8_t alpha = 0;
    friend bool operator==(const LedRecord&, const LedRecord&) = default;
};

// The packed form of SetLedColour / GetLedColour: red in the low byte, alpha in the top.
[[nodiscard]] constexpr uint32_t PackLed(LedRecord r) {
    return static_cast<uint32_t>(r.red) | static_cast<uint32_t>(r.green) << 8 |
           static_cast<uint32_t>(r.blue) << 16 | static_cast<uint32_t>(r.alpha) << 24;
}
[[nodiscard]] constexpr LedRecord UnpackLed(uint32_t packed) {
    return {static_cast<uint8_t>(packed), static_cast<uint8_t>(packed >> 8),
            static_cast<uint8_t>(packed >> 16), static_cast<uint8_t>(packed >> 24)};
}

class LedArray {
  public:
    // `count` lights, all zero; a count above kMaxLights is cut to it.
    explicit LedArray(size_t count = 0);
    LedArray(const LedArray&) = delete;
    LedArray& operator=(const LedArray&) = delete;

    [[nodiscard]] size_t Size() const { return count_.load(std::memory_order_relaxed); }
    // Changes the number of lights and zeroes every light.
    void Resize(size_t count);

    // False, and nothing stored, when `index` is not a light of the array.
    bool Set(size_t index, LedRecord record);
    bool SetPacked(size_t index, uint32_t packed);
    // All zeros when `index` is not a light of the array.
    [[nodiscard]] LedRecord Get(size_t index) const;
    [[nodiscard]] uint32_t GetPacked(size_t index) const;
    // Gives every light of the array the same record.
    void Fill(LedRecord record);

    // Grows whenever a light changes (or the array is resized): a reader that sees the same
    // value as before may keep the frame it built from the array then.
    [[nodiscard]] uint64_t Version() const { return version_.load(std::memory_order_acquire); }

  private:
    std::array<std::atomic<uint32_t>, kMaxLights> leds_{};
    std::atomic<size_t> count_{0};
    std::atomic<uint64_t> version_{0};
};

}  // namespace dz::lighting
