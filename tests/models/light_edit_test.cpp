// The lighting panel's changes to a light record, shared with dozadirctl.
#include "models/light_edit.h"

#include <gtest/gtest.h>

namespace dz {
namespace {

TEST(LightEdit, AnEditTextBecomesAColourValueInRange) {
    struct Case {
        const char* text;
        int value;
    };
    const Case cases[] = {
        {"0", 0},      {"128", 128},
        {"255", 255},  {"256", 255},
        {"300", 255},  {"", 0},
        {"-1", 0},     {"-300", 0},
        {"12abc", 12}, {"abc", 0},
        {" 42", 42},   {"+7", 7},
        {"0009", 9},   {"99999999999999999999999", 255},
    };
    for (const Case& c : cases) EXPECT_EQ(ColourEditValue(c.text), c.value) << '"' << c.text << '"';
}

TEST(LightEdit, AChosenColourSwitchesMulticolourOffAndKeepsTheOtherBytes) {
    LightBytes r{};
    for (size_t i = 0; i < r.size(); ++i) r[i] = static_cast<uint8_t>(100 + i);
    r[kLightByteMulticolour] = 1;
    const LightBytes all = WithColour(r, 1, 2, 3);
    EXPECT_EQ(all[kLightByteMulticolour], 0);
    EXPECT_EQ(all[5], 1);
    EXPECT_EQ(all[6], 2);
    EXPECT_EQ(all[7], 3);
    for (size_t i : {0, 1, 2, 3, 8, 9, 10, 11, 12, 13}) EXPECT_EQ(all[i], r[i]) << "byte " << i;

    const LightBytes green = WithColourChannel(r, 1, 255);
    EXPECT_EQ(green[6], 255);
    EXPECT_EQ(green[5], r[5]);
    EXPECT_EQ(green[kLightByteMulticolour], 0);
    EXPECT_EQ(WithColourChannel(r, 3, 9), r) << "no fourth channel";
}

TEST(LightEdit, SlidersAreClampedToTheirKindsRanges) {
    const LightBytes r{};
    EXPECT_EQ(WithBrightness(r, 9, kLightKindKeyboard)[1], 5);
    EXPECT_EQ(WithBrightness(r, 9, kLightKindMouse)[1], 4);
    EXPECT_EQ(WithBrightness(r, -2, kLightKindMousepad)[1], 0);
    EXPECT_EQ(WithSpeed(r, 200, kLightKindHeadset)[2], 4);
    EXPECT_EQ(WithSpeed(r, 3, kLightKindKeyboard)[2], 3);
    EXPECT_EQ(WithDirection(r, true)[3], 1);
    EXPECT_EQ(WithDirection(WithDirection(r, true), false)[3], 0);
    EXPECT_EQ(LightKindOfDeviceType(9), kLightKindKeyboard) << "the keyboard's receiver";
    EXPECT_EQ(LightKindOfDeviceType(6), kLightKindMouse) << "the mouse's receiver";
    EXPECT_EQ(LightKindOfDeviceType(5), 5) << "no kind: no layout";
}

TEST(LightEdit, HexColoursReadWithOrWithoutTheirHash) {
    EXPECT_EQ(ParseHexColour("#FF8000"), (std::array<uint8_t, 3>{255, 128, 0}));
    EXPECT_EQ(ParseHexColour("00ff7f"), (std::array<uint8_t, 3>{0, 255, 127}));
    for (const char* bad : {"", "#", "FF800", "#FF80000", "GG0000", "#12 456", "0x12345"})
        EXPECT_FALSE(ParseHexColour(bad).has_value()) << bad;
    EXPECT_EQ(HexColourText(255, 10, 0), "#FF0A00");
}

TEST(LightEdit, AnEffectIsFoundByIndexNameOrShortName) {
    const std::vector<EffectListEntry> effects = {{"kb_light_custom_text", false, 0},
                                                  {"kb_light_wave_text", true, 1},
                                                  {"kb_light_breath_four_text", true, 26}};
    EXPECT_EQ(FindLightMode(effects, "1"), 1);
    EXPECT_EQ(FindLightMode(effects, "3"), -1) << "beyond the list";
    EXPECT_EQ(FindLightMode(effects, "kb_light_wave_text"), 1);
    EXPECT_EQ(FindLightMode(effects, "WAVE"), 1);
    EXPECT_EQ(FindLightMode(effects, "breath_four"), 2);
    EXPECT_EQ(FindLightMode(effects, "custom"), 0)
        << "found; whether it is offered is the caller's";
    EXPECT_EQ(FindLightMode(effects, "ripple"), -1);
    EXPECT_EQ(FindLightMode(effects, ""), -1);
    EXPECT_EQ(FindLightMode(effects, "99999999999"), -1);
    EXPECT_EQ(ShortLightModeName("ms_light_static_text"), "static");
}

}  // namespace
}  // namespace dz
