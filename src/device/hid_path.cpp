#include <cstdio>

#include "device/hid_interface.h"

namespace dz {
namespace {

char Lower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    c = Lower(c);
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    return -1;
}

// Position just past the first occurrence of `marker` (lower case), ignoring case.
size_t FindMarker(std::string_view path, std::string_view marker) {
    if (marker.size() > path.size()) return std::string_view::npos;
    for (size_t i = 0; i + marker.size() <= path.size(); ++i) {
        size_t j = 0;
        while (j < marker.size() && Lower(path[i + j]) == marker[j]) ++j;
        if (j == marker.size()) return i + j;
    }
    return std::string_view::npos;
}

// The hexadecimal number after the marker, truncated to 16 bits; 0 when absent.
uint16_t HexAfter(std::string_view path, std::string_view marker) {
    size_t pos = FindMarker(path, marker);
    if (pos == std::string_view::npos) return 0;
    uint32_t value = 0;
    for (; pos < path.size(); ++pos) {
        const int d = HexDigit(path[pos]);
        if (d < 0) break;
        value = ((value << 4) | static_cast<uint32_t>(d)) & 0xFFFF;
    }
    return static_cast<uint16_t>(value);
}

}  // namespace

uint16_t PathVendorId(std::string_view path) {
    return HexAfter(path, "vid_");
}
uint16_t PathProductId(std::string_view path) {
    return HexAfter(path, "pid_");
}
uint16_t PathInterfaceNumber(std::string_view path) {
    return HexAfter(path, "&mi_");
}
uint16_t PathCollectionNumber(std::string_view path) {
    return HexAfter(path, "&col");
}

std::string MakeInterfacePath(std::string_view scheme, std::string_view node, uint16_t vendor_id,
                              uint16_t product_id, int interface_number, int collection) {
    char ids[64];
    std::snprintf(ids, sizeof ids, "#vid_%04x&pid_%04x&mi_%02x", vendor_id, product_id,
                  static_cast<unsigned>(interface_number) & 0xFFFFu);
    std::string path;
    path.reserve(scheme.size() + 1 + node.size() + 40);
    path.append(scheme).append(":").append(node).append(ids);
    if (collection > 0) {
        char col[16];
        std::snprintf(col, sizeof col, "&col%02x", static_cast<unsigned>(collection) & 0xFFFFu);
        path.append(col);
    }
    return path;
}

}  // namespace dz
