#include "models/key_pages.h"

#include <gtest/gtest.h>

#include <span>

#include "models/key_tables.h"

namespace dz {
namespace {

// A default no test code equals, so that reading back never lands on the default page
// by accident.
constexpr KeyFunctionCode kDefault{kKeyTypeMouseButton, kMouseButtonLeft, 0};
constexpr KeyFunctionCode kCurrent{kKeyTypeMacro, 1, 2};

KeyFunctionCode Build(const KeyPageInput& input, KeyFunctionCode current = kCurrent) {
    return BuildKeyFunctionCode(input, current, kDefault);
}

KeyPageView Read(KeyFunctionCode code, int macro_count = 0) {
    return ReadBackKeyFunctionCode(code, kDefault, macro_count);
}

KeyPageInput Page(KeyFunctionPage page) {
    KeyPageInput in;
    in.page = page;
    return in;
}

KeyPageInput Motion(KeyFunctionPage page, int delay, int speed, int count, int direction) {
    KeyPageInput in = Page(page);
    in.delay = delay;
    in.speed = speed;
    in.count = count;
    in.direction = direction;
    return in;
}

KeyPageInput Keyboard(int modifier, uint8_t usage) {
    KeyPageInput in = Page(KeyFunctionPage::kKeyboard);
    in.modifier = modifier;
    in.key_usage = usage;
    return in;
}

KeyPageInput Macro(int row, int count, int mode, int repeat = 0) {
    KeyPageInput in = Page(KeyFunctionPage::kMacro);
    in.macro_row = row;
    in.macro_count = count;
    in.macro_mode = mode;
    in.repeat_count = repeat;
    return in;
}

TEST(KeyPages, EveryListRowRoundTrips) {
    struct List {
        KeyFunctionPage page;
        std::span<const KeyFunctionCode> rows;
    };
    const List lists[] = {
        {KeyFunctionPage::kMouseButton, MouseButtonList()},
        {KeyFunctionPage::kDpi, DpiFunctionList()},
        {KeyFunctionPage::kMedia, MediaKeyList()},
        {KeyFunctionPage::kSystem, SystemKeyList()},
        {KeyFunctionPage::kCombo, ComboShortcutList()},
    };
    const KeyFunctionCode other_default{kKeyTypeGun, 9, 0};
    for (const auto& list : lists) {
        for (size_t r = 0; r < list.rows.size(); ++r) {
            KeyPageInput in = Page(list.page);
            in.list_row = static_cast<int>(r);
            const KeyFunctionCode code = BuildKeyFunctionCode(in, kCurrent, other_default);
            EXPECT_EQ(code, list.rows[r]);
            const KeyPageView view = ReadBackKeyFunctionCode(code, other_default, 0);
            EXPECT_EQ(view.page, list.page) << static_cast<int>(list.page) << " row " << r;
            EXPECT_EQ(view.list_row, static_cast<int>(r)) << static_cast<int>(list.page);
            EXPECT_EQ(view.code, code);
        }
        // Nothing selected, or a row beyond the list: the code stays as it was.
        KeyPageInput none = Page(list.page);
        EXPECT_EQ(Build(none), kCurrent);
        none.list_row = static_cast<int>(list.rows.size());
        EXPECT_EQ(Build(none), kCurrent);
    }
}

TEST(KeyPages, ListCodesNotInTheListSelectNothing) {
    EXPECT_EQ(Read({kKeyTypeMouseButton, 0x20, 0}).page, KeyFunctionPage::kMouseButton);
    EXPECT_EQ(Read({kKeyTypeMouseButton, 0x20, 0}).list_row, -1);
    EXPECT_EQ(Read(ConsumerKeyCode(0x0030)).page, KeyFunctionPage::kMedia);
    EXPECT_EQ(Read(ConsumerKeyCode(0x0030)).list_row, -1);
    EXPECT_EQ(Read({kKeyTypeDpi, 4, 0}).list_row, -1);
}

TEST(KeyPages, SwingAndWheelEncoding) {
    struct Case {
        const char* what;
        KeyPageInput in;
        KeyFunctionCode code;
    };
    const Case cases[] = {
        {"swing, first direction",
         Motion(KeyFunctionPage::kMouseSwing, 3, 5, 10, 0),
         {0x11, 0x35, 10}},
        {"swing, second direction",
         Motion(KeyFunctionPage::kMouseSwing, 3, 5, 10, 1),
         {0x11, 0x35, 0x80 | 10}},
        {"swing delay 20 keeps 4",
         Motion(KeyFunctionPage::kMouseSwing, 20, 0, 1, 0),
         {0x11, 0x40, 1}},
        {"swing count keeps 7 bits",
         Motion(KeyFunctionPage::kMouseSwing, 0, 17, 200, 0),
         {0x11, 0x01, 200 & 0x7F}},
        {"wheel, first direction",
         Motion(KeyFunctionPage::kMouseWheel, 1, 2, 3, 0),
         {0x12, 0x12, 3}},
        {"wheel 3 steps, second direction",
         Motion(KeyFunctionPage::kMouseWheel, 0, 0, 3, 1),
         {0x12, 0x00, 0xFD}},
        {"wheel 128 steps, second direction",
         Motion(KeyFunctionPage::kMouseWheel, 0, 0, 128, 1),
         {0x12, 0x00, 0x80}},
        {"wheel 0 steps, second direction",
         Motion(KeyFunctionPage::kMouseWheel, 0, 0, 0, 1),
         {0x12, 0x00, 0x00}},
    };
    for (const auto& c : cases) EXPECT_EQ(Build(c.in), c.code) << c.what;

    const KeyPageView wheel = Read({0x12, 0x00, 0xFD});
    EXPECT_EQ(wheel.page, KeyFunctionPage::kMouseWheel);
    EXPECT_EQ(wheel.count, 3);
    EXPECT_EQ(wheel.direction, 1);
    EXPECT_EQ(Read({0x12, 0x00, 0x80}).count, 128);
    EXPECT_EQ(Read({0x11, 0x40, 1}).delay, 4);
}

TEST(KeyPages, SwingAndWheelRoundTripOverTheirRanges) {
    for (const auto page : {KeyFunctionPage::kMouseSwing, KeyFunctionPage::kMouseWheel}) {
        for (int direction = 0; direction < 2; ++direction) {
            for (int count = 0; count < 128; ++count) {
                const int delay = count % 16;
                const int speed = 15 - count % 16;
                const KeyPageView view = Read(Build(Motion(page, delay, speed, count, direction)));
                const bool wheel_zero_back = page == KeyFunctionPage::kMouseWheel && count == 0;
                EXPECT_EQ(view.page, page);
                EXPECT_EQ(view.delay, delay);
                EXPECT_EQ(view.speed, speed);
                EXPECT_EQ(view.count, count) << static_cast<int>(page) << " " << direction;
                // No wheel steps read back as the first direction: there is no "-0".
                EXPECT_EQ(view.direction, wheel_zero_back ? 0 : direction) << count;
            }
        }
    }
}

TEST(KeyPages, RapidFireAndGun) {
    KeyPageInput fire = Page(KeyFunctionPage::kRapidFire);
    fire.interval = 300;  // low 8 bits of the decimal text
    fire.clicks = 5;
    EXPECT_EQ(Build(fire), (KeyFunctionCode{0x14, 300 & 0xFF, 5}));
    const KeyPageView view = Read({0x14, 44, 5});
    EXPECT_EQ(view.page, KeyFunctionPage::kRapidFire);
    EXPECT_EQ(view.interval, 44);
    EXPECT_EQ(view.clicks, 5);

    KeyPageInput gun = Page(KeyFunctionPage::kGun);
    gun.gun_row = 3;
    EXPECT_EQ(Build(gun), (KeyFunctionCode{0x72, 3, 0}));
    EXPECT_EQ(Read({0x72, 3, 0}).page, KeyFunctionPage::kGun);
    EXPECT_EQ(Read({0x72, 3, 0}).gun_row, 3);
    gun.gun_row = -1;
    EXPECT_EQ(Build(gun), kCurrent);
}

TEST(KeyPages, KeyboardKeysWithEachModifier) {
    const int key_row = FindKeyByUsage(0x04);  // A
    ASSERT_GE(key_row, 0);
    const uint8_t bits[] = {0, 0x01, 0x02, 0x04, 0x08};
    for (int modifier = kModifierNone; modifier <= kModifierWin; ++modifier) {
        const KeyFunctionCode code = Build(Keyboard(modifier, 0x04));
        EXPECT_EQ(code, (KeyFunctionCode{0x20, bits[modifier], 0x04})) << modifier;
        const KeyPageView view = Read(code);
        EXPECT_EQ(view.page, KeyFunctionPage::kKeyboard);
        EXPECT_EQ(view.modifier, modifier);
        EXPECT_EQ(view.key_row, key_row);
        EXPECT_EQ(view.code, code);
    }
    // A modifier alone.
    EXPECT_EQ(Build(Keyboard(kModifierAlt, 0)), (KeyFunctionCode{0x20, 0x04, 0}));
}

TEST(KeyPages, ReadingKeyboardCodes) {
    struct Case {
        const char* what;
        KeyFunctionCode code;
        KeyFunctionPage page;
        int modifier;
        int key_row;  // -1: empty key
        KeyFunctionCode shown;
    };
    const int a = FindKeyByUsage(0x04);
    const int k45 = FindKeyByUsage(0x64);
    const Case cases[] = {
        {"plain key", {0x20, 0, 0x64}, KeyFunctionPage::kKeyboard, 0, k45, {0x20, 0, 0x64}},
        {"unknown usage resets", {0x20, 0, 0x70}, KeyFunctionPage::kKeyboard, 0, -1, {0x20, 0, 0}},
        {"no key at all", {0x20, 0, 0}, KeyFunctionPage::kKeyboard, 0, -1, {0x20, 0, 0}},
        {"right Shift shows Shift",
         {0x20, 0x20, 0x04},
         KeyFunctionPage::kKeyboard,
         2,
         a,
         {0x20, 0x20, 0x04}},
        {"right Alt shows Alt",
         {0x20, 0x40, 0x04},
         KeyFunctionPage::kKeyboard,
         3,
         a,
         {0x20, 0x40, 0x04}},
        {"right GUI (128) shows Win",
         {0x20, 0x80, 0x04},
         KeyFunctionPage::kKeyboard,
         4,
         a,
         {0x20, 0x80, 0x04}},
        {"Ctrl+Shift clears the modifier",
         {0x20, 0x03, 0x04},
         KeyFunctionPage::kKeyboard,
         0,
         a,
         {0x20, 0x00, 0x04}},
        {"modifier with unknown key keeps it",
         {0x20, 0x02, 0x70},
         KeyFunctionPage::kKeyboard,
         2,
         -1,
         {0x20, 0x02, 0x70}},
        {"right Ctrl is a combo key",
         {0x20, 0x10, 0x12},
         KeyFunctionPage::kCombo,
         0,
         -1,
         {0x20, 0x10, 0x12}},
        {"above 128 is a combo key",
         {0x20, 0x81, 0x04},
         KeyFunctionPage::kCombo,
         0,
         -1,
         {0x20, 0x81, 0x04}},
    };
    for (const auto& c : cases) {
        const KeyPageView view = Read(c.code);
        EXPECT_EQ(view.page, c.page) << c.what;
        EXPECT_EQ(view.modifier, c.modifier) << c.what;
        EXPECT_EQ(view.key_row, c.key_row) << c.what;
        EXPECT_EQ(view.code, c.shown) << c.what;
    }
    EXPECT_EQ(Read({0x20, 0x10, 0x12}).list_row, 0);   // Ctrl+O
    EXPECT_EQ(Read({0x20, 0x81, 0x04}).list_row, -1);  // not a listed shortcut
    EXPECT_EQ(Read({kKeyTypeCombo, 0, 0}).page, KeyFunctionPage::kCombo);
}

TEST(KeyPages, CapturingRightCtrlAloneProducesLeftCtrl) {
    const int row = FindCaptureKey(0x1D, true);
    ASSERT_EQ(row, 4);
    const int modifier = ModifierChoiceOfRow(row);
    EXPECT_EQ(modifier, kModifierCtrl);
    EXPECT_EQ(Build(Keyboard(modifier, 0)), (KeyFunctionCode{0x20, 0x01, 0}));
}

TEST(KeyPages, Macros) {
    EXPECT_EQ(Build(Macro(2, 5, 3)), (KeyFunctionCode{0x70, 2, 3}));
    EXPECT_EQ(Build(Macro(2, 5, kMacroModeRepeat, 9)), (KeyFunctionCode{0x71, 2, 9}));
    EXPECT_EQ(Build(Macro(2, 5, -1)), (KeyFunctionCode{0x70, 2, 0}));
    // No macro selected, or one beyond the list: the code is left as it was.
    EXPECT_EQ(Build(Macro(-1, 5, 0)), kCurrent);
    EXPECT_EQ(Build(Macro(5, 5, 0)), kCurrent);
    EXPECT_EQ(Build(Macro(0, 0, 0)), kCurrent);

    KeyPageView view = Read({0x70, 2, 3}, 5);
    EXPECT_EQ(view.page, KeyFunctionPage::kMacro);
    EXPECT_EQ(view.macro_row, 2);
    EXPECT_EQ(view.macro_mode, 3);
    EXPECT_FALSE(view.show_repeat);

    view = Read({0x71, 4, 9}, 5);
    EXPECT_EQ(view.macro_row, 4);
    EXPECT_EQ(view.macro_mode, kMacroModeRepeat);
    EXPECT_EQ(view.repeat_count, 9);
    EXPECT_TRUE(view.show_repeat);

    for (const uint8_t beyond : {5, 6, 200}) {
        EXPECT_EQ(Read({0x70, beyond, 1}, 5).macro_row, -1) << int{beyond};
        EXPECT_EQ(Read({0x71, beyond, 1}, 5).macro_row, -1) << int{beyond};
    }
}

TEST(KeyPages, MacroBeyondTheListShowsNothingAndSavingKeepsTheCode) {
    const KeyFunctionCode stored{0x70, 7, 1};
    const KeyPageView view = Read(stored, 3);
    EXPECT_EQ(view.page, KeyFunctionPage::kMacro);
    EXPECT_EQ(view.macro_row, -1);
    // The page saved as shown: no macro selected.
    EXPECT_EQ(BuildKeyFunctionCode(Macro(view.macro_row, 3, view.macro_mode), stored, kDefault),
              stored);
}

TEST(KeyPages, DefaultAndCodesWithoutAPage) {
    // Equal to the default: the default page, whatever the type.
    for (const KeyFunctionCode code : {KeyFunctionCode{0x16, 0x90, 1}, KeyFunctionCode{0x20, 0, 4},
                                       KeyFunctionCode{0xA0, 0x24, 0}}) {
        EXPECT_EQ(ReadBackKeyFunctionCode(code, code, 0).page, KeyFunctionPage::kDefault);
    }
    EXPECT_EQ(Build(Page(KeyFunctionPage::kDefault)), kDefault);
    EXPECT_EQ(Build(Page(KeyFunctionPage::kNone)), kDefault);

    for (const KeyFunctionCode code : {KeyFunctionCode{0x16, 0x90, 1}, KeyFunctionCode{0xA0, 1, 0},
                                       KeyFunctionCode{0xD0, 0xA2, 3}, KeyFunctionCode{0x00, 0, 0},
                                       KeyFunctionCode{0xFF, 1, 2}}) {
        const KeyPageView view = Read(code);
        EXPECT_EQ(view.page, KeyFunctionPage::kNone) << int{code.type};
        EXPECT_EQ(view.code, code);
    }
}

}  // namespace
}  // namespace dz
