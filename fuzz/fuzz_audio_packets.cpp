// Arbitrary data copies as the capture program's packets: the first byte picks sample or
// colour packet, the rest is the packet. The bands never read or write past their buffers.
#include <cstddef>
#include <cstdint>
#include <span>

#include "panels/audio/audio_bands.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static dz::panels::AudioBands bands;
    static dz::panels::HostColourBuffer colour;
    if (size == 0) return 0;
    const std::span<const uint8_t> packet(data + 1, size - 1);
    if (data[0] & 1) {
        (void)colour.OnColourPacket(packet);
    } else if (bands.OnSamplePacket(packet) == dz::panels::AudioBands::Result::kDeliver) {
        volatile int32_t sink = bands.DeliveryBlock()[24];
        (void)sink;
    }
    return 0;
}
