#include "macro/macro_event.h"

#include <gtest/gtest.h>

#include "macro/macro_names.h"
#include "profile/json_file.h"
#include "support/temp_folder.h"

namespace dz {
namespace {

using test::J;

TEST(MacroEvent, DeviceForm) {
    struct Case {
        MacroEvent event;
        MacroEventCode code;
    };
    const Case cases[] = {
        {{10, 4, "down", "300"}, {0x2C, 0x01, 0x8A, 0x04}},
        {{10, 4, "up", "300"}, {0x2C, 0x01, 0x0A, 0x04}},
        {{10, 4, "Down", "300"}, {0x2C, 0x01, 0x0A, 0x04}},   // only "down" is a press
        {{1, 2, "down", "70000"}, {0x70, 0x11, 0x81, 0x02}},  // 70000 -> 4464
        {{9, 0x80, "down", ""}, {0, 0, 0x89, 0x80}},
        {{5, 300, "up", " +12ms"}, {12, 0, 0x05, 0x2C}},
        {{4, 1, "down", "-1"}, {0xFF, 0xFF, 0x84, 0x01}},
        {{0x1FF, 0, "down", "abc"}, {0, 0, 0xFF, 0}},
        {{10, 4, "down", "99999999999999"}, {0xFF, 0xFF, 0x8A, 0x04}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.event.delay + "/" + c.event.action);
        EXPECT_EQ(ToDeviceCode(c.event), c.code);
    }
}

TEST(MacroEvent, DelaysAsShown) {
    const std::pair<const char*, int> cases[] = {{"300", 300}, {"70000", 65535}, {"", 0},
                                                 {"-20", 0},   {"65535", 65535}, {"  42x", 42}};
    for (const auto& [text, shown] : cases) EXPECT_EQ(DisplayDelay(text), shown) << text;
    EXPECT_EQ(ParseDelay("70000") & 0xFFFF, 4464);
}

TEST(MacroEvent, SavedFileLayoutAndNormalisedDelays) {
    test::TempFolder dir;
    const auto path = dir / "m.mac";
    const std::vector<MacroEvent> events = {{10, 4, "down", "300"},
                                            {10, 4, "released", ""},
                                            {1, 1, "down", "007"},
                                            {5, 3, "up", "12x"}};
    ASSERT_TRUE(SaveEvents(path, "Combo", "2024_03_07_09_05_01_042", events));
    EXPECT_EQ(ReadJsonFile(path), J(R"({"MacroName": "Combo", "Guid": "2024_03_07_09_05_01_042",
        "Version": 64, "Events": [
        {"Type": 10, "Button": 4, "Action": "down", "Delay": "300"},
        {"Type": 10, "Button": 4, "Action": "up", "Delay": "0"},
        {"Type": 1, "Button": 1, "Action": "down", "Delay": "7"},
        {"Type": 5, "Button": 3, "Action": "up", "Delay": "12"}]})"));
    const auto loaded = LoadEvents(path);
    ASSERT_EQ(loaded.size(), 4u);
    EXPECT_EQ(loaded[1], (MacroEvent{10, 4, "up", "0"}));
}

TEST(MacroEvent, LoadingToleratesHandEditedFiles) {
    test::TempFolder dir;
    EXPECT_TRUE(LoadEvents(dir / "missing.mac").empty());
    test::WriteText(dir / "bad.mac", "{\"Events\": [");
    EXPECT_TRUE(LoadEvents(dir / "bad.mac").empty());
    test::WriteText(dir / "odd.mac", R"({"Events": [{"Type": "10", "Button": 4.7, "Delay": 250,
        "Action": 1}, 5]})");
    const auto events = LoadEvents(dir / "odd.mac");
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0], (MacroEvent{0, 4, "", "250"}));
    EXPECT_EQ(events[1], MacroEvent{});
}

TEST(MacroEvent, TooManyEventsAreNotSaved) {
    test::TempFolder dir;
    std::vector<MacroEvent> events(kMaxMacroEvents, MacroEvent{10, 4, "down", "1"});
    ASSERT_TRUE(SaveEvents(dir / "full.mac", "m", "g", events));
    EXPECT_EQ(LoadEvents(dir / "full.mac").size(), kMaxMacroEvents);
    events.push_back(events.front());
    EXPECT_FALSE(SaveEvents(dir / "over.mac", "m", "g", events));
    EXPECT_FALSE(std::filesystem::exists(dir / "over.mac"));
}

TEST(MacroNames, EventsAreNamedByTheirTables) {
    const std::pair<MacroEvent, const char*> cases[] = {
        {{9, 1, "down", "0"}, "keyboard_key_LCtrl"},
        {{9, 128, "up", "0"}, "keyboard_key_RWin"},
        {{9, 3, "up", "0"}, ""},
        {{10, 4, "down", "0"}, "keyboard_key_A"},
        {{10, 0, "down", "0"}, ""},
        {{1, 16, "down", "0"}, "mouse_key_forward"},
        {{1, 8, "up", "0"}, "mouse_key_back"},
        {{4, 10, "down", "0"}, "mouse_move_to_left_text"},
        {{4, 10, "up", "0"}, "mouse_move_to_right_text"},
        {{5, 10, "down", "0"}, "mouse_move_to_up_text"},
        {{5, 10, "up", "0"}, "mouse_move_to_down_text"},
        {{2, 1, "down", "0"}, ""},
    };
    for (const auto& [event, name] : cases) {
        EXPECT_EQ(MacroEventName(event), name) << event.type << "/" << event.button;
    }
    EXPECT_EQ(MacroKeyTable().size(), 142u);
    EXPECT_EQ(MacroMouseTable()[14].name, "mouse_cursor_text");
}

}  // namespace
}  // namespace dz
