#pragma once
// Debug output: one line per call, to stderr, only when DOZADIR_DEBUG=1.
// Tests install a sink to see the lines without the environment variable.

#include <functional>
#include <string_view>

namespace dz::log {

// True when lines are emitted (DOZADIR_DEBUG=1 at start, or a sink is installed).
[[nodiscard]] bool Enabled();

// Emits one line; a trailing newline in `line` is not doubled.
void DebugLine(std::string_view line);

// printf-style convenience; formats only when enabled.
void DebugLineF(const char* fmt, ...) __attribute__((format(printf, 1, 2)));

using Sink = std::function<void(std::string_view)>;

// Replaces the output (stderr) with `sink`; an empty sink restores stderr and the
// environment switch. Returns the previous sink.
Sink SetSink(Sink sink);

}  // namespace dz::log
