#include "platform/log/debug_log.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <string>

namespace dz::log {
namespace {

std::mutex& SinkMutex() {
    static std::mutex m;
    return m;
}

Sink& CurrentSink() {
    static Sink sink;
    return sink;
}

bool EnvEnabled() {
    static const bool on = [] {
        const char* v = std::getenv("DOZADIR_DEBUG");
        return v != nullptr && std::strcmp(v, "1") == 0;
    }();
    return on;
}

}  // namespace

bool Enabled() {
    std::lock_guard lock(SinkMutex());
    return CurrentSink() ? true : EnvEnabled();
}

void DebugLine(std::string_view line) {
    if (!line.empty() && line.back() == '\n') line.remove_suffix(1);
    std::lock_guard lock(SinkMutex());
    if (CurrentSink()) {
        CurrentSink()(line);
        return;
    }
    if (!EnvEnabled()) return;
    std::string out(line);
    out.push_back('\n');
    std::fwrite(out.data(), 1, out.size(), stderr);
}

void DebugLineF(const char* fmt, ...) {
    if (!Enabled()) return;
    char buf[1024];
    va_list ap;
    va_start(ap, fmt);
    std::vsnprintf(buf, sizeof buf, fmt, ap);
    va_end(ap);
    DebugLine(buf);
}

Sink SetSink(Sink sink) {
    std::lock_guard lock(SinkMutex());
    Sink old = std::move(CurrentSink());
    CurrentSink() = std::move(sink);
    return old;
}

}  // namespace dz::log
