#include "sim/traffic_record.h"

#include <cstdio>
#include <utility>

#include "platform/log/debug_log.h"
#include "sim/report_descriptors.h"
#include "sim/sim_types.h"
#include "sim/wire.h"

namespace dz::sim {
namespace {

std::string Summary(const TrafficEntry& e) {
    const auto& b = e.bytes;
    char text[160];
    if (b.size() == kCommandReportSize && b[0] == kCommandReportId) {
        const char* name = wire::CommandName(b[wire::kCommand]);
        int n =
            std::snprintf(text, sizeof text, "cmd %02x %-15s len %2u off %4u", b[wire::kCommand],
                          name ? name : "?", b[wire::kLength],
                          static_cast<unsigned>(b[wire::kOffsetLo] | (b[wire::kOffsetHi] << 8)));
        if (e.direction == Direction::kIn && n > 0)
            std::snprintf(text + n, sizeof text - static_cast<size_t>(n), " status %02x",
                          b[wire::kStatus]);
        return text;
    }
    if (b.size() == kNotifyReportSize && b[0] == kNotifyReportId) {
        std::snprintf(text, sizeof text, "notification %04x", b[1] | (b[2] << 8));
        return text;
    }
    if (b.size() == kLedReportSize && b[0] == kHeadsetLedReportId) {
        std::snprintf(text, sizeof text, "LED report target %02x block %02x", b[1], b[2]);
        return text;
    }
    std::snprintf(text, sizeof text, "report of %zu bytes", b.size());
    return text;
}

}  // namespace

TrafficRecord::TrafficRecord(size_t capacity)
    : epoch_(std::chrono::steady_clock::now()), capacity_(capacity == 0 ? 1 : capacity) {}

std::chrono::microseconds TrafficRecord::Since(std::chrono::steady_clock::time_point t) const {
    return std::chrono::duration_cast<std::chrono::microseconds>(t - epoch_);
}

void TrafficRecord::Add(TrafficEntry entry) {
    bool echo;
    {
        std::lock_guard lock(mutex_);
        echo = echo_;
        if (entries_.size() >= capacity_) {
            entries_.pop_front();
            ++dropped_;
        }
        if (!echo) {
            entries_.push_back(std::move(entry));
            return;
        }
        entries_.push_back(entry);
    }
    log::DebugLine(Format(entry));
}

std::vector<TrafficEntry> TrafficRecord::Entries() const {
    std::lock_guard lock(mutex_);
    return {entries_.begin(), entries_.end()};
}

std::vector<TrafficEntry> TrafficRecord::EntriesFor(std::string_view node) const {
    std::lock_guard lock(mutex_);
    std::vector<TrafficEntry> out;
    for (const auto& e : entries_)
        if (e.node == node) out.push_back(e);
    return out;
}

size_t TrafficRecord::Size() const {
    std::lock_guard lock(mutex_);
    return entries_.size();
}

uint64_t TrafficRecord::Dropped() const {
    std::lock_guard lock(mutex_);
    return dropped_;
}

void TrafficRecord::Clear() {
    std::lock_guard lock(mutex_);
    entries_.clear();
    dropped_ = 0;
}

void TrafficRecord::SetCapacity(size_t capacity) {
    std::lock_guard lock(mutex_);
    capacity_ = capacity == 0 ? 1 : capacity;
    while (entries_.size() > capacity_) {
        entries_.pop_front();
        ++dropped_;
    }
}

void TrafficRecord::SetEcho(bool echo) {
    std::lock_guard lock(mutex_);
    echo_ = echo;
}

std::string TrafficRecord::Format(const TrafficEntry& e) {
    char head[96];
    std::snprintf(head, sizeof head, "%10.3f ms  %-18s %s  ",
                  static_cast<double>(e.time.count()) / 1000.0, e.node.c_str(),
                  e.direction == Direction::kOut ? "host>dev" : "dev>host");
    std::string line = head + Summary(e);
    if (e.direction == Direction::kIn) line += " (to " + std::to_string(e.receivers) + ")";
    if (!e.note.empty()) line += "  [" + e.note + "]";
    // Bytes in rows of 32, grouped by 8, indented under the head.
    for (size_t i = 0; i < e.bytes.size(); ++i) {
        if (i % 32 == 0)
            line += "\n    ";
        else if (i % 8 == 0)
            line += "  ";
        else
            line += ' ';
        char hex[3];
        std::snprintf(hex, sizeof hex, "%02x", e.bytes[i]);
        line += hex;
    }
    return line;
}

std::string TrafficRecord::Format() const {
    std::string out;
    for (const auto& e : Entries()) {
        out += Format(e);
        out += '\n';
    }
    return out;
}

}  // namespace dz::sim
