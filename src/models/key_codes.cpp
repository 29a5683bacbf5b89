#include "models/key_codes.h"

namespace dz {

std::vector<uint8_t> EncodeKeyTable(std::span<const KeyFunctionCode> codes) {
    std::vector<uint8_t> bytes;
    bytes.reserve(codes.size() * kKeyTableEntrySize);
    for (const auto& code : codes) {
        bytes.push_back(code.type);
        bytes.push_back(code.first);
        bytes.push_back(code.second);
    }
    return bytes;
}

std::vector<KeyFunctionCode> DecodeKeyTable(std::span<const uint8_t> bytes) {
    std::vector<KeyFunctionCode> codes;
    codes.reserve(bytes.size() / kKeyTableEntrySize);
    for (size_t i = 0; i + kKeyTableEntrySize <= bytes.size(); i += kKeyTableEntrySize) {
        codes.push_back({bytes[i], bytes[i + 1], bytes[i + 2]});
    }
    return codes;
}

}  // namespace dz
