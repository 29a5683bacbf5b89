#pragma once
// Process-wide message numbers for message names, the way a window system hands out
// numbers for registered names: the same name always answers the same number, so code
// compares numbers while other processes only ever see the names.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace dz::ipc {

// First number handed out; below it lie the private message numbers of windows.
inline constexpr uint32_t kFirstRegisteredMessage = 0xC000;

// Number of `name`, registering it on first use. Names compare exactly (case matters).
// Thread-safe. An empty name answers 0, which no message has.
[[nodiscard]] uint32_t RegisterMessage(std::string_view name);

// Number of an already registered name, without registering it; for names that arrive
// from other processes, so that a peer cannot grow the table.
[[nodiscard]] std::optional<uint32_t> FindRegisteredMessage(std::string_view name);

// Name of a registered number, or nothing.
[[nodiscard]] std::optional<std::string> RegisteredMessageName(uint32_t number);

}  // namespace dz::ipc
