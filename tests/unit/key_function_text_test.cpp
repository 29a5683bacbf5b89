// Key functions written as words (dozadirctl key), built by the panel's rules.
#include "models/key_function_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace dz {
namespace {

constexpr int kKeyboard = 1;
constexpr int kMouse = 2;
constexpr KeyFunctionCode kCurrent{kKeyTypeKeyboard, 0, 0x04};
constexpr KeyFunctionCode kDefault{kKeyTypeMouseButton, kMouseButtonLeft, 0};
const std::vector<std::string> kMacros = {"burst", "Reload"};

KeyFunctionWord Parse(const char* word, int type = kMouse) {
    return ParseKeyFunction(word, type, kMacros, kCurrent, kDefault);
}

TEST(KeyFunctionText, WordsBecomeTheCodesThePanelBuilds) {
    struct Case {
        const char* word;
        KeyFunctionCode code;
    };
    const Case cases[] = {
        {"default", kDefault},
        {"A", {0x20, 0, 0x04}},
        {"keyboard_key_F1", {0x20, 0, 0x3A}},
        {"f12", {0x20, 0, 0x45}},
        {"Num 1", {0x20, 0, 0x59}},
        {"num_1", {0x20, 0, 0x59}},
        {"-", {0x20, 0, 0x2D}},
        {"=", {0x20, 0, 0x2E}},
        {"RCtrl", {0x20, 0x10, 0}},
        {"ctrl+A", {0x20, 0x01, 0x04}},
        {"Shift+F1", {0x20, 0x02, 0x3A}},
        {"alt+Tab", {0x20, 0x04, 0x2B}},
        {"win+E", {0x20, 0x08, 0x08}},
        {"Volume Up", {0x30, 0xE9, 0x00}},
        {"volume-down", {0x30, 0xEA, 0x00}},
        {"wed_stop", {0x30, 0x26, 0x02}},
        {"Sleep", {0x40, 0x02, 0}},
        {"left", {0x10, 0x01, 0}},
        {"middle", {0x10, 0x04, 0}},
        {"back", {0x10, 0x08, 0}},
        {"dpi-cycle", {0x13, 3, 0}},
        {"wheel-up:3", {0x12, 0x00, 3}},
        {"wheel-down:3", {0x12, 0x00, 0xFD}},
        {"fire:20:5", {0x14, 20, 5}},
        {"gun:2", {0x72, 2, 0}},
        {"macro:burst", {0x70, 0, 0}},
        {"macro:reload:mode=2", {0x70, 1, 2}},
        {"macro:Reload:repeat=9", {0x71, 1, 9}},
        {"1a0203", {0x1A, 0x02, 0x03}},
        {"0x300000", {0x30, 0x00, 0x00}},
    };
    for (const Case& c : cases) {
        const KeyFunctionWord w = Parse(c.word);
        ASSERT_TRUE(w.code.has_value()) << c.word << ": " << w.error;
        EXPECT_EQ(*w.code, c.code) << c.word;
    }
}

TEST(KeyFunctionText, WordsThatNameNothingAreRefusedWithAReason) {
    for (const char* word :
         {"", "nothing", "macro:missing", "macro:burst:mode=4", "macro:burst:repeat=256",
          "macro:burst:loop", "wheel-up:0", "wheel-up:128", "fire:1", "fire:1:x", "ctrl+LShift",
          "ctrl+Volume Up", "ctrl+nothing", "1a02", "1a02030", "zz0000", "gun:-1"}) {
        const KeyFunctionWord w = Parse(word);
        EXPECT_FALSE(w.code.has_value()) << word;
        EXPECT_FALSE(w.error.empty()) << word;
    }
}

TEST(KeyFunctionText, AKeyboardOffersNoDpiAndNoGunKeys) {
    for (const char* word : {"dpi-up", "gun:0"}) {
        EXPECT_FALSE(Parse(word, kKeyboard).code.has_value()) << word;
        EXPECT_FALSE(Parse(word, 9).code.has_value()) << word << " through the receiver";
        EXPECT_TRUE(Parse(word, kMouse).code.has_value()) << word;
    }
    EXPECT_TRUE(Parse("left", kKeyboard).code.has_value()) << "mouse buttons are offered";
}

}  // namespace
}  // namespace dz
