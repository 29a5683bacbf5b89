#include "models/mouse_buttons.h"

#include <algorithm>

namespace dz {
namespace {

constexpr std::array<KeyFunctionCode, kMouseButtons> kDefaultButtonCodes{{
    {0x10, 0x01, 0x00},  // left
    {0x10, 0x02, 0x00},  // right
    {0x10, 0x04, 0x00},  // middle
    {0x10, 0x10, 0x00},  // forward
    {0x10, 0x08, 0x00},  // back
    {0x13, 0x01, 0x00},  // DPI functions
    {0x13, 0x02, 0x00},
    {0x13, 0x03, 0x00},
    {0xA0, 0x1B, 0x00},  // game mode
    {0x16, 0x90, 0x01},
    {0x14, 0x78, 0x02},  // rapid fire
}};

}  // namespace

std::span<const KeyFunctionCode, kMouseButtons> DefaultButtonCodes() {
    return kDefaultButtonCodes;
}

ButtonSlotMap BuildButtonSlotMap(std::span<const uint8_t> button_map, int key_count) {
    ButtonSlotMap slots = NoButtonSlots();
    const size_t usable = std::min(button_map.size() / kKeyTableEntrySize,
                                   static_cast<size_t>(std::max(key_count, 0)));
    // A slot number must fit the map and differ from the absent mark.
    const size_t count = std::min<size_t>(usable, kNoButtonSlot);
    for (size_t j = 0; j < kDefaultButtonCodes.size(); ++j) {
        const KeyFunctionCode want = kDefaultButtonCodes[j];
        for (size_t k = 0; k < count; ++k) {
            const uint8_t* b = button_map.data() + k * kKeyTableEntrySize;
            if (b[0] == want.type && b[1] == want.first && b[2] == want.second) {
                slots[j] = static_cast<uint8_t>(k);
                break;
            }
        }
    }
    return slots;
}

bool IsLastLeftButton(std::span<const KeyFunctionCode> codes, int button) {
    const auto clicks_left = [](KeyFunctionCode c) {
        return c.type == kKeyTypeMouseButton && (c.first & kMouseButtonLeft) != 0;
    };
    if (button < 0 || static_cast<size_t>(button) >= codes.size() ||
        !clicks_left(codes[static_cast<size_t>(button)]))
        return false;
    return std::count_if(codes.begin(), codes.end(), clicks_left) == 1;
}

}  // namespace dz
