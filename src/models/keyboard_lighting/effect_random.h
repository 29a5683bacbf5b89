#pragma once
// The random choices of the effects (colour indexes, twinkling lights): a small generator of
// our own, so that a seed gives the same sequence on every build (the preview command's
// --seed), uniform over each range asked for.

#include <cstdint>

namespace dz::keyboard_lighting {

class EffectRandom {
  public:
    explicit EffectRandom(uint64_t seed = 0) : state_(seed) {}

    void Seed(uint64_t seed) { state_ = seed; }

    // Uniform in 0 .. n-1 (0 when n is 0).
    [[nodiscard]] uint32_t Below(uint32_t n) {
        if (n == 0) return 0;
        // Lemire's multiply-and-reject: exact uniformity without a division per draw.
        uint64_t m = uint64_t{Next32()} * n;
        auto low = static_cast<uint32_t>(m);
        if (low < n) {
            const uint32_t threshold = static_cast<uint32_t>(-n) % n;
            while (low < threshold) {
                m = uint64_t{Next32()} * n;
                low = static_cast<uint32_t>(m);
            }
        }
        return static_cast<uint32_t>(m >> 32);
    }

  private:
    // splitmix64: every seed, 0 included, gives a full-period sequence.
    uint32_t Next32() {
        uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return static_cast<uint32_t>((z ^ (z >> 31)) >> 32);
    }

    uint64_t state_;
};

}  // namespace dz::keyboard_lighting
