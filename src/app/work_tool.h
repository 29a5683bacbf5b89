#pragma once
// The answer to the work tool's query: a 1024-byte block of 32-bit little-endian integers,
// the rest zero: 2, 3, 0, 2, the number of device kinds, then per kind its vendor id,
// product id and device type code.

#include <array>
#include <cstddef>
#include <cstdint>

namespace dz::app {

inline constexpr int64_t kWorkToolDataTag = 5;
inline constexpr size_t kWorkToolAnswerSize = 1024;

[[nodiscard]] std::array<uint8_t, kWorkToolAnswerSize> BuildWorkToolAnswer();

}  // namespace dz::app
