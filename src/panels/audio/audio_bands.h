#pragma once
// The main window's side of the capture program's packets: a sample packet updates 25 band
// values from the difference to the previous packet, and every third packet hands them to
// the keyboard; a colour packet carries up to six values for the host-colour effect.
// Qt-free, so the fuzz target and the tests use it alone.

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace dz::panels {

inline constexpr int64_t kSamplePacketTag = 1;
inline constexpr int64_t kColourPacketTag = 2;
inline constexpr int64_t kColourBlockTag = 10;
inline constexpr size_t kSampleCount = 500;
inline constexpr size_t kBandCount = 25;
inline constexpr size_t kHostColourCount = 6;
inline constexpr size_t kColourBlockBytes = 40;

class AudioBands {
  public:
    enum class Result {
        kIgnored,   // no bytes
        kRejected,  // longer than the sample buffer: nothing changes
        kUpdated,   // the bands changed, nothing to deliver yet
        kDeliver,   // the bands changed and Block() is due at the keyboard
    };
    using Block = std::array<int32_t, kSampleCount>;

    // One sample packet: up to 500 little-endian 32-bit values. A shorter packet overwrites
    // only the start of the incoming buffer (bytes, as they came); the rest keeps what
    // earlier packets left there.
    Result OnSamplePacket(std::span<const uint8_t> bytes);
    // The 25 bands followed by 475 zeros, as the keyboard takes them.
    [[nodiscard]] const Block& DeliveryBlock() const { return block_; }
    [[nodiscard]] const std::array<int32_t, kBandCount>& Bands() const { return bands_; }
    [[nodiscard]] int Counter() const { return counter_; }

  private:
    Block incoming_{};
    Block previous_{};
    std::array<int32_t, kBandCount> bands_{};
    Block block_{};
    int counter_ = 0;
};

// The colour buffer of the host-colour effect: a colour packet overwrites its start.
class HostColourBuffer {
  public:
    // False (nothing changes) for an empty packet or one longer than the six values.
    [[nodiscard]] bool OnColourPacket(std::span<const uint8_t> bytes);
    [[nodiscard]] const std::array<uint32_t, kHostColourCount>& Values() const { return values_; }

  private:
    std::array<uint32_t, kHostColourCount> values_{};
};

}  // namespace dz::panels
