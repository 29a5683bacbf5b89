#include "models/keyboard_io.h"

#include "models/key_slot_table.h"
#include "models/macro_image.h"

namespace dz {
namespace {

DeviceTransfer Step(int result, uint8_t command) {
    return {result, result == kCmdOk ? uint8_t{0} : command};
}

}  // namespace

KeyboardTablesRead ReadKeyboardTables(CommandChannel& channel) {
    KeyboardTablesRead out;
    KeyboardTables read;
    out.transfer = InConfiguration(channel, [&]() -> DeviceTransfer {
        if (const int r = channel.ReadInfo(read.info); r != kCmdOk) return Step(r, CMD_READ_INFO);
        out.info_read = true;
        const size_t size = size_t{read.info[kInfoKeySlots]} * kKeyTableEntrySize;
        if (channel.SetKeyTableSize(static_cast<uint16_t>(std::min<size_t>(size, 0xFFFF))) != 1)
            return {kCmdOk, 0, "the key slots would not fit a 512-byte table"};
        read.key_table.assign(size, 0);
        if (const int r = channel.ReadKeymap(read.key_table); r != kCmdOk) {
            read.key_table.clear();
            return Step(r, CMD_READ_KEYMAP);
        }
        read.led_table.assign(read.info[kInfoKeySlots], 0);
        if (const int r = channel.ReadLedmap(read.led_table); r != kCmdOk) {
            read.key_table.clear();
            read.led_table.clear();
            return Step(r, CMD_READ_LEDMAP);
        }
        return {kCmdOk};
    });
    // The maps only from tables read whole (and closed with END).
    if (out.transfer.Ok() && !read.key_table.empty())
        read.maps = BuildKeyboardMaps(read.key_table, read.led_table);
    if (!out.transfer.Ok() || read.key_table.empty()) {
        read.key_table.clear();
        read.led_table.clear();
    }
    out.tables = std::move(read);
    return out;
}

KeyboardSettingsFetch ReadKeyboardSettings(CommandChannel& channel) {
    KeyboardSettingsFetch out;
    std::array<uint8_t, 1> current{};
    if (const int r = channel.ReadSettings(0, current); r != kCmdOk) {
        out.transfer = Step(r, CMD_READ_SETTINGS);
        return out;
    }
    out.profile = current[0];
    out.transfer = Step(channel.ReadSettings(KeyboardSettingsOffset(out.profile), out.block),
                        CMD_READ_SETTINGS);
    return out;
}

DeviceTransfer WriteKeyboardSettings(CommandChannel& channel, int profile,
                                     const KeyboardSettingsBlock& block) {
    return InConfiguration(channel, [&] {
        return Step(channel.WriteSettings(KeyboardSettingsOffset(profile), block),
                    CMD_WRITE_SETTINGS);
    });
}

DeviceTransfer WriteKeyboardColours(CommandChannel& channel, int page,
                                    std::span<const uint8_t> bytes) {
    return Step(channel.WriteKeyColors(page, static_cast<int>(kKeyColourPageSize), bytes),
                CMD_WRITE_KEYCOLORS);
}

KeyboardColoursRead ReadKeyboardColours(CommandChannel& channel, size_t length) {
    KeyboardColoursRead out;
    const std::span<uint8_t> into =
        std::span<uint8_t>(out.page).first(std::min(length, out.page.size()));
    out.transfer = Step(channel.ReadKeyColors(0, static_cast<int>(kKeyColourPageSize), into),
                        CMD_READ_KEYCOLORS);
    return out;
}

std::vector<int> KeyboardMacroList(std::span<const KeyAssignmentEntry> keys,
                                   const KeyboardTables& tables,
                                   const std::filesystem::path& folder) {
    return DeviceMacroList(keys, tables.maps.SlotMap(), CountMacros(folder));
}

std::vector<uint8_t> KeyboardKeyTable(std::span<const KeyAssignmentEntry> keys,
                                      const KeyboardTables& tables,
                                      const std::filesystem::path& folder) {
    return BuildDeviceKeyTable(tables.key_table, keys, tables.maps.SlotMap(), CountMacros(folder));
}

std::vector<KeyFunctionCode> KeyboardWrittenCodes(std::span<const KeyAssignmentEntry> keys,
                                                  const std::filesystem::path& folder) {
    const int macro_count = CountMacros(folder);
    std::vector<int> in_use;
    std::vector<KeyFunctionCode> codes;
    for (size_t p = 0; p < keys.size() && p < size_t{kKeyboardPositions}; ++p)
        codes.push_back(DeviceKeyCode(keys[p].current, keys[p].default_code, macro_count, in_use));
    return codes;
}

void RemapKeyboard(KeyboardTables& tables, std::span<const KeyAssignmentEntry> keys,
                   const std::filesystem::path& folder) {
    if (tables.key_table.empty()) return;
    tables.maps =
        BuildKeyboardMaps(tables.key_table, tables.led_table, KeyboardWrittenCodes(keys, folder));
}

KeyboardProfileWrite BuildKeyboardProfileWrite(std::span<const KeyAssignmentEntry> keys,
                                               const LightInfoRecord& light,
                                               const KeyboardSystemSettings& system,
                                               const KeyboardTables& tables,
                                               const std::filesystem::path& folder,
                                               std::span<const EffectListEntry> effects) {
    KeyboardProfileWrite write;
    write.macro_list = KeyboardMacroList(keys, tables, folder);
    write.macros = ReadMacroUpload(folder, write.macro_list);
    write.key_table = KeyboardKeyTable(keys, tables, folder);
    write.settings = EncodeKeyboardSettings(light, system, effects, 0);
    return write;
}

KeyboardApplyResult ApplyKeyboardProfile(CommandChannel& channel,
                                         const KeyboardProfileWrite& write) {
    KeyboardApplyResult result;
    result.macros = WriteMacroUpload(channel, write.macros, ChannelOpenRule);
    result.key_map = WriteKeyTable(channel, 0, write.key_table, ChannelOpenRule);
    result.settings = WriteKeyboardSettings(channel, 0, write.settings);
    return result;
}

KeyboardPowerRead ReadKeyboardPower(CommandChannel& channel) {
    KeyboardPowerRead out;
    if (!LinkedRule(channel)) {
        out.transfer = {kCmdNoExchange, CMD_LINK_QUERY, "the keyboard is not reachable"};
        return out;
    }
    out.transfer = Step(channel.ReadPower(0, out.bytes), CMD_READ_POWER);
    if (out.transfer.Ok()) out.bytes[3] = channel.IsReceiverMode() ? 1 : 0;
    return out;
}

}  // namespace dz
