#pragma once
// Which pages the two page-switch containers of a device page show for a function page
// type: "device_function_switch" and "device_key_function_switch".

#include <cstdint>

namespace dz {

// The container keeps the page it shows.
inline constexpr int kPageUnchanged = -1;

struct FunctionPages {
    int function_switch = 0;      // page of "device_function_switch"
    int key_function_switch = 0;  // page of "device_key_function_switch", or kPageUnchanged
    friend bool operator==(const FunctionPages&, const FunctionPages&) = default;
};

[[nodiscard]] FunctionPages FunctionPagesFor(int page_type, uint16_t device_type);

}  // namespace dz
