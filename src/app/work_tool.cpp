#include "app/work_tool.h"

#include "device/device_table.h"

namespace dz::app {

std::array<uint8_t, kWorkToolAnswerSize> BuildWorkToolAnswer() {
    std::array<uint8_t, kWorkToolAnswerSize> out{};
    size_t at = 0;
    auto put = [&](int32_t v) {
        const auto u = static_cast<uint32_t>(v);
        for (int b = 0; b < 4; ++b) out[at++] = static_cast<uint8_t>(u >> (8 * b));
    };
    for (int32_t v : {2, 3, 0, 2}) put(v);
    put(static_cast<int32_t>(kDeviceKindCount));
    for (const DeviceKindRecord& kind : kDeviceKinds) {
        put(kind.vendor_id);
        put(kind.product_id);
        put(kind.type);
    }
    return out;
}

}  // namespace dz::app
