#include "device/function_page.h"

namespace dz {

FunctionPages FunctionPagesFor(int page_type, uint16_t device_type) {
    switch (page_type) {
        case 2:
        case 6:
            return {0, 1};
        case 3:
        case 8:
            return {1, kPageUnchanged};
        case 4:
            // Keyboard and mouse on their cables have a page of their own for it.
            if (device_type == 1 || device_type == 2) return {3, kPageUnchanged};
            return {0, 2};
        case 7:
            return {0, 2};
        case 5:
            return {2, kPageUnchanged};
        default:
            return {0, 0};
    }
}

}  // namespace dz
