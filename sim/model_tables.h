#pragma once
// What distinguishes one emulated device model from another, as data. One firmware
// mechanism (firmware_model.h) serves every kind from these tables.

#include <array>
#include <cstdint>
#include <string>
#include <vector>

#include "sim/sim_types.h"

namespace dz::sim {

using KeyCode = std::array<uint8_t, 3>;  // type, first parameter, second parameter
using Rgb = std::array<uint8_t, 3>;

// Bytes that every profile's settings page starts with at `offset` from the page.
struct SettingsSeed {
    size_t offset = 0;
    std::vector<uint8_t> bytes;
};

struct ModelTable {
    DeviceKind kind = DeviceKind::kKeyboard;
    std::string name;  // "keyboard", "mouse", "mousepad", "headset"

    // USB identity of the cable and (when present) the receiver.
    uint16_t vendor_id = 0;
    uint16_t cable_product_id = 0;
    uint16_t cable_bcd = 0;
    uint16_t receiver_product_id = 0;  // 0: no receiver
    uint16_t receiver_bcd = 0;
    bool has_battery = false;        // charging while the cable is plugged
    bool has_notifications = false;  // a consumer collection for device notifications

    std::array<uint8_t, 34> info{};  // CMD_READ_INFO

    // Settings area: byte 0 is the current profile; profile p's page starts at
    // p * settings_stride and is settings_page bytes long (pages may overlap).
    int profiles = 1;
    size_t settings_stride = 0;
    size_t settings_page = 0;
    size_t settings_size = 0;
    std::vector<SettingsSeed> settings_seeds;  // the same for every profile
    size_t colour_offset = 0;                  // per-profile colour within a page
    std::vector<Rgb> profile_colours;          // seeded colour of profile p
    // Mouse only: the page holds the current DPI stage at this offset (0 = none).
    size_t dpi_stage_offset = 0;
    int dpi_stages = 0;

    std::vector<KeyCode> key_slots;   // default key map, slot order
    std::vector<uint8_t> led_map;     // LED index per key slot (empty: no LED map)
    int key_colour_pages = 0;         // 512-byte pages of per-key colours
    size_t macro_capacity = 0;        // info[6] * 128
    size_t shoot_capacity = 0;        // shooting-pattern image (0: not supported)
    size_t light_frame_size = 0;      // bytes of one light frame (0: not supported)
    std::array<uint8_t, 16> power{};  // CMD_READ_POWER area
    int headset_leds = 0;             // LEDs painted by 17-byte LED output reports
};

inline constexpr size_t kKeyColourPageSize = 512;
inline constexpr uint8_t kNoLed = 0xFF;

// Offsets inside the information block.
inline constexpr size_t kInfoKeySlots = 5;
inline constexpr size_t kInfoMacroUnits = 6;
inline constexpr size_t kInfoSensor = 9;
inline constexpr size_t kInfoDpiStep = 11;
inline constexpr size_t kInfoDpiMaxPos = 12;
inline constexpr size_t kInfoDpiMin = 14;

// Offsets inside the power area.
inline constexpr size_t kPowerCharge = 1;
inline constexpr size_t kPowerWireless = 3;

// The table of one kind. The sensor only matters for the mouse.
[[nodiscard]] const ModelTable& ModelTableFor(DeviceKind kind,
                                              MouseSensor sensor = MouseSensor::kStandard);

// Default codes of the keyboard's 126 key positions, position order.
[[nodiscard]] const std::vector<KeyCode>& KeyboardPositionCodes();
// Key slot that holds keyboard position p in the default key map.
[[nodiscard]] int KeyboardSlotOfPosition(int position);
// Default codes of the mouse's 11 logical buttons.
[[nodiscard]] const std::vector<KeyCode>& MouseButtonCodes();

}  // namespace dz::sim
