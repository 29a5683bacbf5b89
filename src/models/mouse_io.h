#pragma once
// The mouse's transfers over its command channel, without Qt: the device object runs them
// on its device worker and dozadirctl calls them directly, so both send the same packets.
// Every transfer first applies the reachability rule (kMouseReachable).

#include <array>
#include <cstdint>
#include <span>
#include <vector>

#include "device/command_channel.h"
#include "models/device_exchange.h"
#include "models/mouse_buttons.h"
#include "models/mouse_info.h"
#include "models/mouse_settings_page.h"

namespace dz {

// The button-map copy the mouse object keeps.
using MouseButtonMap = std::array<uint8_t, kMaxKeyTableSize>;

// The mouse's reachability rule: on its cable while its channel is open; behind its
// receiver when the link query also answers yes.
inline constexpr ReachableRule kMouseReachable = &LinkedRule;

// The opening read: information block and button map between BEGIN and END, and the slot
// of each logical button.
struct MouseTables {
    DeviceTransfer transfer;  // Ok() when the block and the map came in
    bool info_read = false;   // the information block came in (the map may not have)
    MouseInfoBlock info{};
    MouseButtonMap button_map{};
    int key_count = 0;
    ButtonSlotMap button_slots = NoButtonSlots();
};
[[nodiscard]] MouseTables ReadMouseTables(CommandChannel& channel);

// The information block alone (before a button-map or macro transfer).
struct MouseInfoRead {
    int result = kCmdNoExchange;
    MouseInfoBlock info{};
};
[[nodiscard]] MouseInfoRead ReadMouseInfo(CommandChannel& channel);

// The profile the mouse uses and its settings page.
struct MousePageRead {
    int result = kCmdNoExchange;
    int profile = 0;
    std::array<uint8_t, kMousePageReadSize> page{};
};
[[nodiscard]] MousePageRead ReadCurrentMousePage(CommandChannel& channel);
// One profile's page (dozadirctl).
[[nodiscard]] MousePageRead ReadMousePage(CommandChannel& channel, int profile);

// BEGIN, the 66 bytes at profile × 128, END.
[[nodiscard]] DeviceTransfer WriteMouseSettingsPage(CommandChannel& channel, int profile,
                                                    const MousePageBytes& page);
// BEGIN, the image in 56-byte chunks, END. An image that its 16-bit header cannot describe
// is not sent.
[[nodiscard]] DeviceTransfer WriteShootImage(CommandChannel& channel,
                                             std::span<const uint8_t> image);

// The mouse's power bytes (PowerRead of device_exchange.h) under its reachability rule.
inline constexpr size_t kMousePowerBytes = kPowerBytes;
using MousePowerRead = PowerRead;
[[nodiscard]] MousePowerRead ReadMousePower(CommandChannel& channel);

}  // namespace dz
