#pragma once
// Small types shared by the firmware models, the devices and the simulated transport.

#include <chrono>
#include <cstdint>
#include <string>
#include <vector>

namespace dz::sim {

enum class DeviceKind { kKeyboard, kMouse, kMousepad, kHeadset };

// How the host reaches a device: its own cable or its 2.4 GHz receiver.
enum class Link { kCable, kReceiver };

// The mouse ships with two sensors; 0x3325 uses a two-slope DPI scale.
enum class MouseSensor { kStandard, k3325 };

// What an armed fault does to the command packet it hits. Faults armed at the same
// packet act together: no-answer and disconnect leave nothing to answer; otherwise the
// answer is made (status faults choose its status), wrong-code changes its first copy,
// double-answer sends the true answer a second time, late-answer holds the answers back.
enum class FaultKind {
    kStatusFF,      // not executed, answered with status 0xFF
    kStatusFE,      // not executed, answered with status 0xFE
    kNoAnswer,      // dropped: not executed, nothing answered (the host's read times out)
    kWrongCode,     // executed, but byte 3 of the answer names another command
    kDisconnect,    // the path that carried the packet is unplugged at that packet
    kLateAnswer,    // executed, answered only after the fault's delay
    kDoubleAnswer,  // executed, answered twice
    kLinkLost,      // receiver: loses its device at that packet (answers not linked until
                    // the link is found again); over a cable nothing happens
};

inline constexpr size_t kLedReportSize = 17;      // headset LED output report
inline constexpr size_t kNotifyReportSize = 3;    // id, then one 16-bit usage

// USB interface numbers of the emulated nodes.
inline constexpr int kBootInterface = 0;
inline constexpr int kVendorInterface = 1;
inline constexpr int kHeadsetInterface = 3;

// An input report the device sends on one of its nodes.
struct InputReport {
    Link link = Link::kCable;
    int interface_number = kVendorInterface;
    std::vector<uint8_t> bytes;  // report id first
    // Held back this long after the packet that caused it (a late answer); reports
    // after it on the same node wait behind it, as the device answers in order.
    std::chrono::milliseconds delay{0};
};

// Outcome of one output report handed to a device node.
struct NodeReply {
    bool accepted = true;             // false: the report was malformed (the write fails)
    bool disconnect = false;          // the path that carried it was unplugged
    std::vector<InputReport> inputs;  // what the device answers, in order
    std::string note;                 // for the traffic record: a fault, an RF answer
};

[[nodiscard]] const char* KindName(DeviceKind kind);
[[nodiscard]] const char* LinkName(Link link);
[[nodiscard]] const char* FaultName(FaultKind kind);

}  // namespace dz::sim
