#pragma once
// Every report that crossed an emulated node, in both directions, in the order the
// emulator handled them. Bounded: the oldest entries go first when it is full (the
// application may run against the emulator for hours). Thread-safe.

#include <chrono>
#include <cstdint>
#include <deque>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

namespace dz::sim {

enum class Direction { kOut, kIn };  // out: host to device; in: device to host

struct TrafficEntry {
    std::chrono::microseconds time{0};  // since the record was made
    std::string node;
    Direction direction = Direction::kOut;
    std::vector<uint8_t> bytes;
    size_t receivers = 0;  // in: open connections that got it
    std::string note;      // what the emulator did beyond the ordinary ("fault: ...")
    std::thread::id writer{};  // out: the host thread that wrote the report
};

class TrafficRecord {
  public:
    explicit TrafficRecord(size_t capacity = 20000);

    void Add(TrafficEntry entry);
    [[nodiscard]] std::vector<TrafficEntry> Entries() const;
    [[nodiscard]] std::vector<TrafficEntry> EntriesFor(std::string_view node) const;
    [[nodiscard]] size_t Size() const;
    // Entries pushed out because the record was full, since the last Clear.
    [[nodiscard]] uint64_t Dropped() const;
    void Clear();
    void SetCapacity(size_t capacity);
    // Also write each entry to the debug output as it is added.
    void SetEcho(bool echo);

    [[nodiscard]] std::chrono::steady_clock::time_point Epoch() const { return epoch_; }
    [[nodiscard]] std::chrono::microseconds Since(std::chrono::steady_clock::time_point t) const;

    // One entry as a person reads it: time, node, direction, what the report is,
    // then its bytes in hexadecimal.
    [[nodiscard]] static std::string Format(const TrafficEntry& entry);
    [[nodiscard]] std::string Format() const;

  private:
    const std::chrono::steady_clock::time_point epoch_;
    mutable std::mutex mutex_;
    std::deque<TrafficEntry> entries_;
    size_t capacity_;
    uint64_t dropped_ = 0;
    bool echo_ = false;
};

}  // namespace dz::sim
