#pragma once
// The models' transfers against the emulator: a command channel opened on a device's
// cable or receiver path, the packets the device was sent, and the kind's files in a
// temporary user data folder.

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <json/value.h>

#include "device/command_channel.h"
#include "device/command_path.h"
#include "device/emulated_device.h"
#include "macro/macro_event.h"
#include "support/macro_files.h"
#include "support/temp_folder.h"

namespace dz::test {

class ChannelRig : public EmulatedDeviceTest {
  protected:
    void TearDown() override {
        CloseCommandPaths(channel_);
        EmulatedDeviceTest::TearDown();
    }
    // Plugs `kind` on `link` and opens the channel there.
    void Open(sim::DeviceKind kind, sim::Link link = sim::Link::kCable) {
        ASSERT_TRUE(emu_.Plug(kind, link));
        ASSERT_EQ(OpenCommandPath(channel_, CommandPath(kind, link), link == sim::Link::kReceiver),
                  1);
        kind_ = kind;
        link_ = link;
        emu_.Traffic().Clear();
    }
    // Command codes of the packets sent to the open device, in order.
    std::vector<uint8_t> Commands() const {
        std::vector<uint8_t> codes;
        for (const auto& e : Sent(Node(kind_, link_))) codes.push_back(e.bytes[3]);
        return codes;
    }
    // The data of the packets of `command`, joined in order.
    std::vector<uint8_t> DataOf(uint8_t command) const {
        std::vector<uint8_t> data;
        for (const auto& e : Sent(Node(kind_, link_))) {
            if (e.bytes[3] != command) continue;
            data.insert(data.end(), e.bytes.begin() + 8, e.bytes.begin() + 8 + e.bytes[4]);
        }
        return data;
    }

    void WriteMacros(const std::vector<size_t>& event_counts) {
        WriteMacroList(folder_.path(), event_counts);
    }
    void WriteMacroFile(const std::string& guid, const std::vector<MacroEvent>& events) {
        test::WriteMacroFile(folder_.path(), guid, events);
    }
    static std::vector<MacroEvent> Events(size_t n, int tag = 0) { return KeyEvents(n, tag); }

    CommandChannel channel_;
    sim::DeviceKind kind_ = sim::DeviceKind::kKeyboard;
    sim::Link link_ = sim::Link::kCable;
    TempFolder folder_;
};

}  // namespace dz::test
