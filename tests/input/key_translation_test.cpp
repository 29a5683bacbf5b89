// Linux key codes as the keyboard hook reports them, checked against the capture list that
// recognises a pressed key by its scan code and extended flag.

#include <linux/input-event-codes.h>

#include <gtest/gtest.h>

#include <set>
#include <utility>

#include "models/key_tables.h"
#include "platform/input/hook_records.h"
#include "platform/input/key_translation.h"

namespace dz::input {
namespace {

TEST(KeyTranslation, EveryKeyOfTheCaptureListHasALinuxKey) {
    const auto capture = CaptureKeyTable();
    const auto names = KeyNameTable();
    for (size_t row = 0; row < capture.size(); ++row) {
        SCOPED_TRACE(std::string(names[row].name));
        const auto code = LinuxKeyOfScanCode(capture[row].scan_code, capture[row].extended);
        ASSERT_TRUE(code.has_value());
        const auto key = TranslateLinuxKey(*code);
        ASSERT_TRUE(key.has_value());
        EXPECT_EQ(FindCaptureKey(key->scan_code, key->extended), static_cast<int>(row));
        // Where the name table knows the key's virtual-key code, the hook reports the same.
        const uint16_t vk = names[row].virtual_key;
        const bool numpad_digit =
            row >= 92 && row <= 101;  // the table names the keys, not the digits
        if (vk != 255 && vk < 256 && !numpad_digit && row < 104) {
            EXPECT_EQ(key->vk_code, vk);
        }
    }
}

TEST(KeyTranslation, ScanCodesAreUniqueAndRoundTrip) {
    std::set<std::pair<uint16_t, bool>> seen;
    int translated = 0;
    for (uint16_t code = 0; code < KEY_MAX; ++code) {
        const auto key = TranslateLinuxKey(code);
        if (!key) continue;
        ++translated;
        EXPECT_TRUE(seen.insert({key->scan_code, key->extended}).second) << code;
        EXPECT_EQ(LinuxKeyOfScanCode(key->scan_code, key->extended), code);
    }
    EXPECT_GT(translated, 113);
}

TEST(KeyTranslation, KeysThatShareAScanCodeDifferByTheFlag) {
    const struct {
        uint16_t code;
        uint16_t scan;
        bool extended;
    } cases[] = {
        {KEY_ENTER, 0x1C, false},     {KEY_KPENTER, 0x1C, true}, {KEY_LEFTCTRL, 0x1D, false},
        {KEY_RIGHTCTRL, 0x1D, true},  {KEY_NUMLOCK, 0x45, true}, {KEY_PAUSE, 0x45, false},
        {KEY_RIGHTSHIFT, 0x36, true}, {KEY_SYSRQ, 0x37, true},   {KEY_KPASTERISK, 0x37, false},
        {KEY_HOME, 0x47, true},       {KEY_KP7, 0x47, false},    {KEY_COMPOSE, 0x5D, true},
    };
    for (const auto& c : cases) {
        const auto key = TranslateLinuxKey(c.code);
        ASSERT_TRUE(key) << c.code;
        EXPECT_EQ(key->scan_code, c.scan) << c.code;
        EXPECT_EQ(key->extended, c.extended) << c.code;
    }
    EXPECT_FALSE(TranslateLinuxKey(BTN_LEFT));
    EXPECT_FALSE(TranslateLinuxKey(0));
}

TEST(KeyTranslation, LockKeys) {
    EXPECT_TRUE(IsLockKey(KEY_CAPSLOCK));
    EXPECT_TRUE(IsLockKey(KEY_NUMLOCK));
    EXPECT_TRUE(IsLockKey(KEY_SCROLLLOCK));
    EXPECT_FALSE(IsLockKey(KEY_A));
    EXPECT_FALSE(IsLockKey(KEY_PAUSE));
}

TEST(HookMessageNames, EveryModeHasItsMessages) {
    EXPECT_EQ(FindHookMessageName(kHookModeSingleKey)->keyboard, "WM_HOOK_KEY_SINGLEKEY_MSG");
    EXPECT_TRUE(FindHookMessageName(kHookModeSingleKey)->mouse.empty());
    EXPECT_EQ(FindHookMessageName(kHookModeReplace)->mouse, "WM_HOOK_KEY_MSMACROSINGLE_MSG");
    EXPECT_EQ(FindHookMessageName(2), nullptr);
}

}  // namespace
}  // namespace dz::input
