#pragma once
// A fixture for the device core against the emulator: the emulated transport listed
// beside hidraw, the interface paths of each device's command and notification
// collections, and the packets the emulator saw.

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

#include "device/hid_interface.h"
#include "sim/emulator.h"

namespace dz::test {

// Interface 1 of the keyboard and mouse nodes: col03 notifications, col04 commands.
inline constexpr int kVendorInterface = 1;
inline constexpr int kNotifyCollection = 3;
inline constexpr int kCommandCollection = 4;

class EmulatedDeviceTest : public ::testing::Test {
  protected:
    // No latency unless a test sets one: the tests count packets, not time.
    EmulatedDeviceTest() { emu_.SetLatency(std::chrono::microseconds(0)); }
    void SetUp() override {
        hid::BackendRegistry::Instance().Add(emu_.Backend());
        emu_.Traffic().Clear();
    }
    void TearDown() override { hid::BackendRegistry::Instance().Remove(emu_.Backend().get()); }

    static std::pair<uint16_t, uint16_t> Ids(sim::DeviceKind kind, sim::Link link) {
        const bool cable = link == sim::Link::kCable;
        switch (kind) {
            case sim::DeviceKind::kKeyboard:
                return {0x320F, cable ? 0x505B : 0x5001};
            case sim::DeviceKind::kMouse:
                return {0x320F, cable ? 0x221C : 0x221D};
            case sim::DeviceKind::kMousepad:
                return {0x320F, 0x1004};
            case sim::DeviceKind::kHeadset:
                return {0x0C76, 0x1630};
        }
        return {0, 0};
    }
    std::string PathOf(sim::DeviceKind kind, sim::Link link, int collection) const {
        const auto [vid, pid] = Ids(kind, link);
        // The headset's interface 3 carries one collection: commands and notifications alike.
        if (kind == sim::DeviceKind::kHeadset)
            return MakeInterfacePath("sim", emu_.CommandNode(kind, link), vid, pid,
                                     sim::kHeadsetInterface, 0);
        return MakeInterfacePath("sim", emu_.CommandNode(kind, link), vid, pid, kVendorInterface,
                                 collection);
    }
    std::string CommandPath(sim::DeviceKind kind, sim::Link link = sim::Link::kCable) const {
        return PathOf(kind, link, kCommandCollection);
    }
    std::string NotifyPath(sim::DeviceKind kind, sim::Link link = sim::Link::kCable) const {
        return PathOf(kind, link, kNotifyCollection);
    }
    std::string Node(sim::DeviceKind kind, sim::Link link = sim::Link::kCable) const {
        return emu_.CommandNode(kind, link);
    }

    // Host-to-device command packets (report id 4), in order; only `node`'s when given.
    std::vector<sim::TrafficEntry> Sent(const std::string& node = {}) const {
        std::vector<sim::TrafficEntry> out;
        for (auto& e : emu_.Traffic().Entries())
            if (e.direction == sim::Direction::kOut && !e.bytes.empty() && e.bytes[0] == 4 &&
                (node.empty() || e.node == node))
                out.push_back(std::move(e));
        return out;
    }
    static size_t CountCommand(const std::vector<sim::TrafficEntry>& sent, uint8_t command) {
        size_t n = 0;
        for (const auto& e : sent) n += e.bytes.size() > 3 && e.bytes[3] == command;
        return n;
    }

    sim::Emulator emu_{sim::EmulatorConfig::Default()};
};

// Polls `condition` until it holds or a generous bound passes (a hang guard, not a
// speed figure).
inline bool WaitUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds bound = std::chrono::seconds(10)) {
    const auto end = std::chrono::steady_clock::now() + bound;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace dz::test
