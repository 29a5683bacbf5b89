#pragma once
// The keyboard's transfers over its command channel, Qt-free: the device object runs them
// on its worker and dozadirctl calls them directly. Each needs only the channel and values;
// the encodings they carry are in keyboard_layout.h, keyboard_settings.h and
// keyboard_colours.h.

#include <array>
#include <cstdint>
#include <filesystem>
#include <span>
#include <vector>

#include "device/command_channel.h"
#include "models/device_exchange.h"
#include "models/keyboard_colours.h"
#include "models/keyboard_layout.h"
#include "models/keyboard_settings.h"
#include "models/macro_upload.h"

namespace dz {

// The tables of the keyboard as its first read found them.
struct KeyboardTables {
    DeviceInfoBlock info{};
    std::vector<uint8_t> key_table;  // key slots × 3 bytes; empty until read
    std::vector<uint8_t> led_table;  // one LED index per key slot
    KeyboardMaps maps;               // every position absent until both tables are read

    [[nodiscard]] int KeySlots() const { return info[kInfoKeySlots]; }
};

struct KeyboardTablesRead {
    DeviceTransfer transfer;
    bool info_read = false;  // `tables.info` holds the block
    KeyboardTables tables;
};

// The keyboard's first read: BEGIN, the information block, the key-table size (key slots ×
// 3; a count whose table exceeds 512 bytes ends the read, the maps stay absent), the key
// table, the LED table, END, and the maps built from both.
[[nodiscard]] KeyboardTablesRead ReadKeyboardTables(CommandChannel& channel);

struct KeyboardSettingsFetch {
    DeviceTransfer transfer;
    int profile = 0;  // the keyboard's current profile (byte 0 of its settings area)
    KeyboardSettingsBlock block{};
};

// The current profile's settings block: 1 byte at offset 0, then 26 bytes at 25 × profile.
[[nodiscard]] KeyboardSettingsFetch ReadKeyboardSettings(CommandChannel& channel);
// The block at 25 × `profile`, between BEGIN and END.
[[nodiscard]] DeviceTransfer WriteKeyboardSettings(CommandChannel& channel, int profile,
                                                   const KeyboardSettingsBlock& block);

// The first key slots × 3 bytes of a per-key colour page, written at `page` × 512.
[[nodiscard]] DeviceTransfer WriteKeyboardColours(CommandChannel& channel, int page,
                                                  std::span<const uint8_t> bytes);
struct KeyboardColoursRead {
    DeviceTransfer transfer;
    KeyColourPage page{};  // the bytes read, zeros beyond them
};
// `length` bytes of colour page 0.
[[nodiscard]] KeyboardColoursRead ReadKeyboardColours(CommandChannel& channel, size_t length);

// ---- Applying a profile ------------------------------------------------------------------
// What the keyboard is given from a profile, built the same way for the window and for
// dozadirctl: the macros its keys play (in its numbering), its key table and its block.

// The macros the keys play, as "macro.config" numbers in the keyboard's order.
[[nodiscard]] std::vector<int> KeyboardMacroList(std::span<const KeyAssignmentEntry> keys,
                                                 const KeyboardTables& tables,
                                                 const std::filesystem::path& folder);
// The key table: the one read from the keyboard with each position's code in its slot.
[[nodiscard]] std::vector<uint8_t> KeyboardKeyTable(std::span<const KeyAssignmentEntry> keys,
                                                    const KeyboardTables& tables,
                                                    const std::filesystem::path& folder);

// What the key map gives each position for `keys` (the macros in the keyboard's numbering,
// every position counted as present): the codes the keyboard holds after the last write,
// for BuildKeyboardMaps.
[[nodiscard]] std::vector<KeyFunctionCode> KeyboardWrittenCodes(
    std::span<const KeyAssignmentEntry> keys, const std::filesystem::path& folder);
// The maps again, with the codes `keys` gave the positions (after the profile is known).
void RemapKeyboard(KeyboardTables& tables, std::span<const KeyAssignmentEntry> keys,
                   const std::filesystem::path& folder);

struct KeyboardProfileWrite {
    std::vector<int> macro_list;
    MacroUpload macros;
    std::vector<uint8_t> key_table;
    KeyboardSettingsBlock settings{};
};

[[nodiscard]] KeyboardProfileWrite BuildKeyboardProfileWrite(
    std::span<const KeyAssignmentEntry> keys, const LightInfoRecord& light,
    const KeyboardSystemSettings& system, const KeyboardTables& tables,
    const std::filesystem::path& folder, std::span<const EffectListEntry> effects);

struct KeyboardApplyResult {
    MacroWriteOutcome macros;
    DeviceTransfer key_map;
    DeviceTransfer settings;
};

// The apply step: the macros, the key map (page 0), the settings block (profile 0), in that
// order; each is tried whatever became of the one before.
[[nodiscard]] KeyboardApplyResult ApplyKeyboardProfile(CommandChannel& channel,
                                                       const KeyboardProfileWrite& write);

inline constexpr size_t kKeyboardPowerSize = 6;
struct KeyboardPowerRead {
    DeviceTransfer transfer;
    std::array<uint8_t, kKeyboardPowerSize> bytes{};  // byte 3: 1 through the receiver
};
// Nothing when the link query fails; otherwise 6 bytes at offset 0, byte 3 set to the path
// (1 receiver, 0 cable).
[[nodiscard]] KeyboardPowerRead ReadKeyboardPower(CommandChannel& channel);

}  // namespace dz
