#include "panels/audio/audio_bands.h"

#include <algorithm>
#include <cstring>
#include <limits>

namespace dz::panels {
namespace {

// Differences and sums of arbitrary 32-bit values exceed 32 bits; the band keeps the
// nearest value it can hold instead of wrapping into a negative level.
int32_t Saturate(int64_t v) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

AudioBands::Result AudioBands::OnSamplePacket(std::span<const uint8_t> bytes) {
    if (bytes.empty()) return Result::kIgnored;
    if (bytes.size() > sizeof(incoming_)) return Result::kRejected;
    std::memcpy(incoming_.data(), bytes.data(), bytes.size());
    ++counter_;
    std::array<int64_t, kSampleCount> d{};
    for (size_t i = 0; i < kSampleCount; ++i)
        d[i] = std::abs(int64_t{incoming_[i]} - int64_t{previous_[i]});
    previous_ = incoming_;
    // Four of each group of five differences make a band; the rest take no part.
    for (size_t j = 0; j < kBandCount; ++j) {
        const int64_t sum = d[5 * j] + d[5 * j + 1] + d[5 * j + 2] + d[5 * j + 3];
        bands_[j] = Saturate((int64_t{bands_[j]} + sum) / 4);
    }
    if (counter_ <= 2) return Result::kUpdated;
    block_.fill(0);
    std::copy(bands_.begin(), bands_.end(), block_.begin());
    counter_ = 0;
    return Result::kDeliver;
}

bool HostColourBuffer::OnColourPacket(std::span<const uint8_t> bytes) {
    if (bytes.empty() || bytes.size() > sizeof(values_)) return false;
    std::memcpy(values_.data(), bytes.data(), bytes.size());
    return true;
}

}  // namespace dz::panels
