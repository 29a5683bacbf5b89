// The mouse's settings page, byte for byte: what WriteSystemSettings sends and how a page
// read back is understood.
#include "models/mouse_settings_page.h"

#include <gtest/gtest.h>

#include <vector>

namespace dz {
namespace {

DpiStageRecord Stage(uint8_t on, uint16_t x, uint16_t y, uint8_t r, uint8_t g, uint8_t b) {
    DpiStageRecord s;
    s.active = on;
    s.xy = 0;
    s.dpi_x = x;
    s.dpi_y = y;
    s.red = r;
    s.green = g;
    s.blue = b;
    return s;
}

MouseSettingsInput Input() {
    MouseSettingsInput in;
    in.light.mode = 2;
    in.light.brightness = 3;
    in.light.speed = 1;
    in.light.direction = 1;
    in.light.multicolor = 0;
    in.light.red = 0x11;
    in.light.green = 0x22;
    in.light.blue = 0x33;
    for (int i = 0; i < 10; ++i) in.modes.push_back({"mode", true, 0x20 + i});
    in.report_rate = 3;
    in.current_stage = 1;
    in.stages = {Stage(1, 6, 6, 255, 0, 0), Stage(1, 0x0134, 0x0256, 0, 255, 0)};
    in.corrections = {{0, 0, 0, "off"}, {4, 8, 1, "low"}, {8, 16, 1, "high"}};
    in.byte0 = 0;
    in.byte59 = 1;
    in.screen_width = 1920;
    in.screen_height = 1080;
    return in;
}

TEST(MouseSettingsPage, EveryByteOfAWrittenPage) {
    const MousePageBytes page = EncodeMouseSettingsPage(Input());
    std::vector<uint8_t> want(66, 0);
    want[1] = 0x22;  // the code of mode 2
    want[2] = 3;
    want[3] = 3;  // 4 - speed 1
    want[4] = 1;
    want[5] = 0;
    want[6] = 0x11;
    want[7] = 0x22;
    want[8] = 0x33;
    want[11] = 3;
    want[12] = 1;
    const std::vector<uint8_t> s0{1, 0, 6, 0, 6, 0, 255, 0, 0};
    const std::vector<uint8_t> s1{1, 0, 0x34, 0x01, 0x56, 0x02, 0, 255, 0};
    std::copy(s0.begin(), s0.end(), want.begin() + 14);
    std::copy(s1.begin(), s1.end(), want.begin() + 23);
    // stages 2..4 are zero: the profile has two
    want[59] = 1;
    want[60] = 0x80;
    want[61] = 0x07;
    want[62] = 0x38;
    want[63] = 0x04;
    want[64] = 8;  // "CorrectMinSq" of the first selected entry
    want[65] = 4;  // "CorrectPixThresh"
    EXPECT_EQ(std::vector<uint8_t>(page.begin(), page.end()), want);
}

TEST(MouseSettingsPage, ValuesThePageCannotCarryAsTheyAre) {
    MouseSettingsInput in = Input();
    in.light.mode = 10;  // a user light effect: standard mode 0
    in.report_rate = 7;  // shown as option 0, written as 0
    in.current_stage = 9;
    in.light.speed = 9;  // counts as the fastest
    in.stages.assign(7, Stage(1, 1, 1, 1, 1, 1));
    in.byte59 = 0;
    in.corrections.clear();
    const MousePageBytes page = EncodeMouseSettingsPage(in);
    EXPECT_EQ(page[1], 0x20);
    EXPECT_EQ(page[3], 0);
    EXPECT_EQ(page[11], 0);
    EXPECT_EQ(page[12], 0);
    EXPECT_EQ(page[14 + 9 * 4], 1) << "stage 4 is the last one sent";
    EXPECT_EQ(page[59], 0) << "a sixth stage would have written over byte 59";
    EXPECT_EQ(page[64], 0);
    EXPECT_EQ(page[65], 0);

    in.stages.clear();
    const MousePageBytes empty = EncodeMouseSettingsPage(in);
    for (size_t i = 14; i < 59; ++i) ASSERT_EQ(empty[i], 0) << "byte " << i;
}

TEST(MouseSettingsPage, ModeCodes) {
    const std::vector<EffectListEntry> codes{{"a", true, 5}, {"b", true, 6}, {"c", false, 7}};
    EXPECT_EQ(MouseModeCode(1, codes), 6);
    EXPECT_EQ(MouseModeCode(10, codes), 5);
    EXPECT_EQ(MouseModeCode(8, codes), 8) << "no entry: the index itself";
    EXPECT_EQ(MouseModeIndexOfCode(7, codes), 2);
    EXPECT_EQ(MouseModeIndexOfCode(0x42, codes), 0x42) << "a code no mode has stays";
    const std::vector<EffectListEntry> twice{{"a", true, 3}, {"b", true, 3}};
    EXPECT_EQ(MouseModeIndexOfCode(3, twice), 0) << "the first in list order";
}

TEST(MouseSettingsPage, APageReadBack) {
    std::vector<uint8_t> bytes(71, 0);
    bytes[0] = 2;
    bytes[1] = 5;
    bytes[2] = 4;
    bytes[3] = 1;
    bytes[5] = 1;
    bytes[6] = 9;
    bytes[11] = 2;
    bytes[12] = 3;
    const std::vector<uint8_t> s3{1, 1, 0x10, 0x00, 0x20, 0x00, 1, 2, 3};
    std::copy(s3.begin(), s3.end(), bytes.begin() + 14 + 27);
    bytes[61] = 0x05;
    const MouseSettingsPage p = DecodeMouseSettingsPage(bytes);
    EXPECT_EQ(p.profile, 2);
    EXPECT_EQ(p.mode_code, 5);
    EXPECT_EQ(p.brightness, 4);
    EXPECT_EQ(p.speed, 3);
    EXPECT_EQ(p.multicolour, 1);
    EXPECT_EQ(p.red, 9);
    EXPECT_EQ(p.report_rate, 2);
    EXPECT_EQ(p.current_stage, 3);
    EXPECT_EQ(p.stages[3], (DpiStageRecord{1, 1, 0x10, 0x20, 1, 2, 3}));
    EXPECT_EQ(p.screen_width, 0x0500);

    bytes[3] = 0xFF;  // no stored speed gives that: the slowest
    EXPECT_EQ(DecodeMouseSettingsPage(bytes).speed, 0);
    EXPECT_EQ(DecodeMouseSettingsPage(std::vector<uint8_t>{7}).profile, 7) << "short input";
}

TEST(MouseSettingsPage, ReportRateWord) {
    StageWords w{0x11112222u, 0x33334444u, 0x00AB0003u};
    EXPECT_EQ(ReportRateOf(w), 0xAB);
    w = WithReportRate(w, 4);
    EXPECT_EQ(w[2], 0x00040003u);
    EXPECT_EQ(w[0], 0x11112222u);
}

}  // namespace
}  // namespace dz
