// The keyboard's device object on its page skin against the emulated keyboard: the first
// read into the profile and the page, the settings block both ways, the key map with the
// macros in the keyboard's numbering, the macro image, the page's system controls, power,
// the keyboard's own profile button, the per-key colours and the streamed frame.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QLabel>
#include <QLineEdit>
#include <QSlider>
#include <set>

#include "device/lighting/led_array.h"
#include "device_ui/keyboard_page.h"
#include "models/key_slot_table.h"
#include "models/keyboard_settings.h"
#include "support/macro_files.h"
#include "ui/control_ops.h"

namespace dz {
namespace {

using sim::DeviceKind;
using sim::Link;

class KeyboardDeviceTest : public test::KeyboardPageTest {
  protected:
    // The profile's key list with `assignments` (position -> code), then loaded.
    void AssignKeys(const std::vector<std::pair<int, KeyFunctionCode>>& assignments) {
        Json::Value file = ReadJsonFile(ProfileFile());
        for (const auto& [position, code] : assignments)
            file["Device"][0]["KeyList"][position]["Assignment"] = KeyCodeToProfileInt(code);
        test::WriteJson(ProfileFile(), file);
        ASSERT_EQ(keyboard_->LoadProfile(), 1u);
    }
    KeyFunctionCode DeviceKey(int position) {
        const auto slot = Model().KeySlot(sim::KeyboardSlotOfPosition(position));
        return {slot[0], slot[1], slot[2]};
    }
    std::vector<uint8_t> DeviceBlock(int profile = 0) { return Model().ProfileSettings(profile); }
    bool Selected(const char* name) { return ui::IsSelected(Find<QWidget>(name)); }
    void SetLighting(uint8_t mode) {
        LightRecord r = keyboard_->GetLightRecord();
        r[0] = mode;
        keyboard_->SetLightRecord(r);
        (void)keyboard_->ApplyLighting();
    }
};

TEST_F(KeyboardDeviceTest, TheFirstReadTakesTheKeyboardIntoTheProfileAndThePage) {
    // What the keyboard holds for its profile 0: direction, multicolour and colour unlike
    // the default profile's, and two of its flags.
    ASSERT_TRUE(Model().WriteSettingsBytes(4, std::vector<uint8_t>{0, 0, 0x11, 0x22, 0x33}));
    ASSERT_TRUE(Model().WriteSettingsBytes(19, std::vector<uint8_t>{1, 1, 0}));
    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kCable));
    ASSERT_EQ(OpenCommandPath(keyboard_->Channel(), CommandPath(DeviceKind::kKeyboard), false), 1);
    keyboard_->FirstSync();
    Settle();

    std::vector<uint8_t> expected{CMD_BEGIN, CMD_READ_INFO};
    expected.insert(expected.end(), 10, CMD_READ_KEYMAP);
    expected.insert(expected.end(), 4, CMD_READ_LEDMAP);
    expected.insert(expected.end(), {CMD_END, CMD_READ_SETTINGS, CMD_READ_SETTINGS});
    std::vector<uint8_t> sent;
    for (const auto& e : Sent(Node(DeviceKind::kKeyboard))) sent.push_back(e.bytes[3]);
    EXPECT_EQ(sent, expected);

    EXPECT_EQ(keyboard_->Tables().maps.PositionCount(), 126);
    for (int n = 0; n < 126; ++n) ASSERT_TRUE(keyboard_->KeyButton(n)->isEnabled()) << n;
    EXPECT_EQ(keyboard_->Info()[kInfoKeySlots], 170);
    EXPECT_TRUE(keyboard_->LightingThreadRunning());

    // Lighting and flags from the block, stored and saved; the rest from the profile.
    const Json::Value section = Section();
    EXPECT_EQ(section["LightInfo"]["SelectItem"].asInt(), 1);
    EXPECT_EQ(section["LightInfo"]["Red"].asInt(), 0x11);
    EXPECT_EQ(section["LightInfo"]["Blue"].asInt(), 0x33);
    EXPECT_EQ(section["LightInfo"]["Speed"].asInt(), 2) << "4 - 2";
    EXPECT_EQ(section["LightInfo"]["MultiColor"].asInt(), 0);
    EXPECT_EQ(section["LightInfo"]["Fx"].asInt(), 0);
    EXPECT_EQ(section["SystemStages"]["WFlag"].asInt(), 1);
    EXPECT_EQ(section["SystemStages"]["Key6Flag"].asInt(), 1);
    EXPECT_EQ(section["SystemStages"]["WinFlag"].asInt(), 0);
    EXPECT_EQ(section["SystemStages"]["Repeat"].asInt(), 20) << "not in the block";
    EXPECT_EQ(section["SystemStages"]["PollingRate"].asInt(), 0) << "not read back";

    // The page shows them.
    EXPECT_TRUE(Selected("wflag_option"));
    EXPECT_TRUE(Selected("6flag_option"));
    EXPECT_FALSE(Selected("winlockflag_option"));
    EXPECT_TRUE(Selected("polling_rate_option_0"));
    EXPECT_TRUE(Selected("repeat_delay_check_1"));
    EXPECT_EQ(ui::Value(Find<QWidget>("repeat_rate_slider")), 20);
    EXPECT_TRUE(Find<QLabel>("repeat_delay_time_label1")->text().endsWith("500ms"));
    auto* lighting = Panel<test::StandInLighting>();
    ASSERT_NE(lighting, nullptr);
    EXPECT_EQ(lighting->device_type, TYPE_KEYBOARD);
    EXPECT_EQ(lighting->names.size(), 31u) << "the keyboard's effects of default_light.json";
    EXPECT_FALSE(lighting->visible[0]);
    EXPECT_EQ(lighting->shown[5], 0x11) << "the record shown is the one read";
}

TEST_F(KeyboardDeviceTest, WithProfileTwoCurrentTheBlockIsReadFromOffset50) {
    ASSERT_TRUE(Model().SetCurrentProfile(2));  // seeded blue
    Connect();
    EXPECT_EQ(keyboard_->DeviceProfile(), 2);
    EXPECT_EQ(Section()["LightInfo"]["Blue"].asInt(), 0xFF);
    EXPECT_EQ(Section()["LightInfo"]["Red"].asInt(), 0);
    EXPECT_EQ(keyboard_->LastBlock()[0], 0) << "profile 2's own first byte";
    EXPECT_TRUE(Find<QLabel>("keyboard_onboard_profile_label")->text().contains("3"));
}

TEST_F(KeyboardDeviceTest, TheBlockWrittenIsTheProfilesAndHostDrivenEffectsGoAs0xFE) {
    Connect();
    keyboard_->SetLightInfo(0x02040105, 0x30201001, 0x06000000, 0x0002);  // effect 5
    keyboard_->SaveProfile();
    ASSERT_EQ(keyboard_->WriteSystemSettings(0, 0, 1, 1920, 1080), 1u);
    Settle();
    std::vector<uint8_t> block = DeviceBlock();
    EXPECT_EQ(block[kKbEffect], 5);
    EXPECT_EQ(block[kKbBrightness], 1);
    EXPECT_EQ(block[kKbSpeed], 0) << "4 - speed 4";
    EXPECT_EQ(block[kKbDirection], 2);
    EXPECT_EQ(block[kKbMulticolour], 1);
    EXPECT_EQ((std::vector<uint8_t>(block.begin() + 6, block.begin() + 9)),
              (std::vector<uint8_t>{0x10, 0x20, 0x30}));
    EXPECT_EQ(block[kKbDeviceMode], 6);
    EXPECT_EQ(block[kKbPollingRate], 0);
    const std::vector<uint8_t> expected = test::DataOfWrites(Sent(), CMD_WRITE_SETTINGS);
    EXPECT_EQ(expected, std::vector<uint8_t>(block.begin(), block.end()));

    // Audio (29) and host colour (30) are driven by the host: 0xFE, and read back they stay.
    for (const uint8_t effect : {29, 30}) {
        SetLighting(effect);
        keyboard_->SaveProfile();
        ASSERT_EQ(keyboard_->WriteSystemSettings(0, 0, 1, 0, 0), 1u);
        Settle();
        EXPECT_EQ(DeviceBlock()[kKbEffect], kHostDrivenEffect) << int(effect);
        keyboard_->Resync();
        Settle();
        EXPECT_EQ(Section()["LightInfo"]["SelectItem"].asInt(), effect);
        EXPECT_EQ(keyboard_->GetLightRecord()[0], effect);
    }
}

TEST_F(KeyboardDeviceTest, TheKeyMapCarriesTheMacrosInTheKeyboardsNumbering) {
    test::WriteMacroList(Folder(), {3, 2, 1, 1, 1, 4});  // macros 0..5
    Connect();
    const KeyFunctionCode f2 = KeyboardPositionCodes()[2];
    AssignKeys({{0, {kKeyTypeMacro, 5, 1}},
                {1, {kKeyTypeMacroRepeat, 2, 7}},
                {2, {kKeyTypeMacro, 6, 0}},  // the count: no such macro
                {3, {kKeyTypeMacro, 5, 3}}});
    EXPECT_EQ(keyboard_->GetMacroList(), (std::vector<int>{5, 2}));
    ASSERT_EQ(keyboard_->WriteCurrentKeyMap(0), 1u);
    Settle();
    EXPECT_EQ(DeviceKey(0), (KeyFunctionCode{kKeyTypeMacro, 0, 1})) << "macro 5 is the first";
    EXPECT_EQ(DeviceKey(1), (KeyFunctionCode{kKeyTypeMacroRepeat, 1, 7}));
    EXPECT_EQ(DeviceKey(2), f2) << "the default code";
    EXPECT_EQ(DeviceKey(3), (KeyFunctionCode{kKeyTypeMacro, 0, 3}));
    EXPECT_EQ(DeviceKey(4), KeyboardPositionCodes()[4]);
    // The profile keeps the numbers of the macro list.
    EXPECT_EQ(Section()["KeyList"][0]["Assignment"].asInt(),
              KeyCodeToProfileInt({kKeyTypeMacro, 5, 1}));

    // The image's entries in the same order: macro 5's four events, then macro 2's one.
    int answer = 99;
    keyboard_->WriteMacros([&answer](int a) { answer = a; });
    Settle();
    EXPECT_EQ(answer, 0);
    const std::vector<uint8_t> memory = Model().MacroMemory();
    EXPECT_EQ(memory[4], 2) << "two macros";
    EXPECT_EQ(memory[2], 16 + 12 + 4 * 5) << "total size";
    const MacroEventCode first = ToDeviceCode(test::KeyEvents(1, 5)[0]);
    EXPECT_TRUE(std::equal(first.begin(), first.end(), memory.begin() + 16 + 4 + 4));
    EXPECT_EQ(memory[16 + 4 + 4 + 16], 1) << "macro 2's entry: one event";
}

TEST_F(KeyboardDeviceTest, AssignedKeysStayOnThePageWhenTheKeyboardIsReadAgain) {
    test::WriteMacroList(Folder(), {1});
    Connect();
    AssignKeys({{0, {kKeyTypeMacro, 0, 0}}, {1, ConsumerKeyCode(0x00E9)}});
    (void)keyboard_->WriteCurrentKeyMap(0);
    Settle();
    ASSERT_EQ(DeviceKey(0), (KeyFunctionCode{kKeyTypeMacro, 0, 0}));
    keyboard_->FirstSync();  // the keyboard plugged in again
    Settle();
    EXPECT_EQ(keyboard_->Tables().maps.PositionCount(), 126);
    EXPECT_TRUE(keyboard_->KeyButton(0)->isEnabled());
    EXPECT_TRUE(keyboard_->KeyButton(1)->isEnabled());
    AssignKeys({{0, KeyboardPositionCodes()[0]}, {1, KeyboardPositionCodes()[1]}});
    (void)keyboard_->WriteCurrentKeyMap(0);
    Settle();
    EXPECT_EQ(DeviceKey(0), KeyboardPositionCodes()[0]) << "and can be given its key back";
    EXPECT_EQ(DeviceKey(1), KeyboardPositionCodes()[1]);
}

TEST_F(KeyboardDeviceTest, MacroAnswersReachTheCaller) {
    Connect();
    AssignKeys(
        {{0, {kKeyTypeMacro, 0, 0}}, {1, {kKeyTypeMacro, 1, 0}}, {2, {kKeyTypeMacro, 2, 0}}});
    test::WriteMacroList(Folder(), {10, 0, 4});
    int answer = 99;
    keyboard_->WriteMacros([&answer](int a) { answer = a; });
    Settle();
    EXPECT_EQ(answer, 0);
    EXPECT_EQ(Model().MacroMemory()[2], 90) << "16 + 18 + 56";

    // 70,000 events do not fit: the shortage in events, nothing written.
    const std::vector<uint8_t> before = Model().MacroMemory();
    test::WriteMacroList(Folder(), {70000});
    AssignKeys({{0, {kKeyTypeMacro, 0, 0}},
                {1, KeyboardPositionCodes()[1]},
                {2, KeyboardPositionCodes()[2]}});
    emu_.Traffic().Clear();
    keyboard_->WriteMacros([&answer](int a) { answer = a; });
    Settle();
    EXPECT_EQ(answer, (16 + 6 + 280000 - 4096) / 4 + 1);
    EXPECT_EQ(CountCommand(Sent(), CMD_WRITE_MACROS), 0u);
    EXPECT_EQ(Model().MacroMemory(), before);

    // A list that does not parse: no macro to write, no key loses its macro.
    test::WriteText(Folder() / "macro.config", "{ \"MacroInfo\": [");
    keyboard_->WriteMacros([&answer](int a) { answer = a; });
    Settle();
    EXPECT_EQ(answer, 0);
    keyboard_->CheckMacroKeys();
    EXPECT_EQ(Section()["KeyList"][0]["Assignment"].asInt(),
              KeyCodeToProfileInt({kKeyTypeMacro, 0, 0}));
}

TEST_F(KeyboardDeviceTest, CheckMacroKeysGivesKeysOfRemovedMacrosTheirDefaultBack) {
    test::WriteMacroList(Folder(), {1, 1});
    Connect();
    AssignKeys({{0, {kKeyTypeMacro, 1, 0}}, {1, {kKeyTypeMacroRepeat, 3, 2}}});
    keyboard_->CheckMacroKeys();
    EXPECT_EQ(keyboard_->Keys()[0].current, (KeyFunctionCode{kKeyTypeMacro, 1, 0}));
    EXPECT_EQ(keyboard_->Keys()[1].current, KeyboardPositionCodes()[1]);
    EXPECT_EQ(Section()["KeyList"][1]["Assignment"].asInt(),
              KeyCodeToProfileInt(KeyboardPositionCodes()[1]));
    Settle();
    EXPECT_TRUE(Sent().empty()) << "nothing is written to the keyboard";
}

TEST_F(KeyboardDeviceTest, ThePagesSystemControlsGoToTheProfileAndTheKeyboard) {
    Connect();
    auto* slider = Find<QSlider>("repeat_rate_slider");
    slider->setValue(33);
    keyboard_->OnRepeatRate();
    Settle();
    EXPECT_EQ(Section()["SystemStages"]["Repeat"].asInt(), 33);
    EXPECT_EQ(CountCommand(Sent(), CMD_WRITE_SETTINGS), 1u) << "the block is written";

    ui::SetSelected(Find<QWidget>("winlockflag_option"), true);
    keyboard_->OnLockFlag(0);
    ui::SetSelected(Find<QWidget>("6flag_option"), true);
    keyboard_->OnLockFlag(2);
    ui::SetSelected(Find<QWidget>("polling_rate_option_2"), true);
    keyboard_->OnPollingRate(2);
    keyboard_->OnPollingRate(0);  // the option left tells too: it changes nothing
    ui::SetSelected(Find<QWidget>("repeat_delay_check_3"), true);
    keyboard_->OnRepeatDelay(3);
    Settle();
    const Json::Value stages = Section()["SystemStages"];
    EXPECT_EQ(stages["WinFlag"].asInt(), 1);
    EXPECT_EQ(stages["Key6Flag"].asInt(), 1);
    EXPECT_EQ(stages["WFlag"].asInt(), 0);
    EXPECT_EQ(stages["PollingRate"].asInt(), 2);
    EXPECT_EQ(stages["RepeatDelay"].asInt(), 3);
    const std::vector<uint8_t> block = DeviceBlock();
    EXPECT_EQ(block[kKbWinFlag], 1);
    EXPECT_EQ(block[kKbKey6Flag], 1);
    EXPECT_EQ(block[kKbPollingRate], 2);
    EXPECT_TRUE(Selected("polling_rate_option_2"));
    EXPECT_TRUE(Find<QLabel>("repeat_delay_time_label1")->text().endsWith("1000ms"));

    Find<QLineEdit>("repeat_input_richedit")->setText("aaaa");
    keyboard_->OnResetRepeat();
    EXPECT_TRUE(Find<QLineEdit>("repeat_input_richedit")->text().isEmpty());

    // Without the keyboard the profile alone takes the change.
    CloseCommandPaths(keyboard_->Channel());
    emu_.Traffic().Clear();
    ui::SetSelected(Find<QWidget>("polling_rate_option_1"), true);
    keyboard_->OnPollingRate(1);
    Settle();
    EXPECT_EQ(Section()["SystemStages"]["PollingRate"].asInt(), 1);
    EXPECT_TRUE(Sent().empty());
}

TEST_F(KeyboardDeviceTest, TheKeyboardsProfileButtonMovesTheProfileDisplay) {
    Connect();
    keyboard_->OpenListener(0, NotifyPath(DeviceKind::kKeyboard));
    ASSERT_TRUE(emu_.PressProfile(DeviceKind::kKeyboard, 3));
    ASSERT_TRUE(test::WaitUntil([&] {
        QCoreApplication::processEvents();
        return keyboard_->DeviceProfile() == 3;
    }));
    EXPECT_TRUE(Find<QLabel>("keyboard_onboard_profile_label")->text().contains("4"));
    keyboard_->StopListener(0);
}

TEST_F(KeyboardDeviceTest, PowerBytesReachTheIndicatorAndTheWindow) {
    Connect();
    keyboard_->ReadPowerStatus();
    Settle();
    ASSERT_EQ(power_->record.size(), 6u);
    EXPECT_EQ(power_->record[0], 85);
    EXPECT_EQ(power_->record[3], 0) << "on the cable";
    ASSERT_FALSE(window_->messages.empty());
    EXPECT_EQ(window_->messages.back(), (std::pair<unsigned, qintptr>{kMsgPowerRead, 1}));

    keyboard_->SetPowerReadPause(true);
    emu_.Traffic().Clear();
    keyboard_->ReadPowerStatus();
    Settle();
    EXPECT_TRUE(Sent().empty()) << "paused while the window is hidden";
}

TEST_F(KeyboardDeviceTest, ThroughTheReceiverPowerSaysWireless) {
    Connect(Link::kReceiver);
    Model().SetPowerBytes(std::vector<uint8_t>{41});
    keyboard_->ReadPowerStatus();
    Settle();
    ASSERT_EQ(power_->record.size(), 6u);
    EXPECT_EQ(power_->record[0], 41);
    EXPECT_EQ(power_->record[3], 1);
}

TEST_F(KeyboardDeviceTest, RestoringTheDefaultsReplacesTheProfilesSection) {
    Connect();
    AssignKeys({{0, {kKeyTypeKeyboard, 0, 0x04}}});
    Find<QSlider>("repeat_rate_slider")->setValue(70);
    keyboard_->OnRepeatRate();
    Settle();
    ASSERT_EQ(Section()["SystemStages"]["Repeat"].asInt(), 70);
    keyboard_->RestoreDefaults();
    const Json::Value defaults = ReadJsonFile(paths::DefaultDataFile("keyboard"))["Device"][0];
    EXPECT_EQ(Section()["SystemStages"], defaults["SystemStages"]);
    EXPECT_EQ(Section()["KeyList"][0], defaults["KeyList"][0]);
    EXPECT_EQ(keyboard_->Keys()[0].current, KeyboardPositionCodes()[0]);
    EXPECT_EQ(keyboard_->System().repeat, defaults["SystemStages"]["Repeat"].asInt());
    EXPECT_EQ(ui::Value(Find<QWidget>("repeat_rate_slider")), keyboard_->System().repeat);
    EXPECT_EQ(ReadJsonFile(ProfileFile())["profileUUID"].asString(), "u0")
        << "the file's own members stay";
}

TEST_F(KeyboardDeviceTest, PerKeyColoursGoToTheColourPageAndComeBackIntoTheProfile) {
    Connect();
    keyboard_->StopLightingThread();  // the lights stay as painted
    SetLighting(20);
    auto* lighting = Panel<test::StandInLighting>();
    lighting->group = 1;
    keyboard_->SetLedColour(5, lighting::PackLed({9, 8, 7, 255}));
    keyboard_->PaintKey(7);  // takes the lighting colour
    Settle();
    const std::vector<uint8_t> page = Model().KeyColourPage(0);
    EXPECT_EQ((std::vector<uint8_t>(page.begin() + 15, page.begin() + 18)),
              (std::vector<uint8_t>{9, 8, 7}));
    const LightRecord r = keyboard_->GetLightRecord();
    EXPECT_EQ((std::vector<uint8_t>(page.begin() + 21, page.begin() + 24)),
              (std::vector<uint8_t>{r[5], r[6], r[7]}));
    EXPECT_EQ(Section()["CustomLightMode"]["LightColorInfo"][1][5]["Red"].asInt(), 9);

    // WriteKeyColours: the lighting settings' colour page. Applying effect 20 starts it
    // again with the stored group's colours: group 1 is stored as the selected one.
    keyboard_->SelectCustomGroup(1);
    LightRecord rec = keyboard_->GetLightRecord();
    rec[12] = 3;
    keyboard_->SetLightRecord(rec);
    (void)keyboard_->ApplyLighting();
    keyboard_->WriteKeyColours();
    Settle();
    EXPECT_EQ(Model().KeyColourPage(3)[15], 9);

    // Read back from page 0, into the custom colours of the profile's group (1, selected).
    std::vector<uint8_t> colours(510, 0);
    colours[3 * 40] = 0xAB;
    ASSERT_TRUE(emu_.Plug(DeviceKind::kKeyboard, Link::kCable));
    CommandChannel direct;
    ASSERT_EQ(OpenCommandPath(direct, CommandPath(DeviceKind::kKeyboard), false), 1);
    ASSERT_EQ(direct.WriteKeyColors(0, 512, colours), kCmdOk);
    CloseCommandPaths(direct);
    keyboard_->ReadKeyColours();
    Settle();
    const Json::Value group1 = Section()["CustomLightMode"]["LightColorInfo"][1];
    EXPECT_EQ(group1[40]["Red"].asInt(), 0xAB);
    EXPECT_EQ(group1[5]["Red"].asInt(), 0);
    EXPECT_EQ(group1.size(), 170u);

    // Other effects paint nothing.
    SetLighting(1);
    emu_.Traffic().Clear();
    keyboard_->PaintKey(7);
    keyboard_->WriteKeyColours();
    Settle();
    EXPECT_TRUE(Sent().empty());
}

TEST_F(KeyboardDeviceTest, OnlyTheHostDrivenEffectsAreStreamedOverThe126Positions) {
    Connect();
    keyboard_->SetLedColour(3, lighting::PackLed({200, 100, 50, 128}));
    keyboard_->PushLightFrame();
    keyboard_->PushLightFrame();
    EXPECT_EQ(keyboard_->Stream().SubmittedCount(), 0u) << "effect 1 runs on the keyboard";

    keyboard_->StopLightingThread();  // the picture stays as set
    SetLighting(29);
    keyboard_->SetLedColour(3, lighting::PackLed({200, 100, 50, 128}));
    keyboard_->PushLightFrame();
    ASSERT_TRUE(test::WaitUntil([&] { return !Model().LastLightFrame().empty(); },
                                std::chrono::milliseconds(3000)));
    const std::vector<uint8_t> frame = Model().LastLightFrame();
    ASSERT_EQ(frame.size(), 378u);
    EXPECT_EQ(frame[9], 100) << "position 3 at its light, scaled by alpha";
    EXPECT_EQ(frame[10], 50);
    EXPECT_EQ(frame[11], 25);
}

TEST_F(KeyboardDeviceTest, AKeyboardWithoutTablesShowsNoKeysAndGetsNoKeyMap) {
    Model().SetInfoBlock({});
    Connect();
    EXPECT_EQ(keyboard_->Tables().maps.PositionCount(), 0);
    for (int n = 0; n < 126; ++n) ASSERT_FALSE(keyboard_->KeyButton(n)->isEnabled()) << n;
    EXPECT_TRUE(keyboard_->GetMacroList().empty());
    const std::vector<uint8_t> before = Model().KeyMap();
    (void)keyboard_->WriteCurrentKeyMap(0);
    Settle();
    EXPECT_EQ(CountCommand(Sent(), CMD_WRITE_KEYMAP), 0u);
    EXPECT_EQ(Model().KeyMap(), before);
}

TEST_F(KeyboardDeviceTest, KeySlotsBeyond512BytesEndTheReadAndLeaveNoKeys) {
    std::array<uint8_t, 34> info = Model().InfoBlock();
    info[kInfoKeySlots] = 200;
    Model().SetInfoBlock(info);
    Connect();
    EXPECT_EQ(keyboard_->Tables().maps.PositionCount(), 0);
    EXPECT_FALSE(keyboard_->KeyButton(0)->isEnabled());
}

TEST_F(KeyboardDeviceTest, WithoutAKeyboardThePageShowsAndTakesTheProfile) {
    // Built and bound, no keyboard: the page shows the profile's settings.
    EXPECT_EQ(ui::Value(Find<QWidget>("repeat_rate_slider")), 20);
    EXPECT_TRUE(Find<QWidget>("repeat_delay_check_1") != nullptr &&
                ui::IsSelected(Find<QWidget>("repeat_delay_check_1")));
    Find<QSlider>("repeat_rate_slider")->setValue(45);
    keyboard_->OnRepeatRate();
    Settle();
    EXPECT_EQ(Section()["SystemStages"]["Repeat"].asInt(), 45) << "the profile takes it";
    EXPECT_TRUE(Sent().empty());
}

TEST_F(KeyboardDeviceTest, ALightListNamingFilesOutsideItsFolderReadsNothingThere) {
    // A custom effect whose Guid leads out of the folder, selected by the profile.
    test::WriteJson(Folder() / "rodav_light.config",
                    test::J(R"({"LightInfo": [[{"LightName": "mine", "Guid": "../../outside"},
                                               {"LightName": "other", "Guid": "/etc/passwd"}]]})"));
    test::WriteJson(data_.path() / "outside.light",
                    test::J(R"({"LEDEffectList": [{"LEDREGMode": 3, "Time": 100}]})"));
    const std::set<std::string> before = test::TreeOf(data_.path());
    Connect();
    ASSERT_EQ(keyboard_->LoadProfile(), 1u);
    keyboard_->RefreshPage();
    auto* lighting = Panel<test::StandInLighting>();
    EXPECT_EQ(lighting->custom, (std::vector<std::string>{"mine", "other"})) << "names only";
    EXPECT_TRUE(keyboard_->ProfileData()->GetEffectSteps().empty()) << "no file outside is read";
    EXPECT_EQ(test::TreeOf(data_.path()), before) << "nothing written beside the user's files";
}

TEST_F(KeyboardDeviceTest, SelectingAKeyShowsItsEntryAndFnFollowsThePageType) {
    Connect();
    auto* keys = Panel<test::StandInKeys>();
    ASSERT_NE(keys, nullptr);
    EXPECT_EQ(keys->device_type, TYPE_KEYBOARD);
    EXPECT_FALSE(ui::IsVisible(keys)) << "hidden until a key is chosen";
    keyboard_->SelectKey(43);
    EXPECT_TRUE(ui::IsVisible(keys));
    EXPECT_EQ(keys->key, 43);
    EXPECT_EQ(keys->current, KeyCodeToProfileInt(KeyboardPositionCodes()[43]));
    keyboard_->SetFunctionPage(2);
    EXPECT_FALSE(keyboard_->KeyButton(110)->isEnabled());
    keyboard_->SetFunctionPage(1);
    EXPECT_TRUE(keyboard_->KeyButton(110)->isEnabled());
    auto* macros = Panel<test::StandInMacros>();
    ASSERT_NE(macros, nullptr);
    EXPECT_EQ(macros->folder, Folder());
}

}  // namespace
}  // namespace dz
