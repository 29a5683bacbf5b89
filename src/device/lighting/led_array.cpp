#include "device/lighting/led_array.h"

#include <algorithm>

namespace dz::lighting {

// Relaxed order throughout: a light is one word, and nothing else is published with it.

LedArray::LedArray(size_t count) {
    Resize(count);
}

void LedArray::Resize(size_t count) {
    for (auto& led : leds_) led.store(0, std::memory_order_relaxed);
    count_.store(std::min(count, kMaxLights), std::memory_order_relaxed);
    version_.fetch_add(1, std::memory_order_release);
}

bool LedArray::SetPacked(size_t index, uint32_t packed) {
    if (index >= Size()) return false;
    if (leds_[index].exchange(packed, std::memory_order_relaxed) != packed)
        version_.fetch_add(1, std::memory_order_release);
    return true;
}

bool LedArray::Set(size_t index, LedRecord record) {
    return SetPacked(index, PackLed(record));
}

uint32_t LedArray::GetPacked(size_t index) const {
    if (index >= Size()) return 0;
    return leds_[index].load(std::memory_order_relaxed);
}

LedRecord LedArray::Get(size_t index) const {
    return UnpackLed(GetPacked(index));
}

void LedArray::Fill(LedRecord record) {
    const uint32_t packed = PackLed(record);
    const size_t n = Size();
    bool changed = false;
    for (size_t i = 0; i < n; ++i)
        changed |= leds_[i].exchange(packed, std::memory_order_relaxed) != packed;
    if (changed) version_.fetch_add(1, std::memory_order_release);
}

}  // namespace dz::lighting
