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

    // A macro list in the user folder, one ".mac" file per entry with that many events.
    void WriteMacros(const std::vector<size_t>& event_counts) {
        Json::Value list;
        list["MacroInfo"] = Json::Value(Json::arrayValue);
        for (size_t i = 0; i < event_counts.size(); ++i) {
            const std::string guid = "2024_01_01_00_00_00_" + std::to_string(100 + i);
            Json::Value entry;
            entry["MacroName"] = "macro_" + std::to_string(i + 1);
            entry["Guid"] = guid;
            list["MacroInfo"].append(entry);
            WriteMacroFile(guid, Events(event_counts[i], static_cast<int>(i)));
        }
        WriteJson(folder_ / "macro.config", list);
    }
    void WriteMacroFile(const std::string& guid, const std::vector<MacroEvent>& events) {
        Json::Value file;
        file["Events"] = Json::Value(Json::arrayValue);
        for (const MacroEvent& e : events) file["Events"].append(EventToJson(e));
        WriteJson(folder_ / (guid + ".mac"), file);
    }
    // Key presses and releases of usage 4 + `tag`, 300 ms apart.
    static std::vector<MacroEvent> Events(size_t n, int tag = 0) {
        std::vector<MacroEvent> events;
        for (size_t i = 0; i < n; ++i)
            events.push_back({kMacroEventKey, 4 + tag, i % 2 ? "up" : "down", "300"});
        return events;
    }

    CommandChannel channel_;
    sim::DeviceKind kind_ = sim::DeviceKind::kKeyboard;
    sim::Link link_ = sim::Link::kCable;
    TempFolder folder_;
};

}  // namespace dz::test
