#include "app/light_sync.h"

#include "device/lighting/lighting_tables.h"

namespace dz::app {

int SyncStepTicks(uint8_t speed) {
    return kSyncStepTicks[speed < kSyncStepTicks.size() ? speed : kSyncStepTicks.size() - 1];
}

void SyncParameters::Store(SyncType t, const LightRecord& r) {
    type.store(static_cast<uint8_t>(t));
    brightness.store(r[1]);
    speed.store(r[2]);
    direction.store(r[3]);
    colourful.store(r[4]);
    red.store(r[5]);
    green.store(r[6]);
    blue.store(r[7]);
}

uint32_t LightSyncEffect::Step(const SyncParameters& p, uint64_t now_ms) {
    using lighting::kBreathingCurve;
    using lighting::kColourWheel;
    const uint8_t level = lighting::BrightnessAlpha(p.brightness.load());
    const bool colourful = p.colourful.load() != 0;
    const uint8_t r = p.red.load(), g = p.green.load(), b = p.blue.load();
    switch (static_cast<SyncType>(p.type.load())) {
        case SyncType::kBreathing: {
            breath_ = p.direction.load() != 0 ? (breath_ + 1) % 128 : (breath_ + 127) % 128;
            const uint8_t alpha = static_cast<uint8_t>(level * kBreathingCurve[size_t(breath_)] / 256);
            if (!colourful) return SyncWord(r, g, b, alpha);
            if (breath_ == 0 || breath_ == 1) breath_wheel_ = (breath_wheel_ + 16) % 192;
            const auto& w = kColourWheel[size_t(breath_wheel_)];
            return SyncWord(w.red, w.green, w.blue, alpha);
        }
        case SyncType::kSteady:
            return SyncWord(r, g, b, level);
        case SyncType::kFlashing: {
            const uint64_t period = uint64_t(SyncStepTicks(p.speed.load())) * 200;
            if (now_ms - last_toggle_ms_ >= period) {
                flash_on_ = !flash_on_;
                last_toggle_ms_ = now_ms;
                flash_wheel_ += 14;
                if (flash_wheel_ >= 192) flash_wheel_ = 0;
            }
            if (!flash_on_) return 0;
            if (!colourful) return SyncWord(r, g, b, level);
            const auto& w = kColourWheel[size_t(flash_wheel_)];
            return SyncWord(w.red, w.green, w.blue, level);
        }
        case SyncType::kColourCycle: {
            cycle_wheel_ = (cycle_wheel_ + 1) % 192;
            const auto& w = kColourWheel[size_t(cycle_wheel_)];
            return SyncWord(w.red, w.green, w.blue, level);
        }
        case SyncType::kOff:
        default:
            return 0;
    }
}

}  // namespace dz::app
