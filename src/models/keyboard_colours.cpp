#include "models/keyboard_colours.h"

namespace dz {

KeyColourPage BuildKeyColourPage(std::span<const lighting::LedRecord> lights,
                                 const KeyboardMaps& maps) {
    KeyColourPage page{};
    for (int p = 0; p < kKeyboardPositions && static_cast<size_t>(p) < lights.size(); ++p) {
        const uint8_t t = maps.led[static_cast<size_t>(p)];
        if (t == kKeyboardNoSlot || t >= kKeyboardLights) continue;
        const lighting::LedRecord& c = lights[static_cast<size_t>(p)];
        page[3u * t] = c.red;
        page[3u * t + 1] = c.green;
        page[3u * t + 2] = c.blue;
    }
    return page;
}

KeyColourPage BuildKeyColourPage(const lighting::LedArray& leds, const KeyboardMaps& maps) {
    std::array<lighting::LedRecord, kKeyboardPositions> lights{};
    for (size_t p = 0; p < lights.size(); ++p) lights[p] = leds.Get(p);
    return BuildKeyColourPage(lights, maps);
}

std::vector<KeyColor> ColoursFromPage(std::span<const uint8_t> page, const KeyboardMaps& maps,
                                      uint8_t alpha) {
    std::vector<KeyColor> colours(kKeyboardLights, KeyColor{0, 0, 0, alpha});
    for (int p = 0; p < kKeyboardPositions; ++p) {
        const size_t t = maps.led[static_cast<size_t>(p)];
        if (t == kKeyboardNoSlot || 3 * t + 2 >= page.size()) continue;
        colours[static_cast<size_t>(p)] = {page[3 * t], page[3 * t + 1], page[3 * t + 2], alpha};
    }
    return colours;
}

KeyboardFrame BuildKeyboardFrame(std::span<const uint8_t> light_frame, const KeyboardMaps& maps) {
    KeyboardFrame frame{};
    for (int p = 0; p < kKeyboardPositions; ++p) {
        const size_t t = maps.led[static_cast<size_t>(p)];
        const size_t from = 3 * static_cast<size_t>(p);
        if (t == kKeyboardNoSlot || t >= kKeyboardPositions || from + 2 >= light_frame.size())
            continue;
        for (size_t k = 0; k < 3; ++k) frame[3 * t + k] = light_frame[from + k];
    }
    return frame;
}

}  // namespace dz
