// The keyboard's encodings without a device: its key positions and the maps found from its
// tables, the settings block both ways, the per-key colour page and the streamed frame.
#include <gtest/gtest.h>

#include <set>

#include "models/keyboard_colours.h"
#include "models/keyboard_layout.h"
#include "models/keyboard_settings.h"
#include "sim/model_tables.h"

namespace dz {
namespace {

// The emulated keyboard's default tables: its firmware's own list of position codes.
std::vector<uint8_t> EmulatedKeyTable() {
    std::vector<uint8_t> table;
    for (const auto& code : sim::ModelTableFor(sim::DeviceKind::kKeyboard).key_slots)
        table.insert(table.end(), code.begin(), code.end());
    return table;
}

TEST(KeyboardLayout, PositionCodesAreThoseOfTheKeyNamesAndTheFirmware) {
    const auto codes = KeyboardPositionCodes();
    const auto& firmware = sim::KeyboardPositionCodes();
    ASSERT_EQ(firmware.size(), codes.size());
    for (size_t p = 0; p < codes.size(); ++p) {
        EXPECT_EQ((std::array<uint8_t, 3>{codes[p].type, codes[p].first, codes[p].second}),
                  firmware[p])
            << "position " << p;
    }
    EXPECT_EQ(codes[110], (KeyFunctionCode{kKeyTypeKeyboardFunction, 0x01, 0})) << "Fn";
    EXPECT_EQ(codes[124], (KeyFunctionCode{kKeyTypeOnboardMacro, 0xA2, 5})) << "M5";
    EXPECT_EQ(codes[17], (KeyFunctionCode{kKeyTypeKeyboardFunction, 0x24, 0}));
}

TEST(KeyboardLayout, EveryPositionFindsItsOwnSlotAndLight) {
    const sim::ModelTable& t = sim::ModelTableFor(sim::DeviceKind::kKeyboard);
    const KeyboardMaps maps = BuildKeyboardMaps(EmulatedKeyTable(), t.led_map);
    EXPECT_EQ(maps.PositionCount(), kKeyboardPositions);
    std::set<int> slots;
    for (int p = 0; p < kKeyboardPositions; ++p) {
        EXPECT_EQ(maps.slot[static_cast<size_t>(p)], sim::KeyboardSlotOfPosition(p)) << p;
        EXPECT_EQ(maps.led[static_cast<size_t>(p)], p) << p;
        slots.insert(maps.slot[static_cast<size_t>(p)]);
    }
    // 18, 19, 20 and 104 share the default "no key": still four slots, four lights.
    EXPECT_EQ(slots.size(), 126u);
    const KeySlotMap map = maps.SlotMap();
    EXPECT_EQ(map.SlotOf(104), sim::KeyboardSlotOfPosition(104));
}

TEST(KeyboardLayout, PositionsTheTablesLackStayAbsent) {
    std::vector<uint8_t> table = EmulatedKeyTable();
    std::vector<uint8_t> leds = sim::ModelTableFor(sim::DeviceKind::kKeyboard).led_map;
    // Esc reassigned on the keyboard: position 0 is not found; Fn's light is beyond the table.
    const size_t esc = static_cast<size_t>(sim::KeyboardSlotOfPosition(0)) * 3;
    table[esc + 2] = 0x04;
    leds.resize(static_cast<size_t>(sim::KeyboardSlotOfPosition(110)));
    const KeyboardMaps maps = BuildKeyboardMaps(table, leds);
    EXPECT_EQ(maps.slot[0], kKeyboardNoSlot);
    EXPECT_EQ(maps.led[0], kKeyboardNoSlot);
    EXPECT_EQ(maps.slot[110], sim::KeyboardSlotOfPosition(110));
    EXPECT_EQ(maps.led[110], kKeyboardNoSlot);
    EXPECT_EQ(maps.SlotMap().SlotOf(0), -1);
    // No tables at all: nothing.
    EXPECT_EQ(BuildKeyboardMaps({}, {}).PositionCount(), 0);
}

TEST(KeyboardLayout, KeysTheHostReassignedAreFoundByWhatItGaveThem) {
    std::vector<uint8_t> table = EmulatedKeyTable();
    const sim::ModelTable& t = sim::ModelTableFor(sim::DeviceKind::kKeyboard);
    // What a write left: Esc plays macro 0, F1 is volume up; F2 and F3 both left-click.
    const auto put = [&](int position, KeyFunctionCode c) {
        const size_t at = static_cast<size_t>(sim::KeyboardSlotOfPosition(position)) * 3;
        table[at] = c.type, table[at + 1] = c.first, table[at + 2] = c.second;
    };
    const KeyFunctionCode macro{kKeyTypeMacro, 0, 0};
    const KeyFunctionCode volume = ConsumerKeyCode(0x00E9);
    const KeyFunctionCode click{kKeyTypeMouseButton, kMouseButtonLeft, 0};
    put(0, macro);
    put(1, volume);
    put(2, click);
    put(3, click);
    EXPECT_EQ(BuildKeyboardMaps(table, t.led_map).PositionCount(), 122);
    std::vector<KeyFunctionCode> written(KeyboardPositionCodes().begin(),
                                         KeyboardPositionCodes().end());
    written[0] = macro;
    written[1] = volume;
    written[2] = click;
    written[3] = click;
    const KeyboardMaps maps = BuildKeyboardMaps(table, t.led_map, written);
    EXPECT_EQ(maps.slot[0], sim::KeyboardSlotOfPosition(0));
    EXPECT_EQ(maps.slot[1], sim::KeyboardSlotOfPosition(1));
    EXPECT_EQ(maps.led[1], 1);
    // Two slots hold the click: neither can be told for F2 or F3, both stay absent.
    EXPECT_EQ(maps.slot[2], kKeyboardNoSlot);
    EXPECT_EQ(maps.slot[3], kKeyboardNoSlot);
    EXPECT_EQ(maps.PositionCount(), 124);

    // F1 given "A": the table holds "A" twice, so F1 stays absent and A keeps a slot.
    put(1, {kKeyTypeKeyboard, 0, 0x04});
    written[1] = {kKeyTypeKeyboard, 0, 0x04};
    EXPECT_EQ(BuildKeyboardMaps(table, t.led_map, written).slot[1], kKeyboardNoSlot);
}

std::vector<EffectListEntry> Effects() {
    std::vector<EffectListEntry> e;
    for (int i = 0; i <= 30; ++i) e.push_back({"e", true, i == 3 ? 0x40 : i});
    return e;
}

LightInfoRecord Light(uint8_t mode) {
    LightInfoRecord r;
    r.mode = mode;
    r.brightness = 4;
    r.speed = 1;
    r.direction = 1;
    r.multicolor = 1;
    r.red = 0x10;
    r.green = 0x20;
    r.blue = 0x30;
    r.device_mode = 7;
    r.custom_group = 2;
    return r;
}

TEST(KeyboardSettingsBlock, WrittenLayout) {
    KeyboardSystemSettings system;
    system.repeat = 20;
    system.repeat_delay = 2;
    system.key6 = 1;
    system.polling_rate = 3;
    system.wflag = 1;
    system.winflag = 0;
    const KeyboardSettingsBlock b = EncodeKeyboardSettings(Light(3), system, Effects(), 0);
    const KeyboardSettingsBlock expected{0, 0x40, 4, 3, 1, 1, 0x10, 0x20, 0x30, 0, 0, 0, 0,
                                         0, 0,    0, 0, 0, 7, 1,    1,    0,    3, 0, 0, 0};
    EXPECT_EQ(b, expected) << "effect 3 as its code, 4 - speed, the flags, no repeat settings";
    EXPECT_EQ(EncodeKeyboardSettings(Light(3), system, Effects(), 9)[0], 9);
    // An index the list lacks is written as it is; so is every effect without a list.
    EXPECT_EQ(EncodeKeyboardSettings(Light(40), system, Effects())[kKbEffect], 40);
    EXPECT_EQ(EncodeKeyboardSettings(Light(3), system, {})[kKbEffect], 3);
    // A speed beyond the scale is the fastest, not a wrapped byte.
    LightInfoRecord fast = Light(1);
    fast.speed = 9;
    EXPECT_EQ(EncodeKeyboardSettings(fast, system, Effects())[kKbSpeed], 0);
}

TEST(KeyboardSettingsBlock, HostDrivenEffectsAreWrittenAs0xFEAndKeptWhenReadBack) {
    const KeyboardSystemSettings system;
    for (const uint8_t effect : {29, 30}) {
        const KeyboardSettingsBlock b = EncodeKeyboardSettings(Light(effect), system, Effects());
        EXPECT_EQ(b[kKbEffect], kHostDrivenEffect) << int(effect);
        const KeyboardSettingsRead read = DecodeKeyboardSettings(b, Effects());
        EXPECT_FALSE(read.effect.has_value());
        EXPECT_EQ(WithBlockLighting(Light(effect), read).mode, effect) << "the effect stays";
    }
}

TEST(KeyboardSettingsBlock, ReadBack) {
    KeyboardSettingsBlock b{};
    b[0] = 2;
    b[kKbEffect] = 0x40;
    b[kKbBrightness] = 5;
    b[kKbSpeed] = 4;
    b[kKbDirection] = 0;
    b[kKbMulticolour] = 1;
    b[kKbRed] = 1;
    b[kKbRed + 1] = 2;
    b[kKbRed + 2] = 3;
    b[kKbCleared] = 0x99;
    b[kKbDeviceMode] = 6;
    b[kKbWFlag] = 1;
    b[kKbKey6Flag] = 0;
    b[kKbWinFlag] = 1;
    b[kKbPollingRate] = 2;
    b[kKbColourPage] = 3;
    const KeyboardSettingsRead read = DecodeKeyboardSettings(b, Effects());
    EXPECT_EQ(read.effect, 3) << "the code's place in the list";
    EXPECT_EQ(read.speed, 0);
    EXPECT_EQ(read.block[kKbCleared], 0) << "byte 16 is cleared";
    EXPECT_EQ(read.block[0], 2);
    const LightInfoRecord light = WithBlockLighting(LightInfoRecord{}, read);
    EXPECT_EQ(light.mode, 3);
    EXPECT_EQ(light.brightness, 5);
    EXPECT_EQ(light.multicolor, 1);
    EXPECT_EQ((std::array<uint8_t, 3>{light.red, light.green, light.blue}),
              (std::array<uint8_t, 3>{1, 2, 3}));
    EXPECT_EQ(light.device_mode, 6);
    EXPECT_EQ(light.custom_group, 3);
    KeyboardSystemSettings before;
    before.repeat = 31;
    before.polling_rate = 1;
    const KeyboardSystemSettings after = WithBlockFlags(before, read);
    EXPECT_EQ(after.wflag, 1);
    EXPECT_EQ(after.winflag, 1);
    EXPECT_EQ(after.key6, 0);
    EXPECT_EQ(after.repeat, 31);
    EXPECT_EQ(after.polling_rate, 1) << "the report rate is not read back";
    // A code the list lacks stays as the index; a speed byte above 4 is speed 0.
    b[kKbEffect] = 0x55;
    b[kKbSpeed] = 200;
    EXPECT_EQ(DecodeKeyboardSettings(b, Effects()).effect, 0x55);
    EXPECT_EQ(DecodeKeyboardSettings(b, Effects()).speed, 0);
}

TEST(KeyboardSettingsBlock, SystemWordsAreTheProfilesHalves) {
    KeyboardSystemSettings s;
    s.repeat = 20;
    s.repeat_delay = 500;
    s.key6 = 1;
    s.polling_rate = 3;
    s.wflag = 1;
    s.winflag = 1;
    const StageWords words = s.Words();
    EXPECT_EQ(words[0], 500u * 65536 + 20);
    EXPECT_EQ(KeyboardSystemSettings::FromWords(words), s);
    EXPECT_EQ(KeyboardSettingsOffset(2), 50);
    EXPECT_EQ(KeyboardSettingsOffset(0), 0);
}

KeyboardMaps IdentityMaps() {
    KeyboardMaps maps;
    for (int p = 0; p < kKeyboardPositions; ++p) {
        maps.slot[static_cast<size_t>(p)] = static_cast<uint8_t>(p);
        maps.led[static_cast<size_t>(p)] = static_cast<uint8_t>(p);
    }
    return maps;
}

TEST(KeyboardColours, PageFramesAndReadBackFollowTheLedMap) {
    lighting::LedArray leds(kKeyboardLights);
    for (int i = 0; i < kKeyboardLights; ++i)
        (void)leds.Set(static_cast<size_t>(i),
                       {static_cast<uint8_t>(i), static_cast<uint8_t>(i + 1), 7, 128});
    KeyboardMaps maps = IdentityMaps();
    maps.led[1] = 169;              // the page's last light
    maps.led[2] = 170;              // one past the page: left out
    maps.led[3] = kKeyboardNoSlot;  // no light
    maps.led[4] = 125;              // two positions on one light: the later wins
    const KeyColourPage page = BuildKeyColourPage(leds, maps);
    EXPECT_EQ(page[0], 0);
    EXPECT_EQ(page[1], 1);
    EXPECT_EQ(page[3 * 169], 1);
    EXPECT_EQ(page[3 * 169 + 1], 2) << "raw colours, no alpha";
    EXPECT_EQ(page[510], 0);
    EXPECT_EQ(page[511], 0);
    EXPECT_EQ(page[3 * 3], 0) << "light 3 is nobody's";
    EXPECT_EQ(page[3 * 125], 125) << "position 125 comes after position 4";

    const std::vector<KeyColor> colours = ColoursFromPage(page, maps, 200);
    ASSERT_EQ(colours.size(), 170u);
    EXPECT_EQ(colours[1], (KeyColor{1, 2, 7, 200}));
    EXPECT_EQ(colours[3], (KeyColor{0, 0, 0, 200}));
    EXPECT_EQ(colours[10], (KeyColor{10, 11, 7, 200}));
    EXPECT_EQ(colours[150], (KeyColor{0, 0, 0, 200})) << "lights beyond the positions";

    // The frame the base object built (scaled already) lands on the LED indexes, 126 × 3.
    std::vector<uint8_t> shown(512, 0);
    for (size_t i = 0; i < 126 * 3; ++i) shown[i] = static_cast<uint8_t>(i % 251);
    maps = IdentityMaps();
    maps.led[0] = 125;
    maps.led[125] = 0;
    maps.led[5] = 169;  // beyond the frame's lights
    const KeyboardFrame frame = BuildKeyboardFrame(shown, maps);
    EXPECT_EQ(frame[3 * 125], shown[0]);
    EXPECT_EQ(frame[0], shown[3 * 125]);
    EXPECT_EQ(frame[3 * 5], 0) << "light 5 is nobody's now";
    EXPECT_EQ(frame[3 * 60 + 2], shown[3 * 60 + 2]);
}

}  // namespace
}  // namespace dz
