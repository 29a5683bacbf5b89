#include "models/macro_image.h"

#include <algorithm>

namespace dz {
namespace {

void Put16(std::vector<uint8_t>& image, size_t at, size_t value) {
    image[at] = static_cast<uint8_t>(value & 0xFF);
    image[at + 1] = static_cast<uint8_t>((value >> 8) & 0xFF);
}

constexpr size_t kOffsetEntrySize = 2;
constexpr size_t kEntryHeaderSize = 4;
constexpr size_t kEventSize = 4;

}  // namespace

size_t MacroImageSize(std::span<const size_t> event_counts) {
    size_t size = kMacroImageHeaderSize;
    for (size_t events : event_counts)
        size += kOffsetEntrySize + kEntryHeaderSize + kEventSize * events;
    return size;
}

std::vector<uint8_t> BuildMacroImage(std::span<const std::vector<MacroEvent>> entries) {
    std::vector<size_t> counts;
    counts.reserve(entries.size());
    for (const auto& events : entries) counts.push_back(events.size());
    std::vector<uint8_t> image(MacroImageSize(counts), 0);
    Put16(image, 0, kMacroImageMagic);
    Put16(image, 2, image.size());
    Put16(image, 4, entries.size());
    size_t at = kMacroImageHeaderSize + kOffsetEntrySize * entries.size();
    for (size_t i = 0; i < entries.size(); ++i) {
        Put16(image, kMacroImageHeaderSize + kOffsetEntrySize * i, at);
        Put16(image, at, entries[i].size());
        at += kEntryHeaderSize;
        for (const MacroEvent& event : entries[i]) {
            const MacroEventCode code = ToDeviceCode(event);
            std::copy(code.begin(), code.end(), image.begin() + static_cast<long>(at));
            at += kEventSize;
        }
    }
    return image;
}

int MacroShortage(size_t size, size_t capacity) {
    if (size <= capacity) return 0;
    return static_cast<int>((size - capacity) / kEventSize) + 1;
}

std::vector<int> MacrosInUse(std::span<const KeyFunctionCode> codes, int macro_count) {
    std::vector<int> in_use;
    for (const KeyFunctionCode& code : codes) (void)DeviceKeyCode(code, code, macro_count, in_use);
    return in_use;
}

KeyFunctionCode DeviceKeyCode(KeyFunctionCode code, KeyFunctionCode default_code, int macro_count,
                              std::vector<int>& in_use) {
    if (!IsMacroCode(code)) return code;
    const int macro = code.first;
    if (macro >= macro_count) return default_code;
    auto at = std::find(in_use.begin(), in_use.end(), macro);
    if (at == in_use.end()) at = in_use.insert(in_use.end(), macro);
    code.first = static_cast<uint8_t>(at - in_use.begin());
    return code;
}

}  // namespace dz
